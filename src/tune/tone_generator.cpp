#include "tune/tone_generator.h"

#include <algorithm>
#include <optional>

namespace qte {

namespace {

constexpr const char* kIndent = "        ";
constexpr std::int32_t kNoTime = 1'000'000'000;

enum class EventKind { Note = 1, Vibra = 2, Repeat = 3, Text = 4 };

struct Event {
    std::int32_t timeMs;
    EventKind kind;
    int phase; // 0 start, 1 end
    std::int32_t index;
};

// The events in text order; tail is what the last of them reaches past the
// end of the last note.
std::vector<Event> mergeEvents(const Tune& tune, std::optional<std::int32_t>& tail)
{
    std::vector<Event> events;
    events.reserve(static_cast<std::size_t>(tune.noteCount) +
                   static_cast<std::size_t>(tune.textCount) +
                   2 * static_cast<std::size_t>(tune.vibraCount + tune.repeatCount));
    std::int32_t note = 1, vibra = 1, repeat = 1, text = 1;
    int vibraPhase = 0, repeatPhase = 0;
    const std::int32_t lastNoteEnd = tune.noteTable[static_cast<std::size_t>(tune.noteCount)].endMs;
    for (;;) {
        std::int32_t best = kNoTime;
        std::optional<Event> winner;
        auto consider = [&](std::int32_t time, EventKind kind, int phase, std::int32_t index) {
            if (time < best) {
                best = time;
                winner = Event{time, kind, phase, index};
            }
        };
        const auto& texts = tune.textList;
        const auto& repeats = tune.repeatList;
        const auto& vibras = tune.vibraList;
        if (text <= tune.textCount) consider(texts[text].timeMs, EventKind::Text, 0, text);
        if (repeat <= tune.repeatCount && repeatPhase == 0)
            consider(repeats[repeat].startMs, EventKind::Repeat, 0, repeat);
        if (vibra <= tune.vibraCount)
            consider(vibraPhase == 0 ? vibras[vibra].startMs : vibras[vibra].endMs,
                     EventKind::Vibra, vibraPhase, vibra);
        if (repeat <= tune.repeatCount && repeatPhase == 1)
            consider(repeats[repeat].endMs, EventKind::Repeat, 1, repeat);
        if (note <= tune.noteCount)
            consider(tune.noteTable[note].startMs, EventKind::Note, 0, note);
        if (!winner) break;
        events.push_back(*winner);

        std::int32_t itemEnd = 0;
        switch (winner->kind) {
        case EventKind::Note: itemEnd = tune.noteTable[note++].endMs; break;
        case EventKind::Text: itemEnd = texts[text++].timeMs; break;
        case EventKind::Vibra:
            itemEnd = vibras[vibra].endMs;
            if (vibraPhase == 0)
                vibraPhase = 1;
            else {
                vibraPhase = 0;
                ++vibra;
            }
            break;
        case EventKind::Repeat:
            itemEnd = repeats[repeat].endMs;
            if (repeatPhase == 0)
                repeatPhase = 1;
            else {
                repeatPhase = 0;
                ++repeat;
            }
            break;
        }
        tail = itemEnd - lastNoteEnd;
    }
    return events;
}

class LineWriter {
public:
    explicit LineWriter(ToneText& text) : m_text(text) {}

    void write(std::string line, LineInfo info = {})
    {
        if (m_text.toneTextLineCount >= kMaxToneTextLines) {
            ++m_text.droppedLineCount;
            return;
        }
        if (line.size() > kMaxToneTextLineChars) {
            const bool lineEnd = line.back() == '\n';
            line.resize(kMaxToneTextLineChars);
            if (lineEnd) line.back() = '\n';
            m_cut = true;
        }
        const auto i = static_cast<std::size_t>(m_text.toneTextLineCount++);
        m_text.toneTextLines[i] = std::move(line);
        m_text.lineInfo[i] = info;
    }
    void indented(std::string_view body, LineInfo info = {})
    {
        write(std::string(kIndent) + std::string(body) + "\n", info);
    }

