#pragma once
#include <cstdint>

#include "engine/core/ClassFactory.h"
#include "engine/data/DynArray.h"

/// What makes the objects of one class of the game's table: its id and its maker (an activity,
/// or a prop or view; the other maker is null). Each maker builds its object with the class's
/// registration name and id; a maker that cannot have the memory answers null.
struct CTLVClassRow {
    uint32_t classId = 0;
    OActivity* (*makeActivity)() = nullptr;
    OView* (*makeProp)() = nullptr;
};

/// Gives a class of the game's table its maker (the module that builds the class does this at
/// start-up), replacing an earlier one; false for an id outside the table. Until a class has a
/// maker, the factory makes a stand-in for it: a plain game activity or a plain prop that
/// carries the class's name and id and answers IsA for them and the class's bases, traced once
/// per class.
bool xTLVFactory_Register(const CTLVClassRow& row);
/// A new object of a prop class of the game's table (its maker's, or a stand-in), not listed
/// by any factory; null for other ids (without a trace) and when the memory cannot be had.
OView* xTLVFactory_MakeProp(uint32_t classId);

/// The game's factory, asked before the engine's for the activities and props of activity
/// data: the 24 activity classes and 51 prop classes of the game's table, and the sixteen
/// reserved prop ids (2100 to 2170 and 2200 to 2270 in steps of 10), which make nothing. It
/// lists, without owning them, the props it made for the activity being loaded; making the
/// next activity empties the list.
class CTLVFactory : public CFactory {
public:
    /// The activity of the table, or null ("Tollivar Factory:Unsupported activity requested\n"
    /// for an id outside it).
    OActivity* CreateActivity(uint32_t classId) override;
    /// The prop of the table, listed; null for a reserved id (silently) or one outside the
    /// table ("Tollivar Factory:Unsupported activity prop requested\n").
    OView* CreateActivityProp(uint32_t classId) override;
    /// Empties the list of made props (its storage freed, growth back to 64); 1.
    int32_t Reset() override;
    /// True for the ids the table's activities and props come from in activity data: every
    /// id of the table but the activities 201 and 202 and the props 1210 and 1590, which the
    /// create operations make all the same; and the reserved ids.
    bool IsSupported(uint32_t classId) override;

    const CDynArray<OView*>& MadeProps() const { return made_; }

private:
    CDynArray<OView*> made_;
};
