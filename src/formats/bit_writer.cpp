#include "formats/bit_writer.h"

namespace qte {

void BitWriter::putBit(bool bit)
{
    const std::size_t byte = m_bitCount / 8;
    if (byte == m_bytes.size()) m_bytes.push_back('\0');
    if (bit) m_bytes[byte] = static_cast<char>(m_bytes[byte] | (0x80 >> (m_bitCount % 8)));
    ++m_bitCount;
}

void BitWriter::putBits(int n, std::uint8_t value)
{
    if (n <= 0) {
        while (m_bitCount % 8 != 0)
            putBit(false);
        return;
    }
    if (n > 8) n = 8;
    for (int i = n - 1; i >= 0; --i)
        putBit(((value >> i) & 1) != 0);
}

void BitWriter::patchBits(std::size_t bitOffset, int n, std::uint8_t value)
{
    if (n > 8) n = 8;
    for (int i = 0; i < n; ++i) {
        const std::size_t pos = bitOffset + static_cast<std::size_t>(i);
        if (pos >= m_bitCount) return;
        const auto mask = static_cast<unsigned char>(0x80 >> (pos % 8));
        auto& byte = reinterpret_cast<unsigned char&>(m_bytes[pos / 8]);
        if ((value >> (n - 1 - i)) & 1)
            byte = static_cast<unsigned char>(byte | mask);
        else
            byte = static_cast<unsigned char>(byte & ~mask);
    }
}

} // namespace qte
