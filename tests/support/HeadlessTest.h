#pragma once
#include <gtest/gtest.h>

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

/// Base fixture: fresh headless services, the virtual clock at 1000, tracing to the recorded
/// debug output, the locale in English (US) with code page 1252, an empty registry, and the
/// random source seeded with 1.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

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
};

} // namespace vqt::test
