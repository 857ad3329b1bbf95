// The arcade base: scrolling in whole pixels against a model of the carries over random speeds
// and frames, the jump back at the end of the strip, recycling, steering, the control modes,
// fire gating, the play clock across pauses, the token pool, a missing vehicle, and the arcing
// shot's stop line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/PropertyMsg.h"
#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/shell/TLVFactory.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

constexpr uint32_t kLeft = Arcade_Activity::kKeyLeft, kRight = Arcade_Activity::kKeyRight;

/// The scroll as its rules give it, in the same single precision: the view and every group
/// move by the whole pixels of their carries, which keep only their fraction once they moved.
struct ScrollModel {
    float speeds[6] = {};
    float carries[5] = {};
    float viewCarry = 0.0f;
    float view = 0.0f;
    float groupX[5] = {};
    uint32_t played = 0, last = 0;

    void Frame(uint32_t ms) {
        played += ms;
        const uint32_t step = std::min<uint32_t>(played - last, 125);
        last = played;
        if (step == 0) return;
        const float s = float(step) * 0.001f;
        viewCarry += s * speeds[5];
        const int32_t v = int32_t(viewCarry);
        if (v != 0) viewCarry -= float(v);
        view += float(v);
        for (int g = 0; g < 5; ++g) {
            carries[g] += (speeds[g] - speeds[5]) * s;
            const int32_t d = int32_t(carries[g]);
            if (d != 0) carries[g] -= float(d);
            groupX[g] -= float(d);
        }
    }
};

class ArcadeActivityTest : public ArcadeFixture {};

/// The shots' hit callback of a test without the activity manager: the arcade under test.
ProbeArcade* gArcade = nullptr;
bool AskTheArcade(TLV_Object* shot) { return gArcade->TestParticleHit(static_cast<PArcadeParticle*>(shot)); }

TEST_F(ArcadeActivityTest, SpeedPropertiesAndGroupFiling) {
    ProbeArcade* arcade = Start();
    for (uint32_t id = 1; id <= 13; ++id) {
        alignas(OPropertyMsg) uint8_t bytes[OPropertyMsg::kHeaderSize + sizeof(int32_t)] = {};
        auto* msg = reinterpret_cast<OPropertyMsg*>(bytes);
        msg->family = Arcade_Activity::kFamily;
        msg->id = id;
        msg->size = sizeof(int32_t);
        ASSERT_TRUE(msg->Put(0, int32_t(id * 10)));
        EXPECT_TRUE(arcade->HandleProperty(msg, 1)) << id;
        int32_t back = -1;
        EXPECT_TRUE(arcade->HandleProperty(msg, 0));
        ASSERT_TRUE(msg->Get(0, back));
        EXPECT_EQ(back, int32_t(id * 10)) << "read back through the property";
    }
    for (int32_t g = 0; g < 6; ++g) {
        EXPECT_EQ(arcade->GetStartSpeed(g), (2 * g + 1) * 10);
        EXPECT_EQ(arcade->GetEndSpeed(g), (2 * g + 2) * 10);
    }
    const struct {
        int16_t group;
        int filedIn; // -1: not filed
    } cases[] = {{0, 0}, {3, 3}, {5, 5}, {-1, -1}, {6, -1}, {300, -1}};
    for (const auto& c : cases) {
        int before[6];
        for (int g = 0; g < 6; ++g) before[g] = arcade->GroupList(g).Count();
        Arcade_BG_Item* item = AddItem(c.group, 300);
        for (int g = 0; g < 6; ++g) {
            const int added = arcade->GroupList(g).Count() - before[g];
            EXPECT_EQ(added, g == c.filedIn ? 1 : 0) << "group " << c.group;
            if (added) {
                EXPECT_EQ(arcade->GroupList(g).GetAt(before[g]), item);
            }
        }
    }
    EXPECT_NE(traced().find("group 6, outside 0-5"), std::string::npos);
}

