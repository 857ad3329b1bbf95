// The game-data generator: writes a part file with the game's index layout and, screen by
// screen, the chunks the game needs to run without its own data. Each source file of this
// folder adds one screen's or one service's chunks through one call below. The game's message
// file ("VQTMsg.vqk") is written beside the part file, each whole or not at all. Two screens
// that write different texts under one id stop it with both named.
//
//     synthetic_partfile <output file>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/posix/WholeFile.h"
#include "tools/synthetic/CircusRace.h"
#include "tools/synthetic/CityRace.h"
#include "tools/synthetic/ZooRace.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/GameMessages.h"
#include "tools/synthetic/Garage.h"

void AddFirstActivity(GameData& data);
void AddGameCursors(GameData& data);
void AddGameSnippets(GameData& data);
void AddAppProps(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddTileSheetScreens(GameData& data);
void AddMoviesAndWords(GameData& data);
void AddTextViews(GameData& data);
void AddHostAndVoices(GameData& data);
void AddCircusTown(GameData& data);
void AddWorldHelpArt(GameData& data);
void AddCircusVehicles(GameData& data);
void AddCertificates(GameData& data);
void AddCircusArcade(GameData& data);
void AddZooArcade(GameData& data);
void AddCityArcade(GameData& data);
void AddPuzzles(GameData& data);
void AddRoundUps(GameData& data);
/// After every screen: those of the props' sounds that no screen has made.
void AddPropSounds(GameData& data);
void AddCityTown(GameData& data);
void AddZooTown(GameData& data);

int main(int argc, char** argv) try {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    GameData data;
    AddTextViews(data);
    AddFirstActivity(data);
    AddGameCursors(data);
    AddGameSnippets(data);
    AddAppProps(data);
    AddGameScreens(data);
    AddCounterPanelArt(data);
    AddTileSheetScreens(data);
    AddMoviesAndWords(data);
    AddHostAndVoices(data);
    AddWorldHelpArt(data);
    AddCircusTown(data);
    AddCircusVehicles(data);
    AddCircusRace(data);
    AddCertificates(data);
    AddCircusArcade(data);
    AddZooArcade(data);
    AddCityArcade(data);
    AddCityTown(data);
    AddZooTown(data);
    AddPuzzles(data);
    AddRoundUps(data);
    AddCircusRaceArt(data);
    AddZooRace(data);
    AddCityRace(data);
    AddPropSounds(data);
    // Each file whole or not at all, the messages first: a part file that was written has the
    // messages of its run beside it, however the tool was stopped.
    for (const auto& [path, image] : {std::pair(GameMessageFileBeside(argv[1]), GameMessageFile().Build()),
                                      std::pair(std::string(argv[1]), data.file.Build())}) {
        if (const std::string why = plat::WriteWholeFile(path, image); !why.empty()) {
            std::fprintf(stderr, "%s: %s\n", argv[0], why.c_str());
            return 1;
        }
    }
    return 0;
} catch (const TextClash& clash) {
    std::fprintf(stderr, "%s: %s\n", argv[0], clash.what());
    return 1;
}
