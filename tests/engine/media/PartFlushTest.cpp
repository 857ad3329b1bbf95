#include <gtest/gtest.h>

#include "engine/data/PartFile.h"
#include "engine/media/PartFlushProcess.h"
#include "tests/engine/media/PointerFixture.h"

namespace vqt::test {
namespace {

/// A part file that counts its flushes.
class CountingPartFile : public CPartFile {
public:
    void Flush() override { ++flushes; }
    int flushes = 0;
};

class PartFlushTest : public PointerTest {};

TEST_F(PartFlushTest, ThePartFileIsFlushedTwiceASecondExceptWhileSuspended) {
    auto owned = std::make_unique<CountingPartFile>();
    CountingPartFile& file = *owned;
    app.SetPartFile(std::move(owned));
    EXPECT_FALSE(app.SuspendExtra());
    ASSERT_TRUE(app.CreateExtraProcess());
    EXPECT_FALSE(app.CreateExtraProcess());

    Frames(180, 1000 / 60); // 3 s at 60 frames a second
    EXPECT_GE(file.flushes, 5);
    EXPECT_LE(file.flushes, 6);

    ASSERT_TRUE(app.SuspendExtra());
    const int before = file.flushes;
    Frames(120, 1000 / 60);
    EXPECT_EQ(file.flushes, before);
    ASSERT_TRUE(app.ResumeExtra());
    Frames(1, 1000 / 60);
    EXPECT_EQ(file.flushes, before + 1) << "the first frame after the pause flushes";
}

} // namespace
} // namespace vqt::test
