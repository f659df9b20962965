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
    auto next = [](auto& list, std::int32_t& count) -> auto&
    {
        return list[static_cast<std::size_t>(++count)] = {};
    };

    // Items at one instant, in the order the text lists them.
    auto instant = [&](bool closeAll) {
        if (!closeAll && chance(0.1) && tune.textCount < kMaxTexts)
            (next(tune.textList, tune.textCount) = {t, 0.0f, {}})
                .setText(texts[between(0, static_cast<int>(std::size(texts)) - 1)]);
        RepeatRecord& r = tune.repeatList[static_cast<std::size_t>(tune.repeatCount)];
        if (!repeatOpen && !closeAll && chance(0.08) && tune.repeatCount < kMaxRepeats) {
            next(tune.repeatList, tune.repeatCount) = {t, 0, 0, 0, between(1, 20)};
            repeatOpen = true;
        } else if (repeatOpen && r.startMs < t && (closeAll || chance(0.2))) {
            r.endMs = t;
            repeatOpen = false;
        }
        VibraRecord& v = tune.vibraList[static_cast<std::size_t>(tune.vibraCount)];
        if (vibraOn && v.startMs < t && (closeAll || chance(0.3))) {
            SetEnd(v, t);
            vibraOn = false;
        } else if (!vibraOn && !closeAll && chance(0.1) && tune.vibraCount < kMaxVibras) {
            next(tune.vibraList, tune.vibraCount).startMs = t;
            vibraOn = true;
        }
    };
    for (int i = 0; i < notes; ++i) {
        instant(false);
        if (chance(0.3)) {
            t += between(1, 2000);
            instant(false);
        }
        NoteRecord& n = next(tune.noteTable, tune.noteCount);
        n.startMs = t;
        SetEnd(n, t + between(1, 3000));
        const int kind = i == 0 ? 0 : between(0, 9);
        const bool special = kind == 7 && shape.customNoteCount > 0;
        n.kind = static_cast<std::int32_t>(kind < 7  ? NoteKind::Normal
                                           : special ? NoteKind::Special
                                                     : NoteKind::FreqDefine);
        n.pitch = kind < 7  ? between(69, 108)
                  : special ? between(72, 71 + shape.customNoteCount)
                            : between(72, 71 + kFreqDefineSlots);
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
