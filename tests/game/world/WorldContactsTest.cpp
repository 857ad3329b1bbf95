// The vehicle in a driving world: its contacts with blocker walls, the way out when blocked,
// way points, pushes, a token run over, the move tests against a pixel model, and the draw
// order of the props around the vehicle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/base/Segment.h"
#include "engine/core/PropertyMsg.h"
#include "game/shell/Pushable.h"
#include "game/world/vehicles/VIsometric.h"
#include "game/world/vehicles/VehicleHeadings.h"
#include "game/world/vehicles/VehiclePartValues.h"
#include "game/shell/Player.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

constexpr uint32_t kContactWorldClass = 503; // the zoo town's class, taken over by the test world
constexpr uint16_t kContactWorld = 75;
constexpr uint16_t kCarPart = 3310, kCarShadow = 3311;
/// A car of the same states drawn 48 x 28, and a 12 x 44 tree, for pictures of the draw order.
constexpr uint16_t kBigCarPart = 3312, kTreePart = 3313;
/// A car that tows a companion (a reel of 16 x 16, its contact shape), and a house 240 x 100.
constexpr uint16_t kReelCarPart = 3314, kHousePart = 3315;
constexpr uint8_t kReelPart = 251; ///< a part byte names the companion
constexpr int kReelSide = 16, kHouseWidth = 240, kHouseHeight = 100;
constexpr int16_t kHalfWidth = 12, kHalfLength = 30;
constexpr int kProp = 10; ///< every test prop is 10 x 10 and solid

/// 64 states (two groups of 32 headings) of 8 x 8, base value 2.
PartPlan CarPart(uint16_t shadow) {
    PartPlan part;
    for (int s = 0; s < 64; ++s)
        part.states.push_back(StatePlan{
            .frames = {{.picture = Picture(8, 8, uint8_t(s % 200 + 1)), .hotX = 4, .hotY = 4}},
                                        .propertyValue = 2});
    part.words[0] = shadow;
    return part;
}

/// Each heading's picture in a colour of its own, with a dark band along its lower edge.
PartPlan BigCarPart() {
    PartPlan part = CarPart(kCarShadow);
    for (int s = 0; s < 64; ++s) {
        Picture body(48, 28, uint8_t(s * 3 % 200 + 30));
        for (int x = 0; x < 48; ++x) body.at(x, 27) = body.at(x, 26) = 1;
        part.states[size_t(s)].frames = {{.picture = body, .hotX = 24, .hotY = 14}};
    }
    return part;
}

PartPlan TreePart() {
    PartPlan part;
    part.states.push_back(StatePlan{.frames = {{.picture = Picture(12, 44, 250), .hotX = 6, .hotY = 22}}});
    return part;
}

/// A solid single-state part of w x h, hot spot in the middle.
PartPlan SolidPart(int w, int h, uint8_t colour) {
    PartPlan part;
    const FramePlan frame{.picture = Picture(w, h, colour), .hotX = int16_t(w / 2), .hotY = int16_t(h / 2)};
    part.states.push_back(StatePlan{.frames = {frame}});
    return part;
}

PartPlan ShadowPart() {
    PartPlan part;
    part.states.push_back(StatePlan{.frames = {{.picture = Picture(8, 8, 9), .hotX = 4, .hotY = 4}}});
    part.words[0] = uint16_t(kHalfWidth);
    part.words[1] = uint16_t(kHalfLength);
    return part;
}

/// A world that drives a real vehicle and remembers the areas it enters.
class ContactWorld : public TLVWorld_Activity {
public:
    ContactWorld() : TLVWorld_Activity("TLVWorld_Activity", kContactWorldClass) {
        SetVehiclePartId(MakeChunkId(2, vehiclePart));
    }
    /// The part of the vehicle the next world makes.
    static inline uint16_t vehiclePart = kCarPart;
    bool IsA(uint32_t classId) const override {
        return classId == kContactWorldClass || TLVWorld_Activity::IsA(classId);
    }
    void EnterArea(int32_t number, int32_t a, int32_t b, int32_t c, int32_t d) override {
        areas.push_back({number, a, b, c, d});
    }
    /// The tests press the vehicle's keys themselves: no driving mode steps it.
    void OnStep(int32_t /*index*/) override {}
    std::vector<std::vector<int32_t>> areas;

protected:
    TLVComplex_Object* MakeVehicle() override { return new VIsometric; }
};

std::vector<VIsometric*> gBlocked;
bool RecordBlocked(TLV_Object* vehicle) {
    gBlocked.push_back(static_cast<VIsometric*>(vehicle));
    return true;
}

