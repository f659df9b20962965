#pragma once
// A tick count that moves only when the test says so.

#include "platform/tick.h"

namespace qte::fakes {

class FakeTickClock final : public TickClock {
public:
    std::uint32_t nowMs() const override { return now; }
    void advance(std::uint32_t ms) { now += ms; }
    std::uint32_t now = 0;
};

} // namespace qte::fakes
