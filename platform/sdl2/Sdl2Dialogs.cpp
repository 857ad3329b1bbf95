// Message boxes as SDL windows of our own, drawn with the platform's fonts. The box's wait reads
// SDL's events itself, so that it also hears the program's windows being closed and the request
// to stop (which SDL turns into a quit event): either ends the box and goes on to the program
// as it would outside a box. The program's other events wait for it in SDL's queue.
#include "platform/sdl2/Sdl2Dialogs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/sdl2/Sdl2BoxEvents.h"
#include "platform/sdl2/Sdl2Desktop.h"
#include "platform/sdl2/Sdl2Messages.h"

namespace plat {
namespace {

struct Button {
    int id;
    const char* label;
};

const std::vector<Button>& ButtonsOf(uint32_t type) {
    static const std::vector<Button> kSets[] = {
        {{mb::IdOk, "OK"}},
        {{mb::IdOk, "OK"}, {mb::IdCancel, "Cancel"}},
        {{mb::IdAbort, "Abort"}, {mb::IdRetry, "Retry"}, {mb::IdIgnore, "Ignore"}},
        {{mb::IdYes, "Yes"}, {mb::IdNo, "No"}, {mb::IdCancel, "Cancel"}},
        {{mb::IdYes, "Yes"}, {mb::IdNo, "No"}},
        {{mb::IdRetry, "Retry"}, {mb::IdCancel, "Cancel"}},
    };
    const uint32_t set = type & mb::ButtonMask;
    return kSets[set <= mb::RetryCancel ? set : 0];
}

constexpr int kMargin = 16;
constexpr int kMaxTextWidth = 560;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 10;
constexpr uint32_t kFace = 0xF0F0F0, kEdge = 0x707070, kDefaultEdge = 0x2060C0, kInk = 0x000000, kStop = 0xC03030;
constexpr int kStopSize = 12;
constexpr uint32_t kWaitMs = 100;

/// The text cut into lines that fit the width (at blanks where a line has them).
std::vector<std::string> Wrap(Font& font, std::string_view text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line;
        for (size_t at = start; at < end;) {
            const size_t blank = std::min(text.find(' ', at), end);
            const std::string word(text.substr(at, blank - at));
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && font.Extent(longer) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
            at = blank + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

/// One open box: its window, its picture and its buttons.
class Box {
public:
    Box(std::string_view text, std::string_view title, uint32_t type)
        : title_(title), type_(type), buttons_(ButtonsOf(type)), font_(fonts().Stock()) {
        if (font_) lines_ = Wrap(*font_, text, kMaxTextWidth);
    }
    ~Box() {
        if (window_) SDL_DestroyWindow(window_);
    }
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    /// Opens the window; false when it cannot be made.
    bool Open() {
        if (!font_) return false;
        const int lineHeight = font_->Metrics().height;
        int textWidth = 0;
        for (const std::string& line : lines_) textWidth = std::max(textWidth, font_->Extent(line));
        const int row = int(buttons_.size()) * kButtonWidth + int(buttons_.size() - 1) * kButtonGap;
        const int icon = (type_ & mb::IconStop) ? kStopSize + kMargin : 0;
        width_ = std::max(icon + textWidth, row) + 2 * kMargin;
        height_ = 3 * kMargin + int(lines_.size()) * lineHeight + kButtonHeight;
        window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width_, height_,
                                   SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
        if (!window_) return false;
        pixels_.assign(size_t(width_) * size_t(height_), kFace);
        Paint();
        SDL_RaiseWindow(window_);
        return true;
    }

    /// Waits for a button, a key or the end of the session; for the latter the event that ends
    /// it is kept in `ending` (its type is 0 otherwise). The program's events that come meanwhile
    /// are added to `kept`, with a mark in the place of each key's press the box took. A key that
    /// answers and is still held (`keyHeld`) keeps the box until it is let go, so that neither
    /// its repeats nor its release reach the program's windows once the box has gone.
    int Wait(SDL_Event& ending, std::vector<SDL_Event>& kept, Sdl2Dialogs::KeyHeld keyHeld) {
        ending.type = 0;
        const int closed = mb::ClosedAnswer(type_);
        const uint32_t self = SDL_GetWindowID(window_);
        int answer = 0;
        SDL_Scancode answeredBy = SDL_SCANCODE_UNKNOWN;
        const auto answerBy = [&](const SDL_Event& key, int id) {
            if (key.type != SDL_KEYDOWN || !keyHeld || !keyHeld(key.key.keysym.scancode)) return id;
            answer = id;
            answeredBy = key.key.keysym.scancode;
            return 0;
        };
        for (;;) {
            SDL_Event e;
            if (!SDL_WaitEventTimeout(&e, kWaitMs)) continue;
            if (e.type == SDL_KEYDOWN && !e.key.repeat) kept.push_back(BoxTookKey(e.key.keysym.scancode));
            const BoxEventAction action = BoxActionFor(e, self);
            if (answer != 0) {
                // Answered: the box waits for the answering key's release and takes no other answer.
                if (action == BoxEventAction::Keep) kept.push_back(e);
                if (e.type == SDL_KEYUP && e.key.keysym.scancode == answeredBy) return answer;
                if (action != BoxEventAction::Repaint && action != BoxEventAction::PaintOther &&
                    action != BoxEventAction::EndSession)
                    continue;
            }
            switch (action) {
            case BoxEventAction::Ignore:
                break;
            case BoxEventAction::Keep:
                kept.push_back(e);
                break;
            case BoxEventAction::Repaint:
                Paint();
                break;
            case BoxEventAction::PaintOther:
                if (auto* d = dynamic_cast<Sdl2Desktop*>(services().desktop.get())) d->HandleEvent(e);
                break;
            case BoxEventAction::Press:
                if (const int id = ButtonAt(e.button.x, e.button.y)) return id;
                break;
            case BoxEventAction::Default:
                if (const int id = answerBy(e, mb::DefaultAnswer(type_))) return id;
                break;
            case BoxEventAction::Close:
                if (const int id = answerBy(e, closed)) return id;
                break;
            case BoxEventAction::EndSession:
                // The request to stop closes the program's windows once the box is gone; a
                // window's close button goes on to that window.
                ending = e;
                return closed;
            }
        }
    }

private:
    SDL_Rect ButtonRect(size_t i) const {
        const int row = int(buttons_.size()) * kButtonWidth + int(buttons_.size() - 1) * kButtonGap;
        return SDL_Rect{(width_ - row) / 2 + int(i) * (kButtonWidth + kButtonGap), height_ - kMargin - kButtonHeight,
                        kButtonWidth, kButtonHeight};
    }
    int ButtonAt(int x, int y) const {
        const SDL_Point p{x, y};
        for (size_t i = 0; i < buttons_.size(); ++i) {
            const SDL_Rect r = ButtonRect(i);
            if (SDL_PointInRect(&p, &r)) return buttons_[i].id;
        }
        return 0;
    }
    void Fill(const SDL_Rect& r, uint32_t colour) {
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, height_); ++y)
            for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, width_); ++x) pixels_[size_t(y * width_ + x)] = colour;
    }
    void Frame(const SDL_Rect& r, uint32_t colour) {
        Fill({r.x, r.y, r.w, 1}, colour);
        Fill({r.x, r.y + r.h - 1, r.w, 1}, colour);
        Fill({r.x, r.y, 1, r.h}, colour);
        Fill({r.x + r.w - 1, r.y, 1, r.h}, colour);
    }
    void Text(std::string_view text, const TextRect& at, TextDraw::Align align) {
        const PixelTarget target{reinterpret_cast<uint8_t*>(pixels_.data()), width_ * 4, width_, height_, 32, false};
        TextDraw how;
        how.align = align;
        how.red = uint8_t(kInk >> 16);
        how.green = uint8_t(kInk >> 8);
        how.blue = uint8_t(kInk);
        font_->Draw(target, text, at, TextRect{0, 0, width_, height_}, how);
    }
    void Paint() {
        std::fill(pixels_.begin(), pixels_.end(), kFace);
        int left = kMargin;
        if (type_ & mb::IconStop) {
            Fill({kMargin, kMargin + 2, kStopSize, kStopSize}, kStop);
            left += kStopSize + kMargin;
        }
        const int lineHeight = font_->Metrics().height;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const int top = kMargin + int(i) * lineHeight;
            Text(lines_[i], TextRect{left, top, width_ - kMargin, top + lineHeight}, TextDraw::kLeft);
        }
        const int chosen = mb::DefaultAnswer(type_);
        for (size_t i = 0; i < buttons_.size(); ++i) {
            const SDL_Rect r = ButtonRect(i);
            Frame(r, buttons_[i].id == chosen ? kDefaultEdge : kEdge);
            const int top = r.y + (r.h - lineHeight) / 2;
            Text(buttons_[i].label, TextRect{r.x, top, r.x + r.w, top + lineHeight}, TextDraw::kCentre);
        }
        SDL_Surface* shown = SDL_GetWindowSurface(window_);
        std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> picture(
            SDL_CreateRGBSurfaceWithFormatFrom(pixels_.data(), width_, height_, 32, width_ * 4, SDL_PIXELFORMAT_RGB888),
            SDL_FreeSurface);
        if (!shown || !picture) return;
        SDL_BlitSurface(picture.get(), nullptr, shown, nullptr);
        SDL_UpdateWindowSurface(window_);
    }

    std::string title_;
    uint32_t type_;
    const std::vector<Button>& buttons_;
    std::shared_ptr<Font> font_;
    std::vector<std::string> lines_;
    SDL_Window* window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

