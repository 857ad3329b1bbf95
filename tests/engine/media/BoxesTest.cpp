// The standard message boxes, the engine's modal box and the disc prompt over the part file.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "engine/core/RunLoop.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/Driver.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/media/CommonDlg.h"
#include "engine/core/Cursor.h"
#include "engine/data/MessageBox.h"
#include "tests/engine/media/PointerFixture.h"

namespace vqt::test {
namespace {

using plat::mb::IdCancel;
using plat::mb::IdOk;
using plat::mb::IdRetry;

TEST_F(PointerTest, ABoxShowsThePointerAndTheArrowWhileItIsOpenThenPutsBothBack) {
    for (const bool hiddenBefore : {true, false}) {
        const xCursor game = input().CreateCursor(plat::CursorImage{});
        xCursor_Set(game);
        xCursor_Show(!hiddenBefore);
        const int32_t callsBefore = input().ShowCursorCalls();
        bool checked = false;
        dialogs().OnShow([&](const plat::ScriptedDialogs::Box&) {
            EXPECT_EQ(xCursor_HiddenState(), 0);
            EXPECT_EQ(input().CurrentCursor(), input().ArrowCursor());
            EXPECT_TRUE(xMessageBox_IsOpen());
            checked = true;
        });
        EXPECT_EQ(xMessageBox("text", "Error", 0), IdOk);
        EXPECT_TRUE(checked);
        EXPECT_EQ(dialogs().Boxes().back().type, 0x1010u);
        EXPECT_EQ(xCursor_HiddenState(), hiddenBefore ? -1 : 0);
        EXPECT_EQ(input().ShowCursorCalls() - callsBefore, hiddenBefore ? 2 : 0);
        EXPECT_EQ(input().CurrentCursor(), game);
        EXPECT_FALSE(xMessageBox_IsOpen());
    }
}

TEST_F(PointerTest, TheErrorBoxAsksYesOrNo) {
    dialogs().Script({plat::mb::IdNo});
    EXPECT_EQ(xErrorBox("Go on?"), plat::mb::IdNo);
    EXPECT_EQ(dialogs().Boxes().at(0).title, "Error");
    EXPECT_EQ(dialogs().Boxes().at(0).type, 0x1004u);
}

TEST_F(PointerTest, WithoutATestTheModalBoxEndsOnOkOrOnEscWhereAllowed) {
    struct Case {
        uint8_t allowEsc;
        std::vector<int> answers; ///< empty: nobody answers
        int32_t result;
        uint32_t buttons;
    };
    const Case cases[] = {
        {0, {IdOk}, 1, plat::mb::Ok},
        {0, {}, 1, plat::mb::Ok},
        {1, {IdCancel}, 2, plat::mb::OkCancel},
        {1, {}, 2, plat::mb::OkCancel},
    };
    for (const Case& c : cases) {
        dialogs().Clear();
        for (int answer : c.answers) dialogs().Script({answer});
        EXPECT_EQ(xCommonDlg(window, "Disc?", c.allowEsc, nullptr, nullptr), c.result);
        ASSERT_EQ(dialogs().Boxes().size(), 1u);
        EXPECT_EQ(dialogs().Boxes()[0].text, "Disc?");
        EXPECT_EQ(dialogs().Boxes()[0].type & plat::mb::ButtonMask, c.buttons);
    }
    EXPECT_EQ(xCommonDlg_PaintBox("Disc?", 1, 1), "Disc?\n\nPress ENTER for OK\nOr hit ESC for Cancel");
}

intptr_t GameProc(plat::WindowId, uint32_t, uintptr_t, intptr_t) { return 0; }

/// A part file with the disc prompt as its access-failure handler, whose file is taken away.
class DiscPromptTest : public PointerTest {
protected:
    void SetUp() override {
        PointerTest::SetUp();
        handler = xDriver_OnAccessFailure;
        ChunkFileBuilder b;
        const uint8_t data = b.AddIndex("data", 8, 2);
        chunk = b.AddChunk(data, Bytes{'d', 'i', 's', 'c', 0, 255});
        path = folder / "disc.vqk";
        GiveApp(b, "disc.vqk");
        plat::messages().SetWindowProc(window->GetWindowId(), GameProc);
        ASSERT_EQ(std::rename(path.c_str(), (path + ".away").c_str()), 0);
    }
    void Return() { ASSERT_EQ(std::rename((path + ".away").c_str(), path.c_str()), 0); }
    /// Reads the chunk; the text thrown, or empty when the read ended.
    std::string Read(Bytes& out) {
        out.assign(6, 0);
        try {
            EXPECT_NE(app.GetPartFile()->GetChunk(chunk, out.data()), nullptr);
        } catch (const char* text) {
            return text;
        }
        return {};
    }

