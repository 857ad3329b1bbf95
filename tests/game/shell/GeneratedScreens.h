#pragma once
// The generator's snippets, game screens, counter panel art, host and voices: the base of the
// test fixtures' and harnesses' game data, made once a program (they take seconds in the
// checked trees). Each user adds its own to a copy.
#include "tools/synthetic/GameData.h"

void AddGameSnippets(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddHostAndVoices(GameData& data);

namespace vqt::test {

inline const GameData& GeneratedScreens() {
    static const GameData screens = [] {
        GameData data;
        AddGameSnippets(data);
        AddGameScreens(data);
        AddCounterPanelArt(data);
        AddHostAndVoices(data);
        return data;
    }();
    return screens;
}

} // namespace vqt::test
