#include "engine/core/ActivityManager.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/ApplicationLink.h"
#include "engine/core/ClassFactory.h"
#include "engine/core/CoreState.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/Cursor.h"
#include "engine/core/DiagnosticsLink.h"
#include "engine/core/Interstitial.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/Memory.h"
#include "engine/data/MessageBox.h"
#include "engine/data/PartFile.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/SoundLink.h"
#include "platform/Platform.h"

OActivityManager::OActivityManager() : stream_(std::make_unique<ODrvMemory>()) {}

OActivityManager::~OActivityManager() {
    delete watcher_; // clears the pointer
    // Overlays: the current one, then the queue from its end; the default one last and once.
    DeleteOverlay(currentOverlay_, false);
    currentOverlay_ = nullptr;
    while (overlays_.Count() > 0) {
        OInterstitial* overlay = overlays_.RemoveLast();
        DeleteOverlay(overlay, false);
    }
    DeleteOverlay(defaultOverlay_, true);

    if (pending_) {
        if (ONode* parent = pending_->GetParent()) parent->RemoveChild(pending_);
        OActivity* doomed = pending_;
        pending_ = nullptr;
        delete doomed;
    }
    pendingFactory_ = nullptr;
    pendingId_ = kNullChunkId;
    if (current_) {
        current_->FlushSoundQueues();
        if (xActivity_GetCurrentView() == current_) xActivity_SetCurrentView(nullptr);
        if (ONode* parent = current_->GetParent()) parent->RemoveChild(current_);
        OActivity* doomed = current_;
        current_ = nullptr;
        delete doomed;
    }
    currentFactory_ = nullptr;
    currentId_ = kNullChunkId;
    defaultFactory_.reset();
    while (factories_.Count() > 0) delete factories_.RemoveLast();
    xSoundLink().StopAll();
    CloseStream();
}

void OActivityManager::Init(CPartFile* file, uint32_t /*unused*/) {
    partFile_ = file;
    if (!defaultFactory_) defaultFactory_ = std::make_unique<OClassFactory>();
    if (!defaultOverlay_) {
        defaultOverlay_ = new (std::nothrow) OPictureInterstitial;
        if (defaultOverlay_) {
            if (OWindow* window = OWindow::Main()) window->AddChild(defaultOverlay_);
            defaultOverlay_->Suspend(1);
        }
    }
    CDiagnosticsLink* link = xDiagnostics_Link();
    if (!watcher_ && !(link && link->MakePanel(&watcher_, 350, 80, 300, 80, "Activity Watcher", OWindow::Main()))) {
        xTrace("Failed to create the Activity Stats view\n");
        return;
    }
    watcher_->SetVisible(watcherVisible_, 0);
}

void OActivityManager::UpdateWatcher() {
    CDiagnosticsLink* link = xDiagnostics_Link();
    if (!watcher_ || !link || !watcher_->IsVisible() || !watcher_->IsShownThroughParents()) return;
    char current[ravo::kChunkNameLength] = "None";
    char pending[ravo::kChunkNameLength] = "None";
    if (partFile_ && currentId_ != kNullChunkId) partFile_->ReadChunkName(currentId_, current, sizeof current);
    if (partFile_ && pendingId_ != kNullChunkId) partFile_->ReadChunkName(pendingId_, pending, sizeof pending);
    char text[2 * ravo::kChunkNameLength + 96];
    std::snprintf(text, sizeof text, "Current Act : %s (%ld,%ld)\rPending Act : %s (%ld,%ld)\r", current,
                  long(ChunkIndexOf(currentId_)), long(ChunkEntryOf(currentId_)), pending,
                  long(ChunkIndexOf(pendingId_)), long(ChunkEntryOf(pendingId_)));
    link->SetPanelText(watcher_, text);
}

void OActivityManager::SwitchWatcher() {
    watcherVisible_ = watcherVisible_ ? 0 : 1;
    if (watcher_) watcher_->SetVisible(watcherVisible_, 0);
    UpdateWatcher();
}

