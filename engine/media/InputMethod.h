#pragma once
// The input-method message handler: the window's input-method messages feed the current
// input-method view, through the handler of the current language (Japanese or Korean).
#include <cstdint>

#include "platform/Messages.h"

class OTextIMEView;

/// The handler's module state: the view the input method types into.
struct CInputMethodState {
    OTextIMEView* current = nullptr;

    /// The record of the engine context.
    static CInputMethodState& Get();
};

/// The view that composed text goes into (null: none; the handlers then touch no view).
void xIME_SetCurrentView(OTextIMEView* view);
OTextIMEView* xIME_GetCurrentView();

/// Hands an input-method message (start, end, composition, set context, notify, character) to
/// the Japanese handler in language 24 or the Korean one in language 25 and answers what it
/// answers (whether the message was handled); false in every other language.
bool xIME_HandleMessage(plat::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam);
