#pragma once
// The system pointer: whether the program has it hidden, the cursor it shows, and cursors built
// from frame images of the game's part file.
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "platform/Input.h"

/// A cursor handle; 0 is none.
using xCursor = plat::CursorId;

/// The pointer's module state.
struct CCursorState {
    /// 0 while the program has the system pointer shown, -1 while it has it hidden.
    int32_t hiddenState = 0;
    /// The cursor last set through xCursor_Set, and the one shown before it.
    xCursor current = 0;
    xCursor previous = 0;

    /// The record of the engine context.
    static CCursorState& Get();
};

/// The cursor-hidden state (0 or -1).
int32_t xCursor_HiddenState();
/// Shows or hides the system pointer through the cursor-hidden state: the platform is asked
/// only when the state changes, so the program never stacks a second hide.
void xCursor_Show(bool show);

/// The cursor of an 8-bit frame: per pixel the low three bits give the colour (2 white, 3
/// see-through, 4 inverted screen, any other black) and the bit of value 8 marks the hot spot,
/// the first such pixel row by row (0, 0 when none). Only the frame's own pixels are read: a
/// frame smaller than 32 x 32 leaves the rest of the cursor see-through, a larger one is cut.
plat::CursorImage xCursor_BuildImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch);
/// A cursor built from a frame of the game's part file; 0 (traced) when the frame is missing,
/// cannot be read or is not 8 bits per pixel.
xCursor xCursor_CreateFromFrame(ChunkId frameId);
/// Releases a cursor made by xCursor_CreateFromFrame; 0 is ignored.
void xCursor_Destroy(xCursor cursor);
/// The standard arrow.
xCursor xCursor_LoadArrow();
/// Shows `cursor` when it differs from the cursor set last, keeping that one as the previous.
void xCursor_Set(xCursor cursor);
/// The boxes' presenter (see xMessageBox_SetPresenter): while the box is open the arrow is the
/// cursor and the system pointer shows; afterwards the application window has the focus, the
/// previous cursor comes back and the pointer is hidden again when the program had hidden it.
int xCursor_PresentBox(const char* text, const char* title, uint32_t type, bool ask);
