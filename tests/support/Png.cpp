#include "tests/support/Png.h"

#include <gtest/gtest.h>
#include <png.h>

#include "tests/support/Golden.h"

namespace vqt::test {

RgbImage ToRgb(const plat::Image& image) {
    RgbImage out{image.width, image.height, {}};
    out.rgb.reserve(size_t(image.width) * size_t(image.height) * 3);
    for (const plat::Argb c : image.pixels) {
        out.rgb.push_back(plat::ArgbRed(c));
        out.rgb.push_back(plat::ArgbGreen(c));
        out.rgb.push_back(plat::ArgbBlue(c));
    }
    return out;
}

bool WritePng(const std::string& path, const RgbImage& image) {
    png_image writer{};
    writer.version = PNG_IMAGE_VERSION;
    writer.width = static_cast<png_uint_32>(image.width);
    writer.height = static_cast<png_uint_32>(image.height);
    writer.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&writer, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
    png_image_free(&writer);
    return ok;
}

bool ReadPng(const std::string& path, RgbImage& image) {
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&reader, path.c_str())) return false;
    reader.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(reader.width);
    image.height = static_cast<int>(reader.height);
    image.rgb.assign(PNG_IMAGE_SIZE(reader), 0);
    if (!png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&reader);
        return false;
    }
    return true;
}

void ExpectMatchesGoldenImage(const std::string& name, const RgbImage& image) {
    const std::string path = GoldenPath(name);
    if (UpdatingGoldens()) {
        ASSERT_TRUE(WritePng(path, image)) << "cannot write " << path;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(ReadPng(path, expected))
        << "golden image " << path << " is missing; run with VQT_UPDATE_GOLDENS=1 to create it";
    ASSERT_EQ(expected.width, image.width) << path;
    ASSERT_EQ(expected.height, image.height) << path;
    for (size_t i = 0; i < image.rgb.size(); ++i) {
        if (expected.rgb[i] != image.rgb[i]) {
            const size_t pixel = i / 3;
            ADD_FAILURE() << "differs from " << path << " at pixel (" << pixel % image.width
                          << ", " << pixel / image.width << ")";
            return;
        }
    }
}

} // namespace vqt::test
