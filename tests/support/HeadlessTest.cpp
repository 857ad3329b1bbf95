#include "tests/support/HeadlessTest.h"

#include <vector>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/Memory.h"

namespace vqt::test {
namespace {

std::vector<void (*)()>& StateResets() {
    static std::vector<void (*)()> resets;
    return resets;
}

void ResetStates() {
    for (void (*reset)() : StateResets()) reset();
}

} // namespace

bool HeadlessTest::AddStateReset(void (*reset)()) {
    StateResets().push_back(reset);
    return true;
}

HeadlessTest::HeadlessTest() {
    plat::UseHeadless();
    xMemory_ResetForTest();
    context_ = std::make_unique<CEngineContext>();
    ResetStates();
}

HeadlessTest::~HeadlessTest() {
    ResetStates();
    context_.reset();
    plat::UseHeadless();
}

void HeadlessTest::SetUp() {
    xTrace_Keys().logging = 1;
    xSRand(1);
    locale().SetLangId(0x0409);
    registry().SetContents("");
}

void HeadlessTest::RenewContext() {
    context_.reset();
    context_ = std::make_unique<CEngineContext>();
    ResetStates();
    xTrace_Keys().logging = 1;
    xSRand(1);
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
