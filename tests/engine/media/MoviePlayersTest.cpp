// Movies on the stage: the movie interstitial in the frame loop and the blocking players, on
// FFV1 clips whose frames name themselves, stored in a chunk file or a file of their own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Cursor.h"
#include "engine/core/Event.h"
#include "engine/media/Application.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/Video.h"
#include "tests/engine/core/StageFixture.h"
#include "tests/support/Golden.h"
#include "tools/builders/MovieClips.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace vqt::test {
namespace {

/// An application whose extra process the test supplies.
class MovieApp : public OApplication {
public:
    void SetExtraProcess(OProcess* process) { extraProcess_ = process; }
};

class MoviePlayersTest : public StageTest {
protected:
    static constexpr uint8_t kMovies = 1;
    static constexpr ChunkId kClip = MakeChunkId(kMovies, 1);
    static constexpr ChunkId kLarge = MakeChunkId(kMovies, 2);
    static constexpr ChunkId kGarbage = MakeChunkId(kMovies, 3);

    void SetUp() override {
        StageTest::SetUp();
        xProfiles_Values().pixelFormat = 2;
        ChunkFileBuilder image;
        image.AddIndex("bink");
        image.AddChunk(kMovies, MakeMovieClip(), {.entry = 1});
        image.AddChunk(kMovies, MakeMovieClip({.width = 800, .height = 600, .frames = 3, .toneHz = 0}), {.entry = 2});
        image.AddChunk(kMovies, Bytes(3000, 0x42), {.entry = 3});
        ChunkFileLayout layout;
        const std::string path = folder / "movies.vqk";
        ASSERT_TRUE(image.WriteFile(path, &layout));
        ASSERT_GT(layout.chunkOffsets.at(kClip), 0u);
        auto owned = std::make_unique<CPartFile>();
        CPartFile* partFile = owned.get();
        ASSERT_TRUE(partFile->Open(path.c_str(), 1));
        app.SetPartFile(std::move(owned));
        extra = new LogProcess("extra", nullptr);
        window->AddChild(extra);
        app.SetExtraProcess(extra);
        plat::desktop().SetFocus(window->GetWindowId());
        CEventRing::Get() = CEventRing{};
    }

    /// A movie interstitial of a chunk on the main window, started on the display surface.
    OBinkInterstitial* Start(ChunkId id) {
        auto* movie = new OBinkInterstitial;
        window->AddChild(movie);
        movie->SetMovie(app.GetPartFile(), id, 0, 0, 0, 5, 32768);
        movie->Setup(0, window->GetDisplaySurface());
        return movie;
    }
    /// The frame the stage shows at a point (0: none).
    uint32_t ShownFrame(int32_t x = 320, int32_t y = 240) { return ClipFrameOfColour(Shown().At(x, y)); }
    /// Frames of 10 ms until the interstitial is done (at most `limit`), noting each new
    /// frame the stage shows; `atFrame` runs before each tick with the movie's frame number.
    std::vector<uint32_t> PlayOut(OBinkInterstitial* movie, int limit, const std::function<void(uint32_t)>& atFrame = {}) {
        std::vector<uint32_t> seen;
        for (int i = 0; i < limit && !movie->IsDone(); ++i) {
            if (atFrame) atFrame(movie->GetCurrentFrame());
            Frames(1);
            const uint32_t shown = ShownFrame();
            if (shown != 0 && (seen.empty() || seen.back() != shown)) seen.push_back(shown);
        }
        return seen;
    }
    static xEvent KeyDown() {
        xEvent e;
        e.category = kEventKeyboard;
        e.type = kEvKeyDown;
        return e;
    }

