#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/data/DrvFile.h"
#include "engine/data/DrvUnBuffFile.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessTest.h"

namespace {

using vqt::test::FakeFiles;
using vqt::test::Pattern;

int handlerCalls = 0;

int32_t CountingHandler(ODriver*) {
    ++handlerCalls;
    return 0;
}

int32_t GivingUpHandler(ODriver*) {
    ++handlerCalls;
    throw kDriverException;
}

/// Stands for a user who answers the prompt a few times and then gives up.
int32_t GiveUpAfterFiveCalls(ODriver*) {
    if (++handlerCalls >= 5) throw kDriverException;
    return 0;
}

class DrvFileTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        fake = &FakeFiles::Install();
        handlerCalls = 0;
    }

    /// Reads count bytes and checks they are the file's bytes at `offset`.
    static void ExpectRead(ODriver& driver, uint32_t count, size_t offset, const std::string& file) {
        std::string buffer(count, '\xEE');
        uint32_t got = 0;
        EXPECT_EQ(driver.Read(buffer.data(), count, &got), DRV_OK);
        ASSERT_EQ(got, count);
        EXPECT_EQ(buffer, file.substr(offset, count)) << "at offset " << offset;
    }

    FakeFiles* fake = nullptr;
};

// --- Buffered reads ---

TEST_F(DrvFileTest, SmallReadsShareOneFillAndLargeOnesGoStraightToTheFileInWholeBufferSizes) {
    const std::string file = Pattern(10096);
    fake->Put("data.bin", file);
    ODrvFile driver;
    ASSERT_EQ(driver.Open("data.bin", DRV_MODE_READ), DRV_OK);
    ExpectRead(driver, 12, 0, file);
    ExpectRead(driver, 2036, 12, file);
    EXPECT_EQ(fake->counts.reads, 1);
    EXPECT_EQ(driver.Control(DRV_POSITION), 2048);
    ExpectRead(driver, 1, 2048, file);
    EXPECT_EQ(fake->counts.reads, 2);
    ExpectRead(driver, 2047 + 5000, 2049, file); // the buffer's rest, 4096 directly, then one fill
    EXPECT_EQ(fake->counts.reads, 4);
    ExpectRead(driver, 1000, 9096, file); // still buffered
    EXPECT_EQ(fake->counts.reads, 4);
    uint32_t got = 99;
    char byte = 0;
    EXPECT_EQ(driver.Read(&byte, 1, &got), DRV_OK);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(driver.Control(DRV_EOD), 1);
}

TEST_F(DrvFileTest, EverySeekWithTheDefaultBufferRereads) {
    const std::string file = Pattern(5000);
    fake->Put("data.bin", file);
    ODrvFile driver;
    ASSERT_EQ(driver.Open("data.bin", DRV_MODE_READ), DRV_OK);
    ExpectRead(driver, 12, 0, file);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 4), DRV_OK); // back into held data
    ExpectRead(driver, 8, 4, file);
    EXPECT_EQ(fake->counts.reads, 2);
    ASSERT_EQ(driver.Control(DRV_SEEK, 1, 100), DRV_OK); // from the logical position 12
    EXPECT_EQ(driver.Control(DRV_POSITION), 112);
    ExpectRead(driver, 4, 112, file);
    ASSERT_EQ(driver.Control(DRV_SEEK, 2, 10), DRV_OK); // 10 back from the end
    ExpectRead(driver, 10, 4990, file);
    EXPECT_EQ(fake->counts.reads, 4);
    EXPECT_EQ(driver.Control(DRV_SEEK, 3, 0), DRV_ERR_SEEK);
    EXPECT_EQ(driver.Control(DRV_SEEK, 1, -6000), DRV_ERR_SEEK);
}

TEST_F(DrvFileTest, LargerBufferKeepsDataForSeeksFarEnoughBeforeItsEnd) {
    const std::string file = Pattern(20000);
    fake->Put("data.bin", file);
    ODrvFile driver;
    ASSERT_EQ(driver.SetBufferSize(8192), DRV_OK); // recorded before the open
    ASSERT_EQ(driver.Open("data.bin", DRV_MODE_READ), DRV_OK);
    EXPECT_EQ(driver.GetBufferSize(), 8192u);
    ExpectRead(driver, 100, 0, file);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 5), DRV_OK);
    ExpectRead(driver, 50, 5, file);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 6143), DRV_OK); // 2049 bytes before the end: kept
    ExpectRead(driver, 10, 6143, file);
    EXPECT_EQ(fake->counts.reads, 1);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 6144), DRV_OK); // exactly 2048 before: reread
    ExpectRead(driver, 10, 6144, file);
    EXPECT_EQ(fake->counts.reads, 2);
}

