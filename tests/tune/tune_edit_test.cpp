#include "tune/tune_edit.h"

#include "tune/tune_spans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qte {
namespace {

using testing_support::expectSound;
using testing_support::insertNotes;
using testing_support::makeNote;
using testing_support::notesOf;
using testing_support::repeatsOf;
using testing_support::Span;
using testing_support::textsOf;
using testing_support::vibrasOf;

TEST(TuneEdit, InsertNoteCutsBackRemovesNeighboursOrRefuses)
{
    struct Case {
        const char* name;
        std::vector<Span> before;
        Span inserted;
        std::vector<Span> after; // the new note's index is its place here, 0 if refused
    };
    const Case cases[] = {
        {"cut back on the left", {{0, 4, 60}}, {2, 6, 62}, {{0, 2, 60}, {2, 6, 62}}},
        {"cut back on the right", {{4, 8, 60}}, {2, 6, 62}, {{2, 6, 62}, {6, 8, 60}}},
        // Its tail is lost.
        {"inside a longer note", {{0, 10, 60}}, {4, 6, 62}, {{0, 4, 60}, {4, 6, 62}}},
        {"same start, old one longer", {{2, 8, 60}}, {2, 4, 62}, {{2, 4, 62}, {4, 8, 60}}},
        // Cut back to less than a millisecond: the old note is gone.
        {"left neighbour left empty", {{2, 4, 60}}, {2.005f, 5, 62}, {{2.005f, 5, 62}}},
        // What would last no millisecond is refused, even when it covers a note.
        {"backwards", {{0, 8, 60}}, {4, 2, 62}, {{0, 8, 60}}},
        {"under a millisecond", {{0, 8, 60}}, {2.0f, 2.001f, 62}, {{0, 8, 60}}},
    };
    // Every check of the lists also finds millisecond fields not derived from the units.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune t;
        ASSERT_TRUE(insertNotes(t, c.before));
        const Span& n = c.inserted;
        const auto place = std::find(c.after.begin(), c.after.end(), n);
        const int index =
            place == c.after.end() ? 0 : static_cast<int>(place - c.after.begin()) + 1;
        EXPECT_EQ(InsertNote(t, makeNote(n.start, n.end, n.value), 0), index);
        EXPECT_EQ(notesOf(t), c.after);
        expectSound(t);
        // The scratch record holds the last insertion.
        if (index) {
            EXPECT_EQ(t.noteTable[0].startUnits, n.start);
        }
    }
}

