#pragma once
// The fixture of the blitter tests: fresh headless services and a fresh engine context (with
// its blitter settings).
#include "engine/blit/Blitter.h"
#include "tests/support/HeadlessTest.h"

namespace blitmodel {

class BlitFixture : public vqt::test::HeadlessTest {};

} // namespace blitmodel
