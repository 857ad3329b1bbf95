#include "engine/media/LipSync.h"

#include <algorithm>
#include <cstdlib>

#include "engine/data/Memory.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kNoMemory = -108;
constexpr int32_t kNoTable = -3;

/// A level as the table stores it: a signed byte (a mean of 128 would turn negative).
uint8_t Level(int64_t value) { return uint8_t(int8_t(std::clamp<int64_t>(value, -128, 127))); }

/// Bytes of the snippet's buffer from `offset` on, at most `wanted` (0 past the buffer).
uint32_t Readable(const xSnippet& s, uint32_t offset, uint32_t wanted) {
    if (s.data == nullptr || offset >= s.capacity) return 0;
    return std::min(wanted, s.capacity - offset);
}

/// A zeroed table of `count` entries (at least one) from the sound engine's pool.
uint8_t* NewTable(uint32_t count) {
    MemPool* pool = xSound_State().pool != nullptr ? xSound_State().pool : PoolForThread();
    return static_cast<uint8_t*>(PoolAllocBlock(pool, std::max<uint32_t>(count, 1), BLOCK_ZEROINIT));
}

int32_t Install(xSnippet& s, uint8_t* table, uint32_t count, int32_t rate) {
    s.lipSync = table;
    s.lipSyncCount = count;
    s.lipSyncRate = uint8_t(rate);
    return int32_t(count);
}

/// The stored levels (60 a second) averaged in groups of 60 / rate, an entry written at every
/// index that is a multiple of the group.
int32_t FromStoredLevels(xSnippet& s, int32_t rate) {
    const int32_t group = kLipSyncStoredRate / rate;
    const uint32_t count = s.lipSyncCount;
    const uint32_t stored = Readable(s, s.size, count);
    uint8_t* table = NewTable(count);
    if (table == nullptr) return kNoMemory;
    const auto* levels = reinterpret_cast<const int8_t*>(s.data + s.size);
    uint32_t next = 0;
    int32_t sum = 0;
    for (uint32_t i = 0; i < stored; ++i) {
        sum += levels[i];
        if (i % uint32_t(group) == 0) {
            table[next++] = Level(sum / group);
            sum = 0;
        }
    }
    return Install(s, table, count, rate);
}

/// The mean loudness of every step of 22050 / rate samples, an entry written at every sample
/// index that is a multiple of the step: 8-bit samples as their distance from 128, 16-bit
/// samples as their magnitude / 256. A snippet without a format plays as 8-bit mono.
int32_t FromPcm(xSnippet& s, int32_t rate) {
    const uint32_t step = xSound_State().outputRate / uint32_t(rate);
    const bool wide = s.rate != 0 && s.bits == 16;
    const uint32_t sampleBytes = wide ? 2 : 1;
    const uint32_t samples = Readable(s, 0, s.size) / sampleBytes;
    const uint32_t count = s.size / sampleBytes / step + 1;
    uint8_t* table = NewTable(count);
    if (table == nullptr) return kNoMemory;
    uint32_t next = 0;
    int64_t sum = 0;
    for (uint32_t i = 0; i < samples; ++i) {
        if (wide) {
            const uint8_t* p = s.data + size_t(i) * 2;
            sum += std::abs(int32_t(int16_t(uint16_t(p[0] | p[1] << 8))));
        } else {
            sum += std::abs(int32_t(s.data[i]) - 128);
        }
        if (i % step == 0) {
            table[next++] = Level(wide ? sum / step / 256 : sum / step);
            sum = 0;
        }
    }
    return Install(s, table, count, rate);
}

} // namespace

int32_t xSound_LipSyncRate(int32_t rate) { return std::clamp(rate, 1, kLipSyncStoredRate); }

int32_t xSound_BuildLipSyncTable(xSnippet* snippet, int32_t rate) {
    if (snippet == nullptr || !xSound_State().deviceHeld) return -2;
    if (snippet->lipSync != nullptr) return int32_t(snippet->lipSyncCount);
    rate = xSound_LipSyncRate(rate);
    if (snippet->lipSyncCount > 0) return FromStoredLevels(*snippet, rate);
    if (snippet->kind != 0) return 0;
    return FromPcm(*snippet, rate);
}

int16_t xSound_FreeLipSyncTable(xSnippet* snippet) {
    if (snippet == nullptr) return -2;
    PoolFreeBlock(snippet->lipSync);
    snippet->lipSync = nullptr;
    snippet->lipSyncCount = 0;
    snippet->lipSyncRate = 0;
    return 0;
}

int32_t xSound_LipSyncLevelAt(const xSnippet* snippet, uint32_t position, uint32_t bytesPerSample, int32_t rate) {
    if (snippet == nullptr || snippet->lipSync == nullptr || snippet->lipSyncCount == 0) return kNoTable;
    const uint32_t step = xSound_State().outputRate / uint32_t(xSound_LipSyncRate(rate));
    const uint32_t divisor = snippet->formatValue == 1 ? step / 2 : std::max<uint32_t>(bytesPerSample, 1) * step;
    const uint32_t index = std::min(position / divisor, snippet->lipSyncCount - 1);
    return int8_t(snippet->lipSync[index]);
}

int32_t xSound_GetLipSyncLevel(const SoundChannel* channel, int32_t rate) {
    if (channel == nullptr) return -1;
    if (channel->snippet == nullptr) return -2;
    const uint32_t position = channel->voice >= 0 ? plat::audio().Mixer().Position(channel->voice) : 0;
    return xSound_LipSyncLevelAt(channel->snippet, position, channel->bits / 8u, rate);
}

int32_t xSound_GetLipSyncPeak(const SoundChannel* channel) {
    if (channel == nullptr) return kLipSyncNoChannel;
    const xSnippet* s = channel->snippet;
    if (s == nullptr) return kLipSyncNoSnippet;
    int32_t peak = 0;
    if (s->lipSync != nullptr) {
        for (uint32_t i = 0; i < s->lipSyncCount; ++i) peak = std::max<int32_t>(peak, int8_t(s->lipSync[i]));
    }
    return peak;
}

int32_t xSound_GetLipSyncTableRate(const SoundChannel* channel) {
    const xSnippet* s = channel != nullptr ? channel->snippet : nullptr;
    return s != nullptr && s->lipSync != nullptr ? s->lipSyncRate : 0;
}