/// The pixels of the straight line from a to b, in the order the line walks them.
std::vector<CPoint16> LinePixels(CPoint16 a, CPoint16 b) {
    std::vector<CPoint16> out;
    int x = a.x, y = a.y;
    const int dx = std::abs(b.x - x), dy = -std::abs(b.y - y), sx = x < b.x ? 1 : -1, sy = y < b.y ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        out.push_back(CPoint16(int16_t(x), int16_t(y)));
        if (x == b.x && y == b.y) return out;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

/// The rules of the move tests over solid square props, written from their description: a
/// prop stops a way that meets its box and has a pixel of the line on a solid pixel.
struct MoveModel {
    std::vector<CRect16> solids; ///< the boxes of the props that stop movers
    bool Solid(int x, int y) const {
        return std::any_of(solids.begin(), solids.end(), [&](const CRect16& r) { return r.ContainsPoint(x, y); });
    }
    static bool OnMap(int x, int y, bool band) {
        return x >= 0 && x < kMapWidth && y >= (band ? 0 : 50) && y < kMapHeight;
    }
    bool Accept(CPoint16 p, bool band) const { return OnMap(p.x, p.y, band) && !Solid(p.x, p.y); }
    /// The first pixel of the way on a prop whose box the way meets; false when none.
    bool FirstHit(CPoint16 a, CPoint16 b, CPoint16* hit) const {
        std::vector<CRect16> met;
        for (const CRect16& r : solids)
            if (SegmentMeetsRect(a.x, a.y, b.x, b.y, r)) met.push_back(r);
        for (const CPoint16& p : LinePixels(a, b))
            for (const CRect16& r : met)
                if (r.ContainsPoint(p.x, p.y)) return *hit = p, true;
        return false;
    }
    bool Free(CPoint16 a, CPoint16 b, bool band) const {
        CPoint16 hit;
        return OnMap(b.x, b.y, band) && !FirstHit(a, b, &hit);
    }
};

/// A point a quarter pixel on, which the move tests truncate and round alike.
CPointF QuarterOn(CPoint16 p) { return CPointF(p.x + 0.25f, p.y + 0.25f); }

/// The four move tests of the way from `a` to `b` (each a quarter pixel on) agree with the
/// model.
void ExpectMoveTestsMatchModel(TLVWorld_Activity& world, const MoveModel& model, CDynArray<OActivityProp*>& all,
                               CPoint16 a, CPoint16 b, bool band) {
    SCOPED_TRACE(std::to_string(a.x) + "," + std::to_string(a.y) + " -> " + std::to_string(b.x) + "," +
                 std::to_string(b.y) + (band ? " band" : ""));
    const auto f = QuarterOn;
    // Three tests truncate (toward zero), the way test rounds.
    const CPoint16 ta(int16_t(std::trunc(f(a).x)), int16_t(std::trunc(f(a).y)));
    const CPoint16 tb(int16_t(std::trunc(f(b).x)), int16_t(std::trunc(f(b).y)));
    EXPECT_EQ(world.AcceptPosition(f(b), 0, band), model.Accept(tb, band));
    EXPECT_EQ(world.IsMoveBoxFree(f(a), f(b), 0, band, &all, 0), model.Free(ta, tb, band));
    EXPECT_EQ(world.CanMoveTo(f(a), f(b), band, 0), model.Free(a, b, band));
    CPointF out;
    int32_t changed = 0;
    world.ResolveMove(&out, f(a), f(b), 0, &changed);
    // Off the map: the old position's pixel; a hit: its pixel; otherwise exactly the new position.
    CPoint16 hit;
    if (!MoveModel::OnMap(tb.x, tb.y, true)) EXPECT_EQ(out, CPointF(ta.x, ta.y));
    else if (model.FirstHit(ta, tb, &hit)) EXPECT_EQ(out, CPointF(hit.x, hit.y));
    else EXPECT_EQ(out, f(b));
}

class WorldContactsTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        gBlocked.clear();
        TLVWorld_Activity::escapeSide = 0;
        ContactWorld::vehiclePart = kCarPart;
        ASSERT_TRUE(xTLVFactory_Register(
            {kContactWorldClass, [] { return static_cast<OActivity*>(new ContactWorld); }, nullptr}));
    }
    void AddWorldData(GameData& data) override {
        data.parts.AddPart(CarPart(kCarShadow), kCarPart);
        data.parts.AddPart(ShadowPart(), kCarShadow);
        data.parts.AddPart(BigCarPart(), kBigCarPart);
        data.parts.AddPart(TreePart(), kTreePart);
        data.parts.AddPart(SolidPart(kReelSide, kReelSide, 77), kReelPart);
        PartPlan reelCar = CarPart(kCarShadow);
        reelCar.bytes[vehicle_part::kCompanionEntryByte - 1] = kReelPart;
        data.parts.AddPart(reelCar, kReelCarPart);
        data.parts.AddPart(SolidPart(kHouseWidth, kHouseHeight, 120), kHousePart);
        AddWorld(data, kContactWorld, kContactWorldClass, {});
    }
    /// The world shown on a later visit (no tutorial panel pauses it).
    ContactWorld* Show() {
        app->GetPlayer()->IncCounter(13);
        SwitchTo(kContactWorld);
        auto* world = dynamic_cast<ContactWorld*>(CurrentGameActivity());
        EXPECT_NE(world, nullptr) << traced();
        return world;
    }
    VIsometric* Car(ContactWorld* world, float x, float y, int32_t state) {
        auto* car = dynamic_cast<VIsometric*>(world->GetVehicle());
        EXPECT_NE(car, nullptr);
        if (!car) return nullptr;
        car->SetPosition(CPointF(x, y), 0, 1);
        car->SetState(state);
        car->onBlocked = &RecordBlocked;
        return car;
    }
    /// A prop the world's draw-order pass takes (listed, as activity data would mark it).
    template <class Prop>
    Prop* Listed(ContactWorld* world, Prop* prop, float x, float y, uint32_t id = 0) {
        Add(world, prop, x, y, id);
        struct {
            OPropertyMsg header{5, TLV_Object::kClassId, TLV_Object::kPropListed, 1};
            uint8_t payload[1] = {1};
        } listed;
        prop->HandleProperty(&listed.header, 1);
        return prop;
    }
    /// An L of blockers with its corner at (x, y), and a ring of blockers around (cx, cy).
    std::vector<Blocker*> Walls(ContactWorld* world) {
        std::vector<Blocker*> walls;
        for (int i = 0; i < 12; ++i) {
            walls.push_back(Add(world, new Blocker, 300.0f + kProp * i, 300));
            if (i > 0) walls.push_back(Add(world, new Blocker, 300, 300.0f + kProp * i));
        }
        for (int i = 0; i < 36; ++i) {
            const double a = i * 10.0 * 3.14159265358979323846 / 180.0;
            walls.push_back(Add(world, new Blocker, float(std::lround(750 + 90 * std::cos(a))),
                                float(std::lround(550 + 90 * std::sin(a)))));
        }
        return walls;
    }
    static CRect16 BoxOf(OActivityProp* prop) { return CWorldBuckets::BoxOf(prop); }
    static bool Overlap(const CRect16& a, const CRect16& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    }
};

