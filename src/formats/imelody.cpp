#include "formats/imelody.h"

#include "formats/staged_import.h"
#include "formats/tone_names.h"
#include "io/files.h"
#include "tune/tempo.h"
#include "tune/tune.h"
#include "tune/tune_edit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qte {

namespace {

constexpr double kWholeNoteUnits = 32.0;
// A thousandth of a whole note, as the other exchange formats allow; at a
// fast tempo a millisecond, what a time in whole ms may be off by.
constexpr double kLengthTolerance = kWholeNoteUnits * 0.001;
constexpr double kNaturalGapMs = 20.0;
constexpr double kStaccatoFactor = 0.33;
constexpr double kStaccatoMaxMs = 50.0;
constexpr int kMaxDuration = 5;
constexpr std::array<char, 4> kSpecifiers = {0, '.', ':', ';'};
// Index of each letter c d e f g a b in the octave.
constexpr std::array<int, 7> kLetterIndex = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
constexpr std::array<const char*, 12> kWrittenNames = {"c",  "#c", "d",  "#d", "e",  "f",
                                                       "#f", "g",  "#g", "a",  "#a", "b"};
constexpr std::size_t kShownChars = 20;
// The tune counts time in single precision: past 2^24 ms (four hours and
// a half) its times no longer keep to the millisecond.
constexpr double kMaxTuneMs = 16777216.0;
constexpr double kLongestValueUnits = kWholeNoteUnits * 1.75;

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

double specifierFactor(char specifier)
{
    switch (specifier) {
    case '.': return 1.5;
    case ':': return 1.75;
    case ';': return 2.0 / 3.0;
    default: return 1.0;
    }
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = toUpper(c);
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string shown(std::string_view s)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < kShownChars; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    if (s.size() > kShownChars) out += "...";
    return out + "\"";
}

// The sounding part of a note value under a style, in units.
double soundOf(IMelodyStyle style, double value, double msPerUnit)
{
    switch (style) {
    case IMelodyStyle::Natural: {
        const double gap = kNaturalGapMs / msPerUnit;
        return std::max(value - gap, std::min(value, gap));
    }
    case IMelodyStyle::Staccato:
        return std::min(value * kStaccatoFactor, kStaccatoMaxMs / msPerUnit);
    case IMelodyStyle::Continuous: break;
    }
    return value;
}

// A note length: duration 0 (whole) to 5 (thirty-second) and its specifier:
// none, "." dotted, ":" double dotted, ";" two thirds.
struct IMelodyLength {
    int duration = 0;
    char specifier = 0; // 0 for none

    [[nodiscard]] double units() const
    {
        return kWholeNoteUnits / static_cast<double>(1 << duration) * specifierFactor(specifier);
    }
};

// ---------------------------------------------------------------- reading

// A logical line: continuation lines (those starting with a space or tab)
// joined to it, with where each physical line begins.
struct TextLine {
    std::string text;
    std::vector<std::pair<std::size_t, int>> starts; // offset in text, line number

    [[nodiscard]] int lineAt(std::size_t offset) const
    {
        int line = starts.front().second;
        for (const auto& [at, number] : starts)
            if (at <= offset) line = number;
        return line;
    }
};

std::vector<TextLine> logicalLines(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<TextLine> lines;
    int number = 0;
    while (!bytes.empty() || number == 0) {
        ++number;
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty()) {
            TextLine& last = lines.back();
            last.starts.emplace_back(last.text.size(), number);
            last.text.append(line.substr(1));
        } else {
            lines.push_back({std::string(line), {{0, number}}});
        }
        if (end == std::string_view::npos) break;
    }
    return lines;
}

// One group of like problems, reported once with its first place.
struct Problem {
    std::size_t count = 0;
    std::string first;

    void add(const std::string& where)
    {
        if (count++ == 0) first = where;
    }
};

class IMelodyParser {
public:
    IMelodyParser(std::string_view bytes, Tune& tune, NoteLengthState& length,
                  std::int32_t styleMode)
        : m_bytes(bytes), m_tune(tune), m_length(length), m_styleMode(styleMode)
    {}

    bool parse();