bool OActivityManager::AddFactory(CFactory* factory) {
    if (!factory || factories_.Contains(factory)) return false;
    return factories_.Append(factory);
}

CFactory* OActivityManager::FindFactory(uint32_t classId) {
    for (int32_t i = 0; i < factories_.Count(); ++i)
        if (factories_.At(i)->IsSupported(classId)) return factories_.At(i);
    if (defaultFactory_ && defaultFactory_->IsSupported(classId)) return defaultFactory_.get();
    return nullptr;
}

void OActivityManager::RequestActivity(ChunkId id) {
    if (id != kNullChunkId && (!partFile_ || !partFile_->ChunkExists(id))) {
        char text[96];
        std::snprintf(text, sizeof text, "VQT : Missing Activity {%d, %d, %d}", int(ChunkIndexOf(id)),
                      int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        xMessageBox(text, "Error", 0);
        return;
    }
    if (switchPending_) {
        xTrace("Activity Manager error: attempt made to interrupt activity switch\n");
        return;
    }
    pendingId_ = id;
    switchPending_ = 1;
    objectsAttached_ = 0;
    phase_ = kPhaseAskLeave;
    UpdateWatcher();
}

bool OActivityManager::ReplacePendingRequest(ChunkId id) {
    if (!switchPending_ || phase_ != kPhaseAskLeave || current_ || pending_) return false;
    const ChunkId requested = pendingId_;
    switchPending_ = 0;
    RequestActivity(id);
    if (!switchPending_) { // the chunk is missing: the earlier request stands
        pendingId_ = requested;
        switchPending_ = 1;
        phase_ = kPhaseAskLeave;
    }
    return true;
}

bool OActivityManager::Step() {
    OWindow* window = OWindow::Main();
    CDrawSurface* display = window ? window->GetDisplaySurface() : nullptr;
    if (display && display->IsSurfaceLost()) return switchPending_ == 0;
    // The two orders differ up to the swap-in; the swap-in and the palette are alike.
    if (phase_ == kPhaseSwapIn) FinishSwapIn();
    else if (phase_ == kPhaseFinish) ApplyPalette();
    else if (variant_ == kUnloadFirst) StepUnloadFirst();
    else StepLoadFirst();
    return switchPending_ == 0;
}

bool OActivityManager::AskLeave() {
    if (!current_) return true;
    if (!current_->MayLeave()) return false;
    if (OWindow* window = OWindow::Main()) {
        window->Refresh();
        window->ResetPointerState();
        window->SetRootView(nullptr, false);
    }
    current_->SetCursorMode(0);
    return true;
}

void OActivityManager::SuspendCurrent() {
    current_->SetEnabled(false);
    current_->SetVisible(0, 0);
    current_->Suspend(1);
    current_->FlushSoundQueues();
    const CApplicationLink* app = xApplication_Link();
    if (app && app->HidesSystemCursor() && !cursorHidden_) {
        xCursor_Show(false);
        cursorHidden_ = true;
    }
}

void OActivityManager::DeleteActivity(OActivity*& activity) {
    if (!activity) return;
    if (xActivity_GetCurrentView() == activity) xActivity_SetCurrentView(nullptr);
    if (ONode* parent = activity->GetParent()) parent->RemoveChild(activity);
    delete activity;
    activity = nullptr;
    PoolShrink(PoolForThread());
}

void OActivityManager::DeleteOverlay(OInterstitial*& overlay, bool evenDefault) {
    if (!overlay || (overlay == defaultOverlay_ && !evenDefault)) return;
    if (ONode* parent = overlay->GetParent()) parent->RemoveChild(overlay);
    OInterstitial* doomed = overlay;
    overlay = nullptr;
    if (doomed == defaultOverlay_) defaultOverlay_ = nullptr;
    delete doomed;
}

void OActivityManager::FinishSwapIn() {
    SwapInPending();
    UpdateWatcher();
    if (OWindow* window = OWindow::Main()) window->SetFullRedraw();
    if (cursorHidden_) {
        xCursor_Show(true);
        cursorHidden_ = false;
    }
    phase_ = kPhaseFinish;
}

void OActivityManager::ApplyPalette() {
    UpdateWatcher();
    if (current_ && current_->GetPaletteId() != kNullChunkId) {
        if (OWindow* window = OWindow::Main()) window->SetPalette(current_->GetPalette());
        if (CDrawSurface* surface = current_->GetBackgroundSurface()) surface->SetPalette(&current_->GetPalette(), 0);
    }
    phase_ = kPhaseIdle;
    switchPending_ = 0;
}

void OActivityManager::StepUnloadFirst() {
    switch (phase_) {
    case kPhaseAskLeave:
        if (!AskLeave()) return;
        phase_ = kPhaseLoad;
        [[fallthrough]];
    case kPhaseLoad: {
        UpdateWatcher();
        NextOverlay();
        std::unique_ptr<CDrawSurface> old;
        if (current_) {
            SuspendCurrent();
            old = current_->TakeBackgroundSurface();
            DeleteActivity(current_);
        }
        if (pendingId_ != kNullChunkId) {
            LoadActivity(partFile_, &pendingId_, old);
            AttachObjects(true);
        }
        // The new activity took the old surface over, unless there is none: then it goes here.
        phase_ = kPhaseAttach;
        return;
    }
    case kPhaseAttach:
        if (currentOverlay_ && currentOverlay_->IsDone()) NextOverlay();
        if (currentOverlay_) return;
        FinishSwapIn(); // in the same step
        return;
    default:
        return;
    }
}

void OActivityManager::StepLoadFirst() {
    switch (phase_) {
    case kPhaseAskLeave:
        if (!AskLeave()) return;
        phase_ = kPhaseLoad;
        return;
    case kPhaseLoad:
        UpdateWatcher();
        if (pendingId_ != kNullChunkId) LoadActivity(partFile_, &pendingId_);
        else objectsAttached_ = 1;
        NextOverlay();
        if (current_) SuspendCurrent();
        phase_ = kPhaseAttach;
        return;
    case kPhaseAttach:
        if (!objectsAttached_) objectsAttached_ = AttachObjects(false) ? 1 : 0;
        if ((currentOverlay_ && currentOverlay_->IsDone()) || overlays_.Count() > 0) NextOverlay();
        if (currentOverlay_ || !objectsAttached_) return;
        phase_ = kPhaseSwapIn;
        return;
    default:
        return;
    }
}

void OActivityManager::CloseStream() {
    if (data_) {
        void* memory = nullptr;
        stream_->ReleaseMemory(&memory);
        xTempBuffers_Release(&data_);
    }
    stream_->Close();
    dataSize_ = 0;
}

bool OActivityManager::LoadActivity(CPartFile* file, const ChunkId* id) {
    std::unique_ptr<CDrawSurface> none;
    return LoadActivity(file, id, none);
}

bool OActivityManager::LoadActivity(CPartFile* file, const ChunkId* id, std::unique_ptr<CDrawSurface>& background) {
    bool tookHandedSurface = false;
    bool tookCurrentSurface = false;
    // Only the damage this load meets tells why it failed: the file keeps the last of any read.
    const uint32_t damageBefore = file ? file->GetDamageCount() : 0;
    auto fail = [&]() {
        if (pending_) {
            // The surface handed in stays with its owner: the caller, or the current activity.
            if (tookHandedSurface) background = pending_->TakeBackgroundSurface();
            else if (tookCurrentSurface && current_) current_->SetBackgroundSurface(pending_->TakeBackgroundSurface());
            pending_->Release();
            pending_ = nullptr;
        }
        pendingFactory_ = nullptr;
        CloseStream();
        loadFailure_ = LoadFailure(file, id ? *id : kNullChunkId, damageBefore);
        xTrace("Failed to load Activity data\n");
        return false;
    };

    CloseStream();
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!file || !id || !file->GetChunkLocation(*id, &size, &offset) || size < ActivityHeader::kSize) {
        xTrace("Activity data missing or shorter than its header\n");
        return fail();
    }
    char name[OObject::kNameSize] = {};
    file->ReadChunkName(*id, name, sizeof name);

    data_ = static_cast<uint8_t*>(xTempBuffers_Get(size));
    if (!data_ || !file->GetChunk(*id, data_)) return fail();
    dataSize_ = size;
    if (stream_->AdoptMemory(data_, size, size) != DRV_OK)
        return fail();

    // The header is read from the buffer: the activity reads it again from the stream's start.
    ActivityHeader header;
    if (!ActivityHeader::Parse({data_, size}, header)) return fail();

    pendingFactory_ = FindFactory(header.classId);
    if (!pendingFactory_) {
        xTrace("Failed to retrieve a factory for the specified activity\n");
        return fail();
    }
    pending_ = pendingFactory_->CreateActivity(header.classId);
    if (!pending_ && defaultFactory_) pending_ = defaultFactory_->CreateActivity(header.classId);
    if (!pending_) {
        xTrace("Failed to retrieve an instance of the specified activity\n");
        return fail();
    }
    pending_->SetObjectId(header.objectId);
    pending_->SetName(name);
    if (background) {
        pending_->SetBackgroundSurface(std::move(background));
        tookHandedSurface = true;
    } else if (current_) {
        pending_->SetBackgroundSurface(current_->TakeBackgroundSurface());
        tookCurrentSurface = true;
    }
    if (!pending_->ReadActivityData(file, stream_.get())) return fail();
    return true;
}