    MovieApp app;
    LogProcess* extra = nullptr;
};

TEST_F(MoviePlayersTest, TheInterstitialShowsFramesOneToNinetyNineCentredThenEnds) {
    OBinkInterstitial* movie = Start(kClip);
    ASSERT_TRUE(movie->IsMovieOpen());
    EXPECT_TRUE(extra->IsSuspended());
    EXPECT_EQ(xCursor_HiddenState(), -1);
    EXPECT_EQ(movie->GetBufferFormat(), 10u);
    EXPECT_EQ(movie->GetOffsetX(), 288);
    EXPECT_EQ(movie->GetOffsetY(), 216);

    std::vector<uint32_t> expected;
    for (uint32_t n = 1; n <= 99; ++n) expected.push_back(n);
    EXPECT_EQ(PlayOut(movie, 2000), expected);
    EXPECT_TRUE(movie->IsDone());
    EXPECT_FALSE(movie->IsMovieOpen());
    EXPECT_EQ(ShownFrame(288, 216), 99u);
    EXPECT_EQ(ShownFrame(351, 263), 99u);
    EXPECT_EQ(Shown().At(287, 216), plat::MakeArgb(0, 0, 0));
    EXPECT_EQ(Shown().At(352, 263), plat::MakeArgb(0, 0, 0));
    EXPECT_FALSE(extra->IsSuspended());
    EXPECT_EQ(xCursor_HiddenState(), 0);
    EXPECT_EQ(CEventRing::Get().Count(), 0) << "an ending movie queues no done event";
}

TEST_F(MoviePlayersTest, AKeyInTheFirstFiveFramesIsSwallowedAndOneAfterThemEndsTheMovieOnce) {
    OBinkInterstitial* movie = Start(kClip);
    int sent = 0;
    PlayOut(movie, 2000, [&](uint32_t frame) {
        if ((frame == 3 && sent == 0) || (frame == 6 && sent == 1)) {
            ++sent;
            const xEvent key = KeyDown();
            EXPECT_EQ(DispatchAppEvent(&key, 0), 1);
            EXPECT_EQ(movie->IsDone(), frame == 6);
            EXPECT_EQ(CEventRing::Get().Count(), frame == 6 ? 1 : 0);
            if (frame == 6) {
                EXPECT_EQ(CEventRing::Get().Oldest()->category, uint32_t(kEventApplication));
                EXPECT_EQ(CEventRing::Get().Oldest()->type, uint32_t(kEvDiscardInput));
                DispatchAppEvent(&key, 0); // finished: swallowed, nothing more queued
                EXPECT_EQ(CEventRing::Get().Count(), 1);
            }
        }
    });
    EXPECT_EQ(sent, 2);
    EXPECT_TRUE(movie->IsDone() && movie->IsFinished());
    EXPECT_EQ(ShownFrame(), 5u);
    EXPECT_FALSE(extra->IsSuspended());
}

TEST_F(MoviePlayersTest, SwitchedOutOrWithoutFocusNoFrameIsShownAndTheNumberStands) {
    OBinkInterstitial* movie = Start(kClip);
    Frames(20);
    const uint32_t frame = movie->GetCurrentFrame();
    ASSERT_GT(frame, 1u);
    movie->OnAppSuspend();
    Frames(30);
    EXPECT_EQ(movie->GetCurrentFrame(), frame);
    movie->OnAppResume();
    plat::desktop().SetFocus(0);
    Frames(30);
    EXPECT_EQ(movie->GetCurrentFrame(), frame);
    EXPECT_EQ(ShownFrame(), frame - 1);
    EXPECT_FALSE(movie->IsDone());
    plat::desktop().SetFocus(window->GetWindowId());
    Frames(10);
    EXPECT_GT(movie->GetCurrentFrame(), frame);
}

TEST_F(MoviePlayersTest, AMovieThatCannotBeHadIsTracedAndGivesBackWhatItTook) {
    struct Case {
        ChunkId id;
        const char* file;
        const char* trace;
    };
    const Case cases[] = {
        {kNullChunkId, "no-such-movie.nut", "Bink movie file or chunkID not found : no-such-movie.nut"},
        {MakeChunkId(kMovies, 9), "", "Unable to open Bink file : {1, 0, 9}"},
        {kGarbage, "", "Unable to open Bink file : {1, 0, 3}"},
    };
    for (const Case& c : cases) {
        auto* movie = new OBinkInterstitial;
        window->AddChild(movie);
        movie->SetMovie(app.GetPartFile(), c.id, 0, 0, 0, 5, 32768);
        movie->SetFileName(c.file);
        movie->Setup(0, window->GetDisplaySurface());
        EXPECT_NE(traced().find(c.trace), std::string::npos) << c.trace;
        EXPECT_TRUE(movie->IsDone());
        EXPECT_FALSE(extra->IsSuspended());
        EXPECT_EQ(xCursor_HiddenState(), 0);
        xCursor_Show(false); // hidden by someone else since: a second close leaves it so
        movie->Close();
        EXPECT_EQ(xCursor_HiddenState(), -1);
        xCursor_Show(true);
        EXPECT_EQ(movie->OnIdle(), 1);
    }
}

TEST_F(MoviePlayersTest, AMovieFromAFilePlaysLikeAChunk) {
    const std::vector<uint8_t> clip = MakeMovieClip({.frames = 8, .toneHz = 0});
    const std::string path = folder / "intro.nut";
    WriteFileBytes(path, std::string(clip.begin(), clip.end()));
    auto* movie = new OBinkInterstitial;
    window->AddChild(movie);
    movie->SetFileName(path.c_str());
    movie->Setup(0, window->GetDisplaySurface());
    EXPECT_EQ(PlayOut(movie, 200), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(MoviePlayersTest, ALargerMovieIsClippedToTheFrameSurfaceAndAnUnknownFormatCopiesNothing) {
    OBinkInterstitial* movie = Start(kLarge);
    EXPECT_EQ(movie->GetOffsetX(), -80);
    EXPECT_EQ(movie->GetOffsetY(), -60);
    Frames(1);
    CPixelSurface& frame = movie->GetFrameSurface();
    ASSERT_EQ(frame.GetWidth(), 640);
    const uint8_t* pixels = frame.Lock();
    for (int y = 0; y < 480; y += 479)
        for (int x = 0; x < 640; x += 639)
            EXPECT_EQ(ClipFrameOfColour(plat::Expand565(*reinterpret_cast<const uint16_t*>(pixels + y * frame.GetPitch() + x * 2))), 1u);
    frame.Unlock();
    movie->Close();

    // An 8-bit target (a pending activity's background) still gets a 16-bit frame surface.
    CPixelSurface background;
    ASSERT_TRUE(background.Create(640, 480, 8));
    movie = new OBinkInterstitial;
    window->AddChild(movie);
    movie->SetMovie(app.GetPartFile(), kClip, 0, 0, 0, 5, 32768);
    movie->Setup(0, &background);
    EXPECT_EQ(movie->GetFrameSurface().GetBitsPerPixel(), 16);
    Frames(1);
    EXPECT_EQ(ShownFrame(), 1u);
    movie->Close();

    xProfiles_Values().pixelFormat = 0;
    movie = Start(kClip);
    EXPECT_EQ(movie->GetBufferFormat(), 0u);
    EXPECT_NE(traced().find("Unsupported pixel format specified for Bink buffer"), std::string::npos);
    Frames(10);
    EXPECT_GT(movie->GetCurrentFrame(), 1u);
    EXPECT_EQ(ShownFrame(), 0u);
    EXPECT_EQ(Shown().At(320, 240), plat::MakeArgb(0, 0, 0));
}

TEST_F(MoviePlayersTest, TheBlockingPlayerIgnoresAHeldButtonUntilFrameElevenAndOtherwisePlaysThrough) {
    input().SetKeyDown(1, true);
    EXPECT_TRUE(xVideo_PlayClip(app.GetPartFile(), kClip, 0, nullptr));
    EXPECT_EQ(ShownFrame(), 10u) << "frame 11 reached";
    input().SetKeyDown(1, false);
    EXPECT_FALSE(extra->IsSuspended());

    EXPECT_TRUE(xVideo_PlayClip(app.GetPartFile(), kClip, 0, [] { return int32_t(0); }));
    EXPECT_EQ(ShownFrame(), 99u);

    EXPECT_TRUE(xVideo_PlayClip(app.GetPartFile(), kClip, 0, [] { return int32_t(1); }));
    EXPECT_EQ(ShownFrame(), 10u) << "the skip test ends it as a button does";

    EXPECT_FALSE(xVideo_PlayClip(app.GetPartFile(), kGarbage, 0, nullptr));
    EXPECT_NE(traced().find("Unable to access file: {1, 0, 3}\n"), std::string::npos);
    EXPECT_FALSE(extra->IsSuspended());
}

TEST_F(MoviePlayersTest, TheBlockingPlayerPlaysTheSoundAtItsGainThenFallsSilent) {
    ASSERT_EQ(plat::audio().Open({.channels = 1, .bits = 16}, 0, 1024), 0);
    EXPECT_TRUE(xVideo_Play(app.GetPartFile(), kClip, 0, 16384, nullptr));
    EXPECT_EQ(ShownFrame(), 99u);
    const size_t closed = NullAudio().Rendered().size() / 2;
    clock().Advance(500);
    plat::audio().Mixer().Master(); // renders what the time covers
    const auto* out = reinterpret_cast<const int16_t*>(NullAudio().Rendered().data());
    const ToneMeasure played = MeasureTone(out, closed);
    EXPECT_NEAR(played.peak, 8000 * 63 / 127, 80) << "half the gain: volume 63 of 127";
    EXPECT_NEAR(played.hz, 440.0, 9.0);
    EXPECT_EQ(played.gaps, 0u);
    EXPECT_GT(played.last - played.first, size_t(22050 * 6)) << "the sound of 99 frames";
    EXPECT_EQ(MeasureTone(out + closed, NullAudio().Rendered().size() / 2 - closed).peak, 0);
}

} // namespace
} // namespace vqt::test
