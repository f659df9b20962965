#include "tune/tone_generator.h"

#include "support/testsupport.h"
#include "tune/ringdata_file.h"
#include "tune/tone_fixture.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace qte {
namespace {

using test::TuneBuilder;

// Each line as "kind:index text", without the indent and line end every
// body line has.
std::vector<std::string> linesOf(const ToneText& t)
{
    std::vector<std::string> out;
    for (int i = 0; i < t.toneTextLineCount; ++i) {
        const std::string& line = t.toneTextLines[static_cast<std::size_t>(i)];
        const LineInfo& info = t.lineInfo[static_cast<std::size_t>(i)];
        EXPECT_TRUE(line.starts_with("        ") && line.ends_with('\n')) << line;
        out.push_back(std::to_string(info.itemKind) + ":" + std::to_string(info.itemIndex) + " " +
                      (line.size() > 8 ? line.substr(8, line.size() - 9) : line));
    }
    return out;
}

TEST(GenerateToneText, LinesForEachShapeOfTune)
{
    TextConfig bare = test::exampleTextConfig();
    bare.headerLineCount = bare.footerLineCount = -1;
    bare.defaultStartLineCount = bare.defaultEndLineCount = -1;
    struct Case {
        const char* what;
        Tune tune;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"an empty tune is one indent-only line", TuneBuilder().build(), {"255:0 "}},
        {"a first note at 500 ms follows a pause of 500; the FreqDefine example",
         TuneBuilder().note(500, 875, 73, NoteKind::FreqDefine).build(),
         {"255:0 ", "0:500 TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(500))",
          "1:1 TONE(2, TONE_TIME_IN_MS(375))"}},
        // The order at one instant, which the round trip cannot see.
        {"texts, repeat start, vibra, repeat end, then the note; the length written is "
         "durationMs; a pitch without a name",
         [] {
             TuneBuilder b;
             b.note(0, 100, 72).note(100, 110, 60).repeat(0, 100, 3).vibra(0, 100);
             Tune t = b.text(0, "/* hi */").text(100, "").build();
             t.noteTable[1].durationMs = 99;
             return t;
         }(),
         {"255:0 ", "4:1 /* hi */", "3:1 REPEAT_BEGIN(3)", "2:1 VIBRA_ON,",
          "1:1 TONE(AUD_NOTE_C, TONE_TIME_IN_MS(99))", "4:2 --- free text ---", "102:1 VIBRA_OFF,",
          "103:1 REPEAT_END,", "1:2 TONE(AUD_NOTE_UNK TONE_TIME_IN_MS(10))"}}};
    const NoteNameTable names = BuildNoteNameTable();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Tune tune = k.tune;
        const GeneratedToneText g = GenerateToneText(tune, bare, names, {});
        EXPECT_EQ(linesOf(g.text), k.want);
        EXPECT_TRUE(g.warnings.empty());
    }
}

TEST(GenerateToneText, HeaderTempoDefaultPartsAndFooter)
{
    TextConfig config = test::exampleTextConfig();
    SubstituteHeaderPlaceholders(config, "Ring1", "R001");
    Tune tune = TuneBuilder(160).note(0, 375, 72).build();
    tune.noteNameSet = 1;

    const auto full = GenerateToneText(tune, config, BuildNoteNameTable(), {true, true});
    EXPECT_EQ(ToneTextBytes(full.text), "/* Ring1 (R001) */\n"
                                        "static TONE tone_ring1[] =\n"
                                        "{\n"
                                        "        /*Tempo: 160bpm*/        \n"
                                        "        VOLUME_SET(AUD_VOLUME_RING),\n"
                                        "        \n"
                                        "        TONE(RING_NOTE_C, TONE_TIME_IN_MS(375))\n"
                                        "        \n"
                                        "        VOLUME_RESTORE,\n"
                                        "};\n");
    // The tempo comment is a line of its own in the view.
    EXPECT_EQ(full.text.toneTextLines[3], "        /*Tempo: 160bpm*/");
    EXPECT_EQ(full.text.toneTextLineCount, 11);
    for (int i = 0; i < full.text.toneTextLineCount; ++i) {
        const LineInfo& info = full.text.lineInfo[static_cast<std::size_t>(i)];
        EXPECT_EQ(info.itemKind, i == 7 ? 1 : 255) << i;
    }
}

TEST(GenerateToneText, TailIsWhatTheLastItemReachesPastTheLastNote)
{
    const struct {
        Tune tune;
        int want;
    } cases[] = {{TuneBuilder().note(0, 100, 72).build(), 0},
                 {TuneBuilder().note(0, 100, 72).vibra(0, 400).build(), 300},
                 {TuneBuilder().note(0, 100, 72).text(250, "t").build(), 150},
                 // The last event's value stays, and it may lie before the last note's end.
                 {TuneBuilder().note(0, 100, 72).note(500, 600, 72).vibra(0, 550).build(), -50},
                 {TuneBuilder().vibra(0, 550).text(700, "t").text(800, "u").build(), 800}};
    for (const auto& k : cases) {
        Tune tune = k.tune;
        tune.tailMs = -1;
        // The sound's own reading of the rule, without a text.
        EXPECT_EQ(TailMsOf(tune), k.want);
        (void)GenerateToneText(tune, test::exampleTextConfig(), BuildNoteNameTable(), {});
        EXPECT_EQ(tune.tailMs, k.want);
    }
}

