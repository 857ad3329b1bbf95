#include "platform/sdl2/Sdl2BoxEvents.h"

namespace plat {

uint32_t EventWindow(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTEDITING: return event.edit.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE: return event.drop.windowID;
    default: return event.type >= SDL_USEREVENT ? event.user.windowID : 0;
    }
}

namespace {

/// A press, typing or a pointer move: input that a window under a modal box does not take.
bool IsInputToWindow(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL: return true;
    default: return false;
    }
}

} // namespace

BoxEventAction BoxActionFor(const SDL_Event& event, uint32_t box) {
    if (event.type == SDL_QUIT) return BoxEventAction::EndSession;
    if (EventWindow(event) != box) {
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
            return BoxEventAction::EndSession;
        // The program's windows stay painted under the box; everything else waits for it,
        // except the presses, typing and pointer moves made on them: a window under a modal box
        // takes no input, so those are dropped rather than played to the game afterwards. A key
        // or a button let go waits too, so none that was held when the box opened stays held
        // after it; the release of a press dropped here reaches the program as nothing, since
        // its queue passes on only the releases of presses it was told of (Sdl2Messages).
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            return BoxEventAction::PaintOther;
        if (IsInputToWindow(event)) return BoxEventAction::Ignore;
        return BoxEventAction::Keep;
    }
    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) return BoxEventAction::Close;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) return BoxEventAction::Repaint;
        return BoxEventAction::Ignore;
    case SDL_MOUSEBUTTONUP:
        return event.button.button == SDL_BUTTON_LEFT ? BoxEventAction::Press : BoxEventAction::Ignore;
    case SDL_KEYUP:
        // A key held since before the box and let go on it: the program still reads it as held
        // until it is told, and the program's focused window is told once the box has gone (a
        // key pressed on the box is no press of the program's: its release is not passed on).
        return BoxEventAction::Keep;
    case SDL_KEYDOWN:
        // A key held since before the box repeats into it: only a fresh press answers.
        if (event.key.repeat) return BoxEventAction::Ignore;
        switch (event.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE: return BoxEventAction::Default;
        case SDLK_ESCAPE: return BoxEventAction::Close;
        default: return BoxEventAction::Ignore;
        }
    default:
        return BoxEventAction::Ignore;
    }
}

namespace {

/// SDL's event type of the mark, registered once (SDL_USEREVENT when none could be).
uint32_t BoxTookKeyType() {
    static const uint32_t type = [] {
        const uint32_t registered = SDL_RegisterEvents(1);
        return registered == uint32_t(-1) ? uint32_t(SDL_USEREVENT) : registered;
    }();
    return type;
}

} // namespace

SDL_Event BoxTookKey(SDL_Scancode scancode) {
    SDL_Event mark{};
    mark.type = BoxTookKeyType();
    mark.user.windowID = 0;
    mark.user.code = int32_t(scancode);
    return mark;
}

bool IsBoxTookKey(const SDL_Event& event, SDL_Scancode& scancode) {
    if (event.type != BoxTookKeyType()) return false;
    scancode = SDL_Scancode(event.user.code);
    return true;
}

} // namespace plat
