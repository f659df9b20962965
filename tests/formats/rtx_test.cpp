#include "formats/rtx.h"
#include "sound/tempo.h"
#include "support/testsupport.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

struct NoteSpec {
    float start, end;
    int pitch;
};

std::unique_ptr<Tune> makeTune(const std::vector<NoteSpec>& notes, int bpm = 160,
                               std::string name = "Ring1")
{
    auto t = std::make_unique<Tune>();
    t->toneName = std::move(name);
    t->tempoBpm = bpm;
    t->msPerUnit = 7500.0f / static_cast<float>(bpm);
    for (const NoteSpec& n : notes) {
        NoteRecord& r = t->noteTable[++t->noteCount];
        r.startUnits = n.start;
        r.endUnits = n.end;
        r.durationUnits = n.end - n.start;
        r.pitch = n.pitch;
    }
    return t;
}

std::vector<NoteSpec> notesOf(const Tune& t)
{
    std::vector<NoteSpec> out;
    for (int i = 1; i <= t.noteCount; ++i)
        out.push_back({t.noteTable[i].startUnits, t.noteTable[i].endUnits, t.noteTable[i].pitch});
    return out;
}

void expectNotes(const Tune& t, const std::vector<NoteSpec>& want)
{
    const std::vector<NoteSpec> got = notesOf(t);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("note " + std::to_string(i + 1));
        EXPECT_FLOAT_EQ(got[i].start, want[i].start);
        EXPECT_FLOAT_EQ(got[i].end, want[i].end);
        EXPECT_EQ(got[i].pitch, want[i].pitch);
    }
}

std::string joined(const std::vector<std::string>& warnings)
{
    std::string s;
    for (const std::string& w : warnings)
        s += w + "\n";
    return s;
}

// A tune that an import must not touch when it fails.
std::unique_ptr<Tune> sentinelTune()
{
    auto t = makeTune({{0, 8, 69}, {8, 16, 71}}, 100, "Keep me");
    t->toneId = "KEEP";
    return t;
}

void expectSentinel(const Tune& t)
{
    EXPECT_EQ(t.toneName, "Keep me");
    EXPECT_EQ(t.toneId, "KEEP");
    EXPECT_EQ(t.tempoBpm, 100);
    expectNotes(t, {{0, 8, 69}, {8, 16, 71}});
}

