// Decodes arbitrary bytes with the image codecs. The first byte chooses the codec and its
// setting: LZW words into an output of 1 to 8 KB, GIF LZW data of a minimum code size 0 to 12
// read in pieces of 1 to 64 bytes, or run-length lines of 8, 16 or 24 bits of 1 to 32 pixels.
// Nothing may read or write out of bounds, and every call must end.
#include <cstdint>
#include <vector>

#include "engine/graphics/LzwDecodeStream.h"
#include "engine/graphics/LzwDecompress.h"
#include "engine/graphics/VqtRleCoDec.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size == 0) return 0;
    const uint8_t setting = data[0];
    const vqt::test::Bytes bytes(data + 1, data + size);
    switch (setting % 3) {
    case 0: {
        std::vector<uint8_t> out(1024u * (1 + (setting >> 2) % 8));
        LZWDecompress(bytes.data(), uint32_t(bytes.size()), out.data(), uint32_t(out.size()));
        break;
    }
    case 1: {
        vqt::test::MemoryStream input(bytes);
        CLZWDecodeStream decoder(&input, (setting >> 2) % 13);
        std::vector<uint8_t> out(1 + (setting >> 2) % 64);
        while (decoder.Read(out.data(), int32_t(out.size())) > 0) {
        }
        break;
    }
    default: {
        vqt::test::MemoryStream input(bytes);
        const int16_t bits = int16_t(8 * (1 + (setting >> 2) % 3));
        VQTRLECoDec codec(VQTRLECoDec::kRunLength, &input, bits);
        const int32_t lineBytes = (1 + (setting >> 4) % 32) * (bits / 8);
        std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
        while (codec.GetStatus() == 0) codec.Decode(line.data(), lineBytes, lineBytes);
        break;
    }
    }
    return 0;
}
