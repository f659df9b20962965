#include "config/config_folders.h"

#include <system_error>

#ifndef QTE_DATA_FROM_BIN
#define QTE_DATA_FROM_BIN "../share/quelo-tune-editor"
#endif

namespace qte {

std::filesystem::path dataFolderFor(const std::filesystem::path& executableFolder)
{
    if (executableFolder.empty()) return {};
    std::filesystem::path installed = (executableFolder / QTE_DATA_FROM_BIN).lexically_normal();
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) return installed;
    return executableFolder;
}

std::vector<std::filesystem::path> searchOrder(const ConfigFolders& folders)
{
    std::vector<std::filesystem::path> order;
    for (const std::filesystem::path& f : {folders.start, folders.data}) {
        if (f.empty()) continue;
        bool seen = false;
        std::error_code error;
        for (const std::filesystem::path& o : order)
            seen = seen || o.lexically_normal() == f.lexically_normal() ||
                   std::filesystem::equivalent(o, f, error);
        if (!seen) order.push_back(f);
    }
    return order;
}

ConfigFileRead readConfigFile(FileStore& files, const ConfigFolders& folders, std::string_view name)
{
    ConfigFileRead read;
    for (const std::filesystem::path& folder : searchOrder(folders)) {
        const std::filesystem::path path = folder / name;
        FileReadResult file = files.read(path);
        read.path = path;
        if (file.bytes) {
            read.bytes = std::move(file.bytes);
            return read;
        }
        if (!file.error.notFound()) {
            read.error = file.error;
            return read;
        }
    }
    return read;
}

std::string missingConfigMessage(const ConfigFolders& folders)
{
    std::string where;
    for (const std::filesystem::path& folder : searchOrder(folders))
        where += (where.empty() ? "" : " or ") + folder.string();
    if (where.empty()) where = ".";
    return "No config.cfg in " + where + ": the tone text uses built-in defaults";
}

} // namespace qte
