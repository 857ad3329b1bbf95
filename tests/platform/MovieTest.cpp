// The movie service: opening, the frame clock, decoding and the clipped 16-bit copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PixelConvert.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/MovieClips.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace vqt::test {
namespace {

class MovieTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        files = &FakeFiles::Install();
    }
    std::unique_ptr<plat::Movie> Open(const std::vector<uint8_t>& bytes, bool preload = false) {
        files->Put("clip", std::string(bytes.begin(), bytes.end()));
        return plat::movies().Open(plat::MovieSourceOfFile(files->Open("clip", plat::OpenMode::Read)), preload);
    }

    FakeFiles* files = nullptr;
};

/// A 16-bit buffer with a guard band of `kGuard` pixels on every side.
struct GuardedBuffer {
    static constexpr int32_t kGuard = 4;
    static constexpr uint16_t kFill = 0xBEEF;
    GuardedBuffer(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w + 2 * kGuard) * size_t(h + 2 * kGuard), kFill) {}
    int32_t Pitch() const { return (width + 2 * kGuard) * 2; }
    uint8_t* Inner() { return reinterpret_cast<uint8_t*>(&pixels[kGuard * (width + 2 * kGuard) + kGuard]); }
    uint16_t At(int32_t x, int32_t y) const { return pixels[size_t(y + kGuard) * size_t(width + 2 * kGuard) + size_t(x + kGuard)]; }
    bool GuardIntact() const {
        for (int32_t y = -kGuard; y < height + kGuard; ++y)
            for (int32_t x = -kGuard; x < width + kGuard; ++x)
                if ((x < 0 || y < 0 || x >= width || y >= height) && At(x, y) != kFill) return false;
        return true;
    }
    /// The frame shown at a pixel (0 when none).
    uint32_t FrameAt(int32_t x, int32_t y, bool is565) const {
        const uint16_t p = At(x, y);
        return ClipFrameOfColour(is565 ? plat::Expand565(p) : plat::Expand555(p));
    }
    int32_t width;
    int32_t height;
    std::vector<uint16_t> pixels;
};

TEST_F(MovieTest, AClipPlaysEveryFrameInOrderInBothLayoutsAlsoPreloaded) {
    const std::vector<uint8_t> clip = MakeMovieClip();
    for (bool preload : {false, true}) {
        auto movie = Open(clip, preload);
        ASSERT_NE(movie, nullptr);
        EXPECT_EQ(movie->Width(), 64);
        EXPECT_EQ(movie->Height(), 48);
        EXPECT_EQ(movie->FrameCount(), 100u); // counted: the container does not store it
        for (uint32_t n = 1; n <= 100; ++n) {
            ASSERT_EQ(movie->CurrentFrame(), n);
            ASSERT_TRUE(movie->DoFrame());
            for (bool is565 : {false, true}) {
                GuardedBuffer buffer(70, 50);
                ASSERT_TRUE(movie->CopyToBuffer(buffer.Inner(), buffer.Pitch(), 70, 50, 3, 1,
                                                is565 ? plat::kMoviePixels565 : plat::kMoviePixels555));
                ASSERT_EQ(buffer.FrameAt(3, 1, is565), n);
                ASSERT_EQ(buffer.FrameAt(66, 48, is565), n);
                ASSERT_EQ(buffer.At(2, 1), GuardedBuffer::kFill);
                ASSERT_EQ(buffer.At(67, 1), GuardedBuffer::kFill);
                ASSERT_TRUE(buffer.GuardIntact());
            }
            movie->NextFrame();
        }
        EXPECT_EQ(movie->CurrentFrame(), 100u) << "the last frame stays current";
    }
}

TEST_F(MovieTest, EachFrameIsDueOnePeriodAfterTheOneBeforeOnThePlatformClock) {
    auto movie = Open(MakeMovieClip({.frames = 10, .framesPerSecond = 15}));
    ASSERT_NE(movie, nullptr);
    EXPECT_FALSE(movie->Wait()) << "nothing to wait for before the first frame";
    movie->DoFrame();
    clock().Advance(65);
    EXPECT_TRUE(movie->Wait());
    clock().Advance(1); // 1000 / 15 = 66 ms
    EXPECT_FALSE(movie->Wait());
    clock().Advance(40); // shown late: the next is still due on the first frame's beat
    movie->DoFrame();
    clock().Advance(26);
    EXPECT_TRUE(movie->Wait());
    clock().Advance(1);
    EXPECT_FALSE(movie->Wait());
    clock().Advance(500); // far behind (not shown for a while): the beat starts anew
    movie->DoFrame();
    clock().Advance(65);
    EXPECT_TRUE(movie->Wait());
}

