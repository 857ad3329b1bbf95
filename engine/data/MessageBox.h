#pragma once
// The standard message boxes of the engine and the game. While a box is open the arrow is the
// cursor, the system pointer shows and the engine's modal-box flag is set; afterwards the
// previous cursor comes back and the pointer is hidden again when the program had hidden it.
#include <cstdint>

/// Shows the text in a box of that type (0 is 0x1010: system-modal, stop icon, OK) and answers
/// the button pressed (1 OK, 6 Yes, 7 No, ...), or 0 when the box cannot be shown.
int xMessageBox(const char* text, const char* title, uint32_t type);
/// As xMessageBox for a question that only a person can answer: 0 also when nobody is there
/// to answer it (see plat::Dialogs::Ask).
int xMessageBox_Ask(const char* text, const char* title, uint32_t type);
/// The message of the id, its arguments filled in, in a box of that type titled "Error".
int xErrorMessage(const char* id, uint32_t type, const char* const* args, int16_t count);
/// The text in a system-modal Yes/No box (0x1004) titled "Error": 6 for Yes, 7 for No.
int xErrorBox(const char* text);
/// The message of the id, its arguments filled in, asked with xErrorBox.
int xErrorMessageEx(const char* id, const char* const* args, int16_t count);
/// Whether a box of xMessageBox is open now (the engine's modal-box flag).
bool xMessageBox_IsOpen();

/// Shows a box through the platform's dialogs (`ask`: a question only a person may answer) with
/// what the layers above do around a box: the pointer's module installs one that shows the arrow
/// and the system pointer while the box is open and gives the focus back after it. Without one
/// the box is shown as it is.
using xMessageBoxPresenter = int (*)(const char* text, const char* title, uint32_t type, bool ask);
void xMessageBox_SetPresenter(xMessageBoxPresenter presenter);

/// The box module's state.
struct CMessageBoxState {
    bool open = false;
    xMessageBoxPresenter presenter = nullptr;

    /// The record of the engine context.
    static CMessageBoxState& Get();
};
