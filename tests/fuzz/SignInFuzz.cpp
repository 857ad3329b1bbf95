// Plays the sign-in screen {1, 0, 4} of the generated game data from arbitrary bytes, one action
// a byte: clicks on the badges, the delete, continue and quit badges and the questions' no and
// yes; TAB, ENTER, ESC and BACKSPACE; blanks, letters, raw bytes (high ones too) and a blocked
// word typed into the selected badge; pauses. The save file holds Bo (who has driven out), Cy,
// a 64-byte name and a slot that cannot be read. When the screen has gone (or is left after the
// sequence) the stored names must be trimmed, not empty, unique, free of blocked words and at
// most 64 bytes; every slot keeps its record (a good new name aside) unless the delete question
// asked for that badge was answered yes, and the unreadable slot keeps its bytes.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <span>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/Strings.h"
#include "engine/media/NameFilter.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/SaveFileImage.h"
#include "game/shell/SignInActivity.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/VirtualClock.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessGame.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/GameData.h"

void AddGameSnippets(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddHostAndVoices(GameData& data);
void AddMoviesAndWords(GameData& data);

namespace {

using vqt::fuzz::Require;

constexpr const char* kParts = "game.vqk";
constexpr const char* kSave = "TLVSave.vqk";
constexpr uint16_t kSignIn = 4;
constexpr uint16_t kLeaveTo = 60;
constexpr uint32_t kFrameMs = 16;
/// Pauses step the clock in larger strides, so that a run stays cheap.
constexpr uint32_t kPauseStepMs = 250;
/// Actions played of an input at most.
constexpr size_t kMaxActions = 64;
constexpr int kSlots = SaveFileImage::kSlots;
constexpr int16_t kDeleteX = 80, kContinueX = 560, kQuitX = 320, kButtonsY = 420;
constexpr int16_t kNoX = 210, kYesX = 430, kAnswerY = 340;
constexpr uint32_t kKeyBack = 8;

std::string AsString(const vqt::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

/// The game data, made once a process.
const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data;
        AddGameSnippets(data);
        AddGameScreens(data);
        AddCounterPanelArt(data);
        AddHostAndVoices(data);
        AddMoviesAndWords(data);
        return AsString(data.file.Build());
    }();
    return bytes;
}

/// A player's stored record, written as the game writes it.
vqt::test::Bytes Stored(const std::string& name, int counter) {
    CPlayer player;
    player.SetName(name.c_str());
    player.IncCounter(counter);
    const PlayerRecordBytes bytes = EncodePlayerRecord(player.Record());
    return vqt::test::Bytes(bytes.begin(), bytes.end());
}

/// The save file every input starts from.
const std::string& SaveFileBytes() {
    static const std::string bytes = AsString(vqt::test::SaveFileOf({
        {2, vqt::test::StoredRecord("Old", 18).bytes()},
        {3, Stored("Bo", 13)}, // has driven out
        {5, Stored("Cy", 1)},
        {6, Stored(std::string(60, 'i') + "Long", 2)},
    }));
    return bytes;
}

SaveFileImage Parse(const std::string& bytes) {
    return ParseSaveFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

/// The record's stored bytes with its name left out.
PlayerRecordBytes WithoutName(PlayerRecord record) {
    std::memset(record.name, 0, sizeof record.name);
    return EncodePlayerRecord(record);
}

plat::VirtualClock& Clock() { return static_cast<plat::VirtualClock&>(plat::clock()); }
plat::HeadlessInput& Input() { return static_cast<plat::HeadlessInput&>(plat::input()); }

/// The files of the input, and the save file as it was when the sign-in screen went: the
/// screens after it change the player as they may.
vqt::test::FakeFiles* files = nullptr;
std::string savedWhenLeft;

void Frames(int n, uint32_t stepMs = kFrameMs) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(stepMs);
        FrameTick(0);
        if (savedWhenLeft.empty() && !CurrentSignIn()) savedWhenLeft = files->Get(kSave);
    }
}