    std::string error;
    std::vector<std::string> warnings;

private:
    bool readHeader(const std::vector<TextLine>& lines, const TextLine*& melody);
    void readMelody(const TextLine& melody);
    // Each reader starts at m_pos on its first character; false when the
    // element cannot be read (m_pos is then where it began).
    bool readNote(std::string_view m);
    bool readRest(std::string_view m);
    bool readLength(std::string_view m, std::size_t& pos, double& units) const;
    bool readVolume(std::string_view m);
    bool readRepeatEnd(std::string_view m);
    void addNote(int pitch, double value);
    void openRepeat();
    void closeRepeat(std::int64_t repetitions);
    void closeVibra();
    void report();
    void fillMs();
    std::string where(std::size_t offset, std::string_view element) const
    {
        return "line " + std::to_string(m_melody->lineAt(offset)) + ": " + shown(element);
    }

    std::string_view m_bytes;
    Tune& m_tune;
    NoteLengthState& m_length;
    std::int32_t m_styleMode;

    const TextLine* m_melody = nullptr;
    std::size_t m_pos = 0;
    IMelodyStyle m_style = IMelodyStyle::Natural;
    int m_octave = kIMelodyDefaultOctave;
    double m_t = 0.0; // units from the start
    bool m_readSomething = false;

    bool m_repeatOpen = false;
    std::size_t m_repeatAt = 0;
    double m_repeatStart = 0.0;
    int m_nestedDepth = 0;
    bool m_vibraOn = false;
    double m_vibraStart = 0.0;

    Problem m_unreadable;
    Problem m_tooHigh;
    Problem m_nested;
    Problem m_strayClose;
    Problem m_forever;
    Problem m_tooMany;
    Problem m_emptyBlock;
    std::size_t m_droppedNotes = 0;
    double m_firstDroppedUnits = 0.0;
    std::size_t m_droppedVibras = 0;
    std::size_t m_droppedRepeats = 0;
};

bool IMelodyParser::readHeader(const std::vector<TextLine>& lines, const TextLine*& melody)
{
    std::size_t first = 0;
    while (first < lines.size() && trim(lines[first].text).empty())
        ++first;
    if (first == lines.size()) {
        error = "Not an iMelody file: it holds no text.";
        return false;
    }
    const TextLine& begin = lines[first];
    if (upper(trim(begin.text)) != "BEGIN:IMELODY") {
        error = "Not an iMelody file: line " + std::to_string(begin.starts.front().second) +
                " is " + shown(begin.text) + ", not \"BEGIN:IMELODY\".";
        return false;
    }
    std::int32_t beat = kIMelodyDefaultBeat;
    bool ended = false;
    for (std::size_t i = first + 1; i < lines.size() && !ended; ++i) {
        const TextLine& line = lines[i];
        const std::string_view text = line.text;
        const std::size_t colon = text.find(':');
        const std::string key = upper(trim(text.substr(0, colon)));
        const std::string_view value =
            colon == std::string_view::npos ? std::string_view{} : trim(text.substr(colon + 1));
        const std::string at = "line " + std::to_string(line.starts.front().second);
        if (key == "END") {
            ended = true;
        } else if (key == "NAME") {
            if (std::string name = cleanToneName(value); !name.empty()) {
                if (std::string id = toneIdFromName(name); !id.empty())
                    m_tune.toneId = std::move(id);
                m_tune.toneName = std::move(name);
            }
        } else if (key == "BEAT") {
            std::int32_t n = 0;
            bool digits = !value.empty() && value.size() <= 4;
            for (const char c : value) {
                digits = digits && isDigit(c);
                if (digits) n = n * 10 + (c - '0');
            }
            if (digits && isValidTempo(n))
                beat = n;
            else
                warnings.push_back("The BEAT " + shown(value) + " (" + at + ") cannot be used; " +
                                   std::to_string(kIMelodyDefaultBeat) + " bpm is used.");
        } else if (key == "STYLE") {
            const std::string s = upper(value);
            if (s.size() == 2 && s[0] == 'S' && s[1] >= '0' && s[1] <= '2')
                m_style = static_cast<IMelodyStyle>(s[1] - '0');
            else
                warnings.push_back("The STYLE " + shown(value) + " (" + at +
                                   ") is not S0, S1 or S2; S0 is used.");
        } else if (key == "MELODY") {
            if (melody) {
                warnings.push_back("The file has a second MELODY line (" + at +
                                   "); only the first was read.");
            } else {
                melody = &line;
                m_pos = colon + 1;
            }
        }
        // VERSION, FORMAT, COMPOSER, VOLUME and the like change nothing here.
    }
    if (!melody) {
        error = "The file has no MELODY line.";
        return false;
    }
    if (!ended) warnings.emplace_back("The file has no END:IMELODY line; it was read to its end.");
    if (!setTempo(m_tune, beat, false, m_length, m_styleMode)) {
        error = "The BEAT of " + std::to_string(beat) + " bpm cannot be used.";
        return false;
    }
    return true;
}

