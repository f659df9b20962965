#pragma once
// Binary PPM (P6, 8 bits per channel) images: the form in which the plain
// C++ side and its tests read the editor's button table.

#include "platform/image_surface.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qte {

struct PpmResult {
    std::optional<ImageSurface> image;
    std::string error; // a sentence when image is empty
};

// Reads P6 bytes with a maximum value of 255; comments in the header are
// skipped. Anything else, or too few pixel bytes, is an error.
[[nodiscard]] PpmResult readPpmImage(std::string_view bytes);
[[nodiscard]] PpmResult readPpmImage(const std::filesystem::path& path);

} // namespace qte
