#include "tune/tone_parser.h"

#include "tune/tone_fixture.h"
#include "tune/tune_items.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qte {
namespace {

using test::bodyLines;
using test::itemsOf;
using ::testing::HasSubstr;

// A note A and a pause of the given length, as the tone text writes them.
std::string noteA(int ms)
{
    return "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(" + std::to_string(ms) + "))";
}
std::string pause(int ms)
{
    return "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(" + std::to_string(ms) + "))";
}

struct ParserTest : ::testing::Test {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = test::exampleNoteNames();
    ParserState state;
    Tune tune;

    ToneTextResult parse(const SourceLines& lines)
    {
        return ParseToneText(tune, lines, state, config, names);
    }
    // The items after a parse that must succeed.
    std::string items(std::initializer_list<std::string_view> lines)
    {
        const ToneTextResult r = parse(bodyLines(lines));
        EXPECT_TRUE(r.ok()) << r.error;
        return itemsOf(tune);
    }
};

TEST(ToneStrings, DecimalsReadLikeScanf)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"42", 42},
        {"-7x", -7},
        {"+5", 5},
        {" \t12)", 12},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ScanDecimal(text), value) << text;
}

TEST_F(ParserTest, LengthsInMsAndInNoteTimes)
{
    // Further forms are in the waltz example.
    const std::pair<const char*, int> cases[] = {{"NOTE_TIME", 300},
                                                 {"NOTE_TIME(3/2)", 450},
                                                 {"NOTE_TIME(1/3)", 100},
                                                 {"NOTE_TIME(10)", 3000}};
    for (const auto& [length, ms] : cases) {
        SCOPED_TRACE(length);
        EXPECT_EQ(items({"        TONE(AUD_NOTE_C, TONE_TIME_IN_MS(50))",
                         "        TONE(AUD_NOTE_A, " + std::string(length) + ")"}),
                  "N72 0-50\nN69 50-" + std::to_string(50 + ms) + "\n");
    }
}

TEST_F(ParserTest, NoteTimeDefineChangesLaterParsesToo)
{
    // The define with "(time)" is in the waltz example.
    (void)items({"#define NOTE_TIME TONE_TIME_IN_MS(80)"});
    EXPECT_EQ(items({"TONE(AUD_NOTE_A, NOTE_TIME)"}), "N69 0-80\n");
    const ToneTextResult r = parse(bodyLines({"#define NOTE_TIME TONE_TIME_IN_MS(0)"}));
    EXPECT_EQ(state.noteTimeMs, 80);
    EXPECT_THAT(r.warnings, ::testing::ElementsAre("Line 1: the NOTE_TIME length must be a number "
                                                   "above 0 ms; it stays at 80 ms."));
}

TEST_F(ParserTest, TheFirstNoteChoosesTheNameSet)
{
    // Then the other set's names are unknown, and so are pitches below 69.
    EXPECT_EQ(
        items({"TONE(RING_NOTE_C4, TONE_TIME_IN_MS(100))", "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))",
               "TONE(RING_NOTE_UNK, TONE_TIME_IN_MS(10))"}),
        "N108 0-100\nT 100 TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n"
        "T 100 TONE(RING_NOTE_UNK, TONE_TIME_IN_MS(10))\n");
    EXPECT_EQ(tune.noteNameSet, 1);
    // A pause matches no prefix: without notes the first set.
    (void)items({pause(10)});
    EXPECT_EQ(tune.noteNameSet, 0);
}

TEST_F(ParserTest, ZeroLengthsAndUnknownNamesBecomeTexts)
{
    // The unknown note adds no time; a tab is no space; a blank line is one.
    EXPECT_EQ(items({noteA(100), "    TONE(AUD_NOTE_A, TONE_TIME_IN_MS(0))",
                     "    TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(0))",
                     "    TONE(AUD_NOTE_XYZ, TONE_TIME_IN_MS(100))",
                     "    TONE(AUD_NOTE_A, SOMETHING_ELSE)",
                     "TONE(AUD_NOTE_A,\tTONE_TIME_IN_MS(9))", "      ", "        /* a comment */"}),
              "N69 0-100\n"
              "T 100 TONE(AUD_NOTE_A, TONE_TIME_IN_MS(0))\n"
              "T 100 TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(0))\n"
              "T 100 TONE(AUD_NOTE_XYZ, TONE_TIME_IN_MS(100))\n"
              "T 100 TONE(AUD_NOTE_A, SOMETHING_ELSE)\n"
              "T 100 TONE(AUD_NOTE_A,\tTONE_TIME_IN_MS(9))\n" // only spaces go
              "T 100  \n"
              "T 100 /* a comment */\n");
}

