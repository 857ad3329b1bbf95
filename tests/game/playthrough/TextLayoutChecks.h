#pragma once
// The texts shown on the main window now, laid out as they are drawn and judged by the rules of
// TextLayoutRules.h.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vqt::test {

/// One line a fault, "<screen>: <view> "<text>": <fault>", for every shown text on the main
/// window now; `overScenery` for a screen that draws scenery under its texts, `rolling` for texts
/// that roll across the stage's edges.
std::vector<std::string> TextLayoutFaults(const std::string& screen, bool overScenery, bool rolling);

/// What one look at the main window judged: its faults as TextLayoutFaults tells them, and which
/// texts it judged (texts given words whose box is on the stage).
struct ShownLayout {
    std::vector<std::string> faults;
    int texts = 0;
    /// Each judged text's name, "<class name> <object id> at <box> "<text>"".
    std::vector<std::string> judged;
    /// The ids of the button panels shown on the stage, and the judged texts attached to each.
    std::set<uint16_t> panels;
    std::map<uint16_t, int> panelTexts;
    /// The judged numbers of the counter bar.
    int numbers = 0;
};

ShownLayout JudgeShownLayout(const std::string& screen, bool overScenery, bool rolling);


} // namespace vqt::test