TEST(RtxLength, ClassifyPicksTheLongestValueThatFits)
{
    struct Case {
        float units;
        bool fits;
        int code;
        bool dotted;
        float advance;
    };
    const Case cases[] = {
        {64.0f, true, 0, true, 48.0f}, // more than a dotted whole: the dotted whole
        {48.0f, true, 0, true, 48.0f},  {40.0f, true, 0, false, 32.0f},
        {32.0f, true, 0, false, 32.0f}, {31.0f, true, 1, true, 24.0f},
        {12.0f, true, 2, true, 12.0f},  {8.0f, true, 2, false, 8.0f},
        {7.5733f, true, 3, true, 6.0f}, // a natural quarter at 160 bpm
        {3.0f, true, 4, true, 3.0f},    {2.0f, true, 4, false, 2.0f},
        {1.5f, true, 5, true, 1.5f},    {1.0f, true, 5, false, 1.0f},
        {0.97f, true, 5, false, 1.0f}, // the allowance reaches just below a thirty-second
        {0.9f, false, 0, false, 0.0f},  {0.0f, false, 0, false, 0.0f},
        {-4.0f, false, 0, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        const auto got = ClassifyRtxLength(c.units);
        ASSERT_EQ(got.has_value(), c.fits);
        if (!got) continue;
        EXPECT_EQ(got->durationCode, c.code);
        EXPECT_EQ(got->dotted, c.dotted);
        EXPECT_EQ(got->durationNumber(), 1 << c.code);
        EXPECT_FLOAT_EQ(got->units(), c.advance);
    }
}

TEST(RtxExport, WorkedExamplesByteForByte)
{
    struct Case {
        const char* name;
        std::unique_ptr<Tune> tune;
        const char* bytes;
    };
    Case cases[] = {
        {"quarter, pause, eighth", makeTune({{0, 8, 69}, {16, 20, 73}}),
         "Ring1:d=4,o=5,b=160:4a4,4p,8c#,"},
        {"dot before the octave", makeTune({{0, 12, 60}}, 160, "Dot"), "Dot:d=4,o=5,b=160:4c.4,"},
        {"name cut to nine", makeTune({}, 160, "RingTone1234"), "RingTone1:d=4,o=5,b=160:"},
        {"long note splits", makeTune({{0, 40, 72}}, 160, "L"), "L:d=4,o=5,b=160:1c,4c,"},
        {"short rest dropped", makeTune({{0, 8, 84}, {8.5f, 16.5f, 86}}, 160, "R"),
         "R:d=4,o=5,b=160:4c6,4d6,"},
        {"tempo unchanged", makeTune({{0, 2, 83}}, 63, "T"), "T:d=4,o=5,b=63:16h,"},
        {"highest octave", makeTune({{0, 32, 131}, {32, 33, 60}}, 200, "H"),
         "H:d=4,o=5,b=200:1h9,32c4,"},
        {"empty name", makeTune({{8, 9, 70}}, 160, ""), ":d=4,o=5,b=160:4p,32a#4,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExportResult r = ExportRtx(*c.tune);
        EXPECT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.bytes, c.bytes);
        EXPECT_TRUE(r.warnings.empty()) << joined(r.warnings);
    }
}

TEST(RtxExport, NotesWithoutAnRtxNameKeepTheirTimeAsPause)
{
    // The pause after a pitch below c4 reaches back to the last note written,
    // so later notes keep their places.
    auto t = makeTune({{0, 8, 69}, {8, 16, 59}, {16, 24, 132}, {24, 32, 72}});
    const ExportResult r = ExportRtx(*t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.bytes, "Ring1:d=4,o=5,b=160:4a4,2p,4c,");
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("2 notes lie outside"), std::string::npos) << r.warnings[0];
}

TEST(RtxExport, WarnsWhatTheFormatCannotHold)
{
    auto t = makeTune({{0, 8, 72}, {4, 12, 74}}, 160, "a:b");
    t->noteTable[1].kind = static_cast<std::int32_t>(NoteKind::Special);
    const ExportResult r = ExportRtx(*t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.bytes, "ab:d=4,o=5,b=160:4c,4d,");
    const std::string w = joined(r.warnings);
    EXPECT_NE(w.find("\":\""), std::string::npos) << w;
    EXPECT_NE(w.find("1 custom or FREQ_DEFINE note"), std::string::npos) << w;
    EXPECT_NE(w.find("1 note overlaps"), std::string::npos) << w;
}

TEST(RtxExport, RunawayLengthsAreRefused)
{
    // Far out, adding a whole note no longer moves a float cursor.
    const std::vector<NoteSpec> cases[] = {
        {{1e9f, 1e9f + 8, 69}},
        {{0, std::numeric_limits<float>::infinity(), 69}},
        {{0, 8, 69}, {static_cast<float>(kRtxMaxElements) * 48.0f + 8.0f, 1e12f, 70}},
    };
    for (const auto& notes : cases) {
        const ExportResult r = ExportRtx(*makeTune(notes));
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_NE(r.error.find("too long"), std::string::npos) << r.error;
    }
    // NaN times write nothing rather than looping.
    const ExportResult nan = ExportRtx(*makeTune({{0, std::nanf(""), 69}}));
    EXPECT_TRUE(nan.ok());
    EXPECT_EQ(nan.bytes, "Ring1:d=4,o=5,b=160:");
}

