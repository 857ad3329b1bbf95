// The part file's own settings, the text chunk "app_props.txt" that the game applies over its
// INI file at start: captions on, white on an opaque dark blue a child can read, along the
// bottom edge of the stage below the screens' buttons and left of the host (from x 549): wide
// enough that the game's longest caption wraps to two lines inside the caption's margin, and
// tall enough for them.
#include "tools/synthetic/GameData.h"

void AddAppProps(GameData& data) {
    data.file.AddChunk(GameData::kTexts,
                       std::string_view("[Part file]\nHMCAPTIONS=1\nHMCAPTIONSIZE=496,48\nHMCAPTIONPOSITION=296,454\nHMCAPTIONCOLOR=255,255,255\n"
                                        "HMCAPTIONBACKCOLOR=16,24,80\nHMCAPTIONBACKBLEND=0\n"),
                       {.name = "app_props.txt"});
}
