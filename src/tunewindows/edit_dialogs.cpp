#include "tunewindows/edit_dialogs.h"

#include "tune/tone_parser.h"
#include "tune/tone_text.h"
#include "tune/tune.h"

#include <algorithm>
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

std::string rangeMessage(const char* what, std::int32_t low, std::int32_t high)
{
    return std::string(what) + " must be a number from " + std::to_string(low) + " to " +
           std::to_string(high) + ".";
}

} // namespace

void ShiftItemsAfterLine(Tune& tune, const ToneText& text, std::int32_t line, float d)
{
    const float mpu = tune.msPerUnit;
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::Note); i >= 1) {
        for (; i <= tune.noteCount; ++i) shiftSpan(tune.noteTable[i], d, mpu);
    }
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::VibraOn); i >= 1) {
        for (; i <= tune.vibraCount; ++i) shiftSpan(tune.vibraList[i], d, mpu);
    }
    if (std::int32_t i = firstIndexAfter(text, line, LineItemKind::RepeatOpen); i >= 1) {
        for (; i <= tune.repeatCount; ++i) shiftSpan(tune.repeatList[i], d, mpu);
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
        return rangeMessage("Tone time in ms", 1, kMaxDialogTimeMs);
    }
    const auto start = readDialogNumber(fields.start);
    if (!start || *start < 0 || *start > kMaxDialogTimeMs - *length) {
        return rangeMessage("Start", 0, kMaxDialogTimeMs - *length);
    }
    NoteRecord& n = tune.noteTable[noteIndex];
    const auto value = readDialogNumber(fields.note);
    if (!value) {
        return n.noteKind() == NoteKind::Normal ? rangeMessage("Note", 1, 108)
                                                : std::string("Note must be a number.");
    }
    const float mpu = tune.msPerUnit;
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
        return rangeMessage("Pause in ms", 0, kMaxDialogTimeMs);
    }
    LineInfo& info = text.lineInfo[static_cast<std::size_t>(line)];
    const std::int32_t old = info.itemIndex;
    info.itemIndex = *length;
    ShiftItemsAfterLine(tune, text, line,
                        static_cast<float>(*length - old) / tune.msPerUnit);
    return {};
}

bool applyTextDialog(Tune& tune, std::int32_t textIndex, std::string_view field)
{
    if (textIndex < 1 || textIndex > tune.textCount) return false;
    tune.textList[textIndex].setText(field);
    return tune.textList[textIndex].text.empty();
}

} // namespace qte
