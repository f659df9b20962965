#include "formats/event_file.h"

#include "formats/format_files.h"
#include "formats/staged_import.h"
#include "tune/tune.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace qte {

namespace {

// The single-precision thousandth, applied in double precision: 375 ms is
// written 0.375000.
constexpr double kSecondsPerMs = static_cast<double>(0.001f);

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// "%f": six decimals, whatever the locale.
void appendSeconds(std::string& out, double seconds)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed, 6);
    out.append(buf, r.ec == std::errc() ? r.ptr : buf);
}

void appendEvent(std::string& out, std::int32_t code, std::int64_t ms)
{
    out += std::to_string(code);
    out += ' ';
    appendSeconds(out, static_cast<double>(ms) * kSecondsPerMs);
    out += '\n';
}

std::string count(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

class EvtParser {
public:
    EvtParser(std::string_view bytes, Tune& tune) : m_bytes(bytes), m_tune(tune) {}

    bool parse();

    std::string error;
    std::vector<std::string> warnings;

private:
    struct Problem {
        int count = 0;
        std::string where;
    };

    void skipSpaces()
    {
        while (m_pos < m_bytes.size() && isSpace(m_bytes[m_pos]))
            ++m_pos;
    }
    // The line of the event starting at offset, as "line 3: "69 x"".
    std::string describe(std::size_t offset) const;
    void note(Problem& p, std::size_t offset) const
    {
        if (p.count++ == 0) p.where = describe(offset);
    }
    void report();

    std::string_view m_bytes;
    Tune& m_tune;
    std::size_t m_pos = 0;
    Problem m_badCode;
    Problem m_badLength;
    int m_dropped = 0;
    std::int64_t m_firstDroppedMs = 0;
};

std::string EvtParser::describe(std::size_t offset) const
{
    const auto line =
        1 + std::count(m_bytes.begin(), m_bytes.begin() + static_cast<long>(offset), '\n');
    std::size_t end = m_bytes.find('\n', offset);
    if (end == std::string_view::npos) end = m_bytes.size();
    constexpr std::size_t kShown = 30;
    std::string shown;
    for (std::size_t i = offset; i < end && shown.size() < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_bytes[i]);
        if (c == '\r' && i + 1 == end) break;
        shown.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    if (end - offset > kShown) shown += "...";
    return "line " + std::to_string(line) + ": \"" + shown + "\"";
}

void EvtParser::report()
{
    if (m_badCode.count > 0)
        warnings.push_back(count(m_badCode.count, "event has", "events have") +
                           " a pitch code outside " + std::to_string(kEvtLowestPitch) + " to " +
                           std::to_string(kEvtHighestPitch) + " (the first at " + m_badCode.where +
                           "); " + (m_badCode.count == 1 ? "its" : "their") +
                           " time was kept as pause.");
    if (m_badLength.count > 0)
        warnings.push_back(count(m_badLength.count, "event has", "events have") +
                           " a length that cannot be used (the first at " + m_badLength.where +
                           "); " + (m_badLength.count == 1 ? "it was" : "they were") +
                           " left out.");
    if (m_dropped > 0)
        warnings.push_back("Only the first " + std::to_string(kMaxNotes) + " notes were loaded; " +
                           count(m_dropped, "note", "notes") + " from " +
                           std::to_string(m_firstDroppedMs) + " ms on " +
                           (m_dropped == 1 ? "was" : "were") + " dropped.");
}

bool EvtParser::parse()
{
    m_tune.noteCount = 0;
    std::int64_t t = 0;
    int events = 0;
    const char* const end = m_bytes.data() + m_bytes.size();
    auto skipPlus = [&](const char* p) { return (p < end && *p == '+') ? p + 1 : p; };

    for (;;) {
        skipSpaces();
        if (m_pos >= m_bytes.size()) break;
        const std::size_t eventStart = m_pos;
        const char* p = m_bytes.data() + m_pos;

        long long code = 0;
        const auto c = std::from_chars(skipPlus(p), end, code);
        bool scanned = c.ec != std::errc::invalid_argument;
        float seconds = 0.0f;
        std::errc lengthState = std::errc::invalid_argument;
        if (scanned) {
            m_pos = static_cast<std::size_t>(c.ptr - m_bytes.data());
            skipSpaces();
            const auto s = std::from_chars(skipPlus(m_bytes.data() + m_pos), end, seconds);
            lengthState = s.ec;
            scanned = s.ec != std::errc::invalid_argument;
            if (scanned) m_pos = static_cast<std::size_t>(s.ptr - m_bytes.data());
        }
        if (!scanned) {
            // Scanning cannot go on past something that is no number.
            if (events == 0) {
                error = "Not a valid event file: " + describe(eventStart) +
                        " is not a pitch code and a length.";
                return false;
            }
            warnings.push_back("Reading stopped at " + describe(eventStart) +
                               ", which is not a pitch code and a length.");
            break;
        }
        ++events;

        // Seconds times 1000, truncated (0.7 gives 699 ms).
        const double ms = static_cast<double>(seconds) * 1000.0;
        if (lengthState != std::errc() || !std::isfinite(ms) || ms < 0.0 ||
            ms > static_cast<double>(INT32_MAX)) {
            note(m_badLength, eventStart);
            continue;
        }
        const auto length = static_cast<std::int64_t>(ms);
        if (t + length > INT32_MAX) {
            warnings.push_back("Reading stopped at " + describe(eventStart) +
                               " would make the tune longer than " + std::to_string(INT32_MAX) +
                               " ms.");
            break;
        }
        if (c.ec == std::errc() && code == 0) {
            t += length;
            continue;
        }
        if (c.ec != std::errc() || code < kEvtLowestPitch || code > kEvtHighestPitch) {
            note(m_badCode, eventStart);
            t += length;
            continue;
        }
        if (m_tune.noteCount >= kMaxNotes) {
            if (m_dropped++ == 0) m_firstDroppedMs = t;
        } else {
            NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(++m_tune.noteCount)];
            n = NoteRecord{};
            n.pitch = static_cast<std::int32_t>(code);
            n.kind = static_cast<std::int32_t>(NoteKind::Normal);
            n.startMs = static_cast<std::int32_t>(t);
            n.durationMs = static_cast<std::int32_t>(length);
            n.endMs = static_cast<std::int32_t>(t + length);
        }
        t += length;
    }
    report();

    const float mpu = m_tune.msPerUnit;
    for (int i = 1; i <= m_tune.noteCount; ++i) {
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(i)];
        n.startUnits = msToUnits(n.startMs, mpu);
        n.endUnits = msToUnits(n.endMs, mpu);
        n.durationUnits = msToUnits(n.durationMs, mpu);
    }
    return true;
}

} // namespace

