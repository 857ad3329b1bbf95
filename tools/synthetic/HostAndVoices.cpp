// The host character's part {2, 0, 13}: a dispatcher with a headset at the bottom right of the
// stage (every frame's hot spot is the place the game shows it at), in four states: 0 at rest
// (blinking now and then), 1 and 2 idle animations (a wave, a look around) and 3 the mouth, eight
// frames from shut to wide open. Also two voice lines {7, 0, 600} and {7, 0, 601} (16-bit
// syllables between pauses) with their caption texts {6, 0, 600} and {6, 0, 601}, and two music
// loops {7, 0, 900} and {7, 0, 901}.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tools/builders/SnippetBuilder.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr uint16_t kHostPart = 13;
constexpr int kWidth = 90;
constexpr int kHeight = 130;
/// Where the host stands on the stage.
constexpr int16_t kStageX = 594;
constexpr int16_t kStageY = 414;
constexpr int kRate = 22050;

enum : uint8_t { kSkin = 1, kHair = 2, kUniform = 3, kHeadset = 4, kEye = 5, kMouth = 6, kWhite = 7, kBadge = 8 };

std::vector<uint8_t> HostColours() {
    std::vector<uint8_t> rgb(768, 0);
    auto set = [&](uint8_t i, uint8_t r, uint8_t g, uint8_t b) {
        rgb[i * 3u] = r;
        rgb[i * 3u + 1] = g;
        rgb[i * 3u + 2] = b;
    };
    set(kSkin, 240, 200, 160);
    set(kHair, 90, 50, 20);
    set(kUniform, 30, 70, 160);
    set(kHeadset, 40, 40, 40);
    set(kEye, 20, 20, 30);
    set(kMouth, 150, 30, 40);
    set(kWhite, 250, 250, 250);
    set(kBadge, 250, 200, 40);
    return rgb;
}

bool InEllipse(int x, int y, int cx, int cy, int rx, int ry) {
    if (rx <= 0 || ry <= 0) return false;
    const double dx = double(x - cx) / rx;
    const double dy = double(y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

/// How one frame looks.
struct Pose {
    int mouth = 0;    ///< 0 shut .. 7 wide open
    bool blink = false;
    int look = 0;     ///< eyes' sideways shift
    int arm = 0;      ///< 0 down .. 3 raised
};

Picture Host(const Pose& pose) {
    Picture p(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t c = 0;
            if (y >= 70 && std::abs(x - 45) <= 22 + (y - 70) / 3) c = kUniform; // body
            if (InEllipse(x, y, 58, 84, 4, 4)) c = kBadge;
            if (InEllipse(x, y, 45, 38, 26, 30)) c = kSkin; // head
            if (y < 24 && InEllipse(x, y, 45, 30, 27, 24)) c = kHair;
            if (y < 36 && InEllipse(x, y, 45, 34, 29, 29) && !InEllipse(x, y, 45, 34, 26, 26)) c = kHeadset; // band
            if (InEllipse(x, y, 17, 40, 5, 8)) c = kHeadset; // ear piece
            if (x >= 17 && x <= 34 && std::abs(y - (54 + (x - 17) / 6)) <= 1) c = kHeadset; // microphone
            for (int side : {-1, 1}) {
                const int ex = 45 + side * 10 + pose.look;
                if (pose.blink ? (y == 36 && std::abs(x - ex) <= 4) : InEllipse(x, y, ex, 36, 3, 4)) c = kEye;
            }
            if (pose.mouth == 0 ? (y == 55 && std::abs(x - 45) <= 7) : InEllipse(x, y, 45, 55, 8, pose.mouth)) c = kMouth;
            if (pose.arm > 0) { // the right arm raised in a wave
                const int hx = 80;
                const int hy = 110 - pose.arm * 22;
                if (x >= 66 && x <= 88 && std::abs(x - hx) <= 5 && y >= hy && y <= 112) c = kUniform;
                if (InEllipse(x, y, hx, hy, 6, 6)) c = kSkin;
            }
            p.at(x, y) = c;
        }
    }
    return p;
}

StatePlan State(const std::vector<Pose>& poses, uint16_t duration, uint16_t firstDuration = 0) {
    StatePlan state;
    for (size_t i = 0; i < poses.size(); ++i) {
        FramePlan frame;
        frame.picture = Host(poses[i]);
        frame.hotX = kStageX;
        frame.hotY = kStageY;
        frame.duration = i == 0 && firstDuration != 0 ? firstDuration : duration;
        state.frames.push_back(frame);
    }
    return state;
}

PartPlan HostPart() {
    PartPlan part;
    part.palette = HostColours();
    part.states.push_back(State({Pose{}, Pose{.blink = true}}, 8, 150));
    part.states.push_back(State({Pose{.arm = 1}, Pose{.arm = 2}, Pose{.arm = 3}, Pose{.arm = 2}, Pose{.arm = 1}}, 8));
    part.states.push_back(State({Pose{.look = -3}, Pose{.look = -3}, Pose{.look = 3}, Pose{.look = 3}}, 12));
    std::vector<Pose> mouth;
    for (int m = 0; m < 8; ++m) mouth.push_back(Pose{.mouth = m});
    part.states.push_back(State(mouth, 6));
    return part;
}

/// A spoken line: a quarter second of silence, then syllables of a voiced buzz, loud and soft in
/// turn, with short pauses between them.
std::vector<int16_t> Speech(int syllables, double pitch) {
    std::vector<int16_t> s(kRate / 4, 0);
    for (int i = 0; i < syllables; ++i) {
        const int length = kRate / 6 + (i % 3) * kRate / 30;
        const double loudness = i % 2 == 0 ? 11000.0 : 5000.0;
        for (int t = 0; t < length; ++t) {
            const double envelope = std::sin(std::numbers::pi * t / length);
            const double phase = 2.0 * std::numbers::pi * pitch * t / kRate;
            const double voiced = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase);
            s.push_back(int16_t(std::lround(loudness * envelope * voiced / 1.75)));
        }
        s.insert(s.end(), kRate / 20, 0);
    }
    return s;
}

