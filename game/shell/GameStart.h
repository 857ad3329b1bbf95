#pragma once
// The game's start-up hooks, handed to the engine's WinMain by the program's entry.
#include "engine/data/MessageTexts.h"

/// The game's built-in message texts (12 pairs), used when its message file gives none.
const xMessagePair* GameFallbackMessages();

/// The game's messages ("VQTMsg.vqk", else the built-in table), its 23 profile defaults, its
/// INI file and the window icon; always true.
bool VQAppPreInit();
/// USERFILE, then the part file: opened where PARTFILE names it, with its "app_props.txt"
/// settings applied, or found by name on a CD-ROM drive (PARTFILE and DATAFILES then name it);
/// false, with DIRECTDRAW off, when it is found nowhere: standard error says what was wrong with
/// which file, and the box APP_ERR_CANTOPENPF asks for the disc, or, for a file that is there
/// but is no part file or has a damaged index, the box says so.
bool VQAppInit();
/// The game object with the part file of the run (disc prompt, cache, chunk log, patch file),
/// its set-up, and the activity manager given the part file and the game's factory, with the
/// first activity {1, 0, 26} requested; false when the game cannot run.
bool VQAppStart();
/// Destroys the game object; false when there was none.
bool VQAppEnd();
