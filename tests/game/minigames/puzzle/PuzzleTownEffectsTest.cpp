// What the towns add to the puzzle: each town's character, the circus smoke thrown in bursts
// from the vehicle at a reached person (against a model of the arcs on 10 and 16 ms frames),
// the people the smoke hits, and the zoo's spot light on the vehicle at a reach and after a
// removal; a character's tile holding the vehicle back for the visit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/GPZooActivity.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/puzzle/PuzzleTownFixture.h"

namespace vqt::test {
namespace {

class PuzzleTownEffectsTest : public PuzzleTownFixture {
protected:
    /// The town's puzzle at level 1 with its start panel closed and its board solved.
    template <class Town>
    Town* Play(const PuzzleTownValues& town, uint32_t seed = 5) {
        SetLevel(town, 1);
        auto* puzzle = dynamic_cast<Town*>(Start(town, seed));
        if (!puzzle) return nullptr;
        CloseStartPanel(puzzle);
        Solve(puzzle);
        return puzzle;
    }
    /// A person moved onto a tile, standing there as a placed one does.
    static void MoveOnto(Puzzle_Dweeble* person, Puzzle_Piece* tile) {
        if (Puzzle_Piece* from = person->Current(); from && from->GetOccupant() == person) from->Release();
        tile->SetOccupant(person);
        person->SetCurrent(tile);
        person->SetCell(tile->GetRow(), tile->GetColumn());
        person->SetPosition(CPointF(tile->GetPosition().x, tile->GetPosition().y - Puzzle_Dweeble::kStandHeight), 0, 1);
    }
    /// A tile that joins the vehicle's (or, with `joined` false, one that does not).
    static Puzzle_Piece* TileBeside(CGPuzzle* puzzle, bool joined) {
        Puzzle_Piece* under = puzzle->Run().Current();
        for (int16_t cell = 0; cell < 49; ++cell) {
            Puzzle_Piece* tile = puzzle->Board().At(cell);
            if (tile && tile != under && !tile->GetOccupant() && under->ConnectsTo(tile) == joined) return tile;
        }
        return nullptr;
    }
    /// The puzzle's first person moved onto a tile beside the vehicle's; null when there is none.
    static Puzzle_Dweeble* PlaceFirstPerson(CGPuzzle* puzzle, bool joined) {
        Puzzle_Piece* tile = TileBeside(puzzle, joined);
        if (!tile) return nullptr;
        Puzzle_Dweeble* person = puzzle->People().front();
        MoveOnto(person, tile);
        return person;
    }
    /// Where a person stands when the smoke or the light comes, and the state it is in after.
    struct Placing {
        const char* what;
        bool joined;
        int32_t stateAfter;
    };
    static constexpr Placing kPlacings[] = {{"on a joining tile", true, 6}, {"on a tile that does not join", false, 1}};
};

TEST_F(PuzzleTownEffectsTest, EachTownMakesItsCharacterHiddenAndWaitingWithItsArt) {
    struct Case {
        const PuzzleTownValues* town;
        uint32_t kind;
    };
    const Case cases[] = {{&puzzle_towns::kCircus, Toon_Puzzle_Fire::kClassId},
                          {&puzzle_towns::kZoo, Zoo_Puzzle_Alligator::kClassId},
                          {&puzzle_towns::kCity, City_Puzzle_Crook::kClassId}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.town->name);
        CGPuzzle* puzzle = Start(*c.town);
        ASSERT_NE(puzzle, nullptr);
        Puzzle_Character* character = puzzle->GetCharacter();
        ASSERT_NE(character, nullptr);
        EXPECT_TRUE(character->IsA(c.kind));
        EXPECT_EQ(character->GetParent(), puzzle);
        EXPECT_EQ(character->IsVisible(), 0);
        ChunkId art = 0;
        character->GetPartID(&art);
        EXPECT_EQ(art, c.town->characterArt);
        EXPECT_TRUE(character->GetAppearTimer().running);
        // The start panel pauses the puzzle, and the character's wait with it.
        EXPECT_NE(character->GetAppearTimer().paused, 0u);
        Leave();
    }
}

/// The circus smoke as the test reckons it: one particle thrown at the reach, then one each
/// frame on which more than 45 ms have passed since the last; each flies from the vehicle's
/// anchor toward the person in 150 ms, moving on the 15 ms motion clock, until its height is
/// spent or its flight time is up.
struct SprayModel {
    struct Arc {
        CPointF at;
        Vec3 velocity;
        uint32_t lastStep;
        uint32_t launched;
        uint32_t elapsed = 0;
        bool moving = true;
    };
    CPointF anchor;
    Vec3 aim;
    float gravity = 0.0f;
    uint32_t lastThrow = 0;
    int left = 0;
    std::vector<Arc> arcs;

