#include "tunewindows/edit_dialogs.h"

#include "config/note_names.h"
#include "tune/tone_parser.h"
#include "tune/tone_text.h"
#include "tune/tune.h"
#include "tune/tune_edit.h"
#include "tune/tune_invariants.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace qte {

std::optional<std::int32_t> readDialogNumber(std::string_view field)
{
    return ScanDecimal(field.substr(0, std::min<std::size_t>(field.size(), 19)));
}

namespace {

// The index of the first item of this kind shown after `line`, or 0.
std::int32_t firstIndexAfter(const ToneText& text, std::int32_t line, LineItemKind kind)
{
    const std::int32_t count = std::min(text.toneTextLineCount, kMaxToneTextLines);
    for (std::int32_t l = std::max(line + 1, 0); l < count; ++l) {
        const LineInfo& info = text.lineInfo[static_cast<std::size_t>(l)];
        if (info.itemKind == static_cast<std::uint8_t>(kind)) return info.itemIndex;
    }
    return 0;
}

template <class R> void shiftSpan(R& r, float d, float mpu)
{
    r.startUnits += d;
    r.endUnits += d;
    r.startMs = unitsToMs(r.startUnits, mpu);
    r.endMs = unitsToMs(r.endUnits, mpu);
}

constexpr const char* kToneTimeField = "Tone time in ms";
constexpr const char* kStartField = "Start";
constexpr const char* kPauseField = "Pause in ms";
constexpr const char* kNoTime = "The note would last no time.";

std::string rangeMessage(const char* what, std::int32_t low, std::int32_t high)
{
    return std::string(what) + " must be a number from " + std::to_string(low) + " to " +
           std::to_string(high) + ".";
}

// Whether a note of these milliseconds still lasts one once its times are
// derived from units again, as the re-insertion derives them.
bool lastsAMillisecond(std::int32_t startMs, std::int32_t lengthMs, float mpu)
{
    const float startUnits = static_cast<float>(startMs) / mpu;
    const float endUnits = static_cast<float>(startMs + lengthMs) / mpu;
    return endUnits > startUnits && unitsToMs(endUnits, mpu) > unitsToMs(startUnits, mpu);
}

// The end of the latest item of any list.
std::int32_t latestTimeMs(const Tune& t)
{
    std::int32_t latest = 0;
    for (int i = 1; i <= t.noteCount; ++i)
        latest = std::max(latest, t.noteTable[i].endMs);
    for (int i = 1; i <= t.vibraCount; ++i)
        latest = std::max(latest, t.vibraList[i].endMs);
    for (int i = 1; i <= t.repeatCount; ++i)
        latest = std::max(latest, t.repeatList[i].endMs);
    for (int i = 1; i <= t.textCount; ++i)
        latest = std::max(latest, t.textList[i].timeMs);
    return latest;
}

// Judges edits against the tune as it was: a tune that came in with broken
// rules (a hand-written file) is held only to not getting worse.
class BreakCheck {
public:
    explicit BreakCheck(const Tune& before)
        : m_problems(checkTuneInvariants(before).size()), m_latest(latestTimeMs(before))
    {}
    [[nodiscard]] bool breaks(const Tune& after) const
    {
        const std::int32_t latest = latestTimeMs(after);
        if (latest > kMaxDialogTimeMs && latest > m_latest) return true;
        const std::size_t problems = checkTuneInvariants(after).size();
        return problems > 0 && problems > m_problems;
    }

private:
    std::size_t m_problems;
    std::int32_t m_latest;
};

// The values from `low` to `high` around `known` for which ok holds, by
// bisection on each side; ok(known) is taken to hold.
std::pair<std::int32_t, std::int32_t> passingRange(std::int32_t low, std::int32_t high,
                                                   std::int32_t known,
                                                   const std::function<bool(std::int32_t)>& ok)
{
    std::int32_t lo = low;
    if (!ok(lo)) {
        std::int32_t fail = low, pass = known;
        while (pass - fail > 1) {
            const std::int32_t mid = fail + (pass - fail) / 2;
            (ok(mid) ? pass : fail) = mid;
        }
        lo = pass;
    }
    std::int32_t hi = high;
    if (!ok(hi)) {
        std::int32_t pass = known, fail = high;
        while (fail - pass > 1) {
            const std::int32_t mid = pass + (fail - pass) / 2;
            (ok(mid) ? pass : fail) = mid;
        }
        hi = pass;
    }
    return {lo, hi};
}

// The note edit on `out`, a copy of the tune: fields, then re-insertion.
std::string tryNoteEdit(Tune& out, const ToneText& text, std::int32_t noteIndex,
                        std::int32_t lineIndex, const NoteDialogFields& fields,
                        std::int32_t customNoteCount)
{
    std::string refusal = applyNoteDialog(out, text, noteIndex, lineIndex, fields, customNoteCount);
    if (!refusal.empty()) return refusal;
    const NoteRecord edited = out.noteTable[noteIndex];
    DeleteNoteAt(out, noteIndex);
    if (InsertNote(out, edited, customNoteCount) == 0) return kNoTime;
    return {};
}

} // namespace