std::string OActivityManager::LoadFailure(CPartFile* file, ChunkId id, uint32_t damageBefore) {
    char shown[48];
    std::snprintf(shown, sizeof shown, "{%d, %d, %d}", int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                  int(ChunkEntryOf(id)));
    const std::string from = file ? " from \"" + file->GetName() + "\"" : std::string();
    if (!file || !file->ChunkExists(id))
        return std::string("The game's data is incomplete: activity ") + shown + " is missing" + from +
               ". The game ends.";
    std::string why = std::string("The game's data is damaged: activity ") + shown + " cannot be loaded" + from;
    if (file->GetDamageCount() != damageBefore && !file->GetDamage().empty()) why += " (" + file->GetDamage() + ")";
    return why + ". The game ends.";
}

bool OActivityManager::SkipTo(uint32_t position) {
    return stream_->Control(DRV_SEEK, 0, intptr_t(position)) == DRV_OK;
}

bool OActivityManager::AttachObjects(bool all) {
    if (!pending_ || !pendingFactory_) return true;
    do {
        const intptr_t at = stream_->Control(DRV_POSITION);
        if (at < 0 || uint32_t(at) >= dataSize_) return true;
        const uint32_t position = uint32_t(at);
        uint8_t raw[ActivityObjectRecord::kSize];
        ActivityObjectRecord record;
        if (dataSize_ - position < ActivityObjectRecord::kSize || !stream_->ReadExactly(raw, sizeof raw) ||
            !ActivityObjectRecord::Parse(raw, record)) {
            xTracef("Activity Manager : object record at %u runs past the activity data\n", unsigned(position));
            SkipTo(dataSize_);
            return true;
        }
        const uint32_t propertiesAt = position + ActivityObjectRecord::kSize;
        if (record.propertyBytes > dataSize_ - propertiesAt) {
            xTracef("Activity Manager : %u bytes of properties of the object record at %u run past the activity "
                    "data\n",
                    unsigned(record.propertyBytes), unsigned(position));
            SkipTo(dataSize_);
            return true;
        }
        const uint32_t next = propertiesAt + record.propertyBytes;
        OView* object = nullptr;
        if (record.classId != 0) {
            object = pendingFactory_->CreateActivityProp(record.classId);
            if (!object && defaultFactory_) object = defaultFactory_->CreateActivityProp(record.classId);
            if (!object)
                xTracef("Activity Manager : no factory makes objects of class %u; record skipped\n",
                        unsigned(record.classId));
        }
        if (object) {
            object->SetObjectId(record.objectId);
            object->LoadProperties(stream_.get(), record.propertyBytes);
            if (object->IsA(OActivityProp::kClassId))
                static_cast<OActivityProp*>(object)->SetPartID(partFile_, record.partId, 1, &pending_->GetPalette());
            if (pending_->AcceptObject(object)) pending_->AddChild(object);
            else delete object;
        }
        // Skipped records and short property readers alike leave the stream at the next record.
        SkipTo(next);
    } while (all);
    const intptr_t at = stream_->Control(DRV_POSITION);
    return at < 0 || uint32_t(at) >= dataSize_;
}

