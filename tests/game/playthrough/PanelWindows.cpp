#include "tests/game/playthrough/PanelWindows.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "engine/graphics/State.h"
#include "game/shell/ButtonPanel.h"
#include "tests/game/playthrough/TextLayoutRules.h"

namespace vqt::test {
namespace {

void CollectPanels(ONode* node, std::vector<ButtonPanel_Prop*>& panels) {
    auto* panel = dynamic_cast<ButtonPanel_Prop*>(node);
    if (panel && panel->IsShownThroughParents() && panel->GetCurrentStateObject()) panels.push_back(panel);
    for (int32_t i = 0; i < node->ChildCount(); ++i) CollectPanels(node->ChildAt(i), panels);
}

} // namespace

std::vector<CPoint16> EnclosedPixels(int16_t width, int16_t height, const std::function<bool(int16_t, int16_t)>& drawn) {
    std::vector<CPoint16> window;
    if (width <= 0 || height <= 0) return window;
    // 0 drawn by the board, 1 see-through, 2 see-through and joined to the edge.
    std::vector<uint8_t> cells(size_t(width) * size_t(height));
    std::vector<size_t> open;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            cells[at] = drawn(int16_t(x), int16_t(y)) ? 0 : 1;
            if (cells[at] && (x == 0 || y == 0 || x == width - 1 || y == height - 1)) {
                cells[at] = 2;
                open.push_back(at);
            }
        }
    while (!open.empty()) {
        const size_t at = open.back();
        open.pop_back();
        const int x = int(at % size_t(width)), y = int(at / size_t(width));
        const auto join = [&](int nx, int ny) {
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) return;
            const size_t next = size_t(ny) * size_t(width) + size_t(nx);
            if (cells[next] != 1) return;
            cells[next] = 2;
            open.push_back(next);
        };
        join(x - 1, y), join(x + 1, y), join(x, y - 1), join(x, y + 1);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (cells[size_t(y) * size_t(width) + size_t(x)] == 1) window.emplace_back(int16_t(x), int16_t(y));
    return window;
}

namespace {

BareWindow BarePixels(const std::vector<CPoint16>& window, const CRect16& board,
                      const std::function<bool(int16_t, int16_t)>& covered) {
    BareWindow bare;
    for (const CPoint16& p : window) {
        const int16_t x = int16_t(board.left + p.x), y = int16_t(board.top + p.y);
        if (covered(x, y)) continue;
        const CRect16 pixel(x, y, int16_t(x + 1), int16_t(y + 1));
        bare.bounds = bare.pixels == 0 ? pixel : bare.bounds.Union(pixel);
        ++bare.pixels;
    }
    return bare;
}

/// The window of a board's picture as it is drawn now. Boards share their art, so each look of
/// the same part, state, frame and size is worked out once.
const std::vector<CPoint16>& WindowOf(OActivityProp* board) {
    static std::map<std::tuple<ChunkId, int32_t, int32_t, int16_t, int16_t>, std::vector<CPoint16>> known;
    ChunkId part = kNullChunkId;
    board->GetPartID(&part);
    const CRect16 box = board->GetScreenRect();
    const int16_t width = int16_t(box.right - box.left), height = int16_t(box.bottom - box.top);
    const auto key = std::make_tuple(part, board->GetState(), board->GetCurrentFrame(), width, height);
    if (auto found = known.find(key); found != known.end()) return found->second;
    return known[key] = EnclosedPixels(width, height, [&](int16_t x, int16_t y) {
               return Draws(board, int16_t(box.left + x), int16_t(box.top + y));
           });
}

} // namespace

bool Draws(OActivityProp* prop, int16_t x, int16_t y) {
    CState* state = prop->GetCurrentStateObject();
    const CRect16 box = prop->GetScreenRect();
    return state && box.ContainsPoint(x, y) &&
           state->HitTestPointScaled(CPoint16(x, y), CPoint16(box.left, box.top), prop->GetScaleH(), prop->GetScaleV());
}

bool DrawsAnything(OActivityProp* prop) {
    const CRect16 box = prop->GetScreenRect();
    for (int16_t y = box.top; y < box.bottom; ++y)
        for (int16_t x = box.left; x < box.right; ++x)
            if (Draws(prop, x, y)) return true;
    return false;
}

BareWindow BareWindowPixels(const CRect16& board, const std::function<bool(int16_t, int16_t)>& drawn,
                            const std::function<bool(int16_t, int16_t)>& covered) {
    const std::vector<CPoint16> window =
        EnclosedPixels(int16_t(board.right - board.left), int16_t(board.bottom - board.top),
                       [&](int16_t x, int16_t y) { return drawn(int16_t(board.left + x), int16_t(board.top + y)); });
    return BarePixels(window, board, covered);
}

std::vector<std::string> PanelWindowFaults(const std::string& screen) {
    std::vector<std::string> faults;
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    if (!window) return faults;
    std::vector<ButtonPanel_Prop*> panels;
    CollectPanels(window, panels);
    for (ButtonPanel_Prop* panel : panels) {
        std::vector<OActivityProp*> pictures;
        for (int32_t i = 0; i < panel->AttachedCount(); ++i)
            if (auto* prop = dynamic_cast<OActivityProp*>(panel->AttachedAt(i));
                prop && prop->IsShownThroughParents() && prop->GetCurrentStateObject())
                pictures.push_back(prop);
        const CRect16 box = panel->GetScreenRect();
        const BareWindow bare = BarePixels(WindowOf(panel), box, [&](int16_t x, int16_t y) {
            return std::any_of(pictures.begin(), pictures.end(), [&](OActivityProp* p) { return Draws(p, x, y); });
        });
        if (bare.pixels > 0)
            faults.push_back(screen + ": panel " + std::to_string(panel->GetPanelId()) + " at " + BoxText(box) + ": " +
                             std::to_string(bare.pixels) + " pixels of its window (" + BoxText(bare.bounds) +
                             ") show what stands behind it");
    }
    return faults;
}

} // namespace vqt::test
