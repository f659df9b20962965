#pragma once
// A file store in memory, for the editor's file commands under test.

#include "io/file_store.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

// Files in memory, with a log of every access. A path listed in failWrites
// refuses to be written; one in failRenames is written to its temporary
// file, which then cannot be renamed over it (and is taken away again).
// Every write moves a file's modification time on by a second; a test
// moves it with touch().
class MemoryFileStore final : public FileStore {
public:
    struct Access {
        bool write = false;
        std::filesystem::path path;
        bool ok = false;
    };

    FileReadResult read(const std::filesystem::path& path) override;
    std::optional<FileError> write(const std::filesystem::path& path,
                                   std::string_view bytes) override;
    bool exists(const std::filesystem::path& path) override;
    std::optional<FileStamp> stamp(const std::filesystem::path& path) override;

    // The file changed on disk without a change of its bytes.
    void touch(const std::filesystem::path& path) { modified[path] += kSecondNs; }

    static constexpr std::int64_t kSecondNs = 1'000'000'000;
    std::map<std::filesystem::path, std::string> files;
    std::map<std::filesystem::path, std::int64_t> modified; // ns since the epoch
    std::vector<std::filesystem::path> failWrites;
    std::vector<std::filesystem::path> failRenames;
    std::vector<Access> log;
};

} // namespace qte
