#pragma once
#include <array>
#include <cstdint>
#include <vector>

/// The 16-bit lines of an 8-bit surface as last drawn through a palette's 16-bit table, with
/// the bytes and the table they came from. Drawing the same bytes through the same table again
/// copies the kept pixels instead of converting them: a background that stands still or
/// scrolls is converted once, not every frame. A change to the bytes or the table is found by
/// comparing them, so whoever writes the surface need not say what changed, and the pixels
/// drawn are always those a fresh conversion gives.
class CConvertedLines {
public:
    /// Starts a draw from a surface of the size through the table (256 entries); a new size
    /// or table forgets every kept line.
    void Begin(int width, int height, const uint16_t* table);
    /// Writes `count` pixels from column x of line y to dst (16-bit pixels), `line` being the
    /// whole source line. The caller keeps x, count and y inside the size Begin was given.
    void DrawLine(const uint8_t* line, int y, int x, int count, uint8_t* dst);

private:
    int width_ = 0;
    int height_ = 0;
    std::array<uint16_t, 256> table_{};
    std::vector<uint8_t> bytes_;    // the source bytes each kept line was converted from
    std::vector<uint16_t> pixels_;  // their 16-bit pixels
    std::vector<uint8_t> kept_;     // per line: 1 once bytes_ and pixels_ hold the whole line
};
