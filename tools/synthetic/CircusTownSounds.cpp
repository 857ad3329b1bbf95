// The circus town's voices and sounds: every line the town speaks and every sound it plays, as
// tones the other screens may share.
#include <string>

#include "tools/synthetic/GameData.h"

namespace {

/// The voices of the town's lines 3 to 37.
constexpr uint16_t kVoices[] = {661, 662, 663, 665, 667, 668, 669, 672, 674, 675, 676, 731, 733, 734, 735, 736, 737,
                                738, 739, 740, 356, 358, 299, 301, 357, 298, 300, 302, 221, 1098, 1099, 758};
/// The siren, the engines and their stops, the spray, the pick-up, the put-out and the task's end.
constexpr uint16_t kSounds[] = {16, 43, 44, 45, 55, 56, 65, 67, 70, 566, 580};

} // namespace

void AddCircusTownSounds(GameData& data) {
    for (uint16_t voice : kVoices) AddSharedTone(data, voice, 300.0 + voice % 500, "Circus voice " + std::to_string(voice));
    for (uint16_t sound : kSounds) AddSharedTone(data, sound, 300.0 + sound % 500, "Circus sound " + std::to_string(sound));
}
