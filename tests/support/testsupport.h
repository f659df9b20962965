#pragma once
// Small helpers shared by the test executables.

#include <filesystem>
#include <string>
#include <string_view>

namespace qte::test {

// The repository's resources/ folder.
std::filesystem::path resourcePath(std::string_view relative);

// A fresh, empty directory under the system temp folder, removed on
// destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::filesystem::path file(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string readFileOrDie(const std::filesystem::path& path);
void writeFileOrDie(const std::filesystem::path& path, std::string_view bytes);

} // namespace qte::test
