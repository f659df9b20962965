#pragma once
// Small helpers shared by the test executables.

#include <cstdint>
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

// Writes to regular files fail past limitBytes while it lives, with EFBIG
// instead of the signal that would end the process. Unlike a folder without
// write permission, it also stops root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t limitBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t m_oldLimit = 0;
    void (*m_oldHandler)(int) = nullptr;
};

std::string readFileOrDie(const std::filesystem::path& path);
void writeFileOrDie(const std::filesystem::path& path, std::string_view bytes);

// The text with every LF line end made CR LF.
std::string withCrLf(std::string_view text);

} // namespace qte::test
