#include "support/ppm_image.h"

#include "io/files.h"

#include <cctype>
#include <cstdint>

namespace qte {
namespace {

// Largest image accepted: far above any picture of the editor.
constexpr long kMaxSide = 16384;

class HeaderCursor {
public:
    explicit HeaderCursor(std::string_view bytes) : m_bytes(bytes) {}

    // The next decimal field after white space and comments.
    std::optional<long> number()
    {
        skipSpace();
        long value = 0;
        std::size_t digits = 0;
        while (m_pos < m_bytes.size() && std::isdigit(static_cast<unsigned char>(m_bytes[m_pos]))) {
            value = value * 10 + (m_bytes[m_pos] - '0');
            ++m_pos;
            if (++digits > 6) return std::nullopt;
        }
        if (digits == 0) return std::nullopt;
        return value;
    }
    // The single white-space byte that ends the header.
    bool endOfHeader()
    {
        if (m_pos >= m_bytes.size() || !std::isspace(static_cast<unsigned char>(m_bytes[m_pos])))
            return false;
        ++m_pos;
        return true;
    }
    [[nodiscard]] std::size_t pos() const { return m_pos; }

private:
    void skipSpace()
    {
        while (m_pos < m_bytes.size()) {
            const char c = m_bytes[m_pos];
            if (c == '#') {
                while (m_pos < m_bytes.size() && m_bytes[m_pos] != '\n')
                    ++m_pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else {
                return;
            }
        }
    }

    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

PpmResult fail(std::string message)
{
    PpmResult r;
    r.error = std::move(message);
    return r;
}

} // namespace

PpmResult readPpmImage(std::string_view bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
        return fail("Not a binary PPM image.");
    HeaderCursor cursor(bytes.substr(2));
    const auto width = cursor.number();
    const auto height = cursor.number();
    const auto maxValue = cursor.number();
    if (!width || !height || !maxValue || !cursor.endOfHeader())
        return fail("The PPM image header is damaged.");
    if (*width < 1 || *height < 1 || *width > kMaxSide || *height > kMaxSide)
        return fail("The PPM image size is out of range.");
    if (*maxValue != 255) return fail("Only PPM images with 8 bits per channel are read.");
    const std::size_t start = 2 + cursor.pos();
    const std::size_t needed =
        static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height) * 3;
    if (bytes.size() - start < needed) return fail("The PPM image ends before its last pixel.");
    PpmResult r;
    r.image.emplace(static_cast<int>(*width), static_cast<int>(*height));
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data() + start);
    for (int y = 0; y < *height; ++y)
        for (int x = 0; x < *width; ++x, p += 3)
            r.image->setPixel(x, y, rgbColour(p[0], p[1], p[2]));
    return r;
}

PpmResult readPpmImage(const std::filesystem::path& path)
{
    FileReadResult read = readWholeFile(path);
    if (!read.bytes) return fail(read.error.message);
    return readPpmImage(std::string_view(*read.bytes));
}

} // namespace qte
