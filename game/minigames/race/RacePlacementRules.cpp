#include "game/minigames/race/RacePlacementRules.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"

void RaceThinCandidates(std::vector<CPointF>& points, int16_t bias) {
    const int32_t count = int32_t(points.size());
    int32_t keep = 0;
    if (count < 3) {
        keep = std::max(count - 1, 0);
    } else {
        keep = std::max(count - xRand() % 3 - int32_t(bias), 1);
    }
    while (int32_t(points.size()) > keep) {
        points.erase(points.begin() + xRand() % int32_t(points.size()));
    }
}

void RaceAssignKinds(const std::vector<CPointF>& points, std::vector<int32_t>& kinds, bool finish,
                     int32_t typeCount) {
    kinds.clear();
    for (size_t i = 0; i < points.size(); ++i) {
        if (finish) {
            kinds.push_back(kRaceFinishKind);
        } else {
            kinds.push_back(typeCount > 0 ? xRand() % typeCount : 0);
        }
    }
}

bool RaceNearCandidate(const std::vector<CPointF>& candidates, const CPointF& point) {
    return std::any_of(candidates.begin(), candidates.end(), [&](const CPointF& c) {
        return std::hypot(double(c.x) - point.x, double(c.y) - point.y) < kRaceCandidateSpacing;
    });
}

namespace {

/// The odd multiple of h below limit - h nearest the goal; false when there is none.
bool NearestOddMultiple(int32_t h, int32_t limit, double goal, double* out) {
    if (h <= 0 || 2 * int64_t(h) >= limit || !std::isfinite(goal)) {
        return false;
    }
    // Values h(2k + 1) < limit - h, k = 0 .. last.
    const int32_t last = (limit - 2 * h - 1) / (2 * h);
    const double k = std::clamp(std::floor((goal - h) / (2.0 * h)), 0.0, double(last));
    const double below = h * (2.0 * k + 1.0);
    const double above = below + 2.0 * h;
    *out = (k < last && above - goal < goal - below) ? above : below;
    return true;
}

} // namespace

CPointF RaceSnapToLattice(int16_t halfHeight, int16_t halfWidth, const CPointF& goal, int32_t stageWidth,
                          int32_t stageHeight) {
    CPointF out = goal;
    double value = 0.0;
    if (NearestOddMultiple(halfWidth, stageWidth, goal.x, &value)) {
        out.x = float(value);
    }
    if (NearestOddMultiple(halfHeight, stageHeight, goal.y, &value)) {
        out.y = float(value + 1.0);
    }
    return out;
}
