// The puzzle board: generating a level-3 board of each town until an attempt succeeds, over
// 1,000 seeds (median, 99th percentile and worst as counters, in ms and as shares of the
// 16.7 ms frame budget), once as the bare generator and once laying the tiles too; one
// frame of 42 tiles' steps with a hover test over them, beside as many plain engine props; and
// the circus puzzle of the generated data on the headless stage, one frame of its steps and a
// hover test: at the third level with seven people walking, its character lifting a tile and
// a smoke burst under way, beside the first level with the people standing and no character.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/base/Random.h"
#include "engine/core/Node.h"
#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/PuzzleBoard.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "tests/game/minigames/puzzle/PuzzleGameHarness.h"
#include "tests/support/HeadlessGame.h"

namespace {

constexpr double kFrameBudgetMs = 16.7;
constexpr uint32_t kSeeds = 1000;
constexpr int kTiles = 42;

constexpr int16_t kCircus[] = {6, 42};
constexpr int16_t kZoo[] = {6, 42, 14, 21, 28, 35};
constexpr int16_t kCity[] = {6, 13, 5, 12, 42, 43, 48};
const puzzle::TrackRules kTowns[] = {{kCircus, 2, 1, 1}, {kZoo, 6, 1, 1}, {kCity, 7, 1, 1}};
const float kLevel3 = float(2 * 3 + 2) * 0.1f;

/// Times each seed's generation until success and reports the spread.
template <class Generate>
void SpreadOverSeeds(benchmark::State& state, Generate generate) {
    vqt::bench::FreshEngineContext();
    std::vector<double> ms;
    double attempts = 0;
    for (auto _ : state) {
        ms.clear();
        attempts = 0;
        for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
            xSRand(seed);
            const auto start = std::chrono::steady_clock::now();
            attempts += generate();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["worst_ms"] = ms.back();
    state.counters["worst_of_budget"] = ms.back() / kFrameBudgetMs;
    state.counters["attempts_per_board"] = attempts / kSeeds;
}

void BM_GenerateLevel3(benchmark::State& state) {
    const puzzle::TrackRules rules = kTowns[state.range(0)];
    SpreadOverSeeds(state, [&] {
        puzzle::TrackGenerator generator(rules);
        double attempts = 1;
        while (!generator.GenerateTrack(kLevel3)) ++attempts;
        return attempts;
    });
}
BENCHMARK(BM_GenerateLevel3)->Arg(0)->Arg(1)->Arg(2)->ArgName("town")->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LayBoardLevel3(benchmark::State& state) {
    const puzzle::TrackRules rules = kTowns[state.range(0)];
    ONode owner("Puzzle", 10);
    CPuzzleBoard board(&owner);
    const BoardLook look{318, 56, nullptr, 0, nullptr, 0};
    SpreadOverSeeds(state, [&] {
        double attempts = 1;
        while (!board.GenerateTrack(kLevel3, rules, look)) ++attempts;
        return attempts;
    });
    board.ClearBoard();
}
BENCHMARK(BM_LayBoardLevel3)->Arg(0)->Arg(1)->Arg(2)->ArgName("town")->Iterations(1)->Unit(benchmark::kMillisecond);

/// One frame over the props: each one's step, then the hover test at a point of the board.
template <class Prop>
void FrameOver(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    std::vector<std::unique_ptr<Prop>> props;
    for (int i = 0; i < kTiles; ++i) {
        auto prop = std::make_unique<Prop>();
        const int row = i / 7, column = i % 7;
        prop->SetPosition(CPointF(float((row - column) * 57 + 318), float((row + column) * 29 + 56)), 0, 0);
        prop->SetSize(CPoint16(114, 58), 0);
        prop->SetPriority(i * 5);
        props.push_back(std::move(prop));
    }
    int16_t x = 0;
    for (auto _ : state) {
        for (auto& prop : props) benchmark::DoNotOptimize(prop->OnIdle());
        x = int16_t((x + 7) % 640);
        const CPoint16 pointer(x, 200);
        for (auto it = props.rbegin(); it != props.rend(); ++it)
            if ((*it)->HitTestPoint(pointer)) break;
    }
    state.counters["of_budget"] = benchmark::Counter(double(state.iterations()) * kFrameBudgetMs * 1e-3,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_TEMPLATE(FrameOver, Puzzle_Piece)->Name("BM_FrameOf42Tiles");
BENCHMARK_TEMPLATE(FrameOver, OActivityProp)->Name("BM_FrameOf42PlainProps");

/// The circus puzzle at a level, its start panel closed; null when the game did not start.
GPToon_Activity* StartCircusPuzzle(uint16_t level) {
    using namespace vqt::puzzle_game;
    vqt::bench::FreshEngineContext();
    CGameShellState::ResetForTest();
    xSRand(11);
    if (!StartWithPuzzles()) return nullptr;
    CPlayer* player = CTLVApp::Get()->GetPlayer();
    auto& record = const_cast<PlayerRecord&>(player->Record());
    record.world[0][CPlayer::kLevels + CGPuzzle::kPuzzleActivity] = level;
    player->SetSelectedVehicle(0);
    if (!vqt::test::ShowActivity(puzzle_towns::kCircus.ownEntry, [] { Frames(1); })) return nullptr;
    auto* puzzle = dynamic_cast<GPToon_Activity*>(Puzzle());
    if (!puzzle) return nullptr;
    puzzle->OnButton(CGPuzzle::kPanelStart, 1);
    Frames(60);
    return puzzle;
}

/// Frames of the puzzle's steps and a hover test; `busy` keeps the character lifting and the
/// smoke flying, else the character stays away.
void PuzzleFrames(benchmark::State& state, uint16_t level, bool busy) {
    using namespace vqt::puzzle_game;
    GPToon_Activity* puzzle = StartCircusPuzzle(level);
    if (!puzzle || !puzzle->GetCharacter() || puzzle->People().empty()) {
        state.SkipWithError("the circus puzzle did not start");
        vqt::test::StopHeadlessGame();
        return;
    }
    Puzzle_Character* character = puzzle->GetCharacter();
    if (!busy) character->Suspend(1);
    double worst = 0;
    int walking = 0;
    int16_t x = 0;
    for (auto _ : state) {
        if (busy && !character->IsVisiting()) character->Appear();
        if (busy && puzzle->GetSprayCount() == 0) puzzle->OnPersonReached(puzzle->People().front());
        const auto start = std::chrono::steady_clock::now();
        Clock().Advance(kFrameMs);
        IdleWalk(puzzle);
        x = int16_t((x + 7) % 640);
        benchmark::DoNotOptimize(OWindow::Main()->ViewAtPoint(CPoint16(x, 200)));
        worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    for (const Puzzle_Dweeble* person : puzzle->People()) walking += person->GetBehaviourState() >= 2 ? 1 : 0;
    state.counters["of_budget"] = benchmark::Counter(double(state.iterations()) * kFrameBudgetMs * 1e-3,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["worst_of_budget"] = worst / kFrameBudgetMs;
    state.counters["people"] = double(puzzle->People().size());
    state.counters["walking_at_end"] = walking;
    vqt::test::StopHeadlessGame();
    CGameShellState::ResetForTest();
}

void BM_PuzzleFrameLevel3Busy(benchmark::State& state) { PuzzleFrames(state, 3, true); }
BENCHMARK(BM_PuzzleFrameLevel3Busy);

void BM_PuzzleFrameLevel1Standing(benchmark::State& state) { PuzzleFrames(state, 1, false); }
BENCHMARK(BM_PuzzleFrameLevel1Standing);

} // namespace

BENCHMARK_MAIN();
