// The SDL2 output end to end through SDL's disk driver: what reaches the file has the level
// and the pitch of the mix, and loud voices together reach it limited, never at full scale.
// (Without any driver the game's run test sees the null device take the default open.)
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/MixLevels.h"
#include "tools/builders/SnippetBuilder.h"
#include "tools/builders/TempFolder.h"

#ifdef VQT_HAVE_SDL2
#include <sys/stat.h>

#include "platform/sdl2/Sdl2AudioOutput.h"

namespace vqt::test {
namespace {

off_t FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

/// At most the first 4 MB of the file.
std::string ReadHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(size_t(4) << 20, '\0');
    in.read(head.data(), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    return head;
}

/// The frame where a tone starting at a zero sample begins in 16-bit stereo bytes: the frame
/// before the first non-silent one (the end of the bytes while all is silent).
size_t ToneStart(const std::string& bytes) {
    const size_t frames = bytes.size() / 4;
    for (size_t frame = 0; frame < frames; ++frame)
        if (bytes[4 * frame] != 0 || bytes[4 * frame + 1] != 0) return frame == 0 ? 0 : frame - 1;
    return frames;
}

/// SDL's disk driver, writing into a file of a folder of its own.
struct DiskDriver {
    TempFolder folder;
    const std::string path = folder / "out.raw";
    ScopedVariable driver{"SDL_AUDIODRIVER", "disk"};
    ScopedVariable file{"SDL_DISKAUDIOFILE", path.c_str()};
    // A buffer a millisecond: far faster than the sound plays, while the file stays small even
    // when the device is slow to start (it writes silence until then).
    ScopedVariable delay{"SDL_DISKAUDIODELAY", "1"};
};

/// Polled, not timed: the driver writes on its own thread, silence first for as long as the
/// device took to start (longer on a busy machine), until `frames` frames of sound are there.
/// Each look reads a bounded head of the file: the driver writes megabytes a second, and on a
/// slow machine reading all of it could fall behind the writing for ever.
void AwaitSound(const std::string& path, size_t frames) {
    for (int i = 0; i < 3000 && FileSize(path) < off_t(ToneStart(ReadHead(path)) + frames) * 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TEST(Sdl2AudioTest, TheDiskDriverWritesTheMixAtItsLevelAndPitch) {
    DiskDriver disk;
    const std::string& path = disk.path;

    const plat::AudioFormat format{2, 16};
    plat::AudioMixer mixer;
    mixer.SetOutputFormat(format);
    const Bytes tone = Pcm16(SineTone(1000, 22050, 22050, 10000));
    const plat::AudioMixer::Voice voice = mixer.AllocVoice();
    mixer.SetPcm(voice, plat::PcmType::Mono16, tone.data(), uint32_t(tone.size()));
    mixer.SetVolume(voice, 64);
    mixer.SetLoopCount(voice, 0);
    mixer.Start(voice);
    {
        plat::Sdl2AudioOutput output;
        EXPECT_FALSE(output.HasHardwareDevice()) << "the disk driver is an emulated device";
        ASSERT_EQ(output.Open(format, plat::AudioOutput::kConfiguredDevice, 1024, mixer), 0);
        EXPECT_FALSE(output.UsesNullDevice());
        AwaitSound(path, 22050); // the whole tone
        output.Close();
    }
    const std::string written = ReadHead(path);
    const size_t start = ToneStart(written);
    ASSERT_GE(written.size(), (start + 22050) * 4);
    double squares = 0;
    int crossings = 0;
    bool low = false;
    for (size_t frame = start; frame < start + 22050; ++frame) {
        const int16_t left = int16_t(uint8_t(written[4 * frame]) | uint8_t(written[4 * frame + 1]) << 8);
        const int16_t right = int16_t(uint8_t(written[4 * frame + 2]) | uint8_t(written[4 * frame + 3]) << 8);
        ASSERT_EQ(left, right) << "a centred mono voice";
        squares += double(left) * left;
        if (left < -1000) low = true;
        if (low && left > 1000) {
            ++crossings;
            low = false;
        }
    }
    const double gain = 64.0 * 127 * 32768 / 16129 / 32768; // volume 64 at full master
    EXPECT_NEAR(std::sqrt(squares / 22050), 10000 * gain / std::sqrt(2.0), 10000 * gain * 0.01);
    EXPECT_NEAR(crossings, 1000, 2);
}

TEST(Sdl2AudioTest, LoudVoicesTogetherReachTheDiskDriverLimitedNotClipped) {
    DiskDriver disk;
    const plat::AudioFormat format{2, 16};
    plat::AudioMixer mixer;
    mixer.SetOutputFormat(format);
    // Six full-scale squares in phase: six times what a sample can hold.
    std::vector<int16_t> square;
    for (int i = 0; i < 2205; ++i) square.push_back(i % 50 < 25 ? 32767 : -32768);
    const Bytes source = Pcm16(square);
    for (int i = 0; i < 6; ++i) {
        const plat::AudioMixer::Voice voice = mixer.AllocVoice();
        mixer.SetPcm(voice, plat::PcmType::Mono16, source.data(), uint32_t(source.size()));
        mixer.SetLoopCount(voice, 0);
        mixer.Start(voice);
    }
    {
        plat::Sdl2AudioOutput output;
        ASSERT_EQ(output.Open(format, plat::AudioOutput::kConfiguredDevice, 1024, mixer), 0);
        AwaitSound(disk.path, 22050);
        output.Close();
    }
    const std::string written = ReadHead(disk.path);
    const size_t start = ToneStart(written);
    ASSERT_GE(written.size(), (start + 22050) * 4);
    const MixLevels levels = MeasureMix(std::vector<uint8_t>(written.begin() + long(start * 4), written.end()));
    EXPECT_EQ(levels.clipped, 0u) << "peak " << levels.peak;
    EXPECT_GT(levels.peak, 32768 * 9 / 10) << "still loud";
}

} // namespace
} // namespace vqt::test
#endif
