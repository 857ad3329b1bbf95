#pragma once
#include "engine/core/Process.h"
#include "engine/core/Timer.h"
#include "engine/core/View.h"
#include "engine/core/Cursor.h"

class OActivityProp;

/// The process that follows the mouse (registration name "OProcess", class id 20): every 30 ms
/// it picks the cursor by what lies under the pointer, or, when a pointer view stands in for the
/// system pointer, moves that view to the pointer and shows its hover state. It is also the
/// views' hover-cursor side: a view whose hover cursor mode is 1 or 2 has it show the hover
/// cursor when the pointer enters and restore the normal one when it leaves.
class OMouseProcess : public OProcess, public CHoverCursor {
public:
    static constexpr int32_t kUpdateMs = 30;
    static constexpr uint32_t kUserValue = uint32_t(-32767);
    static constexpr int32_t kPointerPriority = 32767;

    /// Normal and hover cursor start as the arrow.
    OMouseProcess();
    ~OMouseProcess() override;

    /// Update once the update timer has run out, then starts it again; 1.
    int32_t OnIdle() override;
    /// Keeps the cursor and shows it; 0 does what RestoreCursor does.
    virtual void SetCurrentCursor(xCursor cursor);
    /// Forgets the current cursor, shows the normal one and updates.
    virtual void RestoreCursor();

    /// Reads the pointer in the main window's client area and finds the view under it. Without
    /// a pointer view: over a view of hover cursor mode 1 or 2 the hover cursor shows, else the
    /// normal one while the pointer is in the client area. With one: it changes to state 1
    /// over such a view and to state 0 over no view, the system pointer is hidden while the
    /// application's system-cursor flag is set, and the view moves to the pointer.
    void Update();
    /// Shows the current cursor again (when there is one), updates and restarts the timer.
    void Refresh();

    /// Takes `view` as the pointer view (adding it to the main window) when there is none; the
    /// pointer view gets hover mode 0, shows, and goes on top (32767); the system pointer hides
    /// while the application's system-cursor flag is set.
    void SetCursorView(OActivityProp* view);
    /// Takes the pointer view out of the main window and forgets it (it is not deleted: the one
    /// who made it owns it again); with `restore` the normal cursor comes back first.
    void ClearCursorView(uint8_t restore);
    void ShowCursorView(uint8_t show);
    OActivityProp* GetCursorView() const { return pointerView_; }
    bool IsPointerActive() const { return pointerActive_ != 0; }

    /// The game's normal and hover cursors; a null one leaves the cursor it had.
    void SetCursors(xCursor normal, xCursor hover);
    xCursor GetNormalCursor() const { return normalCursor_; }
    xCursor GetHoverCursor() const { return hoverCursor_; }
    xCursor GetCurrentCursor() const { return currentCursor_; }

    void OnEnterView(OView* view) override;
    void OnLeaveView(OView* view) override;

private:
    CTimerRec updateTimer_;
    xCursor normalCursor_ = 0;
    xCursor hoverCursor_ = 0;
    xCursor currentCursor_ = 0;
    uint8_t pointerActive_ = 0;
    OActivityProp* pointerView_ = nullptr;
};
