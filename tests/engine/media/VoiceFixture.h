#pragma once
// The fixture of the voice-line, host and music tests: the headless stage with the sound engine
// on the null device (4 pipes), the application's standard processes on the main window, and a
// part file (the application's, with its chunk cache) holding a host part and two music loops.
// Frames run the whole idle walk on the virtual clock.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/data/Profiles.h"
#include "engine/media/Application.h"
#include "engine/media/Host.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "tests/engine/core/StageFixture.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {

/// An end callback as the test saw it: the line's user value, whether it was skipped, when.
struct LineEnd {
    intptr_t line;
    int32_t skipped;
    uint32_t at;
    bool operator==(const LineEnd&) const = default;
};

class VoiceTest : public StageTest {
protected:
    /// The host part's states: at rest (2 frames), two idle animations (3 and 2 frames) and the
    /// mouth (8 frames); every frame lasts 100 ms.
    enum : int32_t { kRest = 0, kWave = 1, kLook = 2, kMouth = 3 };
    static constexpr uint16_t kMusic = 1;
    static constexpr uint16_t kMusicFollowUp = 2;

    void SetUp() override {
        StageTest::SetUp();
        xProfiles_Set("NUMPIPES", sShort(4));
        ASSERT_EQ(xSound_Startup(4, 0, 0), 0);
        ChunkFileBuilder image;
        PartBuilder parts(image);
        PartPlan host;
        for (int frames : {2, 3, 2, 8}) {
            StatePlan state;
            for (int f = 0; f < frames; ++f) {
                FramePlan frame;
                frame.picture = Picture(8, 8, uint8_t(1 + f));
                state.frames.push_back(frame);
            }
            host.states.push_back(state);
        }
        hostPart_ = parts.AddPart(host).part;
        for (double hz : {330.0, 440.0}) {
            SnipPlan music;
            music.bits = 16;
            music.sound = Pcm16(SineTone(hz, 4410));
            snippets.push_back(parts.AddSnippet(music, "music"));
        }
        Open(image);
        auto own = std::make_unique<CPartFile>();
        own->SetCacheEnabled(true);
        ASSERT_TRUE(own->Open((folder / "parts.vqk").c_str(), 1));
        app = std::make_unique<OApplication>();
        app->SetPartFile(std::move(own));
        app->CreateProcesses();
        messages = app->GetMessageProcess();
        ASSERT_NE(messages, nullptr);
        Ends().clear();
    }
    void TearDown() override {
        app.reset();
        StageTest::TearDown();
    }

    /// A host of the role on the main window (or the parent given), at rest.
    OHost* Host(const char* role, ONode* parent = nullptr) {
        auto* host = new OHost;
        host->SetPartID(file.get(), hostPart_, 1);
        host->SetRoleName(role);
        (parent ? parent : static_cast<ONode*>(window))->AddChild(host);
        return host;
    }
    /// A line from the pool with `ms` of 16-bit voice (none for 0), acted by the role's host with
    /// the states; its end is logged under `id`.
    OMessageRecord* Line(intptr_t id, uint32_t ms, const char* role = "", std::vector<int32_t> states = {}) {
        OMessageRecord* r = messages->AllocMessage(1);
        if (ms != 0) r->voice = NewRawSnippet(Pcm16(SineTone(300, ms * 22050 / 1000)));
        r->roleName = role;
        r->SetStates(states.data(), int32_t(states.size()));
        r->endCallback = &LogEnd;
        r->userValue = id;
        return r;
    }
    static std::vector<LineEnd>& Ends() {
        static std::vector<LineEnd> ends;
        return ends;
    }
    static void LogEnd(intptr_t id, int32_t skipped) { Ends().push_back({id, skipped, plat::clock().TickCount()}); }
    SoundChannel* VoiceChannel() { return app->GetSoundProcess()->GetChannel(OMessageProcess::kVoicePipe); }

    std::unique_ptr<OApplication> app;
    OMessageProcess* messages = nullptr;
    /// The file's snippets (the music and its follow-up), by chunk id.
    std::vector<ChunkId> snippets;

private:
    uint32_t hostPart_ = 0;
};

} // namespace vqt::test
