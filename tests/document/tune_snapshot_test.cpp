#include "document/tune_snapshot.h"

#include "tune/random_tune.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

namespace qte {
namespace {

TEST(TuneSnapshot, RestoresEveryRandomTuneAndKeepsOnlyTheUsedRecords)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const auto original = std::make_unique<Tune>(test::randomTune(rng));
        const TuneSnapshot snapshot = SnapshotOf(*original);
        EXPECT_EQ(snapshot.notes.size(), static_cast<std::size_t>(original->noteCount) + 1);
        EXPECT_EQ(snapshot.texts.size(), static_cast<std::size_t>(original->textCount) + 1);
        // Into a tune that held something else, longer lists included.
        std::mt19937 other(1000 + round);
        auto restored = std::make_unique<Tune>(test::randomTune(other));
        RestoreSnapshot(snapshot, *restored);
        EXPECT_TRUE(SameContent(*restored, *original));
        EXPECT_TRUE(SameContent(*restored, snapshot));
        EXPECT_TRUE(SameSelection(*restored, snapshot));
        EXPECT_EQ(restored->noteTable[0].endUnits, original->noteTable[0].endUnits);
    }
}

// Each change a file would show is seen; what no file holds is not.
TEST(TuneSnapshot, SameContentSeesWhatAFileHoldsAndNothingElse)
{
    std::mt19937 rng(11);
    auto base = std::make_unique<Tune>();
    while (base->noteCount < 2 || base->textCount < 1 || base->repeatCount < 1)
        *base = test::randomTune(rng, {40, 3, "/*POLITE*/"});
    ASSERT_GE(base->noteCount, 2);
    ASSERT_GE(base->textCount, 1);
    struct Case {
        const char* name;
        bool counts;
        std::function<void(Tune&)> change;
    };
    const Case cases[] = {
        {"tone name", true, [](Tune& t) { t.toneName += "x"; }},
        {"tone ID", true, [](Tune& t) { t.toneId = "ZZZZ"; }},
        {"tempo", true, [](Tune& t) { t.tempoBpm += 1; }},
        {"unit length", true, [](Tune& t) { t.msPerUnit *= 2.0f; }},
        {"note name set", true, [](Tune& t) { t.noteNameSet = 1 - t.noteNameSet; }},
        {"a note's pitch", true, [](Tune& t) { t.noteTable[2].pitch += 1; }},
        {"a note's end in units", true, [](Tune& t) { t.noteTable[1].endUnits += 0.5f; }},
        {"a note's kind", true, [](Tune& t) { t.noteTable[2].kind = 1 - t.noteTable[2].kind; }},
        {"one note fewer", true, [](Tune& t) { --t.noteCount; }},
        {"a text", true, [](Tune& t) { t.textList[1].text += "!"; }},
        {"a text's time", true, [](Tune& t) { t.textList[1].timeMs += 1; }},
        {"one more vibra", true,
         [](Tune& t) { t.vibraList[++t.vibraCount] = {0, 10, 10, 0, 1, 1, -1, 0, 0}; }},
        {"one more repeat", true,
         [](Tune& t) { t.repeatList[++t.repeatCount] = {0, 10, 0, 1, 2, 0, 0}; }},
        {"a FREQ_DEFINE value", true,
         [](Tune& t) {
             t.freqDefineCount = std::max(t.freqDefineCount, 1);
             t.freqDefineTable[0] += 1;
         }},
        {"the polite section", true, [](Tune& t) { t.politeDefined = 1 - t.politeDefined; }},
        {"a selected note", false, [](Tune& t) { t.noteTable[1].selected = 1; }},
        {"the selection mode", false, [](Tune& t) { t.selectionMode = 2; }},
        {"the scratch record", false, [](Tune& t) { t.noteTable[0].endUnits += 3.0f; }},
        {"a record past the count", false,
         [](Tune& t) { t.noteTable[static_cast<std::size_t>(t.noteCount) + 1].pitch = 99; }},
        {"the tail", false, [](Tune& t) { t.tailMs += 100; }},
        {"playback's polite count", false, [](Tune& t) { t.politeNoteCount += 1; }},
        {"playback's repeat counters", false,
         [](Tune& t) {
             t.repeatList[1].playsLeft += 1;
             t.repeatList[1].firstNote += 1;
         }},
    };
    const TuneSnapshot before = SnapshotOf(*base);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto changed = std::make_unique<Tune>(*base);
        c.change(*changed);
        EXPECT_EQ(SameContent(*changed, before), !c.counts);
        EXPECT_EQ(SameContent(*changed, *base), !c.counts);
        EXPECT_EQ(SameContent(*base, *changed), !c.counts);
    }
}

TEST(TuneSnapshot, SelectionComparesTheSelectedNotesAndTheMode)
{
    std::mt19937 rng(3);
    auto tune = std::make_unique<Tune>();
    while (tune->noteCount < 3)
        *tune = test::randomTune(rng, {30, 3, "/*POLITE*/"});
    const TuneSnapshot none = SnapshotOf(*tune);
    tune->noteTable[3].selected = 1;
    EXPECT_FALSE(SameSelection(*tune, none));
    tune->noteTable[3].selected = 0;
    tune->selectionMode = 1;
    EXPECT_FALSE(SameSelection(*tune, none));
    tune->selectionMode = 0;
    EXPECT_TRUE(SameSelection(*tune, none));
}

} // namespace
} // namespace qte
