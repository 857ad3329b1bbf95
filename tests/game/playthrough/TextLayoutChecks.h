#pragma once
// What a screen's texts must keep to as they are drawn: each laid-out line inside its text's box,
// each box inside the panel picture the text belongs to, no line cut by its box, and no drawn
// line straddling the border of a picture it is not inside of nor lying over another text's line.
#include <string>
#include <vector>

namespace vqt::test {

/// One line a fault, "<screen>: <view> "<text>": <fault>", for every shown text on the main
/// window now.
std::vector<std::string> TextLayoutFaults(const std::string& screen);

} // namespace vqt::test
