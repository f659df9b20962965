#pragma once
// Random tunes of the shapes the tone text can carry, built in time order
// the way the parser would read them back; the same seed gives the same tune.

#include <algorithm>
#include <random>
#include <string>

#include "tune/tune.h"

namespace qte::test {

struct RandomTuneShape {
    int maxNotes = 300;
    int customNoteCount = 3; // Special pitches 72 .. 71 + this
    std::string politeMarker = "/*POLITE*/";
};

inline Tune randomTune(std::mt19937& rng, const RandomTuneShape& shape = {})
{
    auto chance = [&rng](double p) { return std::bernoulli_distribution(p)(rng); };
    auto between = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const std::string texts[] = {"/* verse */",   "/* chorus 2 */", "// loop here",
                                 "#if RING_LOUD", "#endif",         shape.politeMarker};

    Tune tune;
    tune.tempoBpm = between(25, 900);
    tune.msPerUnit = 7500.0f / static_cast<float>(tune.tempoBpm);
    tune.noteNameSet = between(0, 1);
    const int notes = between(0, shape.maxNotes);
    std::int32_t t = 0;
    bool vibraOn = false, repeatOpen = false;

    // Items at one instant, in the order the text lists them.
    auto instant = [&](bool closeAll) {
        if (!closeAll && chance(0.1) && tune.textCount < kMaxTexts) {
            TextRecord& r = tune.textList[static_cast<std::size_t>(++tune.textCount)];
            r = {};
            r.timeMs = t;
            r.setText(texts[between(0, static_cast<int>(std::size(texts)) - 1)]);
        }
        if (!repeatOpen && !closeAll && chance(0.08) && tune.repeatCount < kMaxRepeats) {
            RepeatRecord& r = tune.repeatList[static_cast<std::size_t>(++tune.repeatCount)];
            r = {};
            r.startMs = t;
            r.repetitions = between(1, 20);
            repeatOpen = true;
        } else if (repeatOpen && tune.repeatList[tune.repeatCount].startMs < t &&
                   (closeAll || chance(0.2))) {
            tune.repeatList[static_cast<std::size_t>(tune.repeatCount)].endMs = t;
            repeatOpen = false;
        }
        VibraRecord* v = &tune.vibraList[static_cast<std::size_t>(tune.vibraCount)];
        if (vibraOn && v->startMs < t && (closeAll || chance(0.3))) {
            SetEnd(*v, t);
            vibraOn = false;
        } else if (!vibraOn && !closeAll && chance(0.1) && tune.vibraCount < kMaxVibras) {
            v = &tune.vibraList[static_cast<std::size_t>(++tune.vibraCount)];
            *v = {};
            v->startMs = t;
            vibraOn = true;
        }
    };
    for (int i = 0; i < notes; ++i) {
        instant(false);
        if (chance(0.3)) {
            t += between(1, 2000);
            instant(false);
        }
        NoteRecord& n = tune.noteTable[static_cast<std::size_t>(++tune.noteCount)];
        n = {};
        n.startMs = t;
        SetEnd(n, t + between(1, 3000));
        const int kind = i == 0 ? 0 : between(0, 9);
        if (kind < 7) {
            n.kind = static_cast<std::int32_t>(NoteKind::Normal);
            n.pitch = between(69, 108);
        } else if (kind < 8 && shape.customNoteCount > 0) {
            n.kind = static_cast<std::int32_t>(NoteKind::Special);
            n.pitch = between(72, 71 + shape.customNoteCount);
        } else {
            n.kind = static_cast<std::int32_t>(NoteKind::FreqDefine);
            n.pitch = between(72, 71 + kFreqDefineSlots);
        }
        t = n.endMs;
    }
    instant(true);
    // A segment or block opened at the very end has no length: drop it.
    if (vibraOn) --tune.vibraCount;
    if (repeatOpen) --tune.repeatCount;
    DeriveUnitsFromMs(tune);
    return tune;
}

} // namespace qte::test
