#pragma once
// Reads fields of 1 to 8 bits most significant bit first from a byte string,
// never past its end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qte {

class BitReader {
public:
    // The bytes must outlive the reader.
    explicit BitReader(std::string_view bytes) : m_bytes(bytes) {}

    // The next n bits (1 to 8) as an unsigned value, or nothing (and no
    // advance) when fewer than n bits are left.
    [[nodiscard]] std::optional<std::uint8_t> getBits(int n);

    // Skips to the next byte boundary.
    void alignToByte() { m_bitPos = (m_bitPos + 7) / 8 * 8; }

    [[nodiscard]] std::size_t bitsLeft() const { return m_bytes.size() * 8 - m_bitPos; }
    [[nodiscard]] std::size_t bitPosition() const { return m_bitPos; }

private:
    std::string_view m_bytes;
    std::size_t m_bitPos = 0;
};

} // namespace qte
