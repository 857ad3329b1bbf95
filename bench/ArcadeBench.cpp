// One frame of an arcade game: the strip scrolled in its six groups with recycling, the vehicle
// steered, eight drops in flight tested against forty characters, and the stage drawn, with 200
// scenery items; beside the same frame of as many plain engine props as the peer, all on a
// 640 x 480 16-bit stage on the virtual clock. The frame budget of the game is 16.7 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/base/Rect.h"
#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/RunLoop.h"
#include "engine/graphics/ClipRect.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/arcade/ArcadeActivity.h"
#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/headless/VirtualClock.h"
#include "tools/builders/PartBuilder.h"

namespace {

using vqt::test::FramePlan;
using vqt::test::PartPlan;

constexpr int kFrameMs = 16;
constexpr int kItems = 200;
constexpr int kCharacters = 40;
constexpr int kDrops = 8;
constexpr int kPlainProps = kItems + kCharacters + kDrops + 1;
/// Drops fly 300 ms and are sprayed again.
constexpr int kRelaunchFrames = 18;
constexpr double kBudgetMs = 16.7;
constexpr float kStripWidth = 1920.0f;

PartPlan SpritePart(uint32_t seed, int states) {
    PartPlan part;
    for (int s = 0; s < states; ++s) {
        vqt::test::StatePlan state;
        for (int f = 0; f < 2; ++f)
            state.frames.push_back(FramePlan{.picture = vqt::test::RandomPicture(24, 24, seed + uint32_t(s * 2 + f)), .hotX = 12, .hotY = 12});
        part.states.push_back(state);
    }
    return part;
}

/// An arcade over a strip three stages wide, as the games have, its drops tested against the
/// characters as a game tests them. Items that leave on the left come back a span ahead, so
/// about as many show on the stage as of the plain props spread over the same width (a wider
/// strip would send them off the stage for good and leave little to draw).
class BenchArcade : public Arcade_Activity {
public:
    BenchArcade() : Arcade_Activity("Bench_Arcade", 420) {
        SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(kStripWidth - 640.0f, 0.0f));
    }
    CPointF GetBackgroundSize() override { return CPointF(kStripWidth, 480.0f); }
    bool TestParticleHit(PArcadeParticle* particle) override {
        bool hit = false;
        for (Toon_Arcade_Clown* character : characters) hit = particle->HitsObject(character, nullptr) || hit;
        return hit;
    }
    std::vector<Toon_Arcade_Clown*> characters;
};

struct Stage {
    Stage() {
        vqt::bench::FreshEngineContext();
        vqt::test::PartBuilder parts(image);
        partId = parts.AddPart(SpritePart(1, 2)).part;
        dropPartId = parts.AddPart(SpritePart(9, 34)).part;
        file = std::make_unique<vqt::test::OpenedPartFile>(image);
        CTLVApp::Create();
        surface.Create(640, 480, 16);
        surface.SetPixelFormat(2);
    }
    ~Stage() {
        xActivity_SetCurrentView(nullptr);
        CTLVApp::Destroy();
    }
    void Place(OActivity* stage, OActivityProp* prop, int i, uint32_t part) {
        stage->AddChild(prop);
        prop->SetPosition(CPointF(float(20 + (i * 37) % 1200), float(20 + (i * 53) % 440)), 0, 0);
        prop->SetPartID(file->get(), part, 1);
    }
    void Draw(OActivity* stage) {
        const CClipRect all(0, 0, 640, 480);
        stage->Draw(&surface, CPoint16(0, 0), all, all);
        benchmark::ClobberMemory();
    }
    static void Tick() { static_cast<plat::VirtualClock&>(plat::clock()).Advance(kFrameMs); }

    vqt::test::ChunkFileBuilder image;
    uint32_t partId = 0;
    uint32_t dropPartId = 0;
    std::unique_ptr<vqt::test::OpenedPartFile> file;
    CPixelSurface surface;
};