    [[nodiscard]] bool cut() const { return m_cut; }

private:
    ToneText& m_text;
    bool m_cut = false;
};

template <std::size_t N> const std::string& entry(const std::array<std::string, N>& a, int i)
{
    static const std::string kNone;
    return i >= 0 && static_cast<std::size_t>(i) < N ? a[static_cast<std::size_t>(i)] : kNone;
}

std::string noteName(const NoteRecord& n, std::int32_t noteNameSet, const TextConfig& config,
                     const NoteNameTable& names)
{
    switch (n.noteKind()) {
    case NoteKind::Special: return entry(config.customNoteName, n.pitch - 72) + ",";
    case NoteKind::FreqDefine: return std::to_string(n.pitch - 71) + ",";
    case NoteKind::Normal: break;
    }
    const std::string& name =
        n.pitch >= 0 && n.pitch < 128 ? names[static_cast<std::size_t>(n.pitch)] : names[0];
    return entry(config.noteNamePrefix, noteNameSet) + name;
}

template <std::size_t N>
void writeBlock(LineWriter& out, const std::array<std::string, N>& lines, std::int32_t count,
                const char* prefix)
{
    const int n = std::clamp<int>(count, 0, static_cast<int>(N));
    for (int i = 0; i < n; ++i)
        out.write(prefix + lines[static_cast<std::size_t>(i)] + "\n");
}

} // namespace

GeneratedToneText WriteToneText(const Tune& tune, const TextConfig& config,
                                const NoteNameTable& names, const ToneTextOptions& options)
{
    GeneratedToneText result;
    ToneText& text = result.text;
    std::optional<std::int32_t> tail;
    const std::vector<Event> events = mergeEvents(tune, tail);

    LineWriter out(text);
    const int headerCount = std::clamp<int>(config.headerLineCount, 0, kMaxHeaderLines);
    for (int i = 0; i < headerCount; ++i)
        out.write(SubstitutePlaceholders(config.headerLines[static_cast<std::size_t>(i)],
                                         tune.toneName, tune.toneId) +
                  "\n");
    if (options.writeTempo)
        out.write(std::string(kIndent) + "/*Tempo: " + std::to_string(tune.tempoBpm) + "bpm*/");
    out.indented("");
    if (options.addDefaultParts && config.defaultStartLineCount >= 1) {
        writeBlock(out, config.defaultStartLines, config.defaultStartLineCount, kIndent);
        out.indented("");
    }

    std::int32_t runningMs = 0;
    for (const Event& e : events) {
        if (e.timeMs > runningMs) {
            const std::int32_t gap = e.timeMs - runningMs;
            out.indented("TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(" + std::to_string(gap) + "))",
                         {static_cast<std::uint8_t>(LineItemKind::Pause), gap});
        }
        runningMs = e.timeMs;
        switch (e.kind) {
        case EventKind::Note: {
            const NoteRecord& n = tune.noteTable[static_cast<std::size_t>(e.index)];
            out.indented("TONE(" + noteName(n, tune.noteNameSet, config, names) +
                             " TONE_TIME_IN_MS(" + std::to_string(n.durationMs) + "))",
                         {static_cast<std::uint8_t>(LineItemKind::Note), e.index});
            runningMs = n.endMs;
            break;
        }
        case EventKind::Vibra:
            out.indented(e.phase == 0 ? config.vibraOnText : config.vibraOffText,
                         {static_cast<std::uint8_t>(e.phase == 0 ? LineItemKind::VibraOn
                                                                 : LineItemKind::VibraOff),
                          e.index});
            break;
        case EventKind::Repeat:
            if (e.phase == 0) {
                const RepeatRecord& r = tune.repeatList[static_cast<std::size_t>(e.index)];
                out.indented(config.repeatOpenText + std::to_string(r.repetitions) + ")",
                             {static_cast<std::uint8_t>(LineItemKind::RepeatOpen), e.index});
            } else {
                out.indented(config.repeatCloseText,
                             {static_cast<std::uint8_t>(LineItemKind::RepeatClose), e.index});
            }
            break;
        case EventKind::Text: {
            const std::string& t = tune.textList[static_cast<std::size_t>(e.index)].text;
            out.indented(t.empty() ? std::string_view("--- free text ---") : std::string_view(t),
                         {static_cast<std::uint8_t>(LineItemKind::FreeText), e.index});
            break;
        }
        }
    }

    if (options.addDefaultParts && config.defaultEndLineCount >= 1) {
        out.indented("");
        writeBlock(out, config.defaultEndLines, config.defaultEndLineCount, kIndent);
    }
    writeBlock(out, config.footerLines, config.footerLineCount, "");

    if (text.droppedLineCount > 0)
        result.warnings.push_back("The tone text is longer than " +
                                  std::to_string(kMaxToneTextLines) + " lines; the last " +
                                  std::to_string(text.droppedLineCount) +
                                  " lines are not shown and the text cannot be saved as it is.");
    if (out.cut())
        result.warnings.push_back("Some lines of the tone text are longer than " +
                                  std::to_string(kMaxToneTextLineChars - 1) +
                                  " characters and were cut.");
    return result;
}

GeneratedToneText GenerateToneText(Tune& tune, const TextConfig& config, const NoteNameTable& names,
                                   const ToneTextOptions& options)
{
    tune.tailMs = TailMsOf(tune);
    return WriteToneText(tune, config, names, options);
}

std::int32_t TailMsOf(const Tune& tune)
{
    std::optional<std::int32_t> tail;
    (void)mergeEvents(tune, tail);
    return tail.value_or(tune.tailMs);
}

namespace {

// A name the generator writes ends in the comma before the time; "_UNK"
// has none.
bool isNamed(const NoteNameTable& names, std::int32_t pitch)
{
    return pitch >= 0 && pitch < static_cast<std::int32_t>(names.size()) &&
           names[static_cast<std::size_t>(pitch)].ends_with(',');
}

} // namespace

NamedPitches NamedPitchRange(const NoteNameTable& names)
{
    NamedPitches range;
    for (std::int32_t p = 0; p < static_cast<std::int32_t>(names.size()); ++p) {
        if (!isNamed(names, p)) continue;
        if (range.lowest < 0) range.lowest = p;
        range.highest = p;
    }
    return range;
}

UnnamedNotes FindUnnamedNotes(const Tune& tune, const NoteNameTable& names)
{
    UnnamedNotes found;
    const auto named = [&names](std::int32_t pitch) { return isNamed(names, pitch); };
    const auto [lowest, highest] = NamedPitchRange(names);
    const auto shown = [&names](std::int32_t p) {
        std::string_view n = names[static_cast<std::size_t>(p)];
        if (n.starts_with('_')) n.remove_prefix(1);
        if (n.ends_with(',')) n.remove_suffix(1);
        return std::string(n);
    };
    if (lowest >= 0) {
        found.lowestName = shown(lowest);
        found.highestName = shown(highest);
    }
    const int count = std::clamp(tune.noteCount, 0, kMaxNotes);
    for (int i = 1; i <= count; ++i) {
        const NoteRecord& n = tune.noteTable[static_cast<std::size_t>(i)];
        if (n.noteKind() != NoteKind::Normal || named(n.pitch)) continue;
        (lowest >= 0 && n.pitch > highest ? found.aboveMs : found.belowMs).push_back(n.startMs);
    }
    return found;
}

namespace {

constexpr std::size_t kPositionsShown = 3;

std::string positions(const std::vector<std::int32_t>& ms)
{
    std::string out = "at ";
    const std::size_t shown = std::min(ms.size(), kPositionsShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) out += i + 1 == shown && ms.size() <= kPositionsShown ? " and " : ", ";
        out += std::to_string(ms[i]) + " ms";
    }
    if (ms.size() > kPositionsShown)
        out += " and " + std::to_string(ms.size() - kPositionsShown) + " more";
    return out;
}

std::string notesLie(const std::vector<std::int32_t>& ms, const char* where,
                     const std::string& name, const char* which)
{
    const bool one = ms.size() == 1;
    return std::to_string(ms.size()) + (one ? " note lies " : " notes lie ") + where + " " + name +
           ", the " + which + " note the tone text names: " + positions(ms) + ".";
}

} // namespace

std::string UnnamedNotesWarning(const Tune& tune, const NoteNameTable& names)
{
    const UnnamedNotes found = FindUnnamedNotes(tune, names);
    if (!found.any()) return {};
    if (found.lowestName.empty())
        return std::to_string(found.belowMs.size()) +
               " notes have no name in the tone text. Save the tune in another format.";
    std::string text;
    if (!found.belowMs.empty()) text = notesLie(found.belowMs, "below", found.lowestName, "lowest");
    if (!found.aboveMs.empty())
        text += (text.empty() ? "" : " ") +
                notesLie(found.aboveMs, "above", found.highestName, "highest");
    const bool one = found.belowMs.size() + found.aboveMs.size() == 1;
    return text + (one ? " Transpose it, or save in another format."
                       : " Transpose them, or save in another format.");
}

} // namespace qte
