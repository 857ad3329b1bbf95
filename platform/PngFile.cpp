#include "platform/PngFile.h"

#include <png.h>

#include <vector>

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
    const bool ok = png_image_write_to_file(&writer, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&writer);
    return ok;
}

} // namespace plat
