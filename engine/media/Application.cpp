#include "engine/media/Application.h"

#include <new>

#include "engine/core/Process.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/media/CheatService.h"
#include "engine/media/DebugKeywords.h"
#include "engine/media/MediaState.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/PartFlushProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SoundServiceProcess.h"

OApplication::OApplication() {
    xMedia_State().application = this;
    xApplication_SetLink(this);
}

OApplication::~OApplication() {
    // Lines still queued hold voices the part file caches: they go while it is open.
    if (messageProcess_) messageProcess_->ReleaseQueue();
    xSound_Shutdown();
    partFile_.reset();
    if (xMedia_State().application == this) {
        xMedia_State().application = nullptr;
        xApplication_SetLink(nullptr);
    }
}

OApplication* OApplication::Get() { return xMedia_State().application; }

void OApplication::SetPartFile(std::unique_ptr<CPartFile> file) { partFile_ = std::move(file); }

void OApplication::ForgetProcess(const OProcess* process) {
    if (!process) return;
    if (process == static_cast<const OProcess*>(mouseProcess_)) mouseProcess_ = nullptr;
    if (process == static_cast<const OProcess*>(cheatService_)) cheatService_ = nullptr;
    if (process == static_cast<const OProcess*>(messageProcess_)) messageProcess_ = nullptr;
    if (process == extraProcess_) extraProcess_ = nullptr;
}

bool OApplication::CreateExtraProcess() {
    OWindow* window = OWindow::Main();
    if (extraProcess_ || !window) return false;
    extraProcess_ = new (std::nothrow) OPartFlushProcess;
    if (!extraProcess_) return false;
    window->AddChild(extraProcess_);
    return true;
}

bool OApplication::SuspendExtra() {
    if (!extraProcess_) return false;
    extraProcess_->Suspend(1);
    return true;
}

bool OApplication::ResumeExtra() {
    if (!extraProcess_) return false;
    extraProcess_->Resume(1);
    return true;
}

int32_t OApplication::CreateProcesses() {
    OWindow* window = OWindow::Main();
    if (!window) return 0;
    if (!soundService_) {
        soundService_ = new (std::nothrow) OSoundServiceProcess;
        if (soundService_) window->AddChild(soundService_);
    }
    if (!mouseProcess_) {
        mouseProcess_ = new (std::nothrow) OMouseProcess;
        if (mouseProcess_) window->AddChild(mouseProcess_);
    }
    int32_t result = 0;
    if (!cheatService_) {
        cheatService_ = new (std::nothrow) OCheatService;
        if (cheatService_) {
            cheatService_->AddCodeTable(xDebug_KeywordTable());
            window->AddChild(cheatService_);
            result = 1;
        }
    }
    if (createSoundProcess && !soundProcess_) {
        const int16_t pipes = xProfiles_Values().numPipes;
        soundProcess_ = new (std::nothrow) OSoundProcess(uint32_t(pipes > 0 ? pipes : 0));
        if (soundProcess_) window->AddChild(soundProcess_);
    }
    if (createSoundProcess && createMessageProcess && !messageProcess_) {
        messageProcess_ = new (std::nothrow) OMessageProcess(soundProcess_);
        if (messageProcess_) window->AddChild(messageProcess_);
    }
    return result;
}
