#include "tune/tune.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(TimeBase, UnitsToMsTruncatesAtTheTempo)
{
    struct Case {
        int bpm;
        float units;
        std::int32_t ms;
    };
    const Case cases[] = {
        {160, 8.0f, 375}, {120, 8.0f, 500}, {160, 1.0f, 46}, {160, 3.0f, 140}, {80, 8.0f, 750},
        {160, 0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpm);
        EXPECT_EQ(unitsToMs(c.units, 7500.0f / static_cast<float>(c.bpm)), c.ms);
    }
    EXPECT_EQ(unitsToMs(1e30f, 1.0f), INT32_MAX);
    EXPECT_EQ(unitsToMs(-1e30f, 1.0f), INT32_MIN);
}

TEST(TuneRecords, SetStartAndSetEndKeepTheOtherEnd)
{
    NoteRecord n;
    SetStart(n, 100);
    SetEnd(n, 400);
    EXPECT_EQ(n.durationMs, 300);
    SetStart(n, 250);
    EXPECT_EQ(n.endMs, 400);
    EXPECT_EQ(n.durationMs, 150);
    SetEnd(n, 200); // before the start: nothing corrects it
    EXPECT_EQ(n.durationMs, -50);
}

TEST(TuneRecords, ClearTuneEmptiesButKeepsTempoAndSource)
{
    Tune t;
    t.tempoBpm = 90;
    t.noteNameSet = 1;
    t.tuneSourceName = "ring.h";
    t.currentFilePath = "/x/ring.h";
    t.toneName = "Ring";
    t.noteCount = 2;
    t.noteTable[1] = {0, 100, 100, 0, 2, 2, 70, 1, 1};
    t.noteTable[2] = {100, 300, 200, 2, 6, 4, 72, 1, 1};
    t.textCount = 1;
    t.vibraCount = 1;
    t.repeatCount = 1;
    t.politeDefined = 1;
    t.selectionMode = 2;
    ClearTune(t);
    EXPECT_FALSE(t.hasItems());
    EXPECT_EQ(t.lastNoteEndMs(), 0);
    EXPECT_EQ(t.tempoBpm, 90);
    EXPECT_EQ(t.noteNameSet, 1);
    EXPECT_EQ(t.tuneSourceName, "ring.h");
    EXPECT_EQ(t.currentFilePath, "");
    EXPECT_EQ(t.toneName, "Undefined");
    EXPECT_EQ(t.toneId, "UNDF");
    EXPECT_EQ(t.politeDefined, 0);
    EXPECT_EQ(t.selectionMode, 0);
    // Length and kind survive in the records; position and pitch do not.
    EXPECT_EQ(t.noteTable[2].durationMs, 200);
    EXPECT_EQ(t.noteTable[2].kind, 1);
    EXPECT_EQ(t.noteTable[2].pitch, 0);
    EXPECT_EQ(t.noteTable[2].selected, 0);
}

TEST(TuneRecords, DeleteAtMovesLaterRecordsDown)
{
    Tune t;
    t.noteCount = 3;
    for (int i = 1; i <= 3; ++i) t.noteTable[i].pitch = 69 + i;
    DeleteNoteAt(t, 2);
    ASSERT_EQ(t.noteCount, 2);
    EXPECT_EQ(t.noteTable[1].pitch, 70);
    EXPECT_EQ(t.noteTable[2].pitch, 72);
    DeleteNoteAt(t, 0); // out of range: ignored
    DeleteNoteAt(t, 3);
    EXPECT_EQ(t.noteCount, 2);

    t.textCount = 2;
    t.textList[1].setText("a");
    t.textList[2].setText("b");
    DeleteTextAt(t, 1);
    ASSERT_EQ(t.textCount, 1);
    EXPECT_EQ(t.textList[1].text, "b");
}

TEST(TuneRecords, TextIsCutToWhatARecordHolds)
{
    TextRecord r;
    r.setText(std::string(200, 'x'));
    EXPECT_EQ(r.text.size(), kMaxTextChars);
}

} // namespace
} // namespace qte
