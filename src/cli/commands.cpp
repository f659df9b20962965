#include "cli/commands.h"

#include "tune/ringdata_file.h"

#include <algorithm>
#include <memory>

namespace qte::cli {

namespace {

void printWarnings(const ToneTextResult& result, std::ostream& err)
{
    for (const std::string& w : result.warnings)
        err << "warning: " << w << "\n";
}

} // namespace

int runList(const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
    auto catalogue = std::make_unique<TuneCatalogue>();
    const ToneTextResult r = ScanRingdataFile(file, *catalogue);
    printWarnings(r, err);
    if (!r.ok()) {
        err << "error: " << r.error << "\n";
        return 1;
    }
    if (catalogue->tuneCount == 0) {
        err << "\"" << file.string() << "\" holds no tone definitions.\n";
        return 0;
    }
    std::size_t nameWidth = 0;
    for (int i = 1; i <= catalogue->tuneCount; ++i) {
        nameWidth =
            std::max(nameWidth, catalogue->entries[static_cast<std::size_t>(i)].name.size());
    }
    const std::size_t indexWidth = std::to_string(catalogue->tuneCount).size();
    for (int i = 1; i <= catalogue->tuneCount; ++i) {
        const CatalogueEntry& e = catalogue->entries[static_cast<std::size_t>(i)];
        const std::string index = std::to_string(i);
        out << std::string(indexWidth - index.size(), ' ') << index << "  " << e.name
            << std::string(nameWidth - e.name.size(), ' ') << "  lines " << e.firstLine << "-"
            << e.lastLine << "\n";
    }
    return 0;
}

} // namespace qte::cli
