// tlvbotview: the game in its real SDL2 window (the game's own session), played by a bot of the
// test kit. Each frame the bot reads the world and answers with window messages, injected into
// the SDL2 message source, and keys it holds in the SDL2 input.
//
//     tlvbotview <bot> [--until-milestone | --until-end]
//     tlvbotview --lock-path    (the game's lock file, as tlvgame --lock-path)
//
// It runs in the working folder of the game's INI files and part file; the bot's row writes
// the save file there and adds its lines to VQT.ini. Without an option it plays until the
// window is closed. With --until-milestone the run ends once the bot reached its game and
// drove kMilestonePx there (exit code 0), or, as a bound for a run that went wrong, after
// kCapMs of the clock (exit code 1); with --until-end once the bot reached its play's end (a
// round's certificate once the town's mission is done, the town after a race, the credits),
// or after kEndCapMs. Every
// kStatusMs it says where the play stands; the last line says how far the play got:
//     tlvbotview: circus-round: activities 1:5 1:8; arrived; drove 812 px; milestone reached
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Process.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "game/minigames/GameSession.h"
#include "platform/Platform.h"
#include "tests/support/botview/Bots.h"
#include "tests/support/botview/WindowInput.h"

namespace vqt::test {
namespace {

constexpr double kMilestonePx = 400;
constexpr uint32_t kCapMs = 180000;
/// The whole game takes an hour and more in a window.
constexpr uint32_t kEndCapMs = 3 * 3600 * 1000;
constexpr uint32_t kStatusMs = 60000;

enum class Until { kClosed, kMilestone, kEnd };

struct Run {
    const BotRow* row = nullptr;
    Until until = Until::kClosed;
    uint32_t nextStatus = kStatusMs;
    std::unique_ptr<ViewBot> bot;
    uint32_t startTick = 0;
    std::string activities;
    ChunkId shown = kNullChunkId;
    bool milestone = false;
    std::string error;
    bool (*gameStart)() = nullptr;
};
Run g_run;

bool MilestoneReached(const BotProgress& p) { return p.arrived && p.driven >= kMilestonePx; }

/// Steps the bot from inside the idle walk, ahead of every other process of the window.
class BotDriver final : public OProcess {
public:
    BotDriver() : OProcess("BotDriver", kClassId) { SetEventMask(0); }
    int32_t OnIdle() override {
        if (!g_run.bot) {
            g_run.startTick = plat::clock().TickCount();
            g_run.bot = g_run.row->start(WindowBotInput());
        }
        const uint32_t now = plat::clock().TickCount() - g_run.startTick;
        NoteActivity();
        const std::string lines = g_run.bot->Step(now);
        if (!lines.empty() && !InjectScript(lines, &g_run.error)) RequestQuit();
        if (now >= g_run.nextStatus) {
            g_run.nextStatus += kStatusMs;
            std::printf("tlvbotview: %s: %u s: %s\n", g_run.row->name, now / 1000, PlayState().c_str());
            std::fflush(stdout);
        }
        if (g_run.until == Until::kMilestone) {
            g_run.milestone = MilestoneReached(g_run.bot->Progress());
            if (g_run.milestone || now > kCapMs) RequestQuit();
        } else if (g_run.until == Until::kEnd) {
            g_run.milestone = g_run.bot->Progress().ended;
            if (g_run.milestone || now > kEndCapMs) RequestQuit();
        }
        return 1;
    }

private:
    static void NoteActivity() {
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id == g_run.shown || id == kNullChunkId) return;
        g_run.shown = id;
        g_run.activities += (g_run.activities.empty() ? "" : " ") + std::to_string(ChunkIndexOf(id)) + ":" +
                            std::to_string(ChunkEntryOf(id));
    }
};

bool StartThenDrive() {
    if (!g_run.gameStart()) return false;
    auto* driver = new BotDriver;
    driver->SetPriority(INT32_MAX);
    OVQEngine::Instance()->GetMainWindow()->AddChild(driver);
    return true;
}

/// The row's lines join the engine's INI file (a windowed one when there is none).
void AddIniLines(const std::string& lines) {
    const bool present = std::filesystem::exists("VQT.ini");
    std::ofstream ini("VQT.ini", std::ios::app);
    if (!present) ini << "[VQT]\nFULLSCREEN=0\n";
    ini << lines;
}

int Usage() {
    std::fprintf(stderr, "usage: tlvbotview <bot> [--until-milestone | --until-end]\nbots:\n");
    for (const BotRow& row : Bots()) std::fprintf(stderr, "  %-14s %s\n", row.name, row.plays);
    return 2;
}

int Main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--lock-path") return PrintGameLockPath();
    if (const int refused = ReleaseBuildLock()) return refused;
    if (argc < 2 || argc > 3) return Usage();
    g_run.row = FindBot(argv[1]);
    if (argc == 3) {
        const std::string until = argv[2];
        g_run.until = until == "--until-milestone" ? Until::kMilestone : until == "--until-end" ? Until::kEnd : Until::kClosed;
    }
    if (!g_run.row || (argc == 3 && g_run.until == Until::kClosed)) return Usage();
    if (UseGamePlatform() != GameDisplay::Window) {
        std::fprintf(stderr, "tlvbotview: no SDL2 window (without a display, SDL_VIDEODRIVER=dummy gives one)\n");
        return 2;
    }
    // A copy refused by the game's lock or its run folder's leaves the running game's save and
    // settings alone.
    if (const int refused = TakeGameLock()) return refused;
    plat::RunFolderLock runFolder;
    if (const int refused = TakeRunFolderLock(runFolder)) return refused;
    AddIniLines(g_run.row->prepare());
    xAppHooks hooks = GameHooks();
    g_run.gameStart = hooks.VQAppStart;
    hooks.VQAppStart = StartThenDrive;
    const int exitCode = RunGame(hooks);
    const BotProgress progress = g_run.bot ? g_run.bot->Progress() : BotProgress{};
    if (!g_run.error.empty()) std::printf("tlvbotview: the bot's input cannot be read: %s\n", g_run.error.c_str());
    const char* reached = g_run.until == Until::kEnd ? (g_run.milestone ? "end reached" : "end not reached")
                          : g_run.until == Until::kMilestone ? (g_run.milestone ? "milestone reached" : "milestone not reached")
                                                              : "ended";
    std::printf("tlvbotview: %s: activities %s; %s; drove %.0f px; %s\n", g_run.row->name, g_run.activities.c_str(),
                progress.arrived ? "arrived" : "never arrived", progress.driven, reached);
    if (exitCode != 0) return exitCode;
    return g_run.until != Until::kClosed && !g_run.milestone ? 1 : 0;
}

} // namespace
} // namespace vqt::test

int main(int argc, char** argv) { return vqt::test::Main(argc, argv); }
