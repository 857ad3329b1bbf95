#include "engine/core/PropertyMsg.h"

#include <bit>
#include <cstring>

#include "engine/core/Unaligned.h"

namespace {

void Swap16At(uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        unaligned::Store16(p, __builtin_bswap16(unaligned::Load16(p)));
    }
}

void Swap32At(uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        unaligned::Store32(p, __builtin_bswap32(unaligned::Load32(p)));
    }
}

} // namespace

void OPropertyMsg::ReadBytes(uint32_t offset, void* out, size_t n) const {
    std::memcpy(out, Payload() + offset, n);
}

void OPropertyMsg::WriteBytes(uint32_t offset, const void* in, size_t n) {
    std::memcpy(Payload() + offset, in, n);
}

void xSwapPropertyMsg(OPropertyMsg* msg, bool swapPayload) {
    auto* header = reinterpret_cast<uint8_t*>(msg);
    for (int i = 0; i < 4; ++i) Swap32At(header + 4 * i);
    if (!swapPayload) return;

    uint8_t* payload = msg->Payload();
    const uint32_t n = msg->size;
    switch (msg->typeCode) {
    case 5:
    case 6:
        if (n >= 2) Swap16At(payload);
        break;
    case 7:
    case 8:
        if (n >= 4) Swap32At(payload);
        break;
    case 10:
        if (n >= 2) Swap16At(payload);
        if (n >= 4) Swap16At(payload + 2);
        break;
    case 13:
    case 14:
        for (uint32_t i = 0; i < n / 2; ++i) Swap16At(payload + 2 * i);
        break;
    case 15:
    case 16:
        for (uint32_t i = 0; i < n / 4; ++i) Swap32At(payload + 4 * i);
        break;
    case 17:
        for (uint32_t r = 0; r < n / 12; ++r) {
            uint8_t* rec = payload + 12 * r;
            Swap16At(rec + 0);
            Swap16At(rec + 2);
            Swap16At(rec + 4);
            Swap16At(rec + 6);
            Swap16At(rec + 10);
        }
        break;
    default: // 1-4, 9, 11, 12, 18, 19 and unknown codes carry bytes as stored
        break;
    }
}
