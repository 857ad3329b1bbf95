// The mini-game base on a tiled map of 1280 x 960, frame by frame on the virtual clock against
// a model of its clock written from its formulas; saving the record when it stops; where the
// exits set by a game lead its panels' buttons; and a scrolling game with shared props and
// particles, pictured at frames 0, 60 and 120.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/data/Profiles.h"
#include "game/shell/Destructible.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVGameActivity.h"
#include "tests/game/shell/PropsFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"

namespace vqt::test {
namespace {

constexpr uint16_t kGameScreen = 42;
constexpr float kMaxScrollX = 1280 - 640;

/// The game, counting its moves.
class ProbeGame : public TLVGame_Activity {
public:
    void OnScrolled() override { ++scrolls; }
    int scrolls = 0;
};

/// The scrolling clock as its formulas give it, in the same single precision: each tick of
/// dt ms adds a x dt / 1000 to v, stops the acceleration once the speed crossed the target,
/// stops everything below 0.5 with stopWhenSlow, and moves the offset by v x dt / 1000, held
/// to the map.
struct ClockModel {
    float v, a, target;
    bool stopWhenSlow = false;
    float x = 0.0f, remainder = 0.0f;

    void Tick(uint32_t dt) {
        const float seconds = float(dt) / 1000.0f;
        const float before = std::fabs(v);
        v += a * seconds;
        const float speed = std::fabs(v);
        if (stopWhenSlow && speed < 0.5f) v = a = 0.0f;
        if ((speed > before && speed >= target) || (speed < before && speed <= target)) a = 0.0f;
        const float asked = x + v * seconds;
        x = std::clamp(asked, 0.0f, kMaxScrollX);
        remainder = asked - x;
    }
};

class MiniGameTest : public PropsFixture {
protected:
    void SetUp() override {
        PropsFixture::SetUp();
        // Activity data names the mini-games (400 on), never their base.
        ASSERT_TRUE(xTLVFactory_Register({400, [] { return static_cast<OActivity*>(new ProbeGame); }, nullptr}));
    }
    void AddTestData(GameData& data) override {
        PropsFixture::AddTestData(data);
        std::vector<uint32_t> colours{0};
        for (uint32_t t = 0; t < 40; ++t)
            colours.push_back(((t * 53) & 0xFF) | (((t * 97 + 60) & 0xFF) << 8) | (((200 - t * 5) & 0xFF) << 16));
        const uint32_t sheet = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(32, 32, 8, 4, colours)),
                                                  {.entry = 3000, .property = FrameProperty(1)});
        const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(colours), {.entry = 3000});
        std::vector<uint16_t> tiles;
        for (int row = 0; row < 30; ++row)
            for (int col = 0; col < 40; ++col) tiles.push_back(uint16_t((row * 3 + col) % 32));
        auto prop = [](uint32_t classId, int states, int16_t x, int16_t y) {
            ObjectPlan object{.classId = classId, .partId = MakeChunkId(2, uint16_t(kStatesPart + states))};
            object.properties.Pair(50, 1, x, y);
            return object;
        };
        ActivityPlan game{.classId = 400,
                          .backgroundId = sheet,
                          .paletteId = palette,
                          .properties = TiledActivityProps(40, 30, 32, 32, tiles),
                          .objects = {{.classId = 54}, prop(1580, 2, 200, 150), prop(1550, 4, 420, 260),
                                      prop(1560, 5, 620, 330), prop(1510, 8, 300, 400), prop(1530, 2, 760, 200),
                                      prop(1540, 20, 520, 120)}};
        data.file.AddChunk(GameData::kActivities, ActivityData(game), {.entry = kGameScreen});
    }
    ProbeGame* ShowGame() {
        auto* game = dynamic_cast<ProbeGame*>(ShowScreen(kGameScreen));
        if (game) game->gameClock.Start(TLVGame_Activity::kClockMs);
        return game;
    }
};