// ---- Blocker walls ---------------------------------------------------------------------------

TEST_F(WorldContactsTest, SeededDrivesIntoBlockerWallsNeverCrossOne) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    const std::vector<Blocker*> walls = Walls(world);
    struct Start {
        float x, y;
        int32_t state;
    };
    // From outside the L toward it, inside the ring toward its wall, in both state groups.
    const Start starts[] = {{380, 250, 0}, {250, 380, 8},   {400, 400, 20},
                            {750, 550, 4}, {750, 550, 40}, {760, 540, 52}};
    uint32_t seed = 0;
    for (const Start& s : starts) {
        ++seed; // a seed of its own for each drive
        SCOPED_TRACE("seed " + std::to_string(seed) + " from " + std::to_string(int(s.x)) + "," +
                     std::to_string(int(s.y)) + " state " + std::to_string(s.state));
        xSRand(seed);
        VIsometric* car = Car(world, s.x, s.y, s.state);
        ASSERT_NE(car, nullptr);
        car->Halt();
        for (int frame = 0; frame < 180; ++frame) {
            if (frame % 30 == 0) {
                const int r = xRand() % 3;
                if (r == 0) car->TurnKeyNeg();
                else if (r == 1) car->TurnKeyPos();
                else car->TurnKeyUp();
                car->DriveKeyPos();
            }
            const CPointF before = car->GetPosition();
            const size_t blocked = gBlocked.size();
            Frames(1, kFrameMs);
            const CRect16 body = BoxOf(car->GetGroundRef());
            for (Blocker* wall : walls) ASSERT_FALSE(Overlap(body, BoxOf(wall))) << "frame " << frame;
            if (gBlocked.size() > blocked) {
                EXPECT_EQ(car->GetPosition(), before) << "a refused move stays";
            }
        }
    }
    EXPECT_FALSE(gBlocked.empty()) << "the drives met the walls";
}

