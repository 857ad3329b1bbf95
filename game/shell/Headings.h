#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

/// The 32 headings of the game's moving things, 11.25 degrees apart: heading i is
/// (sine, cosine x 0.5) of i x 11.25 degrees, heading 0 along +y, the vertical half as long to
/// match the stage's view from above at an angle.
struct CHeading {
    float x = 0.0f;
    float y = 0.0f;
};

inline constexpr int kHeadingCount = 32;

namespace headings_detail {

inline constexpr double kPi = 3.14159265358979323846;

/// Sine by its series, for angles within -pi..pi (the table needs nothing wider).
constexpr double Sine(double a) {
    double term = a;
    double sum = a;
    for (int n = 1; n < 30; ++n) {
        term *= -a * a / double((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

/// The angle of heading i brought into -pi..pi.
constexpr double Angle(int i) { return double(i <= 16 ? i : i - 32) * kPi / 16.0; }

constexpr std::array<CHeading, kHeadingCount> MakeTable() {
    std::array<CHeading, kHeadingCount> table{};
    for (int i = 0; i < kHeadingCount; ++i) {
        const double a = Angle(i);
        const double cosine = Sine(kPi / 2 - (a >= 0 ? a : -a)); // cos a = sin(pi/2 - |a|)
        table[std::size_t(i)] = CHeading{float(Sine(a)), float(0.5 * cosine)};
    }
    return table;
}

} // namespace headings_detail

/// The one heading table of the game.
inline constexpr std::array<CHeading, kHeadingCount> kHeadings = headings_detail::MakeTable();

/// The heading nearest in angle to the vector (x, y): the smallest arc cosine of the cosine
/// between the two (0 for a vector of length 0), a later heading winning a tie.
int32_t xHeading_Nearest(float x, float y);
