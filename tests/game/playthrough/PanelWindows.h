#pragma once
// A panel board's window: the see-through pixels its picture encloses, where a panel shows a
// picture of its own. Every pixel of the window must belong to the board or to one of the
// panel's pictures; a bare one shows whatever stands behind the panel.
#include <functional>
#include <string>
#include <vector>

#include "engine/base/Point.h"
#include "engine/base/Rect.h"

class OActivityProp;

namespace vqt::test {

/// The bare pixels of a window: how many, and the box around them (empty for none).
struct BareWindow {
    int pixels = 0;
    CRect16 bounds;
};

/// A board's window: the pixels, in the board's own places (from its top left), that it leaves
/// bare and that no bare path (sideways or up and down) joins to its edge. `drawn(x, y)` tells
/// whether the board draws its pixel.
std::vector<CPoint16> EnclosedPixels(int16_t width, int16_t height, const std::function<bool(int16_t, int16_t)>& drawn);

/// Over the board's box: `drawn(x, y)` tells whether the board draws the stage pixel, `covered`
/// whether one of the panel's pictures does; the window's pixels that `covered` leaves bare.
BareWindow BareWindowPixels(const CRect16& board, const std::function<bool(int16_t, int16_t)>& drawn,
                            const std::function<bool(int16_t, int16_t)>& covered);

/// Whether the prop draws the stage pixel in its current frame (a prop on the main window).
bool Draws(OActivityProp* prop, int16_t x, int16_t y);
/// Whether the prop draws any pixel in its current frame.
bool DrawsAnything(OActivityProp* prop);

/// One line a fault, "<screen>: <panel> at <box>: ...", for each button panel on the main
/// window now whose window shows what stands behind it.
std::vector<std::string> PanelWindowFaults(const std::string& screen);

} // namespace vqt::test
