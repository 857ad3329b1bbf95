#include "tests/support/HeadlessTest.h"

#include "engine/core/Random.h"
#include "engine/core/Trace.h"

namespace vqt::test {

void HeadlessTest::SetUp() {
    plat::UseHeadless();
    xTrace_Keys() = TraceKeys{};
    xTrace_Keys().logging = 1;
    xSRand(1);
    locale().SetLangId(0x0409);
    registry().SetContents("");
}

void HeadlessTest::TearDown() {
    xTrace_Keys() = TraceKeys{};
    plat::UseHeadless();
}

plat::VirtualClock& HeadlessTest::clock() {
    return static_cast<plat::VirtualClock&>(plat::clock());
}

plat::ScriptedDialogs& HeadlessTest::dialogs() {
    return static_cast<plat::ScriptedDialogs&>(plat::dialogs());
}

plat::RecordingDebugOutput& HeadlessTest::debug() {
    return static_cast<plat::RecordingDebugOutput&>(plat::debug());
}

plat::HeadlessSystem& HeadlessTest::system() {
    return static_cast<plat::HeadlessSystem&>(plat::system());
}

plat::HeadlessLocale& HeadlessTest::locale() {
    return static_cast<plat::HeadlessLocale&>(plat::locale());
}

plat::IniRegistry& HeadlessTest::registry() {
    return static_cast<plat::IniRegistry&>(plat::registry());
}

plat::ScriptedMessages& HeadlessTest::messages() {
    return static_cast<plat::ScriptedMessages&>(plat::messages());
}

plat::HeadlessInput& HeadlessTest::input() { return static_cast<plat::HeadlessInput&>(plat::input()); }

} // namespace vqt::test