    void Throw(uint32_t now) {
        const float seconds = float(GPToon_Activity::kSprayFlightMs) / 1000.0f;
        arcs.push_back({anchor, Vec3(aim.x / seconds, aim.y / seconds, 0.0f), now, now});
        lastThrow = now;
    }
    void Reach(uint32_t now) {
        Throw(now);
        left = GPToon_Activity::kMoreParticles;
    }
    void Frame(uint32_t now) {
        if (left > 0 && now - lastThrow > uint32_t(GPToon_Activity::kSprayMs)) {
            Throw(now);
            --left;
        }
        for (Arc& arc : arcs) {
            if (!arc.moving || arc.launched == now) continue;
            arc.elapsed += std::min(now - arc.lastStep, 125u);
            const double t = double(arc.elapsed) / 1000.0;
            const bool spent = int32_t(GPToon_Activity::kSprayHeight) - int32_t(t * t * double(gravity) * 0.5) < 0;
            if (spent || now - arc.launched > GPToon_Activity::kSprayFlightMs) {
                arc.moving = false;
                continue;
            }
            if (now - arc.lastStep > 15) {
                const float dt = float(now - arc.lastStep) / 1000.0f;
                arc.at = CPointF(arc.at.x + arc.velocity.x * dt, arc.at.y + arc.velocity.y * dt);
                arc.lastStep = now;
            }
        }
    }
};

TEST_F(PuzzleTownEffectsTest, AReachThrowsSixteenSmokeArcsFromTheVehicleToThePersonAsTheModelDoes) {
    for (const uint32_t frameMs : {10u, 16u}) {
        SCOPED_TRACE(testing::Message() << frameMs << " ms frames");
        auto* puzzle = Play<GPToon_Activity>(puzzle_towns::kCircus);
        ASSERT_NE(puzzle, nullptr);
        ASSERT_NE(puzzle->GetVehicle(), nullptr);
        Puzzle_Dweeble* person = puzzle->People().front();
        // As a pick-up does: the person is reached, then taken out of the play.
        const size_t traceFrom = traced().size();
        puzzle->OnPersonReached(person);
        person->PickUp();

        SprayModel model;
        puzzle->GetVehicle()->GetAnchorPoint(&model.anchor);
        const CPointF ground = person->GetGroundPosition();
        const CPointF vehicle = puzzle->GetVehicle()->GetPosition();
        model.aim = Vec3(ground.x - vehicle.x, ground.y - vehicle.y, 0.0f);
        ASSERT_EQ(puzzle->Particles().size(), 1u);
        model.gravity = puzzle->Particles().front()->GetGravity();
        uint32_t now = clock().TickCount();
        model.Reach(now);

        // Which arc of the model each particle flies now. A particle that landed may be thrown
        // again in the frame it is done: a throw shows as a moving particle not yet on its way.
        std::map<const PParticle*, size_t> flying = {{puzzle->Particles().front(), 0}};
        size_t throwsSeen = 1;
        // The last particle is thrown after 15 beats, lands and thins out well within 1.5 s.
        for (int frame = 0; frame < 1500 / int(frameMs); ++frame) {
            Frames(1, frameMs);
            now += frameMs;
            const size_t thrown = model.arcs.size();
            model.Frame(now);
            for (const PParticle* particle : puzzle->Particles()) {
                const bool shown = particle->IsVisible() != 0;
                const bool moving = particle->GetVelocity().x != 0.0f || particle->GetVelocity().y != 0.0f;
                if (shown && moving && particle->GetElapsed() == 0) {
                    ASSERT_GT(model.arcs.size(), thrown) << "a particle thrown off the model's beat at " << now;
                    flying[particle] = model.arcs.size() - 1;
                    ++throwsSeen;
                }
                if (!shown || !flying.count(particle)) continue;
                const SprayModel::Arc& arc = model.arcs[flying[particle]];
                EXPECT_NEAR(particle->GetPosition().x, arc.at.x, 0.01) << "arc " << flying[particle] << " at " << now;
                EXPECT_NEAR(particle->GetPosition().y, arc.at.y, 0.01) << "arc " << flying[particle] << " at " << now;
                EXPECT_EQ(moving, arc.moving) << "arc " << flying[particle] << " at " << now;
            }
        }
        EXPECT_EQ(model.arcs.size(), 16u);
        EXPECT_EQ(throwsSeen, 16u);
        EXPECT_EQ(puzzle->GetSprayCount(), 0);
        EXPECT_FALSE(puzzle->GetSprayTimer().running);
        EXPECT_LE(puzzle->Particles().size(), 8u) << "landed particles are thrown again";
        for (const PParticle* particle : puzzle->Particles()) EXPECT_EQ(particle->IsVisible(), 0) << "all landed";
        // Every throw is traced with its start height and its height factor as a whole number.
        const std::string trace = traced().substr(traceFrom);
        const std::string line = "StartHeight: 10\n HeightFactor: " + std::to_string(int(model.gravity)) + "\n";
        size_t lines = 0;
        for (size_t at = trace.find(line); at != std::string::npos; at = trace.find(line, at + 1)) ++lines;
        EXPECT_EQ(lines, 16u);
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, ASecondReachDuringABurstThrowsNothingMoreAndOneAfterItStartsAnother) {
    struct Case {
        const char* what;
        int framesBefore; // frames between the two reaches
        size_t thrown;    // particles thrown in all
    };
    const Case cases[] = {
        {"at once", 0, 16},
        {"half-way through the burst", 8, 16},
        {"at the burst's last particle", 15, 16},
        {"after the burst", 100, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* puzzle = Play<GPToon_Activity>(puzzle_towns::kCircus);
        ASSERT_NE(puzzle, nullptr);
        Puzzle_Dweeble* first = puzzle->People()[0];
        Puzzle_Dweeble* second = puzzle->People()[1];
        const size_t traceFrom = traced().size();
        puzzle->OnPersonReached(first);
        Frames(c.framesBefore, 10);
        puzzle->OnPersonReached(second);
        Frames(100, 10);
        const std::string trace = traced().substr(traceFrom);
        size_t thrown = 0;
        for (size_t at = trace.find("StartHeight:"); at != std::string::npos; at = trace.find("StartHeight:", at + 1)) ++thrown;
        EXPECT_EQ(thrown, c.thrown);
        EXPECT_EQ(puzzle->GetSprayCount(), 0);
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, TheSmokeStartlesOnlyThePeopleOnTilesJoiningTheVehicles) {
    for (const Placing& c : kPlacings) {
        SCOPED_TRACE(c.what);
        auto* puzzle = Play<GPToon_Activity>(puzzle_towns::kCircus);
        ASSERT_NE(puzzle, nullptr);
        Puzzle_Dweeble* person = PlaceFirstPerson(puzzle, c.joined);
        ASSERT_NE(person, nullptr);
        Frames(2, 16);
        ASSERT_EQ(person->GetBehaviourState(), 1) << "standing before the smoke";
        puzzle->OnPersonReached(person);
        Frames(60, 16);
        EXPECT_EQ(person->GetBehaviourState(), c.stateAfter);
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, ACharactersVisitLiftsItsTileByItsFramesAndSetsItDownAsTheModelDoes) {
    // The model: each frame the tile follows the frame the character showed when the frame
    // began. While the character rises (state 0) the tile stands k x 0.2 x its frame point
    // above its place, k = that frame + 1 up to 5, and the lift ends once the frame was 4; it
    // stays up while the character holds it (state 1); while the character sinks (state 2)
    // k = 6 - the frame, at most 5, and once the frame was 4 the tile is back in its place.
    constexpr float kPointY = 20.0f; // the generated tiles' frame point
    for (const uint32_t frameMs : {10u, 16u}) {
        SCOPED_TRACE(testing::Message() << frameMs << " ms frames");
        auto* puzzle = Play<GPZoo_Activity>(puzzle_towns::kZoo);
        ASSERT_NE(puzzle, nullptr);
        Puzzle_Character* character = puzzle->GetCharacter();
        ASSERT_NE(character, nullptr);
        ASSERT_TRUE(character->Appear());
        Puzzle_Piece* tile = character->GetTile();
        ASSERT_NE(tile, nullptr);
        ASSERT_EQ(tile->GetOccupant(), character) << "the seed's character finds a free tile";
        const CPointF home = tile->GetSavedPosition();
        float modelY = home.y;
        bool lifting = true, lowering = false, lowered = false;
        std::vector<int32_t> statesSeen;
        for (int frame = 0; frame < 6000 / int(frameMs) && character->IsVisiting(); ++frame) {
            const int32_t state = character->GetState(), shown = character->GetCurrentFrame();
            if (statesSeen.empty() || statesSeen.back() != state) statesSeen.push_back(state);
            if (state == 2 && !lowered) lowering = true;
            Frames(1, frameMs);
            if (state == 0 && lifting) {
                modelY = home.y - float(std::min(5, shown + 1)) * 0.2f * kPointY;
                lifting = shown != 4;
            } else if (state == 2 && lowering) {
                modelY = home.y - float(std::min(5, 6 - shown)) * 0.2f * kPointY;
                if (shown == 4) {
                    modelY = home.y;
                    lowering = false;
                    lowered = true;
                }
            }
            if (!character->IsVisiting()) break;
            EXPECT_FLOAT_EQ(tile->GetPosition().x, home.x) << "state " << state << " frame " << shown;
            EXPECT_FLOAT_EQ(tile->GetPosition().y, modelY) << "state " << state << " frame " << shown;
            EXPECT_TRUE(tile->IsLocked()) << "the tile stays locked for the visit";
        }
        EXPECT_EQ(statesSeen, (std::vector<int32_t>{0, 1, 2}));
        EXPECT_FALSE(lifting) << "the tile went all the way up";
        EXPECT_TRUE(lowered) << "and all the way down";
        EXPECT_FALSE(character->IsVisiting());
        EXPECT_EQ(tile->GetPosition(), home);
        EXPECT_EQ(tile->GetOccupant(), nullptr) << "let go at the end of the visit";
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, ACharactersTileStopsTheVehicleUntilTheVisitEnds) {
    auto* puzzle = Play<GPZoo_Activity>(puzzle_towns::kZoo);
    ASSERT_NE(puzzle, nullptr);
    Puzzle_Character* character = puzzle->GetCharacter();
    ASSERT_NE(character, nullptr);
    ASSERT_TRUE(character->Appear());
    Puzzle_Piece* held = character->GetTile();
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(held->GetOccupant(), character) << "the seed's character finds a free tile";
    // The visit held in its lift: the character waits while it is paused.
    character->Suspend(1);
    Type(CTLVActivity::kKeySpace);
    ASSERT_TRUE(puzzle->Run().IsMoving());
    bool enteredHeld = false;
    FramesUntil([&] {
        enteredHeld = enteredHeld || puzzle->Run().Current() == held || puzzle->Run().Next() == held;
        return !puzzle->Run().IsMoving();
    }, 60000 / int(kFrameMs));
    ASSERT_GT(puzzle->GetPeopleLeft(), 0) << "the seed's vehicle meets the character before it has everyone";
    EXPECT_FALSE(enteredHeld) << "the vehicle never drives onto the character's tile";
    EXPECT_FALSE(puzzle->Run().IsMoving());
    EXPECT_TRUE(puzzle->Run().Current()->ConnectsTo(held)) << "it stops on the tile before";
    EXPECT_EQ(puzzle->GetGoButton()->GetState(), Puzzle_Go_Button::kStopped);
    EXPECT_EQ(held->GetOccupant(), character);
    EXPECT_TRUE(held->IsLocked());
    const uint32_t rotation = held->GetRotation();
    held->OnClick();
    EXPECT_EQ(held->GetRotation(), rotation) << "the lifted tile does not turn after the vehicle met it";
    EXPECT_FALSE(held->IsTurning());

    // Once the visit is over the tile is free, and go takes the vehicle onto it.
    character->Resume(1);
    FramesUntil([&] { return !character->IsVisiting(); }, 6000 / int(kFrameMs));
    ASSERT_FALSE(character->IsVisiting());
    EXPECT_NE(held->GetOccupant(), character);
    Type(CTLVActivity::kKeySpace);
    FramesUntil([&] { return puzzle->Run().Current() == held; }, 3000 / int(kFrameMs));
    EXPECT_EQ(puzzle->Run().Current(), held);
    Leave();
}

TEST_F(PuzzleTownEffectsTest, AStopTakesOffTheSmokeTheLightAndTheCharacter) {
    struct Case {
        const PuzzleTownValues* town;
        int32_t effects; // the smoke particles or the light made before the stop
    };
    const Case cases[] = {{&puzzle_towns::kCircus, 0}, {&puzzle_towns::kZoo, 1}, {&puzzle_towns::kCity, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.town->name);
        SetLevel(*c.town, 1);
        CGPuzzle* puzzle = Start(*c.town, 5);
        ASSERT_NE(puzzle, nullptr);
        CloseStartPanel(puzzle);
        puzzle->OnPersonReached(puzzle->People().front());
        Frames(20, 10);
        int32_t made = c.effects;
        if (auto* circus = dynamic_cast<GPToon_Activity*>(puzzle)) made = int32_t(circus->Particles().size());
        if (c.town->classId == puzzle_towns::kCircus.classId) {
            EXPECT_GE(made, 3) << "a burst under way";
        }
        const int32_t children = puzzle->ChildCount();
        ASSERT_NE(puzzle->GetCharacter(), nullptr);
        puzzle->FlushSoundQueues();
        EXPECT_EQ(puzzle->GetCharacter(), nullptr);
        if (auto* circus = dynamic_cast<GPToon_Activity*>(puzzle)) {
            EXPECT_TRUE(circus->Particles().empty());
        }
        if (auto* zoo = dynamic_cast<GPZoo_Activity*>(puzzle)) {
            EXPECT_EQ(zoo->GetSpotLight(), nullptr);
        }
        EXPECT_LE(puzzle->ChildCount(), children - made - 1) << "taken off the puzzle as well";
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, TheZooLightIsMadeOnceOnTheVehicleByItsArtAndShift) {
    struct Case {
        uint16_t vehicle;
        ChunkId art;
        float shift;
    };
    const Case cases[] = {{2, MakeChunkId(2, 1153), -7.0f}, {3, MakeChunkId(2, 1154), 15.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vehicle " << c.vehicle);
        Player().SetSelectedVehicle(c.vehicle);
        xSRand(3);
        SwitchTo(EntryOf(puzzle_towns::kZoo));
        auto* puzzle = dynamic_cast<GPZoo_Activity*>(CurrentGameActivity());
        ASSERT_NE(puzzle, nullptr);
        PBeam* light = puzzle->GetSpotLight();
        ASSERT_NE(light, nullptr);
        ChunkId art = 0;
        light->GetPartID(&art);
        EXPECT_EQ(art, c.art);
        EXPECT_EQ(light->IsVisible(), 0);
        EXPECT_EQ(light->GetPriority(), GPZoo_Activity::kLightMadePriority);
        EXPECT_EQ(light->GetOwner(), puzzle->GetVehicle());
        EXPECT_EQ(light->GetHost(), puzzle->GetVehicle());
        EXPECT_EQ(light->GetHostOffset().x, int16_t(c.shift));
        EXPECT_FALSE(light->FollowsPriority());
        Leave();
    }
    // A vehicle of another town has no vehicle in the puzzle, and so no light.
    Player().SetSelectedVehicle(0);
    SwitchTo(EntryOf(puzzle_towns::kZoo));
    auto* puzzle = dynamic_cast<GPZoo_Activity*>(CurrentGameActivity());
    ASSERT_NE(puzzle, nullptr);
    EXPECT_EQ(puzzle->GetSpotLight(), nullptr);
    Leave();
}

TEST_F(PuzzleTownEffectsTest, TheZooLightShowsAtAReachAndShinesItsFlightTimeAfterARemoval) {
    struct Case {
        const char* what;
        bool reach;
        bool remove;
        bool shownAt;     // at once
        bool shownLater;  // 1100 ms later
    };
    const Case cases[] = {
        // Alone, a reach shows the light only until the flight time counted from its making lands it.
        {"a reach", true, false, true, false},
        {"a removal", false, true, true, false},
        {"a reach and its pick-up", true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* puzzle = Play<GPZoo_Activity>(puzzle_towns::kZoo);
        ASSERT_NE(puzzle, nullptr);
        PBeam* light = puzzle->GetSpotLight();
        ASSERT_NE(light, nullptr);
        Puzzle_Dweeble* person = puzzle->People().front();
        if (c.reach) puzzle->OnPersonReached(person);
        if (c.remove) puzzle->OnPersonRemoved(person);
        EXPECT_EQ(light->IsVisible() != 0, c.shownAt);
        EXPECT_EQ(light->GetPriority(), GPZoo_Activity::kLightShownPriority);
        EXPECT_EQ(Playing(2) != nullptr, c.remove) << "its sound plays when it is started after a removal";
        Frames(110, 10);
        EXPECT_EQ(light->IsVisible() != 0, c.shownLater);
        Leave();
    }
}

TEST_F(PuzzleTownEffectsTest, TheZooLightStartlesThePeopleItShinesOnBesideTheVehicle) {
    for (const Placing& c : kPlacings) {
        SCOPED_TRACE(c.what);
        auto* puzzle = Play<GPZoo_Activity>(puzzle_towns::kZoo);
        ASSERT_NE(puzzle, nullptr);
        PBeam* light = puzzle->GetSpotLight();
        ASSERT_NE(light, nullptr);
        Puzzle_Dweeble* person = PlaceFirstPerson(puzzle, c.joined);
        ASSERT_NE(person, nullptr);
        // The light's pool grown over the tiles round the vehicle.
        light->SetScale(6.0f, 6.0f);
        Frames(2, 10);
        ASSERT_EQ(person->GetBehaviourState(), 1);
        Puzzle_Dweeble* reached = puzzle->People().back();
        puzzle->OnPersonReached(reached);
        reached->PickUp();
        Frames(3, 10);
        EXPECT_EQ(person->GetBehaviourState(), c.stateAfter);
        Leave();
    }
}

} // namespace
} // namespace vqt::test