TEST_F(DrvFileTest, ResizingTheBufferKeepsTheUnreadBytesOrDropsThemSafely) {
    const std::string file = Pattern(10000);
    fake->Put("data.bin", file);
    ODrvFile driver;
    ASSERT_EQ(driver.Open("data.bin", DRV_MODE_READ), DRV_OK);
    ExpectRead(driver, 2000, 0, file); // 48 bytes left in the buffer
    ASSERT_EQ(driver.SetBufferSize(64), DRV_OK);
    ExpectRead(driver, 48, 2000, file);
    EXPECT_EQ(fake->counts.reads, 1);
    ExpectRead(driver, 10, 2048, file); // fills the small buffer
    ASSERT_EQ(driver.SetBufferSize(4), DRV_OK); // 54 bytes left do not fit: dropped
    EXPECT_EQ(driver.Control(DRV_POSITION), 2058);
    ExpectRead(driver, 100, 2058, file);
    EXPECT_EQ(driver.SetBufferSize(0), DRV_ERR_QUERY);
    EXPECT_EQ(driver.GetBufferSize(), 4u);
}

TEST_F(DrvFileTest, WriteAfterBufferedReadLandsAtTheLogicalPosition) {
    fake->Put("data.bin", Pattern(3000));
    ODrvFile driver;
    ASSERT_EQ(driver.Open("data.bin", DRV_MODE_READWRITE), DRV_OK);
    char buffer[10];
    uint32_t got = 0;
    ASSERT_EQ(driver.Read(buffer, 10, &got), DRV_OK);
    uint32_t written = 0;
    ASSERT_EQ(driver.Write("XY", 2, &written), DRV_OK);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(driver.Control(DRV_POSITION), 12);
    std::string expected = Pattern(3000);
    expected[10] = 'X';
    expected[11] = 'Y';
    EXPECT_EQ(fake->Get("data.bin"), expected);
}

// --- Open, create, modes and controls of the file drivers ---

TEST_F(DrvFileTest, OpenRefusesMissingNamesModesAndSecondOpens) {
    fake->Put("a.bin", "abc");
    ODrvUnBuffFile driver;
    EXPECT_EQ(driver.Open(nullptr, 1), DRV_ERR_OPEN);
    EXPECT_EQ(driver.Open("", 1), DRV_ERR_OPEN);
    EXPECT_EQ(driver.Open("a.bin", 0), DRV_ERR_MODE);
    EXPECT_EQ(driver.Open("a.bin", 4), DRV_ERR_MODE);
    EXPECT_EQ(driver.Open("missing.bin", 1), DRV_ERR_OPEN);
    EXPECT_EQ(driver.GetErrorCode(), DRV_ERR_OPEN);
    ASSERT_EQ(driver.Open("a.bin", 1), DRV_OK);
    EXPECT_EQ(driver.Open("a.bin", 1), DRV_ERR_OPEN);
    EXPECT_EQ(driver.Close(), DRV_OK);
    EXPECT_EQ(fake->counts.openHandles, 0);
}

TEST_F(DrvFileTest, ReadsAndWritesNeedTheirModeAndAnOpenFile) {
    fake->Put("a.bin", "abc");
    char buffer[4];
    uint32_t count = 7;
    ODrvFile reader;
    EXPECT_EQ(reader.Read(buffer, 1, &count), DRV_ERR_MODE); // never opened
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(reader.Open("a.bin", DRV_MODE_READ), DRV_OK);
    EXPECT_EQ(reader.Write("x", 1, &count), DRV_ERR_MODE);
    ODrvUnBuffFile writer;
    ASSERT_EQ(writer.Open("a.bin", DRV_MODE_WRITE), DRV_OK);
    EXPECT_EQ(writer.Read(buffer, 1, &count), DRV_ERR_MODE);
    ODrvUnBuffFile closedBetween; // with a handler the file waits for the first access
    closedBetween.SetAccessFailureHandler(CountingHandler);
    ASSERT_EQ(closedBetween.Open("a.bin", DRV_MODE_WRITE), DRV_OK);
    EXPECT_EQ(closedBetween.Write("x", 1, &count), DRV_ERR_WRITE);
    EXPECT_EQ(closedBetween.Control(DRV_ISOPEN), 1); // a control is an access of its own
}