TEST_F(MiniGameTest, TheClockScrollsFrameByFrameAsItsFormulasSayFromSlowingDownToTheMapsEdge) {
    struct Case {
        const char* name;
        ClockModel model;
        int frames;
    };
    const Case cases[] = {
        {"slows to the target", {100.0f, -50.0f, 20.0f}, 320},
        {"speeds up to the target", {10.0f, 40.0f, 30.0f}, 100},
        {"stops when slow", {0.3f, 0.0f, 0.0f, true}, 3},
        {"held at the edge", {3000.0f, 0.0f, 0.0f}, 30},
    };
    for (const Case& c : cases) {
        ProbeGame* game = ShowGame();
        ASSERT_NE(game, nullptr);
        game->SetScrollVelocity(c.model.v, 0.0f, false);
        game->SetScrollAcceleration(c.model.a, 0.0f);
        game->SetMaxScrollSpeed(c.model.target, false);
        game->stopWhenSlow = c.model.stopWhenSlow;
        ClockModel model = c.model;
        for (int frame = 1; frame <= c.frames; ++frame) {
            const float before = model.x;
            model.Tick(kFrameMs);
            Frames(1, kFrameMs);
            ASSERT_FLOAT_EQ(game->scrollVelocity.x, model.v) << c.name << ", frame " << frame;
            ASSERT_FLOAT_EQ(game->GetScrollOffset().x, model.x) << c.name << ", frame " << frame;
            ASSERT_FLOAT_EQ(game->scrollRemainder[0], model.remainder) << c.name << ", frame " << frame;
            ASSERT_EQ(game->scrollStep[0], int32_t(model.x) - int32_t(before)) << c.name << ", frame " << frame;
        }
        EXPECT_EQ(game->GetScrollOffset().y, 0.0f) << c.name;
        EXPECT_EQ(game->scrolls, c.model.stopWhenSlow ? 1 : c.frames) << c.name;
        ShowScreen(kPlainScreen);
    }
}

TEST_F(MiniGameTest, AHitchMovesAtMost125MsWorthAndAPanelOpenForTenSecondsCausesNoJump) {
    ProbeGame* game = ShowGame();
    ASSERT_NE(game, nullptr);
    game->SetScrollVelocity(100.0f, 40.0f, false);
    Frames(1, 400);
    EXPECT_FLOAT_EQ(game->GetScrollOffset().x, 12.5f);
    EXPECT_FLOAT_EQ(game->GetScrollOffset().y, 5.0f);

    game->CreateButtonPanel(CTLVActivity::kPanelMenu);
    Frames(625, kFrameMs);
    EXPECT_FLOAT_EQ(game->GetScrollOffset().x, 12.5f) << "paused with the panel";
    game->HidePanel(CTLVActivity::kPanelMenu, 1);
    Frames(1, kFrameMs);
    EXPECT_FLOAT_EQ(game->GetScrollOffset().x, 12.5f + 1.6f) << "one frame's worth, not ten seconds'";
}

TEST_F(MiniGameTest, StoppingSavesTheRecordIntoTheSignedInPlayersSlotOnlyAndWithoutOneWritesNothing) {
    const std::string save = folder / "save.vqk";
    xProfiles_Set("USERFILE", save.c_str());
    for (int slot = 0; slot < 8; ++slot) {
        CPlayer player;
        player.SetName(("Player " + std::to_string(slot)).c_str());
        ASSERT_TRUE(player.Save(slot));
    }
    app->GetPlayer()->SetName("Changed");
    for (const int16_t slot : {int16_t(-1), int16_t(2)}) {
        const std::string before = ReadFileBytes(save);
        app->SetSaveSlot(slot);
        ShowGame();
        ShowScreen(kPlainScreen);
        if (slot < 0) {
            EXPECT_EQ(ReadFileBytes(save), before) << "no player: nothing written";
            EXPECT_NE(traced().find("no player signed in, the record is not saved"), std::string::npos);
            continue;
        }
        for (int i = 0; i < 8; ++i) {
            CPlayer player;
            player.Load(i);
            EXPECT_STREQ(player.GetName(), i == slot ? "Changed" : ("Player " + std::to_string(i)).c_str()) << i;
        }
    }
}

