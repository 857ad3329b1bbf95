#include "game/shell/TLVFactory.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityProp.h"
#include "engine/media/TextDView.h"
#include "game/shell/BaseButton.h"
#include "game/shell/CertificatePrintButton.h"
#include "game/shell/CreditsActivity.h"
#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Hider.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/SignInDeleteButton.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVGameActivity.h"
#include "game/shell/GameShellState.h"
#include "game/shell/MetropolisCertificate.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVSimpleObject.h"
#include "game/shell/ToonCertificate.h"
#include "game/shell/ZooCertificate.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/shell/VehicleSelectButton.h"
#include "game/shell/VehicleSelectDrive.h"

namespace {

/// One class of the game's table: its id and registration name, whether it is an activity,
/// whether IsSupported answers true for it, and the ids of its bases between it and the class
/// it is built on (CTLVActivity for activities, OActivityProp for props), nearest first.
struct GameClass {
    uint32_t classId;
    const char* name;
    bool activity;
    bool supported;
    uint16_t bases[3];
};

constexpr bool A = true;  // an activity
constexpr bool P = false; // a prop

constexpr GameClass kClasses[] = {
    {200, "TLV_Activity", A, true, {}},
    {201, "TLVWorld_Activity", A, false, {}},
    {202, "TLVGame_Activity", A, false, {}},
    {300, "Credits_Activity", A, true, {}},
    {305, "SignIn_Activity", A, true, {}},
    {310, "VehicleSelect_Activity", A, true, {}},
    {400, "GPToon_Activity", A, true, {202}},
    {401, "GPMetropolis_Activity", A, true, {202}},
    {403, "GPZoo_Activity", A, true, {202}},
    {420, "GAToon_Activity", A, true, {202}},
    {421, "GAMetropolis_Activity", A, true, {202}},
    {423, "GAZoo_Activity", A, true, {202}},
    {440, "GRToon_Activity", A, true, {202}},
    {441, "GRMetropolis_Activity", A, true, {202}},
    {443, "GRZoo_Activity", A, true, {202}},
    {450, "GUToon_Activity", A, true, {206, 201}},
    {451, "GUMetropolis_Activity", A, true, {206, 201}},
    {453, "GUZoo_Activity", A, true, {206, 201}},
    {500, "WToon_Activity", A, true, {201}},
    {501, "WMetropolis_Activity", A, true, {201}},
    {503, "WZoo_Activity", A, true, {201}},
    {600, "Toon_Certificate_Activity", A, true, {}},
    {601, "Zoo_Certificate_Activity", A, true, {}},
    {603, "Metropolis_Certificate_Activity", A, true, {}},

    {54, "OActivityProp", P, true, {}},
    {76, "OTextDView", P, true, {70}},
    {1000, "Base_Button_Prop", P, true, {}},
    {1001, "Navigation_Prop", P, true, {}},
    {1060, "Interaction_Point", P, true, {}},
    {1100, "TLV_Object", P, true, {}},
    {1110, "TLVComplex_Object", P, true, {1100}},
    {1120, "TLVSimple_Object", P, true, {1100}},
    {1130, "TLVWorld_BldgAddOn", P, true, {}},
    {1150, "TLVWorld_WayPoint", P, true, {}},
    {1200, "Vehicle_Select_Button", P, true, {1000}},
    {1210, "Vehicle_Select_Drive", P, false, {1100}},
    {1310, "Certificate_Print_Button", P, true, {1000}},
    {1320, "Sign_In_Delete_Button", P, true, {1000}},
    {1500, "Spawn", P, true, {1120, 1100}},
    {1510, "Destructible", P, true, {1120, 1100}},
    {1520, "Pushable", P, true, {1120, 1100}},
    {1530, "Blocker", P, true, {1120, 1100}},
    {1540, "Token", P, true, {1120, 1100}},
    {1550, "Fire", P, true, {1120, 1100}},
    {1560, "Changeable", P, true, {1120, 1100}},
    {1570, "Hider", P, true, {1120, 1100}},
    {1580, "Bag", P, true, {1120, 1100}},
    {1590, "RDestructible", P, false, {1110, 1100}},
    {1600, "Puzzle_Piece", P, true, {1120, 1100}},
    {1610, "Puzzle_Dweeble", P, true, {2400, 1110, 1100}},
    {1620, "Puzzle_Crowd", P, true, {1120, 1100}},
    {1630, "Puzzle_Go_Button", P, true, {}},
    {1700, "Arcade_BG_Item", P, true, {1110, 1100}},
    {2000, "Vehicle", P, true, {1110, 1100}},
    {2010, "VIsometric", P, true, {2000, 1110, 1100}},
    {2020, "VFlat", P, true, {2000, 1110, 1100}},
    {2300, "Projectile", P, true, {1110, 1100}},
    {2310, "PBeam", P, true, {2300, 1110, 1100}},
    {2320, "PParticle", P, true, {2300, 1110, 1100}},
    {2400, "Dweeble", P, true, {1110, 1100}},
    {2410, "DFollower", P, true, {2400, 1110, 1100}},
    {2420, "DAvoider", P, true, {2400, 1110, 1100}},
    {2430, "DBadGuy", P, true, {2400, 1110, 1100}},
    {2440, "DCaptive", P, true, {2400, 1110, 1100}},
    {2450, "ConstraintObject", P, true, {1100}},
    {2460, "DGuard", P, true, {2400, 1110, 1100}},
    {2470, "PatrolObject", P, true, {1100}},
    {2500, "DRoundUp", P, true, {2400, 1110, 1100}},
    {3000, "Toon_Arcade_Clown", P, true, {1700, 1110, 1100}},
    {3010, "Arcade_Column_Marker", P, true, {1700, 1110, 1100}},
    {3100, "Zoo_Arcade_Monkey", P, true, {2400, 1110, 1100}},
    {3110, "Zoo_Arcade_GoalItem", P, true, {1700, 1110, 1100}},
    {3120, "Zoo_Arcade_Leaf", P, true, {1700, 1110, 1100}},
    {3130, "Zoo_Arcade_Vine", P, true, {1700, 1110, 1100}},
    {3410, "Metro_Arcade_Blocker", P, true, {1700, 1110, 1100}},
};

/// The prop ids that are supported but make nothing.
bool IsReservedProp(uint32_t classId) {
    const bool inRange = (classId >= 2100 && classId <= 2170) || (classId >= 2200 && classId <= 2270);
    return inRange && classId % 10 == 0;
}

const GameClass* FindClass(uint32_t classId, bool activity) {
    auto same = [&](const GameClass& c) { return c.classId == classId && c.activity == activity; };
    auto found = std::find_if(std::begin(kClasses), std::end(kClasses), same);
    return found != std::end(kClasses) ? &*found : nullptr;
}

bool HasBase(const GameClass& c, uint32_t classId) {
    return std::find(std::begin(c.bases), std::end(c.bases), classId) != std::end(c.bases) && classId != 0;
}

/// A class whose module is not built yet: the plain game activity under the class's name and
/// id, answering IsA for them and the class's bases.
class CStandInActivity final : public CTLVActivity {
public:
    explicit CStandInActivity(const GameClass& c) : CTLVActivity(c.name, c.classId), class_(c) {}
    bool IsA(uint32_t classId) const override {
        return classId == class_.classId || HasBase(class_, classId) || CTLVActivity::IsA(classId);
    }

private:
    const GameClass& class_;
};

/// The same for a prop, on the plain engine prop.
class CStandInProp final : public OActivityProp {
public:
    explicit CStandInProp(const GameClass& c) : OActivityProp(c.name, c.classId), class_(c) {}
    bool IsA(uint32_t classId) const override {
        return classId == class_.classId || HasBase(class_, classId) || OActivityProp::IsA(classId);
    }

private:
    const GameClass& class_;
};

OActivity* MakeGameActivity() { return new (std::nothrow) CTLVActivity("TLV_Activity", CTLVActivity::kClassId); }
OActivity* MakeMiniGameActivity() { return new (std::nothrow) TLVGame_Activity; }
OActivity* MakeGarage() { return new (std::nothrow) VehicleSelect_Activity; }
OActivity* MakeSignIn() { return new (std::nothrow) SignIn_Activity; }
OActivity* MakeCredits() { return new (std::nothrow) Credits_Activity; }
OView* MakePlainProp() { return new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId); }
OView* MakeTextView() { return new (std::nothrow) OTextDView("OTextDView", OTextDView::kClassId); }
template <class Prop>
OView* MakeGameProp() {
    return new (std::nothrow) Prop;
}
template <class Screen>
OActivity* MakeGameScreen() {
    return new (std::nothrow) Screen;
}

