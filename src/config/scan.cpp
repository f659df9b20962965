#include "config/scan.h"

#include <algorithm>
#include <climits>

namespace qte {

bool IsScanfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<std::int32_t> ScanDecimalPrefix(std::string_view text, std::size_t& consumed)
{
    std::size_t i = 0;
    while (i < text.size() && IsScanfSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value <= INT32_MAX) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (i == firstDigit) return std::nullopt;
    consumed = i;
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::optional<std::int32_t> ScanDecimal(std::string_view text)
{
    std::size_t used = 0;
    return ScanDecimalPrefix(text, used);
}

} // namespace qte
