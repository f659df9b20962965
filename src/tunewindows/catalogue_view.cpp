#include "tunewindows/catalogue_view.h"

#include "platform/surface.h"
#include "tunewindows/ringdata_view.h"

#include <algorithm>

namespace qte {

namespace {
constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kNameColour = rgbColour(200, 255, 200);
constexpr Colour kMarkColour = rgbColour(255, 255, 120); // the tune being edited
} // namespace

void resizeCatalogueView(CatalogueView& view, int clientHeight)
{
    view.catalogueVisibleRows = std::max(0, clientHeight) / kTextLineHeight;
}

ScrollSetting catalogueVerticalBar(const CatalogueView& view, std::int32_t tuneCount)
{
    return {0, std::max(tuneCount, 1), view.catalogueVisibleRows, view.catalogueTopRow, false};
}

bool scrollCatalogue(CatalogueView& view, std::int32_t tuneCount, ScrollCode code,
                     std::int32_t trackPosition)
{
    bool handled = true;
    switch (code) {
    case ScrollCode::LineUp: view.catalogueTopRow -= 1; break;
    case ScrollCode::LineDown: view.catalogueTopRow += 1; break;
    case ScrollCode::PageUp: view.catalogueTopRow -= view.catalogueVisibleRows; break;
    case ScrollCode::PageDown: view.catalogueTopRow += view.catalogueVisibleRows; break;
    case ScrollCode::ThumbTrack: view.catalogueTopRow = trackPosition; break;
    default: handled = false; break;
    }
    const std::int32_t last = tuneCount - view.catalogueVisibleRows + 1;
    if (view.catalogueTopRow >= last) view.catalogueTopRow = last;
    if (view.catalogueTopRow <= 0) view.catalogueTopRow = 0;
    return handled;
}

void PaintCatalogue(const CatalogueView& view, const std::vector<std::string>& names,
                    const CatalogueMark& mark, Surface& surface)
{
    surface.fillRect({0, 0, surface.width(), surface.height()}, kBlack);
    const auto tuneCount = static_cast<std::int32_t>(names.size());
    for (std::int32_t r = 1; r < view.catalogueVisibleRows; ++r) {
        const std::int32_t entry = view.catalogueTopRow + r;
        if (entry < 1 || entry > tuneCount) break;
        const std::string& name = names[static_cast<std::size_t>(entry - 1)];
        if (entry == mark.entry)
            surface.text(0, kTextLineHeight * r, mark.modified ? name + "*" : name, kMarkColour,
                         kBlack, true);
        else
            surface.text(0, kTextLineHeight * r, name, kNameColour, kBlack, true);
    }
}

std::optional<std::int32_t> catalogueEntryAtMouse(const CatalogueView& view, std::int32_t tuneCount)
{
    const std::int32_t row = view.catalogueMouseY / kTextLineHeight;
    const std::int32_t entry = view.catalogueTopRow + row;
    if (row < 1 || entry < 1 || entry > tuneCount) return std::nullopt;
    return entry;
}

std::string catalogueCaption(const std::string& ringdataTitle)
{
    if (ringdataTitle.empty()) return "No Ringdata opened";
    return "Tones in " + ringdataTitle;
}

} // namespace qte
