#include "formats/bit_reader.h"

namespace qte {

std::optional<std::uint8_t> BitReader::getBits(int n)
{
    if (n < 1 || n > 8 || static_cast<std::size_t>(n) > bitsLeft()) return std::nullopt;
    unsigned value = 0;
    for (int i = 0; i < n; ++i, ++m_bitPos) {
        const auto byte = static_cast<unsigned char>(m_bytes[m_bitPos / 8]);
        value = (value << 1) | ((byte >> (7 - m_bitPos % 8)) & 1u);
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace qte
