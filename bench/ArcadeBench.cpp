// One frame of an arcade game: the strip scrolled in its six groups with recycling, the vehicle
// steered, eight drops in flight tested against forty characters, and the stage drawn, with 200
// scenery items; beside the same frame of as many plain engine props as the peer, all on a
// 640 x 480 16-bit stage on the virtual clock. The frame budget of the game is 16.7 ms. Beside
// them a level-3 frame of the zoo arcade (seven monkeys, forty leaves, ten falling items, the
// beam on) and of the city arcade (twenty crooks, thirty blockers, a burst of canisters).
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
#include "engine/data/PartFile.h"
#include "game/minigames/arcade/ArcadeActivity.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/PBeam.h"
#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/headless/VirtualClock.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/TempFolder.h"

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

/// The art the zoo and city arcades name, at their entries in index 2 of a part file the game
/// object opens, so that the games make their props as in play.
struct GameStage {
    GameStage() {
        vqt::bench::FreshEngineContext();
        image.AddIndex("acti", 8);
        vqt::test::PartBuilder parts(image);
        for (uint16_t entry : {493, 495, 623, 826, 502, 504, 505, 506, 507, 675, 1142}) parts.AddPart(SpritePart(entry, 2), entry);
        for (uint16_t entry : {602, 740, 741}) parts.AddPart(SpritePart(entry, 12), entry);
        itemPart = parts.AddPart(SpritePart(3, 2), 3700).part;
        image.WriteFile(folder / "games.vqk");
        CTLVApp::Create();
        auto opened = std::make_unique<CPartFile>();
        opened->Open((folder / "games.vqk").c_str(), 1);
        file = opened.get();
        CTLVApp::Get()->SetPartFile(std::move(opened));
        CTLVApp::Get()->Init();
        CTLVApp::Get()->GetPlayer()->IncActivityLevel(1, 3);
        CTLVApp::Get()->GetPlayer()->IncActivityLevel(1, 3);
        CTLVApp::Get()->GetPlayer()->IncActivityLevel(2, 3);
        CTLVApp::Get()->GetPlayer()->IncActivityLevel(2, 3);
        surface.Create(640, 480, 16);
        surface.SetPixelFormat(2);
    }
    ~GameStage() {
        xActivity_SetCurrentView(nullptr);
        CTLVApp::Destroy();
    }
    template <class Item>
    Item* Add(OActivity* game, float x, float y, int16_t group) {
        auto* item = new Item;
        item->SetPartID(file, itemPart, 1);
        item->SetGroup(group);
        item->SetPosition(CPointF(x, y), 0, 1);
        if (game->AcceptObject(item)) game->AddChild(item);
        return item;
    }
    void Show(OActivity* game) {
        xActivity_SetCurrentView(game);
        game->SetVisible(1, 0);
        game->SetSize(CPoint16(640, 480), 0);
        game->SetPosition(CPointF(320, 240), 0, 0);
    }
    void Draw(OActivity* game) {
        const CClipRect all(0, 0, 640, 480);
        game->Draw(&surface, CPoint16(0, 0), all, all);
        benchmark::ClobberMemory();
    }

    vqt::test::TempFolder folder;
    vqt::test::ChunkFileBuilder image;
    CPartFile* file = nullptr;
    uint32_t itemPart = 0;
    CPixelSurface surface;
};

template <class Game>
class OnStrip : public Game {
public:
    OnStrip() { this->SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(kStripWidth - 640.0f, 0.0f)); }
    CPointF GetBackgroundSize() override { return CPointF(kStripWidth, 480.0f); }
};

void BM_ZooArcadeFrame(benchmark::State& state) {
    GameStage stage;
    CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(2);
    auto zoo = std::make_unique<OnStrip<GAZoo_Activity>>();
    stage.Show(zoo.get());
    for (int v = 0; v < 20; ++v) stage.Add<Zoo_Arcade_Vine>(zoo.get(), 64.0f + 64.0f * float(v), 80.0f, 2)->SetObjectId(uint32_t(v + 1));
    for (int i = 0; i < 40; ++i) stage.Add<Zoo_Arcade_Leaf>(zoo.get(), float(20 + 47 * i), float(30 + 11 * (i % 30)), 3);
    zoo->SetStartSpeed(5, 40);
    zoo->OnActivated();
    zoo->HidePanel(Arcade_Activity::kStartPanel, 1);
    // Seven monkeys on the stage's vines, ten items in the air and the beam on.
    for (int i = 0; zoo->ActiveMonkeys().Count() < GAZoo_Activity::kMaxActiveMonkeys && i < 20; ++i)
        zoo->VineRespawned(zoo->Vines().GetAt(zoo->GetCurrentVine()));
    auto throwItems = [&] {
        for (int i = 0; zoo->LiveItems().Count() < 10 && i < 40; ++i) {
            Zoo_Arcade_Monkey* monkey = zoo->ActiveMonkeys().GetAt(i % zoo->ActiveMonkeys().Count());
            monkey->Reset();
            monkey->SetPosition(zoo->GetBeam()->GetPosition(), 0, 1);
            zoo->BeamTest();
        }
    };
    int frame = 0;
    for (auto _ : state) {
        if (frame++ % 30 == 0) {
            zoo->FireClock().Start(0);
            zoo->FireClock().start -= 1;
            zoo->Shoot();
            throwItems();
        }
        Stage::Tick();
        IdleWalk(zoo.get());
        stage.Draw(zoo.get());
    }
    state.counters["shown"] = ShownOnStage(zoo.get());
    state.counters["monkeys"] = zoo->ActiveMonkeys().Count();
    Report(state);
}

void BM_CityArcadeFrame(benchmark::State& state) {
    GameStage stage;
    CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(4);
    auto city = std::make_unique<OnStrip<GAMetropolis_Activity>>();
    stage.Show(city.get());
    for (int i = 0; i < 30; ++i) stage.Add<Metro_Arcade_Blocker>(city.get(), float(30 + 62 * i), i % 2 ? 90.0f : 200.0f, 5);
    city->OnActivated();
    city->HidePanel(Arcade_Activity::kStartPanel, 1);
    // The generated street's thirty blockers, of which level 3 hides a fifth; twenty crooks run
    // the street.
    for (int i = 0; i < 20; ++i) i % 2 ? city->SpawnWalking() : city->SpawnDropping();
    int frame = 0;
    for (auto _ : state) {
        if (frame++ % 25 == 0) {
            city->FireClock().Start(0);
            city->FireClock().start -= 1;
            city->Shoot();
        }
        Stage::Tick();
        IdleWalk(city.get());
        stage.Draw(city.get());
    }
    state.counters["shown"] = ShownOnStage(city.get());
    state.counters["crooks"] = city->Crooks().Count();
    Report(state);
}

} // namespace

BENCHMARK(BM_ArcadeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPropsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZooArcadeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CityArcadeFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
