// The circus arcade: levels, sprays of drops on the fire clock, the drop's arc, holding,
// matching and switching characters with the kind box, columns showing one character of the
// drawn kind, tokens dropped, caught and lost below the stage, and the record at the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Part.h"
#include "game/minigames/arcade/ArcadeColumnMarker.h"
#include "game/minigames/arcade/GAToonActivity.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/PanelTextButton.h"
#include "game/shell/TLVObject.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

constexpr int kWorld = 0, kArcade = 3;

class CircusArcadeTest : public ArcadeFixture {
protected:
    void TearDown() override {
        game_.reset();
        ArcadeFixture::TearDown();
    }
    CPlayer& Player() { return *CTLVApp::Get()->GetPlayer(); }
    /// The game at the level with the player in the vehicle, items of speed 0 at the start,
    /// characters and markers added before it starts (as the activity data adds them), and
    /// the start panel closed so that play runs (unless `closeStart` is false).
    GAToon_Activity* Play(uint16_t level, uint16_t vehicle = 0, const std::vector<std::pair<int16_t, int32_t>>& characters = {},
                          bool closeStart = true) {
        while (Player().GetActivityLevel(kWorld, kArcade) < level) Player().IncActivityLevel(kWorld, kArcade);
        while (Player().GetActivityLevel(kWorld, kArcade) > level) Player().DecActivityLevel(kWorld, kArcade);
        Player().SetSelectedVehicle(vehicle);
        game_ = std::make_unique<GAToon_Activity>();
        game_->SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(0.0f, 0.0f));
        for (const auto& [column, kind] : characters) AddCharacter(column, kind);
        game_->OnActivated();
        if (closeStart) game_->HidePanel(Arcade_Activity::kStartPanel, 1);
        game_->SetVisible(1, 0);
        return game_.get();
    }
    Toon_Arcade_Clown* AddCharacter(int16_t column, int32_t kind, float x = 300.0f) {
        auto* character = new Toon_Arcade_Clown;
        EXPECT_EQ(character->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kKindBoxPart), 1), 1);
        character->SetColumn(column);
        character->SetKind(kind);
        character->SetGroup(5);
        character->SetPosition(CPointF(x, 150.0f), 0, 1);
        if (game_->AcceptObject(character)) game_->AddChild(character);
        return character;
    }
    static std::vector<int32_t> QueuedStates(const OActivityProp& prop) {
        std::vector<int32_t> states;
        for (int32_t i = 0; prop.GetAnimSet() && i < prop.GetAnimSet()->GetQueuedCount(); ++i)
            states.push_back(prop.GetAnimSet()->GetQueuedAt(i));
        return states;
    }
    void Frame(uint32_t ms) {
        clock().Advance(ms);
        game_->OnIdle();
    }

    std::unique_ptr<GAToon_Activity> game_;
};

