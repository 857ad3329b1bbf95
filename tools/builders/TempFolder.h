#pragma once
#include <string>

namespace vqt::test {

/// A fresh folder under the system's temporary folder, removed with its contents at the end.
/// With `enter` set it is also the working folder for its lifetime.
class TempFolder {
public:
    explicit TempFolder(bool enter = false);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    /// The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
};

} // namespace vqt::test
