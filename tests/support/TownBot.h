#pragma once
// A player for the towns' scenario runs. Each frame it reads the current world and answers with
// window messages only (the pointer, clicks and keys the scenario's script plays): it chooses
// the pointer drive, then steers after the task the town's test puts first, else the nearest
// open task it names or, without one, the guide arrow's target, and presses the world (the
// vehicle's action) once the target lies within reach. Across the map it keeps to the generator's roads: a far target is
// reached along the vehicle's road to the crossing with the road nearest the target. A place
// it keeps circling without reaching it, it drives away from and comes at again in a straight run.
// When nothing gets done for long while the vehicle keeps to one spot, it tries another way; so
// it does when nothing gets done for longer still wherever the vehicle goes. With a chain in tow
// it comes onto a place along the road the place lies on. Its pointer keeps to the line toward
// its aim where the view's edge would put it on something in the way, and keeps clear of the
// town's certificate button; its clicks keep off a question's yes button near an area that asks.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "game/world/TLVWorldActivity.h"
#include "game/world/vehicles/VIsometric.h"
#include "tools/synthetic/ScreenButtons.h"

namespace vqt::test {

/// The roads of a generated town: x of the roads down, y of the roads across.
struct TownRoads {
    std::vector<float> down;
    std::vector<float> across;
};

class TownBot {
public:
    /// A prop the bot should go for, and whether the action reaches it (spraying, throwing).
    struct Task {
        std::function<bool(OActivityProp*)> open;
        std::function<bool(OActivityProp*)> needsAction;
        /// Where to go before any other task (a chain of followers complete: their home);
        /// null or empty for none.
        std::function<OActivityProp*(TLVWorld_Activity*)> first;
        /// Counts circling only while the vehicle comes no nearer to the place: a slow vehicle
        /// held up on its way is still closing in when the usual time runs out.
        bool patient = false;
        /// Set, it paces the bot: nothing is sent while it counts earlier messages waiting (the
        /// program takes one message a frame, so a click's three would otherwise pile up and the
        /// pointer lag ever further behind).
        std::function<size_t()> messagesWaiting;
        /// When set, a new target of the action is first come at from the side facing the
        /// vehicle, not from below: a character touched on the way round it runs off.
        bool nearSide = false;
        /// When set, a target of the action this near is driven straight at, the action pressed
        /// whenever it lies within reach, rather than come at from its stand-off point: one that
        /// runs off never waits there.
        float chaseWithin = 0.0f;
        /// How far ahead of the vehicle the action comes down (the spray's drops), and the
        /// targets of the action come at up the road below them (the spray puts a fire out only
        /// as its drops fly up across its foot): the way leads to a road across well below the
        /// point the action is pressed at and up from there; heading up the column below the
        /// target the vehicle keeps to its line, straightens up before the target lies within
        /// the drops' flight and presses the action while it does; a target passed or come too
        /// near is come at again.
        float actionReach = 0.0f;
        std::function<bool(OActivityProp*)> upTheRoad;
        /// When set, a vehicle stuck turns back the way it came this long before going on (a
        /// bystander it stopped for, or a prop it pushes, stays in its way otherwise).
        uint32_t backOffMs = 0;
        /// When set, the vehicle turns wide (a chain in tow): a corner of the way passed close by
        /// counts as reached, and a target of the action it circles while chasing it is driven
        /// off from and come at in a straight run, as a place is.
        bool wideTurns = false;
        /// When set, a target not done this long is left to the others for as long again.
        uint32_t giveUpMs = 0;
    };
    static constexpr float kReach = 300.0f;
    /// How much farther than it lies a target left for a while counts.
    static constexpr double kLeftBehind = 1e6;
    /// How far below a target of the action the vehicle turns to it.
    static constexpr float kStandOff = 180.0f;
    /// Coming up the road: the action is pressed while the target lies kReachShort to
    /// kReachShort + kReachWindow short of the action's reach, within kAligned of its line, the
    /// vehicle heading straight up (kUpward), every drop crossing the foot a chance; kTooNear
    /// nearer the target it is come at again.
    static constexpr float kReachShort = 75.0f, kReachWindow = 100.0f, kAligned = 12.0f, kUpward = 0.99f;
    static constexpr float kTooNear = 60.0f;
    /// The line is kept by aiming kLane ahead: one heading off straight (kHeadingStep to the
    /// side per unit ahead) toward the line while the vehicle strays more than kLaneSlack from
    /// it, straight up otherwise and from kStraighten before the window on. A wider turn, or
    /// one the more the vehicle strays, sways it past the line and back before it straightens.
    static constexpr float kLane = 150.0f, kHeadingStep = 0.4f, kLaneSlack = 3.0f, kStraighten = 50.0f;
    /// The least run up the road to the point the action is pressed at: the vehicle comes off
    /// its turn onto the road swaying.
    static constexpr float kLineRunUp = 250.0f;
    /// Standing within this distance this long counts as stuck.
    static constexpr float kStuckDistance = 25.0f;
    static constexpr uint32_t kStuckMs = 2500;
    /// How near a corner of the way counts as reached.
    static constexpr float kCorner = 90.0f;
    /// How near a corner the vehicle came that it passed.
    static constexpr float kCornerPassed = 250.0f;
    static constexpr uint32_t kActionGapMs = 600;
    /// Circling this near a place this long: it drives off this far and comes back
    /// straight (the vehicle turns too wide to reach a place it passed close by).
    static constexpr uint32_t kCirclingMs = 4000;
    static constexpr float kRunUp = 600.0f;
    /// How far ahead of the vehicle the pointer goes, at the least, toward a chased target.
    static constexpr float kChaseAhead = 200.0f;
    /// The room kept round the town's certificate button (a crate standing on its foot in the
    /// view's top right corner): the corner right of and above it by this much.
    static constexpr int kButtonRoom = 40;
    /// The room kept round the place of a question's yes button while the vehicle is within
    /// kAreaNear of a place that asks (areas 0 to kLastAskingArea).
    static constexpr CPoint16 kYesRoom{80, 50};
    static constexpr float kAreaNear = 300.0f;
    static constexpr int kLastAskingArea = 4;
    /// Nothing done this long (the open tasks and the chain in tow as they were) on one spot:
    /// the bot tries another way. The vehicle backs off for kWayOffMs, the target is left to
    /// the others for as long again and is come at afresh from the next side. A window's frames
    /// come at times of their own, and a way that works on one clock may keep the vehicle stuck
    /// on another.
    static constexpr uint32_t kNoProgressMs = 40000, kWayOffMs = 3000;
    /// Nothing done this long wherever the vehicle went: another way as well.
    static constexpr uint32_t kStalledMs = 2 * kNoProgressMs;
    /// How far the vehicle drives off the spot it was on to count as going somewhere.
    static constexpr float kRoamed = 700.0f;

