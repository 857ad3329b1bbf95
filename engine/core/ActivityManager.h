#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/ActivityHooks.h"
#include "engine/core/PtrList.h"
#include "engine/data/ChunkId.h"

class CDrawSurface;
class CFactory;
class CPartFile;
class OActivity;
class ODrvMemory;
class OInterstitial;
class OView;
class OWindow;

/// The one activity manager: switches to a requested activity in phases spread over frames (one
/// step per frame from the frame tick), makes activities and their objects through the
/// registered factories with the engine's OClassFactory last, and shows queued overlays while a
/// switch runs. The activities and overlays it makes belong to it until they are added to the
/// main window; from then on they belong to the tree, and the manager, to delete one, first takes
/// it back out of the tree. When the tree deletes one of them (the main window goes first), the
/// manager hears of it and forgets it.
class OActivityManager : public CActivityHooks {
public:
    /// Switch phases (2 is never used).
    enum : int16_t {
        kPhaseIdle = 0,
        kPhaseAskLeave = 1,
        kPhaseLoad = 3,
        kPhaseAttach = 4,
        kPhaseSwapIn = 5,
        kPhaseFinish = 6,
    };
    /// Variants: load the new activity before the old one goes, or unload the old one first.
    enum : uint8_t { kLoadFirst = 0, kUnloadFirst = 1 };

    OActivityManager();
    /// Deletes the overlays, the pending and current activities that still exist, every factory
    /// (the registered ones last first), stops the sound channels and closes the activity data
    /// stream.
    ~OActivityManager() override;

    /// Stores the part file that activities are read from, makes the engine's factory and the
    /// default overlay (added to the main window and suspended).
    void Init(CPartFile* file, uint32_t unused = 0);
    void CreateWatcher(CPartFile* file, uint32_t unused = 0) { Init(file, unused); }

    /// False for null and for a factory already listed; the manager owns listed factories.
    bool AddFactory(CFactory* factory);
    /// The first registered factory that supports the activity class, else the engine's when
    /// it does, else null.
    CFactory* FindFactory(uint32_t classId);

    /// Asks for a switch to the activity of the chunk id. A missing chunk shows "VQT : Missing
    /// Activity {%d, %d, %d}"; a request while a switch runs is refused with a trace.
    void RequestActivity(ChunkId id);
    /// Puts `id` in the place of the pending request while the switch it started has done
    /// nothing yet (no activity asked to leave, none loaded); false otherwise. A missing chunk
    /// shows its box and leaves the pending request as it was.
    bool ReplacePendingRequest(ChunkId id);
    /// One step of the pending switch; true when no switch is pending afterwards.
    bool Step();
    /// The number of queued overlays after adding one (null adds nothing).
    int32_t AddOverlay(OInterstitial* overlay);
    /// Whether the current overlay has not finished yet.
    bool IsOverlayActive() const;

    // Steps of a switch.
    /// Reads the activity of the chunk into the pending activity. Its background surface is
    /// `background` when one is given (it stays the caller's when the load fails), else the
    /// current activity's (given back when the load fails).
    bool LoadActivity(CPartFile* file, const ChunkId* id, std::unique_ptr<CDrawSurface>& background);
    bool LoadActivity(CPartFile* file, const ChunkId* id);
    bool AttachObjects(bool all);
    void SwapInPending();
    int32_t NextOverlay();
    /// Sets the watcher panel's text to the names and ids of the current and pending
    /// activities, when the panel exists and shows.
    void UpdateWatcher();
    /// Switches the watcher flag, shows or hides the watcher panel by it and updates its text.
    void SwitchWatcher();
    bool IsWatcherVisible() const { return watcherVisible_ != 0; }
    /// The "Activity Watcher" panel, or null.
    OView* GetWatcherView() const { return watcher_; }

    // CActivityHooks
    bool IsSwitchPending() override { return switchPending_ != 0; }
    void StepSwitch() override { Step(); }
    void OnObjectDeleted(OObject* object) override;
    void OnNodeDestroyed(const ONode* node) override;