TEST_F(ArcadeActivityTest, RandomSpeedsAndFramesScrollByTheModelsWholePixels) {
    std::srand(7);
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ProbeArcade* arcade = Start(1e6f);
        ScrollModel m;
        Arcade_BG_Item* items[5];
        for (int g = 0; g < 6; ++g) {
            // Some groups slower than the view, some faster, some standing.
            m.speeds[g] = float(std::rand() % 400 - 100) + float(std::rand() % 100) / 100.0f;
            if (g == 5) m.speeds[g] = float(std::rand() % 250 + 20) + float(std::rand() % 100) / 100.0f;
            arcade->SetGroupSpeed(g, m.speeds[g]);
        }
        for (int g = 0; g < 5; ++g) {
            m.groupX[g] = 400000.0f;
            items[g] = AddItem(int16_t(g), m.groupX[g]);
        }
        const float vehicleStage = arcade->GetVehicle()->GetPosition().x - arcade->GetScrollOffset().x;
        for (int f = 0; f < 300; ++f) {
            const int kind = std::rand() % 10;
            const uint32_t ms = kind == 0 ? 2000 : kind == 1 ? 0 : uint32_t(std::rand() % 40 + 1);
            if (f == 150) {
                arcade->Pause();
                clock().Advance(10000);
                arcade->Resume();
            }
            Frame(ms);
            m.Frame(ms);
            ASSERT_EQ(arcade->GetScrollOffset().x, m.view) << "frame " << f;
            for (int g = 0; g < 5; ++g) ASSERT_EQ(items[g]->GetPosition().x, m.groupX[g]) << "group " << g;
        }
        const float drift = arcade->GetVehicle()->GetPosition().x - arcade->GetScrollOffset().x - vehicleStage;
        EXPECT_LT(std::fabs(drift), 1.0f) << "the vehicle rides along with the view";
        for (int g = 0; g < 5; ++g) EXPECT_LT(std::fabs(arcade->GetGroupCarry(g)), 1.0f) << "carries stay fractions";
    }
}

TEST_F(ArcadeActivityTest, ASlowFrameScrollsOnlyTheCapsWorth) {
    ProbeArcade* arcade = Start(1e5f);
    arcade->SetGroupSpeed(5, 100.0f);
    Frame(2000);
    EXPECT_EQ(arcade->GetScrollOffset().x, 12.0f) << "125 ms at 100 px/s";
    EXPECT_FLOAT_EQ(arcade->GetViewCarry(), 0.5f);
    EXPECT_FLOAT_EQ(arcade->GetFrameRatio(), 125.0f / 2000.0f) << "the capped step over the whole play time";
    Frame(100);
    EXPECT_FLOAT_EQ(arcade->GetFrameRatio(), 100.0f / 2100.0f);
}

TEST_F(ArcadeActivityTest, AtTheEndOfTheStripEverythingJumpsBackByTheSpan) {
    ProbeArcade* arcade = Start(2000.0f);
    arcade->SetGroupSpeed(5, 100.0f);
    const float span = 2000.0f - 640.0f;
    ASSERT_EQ(arcade->ScrollSpan(), span);
    arcade->ScrollTo(CPointF(span, 0.0f), 0);
    Arcade_BG_Item* item = AddItem(2, span + 900.0f);
    Arcade_Token* token = nullptr;
    ASSERT_TRUE(arcade->SpawnTokens(1));
    token = arcade->TakeToken(true);
    token->SetPosition(CPointF(span + 300.0f, 100.0f), 0, 1);
    VFlat* vehicle = arcade->GetVehicle();
    vehicle->SetPosition(CPointF(span + 200.0f, 400.0f), 0, 1);
    const float stagePlace = vehicle->GetPosition().x - arcade->GetScrollOffset().x;
    Frame(20);
    EXPECT_EQ(arcade->GetScrollOffset().x, span + 2.0f - span) << "the view jumps back by the span";
    EXPECT_EQ(item->GetPosition().x, 902.0f) << "a group of speed 0 keeps its stage place, and jumps back";
    EXPECT_EQ(token->GetPosition().x, 300.0f);
    EXPECT_FLOAT_EQ(vehicle->GetPosition().x - arcade->GetScrollOffset().x, stagePlace);
}