bool IMelodyParser::readLength(std::string_view m, std::size_t& pos, double& units) const
{
    if (pos >= m.size() || m[pos] < '0' || m[pos] > '0' + kMaxDuration) return false;
    const int duration = m[pos++] - '0';
    char specifier = 0;
    if (pos < m.size() && (m[pos] == '.' || m[pos] == ':' || m[pos] == ';')) specifier = m[pos++];
    units = IMelodyLength{duration, specifier}.units();
    return true;
}

bool IMelodyParser::readNote(std::string_view m)
{
    std::size_t p = m_pos;
    int shift = 0;
    if (m[p] == '#' || m[p] == '&') shift = m[p++] == '#' ? 1 : -1;
    if (p >= m.size()) return false;
    const char letter = static_cast<char>(m[p] | 0x20);
    if (letter < 'a' || letter > 'g') return false;
    ++p;
    double units = 0.0;
    if (!readLength(m, p, units)) return false;
    const int pitch =
        IMelodyPitch(m_octave, kLetterIndex[static_cast<std::size_t>(letter - 'a')] + shift);
    m_readSomething = true;
    if (pitch > 127) {
        m_tooHigh.add(where(m_pos, m.substr(m_pos, p - m_pos)));
        m_t += units;
    } else {
        addNote(pitch, units);
    }
    m_pos = p;
    return true;
}

bool IMelodyParser::readRest(std::string_view m)
{
    std::size_t p = m_pos + 1;
    double units = 0.0;
    if (!readLength(m, p, units)) return false;
    m_readSomething = true;
    m_t += units;
    m_pos = p;
    return true;
}

bool IMelodyParser::readVolume(std::string_view m)
{
    std::size_t p = m_pos + 1;
    if (p < m.size() && (m[p] == '+' || m[p] == '-')) {
        m_pos = p + 1;
        return true;
    }
    int digits = 0;
    while (p < m.size() && isDigit(m[p]) && digits < 2) {
        ++p;
        ++digits;
    }
    if (digits == 0) return false;
    m_pos = p;
    return true;
}

bool IMelodyParser::readRepeatEnd(std::string_view m)
{
    std::size_t p = m_pos + 1;
    std::int64_t n = 0;
    int digits = 0;
    while (p < m.size() && isDigit(m[p])) {
        if (n < 1000000) n = n * 10 + (m[p] - '0');
        ++p;
        ++digits;
    }
    if (digits == 0) return false;
    if (p + 1 < m.size() && m[p] == 'V' && (m[p + 1] == '+' || m[p + 1] == '-')) p += 2;
    if (p >= m.size() || m[p] != ')') return false;
    const std::string_view element = m.substr(m_pos, p + 1 - m_pos);
    m_readSomething = true;
    if (m_nestedDepth > 0) {
        --m_nestedDepth;
    } else if (!m_repeatOpen) {
        m_strayClose.add(where(m_pos, element));
    } else {
        if (n == 0) {
            m_forever.add(where(m_pos, element));
            n = kMaxRepetitions;
        } else if (n > kMaxRepetitions) {
            m_tooMany.add(where(m_pos, element));
            n = kMaxRepetitions;
        }
        closeRepeat(n);
    }
    m_pos = p + 1;
    return true;
}

void IMelodyParser::addNote(int pitch, double value)
{
    if (m_tune.noteCount >= kMaxNotes) {
        if (m_droppedNotes++ == 0) m_firstDroppedUnits = m_t;
        m_t += value;
        return;
    }
    NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(++m_tune.noteCount)];
    n = NoteRecord{};
    n.pitch = pitch;
    n.kind = static_cast<std::int32_t>(NoteKind::Normal);
    n.startUnits = static_cast<float>(m_t);
    n.endUnits = static_cast<float>(m_t + soundOf(m_style, value, m_tune.msPerUnit));
    m_t += value;
}

void IMelodyParser::openRepeat()
{
    if (m_repeatOpen) {
        m_nested.add(where(m_pos, "("));
        ++m_nestedDepth;
        return;
    }
    m_repeatOpen = true;
    m_repeatAt = m_pos;
    m_repeatStart = m_t;
}

