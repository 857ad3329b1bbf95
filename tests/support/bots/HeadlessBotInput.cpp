#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {

BotInput HeadlessBotInput() {
    return {[](int32_t key, bool down) { static_cast<plat::HeadlessInput&>(plat::input()).SetKeyDown(key, down); }};
}

} // namespace vqt::test