TEST_F(DrvFileTest, CreateMakesTheFileAnewAndOpensItForReadingAndWriting) {
    fake->Put("save.vqk", "old contents");
    ODrvFile driver;
    ASSERT_EQ(driver.Create("save.vqk", DRV_MODE_READ), DRV_OK);
    EXPECT_EQ(driver.GetMode(), DRV_MODE_READWRITE);
    EXPECT_EQ(fake->Get("save.vqk"), "");
    uint32_t written = 0;
    ASSERT_EQ(driver.Write("new", 3, &written), DRV_OK);
    EXPECT_EQ(fake->Get("save.vqk"), "new");
    EXPECT_EQ(driver.Create("other.vqk", DRV_MODE_READWRITE), DRV_ERR_OPEN); // still open

    ODrvUnBuffFile locked;
    fake->undeletable.insert("save.vqk");
    EXPECT_EQ(locked.Create("save.vqk", DRV_MODE_READWRITE), DRV_ERR_CREATE);
    fake->failOpens = 1;
    EXPECT_EQ(locked.Create("fresh.vqk", DRV_MODE_READWRITE), DRV_ERR_CREATE);
}

TEST_F(DrvFileTest, ControlsAnswerSizePositionEndAndOpenState) {
    fake->Put("a.bin", Pattern(100));
    ODrvUnBuffFile driver;
    EXPECT_EQ(driver.Control(DRV_SEEK, 0, 0), DRV_ERR_UNSUPPORTED); // no file open
    EXPECT_EQ(driver.Control(DRV_POSITION), DRV_ERR_QUERY);
    EXPECT_EQ(driver.Control(DRV_EOD), DRV_ERR_QUERY);
    EXPECT_EQ(driver.Control(DRV_ISOPEN), 0);
    ASSERT_EQ(driver.Open("a.bin", DRV_MODE_READWRITE), DRV_OK);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 30), DRV_OK);
    EXPECT_EQ(driver.Control(DRV_SIZE), 100);
    EXPECT_EQ(driver.Control(DRV_POSITION), 30); // the size query keeps the position
    EXPECT_EQ(driver.Control(DRV_EOD), 0);
    EXPECT_EQ(driver.Control(DRV_POSITION), 30); // so does the end-of-data test
    ASSERT_EQ(driver.Control(DRV_SEEK, 2, 0), DRV_OK);
    EXPECT_EQ(driver.Control(DRV_EOD), 1);
    EXPECT_EQ(driver.Control(DRV_SEEK, 9, 0), DRV_ERR_SEEK);
    EXPECT_EQ(driver.Control(DRV_SEEK, 1, -200), DRV_ERR_SEEK);
    ASSERT_EQ(driver.Control(DRV_SETEND, 0, 0, 40), DRV_OK);
    EXPECT_EQ(fake->Get("a.bin"), Pattern(40));
    ASSERT_EQ(driver.Control(DRV_SETEND, 0, 0, 50), DRV_OK);
    EXPECT_EQ(fake->Get("a.bin"), Pattern(40) + std::string(10, '\0'));
    EXPECT_EQ(driver.Attach(nullptr, 0, 0), DRV_ERR_UNSUPPORTED);
}

TEST_F(DrvFileTest, LentHandleIsTheOpenFileAndAdoptedHandlesAreRead) {
    fake->Put("a.bin", "0123456789");
    ODrvFile driver;
    ASSERT_EQ(driver.Open("a.bin", DRV_MODE_READ), DRV_OK);
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 4), DRV_OK);
    plat::File* lent = driver.LendFile();
    ASSERT_NE(lent, nullptr);
    char two[2];
    ASSERT_EQ(lent->Read(two, 2), 2);
    EXPECT_EQ(std::string(two, 2), "45");
    EXPECT_EQ(driver.EndLending(), DRV_OK);

    ODrvFile adopter;
    auto handle = plat::files().Open("a.bin", plat::OpenMode::Read);
    ASSERT_EQ(adopter.AdoptFile(std::move(handle)), DRV_OK);
    EXPECT_EQ(adopter.GetMode(), DRV_MODE_READ);
    ExpectRead(adopter, 10, 0, "0123456789");
    EXPECT_EQ(adopter.AdoptFile(nullptr), DRV_ERR_OPEN);
}

// --- Access-failure handler ---

