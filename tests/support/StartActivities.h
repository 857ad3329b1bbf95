#pragma once
// The screens a run can start on from the profile (STARTACTIVITY; tools/run's VQT_START): each
// town and its four games, town by town.
#include <cstdint>
#include <ostream>

namespace vqt::test {

enum class StartKind { Town, Arcade, Race, Puzzle, RoundUp };

struct StartActivity {
    const char* name;
    /// The activity {1, 0, entry}.
    uint16_t entry;
    StartKind kind;
    /// The world: 0 the circus town, 1 the zoo, 2 the city.
    int world;
    /// The entry of the town the screen belongs to.
    uint16_t town;
    /// The town's first vehicle, which a run started there drives.
    uint16_t vehicle;
};

inline constexpr StartActivity kStartActivities[] = {
    {"circus town", 8, StartKind::Town, 0, 8, 0},
    {"circus arcade", 15, StartKind::Arcade, 0, 8, 0},
    {"circus race", 11, StartKind::Race, 0, 8, 0},
    {"circus puzzle", 13, StartKind::Puzzle, 0, 8, 0},
    {"circus round-up", 18, StartKind::RoundUp, 0, 8, 0},
    {"zoo", 14, StartKind::Town, 1, 14, 2},
    {"zoo arcade", 16, StartKind::Arcade, 1, 14, 2},
    {"zoo race", 9, StartKind::Race, 1, 14, 2},
    {"zoo puzzle", 10, StartKind::Puzzle, 1, 14, 2},
    {"zoo round-up", 23, StartKind::RoundUp, 1, 14, 2},
    {"city", 17, StartKind::Town, 2, 17, 4},
    {"city arcade", 19, StartKind::Arcade, 2, 17, 4},
    {"city race", 22, StartKind::Race, 2, 17, 4},
    {"city puzzle", 24, StartKind::Puzzle, 2, 17, 4},
    {"city round-up", 25, StartKind::RoundUp, 2, 17, 4},
};

inline void PrintTo(const StartActivity& a, std::ostream* out) { *out << a.name; }

/// The start activity of an entry; one not in the table fails to compile where a constant is
/// asked for.
constexpr const StartActivity& StartActivityOf(uint16_t entry) {
    for (const StartActivity& a : kStartActivities)
        if (a.entry == entry) return a;
    throw "not a start activity";
}

} // namespace vqt::test