void IMelodyParser::closeRepeat(std::int64_t repetitions)
{
    m_repeatOpen = false;
    if (m_t <= m_repeatStart) {
        m_emptyBlock.add(where(m_repeatAt, "("));
        return;
    }
    if (m_tune.repeatCount >= kMaxRepeats) {
        ++m_droppedRepeats;
        return;
    }
    RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(++m_tune.repeatCount)];
    r = RepeatRecord{};
    r.startUnits = static_cast<float>(m_repeatStart);
    r.endUnits = static_cast<float>(m_t);
    r.repetitions = static_cast<std::int32_t>(repetitions);
}

void IMelodyParser::closeVibra()
{
    m_vibraOn = false;
    if (m_t <= m_vibraStart) return;
    if (m_tune.vibraCount >= kMaxVibras) {
        ++m_droppedVibras;
        return;
    }
    VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(++m_tune.vibraCount)];
    v = VibraRecord{};
    v.startUnits = static_cast<float>(m_vibraStart);
    v.endUnits = static_cast<float>(m_t);
}

void IMelodyParser::readMelody(const TextLine& melody)
{
    m_melody = &melody;
    const std::string_view m = melody.text;
    static constexpr std::array<std::string_view, 6> kWords = {"vibeon", "vibeoff", "ledon",
                                                               "ledoff", "backon",  "backoff"};
    auto startsElement = [](char c) {
        return std::string_view("*#&abcdefgABCDEFGrvlV(@) \t").find(c) != std::string_view::npos;
    };
    while (m_pos < m.size()) {
        const char c = m[m_pos];
        if (c == ' ' || c == '\t') {
            ++m_pos;
            continue;
        }
        // Stop where the longest note value could end past what a tune holds.
        if ((m_t + kLongestValueUnits) * m_tune.msPerUnit > kMaxTuneMs) {
            warnings.push_back("The melody runs past " + std::to_string(std::lround(kMaxTuneMs)) +
                               " ms, longer than a tune lasts; from " +
                               where(m_pos, m.substr(m_pos)) + " on it was not read.");
            break;
        }
        bool read = false;
        // The longest word first: "vibeoff" before "vibeon" cannot clash,
        // but "backon" must win over the note b.
        for (const std::string_view word : kWords) {
            if (m.substr(m_pos, word.size()) != word) continue;
            if (word == "vibeon" && !m_vibraOn) {
                m_vibraOn = true;
                m_vibraStart = m_t;
            } else if (word == "vibeoff" && m_vibraOn) {
                closeVibra();
            }
            m_pos += word.size();
            m_readSomething = true;
            read = true;
            break;
        }
        if (read) continue;
        switch (c) {
        case '*':
            if (m_pos + 1 < m.size() && m[m_pos + 1] >= '0' &&
                m[m_pos + 1] <= '0' + kIMelodyMaxOctave) {
                m_octave = m[m_pos + 1] - '0';
                m_pos += 2;
                read = true;
            }
            break;
        case 'r': read = readRest(m); break;
        case 'V': read = readVolume(m); break;
        case '(':
            openRepeat();
            ++m_pos;
            read = true;
            break;
        case '@': read = readRepeatEnd(m); break;
        default: read = readNote(m); break;
        }
        if (read) continue;
        std::size_t end = m_pos + 1;
        while (end < m.size() && !startsElement(m[end]))
            ++end;
        m_unreadable.add(where(m_pos, m.substr(m_pos, end - m_pos)));
        m_pos = end;
    }
    if (m_vibraOn) closeVibra();
    if (m_repeatOpen)
        warnings.push_back("The repeat block opened at " + where(m_repeatAt, "(") +
                           " is not closed; it was left out.");
}

