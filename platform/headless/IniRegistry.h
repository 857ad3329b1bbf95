#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace plat {

/// The registry as a read-only INI-style file, "VQTRegistry.ini" in the user's configuration
/// folder (Files::WindowsFolder), read on the first query:
///
///     ; a comment
///     [Software\Company\Product]
///     PARTFILE="/data/game.vqk"     <- a text (quotes optional)
///     FRAMERATE=dword:0000001e      <- a 32-bit number, 1 to 8 hex digits
///
/// A section is a key path, an entry a value; blanks around names and values are dropped. A
/// missing file is an empty registry. Tests inject the contents instead of a file.
class IniRegistry final : public Registry {
public:
    static constexpr const char* kFileName = "VQTRegistry.ini";

    std::optional<RegistryValue> QueryMachineValue(const std::string& keyPath,
                                                   const std::string& name) override;

    /// Uses this text in place of the file from now on.
    void SetContents(const std::string& text);

private:
    void Load();

    /// Lower-case "key path\nvalue name" -> value.
    std::map<std::string, RegistryValue> values_;
    bool loaded_ = false;
};

} // namespace plat
