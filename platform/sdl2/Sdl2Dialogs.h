#pragma once
#include "platform/Dialogs.h"

namespace plat {

/// Message boxes shown by SDL2.
class Sdl2Dialogs final : public Dialogs {
public:
    int MessageBox(std::string_view text, std::string_view title, uint32_t type) override;
    void Beep() override;
};

} // namespace plat