TEST_F(ParserTest, VibraAndRepeatMarkers)
{
    // A second REPEAT_END at the same time changes nothing; a segment or
    // block closed at once is removed; a repetition count has three digits
    // at most.
    EXPECT_EQ(items({"VIBRA_ON,", "REPEAT_BEGIN(3)", noteA(100), "REPEAT_END,", "REPEAT_END,",
                     pause(50), "VIBRA_OFF,", "VIBRA_ON,", "VIBRA_OFF,", "REPEAT_BEGIN(12)",
                     "REPEAT_END,", "REPEAT_BEGIN(1234)", noteA(10), "REPEAT_END,"}),
              "N69 0-100\nN69 150-160\nV 0-150\nR 0-100 x3\nR 150-160 x123\n");
    EXPECT_EQ(tune.tailMs, 0);
}

// A close marker after the last segment or block has closed moves its end
// to the running time; with none at all it does nothing.
TEST_F(ParserTest, ASecondCloseMarkerMovesTheLastEnd)
{
    EXPECT_EQ(items({noteA(100), "VIBRA_ON,", noteA(100), "VIBRA_OFF,", noteA(100), "VIBRA_OFF,",
                     "REPEAT_BEGIN(2)", noteA(100), "REPEAT_END,", pause(50), "REPEAT_END,"}),
              "N69 0-100\nN69 100-200\nN69 200-300\nN69 300-400\nV 100-300\nR 300-450 x2\n");
    EXPECT_EQ(tune.tailMs, 0);
    EXPECT_EQ(items({"VIBRA_OFF,", "REPEAT_END,", noteA(100), "VIBRA_OFF,", "REPEAT_END,"}),
              "N69 0-100\n");
}

TEST_F(ParserTest, UnclosedMarkersEndWithTheTune)
{
    const ToneTextResult r =
        parse(bodyLines({"VIBRA_ON,", noteA(100), "VIBRA_ON,", "REPEAT_BEGIN(2)", noteA(100)}));
    EXPECT_EQ(itemsOf(tune), "N69 0-100\nN69 100-200\nV 0-100\nV 100-200\nR 100-200 x2\n");
    EXPECT_EQ(r.warnings.size(), 3u);
}

TEST_F(ParserTest, MarkersAfterATonesFirstArgumentAndMarkersWithSpaces)
{
    // A marker with a space never matches; the rest of an unknown TONE line
    // is tested for markers.
    config.vibraOnText = "VIBRA ON";
    EXPECT_EQ(items({"VIBRA ON", "TONE(X, VIBRA_OFF,)", "TONE(Y, REPEAT_BEGIN(2))", noteA(5),
                     "REPEAT_END,"}),
              "N69 0-5\nR 0-5 x2\nT 0 VIBRA ON\n");
}

TEST_F(ParserTest, EmptyMarkerTextsMatchNothing)
{
    config = TextConfig{}; // no config.cfg
    EXPECT_EQ(items({"TONE(_A, TONE_TIME_IN_MS(100))", "anything"}), "N69 0-100\nT 100 anything\n");
}

TEST_F(ParserTest, TempoWithoutAUsableTempoLine)
{
    // A tempo line that cannot be used leaves the tempo as it was.
    for (const char* line : {"/*Tempo: 0bpm*/", "/*Tempo: -40bpm*/", "/*Tempo: fast*/"}) {
        SCOPED_TRACE(line);
        tune.tempoBpm = 90;
        tune.msPerUnit = 7500.0f / 90.0f;
        const ToneTextResult r = parse(bodyLines({line, noteA(80)}));
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(std::tie(tune.tempoBpm, tune.msPerUnit), std::make_tuple(90, 7500.0f / 90.0f));
        EXPECT_THAT(r.warnings,
                    ::testing::ElementsAre("Line 1: the tempo must be a number of beats "
                                           "per minute above 0; the tempo was left as "
                                           "it was."));
        EXPECT_EQ(tune.textCount, 0); // still a tempo line
    }
    // Without one the tempo is estimated; with no notes it is 300, and notes
    // of 32000 ms and more give the slowest tempo there is.
    (void)items({"just text"});
    EXPECT_EQ(std::tie(tune.tempoBpm, tune.msPerUnit), std::make_tuple(300, 25.0f));
    (void)items({noteA(40000)});
    EXPECT_EQ(std::tie(tune.tempoBpm, tune.msPerUnit), std::make_tuple(1, 7500.0f));
}

