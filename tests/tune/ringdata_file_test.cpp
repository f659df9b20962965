#include "tune/ringdata_file.h"

#include "support/testsupport.h"
#include "tune/tone_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qte {
namespace {

using ::testing::HasSubstr;

struct RingdataTest : ::testing::Test {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = test::exampleNoteNames();
    ParserState state;
    Tune tune;
    TuneCatalogue catalogue;

    const NoteRecord& note(int i) const { return tune.noteTable[static_cast<std::size_t>(i)]; }
    const CatalogueEntry& entry(int i) const
    {
        return catalogue.entries[static_cast<std::size_t>(i)];
    }
};

TEST_F(RingdataTest, ScanListsTheExampleTunes)
{
    const ToneTextResult r = ScanRingdataFile(test::resourcePath("examples/Ringdata.h"), catalogue);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    struct Expect {
        const char* name;
        std::int32_t first, last;
    };
    // Morning and waltz have their "{" alone on the line after the name.
    const Expect expect[] = {{"tone_morning[]", 10, 23},
                             {"tone_chime[]", 26, 37},
                             {"tone_office[]", 40, 54},
                             {"tone_waltz[]", 58, 67},
                             {"tone_plain[]", 70, 77}};
    ASSERT_EQ(catalogue.tuneCount, 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expect[i].name);
        EXPECT_EQ(entry(i + 1).name, expect[i].name);
        EXPECT_EQ(entry(i + 1).firstLine, expect[i].first);
        EXPECT_EQ(entry(i + 1).lastLine, expect[i].last);
    }
}

