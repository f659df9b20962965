#include "tune/tune.h"

#include <algorithm>
#include <climits>

namespace qte {

void TextRecord::setText(std::string_view t)
{
    text.assign(t.substr(0, std::min(t.size(), kMaxTextChars)));
}

std::int32_t unitsToMs(float units, float msPerUnit)
{
    const float ms = units * msPerUnit;
    // Saturate instead of overflowing on absurd inputs.
    if (!(ms > -2147483520.0f)) return ms != ms ? 0 : INT32_MIN;
    if (!(ms < 2147483520.0f)) return INT32_MAX;
    return static_cast<std::int32_t>(ms);
}

float msToUnits(std::int32_t ms, float msPerUnit)
{
    return static_cast<float>(ms) / msPerUnit;
}

void ClearSelection(Tune& tune)
{
    for (int i = 0; i <= tune.noteCount && i < kNoteSlots; ++i)
        tune.noteTable[i].selected = 0;
    tune.selectionMode = 0;
}

void ClearItems(Tune& tune)
{
    tune.noteCount = 0;
    tune.textCount = 0;
    tune.vibraCount = 0;
    tune.repeatCount = 0;
    tune.freqDefineCount = 0;
    tune.politeNoteCount = 0;
    tune.politeDefined = 0;
    tune.noteTable[0].endMs = 0;
    ClearSelection(tune);
}

void ClearTune(Tune& tune)
{
    tune.noteCount = 0;
    tune.textCount = 0;
    tune.vibraCount = 0;
    tune.repeatCount = 0;
    tune.politeNoteCount = 0;
    tune.politeDefined = 0;
    tune.noteTable[0].endMs = 0;
    tune.toneName = "Undefined";
    tune.toneId = "UNDF";
    for (NoteRecord& n : tune.noteTable) {
        // durationMs, durationUnits and kind keep their old values.
        n.startMs = 0;
        n.endMs = 0;
        n.startUnits = 0.0f;
        n.endUnits = 0.0f;
        n.pitch = 0;
        n.selected = 0;
    }
    ClearSelection(tune);
}

void DeleteNoteAt(Tune& tune, int index)
{
    if (index < 1 || index > tune.noteCount) return;
    std::copy(tune.noteTable.begin() + index + 1, tune.noteTable.begin() + tune.noteCount + 1,
              tune.noteTable.begin() + index);
    --tune.noteCount;
}

void DeleteTextAt(Tune& tune, int index)
{
    if (index < 1 || index > tune.textCount) return;
    std::move(tune.textList.begin() + index + 1, tune.textList.begin() + tune.textCount + 1,
              tune.textList.begin() + index);
    --tune.textCount;
}

void DeriveUnitsFromMs(Tune& tune)
{
    const float mpu = tune.msPerUnit;
    for (int i = 1; i <= tune.noteCount; ++i) {
        NoteRecord& n = tune.noteTable[i];
        n.startUnits = msToUnits(n.startMs, mpu);
        n.endUnits = msToUnits(n.endMs, mpu);
        n.durationUnits = msToUnits(n.durationMs, mpu);
    }
    for (int i = 1; i <= tune.vibraCount; ++i) {
        VibraRecord& v = tune.vibraList[i];
        v.startUnits = msToUnits(v.startMs, mpu);
        v.endUnits = msToUnits(v.endMs, mpu);
    }
    for (int i = 1; i <= tune.repeatCount; ++i) {
        RepeatRecord& r = tune.repeatList[i];
        r.startUnits = msToUnits(r.startMs, mpu);
        r.endUnits = msToUnits(r.endMs, mpu);
    }
    for (int i = 1; i <= tune.textCount; ++i) {
        TextRecord& t = tune.textList[i];
        t.timeUnits = msToUnits(t.timeMs, mpu);
    }
}

} // namespace qte