    TownBot(TownRoads roads, Task task) : roads_(std::move(roads)), task_(std::move(task)) {}

    /// The messages for this frame (times relative to the script's load); "" for none.
    std::string Step(TLVWorld_Activity* world, uint32_t now) {
        auto* vehicle = world ? dynamic_cast<VIsometric*>(world->GetVehicle()) : nullptr;
        if (!vehicle || world->IsPanelShown(-1)) return "";
        if (task_.messagesWaiting && task_.messagesWaiting() > 0) return "";
        std::string out;
        if (!modeChosen_) {
            modeChosen_ = true;
            return "0 WM_KEYDOWN 49 0 0 0\n40 WM_KEYUP 49 0 0 0\n";
        }
        OActivityProp* target = task_.first ? task_.first(world) : nullptr;
        const bool comesFirst = target != nullptr;
        if (!target) target = NearestTask(world, vehicle->GetPosition(), now);
        // A target not done for long is left to the others for as long again.
        if (target != pursued_) {
            pursued_ = target;
            pursuedSince_ = now;
        } else if (task_.giveUpMs && now > pursuedSince_ + task_.giveUpMs && !comesFirst) {
            restUntil_ = now + task_.giveUpMs;
            resting_ = target;
        }
        if (!target) target = world->GetGuideTarget();
        if (!target) return "";
        const CPointF at = vehicle->GetPosition(), goal = target->GetPosition();
        const bool action = task_.needsAction(target);
        const bool upTheRoad = action && task_.actionReach > 0.0f && task_.upTheRoad && task_.upTheRoad(target);
        // Coming up the road, how far below the target the action is pressed.
        const float pressFar = task_.actionReach - kReachShort, pressNear = pressFar - kReachWindow;
        // Nothing done for long while the vehicle kept to one spot (standing, or circling a
        // place or a target): another way. A chase across the map is left to go on, and so is
        // a target come at up the road (it is passed and come at again by design).
        // Nothing done for longer still, the vehicle going about or not: another way all the
        // same (a chain in tow circling the place it is to be taken to); but for a target come
        // at up the road.
        roamed_ = std::max(roamed_, std::hypot(at.x - anchor_.x, at.y - anchor_.y));
        if (const int64_t done = Done(world); done != done_ || now > doneAt_ + kNoProgressMs) {
            const bool stalled = done == done_ && now >= changedAt_ + kStalledMs && !upTheRoad;
            if (done == done_ && ((roamed_ < kRoamed && !upTheRoad) || stalled))
                TryAnotherWay(*vehicle, comesFirst ? nullptr : target, now);
            if (done != done_ || stalled) changedAt_ = now;
            done_ = done;
            doneAt_ = now;
            anchor_ = at;
            roamed_ = 0.0f;
        }
        // The action reaches what lies ahead: the vehicle comes at such a target from below,
        // or, when it stays stuck, from the next side.
        const CPointF approach = action ? StandOff(goal, side_) : goal;
        if (std::hypot(at.x - still_.x, at.y - still_.y) > kStuckDistance) {
            still_ = at;
            stillSince_ = now;
        } else if (now > stillSince_ + kStuckMs) {
            if (!upTheRoad) ++side_;
            stillSince_ = now;
            routed_ = nullptr;
            if (task_.backOffMs) BackOff(*vehicle, now + task_.backOffMs);
        }
        // With a chain in tow the vehicle turns too wide to come onto a place from aside: it
        // comes along the road the place lies on.
        const bool lineUp = !action && task_.wideTurns && world->CountFollowers() > 0;
        // Too near to reach, or past it: down to the road below and up again.
        if (upTheRoad && facing_ && target == routed_ && at.y < goal.y + pressNear - kTooNear)
            routed_ = nullptr;
        if (target != routed_) {
            if (routed_ && target != routed_) side_ = 0;
            if (action && task_.nearSide) {
                float best = -1e12f;
                for (uint32_t i = 0; i < 4; ++i) {
                    const float toward = kSides[i].x * (at.x - goal.x) + kSides[i].y * (at.y - goal.y);
                    if (toward > best) best = toward, side_ = i;
                }
            }
            nearSince_ = 0;
            nearest_ = 1e9f;
            runningUp_ = false;
            routed_ = target;
            cornerNearest_ = 1e9f;
            if (upTheRoad) {
                const CPointF sprayAt(goal.x, goal.y + task_.actionReach);
                route_ = Route(at, CPointF(goal.x, AcrossBelow(sprayAt.y + kLineRunUp)));
                route_.push_back(sprayAt);
            } else {
                // A place with something in the straight way (the dog house before its door) is
                // come at over the roads even from near.
                const bool blocked = !action && !TLVWorld_Activity::IsBlocking(target) && !world->CanMoveTo(at, goal, 1, 1);
                if (lineUp) route_ = LinedUp(at, goal);
                else route_ = Route(at, action ? StandOff(goal, side_) : goal, blocked); // its side may have changed
            }
            facing_ = false;
        }
        while (route_.size() > 1 && std::hypot(route_.front().x - at.x, route_.front().y - at.y) < kCorner) {
            route_.erase(route_.begin());
            cornerNearest_ = 1e9f;
        }
        // A corner passed close by, the vehicle turning too wide to reach it: the next one.
        if (task_.wideTurns && route_.size() > 1) {
            const float left = std::hypot(route_.front().x - at.x, route_.front().y - at.y);
            if (cornerNearest_ < kCornerPassed && left > cornerNearest_ + kCorner) {
                route_.erase(route_.begin());
                cornerNearest_ = 1e9f;
            } else {
                cornerNearest_ = std::min(cornerNearest_, left);
            }
        }
        // A place whose straight way is blocked (the dog house above its door, a house below
        // it) is come at over the roads again once the way's corners are passed: the last leg
        // runs along the road the place lies on. A target that stops the vehicle itself (a crate
        // it breaks) blocks its own way.
        const bool placeHidden = !action && !TLVWorld_Activity::IsBlocking(target) && route_.size() <= 1 && !runningUp_ &&
                                 std::hypot(goal.x - at.x, goal.y - at.y) > kCorner && !world->CanMoveTo(at, goal, 1, 1);
        if ((placeHidden || (lineUp && route_.size() <= 1 && !OnTheRoadTo(at, goal))) && now >= replanAt_) {
            route_ = lineUp ? LinedUp(at, goal) : Route(at, goal, true);
            cornerNearest_ = 1e9f;
            replanAt_ = now + kCirclingMs;
        }
        if (action && !upTheRoad && std::hypot(approach.x - at.x, approach.y - at.y) < kCorner) facing_ = true;
        // Up the column below it from the crossing below.
        if (upTheRoad && route_.size() <= 1 && std::fabs(at.x - goal.x) < kCorner && at.y > goal.y) facing_ = true;
        if (action && !upTheRoad && task_.chaseWithin > 0.0f && std::hypot(goal.x - at.x, goal.y - at.y) < task_.chaseWithin)
            facing_ = true;
        CPointF aim = facing_ ? goal : route_.size() > 1 ? route_.front() : approach;
        if (upTheRoad && facing_) {
            const float off = goal.x - at.x;
            const bool steer = std::fabs(off) > kLaneSlack && at.y - goal.y > pressFar + kStraighten;
            aim = CPointF(at.x + (steer ? std::copysign(kHeadingStep * kLane, off) : 0.0f), at.y - kLane);
        }
        const bool chasedWide = action && facing_ && !upTheRoad && task_.wideTurns;
        if (!action || chasedWide) {
            // Onto a place (or a target chased): through it rather than stopping short.
            const float left = std::hypot(goal.x - at.x, goal.y - at.y);
            if (route_.size() <= 1 && left > 1.0f && left < kReach)
                aim = CPointF(goal.x + (goal.x - at.x) / left * 20, goal.y + (goal.y - at.y) / left * 20);
            if (left >= kRunUp) runningUp_ = false;
            // A patient bot counts circling from the last time the vehicle came nearer; so does
            // one with a chain in tow, which comes at a place too slowly to reach it in the
            // usual time from the run-up's length.
            const bool patient = task_.patient || (task_.wideTurns && world->CountFollowers() > 0);
            if (left >= kRunUp || runningUp_ || (patient && left < nearest_ - kStuckDistance)) {
                nearSince_ = 0;
                nearest_ = left;
            }
            if (left < kRunUp && !runningUp_ && nearSince_ == 0) {
                nearSince_ = now;
            } else if (left < kRunUp && !runningUp_ && now > nearSince_ + kCirclingMs) {
                if (placeHidden || lineUp) {
                    nearSince_ = 0; // a straight run would end on what stands in the way
                } else {
                    runningUp_ = true;
                    route_ = {goal}; // and then straight at it
                }
            }
            if (runningUp_ && left > 1.0f)
                aim = CPointF(at.x + (at.x - goal.x) / left * kRunUp, at.y + (at.y - goal.y) / left * kRunUp);
        }
        const float d = std::hypot(goal.x - at.x, goal.y - at.y);
        // A chased target close by: the pointer well past it, or the vehicle stops short.
        if (action && !upTheRoad && facing_ && task_.chaseWithin > 0.0f && d > 1.0f && d < kChaseAhead)
            aim = CPointF(at.x + (goal.x - at.x) / d * kChaseAhead, at.y + (goal.y - at.y) / d * kChaseAhead);
        if (now < backUntil_) aim = backTo_;
        const CRect16 view = world->GetVisibleRect();
        int x = Clamp(int(aim.x) - view.left, 20, view.right - view.left - 20);
        int y = Clamp(int(aim.y) - view.top, 20, view.bottom - view.top - 20);
        // The pointer drive steers only to a pointer the vehicle can drive straight to: one
        // that the view's edge put onto something in the way goes where the line to the aim
        // leaves the view instead.
        if (!world->CanMoveTo(at, CPointF(float(x + view.left), float(y + view.top)), 1, 1)) {
            const CPoint16 kept = PointerToward(view, at, aim);
            x = kept.x;
            y = kept.y;
        }
        // The town's certificate button sits in the top right corner of the view: the pointer
        // (and so every click of the action) stays clear of it, nearer the vehicle on its line.
        if (NearCertificateButton(x, y)) {
            const CPoint16 clear = ClearOfCertificateButton(CPointF(at.x - view.left, at.y - view.top), CPoint16(int16_t(x), int16_t(y)));
            x = clear.x;
            y = clear.y;
        }
        out += "0 WM_MOUSEMOVE 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
        bool inReach = d < kReach;
        if (upTheRoad) {
            // Heading straight up with the target well within the drops' flight.
            const CPointF h = UnitHeading(*vehicle);
            const float below = at.y - goal.y;
            inReach = h.y < -kUpward && std::fabs(at.x - goal.x) < kAligned && below <= pressFar && below >= pressNear;
        }
        if (action && facing_ && inReach && now >= lastAction_ + kActionGapMs && !NearCertificateButton(x, y) &&
            !(NearQuestionYes(x, y) && AreaNear(world, at))) {
            lastAction_ = now;
            out += "10 WM_LBUTTONDOWN 1 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
            out += "30 WM_LBUTTONUP 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
        }
        return out;
    }

