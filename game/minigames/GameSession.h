#pragma once
// The game's session as its executable starts it (the top of the game: every class of it), shared
// with the programs that run the game the same way (the window that shows a bot's play).
#include "engine/app/Startup.h"
#include "platform/posix/RunFolderLock.h"

/// How the game shows itself.
enum class GameDisplay { Window, Headless, Unavailable };

/// Sets up the platform's backend: a real window through SDL2 and the system's printer where a
/// display is named (DISPLAY, WAYLAND_DISPLAY or SDL_VIDEODRIVER) and SDL2 starts on it, else
/// headless with the wall clock. A display that is named but does not open sets nothing up: the
/// answer is Unavailable, after saying so on standard error.
GameDisplay UseGamePlatform();

/// Lets go of the build tree's lock that a launcher handed over to be let go once this program
/// runs (VQT_BUILD_LOCK_FD, see plat::ReleaseHandedBuildLock). 0; or 2, after saying on standard
/// error why, when the variable names no held build lock.
int ReleaseBuildLock();

/// Takes the game's single-instance lock, named after its built-in product name, for the rest of
/// the process, before anything of its working folder is read or written (the engine's start-up
/// takes the lock of the product name of the data it loads as well). A launcher that holds the
/// lock hands it over (see plat::SingleInstanceLock). 0 when taken; else, after saying on
/// standard error why this copy ends, the exit code: 2 when what a launcher handed over
/// (VQT_LOCK_FD) is not its held lock, 1 when another copy runs or no lock can be taken safely.
int TakeGameLock();

/// Takes the lock of the run folder, the working folder, into `lock` (which holds it while it
/// lives), after the game's lock and before anything of the folder is read or written; a launcher
/// that holds it hands it over (VQT_RUN_LOCK_FD, see plat::RunFolderLock). 0 when taken; else,
/// after saying on standard error why this copy ends, the exit code: 2 when what the launcher
/// handed over is not its held lock, 1 when a game already plays there or the lock cannot be
/// taken.
int TakeRunFolderLock(plat::RunFolderLock& lock);

/// The `--lock-path` option of the game's programs: makes the game's lock file as taking the lock
/// would, without taking it, and prints its path, so that a launcher can hold the lock from its
/// first check until the program has it; the exit code (1 after saying why the file cannot be
/// made).
int PrintGameLockPath();

/// The game's own start-up hooks; a run that the profile's STARTACTIVITY starts in a town or one
/// of its games drives one of that town's vehicles.
xAppHooks GameHooks();

/// Runs the engine's start-up with these hooks in a fresh engine context, the game's classes
/// registered; WinMain's answer.
int RunGame(const xAppHooks& hooks);
