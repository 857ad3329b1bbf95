#include "platform/Dialogs.h"

namespace plat::mb {

int DefaultAnswer(uint32_t type) {
    static constexpr int kFirst[] = {IdOk, IdOk, IdAbort, IdYes, IdYes, IdRetry};
    static constexpr int kSecond[] = {IdOk, IdCancel, IdRetry, IdNo, IdNo, IdCancel};
    const uint32_t buttons = type & ButtonMask;
    if (buttons > RetryCancel) {
        return IdOk;
    }
    return (type & DefaultButton2) ? kSecond[buttons] : kFirst[buttons];
}

} // namespace plat::mb