TEST(EstimateBaseLength, SmallestLengthCoveringHalfTheFirstFiftyNotes)
{
    std::vector<std::int32_t> many(60, 300);
    std::fill_n(many.begin(), 25, 100);
    const std::pair<std::vector<std::int32_t>, std::int32_t> cases[] = {
        {{100, 200, 200, 400}, 200}, // the worked example
        {{250}, 250},
        {{100, 300, 300}, 300},
        {many, 100},                  // the first fifty only
        {{40000, 50000, 100}, 32000}, // long ones left out
        {{}, 0}};
    for (const auto& [lengths, expect] : cases) {
        Tune t;
        for (std::int32_t ms : lengths)
            t.noteTable[static_cast<std::size_t>(++t.noteCount)].durationMs = ms;
        EXPECT_EQ(EstimateBaseLength(t), expect) << t.noteCount << " notes";
    }
}

TEST_F(ParserTest, ALengthWithoutItsBracketStopsTheParse)
{
    // Line numbers count from the offset of the body in its file.
    SourceLines s =
        bodyLines({"TONE(AUD_NOTE_A, NOTE_TIME(1/4)", "TONE(AUD_NOTE_A, NOTE_TIME(2))"});
    s.firstLineOffset = 40;
    EXPECT_EQ(parse(s).error, "Line 41: the NOTE_TIME length has no closing \")\". The tune "
                              "was read only up to this line.");
    EXPECT_EQ(tune.noteCount, 0);
}

TEST_F(ParserTest, ListsStopAtTheirCapacityWithOneWarningEach)
{
    SourceLines s;
    const auto add = [&](int n, std::initializer_list<std::string> lines) {
        for (int i = 0; i < n; ++i)
            s.sourceLines.insert(s.sourceLines.end(), lines.begin(), lines.end());
    };
    add(kMaxNotes + 5, {noteA(10)});
    add(kMaxVibras + 3, {"VIBRA_ON,", pause(10), "VIBRA_OFF,"});
    add(kMaxRepeats + 3, {"REPEAT_BEGIN(2)", pause(10), "REPEAT_END,"});
    add(kMaxTexts + 7, {"text"});
    add(1, {"};"});
    s.bodyCloseLine = s.sourceLineCount() + 1;
    const ToneTextResult r = parse(s);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(std::tie(tune.noteCount, tune.vibraCount, tune.repeatCount, tune.textCount),
              std::tie(kMaxNotes, kMaxVibras, kMaxRepeats, kMaxTexts));
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
        noteA(2000000000),
        noteA(2000000000),
        "TONE(AUD_NOTE_A, NOTE_TIME(5/0))",
        "TONE(AUD_NOTE_A, NOTE_TIME(99999999))",
        "TONE(" + std::string(31, 'Z'),
        std::string(120, 'x'),
    }));
    EXPECT_TRUE(r.ok());
    ASSERT_EQ(tune.noteCount, 1);
    EXPECT_EQ(tune.noteTable[1].durationMs, 2000000000);
    ASSERT_EQ(tune.textCount, 7);
    EXPECT_EQ(tune.textList[7].text, std::string(kMaxTextChars, 'x'));
    EXPECT_THAT(r.warnings,
                ::testing::ElementsAre(
                    "Line 5: a NOTE_TIME fraction cannot divide by 0.",
                    "Line 1 (and 1 more): the text is longer than 91 characters and was cut.",
                    "Line 2: a length below 0 ms cannot be played; the line was not read as a "
                    "note or pause.",
                    "Line 4 (and 1 more): the tune would grow longer than the longest time it "
                    "can hold; the line was not read as a note or pause."));
}

// A number names FREQ_DEFINE value v at pitch 71 + v, in the table or not, so
// that the firmware's numbers survive; only one no pitch can hold is refused.
TEST_F(ParserTest, NumberTokensKeepTheirValue)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"1", 72},
        {"30", 101},
        {"0", 71},
        {"31", 102},
        {"45", 116},
        {"-2", 69},
        {"+7", 78},
        {"12abc", 83},
        {"-2147483648", INT32_MIN + 71},
        {"-0002147483648", INT32_MIN + 71},
        {"2147483576", INT32_MAX},
        {"2147483577", std::nullopt},
        {"2147483647", std::nullopt},
        {"99999999999", std::nullopt},
        {"-2147483649", std::nullopt},
        {"-99999999999", std::nullopt},
    };
    for (const auto& [token, pitch] : cases) {
        SCOPED_TRACE(token);
        const ToneNameClass k = ClassifyToneName(token, tune, config, names);
        if (pitch) {
            EXPECT_EQ(
                std::tie(k.kind, k.noteKind, k.pitch, k.numberTooLarge),
                std::make_tuple(ToneNameClass::Kind::Note, NoteKind::FreqDefine, *pitch, false));
        } else {
            EXPECT_EQ(std::tie(k.kind, k.numberTooLarge),
                      std::make_tuple(ToneNameClass::Kind::Unrecognised, true));
        }
    }
}

