// Typing into the editable text views and the input method's compositions, in code page 932.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/RunLoop.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Strings.h"
#include "engine/media/InputMethod.h"
#include "engine/media/TextCaret.h"
#include "engine/media/TextDEditView.h"
#include "engine/media/TextFXEditView.h"
#include "engine/media/TextIMEView.h"
#include "tests/engine/core/StageFixture.h"

namespace vqt::test {
namespace {

enum : uint32_t { kBack = 8, kEnd = 35, kHome = 36, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46 };
/// A double-byte character of code page 932 (a lead byte, then a trail byte).
const std::string kWide = "\x82\xA0";

class TextEntryTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        UseLanguage(0x0411); // Japanese, code page 932, an input-method keyboard
    }
    void UseLanguage(uint16_t langId) {
        locale().SetLangId(langId);
        locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
        locale().SetIme(true);
        xLanguage_Context() = LanguageContext{};
        xLanguage_Init();
    }
    /// Types every byte of `text` as a character.
    template <class View>
    static void Type(View& view, const std::string& text) {
        for (unsigned char c : text) view.OnChar(c);
    }
    template <class View>
    static void Keys(View& view, std::initializer_list<uint32_t> keys) {
        for (uint32_t key : keys) view.OnKeyDown(key);
    }
    /// Feeds the input method's messages to the handler the translator calls.
    static std::vector<bool> Handle(const std::vector<plat::WinMsg>& posted) {
        std::vector<bool> answers;
        for (const plat::WinMsg& m : posted) answers.push_back(xIME_HandleMessage(m.window, m.msg, m.wParam, m.lParam));
        return answers;
    }
};

TEST_F(TextEntryTest, TheInputMethodViewTakesWholeCharactersUpToItsLimits) {
    OTextIMEView* view = CreateTextIMEView(320, 240, 300, 30, window);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsA(78) && view->IsA(76) && view->IsA(70));
    const struct Case {
        std::string typed;
        std::string text;
        const char* excluded;
        const char* widthLimit;
    } cases[] = {
        {std::string(40, 'a'), std::string(32, 'a'), nullptr, nullptr},                // the 33rd byte is refused
        {std::string(31, 'a') + kWide, std::string(31, 'a'), nullptr, nullptr},        // a pair never makes 33
        {std::string(30, 'a') + kWide + "b", std::string(30, 'a') + kWide, nullptr, nullptr},
        {"a#b!c", "abc", "#!", nullptr},                                                 // excluded characters
        {"x\x95\x5C", "x\x95\x5C", "\\", nullptr},            // a trail byte of 0x5C is no backslash
        {std::string(20, 'W'), std::string(12, 'W'), nullptr, "WWWWWWWWWWWW"},           // as wide as the limit
    };
    for (const Case& c : cases) {
        view->SetText("");
        view->SetExcludedChars(c.excluded);
        view->SetWidthLimitText(c.widthLimit);
        Type(*view, c.typed);
        EXPECT_EQ(std::string(view->GetTextPtr()), c.text) << c.typed;
        EXPECT_EQ(std::string(view->GetCommittedText()), c.text);
        EXPECT_EQ(view->Caret().index, xStr_CharCount(c.text.c_str()));
    }
    view->SetExcludedChars(nullptr);
    view->SetWidthLimitText(nullptr);
    view->SetText("");
    view->OnChar(0x82); // a lead byte typed before editing stops is dropped with it
    view->SetEditing(false);
    view->SetEditing(true);
    Type(*view, "a");
    EXPECT_EQ(std::string(view->GetTextPtr()), "a");
}

TEST_F(TextEntryTest, CaretKeysOverDoubleByteTextMoveAndRemoveWholeCharacters) {
    OTextIMEView* view = CreateTextIMEView(320, 240, 300, 30, window);
    view->SetText(("a" + kWide + "b").c_str());
    EXPECT_EQ(view->Caret().index, 3);
    const struct Case {
        std::vector<uint32_t> keys;
        std::string text;
        int32_t caret;
    } cases[] = {
        {{kLeft}, "a" + kWide + "b", 2},
        {{kLeft, kLeft, kRight}, "a" + kWide + "b", 2},
        {{kLeft, kBack}, "ab", 1},
        {{kHome, kDelete}, kWide + "b", 0},
        {{kHome, kRight, kDelete}, "ab", 1},
        {{kUp}, "a" + kWide + "b", 0},
        {{kUp, kDown}, "a" + kWide + "b", 3},
        {{kHome, kEnd, kBack, kBack, kBack, kBack}, "", 0},
    };
    for (const Case& c : cases) {
        view->SetText(("a" + kWide + "b").c_str());
        for (uint32_t key : c.keys) view->OnKeyDown(key);
        EXPECT_EQ(std::string(view->GetTextPtr()), c.text);
        EXPECT_EQ(view->Caret().index, c.caret);
        EXPECT_EQ(std::string(view->GetCommittedText()), view->GetTextPtr());
    }
    view->SetText("ab");
    view->SetEditing(false);
    view->OnKeyDown(kHome);
    EXPECT_EQ(view->Caret().index, 2) << "editing off: keys are ignored";
}

