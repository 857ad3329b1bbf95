// Voice lines on the message process: the queue's order and refusals, when a line is done,
// flushes and skips with chained records, and captions from the HMCAPTION keys.
#include <gtest/gtest.h>

#include "engine/media/TextFXView.h"
#include "tests/engine/media/VoiceFixture.h"

namespace vqt::test {
namespace {

class VoiceLinesTest : public VoiceTest {
protected:
    /// The clock as the tests began plus `ms`.
    static uint32_t At(uint32_t ms) { return 1000 + ms; }
};

TEST_F(VoiceLinesTest, LinesEndInQueueOrderAsSoonAsTheirVoiceHasBeenHeardAndMisuseIsRefused) {
    OMessageRecord* a = Line(1, 200);
    OMessageRecord* b = Line(2, 400);
    OMessageRecord* c = Line(3, 100);
    OMessageRecord* behindC = Line(4, 0);
    c->chained = behindC;
    for (OMessageRecord* r : {a, b, c}) ASSERT_EQ(messages->QueueMessage(r), 0);
    EXPECT_EQ(xSound_IsPlaying(VoiceChannel()), 1);
    EXPECT_EQ(VoiceChannel()->snippet, a->voice) << "the first line starts at once, on pipe 1";
    messages->Suspend(1);
    EXPECT_EQ(VoiceChannel()->paused, 1) << "pipe 1 pauses with the process";
    messages->Resume(1);
    EXPECT_EQ(VoiceChannel()->paused, 0);

    OMessageRecord* late = Line(5, 0);
    OMessageProcess other(nullptr);
    OMessageRecord* free = messages->AllocMessage(0);
    free->inUse = 0;
    EXPECT_EQ(messages->QueueMessage(nullptr), OMessageProcess::kNullRecord);
    EXPECT_EQ(messages->QueueMessage(other.AllocMessage(0)), OMessageProcess::kForeignRecord);
    EXPECT_EQ(messages->QueueMessage(b), OMessageProcess::kAlreadyQueued);
    EXPECT_EQ(messages->QueueMessage(behindC), OMessageProcess::kAlreadyQueued) << "chained behind a queued line";
    EXPECT_EQ(messages->QueueMessage(free), OMessageProcess::kNotInUse);
    EXPECT_EQ(messages->QueueLength(), 3);

    Frames(5);
    ASSERT_EQ(messages->QueueMessage(late), 0);
    EXPECT_EQ(messages->QueueLength(), 4) << "a line without a voice waits for its turn too";
    Frames(80);
    const std::vector<LineEnd> expected = {
        {1, 0, At(200)}, {2, 0, At(600)}, {3, 0, At(700)}, {4, 0, At(700)}, {5, 0, At(700)}};
    EXPECT_EQ(Ends(), expected);
    EXPECT_EQ(messages->QueueLength(), 0);
}

TEST_F(VoiceLinesTest, LinesQueuedAsTheApplicationEndsLetGoOfTheirFilesVoicesBeforeItClosesAndEndNothing) {
    // The program ends in the middle of a line: the application closes its part file before
    // the window's processes go, and the queued voices were cached by that file.
    OMessageRecord* speaking = Line(1, 0);
    OMessageRecord* waiting = Line(2, 0);
    speaking->SetSnippet(snippets[0]);
    waiting->SetSnippet(snippets[1]);
    ASSERT_NE(speaking->voice, nullptr);
    ASSERT_EQ(messages->QueueMessage(speaking), 0);
    ASSERT_EQ(messages->QueueMessage(waiting), 0);
    app.reset();
    EXPECT_EQ(messages->QueueLength(), 0);
    EXPECT_EQ(speaking->voice, nullptr);
    EXPECT_EQ(waiting->voice, nullptr);
    EXPECT_TRUE(Ends().empty()) << "no line's end is reported as the program ends";
}

TEST_F(VoiceLinesTest, ALineIsDoneWhenItsVoiceHasEndedUnlessItsHostHasMoreToDo) {
    OHost* host = Host("Dispatcher");
    struct Row {
        const char* what;
        const char* role;
        std::vector<int32_t> states;
        int32_t hostReports, doneWithVoice, lipSync, hold;
        bool done;
    };
    const Row rows[] = {
        {"a role no host has", "Nobody", {kWave}, 0, 0, 0, 0, true},
        {"no host states", "Dispatcher", {}, 0, 0, 0, 0, true},
        {"host states, no report", "Dispatcher", {kWave, kLook}, 0, 0, 0, 0, false},
        {"host states, reported while speaking", "Dispatcher", {kWave, kLook}, 1, 0, 0, 0, true},
        {"host states, done with the voice", "Dispatcher", {kWave, kLook}, 0, 1, 0, 0, true},
        {"host states, lip-sync", "Dispatcher", {kMouth}, 0, 0, 1, 0, true},
        {"held", "Nobody", {}, 0, 0, 0, 1, false},
    };
    intptr_t id = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Ends().clear();
        OMessageRecord* r = Line(++id, 100, row.role, row.states);
        r->doneWithVoice = uint8_t(row.doneWithVoice);
        r->lipSync = row.lipSync;
        r->hold = row.hold;
        ASSERT_EQ(messages->QueueMessage(r), 0);
        Frames(5);
        if (row.hostReports) messages->OnHostFinished(host);
        Frames(15); // the voice has ended; the host's states are still running
        EXPECT_EQ(Ends().size(), row.done ? 1u : 0u);
        messages->FlushMessages();
    }
}

TEST_F(VoiceLinesTest, AFlushEndsEveryChainOnceAndLeavesEachHostAsItsLastRecordSays) {
    OHost* anna = Host("Anna");
    OHost* ben = Host("Ben");
    xProfiles_Set("HMCAPTIONS", boolean(1));
    OMessageRecord* first = Line(1, 300, "Anna");
    first->start.setPriority = 1;
    first->start.priority = 500;
    first->end.setVisible = 1;
    first->end.visible = 1;
    first->endState = kWave;
    first->caption = "One";
    first->chained = Line(2, 0, "Ben");
    first->chained->endState = kLook;
    first->chained->start.setVisible = 1;
    first->chained->start.visible = 0;
    OMessageRecord* second = Line(3, 300, "Anna");
    second->endState = kLook;
    second->keepLastFrame = 1;
    second->chained = Line(4, 0, "Ben");
    second->chained->endState = kWave;
    second->chained->end.setPriority = 1;
    second->chained->end.priority = 77;
    // A flush asked for by an end callback does nothing.
    first->endCallback = [](intptr_t id, int32_t skipped) {
        LogEnd(id, skipped);
        OApplication::Get()->GetMessageProcess()->FlushMessages();
    };
    ASSERT_EQ(messages->QueueMessage(first), 0);
    ASSERT_EQ(messages->QueueMessage(second), 0);
    Frames(5);
    ASSERT_NE(messages->GetCaptionView(), nullptr);
    EXPECT_TRUE(messages->GetCaptionView()->IsVisible());
    EXPECT_EQ(anna->GetPriority(), 500);
    EXPECT_FALSE(ben->IsVisible());

    messages->FlushMessages();
    const uint32_t now = At(50);
    EXPECT_EQ(Ends(), (std::vector<LineEnd>{{1, 1, now}, {2, 1, now}, {3, 1, now}, {4, 1, now}}));
    EXPECT_EQ(messages->QueueLength(), 0);
    EXPECT_FALSE(messages->GetCaptionView()->IsVisible());
    EXPECT_EQ(xSound_IsPlaying(VoiceChannel()), 0);
    EXPECT_EQ(anna->GetState(), kLook);
    EXPECT_EQ(anna->GetCurrentFrame(), 1) << "kept on its last frame";
    EXPECT_EQ(anna->IsManualStep(), 1);
    EXPECT_EQ(anna->GetPriority(), 500);
    EXPECT_TRUE(anna->IsVisible());
    EXPECT_EQ(ben->GetState(), kWave);
    EXPECT_EQ(ben->IsManualStep(), 0);
    EXPECT_EQ(ben->GetPriority(), 77);
    EXPECT_FALSE(ben->IsVisible()) << "the visibility recorded at the start stands";
}

TEST_F(VoiceLinesTest, ASkipEndsTheLinesWhoseTestsSaySoAndStartsTheNext) {
    static int32_t (*const yes)() = [] { return int32_t(1); };
    static int32_t (*const no)() = [] { return int32_t(0); };
    for (intptr_t id : {1, 2, 3}) {
        OMessageRecord* r = Line(id, 400);
        r->skipTest = id < 3 ? yes : no;
        ASSERT_EQ(messages->QueueMessage(r), 0);
    }
    Frames(1);
    EXPECT_EQ(Ends(), (std::vector<LineEnd>{{1, 1, At(10)}, {2, 1, At(10)}}));
    ASSERT_EQ(messages->QueueLength(), 1);
    EXPECT_EQ(VoiceChannel()->snippet, messages->Head()->voice) << "the third line speaks";
}

TEST_F(VoiceLinesTest, CaptionsShowWithTheirVoiceAtTheSizeTheKeysGive) {
    struct Row {
        const char* size;
        bool voice;
        int16_t width, height;
    };
    const Row rows[] = {{"320x60", true, 320, 60}, {"320", true, 400, 40}, {"", false, 0, 0}};
    xProfiles_Set("HMCAPTIONS", boolean(1));
    xProfiles_Set("HMCAPTIONPOSITION", t_sPoint{300, 400});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        xProfiles_Set("HMCAPTIONSIZE", row.size);
        OMessageRecord* r = Line(1, row.voice ? 100 : 0, "", {});
        r->hold = 1;
        r->SetText(kNullChunkId, "Hello there");
        ASSERT_EQ(messages->QueueMessage(r), 0);
        Frames(1);
        OTextFXView* caption = messages->GetCaptionView();
        if (!row.voice) {
            EXPECT_TRUE(caption == nullptr || !caption->IsVisible());
        } else {
            ASSERT_NE(caption, nullptr);
            EXPECT_TRUE(caption->IsVisible());
            EXPECT_STREQ(caption->GetTextPtr(), "Hello there");
            EXPECT_EQ(caption->GetWidth(), row.width);
            EXPECT_EQ(caption->GetHeight(), row.height);
            EXPECT_EQ(caption->GetPosition(), CPointF(300, 400));
            EXPECT_EQ(caption->GetPriority(), OMessageProcess::kCaptionPriority);
        }
        messages->FlushMessages();
    }
}

