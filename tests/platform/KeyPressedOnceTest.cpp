// A key-down message taken from the queue counts as a press to the next poll of its key, even
// when the key was let go before that poll; asking, or taking its key-up, clears it.
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
    /// another key's WM_KEYDOWN is taken; '1' and '0' a poll of the key that reads down and
    /// up; 'x' a poll of another key that reads up.
    const char* steps;
};

constexpr LatchCase kLatchCases[] = {
    {"a press and release taken together read pressed once, not twice", "duD10"},
    {"a held key reads held at every poll and up once let go", "dD111uU0"},
    {"a key-up alone does not count", "U0"},
    {"a key-down not taken yet does not count", "du0"},
    {"a system key-down counts as a key-down", "duS10"},
    {"two taps before a poll count once", "duDduD10"},
    {"the press read while held is not read again after the release", "dD1uU0"},
    {"a press is its own key's: another key's poll leaves it, another key's press is not it", "duDx10o0"},
    {"the press is read by the first poll after the key-down, not by a poll before it", "0duD10"},
    {"a press not asked about before its key-up is taken is over", "duDU0"},
    {"a system key-up ends a press as a key-up does", "duSY0"},
};

TEST(KeyPressedOnce, AKeyDownTakenReadsPressedToTheNextPollOfItsKeyOnce) {
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

TEST_F(KeyPressedOnceTest, AKeyDownRemovedWithTheWindowsInputIsNotAPress) {
    ASSERT_TRUE(messages().LoadScript("0 WM_KEYDOWN 27 0 0 0\n0 WM_KEYUP 27 0 0 0\n", kWindow));
    plat::messages().RemoveInput(kWindow);
    plat::WinMsg msg;
    EXPECT_FALSE(plat::messages().Peek(msg, true));
    EXPECT_FALSE(Polled(plat::input()));
}

} // namespace