void OActivityManager::SwapInPending() {
    if (CDiagnosticsLink* link = xDiagnostics_Link()) link->OnActivitySwapped();
    if (!data_) {
        // The null id ends the game; any other activity that did not load leaves it nowhere to go.
        if (pendingId_ == kNullChunkId) RequestQuit();
        else RequestQuitForFault(loadFailure_, true);
        return;
    }
    CloseStream();
    if (current_) DeleteActivity(current_);
    previousId_ = currentId_;
    currentId_ = pendingId_;
    currentFactory_ = pendingFactory_;
    current_ = pending_;
    pending_ = nullptr;
    pendingFactory_ = nullptr;
    pendingId_ = kNullChunkId;
    if (!current_) return;
    xActivity_SetCurrentView(current_);
    if (OWindow* window = OWindow::Main()) {
        window->AddChild(current_);
        window->SetRootView(current_, true);
    }
    current_->OnActivated();
}

int32_t OActivityManager::AddOverlay(OInterstitial* overlay) {
    if (!overlay) return overlays_.Count();
    overlay->Suspend(1);
    if (OWindow* window = OWindow::Main()) window->AddChild(overlay);
    overlays_.Append(overlay);
    return overlays_.Count();
}

bool OActivityManager::IsOverlayActive() const { return currentOverlay_ && !currentOverlay_->IsDone(); }