/// The classes this module builds itself.
constexpr CTLVClassRow kOwnRows[] = {
    {CTLVActivity::kClassId, &MakeGameActivity, nullptr},
    {OActivityProp::kClassId, nullptr, &MakePlainProp},
    {OTextDView::kClassId, nullptr, &MakeTextView},
    {Base_Button_Prop::kClassId, nullptr, &MakeGameProp<Base_Button_Prop>},
    {Navigation_Prop::kClassId, nullptr, &MakeGameProp<Navigation_Prop>},
    {TLV_Object::kClassId, nullptr, &MakeGameProp<TLV_Object>},
    {TLVComplex_Object::kClassId, nullptr, &MakeGameProp<TLVComplex_Object>},
    {TLVSimple_Object::kClassId, nullptr, &MakeGameProp<TLVSimple_Object>},
    {TLVGame_Activity::kClassId, &MakeMiniGameActivity, nullptr},
    {VehicleSelect_Activity::kClassId, &MakeGarage, nullptr},
    {Vehicle_Select_Button::kClassId, nullptr, &MakeGameProp<Vehicle_Select_Button>},
    {Vehicle_Select_Drive::kClassId, nullptr, &MakeGameProp<Vehicle_Select_Drive>},
    {SignIn_Activity::kClassId, &MakeSignIn, nullptr},
    {Sign_In_Delete_Button::kClassId, nullptr, &MakeGameProp<Sign_In_Delete_Button>},
    {Credits_Activity::kClassId, &MakeCredits, nullptr},
    {Interaction_Point::kClassId, nullptr, &MakeGameProp<Interaction_Point>},
    {Spawn::kClassId, nullptr, &MakeGameProp<Spawn>},
    {Destructible::kClassId, nullptr, &MakeGameProp<Destructible>},
    {Pushable::kClassId, nullptr, &MakeGameProp<Pushable>},
    {Blocker::kClassId, nullptr, &MakeGameProp<Blocker>},
    {Token::kClassId, nullptr, &MakeGameProp<Token>},
    {Fire::kClassId, nullptr, &MakeGameProp<Fire>},
    {Changeable::kClassId, nullptr, &MakeGameProp<Changeable>},
    {Hider::kClassId, nullptr, &MakeGameProp<Hider>},
    {Bag::kClassId, nullptr, &MakeGameProp<Bag>},
    {RDestructible::kClassId, nullptr, &MakeGameProp<RDestructible>},
    {Projectile::kClassId, nullptr, &MakeGameProp<Projectile>},
    {PBeam::kClassId, nullptr, &MakeGameProp<PBeam>},
    {PParticle::kClassId, nullptr, &MakeGameProp<PParticle>},
    {Certificate_Print_Button::kClassId, nullptr, &MakeGameProp<Certificate_Print_Button>},
    {Toon_Certificate_Activity::kClassId, &MakeGameScreen<Toon_Certificate_Activity>, nullptr},
    {Zoo_Certificate_Activity::kClassId, &MakeGameScreen<Zoo_Certificate_Activity>, nullptr},
    {Metropolis_Certificate_Activity::kClassId, &MakeGameScreen<Metropolis_Certificate_Activity>, nullptr},
};

