#include "game/shell/PlayerRecord.h"

#include <cstring>

#include "engine/base/ByteOrder.h"

namespace {

constexpr size_t kNameOffset = 4;
constexpr size_t kPadOffset = 69;
constexpr size_t kWorldOffset = 70;
constexpr size_t kWorldBlockSize = 2 * PlayerRecord::kWorldWords;
constexpr size_t kCounterOffset = 280;
constexpr size_t kExtraOffset = 348;
static_assert(kExtraOffset + 2 * PlayerRecord::kExtraWords == PlayerRecord::kSize);
static_assert(kCounterOffset == kWorldOffset + PlayerRecord::kWorlds * kWorldBlockSize);

size_t WordOffset(int w, int k) { return kWorldOffset + kWorldBlockSize * size_t(w) + 2 * size_t(k); }

} // namespace

PlayerRecordBytes EncodePlayerRecord(const PlayerRecord& r) {
    PlayerRecordBytes out{};
    bytes::WriteBe32(out, 0, r.version);
    std::memcpy(&out[kNameOffset], r.name, PlayerRecord::kNameSize);
    out[kPadOffset] = r.pad;
    for (int w = 0; w < PlayerRecord::kWorlds; ++w)
        for (int k = 0; k < PlayerRecord::kWorldWords; ++k) bytes::WriteBe16(out, WordOffset(w, k), r.world[w][k]);
    for (int n = 0; n < PlayerRecord::kCounters; ++n) bytes::WriteBe32(out, kCounterOffset + 4 * size_t(n), r.counters[n]);
    for (int n = 0; n < PlayerRecord::kExtraWords; ++n) bytes::WriteLe16(out, kExtraOffset + 2 * size_t(n), r.extra[n]);
    return out;
}

RecordFault DecodePlayerRecord(std::span<const uint8_t> in, PlayerRecord& out) {
    if (in.size() != PlayerRecord::kSize) return RecordFault::Size;
    if (bytes::be32(in, 0) != PlayerRecord::kVersion) return RecordFault::Version;
    if (std::memchr(&in[kNameOffset], 0, PlayerRecord::kNameSize) == nullptr) return RecordFault::Name;
    PlayerRecord r;
    r.version = PlayerRecord::kVersion;
    std::memcpy(r.name, &in[kNameOffset], PlayerRecord::kNameSize);
    r.pad = in[kPadOffset];
    for (int w = 0; w < PlayerRecord::kWorlds; ++w)
        for (int k = 0; k < PlayerRecord::kWorldWords; ++k) r.world[w][k] = bytes::be16(in, WordOffset(w, k));
    for (int n = 0; n < PlayerRecord::kCounters; ++n) r.counters[n] = bytes::be32(in, kCounterOffset + 4 * size_t(n));
    for (int n = 0; n < PlayerRecord::kExtraWords; ++n) r.extra[n] = bytes::le16(in, kExtraOffset + 2 * size_t(n));
    out = r;
    return RecordFault::None;
}