TEST_F(MovieTest, TheCopyWritesOnlyInsideTheBufferAndOnlyInASixteenBitLayout) {
    auto movie = Open(MakeMovieClip({.frames = 2}));
    ASSERT_NE(movie, nullptr);
    GuardedBuffer early(32, 24);
    EXPECT_FALSE(movie->CopyToBuffer(early.Inner(), early.Pitch(), 32, 24, 0, 0, plat::kMoviePixels565))
        << "no picture before the first frame";
    ASSERT_TRUE(movie->DoFrame());
    struct Case {
        int32_t w, h, x, y;
        uint32_t layout;
        int32_t pitch; ///< 0: the buffer's
        bool copied;
    };
    const Case cases[] = {
        {32, 24, -16, -12, plat::kMoviePixels565, 0, true}, // larger than the buffer, centred
        {32, 24, 10, 5, plat::kMoviePixels565, 0, true},    // runs off the right and the bottom
        {32, 24, 32, 0, plat::kMoviePixels565, 0, false},   // wholly outside
        {32, 24, -64, 0, plat::kMoviePixels565, 0, false},
        {80, 60, 0, 0, plat::kMoviePixelsNone, 0, false},   // an unsupported layout
        {80, 60, 0, 0, 8, 0, false},
        {80, 60, 0, 0, plat::kMoviePixels555, 158, false},  // rows too short for the width
    };
    for (const Case& c : cases) {
        GuardedBuffer buffer(c.w, c.h);
        const bool copied = movie->CopyToBuffer(buffer.Inner(), c.pitch ? c.pitch : buffer.Pitch(), c.w, c.h, c.x, c.y,
                                                plat::MoviePixels(c.layout));
        EXPECT_EQ(copied, c.copied) << c.x << "," << c.y;
        EXPECT_TRUE(buffer.GuardIntact()) << c.x << "," << c.y;
        for (int32_t y = 0; y < c.h; ++y)
            for (int32_t x = 0; x < c.w; ++x) {
                const bool inside = copied && x >= c.x && y >= c.y && x < c.x + 64 && y < c.y + 48;
                if (inside) ASSERT_EQ(buffer.FrameAt(x, y, true), 1u) << x << "," << y;
                else ASSERT_EQ(buffer.At(x, y), GuardedBuffer::kFill) << x << "," << y;
            }
    }
}

TEST_F(MovieTest, TheSoundTrackPlaysAtItsVolumeWhileFramesAdvanceAndEndsWithTheMovie) {
    ASSERT_EQ(plat::audio().Open({.channels = 1, .bits = 16}, 0, 1024), 0);
    struct Case {
        ClipPlan plan;
        int32_t volume;
        int32_t peak;
        bool traced;
    };
    const Case cases[] = {
        {{.frames = 30}, 127, 8000, false},
        {{.frames = 30, .toneHz = 1000}, 64, 8000 * 64 / 127, false},
        {{.frames = 30}, 0, 0, false},
        {{.frames = 30, .toneHz = 0}, 127, 0, false},
        {{.frames = 30, .brokenSound = true}, 127, 0, true},
    };
    for (const Case& c : cases) {
        debug().Clear();
        auto movie = Open(MakeMovieClip(c.plan));
        ASSERT_NE(movie, nullptr);
        movie->SetVolume(c.volume);
        const size_t before = NullAudio().Rendered().size() / 2;
        for (uint32_t n = 1; n <= 30; ++n) {
            ASSERT_TRUE(movie->DoFrame()) << "the pictures go on whatever the sound does";
            movie->NextFrame();
            clock().Advance(67);
        }
        movie.reset();
        const size_t closed = NullAudio().Rendered().size() / 2;
        clock().Advance(500);
        plat::audio().Mixer().Master(); // renders what the time covers
        const auto* out = reinterpret_cast<const int16_t*>(NullAudio().Rendered().data());
        const size_t end = NullAudio().Rendered().size() / 2;
        ASSERT_GT(end, closed + 10000);
        const ToneMeasure during = MeasureTone(out + before, closed - before);
        EXPECT_EQ(MeasureTone(out + closed, end - closed).peak, 0) << "silence once closed";
        EXPECT_EQ(traced().find("Movie sound is not played") != std::string::npos, c.traced);
        EXPECT_NEAR(during.peak, c.peak, c.peak / 50 + 1) << c.volume;
        if (c.peak == 0) continue;
        EXPECT_NEAR(during.hz, c.plan.toneHz, c.plan.toneHz / 50);
        EXPECT_EQ(during.gaps, 0u) << "the voice never starves while frames advance";
        EXPECT_GT(during.last - during.first, size_t(22050 * 19 / 10)) << "about two seconds of tone";
    }
}

TEST_F(MovieTest, BytesThatAreNoPlayableMovieAreRefused) {
    const std::vector<uint8_t> clip = MakeMovieClip({.frames = 3});
    const std::vector<std::vector<uint8_t>> refused = {
        {},
        std::vector<uint8_t>(4096, 0x5A),
        std::vector<uint8_t>(clip.begin(), clip.begin() + 24), // the container's header cut short
        MakeMovieClip({.width = 4097, .height = 2, .frames = 1, .toneHz = 0}), // too wide
    };
    for (const auto& bytes : refused) EXPECT_EQ(Open(bytes), nullptr) << bytes.size();
    files->failReads = 1000;
    EXPECT_EQ(Open(clip), nullptr) << "a source that cannot be read";
    EXPECT_EQ(plat::movies().Open(nullptr, false), nullptr);
}

} // namespace
} // namespace vqt::test