TEST_F(WorldContactsTest, ABlockedVehicleTurnsInPlaceToAFreeHeadingInEitherGroup) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    // A wall to the right of the vehicle, 40 tall.
    std::vector<Blocker*> wall;
    for (int i = -2; i <= 2; ++i) wall.push_back(Add(world, new Blocker, 460, 500.0f + kProp * i));
    for (const int32_t state : {8, 40}) {
        SCOPED_TRACE("state " + std::to_string(state));
        VIsometric* car = Car(world, 420, 500, state); // heading 8: to the right
        ASSERT_NE(car, nullptr);
        car->Halt();
        car->DriveKeyPos();
        for (int frame = 0; frame < 200 && !car->IsHeadingGoalActive(); ++frame) Frames(1, kFrameMs);
        ASSERT_TRUE(car->IsHeadingGoalActive()) << "the wall was reached";
        const int32_t goal = car->GetHeadingGoal();
        EXPECT_GE(goal, 0);
        EXPECT_LT(goal, 32);
        EXPECT_EQ(car->GetSteerToTarget(), 0);
        const CPointF stop = car->GetPosition();
        for (int frame = 0; frame < 100 && car->IsHeadingGoalActive(); ++frame) Frames(1, kFrameMs);
        EXPECT_FALSE(car->IsHeadingGoalActive()) << "the turn ends";
        EXPECT_EQ(car->Heading(), goal);
        EXPECT_EQ(car->GetVariant(), state / 32) << "the group is kept";
        EXPECT_EQ(car->GetPosition(), stop) << "turned in place";
        CDynArray<OActivityProp*> props;
        for (Blocker* b : wall) props.Append(b);
        const Vec3& u = UnitHeadingTable[size_t(goal)];
        EXPECT_TRUE(world->IsMoveBoxFree(stop, CPointF(stop.x + 130 * u.x, stop.y + 130 * u.y), 1, 1, &props, 0))
            << "heading " << goal << " leads into free space";
    }
}

// ---- A wide house ---------------------------------------------------------------------------

TEST_F(WorldContactsTest, AVehicleDrivenIntoAWideHouseFromAnyHeadingStaysOutsideAndDrivesAway) {
    ContactWorld::vehiclePart = kReelCarPart;
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    auto* house = new Blocker;
    house->SetPartID(app->GetPartFile(), MakeChunkId(2, kHousePart), 1);
    house->SetPosition(CPointF(640, 480), 0, 0);
    world->AddChild(house);
    world->AddProp(house);
    const CRect16 outline = BoxOf(house);
    ASSERT_EQ(outline, CRect16(520, 430, 760, 530));
    VIsometric* car = Car(world, 200, 200, 0);
    ASSERT_NE(car, nullptr);
    OActivityProp* reel = car->GetChildProp();
    ASSERT_NE(reel, nullptr) << "the vehicle tows its companion";
    // The reel's box at a vehicle position (it sits on the vehicle's own position).
    auto reelAt = [](float x, float y) {
        const int16_t l = int16_t(std::lround(x)) - kReelSide / 2, t = int16_t(std::lround(y)) - kReelSide / 2;
        return CRect16(l, t, int16_t(l + kReelSide), int16_t(t + kReelSide));
    };
    const CRect16 clear(outline.left - 20, outline.top - 20, outline.right + 20, outline.bottom + 20);
    // Aimed at the middle and near both ends, where the house's middle lies far to one side.
    for (const float aimX : {640.0f, 540.0f, 740.0f}) {
        for (int32_t heading = 0; heading < 32; heading += 2) {
            SCOPED_TRACE("aim " + std::to_string(int(aimX)) + " heading " + std::to_string(heading));
            const Vec3& d = HeadingTable[size_t(heading)];
            const float length = std::hypot(d.x, d.y);
            float back = 0;
            while (Overlap(reelAt(aimX - back * d.x / length, 480 - back * d.y / length), clear)) back += 1;
            const CPointF start(aimX - back * d.x / length, 480 - back * d.y / length);
            car->Halt();
            car->SetState(heading);
            car->SetPosition(start, 0, 1);
            gBlocked.clear();
            bool met = false;
            CPointF stop;
            double farthest = 0;
            int metFrame = 0;
            for (int frame = 0; frame < 600 && !(met && frame - metFrame > 300) && farthest <= 100.0; ++frame) {
                if (!car->IsHeadingGoalActive()) car->DriveKeyPos();
                Frames(1, kFrameMs);
                ASSERT_FALSE(Overlap(BoxOf(reel), outline))
                    << "frame " << frame << ": the reel at " << car->GetPosition().x << "," << car->GetPosition().y;
                if (!met && !gBlocked.empty()) met = true, stop = car->GetPosition(), metFrame = frame;
                if (met) farthest = std::max(farthest, double(std::hypot(car->GetPosition().x - stop.x,
                                                                         car->GetPosition().y - stop.y)));
            }
            EXPECT_TRUE(met) << "the drive reached the house";
            EXPECT_GT(farthest, 100.0) << "and drove away from it";
        }
    }
}