void ShiftItemsAfterLine(Tune& tune, const ToneText& text, std::int32_t line, float d)
{
    const float mpu = tune.msPerUnit;
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::Note); i >= 1) {
        for (; i <= tune.noteCount; ++i)
            shiftSpan(tune.noteTable[i], d, mpu);
    }
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::VibraOn); i >= 1) {
        for (; i <= tune.vibraCount; ++i)
            shiftSpan(tune.vibraList[i], d, mpu);
    }
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::RepeatOpen); i >= 1) {
        for (; i <= tune.repeatCount; ++i)
            shiftSpan(tune.repeatList[i], d, mpu);
    }
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::FreeText); i >= 1) {
        for (; i <= tune.textCount; ++i) {
            TextRecord& t = tune.textList[i];
            t.timeUnits += d;
            t.timeMs = unitsToMs(t.timeUnits, mpu);
        }
    }
}

NoteDialogFields noteDialogFields(const Tune& tune, std::int32_t noteIndex)
{
    NoteDialogFields f;
    if (noteIndex < 1 || noteIndex > tune.noteCount) return f;
    const NoteRecord& n = tune.noteTable[noteIndex];
    f.toneTime = std::to_string(n.durationMs);
    f.note = std::to_string(n.noteKind() == NoteKind::Normal ? n.pitch : n.pitch - 71);
    f.start = std::to_string(n.startMs);
    return f;
}

std::string applyNoteDialog(Tune& tune, const ToneText& text, std::int32_t noteIndex,
                            std::int32_t lineIndex, const NoteDialogFields& fields,
                            std::int32_t customNoteCount)
{
    if (noteIndex < 1 || noteIndex > tune.noteCount) return "The note no longer exists.";
    const auto length = readDialogNumber(fields.toneTime);
    if (!length || *length < 1 || *length > kMaxDialogTimeMs) {
        return rangeMessage(kToneTimeField, 1, kMaxDialogTimeMs);
    }
    const auto start = readDialogNumber(fields.start);
    if (!start || *start < 0 || *start > kMaxDialogTimeMs - *length) {
        return rangeMessage(kStartField, 0, kMaxDialogTimeMs - *length);
    }
    NoteRecord& n = tune.noteTable[noteIndex];
    const bool normal = n.noteKind() == NoteKind::Normal;
    // A Normal note's pitch may also be given by its name in the tone text.
    std::optional<std::int32_t> value = readDialogNumber(fields.note);
    if (!value && normal) value = pitchOfNoteName(fields.note);
    if (!value) {
        return normal ? std::string("Note must be a number from 1 to 108 or a note name of "
                                    "the tone text, such as C, C#3 or A2b.")
                      : std::string("Note must be a number.");
    }
    const float mpu = tune.msPerUnit;
    if (!lastsAMillisecond(*start, *length, mpu)) {
        std::int32_t shortest = *length;
        while (shortest < kMaxDialogTimeMs - *start && !lastsAMillisecond(*start, shortest, mpu))
            ++shortest;
        return rangeMessage(kToneTimeField, shortest, kMaxDialogTimeMs - *start);
    }
    const float d = static_cast<float>(*length) / mpu - n.durationUnits;
    if (fields.insert) ShiftItemsAfterLine(tune, text, lineIndex, d);
    n.durationMs = *length;
    n.durationUnits = static_cast<float>(*length) / mpu;
    n.startMs = *start;
    n.startUnits = static_cast<float>(*start) / mpu;
    n.endMs = n.startMs + n.durationMs;
    n.endUnits = static_cast<float>(n.endMs) / mpu;
    switch (n.noteKind()) {
    case NoteKind::Normal: n.pitch = std::clamp(*value, 1, 108); break;
    case NoteKind::Special: {
        const long long p = std::max<long long>(static_cast<long long>(*value) + 71, 72);
        n.pitch = static_cast<std::int32_t>(std::min<long long>(p, 71 + customNoteCount));
        break;
    }
    case NoteKind::FreqDefine: {
        const long long p = std::max<long long>(static_cast<long long>(*value) + 71, 72);
        n.pitch = static_cast<std::int32_t>(std::min<long long>(p, 71 + tune.freqDefineCount));
        break;
    }
    }
    return {};
}

std::string pauseDialogField(const ToneText& text, std::int32_t line)
{
    if (line < 0 || line >= kMaxToneTextLines) return "0";
    return std::to_string(text.lineInfo[static_cast<std::size_t>(line)].itemIndex);
}