TEST_F(MiniGameTest, AGameScrollsItsMapWithSharedPropsAndTheParticlesItLaunches) {
    ProbeGame* game = ShowGame();
    ASSERT_NE(game, nullptr);
    game->SetScrollVelocity(160.0f, 90.0f, false);
    for (int i = 0; i < 3; ++i) {
        auto* particle = Place(new PParticle, 8, float(150 + 120 * i), 300);
        particle->SetVisible(0, 0);
        particle->SetVelocity(Vec3(180.0f - 90.0f * i, -40.0f, 0.0f), 0);
        particle->Launch(CPoint16(int16_t(150 + 120 * i), 300), int16_t(60 + 30 * i), CPoint16(0, 0),
                         uint32_t(900 + 300 * i), 1.0f);
        particle->Start(1);
    }
    const char* goldens[] = {"game/shell/minigame_0.png", "game/shell/minigame_60.png", "game/shell/minigame_120.png"};
    for (int shot = 0; shot < 3; ++shot) {
        Frames(shot == 0 ? 1 : 60, kFrameMs);
        ExpectMatchesGoldenImage(goldens[shot], ToRgb(Shown()));
    }
    EXPECT_GT(game->GetScrollOffset().x, 300.0f);
}

TEST_F(MiniGameTest, TheExitsLeadThePanelsButtonsAndAGameWithoutThemLeavesThemToTheActivity) {
    constexpr uint16_t kWorld = 1;
    constexpr int32_t kGame = 4;
    const MiniGameExits exits{.world = kWorld,
                              .game = kGame,
                              .startPanel = 4,
                              .resultsPanel = 3,
                              .musicEntry = 581,
                              .self = MakeChunkId(1, kGameScreen),
                              .town = MakeChunkId(1, kPlainScreen)};
    const struct {
        bool withExits;
        int16_t panel, button;
        uint16_t levelAfter; // from level 2
        ChunkId requested;
    } cases[] = {
        // The menu's leave button only asks; the level drops when the player does leave.
        {true, CTLVActivity::kPanelMenu, 1, 2, kNullChunkId}, {true, CTLVActivity::kPanelMenu, 0, 2, kNullChunkId},
        {true, 3, 1, 2, exits.self},                           {true, 3, 0, 2, exits.town},
        {true, CTLVActivity::kPanelLeave, 1, 1, exits.town},   {true, CTLVActivity::kPanelLeave, 0, 2, kNullChunkId},
        {false, CTLVActivity::kPanelMenu, 1, 2, kNullChunkId}, {false, 3, 1, 2, kNullChunkId},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.panel) + "," + std::to_string(c.button) +
                                 (c.withExits ? " with exits" : " without exits");
        CPlayer* player = app->GetPlayer();
        while (player->GetActivityLevel(kWorld, kGame) < 2) player->IncActivityLevel(kWorld, kGame);
        while (player->GetActivityLevel(kWorld, kGame) > 2) player->DecActivityLevel(kWorld, kGame);
        ProbeGame* game = ShowGame();
        ASSERT_NE(game, nullptr);
        if (c.withExits) game->SetExits(exits);
        game->CreateButtonPanel(c.panel);
        game->OnButton(c.panel, c.button);
        EXPECT_EQ(player->GetActivityLevel(kWorld, kGame), c.levelAfter) << what;
        EXPECT_EQ(manager->IsSwitchPending() ? manager->GetPendingId() : kNullChunkId, c.requested) << what;
        ShowScreen(kPlainScreen);
    }
}

} // namespace
} // namespace vqt::test
