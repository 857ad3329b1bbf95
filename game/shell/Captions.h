#pragma once
// Every caption the game can show under a voice line. Each table of captioned voice lines lists
// its captions here as the program starts (a constant beside the table), so the whole set can be
// walked, as the caption check walks it, without playing every screen.
#include <cstddef>
#include <vector>

namespace captions {

/// The captions listed so far, every table's once the program has started, in no set order.
const std::vector<const char*>& All();

/// Lists one caption (a null one is none); true, to start a constant with.
bool List(const char* caption);

/// Lists the caption of each line of a table; true.
template <class Line, std::size_t N>
bool List(const Line (&lines)[N]) {
    for (const Line& line : lines) List(line.caption);
    return true;
}

/// Lists the caption of each of `count` lines; true.
template <class Line>
bool List(const Line* lines, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) List(lines[i].caption);
    return true;
}

} // namespace captions
