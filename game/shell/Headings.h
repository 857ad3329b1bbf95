#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

/// The 32 headings of the game's moving things, 11.25 degrees apart: heading i is
/// (sine, cosine x 0.5) of i x 11.25 degrees, each rounded to three decimals, heading 0 along
/// +y, the vertical half as long to match the stage's view from above at an angle; one heading
/// more turns counter-clockwise as seen on the stage.
struct CHeading {
    float x = 0.0f;
    float y = 0.0f;
};

inline constexpr int kHeadingCount = 32;

namespace headings_detail {

/// The sines of headings 0 to 8 (a quarter turn), written to three decimals so that every
/// build gives the same bits.
inline constexpr float kMagnitudes[9] = {0.0f, 0.195f, 0.383f, 0.556f, 0.707f, 0.831f, 0.924f, 0.981f, 1.0f};

/// The sine of heading i (any integer), from the quarter it falls in.
constexpr float Sine(int i) {
    const int h = ((i % kHeadingCount) + kHeadingCount) % kHeadingCount;
    if (h <= 8) return kMagnitudes[h];
    if (h <= 16) return kMagnitudes[16 - h];
    const float m = h <= 24 ? kMagnitudes[h - 16] : kMagnitudes[32 - h];
    return m == 0.0f ? 0.0f : -m;
}

constexpr float Cosine(int i) { return Sine(i + 8); }

constexpr std::array<CHeading, kHeadingCount> MakeTable() {
    std::array<CHeading, kHeadingCount> table{};
    for (int i = 0; i < kHeadingCount; ++i) table[std::size_t(i)] = CHeading{Sine(i), 0.5f * Cosine(i)};
    return table;
}

} // namespace headings_detail

/// The one heading table of the game.
inline constexpr std::array<CHeading, kHeadingCount> kHeadings = headings_detail::MakeTable();

/// The heading nearest in angle to the vector (x, y): the smallest arc cosine of the cosine
/// between the two (0 for a vector of length 0), a later heading winning a tie.
int32_t xHeading_Nearest(float x, float y);
