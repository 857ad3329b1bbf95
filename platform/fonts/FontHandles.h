#pragma once
// Owners of the FreeType, fontconfig and iconv handles of the font service: each handle is
// released by its library's own call when its owner goes, on every path.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <memory>

namespace plat::fontsys {

struct FtLibraryRelease {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FtFaceRelease {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct FcConfigRelease {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct FcPatternRelease {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FcFontSetRelease {
    void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
struct FcObjectSetRelease {
    void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};

using FtLibraryPtr = std::unique_ptr<FT_LibraryRec_, FtLibraryRelease>;
using FtFacePtr = std::unique_ptr<FT_FaceRec_, FtFaceRelease>;
using FcConfigPtr = std::unique_ptr<FcConfig, FcConfigRelease>;
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternRelease>;
using FcFontSetPtr = std::unique_ptr<FcFontSet, FcFontSetRelease>;
using FcObjectSetPtr = std::unique_ptr<FcObjectSet, FcObjectSetRelease>;

/// An iconv conversion; invalid() when the pair of encodings is unknown.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

} // namespace plat::fontsys