TEST(RtxExport, FileIsWrittenOnlyWhenTheExportSucceeds)
{
    test::TempDir dir;
    const auto path = dir.file("tune.rtx");
    const ExportResult ok = ExportRtxFile(*makeTune({{0, 8, 69}}), path);
    ASSERT_TRUE(ok.ok()) << ok.error;
    EXPECT_EQ(test::readFileOrDie(path), "Ring1:d=4,o=5,b=160:4a4,");

    const ExportResult tooLong = ExportRtxFile(*makeTune({{0, 1e12f, 69}}), path);
    EXPECT_FALSE(tooLong.ok());
    EXPECT_EQ(test::readFileOrDie(path), "Ring1:d=4,o=5,b=160:4a4,");

    const auto missing = dir.file("no such folder") / "tune.rtx";
    const ExportResult failed = ExportRtxFile(*makeTune({{0, 8, 69}}), missing);
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.error.find("tune.rtx"), std::string::npos) << failed.error;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(RtxImport, WorkedExamples)
{
    auto t = std::make_unique<Tune>();
    FormatResult r = ImportRtx("Test:d=4,o=5,b=120:8e6,4g,", *t);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << joined(r.warnings);
    EXPECT_EQ(t->toneName, "Test");
    EXPECT_EQ(t->toneId, "TEST");
    EXPECT_EQ(t->tempoBpm, 120);
    EXPECT_FLOAT_EQ(t->msPerUnit, 62.5f);
    expectNotes(*t, {{0, 4, 88}, {4, 12, 79}});
    EXPECT_EQ(t->noteTable[1].startMs, 0);
    EXPECT_EQ(t->noteTable[1].endMs, 250);
    EXPECT_EQ(t->noteTable[1].durationMs, 250);
    EXPECT_EQ(t->noteTable[2].startMs, 250);
    EXPECT_EQ(t->noteTable[2].endMs, 750);
    EXPECT_EQ(t->noteTable[2].kind, static_cast<std::int32_t>(NoteKind::Normal));

    r = ImportRtx("Ring1:d=4,o=5,b=160:4a4,4p,8c#,", *t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(t->toneId, "RING");
    expectNotes(*t, {{0, 8, 69}, {16, 20, 73}});
    EXPECT_EQ(t->noteTable[2].startMs, 750);
    EXPECT_EQ(t->noteTable[2].durationMs, 187);

    r = ImportRtx("D:d=4,o=5,b=160:8c#.6,", *t);
    ASSERT_TRUE(r.ok());
    expectNotes(*t, {{0, 6, 85}});
}

// Files as phones and hobby players write them.
TEST(RtxImport, ReadsTheUsualRtttlSpellings)
{
    struct Case {
        const char* name;
        const char* text;
        int tempo;
        std::vector<NoteSpec> notes;
    };
    const Case cases[] = {
        {"last element without a comma",
         "Last:d=4,o=5,b=120:8e6,4g",
         120,
         {{0, 4, 88}, {4, 12, 79}}},
        {"last element before a line end",
         "Last:d=4,o=5,b=120:8e6,4g\r\n",
         120,
         {{0, 4, 88}, {4, 12, 79}}},
        {"no d or o", "NoSet:b=100:c,8d", 100, {{0, 8, 84}, {8, 12, 86}}},
        {"no tempo", "NoTempo:d=8,o=5:c,p,e", 63, {{0, 4, 72}, {8, 12, 76}}},
        {"no settings at all", "Bare::4c,a", 63, {{0, 8, 84}, {8, 16, 93}}},
        {"settings in another order", "Order:b=90,o=4,d=16:c,2g", 90, {{0, 2, 60}, {2, 18, 67}}},
        {"header without its colon", "Short:d=4,o=5,b=125,8c,d", 125, {{0, 4, 72}, {4, 12, 74}}},
        {"b is h", "Bee:d=4,o=5,b=100:8b,h,8b6", 100, {{0, 4, 83}, {4, 12, 83}, {12, 16, 95}}},
        {"upper case",
         "Up:D=4,O=5,B=100:8C#6,A,P,H5",
         100,
         {{0, 4, 85}, {4, 12, 81}, {20, 28, 83}}},
        {"dot after the octave",
         "Dot:d=4,o=5,b=100:8c#6.,8c#.6,4p.,c.",
         100,
         {{0, 6, 85}, {6, 12, 85}, {24, 36, 72}}},
        {"spaces around elements",
         "Sp: d = 8 , o = 5 , b = 100 : c , 4 d , \t16p ,e ",
         100,
         {{0, 4, 72}, {4, 12, 74}, {14, 18, 76}}},
        {"ragtime",
         "Entertainer:d=4,o=5,b=140:8d,8d#,8e,c6,8e,c6,8e,2c.6,8c6,8d6,8d#6,8e6,8c6,8d6,e6,8b,d6,"
         "2c6",
         140,
         {{0, 4, 74},
          {4, 8, 75},
          {8, 12, 76},
          {12, 20, 84},
          {20, 24, 76},
          {24, 32, 84},
          {32, 36, 76},
          {36, 60, 84},
          {60, 64, 84},
          {64, 68, 86},
          {68, 72, 87},
          {72, 76, 88},
          {76, 80, 84},
          {80, 84, 86},
          {84, 92, 88},
          {92, 96, 83},
          {96, 104, 86},
          {104, 120, 84}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportRtx(c.text, *t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty()) << joined(r.warnings);
        EXPECT_EQ(t->tempoBpm, c.tempo);
        expectNotes(*t, c.notes);
    }
}

TEST(RtxImport, UnusableValuesAreRefusedWithAMessage)
{
    struct Case {
        const char* name;
        std::string text;
        int tempo;
        std::vector<NoteSpec> notes;
        const char* warning;
    };
    const Case cases[] = {
        {"default duration 0", "Z:d=0,o=5,b=100:c", 100, {{0, 8, 72}}, "default duration of 0"},
        {"tempo 0", "Z:d=4,o=5,b=0:c", 63, {{0, 8, 72}}, "tempo of 0 bpm"},
        {"negative tempo", "Z:d=4,o=5,b=-20:c", 63, {{0, 8, 72}}, "tempo of -20 bpm"},
        {"huge tempo",
         "Z:d=4,o=5,b=99999999999999999999:c",
         63,
         {{0, 8, 72}},
         "tempo of 99999999999999999999 bpm"},
        {"endless tempo",
         "Z:d=4,o=5,b=" + std::string(100000, '7') + ":c",
         63,
         {{0, 8, 72}},
         "tempo of 77777777777777777777... bpm cannot be used; 63 bpm is used."},
        {"octave out of range", "Z:d=4,o=12,b=100:c", 100, {{0, 8, 84}}, "default octave of 12"},
        {"setting without a number", "Z:d=,o=5,b=100:c", 100, {{0, 8, 72}}, "has no number"},
        {"element duration 0",
         "Z:d=8,o=5,b=100:0c,d",
         100,
         {{0, 4, 72}, {4, 8, 74}},
         "1 element has a duration of 0"},
        {"element duration huge",
         "Z:d=8,o=5,b=100:128c,99999999999999d",
         100,
         {{0, 4, 72}, {4, 8, 74}},
         "2 elements have a duration"},
        {"unreadable elements keep their time",
         "Z:d=4,o=5,b=100:8x,c,2c##,8e#,d",
         100,
         {{4, 12, 72}, {32, 40, 74}},
         "3 elements could not be read; their time was kept as pause (the first: \"8x\")"},
        {"above the note tables",
         "Z:d=4,o=9,b=100:g#,g,h",
         100,
         {{8, 16, 127}},
         "2 notes lie above the highest pitch (127)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportRtx(c.text, *t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(t->tempoBpm, c.tempo);
        expectNotes(*t, c.notes);
        ASSERT_EQ(r.warnings.size(), 1u) << joined(r.warnings);
        EXPECT_NE(r.warnings[0].find(c.warning), std::string::npos) << r.warnings[0];
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
        auto t = sentinelTune();
        NoteLengthState length;
        length.noteLengthIndex = 4;
        length.newNoteUnits = 8.0f;
        const FormatResult r = ImportRtx(text, *t, length, 1, false);
        EXPECT_EQ(r.error, "Not valid rtx file");
        expectSentinel(*t);
        EXPECT_FLOAT_EQ(length.newNoteUnits, 8.0f);
    }
}

TEST(RtxImport, ReplacesNotesAndSetsTheTempoThroughSetTempo)
{
    auto t = sentinelTune();
    t->textList[1].timeUnits = 16.0f;
    t->textCount = 1;
    NoteLengthState length;
    length.noteLengthIndex = 4;
    const FormatResult r = ImportRtx("Nat:d=4,o=5,b=120:c", *t, length,
                                     static_cast<std::int32_t>(StyleMode::Natural), true);
    ASSERT_TRUE(r.ok()) << r.error;
    expectNotes(*t, {{0, 8, 72}});
    EXPECT_EQ(t->toneName, "Nat");
    EXPECT_EQ(t->toneId, "NAT");
    // A natural quarter at 120 bpm: (500 - 20) ms / 62.5 ms per unit.
    EXPECT_FLOAT_EQ(length.newNoteUnits, 7.68f);
    EXPECT_EQ(t->textList[1].timeMs, 1000);
}

TEST(RtxImport, LongNamesAreCutAndNotesStopAtTheTableSize)
{
    auto t = std::make_unique<Tune>();
    FormatResult r = ImportRtx(std::string(300, 'n') + ":d=4,o=5,b=160:c", *t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(t->toneName, std::string(255, 'n'));
    EXPECT_EQ(t->toneId, "NNNN");
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("longer than 255"), std::string::npos);

    std::string many = "Many:d=32,o=5,b=160:";
    for (int i = 0; i < kMaxNotes + 201; ++i)
        many += "c,";
    r = ImportRtx(many, *t);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(t->noteCount, kMaxNotes);
    EXPECT_FLOAT_EQ(t->noteTable[kMaxNotes].startUnits, 998.0f);
    ASSERT_EQ(r.warnings.size(), 1u);
    // trunc(999 units x 46.875 ms)
    EXPECT_EQ(r.warnings[0],
              "Only the first 999 notes were loaded; 201 notes from 46828 ms on were dropped.");
}

TEST(RtxImport, BadInputNeverCrashes)
{
    std::vector<std::string> inputs = {
        ":",
        "::::",
        ",,,:,,,",
        "N:d=4,o=5,b=160:" + std::string(100000, '9'),
        "N:d=4,o=5,b=160:" + std::string(100000, ','),
        std::string(100000, 'x') + ":",
        "N:d=4,o=5,b=160:4" + std::string(100000, '.') + "c",
        std::string("N:\0d=4,\0:4c\0,8\0d,", 18),
        "N:d=4,o=5,b=1:" + std::string(5000, 'c') + ",1c,1c,1c",
        "N:d=1,o=0,b=999999999:1c0,1c0",
        "N:d=4,o=5,b=160:p,p,p,p,p",
    };
    std::mt19937 rng(4711);
    const std::string alphabet = "cdefgahbp#.,:=0123456789 dob\n\x01\xff";
    for (int i = 0; i < 400; ++i) {
        std::string s = "R:";
        const int n = static_cast<int>(rng() % 200);
        for (int k = 0; k < n; ++k)
            s.push_back(i % 2 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng()));
        inputs.push_back(s);
    }
    for (const std::string& in : inputs) {
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportRtx(in, *t);
        if (!r.ok()) continue;
        ASSERT_LE(t->noteCount, kMaxNotes);
        ASSERT_GT(t->tempoBpm, 0);
        for (int k = 1; k <= t->noteCount; ++k) {
            ASSERT_GE(t->noteTable[k].pitch, 0);
            ASSERT_LE(t->noteTable[k].pitch, 127);
            ASSERT_GE(t->noteTable[k].startUnits, t->noteTable[k - 1].endUnits);
        }
    }
}

TEST(RtxImport, MissingFileIsReported)
{
    test::TempDir dir;
    auto t = sentinelTune();
    NoteLengthState length;
    const FormatResult r = ImportRtxFile(dir.file("gone.rtx"), *t, length, 0, false);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("gone.rtx"), std::string::npos) << r.error;
    expectSentinel(*t);

    test::writeFileOrDie(dir.file("there.rtx"), "There:d=4,o=5,b=180:2g");
    const FormatResult ok = ImportRtxFile(dir.file("there.rtx"), *t, length, 0, false);
    ASSERT_TRUE(ok.ok()) << ok.error;
    EXPECT_EQ(t->tempoBpm, 180);
    expectNotes(*t, {{0, 16, 79}});
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
        const int notes = static_cast<int>(rng() % 120);
        for (int i = 1; i <= notes; ++i) {
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
        expectNotes(*back, notesOf(*t));
        EXPECT_EQ(ExportRtx(*back).bytes, out.bytes);
    }
}

} // namespace
} // namespace qte