TEST_F(RingdataTest, ScanRules)
{
    struct Case {
        const char* name;
        const char* bytes;
        std::int32_t count, first, last;
        const char* tuneName;
    };
    const Case cases[] = {
        {"short name", "static TONE x[] = {\n};\n", 1, 1, 2, ""},
        {"name from the line before", "static TONE tone_ab[] =\n  {  \n};\n", 1, 2, 3, "tone_ab[]"},
        {"no equals sign", "static TONE tone_q[]{\n};\n", 1, 1, 2, "tone_q[]{"},
        {"Windows line ends", "static TONE tone_w[] = {\r\n};\r\n", 1, 1, 2, "tone_w[]"},
        {"braces inside are no new tune", "static TONE tone_n[] = {\n{\n};\n};\n", 1, 1, 3,
         "tone_n[]"},
        {"unterminated last line is not examined", "static TONE tone_u[] = {\n};", 1, 1, 1,
         "tone_u[]"},
        {"a tab after the brace", "static TONE tone_t[] = {\t\n};\n", 0, 0, 0, ""},
        {"close outside is ignored", "};\nstatic TONE tone_c[] = {\n};\n", 1, 2, 3, "tone_c[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToneTextResult r = ScanRingdataFile(c.bytes, catalogue);
        EXPECT_TRUE(r.ok());
        ASSERT_EQ(catalogue.tuneCount, c.count);
        if (c.count == 0) continue;
        EXPECT_EQ(entry(1).firstLine, c.first);
        EXPECT_EQ(entry(1).lastLine, c.last);
        EXPECT_EQ(entry(1).name, c.tuneName);
    }
}

TEST_F(RingdataTest, ScanCountsLongLinesAsTheirPieces)
{
    // A line of 300 characters is read as a piece of 253 and the rest.
    const std::string bytes = "/*" + std::string(296, 'x') + "*/\nstatic TONE tone_l[] = {\n};\n";
    ASSERT_TRUE(ScanRingdataFile(bytes, catalogue).ok());
    ASSERT_EQ(catalogue.tuneCount, 1);
    EXPECT_EQ(entry(1).firstLine, 3);
}

TEST_F(RingdataTest, DefinitionWithoutCloseRunsToTheEndOfTheFile)
{
    const std::string bytes = "static TONE tone_open[] = {\n"
                              "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\n"
                              "TONE(AUD_NOTE_H, TONE_TIME_IN_MS(100))\n";
    const ToneTextResult r = ScanRingdataFile(bytes, catalogue);
    ASSERT_EQ(catalogue.tuneCount, 1);
    EXPECT_EQ(entry(1).lastLine, 3);
    EXPECT_THAT(r.warnings, ::testing::ElementsAre(HasSubstr("\"tone_open[]\" has no closing")));
    ASSERT_TRUE(LoadCatalogueTune(tune, catalogue, 1, bytes, state, config, names).ok());
    ASSERT_EQ(tune.noteCount, 2); // the last line is read too
    EXPECT_EQ(note(2).pitch, 71);
}

TEST_F(RingdataTest, MoreThan999TunesAreNotListed)
{
    std::string bytes;
    for (int i = 0; i < 1002; ++i)
        bytes += "static TONE tone_" + std::to_string(i) + "[] = {\n};\n";
    const ToneTextResult r = ScanRingdataFile(bytes, catalogue);
    EXPECT_EQ(catalogue.tuneCount, kMaxCatalogueTunes);
    EXPECT_EQ(entry(999).name, "tone_998[]");
    EXPECT_EQ(entry(999).lastLine, 1998);
    EXPECT_THAT(r.warnings, ::testing::ElementsAre(HasSubstr("more than 999 tunes")));
}

TEST_F(RingdataTest, UnreadableFilesAreReportedAndChangeNothing)
{
    test::TempDir dir;
    const std::filesystem::path missing = dir.file("nothing.h");
    ASSERT_TRUE(ScanRingdataFile("static TONE tone_keep[] = {\n};\n", catalogue).ok());
    const ToneTextResult scan = ScanRingdataFile(missing, catalogue);
    EXPECT_THAT(scan.error, HasSubstr("nothing.h"));
    EXPECT_EQ(catalogue.tuneCount, 1);

    tune.toneName = "Mine";
    tune.noteCount = 1;
    const ToneTextResult load =
        LoadCatalogueTune(tune, catalogue, 1, missing, state, config, names);
    EXPECT_THAT(load.error, HasSubstr("nothing.h"));
    const ToneTextResult open = LoadToneFile(tune, missing, state, config, names);
    EXPECT_THAT(open.error, HasSubstr("nothing.h"));
    EXPECT_THAT(open.error, HasSubstr("No such file"));
    EXPECT_EQ(tune.toneName, "Mine");
    EXPECT_EQ(tune.noteCount, 1);

    const ToneTextResult bad = LoadCatalogueTune(tune, catalogue, 2, "", state, config, names);
    EXPECT_THAT(bad.error, HasSubstr("no tune number 2"));
    const ToneTextResult gone = LoadCatalogueTune(tune, catalogue, 1, "", state, config, names);
    EXPECT_THAT(gone.error, HasSubstr("no longer holds"));
    EXPECT_EQ(tune.noteCount, 1);
}

TEST_F(RingdataTest, LoadsEachExampleTune)
{
    const std::filesystem::path path = test::resourcePath("examples/Ringdata.h");
    ASSERT_TRUE(ScanRingdataFile(path, catalogue).ok());
    ASSERT_EQ(catalogue.tuneCount, 5);
    const auto load = [&](int n) {
        tune.toneName = "Before";
        const ToneTextResult r = LoadCatalogueTune(tune, catalogue, n, path, state, config, names);
        EXPECT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty());
        EXPECT_EQ(tune.tuneSourceName, entry(n).name);
        EXPECT_EQ(tune.toneName, "Undefined"); // loaded into a cleared tune
    };

    load(1); // morning: vibra segments
    EXPECT_EQ(tune.tempoBpm, 160);
    ASSERT_EQ(tune.noteCount, 6);
    EXPECT_EQ(note(1).pitch, 84);
    EXPECT_EQ(note(4).startMs, 936);
    EXPECT_EQ(note(6).pitch, 96);
    EXPECT_EQ(note(6).endMs, 2060);
    EXPECT_FLOAT_EQ(note(6).endUnits, 2060.0f / 46.875f);
    ASSERT_EQ(tune.vibraCount, 2);
    EXPECT_EQ(tune.vibraList[1].endMs, 749);
    EXPECT_EQ(tune.vibraList[2].startMs, 1310);
    EXPECT_EQ(tune.textCount, 0);

    load(2); // chime: repeat blocks, the second name set
    EXPECT_EQ(tune.tempoBpm, 120);
    EXPECT_EQ(tune.noteNameSet, 1);
    ASSERT_EQ(tune.noteCount, 4);
    EXPECT_EQ(note(1).pitch, 81);
    ASSERT_EQ(tune.repeatCount, 2);
    EXPECT_EQ(tune.repeatList[1].repetitions, 3);
    EXPECT_EQ(tune.repeatList[1].endMs, 750);
    EXPECT_EQ(tune.repeatList[2].repetitions, 2);
    EXPECT_EQ(tune.repeatList[2].endMs, 1750);

    load(3); // office: FREQ_DEFINE, custom notes, polite section
    ASSERT_EQ(tune.noteCount, 6);
    EXPECT_EQ(tune.freqDefineCount, 3);
    EXPECT_EQ(tune.freqDefineTable[2], 2400);
    EXPECT_EQ(note(1).noteKind(), NoteKind::FreqDefine);
    EXPECT_EQ(note(3).noteKind(), NoteKind::Special);
    EXPECT_EQ(note(3).pitch, 72);
    EXPECT_EQ(note(6).pitch, 74);
    EXPECT_EQ(tune.politeDefined, 1);
    EXPECT_EQ(tune.politeFirstNote, 3);
    EXPECT_EQ(tune.politeLastNote, 5);
    EXPECT_EQ(tune.politeNoteCount, 3);
    ASSERT_EQ(tune.textCount, 5);
    EXPECT_EQ(tune.textList[1].text, "FREQ_DEFINE((1200), (1600), (2400))");
    EXPECT_EQ(tune.textList[5].text, "VOLUME_RESTORE,");
    EXPECT_EQ(tune.textList[5].timeMs, 1403);

    load(4); // waltz: NOTE_TIME lengths after its define
    EXPECT_EQ(state.noteTimeMs, 250);
    ASSERT_EQ(tune.noteCount, 5);
    const std::int32_t lengths[] = {125, 125, 250, 500, 187};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(note(i + 1).durationMs, lengths[i]) << i;
    EXPECT_EQ(note(4).startMs, 562);
    ASSERT_EQ(tune.textCount, 1);

    load(5); // plain: no tempo line
    EXPECT_EQ(tune.tempoBpm, 150);
    EXPECT_FLOAT_EQ(tune.msPerUnit, 50.0f);
    ASSERT_EQ(tune.noteCount, 4);
    EXPECT_EQ(note(4).pitch, 100);
    EXPECT_EQ(note(4).startMs, 700);
    EXPECT_EQ(tune.textCount, 0);
}

