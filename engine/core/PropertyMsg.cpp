#include "engine/core/PropertyMsg.h"

#include <algorithm>
#include <cstring>

#include "engine/base/ByteOrder.h"

void OPropertyMsg::ReadBytes(uint32_t offset, void* out, size_t n) const {
    std::memcpy(out, Payload() + offset, n);
}

void OPropertyMsg::WriteBytes(uint32_t offset, const void* in, size_t n) {
    std::memcpy(Payload() + offset, in, n);
}

void OPropertyMsg::ExchangeText(char* field, size_t bytes, int32_t set) {
    if (field == nullptr || bytes == 0) return;
    if (set != 0) {
        const size_t n = std::min<size_t>(size, bytes - 1);
        std::memcpy(field, Payload(), n);
        field[n] = '\0';
        if (std::strcmp(field, "0") == 0) field[0] = '\0';
    } else {
        const size_t n = std::min<size_t>(size, std::strlen(field) + 1);
        std::memcpy(Payload(), field, n);
    }
}

void xSwapPropertyMsg(OPropertyMsg* msg, bool swapPayload) {
    const bytes::MutableSpan header(reinterpret_cast<uint8_t*>(msg), OPropertyMsg::kHeaderSize);
    for (size_t offset = 0; offset < OPropertyMsg::kHeaderSize; offset += 4) bytes::Swap32(header, offset, false);
    if (!swapPayload) return;

    // The swaps are bounded by the payload: a value it is too short for stays as stored.
    const uint32_t n = msg->size;
    const bytes::MutableSpan payload(msg->Payload(), n);
    switch (msg->typeCode) {
    case 5:
    case 6:
        bytes::Swap16(payload, 0, false);
        break;
    case 7:
    case 8:
        bytes::Swap32(payload, 0, false);
        break;
    case 10:
        bytes::Swap16(payload, 0, false);
        bytes::Swap16(payload, 2, false);
        break;
    case 13:
    case 14:
        for (uint32_t offset = 0; n - offset >= 2; offset += 2) bytes::Swap16(payload, offset, false);
        break;
    case 15:
    case 16:
        for (uint32_t offset = 0; n - offset >= 4; offset += 4) bytes::Swap32(payload, offset, false);
        break;
    case 17:
        // Records of 12 bytes; bytes 8 and 9 of each are single bytes, a partial record stays.
        for (uint32_t record = 0; n - record >= 12; record += 12)
            for (uint32_t field : {0u, 2u, 4u, 6u, 10u}) bytes::Swap16(payload, record + field, false);
        break;
    default: // 1-4, 9, 11, 12, 18, 19 and unknown codes carry bytes as stored
        break;
    }
}
