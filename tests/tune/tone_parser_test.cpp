#include "tune/tone_parser.h"

#include "tune/tone_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qte {
namespace {

using test::bodyLines;

struct ParserTest : ::testing::Test {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = test::exampleNoteNames();
    ParserState state;
    Tune tune;

    ToneTextResult parse(const SourceLines& lines)
    {
        return ParseToneText(tune, lines, state, config, names);
    }
    const NoteRecord& note(int i) const { return tune.noteTable[static_cast<std::size_t>(i)]; }
    const TextRecord& text(int i) const { return tune.textList[static_cast<std::size_t>(i)]; }
};

TEST(ToneStrings, SpacesGoAndOtherWhiteSpaceStays)
{
    std::string s = "  TONE( AUD_NOTE_A,\tX )\n";
    RemoveSpaces(s);
    EXPECT_EQ(s, "TONE(AUD_NOTE_A,\tX)\n");
    std::string t = "   a b ";
    TrimLeadingSpaces(t);
    EXPECT_EQ(t, "a b ");
    std::string allSpaces = "    ";
    TrimLeadingSpaces(allSpaces);
    EXPECT_EQ(allSpaces, "");
}

TEST(ToneStrings, DecimalsReadLikeScanf)
{
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"42", 42},
        {"-7x", -7},
        {"+5", 5},
        {" \t12)", 12},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanDecimal(c.text), c.value);
    }
}

TEST_F(ParserTest, LengthsInMsAndInNoteTimes)
{
    struct Case {
        const char* length;
        std::int32_t ms;
    };
    const Case cases[] = {
        {"TONE_TIME_IN_MS(120)", 120}, {"NOTE_TIME(1/4)", 75},
        {"NOTE_TIME(3)", 900},         {"NOTE_TIME", 300},
        {"NOTE_TIME(12/16)", 225},     {"NOTE_TIME(3/2)", 450},
        {"NOTE_TIME(1/3)", 100},       {"NOTE_TIME(10)", 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string line = std::string("        TONE(AUD_NOTE_A, ") + c.length + ")";
        ASSERT_TRUE(parse(bodyLines({"        TONE(AUD_NOTE_C, TONE_TIME_IN_MS(50))", line})).ok());
        ASSERT_EQ(tune.noteCount, 2);
        EXPECT_EQ(note(2).startMs, 50);
        EXPECT_EQ(note(2).durationMs, c.ms);
        EXPECT_EQ(note(2).endMs, 50 + c.ms);
        EXPECT_EQ(note(2).pitch, 69);
    }
}

TEST_F(ParserTest, NoteTimeDefineChangesLaterParsesToo)
{
    ASSERT_TRUE(parse(bodyLines({"#define NOTE_TIME(time) TONE_TIME_IN_MS(200*time)",
                                 "TONE(AUD_NOTE_A, NOTE_TIME(1/2))"}))
                    .ok());
    EXPECT_EQ(state.noteTimeMs, 200);
    EXPECT_EQ(note(1).durationMs, 100);
    // The define is no marker: inside the body it stays as a text.
    ASSERT_EQ(tune.textCount, 1);
    EXPECT_EQ(text(1).text, "#define NOTE_TIME(time) TONE_TIME_IN_MS(200*time)");

    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, NOTE_TIME)"})).ok());
    EXPECT_EQ(note(1).durationMs, 200);

    ASSERT_TRUE(parse(bodyLines({"#define NOTE_TIME TONE_TIME_IN_MS(80)"})).ok());
    EXPECT_EQ(state.noteTimeMs, 80);

    const ToneTextResult r = parse(bodyLines({"#define NOTE_TIME TONE_TIME_IN_MS(0)"}));
    EXPECT_EQ(state.noteTimeMs, 80);
    EXPECT_THAT(r.warnings, ::testing::Contains(::testing::HasSubstr("stays at 80 ms")));
}

