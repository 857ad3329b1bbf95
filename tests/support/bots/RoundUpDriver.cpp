// The round-ups' driver: it closes the start panel, starts the vehicle with SPACE and steers
// with the arrows round one animal after another until every one is caught, then leaves the
// win panel by its return button. SPACE also stops the vehicle to wait, away from the animals,
// while none has room round it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/shell/StillProps.h"
#include "game/world/WorldBuckets.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/support/bots/DriverKit.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

constexpr int32_t kLeft = 0x25, kRight = 0x27;
/// The orbit the driver drives round an animal (stage pixels; the view squashes it vertically).
constexpr double kOrbit = 60.0;
/// How near the vehicle comes to a wall's middle before it turns away.
constexpr double kWallReach = 100.0;
/// A new round-up is settled this long after it became current; the driver starts driving
/// this long after the start panel went, and looks at the win panel this long.
constexpr uint32_t kSettleMs = 1000, kDriveFromMs = 1000, kWinPanelMs = 500;
/// A press of SPACE takes a few frames to arrive: the next waits this long.
constexpr uint32_t kSpaceGapMs = 500;
/// A driver that waits this long with no free animal in view goes and looks for the nearest
/// one for kLookMs: to its side toward the map's middle, kLookOff from it. One in view roams
/// back in time; a vehicle driving at it would only drive it off.
constexpr uint32_t kWaitMs = 30000, kLookMs = 10000;
constexpr double kLookOff = kOrbit + kWallReach;

/// How far a point lies inside the map (the least of its four margins).
double Clearance(CRoundUpActivity* r, const CPointF& p) {
    const CRect16 map = r->GetMapRect();
    return std::min({double(p.x) - map.left, double(map.right) - p.x, 2.0 * (double(p.y) - map.top),
                     2.0 * (double(map.bottom) - p.y)});
}

/// The boxes of the walls the vehicle must drive round.
std::vector<CRect16> Walls(CRoundUpActivity* r) {
    std::vector<CRect16> out;
    for (int32_t i = 0; i < r->ChildCount(); ++i)
        if (auto* prop = dynamic_cast<OActivityProp*>(r->ChildAt(i)); prop && prop->IsA(Blocker::kClassId))
            out.push_back(CWorldBuckets::BoxOf(prop));
    return out;
}
/// The place of a wall nearest to `p`: a wide wall blocks the vehicle at its ends as well as
/// at its middle.
CPointF NearestOf(const CRect16& wall, const CPointF& p) {
    return CPointF(std::clamp(p.x, float(wall.left), float(wall.right)),
                   std::clamp(p.y, float(wall.top), float(wall.bottom)));
}

/// Where the driver goes: round an animal, or to a place where it waits.
struct Orbit {
    CPointF centre;
    double radius = kOrbit;
    bool park = false; ///< no room round any animal: the vehicle waits at `centre`, away from them
};

/// The round of an animal, false when there is no room for it: too near a wall or the map's
/// edge the round would run into them, and the animal roams off them in time.
bool RoundOf(CRoundUpActivity* r, const DRoundUp* a, Orbit* out) {
    const CPointF g = a->GetGroundPosition();
    *out = Orbit{g, kOrbit};
    for (const CRect16& wall : Walls(r)) {
        const CPointF w((wall.left + wall.right) / 2.0f, (wall.top + wall.bottom) / 2.0f);
        if (std::hypot(double(g.x) - w.x, 2.0 * (double(g.y) - w.y)) < kOrbit + kWallReach) return false;
    }
    return Clearance(r, g) >= kOrbit + 35.0;
}

/// The free animal the driver goes for: the nearest of those with room for an orbit round
/// them, kept until it is caught or has no room left. With none, a place across the middle
/// from the free animals, well inside the map, where the vehicle waits while they roam back
/// (near an edge they head for the middle); a moving vehicle would only drive them back.
Orbit OrbitOf(CRoundUpActivity* r, const CPointF& from, bool* any, DRoundUp** chosen) {
    Orbit kept;
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    double sumX = 0.0, sumY = 0.0;
    int free = 0;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i)); a && !a->IsCaught())
            sumX += a->GetGroundPosition().x, sumY += a->GetGroundPosition().y, ++free;
    *any = free > 0;
    if (*chosen && !(*chosen)->IsCaught() && RoundOf(r, *chosen, &kept)) return kept;
    *chosen = nullptr;
    const CRect16 map = r->GetMapRect();
    const CPointF middle((map.left + map.right) / 2.0f, (map.top + map.bottom) / 2.0f);
    Orbit best{middle, kOrbit, true};
    if (free > 0) {
        const double awayX = middle.x - (sumX / free - middle.x), awayY = middle.y - (sumY / free - middle.y);
        const double spanX = (map.right - map.left) / 2.0 - 200.0, spanY = (map.bottom - map.top) / 2.0 - 150.0;
        best.centre = CPointF(float(std::clamp(awayX, middle.x - spanX, middle.x + spanX)),
                              float(std::clamp(awayY, middle.y - spanY, middle.y + spanY)));
    }
    double bestDistance = 1e18;
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i));
        if (!a || a->IsCaught()) continue;
        Orbit round;
        const CPointF g = a->GetGroundPosition();
        const double d = std::hypot(double(g.x) - from.x, double(g.y) - from.y);
        if (RoundOf(r, a, &round) && d < bestDistance) bestDistance = d, best = round, *chosen = a;
    }
    return best;
}

