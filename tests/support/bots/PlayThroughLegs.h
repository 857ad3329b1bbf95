#pragma once
// The game bot's towns in the order the whole game is played: the circus with vehicle 0, the
// zoo with vehicle 2, the city with vehicle 4, each with its roads and tasks and what a first
// visit's full quotas ask of the town bot.
#include <vector>

#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/bots/GameBot.h"

namespace vqt::test {

inline TownLeg CircusLeg() {
    TownBot::Task tasks = CircusTasks();
    // The bot sprays often while it picks the puppies up: it waits for its messages to be
    // taken, or its pointer and clicks fall ever further behind the game.
    tasks.messagesWaiting = HeadlessMessagesWaiting;
    return {0, CircusRoads(), tasks};
}

inline TownLeg ZooLeg() {
    TownBot::Task tasks = ZooTasks();
    // The monkeys run off: the bot drives at one this near and lights it as soon as it can.
    tasks.chaseWithin = 600.0f;
    return {2, ZooRoads(), tasks};
}

inline TownLeg CityLeg() {
    TownBot::Task tasks = CityTasks();
    // From a first visit twenty criminals are caught: going round one to come at it from below
    // touches it often, and it runs off across the map with the vehicle behind.
    tasks.nearSide = true;
    return {4, CityRoads(), tasks};
}

inline std::vector<TownLeg> PlayThroughLegs() { return {CircusLeg(), ZooLeg(), CityLeg()}; }

} // namespace vqt::test
