#include "tune/tone_parser.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace qte {

namespace {

constexpr std::string_view kTonePrefix = "TONE(";
constexpr std::string_view kToneTimeInMs = "TONE_TIME_IN_MS";
constexpr std::string_view kNoteTime = "NOTE_TIME";
constexpr std::string_view kNoteTimeDefine1 = "#defineNOTE_TIME(time)TONE_TIME_IN_MS(";
constexpr std::string_view kNoteTimeDefine2 = "#defineNOTE_TIMETONE_TIME_IN_MS(";
constexpr std::string_view kTempoKey = "/*Tempo:";
constexpr std::string_view kFreqDefineKey = "FREQ_DEFINE";
constexpr std::size_t kTokenWindow = 31;     // characters of a TONE name examined
constexpr std::size_t kBracketWindow = 131;  // characters searched for "("
constexpr std::size_t kArgumentWindow = 101; // characters of a bracketed argument
constexpr std::size_t kRepetitionDigits = 3;
constexpr std::size_t kFreqDefineGroupStart = 12; // one character after the keyword
constexpr int kEstimateNotes = 50;
constexpr std::int32_t kEstimateLimitMs = 32000;
constexpr float kMsPerUnitWithoutNotes = 25.0f;

constexpr std::string_view kPauseNames[] = {
    "AUD_TONE_FREQ_OFF",
    "AUD_TONE_RING_FREQ_PAUSE",
    "DEV_TONE_RING_FREQ_PAUSE",
    "DEV_TONE_FREQ_OFF",
};

bool beginsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Marker texts come from config.cfg; an empty one (no config) matches nothing.
bool beginsWithMarker(std::string_view text, std::string_view marker)
{
    return !marker.empty() && beginsWith(text, marker);
}

// The text after the first "(" up to the next ")", both searched within
// their windows; nothing when the "(" is missing.
std::optional<std::string_view> bracketArgument(std::string_view text)
{
    const std::size_t open = text.substr(0, kBracketWindow).find('(');
    if (open == std::string_view::npos) return std::nullopt;
    std::string_view arg = text.substr(open + 1);
    return arg.substr(0, std::min(arg.find(')'), kArgumentWindow));
}

std::string_view upToComma(std::string_view name)
{
    return name.substr(0, name.find(','));
}

// Whether the number at the start of text fits in 32 bits. The scan
// saturates, so a value at either limit is told apart by its digits.
bool fitsIn32Bits(std::string_view text, std::int32_t value)
{
    if (value != INT32_MAX && value != INT32_MIN) return true;
    const std::size_t first = text.find_first_of("0123456789");
    std::string_view digits = text.substr(first);
    digits = digits.substr(0, digits.find_first_not_of("0123456789"));
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
    return digits == (value == INT32_MAX ? "2147483647" : "2147483648");
}

// One warning for a problem that may repeat on many lines.
struct LineWarning {
    std::int32_t firstLine = 0;
    int count = 0;

    void note(std::int32_t line)
    {
        if (count++ == 0) firstLine = line;
    }
    void emit(std::vector<std::string>& out, std::string_view what) const
    {
        if (count == 0) return;
        std::string w = "Line " + std::to_string(firstLine);
        if (count > 1) w += " (and " + std::to_string(count - 1) + " more)";
        w += ": ";
        w += what;
        out.push_back(std::move(w));
    }
};

class Parser {
public:
    Parser(Tune& tune, const SourceLines& source, ParserState& state, const TextConfig& config,
           const NoteNameTable& names)
        : m_tune(tune), m_source(source), m_state(state), m_config(config), m_names(names)
    {}

    ToneTextResult run()
    {
        m_previousTempo = m_tune.tempoBpm;
        m_previousMsPerUnit = m_tune.msPerUnit;
        m_tune.tempoBpm = 0;
        m_tune.noteCount = 0;
        m_tune.repeatCount = 0;
        m_tune.vibraCount = 0;
        m_tune.textCount = 0;
        m_tune.politeDefined = 0;
        const std::int32_t count = m_source.sourceLineCount();
        for (std::int32_t k = 1; k < count; ++k) {
            if (!parseLine(k)) break;
        }
        finish();
        return std::move(m_result);
    }

private:
    [[nodiscard]] std::int32_t fileLine(std::int32_t k) const
    {
        return m_source.firstLineOffset + k;
    }

    void warnAt(std::int32_t k, std::string_view what)
    {
        m_result.warnings.push_back("Line " + std::to_string(fileLine(k)) + ": " +
                                    std::string(what));
    }