/// How many of the stage's props show on the 640 x 480 stage, so the two frames can be seen to
/// draw alike.
int ShownOnStage(OActivity* stage) {
    const CRect16 screen(0, 0, 640, 480);
    int shown = 0;
    for (int32_t i = 0; i < stage->ChildCount(); ++i) {
        auto* view = dynamic_cast<OView*>(stage->ChildAt(i));
        if (view && view->IsShownThroughParents() && view->GetScreenRect().Overlaps(screen)) ++shown;
    }
    return shown;
}

/// The frame's time as a share of the budget.
void Report(benchmark::State& state) {
    state.counters["budget_ratio"] = benchmark::Counter(
        double(state.iterations()) * kBudgetMs / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ArcadeFrame(benchmark::State& state) {
    Stage stage;
    auto arcade = std::make_unique<BenchArcade>();
    xActivity_SetCurrentView(arcade.get());
    arcade->SetVisible(1, 0);
    arcade->SetSize(CPoint16(640, 480), 0);
    arcade->SetPosition(CPointF(320, 240), 0, 0);
    for (int i = 0; i < kItems; ++i) {
        auto* item = new Arcade_BG_Item;
        item->SetGroup(int16_t(i % 6));
        item->SetHideChance(int16_t(i % 3 == 0 ? 20 : 0));
        stage.Place(arcade.get(), item, i, stage.partId);
        arcade->AcceptObject(item);
    }
    for (int i = 0; i < kCharacters; ++i) {
        auto* character = new Toon_Arcade_Clown;
        character->SetGroup(5);
        stage.Place(arcade.get(), character, kItems + i, stage.partId);
        arcade->AcceptObject(character);
        character->SetActive(true);
        arcade->characters.push_back(character);
    }
    std::vector<PArcadeParticle*> drops;
    for (int i = 0; i < kDrops; ++i) {
        auto* drop = new PArcadeParticle;
        stage.Place(arcade.get(), drop, i, stage.dropPartId);
        drop->SetStopLine(70);
        drop->SetFrameHook(&Arcade_ParticleCallback);
        drops.push_back(drop);
    }
    CTLVApp::Get()->Init();
    arcade->OnActivated();
    for (int g = 0; g < 6; ++g) arcade->SetGroupSpeed(g, float(40 + 15 * g));
    auto spray = [&] {
        for (int i = 0; i < kDrops; ++i) {
            PArcadeParticle* drop = drops[size_t(i)];
            const CPoint16 from(ClampToInt16(int32_t(arcade->GetScrollOffset().x) + 100 + 60 * i), 400);
            drop->SetVisible(0, 0);
            drop->SetPosition(CPointF(from.x, from.y), 0, 0);
            drop->SetVelocityXY(0.0f, -1000.0f, 0);
            drop->Launch(from, 1, CPoint16(from.x, int16_t(from.y - 300)), 300, 1.0f);
            drop->Start(0);
        }
    };
    spray();
    int frame = 0;
    for (auto _ : state) {
        if (++frame % kRelaunchFrames == 0) spray();
        Stage::Tick();
        IdleWalk(arcade.get());
        stage.Draw(arcade.get());
    }
    state.counters["shown"] = ShownOnStage(arcade.get());
    Report(state);
}

void BM_PlainPropsFrame(benchmark::State& state) {
    Stage stage;
    auto plain = std::make_unique<OActivity>("Activity", OActivity::kClassId);
    xActivity_SetCurrentView(plain.get());
    plain->SetVisible(1, 0);
    plain->SetSize(CPoint16(640, 480), 0);
    plain->SetPosition(CPointF(320, 240), 0, 0);
    for (int i = 0; i < kPlainProps; ++i) stage.Place(plain.get(), new OActivityProp, i, stage.partId);
    for (auto _ : state) {
        Stage::Tick();
        IdleWalk(plain.get());
        stage.Draw(plain.get());
    }
    state.counters["shown"] = ShownOnStage(plain.get());
    Report(state);
}

} // namespace

BENCHMARK(BM_ArcadeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPropsFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
