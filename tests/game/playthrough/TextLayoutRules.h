#pragma once
// The rules a drawn text keeps to, over plain rectangles on the stage: a text given words lays
// out a line, each line's ink inside its text's box (a few pixels in from the sides and top of
// a box it fills with its own background), the box and the ink inside the panel picture or bar
// the text belongs to, no ink straddling the edge of a picture drawn over the scene, no ink
// over another text's ink, and, over scenery, every line on a backing: a picture drawn over the
// scene that holds its whole ink, or the text's own opaque background. A bar's pieces (icons,
// marks) lie inside it and apart, and a bar drawn on the stage holds something. A line hidden
// under a later text's opaque box lies over nothing.
#include <string>
#include <vector>

#include "engine/base/Rect.h"

namespace vqt::test {

/// A picture drawn over the scene: a panel, its pictures and buttons, the counter bar, the host.
struct LaidPicture {
    std::string name;
    CRect16 rect;
};

struct LaidText {
    std::string name;
    CRect16 box;
    /// Each line's ink, in order; an empty rectangle for a line of blanks.
    std::vector<CRect16> ink;
    /// Whether the view fills its box with its back colour.
    bool opaque = false;
    /// The picture (index in LaidStage::pictures) of the panel the text is attached to; -1 none.
    int panel = -1;
    /// Pictures that are the text's own (it lies in them, or they in it): never edges to it.
    std::vector<int> own;
    /// Whether the text has words to show (more than blanks).
    bool worded = false;
};

/// A bar drawn over the scene that carries pieces of its own (the counter bar: icons and zero
/// marks as pictures, numbers as texts whose panel is the bar).
struct LaidBar {
    /// The bar's picture, and its pieces' pictures shown now (indices in LaidStage::pictures).
    int picture = -1;
    std::vector<int> pieces;
    /// Whether the bar's picture draws any pixel (a mode may show the bar as nothing at all).
    bool drawn = true;
};

/// How far in from the sides and top of its own opaque box a text's ink keeps.
inline constexpr int16_t kBoxMargin = 2;

struct LaidStage {
    CRect16 bounds;
    /// Whether the screen draws scenery under its texts (a town or a game) rather than a
    /// backdrop made to carry them (the shell's screens).
    bool overScenery = false;
    /// Whether the texts roll across the stage's edges (the credits): a line part off the stage
    /// is then no fault.
    bool rolling = false;
    std::vector<LaidPicture> pictures;
    /// In the order they are drawn: a later text's opaque box hides what it covers of earlier ones.
    std::vector<LaidText> texts;
    std::vector<LaidBar> bars;
};

/// One line a fault, "<text name>: <fault>", for the stage's texts whose box is on the stage,
/// then "<picture name> at <box>: <fault>" for its bars.
std::vector<std::string> LayoutFaults(const LaidStage& stage);

/// "x <left>-<right> y <top>-<bottom>".
std::string BoxText(const CRect16& r);

} // namespace vqt::test
