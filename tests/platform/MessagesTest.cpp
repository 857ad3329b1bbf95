#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

class MessagesTest : public vqt::test::HeadlessTest {};

std::vector<uint32_t> g_seen;
intptr_t RecordingProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t) {
    g_seen.push_back(window * 1000 + msg);
    return intptr_t(wParam) + 1;
}

TEST_F(MessagesTest, ScriptedMessagesWaitForTheirTimeAndComeOutInOrder) {
    ASSERT_TRUE(messages().LoadScript("# clicks\n"
                                      "0 WM_MOUSEMOVE 0 0 10 20\n"
                                      "\n"
                                      "150 0x201 1 0 11 21\n"
                                      "150 WM_LBUTTONUP 0 0 12 22\n",
                                      7));
    plat::WinMsg msg;
    ASSERT_TRUE(plat::messages().Peek(msg, false));
    EXPECT_EQ(msg.msg, plat::WM_MOUSEMOVE);
    EXPECT_EQ(messages().Pending(), 3u); // peeking does not remove
    ASSERT_TRUE(plat::messages().Peek(msg, true));
    EXPECT_EQ(msg.window, 7u);
    EXPECT_EQ(msg.time, 1000u);
    EXPECT_EQ(msg.pt, (plat::WinPoint{10, 20}));
    EXPECT_FALSE(plat::messages().Peek(msg, true)) << "the button waits for its time";
    clock().Advance(149);
    EXPECT_FALSE(plat::messages().Peek(msg, true));
    clock().Advance(1);
    ASSERT_TRUE(plat::messages().Peek(msg, true));
    EXPECT_EQ(msg.msg, plat::WM_LBUTTONDOWN);
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(plat::messages().Peek(msg, true));
    EXPECT_EQ(msg.msg, plat::WM_LBUTTONUP);
    EXPECT_EQ(msg.time, 1150u);
    EXPECT_FALSE(plat::messages().Peek(msg, true));
    ASSERT_EQ(messages().Consumed().size(), 3u);
    EXPECT_EQ(messages().Consumed()[1].msg, plat::WM_LBUTTONDOWN);
}

TEST_F(MessagesTest, BadScriptLineIsReportedAndNothingIsQueued) {
    std::string error;
    EXPECT_FALSE(messages().LoadScript("0 WM_MOUSEMOVE 0 0 1 1\n5 WM_BOGUS 0 0 1 1\n", 1, &error));
    EXPECT_EQ(error, "line 2: 5 WM_BOGUS 0 0 1 1");
    EXPECT_FALSE(messages().LoadScript("0 512 0 0 1\n", 1, &error)) << "five fields";
    EXPECT_FALSE(messages().LoadScript("-3 512 0 0 1 1\n", 1, &error)) << "negative time";
    EXPECT_FALSE(messages().LoadScript("0 0x10000 0 0 1 1\n", 1, &error)) << "not a message number";
    EXPECT_EQ(messages().Pending(), 0u);
}


TEST_F(MessagesTest, AParsedScriptIsAddedFromItsStartOrNotAtAll) {
    std::vector<plat::WinMsg> out(1);
    std::string error;
    ASSERT_TRUE(plat::ParseMessageScript("# a key\n40 WM_KEYDOWN 49 0 0 0\n0 0x200 0 0 -3 7\n", 9, 500, out, &error)) << error;
    ASSERT_EQ(out.size(), 3u) << "after what was there, in the script's order";
    EXPECT_EQ(out[1].window, 9u);
    EXPECT_EQ(out[1].time, 540u);
    EXPECT_EQ(out[1].msg, plat::WM_KEYDOWN);
    EXPECT_EQ(out[1].wParam, 49u);
    EXPECT_EQ(out[2].time, 500u);
    EXPECT_EQ(out[2].msg, plat::WM_MOUSEMOVE);
    EXPECT_EQ(out[2].pt, (plat::WinPoint{-3, 7}));
    EXPECT_FALSE(plat::ParseMessageScript("0 WM_KEYDOWN 49 0 0 0\n0 WM_KEYUP 49 0 0\n", 9, 500, out, &error));
    EXPECT_EQ(error, "line 2: 0 WM_KEYUP 49 0 0");
    EXPECT_EQ(out.size(), 3u) << "nothing of a bad script";
}

TEST_F(MessagesTest, DispatchCallsTheWindowsProcedure) {
    g_seen.clear();
    plat::messages().SetWindowProc(3, RecordingProc);
    EXPECT_EQ(plat::messages().Dispatch({3, plat::WM_PAINT, 41, 0, 0, {}}), 42);
    EXPECT_EQ(plat::messages().Dispatch({4, plat::WM_PAINT, 41, 0, 0, {}}), 0) << "no procedure";
    plat::messages().SetWindowProc(3, nullptr);
    EXPECT_EQ(plat::messages().Dispatch({3, plat::WM_PAINT, 41, 0, 0, {}}), 0);
    EXPECT_EQ(g_seen, std::vector<uint32_t>{3000 + plat::WM_PAINT});
}

TEST_F(MessagesTest, HandingOutInputMessagesMovesThePointerAndPressesKeys) {
    ASSERT_TRUE(messages().LoadScript("0 WM_MOUSEMOVE 0 0 300 200\n"
                                      "0 WM_KEYDOWN 17 0x1D0001 0 0\n"
                                      "0 WM_SYSKEYDOWN 18 0x380001 0 0\n"
                                      "0 WM_KEYUP 17 0xC01D0001 0 0\n",
                                      1));
    plat::WinMsg msg;
    plat::messages().Peek(msg, true);
    EXPECT_EQ(plat::input().CursorPos(), (plat::WinPoint{300, 200}));
    plat::messages().Peek(msg, true);
    EXPECT_EQ((msg.lParam >> 16) & 0xFF, 0x1D) << "scan code in bits 16-23";
    EXPECT_LT(plat::input().AsyncKeyState(plat::VK_CONTROL), 0);
    plat::messages().Peek(msg, true);
    EXPECT_LT(plat::input().AsyncKeyState(plat::VK_MENU), 0);
    plat::messages().Peek(msg, true);
    EXPECT_EQ(plat::input().AsyncKeyState(plat::VK_CONTROL), 0);
    EXPECT_LT(plat::input().AsyncKeyState(plat::VK_MENU), 0);
}

TEST_F(MessagesTest, InputConvertsToClientCoordinatesAndCountsCursorShows) {
    input().SetClientOrigin(5, {100, 50});
    EXPECT_EQ(plat::input().ScreenToClient(5, {130, 70}), (plat::WinPoint{30, 20}));
    EXPECT_EQ(plat::input().ScreenToClient(6, {130, 70}), (plat::WinPoint{130, 70}));
    EXPECT_EQ(plat::input().ShowCursor(false), -1);
    EXPECT_EQ(plat::input().ShowCursor(false), -2);
    EXPECT_EQ(plat::input().ShowCursor(true), -1);
    EXPECT_EQ(input().CursorCount(), -1);
}

} // namespace