TEST_F(RingdataTest, CatalogueLinesAreCutAndCounted)
{
    std::string bytes = "static TONE tone_big[] = {\n";
    bytes += "        " + std::string(140, 'q') + "\n";
    for (int i = 0; i < 1100; ++i)
        bytes += "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n";
    bytes += "};\n";
    ASSERT_TRUE(ScanRingdataFile(bytes, catalogue).ok());
    SourceLines lines;
    const ToneTextResult r = ReadCatalogueLines(bytes, entry(1), lines);
    EXPECT_EQ(lines.sourceLineCount(), kMaxSourceLines);
    EXPECT_EQ(lines.sourceLines[0].size(), kMaxSourceLineChars);
    EXPECT_EQ(lines.sourceLines.back(), "};");
    EXPECT_EQ(lines.bodyOpenLine, 0);
    EXPECT_EQ(lines.bodyCloseLine, kMaxSourceLines + 1);
    EXPECT_THAT(r.warnings,
                ::testing::UnorderedElementsAre(HasSubstr("more than 1000 lines"),
                                                HasSubstr("Line 2: the line is longer")));

    const ToneTextResult load = LoadCatalogueTune(tune, catalogue, 1, bytes, state, config, names);
    EXPECT_EQ(tune.noteCount, 998);
    EXPECT_EQ(tune.textCount, 1);
    EXPECT_EQ(load.warnings.size(), 3u); // the text is also cut to 91 characters
}

TEST_F(RingdataTest, LoadsTheSingleToneExample)
{
    const std::filesystem::path path = test::resourcePath("examples/single_tone.h");
    const ToneTextResult r = LoadToneFile(tune, path, state, config, names);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(tune.tempoBpm, 160);
    ASSERT_EQ(tune.noteCount, 4);
    EXPECT_EQ(note(3).startMs, 1500);
    EXPECT_EQ(note(4).endMs, 2625);
    ASSERT_EQ(tune.textCount, 1); // the header comment lies outside the braces
    EXPECT_EQ(tune.textList[1].text, "/* ding dong, once more */");
    EXPECT_EQ(tune.currentFilePath, path.string());
    EXPECT_EQ(tune.tuneSourceName, "single_tone.h");
    EXPECT_EQ(tune.currentFileKind, static_cast<std::int32_t>(FileKind::Ringdata));
}

