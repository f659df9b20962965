#pragma once
// Whole-file reads and atomic writes behind an interface, so the editor's
// commands can be run against files held in memory and tests can see which
// files were read and written, in which order.

#include "io/files.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qte {

class FileStore {
public:
    virtual ~FileStore() = default;
    // The bytes, or an error sentence naming the file.
    [[nodiscard]] virtual FileReadResult read(const std::filesystem::path& path) = 0;
    // Atomic: on failure an existing file is left as it was.
    [[nodiscard]] virtual std::optional<FileError> write(const std::filesystem::path& path,
                                                         std::string_view bytes) = 0;
    // Whether something is there that a write would replace.
    [[nodiscard]] virtual bool exists(const std::filesystem::path& path) = 0;
};

// The real file system (readWholeFile, writeFileAtomically).
class DiskFileStore final : public FileStore {
public:
    FileReadResult read(const std::filesystem::path& path) override;
    std::optional<FileError> write(const std::filesystem::path& path,
                                   std::string_view bytes) override;
    bool exists(const std::filesystem::path& path) override;
};

} // namespace qte
