#pragma once
// The one decoder behind every compressed line reader. A reader is the decoder with a mode: the
// mode says how a run, a literal, a literal with holes and a skip change the destination, and
// what happens after the last record. The decoder walks the records, places them (rightwards,
// or leftwards from the line's last pixel when mirrored) and draws common blocks at their place
// with the same mode.
//
// The readers trust their input: lines are checked once by VQTRLE_ValidateLine when they are
// loaded (or are made by the encoder), so counts fit the width, references name blocks that
// exist and nest to a bounded depth.
#include <cstdint>

#include "engine/blit/Vqtrle.h"

namespace blt {

/// What a reader does with a byte that is not a valid opcode (only unchecked data holds one).
enum class BadOpcode {
    kEnd,   ///< the line ends
    kSkip,  ///< the byte is passed over as a record of its own
};

/// Reads the count of the record whose opcode was just read (the readers' const lines and the
/// recolouring's writable ones).
template <class Byte>
inline uint16_t ReadCount(uint8_t op, Byte*& p) {
    if (op & 0x02) {
        const uint16_t n = static_cast<uint16_t>((p[0] << 8) | p[1]);
        p += 2;
        return n;
    }
    return *p++;
}

/// Where a decode ended: the position after the last record (unmirrored: the first pixel not
/// reached; mirrored: the last pixel not reached, -1 when the line was covered) and whether the
/// line ended by its last record (false: a bad opcode ended it).
struct DecodeEnd {
    int32_t x;
    bool complete;
};

/// Decodes one line (or block) into dst, whose pixel 0 is the line's left end. Mode provides:
///   using Pixel;  static constexpr BadOpcode kBad;
///   Run<Step>(Pixel* at, n, value), Literal<Step>(at, n, data), Holes<Step>(at, n, data),
///   Skip<Step>(at, n): a record of n pixels whose first pixel is at, running in direction Step;
///   Finish<Step>(Pixel* dst, width, DecodeEnd) after a line or block;
///   OnBadOpcode(op), OnMissingTable() for the traces.
template <int Step, class Mode>
DecodeEnd DecodeLine(const Mode& mode, const uint8_t* p, int32_t width, typename Mode::Pixel* dst,
                     const uint8_t* blocks, int depth) {
    int32_t x = Step > 0 ? 0 : width - 1;
    for (;;) {
        const uint8_t op = *p++;
        if (op == 0x80) {
            return {x, true};
        }
        if (!VQTRLE_IsOpcode(op)) {
            mode.OnBadOpcode(op);
            if (Mode::kBad == BadOpcode::kSkip) {
                if (op & 0x80) {
                    return {x, true};
                }
                continue;
            }
            return {x, false};
        }
        const int32_t n = ReadCount(op, p);
        typename Mode::Pixel* at = dst + x;
        switch (op & 0x38) {
        case 0x00:  // run
            mode.template Run<Step>(at, n, *p++);
            break;
        case 0x08: {  // common-block reference
            const uint8_t block = *p++;
            if (blocks == nullptr) {
                mode.OnMissingTable();  // passed over: nothing drawn, the position stays
                if (op & 0x80) {
                    return {x, true};
                }
                continue;
            }
            if (depth < kVqtrleMaxBlockDepth) {
                // The block is a line of n pixels of its own drawn at the current position;
                // mirrored, its first pixel lands here and the others to the left.
                typename Mode::Pixel* base = Step > 0 ? at : at - (n - 1);
                const DecodeEnd end =
                    DecodeLine<Step>(mode, BltCompBlockAddress(blocks, block), n, base, blocks, depth + 1);
                mode.template Finish<Step>(base, n, end);
            }
            break;
        }
        case 0x10:  // literal
            mode.template Literal<Step>(at, n, p);
            p += n;
            break;
        case 0x20:  // skip
            mode.template Skip<Step>(at, n);
            break;
        default:  // 0x30: literal with holes
            mode.template Holes<Step>(at, n, p);
            p += n;
            break;
        }
        x += Step * n;
        if (op & 0x80) {
            return {x, true};
        }
    }
}

/// Decodes a whole line and lets the mode finish it.
template <int Step, class Mode>
void DrawLine(const Mode& mode, const uint8_t* line, int32_t width, typename Mode::Pixel* dst,
              const uint8_t* blocks) {
    const DecodeEnd end = DecodeLine<Step>(mode, line, width, dst, blocks, 0);
    mode.template Finish<Step>(dst, width, end);
}

/// Fills the part of a line or block that its records did not reach.
template <int Step, class Pixel, class Fill>
void FillUnreached(Pixel* dst, int32_t width, DecodeEnd end, Fill fill) {
    if (!end.complete) {
        return;
    }
    if (Step > 0) {
        for (int32_t i = end.x; i < width; ++i) {
            fill(dst[i]);
        }
    } else {
        for (int32_t i = 0; i <= end.x && i < width; ++i) {
            fill(dst[i]);
        }
    }
}

} // namespace blt