std::string applyPauseDialog(Tune& tune, ToneText& text, std::int32_t line, std::string_view field)
{
    if (line < 0 || line >= std::min(text.toneTextLineCount, kMaxToneTextLines)) {
        return "The pause no longer exists.";
    }
    const auto length = readDialogNumber(field);
    if (!length || *length < 0 || *length > kMaxDialogTimeMs) {
        return rangeMessage(kPauseField, 0, kMaxDialogTimeMs);
    }
    LineInfo& info = text.lineInfo[static_cast<std::size_t>(line)];
    const std::int32_t old = info.itemIndex;
    info.itemIndex = *length;
    ShiftItemsAfterLine(tune, text, line, static_cast<float>(*length - old) / tune.msPerUnit);
    return {};
}

bool applyTextDialog(Tune& tune, std::int32_t textIndex, std::string_view field)
{
    if (textIndex < 1 || textIndex > tune.textCount) return false;
    tune.textList[textIndex].setText(field);
    return tune.textList[textIndex].text.empty();
}

} // namespace qte

namespace qte {

std::string EditNoteLine(Tune& tune, const ToneText& text, std::int32_t noteIndex,
                         std::int32_t lineIndex, const NoteDialogFields& fields,
                         std::int32_t customNoteCount)
{
    if (noteIndex < 1 || noteIndex > tune.noteCount) return "The note no longer exists.";
    const BreakCheck check(tune);
    auto trial = std::make_unique<Tune>(tune);
    std::string refusal = tryNoteEdit(*trial, text, noteIndex, lineIndex, fields, customNoteCount);
    if (refusal.empty() && !check.breaks(*trial)) {
        tune = std::move(*trial);
        return {};
    }
    // The field at fault: the one the strip's own rules named; else, with
    // Insert, the length, which the later items follow; else the note's place.
    bool byLength = fields.insert;
    if (refusal.rfind(kToneTimeField, 0) == 0 || refusal == kNoTime)
        byLength = true;
    else if (refusal.rfind(kStartField, 0) == 0)
        byLength = false;
    else if (!refusal.empty())
        return refusal;
    // The range is searched outward from what the note has now.
    const NoteDialogFields shown = noteDialogFields(tune, noteIndex);
    const auto known = readDialogNumber(byLength ? shown.toneTime : shown.start).value_or(0);
    const auto other = readDialogNumber(byLength ? fields.start : fields.toneTime).value_or(0);
    auto ok = [&](std::int32_t v) {
        NoteDialogFields f = fields;
        (byLength ? f.toneTime : f.start) = std::to_string(v);
        *trial = tune;
        return tryNoteEdit(*trial, text, noteIndex, lineIndex, f, customNoteCount).empty() &&
               !check.breaks(*trial);
    };
    const std::int32_t low = byLength ? 1 : 0;
    const std::int32_t high = std::max(low, kMaxDialogTimeMs - std::max(other, 0));
    const std::int32_t from = std::clamp(known, low, high);
    const char* name = byLength ? kToneTimeField : kStartField;
    if (!ok(from)) return refusal.empty() ? rangeMessage(name, low, high) : refusal;
    const auto [lo, hi] = passingRange(low, high, from, ok);
    return rangeMessage(name, lo, hi);
}

std::string EditPauseLine(Tune& tune, ToneText& text, std::int32_t line, std::string_view field)
{
    if (line < 0 || line >= std::min(text.toneTextLineCount, kMaxToneTextLines))
        return "The pause no longer exists.";
    LineInfo& info = text.lineInfo[static_cast<std::size_t>(line)];
    const std::int32_t old = info.itemIndex;
    const BreakCheck check(tune);
    auto trial = std::make_unique<Tune>(tune);
    // The refusal of the strip's own rules; `broken` when the value passed
    // them but would leave the tune broken.
    bool broken = false;
    auto attempt = [&](std::string_view f) {
        *trial = tune;
        std::string refusal = applyPauseDialog(*trial, text, line, f);
        broken = refusal.empty() && check.breaks(*trial);
        info.itemIndex = old;
        return refusal;
    };
    const std::string refusal = attempt(field);
    if (refusal.empty() && !broken) {
        tune = std::move(*trial);
        info.itemIndex = *readDialogNumber(field);
        return {};
    }
    // The range is searched outward from the length the pause has now.
    auto ok = [&](std::int32_t v) { return attempt(std::to_string(v)).empty() && !broken; };
    const std::int32_t from = std::clamp(old, 0, kMaxDialogTimeMs);
    if (!ok(from))
        return refusal.empty() ? rangeMessage(kPauseField, 0, kMaxDialogTimeMs) : refusal;
    const auto [lo, hi] = passingRange(0, kMaxDialogTimeMs, from, ok);
    return rangeMessage(kPauseField, lo, hi);
}

} // namespace qte
