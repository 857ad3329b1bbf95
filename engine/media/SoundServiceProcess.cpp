#include "engine/media/SoundServiceProcess.h"

#include "engine/media/Sound.h"

OSoundServiceProcess::OSoundServiceProcess() : OProcess("OProcess", kClassId) {
    AddEventMask(kEventApplication);
    SetUserData(GetUserData() + 100);
}

int32_t OSoundServiceProcess::OnIdle() {
    if (xSound_Lock()) {
        CSoundState& s = xSound_State();
        for (int16_t i = 0; i < s.channelCount; ++i) {
            SoundChannel& ch = s.channels[i];
            if (ch.streaming && !ch.isFree && ch.snippet != nullptr && ch.snippet->service != nullptr) {
                ch.snippet->service(ch.snippet);
            }
        }
        xSound_Unlock();
    }
    xSound_ServiceStreams();
    return 1;
}
