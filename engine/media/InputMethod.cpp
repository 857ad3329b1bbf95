#include "engine/media/InputMethod.h"

#include <string>

#include "engine/data/MessageTexts.h"
#include "engine/media/MediaState.h"
#include "engine/media/TextIMEView.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kJapanese = 24;
constexpr uint32_t kKorean = 25;
/// Notify codes the handlers take: the candidate changed, the candidate window opened.
constexpr uintptr_t kCandidateChanged = 3;
constexpr uintptr_t kCandidateOpened = 5;

/// The composition of the moment shown in the view (the kept text becomes it).
std::string ReadAndShow(OTextIMEView* view) {
    const std::string composition = plat::inputMethod().ReadComposition();
    if (view) view->ShowComposition(composition.c_str());
    return composition;
}

void CommitKept(OTextIMEView* view) {
    if (view) view->CommitText(plat::inputMethod().Kept().c_str());
}

bool Japanese(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    OTextIMEView* view = xIME_GetCurrentView();
    switch (message) {
    case plat::WM_IME_STARTCOMPOSITION:
        plat::inputMethod().ClearKept();
        return true;
    case plat::WM_IME_ENDCOMPOSITION:
        return true;
    case plat::WM_IME_COMPOSITION:
        if (lParam & plat::GCS_RESULTCLAUSE) CommitKept(view);
        if (ReadAndShow(view).empty() && view) view->CommitText("");
        return true;
    case plat::WM_IME_SETCONTEXT:
        return false;
    case plat::WM_IME_NOTIFY:
        return wParam == kCandidateChanged || wParam == kCandidateOpened;
    default:
        return true;
    }
}

bool Korean(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    OTextIMEView* view = xIME_GetCurrentView();
    switch (message) {
    case plat::WM_IME_STARTCOMPOSITION:
        plat::inputMethod().ClearKept();
        return true;
    case plat::WM_IME_ENDCOMPOSITION:
        if (view) view->CommitText("");
        return true;
    case plat::WM_IME_COMPOSITION:
        if (lParam & plat::GCS_RESULTSTR) CommitKept(view);
        ReadAndShow(view);
        return false;
    case plat::WM_IME_NOTIFY:
        return wParam == kCandidateChanged || wParam == kCandidateOpened;
    default:
        return true;
    }
}

} // namespace

CInputMethodState& CInputMethodState::Get() { return xMedia_State().inputMethod; }

void xIME_SetCurrentView(OTextIMEView* view) { CInputMethodState::Get().current = view; }

OTextIMEView* xIME_GetCurrentView() { return CInputMethodState::Get().current; }

bool xIME_HandleMessage(plat::WindowId, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (xLanguage_Get()) {
    case kJapanese: return Japanese(message, wParam, lParam);
    case kKorean: return Korean(message, wParam, lParam);
    default: return false;
    }
}
