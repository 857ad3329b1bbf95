#pragma once
// Mouth levels of speech snippets, beside the sound engine: a table of one signed byte per step
// of the voice (rate steps a second), built from levels stored behind the sound in its chunk
// (60 a second, averaged down to the rate) or, for raw PCM, from the mean loudness of each step
// of samples. The host character reads the level at the play position of the channel that
// speaks, and the table's largest level as the fully open mouth.
//
// Rates are untrusted (they come from parts): every operation clamps them to 1..60.
#include <cstdint>

struct SoundChannel;
struct xSnippet;

/// Stored levels run at this many steps a second; the fastest table.
inline constexpr int32_t kLipSyncStoredRate = 60;
/// The peak's answers for a null channel and for a channel without a snippet.
inline constexpr int32_t kLipSyncNoChannel = 65535;
inline constexpr int32_t kLipSyncNoSnippet = 65534;

/// The rate clamped to 1..60.
int32_t xSound_LipSyncRate(int32_t rate);

/// Builds the snippet's table at the rate (nothing when it has one) and answers its entry
/// count; -2 for a null snippet or while the output device is not held, -108 when the table
/// cannot be allocated. Only raw PCM without stored levels is measured; other kinds without
/// stored levels get no table (0). The walk never reads past the snippet's buffer.
int32_t xSound_BuildLipSyncTable(xSnippet* snippet, int32_t rate);
/// Frees the table; its count becomes 0. 0; -2 for a null snippet.
int16_t xSound_FreeLipSyncTable(xSnippet* snippet);

/// The table's entry at a play position in bytes of the sound as played, for samples of
/// `bytesPerSample` bytes (a format value of 1 counts half a byte a sample) at the rate; an
/// index past the table gives the last entry. -3 without a table.
int32_t xSound_LipSyncLevelAt(const xSnippet* snippet, uint32_t position, uint32_t bytesPerSample, int32_t rate);
/// The level at the channel's play position: -1 null channel, -2 no snippet on it, -3 no table.
int32_t xSound_GetLipSyncLevel(const SoundChannel* channel, int32_t rate);
/// The largest level of the channel's table (0 for an empty or missing table);
/// kLipSyncNoChannel for a null channel, kLipSyncNoSnippet without a snippet.
int32_t xSound_GetLipSyncPeak(const SoundChannel* channel);
/// The rate the table of the channel's snippet was built at; 0 without one.
int32_t xSound_GetLipSyncTableRate(const SoundChannel* channel);
