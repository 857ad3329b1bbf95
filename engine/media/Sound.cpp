#include "engine/media/Sound.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/Trace.h"
#include "engine/data/PartFile.h"
#include "platform/Platform.h"

CSoundStandIn::CSoundStandIn() { ResetForTest(); }

CSoundStandIn& CSoundStandIn::Get() {
    static CSoundStandIn standIn;
    return standIn;
}

void CSoundStandIn::ResetForTest() {
    calls.clear();
    loadedSnippets = 0;
    started = 0;
    startupCode = 0;
    deviceHeld = 0;
    for (int32_t i = 0; i < kChannels; ++i) {
        channels[i] = SoundChannel{};
        channels[i].number = i;
    }
}

void CSoundStandIn::EndSound(SoundChannel* channel) {
    if (channel != nullptr) {
        channel->playing = 0;
        channel->snippet = nullptr;
    }
}

std::vector<SoundCall> CSoundStandIn::CallsOf(const std::string& op) const {
    std::vector<SoundCall> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out), [&](const SoundCall& c) { return c.op == op; });
    return out;
}

namespace {
void Record(const char* op, const SoundChannel* channel, int32_t a = 0, int32_t b = 0,
            const xSnippet* snippet = nullptr) {
    CSoundStandIn::Get().calls.push_back(
        SoundCall{op, channel ? channel->number : -1, a, b, snippet ? snippet->id : kNullChunkId});
}
} // namespace

xSnippet* xSnippet_Load(CPartFile* partFile, ChunkId id, char* /*nameOut*/) {
    if (partFile == nullptr || !partFile->ChunkExists(id)) {
        char text[96];
        std::snprintf(text, sizeof text, "VQT : Missing Snippet {%d, %d, %d}", int(ChunkIndexOf(id)),
                      int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        plat::dialogs().MessageBox(text, "Error", plat::mb::SystemModal | plat::mb::IconStop);
        xTracef("loadSnippet - non existent snippet (%d,%d)\n", int(ChunkIndexOf(id)), int(ChunkEntryOf(id)));
        return nullptr;
    }
    auto* snippet = new xSnippet;
    snippet->id = id;
    ++CSoundStandIn::Get().loadedSnippets;
    Record("load", nullptr, 0, 0, snippet);
    return snippet;
}

void xSnippet_Unload(xSnippet* snippet) {
    if (snippet == nullptr) {
        return;
    }
    Record("unload", nullptr, 0, 0, snippet);
    CSoundStandIn& s = CSoundStandIn::Get();
    for (SoundChannel& c : s.channels) {
        if (c.snippet == snippet) {
            s.EndSound(&c);
        }
    }
    --s.loadedSnippets;
    delete snippet;
}

SoundChannel* xSound_GetChannel(int32_t n) {
    if (n < 0 || n >= CSoundStandIn::kChannels) {
        return nullptr;
    }
    return &CSoundStandIn::Get().channels[n];
}

uint8_t xSound_IsPlaying(const SoundChannel* channel) { return channel != nullptr ? channel->playing : 0; }

void xSound_SetBalance(SoundChannel* channel, int32_t left, int32_t right) {
    Record("balance", channel, left, right);
    if (channel != nullptr) {
        channel->left = static_cast<int16_t>(std::clamp(left, 0, 255));
        channel->right = static_cast<int16_t>(std::clamp(right, 0, 255));
    }
}

void xSound_SetVolume(SoundChannel* channel, int32_t volume) {
    Record("volume", channel, volume);
    if (channel != nullptr) {
        channel->volume = static_cast<int16_t>(std::clamp(volume, 0, 511));
    }
}

void xSound_SetSnippetLoop(xSnippet* snippet, uint16_t mode) {
    Record("loop", nullptr, mode, 0, snippet);
    if (snippet != nullptr) {
        const uint16_t low = mode & 0xFF;
        snippet->loopMode = static_cast<uint16_t>((low < 5 ? low : 4) | (mode & 0x4000));
    }
}

void xSound_PlaySnippet(xSnippet* snippet, SoundChannel* channel) {
    Record("play", channel, 0, 0, snippet);
    if (channel != nullptr && snippet != nullptr) {
        channel->snippet = snippet;
        channel->playing = 1;
    }
}

int16_t xSound_Startup(int32_t pipes, uint32_t /*unused*/, uint32_t flags) {
    Record("startup", nullptr, pipes, int32_t(flags));
    CSoundStandIn& s = CSoundStandIn::Get();
    if (s.started) return 0;
    if (s.startupCode != 0 && s.startupCode != -301) return s.startupCode;
    s.started = 1;
    s.deviceHeld = 1;
    return s.startupCode;
}

void xSound_Shutdown() {
    CSoundStandIn& s = CSoundStandIn::Get();
    if (!s.started) {
        return;
    }
    Record("shutdown", nullptr);
    for (SoundChannel& c : s.channels) {
        s.EndSound(&c);
    }
    s.started = 0;
    s.deviceHeld = 0;
}

int32_t xSound_StopAll() {
    Record("stopall", nullptr);
    CSoundStandIn& s = CSoundStandIn::Get();
    for (SoundChannel& c : s.channels) {
        s.EndSound(&c);
    }
    return 0;
}

void xSound_ReleaseDevice() {
    Record("release", nullptr);
    CSoundStandIn::Get().deviceHeld = 0;
}

void xSound_ReacquireDevice() {
    Record("reacquire", nullptr);
    CSoundStandIn::Get().deviceHeld = 1;
}

void xSound_StopSnippet(const xSnippet* snippet, SoundChannel* channel) {
    Record("stop", channel, 0, 0, snippet);
    if (channel != nullptr && (snippet == nullptr || channel->snippet == snippet)) {
        CSoundStandIn::Get().EndSound(channel);
    }
}
