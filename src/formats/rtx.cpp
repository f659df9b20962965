#include "formats/rtx.h"

#include "formats/format_files.h"
#include "formats/staged_import.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace qte {

namespace {

constexpr float kLengthAllowance = 0.001f; // a thousandth of a whole note
constexpr int kMaxNumberDigits = 9;        // keeps every number inside int32
constexpr int kWrittenDefaultOctave = 5;
constexpr std::int32_t kLowestWrittenPitch = 60;   // c4
constexpr std::int32_t kHighestWrittenPitch = 131; // h9, the last single-digit octave
constexpr std::int32_t kHighestReadPitch = 127;    // the note tables end here
constexpr int kMaxReadOctave = 9;

constexpr std::array<const char*, 12> kNoteNames = {"c",  "c#", "d",  "d#", "e",  "f",
                                                    "f#", "g",  "g#", "a",  "a#", "h"};
constexpr int kIndexOfH = 11;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
char toLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// The longest prefix of at most n bytes that does not end inside a UTF-8
// character.
std::string_view cutChars(std::string_view s, std::size_t n)
{
    if (s.size() <= n) return s;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return s.substr(0, n);
}

// An element as the user can recognise it in a message.
std::string quoted(std::string_view s)
{
    constexpr std::size_t kShown = 20;
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    if (s.size() > kShown) out += "...";
    return out + "\"";
}

std::string count(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Digits at the front of s; consumed is how many. Nothing for no digits;
// tooLarge when there are more than an int32 holds safely.
struct Number {
    bool present = false;
    bool tooLarge = false;
    int value = 0;
    std::size_t consumed = 0;
};

Number readDigits(std::string_view s)
{
    Number n;
    while (n.consumed < s.size() && isDigit(s[n.consumed])) {
        if (n.consumed >= kMaxNumberDigits)
            n.tooLarge = true;
        else
            n.value = n.value * 10 + (s[n.consumed] - '0');
        ++n.consumed;
    }
    n.present = n.consumed > 0;
    return n;
}

int noteIndex(std::string_view name)
{
    if (name.size() == 1 && toLower(name[0]) == 'b') return kIndexOfH;
    for (int i = 0; i < static_cast<int>(kNoteNames.size()); ++i) {
        const std::string_view known = kNoteNames[static_cast<std::size_t>(i)];
        if (known.size() != name.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < known.size(); ++k)
            same = same && toLower(name[k]) == known[k];
        if (same) return i;
    }
    return -1;
}

// One group of like problems, reported once with its first example.
struct Problem {
    int count = 0;
    std::string first;

    void add(std::string_view element)
    {
        if (count++ == 0) first = quoted(element);
    }
};

class RtxParser {
public:
    RtxParser(std::string_view bytes, Tune& tune, NoteLengthState& length, std::int32_t styleMode,
              bool keepNaturalNotes)
        : m_bytes(bytes), m_tune(tune), m_length(length), m_styleMode(styleMode),
          m_keepNatural(keepNaturalNotes)
    {}

    bool parse();

    std::string error;
    std::vector<std::string> warnings;

private:
    std::size_t readHeader(std::size_t pos);
    void applySetting(char key, const Number& value, std::string_view text);
    void readElement(std::string_view element);
    void addNote(int pitch, float lengthUnits);
    void report();

    std::string_view m_bytes;
    Tune& m_tune;
    NoteLengthState& m_length;
    std::int32_t m_styleMode;
    bool m_keepNatural;

    int m_duration = kRtxDefaultDuration;
    int m_octave = kRtxDefaultOctave;
    std::int32_t m_tempo = kRtxDefaultTempo;
    float m_position = 0.0f;
    bool m_readSomething = false;
    int m_dropped = 0;
    float m_firstDroppedUnits = 0.0f;
    Problem m_unreadable;
    Problem m_badDuration;
    Problem m_tooHigh;
};

// Settings are "letter=number" separated by ",", ended by ":". A header
// that stops early (no second ":") ends at the first thing that is no
// setting, which is then the first element.
std::size_t RtxParser::readHeader(std::size_t pos)
{
    const std::size_t size = m_bytes.size();
    auto skipSpaces = [&](std::size_t p) {
        while (p < size && isSpace(m_bytes[p]))
            ++p;
        return p;
    };
    for (;;) {
        pos = skipSpaces(pos);
        if (pos < size && m_bytes[pos] == ':') return pos + 1;
        std::size_t p = pos;
        if (p >= size) return p;
        const char c = m_bytes[p];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return pos;
        p = skipSpaces(p + 1);
        if (p >= size || m_bytes[p] != '=') return pos;
        p = skipSpaces(p + 1);
        const bool negative = p < size && m_bytes[p] == '-';
        if (p < size && (m_bytes[p] == '-' || m_bytes[p] == '+')) ++p;
        Number value = readDigits(m_bytes.substr(p));
        if (negative) value.value = -value.value;
        const std::size_t end = p + value.consumed;
        applySetting(toLower(c), value, m_bytes.substr(pos, end - pos));
        pos = skipSpaces(end);
        if (pos < size && m_bytes[pos] == ',') {
            ++pos;
            continue;
        }
        if (pos < size && m_bytes[pos] == ':') return pos + 1;
        return pos;
    }
}

void RtxParser::applySetting(char key, const Number& value, std::string_view text)
{
    if (key != 'd' && key != 'o' && key != 'b') return; // style, loop and others: not kept
    if (!value.present) {
        warnings.push_back("The header setting " + quoted(text) +
                           " has no number; the usual value is used.");
        return;
    }
    std::string shown = std::to_string(value.value);
    if (value.tooLarge) {
        const std::string_view digits = trim(text.substr(text.find('=') + 1));
        constexpr std::size_t kShownDigits = 20;
        shown.assign(digits.substr(0, kShownDigits));
        if (digits.size() > kShownDigits) shown += "...";
    }
    switch (key) {
    case 'd':
        if (!value.tooLarge && value.value >= 1 && value.value <= kRtxMaxDuration)
            m_duration = value.value;
        else
            warnings.push_back("The file's default duration of " + shown + " cannot be used; " +
                               std::to_string(kRtxDefaultDuration) + " is used.");
        break;
    case 'o':
        if (!value.tooLarge && value.value >= 0 && value.value <= kMaxReadOctave)
            m_octave = value.value;
        else
            warnings.push_back("The file's default octave of " + shown + " cannot be used; " +
                               std::to_string(kRtxDefaultOctave) + " is used.");
        break;
    default:
        if (!value.tooLarge && isValidTempo(value.value))
            m_tempo = value.value;
        else
            warnings.push_back("The file's tempo of " + shown + " bpm cannot be used; " +
                               std::to_string(kRtxDefaultTempo) + " bpm is used.");
        break;
    }
}

void RtxParser::readElement(std::string_view element)
{
    const Number given = readDigits(element);
    int duration = m_duration;
    if (given.present) {
        if (!given.tooLarge && given.value >= 1 && given.value <= kRtxMaxDuration)
            duration = given.value;
        else
            m_badDuration.add(element);
    }
    std::string_view rest = trim(element.substr(given.consumed));
    // The dot may stand before or after the octave digit.
    bool dotted = false;
    int octave = m_octave;
    bool octaveGiven = false;
    for (int k = 0; k < 2 && !rest.empty(); ++k) {
        if (rest.back() == '.' && !dotted) {
            dotted = true;
        } else if (isDigit(rest.back()) && !octaveGiven) {
            octaveGiven = true;
            octave = rest.back() - '0';
        } else {
            break;
        }
        rest.remove_suffix(1);
    }
    float length = 32.0f / static_cast<float>(duration);
    if (dotted) length *= 1.5f;

    if (rest.size() == 1 && toLower(rest[0]) == 'p') {
        m_readSomething = true;
        m_position += length;
        return;
    }
    const int index = noteIndex(rest);
    if (index < 0) {
        m_unreadable.add(element);
        m_position += length;
        return;
    }
    const int pitch = index + 12 * (octave + 1);
    if (pitch > kHighestReadPitch) {
        m_tooHigh.add(element);
        m_position += length;
        return;
    }
    m_readSomething = true;
    addNote(pitch, length);
}

void RtxParser::addNote(int pitch, float lengthUnits)
{
    if (m_tune.noteCount >= kMaxNotes) {
        if (m_dropped++ == 0) m_firstDroppedUnits = m_position;
    } else {
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(++m_tune.noteCount)];
        n = NoteRecord{};
        n.startUnits = m_position;
        n.durationUnits = lengthUnits;
        n.endUnits = m_position + lengthUnits;
        n.pitch = pitch;
        n.kind = static_cast<std::int32_t>(NoteKind::Normal);
    }
    m_position += lengthUnits;
}

void RtxParser::report()
{
    if (m_badDuration.count > 0)
        warnings.push_back(count(m_badDuration.count, "element has", "elements have") +
                           " a duration of 0 or above " + std::to_string(kRtxMaxDuration) +
                           " (the first: " + m_badDuration.first +
                           "); the default duration was used.");
    if (m_unreadable.count > 0)
        warnings.push_back(count(m_unreadable.count, "element", "elements") +
                           " could not be read; " + (m_unreadable.count == 1 ? "its" : "their") +
                           " time was kept as pause (the first: " + m_unreadable.first + ").");
    if (m_tooHigh.count > 0)
        warnings.push_back(count(m_tooHigh.count, "note lies", "notes lie") +
                           " above the highest pitch (" + std::to_string(kHighestReadPitch) +
                           "); " + (m_tooHigh.count == 1 ? "its" : "their") +
                           " time was kept as pause (the first: " + m_tooHigh.first + ").");
    if (m_dropped > 0)
        warnings.push_back("Only the first " + std::to_string(kMaxNotes) + " notes were loaded; " +
                           count(m_dropped, "note", "notes") + " from " +
                           std::to_string(unitsToMs(m_firstDroppedUnits, m_tune.msPerUnit)) +
                           " ms on " + (m_dropped == 1 ? "was" : "were") + " dropped.");
}

bool RtxParser::parse()
{
    const std::size_t colon = m_bytes.find(':');
    if (colon == std::string_view::npos) {
        error = "Not valid rtx file";
        return false;
    }
    std::string_view name = m_bytes.substr(0, colon);
    if (name.size() > kMaxNameChars) {
        name = cutChars(name, kMaxNameChars);
        warnings.push_back("The tone name is longer than " + std::to_string(kMaxNameChars) +
                           " characters; only the first " + std::to_string(name.size()) +
                           " were kept.");
    }
    m_tune.toneName.assign(name);
    m_tune.toneId.clear();
    for (std::size_t i = 0; i < name.size() && i < 4; ++i)
        m_tune.toneId.push_back(toUpper(name[i]));
    m_tune.noteCount = 0;

    std::size_t pos = readHeader(colon + 1);
    if (!setTempo(m_tune, m_tempo, m_keepNatural, m_length, m_styleMode)) {
        error = "The file's tempo of " + std::to_string(m_tempo) + " bpm cannot be used.";
        return false;
    }

    // Every element up to the end, also the last one without a ",".
    std::string_view rest = m_bytes.substr(pos);
    bool any = false;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view element = trim(rest.substr(0, comma));
        if (!element.empty()) {
            any = true;
            readElement(element);
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (any && !m_readSomething) {
        error = "Not valid rtx file";
        return false;
    }
    report();

    const float mpu = m_tune.msPerUnit;
    for (int i = 1; i <= m_tune.noteCount; ++i) {
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(i)];
        n.startMs = unitsToMs(n.startUnits, mpu);
        n.endMs = unitsToMs(n.endUnits, mpu);
        n.durationMs = unitsToMs(n.durationUnits, mpu);
    }
    return true;
}

// Writes one element per note value that fits, until less than a
// thirty-second note is left. Returns false once the element limit is hit.
bool writeLength(std::string& out, int& elements, float from, float to, const char* name,
                 int octave)
{
    float cursor = from;
    while (cursor < to) {
        const std::optional<RtxLength> value = ClassifyRtxLength(to - cursor);
        if (!value) break;
        if (++elements > kRtxMaxElements) return false;
        out += std::to_string(value->durationNumber());
        out += name;
        if (value->dotted) out += '.';
        if (octave >= 0 && octave != kWrittenDefaultOctave) out += std::to_string(octave);
        out += ',';
        cursor += value->units();
    }
    return true;
}

} // namespace

