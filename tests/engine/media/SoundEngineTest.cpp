// The sound engine over a scripted output: every start-up path and code, the channel
// operations' edge cases, the released device, streams fed in halves, and snippets released
// while several channels play them.
#include "engine/media/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/data/Memory.h"
#include "engine/data/Profiles.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SoundServiceProcess.h"
#include "platform/Platform.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

plat::AudioMixer& Mixer() { return plat::audio().Mixer(); }

bool Audible(const std::vector<uint8_t>& rendered) {
    return std::any_of(rendered.begin(), rendered.end(), [](uint8_t b) { return b != 0; });
}

using SoundEngineTest = SoundTest;

TEST_F(SoundEngineTest, StartUpChoosesItsOutputAndAnswersEveryCode) {
    struct Row {
        const char* name;
        int devices;
        bool hardware;
        int configured, fallback; ///< what opening the configured and the default device answers
        uint32_t flags;
        uint32_t windowsMajor;
        uint8_t directSound;
        int16_t code;
        std::vector<int> opened;
        uint32_t buffer;        ///< frames asked for at the first open
        const char* trace;      ///< the output chosen
        uint8_t directSoundAfter;
    };
    const Row rows[] = {
        {"a real device", 1, true, 0, 0, 0, 5, 1, 0, {0}, 1024, "DirectSound", 1},
        {"an emulated device", 1, false, 0, 0, 0, 5, 1, 0, {0}, 4096, "WinMM", 0},
        {"Windows NT 4", 1, true, 0, 0, 0, 4, 1, 0, {0}, 4096, "WinMM", 1},
        {"flag 1", 1, true, 0, 0, 1, 5, 1, 0, {0}, 4096, "WinMM", 1},
        {"DIRECTSOUND off", 1, true, 0, 0, 0, 5, 0, 0, {0}, 4096, "WinMM", 0},
        {"no device", 0, true, 0, 0, 0, 5, 1, -400, {}, 0, nullptr, 1},
        {"the default device", 1, true, 4, 0, 0, 5, 1, -301, {0, -1}, 1024, "DirectSound", 1},
        {"flag 2, the default would open", 1, true, 4, 0, 2, 5, 1, -300, {0, -1}, 1024, "DirectSound", 1},
        {"flag 2, neither opens", 1, true, 4, 4, 2, 5, 1, -303, {0, -1}, 1024, "DirectSound", 1},
        {"neither opens", 1, true, 2, 32, 0, 5, 1, 32, {0, -1}, 1024, "DirectSound", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        xSound_Shutdown();
        debug().Clear();
        ScriptedAudioOutput& device = UseScriptedAudio();
        device.devices = row.devices;
        device.hardware = row.hardware;
        device.configuredResult = row.configured;
        device.defaultResult = row.fallback;
        system().SetVersion({2, row.windowsMajor, 0, 1381});
        xProfiles_Set("DIRECTSOUND", boolean(row.directSound));

        EXPECT_EQ(xSound_Startup(11, 0, row.flags), row.code);
        const bool started = row.code == 0 || row.code == -301;
        EXPECT_EQ(xSound_IsThreaded(), started);
        EXPECT_EQ(xSound_GetChannel(10) != nullptr, started) << "a failed start keeps no channels";
        std::vector<int> opened;
        for (const auto& open : device.opens) opened.push_back(open.device);
        EXPECT_EQ(opened, row.opened);
        if (!device.opens.empty()) {
            EXPECT_EQ(device.opens[0].bufferFrames, row.buffer);
        }
        if (row.code == -300) {
            EXPECT_EQ(device.closes, 1) << "the default device is only tried";
        }
        if (row.trace) {
            EXPECT_NE(traced().find(std::string("*** Sound engine - Using ") + row.trace + "\n"), std::string::npos);
        }
        EXPECT_EQ(xProfiles_Values().directSound, row.directSoundAfter);
        if (started) {
            xSnippet* tone = Raw(Pcm16(SineTone(500, 2000)));
            xSound_PlaySnippet(tone, xSound_GetChannel(0));
            Advance(50);
            EXPECT_TRUE(Audible(device.Rendered())) << "sound works";
        }
    }
    xSound_Shutdown();
    xProfiles_Set("NUMCHANNELS", sShort(3));
    EXPECT_EQ(xSound_Startup(2, 0, 0), 32) << "a wave format we do not play";
}

TEST_F(SoundEngineTest, ASecondStartOrShutdownChangesNothing) {
    ScriptedAudioOutput& device = UseScriptedAudio();
    Start(4);
    SoundChannel* first = xSound_GetChannel(0);
    EXPECT_EQ(xSound_Startup(8, 0, 0), 0);
    EXPECT_EQ(device.opens.size(), 1u);
    EXPECT_EQ(xSound_GetChannel(0), first);
    EXPECT_EQ(xSound_GetChannel(4), nullptr);
    EXPECT_EQ(xSound_Shutdown(), 0);
    EXPECT_EQ(xSound_Shutdown(), 0);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(xSound_GetChannel(0), nullptr);
    xSound_PlaySnippet(Raw(Bytes(8, 1)), first); // a handle from before: ignored
    EXPECT_EQ(xSound_SetVolume(first, 100), -1);
}

TEST_F(SoundEngineTest, VolumesMasterPansAndLoopModesBecomeTheMixersValues) {
    Start(2);
    SoundChannel* ch = xSound_GetChannel(0);
    const struct {
        int32_t asked, stored, mixer;
    } volumes[] = {{511, 511, 127}, {100, 100, 50}, {-5, 0, 0}, {600, 511, 127}, {255, 255, 127}};
    for (const auto& v : volumes) {
        EXPECT_EQ(xSound_SetVolume(ch, v.asked), v.stored) << v.asked;
        EXPECT_EQ(Mixer().Volume(ch->voice), v.mixer) << v.asked;
    }
    EXPECT_EQ(xSound_SetMasterVolume(511), 511);
    EXPECT_EQ(Mixer().Master(), 255);
    EXPECT_EQ(xSound_SetMasterVolume(-3), 0);
    EXPECT_EQ(xSound_SetMasterVolume(900), 511);
    const struct {
        int32_t left, right, pan, levels;
    } pans[] = {{255, 0, 0, 255}, {0, 255, 127, 255 << 16}, {0, 0, 64, 0}, {300, -4, 0, 255}, {100, 100, 64, 100 | 100 << 16}};
    for (const auto& p : pans) {
        EXPECT_EQ(xSound_SetBalance(ch, p.left, p.right), p.levels) << p.left << "/" << p.right;
        EXPECT_EQ(Mixer().Pan(ch->voice), p.pan) << p.left << "/" << p.right;
    }
    const struct {
        int32_t asked, channel, snippet;
    } loops[] = {{7, 4, 4}, {0x4001, 0x4001, 0x4001}, {0x4000, 0, 0x4000}, {0x4107, 0x4004, 0x4004}, {3, 3, 3}};
    xSnippet* s = Raw(Bytes(8, 0));
    for (const auto& l : loops) {
        EXPECT_EQ(xSound_SetLoopMode(ch, l.asked), l.channel) << std::hex << l.asked;
        EXPECT_EQ(xSound_SetSnippetLoop(s, l.asked), l.snippet) << std::hex << l.asked;
    }
    xSound_SetPlaybackRate(ch, 11025);
    EXPECT_EQ(xSound_GetPlaybackRate(ch), 11025);
    EXPECT_EQ(xSound_SetSnippetVolume(s, 900), 511);
    // Null channels and snippets answer their codes.
    SoundChannel* none = nullptr;
    xSnippet* nothing = nullptr;
    const std::vector<int32_t> codes{xSound_SetVolume(nullptr, 1),          xSound_SetLoopMode(nullptr, 1),
                                     xSound_GetPlaybackRate(nullptr),       xSound_SetBalance(nullptr, 1, 1),
                                     StopSnippet(&none),                    xSound_SetSnippetLoop(nullptr, 1),
                                     xSound_SetSnippetVolume(nullptr, 1),   xSound_FreeSnippetChannels(nullptr),
                                     xSound_ReleaseSnippet(&nothing)};
    EXPECT_EQ(codes, (std::vector<int32_t>{-1, -1, -1, -1, -1, -2, -2, -2, -2}));
}

TEST_F(SoundEngineTest, ASnippetStartsWithItsLevelsLoopsAndPauses) {
    Start(2);
    SoundChannel* ch = xSound_GetChannel(1);
    xSnippet* tone = Raw(Pcm16(SineTone(300, 2205)), 16, 1, kSnippetLoop);
    tone->volume = 200;
    tone->left = 255;
    tone->right = 0;
    xSound_PlaySnippet(tone, ch);
    EXPECT_EQ(Mixer().Volume(ch->voice), 100);
    EXPECT_EQ(Mixer().Pan(ch->voice), 0);
    Advance(250); // past its length: it loops
    xSound_SetPaused(ch, 1);
    EXPECT_EQ(Mixer().Status(ch->voice), plat::kVoiceStopped);
    EXPECT_TRUE(xSound_IsPlaying(ch)) << "paused still counts";
    xSound_SetPaused(ch, 0);
    EXPECT_EQ(Mixer().Status(ch->voice), plat::kVoicePlaying);
    StopSnippetEx(Raw(Bytes(2, 0)), &ch);
    EXPECT_TRUE(xSound_IsPlaying(ch)) << "another snippet's stop leaves it";
    StopSnippetEx(tone, &ch);
    EXPECT_FALSE(xSound_IsPlaying(ch));
    // A kind we do not play starts at 511 without data, silent.
    tone->kind = 3;
    xSound_PlaySnippet(tone, ch);
    EXPECT_EQ(ch->volume + ch->left + ch->right, 3 * 511);
    EXPECT_EQ(ch->started, 1);
    EXPECT_FALSE(xSound_IsPlaying(ch));
}

TEST_F(SoundEngineTest, WhileTheDeviceIsGivenBackNothingStartsAndAStopEndsTheVoiceForGood) {
    ScriptedAudioOutput& device = UseScriptedAudio();
    Start(3);
    SoundChannel* ch = xSound_GetChannel(1);
    xSound_PlaySnippet(Raw(Bytes(4000, 7), 16, 1, kSnippetLoop), ch);
    xSound_ReleaseDevice();
    EXPECT_EQ(device.pauses, std::vector<bool>{true});
    EXPECT_FALSE(xSound_IsPlaying(ch));
    xSound_PlaySnippet(Raw(Bytes(4000, 7)), xSound_GetChannel(2));
    EXPECT_EQ(xSound_GetChannel(2)->isFree, 1) << "starts are ignored";
    SoundChannel* handle = ch;
    EXPECT_EQ(StopSnippet(&handle), 0);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(ch->data, nullptr);
    xSound_ReacquireDevice();
    EXPECT_EQ(device.pauses, (std::vector<bool>{true, false}));
    EXPECT_FALSE(xSound_IsPlaying(ch)) << "the stopped voice does not come back";
    EXPECT_EQ(Mixer().Status(ch->voice), plat::kVoiceDone);
}

/// A stream whose fill callback writes a rising count of 16-bit samples.
struct Counter {
    int16_t next = 1;
    int fills = 0;
    int services = 0;
    bool refuse = false;
    static int32_t Fill(void* half, uint32_t bytes, uintptr_t user, uint32_t* filled) {
        auto* c = reinterpret_cast<Counter*>(user);
        if (c->refuse) return 0;
        auto* samples = static_cast<int16_t*>(half);
        for (uint32_t i = 0; i < bytes / 2; ++i) samples[i] = c->next++;
        *filled = bytes;
        ++c->fills;
        return 1;
    }
    static void Service(xSnippet* s) { ++reinterpret_cast<Counter*>(s->fillUser)->services; }
};

TEST_F(SoundEngineTest, AStreamIsFedInHalvesFrameByFrame) {
    Start(2);
    Counter counter;
    xSnippet* stream = Raw(Bytes(2, 0));
    stream->streaming = 1;
    stream->fill = Counter::Fill;
    stream->service = Counter::Service;
    stream->fillUser = reinterpret_cast<uintptr_t>(&counter);
    stream->streamSize = 4000; // two halves of 1000 samples
    stream->streamBuffer = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), stream->streamSize));
    SoundChannel* ch = xSound_GetChannel(0);
    xSound_PlaySnippet(stream, ch);
    EXPECT_EQ(counter.services, 1);
    EXPECT_EQ(counter.fills, 1) << "the first half at once";
    OSoundServiceProcess service;
    for (int frame = 0; frame < 20; ++frame) {
        service.OnIdle();
        Advance(10);
    }
    EXPECT_EQ(counter.services, 21);
    EXPECT_TRUE(xSound_IsPlaying(ch));
    const std::vector<int16_t> out = Output();
    ASSERT_EQ(out.size(), 2u * 4410);
    for (size_t i = 0; i < 4410; ++i) {
        ASSERT_EQ(out[2 * i], int16_t(i + 1)) << i;
        ASSERT_EQ(out[2 * i + 1], int16_t(i + 1)) << i;
    }
    // A fill that has nothing queues nothing: the stream waits in silence.
    counter.refuse = true;
    const int fills = counter.fills;
    Advance(200);
    service.OnIdle();
    EXPECT_EQ(counter.fills, fills);
    EXPECT_TRUE(xSound_IsPlaying(ch));
    // Stopped through every channel at once, it is silent for good.
    xSound_StopSnippetEverywhere(stream);
    EXPECT_FALSE(xSound_IsPlaying(ch));
    EXPECT_EQ(ch->streaming, 0);
}