// ---- Way points -----------------------------------------------------------------------------

TEST_F(WorldContactsTest, AStopRequiredWayPointEntersOnceAtThrottleZeroAndReArmsOffIt) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    auto* point = Add(world, new Interaction_Point, 600, 400, 1);
    point->flags[1] = 1; // stop required
    ASSERT_EQ(world->GetWayPoint(1), point);
    VIsometric* car = Car(world, 200, 200, 0);
    ASSERT_NE(car, nullptr);
    car->SetPriority(1000); // on top of the way point
    struct Step {
        float x, y, throttle;
        int32_t entered;
        size_t areas;
        uint8_t armed;
    };
    const Step steps[] = {
        {200, 200, 0.0f, 0, 0, 1}, // off it: armed
        {600, 400, 0.5f, 0, 0, 1}, // on it, still rolling
        {600, 400, 0.0f, 1, 1, 0}, // standing: entered, disarmed
        {600, 400, 0.0f, 0, 1, 0}, // still on it: not again
        {603, 402, 0.0f, 0, 1, 0}, // still overlapping: stays disarmed
        {650, 400, 0.0f, 0, 1, 1}, // left: armed again
        {600, 400, 0.0f, 1, 2, 0}, // back: entered again
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(n++));
        car->SetPosition(CPointF(s.x, s.y), 0, 1);
        car->SetThrottle(s.throttle);
        EXPECT_EQ(world->CheckWayPoints(car), s.entered);
        EXPECT_EQ(world->areas.size(), s.areas);
        EXPECT_EQ(point->flags[0], s.armed);
    }
    ASSERT_FALSE(world->areas.empty());
    EXPECT_EQ(world->areas[0], (std::vector<int32_t>{1, 600, 400, 0, 0})) << "number, position, second point";
}

// ---- Pushes ---------------------------------------------------------------------------------

TEST_F(WorldContactsTest, PushesMoveByTheModelAndGoBackOffABlocker) {
    struct Case {
        const char* name;
        bool blockerBehind;
        float row; ///< each case drives on a row of its own
    };
    const Case cases[] = {{"free", false, 500}, {"blocked", true, 700}};
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* box = Add(world, new Pushable, 440, c.row);
        if (c.blockerBehind) Add(world, new Blocker, 451, c.row);
        VIsometric* car = Car(world, 400, c.row, 8); // heading right, toward the box
        ASSERT_NE(car, nullptr);
        car->Halt();
        car->DriveKeyPos();
        bool pushed = false;
        for (int frame = 0; frame < 120 && !HasFailure(); ++frame) {
            const CPointF boxBefore = box->GetPosition();
            const CPointF carBefore = car->GetPosition();
            Frames(1, kFrameMs);
            const CPointF boxAfter = box->GetPosition();
            if (boxAfter == boxBefore) continue;
            pushed = true;
            // The box moves by the vehicle's motion, a tenth more on each near axis.
            const float dx = car->GetPosition().x - carBefore.x;
            EXPECT_NEAR(boxAfter.x - boxBefore.x, dx + dx * 0.1f, 1e-3) << "frame " << frame;
            EXPECT_EQ(boxAfter.y, boxBefore.y);
        }
        if (c.blockerBehind) {
            EXPECT_FALSE(pushed) << "a push onto a blocker goes back";
            EXPECT_EQ(box->GetPosition(), CPointF(440, c.row));
            EXPECT_FALSE(gBlocked.empty()) << "and blocks the vehicle";
            EXPECT_LT(car->GetPosition().x, 440.0f);
        } else {
            EXPECT_TRUE(pushed);
        }
        gBlocked.clear();
    }
}

