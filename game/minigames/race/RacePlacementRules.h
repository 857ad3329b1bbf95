#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"

/// The kind given to every object point of a finish section.
inline constexpr int32_t kRaceFinishKind = 9999;
/// Path points closer than this to a candidate already taken are dropped.
inline constexpr double kRaceCandidateSpacing = 40.0;

/// Thins a section's object points at random: fewer than three keep one fewer (none from one or
/// none), else count - (rand() mod 3) - bias, at least one. One draw per removal.
void RaceThinCandidates(std::vector<CPointF>& points, int16_t bias);
/// One kind per point: the finish kind in finish mode, else a random index of the type table
/// (0 when it is empty, without a draw).
void RaceAssignKinds(const std::vector<CPointF>& points, std::vector<int32_t>& kinds, bool finish,
                     int32_t typeCount);
/// Whether the point lies closer than the spacing to one of the candidates.
bool RaceNearCandidate(const std::vector<CPointF>& candidates, const CPointF& point);
/// The lattice point of a picture with that half size nearest the goal: on each axis the odd
/// multiple h, 3h, 5h, ... below stage size - h nearest the goal (the lower one on ties), the
/// vertical value then raised by 1. An axis without a lattice (h of 0 or less, or half the stage
/// or more) keeps the goal's value.
CPointF RaceSnapToLattice(int16_t halfHeight, int16_t halfWidth, const CPointF& goal, int32_t stageWidth,
                          int32_t stageHeight);
