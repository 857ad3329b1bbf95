// The flat vehicle: lean steps, dashes, coasting and the lock against a model of the stepping
// rules on a virtual clock, its animation-end states, its touch callback and its headings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "game/shell/GameShellState.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

const bool shellReset = HeadlessTest::AddStateReset(&CGameShellState::ResetForTest);

constexpr uint16_t kLeanPart = 40;
constexpr int32_t kStates = 12;
constexpr int32_t kNeutral = 6;
constexpr uint32_t kFrame = 10;

PartPlan LeanStates() {
    PartPlan part;
    for (int s = 0; s < kStates; ++s) {
        FramePlan frame{.picture = Picture(8, 8, uint8_t(s + 1)), .hotX = 4, .hotY = 4};
        part.states.push_back(StatePlan{.frames = {frame, frame}});
    }
    return part;
}

/// The stepping rules: one lean step when more than the step timer's span has passed since it
/// started, the velocity step / N x 125 (in floating point), the state neutral - step.
struct LeanModel {
    int32_t n = 4, s = 0;
    uint32_t start = 0, span = 50;
    float velocity = 0.0f;

    float Lateral() const { return n == 0 ? 0.0f : float(s) / float(n) * 125.0f; }
    bool Due(uint32_t now) const { return now - start > span; }
    void Move(int32_t toward, uint32_t now) {
        if (Due(now)) {
            s = std::clamp(s + toward, -n, n);
            start = now, span = 50;
        }
        velocity = Lateral();
    }
    void Coast(uint32_t now) {
        if (Due(now)) {
            s += s < 0 ? 1 : s > 0 ? -1 : 0;
            start = now, span = 50;
        }
        velocity = Lateral();
    }
};

bool gRefuse = false;
int gTouches = 0;
bool RefuseWhenAsked(TLV_Object*) { return gRefuse; }
bool CountTouch(TLV_Object*) { return ++gTouches, true; }

class StageView : public OActivity {
public:
    StageView() : OActivity("Activity", OActivity::kClassId) { SetSize(CPoint16(4000, 4000), 0); }
};

class VFlatTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        gRefuse = false;
        gTouches = 0;
        parts_.AddPart(LeanStates(), kLeanPart);
        const std::string path = folder_ / "flat.vqk";
        ASSERT_TRUE(image_.WriteFile(path));
        auto file = std::make_unique<CPartFile>();
        ASSERT_TRUE(file->Open(path.c_str(), 1));
        app_ = std::make_unique<OApplication>();
        app_->SetPartFile(std::move(file));
        stage_ = std::make_unique<StageView>();
        xActivity_SetCurrentView(stage_.get());
    }
    void TearDown() override {
        xActivity_SetCurrentView(nullptr);
        stage_.reset();
        app_.reset();
        HeadlessTest::TearDown();
    }
    /// A vehicle with `steps` lean steps at rest in the neutral state, on the stage.
    VFlat* Make(int32_t steps) {
        auto* car = new VFlat;
        stage_->AddChild(car);
        car->SetPosition(CPointF(500, 400), 0, 1);
        EXPECT_EQ(car->SetPartID(app_->GetPartFile(), MakeChunkId(parts_.PartIndex(), kLeanPart), 1), 1);
        car->SetStepCount(steps);
        car->SetNeutralState(kNeutral);
        car->SetState(kNeutral);
        return car;
    }
    LeanModel ModelOf(VFlat* car) {
        return LeanModel{.n = car->GetStepCount(), .s = car->GetStep(), .start = car->StepTimer().start};
    }
    /// One frame: the clock moves on, the owner's key operation, then the vehicle's step.
    template <class Keys>
    void Frame(VFlat* car, Keys keys, uint32_t ms = kFrame) {
        clock().Advance(ms);
        keys();
        car->OnIdle();
    }
    /// Frames of `keys` on the vehicle and of `model` on the model, comparing step, state and
    /// velocity each frame; the frames on which the step changed.
    template <class Keys, class Model>
    std::vector<int> RunAgainstModel(VFlat* car, LeanModel& m, Keys keys, Model model, int frames) {
        std::vector<int> stepped;
        for (int i = 0; i < frames; ++i) {
            const int32_t before = car->GetStep();
            Frame(car, keys);
            model(clock().TickCount());
            SCOPED_TRACE("frame " + std::to_string(i));
            EXPECT_EQ(car->GetStep(), m.s);
            EXPECT_EQ(car->GetState(), kNeutral - m.s);
            EXPECT_EQ(car->GetVelocity().x, m.velocity);
            EXPECT_EQ(car->GetVelocity().y, 0.0f);
            if (car->GetStep() != before) stepped.push_back(i);
            if (HasFailure()) break;
        }
        return stepped;
    }

    TempFolder folder_;
    ChunkFileBuilder image_;
    PartBuilder parts_{image_};
    std::unique_ptr<OApplication> app_;
    std::unique_ptr<StageView> stage_;
};

