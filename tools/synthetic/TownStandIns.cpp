// The towns {1, 0, 14} (zoo) and {1, 0, 17} (city), until they are made: plain screens over the
// garage's floor colours, each showing the town's name ({17, 0, 411} and {17, 0, 412}, which
// the garage adds) and the button to its certificate ({1, 0, 21} and {1, 0, 20}).
#include "tools/synthetic/Garage.h"

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

void AddTownStandIns(GameData& data) {
    struct Town {
        uint16_t entry;
        uint16_t text;
        uint16_t certificate;
        const char* name;
    };
    const uint32_t button = AddCertificateButtonPart(data);
    for (const Town& t : {Town{14, 411, 21, "Zoo (placeholder)"}, Town{17, 412, 20, "City (placeholder)"}}) {
        ObjectPlan name{.classId = 76, .objectId = 1};
        name.properties.Pair(50, 1, 320, 240).Pair(50, 2, 400, 60).Short(70, 1, int16_t(t.text)).Long(70, 2, uint32_t(-1))
            .Text(70, 11, "Arial").Short(70, 7, 36).Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, 0x00FFFFFF);
        ActivityPlan town{.classId = 200,
                          .backgroundId = ChunkIdOf(GameData::kFrames, 5),
                          .paletteId = ChunkIdOf(GameData::kPalettes, 5),
                          .objects = {name, CertificateButton(button, t.certificate)}};
        town.properties.Pair(50, 1, 320, 240);
        data.file.AddChunk(GameData::kActivities, ActivityData(town), {.entry = t.entry, .name = t.name});
    }
}