TEST_F(WorldContactsTest, APropBehindTheVehicleNeverReacts) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    VIsometric* car = Car(world, 500, 500, 8); // heading right
    ASSERT_NE(car, nullptr);
    // Touching the vehicle's body from behind (left) and from the front (right).
    auto* behind = Add(world, new Pushable, 492, 500);
    auto* ahead = Add(world, new Pushable, 508, 500);
    car->Halt();
    car->DriveKeyPos();
    Frames(3, kFrameMs);
    EXPECT_FALSE(behind->IsPushed());
    EXPECT_TRUE(ahead->IsPushed());
}

// ---- A token run over -----------------------------------------------------------------------

TEST_F(WorldContactsTest, ATokenRunOverLeavesEveryListAtOnceAndTheFlushDeletesItOnce) {
    int deletions = 0;
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    auto* token = Add(world, new Counted<Token>(&deletions), 470, 500, 12);
    ASSERT_TRUE(world->Holds(token));
    VIsometric* car = Car(world, 430, 500, 8);
    ASSERT_NE(car, nullptr);
    car->Halt();
    car->DriveKeyPos();
    for (int frame = 0; frame < 120 && !world->GetBuckets().Holds(nullptr) && deletions == 0; ++frame) {
        Frames(1, kFrameMs);
        if (world->GetRetired().Count() > 0) break;
    }
    ASSERT_EQ(world->GetRetired().Count(), 1);
    EXPECT_EQ(world->GetRetired().GetAt(0), token);
    EXPECT_FALSE(world->GetBuckets().Holds(token));
    for (int l = 0; l < TLVWorld_Activity::kPropLists; ++l)
        for (int32_t i = 0; i < world->GetList(l).Count(); ++i) EXPECT_NE(world->GetList(l).GetAt(i), token);
    EXPECT_FALSE(token->IsVisible());
    world->FlushPendingProps();
    EXPECT_EQ(deletions, 1);
    Frames(10, kFrameMs); // the contact passes meet no trace of it
    SwitchTo(kEmptyWorld);
    EXPECT_EQ(deletions, 1) << "deleted once";
}

// ---- The move tests against a pixel model ---------------------------------------------------

TEST_F(WorldContactsTest, TheFourMoveTestsMatchAPixelModelOnRandomPointsAndSegments) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    world->DestroyVehicle(); // props only
    const std::vector<Blocker*> walls = Walls(world);
    MoveModel model;
    CDynArray<OActivityProp*> all;
    for (Blocker* b : walls) {
        model.solids.push_back(BoxOf(b));
        all.Append(b);
    }
    auto* box = Add(world, new Pushable, 500, 200);
    model.solids.push_back(BoxOf(box));
    all.Append(box);
    all.Append(Add(world, new Token, 520, 200)); // does not stop movers
    ASSERT_EQ(BoxOf(walls[0]), CRect16(295, 295, 305, 305));

    xSRand(33);
    auto coordinate = [](int lo, int hi) { return lo + xRand() % (hi - lo); };
    auto point = [&] {
        // Mostly around the walls, sometimes anywhere near the map.
        if (xRand() % 4 == 0)
            return CPoint16(int16_t(coordinate(-20, kMapWidth + 20)), int16_t(coordinate(-20, kMapHeight + 20)));
        return xRand() % 2 ? CPoint16(int16_t(coordinate(270, 440)), int16_t(coordinate(270, 440)))
                           : CPoint16(int16_t(coordinate(640, 860)), int16_t(coordinate(440, 660)));
    };
    int refusals = 0;
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        const CPoint16 a = point();
        CPoint16 b = point();
        if (xRand() % 2) b = CPoint16(int16_t(a.x + coordinate(-40, 40)), int16_t(a.y + coordinate(-40, 40)));
        const bool band = xRand() % 2;
        ExpectMoveTestsMatchModel(*world, model, all, a, b, band);
        refusals += !model.Free(a, b, band);
    }
    EXPECT_GT(refusals, 200) << "the samples meet the walls";
}

