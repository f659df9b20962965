#pragma once
// Where the programs find config.cfg and midihz.ini: the folder they were
// started in first, as always, then the folder of the files they ship with,
// so that a program started from anywhere (a desktop launcher, a shell in
// the home folder) still reads our tone text configuration.

#include "io/file_store.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

struct ConfigFolders {
    std::filesystem::path start;
    std::filesystem::path data; // empty when there is none
};

// The shipped files of a program that runs from executableFolder: the
// installed data folder when the program is installed (share/quelo-tune-editor
// of its prefix), else the executable's own folder (a build, which copies
// them there). Empty for an empty folder.
[[nodiscard]] std::filesystem::path dataFolderFor(const std::filesystem::path& executableFolder);

// The folders to look in, in order, each once.
[[nodiscard]] std::vector<std::filesystem::path> searchOrder(const ConfigFolders& folders);

struct ConfigFileRead {
    std::optional<std::string> bytes;
    std::filesystem::path path;     // where the bytes came from
    std::optional<FileError> error; // a file that is there but cannot be read
    [[nodiscard]] bool missing() const { return !bytes && !error; }
};

// The first of the folders that holds the file. A file that exists but
// cannot be read ends the search with its error.
[[nodiscard]] ConfigFileRead readConfigFile(FileStore& files, const ConfigFolders& folders,
                                            std::string_view name);

// "No config.cfg in <start> or <data>: the tone text uses built-in defaults".
[[nodiscard]] std::string missingConfigMessage(const ConfigFolders& folders);

} // namespace qte
