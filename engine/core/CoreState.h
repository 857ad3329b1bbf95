#pragma once
// The tree layer's record in the engine context.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/ClassFactory.h"
#include "engine/core/Cursor.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/WindowProcs.h"

class CActivityHooks;
class CApplicationLink;
class CDiagnosticsLink;
class CHoverCursor;
class OActivity;
class OActivityManager;
class OView;

/// The engine-wide settings of views and the view the pointer is over.
struct CViewStatics {
    int32_t defaultClickMode = 1; ///< press and drag
    uint8_t showBounds = 0;
    OView* hoverView = nullptr;
    CHoverCursor* hoverCursor = nullptr;
};

/// The window procedures that windows get when they are made, and the switch-in under way.
struct CWindowStatics {
    bool switchingIn = false;
    plat::WindowProc mainProc = nullptr;
    plat::WindowProc stageProc = nullptr;
};

struct CCoreState {
    CCoreState();
    /// The activity manager goes first, then what waits for deferred deletion; the records
    /// they reach are still there while they go.
    ~CCoreState();
    CCoreState(const CCoreState&) = delete;
    CCoreState& operator=(const CCoreState&) = delete;

    CFrameState frame;
    CMouseState mouse;
    CKeyFlags keys;
    CMainWindowState mainWindow;
    CEventRing events;
    CWindowProcState windowProcs;
    CViewStatics views;
    CCursorState cursor;
    CWindowStatics windows;
    OActivity* currentActivity = nullptr;
    CActivityHooks* activityHooks = nullptr;
    CApplicationLink* application = nullptr;
    CDiagnosticsLink* diagnostics = nullptr;
    std::vector<CClassRow> classRows;
    int32_t failingListAllocations = 0;
    CDeferredDeletes deferred;
    std::unique_ptr<OActivityManager> activityManager;
};

/// The installed record.
CCoreState& xCore_State();
/// Installs the record (null: none) with the boxes' presenter, which shows the pointer around a
/// box; the engine context does this.
void xCore_InstallState(CCoreState* state);