ExportResult ExportEvt(const Tune& tune)
{
    ExportResult result;
    int silentPitch = 0;
    int otherKind = 0;
    int overlapping = 0;
    int backwards = 0;
    const int notes = std::min(tune.noteCount, kMaxNotes);
    for (int i = 1; i <= notes; ++i) {
        const NoteRecord& n = tune.noteTable[static_cast<std::size_t>(i)];
        const std::int32_t prevEnd =
            i == 1 ? 0 : tune.noteTable[static_cast<std::size_t>(i - 1)].endMs;
        if (n.startMs > prevEnd)
            appendEvent(result.bytes, 0, static_cast<std::int64_t>(n.startMs) - prevEnd);
        else if (n.startMs < prevEnd)
            ++overlapping;
        // The note's own span, so that the next event starts where it ends.
        std::int64_t length = static_cast<std::int64_t>(n.endMs) - n.startMs;
        if (length < 0) {
            ++backwards;
            length = 0;
        }
        if (n.pitch < kEvtLowestPitch || n.pitch > kEvtHighestPitch) ++silentPitch;
        if (n.noteKind() != NoteKind::Normal) ++otherKind;
        appendEvent(result.bytes, n.pitch, length);
    }
    if (silentPitch > 0)
        result.warnings.push_back(
            count(silentPitch, "note has a pitch", "notes have pitches") + " outside " +
            std::to_string(kEvtLowestPitch) + " to " + std::to_string(kEvtHighestPitch) +
            "; reading the file gives pause for " + (silentPitch == 1 ? "it." : "them."));
    if (otherKind > 0)
        result.warnings.push_back(
            count(otherKind, "custom or FREQ_DEFINE note was", "custom or FREQ_DEFINE notes were") +
            " written as plain pitches of the same number.");
    if (overlapping > 0)
        result.warnings.push_back(count(overlapping, "note overlaps", "notes overlap") +
                                  " the note before; in the file the notes follow one "
                                  "another.");
    if (backwards > 0)
        result.warnings.push_back(count(backwards, "note ends", "notes end") +
                                  " before it starts; written with length 0.");
    return result;
}

ExportResult ExportEvtFile(const Tune& tune, const std::filesystem::path& path)
{
    return WriteExport(ExportEvt(tune), path);
}

FormatResult ImportEvt(std::string_view bytes, Tune& tune)
{
    return ImportStaged(tune, [&](Tune& work) { return EvtParser(bytes, work); });
}

FormatResult ImportEvtFile(const std::filesystem::path& path, Tune& tune)
{
    return ImportFromFile(path, [&](std::string_view bytes) { return ImportEvt(bytes, tune); });
}

} // namespace qte
