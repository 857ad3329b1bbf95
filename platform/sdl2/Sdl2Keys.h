#pragma once
#include <SDL.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace plat {

/// A key as a Windows key message carries it: the virtual-key code (wParam) and the set-1
/// scan code with its extended flag (lParam bits 16-23 and 24).
struct WinKey {
    int32_t virtualKey = 0;
    uint8_t scanCode = 0;
    bool extended = false;
};

/// The Windows key of an SDL key: letters and digits by the key the layout gives, every other
/// key by its place on the keyboard. A key without a Windows counterpart has virtual key 0.
WinKey WinKeyFromSdl(SDL_Scancode scancode, SDL_Keycode keycode);

/// The SDL keys that make a virtual key (both sides for Shift, Ctrl and Alt); empty for a
/// virtual key no key makes.
std::vector<SDL_Scancode> SdlScancodesOfVirtualKey(int32_t virtualKey);

/// lParam of a key message: repeat count 1, the scan code, the extended flag, the context bit
/// (Alt held), the previous-state bit (the key was down before) and the transition bit (up).
intptr_t KeyLParam(const WinKey& key, bool altHeld, bool wasDown, bool up);

} // namespace plat
