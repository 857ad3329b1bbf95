#pragma once
#include <string>

#include "platform/PixelConvert.h"

namespace plat {

/// Writes a picture as an 8-bit RGB PNG file, whole or not at all (see WriteWholeFile); false
/// when the file cannot be written or the picture is empty.
bool WritePngFile(const std::string& path, const Image& image);

} // namespace plat
