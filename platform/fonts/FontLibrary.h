#pragma once
#include "platform/fonts/FontFinder.h"
#include "platform/fonts/FontHandles.h"

namespace plat::fontsys {

/// The FreeType library and the font finder of one font service. Fonts hold it shared, so
/// their faces outlive the service that made them.
class FontLibrary {
public:
    explicit FontLibrary(FontFinder::Setup setup) : finder_(setup) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0) library_.reset(library);
    }
    FT_Library ft() const { return library_.get(); }
    FontFinder& finder() { return finder_; }

private:
    FtLibraryPtr library_;
    FontFinder finder_;
};

} // namespace plat::fontsys
