#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {

BotInput HeadlessBotInput() {
    return {[](int32_t key, bool down) { static_cast<plat::HeadlessInput&>(plat::input()).SetKeyDown(key, down); },
            [] { return static_cast<plat::ScriptedMessages&>(plat::messages()).Pending(); }};
}

} // namespace vqt::test