TEST_F(CircusArcadeTest, TheLevelSetsGoalTokensSpeedsAndMargin) {
    const struct {
        uint16_t level, vehicle;
        uint16_t goal, tokens;
        int32_t raise;
        int16_t leftMargin;
    } cases[] = {{1, 0, 10, 3, 50, 100}, {2, 1, 15, 5, 60, 60}, {3, 0, 20, 7, 70, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        GAToon_Activity* game = Play(c.level, c.vehicle);
        EXPECT_EQ(game->GetGoal(), c.goal);
        EXPECT_EQ(game->GetMatchesLeft(), c.goal);
        EXPECT_EQ(game->GetTokensLeft(), c.tokens);
        EXPECT_EQ(game->TokenPool().Count(), int32_t(c.tokens));
        for (int32_t g = 0; g < 6; ++g) {
            EXPECT_EQ(game->GetStartSpeed(g), c.raise);
            EXPECT_EQ(game->GetEndSpeed(g), c.raise);
            EXPECT_EQ(game->GetGroupSpeed(g), float(c.raise));
        }
        EXPECT_EQ(game->GetLeftMargin(), c.leftMargin);
        ASSERT_NE(game->GetKindBox(), nullptr);
        EXPECT_EQ(game->GetKindBox()->GetPosition(), CPointF(320.0f, 30.0f));
    }
}

TEST_F(CircusArcadeTest, LevelsOutsideOneToThreeAreHeldAndTraced) {
    const struct {
        uint16_t stored;
        int32_t used;
    } cases[] = {{0, 1}, {9, 3}, {2, 2}};
    for (const auto& c : cases) {
        // The level word as a damaged save file would hand it over.
        const_cast<PlayerRecord&>(Player().Record()).world[kWorld][CPlayer::kLevels + kArcade] = c.stored;
        EXPECT_EQ(GAToon_Activity::PlayerLevel(), c.used) << c.stored;
    }
    EXPECT_NE(traced().find("level 9 of the record taken as 3"), std::string::npos);
}

TEST_F(CircusArcadeTest, ClicksEveryFiftyMillisecondsSprayEightDropsPerFireInterval) {
    const struct {
        uint16_t vehicle;
        uint32_t apart;
    } cases[] = {{0, 750}, {1, 450}};
    for (const auto& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        GAToon_Activity* game = Play(1, c.vehicle);
        std::vector<uint32_t> sprays;
        std::vector<int32_t> dropsBefore;
        const uint32_t start = clock().TickCount();
        for (uint32_t t = 10; t <= 2400; t += 10) {
            const int32_t before = game->Drops().Count();
            const bool running = game->IsSprayRunning();
            if (t % 50 == 0) game->OnButtonDown();
            if (!running && game->IsSprayRunning()) {
                sprays.push_back(clock().TickCount() - start);
                dropsBefore.push_back(before);
            }
            Frame(10);
        }
        ASSERT_GE(sprays.size(), 3u);
        for (std::size_t i = 1; i < sprays.size(); ++i) {
            EXPECT_EQ(sprays[i] - sprays[i - 1], c.apart);
            EXPECT_EQ(dropsBefore[i] - dropsBefore[i - 1], 8) << "one drop at once and seven more, 25 ms apart";
        }
    }
}

TEST_F(CircusArcadeTest, NoSprayStartsWhileAPanelShowsAndTheFirstClickAfterItSprays) {
    const int16_t panels[] = {Arcade_Activity::kStartPanel, CTLVActivity::kPanelMenu, CTLVActivity::kPanelLeave};
    for (const int16_t panel : panels) {
        SCOPED_TRACE("panel " + std::to_string(panel));
        GAToon_Activity* game = Play(1, 0);
        Frame(1000); // the fire clock has long run out
        game->CreateButtonPanel(panel);
        ASSERT_TRUE(game->IsPanelShown(panel));
        for (uint32_t t = 10; t <= 1500; t += 10) {
            if (t % 50 == 0) game->OnButtonDown();
            if (t % 70 == 0) game->OnKey(CTLVActivity::kKeyAlt);
            Frame(10);
        }
        EXPECT_FALSE(game->IsSprayRunning());
        EXPECT_EQ(game->Drops().Count(), 0);

        game->HidePanel(panel, 1);
        ASSERT_FALSE(game->IsPanelShown(-1));
        game->OnButtonDown();
        EXPECT_TRUE(game->IsSprayRunning());
        EXPECT_EQ(game->Drops().Count(), 1);
    }
}

TEST_F(CircusArcadeTest, TheStartPanelsInstructionsAreItsButtonOneAndTheStartKeysBlinkIt) {
    const struct {
        uint16_t level;
        uint32_t key;
        int16_t shownAfter;
    } cases[] = {{1, CTLVActivity::kKeyEnter, Arcade_Activity::kStartPanel},
                 {3, CTLVActivity::kKeySpace, Arcade_Activity::kStartPanel},
                 {2, CTLVActivity::kKeyEsc, CTLVActivity::kPanelMenu}};
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        GAToon_Activity* game = Play(c.level, 0, {}, false);
        ButtonPanel_Prop* panel = game->GetPanel(Arcade_Activity::kStartPanel);
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(game->IsPanelShown(Arcade_Activity::kStartPanel));
        std::vector<PanelTextButton*> buttons;
        for (int32_t i = 0; i < panel->AttachedCount(); ++i)
            if (auto* text = dynamic_cast<PanelTextButton*>(panel->AttachedAt(i))) buttons.push_back(text);
        ASSERT_EQ(buttons.size(), 1u) << "only the instructions work as a button";
        EXPECT_EQ(buttons[0]->GetIndex(), 1);
        EXPECT_EQ(buttons[0]->GetPanelId(), Arcade_Activity::kStartPanel);
        EXPECT_EQ(buttons[0]->GetPosition(), CPointF(320.0f, 347.0f));
        EXPECT_EQ(buttons[0]->GetCursorMode(), OView::kHitSelf);
        EXPECT_EQ(panel->GetTimeOutOn(), 0);

        game->OnKey(c.key);
        EXPECT_EQ(panel->GetTimeOutOn(), 1) << "the blink hands the panel to its time-out";
        EXPECT_TRUE(game->IsPanelShown(c.shownAfter));
        EXPECT_EQ(game->IsPanelShown(Arcade_Activity::kStartPanel), c.shownAfter == Arcade_Activity::kStartPanel);
    }
}