TEST(TuneEdit, SpecialAndFreqDefinePitchesStayInTheirTables)
{
    struct Case {
        const char* name;
        NoteKind kind;
        int pitch, customCount, freqDefineCount, stored;
    };
    const Case cases[] = {
        {"special low", NoteKind::Special, 60, 5, 0, 72},
        {"special high", NoteKind::Special, 100, 5, 0, 76},
        {"special, no table", NoteKind::Special, 90, 0, 0, 71},
        {"freq define high", NoteKind::FreqDefine, 100, 5, 3, 74},
        {"freq define low", NoteKind::FreqDefine, 10, 5, 3, 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune t;
        t.freqDefineCount = c.freqDefineCount;
        ASSERT_EQ(InsertNote(t, makeNote(0, 1, c.pitch, c.kind), c.customCount), 1);
        EXPECT_EQ(t.noteTable[1].pitch, c.stored);
    }
}

TEST(TuneEdit, InsertVibraAndRepeatFollowTheSameRules)
{
    struct Case {
        const char* name;
        std::vector<Span> before;
        Span inserted;
        std::vector<Span> after;
    };
    const Case cases[] = {
        {"cut back on the right", {{4, 8, 0}}, {2, 6, 0}, {{2, 6, 0}, {6, 8, 0}}},
        // The old segment would be cut to nothing; it is removed instead.
        {"same start", {{2, 8, 0}}, {2, 4, 0}, {{2, 4, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune t;
        for (const Span& i : c.before)
            ASSERT_GT(InsertVibra(t, makeNote(i.start, i.end)), 0);
        EXPECT_GT(InsertVibra(t, makeNote(c.inserted.start, c.inserted.end)), 0);
        EXPECT_EQ(vibrasOf(t), c.after);
        expectSound(t);

        Tune r;
        for (const Span& i : c.before) {
            const int k = InsertRepeat(r, i.start, i.end);
            ASSERT_GT(k, 0);
            r.repeatList[k].repetitions = 5; // an edited count stays with its block
        }
        ASSERT_GT(InsertRepeat(r, c.inserted.start, c.inserted.end), 0);
        std::vector<Span> expected = c.after;
        for (Span& e : expected)
            e.value = (e == c.inserted) ? 2 : 5;
        EXPECT_EQ(repeatsOf(r), expected);
        expectSound(r);
    }
}

TEST(TuneEdit, InsertTextGoesBeforeTextsAtTheSameTime)
{
    Tune t;
    EXPECT_EQ(InsertText(t, 4.0f), 1);
    t.textList[1].setText("first");
    EXPECT_EQ((std::vector{InsertText(t, 8.0f), InsertText(t, 4.0f), InsertText(t, 0.0f)}),
              (std::vector{2, 1, 1}));
    const std::string free(kFreeTextDefault);
    EXPECT_EQ(textsOf(t), (std::vector<std::pair<float, std::string>>{
                              {0, free}, {4, free}, {4, "first"}, {8, free}}));
    expectSound(t);
}

TEST(TuneEdit, StaccatoShortensInPlace)
{
    Tune t;
    // 375 ms, capped at 60; 46 ms; one that grows to 0.6665 but not into the next.
    ASSERT_TRUE(insertNotes(t, {{0, 8, 60}, {10, 11, 60}, {20, 20.5f, 60}, {20.5f, 22, 60}}));
    StaccatoAll(t);
    EXPECT_FLOAT_EQ(t.noteTable[1].durationUnits, 1.28f);
    EXPECT_FLOAT_EQ(t.noteTable[1].startUnits, 0.0f);
    EXPECT_NEAR(t.noteTable[2].durationUnits, 0.833f, 1e-6);
    EXPECT_FLOAT_EQ(t.noteTable[3].endUnits, 20.5f);
    expectSound(t);
}

TEST(TuneEdit, TransposeMovesTheSelectedOrAllNormalNotesOrNothing)
{
    struct Case {
        const char* what;
        std::vector<int> selected; // 1-based notes
        int semitones;
        std::vector<int> pitches; // after; the Special note is the third
        bool refused;
    };
    const Case cases[] = {
        {"nothing selected: every Normal note", {}, 12, {72, 81, 74, 120 - 12}, false},
        {"only the selected ones", {2}, -1, {60, 68, 74, 108}, false},
        {"a custom note stays, even selected", {3}, 5, {60, 69, 74, 108}, false},
        {"above the highest pitch: nothing moves", {}, 1, {60, 69, 74, 108}, true},
        {"below the lowest", {1}, -60, {60, 69, 74, 108}, true},
        {"down to the lowest", {1}, -59, {1, 69, 74, 108}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tune t;
        ASSERT_TRUE(insertNotes(t, {{0, 4, 60}, {4, 8, 69}}, 5));
        ASSERT_GT(InsertNote(t, makeNote(8, 12, 74, NoteKind::Special), 5), 0);
        ASSERT_GT(InsertNote(t, makeNote(12, 16, c.semitones == 12 ? 96 : 108), 5), 0);
        for (int i : c.selected)
            t.noteTable[i].selected = 1;
        const std::string refusal = Transpose(t, c.semitones);
        EXPECT_EQ(!refusal.empty(), c.refused) << refusal;
        std::vector<int> pitches;
        for (int i = 1; i <= t.noteCount; ++i)
            pitches.push_back(t.noteTable[i].pitch);
        EXPECT_EQ(pitches, c.pitches);
    }
}

TEST(TuneEdit, InvariantCheckerFindsBrokenLists)
{
    struct Case {
        const char* name;
        void (*breakIt)(Tune&);
    };
    const Case cases[] = {
        {"overlap", [](Tune& t) { t.noteTable[1].endUnits = 5.0f, t.noteTable[1].endMs = 234; }},
        {"order", [](Tune& t) { std::swap(t.noteTable[1], t.noteTable[2]); }},
        {"stale ms", [](Tune& t) { t.noteTable[2].startMs += 1; }},
        {"no length",
         [](Tune& t) {
             t.noteTable[2].endUnits = t.noteTable[2].startUnits;
             t.noteTable[2].endMs = t.noteTable[2].startMs;
         }},
        {"count", [](Tune& t) { t.textCount = kMaxTexts + 1; }},
        {"vibra overlap", [](Tune& t) { t.vibraList[1].startUnits = 0.5f; }},
        {"repeat order", [](Tune& t) { std::swap(t.repeatList[1], t.repeatList[2]); }},
        {"text order", [](Tune& t) { std::swap(t.textList[1], t.textList[2]); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune t;
        for (float u : {0.0f, 4.0f})
            ASSERT_GT(InsertNote(t, makeNote(u, u + 4), 0), 0);
        for (float u : {1.0f, 2.0f}) {
            ASSERT_GT(InsertVibra(t, makeNote(u, u + 1)), 0);
            ASSERT_GT(InsertRepeat(t, 2 * u - 2, 2 * u), 0);
            ASSERT_GT(InsertText(t, u), 0);
        }
        expectSound(t);
        c.breakIt(t);
        EXPECT_FALSE(checkTuneInvariants(t).empty());
    }
}

} // namespace
} // namespace qte
