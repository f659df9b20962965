#pragma once
// What an importer or exporter tells its caller.

#include <string>
#include <vector>

namespace qte {

// error is empty on success. warnings are sentences for the user (a dropped
// note, an element that could not be read); the caller shows them.
struct FormatResult {
    std::string error;
    std::vector<std::string> warnings;

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// An export: the file's bytes (written atomically by the caller or by the
// path overload) plus the outcome.
struct ExportResult : FormatResult {
    std::string bytes;
};

} // namespace qte