TEST_F(CircusArcadeTest, ADropRisesAtMostThreeHundredPixelsAndItsArcFalls) {
    GAToon_Activity* game = Play(1, 0);
    game->Shoot();
    ASSERT_GE(game->Drops().Count(), 1);
    PArcadeParticle* drop = game->Drops().GetAt(0);
    const float from = drop->GetPosition().y;
    EXPECT_FLOAT_EQ(drop->GetVelocity().y, -1000.0f) << "300 px in 300 ms";
    EXPECT_EQ(drop->GetStopLine(), 70);
    int16_t lastHeight = drop->GetArcHeight();
    EXPECT_EQ(lastHeight, 1);
    for (int f = 0; f < 60 && drop->GetVelocity().y != 0.0f; ++f) {
        clock().Advance(10);
        drop->OnIdle();
        EXPECT_GE(drop->GetPosition().y, from - 300.0f) << "frame " << f;
        EXPECT_LE(drop->GetArcHeight(), lastHeight) << "frame " << f;
        lastHeight = drop->GetArcHeight();
    }
    EXPECT_EQ(drop->GetVelocity().y, 0.0f) << "the flight ended";
}

TEST_F(CircusArcadeTest, HoldMatchAndSwitchWithTheKindBox) {
    struct Hit {
        int character;
        bool respawnHeldFirst = false;
    };
    const struct {
        const char* name;
        std::vector<Hit> hits;
        int held;            // -1: none
        int32_t waiting;
        uint16_t matches;
        std::vector<int32_t> states; // of characters 0..3
        int32_t box;
        bool switched;
        std::vector<int32_t> boxRuns; // the states the box still runs, six times each
    } cases[] = {
        {"hold", {{0}}, 0, 1, 0, {4, 0, 0, 0}, 5, false, {5}},
        {"match", {{0}, {1}}, -1, -1, 1, {4, 4, 0, 0}, 7, false, {7}},
        {"switch", {{0}, {2}}, 2, 2, 0, {3, 0, 4, 0}, 6, true, {6, 8}},
        {"match after the held one scrolled off", {{0}, {1, true}}, -1, -1, 1, {0, 4, 0, 0}, 7, false, {7}},
        {"switch after the held one scrolled off", {{0}, {2, true}}, 2, 2, 0, {0, 0, 4, 0}, 6, true, {6, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GAToon_Activity* game = Play(1, 0, {{1, 1}, {1, 1}, {1, 2}, {1, 3}});
        std::vector<Toon_Arcade_Clown*> characters;
        for (int32_t i = 0; i < game->Characters().Count(); ++i) {
            characters.push_back(game->Characters().GetAt(i));
            characters.back()->SetActive(true);
        }
        for (const Hit& hit : c.hits) {
            if (hit.respawnHeldFirst) {
                game->GetHeldCharacter()->Respawn();
                EXPECT_EQ(game->GetHeldCharacter(), nullptr);
                EXPECT_NE(game->GetWaitingKind(), -1) << "the waiting kind stays";
            }
            game->HitCharacter(characters[std::size_t(hit.character)]);
        }
        EXPECT_EQ(game->GetHeldCharacter(), c.held < 0 ? nullptr : characters[std::size_t(c.held)]);
        EXPECT_EQ(game->GetWaitingKind(), c.waiting);
        EXPECT_EQ(game->GetMatches(), c.matches);
        EXPECT_EQ(game->GetMatchesLeft(), uint16_t(game->GetGoal() - c.matches));
        for (std::size_t i = 0; i < c.states.size(); ++i)
            if (characters[i]->IsActive()) {
                EXPECT_EQ(characters[i]->GetState(), c.states[i]) << "character " << i;
            }
        EXPECT_EQ(game->IsFirstSwitchDone(), c.switched);
        EXPECT_EQ(game->GetKindBox()->GetState(), c.box) << "a new kind passes through the old one's release";
        std::vector<int32_t> runs;
        for (int32_t state : c.boxRuns) runs.insert(runs.end(), 6, state);
        EXPECT_EQ(QueuedStates(*game->GetKindBox()), runs);
        const bool matched = c.matches > 0;
        EXPECT_EQ(game->GetMarker()->IsShownThroughParents(), matched) << "the effect shows at a match only";
        if (matched) {
            EXPECT_EQ(game->GetMarker()->GetPosition(), characters[1]->GetPosition());
        }
    }
}

TEST_F(CircusArcadeTest, AReachedColumnShowsOneCharacterOfTheDrawnKind) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        // Column 4 holds every kind twice but kind 3 (none); column 5 one character.
        GAToon_Activity* game = Play(1, 0, {{4, 0}, {4, 0}, {4, 1}, {4, 1}, {4, 2}, {4, 2}, {5, 1}});
        game->Characters().GetAt(6)->SetActive(true);
        std::srand(seed);
        const int32_t drawn = std::rand() % 4;
        std::srand(seed);
        game->ColumnReached(4);
        int active = 0;
        for (int32_t i = 0; i < 6; ++i) {
            Toon_Arcade_Clown* character = game->Characters().GetAt(i);
            if (!character->IsActive()) continue;
            ++active;
            EXPECT_EQ(character->GetKind(), drawn);
            EXPECT_EQ(character->GetState(), Toon_Arcade_Clown::kWaiting);
        }
        EXPECT_EQ(active, drawn == 3 ? 0 : 1) << "kind " << drawn;
        EXPECT_TRUE(game->Characters().GetAt(6)->IsActive()) << "another column is left alone";
    }
}

