#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace plat {

/// A registry value: a text (REG_SZ) or a 32-bit number (REG_DWORD).
struct RegistryValue {
    enum class Type { String, Dword };
    Type type = Type::String;
    std::string text;
    uint32_t dword = 0;
};

/// Read-only access to the machine-wide registry values (HKEY_LOCAL_MACHINE).
class Registry {
public:
    virtual ~Registry() = default;
    /// The value `name` of the key `keyPath` (such as "Software\\Company\\Product"); key paths
    /// and value names compare without regard to case. Nothing when the key or the value is
    /// absent.
    virtual std::optional<RegistryValue> QueryMachineValue(const std::string& keyPath,
                                                           const std::string& name) = 0;
};

} // namespace plat
