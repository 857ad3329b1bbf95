// The compressed line format: encoder, hit test, recolouring, block addressing and the
// load-time check of lines.
#include "engine/blit/Vqtrle.h"

#include <cstring>
#include <unordered_set>

#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/BltComp.h"

const uint8_t VQTRLE_Opcodes[21] = {0x80, 0x01, 0x03, 0x81, 0x83, 0x21, 0x23, 0xA1, 0xA3, 0x11, 0x13,
                                    0x91, 0x93, 0x31, 0x33, 0xB1, 0xB3, 0x09, 0x0B, 0x89, 0x8B};

namespace {

constexpr uint8_t kLast = 0x80;

// Encoder thresholds.
constexpr int32_t kRunMinimum = 4;
constexpr int32_t kHoleMinimum = 4;
constexpr int32_t kPendingLength = 8;
constexpr int32_t kRunBreak = 6;
constexpr int32_t kHoleBreak = 6;

constexpr int32_t kPieceLength = 254;

using unaligned::Load16;
using unaligned::Load32;

using blt::ReadCount;

/// Bounded output of the encoder.
struct Output {
    uint8_t* data;
    size_t capacity;
    size_t size = 0;
    bool overflow = false;

    void Put(uint8_t b) {
        if (size < capacity) {
            data[size] = b;
        } else {
            overflow = true;
        }
        ++size;
    }
    void Put(const uint8_t* bytes, int32_t n) {
        if (size + static_cast<size_t>(n) <= capacity) {
            std::memcpy(data + size, bytes, static_cast<size_t>(n));
        } else {
            overflow = true;
        }
        size += static_cast<size_t>(n);
    }
};

void Emit(Output& out, uint8_t opcode, int32_t count, const uint8_t* data) {
    const uint8_t kind = opcode & 0x30;
    const bool literal = kind == 0x10 || kind == 0x30;
    const bool run = kind == 0x00;
    if (count > kPieceLength) {
        // floor(count / 254) pieces of 254, then a final piece of count mod 254 (0 for the
        // multiples of 254).
        for (int32_t piece = count / kPieceLength; piece > 0; --piece) {
            out.Put(static_cast<uint8_t>(opcode & ~kLast));
            out.Put(static_cast<uint8_t>(kPieceLength));
            if (run) {
                out.Put(data[0]);
            } else if (literal) {
                out.Put(data, kPieceLength);
                data += kPieceLength;
            }
        }
        count %= kPieceLength;
    }
    out.Put(opcode);
    out.Put(static_cast<uint8_t>(count));
    if (run) {
        out.Put(data[0]);
    } else if (literal) {
        out.Put(data, count);
    }
}

enum class Pending { kNone, kRun, kLiteral, kHoles };

} // namespace

size_t VQTRLE_MaxLineBytes(int32_t width) {
    // Every record covers at least one pixel and costs at most 3 bytes a pixel, except the final
    // piece of count 0 of a long record, which follows 508 or more pixels.
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    return 3 * w + 3 * (w / kPieceLength + 1) + 3;
}

int32_t VQTRLE_EmitOpcode(uint8_t opcode, int16_t count, const uint8_t* data, uint8_t* out,
                          size_t capacity) {
    Output o{out, capacity};
    Emit(o, opcode, count < 0 ? 0 : count, data);
    return o.overflow ? -1 : static_cast<int32_t>(o.size);
}

int32_t VQTRLE_CompressLine(const uint8_t* src, int16_t width, uint8_t* dst, size_t capacity) {
    Output out{dst, capacity};
    const int32_t w = width;
    Pending pending = Pending::kNone;
    int32_t start = 0;
    int32_t length = 0;

    auto emitPending = [&](bool last) {
        const uint8_t flag = last ? kLast : 0;
        switch (pending) {
        case Pending::kRun: Emit(out, 0x01 | flag, length, src + start); break;
        case Pending::kLiteral: Emit(out, 0x11 | flag, length, src + start); break;
        case Pending::kHoles: Emit(out, 0x31 | flag, length, src + start); break;
        case Pending::kNone: break;
        }
        pending = Pending::kNone;
    };

    int32_t p = 0;
    while (p < w) {
        if (src[p] == 0) {
            int32_t z = 0;
            while (p + z < w && src[p + z] == 0) {
                ++z;
            }
            if (p + z == w) {
                emitPending(true);  // trailing zeros are never written
                break;
            }
            if (pending == Pending::kNone) {
                Emit(out, 0x21, z, nullptr);
            } else if (z >= kHoleMinimum && (length >= kPendingLength || z >= kHoleBreak)) {
                emitPending(false);
                Emit(out, 0x21, z, nullptr);
            } else {
                pending = Pending::kHoles;
                length += z;
            }
            p += z;
            continue;
        }
        const uint8_t c = src[p];
        int32_t r = 0;
        while (p + r < w && src[p + r] == c) {
            ++r;
        }
        if (p + r == w) {
            if (pending == Pending::kNone) {
                Emit(out, 0x81, r, src + p);
            } else {
                if (pending == Pending::kRun) {
                    pending = Pending::kLiteral;
                }
                length += r;
                emitPending(true);
            }
            break;
        }
        if (r >= kRunMinimum && pending == Pending::kNone) {
            pending = Pending::kRun;
            start = p;
            length = r;
        } else if (r >= kRunMinimum && (length >= kPendingLength || r >= kRunBreak)) {
            emitPending(false);
            bool last = true;
            for (int32_t i = p + r; i < w; ++i) {
                if (src[i] != 0) {
                    last = false;
                    break;
                }
            }
            Emit(out, last ? 0x81 : 0x01, r, src + p);
            if (last) {
                break;
            }
        } else if (pending == Pending::kNone) {
            pending = Pending::kRun;
            start = p;
            length = r;
        } else {
            if (pending == Pending::kRun) {
                pending = Pending::kLiteral;
            }
            length += r;
        }
        p += r;
    }
    return out.overflow ? -1 : static_cast<int32_t>(out.size);
}

