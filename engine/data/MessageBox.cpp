#include "engine/data/MessageBox.h"

#include <string>

#include "engine/data/DataState.h"
#include "engine/data/MessageTexts.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kDefaultType = plat::mb::SystemModal | plat::mb::IconStop | plat::mb::Ok;

int ShowBox(const char* text, const char* title, uint32_t type, bool ask) {
    if (type == 0) type = kDefaultType;
    CMessageBoxState& s = CMessageBoxState::Get();
    s.open = true;
    int answer = 0;
    if (s.presenter != nullptr) {
        answer = s.presenter(text, title, type, ask);
    } else {
        const std::string_view shown = text ? text : "";
        const std::string_view heading = title ? title : "";
        answer = ask ? plat::dialogs().Ask(shown, heading, type) : plat::dialogs().MessageBox(shown, heading, type);
    }
    CMessageBoxState::Get().open = false;
    return answer;
}

std::string Expand(const char* id, const char* const* args, int16_t count) {
    return xMessages_GetString(id, args, count);
}

} // namespace

CMessageBoxState& CMessageBoxState::Get() { return xData_State().messageBoxes; }

void xMessageBox_SetPresenter(xMessageBoxPresenter presenter) { CMessageBoxState::Get().presenter = presenter; }

int xMessageBox(const char* text, const char* title, uint32_t type) { return ShowBox(text, title, type, false); }

int xMessageBox_Ask(const char* text, const char* title, uint32_t type) { return ShowBox(text, title, type, true); }

int xErrorMessage(const char* id, uint32_t type, const char* const* args, int16_t count) {
    return xMessageBox(Expand(id, args, count).c_str(), "Error", type);
}

int xErrorBox(const char* text) { return xMessageBox(text, "Error", plat::mb::SystemModal | plat::mb::YesNo); }

int xErrorMessageEx(const char* id, const char* const* args, int16_t count) {
    return xErrorBox(Expand(id, args, count).c_str());
}

bool xMessageBox_IsOpen() { return CMessageBoxState::Get().open; }
