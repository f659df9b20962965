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
    const auto listed = [&path](const std::vector<std::filesystem::path>& paths) {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    };
    const bool refused = listed(failWrites) || listed(failRenames);
    log.push_back({true, path, !refused});
    if (listed(failWrites)) return describeFileError("write", path, EACCES);
    // As the disk's store does: the new bytes go to a file beside it first.
    const std::filesystem::path temporary =
        path.parent_path() / ("." + path.filename().string() + ".save");
    files[temporary] = std::string(bytes);
    if (listed(failRenames)) {
        files.erase(temporary);
        return describeFileError("write", path, EXDEV);
    }
    files[path] = std::move(files[temporary]);
    files.erase(temporary);
    touch(path);
    return std::nullopt;
}

bool MemoryFileStore::exists(const std::filesystem::path& path)
{
    return files.count(path) > 0;
}

std::optional<FileStamp> MemoryFileStore::stamp(const std::filesystem::path& path)
{
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return FileStamp{it->second.size(), modified[path]};
}

} // namespace qte