TEST_F(TextEntryTest, TheOtherEditableViewsFilterCaseAndTypeAtTheCaret) {
    OTextDEditView dedit;
    dedit.SetFilter(true);
    Type(dedit, "Ab-1'. #!\x7F");
    EXPECT_EQ(std::string(dedit.GetTextPtr()), "Ab-1'. ");
    dedit.SetFilter(false);
    dedit.SetCaseMode(OTextDEditView::kCaseUpper);
    Keys(dedit, {kHome});
    Type(dedit, "x~\x7F");
    EXPECT_EQ(std::string(dedit.GetTextPtr()), "X~Ab-1'. ") << "DEL is no character";
    Keys(dedit, {kUp, kDown});
    EXPECT_EQ(dedit.Caret().index, 2) << "Up and Down are ignored";
    dedit.SetCaseMode(OTextDEditView::kCaseLower);
    Keys(dedit, {kEnd, kBack, kHome, kDelete});
    Type(dedit, std::string(40, 'Q'));
    EXPECT_EQ(dedit.GetTextPtr(), std::string(25, 'q') + "~Ab-1'.");

    OTextFXEditView fx;
    Type(fx, "bc");
    Keys(fx, {kHome});
    Type(fx, "a" + kWide);
    EXPECT_EQ(std::string(fx.GetTextPtr()), "a" + kWide + "bc") << "typed at the caret";
    EXPECT_EQ(fx.Caret().index, 3);
    Keys(fx, {kBack});
    EXPECT_EQ(std::string(fx.GetTextPtr()), "abc");
    fx.SetFilter(true);
    Type(fx, "#" + std::string(40, 'z'));
    EXPECT_EQ(fx.GetTextPtr(), "a" + std::string(29, 'z') + "bc");
}

TEST_F(TextEntryTest, JapaneseAndKoreanCompositionsAreShownThenCommittedAtTheCaret) {
    OTextIMEView* view = CreateTextIMEView(320, 240, 300, 30, window);
    xIME_SetCurrentView(view);
    plat::InputMethod& ime = plat::inputMethod();
    view->SetText("ab");
    view->SetCaret(1);
    EXPECT_EQ(Handle(ime.Compose(1, kWide)), (std::vector<bool>{true, true}));
    EXPECT_EQ(std::string(view->GetTextPtr()), "a" + kWide + "b");
    EXPECT_FALSE(view->IsCommitted());
    EXPECT_EQ(Handle(ime.Commit(1, kWide + kWide)), (std::vector<bool>{true, true}));
    EXPECT_EQ(std::string(view->GetTextPtr()), "a" + kWide + kWide + "b");
    EXPECT_EQ(std::string(view->GetCommittedText()), view->GetTextPtr());
    EXPECT_EQ(view->Caret().index, 3);
    EXPECT_TRUE(view->IsCommitted());

    // Cut at whole characters: 29 bytes leave room for one double-byte character of three.
    view->SetText(std::string(29, 'a').c_str());
    Handle(ime.Compose(1, kWide + kWide + kWide));
    EXPECT_EQ(std::string(view->GetTextPtr()), std::string(29, 'a') + kWide);
    Handle(ime.Commit(1, kWide + kWide + kWide));
    EXPECT_EQ(std::string(view->GetTextPtr()), std::string(29, 'a') + kWide);
    Handle(ime.Compose(1, "b\x82")); // a lead byte ending a composition is half a character
    EXPECT_EQ(std::string(view->GetTextPtr()), std::string(29, 'a') + kWide + "b");
    Handle(ime.Commit(1, "\x82"));
    EXPECT_EQ(std::string(view->GetTextPtr()), std::string(29, 'a') + kWide);
    EXPECT_EQ(xTextEdit_FitBytes("b\x82\0zz", 10), 1) << "with room to spare the lone lead byte stays out";

    UseLanguage(0x0412); // Korean: a composition message answers false
    view->SetText("");
    EXPECT_EQ(Handle(ime.Compose(1, kWide)), (std::vector<bool>{true, false}));
    EXPECT_EQ(Handle(ime.Commit(1, kWide)), (std::vector<bool>{false, true}));
    EXPECT_EQ(std::string(view->GetTextPtr()), kWide);
    EXPECT_TRUE(view->IsCommitted());

    // Through the window's message translator while the keyboard has an input method.
    xPlatform_SetImeHandler(xIME_HandleMessage);
    xEvent event;
    intptr_t result = 0;
    EXPECT_EQ(Win_TranslateMessage_Common(event, xPlatform_GetAppWindow(), plat::WM_IME_NOTIFY, 5, 0, &result), 1);
    EXPECT_EQ(Win_TranslateMessage_Common(event, xPlatform_GetAppWindow(), plat::WM_IME_NOTIFY, 4, 0, &result), 0);

    UseLanguage(0x0409); // any other language: false for every message
    for (uint32_t msg : {0x10Du, 0x10Eu, 0x10Fu, 0x281u, 0x282u, 0x286u})
        EXPECT_FALSE(xIME_HandleMessage(1, msg, 3, 0x1800)) << msg;
    delete view;
    EXPECT_EQ(xIME_GetCurrentView(), nullptr);
}

