// The smallest game data a town plays on, for the programs that start the circus town without
// the whole generated file: the text views, the first activity, the screens, the counter
// panel, the movies, the host and voices, the world's help art, the circus town and its vehicles.
#include "tools/synthetic/GameData.h"

void AddTextViews(GameData& data);
void AddFirstActivity(GameData& data);
void AddGameSnippets(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddMoviesAndWords(GameData& data);
void AddHostAndVoices(GameData& data);
void AddWorldHelpArt(GameData& data);
void AddCircusTown(GameData& data);
void AddCircusVehicles(GameData& data);

void AddTownWorlds(GameData& data) {
    AddTextViews(data);
    AddFirstActivity(data);
    AddGameSnippets(data);
    AddGameScreens(data);
    AddCounterPanelArt(data);
    AddMoviesAndWords(data);
    AddHostAndVoices(data);
    AddWorldHelpArt(data);
    AddCircusTown(data);
    AddCircusVehicles(data);
}