    /// The nearest open task by straight distance; null when none is open.
    OActivityProp* NearestTask(TLVWorld_Activity* world, const CPointF& from, uint32_t now = 0) const {
        OActivityProp* best = nullptr;
        double bestDistance = 1e12;
        // The target left for a while only when it is the last.
        const OActivityProp* skipped = now < restUntil_ ? resting_ : nullptr;
        for (int list = 0; list < TLVWorld_Activity::kPropLists; ++list) {
            const CDynArray<OActivityProp*>& props = world->GetList(list);
            for (int32_t i = 0; i < props.Count(); ++i) {
                OActivityProp* prop = props.GetAt(i);
                if (!task_.open(prop)) continue;
                double d = std::hypot(double(prop->GetPosition().x) - from.x, double(prop->GetPosition().y) - from.y);
                if (prop == skipped) d += kLeftBehind;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = prop;
                }
            }
        }
        return best;
    }

    /// The way to a goal over the roads: onto the nearer road, along it to the crossing with
    /// the road nearest the goal, along that one to the goal's side, then the goal.
    /// Near the goal, the way is straight unless `overRoads`.
    std::vector<CPointF> Route(const CPointF& at, const CPointF& goal, bool overRoads = false) const {
        if (!overRoads && std::hypot(goal.x - at.x, goal.y - at.y) < 2 * kReach) return {goal};
        const float myDown = Nearest(roads_.down, at.x), myAcross = Nearest(roads_.across, at.y);
        const float goalDown = Nearest(roads_.down, goal.x), goalAcross = Nearest(roads_.across, goal.y);
        if (std::fabs(at.x - myDown) < std::fabs(at.y - myAcross))
            return {CPointF(myDown, at.y), CPointF(myDown, goalAcross), CPointF(goal.x, goalAcross), goal};
        return {CPointF(at.x, myAcross), CPointF(goalDown, myAcross), CPointF(goalDown, goal.y), goal};
    }

