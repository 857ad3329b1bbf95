#include "tools/builders/StoredRecord.h"

#include <algorithm>

namespace vqt::test {

StoredRecord::StoredRecord(std::string_view name, uint32_t version) : bytes_(372, 0) {
    PutBe32(bytes_, 0, version);
    PutText(bytes_, 4, name.substr(0, 64));
}

StoredRecord& StoredRecord::WorldWord(int w, int k, uint16_t v) {
    PutBe16(bytes_, 70 + 70 * size_t(w) + 2 * size_t(k), v);
    return *this;
}

StoredRecord& StoredRecord::Counter(int n, uint32_t v) {
    PutBe32(bytes_, 280 + 4 * size_t(n), v);
    return *this;
}

StoredRecord& StoredRecord::Extra(int n, uint16_t v) {
    PutLe16(bytes_, 348 + 2 * size_t(n), v);
    return *this;
}

StoredRecord& StoredRecord::Raw(size_t offset, const Bytes& raw) {
    if (bytes_.size() < offset + raw.size()) bytes_.resize(offset + raw.size(), 0);
    std::copy(raw.begin(), raw.end(), bytes_.begin() + ptrdiff_t(offset));
    return *this;
}

StoredRecord& StoredRecord::Resize(size_t size) {
    bytes_.resize(size, 0);
    return *this;
}

} // namespace vqt::test
