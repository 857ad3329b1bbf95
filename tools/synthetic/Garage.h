#pragma once
// The garage {1, 0, 5}: six vehicle buttons in three world columns (the upgrades below), the
// drive-out pictures, two world pictures a world, go, back and certificate badges, the fade,
// its voice lines, engine sounds and first-visit movies. Tests build variants at other entries.
#include <cstdint>

#include "tools/builders/ActivityBuilder.h"

struct GameData;

struct GarageOptions {
    uint16_t entry = 5;
    bool driveProps = true;
    /// World pictures a world: 2, or 1 to leave the second variant out.
    int picturesPerWorld = 2;
};

/// The screen alone, at the options' entry.
void AddGarageScreen(GameData& data, const GarageOptions& options);
/// The screen at {1, 0, 5} with its art, voices, engine sounds and movies.
void AddGarage(GameData& data);
/// The towns' button to their certificate: its part, and the button on it in the top right
/// corner leading to {1, 0, certificate}.
uint32_t AddCertificateButtonPart(GameData& data);
vqt::test::ObjectPlan CertificateButton(uint32_t part, uint16_t certificate);