    /// Whether a point of the view lies in its top right corner that holds the town's
    /// certificate button, with room round the button.
    static bool NearCertificateButton(int x, int y) {
        return x >= buttons::kTownCertificateFoot.x - kButtonRoom && y <= buttons::kTownCertificateFoot.y + kButtonRoom;
    }
    /// Whether a point of the view lies on or next to the place of a question's yes button: a
    /// click there on the vehicle's way into an area that asks lands on the panel opening.
    static bool NearQuestionYes(int x, int y) {
        return std::abs(x - buttons::kQuestionYes.x) <= kYesRoom.x && std::abs(y - buttons::kQuestionYes.y) <= kYesRoom.y;
    }
    /// Whether the vehicle is near a place that asks a question (the way out, the game areas).
    static bool AreaNear(TLVWorld_Activity* world, const CPointF& at) {
        for (int area = 0; area <= kLastAskingArea; ++area) {
            const OActivityProp* point = world->GetWayPoint(area);
            if (point && std::hypot(point->GetPosition().x - at.x, point->GetPosition().y - at.y) < kAreaNear) return true;
        }
        return false;
    }
    /// The point on the line from `from` (the vehicle in the view) to `pointer` nearest the
    /// pointer that lies clear of the certificate button; left of it when the vehicle itself
    /// stands in the corner.
    static CPoint16 ClearOfCertificateButton(const CPointF& from, CPoint16 pointer) {
        for (int step = 32; step >= 0; --step) {
            const float t = float(step) / 32.0f;
            const int x = int(std::lround(from.x + t * (pointer.x - from.x))), y = int(std::lround(from.y + t * (pointer.y - from.y)));
            if (!NearCertificateButton(x, y)) return CPoint16(int16_t(x), int16_t(y));
        }
        return CPoint16(int16_t(buttons::kTownCertificateFoot.x - kButtonRoom - 1), pointer.y);
    }