/// The maker row of a class: the registered one, else this module's own; null when none.
const CTLVClassRow* FindRow(uint32_t classId) {
    auto same = [&](const CTLVClassRow& r) { return r.classId == classId; };
    const std::vector<CTLVClassRow>& rows = CGameShellState::Get().classRows;
    auto registered = std::find_if(rows.begin(), rows.end(), same);
    if (registered != rows.end()) return &*registered;
    auto own = std::find_if(std::begin(kOwnRows), std::end(kOwnRows), same);
    return own != std::end(kOwnRows) ? own : nullptr;
}

/// Says once per class and run that a stand-in takes its place.
void TraceStandIn(const GameClass& c) {
    std::vector<uint32_t>& traced = CGameShellState::Get().standInsTraced;
    if (std::find(traced.begin(), traced.end(), c.classId) != traced.end()) return;
    traced.push_back(c.classId);
    xTracef("Tollivar Factory:%s (%u) is made as a plain %s until its class is built\n", c.name,
            unsigned(c.classId), c.activity ? "game activity" : "prop");
}

OActivity* MakeActivity(const GameClass& c) {
    if (const CTLVClassRow* row = FindRow(c.classId); row && row->makeActivity) return row->makeActivity();
    TraceStandIn(c);
    return new (std::nothrow) CStandInActivity(c);
}

OView* MakeProp(const GameClass& c) {
    if (const CTLVClassRow* row = FindRow(c.classId); row && row->makeProp) return row->makeProp();
    TraceStandIn(c);
    return new (std::nothrow) CStandInProp(c);
}

} // namespace

bool xTLVFactory_Register(const CTLVClassRow& row) {
    if (!FindClass(row.classId, true) && !FindClass(row.classId, false)) return false;
    std::vector<CTLVClassRow>& rows = CGameShellState::Get().classRows;
    auto same = std::find_if(rows.begin(), rows.end(), [&](const CTLVClassRow& r) { return r.classId == row.classId; });
    if (same != rows.end()) *same = row;
    else rows.push_back(row);
    return true;
}

OView* xTLVFactory_MakeProp(uint32_t classId) {
    const GameClass* c = FindClass(classId, false);
    return c ? MakeProp(*c) : nullptr;
}

OActivity* CTLVFactory::CreateActivity(uint32_t classId) {
    const GameClass* c = FindClass(classId, true);
    if (!c) {
        xTrace("Tollivar Factory:Unsupported activity requested\n");
        return nullptr;
    }
    return MakeActivity(*c);
}

OView* CTLVFactory::CreateActivityProp(uint32_t classId) {
    const GameClass* c = FindClass(classId, false);
    if (!c) {
        if (!IsReservedProp(classId)) xTrace("Tollivar Factory:Unsupported activity prop requested\n");
        return nullptr;
    }
    OView* prop = MakeProp(*c);
    if (prop) made_.Append(prop); // a list that cannot grow only misses the prop
    return prop;
}

int32_t CTLVFactory::Reset() {
    made_.Free();
    return 1;
}

bool CTLVFactory::IsSupported(uint32_t classId) {
    if (IsReservedProp(classId)) return true;
    const GameClass* activity = FindClass(classId, true);
    const GameClass* prop = FindClass(classId, false);
    return (activity && activity->supported) || (prop && prop->supported);
}