TEST_F(CircusArcadeTest, MarkersShowTheirColumnOnceAndSendItAwayAfterTheStay) {
    GAToon_Activity* game = Play(1, 0, {{7, 0}, {7, 1}, {7, 2}, {7, 3}});
    auto* marker = new Arcade_Column_Marker;
    EXPECT_EQ(marker->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kItemPart), 1), 1);
    marker->SetColumn(7);
    EXPECT_EQ(marker->GetStaySpan(), 250) << "(6 - level 1) x 50";
    EXPECT_LT(marker->GetAppearOffset(), 300);
    if (game->AcceptObject(marker)) game->AddChild(marker);
    EXPECT_FALSE(marker->IsVisible());
    const float appear = 640.0f - float(marker->GetAppearOffset());
    marker->SetPosition(CPointF(appear + 10.0f, 150.0f), 0, 1);
    game->PassMarkers();
    EXPECT_FALSE(marker->IsReached()) << "not yet in far enough";
    marker->SetPosition(CPointF(appear - 10.0f, 150.0f), 0, 1);
    game->PassMarkers();
    ASSERT_TRUE(marker->IsReached());
    int active = 0;
    Toon_Arcade_Clown* shown = nullptr;
    for (int32_t i = 0; i < 4; ++i)
        if (game->Characters().GetAt(i)->IsActive()) ++active, shown = game->Characters().GetAt(i);
    ASSERT_EQ(active, 1);
    game->PassMarkers();
    EXPECT_EQ(shown->GetState(), Toon_Arcade_Clown::kWaiting) << "stays for the span";
    marker->SetPosition(CPointF(appear - 260.0f, 150.0f), 0, 1);
    game->PassMarkers();
    EXPECT_EQ(shown->GetState(), Toon_Arcade_Clown::kLeaving);
    marker->Respawn();
    EXPECT_FALSE(marker->IsReached());
}