const uint8_t* BltCompBlockAddress(const uint8_t* blocks, int16_t n) {
    const uint16_t count = Load16(blocks);
    const uint16_t offset = Load16(blocks + 14 + 2 * static_cast<uint16_t>(n));
    return blocks + 14 + 2 * size_t{count} + offset;
}

// ---- hit test ----

namespace {

/// 1 hit, 0 no hit (also for bad data, traced).
uint8_t HitTest(int32_t f, int32_t l, const uint8_t* p, int32_t w, const uint8_t* blocks, int depth) {
    if (l <= 0) {
        return 0;
    }
    const bool packed = blocks != nullptr && blocks[6] != 0;
    int32_t position = 0;
    for (;;) {
        const uint8_t op = *p++;
        if (!VQTRLE_IsOpcode(op)) {
            xTrace("ERROR - bad opcode encountered\n");
            return 0;
        }
        int32_t n = 0;
        if (op != 0x80) {
            n = ReadCount(op, p);
            switch (op & 0x38) {
            case 0x00:  // run
                ++p;
                if (n > 0 && position + n > f) {
                    return 1;
                }
                break;
            case 0x08: {  // common-block reference
                const uint8_t block = *p++;
                if (blocks == nullptr) {
                    xTrace("ERROR - No common block table but cblock opcode encountered\n");
                    return 0;
                }
                if (block >= Load16(blocks)) {
                    xTrace("ERROR - Common block number out of range\n");
                    return 0;
                }
                if (depth < kVqtrleMaxBlockDepth && position + n > f &&
                    HitTest(f - position, l - position, BltCompBlockAddress(blocks, block), n, blocks,
                            depth + 1)) {
                    return 1;
                }
                break;
            }
            case 0x10:  // literal
                p += packed ? (n + 1) / 2 : n;
                if (n > 0 && position + n > f) {
                    return 1;
                }
                break;
            case 0x20:  // skip
                break;
            default:  // 0x30: literal with holes
                if (position + n > f) {
                    for (int32_t i = 0; i < n; ++i) {
                        const int32_t x = position + i;
                        if (x >= l) {
                            return 0;
                        }
                        if (x >= f && p[i] != 0) {
                            return 1;
                        }
                    }
                }
                p += n;
                break;
            }
        }
        position += n;
        if (op & kLast) {
            if (position > w) {
                xTrace("ERROR - decompression buffer overrun\n");
            }
            return 0;
        }
        if (position >= l) {
            return 0;
        }
    }
}

} // namespace

uint8_t VQTRLE_HitTestLine(int16_t first, int16_t last, const uint8_t* line, int16_t width,
                           const uint8_t* blocks) {
    return HitTest(first, last, line, width, blocks, 0);
}

// ---- recolouring ----

namespace {

inline uint8_t Recolor(uint8_t v, uint8_t a, uint8_t b) {
    if (static_cast<uint8_t>(4 * a + 5 - v) < 4) {
        return static_cast<uint8_t>(v - 4 * (a - b));
    }
    return v;
}

void RecolorStream(uint8_t* p, uint8_t a, uint8_t b, uint8_t* blocks, int depth) {
    for (;;) {
        const uint8_t op = *p++;
        if (!VQTRLE_IsOpcode(op) || op == 0x80) {
            if (op & kLast) {
                return;
            }
            continue;  // one-byte record
        }
        const int32_t n = ReadCount(op, p);
        switch (op & 0x38) {
        case 0x00:
            *p = Recolor(*p, a, b);
            ++p;
            break;
        case 0x08: {
            const uint8_t block = *p++;
            if (blocks != nullptr && block < Load16(blocks) && depth < kVqtrleMaxBlockDepth) {
                RecolorStream(const_cast<uint8_t*>(BltCompBlockAddress(blocks, block)), a, b, blocks,
                              depth + 1);
            }
            break;
        }
        case 0x10:
        case 0x30:
            for (int32_t i = 0; i < n; ++i) {
                p[i] = Recolor(p[i], a, b);
            }
            p += n;
            break;
        default:  // skip
            break;
        }
        if (op & kLast) {
            return;
        }
    }
}

} // namespace

bool VQTRLE_RecolorLine(uint8_t* line, uint8_t bandA, uint8_t bandB, uint8_t* blocks) {
    RecolorStream(line, bandA, bandB, blocks, 0);
    return true;
}

