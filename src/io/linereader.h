#pragma once
// Reads text the way the C library's fgets does, so that every reader keeps
// the line limits and end-of-file rules its file format was written for.

#include <cstddef>
#include <optional>
#include <string_view>

namespace qte {

struct ReadLine {
    std::string_view text; // up to bufferSize - 1 characters, '\n' included if read
    bool hitEnd = false;   // the read reached the end of the data (feof after fgets)
};

class LineReader {
public:
    explicit LineReader(std::string_view data) : m_data(data) {}

    // Like fgets(buf, bufferSize, f): at most bufferSize - 1 characters, up
    // to and including a '\n'. Nothing when no character is left.
    [[nodiscard]] std::optional<ReadLine> next(std::size_t bufferSize);

    [[nodiscard]] bool atEnd() const { return m_pos >= m_data.size(); }
    // feof: set once a read has run into the end of the data.
    [[nodiscard]] bool eof() const { return m_eof; }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    bool m_eof = false;
};

} // namespace qte
