#pragma once
// The game's message file, which the game reads beside its part file at start: "VQTMsg.vqk".
#include <string>

#include "tools/builders/ChunkFileBuilder.h"

/// The name the game opens its message file by, in its working folder.
inline constexpr const char* kGameMessageFileName = "VQTMsg.vqk";

/// The message file: one "utxt" chunk per message of the game, named by its id and holding its
/// English text, and the chunk list {2, 0, 1} naming them all.
vqt::test::ChunkFileBuilder GameMessageFile();

/// The message file's path in the folder of the part file at `partFile`.
std::string GameMessageFileBeside(const std::string& partFile);
