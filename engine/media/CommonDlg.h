#pragma once
// The engine's own modal box and the prompt that asks for the data disc. The box stands in for
// the window's procedure while it runs (one of the dialog procedures takes the application
// window's messages) and asks its question through the platform's dialog service, which draws
// the box; the frame tick waits meanwhile.
#include <cstdint>
#include <string>

class ODriver;
class OWindow;

/// A test the box runs after each answer: false ends the box. It may throw to end the box
/// with an exception.
using xCommonDlgTest = bool (*)(void* argument);

/// Runs the box over the window with the text and answers how it ended: without a test, 1 for
/// OK (Enter) and 2 for Cancel (Esc), which is offered only when `allowEsc` is set; a box that
/// cannot be shown counts as Esc when that is allowed, else as OK. With a test the box asks
/// Retry or Cancel (Retry the default): after Retry the test runs, false ends the box with 0,
/// true asks again; Cancel, or a box that cannot be shown or that nobody answers, counts as Esc
/// held while the test runs (xCommonDlg_EscapeHeld), and a test that then answers true ends the
/// box with 2 - the box never waits when nobody can answer it. The window's procedure and the
/// dialog-running flag are as before when it returns or throws.
int32_t xCommonDlg(OWindow* window, const char* text, uint8_t allowEsc, xCommonDlgTest test, void* testArg);
/// The text of the engine's box: the text, then "\n\nPress ENTER for OK" with `okLine` and
/// "\nOr hit ESC for Cancel" with `cancelLine`.
std::string xCommonDlg_PaintBox(const char* text, uint8_t okLine, uint8_t cancelLine);
/// Whether Esc counts as held for the box's test: the key is down, or the box's last answer was
/// Cancel (or none).
bool xCommonDlg_EscapeHeld();
/// The disc prompt, the access-failure handler of the game's part file: asks for the disc
/// (MSG_INSERTCD and MSG_HITESC) until the driver's file can be opened for reading again, then
/// answers 0 and the driver retries. Cancel, a quit request, or a box that cannot be shown or
/// that nobody answers throw the text "Driver Exception", which ends the driver's access.
int32_t xDriver_OnAccessFailure(ODriver* driver);

/// The box's module state: the text it shows, and whether its last answer stood for Esc.
struct CCommonDlgState {
    std::string text;
    bool escape = false;

    /// The record of the engine context.
    static CCommonDlgState& Get();
};