TEST_F(ArcadeActivityTest, RecycledItemsAreShownOrHiddenByTheirChance) {
    const struct {
        int16_t chance;
        bool shown;
    } cases[] = {{0, true}, {100, false}};
    for (const auto& c : cases) {
        ProbeArcade* arcade = Start(3000.0f);
        std::vector<Arcade_BG_Item*> items;
        for (int i = 0; i < 20; ++i) {
            Arcade_BG_Item* item = AddItem(int16_t(i % 6), -50.0f - float(i));
            item->SetHideChance(c.chance);
            item->SetVisible(c.shown ? 0 : 1, 0);
            items.push_back(item);
        }
        arcade->ScrollItems(16);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(items[std::size_t(i)]->GetPosition().x, 3000.0f - 50.0f - float(i)) << "moved ahead";
            EXPECT_EQ(items[std::size_t(i)]->IsVisible() != 0, c.shown) << "chance " << c.chance;
        }
    }
}

TEST_F(ArcadeActivityTest, SteeringVelocityFollowsKeysMouseOrNeither) {
    const struct {
        const char* name;
        bool left, right, mouse;
        int32_t cursorX;
        float vehicleX;
        float target; // before the clamp to the margins
        bool ratio;
    } cases[] = {
        {"left", true, false, false, 0, 300, 200, false},
        {"left at the margin", true, false, false, 0, 150, 125, false},
        {"right", false, true, false, 0, 300, 400, false},
        {"right near the edge", false, true, false, 0, 560, 615, false},
        {"both", true, true, false, 0, 300, 300, true},
        {"neither, left of the margin", false, false, false, 0, 60, 125, true},
        {"mouse", false, false, true, 500, 300, 500, false},
        {"mouse beyond the edge", false, false, true, 900, 300, 615, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeArcade* arcade = Start();
        arcade->SetGroupSpeed(5, 40.0f);
        Frame(20);
        Frame(30);
        input().SetKeyDown(int32_t(kLeft), c.left);
        input().SetKeyDown(int32_t(kRight), c.right);
        input().SetCursorPos({c.cursorX, 100});
        if (c.mouse) {
            input().SetKeyDown(int32_t(kLeft), false);
            input().SetKeyDown(int32_t(kRight), false);
            arcade->OnMouseMove();
        }
        VFlat* vehicle = arcade->GetVehicle();
        vehicle->SetPosition(CPointF(arcade->GetScrollOffset().x + c.vehicleX, 400.0f), 0, 1);
        const float x = vehicle->GetPosition().x - arcade->GetScrollOffset().x + vehicle->GetScaledHotSpot().x;
        arcade->SteerVehicle(16);
        const float pull = std::clamp((c.target - x) * 0.01f, -1.0f, 1.0f);
        const float factor = c.ratio ? arcade->GetFrameRatio() : 1.0f;
        const float wanted = (300.0f * pull + 40.0f) * factor;
        EXPECT_FLOAT_EQ(vehicle->GetVelocity().x, std::clamp(wanted, -300.0f, 300.0f)) << "held to 300";
        EXPECT_EQ(vehicle->GetVelocity().y, 0.0f);
    }
}

TEST_F(ArcadeActivityTest, ControlModeSwitches) {
    const struct {
        const char* name;
        bool mouseMode, left, right;
        bool move, step;
        int32_t after;
    } cases[] = {
        {"move, no key: mouse", false, false, false, true, false, Arcade_Activity::kMouseMode},
        {"move with an arrow held: keys", false, true, false, true, false, Arcade_Activity::kKeyboardMode},
        {"arrow in mouse mode: keys", true, false, true, false, true, Arcade_Activity::kKeyboardMode},
        {"mouse mode without keys stays", true, false, false, false, true, Arcade_Activity::kMouseMode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeArcade* arcade = Start();
        if (c.mouseMode) arcade->OnMouseMove();
        input().SetKeyDown(int32_t(kLeft), c.left);
        input().SetKeyDown(int32_t(kRight), c.right);
        if (c.move) arcade->OnMouseMove();
        if (c.step) arcade->OnStep(2);
        EXPECT_EQ(arcade->GetControlMode(), c.after);
        input().SetKeyDown(int32_t(kLeft), false);
        input().SetKeyDown(int32_t(kRight), false);
    }
}

TEST_F(ArcadeActivityTest, ClicksFireOncePerIntervalOfTheVehicle) {
    const struct {
        uint16_t vehicle;
        uint32_t interval;
    } cases[] = {{0, 700}, {1, 400}, {2, 700}, {5, 400}};
    for (const auto& c : cases) {
        ProbeArcade* arcade = Start(4000.0f, c.vehicle);
        ASSERT_EQ(arcade->GetFireInterval(), c.interval);
        std::vector<uint32_t> shotTimes;
        const uint32_t start = clock().TickCount();
        for (uint32_t t = 10; t <= 3000; t += 10) {
            clock().Advance(10);
            if (t % 50 == 0) {
                const int before = arcade->shots;
                arcade->OnButtonDown();
                if (arcade->shots != before) shotTimes.push_back(clock().TickCount() - start);
            }
        }
        ASSERT_GE(shotTimes.size(), 3u);
        for (std::size_t i = 1; i < shotTimes.size(); ++i) {
            EXPECT_GT(shotTimes[i] - shotTimes[i - 1], c.interval);
            EXPECT_LE(shotTimes[i] - shotTimes[i - 1], c.interval + 50) << "the first click after the interval";
        }
    }
}

TEST_F(ArcadeActivityTest, AltReleaseFiresLikeAClick) {
    ProbeArcade* arcade = Start();
    clock().Advance(5);
    arcade->OnKey(CTLVActivity::kKeyAlt);
    EXPECT_EQ(arcade->shots, 1);
    arcade->OnKey(CTLVActivity::kKeyAlt);
    EXPECT_EQ(arcade->shots, 1) << "within the interval";
}

TEST_F(ArcadeActivityTest, PausedTimeNeverCountsAndThePendingStepIsKept) {
    ProbeArcade* arcade = Start(1e5f);
    arcade->SetGroupSpeed(5, 1000.0f);
    Frame(40);
    ASSERT_EQ(arcade->GetScrollOffset().x, 40.0f);
    clock().Advance(30);
    arcade->Pause();
    EXPECT_EQ(arcade->GetPendingStep(), 30u);
    clock().Advance(10000);
    arcade->Pause(); // a second pause keeps what the first put aside
    EXPECT_EQ(arcade->GetPendingStep(), 30u);
    arcade->Resume();
    Frame(20);
    EXPECT_EQ(arcade->GetScrollOffset().x, 90.0f) << "the pending 30 ms and the 20 ms since";
}

TEST_F(ArcadeActivityTest, TokensComeFromThePoolAndGoBack) {
    ProbeArcade* arcade = Start();
    ASSERT_TRUE(arcade->SpawnTokens(5));
    ASSERT_EQ(arcade->TokenPool().Count(), 5);
    for (int32_t i = 0; i < 5; ++i) {
        Arcade_Token* token = arcade->TokenPool().GetAt(i);
        EXPECT_FALSE(token->IsVisible());
        EXPECT_EQ(token->GetPosition(), CPointF(-100.0f, -100.0f));
        EXPECT_TRUE(token->IsA(3300));
        EXPECT_TRUE(token->IsA(1700));
        EXPECT_STREQ(token->GetName(), "Arcade_BG_Item");
    }
    const struct {
        bool keep;
        int pool, live;
    } takes[] = {{true, 4, 1}, {false, 3, 1}, {true, 2, 2}};
    std::vector<Arcade_Token*> loose;
    for (const auto& t : takes) {
        Arcade_Token* token = arcade->TakeToken(t.keep);
        ASSERT_NE(token, nullptr);
        if (!t.keep) loose.push_back(token);
        else arcade->AddChild(token); // the games drop kept tokens among the children
        EXPECT_EQ(arcade->TokenPool().Count(), t.pool);
        EXPECT_EQ(arcade->LiveTokens().Count(), t.live);
    }
    arcade->LiveTokens().GetAt(0)->SetPosition(CPointF(50.0f, 60.0f), 0, 1);
    arcade->ShiftLiveTokens(-20.0f);
    EXPECT_EQ(arcade->LiveTokens().GetAt(0)->GetPosition(), CPointF(30.0f, 60.0f));
    arcade->ClearTokens();
    EXPECT_EQ(arcade->TokenPool().Count(), 0);
    EXPECT_EQ(arcade->LiveTokens().Count(), 0);
    EXPECT_EQ(arcade->TakeToken(true), nullptr);
    for (Arcade_Token* token : loose) delete token;
    Frame(16); // the children no longer name the deleted tokens
}

TEST_F(ArcadeActivityTest, WithoutAVehicleEveryVehicleStepIsSkipped) {
    ProbeArcade* arcade = Start(4000.0f, 7);
    EXPECT_EQ(arcade->GetVehicle(), nullptr);
    EXPECT_EQ(arcade->GetVehicleIndex(), -1);
    EXPECT_NE(traced().find("no vehicle 7"), std::string::npos);
    arcade->SetGroupSpeed(5, 50.0f);
    input().SetKeyDown(int32_t(kLeft), true);
    Frame(20);
    arcade->OnKey(CTLVActivity::kKeyCtrl);
    EXPECT_FALSE(arcade->IsSirenOn());
    arcade->HidePanel(4, 1);
    input().SetKeyDown(int32_t(kLeft), false);
    // A vehicle made by an earlier start goes when the player's choice leaves 0-5.
    CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(1);
    arcade->OnActivated();
    ASSERT_NE(arcade->GetVehicle(), nullptr);
    CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(9);
    arcade->OnActivated();
    EXPECT_EQ(arcade->GetVehicle(), nullptr);
}

TEST_F(ArcadeActivityTest, TheVehicleStartsWhereAndHowTheArcadeWantsIt) {
    ProbeArcade* arcade = Start(4000.0f, 3);
    VFlat* vehicle = arcade->GetVehicle();
    ASSERT_NE(vehicle, nullptr);
    EXPECT_STREQ(vehicle->GetName(), "VFlat");
    EXPECT_EQ(vehicle->GetPosition(), CPointF(100.0f, 400.0f));
    EXPECT_EQ(vehicle->GetPriority(), 45);
    EXPECT_EQ(vehicle->GetMaxSpeed(), 300.0f);
    EXPECT_EQ(vehicle->GetLongestStep(), 125u);
    EXPECT_EQ(vehicle->GetParent(), arcade);
    EXPECT_EQ(arcade->GetSirenSound(), MakeChunkId(7, 16));
    arcade->OnKey(CTLVActivity::kKeyCtrl);
    EXPECT_TRUE(arcade->IsSirenOn());
    arcade->OnKey(CTLVActivity::kKeyCtrl);
    EXPECT_FALSE(arcade->IsSirenOn());
    arcade->OnActivated();
    EXPECT_EQ(arcade->GetVehicle(), vehicle) << "made once";
}

TEST_F(ArcadeActivityTest, AShotEndsItsFlightAtTheStopLineAndAsksTheArcadeAboutHits) {
    ProbeArcade* arcade = Start();
    arcade->SetVisible(1, 0);
    gArcade = arcade;
    const struct {
        bool callback, hit;
        int16_t stopLine;
        bool endsAtStopLine;
    } cases[] = {{false, false, 200, true}, {false, false, -1000, false}, {true, false, 200, true}, {true, true, 200, false}};
    for (const auto& c : cases) {
        auto* shot = new PArcadeParticle;
        arcade->AddChild(shot);
        EXPECT_EQ(shot->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kShotPart), 1), 1);
        shot->SetVisible(0, 0);
        shot->SetStopLine(c.stopLine);
        if (c.callback) shot->SetFrameHook(&AskTheArcade);
        arcade->hit = c.hit;
        arcade->hitTests = 0;
        shot->SetPosition(CPointF(300.0f, 400.0f), 0, 1);
        shot->SetVelocityXY(0.0f, -1000.0f, 0);
        shot->Launch(CPoint16(300, 400), 1, CPoint16(300, 100), 300, 1.0f);
        shot->Start(0);
        float highest = 400.0f;
        for (int f = 0; f < 40 && shot->GetVelocity().y != 0.0f; ++f) {
            clock().Advance(10);
            shot->OnIdle();
            highest = std::min(highest, shot->GetPosition().y);
            EXPECT_EQ(shot->GetPriority(), PArcadeParticle::kDrawPriority);
        }
        EXPECT_EQ(shot->GetVelocity().y, 0.0f) << "the flight ended";
        if (c.callback) {
            EXPECT_GT(arcade->hitTests, 0);
        }
        if (c.endsAtStopLine) {
            EXPECT_LT(highest, 200.0f);
            EXPECT_GT(highest, 170.0f) << "one frame past the line";
        } else if (!c.hit) {
            EXPECT_GE(highest, 100.0f) << "the flight time ends it 300 px up";
        }
        if (c.hit) {
            EXPECT_GT(highest, 380.0f) << "a hit ends it at once";
        }
        delete shot;
    }
    EXPECT_FALSE(Arcade_ParticleCallback(nullptr));
    EXPECT_FALSE(Arcade_ParticleCallback(arcade->GetVehicle())) << "no current arcade, and not a shot";
}

} // namespace
} // namespace vqt::test