TEST_F(VoiceLinesTest, ALongCaptionKeepsItsLinesInsideTheBorderOfItsBox) {
    // The border's three rings, then at least two pixels more on every side.
    constexpr int kClear = 5;
    xProfiles_Set("HMCAPTIONS", boolean(1));
    xProfiles_Set("HMCAPTIONBORDER", boolean(1));
    xProfiles_Set("HMCAPTIONSIZE", "400,48");
    xProfiles_Set("HMCAPTIONPOSITION", t_sPoint{320, 454});
    OMessageRecord* r = Line(1, 100, "", {});
    r->hold = 1;
    r->SetText(kNullChunkId, "The fireworks factory is saved and in record time! Off we go to the next one.");
    ASSERT_EQ(messages->QueueMessage(r), 0);
    Frames(1);
    OTextFXView* caption = messages->GetCaptionView();
    ASSERT_NE(caption, nullptr);
    const CRect16 box = caption->GetScreenRect();
    const std::vector<CTextLine> lines = caption->LaidOutLines();
    ASSERT_EQ(lines.size(), 2u) << "the caption wraps once";
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        const CClipRect& ink = lines[i].ink;
        EXPECT_GE(ink.left - box.left, kClear);
        EXPECT_GE(box.right - ink.right, kClear);
        EXPECT_GE(ink.top - box.top, kClear);
        EXPECT_GE(box.bottom - ink.bottom, kClear);
    }
}

} // namespace
} // namespace vqt::test