void Click(int16_t x, int16_t y) {
    // The pointer is kept in screen points; the screen reads it in the window's.
    const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
    Input().SetCursorPos({x - origin.x, y - origin.y});
    Frames(1);
    vqt::test::SendEvent(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
    vqt::test::SendEvent(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
    Frames(2);
}

/// A key pressed and let go: its events and its state, which the screen polls.
void Press(uint32_t key) {
    Input().SetKeyDown(int32_t(key), true);
    vqt::test::SendEvent(kEventKeyboard, kEvKeyDown, intptr_t(key));
    Frames(1);
    Input().SetKeyDown(int32_t(key), false);
    vqt::test::SendEvent(kEventKeyboard, kEvKeyUp, intptr_t(key));
    Frames(1);
}

void Type(std::string_view text) {
    for (const char c : text) vqt::test::SendEvent(kEventKeyboard, kEvChar, intptr_t(uint8_t(c)));
    Frames(1);
}


/// What the sequence did that a slot may show afterwards.
struct Played {
    std::array<bool, kSlots> deleteAnswered{}; ///< a yes to the delete question asked for the badge
};

/// Whether the slot on disc now holds a new player's record. Read when a delete question has
/// closed: any click on its yes answers it (a badge's place can lie under the button), so the
/// answer is judged by what was written rather than by where the input clicked.
bool DeletedOnDisc(int slot) {
    const SaveFileImage now = Parse(files->Get(kSave));
    const SaveSlot& stored = now.slots[size_t(slot)];
    return stored.state == SaveSlotState::Valid && WithoutName(stored.record) == WithoutName(CPlayer().Record());
}

void Play(std::span<const uint8_t> actions, Played& played) {
    int16_t askedFor = -1; // the badge the delete question was asked for
    for (size_t at = 0; at < actions.size() && at < kMaxActions; ++at) {
        SignIn_Activity* screen = CurrentSignIn();
        if (!screen) return; // the screen was left (the garage, the credits)
        const uint8_t action = actions[at];
        const int arg = action & 15;
        switch (action >> 4) {
        case 0: case 1: case 2: case 3: {
            const int b = arg & 7;
            Click(int16_t(177 + 290 * (b % 2)), int16_t(145 + 65 * (b / 2)));
            break;
        }
        case 4: Click(kDeleteX, kButtonsY); break;
        case 5: Click(kContinueX, kButtonsY); break;
        case 6: Click(kQuitX, kButtonsY); break;
        case 7: Click((arg & 1) != 0 ? kYesX : kNoX, kAnswerY); break;
        case 8: Press(arg < 12 ? CTLVActivity::kKeyTab : kKeyBack); break;
        case 9: Press(CTLVActivity::kKeyEnter); break;
        case 10: Press(CTLVActivity::kKeyEsc); break;
        case 11: Frames(arg + 1, kPauseStepMs); break;
        case 12: Type(arg < 8 ? " " : "crap"); break;
        case 13:
            if (++at < actions.size()) Type(std::string(1, char(actions[at])));
            break;
        default: Type(std::string(1, char('A' + (action & 31)))); break;
        }
        screen = CurrentSignIn();
        const bool asking = screen && screen->IsPanelShown(CTLVActivity::kPanelDelete);
        if (!asking && askedFor >= 0 && DeletedOnDisc(askedFor))
            played.deleteAnswered[size_t(askedFor)] = true;
        if (!asking) askedFor = -1;
        else if (askedFor < 0) askedFor = screen->GetSelectedBadge();
    }
}

void CheckSaveFile(const std::string& bytes, const Played& played) {
    const SaveFileImage before = Parse(SaveFileBytes());
    const SaveFileImage after = Parse(bytes);
    const PlayerRecordBytes newPlayer = WithoutName(CPlayer().Record());
    std::set<std::string> names;
    for (size_t s = 0; s < size_t(kSlots); ++s) {
        const SaveSlot& was = before.slots[s];
        const SaveSlot& now = after.slots[s];
        const bool valid = now.state == SaveSlotState::Valid;
        const bool deleted = played.deleteAnswered[s] && valid && WithoutName(now.record) == newPlayer;
        if (was.state == SaveSlotState::Unreadable) {
            Require(deleted || now.stored == was.stored);
        } else if (!deleted) {
            Require(valid);
            Require(WithoutName(now.record) == (was.state == SaveSlotState::Valid ? WithoutName(was.record) : newPlayer));
            Require(was.state != SaveSlotState::Valid || was.record.name[0] == '\0' || now.record.name[0] != '\0');
        }
        if (!valid || now.record.name[0] == '\0') continue;
        std::string name(now.record.name);
        Require(name.size() <= 64);
        std::string trimmed = name;
        Require(xStr_Trim(trimmed.data()) == name);
        Require(!xText_ContainsBlockedWord(name.c_str()));
        Require(names.insert(name).second);
    }
}

} // namespace

// Text views make fonts; fontconfig keeps the character sets of the fonts it knows behind
// offsets instead of pointers, so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xSRand(1);
    Input().SetCursorPos({0, 0});
    files = &vqt::test::FakeFiles::Install();
    files->Put(kParts, PartFileBytes());
    files->Put(kSave, SaveFileBytes());
    Played played;
    const bool started = vqt::test::StartHeadlessGame({.partFile = kParts, .saveFile = kSave});
    if (started && vqt::test::ShowActivity(kSignIn, [] { Frames(1); })) {
        savedWhenLeft.clear();
        Play(std::span(data, size), played);
        // A question still open is answered no first: nothing else leaves while it waits.
        if (CurrentSignIn() && CurrentSignIn()->IsPanelShown(-1)) {
            Click(kNoX, kAnswerY);
            Frames(10, kPauseStepMs);
        }
        if (CurrentSignIn()) vqt::test::ShowActivity(kLeaveTo, [] { Frames(1); });
        Require(!savedWhenLeft.empty()); // the screen can always be left
        CheckSaveFile(savedWhenLeft, played);
    }
    vqt::test::StopHeadlessGame();
    return 0;
}