float RtxLength::units() const
{
    const float base = 32.0f / static_cast<float>(1 << durationCode);
    return dotted ? base * 1.5f : base;
}

std::optional<RtxLength> ClassifyRtxLength(float lengthUnits)
{
    const float x = lengthUnits / 32.0f + kLengthAllowance;
    for (int d = 0; d <= 5; ++d) {
        const float base = 1.0f / static_cast<float>(1 << d);
        if (x > 1.5f * base) return RtxLength{d, true};
        if (x > base) return RtxLength{d, false};
    }
    return std::nullopt;
}

ExportResult ExportRtx(const Tune& tune)
{
    ExportResult result;
    std::string name;
    for (char c : tune.toneName)
        if (c != ':') name.push_back(c);
    if (name.size() != tune.toneName.size())
        result.warnings.emplace_back(
            "The tone name holds \":\", which ends the name in an RTX file; it was left out.");

    std::string out = std::string(cutChars(name, kRtxMaxNameChars)) +
                      ":d=4,o=5,b=" + std::to_string(tune.tempoBpm) + ":";
    int elements = 0;
    int outOfRange = 0;
    int otherKind = 0;
    int overlapping = 0;
    float lastEnd = 0.0f; // of the last note written
    const int notes = std::min(tune.noteCount, kMaxNotes);
    for (int i = 1; i <= notes; ++i) {
        const NoteRecord& n = tune.noteTable[static_cast<std::size_t>(i)];
        if (n.pitch < kLowestWrittenPitch || n.pitch > kHighestWrittenPitch) {
            // Its time stays: the next pause reaches back to the last note written.
            ++outOfRange;
            continue;
        }
        if (n.startUnits < lastEnd) ++overlapping;
        if (n.noteKind() != NoteKind::Normal) ++otherKind;
        bool fits = writeLength(out, elements, lastEnd, n.startUnits, "p", -1);
        int v = n.pitch - 59;
        int octave = 4;
        if (v > 12) {
            const int q = (v - 1) / 12;
            octave += q;
            v -= 12 * q;
        }
        fits = fits && writeLength(out, elements, n.startUnits, n.endUnits,
                                   kNoteNames[static_cast<std::size_t>(v - 1)], octave);
        if (!fits) {
            result.error = "The tune needs more than " + std::to_string(kRtxMaxElements) +
                           " elements; it is too long for an RTX file.";
            result.warnings.clear();
            return result;
        }
        lastEnd = n.endUnits;
    }
    if (outOfRange > 0)
        result.warnings.push_back(count(outOfRange, "note lies", "notes lie") +
                                  " outside the pitches an RTX file can name (c4 to h9); " +
                                  (outOfRange == 1 ? "its" : "their") +
                                  " time was written as pause.");
    if (otherKind > 0)
        result.warnings.push_back(
            count(otherKind, "custom or FREQ_DEFINE note was", "custom or FREQ_DEFINE notes were") +
            " written as plain pitches of the same number.");
    if (overlapping > 0)
        result.warnings.push_back(count(overlapping, "note overlaps", "notes overlap") +
                                  " the note before; in the file the notes follow one "
                                  "another.");
    result.bytes = std::move(out);
    return result;
}

ExportResult ExportRtxFile(const Tune& tune, const std::filesystem::path& path)
{
    return WriteExport(ExportRtx(tune), path);
}

FormatResult ImportRtx(std::string_view bytes, Tune& tune, NoteLengthState& length,
                       std::int32_t styleMode, bool keepNaturalNotes)
{
    return ImportStaged(tune, length, [&](Tune& work, NoteLengthState& workLength) {
        return RtxParser(bytes, work, workLength, styleMode, keepNaturalNotes);
    });
}

FormatResult ImportRtx(std::string_view bytes, Tune& tune)
{
    NoteLengthState length;
    return ImportRtx(bytes, tune, length, static_cast<std::int32_t>(StyleMode::None), false);
}

FormatResult ImportRtxFile(const std::filesystem::path& path, Tune& tune, NoteLengthState& length,
                           std::int32_t styleMode, bool keepNaturalNotes)
{
    return ImportFromFile(path, [&](std::string_view bytes) {
        return ImportRtx(bytes, tune, length, styleMode, keepNaturalNotes);
    });
}

} // namespace qte
