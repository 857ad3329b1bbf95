// The five game-wide sound snippets {7, 0, 838}, {7, 0, 7}, {7, 0, 8}, {7, 0, 6} and {7, 0, 9},
// and the sounds a game screen plays for a prop by its part's sound value, as short generated
// tones: raw 8-bit mono sound at 22050 Hz (the format a snippet chunk has without its own), a
// 16-byte head {loop mode, volume, left, right, data size, 0}, then the signed samples. Also the
// screens' music: looping tunes of 16-bit sound.
//
// The levels leave room for the voices a busy screen plays at once (music, the engine's and the
// siren's loops, a spoken line, a few sounds): a tone peaks at a quarter of full scale, a tune
// at a quarter too (the music process plays it at a little under half its volume).
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "tools/builders/SnippetBuilder.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {
constexpr int kRate = 22050;
constexpr double kTonePeak = 32.0;   // of 127
constexpr double kTunePeak = 8000.0; // of 32767
/// A tune's notes last half a second, rising and falling over 20 ms so that none clicks.
constexpr int kNoteSamples = kRate / 2, kNoteEdge = kRate / 50;

std::vector<int16_t> Tune(const std::vector<double>& notes) {
    std::vector<int16_t> samples;
    for (const double hz : notes)
        for (int t = 0; t < kNoteSamples; ++t) {
            const double edge = std::min({1.0, double(t) / kNoteEdge, double(kNoteSamples - 1 - t) / kNoteEdge});
            const double phase = 2.0 * std::numbers::pi * hz * t / kRate;
            // A soft octave below carries the tune along.
            const double voice = 0.7 * std::sin(phase) + 0.3 * std::sin(phase / 2.0);
            samples.push_back(int16_t(std::lround(kTunePeak * edge * voice)));
        }
    return samples;
}
} // namespace

Bytes Tone(double frequency) {
    constexpr int kSamples = kRate / 4;
    Bytes data;
    PutBe16(data, 0, 0);   // played once
    PutBe16(data, 2, 511); // volume
    PutBe16(data, 4, 511); // left
    PutBe16(data, 6, 511); // right
    PutBe32(data, 8, kSamples);
    PutBe32(data, 12, 0);
    for (int i = 0; i < kSamples; ++i) {
        // Down to a quarter, so that every cycle still crosses zero at 8 bits.
        const double fade = 1.0 - 0.75 * double(i) / kSamples;
        data.push_back(uint8_t(int8_t(std::lround(kTonePeak * fade * std::sin(2.0 * M_PI * frequency * i / kRate)))));
    }
    return data;
}

void AddSharedTone(GameData& data, uint16_t entry, double frequency, const std::string& name) {
    if (data.file.HasChunk(GameData::kSnippets, entry)) return;
    data.file.AddChunk(GameData::kSnippets, Tone(frequency),
                       {.entry = entry, .name = name, .property = PropertyRecordBytes().SoundDefaults()});
}

void AddMusicTrack(GameData& data, uint16_t entry, const std::vector<double>& notes, const std::string& name) {
    if (data.file.HasChunk(GameData::kSnippets, entry)) return;
    SnipPlan plan;
    plan.bits = 16;
    plan.sound = Pcm16(Tune(notes));
    data.file.AddChunk(GameData::kSnippets, SnipData(plan), {.entry = entry, .name = name, .property = SnipProperty(plan)});
}

void AddGameSnippets(GameData& data) {
    struct Snippet {
        uint16_t entry;
        double frequency;
        const char* name;
    };
    static const Snippet kSnippets[] = {
        {838, 523.25, "Click"}, {7, 659.25, "Tone 7"}, {8, 783.99, "Tone 8"}, {6, 440.0, "Tone 6"}, {9, 880.0, "Tone 9"},
    };
    for (const Snippet& s : kSnippets)
        data.file.AddChunk(GameData::kSnippets, Tone(s.frequency),
                           {.entry = s.entry, .name = s.name, .property = PropertyRecordBytes().SoundDefaults()});
}

void AddPropSounds(GameData& data) {
    for (const uint16_t entry : {13, 189, 190, 188, 158, 61, 98, 571, 821, 133, 834})
        AddSharedTone(data, entry, 200.0 + entry % 600, "Prop sound " + std::to_string(entry));
}
