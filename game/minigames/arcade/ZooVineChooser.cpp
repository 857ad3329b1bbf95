#include "game/minigames/arcade/ZooVineChooser.h"

#include <cstdlib>

std::vector<int32_t> ZooVineChooser::StartingVines(int32_t vines) {
    std::vector<int32_t> chosen;
    for (int32_t i = std::rand() % 3; i < vines; i += 1 + std::rand() % 3) chosen.push_back(i);
    return chosen;
}

int16_t ZooVineChooser::NextOffset() {
    int32_t index = std::rand() % 3;
    while (index == lastOffset_) index = std::rand() % 3;
    lastOffset_ = index;
    return kOffsets[index];
}

int32_t ZooVineChooser::FirstRespawnVine(int32_t vines) {
    if (vines <= 0) return -1;
    return (vines + 2 + std::rand() % 2) % vines;
}

int32_t ZooVineChooser::NextRespawnVine(int32_t current, int32_t vines) {
    if (vines <= 0) return -1;
    return (current + 2 + std::rand() % 2) % vines;
}
