#pragma once
// The editor's artwork, embedded in the program as PNG resources: the
// button table and the icon drawn from it.

#include "platform/image_surface.h"

#include <QIcon>
#include <QImage>

namespace qte {

constexpr int kButtonTableWidth = 357;
constexpr int kButtonTableHeight = 495;
inline constexpr const char* kButtonTableResource = ":/buttontable.png";

// The embedded image as 0xffRRGGBB pixels; a null image if it is missing.
[[nodiscard]] QImage loadButtonTableImage();

// The program's icon in the sizes it was drawn in.
[[nodiscard]] QIcon editorIcon();

// A copy of image as a plain pixel surface (for the drawing code that
// takes a Surface as its source).
[[nodiscard]] ImageSurface imageSurfaceFrom(const QImage& image);

} // namespace qte