    /// The way onto a place along the road it lies on: over the roads to the crossing before it
    /// on the vehicle's side, then along that road through it; straight on from the road there.
    std::vector<CPointF> LinedUp(const CPointF& at, const CPointF& goal) const {
        if (OnTheRoadTo(at, goal)) return {goal};
        std::vector<CPointF> way = Route(at, CrossingBefore(at, goal), true);
        way.push_back(goal);
        return way;
    }

    /// The pointer in the view (its 20 px margin) toward `aim` from the vehicle at `at`: the
    /// aim itself when the view holds it, else where the line from the vehicle to it leaves
    /// the view.
    static CPoint16 PointerToward(const CRect16& view, const CPointF& at, const CPointF& aim) {
        const float lo = 20.0f, hiX = float(view.right - view.left - 20), hiY = float(view.bottom - view.top - 20);
        const float vx = std::clamp(at.x - view.left, lo, hiX), vy = std::clamp(at.y - view.top, lo, hiY);
        const float dx = aim.x - view.left - vx, dy = aim.y - view.top - vy;
        float t = 1.0f;
        if (vx + dx > hiX) t = std::min(t, (hiX - vx) / dx);
        if (vx + dx < lo) t = std::min(t, (lo - vx) / dx);
        if (vy + dy > hiY) t = std::min(t, (hiY - vy) / dy);
        if (vy + dy < lo) t = std::min(t, (lo - vy) / dy);
        return CPoint16(int16_t(Clamp(int(std::lround(vx + t * dx)), int(lo), int(hiX))),
                        int16_t(Clamp(int(std::lround(vy + t * dy)), int(lo), int(hiY))));
    }

