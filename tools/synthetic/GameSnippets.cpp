// The five game-wide sound snippets {7, 0, 838}, {7, 0, 7}, {7, 0, 8}, {7, 0, 6} and {7, 0, 9},
// and the sounds a game screen plays for a prop by its part's sound value, as short generated
// tones: raw 8-bit mono sound at 22050 Hz (the format a snippet chunk has without its own), a
// 16-byte head {loop mode, volume, left, right, data size, 0}, then the signed samples.
#include <cmath>
#include <string>

#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {
constexpr int kRate = 22050;
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
        const double fade = 1.0 - double(i) / kSamples;
        data.push_back(uint8_t(int8_t(std::lround(100.0 * fade * std::sin(2.0 * M_PI * frequency * i / kRate)))));
    }
    return data;
}

void AddSharedTone(GameData& data, uint16_t entry, double frequency, const std::string& name) {
    if (data.file.HasChunk(GameData::kSnippets, entry)) return;
    data.file.AddChunk(GameData::kSnippets, Tone(frequency),
                       {.entry = entry, .name = name, .property = PropertyRecordBytes().SoundDefaults()});
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
