// Reads arbitrary bytes line by line through a memory driver, and through a block driver
// attached to a stretch of it, with small buffers: every line must stay inside its buffer, be
// terminated, and the lines together must give back the bytes read.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/data/DrvMemory.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

/// Reads every line of the driver with buffers of `size` bytes; answers the bytes read.
std::string ReadLines(ODriver& driver, int32_t size) {
    std::string all;
    for (int guard = 0; guard < 100000; ++guard) {
        // A buffer of exactly `size` bytes, so that a write past it is caught.
        auto line = std::make_unique<char[]>(static_cast<size_t>(size));
        const int32_t stored = driver.ReadLine(line.get(), size);
        Check(stored >= 0 && stored <= size - 1);
        Check(line[static_cast<size_t>(stored)] == '\0');
        const void* feed = std::memchr(line.get(), '\n', static_cast<size_t>(stored));
        Check(feed == nullptr || feed == line.get() + stored - 1); // only a last byte ends a line
        if (stored == 0) break;
        all.append(line.get(), static_cast<size_t>(stored));
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size < 3) return 0;
    const int32_t bufferSize = 2 + data[0] % 40;
    const uint8_t blockStart = data[1];
    const uint8_t blockLength = data[2];
    std::string bytes(reinterpret_cast<const char*>(data) + 3, size - 3);

    ODrvMemory memory;
    Check(memory.AdoptMemory(bytes.data(), bytes.size(), bytes.size()) == DRV_OK);
    Check(ReadLines(memory, bufferSize) == bytes);

    // Buffers too small for any byte take nothing and write nothing past their one byte.
    Check(memory.Control(DRV_SEEK, 0, 0) == DRV_OK);
    char one = 'x';
    Check(memory.ReadLine(&one, 1) == 0 && one == '\0');
    Check(memory.ReadLine(&one, 0) == 0);
    Check(memory.Control(DRV_POSITION) == 0);

    ODriver block;
    if (block.Attach(&memory, blockStart, blockLength) == DRV_OK) {
        const std::string stretch = bytes.substr(blockStart, blockLength);
        Check(ReadLines(block, bufferSize) == stretch);
        block.Control(DRV_DETACH);
    } else {
        Check(blockStart > bytes.size());
    }
    void* handedBack = nullptr;
    Check(memory.ReleaseMemory(&handedBack) == DRV_OK);
    Check(handedBack == bytes.data());
    return 0;
}
