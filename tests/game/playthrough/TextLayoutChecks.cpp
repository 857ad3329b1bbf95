#include "tests/game/playthrough/TextLayoutChecks.h"

#include <cstdio>

#include "engine/app/Engine.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/media/TextView.h"
#include "game/shell/ButtonPanel.h"

namespace vqt::test {
namespace {

/// A shown text: its box on the stage, its laid-out lines that draw something, and the panel
/// it is attached to (null for none).
struct ShownText {
    OTextView* view;
    CRect16 box;
    std::vector<CRect16> lines;
    ButtonPanel_Prop* panel = nullptr;

    /// The part of line i that is drawn: the drawing is clipped to the box.
    CRect16 Drawn(size_t i) const { return lines[i].Intersect(box); }
};

struct StageViews {
    std::vector<ShownText> texts;
    /// Shown props that draw a picture of a part.
    std::vector<OActivityProp*> pictures;
    std::vector<ButtonPanel_Prop*> panels;
};

void Collect(ONode* node, StageViews& views) {
    auto* view = dynamic_cast<OView*>(node);
    if (view && view->IsShownThroughParents() && !view->GetScreenRect().IsEmpty()) {
        if (auto* text = dynamic_cast<OTextView*>(view)) {
            ShownText shown{text, text->GetScreenRect(), {}};
            for (const CClipRect& line : text->LaidOutLines())
                if (line.right > line.left) shown.lines.push_back(FromClip(line));
            if (!shown.lines.empty()) views.texts.push_back(std::move(shown));
        } else if (auto* prop = dynamic_cast<OActivityProp*>(view); prop && prop->GetAnimSet()) {
            // What is drawn over the scene lies on the main window itself (panels, their
            // pictures and buttons, the counter bar, the host); a screen's scenery lies in it.
            if (prop->GetParent() == OVQEngine::Instance()->GetMainWindow()) views.pictures.push_back(prop);
            if (auto* panel = dynamic_cast<ButtonPanel_Prop*>(prop)) views.panels.push_back(panel);
        }
    }
    for (int32_t i = 0; i < node->ChildCount(); ++i) Collect(node->ChildAt(i), views);
}

std::string Box(const CRect16& r) {
    char text[64];
    std::snprintf(text, sizeof text, "x %d-%d y %d-%d", r.left, r.right, r.top, r.bottom);
    return text;
}

/// "<class name> <object id> (<part>) at <box>".
std::string Describe(OView* view) {
    std::string described = std::string(view->GetName()) + " " + std::to_string(view->GetObjectId());
    if (auto* prop = dynamic_cast<OActivityProp*>(view)) {
        ChunkId part = kNullChunkId;
        prop->GetPartID(&part);
        if (part != kNullChunkId)
            described += " (part {" + std::to_string(ChunkIndexOf(part)) + ", " + std::to_string(ChunkEntryOf(part)) + "})";
    }
    return described + " at " + Box(view->GetScreenRect());
}

/// The view and its text, line breaks shown as '|'.
std::string Named(const ShownText& text) {
    std::string words = text.view->GetTextPtr();
    for (char& c : words)
        if (c == '\r' || c == '\n') c = '|';
    if (words.size() > 60) words = words.substr(0, 57) + "...";
    return Describe(text.view) + " \"" + words + "\"";
}

bool Related(OView* a, OView* b) { return a == b || a->IsDescendantOf(b) || b->IsDescendantOf(a); }

} // namespace

std::vector<std::string> TextLayoutFaults(const std::string& screen) {
    std::vector<std::string> faults;
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    if (!window) return faults;
    StageViews views;
    Collect(window, views);
    const CRect16 stage(0, 0, window->GetStageWidth(), window->GetStageHeight());
    for (ShownText& text : views.texts)
        for (ButtonPanel_Prop* panel : views.panels)
            for (int32_t i = 0; i < panel->AttachedCount(); ++i)
                if (panel->AttachedAt(i) == text.view) text.panel = panel;

    const auto fault = [&](const ShownText& text, const std::string& what) {
        faults.push_back(screen + ": " + Named(text) + ": " + what);
    };
    for (size_t t = 0; t < views.texts.size(); ++t) {
        const ShownText& text = views.texts[t];
        if (!text.box.Overlaps(stage)) continue; // a credits line below the stage, say
        // A text lies on its panel's picture when a line of it does (a title may stand apart
        // from it, over the scene); it must then keep inside it.
        CRect16 panel;
        for (size_t i = 0; text.panel && i < text.lines.size(); ++i)
            if (text.Drawn(i).Overlaps(text.panel->GetScreenRect())) panel = text.panel->GetScreenRect();
        if (!panel.IsEmpty() && !panel.Contains(text.box))
            fault(text, "its box leaves its panel " + Describe(text.panel));
        for (size_t i = 0; i < text.lines.size(); ++i) {
            const CRect16& line = text.lines[i];
            const std::string which = "line " + std::to_string(i + 1) + " (" + Box(line) + ")";
            if (line.left < text.box.left || line.right > text.box.right) fault(text, which + " runs out of its box");
            if (line.top < text.box.top || line.bottom > text.box.bottom) fault(text, which + " is cut by its box");
            const CRect16 drawn = text.Drawn(i);
            if (drawn.IsEmpty()) continue;
            if (!panel.IsEmpty() && !panel.Contains(drawn)) fault(text, which + " runs out of its panel");
            for (OActivityProp* picture : views.pictures) {
                const CRect16 edge = picture->GetScreenRect();
                if (picture == text.panel || Related(picture, text.view)) continue;
                if (edge.Overlaps(drawn) && !edge.Contains(drawn))
                    fault(text, which + " crosses the edge of " + Describe(picture));
            }
            for (size_t o = t + 1; o < views.texts.size(); ++o) {
                const ShownText& other = views.texts[o];
                for (size_t j = 0; j < other.lines.size(); ++j)
                    if (other.Drawn(j).Overlaps(drawn))
                        fault(text, which + " lies over line " + std::to_string(j + 1) + " of " + Named(other));
            }
        }
    }
    return faults;
}

} // namespace vqt::test
