#include "platform/sdl2/Sdl2Dialogs.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace plat {

int Sdl2Dialogs::MessageBox(std::string_view text, std::string_view title, uint32_t type) {
    struct Button {
        int id;
        const char* label;
    };
    static const std::vector<Button> kSets[] = {
        {{mb::IdOk, "OK"}},
        {{mb::IdOk, "OK"}, {mb::IdCancel, "Cancel"}},
        {{mb::IdAbort, "Abort"}, {mb::IdRetry, "Retry"}, {mb::IdIgnore, "Ignore"}},
        {{mb::IdYes, "Yes"}, {mb::IdNo, "No"}, {mb::IdCancel, "Cancel"}},
        {{mb::IdYes, "Yes"}, {mb::IdNo, "No"}},
        {{mb::IdRetry, "Retry"}, {mb::IdCancel, "Cancel"}},
    };
    const uint32_t set = (type & mb::ButtonMask) <= mb::RetryCancel ? (type & mb::ButtonMask) : 0;
    const int defaultId = mb::DefaultAnswer(type);

    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const Button& b : kSets[set]) {
        Uint32 flags = 0;
        if (b.id == defaultId) {
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        }
        buttons.push_back(SDL_MessageBoxButtonData{flags, b.id, b.label});
    }
    const std::string textCopy(text);
    const std::string titleCopy(title);
    SDL_MessageBoxData data{};
    data.flags = (type & mb::IconStop) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    data.title = titleCopy.c_str();
    data.message = textCopy.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        return 0;
    }
    // Closing the box without a button answers its cancel choice, as Escape does on Windows.
    return pressed < 0 ? (set == 0 ? mb::IdOk : buttons.back().buttonid) : pressed;
}

void Sdl2Dialogs::Beep() {
    std::fputc('\a', stderr);
}

} // namespace plat
