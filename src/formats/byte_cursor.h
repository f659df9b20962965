#pragma once
// Reads bytes, big-endian numbers and MIDI variable-length numbers from a
// byte string, never past its end: the byte-wise sibling of BitReader.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qte {

class ByteCursor {
public:
    // The bytes must outlive the cursor.
    explicit ByteCursor(std::string_view bytes) : m_bytes(bytes) {}

    // Each read returns nothing, and does not move, when the bytes it needs
    // are not all there.
    [[nodiscard]] std::optional<std::uint8_t> next()
    {
        if (m_pos >= m_bytes.size()) return std::nullopt;
        return static_cast<std::uint8_t>(m_bytes[m_pos++]);
    }
    [[nodiscard]] std::optional<std::uint8_t> peek() const
    {
        if (m_pos >= m_bytes.size()) return std::nullopt;
        return static_cast<std::uint8_t>(m_bytes[m_pos]);
    }
    [[nodiscard]] std::optional<std::uint16_t> u16();
    [[nodiscard]] std::optional<std::uint32_t> u32();
    // The next n bytes as they stand.
    [[nodiscard]] std::optional<std::string_view> take(std::size_t n);
    // A MIDI variable-length number: 7 bits a byte, the high bit set on all
    // but the last, at most 4 bytes (values below 2^28). Nothing for a
    // number cut off by the end or longer than 4 bytes.
    [[nodiscard]] std::optional<std::uint32_t> varLength();

    [[nodiscard]] bool skip(std::size_t n);

    [[nodiscard]] std::size_t offset() const { return m_pos; }
    [[nodiscard]] std::size_t left() const { return m_bytes.size() - m_pos; }
    [[nodiscard]] bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

} // namespace qte
