#include "formats/format_tunes.h"
#include "formats/rtx.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::joined;
using test::UnitNote;
using test::unitNotes;
using test::unitTune;

TEST(RtxLength, ClassifyPicksTheLongestValueThatFits)
{
    // The note value as written, then the units it covers; "-" for none.
    // Exact note values are read back by the round trip below.
    const std::pair<float, const char*> cases[] = {
        {64.0f, "1. 48"}, // more than a dotted whole: the dotted whole
        {40.0f, "1 32"},  {31.0f, "2. 24"}, {7.5733f, "8. 6"}, // a natural quarter at 160 bpm
        {0.97f, "32 1"}, // the allowance reaches just below a thirty-second
        {0.9f, "-"},      {0.0f, "-"},      {-4.0f, "-"},
    };
    for (const auto& [units, want] : cases) {
        const auto got = ClassifyRtxLength(units);
        char buf[32] = "-";
        if (got)
            std::snprintf(buf, sizeof buf, "%d%s %g", got->durationNumber(), got->dotted ? "." : "",
                          got->units());
        EXPECT_EQ(std::string(buf), want) << units;
    }
}

TEST(RtxExport, WorkedExamplesAndWarnings)
{
    auto special = unitTune({{0, 8, 72}, {4, 12, 74}}, 160, "a:b");
    special->noteTable[1].kind = static_cast<std::int32_t>(NoteKind::Special);
    struct Case {
        const char* name;
        std::unique_ptr<Tune> tune;
        const char* bytes;
        std::vector<const char*> warnings = {}; // a part of each
    };
    Case cases[] = {
        {"quarter, pause, eighth", unitTune({{0, 8, 69}, {16, 20, 73}}),
         "Ring1:d=4,o=5,b=160:4a4,4p,8c#,"},
        {"dot before the octave", unitTune({{0, 12, 60}}, 160, "Dot"), "Dot:d=4,o=5,b=160:4c.4,"},
        {"name cut to nine", unitTune({}, 160, "RingTone1234"), "RingTone1:d=4,o=5,b=160:"},
        {"long note splits", unitTune({{0, 40, 72}}, 160, "L"), "L:d=4,o=5,b=160:1c,4c,"},
        {"short rest dropped", unitTune({{0, 8, 84}, {8.5f, 16.5f, 86}}, 160, "R"),
         "R:d=4,o=5,b=160:4c6,4d6,"},
        {"tempo unchanged", unitTune({{0, 2, 83}}, 63, "T"), "T:d=4,o=5,b=63:16h,"},
        {"highest octave", unitTune({{0, 32, 131}, {32, 33, 60}}, 200, "H"),
         "H:d=4,o=5,b=200:1h9,32c4,"},
        {"empty name", unitTune({{8, 9, 70}}, 160, ""), ":d=4,o=5,b=160:4p,32a#4,"},
        // The pause after a pitch below c4 reaches back to the last note
        // written, so later notes keep their places.
        {"pitches without a name keep their time as pause",
         unitTune({{0, 8, 69}, {8, 16, 59}, {16, 24, 132}, {24, 32, 72}}),
         "Ring1:d=4,o=5,b=160:4a4,2p,4c,",
         {"2 notes lie outside"}},
        {"what the format cannot hold",
         std::move(special),
         "ab:d=4,o=5,b=160:4c,4d,",
         {"\":\"", "1 custom or FREQ_DEFINE note", "1 note overlaps"}},
        // NaN times write nothing rather than looping.
        {"NaN", unitTune({{0, std::nanf(""), 69}}), "Ring1:d=4,o=5,b=160:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExportResult r = ExportRtx(*c.tune);
        EXPECT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.bytes, c.bytes);
        test::expectWarnings(r.warnings, c.warnings);
    }
}

