// A key-down message taken from the queue counts as a press to every poll of its key in the frame
// it was taken in, even when the key was let go before those polls; the next frame, or taking
// its key-up, ends it. The headless keyboard itself moves a key as its message is handed out,
// or, when a test asks for it, as the clock reaches the message's time.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

constexpr int32_t kKey = 0x1B; // ESC
constexpr int32_t kOther = 0x20;
constexpr plat::WindowId kWindow = 1;

void Take(plat::Input& keys, uint32_t msg, int32_t key = kKey) { keys.NoteTaken({kWindow, msg, uintptr_t(key), 0, 0, {}}); }
bool Polled(plat::Input& keys, int32_t key = kKey) { return keys.AsyncKeyState(key) < 0; }

class KeyPressedOnceTest : public vqt::test::HeadlessTest {};

struct LatchCase {
    const char* name;
    /// What happens, in order: 'd' and 'u' the key goes down and up on the keyboard; 'D', 'S',
    /// 'U' and 'Y' its WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP and WM_SYSKEYUP are taken; 'o'
    /// another key's WM_KEYDOWN is taken; 'f' the next frame starts; '1' and '0' a poll of the
    /// key that reads down and up; 'x' a poll of another key that reads up.
    const char* steps;
};

constexpr LatchCase kLatchCases[] = {
    {"a press and release taken together read pressed through their frame, not after", "duD111f0"},
    {"a held key reads held at every poll and up once let go", "dD111uU0"},
    {"a held key reads held over the frames", "dDf1f1uUf0"},
    {"a key-up alone does not count", "U0"},
    {"a key-down not taken yet does not count", "du0"},
    {"a system key-down counts as a key-down", "duS11f0"},
    {"two taps before a poll count for one frame", "duDduD11f0"},
    {"the press read while held is not read again after the release", "dD1uU0"},
    {"a press is its own key's: another key's poll leaves it, another key's press is not it", "duDx1fo0"},
    {"the press is read by the polls after the key-down, not by a poll before it", "0duD11f0"},
    {"a press not asked about before its key-up is taken is over", "duDU0"},
    {"a system key-up ends a press as a key-up does", "duSY0"},
    {"a key let go on the keyboard reads up from the next frame though its key-up waits", "dD1u1f0"},
    {"a press taken after the frame began lasts to its end", "fduD11f0"},
};

TEST(KeyPressedOnce, AKeyDownTakenReadsPressedToEveryPollOfItsKeyInItsFrame) {
    for (const LatchCase& c : kLatchCases) {
        SCOPED_TRACE(c.name);
        plat::HeadlessInput keys;
        const std::string steps = c.steps;
        for (size_t i = 0; i < steps.size(); ++i) {
            const std::string at = "step " + std::to_string(i) + " of " + steps;
            switch (steps[i]) {
            case 'd': keys.SetKeyDown(kKey, true); break;
            case 'u': keys.SetKeyDown(kKey, false); break;
            case 'D': Take(keys, plat::WM_KEYDOWN); break;
            case 'S': Take(keys, plat::WM_SYSKEYDOWN); break;
            case 'U': Take(keys, plat::WM_KEYUP); break;
            case 'Y': Take(keys, plat::WM_SYSKEYUP); break;
            case 'o': Take(keys, plat::WM_KEYDOWN, kOther); break;
            case 'f': keys.StartFrame(); break;
            case '1': EXPECT_TRUE(Polled(keys)) << at; break;
            case '0': EXPECT_FALSE(Polled(keys)) << at; break;
            case 'x': EXPECT_FALSE(Polled(keys, kOther)) << at; break;
            default: FAIL() << "unknown step in " << steps;
            }
        }
    }
}

TEST(KeyPressedOnce, KeysOutsideTheVirtualKeyRangeAreNeverLatched) {
    plat::HeadlessInput keys;
    Take(keys, plat::WM_KEYDOWN, 0x1FF);
    Take(keys, plat::WM_KEYDOWN, -1);
    EXPECT_FALSE(Polled(keys, 0x1FF));
    EXPECT_FALSE(Polled(keys, -1));
    EXPECT_FALSE(Polled(keys, 0xFF));
}