int32_t OActivityManager::NextOverlay() {
    if (currentOverlay_) {
        currentOverlay_->Suspend(1);
        DeleteOverlay(currentOverlay_, false);
        currentOverlay_ = nullptr;
    }
    if (overlays_.Count() > 0) {
        currentOverlay_ = overlays_.RemoveAt(0);
        OWindow* window = OWindow::Main();
        CDrawSurface* display = window ? window->GetDisplaySurface() : nullptr;
        CDrawSurface* target = pending_ && pending_->GetBackgroundSurface() ? pending_->GetBackgroundSurface() : display;
        currentOverlay_->Setup(0, target);
        currentOverlay_->Resume(1);
    }
    return overlays_.Count();
}

void OActivityManager::OnObjectDeleted(OObject* object) {
    if (current_ && object != current_) current_->OnObjectDeleted(object);
}

void OActivityManager::OnNodeDestroyed(const ONode* node) {
    if (node == current_) {
        if (xActivity_GetCurrentView() == current_) xActivity_SetCurrentView(nullptr);
        current_ = nullptr;
    }
    if (node == pending_) pending_ = nullptr;
    if (node == currentOverlay_) currentOverlay_ = nullptr;
    if (node == defaultOverlay_) defaultOverlay_ = nullptr;
    for (int32_t i = overlays_.Count() - 1; i >= 0; --i) {
        if (overlays_.At(i) == node) overlays_.RemoveAt(i);
    }
}

bool CreateActivityManager() {
    std::unique_ptr<OActivityManager>& slot = xCore_State().activityManager;
    if (slot) return false;
    slot.reset(new (std::nothrow) OActivityManager);
    if (!slot) return false;
    xPlatform_SetActivityHooks(slot.get());
    return true;
}

bool DestroyActivityManager() {
    // Taken out of the record first: while it goes, the engine has no activity manager.
    std::unique_ptr<OActivityManager> manager = std::move(xCore_State().activityManager);
    if (!manager) return false;
    if (xPlatform_GetActivityHooks() == manager.get()) xPlatform_SetActivityHooks(nullptr);
    manager.reset();
    return true;
}

OActivityManager* GetActivityManager() { return xCore_State().activityManager.get(); }
