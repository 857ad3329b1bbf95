#pragma once
// Edits of a road section's chosen points and their kinds, kept in step.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/base/Random.h"
#include "engine/base/Point.h"

/// Takes out the entries whose kind answers true, keeping the two lists in step.
template <class Pred>
void xRaceKinds_RemoveWhere(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, Pred remove) {
    size_t kept = 0;
    for (size_t i = 0; i < chosen.size() && i < kinds.size(); ++i) {
        if (remove(kinds[i])) continue;
        chosen[kept] = chosen[i];
        kinds[kept] = kinds[i];
        ++kept;
    }
    chosen.resize(kept);
    kinds.resize(kept);
}

/// The indices of the points of a kind, shuffled.
inline std::vector<size_t> xRaceKinds_Shuffled(const std::vector<int32_t>& kinds, int32_t kind) {
    std::vector<size_t> at;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == kind) at.push_back(i);
    }
    for (size_t i = at.size(); i > 1; --i) std::swap(at[i - 1], at[size_t(xRand()) % i]);
    return at;
}

/// All but `keep` of the points of a kind, chosen at random, become another kind.
inline void xRaceKinds_KeepSome(std::vector<int32_t>& kinds, int32_t kind, size_t keep, int32_t into) {
    const std::vector<size_t> at = xRaceKinds_Shuffled(kinds, kind);
    for (size_t i = keep; i < at.size(); ++i) kinds[at[i]] = into;
}