TEST(GenerateToneText, OutputBoundsAreKept)
{
    // 999 notes with pauses between them need more lines than a text holds.
    TuneBuilder b;
    for (int i = 0; i < kMaxNotes; ++i)
        b.note(i * 200 + 100, i * 200 + 200, 72);
    Tune tune = b.build();
    const auto g = GenerateToneText(tune, test::exampleTextConfig(), BuildNoteNameTable(), {});
    EXPECT_EQ(g.text.toneTextLineCount, kMaxToneTextLines);
    EXPECT_GT(g.text.droppedLineCount, 0);
    ASSERT_EQ(g.warnings.size(), 1u);
    test::TempDir dir;
    const auto saved = SaveToneText(dir.file("long.h"), g.text);
    EXPECT_FALSE(saved.ok());
    EXPECT_FALSE(std::filesystem::exists(dir.file("long.h")));

    // A line longer than a stored line is cut and keeps its line end.
    TextConfig config = test::exampleTextConfig();
    config.noteNamePrefix[0] = std::string(kMaxPrefixChars, 'P');
    config.headerLines[0] = std::string(kMaxHeaderChars, 'H');
    Tune one = TuneBuilder().note(0, 100, 72).build();
    const auto cut = GenerateToneText(one, config, BuildNoteNameTable(), {});
    ASSERT_EQ(cut.warnings.size(), 1u);
    for (int i = 0; i < cut.text.toneTextLineCount; ++i) {
        const std::string& line = cut.text.toneTextLines[static_cast<std::size_t>(i)];
        EXPECT_LE(line.size(), kMaxToneTextLineChars);
        EXPECT_EQ(line.back(), '\n');
    }
    EXPECT_EQ(cut.text.toneTextLines[0], std::string(kMaxToneTextLineChars - 1, 'H') + "\n");
}

// The Normal notes the text names lie from A to C4: the rest are counted,
// with where the first of them start.
TEST(UnnamedNotes, CountAndPositionsOfNotesTheTextCannotName)
{
    const NoteNameTable names = BuildNoteNameTable();
    struct Case {
        const char* what;
        Tune tune;
        const char* says;
    };
    const Case cases[] = {
        {"every note named", TuneBuilder().note(0, 100, 69).note(100, 200, 108).build(), ""},
        {"three below A",
         TuneBuilder().note(0, 400, 60).note(500, 900, 68).note(1000, 1400, 67).build(),
         "3 notes lie below A, the lowest note the tone text names: at 0 ms, 500 ms and "
         "1000 ms. Transpose them, or save in another format."},
        {"one above C4", TuneBuilder().note(0, 100, 70).note(250, 300, 110).build(),
         "1 note lies above C4, the highest note the tone text names: at 250 ms. Transpose it, "
         "or save in another format."},
        {"the first three of five, and both sides",
         TuneBuilder()
             .note(0, 10, 1)
             .note(10, 20, 2)
             .note(20, 30, 3)
             .note(30, 40, 4)
             .note(40, 50, 5)
             .note(50, 60, 120)
             .build(),
         "5 notes lie below A, the lowest note the tone text names: at 0 ms, 10 ms, 20 ms and 2 "
         "more. 1 note lies above C4, the highest note the tone text names: at 50 ms. Transpose "
         "them, or save in another format."},
        {"custom notes and FREQ_DEFINE values are not pitches",
         TuneBuilder()
             .note(0, 100, 72, NoteKind::Special)
             .note(100, 200, 73, NoteKind::FreqDefine)
             .build(),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UnnamedNotesWarning(c.tune, names), c.says);
    }
    EXPECT_EQ(NamedPitchRange(names).lowest, 69);
    EXPECT_EQ(NamedPitchRange(names).highest, 108);
}

// The generator fills the placeholders from the tune itself, and the tail
// it works out does not depend on the text being written.
TEST(WriteToneText, HeaderFromTheTuneAndTheTailWithoutChangingIt)
{
    const TextConfig config = test::exampleTextConfig();
    Tune tune = TuneBuilder().note(0, 375, 72).text(900, "/* end */").build();
    tune.toneName = "Door Bell";
    tune.toneId = "DRBL";
    tune.tailMs = -1;
    const GeneratedToneText g = WriteToneText(tune, config, BuildNoteNameTable(), {});
    EXPECT_EQ(g.text.toneTextLines[0], "/* Door Bell (DRBL) */\n");
    EXPECT_EQ(g.text.toneTextLines[1], "static TONE tone_door bell[] =\n");
    EXPECT_EQ(tune.tailMs, -1);
    EXPECT_EQ(TailMsOf(tune), 900 - 375);
}

} // namespace
} // namespace qte
