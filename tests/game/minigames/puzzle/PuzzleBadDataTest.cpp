// The town puzzles on damaged game data: a town whose character and smoke arts are missing, one
// whose people's arts are missing, and an activity chunk with people, crowds, go buttons and badge
// tokens in odd numbers and places. Each plays on and traces what it left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/shell/StillProps.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/puzzle/PuzzleTownFixture.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

/// The circus town's values as the generator lays them, less its character's art.
constexpr PuzzleTownValues CircusWithoutCharacter() {
    PuzzleTownValues circus = puzzle_towns::kCircus;
    circus.characterArt = MakeChunkId(2, 3990);
    return circus;
}
/// The city's values less its people's arts.
constexpr PuzzleTownValues CityWithoutPeople() {
    PuzzleTownValues city = puzzle_towns::kCity;
    for (uint16_t i = 0; i < 4; ++i) city.personArts[i] = MakeChunkId(2, uint16_t(3991 + i));
    return city;
}

/// The zoo's puzzle on an entry of its own whose activity chunk holds odd props.
constexpr uint16_t kOddEntry = 41;
constexpr int kDataPeople = 3, kDataCrowds = 5, kDataButtons = 3, kDataTokens = 2;

class PuzzleBadDataTest : public PuzzleTownFixture {
protected:
    void AddTestData(GameData& data) override {
        AddTileSheetScreens(data);
        // The smoke's entry is in the index but holds nothing, as a damaged file has it.
        data.file.AddChunk(GameData::kParts, Bytes{}, {.entry = ChunkEntryOf(puzzle_towns::kSprayArt), .storedSize = 0u});
        static constexpr PuzzleTownValues circus = CircusWithoutCharacter();
        static constexpr PuzzleTownValues city = CityWithoutPeople();
        static constexpr PuzzleTownValues zoo = ZooHere();
        AddPuzzles(data, {&circus, &city, &zoo});
        AddOddZooPuzzle(data);
    }

    /// People with cells on and off the board and none, five crowds (one far off the stage),
    /// three go buttons and two badge tokens, beside the zoo's own props.
    static void AddOddZooPuzzle(GameData& data) {
        PartPlan plan;
        plan.palette = std::vector<uint8_t>(256 * 3, 200);
        for (int s = 0; s < 3; ++s)
            plan.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(20, 20, uint8_t(1 + s)), .hotX = 10, .hotY = 10}}});
        const uint32_t part = data.parts.AddPart(plan).part;
        ActivityPlan puzzle{.classId = puzzle_towns::kZoo.classId,
                            .backgroundId = ChunkIdOf(GameData::kFrames, 5),
                            .paletteId = ChunkIdOf(GameData::kPalettes, 5)};
        puzzle.properties.Pair(50, 1, 320, 240);
        const int16_t cells[kDataPeople][2] = {{9, -4}, {3, 3}, {-1, 100}};
        for (int i = 0; i < kDataPeople; ++i) {
            ObjectPlan person{.classId = Puzzle_Dweeble::kClassId, .objectId = uint32_t(10 + i), .partId = part};
            person.properties.Pair(50, 1, int16_t(100 + 40 * i), 200);
            person.properties.Short(Puzzle_Dweeble::kClassId, 1, cells[i][0]);
            person.properties.Short(Puzzle_Dweeble::kClassId, 2, cells[i][1]);
            puzzle.objects.push_back(person);
        }
        const int16_t crowdAt[kDataCrowds][2] = {{60, 420}, {60, 60}, {600, 60}, {600, 420}, {-3000, 9000}};
        for (int i = 0; i < kDataCrowds; ++i) {
            ObjectPlan crowd{.classId = 1620, .objectId = uint32_t(i), .partId = part};
            crowd.properties.Pair(50, 1, crowdAt[i][0], crowdAt[i][1]);
            puzzle.objects.push_back(crowd);
        }
        for (int i = 0; i < kDataButtons; ++i) {
            ObjectPlan go{.classId = Puzzle_Go_Button::kClassId, .objectId = uint32_t(i), .partId = part};
            go.properties.Pair(50, 1, int16_t(580 - 200 * i), 420);
            puzzle.objects.push_back(go);
        }
        for (int i = 0; i < kDataTokens; ++i) {
            ObjectPlan token{.classId = Token::kClassId, .objectId = uint32_t(20 + i), .partId = part};
            token.properties.Pair(50, 1, int16_t(-500 * i), int16_t(700 * i));
            puzzle.objects.push_back(token);
        }
        data.file.AddChunk(GameData::kActivities, ActivityData(puzzle), {.entry = kOddEntry, .name = "odd zoo puzzle"});
    }

    /// Frames with the vehicle sent off; with `clicks`, a tile of the board is clicked now and
    /// then and SPACE pressed again, as a player trying things would.
    void PlayOn(CGPuzzle* puzzle, int frames, bool clicks) {
        Type(CTLVActivity::kKeySpace);
        for (int frame = 1; frame <= frames && CurrentGameActivity() == puzzle; ++frame) {
            if (clicks && frame % 97 == 0)
                if (Puzzle_Piece* tile = puzzle->Board().At(int16_t(frame / 97 % 49))) tile->OnClick();
            if (clicks && frame % 311 == 0 && !puzzle->IsPanelShown(-1)) Type(CTLVActivity::kKeySpace);
            Frames(1, kFrameMs);
            if (!clicks && puzzle->IsPanelShown(CGPuzzle::kPanelEnd)) return;
        }
    }
    size_t Count(const std::string& text, const std::string& line) {
        size_t n = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
        return n;
    }
};

