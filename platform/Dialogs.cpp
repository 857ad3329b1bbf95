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

int ClosedAnswer(uint32_t type) {
    static constexpr int kClosed[] = {IdOk, IdCancel, IdIgnore, IdCancel, IdNo, IdCancel};
    const uint32_t buttons = type & ButtonMask;
    return buttons > RetryCancel ? IdOk : kClosed[buttons];
}

} // namespace plat::mb
