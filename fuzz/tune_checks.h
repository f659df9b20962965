#pragma once
// Invariants every reader leaves in a tune, whatever the input: counts within
// capacity, lists in time order, lengths never negative, times and tempo
// finite, texts within a record. Shared by the fuzz targets.

#include "tune/tone_text.h"
#include "tune/tune.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

// Names the broken invariant before stopping, so a crash report says which.
#define QTE_FUZZ_CHECK(cond)                                                                       \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace qte::fuzz {

// Lists of timed items: starts in order, each end at or after its start.
template <class R> void checkSpans(const R* items, int count)
{
    for (int i = 1; i <= count; ++i) {
        const R& r = items[i];
        QTE_FUZZ_CHECK(std::isfinite(r.startUnits) && std::isfinite(r.endUnits));
        QTE_FUZZ_CHECK(r.startMs >= 0 && r.endMs >= r.startMs);
        QTE_FUZZ_CHECK(r.endUnits >= r.startUnits);
        if (i > 1) QTE_FUZZ_CHECK(items[i - 1].startMs <= r.startMs);
    }
}

inline void checkTune(const Tune& t)
{
    QTE_FUZZ_CHECK(t.noteCount >= 0 && t.noteCount <= kMaxNotes);
    QTE_FUZZ_CHECK(t.vibraCount >= 0 && t.vibraCount <= kMaxVibras);
    QTE_FUZZ_CHECK(t.repeatCount >= 0 && t.repeatCount <= kMaxRepeats);
    QTE_FUZZ_CHECK(t.textCount >= 0 && t.textCount <= kMaxTexts);
    QTE_FUZZ_CHECK(t.freqDefineCount >= 0 && t.freqDefineCount <= kFreqDefineSlots);
    QTE_FUZZ_CHECK(t.tempoBpm > 0);
    QTE_FUZZ_CHECK(std::isfinite(t.msPerUnit) && t.msPerUnit > 0.0f);
    QTE_FUZZ_CHECK(t.toneName.size() <= kMaxNameChars && t.toneId.size() <= kMaxNameChars);
    checkSpans(t.noteTable.data(), t.noteCount);
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        // Importers that count in units truncate each of the three ms
        // fields on its own; single-precision products that land just
        // under a whole ms cost one more.
        QTE_FUZZ_CHECK(std::abs(n.durationMs - (n.endMs - n.startMs)) <= 2);
        QTE_FUZZ_CHECK(n.kind >= 0 && n.kind <= 2);
        // A FREQ_DEFINE number is kept as the file writes it, any 32-bit
        // value; the other kinds name a pitch of the tables.
        if (n.noteKind() != NoteKind::FreqDefine) QTE_FUZZ_CHECK(n.pitch >= 0 && n.pitch <= 127);
    }
    checkSpans(t.vibraList.data(), t.vibraCount);
    checkSpans(t.repeatList.data(), t.repeatCount);
    for (int i = 1; i <= t.textCount; ++i) {
        const TextRecord& x = t.textList[i];
        QTE_FUZZ_CHECK(x.text.size() <= kMaxTextChars);
        QTE_FUZZ_CHECK(std::isfinite(x.timeUnits) && x.timeMs >= 0);
        if (i > 1) QTE_FUZZ_CHECK(t.textList[i - 1].timeMs <= x.timeMs);
    }
}

// What the generator writes stays within a text's lines.
inline void checkToneText(const ToneText& text)
{
    QTE_FUZZ_CHECK(text.toneTextLineCount >= 0 && text.toneTextLineCount <= kMaxToneTextLines);
    for (int i = 0; i < text.toneTextLineCount; ++i)
        QTE_FUZZ_CHECK(text.toneTextLines[static_cast<std::size_t>(i)].size() <=
                       kMaxToneTextLineChars);
}

} // namespace qte::fuzz