TEST_F(PuzzleBadDataTest, AMissingArtLeavesOutItsPropsTracedAndThePuzzlePlaysOn) {
    struct Case {
        const PuzzleTownValues* town;
        const char* traceLine;
        /// Traced at every pick-up: the circus has no smoke to spray.
        const char* pickUpLine;
        bool character;
        size_t people;
        size_t badges;
    };
    const Case cases[] = {
        {&puzzle_towns::kCircus, "no character art, the puzzle has no character", "no smoke to spray", false, 3, 2},
        {&puzzle_towns::kCity, "person arts missing, the puzzle has no people", nullptr, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.town->name);
        SetLevel(*c.town, 1);
        const uint16_t countBefore = Player().GetActivityCount(c.town->world, CGPuzzle::kPuzzleActivity);
        const size_t traceFrom = traced().size();
        CGPuzzle* puzzle = Start(*c.town, 9);
        ASSERT_NE(puzzle, nullptr);
        EXPECT_EQ(Count(traced().substr(traceFrom), c.traceLine), 1u);
        EXPECT_EQ(puzzle->GetCharacter() != nullptr, c.character);
        EXPECT_EQ(puzzle->People().size(), c.people);
        EXPECT_EQ(puzzle->Badges().size(), c.badges);
        // The people left are those of the level, placed or not: without people there is no
        // win, only leaving.
        EXPECT_EQ(puzzle->GetPeopleLeft(), 3);
        ASSERT_NE(puzzle->GetVehicle(), nullptr);
        CloseStartPanel(puzzle);
        Solve(puzzle);
        PlayOn(puzzle, 40000 / int(kFrameMs), false);
        ASSERT_EQ(CurrentGameActivity(), puzzle) << "the puzzle is still shown";
        EXPECT_NE(puzzle->Board().At(puzzle->Run().GetRow(), puzzle->Run().GetColumn()), nullptr);
        const bool won = puzzle->GetPeopleLeft() == 0;
        EXPECT_EQ(won, c.people > 0) << "the people placed are all picked up on the solved board";
        EXPECT_EQ(puzzle->IsPanelShown(CGPuzzle::kPanelEnd), won);
        if (c.pickUpLine) {
            EXPECT_GE(Count(traced().substr(traceFrom), c.pickUpLine), 1u);
            EXPECT_TRUE(static_cast<GPToon_Activity*>(puzzle)->Particles().empty());
        }
        Leave();
        EXPECT_EQ(Player().GetActivityCount(c.town->world, CGPuzzle::kPuzzleActivity), countBefore + (won ? 1 : 0));
    }
}

TEST_F(PuzzleBadDataTest, OddPropsOfTheActivityChunkJoinThePuzzleWithoutReadingOffTheBoard) {
    SetLevel(puzzle_towns::kZoo, 2);
    Player().SetSelectedVehicle(puzzle_towns::kZoo.firstVehicle);
    xSRand(21);
    SwitchTo(kOddEntry);
    auto* puzzle = dynamic_cast<CGPuzzle*>(CurrentGameActivity());
    ASSERT_NE(puzzle, nullptr);
    // The chunk's people join the five placed ones; its tokens lie at the badges' cell.
    ASSERT_EQ(puzzle->People().size(), size_t(kDataPeople + 5));
    EXPECT_EQ(puzzle->GetPeopleLeft(), 5) << "only the placed people are waited for";
    EXPECT_EQ(puzzle->Crowd().size(), size_t(kDataCrowds));
    EXPECT_EQ(puzzle->Badges().size(), size_t(kDataTokens + 3));
    for (const Token* badge : puzzle->Badges()) {
        EXPECT_GE(badge->row, 0);
        EXPECT_LT(badge->row, 7);
        EXPECT_GE(badge->column, 0);
        EXPECT_LT(badge->column, 7);
    }
    ASSERT_NE(puzzle->GetGoButton(), nullptr);
    EXPECT_EQ(puzzle->GetGoButton()->GetObjectId(), uint32_t(kDataButtons - 1)) << "the last one read is the go button";
    std::vector<CPointF> at;
    std::vector<Puzzle_Dweeble*> offBoard;
    for (Puzzle_Dweeble* person : puzzle->People())
        if (!puzzle->Board().At(person->GetRow(), person->GetColumn())) {
            offBoard.push_back(person);
            at.push_back(person->GetPosition());
        }
    EXPECT_GE(offBoard.size(), 2u) << "the cells (9, -4) and (-1, 100) lie off the board";

    CloseStartPanel(puzzle);
    Solve(puzzle);
    PlayOn(puzzle, 60000 / int(kFrameMs), true);
    ASSERT_EQ(CurrentGameActivity(), puzzle);
    EXPECT_LE(puzzle->GetPeopleLeft(), 5);
    for (size_t i = 0; i < offBoard.size(); ++i) {
        EXPECT_EQ(offBoard[i]->GetPosition(), at[i]) << "a person whose cell holds no tile stays put";
        EXPECT_EQ(offBoard[i]->Current(), nullptr);
    }
    const Puzzle_Character* character = puzzle->GetCharacter();
    if (character && character->IsVisible() && character->GetTile()) {
        EXPECT_FALSE(character->GetTile()->HoldsBadge());
    }
    Leave();
}

} // namespace
} // namespace vqt::test
