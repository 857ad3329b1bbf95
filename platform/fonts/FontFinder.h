#pragma once
#include <string>
#include <string_view>

#include "platform/fonts/FontHandles.h"

namespace plat::fontsys {

/// A font file that fontconfig chose for a request.
struct FontMatch {
    std::string file;
    int index = 0;          ///< face within the file
    std::string family;     ///< the family the file carries
    bool bold = false;      ///< the file's own weight is bold or heavier
    bool italic = false;    ///< the file's own slant is italic or oblique
};

/// Finds font files through fontconfig: the system's configuration, or a pinned one that knows
/// only the Liberation faces and DejaVu Sans, so that tests measure and draw the same pixels on
/// every machine. Both take the faces the stage's texts ask for by their metric-compatible
/// stand-ins.
class FontFinder {
public:
    enum class Setup { Pinned, System };

    explicit FontFinder(Setup setup);

    /// True when an installed family carries the name (without regard to case), or when the
    /// name is one whose stand-in is installed.
    bool FamilyExists(std::string_view face);
    /// The best file for the face, weight and slant; false when fontconfig has no font at all.
    bool Match(std::string_view face, bool bold, bool italic, FontMatch& out);

private:
    bool Installed(std::string_view family);

    Setup setup_;
    FcConfigPtr config_;
};

/// The family that stands in for a face the stage's texts name ("Arial" -> "Liberation Sans"),
/// or the name itself.
std::string_view StandInFamily(std::string_view face);

/// The family of the stock font.
inline constexpr const char* kStockFamily = "DejaVu Sans";

} // namespace plat::fontsys
