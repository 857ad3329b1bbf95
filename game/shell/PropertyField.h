#pragma once
#include <cstdint>

#include "engine/base/Trace.h"
#include "engine/core/Object.h"
#include "engine/core/PropertyMsg.h"

/// One field of a property family as the game's props keep it: stored from the message (set
/// not 0) or reported into it; a payload too short for the field is traced with the object's
/// name and leaves the field as it was. Whether the field was exchanged.
template <class T>
bool xProperty_Exchange(const OObject& object, OPropertyMsg& msg, T& field, int32_t set) {
    if (msg.Exchange(0, field, set)) return true;
    xTracef("%s : property %u of family %u has %u bytes, fewer than %u\n", object.GetName(), unsigned(msg.id),
            unsigned(msg.family), unsigned(msg.size), unsigned(sizeof(T)));
    return false;
}
