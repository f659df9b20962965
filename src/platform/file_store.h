#pragma once
// Whole-file reads and atomic writes behind an interface, so the editor's
// commands can be run against files held in memory and tests can see which
// files were read and written, in which order.

#include "platform/files.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

class FileStore {
public:
    virtual ~FileStore() = default;
    // The bytes, or an error sentence naming the file.
    [[nodiscard]] virtual FileReadResult read(const std::filesystem::path& path) = 0;
    // Atomic: on failure an existing file is left as it was.
    [[nodiscard]] virtual std::optional<FileError> write(const std::filesystem::path& path,
                                                         std::string_view bytes) = 0;
};

// The real file system (readWholeFile, writeFileAtomically).
class DiskFileStore final : public FileStore {
public:
    FileReadResult read(const std::filesystem::path& path) override;
    std::optional<FileError> write(const std::filesystem::path& path,
                                   std::string_view bytes) override;
};

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

    std::map<std::filesystem::path, std::string> files;
    std::vector<std::filesystem::path> failWrites;
    std::vector<Access> log;
};

} // namespace qte
