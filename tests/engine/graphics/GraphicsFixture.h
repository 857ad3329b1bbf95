#pragma once
// The fixture of the drawing tests: fresh headless services and a fresh graphics context
// (global palette, 16-bit layout, line context) before and after each case.
#include "engine/graphics/GraphicsContext.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

class GraphicsTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xGraphics_Context().ResetForTest();
    }
    void TearDown() override {
        xGraphics_Context().ResetForTest();
        HeadlessTest::TearDown();
    }
};

} // namespace vqt::test