TEST_F(SoundEngineTest, ReleasingASnippetEndsEveryChannelAndQueueEntryThatHoldsIt) {
    Start(8);
    OSoundProcess pipes(8);
    xSnippet* shared = NewRawSnippet(Bytes(40000, 9), 16, 1, kSnippetLoop);
    xSnippet* other = Raw(Bytes(40000, 9), 16, 1, kSnippetLoop);
    pipes.Play(shared, 2, 5, 0);
    pipes.Play(shared, 3, 5, 0);
    pipes.Play(other, 4, 5, 0);
    pipes.Play(shared, 4, 1, 0); // waits behind the other snippet
    pipes.Queue(other, 4, 1);
    ASSERT_EQ(pipes.GetQueueLength(4), 2);

    EXPECT_EQ(xSound_FreeSnippetChannels(shared), 0);
    EXPECT_FALSE(xSound_IsPlaying(xSound_GetChannel(2)));
    EXPECT_FALSE(xSound_IsPlaying(xSound_GetChannel(3)));
    EXPECT_TRUE(xSound_IsPlaying(xSound_GetChannel(4)));
    pipes.Play(shared, 2, 9, 0);
    EXPECT_EQ(xSound_ReleaseSnippet(&shared), 0);
    EXPECT_EQ(shared, nullptr);
    EXPECT_FALSE(xSound_IsPlaying(xSound_GetChannel(2)));
    EXPECT_EQ(xSound_GetChannel(2)->loopMode & kChannelReleasedMark, kChannelReleasedMark);
    EXPECT_EQ(pipes.GetQueueLength(4), 1) << "only the other snippet waits";
    Advance(100); // renders without reading the freed sound (checked under ASan)
    EXPECT_TRUE(xSound_IsPlaying(xSound_GetChannel(4)));
}

} // namespace
} // namespace vqt::test
