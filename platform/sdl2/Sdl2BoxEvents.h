#pragma once
#include <SDL.h>

#include <cstdint>

namespace plat {

/// What an open message box does with an SDL event while it waits.
enum class BoxEventAction {
    Ignore,      ///< the box's own event that answers nothing (a key's auto-repeat among them)
    Keep,        ///< the program's: kept and handed back to it once the box has gone
    Repaint,     ///< the box's window shows again
    PaintOther,  ///< one of the program's windows shows again: painted at once
    Press,       ///< the left button let go over the box: the button under it answers
    Default,     ///< Return, Enter or Space: the default button answers
    Close,       ///< the box's close button or Escape: it answers as if closed
    EndSession,  ///< the request to stop or a program window's close button: the box ends and
                 ///< the request goes on to the program
};

/// The window an event is for; 0 for an event of no window (the request to stop, devices).
uint32_t EventWindow(const SDL_Event& event);

/// What the box of SDL window `box` does with `event`.
BoxEventAction BoxActionFor(const SDL_Event& event, uint32_t box);

/// The event a box keeps in the place of a key's press that it took (on the box, or dropped on
/// the program's windows under it): it tells the program's queue that the key is the box's
/// until it is let go. Its window is none; `user.code` holds the key's scan code.
SDL_Event BoxTookKey(SDL_Scancode scancode);
/// The key a box took, when `event` is such a mark.
bool IsBoxTookKey(const SDL_Event& event, SDL_Scancode& scancode);

} // namespace plat
