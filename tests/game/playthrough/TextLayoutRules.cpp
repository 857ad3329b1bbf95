#include "tests/game/playthrough/TextLayoutRules.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace vqt::test {
namespace {

bool Among(const std::vector<int>& indices, size_t index) {
    return std::find(indices.begin(), indices.end(), int(index)) != indices.end();
}

/// How far a glyph's ink may overhang the box its advance keeps to.
constexpr int16_t kOverhang = 1;

/// The words a text's name quotes.
std::string_view Words(const std::string& name) {
    const size_t quote = name.find('"');
    return quote == std::string::npos ? std::string_view() : std::string_view(name).substr(quote);
}

/// The same words drawn twice at one place (two views a screen gives one title) read as one line.
bool SameLineTwice(const LaidText& a, size_t line, const LaidText& b, size_t otherLine) {
    return Words(a.name) == Words(b.name) && a.ink[line] == b.ink[otherLine];
}

class TextRules {
public:
    TextRules(const LaidStage& stage, std::vector<std::string>& faults) : stage_(stage), faults_(faults) {}

    void Check(size_t t) {
        const LaidText& text = stage_.texts[t];
        if (text.worded && std::all_of(text.ink.begin(), text.ink.end(), [](const CRect16& ink) { return ink.IsEmpty(); }))
            Fault(text, "was given words but lays out no line");
        // A text is judged by its ink (the pixels drawn), clipped as the drawing is to its box.
        // A text attached to a panel (or a bar) keeps to it wherever it is drawn: its box within
        // the panel's sides (above and below it only its lines count: a title's box is far
        // taller than its line, and may reach off the stage).
        const CRect16* panel = text.panel >= 0 ? &stage_.pictures[size_t(text.panel)].rect : nullptr;
        if (panel) {
            const int16_t left = std::max(text.box.left, stage_.bounds.left);
            const int16_t right = std::min(text.box.right, stage_.bounds.right);
            if (left < panel->left || right > panel->right)
                Fault(text, "its box leaves the sides of its panel " + Picture(size_t(text.panel)));
        }
        const LaidBar* bar = BarOf(text);
        for (size_t i = 0; i < text.ink.size(); ++i) {
            const CRect16& ink = text.ink[i];
            if (ink.IsEmpty()) continue;
            const std::string line = "line " + std::to_string(i + 1) + " (" + BoxText(ink) + ")";
            // A glyph's ink may overhang its advance by a pixel, which the line breaker does not
            // measure; the box clips that pixel, and no reader misses it.
            const bool outSideways = ink.left < text.box.left - kOverhang || ink.right > text.box.right + kOverhang;
            const bool cut = ink.top < text.box.top || ink.bottom > text.box.bottom;
            if (outSideways) Fault(text, line + " runs out of its box");
            if (cut) Fault(text, line + " is cut by its box");
            // A box the text fills with its own background is the line's backing: the first
            // letter and the top of the tallest stand clear of its border. Below the ink the
            // cell's descent already leaves room.
            if (text.opaque && !outSideways && !cut &&
                (ink.left < text.box.left + kBoxMargin || ink.right > text.box.right - kBoxMargin ||
                 ink.top < text.box.top + kBoxMargin))
                Fault(text, line + " has no margin inside its box " + BoxText(text.box));
            // The drawing is clipped to the box, and what is off the stage is not seen.
            const CRect16 inBox = ink.Intersect(text.box);
            const CRect16 drawn = inBox.Intersect(stage_.bounds);
            if (!stage_.rolling && !stage_.bounds.Contains(inBox))
                Fault(text, line + (drawn.IsEmpty() ? " lies off the stage" : " runs off the stage"));
            if (drawn.IsEmpty()) continue;
            const bool offPanel = panel && !panel->Contains(drawn);
            if (offPanel) Fault(text, line + " runs out of its panel " + Picture(size_t(text.panel)));
            if (bar)
                for (int piece : bar->pieces)
                    if (stage_.pictures[size_t(piece)].rect.Overlaps(drawn)) Fault(text, line + " lies over " + Picture(size_t(piece)));
            // What is drawn of a text on its own opaque background reads against it, whatever lies
            // under.
            if (!text.opaque) CheckSurroundings(text, bar, line, drawn, offPanel);
            if (HiddenByLaterText(t, drawn)) continue;
            for (size_t o = t + 1; o < stage_.texts.size(); ++o) {
                const LaidText& other = stage_.texts[o];
                for (size_t j = 0; j < other.ink.size(); ++j)
                    if (other.ink[j].Intersect(other.box).Intersect(stage_.bounds).Overlaps(drawn) &&
                        !SameLineTwice(text, i, other, j))
                        Fault(text, line + " lies over line " + std::to_string(j + 1) + " of " + other.name);
            }
        }
    }

