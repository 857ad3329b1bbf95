#include "engine/core/Application.h"

#include <new>

#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"

namespace {
OApplication* g_application = nullptr;
}

OApplication::OApplication() { g_application = this; }

OApplication::~OApplication() {
    xSound_Shutdown();
    delete partFile_;
    partFile_ = nullptr;
    if (g_application == this) g_application = nullptr;
}

OApplication* OApplication::Get() { return g_application; }

void OApplication::SetPartFile(CPartFile* file) {
    if (partFile_ != file) delete partFile_;
    partFile_ = file;
}

int32_t OApplication::CreateProcesses() {
    OWindow* window = OWindow::Main();
    if (!window) return 0;
    if (createSoundProcess && !soundProcess_) {
        const int16_t pipes = xProfiles_Values().numPipes;
        soundProcess_ = new (std::nothrow) OSoundProcess(uint32_t(pipes > 0 ? pipes : 0));
        if (soundProcess_) window->AddChild(soundProcess_);
    }
    return 0;
}
