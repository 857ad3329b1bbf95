// The city's and the zoo's guidance, told side by side: which prop the guide arrow picks in each
// stage of the tasks and with which line, which targets it keeps or drops on the next frame, and
// the mission's movie played between paused clocks and sound pipes before the mission starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/Sound.h"
#include "game/shell/Destructible.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "platform/Platform.h"
#include "tests/game/world/towns/OtherTownsFixture.h"

namespace vqt::test {
namespace {

/// Where the test puts things on the 1280 x 960 map (the vehicle stands at 600, 400).
constexpr float kNear = 650, kFar = 1100;

class OtherTownsGuideTest : public OtherTownsFixture {
protected:
    /// The props one case puts on the town, by name.
    struct Scene {
        OActivityProp* given = nullptr;  ///< the arrow's target before the frame (null: none)
        OActivityProp* expected = nullptr; ///< the arrow's target after it (null: hidden)
    };
    using Build = std::function<Scene(TownWorld*)>;

    /// The town with its quotas and hero points set, the arrow hidden and its lines forgotten.
    TownWorld* Prepared(const OtherTown& t, uint16_t first, uint16_t second, uint16_t hero) {
        TownWorld* town = ShowTown(t);
        if (!town) return nullptr;
        SetQuotasLeft(t.world, first, second, 9);
        Player()->AddHeroPoints(t.world, uint16_t(hero - Player()->GetHeroPoints(t.world)));
        Player()->SetWorldWord31(t.world, 1); // the movie has been shown: no movie on the frame
        town->HideGuideArrow();
        return town;
    }
    Interaction_Point* WayPoint(TownWorld* town, float x, uint32_t slot, bool armed) {
        auto* point = Add(town, new Interaction_Point, x, 400, slot);
        point->flags[0] = armed ? 1 : 0;
        return point;
    }
    DFollower* Penguin(TownWorld* town, float x, bool linked) {
        auto* penguin = Add(town, new DFollower, x, 450, towns::zoo::kPenguins);
        if (linked) {
            TLV_Object* last = town->GetVehicle();
            while (last->GetNext()) last = last->GetNext();
            penguin->LinkAfter(last);
            penguin->UseFleeRoutines();
        }
        return penguin;
    }
    template <class Prop>
    Prop* Hidden(Prop* prop) {
        prop->SetVisible(0, 0);
        return prop;
    }
    DAvoider* Avoiding(TownWorld* town, DAvoider* avoider) {
        avoider->OnContact(town->GetVehicle());
        EXPECT_TRUE(avoider->IsAvoiding());
        return avoider;
    }
};

TEST_F(OtherTownsGuideTest, TheArrowPicksEachStagesTargetWithItsLine) {
    using namespace towns;
    struct Case {
        const char* what;
        OtherTown town;
        uint16_t first, second, hero; // quota 1 left, quota 2 left, hero points
        Build build;
        int line; // the line said with the choice (-1: none)
    };
    const Case cases[] = {
        {"loot first, the first shown pile", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             Add(town, new DAvoider, kNear, 400, city::kCriminals);
             Hidden(Add(town, new Bag, kNear, 420, city::kLoot));
             Add(town, new Bag, kFar, 420, 1);
             return Scene{.expected = Add(town, new Bag, kFar, 500, city::kLoot)};
         },
         18},
        {"loot left but none lying: no arrow", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             WayPoint(town, kNear, 1, true);
             return Scene{};
         },
         -1},
        {"only criminals, the first criminal", kCity, 0, 5, 0,
         [this](TownWorld* town) {
             Add(town, new DAvoider, kNear, 400, 0); // a bystander
             return Scene{.expected = Add(town, new DAvoider, kFar, 400, city::kCriminals)};
         },
         18},
        {"the last criminal", kCity, 0, 1, 0,
         [this](TownWorld* town) { return Scene{.expected = Add(town, new DAvoider, kFar, 400, city::kCriminals)}; },
         36},
        {"city tasks done, the nearest armed way point", kCity, 0, 0, 0,
         [this](TownWorld* town) {
             WayPoint(town, kNear, 1, false);
             WayPoint(town, kFar + 100, 2, true);
             return Scene{.expected = WayPoint(town, kFar, 3, true)};
         },
         37},
        {"city mission, its first shown prop", kCity, 0, 0, 4,
         [this](TownWorld* town) {
             Add(town, new Bag, kNear, 400, city::kLoot);
             Hidden(Add(town, new Destructible, kNear, 420, city::kFirstMissionProps));
             return Scene{.expected = Add(town, new Destructible, kFar, 420, city::kFirstMissionProps + 1)};
         },
         17},
        {"monkeys first, the first monkey", kZoo, 4, 5, 0,
         [this](TownWorld* town) {
             Add(town, new DAvoider, kNear, 400, 0);
             Penguin(town, kNear, false);
             return Scene{.expected = Add(town, new DAvoider, kFar, 400, zoo::kMonkeys)};
         },
         20},
        {"only penguins, the first free one facing front", kZoo, 0, 4, 0,
         [this](TownWorld* town) {
             Penguin(town, kNear, true);
             Penguin(town, kNear, false)->SetBehaviourState(12); // facing group 1
             return Scene{.expected = Penguin(town, kFar, false)};
         },
         20},
        {"one penguin left out", kZoo, 0, 2, 0,
         [this](TownWorld* town) {
             Penguin(town, kNear, true);
             return Scene{.expected = Penguin(town, kFar, false)};
         },
         27},
        {"every penguin linked, the penguin house", kZoo, 0, 2, 0,
         [this](TownWorld* town) {
             Penguin(town, kNear, true);
             Penguin(town, kNear, true);
             WayPoint(town, kNear, 1, true);
             return Scene{.expected = WayPoint(town, kFar, uint32_t(zoo::kPenguinHouse), true)};
         },
         -1},
        {"zoo tasks done, the nearest armed way point", kZoo, 0, 0, 0,
         [this](TownWorld* town) {
             WayPoint(town, kFar + 100, 4, true);
             return Scene{.expected = WayPoint(town, kFar, 2, true)};
         },
         28},
        {"zoo mission, its first shown prop", kZoo, 0, 0, 4,
         [this](TownWorld* town) {
             Add(town, new DAvoider, kNear, 400, zoo::kMonkeys);
             return Scene{.expected = Add(town, new DGuard, kFar, 400, zoo::kFirstGuards)};
         },
         19},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.town.name) + ": " + c.what;
        TownWorld* town = Prepared(c.town, c.first, c.second, c.hero);
        ASSERT_NE(town, nullptr) << what;
        const Scene scene = c.build(town);
        const std::string line = c.line < 0 ? std::string() : CaptionOf(town, c.line);
        town->SetOnceOnlyFlag(false);
        town->ArrowTimer().Start(0);
        clock().Advance(1);
        Messages()->FlushMessages();
        town->OnIdle();
        EXPECT_EQ(town->GetGuideTarget(), scene.expected) << what;
        const std::vector<std::string> said = Captions();
        if (c.line >= 0) {
            EXPECT_NE(std::find(said.begin(), said.end(), line), said.end()) << what;
        } else {
            EXPECT_TRUE(said.empty()) << what << ": said " << said.front();
        }
    }
}