    /// How often the bot tried another way for nothing done.
    uint32_t WaysTried() const { return waysTried_; }

private:
    /// What is done so far, as one figure: the open tasks fewer, or the chain in tow longer,
    /// changes it.
    int64_t Done(TLVWorld_Activity* world) const {
        int64_t open = 0;
        for (int list = 0; list < TLVWorld_Activity::kPropLists; ++list) {
            const CDynArray<OActivityProp*>& props = world->GetList(list);
            for (int32_t i = 0; i < props.Count(); ++i) open += task_.open(props.GetAt(i)) ? 1 : 0;
        }
        return int64_t(world->CountFollowers()) * 100000 - open;
    }
    /// Back the way it came, else off to one side or the other, until `until`.
    void BackOff(VIsometric& vehicle, uint32_t until) {
        const CPointF at = vehicle.GetPosition(), h = UnitHeading(vehicle);
        static constexpr float kTurns[][2] = {{-1, 0}, {0, 1}, {0, -1}};
        const float* turn = kTurns[backOffs_++ % 3];
        const CPointF away(h.x * turn[0] - h.y * turn[1], h.x * turn[1] + h.y * turn[0]);
        backTo_ = CPointF(at.x + away.x * kRunUp, at.y + away.y * kRunUp);
        backUntil_ = until;
    }
    /// Off for a while, the target (null: one that comes first) left to the others, and
    /// the way to whatever comes next planned afresh from the next side.
    void TryAnotherWay(VIsometric& vehicle, const OActivityProp* target, uint32_t now) {
        ++waysTried_;
        BackOff(vehicle, now + kWayOffMs);
        if (target) {
            resting_ = target;
            restUntil_ = now + kNoProgressMs;
        }
        ++side_;
        routed_ = nullptr;
        runningUp_ = false;
        nearSince_ = 0;
    }
    /// Whether the place lies on a road across (else on a road down).
    bool OnRoadAcross(const CPointF& goal) const {
        return std::fabs(goal.y - Nearest(roads_.across, goal.y)) <= std::fabs(goal.x - Nearest(roads_.down, goal.x));
    }
    /// The crossing on the place's road next to it on the vehicle's side (kRunUp along the road
    /// when the road has no crossing there).
    CPointF CrossingBefore(const CPointF& at, const CPointF& goal) const {
        if (OnRoadAcross(goal))
            return CPointF(Beside(roads_.down, goal.x, at.x < goal.x), Nearest(roads_.across, goal.y));
        return CPointF(Nearest(roads_.down, goal.x), Beside(roads_.across, goal.y, at.y < goal.y));
    }
    /// Whether the vehicle keeps to the place's road between that crossing and the place.
    bool OnTheRoadTo(const CPointF& at, const CPointF& goal) const {
        const CPointF from = CrossingBefore(at, goal);
        const bool across = OnRoadAcross(goal);
        const float off = across ? at.y - from.y : at.x - from.x;
        const float along = across ? at.x : at.y, lo = across ? std::min(from.x, goal.x) : std::min(from.y, goal.y),
                    hi = across ? std::max(from.x, goal.x) : std::max(from.y, goal.y);
        return std::fabs(off) < kCorner && along >= lo && along <= hi;
    }
    /// The line next to `v` below it (`below`) or above it; kRunUp from `v` when there is none.
    static float Beside(const std::vector<float>& lines, float v, bool below) {
        float best = below ? v - kRunUp : v + kRunUp;
        bool found = false;
        for (float line : lines)
            if ((below ? line < v - 1.0f : line > v + 1.0f) && (!found || std::fabs(line - v) < std::fabs(best - v))) best = line, found = true;
        return best;
    }
    static float Nearest(const std::vector<float>& lines, float v) {
        float best = lines.empty() ? v : lines.front();
        for (float line : lines)
            if (std::fabs(line - v) < std::fabs(best - v)) best = line;
        return best;
    }
    static int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
    /// The sides a target of the action is come at from: below, left, right, above.
    static constexpr CPointF kSides[] = {{0, 1}, {-1, 0}, {1, 0}, {0, -1}};
    /// The point kStandOff from the target on side `side`.
    static CPointF StandOff(const CPointF& goal, uint32_t side) {
        const CPointF& s = kSides[side % 4];
        return CPointF(goal.x + s.x * kStandOff, goal.y + s.y * kStandOff);
    }
    /// The road across next below `y`; `y` itself below the last.
    float AcrossBelow(float y) const {
        float below = y;
        for (float line : roads_.across)
            if (line > y && (below == y || line < below)) below = line;
        return below;
    }
    /// The vehicle's heading as a unit vector on the map.
    static CPointF UnitHeading(VIsometric& vehicle) {
        Vec3 heading;
        vehicle.GetHeadingVector(&heading);
        const float length = std::hypot(heading.x, heading.y);
        return length > 0.0f ? CPointF(heading.x / length, heading.y / length) : CPointF(0.0f, 0.0f);
    }

