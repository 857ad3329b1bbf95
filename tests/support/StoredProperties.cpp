#include "tests/support/StoredProperties.h"

#include "engine/core/Object.h"
#include "engine/data/DrvMemory.h"

namespace vqt::test {

void LoadStoredProperties(OObject& object, const PropertyBytes& properties) {
    ODrvMemory stream;
    uint32_t written = 0;
    stream.Write(properties.bytes().data(), properties.size(), &written);
    stream.Control(DRV_SEEK, 0, 0);
    object.LoadProperties(&stream, written);
}

} // namespace vqt::test