TEST_F(OtherTownsGuideTest, EachTownKeepsOrDropsTheArrowsTargetByItsOwnRules) {
    using namespace towns;
    struct Case {
        const char* what;
        OtherTown town;
        uint16_t first, second, hero;
        Build build;
    };
    const Case cases[] = {
        // The city: a criminal is dropped (and chosen again once the delay has passed), a
        // caught one that stands still is kept; loot is kept while it lies in the street.
        {"a criminal", kCity, 3, 5, 0,
         [this](TownWorld* town) { return Scene{.given = Add(town, new DAvoider, kFar, 400, city::kCriminals)}; }},
        {"a stunned character", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             auto* stunned = Add(town, new DAvoider, kFar, 400, 0);
             return Scene{.given = stunned, .expected = stunned};
         }},
        {"a character turning away", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             return Scene{.given = Avoiding(town, Add(town, new DAvoider, kNear + 20, 400, 0))};
         }},
        {"loot in the street", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             auto* loot = Add(town, new Bag, kFar, 400, city::kLoot);
             return Scene{.given = loot, .expected = loot};
         }},
        {"loot taken", kCity, 3, 5, 0,
         [this](TownWorld* town) { return Scene{.given = Hidden(Add(town, new Bag, kFar, 400, city::kLoot))}; }},
        {"a way point that is not the nearest", kCity, 3, 5, 0,
         [this](TownWorld* town) {
             WayPoint(town, kNear, 1, true);
             auto* far = WayPoint(town, kFar, 2, true);
             return Scene{.given = far, .expected = far};
         }},
        {"loot once the tasks are done", kCity, 0, 0, 4,
         [this](TownWorld* town) {
             Add(town, new Bag, kFar, 400, city::kLoot);
             return Scene{.given = town->GetList(TLVWorld_Activity::kBags).GetAt(0),
                          .expected = Add(town, new Destructible, kFar, 450, city::kFirstMissionProps)};
         }},
        {"a mission prop", kCity, 0, 0, 4,
         [this](TownWorld* town) {
             auto* prop = Add(town, new Destructible, kFar, 450, city::kFirstMissionProps + 2);
             return Scene{.given = prop, .expected = prop};
         }},
        {"a character of the mission turning away", kCity, 0, 0, 4,
         [this](TownWorld* town) {
             auto* first = Add(town, new Destructible, kFar, 450, city::kFirstMissionProps);
             return Scene{.given = Avoiding(town, Add(town, new DAvoider, kNear + 20, 400, city::kFirstMissionProps + 1)),
                          .expected = first};
         }},
        // The zoo: monkeys and penguins are dropped, the penguin house and a far way point kept.
        {"a monkey", kZoo, 4, 5, 0,
         [this](TownWorld* town) { return Scene{.given = Add(town, new DAvoider, kFar, 400, zoo::kMonkeys)}; }},
        {"a caught monkey", kZoo, 4, 5, 0,
         [this](TownWorld* town) {
             auto* caught = Add(town, new DAvoider, kFar, 400, 0);
             return Scene{.given = caught, .expected = caught};
         }},
        {"a bystander turning away", kZoo, 4, 5, 0,
         [this](TownWorld* town) {
             return Scene{.given = Avoiding(town, Add(town, new DAvoider, kNear + 20, 400, 0))};
         }},
        {"a penguin", kZoo, 4, 5, 0, [this](TownWorld* town) { return Scene{.given = Penguin(town, kFar, false)}; }},
        {"the penguin house", kZoo, 4, 5, 0,
         [this](TownWorld* town) {
             WayPoint(town, kNear, 1, true);
             auto* house = WayPoint(town, kFar, uint32_t(zoo::kPenguinHouse), true);
             return Scene{.given = house, .expected = house};
         }},
        {"a way point that is not the nearest", kZoo, 4, 5, 0,
         [this](TownWorld* town) {
             WayPoint(town, kNear, 1, true);
             auto* far = WayPoint(town, kFar, 3, true);
             return Scene{.given = far, .expected = far};
         }},
        {"a guard monkey", kZoo, 0, 0, 4,
         [this](TownWorld* town) {
             auto* guard = Add(town, new DGuard, kFar, 400, zoo::kFirstGuards);
             return Scene{.given = guard, .expected = guard};
         }},
        {"a character of the mission turning away", kZoo, 0, 0, 4,
         [this](TownWorld* town) {
             auto* first = Add(town, new Destructible, kFar, 450, zoo::kFirstKeeper);
             return Scene{.given = Avoiding(town, Add(town, new DAvoider, kNear + 20, 400, zoo::kFirstGuards)),
                          .expected = first};
         }},
        {"a caught monkey once the tasks are done", kZoo, 0, 0, 4,
         [this](TownWorld* town) {
             auto* caught = Add(town, new DAvoider, kFar, 400, 0);
             return Scene{.given = caught, .expected = Add(town, new DGuard, kFar, 450, zoo::kFirstGuards + 1)};
         }},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.town.name) + ": " + c.what;
        TownWorld* town = Prepared(c.town, c.first, c.second, c.hero);
        ASSERT_NE(town, nullptr) << what;
        const Scene scene = c.build(town);
        ASSERT_NE(scene.given, nullptr) << what;
        town->ShowGuideArrow(scene.given);
        town->ArrowTimer().Start(60000); // no new choice on this frame, unless the tasks are done
        town->OnIdle();
        EXPECT_EQ(town->GetGuideTarget(), scene.expected) << what;
    }
}

