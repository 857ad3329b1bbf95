#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"

class OActivityProp;

/// The objects taking part in a race (hit tests, scrolling, clean-up) with their kinds, and
/// those already hit or collected that stay on the road until they leave the stage.
class CGRaceObjects {
public:
    struct Entry {
        OActivityProp* prop = nullptr;
        int32_t kind = 0;
    };

    void AddLive(OActivityProp* prop, int32_t kind);
    bool IsLive(const OActivityProp* prop) const;
    bool IsRetired(const OActivityProp* prop) const;
    /// Takes a live object out of play: false when it is not live; with `hide` it is hidden
    /// with its shadow; it stays on the retired list until it leaves the stage.
    bool RetireObject(OActivityProp* prop, bool hide);
    /// Off both lists, and hidden.
    void RemoveObject(OActivityProp* prop);
    /// Live and retired objects of a kind within the type table; 0 outside it.
    int32_t CountOfKind(int32_t kind, int32_t tableSize) const;
    /// Whether the object still meets the window (origin, stage size): not wholly below, left
    /// or right of it, and not a running racer wholly above it.
    static bool StillInPlay(const OActivityProp* prop, CPoint16 origin, int32_t stageWidth, int32_t stageHeight);
    /// Removes the objects that left the window, live first, each list last to first.
    void Cleanup(CPoint16 origin, int32_t stageWidth, int32_t stageHeight);
    /// Moves every live and retired object, each then ordered by its new height.
    void Shift(float dy, float dx);
    /// Moves the target points of the live racing characters.
    void ShiftRacerTargets(float dy, float dx);
    /// Forgets both lists (the objects stay with their pools).
    void Clear();

    const std::vector<Entry>& Live() const { return live_; }
    const std::vector<Entry>& Retired() const { return retired_; }

private:
    static void Hide(OActivityProp* prop);
    static void Drop(std::vector<Entry>& list, const OActivityProp* prop);

    std::vector<Entry> live_;
    std::vector<Entry> retired_;
};
