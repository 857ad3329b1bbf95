#include "engine/media/PartFlushProcess.h"

#include "engine/core/Event.h"
#include "engine/data/PartFile.h"
#include "engine/media/Application.h"

OPartFlushProcess::OPartFlushProcess() : OProcess("OProcess", kClassId) {
    SetEventMask(kEventApplication);
    flushTimer_.Start(kFlushMs);
}

OPartFlushProcess::~OPartFlushProcess() {
    if (OApplication* app = OApplication::Get()) app->ForgetProcess(this);
}

int32_t OPartFlushProcess::OnIdle() {
    busy_ = 1;
    if (flushTimer_.HasElapsed()) {
        OApplication* app = OApplication::Get();
        if (CPartFile* file = app ? app->GetPartFile() : nullptr) file->Flush();
        flushTimer_.Restart();
    }
    busy_ = 0;
    return 1;
}
