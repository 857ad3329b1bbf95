// One frame of a game screen: the idle walk and the draw of 200 mixed shared props with 100
// particles in flight, beside the same frame of 300 plain engine props as the peer, all on a
// 640 x 480 16-bit stage on the virtual clock. The frame budget of the game is 16.7 ms.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/RunLoop.h"
#include "engine/graphics/ClipRect.h"
#include "engine/graphics/PixelSurface.h"
#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Hider.h"
#include "game/shell/PParticle.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "platform/Platform.h"
#include "platform/headless/VirtualClock.h"
#include "tools/builders/PartBuilder.h"

namespace {

using vqt::test::FramePlan;
using vqt::test::PartPlan;
using vqt::test::Picture;

constexpr int kFrameMs = 16;
/// Particles fly 4 s (250 frames) and are launched again before they land.
constexpr int kRelaunchFrames = 240;

/// Two states of two frames of 24 x 24 sprite-like pictures.
PartPlan SpritePart(uint32_t seed) {
    PartPlan part;
    for (int s = 0; s < 2; ++s) {
        vqt::test::StatePlan state;
        for (int f = 0; f < 2; ++f)
            state.frames.push_back(FramePlan{.picture = vqt::test::RandomPicture(24, 24, seed + uint32_t(s * 2 + f)), .hotX = 12, .hotY = 12});
        part.states.push_back(state);
    }
    return part;
}

struct Screen {
    Screen() {
        vqt::bench::FreshEngineContext();
        vqt::test::PartBuilder parts(image);
        partId = parts.AddPart(SpritePart(1)).part;
        file = std::make_unique<vqt::test::OpenedPartFile>(image);
        stage.SetSize(CPoint16(640, 480), 0);
        stage.SetPosition(CPointF(320, 240), 0, 0);
        xActivity_SetCurrentView(&stage);
        surface.Create(640, 480, 16);
        surface.SetPixelFormat(2);
    }
    ~Screen() {
        xActivity_SetCurrentView(nullptr);
        stage.DestroyChildren();
    }
    void Add(OActivityProp* prop, int i) {
        stage.AddChild(prop);
        prop->SetPosition(CPointF(float(20 + (i * 37) % 600), float(20 + (i * 53) % 440)), 0, 0);
        prop->SetPartID(file->get(), partId, 1);
    }
    void Launch(int i) {
        PParticle* p = particles[size_t(i)];
        const CPoint16 start(int16_t(40 + (i * 61) % 560), int16_t(60 + (i * 29) % 360));
        p->SetVisible(0, 0);
        p->SetPosition(CPointF(start.x, start.y), 0, 0);
        p->SetVelocity(Vec3(float(i % 7) * 10 - 30, float(i % 5) * 8 - 16, 0), 0);
        p->Launch(start, 40, start, 4000, 1.0f);
        p->Start(1);
    }
    /// One frame: the clock moves on, the props live, the stage is drawn.
    void Frame() {
        static_cast<plat::VirtualClock&>(plat::clock()).Advance(kFrameMs);
        IdleWalk(&stage);
        const CClipRect all(0, 0, 640, 480);
        stage.Draw(&surface, CPoint16(0, 0), all, all);
        benchmark::ClobberMemory();
    }

    vqt::test::ChunkFileBuilder image;
    uint32_t partId = 0;
    std::unique_ptr<vqt::test::OpenedPartFile> file;
    OActivity stage{"Activity", OActivity::kClassId};
    CPixelSurface surface;
    std::vector<PParticle*> particles;
};

void BM_SharedPropsFrame(benchmark::State& state) {
    Screen screen;
    const std::function<OActivityProp*()> makers[] = {
        [] { return new Bag; },        [] { return new Fire; },      [] { return new Changeable; },
        [] { return new Destructible; }, [] { return new Blocker; }, [] { return new Token; },
        [] { return new Spawn; },      [] { return new Pushable; },  [] { return new Hider; },
        [] { return new RDestructible; }};
    for (int i = 0; i < 200; ++i) screen.Add(makers[i % 10](), i);
    for (int i = 0; i < 100; ++i) {
        screen.particles.push_back(new PParticle);
        screen.Add(screen.particles.back(), 200 + i);
        screen.Launch(i);
    }
    int frame = 0;
    for (auto _ : state) {
        if (++frame % kRelaunchFrames == 0)
            for (int i = 0; i < 100; ++i) screen.Launch(i);
        screen.Frame();
    }
}

void BM_PlainPropsFrame(benchmark::State& state) {
    Screen screen;
    for (int i = 0; i < 300; ++i) screen.Add(new OActivityProp, i);
    for (auto _ : state) screen.Frame();
}

} // namespace

BENCHMARK(BM_SharedPropsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPropsFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
