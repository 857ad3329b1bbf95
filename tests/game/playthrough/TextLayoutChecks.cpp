#include "tests/game/playthrough/TextLayoutChecks.h"

#include <map>

#include "engine/app/Engine.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/media/TextDView.h"
#include "engine/media/TextView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/PanelWindows.h"
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

/// Whether the words hold more than blanks and line breaks.
bool Worded(const char* words) {
    for (; *words; ++words)
        if (*words != ' ' && *words != '\r' && *words != '\n' && *words != '\t') return true;
    return false;
}

/// The counter bar, shown or not, as a bar of the stage: its shown icons and zero marks are its
/// pieces, and its numbers keep to it as a panel's texts to their panel.
void AddCounterBar(const std::map<OView*, int>& pictureIndex, LaidStage& stage, std::map<OView*, int>& barOfText) {
    CTLVApp* app = CTLVApp::Get();
    CCounterPanel* counters = app ? app->GetCounterPanel() : nullptr;
    if (!counters) return;
    LaidBar bar;
    // Its numbers keep to it even while it is hidden: then they stand where no bar is.
    if (pictureIndex.contains(counters)) {
        bar.picture = pictureIndex.at(counters);
        bar.drawn = DrawsAnything(counters);
    } else {
        bar.picture = int(stage.pictures.size());
        stage.pictures.push_back({Describe(counters) + " (hidden)", counters->GetScreenRect()});
    }
    for (int i = 0; i < CCounterPanel::kCounters; ++i) {
        for (OView* piece : {static_cast<OView*>(counters->GetIcon(i)), static_cast<OView*>(counters->GetZeroMark(i))})
            if (piece && pictureIndex.contains(piece)) bar.pieces.push_back(pictureIndex.at(piece));
        if (OView* number = counters->GetNumber(i)) barOfText[number] = bar.picture;
    }
    stage.bars.push_back(std::move(bar));
}

} // namespace

std::vector<std::string> TextLayoutFaults(const std::string& screen, bool overScenery, bool rolling) {
    return JudgeShownLayout(screen, overScenery, rolling).faults;
}

ShownLayout JudgeShownLayout(const std::string& screen, bool overScenery, bool rolling) {
    ShownLayout shown;
    std::vector<std::string>& faults = shown.faults;
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    if (!window) return shown;
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
    std::map<OView*, int> barOfText;
    AddCounterBar(pictureIndex, stage, barOfText);
    for (OTextView* view : views.texts) {
        LaidText text{Named(view), view->GetScreenRect(), {}, !view->IsTransparent(), -1, {}, Worded(view->GetTextPtr())};
        for (const CTextLine& line : view->LaidOutLines()) text.ink.push_back(FromClip(line.ink));
        const bool judged = text.worded && text.box.Overlaps(stage.bounds);
        if (judged) {
            ++shown.texts;
            shown.judged.push_back(text.name);
        }
        for (ButtonPanel_Prop* panel : views.panels)
            for (int32_t i = 0; i < panel->AttachedCount(); ++i)
                if (panel->AttachedAt(i) == view && pictureIndex.contains(panel)) {
                    text.panel = pictureIndex[panel];
                    if (judged) ++shown.panelTexts[panel->GetPanelId()];
                }
        if (barOfText.contains(view)) {
            text.panel = barOfText[view];
            if (judged) ++shown.numbers;
        }
        for (size_t p = 0; p < views.pictures.size(); ++p)
            if (Related(views.pictures[p], view)) text.own.push_back(int(p));
        stage.texts.push_back(std::move(text));
    }
    for (ButtonPanel_Prop* panel : views.panels)
        if (pictureIndex.contains(panel)) shown.panels.insert(panel->GetPanelId());
    for (std::string& fault : LayoutFaults(stage)) faults.push_back(screen + ": " + fault);
    return shown;
}

} // namespace vqt::test
