#pragma once
// The fixture of the blitter tests: fresh headless services and fresh blitter settings.
#include "engine/blit/Blitter.h"
#include "tests/support/HeadlessTest.h"

namespace blitmodel {

class BlitFixture : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        BltContext().ResetForTest();
    }
    void TearDown() override {
        BltContext().ResetForTest();
        HeadlessTest::TearDown();
    }
};

} // namespace blitmodel
