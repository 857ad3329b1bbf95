#pragma once
// The input method as the program sees it (the stand-in for the input-method context): the
// composition of the moment, in code-page bytes, and the text kept from the last read. The
// backends turn the system's composition events into the window messages this makes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace plat {

inline constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
inline constexpr uint32_t WM_IME_SETCONTEXT = 0x0281;
inline constexpr uint32_t WM_IME_NOTIFY = 0x0282;
inline constexpr uint32_t WM_IME_CHAR = 0x0286;
/// Flags of WM_IME_COMPOSITION's lParam.
inline constexpr intptr_t GCS_COMPSTR = 0x0008;
inline constexpr intptr_t GCS_RESULTSTR = 0x0800;
inline constexpr intptr_t GCS_RESULTCLAUSE = 0x1000;

class InputMethod {
public:
    /// The composition is now `text`: the messages to post, a start of composition first when
    /// none was running, then a composition message.
    std::vector<WinMsg> Compose(WindowId window, std::string text);
    /// The composition was committed as `text`: the kept text becomes it and the composition
    /// empties; the messages to post are the result (0x1800) and the end of composition.
    std::vector<WinMsg> Commit(WindowId window, std::string text);
    /// The composition string of the moment, which also becomes the kept text.
    std::string ReadComposition();
    const std::string& Kept() const { return kept_; }
    void ClearKept() { kept_.clear(); }
    bool IsComposing() const { return composing_; }

private:
    std::string current_;
    std::string kept_;
    bool composing_ = false;
};

} // namespace plat
