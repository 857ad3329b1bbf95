// The part file's own settings, the text chunk "app_props.txt" that the game applies over its
// INI file at start: captions on.
#include "tools/synthetic/GameData.h"

void AddAppProps(GameData& data) {
    data.file.AddChunk(GameData::kTexts, std::string_view("[Part file]\nHMCAPTIONS=1\n"), {.name = "app_props.txt"});
}
