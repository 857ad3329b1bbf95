#include "tests/game/playthrough/TextLayoutChecks.h"

#include <map>

#include "engine/app/Engine.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/media/TextView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/CounterPanel.h"
#include "tests/game/playthrough/TextLayoutRules.h"

namespace vqt::test {
namespace {

/// The shown views of the stage: its texts and the pictures drawn over the scene.
struct StageViews {
    std::vector<OTextView*> texts;
    std::vector<OActivityProp*> pictures;
    std::vector<ButtonPanel_Prop*> panels;
};

void Collect(ONode* node, OWindow* window, StageViews& views) {
    auto* view = dynamic_cast<OView*>(node);
    if (view && view->IsShownThroughParents() && !view->GetScreenRect().IsEmpty()) {
        if (auto* text = dynamic_cast<OTextView*>(view)) {
            views.texts.push_back(text);
        } else if (auto* prop = dynamic_cast<OActivityProp*>(view); prop && prop->GetAnimSet()) {
            // What is drawn over the scene lies on the main window itself (panels, their
            // pictures and buttons, the counter bar, the host); a screen's scenery lies in it.
            if (prop->GetParent() == window) views.pictures.push_back(prop);
            if (auto* panel = dynamic_cast<ButtonPanel_Prop*>(prop)) views.panels.push_back(panel);
        }
    }
    for (int32_t i = 0; i < node->ChildCount(); ++i) Collect(node->ChildAt(i), window, views);
}

/// "<class name> <object id> (<part>)".
std::string Describe(OView* view) {
    std::string described = std::string(view->GetName()) + " " + std::to_string(view->GetObjectId());
    if (auto* prop = dynamic_cast<OActivityProp*>(view)) {
        ChunkId part = kNullChunkId;
        prop->GetPartID(&part);
        if (part != kNullChunkId)
            described += " (part {" + std::to_string(ChunkIndexOf(part)) + ", " + std::to_string(ChunkEntryOf(part)) + "})";
    }
    return described;
}

/// The view, its box and its text, line breaks shown as '|'.
std::string Named(OTextView* view) {
    std::string words = view->GetTextPtr();
    for (char& c : words)
        if (c == '\r' || c == '\n') c = '|';
    if (words.size() > 60) words = words.substr(0, 57) + "...";
    return Describe(view) + " at " + BoxText(view->GetScreenRect()) + " \"" + words + "\"";
}

bool Related(OView* a, OView* b) { return a == b || a->IsDescendantOf(b) || b->IsDescendantOf(a); }

} // namespace

std::vector<std::string> TextLayoutFaults(const std::string& screen, bool overScenery, bool rolling) {
    std::vector<std::string> faults;
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    if (!window) return faults;
    StageViews views;
    Collect(window, window, views);

    LaidStage stage;
    stage.bounds = CRect16(0, 0, window->GetStageWidth(), window->GetStageHeight());
    stage.overScenery = overScenery;
    stage.rolling = rolling;
    std::map<OView*, int> pictureIndex;
    for (OActivityProp* picture : views.pictures) {
        pictureIndex[picture] = int(stage.pictures.size());
        stage.pictures.push_back({Describe(picture), picture->GetScreenRect()});
    }
    for (OTextView* view : views.texts) {
        LaidText text{Named(view), view->GetScreenRect(), {}, !view->IsTransparent(), -1, {}};
        for (const CTextLine& line : view->LaidOutLines()) text.ink.push_back(FromClip(line.ink));
        if (text.ink.empty()) continue;
        for (ButtonPanel_Prop* panel : views.panels)
            for (int32_t i = 0; i < panel->AttachedCount(); ++i)
                if (panel->AttachedAt(i) == view && pictureIndex.contains(panel)) text.panel = pictureIndex[panel];
        for (size_t p = 0; p < views.pictures.size(); ++p)
            if (Related(views.pictures[p], view)) text.own.push_back(int(p));
        stage.texts.push_back(std::move(text));
    }
    for (std::string& fault : LayoutFaults(stage)) faults.push_back(screen + ": " + fault);
    return faults;
}

} // namespace vqt::test
