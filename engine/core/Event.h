#pragma once
#include <cstdint>

#include "engine/base/Point.h"

/// Event categories: one bit each; kEventForAll reaches every process whatever its mask.
enum : uint32_t {
    kEventApplication = 1,
    kEventMouse = 2,
    kEventKeyboard = 4,
    kEventPaint = 8,
    kEventWindowRequest = 16,
    kEventForAll = 32,
    kEventNoCategory = 0x08000000,
};

/// Event types.
enum : uint32_t {
    kEvButtonDown = 1,
    kEvButtonUp = 2,
    kEvKeyDown = 3,
    kEvKeyUp = 4,
    kEvKeyRepeat = 5,
    kEvPaint = 6,
    kEvDiscardInput = 7,
    kEvRequestA = 8,
    kEvChar = 9,
    kEvMouseMove = 10,
    kEvPaletteNotice = 50,
    kEvPaletteRequest = 51,
    kEvClick = 65,
    kEvDoubleClick = 66,
    kEvAppSuspend = 67,
    kEvAppResume = 68,
    kEvRequestB = 69,
    kEvNone = 255,
};

/// The engine's input and notification record, copied by value. The parameters are wide
/// enough for a pointer (the palette notice carries one).
struct xEvent {
    uint32_t category = kEventNoCategory;
    uint32_t type = kEvNone;
    /// Time of the message that caused it, in sixtieths of a second.
    uint32_t time = 0;
    uintptr_t param1 = 0;
    uintptr_t param2 = 0;
    /// Cursor position in client coordinates, vertical first.
    CPoint16 cursor;
    int16_t extra1 = 0;
    int16_t extra2 = 0;
    uint32_t extra3 = 0;

    /// The record a message translation starts from: the message's parameters, no extras, no
    /// category or type (time and cursor kept).
    void StartTranslation(uintptr_t wParam, intptr_t lParam) {
        param1 = wParam;
        param2 = uintptr_t(lParam);
        extra1 = 0;
        extra2 = 0;
        extra3 = 0;
        category = kEventNoCategory;
        type = kEvNone;
    }
};

/// Queues a copy of the event in the ring of 32. A full ring drops it with the trace
/// "Exceeded event queue maximum\n"; a paint, mouse move, palette or suspend/resume event is
/// dropped silently while one of the same category and type still waits.
void CreateEvent(const xEvent& event);

/// The ring of 32 queued events (fixed storage, never cleared during a run).
class CEventRing {
public:
    static constexpr int16_t kSize = 32;

    /// The ring of the engine context.
    static CEventRing& Get();

    void Add(const xEvent& event);
    /// The oldest waiting record, null when the ring is empty. It stays waiting (and so
    /// still coalesces new events) until PopOldest.
    const xEvent* Oldest() const { return count_ > 0 ? &records_[read_] : nullptr; }
    void PopOldest();
    int16_t Count() const { return count_; }
    int16_t ReadIndex() const { return read_; }
    int16_t WriteIndex() const { return write_; }
    /// The n-th waiting record, the oldest being 0.
    const xEvent& Waiting(int16_t n) const { return records_[(read_ + n) % kSize]; }

private:
    xEvent records_[kSize];
    int16_t write_ = 0;
    int16_t read_ = 0;
    int16_t count_ = 0;
};
