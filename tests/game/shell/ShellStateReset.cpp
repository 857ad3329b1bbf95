// Every fixture of the game shell's tests starts and ends with the shell's state forgotten.
#include "game/shell/GameShellState.h"
#include "tests/support/HeadlessTest.h"

namespace {

const bool registered = vqt::test::HeadlessTest::AddStateReset(&CGameShellState::ResetForTest);

} // namespace