TEST_F(TextEntryTest, TheCaretBlinksEvery400MsAndFollowsTheText) {
    OTextIMEView* view = CreateTextIMEView(320, 240, 300, 30, window);
    view->SetText("ab");
    ASSERT_TRUE(view->Caret().shown);
    const int16_t atEnd = view->Caret().top.x;
    view->SetCaret(0);
    EXPECT_LT(view->Caret().top.x, atEnd);
    EXPECT_EQ(view->Caret().top.x, 320 - 150);
    EXPECT_GT(view->Caret().bottom.y, view->Caret().top.y);
    clock().Advance(400);
    view->OnIdle();
    EXPECT_TRUE(view->Caret().shown);
    clock().Advance(1);
    view->OnIdle();
    EXPECT_FALSE(view->Caret().shown);
    clock().Advance(401);
    view->OnIdle();
    EXPECT_TRUE(view->Caret().shown);
}

TEST_F(TextEntryTest, TheCaretLineStandsInTheTextForEachAlignmentAndCentringAtEightAndSixteenBits) {
    // Columns: left, right and centred text. Rows: input-method views with the text at the top
    // and centred in the height, then effect edit views. The caret after "Ca" of "Caret", in the
    // text colour over an opaque view.
    const int32_t alignments[] = {kAlignLeft, kAlignRight, kAlignCentre};
    TiledStages stages;
    stages.Add(16, 1);
    stages.Add(8, 1);
    Open(stages.builder);
    for (int16_t depth : {16, 8}) {
        if (depth != 16) UseDepth(depth);
        Manager(OActivityManager::kUnloadFirst).RequestActivity(ChunkIdOf(1, uint16_t(depth)));
        Frames(4);
        OActivity* stage = GetActivityManager()->GetCurrentActivity();
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const int16_t x = int16_t(110 + 210 * column), y = int16_t(90 + 140 * row);
                OTextView* view = row < 2 ? CreateTextIMEView(x, y, 180, 60, stage)
                                          : xText_PlaceView(new OTextFXEditView, x, y, 180, 60, stage);
                view->SetTransparent(0);
                view->SetBackColor(0x00603010);
                view->SetTextColor(0x0040E0F0);
                view->SetAlignment(alignments[column]);
                view->SetText("Caret");
                if (row < 2) {
                    static_cast<OTextIMEView*>(view)->SetCentreVertically(uint8_t(row));
                    static_cast<OTextIMEView*>(view)->SetCaret(2);
                } else {
                    Keys(*static_cast<OTextFXEditView*>(view), {kHome, kRight, kRight});
                }
            }
        }
        Frames(2);
        ExpectMatchesGoldenImage("engine/media/caret_lines_" + std::to_string(depth) + ".png", ToRgb(Shown()));
    }
}

} // namespace
} // namespace vqt::test