TEST_F(CircusArcadeTest, TokensAreCaughtByTheVehicleButNotBelowTheStage) {
    GAToon_Activity* game = Play(1, 0);
    VFlat* vehicle = game->GetVehicle();
    ASSERT_NE(vehicle, nullptr);
    const uint16_t badges = Player().GetBadgeCount(kWorld, kArcade);
    Arcade_Token* caught = game->TakeToken(true);
    Arcade_Token* fallen = game->TakeToken(true);
    for (Arcade_Token* token : {caught, fallen}) {
        game->AddChild(token);
        token->SetVisible(1, 0);
        token->SetVelocityXY(0.0f, 200.0f, 0);
    }
    caught->SetPosition(vehicle->GetPosition(), 0, 1);
    fallen->SetPosition(CPointF(vehicle->GetPosition().x, 481.0f), 0, 1);
    game->PassFallenTokens();
    EXPECT_FALSE(fallen->IsVisible());
    EXPECT_EQ(fallen->GetPosition(), CPointF(-100.0f, -100.0f));
    fallen->SetPosition(vehicle->GetPosition(), 0, 1); // hidden: never caught
    EXPECT_TRUE(GAToon_Activity::HitTestCallback(vehicle));
    EXPECT_FALSE(caught->IsVisible());
    EXPECT_EQ(caught->GetVelocity().y, 0.0f);
    EXPECT_EQ(Player().GetBadgeCount(kWorld, kArcade), badges + 1) << "only the shown token";
    EXPECT_TRUE(game->HasCaughtBadge());
    EXPECT_FALSE(GAToon_Activity::HitTestCallback(nullptr));
}

TEST_F(CircusArcadeTest, TheGoalRaisesCountAndLevelOnceAndMatchesLeftStopAtZero) {
    GAToon_Activity* game = Play(1, 0, {{1, 0}, {1, 0}});
    Toon_Arcade_Clown* a = game->Characters().GetAt(0);
    Toon_Arcade_Clown* b = game->Characters().GetAt(1);
    const uint16_t count = Player().GetActivityCount(kWorld, kArcade);
    const uint16_t hero = Player().GetHeroPoints(kWorld);
    int tokensDropped = 0;
    for (int m = 0; m < 12; ++m) {
        a->SetActive(true), b->SetActive(true);
        const int32_t live = game->LiveTokens().Count();
        game->HitCharacter(a);
        game->HitCharacter(b);
        tokensDropped += game->LiveTokens().Count() - live;
    }
    EXPECT_EQ(game->GetMatches(), 12);
    EXPECT_EQ(game->GetMatchesLeft(), 0);
    EXPECT_EQ(Player().GetActivityCount(kWorld, kArcade), count + 1);
    EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), 2);
    EXPECT_EQ(Player().GetHeroPoints(kWorld), hero + 1);
    EXPECT_NE(game->GetPanel(GAToon_Activity::kResultsPanel), nullptr);
    EXPECT_LE(tokensDropped, 3);
    EXPECT_EQ(game->GetTokensLeft(), 3 - tokensDropped);
}

TEST_F(CircusArcadeTest, LeavingEarlyLowersTheLevelButNotBelowOne) {
    const struct {
        uint16_t level, after;
    } cases[] = {{2, 1}, {1, 1}, {3, 2}};
    for (const auto& c : cases) {
        GAToon_Activity* game = Play(c.level, 0);
        game->OnButton(CTLVActivity::kPanelMenu, 1);
        EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), c.level) << "the menu only asks, at " << c.level;
        game->OnButton(CTLVActivity::kPanelLeave, 1);
        EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), c.after) << c.level;
    }
}

} // namespace
} // namespace vqt::test
