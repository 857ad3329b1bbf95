#pragma once
// A town road race played on the generator's data, steered by arbitrary input.
#include <cstdint>
#include <span>

namespace vqt::fuzz {

/// Starts the game on the generated data and plays one race with the input: the first byte
/// picks the race, the vehicle and the level, the next four seed the road's pieces and objects,
/// one picks the length of a frame and one the frame at which the race clock runs out (none for
/// 0); every further byte holds the keys (the arrows, ALT to fire, CTRL for the siren) for
/// four frames. Past the input no key is held. The race starts whatever the input holds; it must
/// keep the charges it was given and leave for a plain screen, and the saved record must read
/// back.
void PlayRace(std::span<const uint8_t> input);

} // namespace vqt::fuzz