/// Whether a free animal stands in the view.
bool FreeInView(CRoundUpActivity* r) {
    const CRect16 view = r->GetVisibleRect();
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i));
        if (!a || a->IsCaught()) continue;
        const CPointF g = a->GetGroundPosition();
        if (g.x >= view.left && g.x < view.right && g.y >= view.top && g.y < view.bottom) return true;
    }
    return false;
}

/// Where the driver looks for the free animal nearest to `from`: beside it on the side of the
/// map's middle (it keeps to a wall or an edge, and the vehicle does not run into it there).
CPointF LookingPlace(CRoundUpActivity* r, const CPointF& from) {
    const CRect16 map = r->GetMapRect();
    const CPointF middle((map.left + map.right) / 2.0f, (map.top + map.bottom) / 2.0f);
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    CPointF best = middle;
    double bestDistance = 1e18;
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i));
        if (!a || a->IsCaught()) continue;
        const CPointF g = a->GetGroundPosition();
        const double d = std::hypot(double(g.x) - from.x, double(g.y) - from.y);
        if (d < bestDistance) bestDistance = d, best = g;
    }
    const double dx = double(middle.x) - best.x, dy = double(middle.y) - best.y, d = std::hypot(dx, dy);
    if (d < 1.0) return best;
    const double off = std::min(kLookOff, d);
    return CPointF(float(best.x + dx / d * off), float(best.y + dy / d * off));
}

class RoundUpDriver final : public MiniGameDriver {
public:
    explicit RoundUpDriver(BotInput input) : input_(std::move(input)) {}

    bool Plays(OActivity* current) const override { return current && current->IsA(CRoundUpActivity::kClassId); }

    std::string Step(OActivity* current, uint32_t now) override {
        if (current_.Note(now)) {
            // A new round-up starts afresh.
            phase_ = Phase::StartPanel;
            chosen_ = nullptr;
            spacePressed_ = 0;
            waitingSince_ = 0;
            lookUntil_ = 0;
        }
        OActivityManager* manager = GetActivityManager();
        if (!Plays(current)) return "";
        auto* r = static_cast<CRoundUpActivity*>(current);
        std::string out;
        if (phase_ == Phase::Driving && !manager->IsSwitchPending() && !r->IsPanelShown(-1)) {
            // SPACE starts and stops the vehicle.
            const bool go = Steer(r, now);
            if (go != (r->GetSpaceLatch() == TLVWorld_Activity::kLatchDrive) && now >= spacePressed_ + kSpaceGapMs) {
                out = KeyPress(' ');
                spacePressed_ = now;
            }
        }
        switch (phase_) {
        case Phase::StartPanel:
            if (manager->IsSwitchPending() || now < current_.since + kSettleMs || !r->IsPanelShown(CRoundUpActivity::kStartPanel))
                return out;
            phase_ = Phase::Starting;
            current_.since = now;
            return ClickAt(buttons::kPanelButton1); // the start panel's button
        case Phase::Starting:
            if (r->IsPanelShown(-1) || now < current_.since + kDriveFromMs) return out;
            phase_ = Phase::Driving;
            current_.since = now;
            return out;
        case Phase::Driving:
            if (!r->IsPanelShown(CRoundUpActivity::kWinPanel) || now < current_.since + kWinPanelMs) return out;
            phase_ = Phase::Left;
            current_.since = now;
            Release();
            return ClickAt(buttons::kPanelButton0); // return to the town
        case Phase::Left:
            return out;
        }
        return out;
    }

    std::string Release() override {
        Hold(kLeft, false);
        Hold(kRight, false);
        return "";
    }

private:
    enum class Phase { StartPanel, Starting, Driving, Left };

    void Hold(int32_t key, bool down) { input_.holdKey(key, down); }