TEST_F(VFlatTest, HeldKeysLeanOneStepPerIntervalAgainstTheModel) {
    const struct {
        const char* name;
        int32_t toward;
        int32_t steps;
        std::vector<float> velocities; // after each step
    } cases[] = {
        {"left, four steps", -1, 4, {-31.25f, -62.5f, -93.75f, -125.0f, -125.0f}},
        {"right, four steps", 1, 4, {31.25f, 62.5f, 93.75f, 125.0f, 125.0f}},
        {"left, three steps", -1, 3, {-125.0f / 3.0f, -250.0f / 3.0f, -125.0f, -125.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VFlat* car = Make(c.steps);
        LeanModel m = ModelOf(car);
        auto keys = [&] { c.toward < 0 ? car->KeyMoveNeg(0, 0) : car->KeyMovePos(0, 0); };
        const int frames = int(c.velocities.size()) * 6;
        const std::vector<int> stepped =
            RunAgainstModel(car, m, keys, [&](uint32_t now) { m.Move(c.toward, now); }, frames);
        ASSERT_EQ(stepped.size(), std::size_t(c.steps)) << "the lean stops at N";
        for (std::size_t i = 0; i < stepped.size(); ++i)
            EXPECT_EQ(stepped[i], 5 + 6 * int(i)) << "a step on the first 10 ms frame past each 50 ms";
        EXPECT_EQ(car->GetVelocity().x, c.velocities.back());
        EXPECT_EQ(car->GetState(), kNeutral - c.toward * c.steps);
        delete car;
    }
}

TEST_F(VFlatTest, IntermediateLeanSpeedsAreFractionsOfTheSidewaysSpeed) {
    VFlat* car = Make(4);
    const float expected[] = {-31.25f, -62.5f, -93.75f, -125.0f};
    for (float velocity : expected) {
        for (int i = 0; i < 6; ++i) Frame(car, [&] { car->KeyMoveNeg(0, 0); });
        EXPECT_EQ(car->GetVelocity().x, velocity) << "step " << car->GetStep();
        EXPECT_EQ(car->GetLateralSpeed(), velocity);
    }
}

TEST_F(VFlatTest, WithoutStepsOrDirectFromRestTheKeysSlideAtOnce) {
    const struct {
        int32_t steps;
        uint8_t direct, half;
        float speed;
    } cases[] = {
        {0, 0, 0, 125.0f}, {0, 0, 1, 125.0f}, {0, 1, 0, 125.0f}, {0, 1, 1, 62.5f},
        {4, 1, 1, 62.5f},  {4, 1, 0, 125.0f}, {-2, 0, 1, 125.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("steps " + std::to_string(c.steps) + " direct " + std::to_string(c.direct) + " half " +
                     std::to_string(c.half));
        VFlat* car = Make(c.steps);
        car->KeyMoveNeg(c.direct, c.half);
        EXPECT_EQ(car->GetVelocity().x, -c.speed);
        car->KeyMovePos(c.direct, c.half);
        EXPECT_EQ(car->GetVelocity().x, c.speed);
        EXPECT_EQ(car->GetStep(), 0) << "no lean without stepping";
        EXPECT_EQ(car->GetState(), kNeutral);
        car->Coast(c.direct);
        EXPECT_EQ(car->GetVelocity().x, 0.0f) << "coasting from rest stops";
        delete car;
    }
}

TEST_F(VFlatTest, ADashHoldsTheLeanAtRestFourIntervalsThenStepsEveryInterval) {
    const struct {
        int32_t toward;
    } cases[] = {{-1}, {1}};
    for (const auto& c : cases) {
        VFlat* car = Make(4);
        c.toward < 0 ? car->StartNegRamp() : car->StartPosRamp();
        EXPECT_EQ(car->GetVelocity().x, float(c.toward) * 125.0f) << "one full-speed start";
        EXPECT_EQ(car->GetStep(), 0);
        EXPECT_EQ(car->GetState(), kNeutral);
        LeanModel m = ModelOf(car);
        m.span = 200;
        const int32_t back = -c.toward;
        auto keys = [&] { back < 0 ? car->KeyMoveNeg(0, 0) : car->KeyMovePos(0, 0); };
        const std::vector<int> stepped = RunAgainstModel(car, m, keys, [&](uint32_t now) { m.Move(back, now); }, 40);
        ASSERT_GE(stepped.size(), 3u);
        EXPECT_EQ(stepped[0], 20) << "first step back on the first frame past 200 ms";
        EXPECT_EQ(stepped[1] - stepped[0], 6);
        EXPECT_EQ(stepped[2] - stepped[1], 6);
        EXPECT_EQ(car->StepTimer().duration, VFlat::kStepIntervalMs);
        delete car;
    }
}

TEST_F(VFlatTest, ADashWithoutStepsSlidesAtFullSpeed) {
    VFlat* car = Make(0);
    car->StartNegRamp();
    EXPECT_EQ(car->GetVelocity().x, -125.0f);
    car->StartPosRamp();
    EXPECT_EQ(car->GetVelocity().x, 125.0f);
    EXPECT_EQ(car->StepTimer().duration, VFlat::kStepIntervalMs);
}

TEST_F(VFlatTest, CoastingReturnsToRestOneStepPerInterval) {
    const struct {
        int32_t from;
        std::vector<int32_t> states;
    } cases[] = {
        {3, {kNeutral - 2, kNeutral - 1, kNeutral}},
        {-2, {kNeutral + 1, kNeutral}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        VFlat* car = Make(4);
        while (car->GetStep() != c.from)
            Frame(car, [&] { c.from < 0 ? car->KeyMoveNeg(0, 0) : car->KeyMovePos(0, 0); });
        LeanModel m = ModelOf(car);
        std::vector<int32_t> shown;
        for (int i = 0; i < 30; ++i) {
            const int32_t before = car->GetState();
            Frame(car, [&] { car->Coast(0); });
            m.Coast(clock().TickCount());
            EXPECT_EQ(car->GetVelocity().x, m.velocity) << i;
            if (car->GetState() != before) shown.push_back(car->GetState());
        }
        EXPECT_EQ(shown, c.states);
        EXPECT_EQ(car->GetVelocity().x, 0.0f);
        EXPECT_EQ(car->GetStep(), 0);
        delete car;
    }
}

TEST_F(VFlatTest, EveryKeyIsIgnoredWhileLockedAndTheLockEndsInAStop) {
    const struct {
        const char* name;
        void (*key)(VFlat*);
        float after; // the velocity the key gives once the lock has ended
    } cases[] = {
        {"left", [](VFlat* v) { v->KeyMoveNeg(0, 0); }, -31.25f},
        {"right", [](VFlat* v) { v->KeyMovePos(1, 1); }, 62.5f},
        {"left dash", [](VFlat* v) { v->StartNegRamp(); }, -125.0f},
        {"right dash", [](VFlat* v) { v->StartPosRamp(); }, 125.0f},
        {"coast", [](VFlat* v) { v->Coast(0); }, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VFlat* car = Make(4);
        car->SetVelocityXY(40.0f, 0.0f, 0);
        car->Lock();
        for (int i = 0; i < 70; ++i) Frame(car, [&] { c.key(car); });
        EXPECT_TRUE(car->IsLocked()) << "700 ms into the lock";
        EXPECT_EQ(car->GetVelocity().x, 40.0f);
        EXPECT_EQ(car->GetStep(), 0);
        EXPECT_EQ(car->GetState(), kNeutral);
        for (int i = 0; i < 6; ++i) Frame(car, [] {});
        EXPECT_FALSE(car->IsLocked());
        EXPECT_EQ(car->GetVelocity().x, 0.0f) << "the lock's end stops the vehicle";
        car->SetVelocityXY(40.0f, 0.0f, 0);
        c.key(car);
        EXPECT_EQ(car->GetVelocity().x, c.after) << "keys work again";
        delete car;
    }
}

TEST_F(VFlatTest, APauseMovesTheLockExpiry) {
    VFlat* car = Make(4);
    car->SetVelocityXY(40.0f, 0.0f, 0);
    car->Lock();
    Frame(car, [] {}, 300);
    car->Suspend(1);
    clock().Advance(2000);
    car->OnIdle();
    EXPECT_TRUE(car->IsLocked()) << "no expiry while paused";
    car->Resume(1);
    Frame(car, [] {}, 440);
    EXPECT_TRUE(car->IsLocked()) << "740 ms of lock outside the pause";
    Frame(car, [] {}, 20);
    EXPECT_FALSE(car->IsLocked());
    EXPECT_EQ(car->GetVelocity().x, 0.0f);
}

TEST_F(VFlatTest, AnimationEndKeepsOrAlternatesTheRestState) {
    const struct {
        uint8_t returnToRest, alternate;
        int32_t before, after;
    } cases[] = {
        {1, 0, 3, 3}, {1, 1, 0, 0}, {0, 0, 3, 0}, {0, 1, 0, 1}, {0, 1, 1, 0}, {0, 1, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.returnToRest) + std::to_string(c.alternate) + " from " + std::to_string(c.before));
        VFlat* car = Make(4);
        car->SetReturnToRest(c.returnToRest);
        car->SetAlternate(c.alternate);
        car->SetState(c.before);
        car->OnAnimationEnd();
        EXPECT_EQ(car->GetState(), c.after);
        delete car;
    }
}

TEST_F(VFlatTest, ARefusedPlaceRunsTheTouchCallbackEachFrame) {
    const struct {
        bool hook, refuse, callback;
        int touches;
    } cases[] = {
        {false, true, true, 0}, {true, false, true, 0}, {true, true, true, 3}, {true, true, false, 0},
    };
    for (const auto& c : cases) {
        VFlat* car = Make(4);
        gTouches = 0;
        gRefuse = c.refuse;
        if (c.hook) car->SetTouchHook(&RefuseWhenAsked);
        if (c.callback) car->onTouch = &CountTouch;
        car->SetVelocityXY(100.0f, 0.0f, 0);
        const float x = car->GetPosition().x;
        for (int i = 0; i < 3; ++i) Frame(car, [] {}, 20);
        EXPECT_EQ(gTouches, c.touches);
        EXPECT_GT(car->GetPosition().x, x) << "the motion runs either way";
        delete car;
    }
}

TEST_F(VFlatTest, HeadingVectorsAndTheirUnitLengths) {
    const struct {
        int32_t i;
        Vec3 vector;
    } cases[] = {
        {0, {0.0f, 0.5f, 0.0f}},  {8, {1.0f, 0.0f, 0.0f}},     {16, {0.0f, -0.5f, 0.0f}},
        {24, {-1.0f, 0.0f, 0.0f}}, {2, {0.383f, 0.462f, 0.0f}}, {13, {0.556f, -0.4155f, 0.0f}},
        {-1, {}},                 {32, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.i);
        Vec3 v{9, 9, 9}, u{9, 9, 9};
        VFlat::HeadingVector(&v, c.i);
        VFlat::HeadingUnitVector(&u, c.i);
        EXPECT_FLOAT_EQ(v.x, c.vector.x);
        EXPECT_FLOAT_EQ(v.y, c.vector.y);
        EXPECT_EQ(v.z, 0.0f);
        const double length = std::hypot(double(c.vector.x), double(c.vector.y));
        if (length == 0.0) {
            EXPECT_EQ(u, Vec3()) << "outside the table";
            continue;
        }
        EXPECT_NEAR(std::hypot(double(u.x), double(u.y)), 1.0, 1e-6);
        EXPECT_NEAR(double(u.x), c.vector.x / length, 1e-6);
        EXPECT_NEAR(double(u.y), c.vector.y / length, 1e-6);
    }
    VFlat::HeadingVector(nullptr, 3);
    VFlat::HeadingUnitVector(nullptr, 3);
}

} // namespace
} // namespace vqt::test