TEST_F(RingdataTest, ToneFileBodyBounds)
{
    struct Case {
        const char* name;
        const char* bytes;
        std::int32_t open, close, lines;
    };
    const Case cases[] = {
        {"braces", "head\nx[] = {\nbody\n};\n", 2, 4, 4},
        {"last of each counts", "{\n{\na\n};\nb\n  } ;\n", 2, 6, 6},
        {"no braces", "a\nb\nc\n", 0, 4, 3},
        {"unterminated last line not stored", "{\na\n};", 1, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceLines lines;
        ASSERT_TRUE(ReadToneFileLines(c.bytes, lines).ok());
        EXPECT_EQ(lines.bodyOpenLine, c.open);
        EXPECT_EQ(lines.bodyCloseLine, c.close);
        EXPECT_EQ(lines.sourceLineCount(), c.lines);
    }
    // Without braces every line but the last is read, and what fits no rule
    // becomes a text.
    ASSERT_TRUE(LoadToneFile(tune, "a\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\nb\nc\n", state,
                             config, names)
                    .ok());
    EXPECT_EQ(tune.noteCount, 1);
    ASSERT_EQ(tune.textCount, 2);
    EXPECT_EQ(tune.textList[2].text, "b");

    std::string many;
    for (int i = 0; i < 1200; ++i)
        many += "x\n";
    SourceLines lines;
    const ToneTextResult r = ReadToneFileLines(many, lines);
    EXPECT_EQ(lines.sourceLineCount(), kMaxSourceLines - 1);
    EXPECT_EQ(lines.bodyCloseLine, kMaxSourceLines);
    EXPECT_THAT(r.warnings, ::testing::ElementsAre(HasSubstr("more than 999 lines")));
}

TEST_F(RingdataTest, FailedParseKeepsWhatWasRead)
{
    const ToneTextResult r =
        LoadToneFile(tune,
                     "x[] = {\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\n"
                     "TONE(AUD_NOTE_A, TONE_TIME_IN_MS 100)\nTONE(AUD_NOTE_A, NOTE_TIME)\n};\n",
                     state, config, names);
    EXPECT_THAT(r.error, HasSubstr("Line 3"));
    EXPECT_EQ(tune.noteCount, 1);
    EXPECT_FLOAT_EQ(tune.noteTable[1].endUnits, 4.0f);
}

TEST_F(RingdataTest, NulBytesAreLeftOutOfTheLines)
{
    using namespace std::string_literals;
    // Kept, the NUL hid the note from the parser and went back out in the
    // next saved tone text.
    const std::string text = "x[] = {\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\n"
                             "TONE(AUD_NOTE_A,\0 TONE_TIME_IN_MS(100))\n\0\0\n};\n"s;
    const ToneTextResult r = LoadToneFile(tune, text, state, config, names);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_THAT(r.warnings, ::testing::ElementsAre("Line 3 (and 1 more): the line holds NUL "
                                                   "bytes; they were left out."));
    EXPECT_EQ(tune.noteCount, 2);
    for (int i = 1; i <= tune.textCount; ++i)
        EXPECT_EQ(tune.textList[static_cast<std::size_t>(i)].text.find('\0'), std::string::npos);

    TuneCatalogue catalogue;
    ASSERT_TRUE(ScanRingdataFile(text, catalogue).ok());
    ASSERT_EQ(catalogue.tuneCount, 1);
    const ToneTextResult entry = LoadCatalogueTune(tune, catalogue, 1, text, state, config, names);
    EXPECT_THAT(entry.warnings, ::testing::Contains(HasSubstr("NUL bytes")));
    EXPECT_EQ(tune.noteCount, 2);
}

TEST_F(RingdataTest, SaveWritesTheLinesAtomically)
{
    test::TempDir dir;
    const std::filesystem::path path = dir.file("saved.h");
    ToneText text;
    text.toneTextLines[0] = "static TONE tone_s[] =\n";
    text.toneTextLines[1] = "{\n";
    text.toneTextLines[2] = "        /*Tempo: 160bpm*/";
    text.toneTextLines[3] = "        \n";
    text.toneTextLines[4] = "        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(375))\n";
    text.toneTextLines[5] = "};\n";
    text.toneTextLineCount = 6;
    ASSERT_TRUE(SaveToneText(path, text).ok());
    EXPECT_EQ(test::readFileOrDie(path),
              "static TONE tone_s[] =\n{\n        /*Tempo: 160bpm*/        \n"
              "        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(375))\n};\n");
    ASSERT_TRUE(LoadToneFile(tune, path, state, config, names).ok());
    EXPECT_EQ(tune.tempoBpm, 160);
    ASSERT_EQ(tune.noteCount, 1);
    EXPECT_FLOAT_EQ(tune.noteTable[1].durationUnits, 8.0f);
    EXPECT_EQ(tune.textCount, 0);

    // A failed save reports the file and leaves the old one as it was.
    const std::string before = test::readFileOrDie(path);
    const ToneTextResult bad = SaveToneText(dir.file("no/such/folder/x.h"), text);
    EXPECT_THAT(bad.error, HasSubstr("x.h"));
    ToneText empty;
    const ToneTextResult none = SaveToneText(path, empty);
    EXPECT_FALSE(none.ok());
    EXPECT_EQ(test::readFileOrDie(path), before);
}

} // namespace
} // namespace qte
