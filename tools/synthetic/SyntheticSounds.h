#pragma once
#include <cstdint>
#include <vector>

#include "tools/builders/PartBuilder.h"

/// Three generated tones for the props' states of the synthetic part file, one of each kind of
/// sound chunk: raw 8-bit samples (880 Hz), a wave image (440 Hz) and an MP3 image (330 Hz),
/// half a second each. Their snippet ids, in that order.
std::vector<uint32_t> AddPropTones(vqt::test::PartBuilder& parts);
