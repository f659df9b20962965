#include "config/frequency_table.h"

#include "io/linereader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qte {

namespace {

constexpr int kFirstTunedPitch = 13;
constexpr int kLastTunedPitch = 108;
constexpr double kTopFrequency = 4187.01;

// Pitches 13..108, twelve to a row.
constexpr double kTunedFrequencies[kLastTunedPitch - kFirstTunedPitch + 1] = {
    17.31,   18.36,   19.45,   20.60,   21.84,   23.13,   24.51,   25.94,   27.51,   29.13,
    30.85,   32.71,   34.62,   36.72,   38.91,   41.20,   43.68,   46.25,   49.02,   51.88,
    55.03,   58.27,   61.70,   65.42,   69.24,   73.43,   77.82,   82.40,   87.36,   92.51,
    98.04,   103.76,  110.05,  116.54,  123.41,  130.84,  138.47,  146.87,  155.64,  164.79,
    174.71,  185.01,  196.08,  207.52,  220.11,  233.08,  246.81,  261.69,  276.95,  293.73,
    311.28,  329.59,  349.43,  370.03,  392.15,  415.04,  440.22,  466.16,  493.62,  523.38,
    553.89,  587.46,  622.56,  659.18,  698.85,  740.05,  784.30,  830.08,  880.43,  932.31,
    987.24,  1046.70, 1107.79, 1174.93, 1245.12, 1318.36, 1397.71, 1480.10, 1568.60, 1660.16,
    1760.86, 1864.62, 1974.49, 2093.51, 2215.58, 2349.85, 2490.23, 2636.72, 2795.41, 2960.21,
    3137.21, 3320.31, 3521.73, 3729.25, 3948.97, 4187.01,
};

bool isScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void skipSpaces(std::string_view& s)
{
    while (!s.empty() && isScanSpace(s.front()))
        s.remove_prefix(1);
}

// A decimal integer as "%d" reads it; nothing when no digit follows or the
// value does not fit.
std::optional<int> scanInt(std::string_view& s)
{
    skipSpaces(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    long long value = 0;
    bool any = false;
    bool tooLarge = false;
    while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        any = true;
        if (value < 1'000'000'000'000LL)
            value = value * 10 + (s.front() - '0');
        else
            tooLarge = true;
        s.remove_prefix(1);
    }
    if (!any || tooLarge) return std::nullopt;
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// A number as "%f" reads it into a float: decimal or hexadecimal, inf, nan.
// Independent of the process locale, so a decimal point is always '.'.
std::optional<float> scanFloat(std::string_view s)
{
    skipSpaces(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::chars_format format = std::chars_format::general;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        const char next = s[2];
        const bool hexDigit = (next >= '0' && next <= '9') || (next >= 'a' && next <= 'f') ||
                              (next >= 'A' && next <= 'F') || next == '.';
        if (hexDigit) {
            format = std::chars_format::hex;
            s.remove_prefix(2);
        }
    }
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) return std::nullopt;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    float value = 0.0f;
    auto [ptr, ec] = std::from_chars(first, last, value, format);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a float: as the C library does, give
        // infinity or the nearest small value.
        long double wide = 0.0L;
        auto wideResult = std::from_chars(first, last, wide, format);
        if (wideResult.ec == std::errc::invalid_argument) return std::nullopt;
        if (wideResult.ec == std::errc::result_out_of_range) {
            // Beyond even long double: decide by the sign of the exponent.
            const std::string_view text(first, static_cast<std::size_t>(last - first));
            const auto exp = text.find_first_of(format == std::chars_format::hex ? "pP" : "eE");
            const bool tiny =
                exp != std::string_view::npos && exp + 1 < text.size() && text[exp + 1] == '-';
            value = tiny ? 0.0f : std::numeric_limits<float>::infinity();
        } else if (std::fabs(wide) > std::numeric_limits<float>::max()) {
            value = std::numeric_limits<float>::infinity();
        } else {
            value = static_cast<float>(wide);
        }
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    (void)ptr;
    return negative ? -value : value;
}

// "%d,%f" on one line: the comma must follow the integer directly.
void applyLine(FrequencyTable& table, std::string_view line, int& applied)
{
    // The line is C text: a NUL ends it.
    line = line.substr(0, line.find('\0'));
    const std::optional<int> pitch = scanInt(line);
    if (!pitch || line.empty() || line.front() != ',') return;
    line.remove_prefix(1);
    const std::optional<float> hz = scanFloat(line);
    if (!hz) return;
    if (*pitch < 0 || *pitch >= kPitchCount) return;
    table[static_cast<std::size_t>(*pitch)] = static_cast<double>(*hz);
    ++applied;
}

} // namespace

FrequencyTable DefaultFrequencyTable()
{
    FrequencyTable table{};
    for (int p = 0; p < kPitchCount; ++p) {
        double hz = 0.0;
        if (p > kLastTunedPitch)
            hz = kTopFrequency;
        else if (p >= kFirstTunedPitch)
            hz = kTunedFrequencies[p - kFirstTunedPitch];
        table[static_cast<std::size_t>(p)] = hz;
    }
    return table;
}

int LoadFrequencyTable(FrequencyTable& table, std::string_view bytes)
{
    LineReader reader(bytes);
    int applied = 0;
    // End of file is tested before each read, so a last line without a line
    // end still counts.
    while (!reader.eof()) {
        const std::optional<ReadLine> line = reader.next(kFrequencyLineChars + 1);
        if (!line) break;
        applyLine(table, line->text, applied);
    }
    return applied;
}

FrequencyFileResult LoadFrequencyTable(FrequencyTable& table, const std::filesystem::path& path)
{
    FrequencyFileResult result;
    FileReadResult file = readWholeFile(path);
    if (!file.bytes) {
        result.error = std::move(file.error);
        return result;
    }
    result.linesApplied = LoadFrequencyTable(table, *file.bytes);
    return result;
}

NoteFrequencyTable BuildNoteFrequencies(const FrequencyTable& table)
{
    NoteFrequencyTable hz{};
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    for (std::size_t p = 0; p < hz.size(); ++p) {
        const double v = table[p] + 0.5;
        if (std::isnan(v))
            hz[p] = 0;
        else if (v <= kLowest)
            hz[p] = std::numeric_limits<std::int32_t>::min();
        else if (v >= kHighest)
            hz[p] = std::numeric_limits<std::int32_t>::max();
        else
            hz[p] = static_cast<std::int32_t>(v);
    }
    return hz;
}

} // namespace qte