    uint8_t GetVariant() const { return variant_; }
    void SetVariant(uint8_t variant) { variant_ = variant; }
    int16_t GetPhase() const { return phase_; }
    ChunkId GetPreviousId() const { return previousId_; }
    ChunkId GetCurrentId() const { return currentId_; }
    ChunkId GetPendingId() const { return pendingId_; }
    OActivity* GetCurrentActivity() const { return current_; }
    OActivity* GetPendingActivity() const { return pending_; }
    CFactory* GetCurrentFactory() const { return currentFactory_; }
    CFactory* GetDefaultFactory() const { return defaultFactory_.get(); }
    CPartFile* GetPartFile() const { return partFile_; }
    /// Why the last activity that failed to load did, as the run's end tells it.
    const std::string& GetLoadFailure() const { return loadFailure_; }
    OInterstitial* GetCurrentOverlay() const { return currentOverlay_; }
    OInterstitial* GetDefaultOverlay() const { return defaultOverlay_; }
    int32_t QueuedOverlays() const { return overlays_.Count(); }
    bool AreObjectsAttached() const { return objectsAttached_ != 0; }
    /// Nothing in the engine sets it: the arcade steps of the game ask it.
    bool IsPaused() const { return paused_ != 0; }
    void SetPaused(bool on) { paused_ = on ? 1 : 0; }

private:
    void StepUnloadFirst();
    void StepLoadFirst();
    /// Phase 1: the current activity's consent; true when the switch may go on.
    bool AskLeave();
    /// Disables, hides, suspends and flushes the current activity; hides the system cursor
    /// when the game draws its own.
    void SuspendCurrent();
    /// Phase 5 and the end of phase 4.
    void FinishSwapIn();
    /// Phase 6.
    void ApplyPalette();
    /// Takes an activity out of the main window and deletes it, then shrinks the pool.
    void DeleteActivity(OActivity*& activity);
    /// Takes an overlay out of the main window and deletes it; the default overlay is kept
    /// unless `evenDefault`.
    void DeleteOverlay(OInterstitial*& overlay, bool evenDefault);
    /// Closes the stream and returns the activity data buffer.
    void CloseStream();
    /// Skips to the end of an object record's properties; false when they run past the data.
    bool SkipTo(uint32_t position);
    /// Why the activity did not load, for the user: its chunk is missing, or its data is
    /// damaged (with the damage its part file met since its count stood at `damageBefore`).
    static std::string LoadFailure(CPartFile* file, ChunkId id, uint32_t damageBefore);

    uint8_t variant_ = kLoadFirst;
    /// A child of the main window, made by Init and deleted with the manager; cleared when the
    /// tree deletes it first.
    OView* watcher_ = nullptr;
    uint8_t watcherVisible_ = 0;
    OInterstitial* currentOverlay_ = nullptr;
    OInterstitial* defaultOverlay_ = nullptr;
    CPtrList<OInterstitial> overlays_;
    CPtrList<CFactory> factories_;
    CPartFile* partFile_ = nullptr;
    std::unique_ptr<CFactory> defaultFactory_;
    uint8_t switchPending_ = 0;
    uint8_t objectsAttached_ = 0;
    int16_t phase_ = kPhaseIdle;
    ChunkId previousId_ = kNullChunkId;
    ChunkId currentId_ = kNullChunkId;
    ChunkId pendingId_ = kNullChunkId;
    CFactory* currentFactory_ = nullptr;
    OActivity* current_ = nullptr;
    CFactory* pendingFactory_ = nullptr;
    OActivity* pending_ = nullptr;
    std::unique_ptr<ODrvMemory> stream_;
    uint8_t* data_ = nullptr;
    uint32_t dataSize_ = 0;
    std::string loadFailure_; ///< why the last activity that failed to load did, for the user
    bool cursorHidden_ = false;
    uint8_t paused_ = 0;
};

/// False when the manager exists already; otherwise makes it (installing it as the frame
/// tick's activity hooks) and answers whether it could be made.
bool CreateActivityManager();
/// False when there is none; otherwise destroys it.
bool DestroyActivityManager();
OActivityManager* GetActivityManager();