TEST_F(ParserTest, NotesPausesAndNameSets)
{
    ASSERT_TRUE(parse(bodyLines({
                          "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(500))",
                          "TONE(RING_NOTE_C4, TONE_TIME_IN_MS(100))",
                          "TONE(DEV_TONE_FREQ_OFF, TONE_TIME_IN_MS(50))",
                          "TONE(AUD_TONE_B6, TONE_TIME_IN_MS(10))",
                          "TONE(2, TONE_TIME_IN_MS(20))",
                          "TONE(RING_NOTE_Db, TONE_TIME_IN_MS(30))",
                      }))
                    .ok());
    EXPECT_EQ(tune.noteNameSet, 1);
    ASSERT_EQ(tune.noteCount, 4);
    struct Expect {
        NoteKind kind;
        std::int32_t pitch, start, end;
    };
    const Expect expect[] = {
        {NoteKind::Normal, 108, 500, 600},
        {NoteKind::Special, 73, 650, 660},
        {NoteKind::FreqDefine, 73, 660, 680},
        {NoteKind::Normal, 73, 680, 710},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(note(i + 1).noteKind(), expect[i].kind);
        EXPECT_EQ(note(i + 1).pitch, expect[i].pitch);
        EXPECT_EQ(note(i + 1).startMs, expect[i].start);
        EXPECT_EQ(note(i + 1).endMs, expect[i].end);
    }
    EXPECT_EQ(tune.textCount, 0);
}

TEST_F(ParserTest, NameSetIsChosenUntilTheFirstNote)
{
    Tune probe;
    probe.noteCount = 0;
    EXPECT_EQ(ClassifyToneName("RING_NOTE_A", probe, config, names).pitch, 69);
    EXPECT_EQ(probe.noteNameSet, 1);
    EXPECT_EQ(ClassifyToneName("AUD_TONE_FREQ_OFF", probe, config, names).kind,
              ToneNameClass::Kind::Pause);
    EXPECT_EQ(probe.noteNameSet, 0); // no prefix matched: the first set
    probe.noteNameSet = 1;
    probe.noteCount = 1;
    // With a note stored the set stays, so the other set's names are unknown.
    EXPECT_EQ(ClassifyToneName("AUD_NOTE_A", probe, config, names).kind,
              ToneNameClass::Kind::Unrecognised);
    EXPECT_EQ(probe.noteNameSet, 1);
    // Pitches below 69 have no name the parser knows.
    EXPECT_EQ(ClassifyToneName("RING_NOTE_UNK", probe, config, names).kind,
              ToneNameClass::Kind::Unrecognised);
    EXPECT_EQ(FindNoteNameSet("RING", config), 0); // shorter than any prefix
}

TEST_F(ParserTest, ZeroLengthsAndUnknownNamesBecomeTexts)
{
    ASSERT_TRUE(parse(bodyLines({
                          "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                          "    TONE(AUD_NOTE_A, TONE_TIME_IN_MS(0))",
                          "    TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(0))",
                          "    TONE(AUD_NOTE_XYZ, TONE_TIME_IN_MS(100))",
                          "    TONE(AUD_NOTE_A, SOMETHING_ELSE)",
                          "",
                          "        /* a comment */",
                      }))
                    .ok());
    EXPECT_EQ(tune.noteCount, 1);
    const char* expected[] = {
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(0))",
        "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(0))",
        "TONE(AUD_NOTE_XYZ, TONE_TIME_IN_MS(100))",
        "TONE(AUD_NOTE_A, SOMETHING_ELSE)",
        " ",
        "/* a comment */",
    };
    ASSERT_EQ(tune.textCount, 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(text(i + 1).text, expected[i]);
        EXPECT_EQ(text(i + 1).timeMs, 100); // the unknown note added no time
    }
}

TEST_F(ParserTest, OnlyLinesInsideTheBodyBecomeTexts)
{
    SourceLines s = bodyLines({"/* tone */", "static TONE tone_x[] =", "{",
                               "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))", "inside", "};", "after"});
    s.bodyOpenLine = 3;
    s.bodyCloseLine = 6;
    ASSERT_TRUE(parse(s).ok());
    EXPECT_EQ(tune.noteCount, 1);
    ASSERT_EQ(tune.textCount, 1);
    EXPECT_EQ(text(1).text, "inside");
}

