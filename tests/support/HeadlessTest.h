#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "engine/app/EngineContext.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessSystem.h"
#include "platform/headless/IniRegistry.h"
#include "platform/headless/RecordingDebugOutput.h"
#include "platform/headless/ScriptedDialogs.h"
#include "platform/headless/ScriptedMessages.h"
#include "platform/headless/VirtualClock.h"

namespace vqt::test {

/// Base fixture: fresh headless services, the memory manager's state forgotten and a fresh
/// engine context, made before the test's own members and ended after them; the virtual clock
/// at 1000, tracing to the recorded debug output, the locale in English (US) with code page
/// 1252, an empty registry, and the random source seeded with 1. The sound engine stops with
/// the context, and sound goes to the null device.
class HeadlessTest : public ::testing::Test {
public:
    /// Adds the reset of a state record above the engine (a game module's): it runs with every
    /// fixture's engine context, as the context starts and as it ends. Answers true, so that a
    /// test program names its resets in static initialisers.
    static bool AddStateReset(void (*reset)());

protected:
    HeadlessTest();
    ~HeadlessTest() override;
    void SetUp() override;

    plat::VirtualClock& clock();
    plat::ScriptedDialogs& dialogs();
    plat::RecordingDebugOutput& debug();
    plat::HeadlessSystem& system();
    /// The locale, pinned to English (US) whatever LANG says.
    plat::HeadlessLocale& locale();
    /// The registry, empty unless a test gives it contents.
    plat::IniRegistry& registry();
    plat::ScriptedMessages& messages();
    plat::HeadlessInput& input();
    /// Everything traced so far.
    const std::string& traced() { return debug().Text(); }
    /// Ends the engine context and starts a fresh one with this fixture's settings, for a case
    /// of a table that needs an engine of its own.
    void RenewContext();

private:
    std::unique_ptr<CEngineContext> context_;
};

} // namespace vqt::test
