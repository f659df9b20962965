#include "tune/tune.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(TimeBase, UnitsToMsTruncatesAtTheTempo)
{
    const struct {
        int bpm;
        float units;
        std::int32_t ms;
    } cases[] = {{160, 8.0f, 375}, {120, 8.0f, 500}, {160, 1.0f, 46},
                 {160, 3.0f, 140}, {80, 8.0f, 750},  {160, 0.0f, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(unitsToMs(c.units, 7500.0f / static_cast<float>(c.bpm)), c.ms) << c.bpm;
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
    EXPECT_EQ(std::tie(n.endMs, n.durationMs), std::make_tuple(400, 150));
    SetEnd(n, 200); // before the start: nothing corrects it
    EXPECT_EQ(n.durationMs, -50);
}

TEST(TuneRecords, ClearTuneEmptiesButKeepsTempo)
{
    Tune t;
    t.tempoBpm = 90;
    t.noteNameSet = 1;
    t.toneName = "Ring";
    t.textCount = t.vibraCount = t.repeatCount = t.politeDefined = 1;
    t.noteCount = t.selectionMode = 2;
    t.noteTable[1] = {0, 100, 100, 0, 2, 2, 70, 1, 1};
    t.noteTable[2] = {100, 300, 200, 2, 6, 4, 72, 1, 1};
    ClearTune(t);
    EXPECT_FALSE(t.hasItems());
    EXPECT_EQ(t.lastNoteEndMs(), 0);
    EXPECT_EQ(
        std::tie(t.tempoBpm, t.noteNameSet, t.toneName, t.toneId, t.politeDefined, t.selectionMode),
        std::make_tuple(90, 1, "Undefined", "UNDF", 0, 0));
    // Length and kind survive in the records; position, pitch and selection do not.
    const NoteRecord& n = t.noteTable[2];
    EXPECT_EQ(std::tie(n.startMs, n.endMs, n.durationMs, n.pitch, n.kind, n.selected),
              std::make_tuple(0, 0, 200, 0, 1, 0));
}

TEST(TuneRecords, DeleteAtMovesLaterRecordsDown)
{
    Tune t;
    t.noteCount = 3;
    for (int i = 1; i <= 3; ++i)
        t.noteTable[static_cast<std::size_t>(i)].pitch = 69 + i;
    DeleteNoteAt(t, 2);
    DeleteNoteAt(t, 0); // out of range: ignored
    DeleteNoteAt(t, 3);
    EXPECT_EQ(std::tie(t.noteCount, t.noteTable[1].pitch, t.noteTable[2].pitch),
              std::make_tuple(2, 70, 72));

    t.textCount = 2;
    t.textList[1].setText("a");
    t.textList[2].setText("b");
    DeleteTextAt(t, 1);
    EXPECT_EQ(std::tie(t.textCount, t.textList[1].text), std::make_tuple(1, "b"));
}

} // namespace
} // namespace qte