TEST_F(DrvFileTest, WithAHandlerTheFileIsOpenOnlyDuringAccesses) {
    const std::string file = Pattern(4000);
    fake->Put("part.vqk", file);
    ODrvUnBuffFile driver;
    driver.SetAccessFailureHandler(CountingHandler);
    ASSERT_EQ(driver.Open("part.vqk", DRV_MODE_READ), DRV_OK);
    EXPECT_EQ(fake->counts.openHandles, 0);
    ExpectRead(driver, 100, 0, file);
    EXPECT_EQ(fake->counts.openHandles, 0);
    ExpectRead(driver, 100, 100, file); // the position is kept while the file is closed

    const int opensBefore = fake->counts.opens;
    driver.BeginAccess();
    driver.BeginAccess();
    ExpectRead(driver, 10, 200, file);
    ExpectRead(driver, 10, 210, file);
    EXPECT_EQ(fake->counts.opens, opensBefore + 1);
    driver.EndAccess();
    EXPECT_EQ(fake->counts.openHandles, 1); // only the outermost end closes
    driver.EndAccess();
    EXPECT_EQ(fake->counts.openHandles, 0);
    EXPECT_EQ(handlerCalls, 0);
}

TEST_F(DrvFileTest, FailedOpensAndReadsCallTheHandlerUntilTheFileIsBackAndDeliverTheExactBytes) {
    const std::string file = Pattern(3000);
    fake->Put("part.vqk", file);
    for (const bool buffered : {false, true}) {
        for (int* failures : {&fake->failOpens, &fake->failReads}) {
            SCOPED_TRACE(std::string(buffered ? "buffered" : "unbuffered") +
                         (failures == &fake->failOpens ? ", opens" : ", reads"));
            handlerCalls = 0;
            std::unique_ptr<ODrvUnBuffFile> driver =
                buffered ? std::make_unique<ODrvFile>() : std::make_unique<ODrvUnBuffFile>();
            driver->SetAccessFailureHandler(CountingHandler);
            ASSERT_EQ(driver->Open("part.vqk", DRV_MODE_READ), DRV_OK);
            ExpectRead(*driver, 7, 0, file);
            *failures = 3; // the disc is out for three tries
            ExpectRead(*driver, 2500, 7, file);
            EXPECT_EQ(handlerCalls, 3);
            EXPECT_EQ(fake->counts.openHandles, 0);
        }
    }
    // Without a handler a failed read is an error.
    ODrvUnBuffFile plain;
    ASSERT_EQ(plain.Open("part.vqk", DRV_MODE_READ), DRV_OK);
    fake->failReads = 1;
    char buffer[3];
    uint32_t got = 5;
    EXPECT_EQ(plain.Read(buffer, 3, &got), DRV_ERR_READ);
    EXPECT_EQ(got, 0u);
}

TEST_F(DrvFileTest, AReadThatFailsOnADeadHandleGoesOnWithTheFileOpenedAgain) {
    const std::string file = Pattern(1000);
    fake->Put("part.vqk", file);
    ODrvUnBuffFile driver;
    driver.SetAccessFailureHandler(GiveUpAfterFiveCalls);
    ASSERT_EQ(driver.Open("part.vqk", DRV_MODE_READ), DRV_OK);
    DrvAccess access(driver); // the file stays open across the reads
    ExpectRead(driver, 100, 0, file);
    fake->KillOpenFiles(); // the disc went out and came back: the open handle is useless
    ExpectRead(driver, 300, 100, file);
    EXPECT_EQ(handlerCalls, 1);
    ExpectRead(driver, 10, 400, file);
}

TEST_F(DrvFileTest, AHandlerThatGivesUpLeavesEveryCountBalanced) {
    const std::string file = Pattern(5000);
    fake->Put("part.vqk", file);
    ODrvFile driver;
    driver.SetAccessFailureHandler(GivingUpHandler);
    ASSERT_EQ(driver.Open("part.vqk", DRV_MODE_READ), DRV_OK);
    ExpectRead(driver, 10, 0, file);

    // The disc is out when the buffer runs dry: the reader takes the buffered bytes and the
    // read ends with the exception.
    fake->failOpens = 1;
    std::string buffer(2100, '\0');
    uint32_t got = 0;
    try {
        driver.Read(buffer.data(), 2100, &got);
        FAIL() << "the read should have thrown";
    } catch (const char* text) {
        EXPECT_STREQ(text, "Driver Exception");
    }
    EXPECT_EQ(buffer.substr(0, 2038), file.substr(10, 2038));
    fake->failReads = 1;
    EXPECT_THROW(driver.Read(buffer.data(), 100, &got), const char*);
    EXPECT_EQ(handlerCalls, 2);
    EXPECT_EQ(fake->counts.openHandles, 0);

    // Both failures are over: the driver goes on where it stopped and still closes its file
    // after each access, so no access was left counted.
    ExpectRead(driver, 100, 2048, file);
    EXPECT_EQ(fake->counts.openHandles, 0);
    driver.BeginAccess();
    EXPECT_EQ(fake->counts.openHandles, 1);
    driver.EndAccess();
    EXPECT_EQ(fake->counts.openHandles, 0);
}

} // namespace
