#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace plat {

/// Message boxes without a screen: each box takes the next scripted answer (or its default
/// button when the script is empty) and is recorded with its text, title and type. A question
/// asked with Ask has nobody to answer it once the script is empty: it is recorded with the
/// answer 0. A test can end the session while a box is open (EndSessionDuringBox, from OnShow),
/// as a person who closes the program's window then: see Dialogs::SessionEnding.
class ScriptedDialogs final : public Dialogs {
public:
    struct Box {
        std::string text;
        std::string title;
        uint32_t type = 0;
        int answer = 0;
        /// False for a box asked for while the session ends, which answered without showing.
        bool shown = true;
    };

    int MessageBox(std::string_view text, std::string_view title, uint32_t type) override;
    int Ask(std::string_view text, std::string_view title, uint32_t type) override;
    void Beep() override { ++beeps_; }

    /// Queues the answers of the next boxes, in order; 0 makes a box fail to show.
    void Script(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    /// Called with each box as it is shown, before its answer is taken from the script (a test
    /// can change the world while a box is open, as a user would).
    void OnShow(std::function<void(const Box&)> callback) { onShow_ = std::move(callback); }
    /// From OnShow: the program's windows are closed while this box is open. The box answers
    /// as if closed (mb::ClosedAnswer), every top-level window is sent WM_CLOSE through the
    /// message queue, and later boxes answer so at once.
    void EndSessionDuringBox() { endRequested_ = true; }
    const std::vector<Box>& Boxes() const { return boxes_; }
    int Beeps() const { return beeps_; }
    void Clear();

private:
    int Show(std::string_view text, std::string_view title, uint32_t type, int unanswered);

    std::function<void(const Box&)> onShow_;
    std::deque<int> answers_;
    std::vector<Box> boxes_;
    int beeps_ = 0;
    bool endRequested_ = false;
};

} // namespace plat