/// Two seconds of a looping tune: an arpeggio of the chord's notes, an eighth of a second each.
std::vector<int16_t> Tune(const std::vector<double>& notes) {
    std::vector<int16_t> s;
    const int step = kRate / 8;
    for (int n = 0; n < 16; ++n) {
        const double hz = notes[size_t(n) % notes.size()];
        for (int t = 0; t < step; ++t) {
            const double fade = 1.0 - 0.6 * t / step;
            s.push_back(int16_t(std::lround(6000.0 * fade * std::sin(2.0 * std::numbers::pi * hz * t / kRate))));
        }
    }
    return s;
}

void AddSound(GameData& data, uint16_t entry, const std::string& name, const Bytes& samples, uint16_t bits) {
    SnipPlan plan;
    plan.bits = bits;
    plan.sound = samples;
    data.file.AddChunk(GameData::kSnippets, SnipData(plan), {.entry = entry, .name = name, .property = SnipProperty(plan)});
}

} // namespace

void AddHostAndVoices(GameData& data) {
    data.parts.AddPart(HostPart(), kHostPart);
    struct Line {
        uint16_t entry;
        int syllables;
        double pitch;
        const char* caption;
    };
    static const Line kLines[] = {
        {600, 7, 180.0, "Dispatch here. Pick a vehicle and let's roll!"},
        {601, 5, 200.0, "Great work! Head back to the station."},
    };
    for (const Line& line : kLines) {
        AddSound(data, line.entry, "Voice line " + std::to_string(line.entry), Pcm16(Speech(line.syllables, line.pitch)), 16);
        const std::string text = line.caption;
        data.file.AddChunk(GameData::kTexts, Bytes(text.begin(), text.end()),
                           {.entry = line.entry, .name = "Caption " + std::to_string(line.entry)});
    }
    AddSound(data, 900, "Music: station", Pcm8(Tune({261.63, 329.63, 392.0, 523.25})), 8);
    AddSound(data, 901, "Music: road", Pcm8(Tune({293.66, 369.99, 440.0, 587.33})), 8);
}
