#pragma once
// The texts shown on the main window now, laid out as they are drawn and judged by the rules of
// TextLayoutRules.h.
#include <string>
#include <vector>

namespace vqt::test {

/// One line a fault, "<screen>: <view> "<text>": <fault>", for every shown text on the main
/// window now; `overScenery` for a screen that draws scenery under its texts, `rolling` for texts
/// that roll across the stage's edges.
std::vector<std::string> TextLayoutFaults(const std::string& screen, bool overScenery, bool rolling);


} // namespace vqt::test
