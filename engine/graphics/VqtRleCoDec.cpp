#include "engine/graphics/VqtRleCoDec.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/data/Driver.h"
#include "engine/graphics/GraphicsMemory.h"
#include "engine/graphics/LzwDecompress.h"

namespace {

constexpr uint8_t kLastRecord = 0x80;
constexpr uint8_t kWideCount = 0x02;

/// The 16 valid opcodes: bit 0 set, any of bits 1, 4, 5 and 7, nothing else.
bool IsRecord(uint8_t op) { return (op & 0x4D) == 0x01; }

} // namespace

VQTRLECoDec::VQTRLECoDec(int32_t mode, ODriver* input, int16_t bitsPerPixel)
    : m_mode(mode), m_driver(input), m_bitsPerPixel(bitsPerPixel), m_input(input) {}

VQTRLECoDec::~VQTRLECoDec() = default;

int32_t VQTRLECoDec::GetStatus() {
    const bool driverError = m_driver && m_driver->GetErrorCode() != DRV_OK;
    return driverError || m_input.Failed() || m_damaged ? kStatusInput : 0;
}

int32_t VQTRLECoDec::Finish() {
    m_input.Sync();
    return 0;
}

int32_t VQTRLECoDec::Decode(uint8_t* dest, int32_t size, int32_t capacity) {
    if (!dest || size < 0) return -1;
    switch (m_mode) {
    case kRaw:
        if (m_input.Bytes(dest, uint32_t(size))) return 0;
        m_damaged = true;
        return kStatusInput;
    case kRunLength:
        if (m_bitsPerPixel == 16) return Decode16(dest, size);
        if (m_bitsPerPixel == 24) return Decode24(dest, size);
        return Decode8(dest, size);
    case kLzw:
        return DecodeWhole(dest, size, capacity);
    default:
        return -1;
    }
}

int32_t VQTRLECoDec::Decode8(uint8_t* dest, int32_t size) { return DecodeLine<1>(dest, size); }
int32_t VQTRLECoDec::Decode16(uint8_t* dest, int32_t size) { return DecodeLine<2>(dest, size); }
int32_t VQTRLECoDec::Decode24(uint8_t* dest, int32_t size) { return DecodeLine<3>(dest, size); }

template <int BytesPerPixel>
int32_t VQTRLECoDec::DecodeLine(uint8_t* dest, int32_t size) {
    std::memset(dest, 0, size_t(size));
    const uint32_t pixels = uint32_t(size) / BytesPerPixel;
    uint32_t x = 0;
    uint8_t work[64];
    // Pixels of literals, one coded byte each, taken in pieces through the work buffer; with
    // holes only the non-zero ones are written.
    auto literal = [&](uint32_t count, bool holes) {
        if (BytesPerPixel == 1 && !holes) return m_input.Bytes(dest + x, count);
        for (uint32_t done = 0; done < count;) {
            const uint32_t n = std::min<uint32_t>(count - done, sizeof work);
            if (!m_input.Bytes(work, n)) return false;
            uint8_t* d = dest + size_t(x + done) * BytesPerPixel;
            for (uint32_t i = 0; i < n; ++i, d += BytesPerPixel)
                if (!holes || work[i] != 0) *d = work[i];
            done += n;
        }
        return true;
    };

    m_lineFailed = true;
    uint8_t op = 0;
    bool ok = true;
    while (ok && m_input.Byte(op)) {
        if (IsRecord(op)) {
            uint8_t c[2] = {};
            ok = (op & kWideCount) ? m_input.Bytes(c, 2) : m_input.Byte(c[1]);
            const uint32_t count = uint32_t(c[0]) << 8 | c[1];
            // A record may not pass the end of the line.
            if (!ok || count > pixels - x) break;
            switch ((op >> 4) & 3) {
            case 0: {
                uint8_t value = 0;
                ok = m_input.Byte(value);
                if (!ok) break;
                if (BytesPerPixel == 1) {
                    std::memset(dest + x, value, count);
                } else {
                    for (uint32_t i = 0; i < count; ++i) dest[size_t(x + i) * BytesPerPixel] = value;
                }
                break;
            }
            case 1: ok = literal(count, false); break;
            case 2: break;
            default: ok = literal(count, true); break;
            }
            if (!ok) break;
            x += count;
        }
        if (op & kLastRecord) {
            m_lineFailed = false;
            return int32_t(x * BytesPerPixel);
        }
    }
    m_damaged = true;
    if (BytesPerPixel == 1) xTrace("VQTRLECoDec decompression error\n");
    return int32_t(x * BytesPerPixel);
}

int32_t VQTRLECoDec::DecodeWhole(uint8_t* dest, int32_t size, int32_t capacity) {
    m_input.Sync();
    const intptr_t start = m_driver ? m_driver->Control(DRV_POSITION) : -1;
    CTempArray<uint8_t> coded(size_t(size) + 4);
    const bool read = start >= 0 && coded.Get() && m_driver->ReadExactly(coded.Get(), uint32_t(size));
    const bool decoded = read && LZWDecompress(coded.Get(), uint32_t(size), dest, uint32_t(std::max(capacity, 0))) >= 0;
    if (start >= 0) m_driver->Control(DRV_SEEK, 0, start + size);
    if (decoded) return 0;
    m_damaged = true;
    return kStatusInput;
}