    void fail(std::int32_t k, std::string_view what)
    {
        m_result.error = "Line " + std::to_string(fileLine(k)) + ": " + std::string(what) +
                         " The tune was read only up to this line.";
    }

    // Returns false when the parse must stop at this line.
    bool parseLine(std::int32_t k)
    {
        const std::string& raw = m_source.sourceLines[static_cast<std::size_t>(k - 1)];
        std::string text = raw;
        TrimLeadingSpaces(text);
        std::string key = raw;
        RemoveSpaces(key);
        std::string_view tested = key;

        if (beginsWith(key, kTonePrefix)) {
            const std::string_view args = std::string_view(key).substr(kTonePrefix.size());
            const std::size_t comma = args.substr(0, kTokenWindow).find(',');
            const std::string_view token = args.substr(0, std::min(comma, kTokenWindow));
            std::string_view rest;
            if (comma != std::string_view::npos) {
                rest = args.substr(comma + 1);
                if (!rest.empty()) rest.remove_suffix(1); // the closing bracket of TONE
            }
            const ToneNameClass name = ClassifyToneName(token, m_tune, m_config, m_names);
            std::int64_t length = 0;
            if (!readLength(k, rest, length)) return false;
            if (length != 0 && name.numberTooLarge) m_numberTooLarge.note(fileLine(k));
            if (length != 0 && name.kind != ToneNameClass::Kind::Unrecognised) {
                if (length < 0) {
                    m_negativeLength.note(fileLine(k));
                } else if (m_running + length > INT32_MAX) {
                    m_tooLong.note(fileLine(k));
                } else {
                    addTimed(name, static_cast<std::int32_t>(length));
                    return true;
                }
            }
            tested = rest;
        }

        bool matched = false;
        if (beginsWithMarker(tested, m_config.repeatOpenText)) {
            std::string_view count = tested.substr(m_config.repeatOpenText.size());
            count = count.substr(0, std::min(count.find(')'), kRepetitionDigits));
            openRepeat(k, ScanDecimal(count).value_or(0));
            matched = true;
        }
        if (beginsWithMarker(tested, m_config.repeatCloseText)) {
            closeRepeat();
            matched = true;
        }
        if (beginsWithMarker(tested, m_config.vibraOnText)) {
            openVibra(k);
            matched = true;
        }
        if (beginsWithMarker(tested, m_config.vibraOffText)) {
            closeVibra();
            matched = true;
        }
        if (beginsWith(tested, kNoteTimeDefine1) || beginsWith(tested, kNoteTimeDefine2)) {
            const std::string_view after =
                tested.substr(beginsWith(tested, kNoteTimeDefine1) ? kNoteTimeDefine1.size()
                                                                   : kNoteTimeDefine2.size());
            const auto ms =
                ScanDecimal(after.substr(0, std::min(after.find(')'), kArgumentWindow)));
            if (ms && *ms > 0) {
                m_state.noteTimeMs = *ms;
            } else {
                warnAt(k, "the NOTE_TIME length must be a number above 0 ms; it stays at " +
                              std::to_string(m_state.noteTimeMs) + " ms.");
            }
        }
        if (beginsWith(tested, kTempoKey)) {
            const std::string_view after = tested.substr(kTempoKey.size());
            const auto bpm =
                ScanDecimal(after.substr(0, std::min(after.find('*'), kArgumentWindow)));
            if (bpm && *bpm > 0) {
                m_tune.tempoBpm = *bpm;
                m_tune.msPerUnit = 7500.0f / static_cast<float>(*bpm);
                m_tempoRead = true;
            } else {
                m_tempoRefused = true;
                warnAt(k, "the tempo must be a number of beats per minute above 0; the tempo "
                          "was left as it was.");
            }
            matched = true;
        }
        if (beginsWith(tested, kFreqDefineKey)) {
            m_tune.freqDefineCount = ReadFreqDefineGroups(tested, m_tune.freqDefineTable);
            matched = false;
        }

        if (!matched && m_source.bodyOpenLine < k && k < m_source.bodyCloseLine) {
            addText(k, text.empty() ? std::string_view(" ") : std::string_view(text));
        }
        return true;
    }

