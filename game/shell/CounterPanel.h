#pragma once
#include <cstdint>

#include "engine/core/ActivityProp.h"
#include "engine/data/ChunkId.h"

class OTextDView;

/// The counter panel ("Status_Bar", class id 1050) that the game object keeps on the main
/// window for the whole run: a bar that shows up to four numbers, each beside its icon, read
/// from values the caller owns (fields of the player record). A zero on counter 0 or 1 can
/// show a placeholder mark in place of the number. Its mode is 0 (inactive) until an activity
/// sets 1 or 2, which picks the bar's and the icons' states.
class CCounterPanel : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1050;
    static constexpr int kCounters = 4;
    /// Counters 0 and 1 may show the zero mark.
    static constexpr int kZeroMarks = 2;
    static constexpr int32_t kPriority = 30510;
    static constexpr ChunkId kZeroMarkArt = MakeChunkId(2, 1141);
    /// Where the panel waits while hidden.
    static constexpr float kParked = -500.0f;

    CCounterPanel(const char* name = "Status_Bar", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;

    /// Mode 1 shows the bar's state 0, mode 2 its state 1; any mode hides zeros again.
    void SetMode(uint16_t mode);
    /// Sets up counter `index` (0-3) while the mode is not 0: its icon from the part (at the
    /// icon's hot spot), its 40 x 20 number in the text colour beside the icon moved by
    /// xOffset, and for counters 0 and 1 the zero mark and whether it stands for a zero; then
    /// Refresh. `value` must outlive the counter (until Release or the next SetCounter).
    /// A number is centred on its point unless its digits would then reach its icon: it stands
    /// as far right as keeps them a pixel clear of the icon's right edge.
    void SetCounter(int index, ChunkId partId, const uint16_t* value, uint32_t textColour, uint8_t hideZero,
                    int16_t xOffset);
    /// Writes every counter's value, or its zero mark.
    void Refresh();
    /// Shows everything at the bar's hot spot, or hides it and parks the bar at (-500, -500).
    void Show(bool show);
    /// Takes every icon, number and zero mark off the main window and deletes it.
    void Release();

    uint16_t GetMode() const { return mode_; }
    OActivityProp* GetIcon(int index) const { return InRange(index) ? counters_[index].icon : nullptr; }
    OTextDView* GetNumber(int index) const { return InRange(index) ? counters_[index].number : nullptr; }
    const uint16_t* GetValue(int index) const { return InRange(index) ? counters_[index].value : nullptr; }
    OActivityProp* GetZeroMark(int index) const { return index >= 0 && index < kZeroMarks ? zeroMarks_[index] : nullptr; }

private:
    struct Counter {
        OActivityProp* icon = nullptr;
        const uint16_t* value = nullptr;
        OTextDView* number = nullptr;
        /// Where the number is centred, and the right edge of the icon its digits keep clear of.
        CPointF point;
        float iconRight = 0.0f;
    };
    static bool InRange(int index) { return index >= 0 && index < kCounters; }
    /// Moves the counter's number to its point, or right of it as far as its text needs.
    static void PlaceNumber(const Counter& counter);

    uint16_t mode_ = 0;
    Counter counters_[kCounters];
    OActivityProp* zeroMarks_[kZeroMarks] = {};
    uint8_t hideZero_[kZeroMarks] = {};
};
