// A board's window over small drawn masks: '#' the board draws the pixel, 'p' the panel's own
// picture does, '.' neither.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/playthrough/PanelWindows.h"

namespace vqt::test {
namespace {

struct WindowCase {
    const char* name;
    std::vector<const char*> rows;
    int bare;
    /// The box around the bare pixels, in the mask's own places.
    CRect16 bounds = {};
};

void PrintTo(const WindowCase& c, std::ostream* out) { *out << c.name; }

const WindowCase kWindows[] = {
    {"a board with no window", {"#####", "#####", "#####"}, 0},
    {"a window the panel's picture fills", {"#####", "#ppp#", "#ppp#", "#####"}, 0},
    {"a window the panel leaves bare", {"#####", "#...#", "#...#", "#####"}, 6, {1, 1, 4, 3}},
    {"a picture smaller than its window", {"######", "#.ppp#", "#pppp#", "######"}, 1, {1, 1, 2, 2}},
    {"a picture with a see-through pixel in the window", {"#####", "#p.p#", "#####"}, 1, {2, 1, 3, 2}},
    {"see-through corners are no window", {".###.", "#####", ".###."}, 0},
    {"a notch open to the edge is no window", {"#.###", "#.#.#", "#####"}, 1, {3, 1, 4, 2}},
    {"a hole joined to the edge only corner to corner is a window", {".####", "#.###", "#####"}, 1, {1, 1, 2, 2}},
};

class PanelWindowsTest : public testing::TestWithParam<WindowCase> {};

TEST_P(PanelWindowsTest, FindsTheBarePixelsTheBoardEncloses) {
    const WindowCase& c = GetParam();
    // The board stands at (100, 50) on the stage.
    constexpr int16_t kLeft = 100, kTop = 50;
    const auto at = [&](int16_t x, int16_t y) { return c.rows[size_t(y - kTop)][x - kLeft]; };
    const CRect16 board(kLeft, kTop, int16_t(kLeft + std::string(c.rows[0]).size()), int16_t(kTop + c.rows.size()));
    const BareWindow bare = BareWindowPixels(
        board, [&](int16_t x, int16_t y) { return at(x, y) == '#'; }, [&](int16_t x, int16_t y) { return at(x, y) == 'p'; });
    EXPECT_EQ(bare.pixels, c.bare);
    if (c.bare > 0) {
        EXPECT_EQ(bare.bounds, c.bounds.Offset(kLeft, kTop));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, PanelWindowsTest, testing::ValuesIn(kWindows), CaseName<WindowCase>);

} // namespace
} // namespace vqt::test
