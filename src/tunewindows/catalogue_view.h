#pragma once
// "Tunes in Ringdata": the catalogue of the opened Ringdata.h, one name a
// row. Row 0 is never drawn, so the first tune shows in the second row.

#include "platform/scroll.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qte {

class Surface;

struct CatalogueView {
    std::int32_t catalogueTopRow = 0;
    std::int32_t catalogueVisibleRows = 0;
    std::int32_t catalogueMouseX = 0;
    std::int32_t catalogueMouseY = 0;
};

void resizeCatalogueView(CatalogueView& view, int clientHeight);

[[nodiscard]] ScrollSetting catalogueVerticalBar(const CatalogueView& view, std::int32_t tuneCount);

bool scrollCatalogue(CatalogueView& view, std::int32_t tuneCount, ScrollCode code,
                     std::int32_t trackPosition);

// The entry the tune in the editor was loaded from, 0 when none; modified
// while it holds unsaved changes.
struct CatalogueMark {
    std::int32_t entry = 0;
    bool modified = false;
};

// names[i - 1] is the name of entry i. The marked entry is drawn in its own
// colour, with a "*" after its name while modified.
void PaintCatalogue(const CatalogueView& view, const std::vector<std::string>& names,
                    const CatalogueMark& mark, Surface& surface);

// The entry under the last mouse position, or nothing when that row shows no
// tune (row 0, or below the last tune).
[[nodiscard]] std::optional<std::int32_t> catalogueEntryAtMouse(const CatalogueView& view,
                                                                std::int32_t tuneCount);

[[nodiscard]] std::string catalogueCaption(const std::string& ringdataTitle);

} // namespace qte
