#pragma once
// The open and save file dialogs. The filter the user leaves the dialog
// with, not the file's extension, says what kind of file was chosen.

#include <optional>
#include <string>
#include <vector>

namespace qte {

struct FileFilter {
    std::string name;    // "OTA files"
    std::string pattern; // "*.ota"
};

struct FileChoice {
    std::string path;
    int filterIndex = 1; // 1-based, in the order of the filters given
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The file must exist. initialPath is what the dialog starts with (the
    // last chosen path). Nothing when the user cancels.
    [[nodiscard]] virtual std::optional<FileChoice> openFile(const std::vector<FileFilter>& filters,
                                                             const std::string& initialPath) = 0;

    // The folder must exist; the file may not.
    [[nodiscard]] virtual std::optional<FileChoice> saveFile(const std::vector<FileFilter>& filters,
                                                             const std::string& initialPath) = 0;
};

} // namespace qte