    // The length of a TONE line in ms, 0 when it has none. False on a line
    // that cannot be read.
    bool readLength(std::int32_t k, std::string_view rest, std::int64_t& length)
    {
        length = 0;
        if (beginsWith(rest, kToneTimeInMs)) {
            const auto arg = bracketArgument(rest);
            if (!arg) {
                fail(k, "TONE_TIME_IN_MS is not followed by \"(\".");
                return false;
            }
            length = ScanDecimal(*arg).value_or(0);
        } else if (beginsWith(rest, kNoteTime)) {
            const std::int64_t unit = m_state.noteTimeMs;
            const std::size_t open = rest.substr(0, kBracketWindow).find('(');
            if (open == std::string_view::npos) {
                length = unit;
                return true;
            }
            std::string_view arg = rest.substr(open + 1);
            const std::size_t close = arg.substr(0, kArgumentWindow).find(')');
            if (close == std::string_view::npos) {
                fail(k, "the NOTE_TIME length has no closing \")\".");
                return false;
            }
            arg = arg.substr(0, close);
            std::size_t used = 0;
            const auto a = ScanDecimalPrefix(arg, used);
            if (!a) return true;
            std::size_t usedB = 0;
            const auto b = used < arg.size() && arg[used] == '/'
                               ? ScanDecimalPrefix(arg.substr(used + 1), usedB)
                               : std::nullopt;
            if (b) {
                // a over b times the unit, as the firmware's macro computes it.
                if (*b == 0) {
                    warnAt(k, "a NOTE_TIME fraction cannot divide by 0.");
                    return true;
                }
                const double ms = static_cast<double>(*a) / *b * static_cast<double>(unit);
                length = static_cast<std::int64_t>(std::clamp(ms, -4e18, 4e18));
            } else {
                length = static_cast<std::int64_t>(*a) * unit;
            }
        }
        return true;
    }

    void addTimed(const ToneNameClass& name, std::int32_t length)
    {
        if (name.kind == ToneNameClass::Kind::Note) {
            if (m_tune.noteCount >= kMaxNotes) {
                m_droppedNotes = true;
            } else {
                NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(++m_tune.noteCount)];
                n.kind = static_cast<std::int32_t>(name.noteKind);
                n.pitch = name.pitch;
                SetStart(n, m_running);
                SetEnd(n, m_running + length);
            }
        }
        m_running += length;
    }