    uint32_t chunk = 0;
    std::string path;
};

TEST_F(DiscPromptTest, TheReadGoesOnOnceTheFileIsBackAfterRetry) {
    int shown = 0;
    dialogs().OnShow([&](const plat::ScriptedDialogs::Box&) {
        EXPECT_EQ(plat::messages().GetWindowProc(window->GetWindowId()), xPlatform_ChooseDialogProc());
        if (++shown == 3) Return();
    });
    dialogs().Script({IdRetry, IdRetry, IdRetry});
    Bytes got;
    EXPECT_EQ(Read(got), "");
    EXPECT_EQ(got, (Bytes{'d', 'i', 's', 'c', 0, 255}));
    ASSERT_EQ(dialogs().Boxes().size(), 3u);
    EXPECT_EQ(dialogs().Boxes()[0].text,
              xMessages_GetString("MSG_INSERTCD") + "\n" + xMessages_GetString("MSG_HITESC"));
    EXPECT_EQ(dialogs().Boxes()[0].type, plat::mb::SystemModal | plat::mb::RetryCancel);
    EXPECT_EQ(plat::messages().GetWindowProc(window->GetWindowId()), GameProc);
}

TEST_F(DiscPromptTest, CancelNobodyToAskOrAQuitEndTheAccessWithTheDriverException) {
    struct Case {
        const char* name;
        std::vector<int> answers;
        std::function<void()> atFirstBox;
        size_t boxes;
        uint32_t runningAtLastBox; ///< the dialog-running flag while the last box is open
    };
    const Case cases[] = {
        {"cancel", {IdCancel}, nullptr, 1, 0},
        {"nobody", {}, nullptr, 1, 0},
        {"quit", {IdRetry}, RequestQuit, 1, 0},
        // The second pass hands a waiting message to the full-screen dialog procedure, which
        // marks a dialog running; the flag is clear again afterwards.
        {"retry, then cancel", {IdRetry, IdCancel}, nullptr, 2, 1},
    };
    for (const Case& c : cases) {
        dialogs().Clear();
        CFrameState::Get().quit = false;
        xProfiles_Set("FULLSCREEN", sLong(c.boxes > 1 ? 1 : 0));
        for (int answer : c.answers) dialogs().Script({answer});
        uint32_t running = 0;
        dialogs().OnShow([&](const plat::ScriptedDialogs::Box&) {
            if (c.atFirstBox && dialogs().Boxes().empty()) c.atFirstBox();
            running = GetDialogRunning();
        });
        messages().Push(plat::WinMsg{.window = window->GetWindowId(), .msg = plat::WM_NULL, .time = clock().TickCount(), .pt = {}});
        Bytes got;
        EXPECT_EQ(Read(got), "Driver Exception") << c.name;
        EXPECT_EQ(dialogs().Boxes().size(), c.boxes) << c.name;
        EXPECT_EQ(running, c.runningAtLastBox) << c.name;
        EXPECT_EQ(plat::messages().GetWindowProc(window->GetWindowId()), GameProc) << c.name;
        EXPECT_EQ(GetDialogRunning(), 0u) << c.name;
        EXPECT_NE(traced().find("**** xCommonDlg - caught exception, restored window proc, re-throwing\n"),
                  std::string::npos);
    }
}

} // namespace
} // namespace vqt::test
