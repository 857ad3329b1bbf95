#pragma once
#include <cstdint>

class Dweeble;
class TLV_Object;

/// The touch flags a character answers: the mover's move is refused, the character is pushed
/// along, the bump sound plays.
constexpr int32_t kTouchRefuse = 1;
constexpr int32_t kTouchPush = 16;
constexpr int32_t kTouchSound = 64;
/// The class of every vehicle.
constexpr uint32_t kVehicleBaseClass = 2000;
/// A character this close to the map's edge is not pushed over it.
constexpr int16_t kPushEdgeInset = 5;

bool IsVehicle(const TLV_Object* prop);
/// Pushed (16) when its ground position lies inside the map by the inset, else refused (1);
/// outside a driving world always pushed.
int32_t PushedUnlessAtEdge(Dweeble* d);
