#pragma once
// The file side shared by every reader and writer of tune files.

#include "formats/format_result.h"
#include "io/files.h"

#include <filesystem>
#include <string_view>

namespace qte {

// Hands the file's bytes to read, or says why they could not be had.
template <class Read> FormatResult ImportFromFile(const std::filesystem::path& path, Read&& read)
{
    const FileReadResult file = readWholeFile(path);
    if (!file.bytes) {
        FormatResult result;
        result.error = file.error.message;
        return result;
    }
    return read(std::string_view(*file.bytes));
}

// Writes an export's bytes atomically; a failed write becomes its error.
inline ExportResult WriteExport(ExportResult result, const std::filesystem::path& path)
{
    if (!result.ok()) return result;
    if (auto err = writeFileAtomically(path, result.bytes)) result.error = err->message;
    return result;
}

} // namespace qte
