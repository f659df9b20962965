#include "io/linereader.h"

#include <algorithm>
#include <cstring>

namespace qte {

std::optional<ReadLine> LineReader::next(std::size_t bufferSize)
{
    if (bufferSize < 2) return std::nullopt;
    if (m_pos >= m_data.size()) {
        m_eof = true;
        return std::nullopt;
    }
    const std::size_t limit = bufferSize - 1;
    const std::size_t window = std::min(limit, m_data.size() - m_pos);
    const void* newline = std::memchr(m_data.data() + m_pos, '\n', window);
    const std::size_t end =
        newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - m_data.data()) + 1
                : m_pos + window;
    ReadLine line;
    line.text = m_data.substr(m_pos, end - m_pos);
    m_pos = end;
    // fgets sets end-of-file only when it tried to read past the last byte.
    if (m_pos >= m_data.size() && line.text.back() != '\n' && line.text.size() < limit) {
        m_eof = true;
    }
    line.hitEnd = m_eof;
    return line;
}

} // namespace qte