    /// A bar on the stage holds something, and its pieces lie inside it, apart.
    void CheckBar(const LaidBar& bar) {
        const CRect16& rect = stage_.pictures[size_t(bar.picture)].rect;
        const bool holdsText = std::any_of(stage_.texts.begin(), stage_.texts.end(),
                                           [&](const LaidText& text) { return text.panel == bar.picture && text.worded; });
        // A bar parked off the stage while hidden may hold nothing; what it holds still keeps to it.
        if (bar.drawn && rect.Overlaps(stage_.bounds) && bar.pieces.empty() && !holdsText)
            BarFault(bar, "is shown with nothing on it");
        for (size_t i = 0; i < bar.pieces.size(); ++i) {
            const size_t piece = size_t(bar.pieces[i]);
            if (!rect.Contains(stage_.pictures[piece].rect)) BarFault(bar, Picture(piece) + " leaves the bar");
            for (size_t j = i + 1; j < bar.pieces.size(); ++j)
                if (stage_.pictures[piece].rect.Overlaps(stage_.pictures[size_t(bar.pieces[j])].rect))
                    BarFault(bar, Picture(piece) + " lies over " + Picture(size_t(bar.pieces[j])));
        }
    }

private:
    const LaidBar* BarOf(const LaidText& text) const {
        for (const LaidBar& bar : stage_.bars)
            if (text.panel >= 0 && bar.picture == text.panel) return &bar;
        return nullptr;
    }

    /// Whether a text drawn after text `t` fills a box over the whole of what is drawn of its line
    /// (an overlay over the counters): that line is not seen, and lies over nothing.
    bool HiddenByLaterText(size_t t, const CRect16& drawn) const {
        for (size_t o = t + 1; o < stage_.texts.size(); ++o)
            if (stage_.texts[o].opaque && stage_.texts[o].box.Contains(drawn)) return true;
        return false;
    }

    /// The line keeps off the edges of the pictures drawn over the scene and, over scenery,
    /// lies whole on one of them (a line already found across an edge is not told again).
    void CheckSurroundings(const LaidText& text, const LaidBar* bar, const std::string& line, const CRect16& drawn,
                           bool crosses) {
        bool backed = false;
        for (size_t p = 0; p < stage_.pictures.size(); ++p) {
            const CRect16& picture = stage_.pictures[p].rect;
            if (picture.Contains(drawn)) backed = true;
            if (int(p) == text.panel || Among(text.own, p) || (bar && Among(bar->pieces, p))) continue;
            if (picture.Overlaps(drawn) && !picture.Contains(drawn)) {
                Fault(text, line + " crosses the edge of " + Picture(p));
                crosses = true;
            }
        }
        if (stage_.overScenery && !backed && !crosses) Fault(text, line + " stands over scenery with no backing");
    }

    std::string Picture(size_t p) const { return stage_.pictures[p].name + " at " + BoxText(stage_.pictures[p].rect); }
    void Fault(const LaidText& text, const std::string& what) { faults_.push_back(text.name + ": " + what); }
    void BarFault(const LaidBar& bar, const std::string& what) { faults_.push_back(Picture(size_t(bar.picture)) + ": " + what); }

    const LaidStage& stage_;
    std::vector<std::string>& faults_;
};

} // namespace

std::string BoxText(const CRect16& r) {
    char text[64];
    std::snprintf(text, sizeof text, "x %d-%d y %d-%d", r.left, r.right, r.top, r.bottom);
    return text;
}

std::vector<std::string> LayoutFaults(const LaidStage& stage) {
    std::vector<std::string> faults;
    TextRules rules(stage, faults);
    for (size_t t = 0; t < stage.texts.size(); ++t)
        if (stage.texts[t].box.Overlaps(stage.bounds)) rules.Check(t);
    for (const LaidBar& bar : stage.bars) rules.CheckBar(bar);
    return faults;
}

} // namespace vqt::test
