#pragma once
// The circus town on the world fixture's tiled map: the town class made from activity data, the
// parts its vehicles, spray and smoke need, a player past the drive tutorial standing on the
// map, and readers of the spoken lines it queues.
#include <string>
#include <vector>

#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/Player.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/WorldFixture.h"

void AddCircusTownSounds(GameData& data);

namespace vqt::test {

/// Where the test player's vehicle stands (on the 1280 x 960 map).
constexpr CPoint16 kTownPlace{600, 400};

class TownFixture : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        ASSERT_TRUE(xTLVFactory_Register({500, [] { return static_cast<OActivity*>(new WToon_Activity); }, nullptr}));
        Player()->IncCounter(13); // a later visit: the drive tutorial does not open
        Player()->SetWorldPosition(kTownPlace, WToon_Activity::kWorld);
    }
    void AddWorldData(GameData& data) override {
        for (uint16_t part : {209, 87, 776, 545, 128, 1069}) data.parts.AddPart(PropPart(), part);
        AddCircusTownSounds(data);
        // The arcade the first area leads to and the town's end, standing still.
        for (uint16_t entry : {6, 15})
            data.file.AddChunk(GameData::kActivities,
                               ActivityData({.classId = 200, .objects = {{.classId = 54, .objectId = 1}}}), {.entry = entry});
    }

    CPlayer* Player() { return app->GetPlayer(); }
    OMessageProcess* Messages() { return app->GetMessageProcess(); }
    /// The town at {1, 0, kEmptyWorld}, its voice lines so far forgotten.
    WToon_Activity* ShowTown() {
        if (manager->GetCurrentId() == MakeChunkId(1, kEmptyWorld)) SwitchTo(kQuietScreen);
        SwitchTo(kEmptyWorld);
        auto* town = dynamic_cast<WToon_Activity*>(CurrentGameActivity());
        EXPECT_NE(town, nullptr) << traced();
        if (town) Messages()->FlushMessages();
        return town;
    }
    /// The captions of the queued lines, in order.
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (int32_t i = 0; i < Messages()->QueueLength(); ++i) captions.push_back(Messages()->QueuedAt(i)->caption);
        return captions;
    }
    /// The caption the town gives a line number ("" for none), read back through the queue.
    std::string CaptionOf(WToon_Activity* town, int line) {
        Messages()->FlushMessages();
        const bool once = town->GetOnceOnlyFlag();
        town->SetOnceOnlyFlag(false);
        town->SayLine(line);
        town->SetOnceOnlyFlag(once);
        const std::vector<std::string> captions = Captions();
        Messages()->FlushMessages();
        return captions.empty() ? std::string() : captions.front();
    }
    /// A prop as the activity data hands it over: through the town's AcceptObject.
    template <class Prop>
    Prop* Loaded(WToon_Activity* town, Prop* prop, float x, float y, uint32_t objectId) {
        prop->SetObjectId(objectId);
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, kPropPart), 1);
        prop->SetPosition(CPointF(x, y), 0, 0);
        town->AddChild(prop);
        town->AcceptObject(prop);
        return prop;
    }
    VIsometric* Vehicle(WToon_Activity* town) { return dynamic_cast<VIsometric*>(town->GetVehicle()); }
    void SetQuotasLeft(uint16_t fires, uint16_t puppies, uint16_t mission) {
        Player()->SetQuota1Left(WToon_Activity::kWorld, fires);
        Player()->SetQuota2Left(WToon_Activity::kWorld, puppies);
        Player()->SetQuota3Left(WToon_Activity::kWorld, mission);
    }
};

} // namespace vqt::test