struct KeyboardCase {
    const char* name;
    bool keysAtTheirTime;
    const char* script;
    /// Messages taken after the clock has moved 10 ms.
    int taken;
    /// Whether the key itself reads down then (the frame's press aside).
    bool down;
};

constexpr const char* kPress = "5 WM_KEYDOWN 27 0 0 0\n";
constexpr const char* kTap = "5 WM_KEYDOWN 27 0 0 0\n5 WM_KEYUP 27 0 0 0\n";

constexpr KeyboardCase kKeyboardCases[] = {
    {"at their time: a key-down that is due holds the key before it is taken", true, kPress, 0, true},
    {"at their time: a key-down not due yet leaves the key up", true, "15 WM_KEYDOWN 27 0 0 0\n", 0, false},
    {"at their time: a tap is over before its key-down is taken", true, kTap, 0, false},
    {"at their time: taking a tap's key-down leaves the key up", true, kTap, 1, false},
    {"handed out: a key-down that is due leaves the key up until it is taken", false, kPress, 0, false},
    {"handed out: taking a tap's key-down holds the key until its key-up is taken", false, kTap, 1, true},
    {"handed out: taking a tap's key-up lets the key go", false, kTap, 2, false},
};

TEST_F(KeyPressedOnceTest, KeysMoveWhenTheirMessagesAreHandedOutOrWhenTheClockReachesThem) {
    for (const KeyboardCase& c : kKeyboardCases) {
        SCOPED_TRACE(c.name);
        messages().Clear();
        input().SetKeyDown(kKey, false);
        messages().SetKeysMoveAtTheirTime(c.keysAtTheirTime);
        ASSERT_TRUE(messages().LoadScript(c.script, kWindow));
        clock().Advance(10);
        plat::WinMsg msg;
        for (int i = 0; i < c.taken; ++i) ASSERT_TRUE(plat::messages().Peek(msg, true));
        plat::input().StartFrame(); // the keyboard itself, not the press of the frame
        EXPECT_EQ(Polled(plat::input()), c.down);
        clock().Advance(100); // every key move of the row is made
        Polled(plat::input());
    }
}

TEST_F(KeyPressedOnceTest, AKeyDownRemovedWithTheWindowsInputIsNotAPress) {
    ASSERT_TRUE(messages().LoadScript("0 WM_KEYDOWN 27 0 0 0\n0 WM_KEYUP 27 0 0 0\n", kWindow));
    plat::messages().RemoveInput(kWindow);
    plat::WinMsg msg;
    EXPECT_FALSE(plat::messages().Peek(msg, true));
    EXPECT_FALSE(Polled(plat::input()));
}

struct SetNowCase {
    const char* name;
    /// A move given for 5 ms from now: the key goes down or up then.
    bool movedDown;
    /// The clock moves this far, then the key is set so.
    uint32_t advanceMs;
    bool setDown;
    /// The key read at once, and once the clock has moved 10 ms more.
    bool downNow, downLater;
};

constexpr SetNowCase kSetNowCases[] = {
    {"a key set up after its press came due stays up", true, 10, false, false, false},
    {"a key set down after its release came due stays down", false, 10, true, true, true},
    {"a move not due yet comes after the key set now", true, 0, false, false, true},
};

TEST_F(KeyPressedOnceTest, AKeySetNowComesAfterTheMovesAlreadyDueAndBeforeTheLaterOnes) {
    for (const SetNowCase& c : kSetNowCases) {
        SCOPED_TRACE(c.name);
        input().SetKeyDown(kKey, !c.movedDown);
        input().MoveKeyAt(clock().TickCount() + 5, kKey, c.movedDown);
        clock().Advance(c.advanceMs);
        input().SetKeyDown(kKey, c.setDown);
        EXPECT_EQ(Polled(plat::input()), c.downNow);
        clock().Advance(10);
        EXPECT_EQ(Polled(plat::input()), c.downLater);
    }
}

} // namespace