TEST_F(ParserTest, VibraAndRepeatMarkers)
{
    ASSERT_TRUE(parse(bodyLines({
                          "VIBRA_ON,",
                          "REPEAT_BEGIN(3)",
                          "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                          "REPEAT_END,",
                          "REPEAT_END,", // nothing open: no change
                          "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(50))",
                          "VIBRA_OFF,",
                          "VIBRA_ON,", // closed at once: removed again
                          "VIBRA_OFF,",
                          "REPEAT_BEGIN(12)",
                          "REPEAT_END,",
                          "REPEAT_BEGIN(1234)",
                          "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))",
                          "REPEAT_END,",
                      }))
                    .ok());
    ASSERT_EQ(tune.vibraCount, 1);
    EXPECT_EQ(tune.vibraList[1].startMs, 0);
    EXPECT_EQ(tune.vibraList[1].endMs, 150);
    ASSERT_EQ(tune.repeatCount, 2);
    EXPECT_EQ(tune.repeatList[1].startMs, 0);
    EXPECT_EQ(tune.repeatList[1].endMs, 100);
    EXPECT_EQ(tune.repeatList[1].repetitions, 3);
    EXPECT_EQ(tune.repeatList[2].startMs, 150);
    EXPECT_EQ(tune.repeatList[2].endMs, 160);
    EXPECT_EQ(tune.repeatList[2].repetitions, 123); // three digits at most
    EXPECT_EQ(tune.textCount, 0);
    EXPECT_EQ(tune.tailMs, 0);
}

TEST_F(ParserTest, UnclosedMarkersEndWithTheTune)
{
    const ToneTextResult r = parse(bodyLines({
        "VIBRA_ON,",
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
        "VIBRA_ON,",
        "REPEAT_BEGIN(2)",
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
    }));
    ASSERT_EQ(tune.vibraCount, 2);
    EXPECT_EQ(tune.vibraList[1].endMs, 100);
    EXPECT_EQ(tune.vibraList[2].startMs, 100);
    EXPECT_EQ(tune.vibraList[2].endMs, 200);
    ASSERT_EQ(tune.repeatCount, 1);
    EXPECT_EQ(tune.repeatList[1].endMs, 200);
    EXPECT_EQ(r.warnings.size(), 3u);
}

TEST_F(ParserTest, MarkersAfterATonesFirstArgumentAndMarkersWithSpaces)
{
    config.vibraOnText = "VIBRA ON";
    ASSERT_TRUE(parse(bodyLines({"VIBRA ON", "TONE(X, VIBRA_OFF,)", "TONE(Y, REPEAT_BEGIN(2))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(5))", "REPEAT_END,"}))
                    .ok());
    EXPECT_EQ(tune.vibraCount, 0);
    ASSERT_EQ(tune.textCount, 1);
    EXPECT_EQ(text(1).text, "VIBRA ON");
    // The rest of an unknown TONE line is tested for markers.
    ASSERT_EQ(tune.repeatCount, 1);
    EXPECT_EQ(tune.repeatList[1].repetitions, 2);
    EXPECT_EQ(tune.repeatList[1].endMs, 5);
}

TEST_F(ParserTest, EmptyMarkerTextsMatchNothing)
{
    config = TextConfig{}; // no config.cfg
    ASSERT_TRUE(parse(bodyLines({"TONE(_A, TONE_TIME_IN_MS(100))", "anything"})).ok());
    EXPECT_EQ(tune.repeatCount, 0);
    EXPECT_EQ(tune.vibraCount, 0);
    ASSERT_EQ(tune.noteCount, 1);
    EXPECT_EQ(note(1).pitch, 69);
    ASSERT_EQ(tune.textCount, 1);
}

TEST_F(ParserTest, TempoLineSetsTempoAndKeepsTimesRead)
{
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(375))",
                                 "        /*Tempo: 120bpm*/        ",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(500))"}))
                    .ok());
    EXPECT_EQ(tune.tempoBpm, 120);
    EXPECT_FLOAT_EQ(tune.msPerUnit, 62.5f);
    EXPECT_EQ(note(1).durationMs, 375);
    EXPECT_EQ(note(2).startMs, 375);
    EXPECT_FLOAT_EQ(note(1).durationUnits, 6.0f);
    EXPECT_FLOAT_EQ(note(2).durationUnits, 8.0f);
    EXPECT_EQ(tune.textCount, 0);
}

TEST_F(ParserTest, TempoOfZeroOrBelowIsRefused)
{
    const char* lines[] = {"/*Tempo: 0bpm*/", "/*Tempo: -40bpm*/", "/*Tempo: fast*/"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        tune.tempoBpm = 90;
        tune.msPerUnit = 7500.0f / 90.0f;
        const ToneTextResult r = parse(bodyLines({line, "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(80))"}));
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(tune.tempoBpm, 90);
        EXPECT_FLOAT_EQ(tune.msPerUnit, 7500.0f / 90.0f);
        EXPECT_THAT(r.warnings, ::testing::ElementsAre(::testing::HasSubstr("Line 1: the tempo")));
        EXPECT_EQ(tune.textCount, 0); // still a tempo line
    }
}

