#pragma once
#include "platform/Dialogs.h"

namespace plat {

/// Message boxes in SDL2 windows of their own. While one is open the program's input waits, its
/// windows are still painted, and closing one of them or asking the program to stop closes the
/// box and then reaches the program as it would without a box (see Dialogs::SessionEnding).
class Sdl2Dialogs final : public Dialogs {
public:
    int MessageBox(std::string_view text, std::string_view title, uint32_t type) override;
    void Beep() override;
};

} // namespace plat
