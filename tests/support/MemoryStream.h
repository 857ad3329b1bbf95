#pragma once
#include <utility>

#include "engine/data/DrvMemory.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// A memory driver streaming its own copy of some bytes, as the image readers are given a
/// frame chunk's data.
class MemoryStream : public ODrvMemory {
public:
    explicit MemoryStream(Bytes bytes) : m_bytes(std::move(bytes)) {
        AdoptMemory(m_bytes.data(), m_bytes.size(), m_bytes.size());
    }

private:
    Bytes m_bytes;
};

} // namespace vqt::test
