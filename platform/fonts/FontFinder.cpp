#include "platform/fonts/FontFinder.h"

#include <strings.h>

#include <string>

namespace plat::fontsys {

namespace {

struct StandIn {
    const char* face;
    const char* family;
};
constexpr StandIn kStandIns[] = {
    {"Arial", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Times New Roman", "Liberation Serif"},
    {"System", kStockFamily},
};

/// The pinned configuration's files: the faces the stand-ins name, in the Debian packages
/// fonts-liberation2 and fonts-dejavu-core.
constexpr const char* kPinnedFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-BoldItalic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-BoldItalic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf",
};

const FcChar8* Fc(const char* text) { return reinterpret_cast<const FcChar8*>(text); }

FcConfigPtr MakeConfig(FontFinder::Setup setup) {
    if (setup == FontFinder::Setup::System) return FcConfigPtr(FcInitLoadConfigAndFonts());
    FcConfigPtr config(FcConfigCreate());
    if (!config) return config;
    for (const char* file : kPinnedFiles) FcConfigAppFontAddFile(config.get(), Fc(file));
    return config;
}

} // namespace

std::string_view StandInFamily(std::string_view face) {
    const std::string name(face);
    for (const StandIn& s : kStandIns)
        if (strcasecmp(name.c_str(), s.face) == 0) return s.family;
    return face;
}

FontFinder::FontFinder(Setup setup) : setup_(setup), config_(MakeConfig(setup)) {}

bool FontFinder::Installed(std::string_view family) {
    if (!config_) return false;
    const std::string name(family);
    FcPatternPtr pattern(FcPatternCreate());
    FcObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    if (!pattern || !objects) return false;
    FcPatternAddString(pattern.get(), FC_FAMILY, Fc(name.c_str()));
    FcFontSetPtr found(FcFontList(config_.get(), pattern.get(), objects.get()));
    if (!found) return false;
    for (int i = 0; i < found->nfont; ++i) {
        FcChar8* carried = nullptr;
        for (int n = 0; FcPatternGetString(found->fonts[i], FC_FAMILY, n, &carried) == FcResultMatch; ++n)
            if (strcasecmp(reinterpret_cast<const char*>(carried), name.c_str()) == 0) return true;
    }
    return false;
}

bool FontFinder::FamilyExists(std::string_view face) {
    if (Installed(face)) return true;
    const std::string_view standIn = StandInFamily(face);
    return standIn != face && Installed(standIn);
}

bool FontFinder::Match(std::string_view face, bool bold, bool italic, FontMatch& out) {
    if (!config_) return false;
    const std::string family(Installed(face) ? face : StandInFamily(face));
    FcPatternPtr pattern(FcPatternCreate());
    if (!pattern) return false;
    FcPatternAddString(pattern.get(), FC_FAMILY, Fc(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_.get(), pattern.get(), FcMatchPattern);
    // The pinned configuration has no rules of its own: an unknown face falls back to the
    // stock family, as the system's sans-serif rule would do.
    if (setup_ == Setup::Pinned) FcPatternAddString(pattern.get(), FC_FAMILY, Fc(kStockFamily));
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    FcPatternPtr match(FcFontMatch(config_.get(), pattern.get(), &result));
    if (!match) return false;
    FcChar8* file = nullptr;
    FcChar8* matched = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return false;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
    out.file = reinterpret_cast<const char*>(file);
    out.index = index;
    out.family = FcPatternGetString(match.get(), FC_FAMILY, 0, &matched) == FcResultMatch
                     ? reinterpret_cast<const char*>(matched)
                     : std::string();
    out.bold = weight >= FC_WEIGHT_BOLD;
    out.italic = slant != FC_SLANT_ROMAN;
    return true;
}

} // namespace plat::fontsys