TEST(FreqDefineGroups, ReadFromTheThirteenthCharacter)
{
    std::string many = "FREQ_DEFINE:";
    std::vector<std::int32_t> thirty;
    for (int i = 1; i <= 40; ++i) {
        many += "(" + std::to_string(i) + ")";
        if (i <= kFreqDefineSlots) thirty.push_back(i);
    }
    // The groups read, as many as the count returned; 0 is an entry left as it
    // was. The plain form is in the office example.
    const std::pair<std::string, std::vector<std::int32_t>> cases[] = {
        {"FREQ_DEFINE(1000)(1500)", {1500}}, // the first bracket is skipped
        {"FREQ_DEFINE:(440)(x)(880)", {440, 0, 880}},
        {"FREQ_DEFINE:(440)(88", {440}},
        {"FREQ_DEFINE:", {}},
        {"FREQ_DEFINE", {}},
        {many, thirty}};
    for (const auto& [text, values] : cases) {
        FreqDefineTable table{};
        const std::int32_t n = ReadFreqDefineGroups(text, table);
        ASSERT_TRUE(n >= 0 && n <= kFreqDefineSlots) << n;
        EXPECT_EQ(std::vector(table.begin(), table.begin() + n), values) << text;
    }
}

TEST_F(ParserTest, FreqDefineTextsFillTheTableAndClampPitches)
{
    // Pitches go down to the last value and up to the first; the FREQ_DEFINE
    // line stays as a text.
    EXPECT_EQ(
        items({"FREQ_DEFINE((1000), (1500))", "TONE(1, TONE_TIME_IN_MS(100))",
               "TONE(5, TONE_TIME_IN_MS(100))", "TONE(-3, TONE_TIME_IN_MS(100))",
               "TONE(AUD_TONE_FS7, TONE_TIME_IN_MS(100))"}),
        "F72 0-100\nF73 100-200\nF72 200-300\nS74 300-400\nT 0 FREQ_DEFINE((1000), (1500))\n");

    // A later FREQ_DEFINE text replaces an earlier one; without any, no clamping.
    tune.textList[2].setText("FREQ_DEFINE ((300))");
    tune.textCount = 2;
    ScanTexts(tune, config);
    EXPECT_EQ(tune.freqDefineCount, 1);
    EXPECT_EQ(tune.noteTable[2].pitch, 72);
    tune.textCount = 0;
    tune.noteTable[2].pitch = 90;
    ScanTexts(tune, config);
    EXPECT_EQ(tune.freqDefineCount, 0);
    EXPECT_EQ(tune.noteTable[2].pitch, 90);
}

TEST_F(ParserTest, PoliteSectionNeedsTwoMarkersAndANote)
{
    // One marker alone opens but defines nothing; a marker in a tune without
    // notes does nothing.
    const std::string n = noteA(100), p = "/*POLITE*/";
    (void)items({n, p});
    EXPECT_EQ(std::tie(tune.politeDefined, tune.politeFirstNote), std::make_tuple(0, 1));
    (void)items({p, p});
    EXPECT_EQ(std::tie(tune.politeDefined, tune.politeFirstNote), std::make_tuple(0, -1));
}

TEST_F(ParserTest, TailIsTheTimeAfterTheLastItemEnds)
{
    (void)items({noteA(100), pause(250), "a text"});
    EXPECT_EQ(tune.tailMs, 250);
    (void)items({pause(70)});
    EXPECT_EQ(tune.tailMs, 70);
}

// Every parse here reuses the fixture's tune, so that a parse that kept
// old items would fail most of them.
TEST_F(ParserTest, ParseKeepsNameAndId)
{
    tune.toneName = "Ring1";
    tune.toneId = "R001";
    (void)items({noteA(100)});
    EXPECT_EQ(std::tie(tune.toneName, tune.toneId), std::make_tuple("Ring1", "R001"));
}

} // namespace
} // namespace qte
