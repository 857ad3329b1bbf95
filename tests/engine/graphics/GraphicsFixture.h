#pragma once
// The fixture of the drawing tests: fresh headless services and a fresh engine context (with
// its global palette, 16-bit layout and line context).
#include "engine/graphics/GraphicsContext.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

class GraphicsTest : public HeadlessTest {};

} // namespace vqt::test
