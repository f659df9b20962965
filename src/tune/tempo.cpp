#include "tune/tempo.h"

#include "tune/tune.h"

#include <cmath>

namespace qte {

namespace {

// Natural-length correction: a note that lasts a note value less 20 ms at
// the old tempo lasts that value less 20 ms at the new one.
void keepNatural(NoteRecord& n, float oldMpu, float newMpu)
{
    const float d = (n.endUnits - n.startUnits) * 0.03125f;
    const float gOld = 20.0f / (oldMpu * 32.0f);
    const float gNew = 20.0f / (newMpu * 32.0f);
    const float factors[] = {1.0f, 1.5f, 1.75f, 0.67f};
    for (int s = 0; s <= 5; ++s) {
        const float v = 1.0f / static_cast<float>(1 << s);
        for (float f : factors) {
            if (std::fabs(d - (f * v - gOld)) < 0.001f) {
                n.endUnits = n.endUnits + 32.0f * gOld - 32.0f * gNew;
                return;
            }
        }
    }
}

} // namespace

bool setTempo(Tune& tune, std::int32_t bpm, bool keepNaturalNotes, NoteLengthState& length,
              std::int32_t styleMode)
{
    if (!isValidTempo(bpm)) return false;
    const float oldMpu = 7500.0f / static_cast<float>(tune.tempoBpm > 0 ? tune.tempoBpm : bpm);
    tune.tempoBpm = bpm;
    tune.msPerUnit = 7500.0f / static_cast<float>(bpm);
    const float mpu = tune.msPerUnit;
    for (int i = 1; i <= tune.noteCount; ++i) {
        NoteRecord& n = tune.noteTable[i];
        if (keepNaturalNotes) keepNatural(n, oldMpu, mpu);
        n.durationUnits = n.endUnits - n.startUnits;
        n.startMs = unitsToMs(n.startUnits, mpu);
        n.endMs = unitsToMs(n.endUnits, mpu);
        n.durationMs = unitsToMs(n.durationUnits, mpu);
    }
    for (int i = 1; i <= tune.vibraCount; ++i) {
        VibraRecord& v = tune.vibraList[i];
        v.startMs = unitsToMs(v.startUnits, mpu);
        v.endMs = unitsToMs(v.endUnits, mpu);
    }
    for (int i = 1; i <= tune.repeatCount; ++i) {
        RepeatRecord& r = tune.repeatList[i];
        r.startMs = unitsToMs(r.startUnits, mpu);
        r.endMs = unitsToMs(r.endUnits, mpu);
    }
    for (int i = 1; i <= tune.textCount; ++i) {
        TextRecord& t = tune.textList[i];
        t.timeMs = unitsToMs(t.timeUnits, mpu);
    }
    setNoteLength(length, length.noteLengthIndex, length.noteLengthModifier, styleMode, mpu);
    return true;
}

void setNoteLength(NoteLengthState& length, std::int32_t index, std::int32_t modifier,
                   std::int32_t styleMode, float msPerUnit)
{
    length.noteLengthModifier = modifier;
    const int shift = 6 - index;
    float units = (shift >= 0 && shift < 31) ? 32.0f / static_cast<float>(1 << shift) : 1.0f;
    switch (modifier) {
    case 1: units *= 1.5f; break;
    case 2: units *= 1.75f; break;
    case 3: units *= 0.67f; break;
    default: break;
    }
    const StyleMode style = drawingStyle(styleMode);
    if (style == StyleMode::Natural) {
        float ms = msPerUnit * units - 20.0f;
        if (ms < 20.0f) ms = 20.0f;
        units = ms / msPerUnit;
    } else if (style == StyleMode::Staccato) {
        units *= 0.33333334f;
        const float cap = 60.0f / msPerUnit;
        if (units > cap) units = cap;
    }
    length.newNoteUnits = units;
}

} // namespace qte
