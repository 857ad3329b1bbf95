#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"

/// What the three round-ups differ in: their vehicles, sounds, texts, pictures, music, the
/// activities their buttons request and their spoken hints.
struct RoundUpTown {
    /// What each of the town's two vehicles brings.
    struct Vehicle {
        uint16_t number;
        ChunkId part;
        ChunkId light;
        ChunkId markArt;
        ChunkId haltSound;
        ChunkId engineSound;
        ChunkId startPicture;
        float speed;
        int32_t actionCooldownMs;
    };
    /// When a hint may be said: always, only when nothing is queued and more than one animal
    /// is left (quiet), or only when nothing is queued (idle).
    enum class When : uint8_t { Always, Quiet, Idle, Never };
    struct Hint {
        When when;
        /// Up to three lines to choose from at random (`choices` of them).
        uint8_t choices;
        uint16_t voices[3];
        const char* captions[3];
    };
    static constexpr int kHints = 13;

    uint16_t world;
    Vehicle vehicles[2];
    CPoint16 startPosition;
    ChunkId counterIcon;
    /// The hints said after the start panel, -1 ending the list.
    int8_t startHints[6];
    ChunkId levelTexts[3];
    ChunkId title;
    ChunkId winPicture;
    ChunkId winSound;
    uint16_t music;
    ChunkId easierArt;
    ChunkId easierText;
    uint16_t playAgain;
    uint16_t returnTo;
    /// Hint 9 picks its line by rand() & 1 rather than rand() % choices (the zoo).
    bool hint9ByLowBit;
    Hint hints[kHints];
};