    void openRepeat(std::int32_t k, std::int32_t repetitions)
    {
        if (m_repeatOpen) {
            warnAt(k, "a repeat block begins before the previous one ended; the previous one "
                      "ends here.");
            closeRepeat();
        }
        if (m_tune.repeatCount >= kMaxRepeats) {
            m_droppedRepeats = true;
            m_repeatDropped = true;
            return;
        }
        RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(++m_tune.repeatCount)];
        r.startMs = m_running;
        r.endMs = m_running;
        r.repetitions = repetitions;
        m_repeatOpen = true;
    }

    void closeRepeat()
    {
        if (m_repeatDropped) {
            m_repeatDropped = false;
            return;
        }
        // With no block open the last one, closed already, ends here instead.
        if (m_tune.repeatCount < 1) return;
        m_repeatOpen = false;
        RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(m_tune.repeatCount)];
        r.endMs = m_running;
        if (r.endMs == r.startMs) --m_tune.repeatCount;
    }

    void openVibra(std::int32_t k)
    {
        if (m_vibraOpen) {
            warnAt(k, "a vibra segment begins before the previous one ended; the previous one "
                      "ends here.");
            closeVibra();
        }
        if (m_tune.vibraCount >= kMaxVibras) {
            m_droppedVibras = true;
            m_vibraDropped = true;
            return;
        }
        VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(++m_tune.vibraCount)];
        v.startMs = m_running;
        v.endMs = m_running;
        v.durationMs = 0;
        m_vibraOpen = true;
    }

    void closeVibra()
    {
        if (m_vibraDropped) {
            m_vibraDropped = false;
            return;
        }
        // With no segment open the last one, closed already, ends here instead.
        if (m_tune.vibraCount < 1) return;
        m_vibraOpen = false;
        VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(m_tune.vibraCount)];
        SetEnd(v, m_running);
        if (v.endMs == v.startMs) --m_tune.vibraCount;
    }

    void addText(std::int32_t k, std::string_view text)
    {
        if (m_tune.textCount >= kMaxTexts) {
            m_droppedTexts = true;
            return;
        }
        if (text.size() > kMaxTextChars) m_longText.note(fileLine(k));
        TextRecord& t = m_tune.textList[static_cast<std::size_t>(++m_tune.textCount)];
        t.timeMs = m_running;
        t.setText(text);
    }

    void finish()
    {
        if (m_repeatOpen) {
            m_result.warnings.emplace_back(
                "The last repeat block has no end; it now ends with the tune.");
            closeRepeat();
        }
        if (m_vibraOpen) {
            m_result.warnings.emplace_back(
                "The last vibra segment has no end; it now ends with the tune.");
            closeVibra();
        }
        auto& w = m_result.warnings;
        if (m_droppedNotes)
            w.emplace_back("The tune has more than 999 notes; the rest were not loaded.");
        if (m_droppedVibras)
            w.emplace_back("The tune has more than 499 vibra segments; the rest were not loaded.");
        if (m_droppedRepeats)
            w.emplace_back("The tune has more than 99 repeat blocks; the rest were not loaded.");
        if (m_droppedTexts)
            w.emplace_back("The tune has more than 499 texts; the rest were not loaded.");
        m_longText.emit(w, "the text is longer than 91 characters and was cut.");
        m_negativeLength.emit(w, "a length below 0 ms cannot be played; the line was not read "
                                 "as a note or pause.");
        m_tooLong.emit(w, "the tune would grow longer than the longest time it can hold; the "
                          "line was not read as a note or pause.");
        m_numberTooLarge.emit(w, "the tone's number is too far from 0 to be kept; the line was "
                                 "not read as a note.");

        Tune& t = m_tune;
        const auto lastEnd = [](const auto& list, std::int32_t count) {
            return count > 0 ? list[static_cast<std::size_t>(count)].endMs : 0;
        };
        t.tailMs = std::min({m_running - lastEnd(t.noteTable, t.noteCount),
                             m_running - lastEnd(t.vibraList, t.vibraCount),
                             m_running - lastEnd(t.repeatList, t.repeatCount)});

        if (!m_tempoRead) {
            if (m_tempoRefused && m_previousTempo > 0) {
                t.tempoBpm = m_previousTempo;
                t.msPerUnit = m_previousMsPerUnit;
            } else {
                t.msPerUnit = t.noteCount > 0 ? static_cast<float>(EstimateBaseLength(t)) * 0.25f
                                              : kMsPerUnitWithoutNotes;
                t.tempoBpm = static_cast<std::int32_t>(7500.0f / t.msPerUnit);
                if (t.tempoBpm < 1) {
                    // Notes too long for any tempo: the slowest one.
                    t.tempoBpm = 1;
                    t.msPerUnit = 7500.0f;
                }
            }
        }
        DeriveUnitsFromMs(t);
        ScanTexts(t, m_config);
    }

    Tune& m_tune;
    const SourceLines& m_source;
    ParserState& m_state;
    const TextConfig& m_config;
    const NoteNameTable& m_names;
    ToneTextResult m_result;

    std::int32_t m_running = 0;
    std::int32_t m_previousTempo = 0;
    float m_previousMsPerUnit = 0.0f;
    bool m_tempoRead = false;
    bool m_tempoRefused = false;
    bool m_repeatOpen = false;
    bool m_vibraOpen = false;
    // An open marker that did not fit: its close marker is skipped.
    bool m_repeatDropped = false;
    bool m_vibraDropped = false;
    bool m_droppedNotes = false;
    bool m_droppedVibras = false;
    bool m_droppedRepeats = false;
    bool m_droppedTexts = false;
    LineWarning m_longText;
    LineWarning m_negativeLength;
    LineWarning m_tooLong;
    LineWarning m_numberTooLarge;
};

} // namespace

void RemoveSpaces(std::string& text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
}

void TrimLeadingSpaces(std::string& text)
{
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
}

ToneTextResult ParseToneText(Tune& tune, const SourceLines& source, ParserState& state,
                             const TextConfig& config, const NoteNameTable& names)
{
    return Parser(tune, source, state, config, names).run();
}

std::int32_t FindNoteNameSet(std::string_view token, const TextConfig& config)
{
    const int count = std::clamp(config.noteNamePrefixCount, 0, kMaxPrefixes);
    for (int k = 0; k < count; ++k) {
        if (beginsWith(token, config.noteNamePrefix[static_cast<std::size_t>(k)])) return k;
    }
    return 0;
}