void IMelodyParser::report()
{
    if (m_unreadable.count > 0)
        warnings.push_back(count(m_unreadable.count, "element", "elements") +
                           " of the melody could not be read and " +
                           (m_unreadable.count == 1 ? "was" : "were") + " skipped (the first at " +
                           m_unreadable.first + ").");
    if (m_tooHigh.count > 0)
        warnings.push_back(count(m_tooHigh.count, "note lies", "notes lie") +
                           " above the highest pitch (127); " +
                           (m_tooHigh.count == 1 ? "its" : "their") +
                           " time was kept as pause (the first at " + m_tooHigh.first + ").");
    if (m_forever.count > 0)
        warnings.push_back(count(m_forever.count, "repeat block plays", "repeat blocks play") +
                           " for ever (\"@0\", the first at " + m_forever.first +
                           "); the tune repeats " + (m_forever.count == 1 ? "it" : "them") + " " +
                           std::to_string(kMaxRepetitions) + " times.");
    if (m_tooMany.count > 0)
        warnings.push_back(count(m_tooMany.count, "repeat block asks", "repeat blocks ask") +
                           " for more than " + std::to_string(kMaxRepetitions) +
                           " repetitions (the first at " + m_tooMany.first + "); " +
                           std::to_string(kMaxRepetitions) + " are kept.");
    if (m_nested.count > 0)
        warnings.push_back(count(m_nested.count, "repeat block stands", "repeat blocks stand") +
                           " inside another (the first at " + m_nested.first +
                           "), which the tune cannot hold; only the outer block was kept.");
    if (m_strayClose.count > 0)
        warnings.push_back(count(m_strayClose.count, "repeat end has", "repeat ends have") +
                           " no \"(\" before " + (m_strayClose.count == 1 ? "it" : "them") +
                           " (the first at " + m_strayClose.first + "); skipped.");
    if (m_emptyBlock.count > 0)
        warnings.push_back(count(m_emptyBlock.count, "repeat block lasts", "repeat blocks last") +
                           " no time (the first at " + m_emptyBlock.first + "); left out.");
    if (m_droppedNotes > 0)
        warnings.push_back(
            "Only the first " + std::to_string(kMaxNotes) + " notes were loaded; " +
            count(m_droppedNotes, "note", "notes") + " from " +
            std::to_string(unitsToMs(static_cast<float>(m_firstDroppedUnits), m_tune.msPerUnit)) +
            " ms on " + (m_droppedNotes == 1 ? "was" : "were") + " dropped.");
    if (m_droppedVibras > 0)
        warnings.push_back("Only the first " + std::to_string(kMaxVibras) +
                           " vibra segments were loaded; " + count(m_droppedVibras, "was", "were") +
                           " dropped.");
    if (m_droppedRepeats > 0)
        warnings.push_back("Only the first " + std::to_string(kMaxRepeats) +
                           " repeat blocks were loaded; " + count(m_droppedRepeats, "was", "were") +
                           " dropped.");
}

void IMelodyParser::fillMs()
{
    const float mpu = m_tune.msPerUnit;
    for (int i = 1; i <= m_tune.noteCount; ++i) {
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(i)];
        n.durationUnits = n.endUnits - n.startUnits;
        n.startMs = unitsToMs(n.startUnits, mpu);
        n.endMs = unitsToMs(n.endUnits, mpu);
        n.durationMs = unitsToMs(n.durationUnits, mpu);
    }
    for (int i = 1; i <= m_tune.vibraCount; ++i) {
        VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(i)];
        v.durationUnits = v.endUnits - v.startUnits;
        v.startMs = unitsToMs(v.startUnits, mpu);
        v.endMs = unitsToMs(v.endUnits, mpu);
        v.durationMs = v.endMs - v.startMs;
    }
    for (int i = 1; i <= m_tune.repeatCount; ++i) {
        RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(i)];
        r.startMs = unitsToMs(r.startUnits, mpu);
        r.endMs = unitsToMs(r.endUnits, mpu);
    }
}

bool IMelodyParser::parse()
{
    const std::vector<TextLine> lines = logicalLines(m_bytes);
    const TextLine* melody = nullptr;
    if (!readHeader(lines, melody)) return false;
    m_tune.noteCount = 0;
    m_tune.vibraCount = 0;
    m_tune.repeatCount = 0;
    readMelody(*melody);
    if (!m_readSomething && m_unreadable.count > 0) {
        error = "Not a valid iMelody file: nothing in its melody could be read (the first at " +
                m_unreadable.first + ").";
        return false;
    }
    report();
    fillMs();
    return true;
}

// ---------------------------------------------------------------- writing

// Every note value, longest first.
struct Value {
    IMelodyLength length;
    double units = 0.0;
};