TEST_F(WorldContactsTest, TheFourMoveTestsMatchThePixelModelOnTheMapsEdgesAndAPixelEitherSide) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    world->DestroyVehicle();
    MoveModel model;
    CDynArray<OActivityProp*> all;
    // A quarter pixel is added to each point: -2 truncates to -1, the pixel left of the map.
    const int16_t xs[] = {-2, -1, 0, 1, kMapWidth - 2, kMapWidth - 1, kMapWidth, kMapWidth + 1};
    const int16_t ys[] = {-2, -1, 0, 1, 48, 49, 50, 51, kMapHeight - 2, kMapHeight - 1, kMapHeight, kMapHeight + 1};
    std::vector<CPoint16> ends;
    for (int16_t x : xs) ends.push_back(CPoint16(x, 480));
    for (int16_t y : ys) ends.push_back(CPoint16(640, y));
    for (int16_t x : xs)
        for (int16_t y : ys) ends.push_back(CPoint16(x, y));
    for (const CPoint16 b : ends)
        for (const bool band : {false, true}) {
            // From inside the map a few pixels away, and from the point itself.
            const CPoint16 inside(int16_t(std::clamp<int>(b.x, 5, kMapWidth - 6)),
                                  int16_t(std::clamp<int>(b.y, 55, kMapHeight - 6)));
            ExpectMoveTestsMatchModel(*world, model, all, inside, b, band);
            ExpectMoveTestsMatchModel(*world, model, all, b, b, band);
        }
}

TEST_F(WorldContactsTest, CoordinatesRoundUpJustBelowAWholeNumber) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    world->DestroyVehicle();
    Add(world, new Blocker, 405, 405); // box 400..409 (right and bottom at 410, exclusive)
    struct Case {
        float x;
        bool accepted;   // the point test (fraction strictly between 0.996 and 1)
        float resolved;  // the way from 380 (fraction of at least 0.996 rounds up; no hit: exact)
    };
    const Case cases[] = {
        {399.5f, true, 399.5f},  {399.997f, false, 400.0f}, {399.9955f, true, 399.9955f},
        {409.5f, false, 400.0f}, {410.2f, true, 400.0f},    {-1.0f, false, 380.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(world->AcceptPosition(CPointF(c.x, 405), 0, 1), c.accepted);
        CPointF out;
        world->ResolveMove(&out, CPointF(380, 405), CPointF(c.x, 405), 0, nullptr);
        EXPECT_EQ(out.x, c.resolved);
    }
}

// ---- Draw order -----------------------------------------------------------------------------

/// The highest and the lowest y of the footprint's outline at x (corners in order around it).
std::pair<double, double> OutlineAt(const CVehicleFootprint& fp, int x) {
    const CPoint16 ring[4] = {fp.points[0], fp.points[1], fp.points[3], fp.points[2]};
    double top = 1e9, bottom = -1e9;
    for (int i = 0; i < 4; ++i) {
        const CPoint16 a = ring[i], b = ring[(i + 1) % 4];
        if (x < std::min(a.x, b.x) || x > std::max(a.x, b.x)) continue;
        const double y = a.x == b.x ? double(std::max(a.y, b.y))
                                    : a.y + double(b.y - a.y) * (x - a.x) / double(b.x - a.x);
        const double y2 = a.x == b.x ? double(std::min(a.y, b.y)) : y;
        top = std::min(top, y2);
        bottom = std::max(bottom, y);
    }
    return {top, bottom};
}

TEST_F(WorldContactsTest, ATreeJustBelowTheFootprintEndsInFrontAndOneJustAboveBehindAtEveryHeading) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    VIsometric* car = Car(world, 600, 500, 0);
    ASSERT_NE(car, nullptr);
    car->Halt();
    auto* below = Listed(world, new TLVSimple_Object, 0, 0);
    auto* above = Listed(world, new TLVSimple_Object, 0, 0);
    int ranked = 0;
    for (int32_t h = 0; h < 32; ++h) {
        SCOPED_TRACE("heading " + std::to_string(h));
        car->SetState(h);
        car->UpdateZOrder();
        CVehicleFootprint fp;
        ASSERT_TRUE(car->GetFootprint(&fp));
        CPoint16 ground;
        car->GetGroundPoint(&ground);
        const auto [top, bottom] = OutlineAt(fp, ground.x);
        below->SetPosition(CPointF(ground.x, float(std::floor(bottom)) + 1), 0, 0);
        above->SetPosition(CPointF(ground.x, float(std::ceil(top)) - 2), 0, 0);
        const CRect16 box(fp.left, fp.top, fp.right, fp.bottom);
        for (auto [tree, inFront] : {std::pair{below, true}, std::pair{above, false}}) {
            tree->UpdateZOrder();
            // On the footprint's box the pass ranks the tree: start it the wrong way round.
            const CPoint16 g(int16_t(tree->GetPosition().x), int16_t(tree->GetPosition().y));
            if (box.ContainsPoint(g.x, g.y)) {
                tree->SetPriority(car->GetPriority() + (inFront ? -1 : 1));
                ++ranked;
            }
        }
        world->RefreshVisibleRect();
        world->CollectOnScreenObstacles();
        world->CollectVehicleContacts();
        world->SortOverlaps();
        EXPECT_GT(below->GetPriority(), car->GetPriority());
        EXPECT_LT(above->GetPriority(), car->GetPriority());
    }
    EXPECT_GT(ranked, 16) << "the diagonal headings rank the trees themselves";
}