ToneNameClass ClassifyToneName(std::string_view token, Tune& tune, const TextConfig& config,
                               const NoteNameTable& names)
{
    if (tune.noteCount == 0) tune.noteNameSet = FindNoteNameSet(token, config);
    ToneNameClass result;
    for (std::string_view pause : kPauseNames) {
        if (token == pause) {
            result.kind = ToneNameClass::Kind::Pause;
            return result;
        }
    }
    const std::string_view prefix =
        tune.noteNameSet >= 0 && tune.noteNameSet < kMaxPrefixes
            ? std::string_view(config.noteNamePrefix[static_cast<std::size_t>(tune.noteNameSet)])
            : std::string_view();
    if (beginsWith(token, prefix)) {
        const std::string_view name = token.substr(prefix.size());
        for (int p = 69; p <= 108; ++p) {
            if (name == upToComma(names[static_cast<std::size_t>(p)])) {
                result.kind = ToneNameClass::Kind::Note;
                result.noteKind = NoteKind::Normal;
                result.pitch = p;
                return result;
            }
        }
    }
    const int customCount = std::clamp(config.customNoteCount, 0, kMaxCustomNotes);
    for (int j = 0; j < customCount; ++j) {
        const std::string& custom = config.customNoteName[static_cast<std::size_t>(j)];
        if (!custom.empty() && token == custom) {
            result.kind = ToneNameClass::Kind::Note;
            result.noteKind = NoteKind::Special;
            result.pitch = 72 + j;
            return result;
        }
    }
    if (const auto v = ScanDecimal(token)) {
        // The firmware's number stays as written, inside the table or not:
        // the FREQ_DEFINE text that gives the table may live elsewhere.
        if (!fitsIn32Bits(token, *v) || *v > INT32_MAX - 71) {
            result.numberTooLarge = true;
            return result;
        }
        result.kind = ToneNameClass::Kind::Note;
        result.noteKind = NoteKind::FreqDefine;
        result.pitch = 71 + *v;
    }
    return result;
}

std::int32_t EstimateBaseLength(const Tune& tune)
{
    const int n = std::min(tune.noteCount, kEstimateNotes);
    if (n <= 0) return 0;
    std::map<std::int32_t, int> counts;
    for (int i = 1; i <= n; ++i) {
        const std::int32_t d = tune.noteTable[static_cast<std::size_t>(i)].durationMs;
        if (d < kEstimateLimitMs) ++counts[d];
    }
    int left = n;
    for (const auto& [length, count] : counts) {
        left -= count;
        if (left <= n / 2) return length;
    }
    return kEstimateLimitMs;
}

std::int32_t ReadFreqDefineGroups(std::string_view text, FreqDefineTable& table)
{
    std::int32_t count = 0;
    std::size_t pos = kFreqDefineGroupStart;
    while (count < kFreqDefineSlots && pos < text.size()) {
        const std::size_t open = text.find('(', pos);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find(')', open + 1);
        if (close == std::string_view::npos) break; // a group cut off counts nothing
        if (const auto v = ScanDecimal(text.substr(open + 1, close - open - 1))) {
            table[static_cast<std::size_t>(count)] = *v;
        }
        ++count;
        pos = close + 1;
    }
    return count;
}

void ScanTexts(Tune& tune, const TextConfig& config)
{
    tune.freqDefineCount = 0;
    tune.politeFirstNote = -1;
    tune.politeDefined = 0;
    bool freqDefineFound = false;
    for (int t = 1; t <= tune.textCount; ++t) {
        const TextRecord& text = tune.textList[static_cast<std::size_t>(t)];
        if (!config.politeMarkerText.empty() && text.text == config.politeMarkerText) {
            int i = 1;
            while (i < tune.noteCount &&
                   tune.noteTable[static_cast<std::size_t>(i)].startUnits < text.timeUnits) {
                ++i;
            }
            if (tune.noteCount == 0) i = 0;
            if (tune.politeFirstNote == -1) {
                if (tune.noteCount > 0) tune.politeFirstNote = i;
            } else {
                tune.politeDefined = 1;
                tune.politeLastNote = i - 1;
                tune.politeNoteCount = i - tune.politeFirstNote;
            }
        }
        std::string key = text.text;
        RemoveSpaces(key);
        if (beginsWith(key, kFreqDefineKey)) {
            tune.freqDefineCount = ReadFreqDefineGroups(key, tune.freqDefineTable);
            freqDefineFound = true;
        }
    }
    if (!freqDefineFound) return;
    const std::int32_t lastSpecial = 71 + std::max(config.customNoteCount, 0);
    const std::int32_t lastFreqDefine = 71 + tune.freqDefineCount;
    for (int i = 1; i <= tune.noteCount; ++i) {
        NoteRecord& n = tune.noteTable[static_cast<std::size_t>(i)];
        if (n.noteKind() == NoteKind::Special) {
            n.pitch = std::min(std::max(n.pitch, 72), lastSpecial);
        } else if (n.noteKind() == NoteKind::FreqDefine) {
            n.pitch = std::min(std::max(n.pitch, 72), lastFreqDefine);
        }
    }
}

} // namespace qte
