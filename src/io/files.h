#pragma once
// Whole-file reads and atomic writes, with errors as sentences that name the
// file and the reason.

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qte {

struct FileError {
    std::string message; // "Cannot open \"x.h\": No such file or directory"
    int errnoValue = 0;  // the reason as errno names it; 0 when it has no such number
    [[nodiscard]] bool notFound() const { return errnoValue == ENOENT || errnoValue == ENOTDIR; }
};

struct FileReadResult {
    std::optional<std::string> bytes; // empty on failure, with error set
    FileError error;
};

// Files larger than this are refused rather than read into memory.
constexpr std::uintmax_t kMaxReadBytes = 256u * 1024u * 1024u;

[[nodiscard]] FileReadResult readWholeFile(const std::filesystem::path& path);

// Writes to a temporary file in the target's folder, flushes it and renames
// it over the target, so a failed save leaves the old file as it was.
// Returns the error, or nothing on success.
[[nodiscard]] std::optional<FileError> writeFileAtomically(const std::filesystem::path& path,
                                                           std::string_view bytes);

// What the file system says of a file without reading it: a write changes
// its size or its modification time (within the file system's resolution).
struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modifiedNs = 0; // since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Nothing when the path names no file that can be examined.
[[nodiscard]] std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

// "Cannot <verb> \"<path>\": <reason of errno>".
[[nodiscard]] FileError describeFileError(std::string_view verb, const std::filesystem::path& path,
                                          int errnoValue);

// The folder of the running program ("" when the system does not say).
[[nodiscard]] std::filesystem::path executableFolder();

} // namespace qte