std::vector<Value> valuesLongestFirst(bool plainAndDottedOnly)
{
    std::vector<Value> values;
    for (int d = 0; d <= kMaxDuration; ++d)
        for (const char s : kSpecifiers) {
            if (plainAndDottedOnly && s != 0 && s != '.') continue;
            const IMelodyLength l{d, s};
            values.push_back({l, l.units()});
        }
    std::stable_sort(values.begin(), values.end(),
                     [](const Value& a, const Value& b) { return a.units > b.units; });
    return values;
}

void appendLength(std::string& out, const IMelodyLength& l)
{
    out.push_back(static_cast<char>('0' + l.duration));
    if (l.specifier != 0) out.push_back(l.specifier);
}

// A time where the melody turns vibration on or off or a block begins or
// ends. At one time: vibration off, block end, block start, vibration on.
struct Marker {
    double at = 0.0;
    int order = 0;
    std::string text;
};

class IMelodyWriter {
public:
    explicit IMelodyWriter(const Tune& tune)
        : m_tune(tune), m_mpu(tune.msPerUnit), m_tol(std::max(kLengthTolerance, 1.0 / m_mpu)),
          m_pieces(valuesLongestFirst(true)), m_all(valuesLongestFirst(false))
    {}

    ExportResult write();

private:
    // The value a note of length sounding, given room until the next note,
    // was written with under style; nothing when none fits.
    std::optional<IMelodyLength> valueFor(IMelodyStyle style, double sounding, double room,
                                          bool last) const;
    void collectMarkers();
    void emit(const Marker& mk);
    // Rests up to target, with the markers up to it in their places.
    void restsUpTo(double target);
    // Pieces of at most the length, longest first, until less than a
    // thirty-second note is left; how much they cover.
    double pieces(double length, const std::string& name);
    void element(const std::string& text)
    {
        m_melody += text;
        m_sinceOpen = true;
    }

    const Tune& m_tune;
    double m_mpu;
    double m_tol; // how near a length must come to a value, in units
    std::vector<Value> m_pieces;
    std::vector<Value> m_all;
    std::vector<Marker> m_markers;
    std::size_t m_nextMarker = 0;
    std::string m_melody;
    double m_cursor = 0.0; // where the file's own time stands, in units
    int m_octave = kIMelodyDefaultOctave;
    std::size_t m_openAt = std::string::npos;
    bool m_sinceOpen = false;
    std::size_t m_skippedRepeats = 0;
    std::size_t m_skippedVibras = 0;
};

std::optional<IMelodyLength> IMelodyWriter::valueFor(IMelodyStyle style, double sounding,
                                                     double room, bool last) const
{
    std::optional<IMelodyLength> found;
    for (const Value& v : m_all) {
        if (std::fabs(soundOf(style, v.units, m_mpu) - sounding) >= m_tol) continue;
        // A shortened note's value reaches into the silence after it, so it
        // must leave room for the next note. Of several such values the
        // longest that fits wins; for the last note the shortest.
        if (style == IMelodyStyle::Continuous) return v.length;
        if (!last && v.units > room + m_tol) continue;
        found = v.length;
        if (!last) return found;
    }
    return found;
}

void IMelodyWriter::collectMarkers()
{
    float lastEnd = -1.0f;
    for (int i = 1; i <= std::clamp(m_tune.vibraCount, 0, kMaxVibras); ++i) {
        const VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(i)];
        if (v.startUnits < lastEnd || v.endUnits <= v.startUnits) {
            ++m_skippedVibras;
            continue;
        }
        lastEnd = v.endUnits;
        m_markers.push_back({v.startUnits, 3, "vibeon"});
        m_markers.push_back({v.endUnits, 0, "vibeoff"});
    }
    lastEnd = -1.0f;
    for (int i = 1; i <= std::clamp(m_tune.repeatCount, 0, kMaxRepeats); ++i) {
        const RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(i)];
        if (r.startUnits < lastEnd || r.endUnits <= r.startUnits) {
            ++m_skippedRepeats;
            continue;
        }
        lastEnd = r.endUnits;
        m_markers.push_back({r.startUnits, 2, "("});
        m_markers.push_back(
            {r.endUnits, 1, "@" + std::to_string(std::max(r.repetitions, kMinRepetitions)) + ")"});
    }
    std::stable_sort(m_markers.begin(), m_markers.end(), [](const Marker& a, const Marker& b) {
        return a.at != b.at ? a.at < b.at : a.order < b.order;
    });
}