TEST_F(ParserTest, TempoIsEstimatedWithoutATempoLine)
{
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(200))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(200))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(400))"}))
                    .ok());
    EXPECT_EQ(EstimateBaseLength(tune), 200);
    EXPECT_FLOAT_EQ(tune.msPerUnit, 50.0f);
    EXPECT_EQ(tune.tempoBpm, 150);
    EXPECT_FLOAT_EQ(note(4).startUnits, 10.0f);
    EXPECT_FLOAT_EQ(note(4).durationUnits, 8.0f);

    ASSERT_TRUE(parse(bodyLines({"just text"})).ok());
    EXPECT_EQ(tune.tempoBpm, 300);
    EXPECT_FLOAT_EQ(tune.msPerUnit, 25.0f);

    // Lengths of 32000 ms and more are left out; notes that long give the
    // slowest tempo there is.
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(40000))"})).ok());
    EXPECT_EQ(EstimateBaseLength(tune), 32000);
    EXPECT_EQ(tune.tempoBpm, 1);
    EXPECT_FLOAT_EQ(tune.msPerUnit, 7500.0f);
}

TEST(EstimateBaseLength, SmallestLengthCoveringHalfTheFirstFiftyNotes)
{
    struct Case {
        const char* name;
        std::vector<std::int32_t> lengths;
        std::int32_t expect;
    };
    std::vector<std::int32_t> many(60, 300);
    for (int i = 0; i < 25; ++i)
        many[static_cast<std::size_t>(i)] = 100;
    const Case cases[] = {
        {"the worked example", {100, 200, 200, 400}, 200},
        {"one note", {250}, 250},
        {"odd count", {100, 300, 300}, 300},
        {"first fifty only", many, 100},
        {"long ones left out", {40000, 50000, 100}, 32000},
        {"no notes", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune t;
        t.noteCount = static_cast<std::int32_t>(c.lengths.size());
        for (std::size_t i = 0; i < c.lengths.size(); ++i) {
            t.noteTable[i + 1].durationMs = c.lengths[i];
        }
        EXPECT_EQ(EstimateBaseLength(t), c.expect);
    }
}

TEST_F(ParserTest, ALengthWithoutItsBracketStopsTheParse)
{
    const ToneTextResult r = parse(bodyLines(
        {"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))", "text before",
         "TONE(AUD_NOTE_A, TONE_TIME_IN_MS 100)", "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))"}));
    EXPECT_FALSE(r.ok());
    EXPECT_THAT(r.error, ::testing::HasSubstr("Line 3"));
    EXPECT_THAT(r.error, ::testing::HasSubstr("TONE_TIME_IN_MS"));
    // What came before stays, with its unit values derived.
    ASSERT_EQ(tune.noteCount, 1);
    ASSERT_EQ(tune.textCount, 1);
    EXPECT_EQ(tune.tempoBpm, 300); // estimated from the one note: 25 ms per unit
    EXPECT_FLOAT_EQ(note(1).endUnits, 4.0f);
    EXPECT_FLOAT_EQ(text(1).timeUnits, 4.0f);

    SourceLines s =
        bodyLines({"TONE(AUD_NOTE_A, NOTE_TIME(1/4)", "TONE(AUD_NOTE_A, NOTE_TIME(2))"});
    s.firstLineOffset = 40;
    const ToneTextResult r2 = parse(s);
    EXPECT_THAT(r2.error, ::testing::HasSubstr("Line 41"));
    EXPECT_THAT(r2.error, ::testing::HasSubstr("NOTE_TIME"));
    EXPECT_EQ(tune.noteCount, 0);
}

TEST_F(ParserTest, ListsStopAtTheirCapacityWithOneWarningEach)
{
    SourceLines s;
    for (int i = 0; i < kMaxNotes + 5; ++i) {
        s.sourceLines.push_back("TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))");
    }
    for (int i = 0; i < kMaxVibras + 3; ++i) {
        s.sourceLines.push_back("VIBRA_ON,");
        s.sourceLines.push_back("TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(10))");
        s.sourceLines.push_back("VIBRA_OFF,");
    }
    for (int i = 0; i < kMaxRepeats + 3; ++i) {
        s.sourceLines.push_back("REPEAT_BEGIN(2)");
        s.sourceLines.push_back("TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(10))");
        s.sourceLines.push_back("REPEAT_END,");
    }
    for (int i = 0; i < kMaxTexts + 7; ++i)
        s.sourceLines.push_back("text");
    s.sourceLines.push_back("};");
    s.bodyCloseLine = s.sourceLineCount() + 1;
    const ToneTextResult r = parse(s);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(tune.noteCount, kMaxNotes);
    EXPECT_EQ(tune.vibraCount, kMaxVibras);
    EXPECT_EQ(tune.repeatCount, kMaxRepeats);
    EXPECT_EQ(tune.textCount, kMaxTexts);
    EXPECT_THAT(r.warnings,
                ::testing::UnorderedElementsAre(
                    "The tune has more than 999 notes; the rest were not loaded.",
                    "The tune has more than 499 vibra segments; the rest were not loaded.",
                    "The tune has more than 99 repeat blocks; the rest were not loaded.",
                    "The tune has more than 499 texts; the rest were not loaded."));
    // Dropped segments do not close the last one kept.
    EXPECT_EQ(tune.vibraList[kMaxVibras].endMs - tune.vibraList[kMaxVibras].startMs, 10);
    EXPECT_EQ(tune.repeatList[kMaxRepeats].endMs - tune.repeatList[kMaxRepeats].startMs, 10);
}

TEST_F(ParserTest, OversizedValuesStayWithinBounds)
{
    const std::string longToken = "TONE(" + std::string(200, '7') + ", TONE_TIME_IN_MS(10))";
    const ToneTextResult r = parse(bodyLines({
        longToken,
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(-50))",
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(2000000000))",
        "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(2000000000))",
        "TONE(AUD_NOTE_A, NOTE_TIME(5/0))",
        "TONE(AUD_NOTE_A, NOTE_TIME(99999999))",
        "TONE(" + std::string(31, 'Z'),
        std::string(120, 'x'),
    }));
    EXPECT_TRUE(r.ok());
    ASSERT_EQ(tune.noteCount, 1);
    EXPECT_EQ(note(1).durationMs, 2000000000);
    EXPECT_EQ(tune.textCount, 7);
    EXPECT_EQ(text(7).text.size(), kMaxTextChars);
    EXPECT_GE(r.warnings.size(), 4u);
}

