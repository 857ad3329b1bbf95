#pragma once
#include "game/world/characters/Dweeble.h"

/// The character that only answers a contact ("DBadGuy", class id 2430): a vehicle's touch
/// plays the bump sound (64); anything else is also refused (65).
class DBadGuy : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2430;

    DBadGuy(const char* name = "DBadGuy", uint32_t classId = kClassId) : Dweeble(name, classId) {}

    bool IsA(uint32_t classId) const override { return classId == kClassId || Dweeble::IsA(classId); }
    int32_t OnContact(TLV_Object* other) override;
};