/// The stage around a point: `w` x `h` pixels centred on it.
RgbImage Around(const RgbImage& stage, int cx, int cy, int w, int h) {
    RgbImage out{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = std::clamp(cx - w / 2 + x, 0, stage.width - 1);
            const int sy = std::clamp(cy - h / 2 + y, 0, stage.height - 1);
            for (int c = 0; c < 3; ++c)
                out.rgb[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(c)] =
                    stage.rgb[(size_t(sy) * size_t(stage.width) + size_t(sx)) * 3 + size_t(c)];
        }
    return out;
}

TEST_F(WorldContactsTest, TheTreesAroundTheVehicleAreDrawnInTheirOrderAtTheMainHeadings) {
    struct Case {
        int32_t heading;
        const char* golden;
    };
    const Case cases[] = {{0, "game/world/draw_order_heading_0.png"},
                          {4, "game/world/draw_order_heading_4.png"},
                          {8, "game/world/draw_order_heading_8.png"},
                          {12, "game/world/draw_order_heading_12.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        SwitchTo(kEmptyWorld); // each picture on a fresh world
        ContactWorld* world = Show();
        ASSERT_NE(world, nullptr);
        VIsometric* car = Car(world, 600, 500, c.heading);
        ASSERT_NE(car, nullptr);
        ASSERT_EQ(car->SetPartID(app->GetPartFile(), MakeChunkId(2, kBigCarPart), 1), 1);
        car->SetState(c.heading);
        car->Halt();
        car->UpdateZOrder();
        CVehicleFootprint fp;
        ASSERT_TRUE(car->GetFootprint(&fp));
        CPoint16 ground;
        car->GetGroundPoint(&ground);
        const auto [top, bottom] = OutlineAt(fp, ground.x);
        auto* below = Listed(world, new TLVSimple_Object, ground.x, float(std::floor(bottom)) + 1);
        auto* above = Listed(world, new TLVSimple_Object, ground.x, float(std::ceil(top)) - 2);
        for (TLVSimple_Object* tree : {below, above}) {
            tree->SetPartID(app->GetPartFile(), MakeChunkId(2, kTreePart), 1);
            tree->UpdateZOrder();
        }
        world->CenterViewOn(car);
        Frames(2, kFrameMs);
        EXPECT_GT(below->GetPriority(), car->GetPriority()) << "in front";
        EXPECT_LT(above->GetPriority(), car->GetPriority()) << "behind";
        const CPointF scroll = world->GetScrollOffset();
        ExpectMatchesGoldenImage(c.golden, Around(ToRgb(Shown()), int(600 - scroll.x), int(500 - scroll.y), 96, 96));
    }
}

TEST_F(WorldContactsTest, PropsOnTheFootprintAreRankedByItsLowerOutline) {
    ContactWorld* world = Show();
    ASSERT_NE(world, nullptr);
    VIsometric* car = Car(world, 600, 500, 4); // a diagonal heading
    ASSERT_NE(car, nullptr);
    car->Halt();
    car->UpdateZOrder();
    CVehicleFootprint fp;
    ASSERT_TRUE(car->GetFootprint(&fp));
    CPoint16 ground;
    car->GetGroundPoint(&ground);
    // The middle of the footprint is behind the lower outline; a prop under the vehicle's
    // nose, next to the lowest corner, is in front of it.
    auto* middle = Listed(world, new TLVSimple_Object, ground.x, ground.y);
    const int32_t vehicle = car->GetPriority();
    middle->SetPriority(vehicle + 1);
    world->RefreshVisibleRect();
    world->CollectOnScreenObstacles();
    world->CollectVehicleContacts();
    EXPECT_EQ(world->GetOverlapTarget(middle), vehicle - 3);
    ASSERT_EQ(world->GetContacts3().Count(), 1);
    world->SortOverlaps();
    EXPECT_EQ(middle->GetPriority(), vehicle - 3);
    EXPECT_EQ(world->GetFootprintBox(), CRect16(fp.left, fp.top, fp.right, fp.bottom));
}

} // namespace
} // namespace vqt::test
