#pragma once
// Packs fields of 1 to 8 bits most significant bit first, with no gaps.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qte {

class BitWriter {
public:
    // Appends the low n bits of value (n from 1 to 8; higher bits of value
    // are ignored). n = 0 pads to the next byte boundary.
    void putBits(int n, std::uint8_t value);

    // Overwrites n bits (1 to 8) already written, starting at bitOffset;
    // used for a count that is known only at the end. Bits past what was
    // written are left alone.
    void patchBits(std::size_t bitOffset, int n, std::uint8_t value);

    [[nodiscard]] std::size_t bitCount() const { return m_bitCount; }

    // Every byte the fields have filled completely; a last byte that is only
    // partly filled is not part of it.
    [[nodiscard]] std::string completedBytes() const { return m_bytes.substr(0, m_bitCount / 8); }

private:
    void putBit(bool bit);

    std::string m_bytes; // the partly filled byte, if any, is last
    std::size_t m_bitCount = 0;
};

} // namespace qte
