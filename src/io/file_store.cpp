#include "io/file_store.h"

namespace qte {

FileReadResult DiskFileStore::read(const std::filesystem::path& path)
{
    return readWholeFile(path);
}

std::optional<FileError> DiskFileStore::write(const std::filesystem::path& path,
                                              std::string_view bytes)
{
    return writeFileAtomically(path, bytes);
}

bool DiskFileStore::exists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace qte
