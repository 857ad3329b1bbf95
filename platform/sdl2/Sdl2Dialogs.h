#pragma once
#include <SDL.h>

#include "platform/Dialogs.h"

namespace plat {

/// Message boxes in SDL2 windows of their own. While one is open the program's windows are still
/// painted but take no input: presses, typing and pointer moves made on them are dropped. Keys let
/// go (on the box or on the program's windows), buttons let go on the program's windows and the
/// windows' minimise, restore, focus and size wait for the box and reach the program once it has
/// gone, so no key or button that was held when the box opened reads held after it; the release
/// of a key or button pressed while the box was open (Return answering it, a click on the game
/// window) does not reach the program, during the box or after it. A held key's
/// auto-repeat does not answer the box, and closing one of the program's windows or asking the
/// program to stop closes the box and then reaches the program as it would without a box (see
/// Dialogs::SessionEnding; the ending lasts until the program has taken that request and asks for
/// more messages: Sdl2Messages::MarkSessionEnding). A key whose press the box took is the box's
/// until it is let go: a key that answers and is still held keeps the box open until its release
/// (SDL would forget it with the box's window and take its next auto-repeat for a fresh press),
/// and its repeats and release do not reach the program.
/// Each box is told in the debug output: `Message box "<title>": <text>`.
class Sdl2Dialogs final : public Dialogs {
public:
    /// Whether a key is held now (SDL's keyboard state unless a test says otherwise).
    using KeyHeld = bool (*)(SDL_Scancode);

    /// Without a screen (SDL's dummy and offscreen video) nobody could see or answer a box: it
    /// is not shown (answer 0) unless `withoutScreen` asks for it.
    explicit Sdl2Dialogs(bool withoutScreen = false, KeyHeld keyHeld = nullptr)
        : withoutScreen_(withoutScreen), keyHeld_(keyHeld ? keyHeld : SdlHoldsKey) {}
    int MessageBox(std::string_view text, std::string_view title, uint32_t type) override;
    void Beep() override;

    static bool SdlHoldsKey(SDL_Scancode scancode);

private:
    bool withoutScreen_;
    KeyHeld keyHeld_;
};

} // namespace plat
