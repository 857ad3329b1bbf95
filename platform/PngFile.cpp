#include "platform/PngFile.h"

#include <png.h>

#include <vector>

#include "platform/posix/WholeFile.h"

namespace plat {

bool WritePngFile(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != size_t(image.width) * size_t(image.height))
        return false;
    std::vector<uint8_t> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (Argb p : image.pixels) {
        rgb.push_back(ArgbRed(p));
        rgb.push_back(ArgbGreen(p));
        rgb.push_back(ArgbBlue(p));
    }
    png_image writer{};
    writer.version = PNG_IMAGE_VERSION;
    writer.width = png_uint_32(image.width);
    writer.height = png_uint_32(image.height);
    writer.format = PNG_FORMAT_RGB;
    // Encoded in memory, then written whole: a run ended meanwhile leaves the previous picture or
    // the new one, and a link at the path is replaced, not written through.
    png_alloc_size_t size = 0;
    bool ok = png_image_write_to_memory(&writer, nullptr, &size, 0, rgb.data(), 0, nullptr) != 0;
    std::vector<uint8_t> encoded(ok ? size : 0);
    ok = ok && png_image_write_to_memory(&writer, encoded.data(), &size, 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&writer);
    encoded.resize(size);
    return ok && WriteWholeFile(path, encoded).empty();
}

} // namespace plat