// Found by fuzzing: TONE(-2147483648, ...) gave a pitch far outside every
// table and every matrix row.
TEST_F(ParserTest, NumberTokensNameAFreqDefineValueTheTableCanHold)
{
    struct Case {
        const char* token;
        int pitch;
    };
    constexpr Case kCases[] = {
        {"1", 72},           {"30", 101},       {"0", 72},           {"31", 101},
        {"-3", 72},          {"+7", 78},        {"-2147483648", 72}, {"2147483647", 101},
        {"99999999999", 101}, {"12abc", 83},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.token);
        const ToneNameClass k = ClassifyToneName(c.token, tune, config, names);
        ASSERT_EQ(k.kind, ToneNameClass::Kind::Note);
        EXPECT_EQ(k.noteKind, NoteKind::FreqDefine);
        EXPECT_EQ(k.pitch, c.pitch);
    }
    // Without a FREQ_DEFINE text nothing else clamps the parsed note.
    ASSERT_TRUE(parse(bodyLines({"TONE(-2147483648, TONE_TIME_IN_MS(100))"})).ok());
    ASSERT_EQ(tune.noteCount, 1);
    EXPECT_EQ(note(1).pitch, 72);
}

TEST(FreqDefineGroups, ReadFromTheThirteenthCharacter)
{
    struct Case {
        const char* text;
        std::int32_t count;
        std::vector<std::int32_t> values; // entries from 0, 0 = left unchanged
    };
    const Case cases[] = {
        {"FREQ_DEFINE((1000),(1500),(2000))", 3, {1000, 1500, 2000}},
        {"FREQ_DEFINE(1000)(1500)", 1, {1500}}, // the first bracket is skipped
        {"FREQ_DEFINE:(440)(x)(880)", 3, {440, 0, 880}},
        {"FREQ_DEFINE:(440)(88", 1, {440}},
        {"FREQ_DEFINE:", 0, {}},
        {"FREQ_DEFINE", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FreqDefineTable table{};
        EXPECT_EQ(ReadFreqDefineGroups(c.text, table), c.count);
        for (std::size_t i = 0; i < c.values.size(); ++i)
            EXPECT_EQ(table[i], c.values[i]);
    }
    std::string many = "FREQ_DEFINE:";
    for (int i = 1; i <= 40; ++i)
        many += "(" + std::to_string(i) + ")";
    FreqDefineTable table{};
    EXPECT_EQ(ReadFreqDefineGroups(many, table), kFreqDefineSlots);
    EXPECT_EQ(table[29], 30);
}

TEST_F(ParserTest, FreqDefineTextsFillTheTableAndClampPitches)
{
    ASSERT_TRUE(parse(bodyLines({"FREQ_DEFINE((1000), (1500))", "TONE(1, TONE_TIME_IN_MS(100))",
                                 "TONE(5, TONE_TIME_IN_MS(100))", "TONE(-3, TONE_TIME_IN_MS(100))",
                                 "TONE(AUD_TONE_FS7, TONE_TIME_IN_MS(100))"}))
                    .ok());
    EXPECT_EQ(tune.freqDefineCount, 2);
    EXPECT_EQ(tune.freqDefineTable[0], 1000);
    EXPECT_EQ(tune.freqDefineTable[1], 1500);
    ASSERT_EQ(tune.textCount, 1); // the FREQ_DEFINE line stays as a text
    EXPECT_EQ(note(1).pitch, 72);
    EXPECT_EQ(note(2).pitch, 73); // down to the last value
    EXPECT_EQ(note(3).pitch, 72); // up to the first
    EXPECT_EQ(note(4).pitch, 74);

    // A later FREQ_DEFINE text replaces an earlier one; without any, no clamping.
    tune.textList[2].setText("FREQ_DEFINE ((300))");
    tune.textCount = 2;
    ScanTexts(tune, config);
    EXPECT_EQ(tune.freqDefineCount, 1);
    EXPECT_EQ(note(2).pitch, 72);
    tune.textCount = 0;
    tune.noteTable[2].pitch = 90;
    ScanTexts(tune, config);
    EXPECT_EQ(tune.freqDefineCount, 0);
    EXPECT_EQ(note(2).pitch, 90);
}

TEST_F(ParserTest, PoliteSectionBetweenTwoMarkerTexts)
{
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))", "/*POLITE*/",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))", "/*POLITE*/",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                                 "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))"}))
                    .ok());
    EXPECT_EQ(tune.politeDefined, 1);
    EXPECT_EQ(tune.politeFirstNote, 2);
    EXPECT_EQ(tune.politeLastNote, 3);
    EXPECT_EQ(tune.politeNoteCount, 2);

    // One marker alone opens but defines nothing; a marker in a tune without
    // notes does nothing.
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))", "/*POLITE*/"})).ok());
    EXPECT_EQ(tune.politeDefined, 0);
    EXPECT_EQ(tune.politeFirstNote, 1);
    ASSERT_TRUE(parse(bodyLines({"/*POLITE*/", "/*POLITE*/"})).ok());
    EXPECT_EQ(tune.politeDefined, 0);
    EXPECT_EQ(tune.politeFirstNote, -1);
}

TEST_F(ParserTest, TailIsTheTimeAfterTheLastItemEnds)
{
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))",
                                 "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(250))", "a text"}))
                    .ok());
    EXPECT_EQ(tune.tailMs, 250);
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(70))"})).ok());
    EXPECT_EQ(tune.tailMs, 70);
}

TEST_F(ParserTest, ParseKeepsNameAndIdAndReplacesItems)
{
    tune.toneName = "Ring1";
    tune.toneId = "R001";
    tune.noteCount = 5;
    tune.textCount = 3;
    ASSERT_TRUE(parse(bodyLines({"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))"})).ok());
    EXPECT_EQ(tune.toneName, "Ring1");
    EXPECT_EQ(tune.toneId, "R001");
    EXPECT_EQ(tune.noteCount, 1);
    EXPECT_EQ(tune.textCount, 0);
    // The last stored line is never read.
    SourceLines s;
    s.sourceLines = {"TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))"};
    s.bodyCloseLine = 2;
    ASSERT_TRUE(parse(s).ok());
    EXPECT_EQ(tune.noteCount, 0);
}

} // namespace
} // namespace qte
