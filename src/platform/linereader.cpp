#include "platform/linereader.h"

namespace qte {

std::optional<ReadLine> LineReader::next(std::size_t bufferSize)
{
    if (bufferSize < 2) return std::nullopt;
    if (m_pos >= m_data.size()) {
        m_eof = true;
        return std::nullopt;
    }
    const std::size_t limit = bufferSize - 1;
    std::size_t end = m_pos;
    while (end < m_data.size() && end - m_pos < limit) {
        if (m_data[end++] == '\n') break;
    }
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
