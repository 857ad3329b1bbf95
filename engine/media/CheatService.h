#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Process.h"
#include "engine/core/Timer.h"

/// One entry of a keyword table; an entry whose keyword is null ends the table.
struct CCheatCode {
    const char* keyword;
    /// Run on a match; null passes `code` to the current activity instead.
    void (*handler)();
    uint16_t code;
};

/// The typed debug keywords (registration name "OCheatService", class id 20, key events): while
/// CHEATSENABLED is on it collects the characters typed and runs every entry of its tables whose
/// keyword is the whole text typed, without regard to case. The text is forgotten one second
/// after the last character, so a keyword is typed in one go after a pause. Ctrl+Shift+F1
/// switches CHEATSENABLED.
class OCheatService : public OProcess {
public:
    static constexpr int32_t kResetMs = 1000;

    OCheatService();
    /// Tells the application that its keyword service is gone.
    ~OCheatService() override;

    /// Lists the table, unless it is listed already; false for null and for a listed table.
    bool AddCodeTable(const CCheatCode* table);
    /// Forgets the typed text once more than a second has passed since the last character; 1.
    int32_t OnIdle() override;
    /// Takes a printable character or a blank while CHEATSENABLED is on, runs the matching
    /// entries and restarts the one-second wait.
    void OnChar(uint32_t code) override;
    /// Ctrl+Shift+F1 switches CHEATSENABLED.
    void OnKeyDown(uint32_t key) override;

    const std::string& GetTypedText() const { return typed_; }
    size_t TableCount() const { return tables_.size(); }

private:
    /// Runs every entry of every table (in the order they were added) that matches the text.
    void Match();

    std::vector<const CCheatCode*> tables_;
    std::string typed_;
    /// The longest keyword listed: text longer than it can match nothing, so it stops growing.
    size_t longest_ = 0;
    CTimerRec resetTimer_;
};
