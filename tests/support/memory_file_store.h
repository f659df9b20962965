#pragma once
// A file store in memory, for the editor's file commands under test.

#include "io/file_store.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

// Files in memory, with a log of every access. A path listed in failWrites
// refuses to be written.
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

    std::map<std::filesystem::path, std::string> files;
    std::vector<std::filesystem::path> failWrites;
    std::vector<Access> log;
};

} // namespace qte
