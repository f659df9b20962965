#include "tune/tempo.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <vector>

namespace qte {
namespace {

constexpr std::int32_t kNatural = 1, kContinuous = 2, kStaccato = 3;

// The toolbar keys of the editor set the plain, dotted, double-dotted and
// triplet values; here the styles and their limits.
TEST(NoteLength, IndexModifierAndStyle)
{
    struct Case {
        const char* name;
        int index, modifier, style;
        float units;
        float msPerUnit = 46.875f;
    };
    const Case cases[] = {
        {"whole without a style", 6, 0, 0, 32.0f},
        {"natural thirty-second", 1, 0, kNatural, 26.875f / 46.875f},
        {"staccato quarter caps at 60 ms", 4, 0, kStaccato, 60.0f / 46.875f},
        {"staccato thirty-second is a third", 1, 0, kStaccato, 0.33333334f},
        // at 300 bpm a natural thirty-second would be 5 ms
        {"natural raised to 20 ms", 1, 0, kNatural, 0.8f, 25.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NoteLengthState s;
        setNoteLength(s, c.index, c.modifier, c.style, c.msPerUnit);
        EXPECT_FLOAT_EQ(s.newNoteUnits, c.units);
        EXPECT_EQ(s.noteLengthModifier, c.modifier);
    }
}

Tune tuneWithQuarter(float endUnits)
{
    Tune t;
    t.noteCount = 1;
    NoteRecord& n = t.noteTable[1];
    n.startUnits = 8.0f;
    n.endUnits = 8.0f + endUnits;
    t.vibraCount = 1;
    t.vibraList[1].startUnits = 2.0f;
    t.vibraList[1].endUnits = 4.0f;
    t.repeatCount = 1;
    t.repeatList[1].startUnits = 1.0f;
    t.repeatList[1].endUnits = 3.0f;
    t.textCount = 1;
    t.textList[1].timeUnits = 5.0f;
    return t;
}

TEST(Tempo, RecomputesEveryMillisecondValueFromUnits)
{
    Tune t = tuneWithQuarter(8.0f);
    NoteLengthState s;
    ASSERT_TRUE(setTempo(t, 80, false, s, kContinuous));
    EXPECT_EQ(t.tempoBpm, 80);
    EXPECT_FLOAT_EQ(t.msPerUnit, 93.75f);
    const NoteRecord& n = t.noteTable[1];
    // note start, end, duration; vibrato start, end; repeat start, end; text
    EXPECT_EQ((std::vector<int>{n.startMs, n.endMs, n.durationMs, t.vibraList[1].startMs,
                                t.vibraList[1].endMs, t.repeatList[1].startMs,
                                t.repeatList[1].endMs, t.textList[1].timeMs}),
              (std::vector<int>{750, 1500, 750, 187, 375, 93, 281, 468}));
    EXPECT_FLOAT_EQ(n.durationUnits, 8.0f);
}

TEST(Tempo, KeepNaturalNotesStaysTwentyMsShort)
{
    // A natural quarter at 160 bpm: 355 ms.
    const float natural = (375.0f - 20.0f) / 46.875f;
    Tune kept = tuneWithQuarter(natural);
    Tune plain = kept;
    NoteLengthState s;
    ASSERT_TRUE(setTempo(kept, 80, true, s, kNatural));
    ASSERT_TRUE(setTempo(plain, 80, false, s, kNatural));
    EXPECT_EQ(kept.noteTable[1].durationMs, 730);
    EXPECT_EQ(plain.noteTable[1].durationMs, 710);
    // A note of no natural length keeps its units.
    Tune odd = tuneWithQuarter(5.0f);
    ASSERT_TRUE(setTempo(odd, 80, true, s, kNatural));
    EXPECT_FLOAT_EQ(odd.noteTable[1].durationUnits, 5.0f);
}

TEST(Tempo, RefusesTemposOutsideTheRange)
{
    Tune t = tuneWithQuarter(8.0f);
    NoteLengthState s;
    for (int bpm : {0, -5, kMaxTempoBpm + 1}) {
        EXPECT_FALSE(setTempo(t, bpm, false, s, 0));
        EXPECT_EQ(t.tempoBpm, 160);
        EXPECT_FLOAT_EQ(t.msPerUnit, 46.875f);
    }
}

} // namespace
} // namespace qte
