#include "support/memory_file_store.h"

#include <algorithm>
#include <cerrno>

namespace qte {

FileReadResult MemoryFileStore::read(const std::filesystem::path& path)
{
    const auto it = files.find(path);
    log.push_back({false, path, it != files.end()});
    if (it == files.end()) return {std::nullopt, describeFileError("open", path, ENOENT)};
    return {it->second, {}};
}

std::optional<FileError> MemoryFileStore::write(const std::filesystem::path& path,
                                                std::string_view bytes)
{
    const bool refused = std::find(failWrites.begin(), failWrites.end(), path) != failWrites.end();
    log.push_back({true, path, !refused});
    if (refused) return describeFileError("write", path, EACCES);
    files[path] = std::string(bytes);
    return std::nullopt;
}

bool MemoryFileStore::exists(const std::filesystem::path& path)
{
    return files.count(path) > 0;
}

} // namespace qte
