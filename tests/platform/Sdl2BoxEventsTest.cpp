// What an open SDL2 message box does with each event while it waits: its own buttons and keys
// answer it (a key's auto-repeat does not), the request to stop and a program window's close
// button end it, input made on the program's windows is dropped (they take none under a
// modal box) but for a key or a button let go, and every other event of the program is kept for
// the program; a key let go on the box is the program's too, so nothing held stays held after it.
#include <gtest/gtest.h>

#ifdef VQT_HAVE_SDL2
#include <SDL.h>

#include "platform/sdl2/Sdl2BoxEvents.h"

namespace {

using plat::BoxEventAction;

constexpr uint32_t kBox = 7;
constexpr uint32_t kGame = 3;

SDL_Event WindowEvent(uint32_t window, uint8_t what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = what;
    return e;
}

SDL_Event Key(uint32_t window, SDL_Keycode key, uint8_t repeat = 0, uint32_t type = SDL_KEYDOWN) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = window;
    e.key.keysym.sym = key;
    e.key.repeat = repeat;
    return e;
}

SDL_Event Button(uint32_t window, uint8_t button, uint32_t type = SDL_MOUSEBUTTONUP) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = window;
    e.button.button = button;
    return e;
}

SDL_Event Plain(uint32_t type) {
    SDL_Event e{};
    e.type = type;
    return e;
}

struct EventCase {
    const char* name;
    SDL_Event event;
    BoxEventAction action;
};

TEST(Sdl2BoxEvents, EachEventIsAnsweredIgnoredEndsTheBoxOrIsKeptForTheProgram) {
    const EventCase cases[] = {
        {"the request to stop", Plain(SDL_QUIT), BoxEventAction::EndSession},
        {"the game window's close button", WindowEvent(kGame, SDL_WINDOWEVENT_CLOSE), BoxEventAction::EndSession},
        {"the box's close button", WindowEvent(kBox, SDL_WINDOWEVENT_CLOSE), BoxEventAction::Close},
        {"the box shown again", WindowEvent(kBox, SDL_WINDOWEVENT_EXPOSED), BoxEventAction::Repaint},
        {"the game window shown again", WindowEvent(kGame, SDL_WINDOWEVENT_EXPOSED), BoxEventAction::PaintOther},
        {"the game window minimised", WindowEvent(kGame, SDL_WINDOWEVENT_MINIMIZED), BoxEventAction::Keep},
        {"the game window restored", WindowEvent(kGame, SDL_WINDOWEVENT_RESTORED), BoxEventAction::Keep},
        {"the game window losing focus", WindowEvent(kGame, SDL_WINDOWEVENT_FOCUS_LOST), BoxEventAction::Keep},
        {"the game window gaining focus", WindowEvent(kGame, SDL_WINDOWEVENT_FOCUS_GAINED), BoxEventAction::Keep},
        {"the game window resized", WindowEvent(kGame, SDL_WINDOWEVENT_SIZE_CHANGED), BoxEventAction::Keep},
        {"a key pressed in the game window", Key(kGame, SDLK_RETURN), BoxEventAction::Ignore},
        {"a key let go in the game window", Key(kGame, SDLK_a, 0, SDL_KEYUP), BoxEventAction::Keep},
        {"the left button let go in the game window", Button(kGame, SDL_BUTTON_LEFT), BoxEventAction::Keep},
        {"the right button let go in the game window", Button(kGame, SDL_BUTTON_RIGHT), BoxEventAction::Keep},
        {"a button pressed in the game window", Button(kGame, SDL_BUTTON_LEFT, SDL_MOUSEBUTTONDOWN), BoxEventAction::Ignore},
        {"a key pressed in no window", Key(0, SDLK_RETURN), BoxEventAction::Ignore},
        {"a key let go in no window", Key(0, SDLK_RETURN, 0, SDL_KEYUP), BoxEventAction::Keep},
        {"the display's render targets lost", Plain(SDL_RENDER_TARGETS_RESET), BoxEventAction::Keep},
        {"an audio device added", Plain(SDL_AUDIODEVICEADDED), BoxEventAction::Keep},
        {"the box losing focus", WindowEvent(kBox, SDL_WINDOWEVENT_FOCUS_LOST), BoxEventAction::Ignore},
        {"Return in the box", Key(kBox, SDLK_RETURN), BoxEventAction::Default},
        {"Enter in the box", Key(kBox, SDLK_KP_ENTER), BoxEventAction::Default},
        {"Space in the box", Key(kBox, SDLK_SPACE), BoxEventAction::Default},
        {"Escape in the box", Key(kBox, SDLK_ESCAPE), BoxEventAction::Close},
        {"a held Return repeating into the box", Key(kBox, SDLK_RETURN, 1), BoxEventAction::Ignore},
        {"a held Space repeating into the box", Key(kBox, SDLK_SPACE, 1), BoxEventAction::Ignore},
        {"a held Escape repeating into the box", Key(kBox, SDLK_ESCAPE, 1), BoxEventAction::Ignore},
        {"Return let go in the box", Key(kBox, SDLK_RETURN, 0, SDL_KEYUP), BoxEventAction::Keep},
        {"Ctrl let go in the box", Key(kBox, SDLK_LCTRL, 0, SDL_KEYUP), BoxEventAction::Keep},
        {"another key in the box", Key(kBox, SDLK_a), BoxEventAction::Ignore},
        {"the left button let go in the box", Button(kBox, SDL_BUTTON_LEFT), BoxEventAction::Press},
        {"the left button pressed in the box", Button(kBox, SDL_BUTTON_LEFT, SDL_MOUSEBUTTONDOWN),
         BoxEventAction::Ignore},
        {"the right button let go in the box", Button(kBox, SDL_BUTTON_RIGHT), BoxEventAction::Ignore},
    };
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::BoxActionFor(c.event, kBox), c.action);
    }
}

} // namespace

#endif // VQT_HAVE_SDL2
