#include "formats/byte_cursor.h"

namespace qte {

namespace {

constexpr int kMaxVarLengthBytes = 4;

} // namespace

std::optional<std::uint16_t> ByteCursor::u16()
{
    if (left() < 2) return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_pos);
    m_pos += 2;
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::optional<std::uint32_t> ByteCursor::u32()
{
    if (left() < 4) return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_pos);
    m_pos += 4;
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

std::optional<std::string_view> ByteCursor::take(std::size_t n)
{
    if (left() < n) return std::nullopt;
    const std::string_view s = m_bytes.substr(m_pos, n);
    m_pos += n;
    return s;
}

std::optional<std::uint32_t> ByteCursor::varLength()
{
    std::uint32_t value = 0;
    for (int i = 0; i < kMaxVarLengthBytes; ++i) {
        if (m_pos + static_cast<std::size_t>(i) >= m_bytes.size()) return std::nullopt;
        const auto byte = static_cast<unsigned char>(m_bytes[m_pos + static_cast<std::size_t>(i)]);
        value = (value << 7) | (byte & 0x7Fu);
        if ((byte & 0x80u) == 0) {
            m_pos += static_cast<std::size_t>(i) + 1;
            return value;
        }
    }
    return std::nullopt;
}

bool ByteCursor::skip(std::size_t n)
{
    if (left() < n) return false;
    m_pos += n;
    return true;
}

} // namespace qte