namespace vqt::test {
namespace {

TEST_F(ArcadeActivityTest, SceneryItemsComeFromTheFactoryWithTheirGroupAndHideChance) {
    xArcade_RegisterClasses();
    std::unique_ptr<OView> made(xTLVFactory_MakeProp(Arcade_BG_Item::kClassId));
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->GetName(), "Arcade_BG_Item");
    EXPECT_FALSE(made->IsA(Arcade_Token::kClassId));
    auto* item = static_cast<Arcade_BG_Item*>(made.get());
    const struct {
        uint32_t family, id;
        int16_t value;
        int16_t group, chance;
    } cases[] = {
        {1700, 1, 4, 4, 0}, {1700, 2, 35, 4, 35}, {1700, 3, 9, 4, 35}, {1110, 1, 2, 4, 35},
    };
    for (const auto& c : cases) {
        alignas(OPropertyMsg) uint8_t bytes[OPropertyMsg::kHeaderSize + 4] = {};
        auto* msg = reinterpret_cast<OPropertyMsg*>(bytes);
        msg->family = c.family;
        msg->id = c.id;
        msg->size = c.family == 1110 ? 4 : 2;
        ASSERT_TRUE(msg->Put(0, c.value));
        item->HandleProperty(msg, 1);
        EXPECT_EQ(item->GetGroup(), c.group) << c.family << "/" << c.id;
        EXPECT_EQ(item->GetHideChance(), c.chance) << c.family << "/" << c.id;
    }
}

} // namespace
} // namespace vqt::test