void IMelodyWriter::emit(const Marker& mk)
{
    if (mk.text == "(") {
        m_openAt = m_melody.size();
        m_sinceOpen = false;
        m_melody += mk.text;
    } else if (mk.text.front() == '@' && !m_sinceOpen && m_openAt != std::string::npos) {
        m_melody.erase(m_openAt, 1); // a block with nothing in it
        m_openAt = std::string::npos;
        ++m_skippedRepeats;
    } else {
        m_melody += mk.text;
    }
}

double IMelodyWriter::pieces(double length, const std::string& name)
{
    double covered = 0.0;
    for (const Value& v : m_pieces) {
        while (length - covered + m_tol >= v.units) {
            std::string e = name;
            appendLength(e, v.length);
            element(e);
            covered += v.units;
        }
    }
    return covered;
}

// Markers are placed by the tune's own times, so that one inside a note
// comes after it; the rests between run from the file's own time, so that
// a rest too short to write is made up by the next.
void IMelodyWriter::restsUpTo(double target)
{
    while (m_nextMarker < m_markers.size() && m_markers[m_nextMarker].at <= target + m_tol) {
        const Marker& mk = m_markers[m_nextMarker++];
        m_cursor += pieces(mk.at - m_cursor, "r");
        emit(mk);
    }
    m_cursor += pieces(target - m_cursor, "r");
}

ExportResult IMelodyWriter::write()
{
    ExportResult result;
    const int notes = std::clamp(m_tune.noteCount, 0, kMaxNotes);
    // Each note's value under each style, to find the style most notes have.
    struct Fits {
        std::array<std::optional<IMelodyLength>, 3> byStyle;
    };
    std::vector<Fits> fits(static_cast<std::size_t>(notes) + 1);
    std::array<int, 3> votes{};
    for (int i = 1; i <= notes; ++i) {
        const NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(i)];
        const bool last = i == notes;
        const double room =
            last ? 0.0
                 : static_cast<double>(
                       m_tune.noteTable[static_cast<std::size_t>(i) + 1].startUnits) -
                       n.startUnits;
        const double sounding = static_cast<double>(n.endUnits) - n.startUnits;
        for (int s = 0; s < 3; ++s) {
            auto& fit = fits[static_cast<std::size_t>(i)].byStyle[static_cast<std::size_t>(s)];
            fit = valueFor(static_cast<IMelodyStyle>(s), sounding, room, last);
            if (fit) ++votes[static_cast<std::size_t>(s)];
        }
    }
    // Where two styles sound the same (short notes at a fast tempo), the
    // plain one is written.
    IMelodyStyle style = IMelodyStyle::Continuous;
    for (const IMelodyStyle s : {IMelodyStyle::Natural, IMelodyStyle::Staccato})
        if (votes[static_cast<std::size_t>(s)] > votes[static_cast<std::size_t>(style)]) style = s;

    collectMarkers();
    std::size_t outOfRange = 0, otherStyle = 0, split = 0, otherKind = 0;
    for (int i = 1; i <= notes; ++i) {
        const NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(i)];
        if (n.pitch < kIMelodyLowestPitch || n.pitch > 127) {
            ++outOfRange; // its time stays as rest
            continue;
        }
        if (n.noteKind() != NoteKind::Normal) ++otherKind;
        restsUpTo(n.startUnits);
        const int octave = (n.pitch - kIMelodyLowestPitch) / 12;
        std::string name;
        // Every note away from the default octave carries its prefix, so a
        // reader that does not carry a prefix over reads the same pitches.
        if (octave != m_octave || octave != kIMelodyDefaultOctave)
            name = "*" + std::to_string(octave);
        m_octave = octave;
        name += kWrittenNames[static_cast<std::size_t>((n.pitch - kIMelodyLowestPitch) % 12)];
        const auto& byStyle = fits[static_cast<std::size_t>(i)].byStyle;
        std::optional<IMelodyLength> value = byStyle[static_cast<std::size_t>(style)];
        if (!value) {
            for (const auto& other : {byStyle[1], byStyle[0], byStyle[2]})
                if (other) {
                    value = other;
                    break;
                }
            if (value) ++otherStyle;
        }
        // The cursor stays the file's own time, so that the next rest
        // takes up what the last one could not write.
        if (value) {
            std::string e = name;
            appendLength(e, *value);
            element(e);
            m_cursor += value->units();
        } else {
            ++split;
            m_cursor += pieces(static_cast<double>(n.endUnits) - n.startUnits, name);
        }
    }
    if (!m_markers.empty()) restsUpTo(m_markers.back().at);

    const std::int32_t beat = std::clamp(m_tune.tempoBpm, kIMelodyMinBeat, kIMelodyMaxBeat);
    std::string& out = result.bytes;
    out = "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
    if (const std::string name = cleanToneName(m_tune.toneName); !name.empty())
        out += "NAME:" + name + "\r\n";
    out += "BEAT:" + std::to_string(beat) + "\r\n";
    out += "STYLE:S" + std::to_string(static_cast<int>(style)) + "\r\n";
    out += "VOLUME:V7\r\n";
    out += "MELODY:" + m_melody + "\r\n";
    out += "END:IMELODY\r\n";

    auto& w = result.warnings;
    if (beat != m_tune.tempoBpm)
        w.push_back("The tempo of " + std::to_string(m_tune.tempoBpm) +
                    " bpm lies outside the BEAT an iMelody file takes (" +
                    std::to_string(kIMelodyMinBeat) + " to " + std::to_string(kIMelodyMaxBeat) +
                    "); " + std::to_string(beat) + " was written.");
    if (outOfRange > 0)
        w.push_back(count(outOfRange, "note lies", "notes lie") +
                    " outside the pitches an iMelody file can name (*0c to *8g, pitches " +
                    std::to_string(kIMelodyLowestPitch) + " to 127); " +
                    (outOfRange == 1 ? "its" : "their") + " time was written as rest.");
    if (otherStyle > 0)
        w.push_back(
            count(otherStyle, "note does", "notes do") + " not sound as the file's style (" +
            (style == IMelodyStyle::Natural      ? "natural"
             : style == IMelodyStyle::Continuous ? "continuous"
                                                 : "staccato") +
            ") has it; " + (otherStyle == 1 ? "it was" : "they were") +
            " written with the value of " + (otherStyle == 1 ? "its" : "their") + " own style.");
    if (split > 0)
        w.push_back(count(split, "note has a length", "notes have lengths") +
                    " no note value holds; " + (split == 1 ? "it was" : "they were") +
                    " written as notes of the values that add up to " +
                    (split == 1 ? "it." : "them."));
    if (otherKind > 0)
        w.push_back(
            count(otherKind, "custom or FREQ_DEFINE note was", "custom or FREQ_DEFINE notes were") +
            " written as plain pitches of the same number.");
    if (m_tune.textCount > 0)
        w.push_back(
            count(static_cast<std::size_t>(m_tune.textCount), "free text has", "free texts have") +
            " no place in an iMelody file and " + (m_tune.textCount == 1 ? "was" : "were") +
            " not written.");
    if (m_skippedVibras > 0)
        w.push_back(count(m_skippedVibras, "vibra segment overlaps", "vibra segments overlap") +
                    " the one before or lasts no time; left out.");
    if (m_skippedRepeats > 0)
        w.push_back(count(m_skippedRepeats, "repeat block overlaps", "repeat blocks overlap") +
                    " the one before or holds nothing; left out.");
    return result;
}

} // namespace

