// Projectiles, beams and particles on a game screen, frame by frame on the virtual clock,
// against a model of the arc written from its formulas: heights, ground points, headings,
// pipe 2's levels, landing, splashing, the landed callback and the beam following its source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "engine/core/DeferredDelete.h"
#include "game/shell/Headings.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "tests/game/shell/PropsFixture.h"

namespace vqt::test {
namespace {

/// A particle's part: 32 headings, a splash and a landing state, its overlay (the ground body)
/// the one-state part.
constexpr uint16_t kParticlePart = 3299;
constexpr int kParticleStates = 34;
constexpr ChunkId kLaunchSound = MakeChunkId(7, 300);
constexpr ChunkId kLandingSound = MakeChunkId(7, 301);

int g_landed = 0;
int g_hookAsked = 0;

/// The arc as its formulas give it: g = 2 h f / t^2, the height h - trunc(g e^2 / 2) until it
/// falls below 0, the ground point the height below the particle, the heading with the
/// smallest angle (a later one on a tie), and pipe 2's levels fading over 400 pixels from the
/// middle of the stage.
struct ArcModel {
    float x, y, vx, vy; // positions move in single precision, as the stage's do
    int height0;
    double g;
    uint32_t elapsed = 0;

    int Height() const {
        const double s = elapsed / 1000.0;
        return std::max(height0 - int(0.5 * g * s * s), 0);
    }
    /// The table keeps each sine and cosine to three decimals.
    static double Rounded(double v) { return std::round(v * 1000.0) / 1000.0; }
    static int Heading(double vx, double vy) {
        int best = 0;
        double smallest = 2 * std::numbers::pi;
        for (int i = 0; i < 32; ++i) {
            const double hx = Rounded(std::sin(i * std::numbers::pi / 16)), hy = 0.5 * Rounded(std::cos(i * std::numbers::pi / 16));
            const double angle = std::acos(std::clamp((hx * vx + hy * vy) / (std::hypot(hx, hy) * std::hypot(vx, vy)), -1.0, 1.0));
            if (angle <= smallest) smallest = angle, best = i;
        }
        return best;
    }
    void Step(uint32_t ms) {
        x += vx * (float(ms) / 1000.0f);
        y += vy * (float(ms) / 1000.0f);
    }
    static int Left(double x) { return std::clamp(int(320 - x) < 0 ? (400 + int(320 - x)) * 255 / 320 : 255, 0, 255); }
    static int Right(double x) { return std::clamp(int(320 - x) > 0 ? (400 - int(320 - x)) * 255 / 320 : 255, 0, 255); }
};

class ProjectilesTest : public PropsFixture {
protected:
    void SetUp() override {
        PropsFixture::SetUp();
        g_landed = g_hookAsked = 0;
        Show(kPlainScreen);
    }
    void AddTestData(GameData& data) override {
        PropsFixture::AddTestData(data);
        PartPlan part = StatesPart(kParticleStates);
        part.words[1] = kStatesPart + 1;
        data.parts.AddPart(part, kParticlePart);
    }
    /// A hidden particle of the heading part at (x, y), flying with the velocity.
    PParticle* Particle(float x, float y, float vx, float vy) {
        auto* particle = Place(new PParticle, 0, x, y);
        particle->SetPartID(app->GetPartFile(), MakeChunkId(2, kParticlePart), 1);
        particle->SetVisible(0, 0);
        particle->SetVelocity(Vec3(vx, vy, 0), 0);
        return particle;
    }
};

TEST_F(ProjectilesTest, AParticleFliesItsArcFrameByFrameLandsOnTimeAndIsReleasedByItsCallback) {
    PParticle* particle = Particle(-150, 300, 800, -60);
    particle->SetLandedCallback([](Projectile* p) {
        ++g_landed;
        p->Release();
    });
    particle->Launch(CPoint16(-150, 300), 100, CPoint16(650, 240), 1000, 1.0f);
    EXPECT_FLOAT_EQ(particle->GetGravity(), 200.0f);
    EXPECT_EQ(particle->GetStartGround(), CPoint16(-150, 400));
    particle->Start(1);
    ArcModel model{-150.0f, 300.0f, 800.0f, -60.0f, 100, 200.0};
    const int heading = ArcModel::Heading(800, -60);
    EXPECT_EQ(particle->GetState(), heading);
    int landedAt = 0;
    for (int frame = 1; frame <= 70 && !landedAt; ++frame) {
        const double x = model.x; // pipe 2 pans after where the particle was
        model.elapsed += kFrameMs;
        const bool landsNow = model.elapsed > 1000 || model.Height() == 0;
        if (!landsNow) model.Step(kFrameMs); // landing stops it before it moves
        Frames(1, kFrameMs);
        if (landsNow) landedAt = frame;
        EXPECT_EQ(particle->GetHeight(), model.Height()) << frame;
        // The ground body, placed the height below the particle, moves on with it.
        EXPECT_NEAR(particle->GetCollisionBody()->GetPosition().y, model.y + model.Height(), 0.01) << frame;
        EXPECT_NEAR(particle->GetCollisionBody()->GetPosition().x, model.x, 0.01) << frame;
        EXPECT_EQ(Pipe(2)->left, ArcModel::Left(x)) << frame;
        EXPECT_EQ(Pipe(2)->right, ArcModel::Right(x)) << frame;
        if (!landsNow) {
            EXPECT_NEAR(particle->GetPosition().x, model.x, 0.01) << frame;
            EXPECT_EQ(particle->GetState(), heading) << frame;
        }
    }
    EXPECT_EQ(landedAt, 63) << "the first frame past 1000 ms";
    EXPECT_EQ(particle->GetState(), kParticleStates - 1);
    EXPECT_EQ(particle->GetVelocity(), Vec3());
    const int32_t children = CurrentGameActivity()->ChildCount();
    EXPECT_LT(FramesUntil([&] { return g_landed > 0; }), 20) << "the landing state plays, then the callback";
    EXPECT_EQ(g_landed, 1);
    EXPECT_LT(FramesUntil([&] { return CurrentGameActivity()->ChildCount() == children - 2; }), 60)
        << "released with its ground body at a frame's end";
    EXPECT_EQ(g_landed, 1);
}

TEST_F(ProjectilesTest, TheHookIsAskedOnceArmedASplashStopsTheFlightAndAFlightOfNoTimeLandsAtOnce) {
    struct Case {
        float armingRadius;
        uint32_t timeMs;
        int asked;
        int state;
    };
    // Radius 0.5 or less: asked from the first frame; 1000: the particle never gets far enough.
    for (const Case& c : {Case{0.5f, 1000, 1, kParticleStates - 2}, Case{1000.0f, 1000, 0, 8},
                          Case{1000.0f, 0, 0, kParticleStates - 1}}) {
        g_hookAsked = 0;
        PParticle* particle = Particle(300, 200, 100, 0);
        particle->SetFrameHook([](TLV_Object*) { return ++g_hookAsked > 0; });
        particle->SetArmingRadius(c.armingRadius);
        particle->Launch(CPoint16(300, 200), 50, CPoint16(400, 200), c.timeMs, 1.0f);
        EXPECT_TRUE(std::isfinite(particle->GetGravity()));
        particle->Start(1);
        Frames(1, kFrameMs);
        EXPECT_EQ(g_hookAsked, c.asked) << c.armingRadius << " " << c.timeMs;
        EXPECT_EQ(particle->GetState(), c.state) << c.armingRadius << " " << c.timeMs;
        delete particle;
    }
}

TEST_F(ProjectilesTest, AProjectileSoundsOnPipe2AndLandsAfterItsFlightTime) {
    for (const bool busy : {false, true}) {
        app->GetSoundProcess()->StopAllExcept(0);
        if (busy) PlayOnPipe2();
        xSnippet* before = Playing(2);
        auto* shot = Place(new Projectile, 2);
        shot->SetLaunchSound(kLaunchSound);
        shot->SetLandingSound(kLandingSound);
        shot->Start(0);
        EXPECT_EQ(Playing(2), busy ? before : CurrentGameActivity()->FindSound(kLaunchSound)) << busy;
        Frames(62, kFrameMs); // 992 ms
        EXPECT_TRUE(shot->GetFlightTimer().running);
        Frames(1, kFrameMs);
        EXPECT_FALSE(shot->GetFlightTimer().running);
        EXPECT_EQ(Playing(2), CurrentGameActivity()->FindSound(kLandingSound)) << "a landing always interrupts";
        delete shot;
    }
    // {7, 0, 9} stands for no sound.
    app->GetSoundProcess()->StopAllExcept(0);
    Projectile silent;
    silent.Start(0);
    silent.Land();
    EXPECT_EQ(Playing(2), nullptr);
    // A null id names no sound: it is not looked for in the part file (which would stop the
    // game with a box for each landing).
    Projectile unnamed;
    unnamed.SetLaunchSound(kNullChunkId);
    unnamed.SetLandingSound(kNullChunkId);
    unnamed.Start(0);
    unnamed.Land();
    EXPECT_EQ(Playing(2), nullptr);
    EXPECT_TRUE(dialogs().Boxes().empty()) << dialogs().Boxes().front().text;
}

TEST_F(ProjectilesTest, ABeamFollowsItsSourcesStateModuloItsOwnAndLiesFiveAbove) {
    auto* source = Place(new TLV_Object, 20);
    auto* beam = Place(new PBeam, 8);
    EXPECT_FALSE(beam->IsVisible()) << "hidden until started";
    beam->SetFlightTime(-1);
    beam->SetOwner(source);
    beam->Activate(1);
    EXPECT_TRUE(beam->IsVisible());
    std::mt19937 random(24);
    for (int frame = 0; frame < 100; ++frame) {
        const int32_t state = int32_t(random() % 20);
        const int32_t priority = int32_t(random() % 2000) - 1000;
        source->SetState(state);
        source->SetPriority(priority);
        Frames(1, kFrameMs);
        EXPECT_EQ(beam->GetState(), state % 8) << frame;
        EXPECT_EQ(beam->GetPriority(), priority + 5) << frame;
    }
    beam->SwitchOff();
    EXPECT_FALSE(beam->IsVisible());

    // Without states it cannot follow: it says so once and stays as it is.
    auto* bare = Place(new PBeam, 0);
    bare->SetSource(source);
    Frames(3, kFrameMs);
    EXPECT_EQ(TraceCount("PBeam : no state to follow its source with"), 1);
}

TEST_F(ProjectilesTest, TheHeadingsLie11Point25DegreesApartAndTheNearestWinsWithTheLaterOnATie) {
    for (int i = 0; i < kHeadingCount; ++i) {
        const double a = i * std::numbers::pi / 16;
        EXPECT_NEAR(kHeadings[size_t(i)].x, ArcModel::Rounded(std::sin(a)), 1e-6) << i;
        EXPECT_NEAR(kHeadings[size_t(i)].y, 0.5 * ArcModel::Rounded(std::cos(a)), 1e-6) << i;
        EXPECT_EQ(xHeading_Nearest(kHeadings[size_t(i)].x * 3, kHeadings[size_t(i)].y * 3), i);
    }
    EXPECT_EQ(xHeading_Nearest(0, 0), 31) << "every angle alike: the last one";
    std::mt19937 random(7);
    for (int k = 0; k < 200; ++k) {
        const float x = float(int(random() % 2001) - 1000), y = float(int(random() % 2001) - 1000);
        EXPECT_EQ(xHeading_Nearest(x, y), ArcModel::Heading(x, y)) << x << ", " << y;
    }
}

} // namespace
} // namespace vqt::test