/// Hands the program's events kept while a box was open back to SDL's queue, ahead of those
/// that came after them.
void GiveBack(std::vector<SDL_Event> kept) {
    if (kept.empty()) return;
    SDL_Event later[64];
    for (int n; (n = SDL_PeepEvents(later, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0;)
        kept.insert(kept.end(), later, later + n);
    SDL_PeepEvents(kept.data(), int(kept.size()), SDL_ADDEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

bool ScreenlessDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::string_view(driver) == "dummy" || std::string_view(driver) == "offscreen";
}

} // namespace

int Sdl2Dialogs::MessageBox(std::string_view text, std::string_view title, uint32_t type) {
    debug().Write("Message box \"" + std::string(title) + "\": " + std::string(text) + "\n");
    if (SessionEnding()) return mb::ClosedAnswer(type);
    if (!withoutScreen_ && ScreenlessDriver()) return 0;
    SDL_Event ending{};
    std::vector<SDL_Event> kept;
    int answer = 0;
    {
        Box box(text, title, type);
        if (!box.Open()) return 0;
        answer = box.Wait(ending, kept, keyHeld_);
    }
    GiveBack(std::move(kept));
    if (ending.type != 0) EndSession();
    // The program hears what ended the box through its message loop, as it would have without
    // a box (not from inside the call that asked for the box): the request to stop closes
    // every window, a window's close button its window.
    auto* source = dynamic_cast<Sdl2Messages*>(services().messages.get());
    auto* windows = dynamic_cast<Sdl2Desktop*>(services().desktop.get());
    if (ending.type == SDL_QUIT && source) source->Convert(ending);
    if (ending.type == SDL_WINDOWEVENT && source && windows) {
        WinMsg close;
        close.window = windows->FromSdlWindow(ending.window.windowID);
        close.msg = WM_SYSCOMMAND;
        close.wParam = SC_CLOSE;
        close.time = clock().TickCount();
        if (close.window) source->Post(close);
    }
    if (ending.type != 0 && source) source->MarkSessionEnding();
    return answer;
}

bool Sdl2Dialogs::SdlHoldsKey(SDL_Scancode scancode) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return state && int(scancode) < count && state[scancode] != 0;
}

void Sdl2Dialogs::Beep() {
    std::fputc('\a', stderr);
}

} // namespace plat