TEST(RtxExport, RunawayLengthsAreRefused)
{
    // Far out, adding a whole note no longer moves a float cursor.
    const std::vector<UnitNote> cases[] = {
        {{1e9f, 1e9f + 8, 69}},
        {{0, std::numeric_limits<float>::infinity(), 69}},
        {{0, 8, 69}, {static_cast<float>(kRtxMaxElements) * 48.0f + 8.0f, 1e12f, 70}},
    };
    for (const auto& notes : cases) {
        const ExportResult r = ExportRtx(*unitTune(notes));
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_NE(r.error.find("too long"), std::string::npos) << r.error;
    }
}

// Files as phones and hobby players write them, and values that cannot be
// used, each refused with one warning.
TEST(RtxImport, ReadsTheUsualRtttlSpellingsAndRefusesUnusableValues)
{
    struct Case {
        std::string text;
        int tempo;
        const char* notes;
        const char* warning = nullptr; // a part of the one warning
    };
    const Case cases[] = {
        {"Last:d=4,o=5,b=120:8e6,4g", 120, "0-4:88 4-12:79"},     // last element without a comma
        {"Last:d=4,o=5,b=120:8e6,4g\r\n", 120, "0-4:88 4-12:79"}, // or before a line end
        {"NoSet:b=100:c,8d", 100, "0-8:84 8-12:86"},
        {"NoTempo:d=8,o=5:c,p,e", 63, "0-4:72 8-12:76"},
        {"Bare::4c,a", 63, "0-8:84 8-16:93"},
        {"Order:b=90,o=4,d=16:c,2g", 90, "0-2:60 2-18:67"},
        {"Short:d=4,o=5,b=125,8c,d", 125, "0-4:72 4-12:74"},            // header without its colon
        {"Bee:d=4,o=5,b=100:8b,h,8b6", 100, "0-4:83 4-12:83 12-16:95"}, // b is h
        {"Up:D=4,O=5,B=100:8C#6,A,P,H5", 100, "0-4:85 4-12:81 20-28:83"},
        // the dot after the octave too
        {"Dot:d=4,o=5,b=100:8c#6.,8c#.6,4p.,c.", 100, "0-6:85 6-12:85 24-36:72"},
        {"Sp: d = 8 , o = 5 , b = 100 : c , 4 d , \t16p ,e ", 100, "0-4:72 4-12:74 14-18:76"},
        {"Z:d=0,o=5,b=100:c", 100, "0-8:72", "default duration of 0"},
        {"Z:d=4,o=5,b=0:c", 63, "0-8:72", "tempo of 0 bpm"},
        {"Z:d=4,o=5,b=-20:c", 63, "0-8:72", "tempo of -20 bpm"},
        {"Z:d=4,o=5,b=99999999999999999999:c", 63, "0-8:72", "tempo of 99999999999999999999 bpm"},
        {"Z:d=4,o=5,b=" + std::string(100000, '7') + ":c", 63, "0-8:72",
         "tempo of 77777777777777777777... bpm cannot be used; 63 bpm is used."},
        {"Z:d=4,o=12,b=100:c", 100, "0-8:84", "default octave of 12"},
        {"Z:d=,o=5,b=100:c", 100, "0-8:72", "has no number"},
        {"Z:d=8,o=5,b=100:0c,d", 100, "0-4:72 4-8:74", "1 element has a duration of 0"},
        {"Z:d=8,o=5,b=100:128c,99999999999999d", 100, "0-4:72 4-8:74",
         "2 elements have a duration"},
        {"Z:d=4,o=5,b=100:8x,c,2c##,8e#,d", 100, "4-12:72 32-40:74",
         "3 elements could not be read; their time was kept as pause (the first: \"8x\")"},
        {"Z:d=4,o=9,b=100:g#,g,h", 100, "8-16:127", "2 notes lie above the highest pitch (127)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportRtx(c.text, *t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(t->tempoBpm, c.tempo);
        EXPECT_EQ(unitNotes(*t), c.notes);
        test::expectWarnings(r.warnings, {c.warning});
    }
}

TEST(RtxImport, FailuresLeaveTheTuneAndLengthAlone)
{
    const std::string cases[] = {
        "",
        "no colon anywhere, 4c, 8d",
        std::string("\0\0\0", 3),
        "x:\x01\x02\x03",
        "Garbage:d=4,o=5,b=100:zz,yy,?",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        NoteLengthState length;
        length.noteLengthIndex = 4;
        length.newNoteUnits = 8.0f;
        const FormatResult r = ImportRtx(text, *t, length, 1, false);
        EXPECT_EQ(r.error, "Not valid rtx file");
        EXPECT_EQ(test::snapshot(*t), before);
        EXPECT_FLOAT_EQ(length.newNoteUnits, 8.0f);
    }
}

TEST(RtxImport, WorkedExampleReplacesNotesAndSetsTheTempoThroughSetTempo)
{
    auto t = test::sentinelTune();
    t->textList[1].timeUnits = 16.0f;
    t->textCount = 1;
    NoteLengthState length;
    length.noteLengthIndex = 4;
    const FormatResult r = ImportRtx("Test:d=4,o=5,b=120:8e6,4g,", *t, length,
                                     static_cast<std::int32_t>(StyleMode::Natural), true);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << joined(r.warnings);
    EXPECT_EQ(test::snapshot(*t), "Test/TEST 120 bpm, 62.5 ms/unit, 1 texts; 0-4:88 4-12:79; "
                                  "0-250:88 250-750:79");
    // A natural quarter at 120 bpm: (500 - 20) ms / 62.5 ms per unit.
    EXPECT_FLOAT_EQ(length.newNoteUnits, 7.68f);
    EXPECT_EQ(t->textList[1].timeMs, 1000);
}

TEST(RtxImport, LongNamesAreCut)
{
    auto t = std::make_unique<Tune>();
    const FormatResult r = ImportRtx(std::string(300, 'n') + ":d=4,o=5,b=160:c", *t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(t->toneName, std::string(255, 'n'));
    EXPECT_EQ(t->toneId, "NNNN");
    test::expectWarnings(r.warnings, {"longer than 255"});
}

TEST(RtxRoundTrip, GeneratedTunesSurvive)
{
    // Single note values and whole-unit gaps: lengths an RTX file holds.
    const float values[] = {1, 1.5f, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        auto t = std::make_unique<Tune>();
        const int bpm = 30 + static_cast<int>(rng() % 271);
        NoteLengthState length;
        ASSERT_TRUE(setTempo(*t, bpm, false, length, 0));
        t->toneName.clear();
        for (int k = 0, n = 1 + static_cast<int>(rng() % 9); k < n; ++k)
            t->toneName.push_back(static_cast<char>('a' + rng() % 26));
        float at = 0;
        for (int i = 1, notes = static_cast<int>(rng() % 120); i <= notes; ++i) {
            at += static_cast<float>(rng() % 3 == 0 ? rng() % 40 : 0);
            NoteRecord& n = t->noteTable[++t->noteCount];
            n.startUnits = at;
            at += values[rng() % std::size(values)];
            n.endUnits = at;
            n.pitch = 60 + static_cast<int>(rng() % 68);
        }
        const ExportResult out = ExportRtx(*t);
        ASSERT_TRUE(out.ok()) << out.error;
        ASSERT_TRUE(out.warnings.empty()) << joined(out.warnings);

        auto back = std::make_unique<Tune>();
        const FormatResult in = ImportRtx(out.bytes, *back);
        ASSERT_TRUE(in.ok()) << in.error;
        EXPECT_TRUE(in.warnings.empty()) << joined(in.warnings);
        EXPECT_EQ(back->toneName, t->toneName);
        EXPECT_EQ(back->tempoBpm, bpm);
        EXPECT_EQ(unitNotes(*back), unitNotes(*t));
        EXPECT_EQ(ExportRtx(*back).bytes, out.bytes);
    }
}

} // namespace
} // namespace qte