ExportResult ExportIMelody(const Tune& tune)
{
    return IMelodyWriter(tune).write();
}

ExportResult ExportIMelodyFile(const Tune& tune, const std::filesystem::path& path)
{
    ExportResult result = ExportIMelody(tune);
    if (!result.ok()) return result;
    if (auto err = writeFileAtomically(path, result.bytes)) result.error = err->message;
    return result;
}

FormatResult ImportIMelody(std::string_view bytes, Tune& tune, NoteLengthState& length,
                           std::int32_t styleMode)
{
    NoteLengthState workLength = length;
    FormatResult result = ImportStaged(
        tune, [&](Tune& work) { return IMelodyParser(bytes, work, workLength, styleMode); });
    if (result.ok()) length = workLength;
    return result;
}

FormatResult ImportIMelody(std::string_view bytes, Tune& tune)
{
    NoteLengthState length;
    return ImportIMelody(bytes, tune, length, static_cast<std::int32_t>(StyleMode::None));
}

FormatResult ImportIMelodyFile(const std::filesystem::path& path, Tune& tune,
                               NoteLengthState& length, std::int32_t styleMode)
{
    const FileReadResult read = readWholeFile(path);
    if (!read.bytes) {
        FormatResult result;
        result.error = read.error.message;
        return result;
    }
    return ImportIMelody(*read.bytes, tune, length, styleMode);
}

} // namespace qte