/// A view over the whole stage that the movie player idles between its frames: it notes what
/// the town and its sound pipes are doing while the movie plays.
class MovieWatch final : public OView {
public:
    explicit MovieWatch(std::function<void()> watch) : OView("MovieWatch", 50), watch_(std::move(watch)) {
        SetSize(CPoint16(640, 480), 0);
    }
    int32_t OnIdle() override {
        watch_();
        return 1;
    }

private:
    std::function<void()> watch_;
};

TEST_F(OtherTownsGuideTest, TheMissionsMoviePlaysBetweenPausedPipesAndThenTheMissionStarts) {
    struct Case {
        OtherTown town;
        uint32_t frames; // of the town's movie, as the fixture made it
    };
    struct RestoredPixelFormat {
        int16_t saved = xProfiles_Values().pixelFormat;
        ~RestoredPixelFormat() { xProfiles_Values().pixelFormat = saved; }
    } restored;
    xProfiles_Values().pixelFormat = 2; // the movie's frames in 5-6-5
    plat::desktop().SetFocus(OWindow::Main()->GetWindowId()); // frames show while the stage has the focus
    for (const Case& c : {Case{kCity, kCityMovieFrames}, Case{kZoo, kZooMovieFrames}}) {
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr) << c.town.name;
        const int w = c.town.world;
        SetQuotasLeft(w, 0, 0, 3);
        Player()->AddHeroPoints(w, 4);
        Player()->SetWorldWord31(w, 0);
        Player()->SetWorldWord34(w, 0);
        auto* captive = Add(town, new DCaptive, kFar, 400, 6);
        town->OnVehicleAtFullSpeed(); // the engine loop plays on pipe 3
        ASSERT_TRUE(xSound_IsPlaying(Pipe(3))) << c.town.name;
        struct Seen {
            bool pipePaused, worldPaused;
        };
        std::vector<Seen> seen;
        MovieWatch watch([&] { seen.push_back({Pipe(3)->paused != 0, town->KeyTimer().paused != 0}); });
        OWindow::Main()->overlayView = &watch;
        town->IntroTimer().Start(0);
        clock().Advance(1);
        const uint32_t start = clock().TickCount();
        town->OnIdle();
        const uint32_t played = clock().TickCount() - start;
        OWindow::Main()->overlayView = nullptr;

        ASSERT_FALSE(seen.empty()) << c.town.name << ": no movie played" << traced();
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](const Seen& s) { return s.pipePaused && s.worldPaused; }))
            << c.town.name << ": the town and its pipes wait while the movie plays";
        // The town's own movie, to its end: the two are told apart by their lengths.
        EXPECT_GE(played, (c.frames - 1) * 1000 / kMovieFps) << c.town.name;
        EXPECT_LE(played, (c.frames + 1) * 1000 / kMovieFps) << c.town.name;
        EXPECT_EQ(Pipe(3)->paused, 0) << c.town.name << ": the pipes go on after it";
        EXPECT_EQ(town->KeyTimer().paused, 0u) << c.town.name;
        EXPECT_EQ(Player()->GetWorldWord31(w), 1) << c.town.name;
        EXPECT_EQ(town->GetMissionCaptive(), captive) << c.town.name << ": the mission starts after the movie";

        // Shown once: later frames play nothing.
        seen.clear();
        OWindow::Main()->overlayView = &watch;
        town->OnIdle();
        OWindow::Main()->overlayView = nullptr;
        EXPECT_TRUE(seen.empty()) << c.town.name;
    }
}

} // namespace
} // namespace vqt::test
