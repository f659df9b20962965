#pragma once
// The editor's button table, embedded in the program as a PNG resource.

#include "platform/image_surface.h"

#include <QImage>

namespace qte {

constexpr int kButtonTableWidth = 357;
constexpr int kButtonTableHeight = 495;
inline constexpr const char* kButtonTableResource = ":/buttontable.png";

// The embedded image as 0xffRRGGBB pixels; a null image if it is missing.
[[nodiscard]] QImage loadButtonTableImage();

// A copy of image as a plain pixel surface (for the drawing code that
// takes a Surface as its source).
[[nodiscard]] ImageSurface imageSurfaceFrom(const QImage& image);

} // namespace qte