    /// One frame's steering: the way along the orbit round the animal (inward when far,
    /// outward when too near), and the arrow that turns the vehicle's heading toward it. False
    /// when the vehicle is to stand: nothing left, or waiting at its place. A vehicle that
    /// waits a while with no free animal in view goes and looks for one.
    bool Steer(CRoundUpActivity* r, uint32_t now) {
        auto* vehicle = dynamic_cast<VIsometric*>(r->GetVehicle());
        const CPointF v = vehicle ? vehicle->GetPosition() : CPointF();
        bool any = false;
        Orbit orbit = vehicle ? OrbitOf(r, v, &any, &chosen_) : Orbit{};
        if (!orbit.park) {
            waitingSince_ = 0;
            lookUntil_ = 0;
        } else if (any) {
            if (waitingSince_ == 0) waitingSince_ = now;
            if (now >= lookUntil_ && now >= waitingSince_ + kWaitMs && !FreeInView(r)) {
                lookUntil_ = now + kLookMs;
                waitingSince_ = lookUntil_; // the wait counts afresh once the look is over
            }
            if (now < lookUntil_) orbit.centre = LookingPlace(r, v);
        }
        const CPointF a = orbit.centre;
        const double radius = orbit.radius;
        // Measured in a space where the view's squash is undone, so the orbit is round.
        const double rx = double(v.x) - a.x, ry = 2.0 * (double(v.y) - a.y);
        const double distance = std::max(1.0, std::hypot(rx, ry));
        if (!any || (orbit.park && distance < kOrbit)) {
            Release();
            return false;
        }
        const double ux = rx / distance, uy = ry / distance;
        double wantX, wantY;
        if (orbit.park) {
            wantX = -rx;
            wantY = -ry;
        } else if (distance > 2.0 * radius) {
            // From afar the driver comes in along a tangent of the orbit, in the orbit's own
            // sense, so that it never passes near the animal and drives it off.
            const double t = std::acos(radius / distance), c = std::cos(t), sn = std::sin(t);
            const double wx = ux * c - uy * sn, wy = ux * sn + uy * c;
            wantX = a.x + radius * wx - v.x;
            wantY = 2.0 * a.y + radius * wy - 2.0 * v.y;
        } else {
            const double pull = std::clamp((distance - radius) / kOrbit, -1.0, 1.0);
            wantX = -uy - pull * ux;
            wantY = ux - pull * uy;
        }
        // Walls ahead push the way aside, but for one the orbit takes in.
        const double want = std::max(1e-6, std::hypot(wantX, wantY));
        wantX /= want;
        wantY /= want;
        for (const CRect16& wall : Walls(r)) {
            const CPointF w = NearestOf(wall, v);
            const double wx = double(v.x) - w.x, wy = 2.0 * (double(v.y) - w.y);
            const double d = std::max(1.0, std::hypot(wx, wy));
            const CPointF inside = NearestOf(wall, a);
            if (std::hypot(double(inside.x) - a.x, 2.0 * (double(inside.y) - a.y)) < radius) continue;
            if (d < kWallReach) {
                wantX += wx / d * (kWallReach - d) / 30.0;
                wantY += wy / d * (kWallReach - d) / 30.0;
            }
        }
        // So does the map's edge.
        const CRect16 map = r->GetMapRect();
        const double mx = (map.left + map.right) / 2.0 - v.x, my = 2.0 * ((map.top + map.bottom) / 2.0 - v.y);
        const double m = std::max(1.0, std::hypot(mx, my)), room = Clearance(r, v);
        if (room < 40.0) {
            wantX += mx / m * (40.0 - room) / 10.0;
            wantY += my / m * (40.0 - room) / 10.0;
        }
        Vec3 h;
        vehicle->GetHeadingVector(&h);
        const double cross = double(h.x) * wantY - 2.0 * double(h.y) * wantX;
        // Facing straight away from the way the cross product is small too: turn round then.
        const bool away = double(h.x) * wantX + 2.0 * double(h.y) * wantY < 0.0;
        Hold(kRight, cross > 0.05 || (away && cross >= -0.05));
        Hold(kLeft, cross < -0.05);
        return true;
    }

    BotInput input_;
    Phase phase_ = Phase::StartPanel;
    /// The current activity, since when it or the phase is; the last press of SPACE.
    CurrentSince current_;
    uint32_t spacePressed_ = 0;
    /// Since when the vehicle waits for an animal with room round it (0: it does not), and
    /// until when it looks for one.
    uint32_t waitingSince_ = 0;
    uint32_t lookUntil_ = 0;
    /// The animal being rounded up.
    DRoundUp* chosen_ = nullptr;
};

} // namespace

std::unique_ptr<MiniGameDriver> MakeRoundUpDriver(BotInput input) { return std::make_unique<RoundUpDriver>(std::move(input)); }

} // namespace vqt::test
