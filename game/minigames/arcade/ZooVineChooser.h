#pragma once
#include <cstdint>
#include <vector>

/// The zoo arcade's random choices of where monkeys hang: the vines that get a monkey at the
/// start, the height offset on the vine (never the same twice running) and the vine that gets
/// the next monkey when it comes round. A jungle without vines gets no monkeys.
class ZooVineChooser {
public:
    static constexpr int16_t kOffsets[3] = {-28, 32, 103};

    /// The vine indices below `vines` that get a monkey at the start: rand() % 3, then each
    /// next one 1 + rand() % 3 further on.
    static std::vector<int32_t> StartingVines(int32_t vines);
    /// One of the three offsets, never the one returned last.
    int16_t NextOffset();
    /// The first vine to receive a respawning monkey; -1 without vines.
    static int32_t FirstRespawnVine(int32_t vines);
    /// The vine after `current`, 2 or 3 further round; -1 without vines.
    static int32_t NextRespawnVine(int32_t current, int32_t vines);
    /// The index of the offset used last; -1 before the first.
    int32_t GetLastOffsetIndex() const { return lastOffset_; }

private:
    int32_t lastOffset_ = -1;
};
