#pragma once
// Scroll bar settings and codes, as the text windows compute them; the
// window layer applies them to its real scroll bars.

#include <cstdint>

#include "platform/window.h"

namespace qte {

enum class ScrollCode : std::int32_t {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6, // also "left" on a horizontal bar
    Bottom = 7,
    EndScroll = 8,
};

struct ScrollSetting {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t page = 0;
    std::int32_t position = 0;
    bool disableWhenNotNeeded = true;
    friend bool operator==(const ScrollSetting&, const ScrollSetting&) = default;
};

[[nodiscard]] inline ScrollBarState toBar(const ScrollSetting& s)
{
    return {s.minimum, s.maximum, s.page, s.position};
}

} // namespace qte