bool VQTRLE_ForEachLine(uint8_t* chunk, uint8_t bandA, uint8_t bandB, uint8_t* blocks,
                        VQTRLE_LineCallback callback) {
    const uint16_t frames = Load16(chunk + 4);
    std::unordered_set<uint32_t> seenFrames;
    std::unordered_set<uint32_t> seenLines;
    for (uint32_t f = 0; f < frames; ++f) {
        const uint32_t frameOffset = Load32(chunk + 8 + 4 * f);
        if (frameOffset == 0 || !seenFrames.insert(frameOffset).second) {
            continue;
        }
        const uint8_t* frame = chunk + frameOffset;
        const uint16_t lines = Load16(frame + 2);
        for (uint32_t i = 0; i < lines; ++i) {
            const uint32_t lineOffset = Load32(frame + 4 + 4 * i) & 0x7FFFFFFFu;
            if (lineOffset == 0 || !seenLines.insert(lineOffset).second) {
                continue;
            }
            if (!callback(chunk + lineOffset, bandA, bandB, blocks)) {
                return false;
            }
        }
    }
    return true;
}

bool VQTRLE_RecolorFrames(uint8_t* chunk, uint8_t bandA, uint8_t bandB, uint8_t* blocks) {
    VQTRLE_ForEachLine(chunk, bandA, bandB, blocks, VQTRLE_RecolorLine);
    return true;
}

// ---- load-time checks ----

namespace {

struct Checker {
    const uint8_t* blocks;
    size_t blocksSize;
    bool packed;
    int32_t budget;  // records that may still be visited, references expanded

    /// Checks the stream of avail bytes at p; its pixels may not exceed maxPixels.
    bool Stream(const uint8_t* p, size_t avail, int32_t maxPixels, int depth) {
        size_t at = 0;
        int32_t covered = 0;
        for (;;) {
            if (--budget < 0 || at >= avail) {
                return false;
            }
            const uint8_t op = p[at++];
            if (op == 0x80) {
                return true;
            }
            if (!VQTRLE_IsOpcode(op)) {
                return false;
            }
            const size_t countBytes = (op & 0x02) ? 2 : 1;
            if (avail - at < countBytes) {
                return false;
            }
            const int32_t n = countBytes == 2 ? (p[at] << 8) | p[at + 1] : p[at];
            at += countBytes;
            size_t data = 0;
            switch (op & 0x38) {
            case 0x00: data = 1; break;
            case 0x08: {
                if (avail - at < 1 || blocks == nullptr || depth >= kVqtrleMaxBlockDepth) {
                    return false;
                }
                const uint8_t block = p[at];
                if (block >= Load16(blocks)) {
                    return false;
                }
                const uint8_t* start = BltCompBlockAddress(blocks, block);
                const size_t offset = static_cast<size_t>(start - blocks);
                if (offset >= blocksSize || !Stream(start, blocksSize - offset, n, depth + 1)) {
                    return false;
                }
                data = 1;
                break;
            }
            case 0x10: data = packed ? static_cast<size_t>((n + 1) / 2) : static_cast<size_t>(n); break;
            case 0x20: data = 0; break;
            default: data = static_cast<size_t>(n); break;
            }
            if (avail - at < data) {
                return false;
            }
            at += data;
            covered += n;
            if (covered > maxPixels) {
                return false;
            }
            if (op & kLast) {
                return true;
            }
        }
    }
};

} // namespace

namespace {

/// The header and the block offsets lie inside the size bytes of the table.
bool HeaderFits(const uint8_t* blocks, size_t size) {
    return blocks != nullptr && size >= 14 && 14 + 2 * size_t{Load16(blocks)} <= size;
}

} // namespace

bool VQTRLE_ValidateCommonBlocks(const uint8_t* blocks, size_t size) {
    if (!HeaderFits(blocks, size)) {
        return false;
    }
    const size_t count = Load16(blocks);
    const size_t base = 14 + 2 * count;
    for (size_t n = 0; n < count; ++n) {
        if (base + Load16(blocks + 14 + 2 * n) >= size) {
            return false;
        }
    }
    return true;
}

bool VQTRLE_ValidateLine(const uint8_t* line, size_t available, int16_t width, const uint8_t* blocks,
                         size_t blocksSize) {
    if (line == nullptr || width < 0) {
        return false;
    }
    // The offsets a line follows are checked as it reaches them: the lines of an image do not
    // each walk the whole offset table again.
    if (blocks != nullptr && !HeaderFits(blocks, blocksSize)) {
        return false;
    }
    // Enough for any line the encoder or an art tool writes (one record a pixel, plus the
    // zero-count pieces), and a bound on the work of every reader.
    const int32_t budget = 4 * int32_t{width} + 64;
    Checker readers{blocks, blocksSize, false, budget};
    if (!readers.Stream(line, available, width, 0)) {
        return false;
    }
    if (blocks != nullptr && blocks[6] != 0) {
        Checker hitTest{blocks, blocksSize, true, budget};
        return hitTest.Stream(line, available, width, 0);
    }
    return true;
}