    TownRoads roads_;
    Task task_;
    bool modeChosen_ = false;
    const OActivityProp* routed_ = nullptr;
    /// Set once the vehicle stands beside its target and turns to it.
    bool facing_ = false;
    /// The side it comes at the target from, and how long it stood still.
    uint32_t side_ = 0;
    CPointF still_;
    uint32_t stillSince_ = 0;
    std::vector<CPointF> route_;
    /// The nearest the vehicle came to the next corner.
    float cornerNearest_ = 1e9f;
    uint32_t lastAction_ = 0;
    /// Since when the vehicle is within reach of the place it goes to (0: not), and whether it
    /// drives off for a straight run at it.
    uint32_t nearSince_ = 0;
    bool runningUp_ = false;
    /// The nearest the vehicle came to that place since it last came nearer.
    float nearest_ = 1e9f;
    /// The target pursued and since when; the one left for a while, and until when.
    const OActivityProp* pursued_ = nullptr;
    uint32_t pursuedSince_ = 0;
    const OActivityProp* resting_ = nullptr;
    uint32_t restUntil_ = 0;
    /// Where the vehicle turns back to once stuck, and until when.
    CPointF backTo_;
    uint32_t backUntil_ = 0;
    uint32_t backOffs_ = 0;
    /// What was done when last seen, and since when it stands.
    int64_t done_ = 0;
    uint32_t doneAt_ = 0;
    /// When what is done last changed (or the bot last tried another way for nothing done).
    uint32_t changedAt_ = 0;
    /// Where the vehicle was then, and the farthest it drove off since.
    CPointF anchor_;
    float roamed_ = 0.0f;
    /// When a place hidden from the vehicle is next given a way over the roads.
    uint32_t replanAt_ = 0;
    uint32_t waysTried_ = 0;
};

} // namespace vqt::test
