#pragma once
// The millisecond tick count that times playback and mouse presses.

#include <cstdint>

namespace qte {

class TickClock {
public:
    virtual ~TickClock() = default;
    // Milliseconds since an arbitrary start; wraps like GetTickCount.
    [[nodiscard]] virtual std::uint32_t nowMs() const = 0;
};

} // namespace qte
