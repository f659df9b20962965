#include "tune/ringdata_file.h"

#include "support/testsupport.h"
#include "tune/tone_fixture.h"
#include "tune/tune_items.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qte {
namespace {

using test::itemsOf;
using ::testing::HasSubstr;

struct RingdataTest : ::testing::Test {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = test::exampleNoteNames();
    ParserState state;
    Tune tune;
    TuneCatalogue catalogue;

    // The catalogue as "name first-last" lines.
    std::string listed() const
    {
        std::string out;
        for (int i = 1; i <= catalogue.tuneCount; ++i) {
            const CatalogueEntry& e = catalogue.entries[static_cast<std::size_t>(i)];
            out += e.name + " " + std::to_string(e.firstLine) + "-" + std::to_string(e.lastLine) +
                   "\n";
        }
        return out;
    }
    template <class Source> ToneTextResult load(int n, const Source& source)
    {
        return LoadCatalogueTune(tune, catalogue, n, source, state, config, names);
    }
};

TEST_F(RingdataTest, ListsAndLoadsEachExampleTune)
{
    const std::filesystem::path path = test::resourcePath("examples/Ringdata.h");
    const ToneTextResult scan = ScanRingdataFile(path, catalogue);
    ASSERT_TRUE(scan.ok()) << scan.error;
    EXPECT_TRUE(scan.warnings.empty());
    // Morning and waltz have their "{" alone on the line after the name.
    ASSERT_EQ(listed(), "tone_morning[] 10-23\ntone_chime[] 26-37\ntone_office[] 40-54\n"
                        "tone_waltz[] 58-67\ntone_plain[] 70-77\n");
    const struct {
        int tempo;
        const char* items;
    } want[] = {
        // morning: vibra segments
        {160, "N84 0-187\nN88 187-374\nN91 374-749\nN91 936-1123\nN88 1123-1310\nN96 1310-2060\n"
              "V 0-749\nV 1310-2060\n"},
        // chime: repeat blocks, the second name set
        {120, "N81 0-250\nN88 250-500\nN96 750-1250\nN81 1250-1750\nR 0-750 x3\nR 750-1750 x2\n"},
        // office: FREQ_DEFINE, custom notes, a polite section
        {160, "F72 0-93\nF73 93-186\nS72 279-466\nS73 466-653\nF74 653-1028\nS74 1028-1403\n"
              "T 0 FREQ_DEFINE((1200), (1600), (2400))\nT 0 VOLUME_SET(AUD_VOLUME_RING),\n"
              "T 279 /*POLITE*/\nT 1028 /*POLITE*/\nT 1403 VOLUME_RESTORE,\n"},
        // waltz: NOTE_TIME lengths after its define
        {120, "N69 0-125\nN71 125-250\nN84 250-500\nN88 562-1062\nN86 1062-1249\n"
              "T 0 #define NOTE_TIME(time) TONE_TIME_IN_MS(250*time)\n"},
        // plain: no tempo line, so the tempo is estimated
        {150, "N81 0-100\nN81 200-400\nN81 500-700\nN100 700-1100\n"}};
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        tune.toneName = "Before";
        const ToneTextResult r = load(n, path);
        EXPECT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty());
        // Only the line with the array's name fits config.cfg's header: the
        // name comes from it, and the ID is that of a cleared tune.
        const std::string array = catalogue.entries[static_cast<std::size_t>(n)].name;
        EXPECT_EQ("tone_" + tune.toneName + "[]", array);
        EXPECT_EQ(tune.toneId, "UNDF");
        EXPECT_EQ(tune.tempoBpm, want[n - 1].tempo);
        EXPECT_EQ(itemsOf(tune), want[n - 1].items);
        EXPECT_EQ(tune.noteNameSet, n == 2 ? 1 : 0);
        if (n == 3) {
            EXPECT_EQ(std::tie(tune.freqDefineCount, tune.freqDefineTable[2], tune.politeDefined,
                               tune.politeFirstNote, tune.politeLastNote, tune.politeNoteCount),
                      std::make_tuple(3, 2400, 1, 3, 5, 3));
        }
    }
}

TEST_F(RingdataTest, ScanRules)
{
    std::string many, manyListed;
    for (int i = 0; i < 1002; ++i) {
        const std::string name = "tone_" + std::to_string(i) + "[]";
        many += "static TONE " + name + " = {\n};\n";
        if (i < kMaxCatalogueTunes)
            manyListed +=
                name + " " + std::to_string(2 * i + 1) + "-" + std::to_string(2 * i + 2) + "\n";
    }
    const struct {
        const char* name;
        std::string bytes, listed;
        const char* warning = nullptr;
    } cases[] = {
        {"short name", "static TONE x[] = {\n};\n", " 1-2\n"},
        {"name from the line before", "static TONE tone_ab[] =\n  {  \n};\n", "tone_ab[] 2-3\n"},
        {"no equals sign", "static TONE tone_q[]{\n};\n", "tone_q[]{ 1-2\n"},
        {"Windows line ends", "static TONE tone_w[] = {\r\n};\r\n", "tone_w[] 1-2\n"},
        {"braces inside are no new tune", "static TONE tone_n[] = {\n{\n};\n};\n",
         "tone_n[] 1-3\n"},
        {"unterminated last line is not examined", "static TONE tone_u[] = {\n};", "tone_u[] 1-1\n",
         "\"tone_u[]\" has no closing \"};\"; it runs to the end of the file."},
        {"a tab after the brace", "static TONE tone_t[] = {\t\n};\n", ""},
        {"close outside is ignored", "};\nstatic TONE tone_c[] = {\n};\n", "tone_c[] 2-3\n"},
        // A line of 301 characters is read as a piece of 254 and the rest.
        {"long lines count as their pieces",
         "/*" + std::string(296, 'x') + "*/\nstatic TONE tone_l[] = {\n};\n", "tone_l[] 3-4\n"},
        {"999 tunes at most", many, manyListed,
         "holds more than 999 tunes; the rest are not listed."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToneTextResult r = ScanRingdataFile(c.bytes, catalogue);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(listed(), c.listed);
        if (c.warning) {
            EXPECT_THAT(r.warnings, ::testing::ElementsAre(HasSubstr(c.warning)));
        } else {
            EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
        }
    }
}

// A line holds 254 characters, its line end included; a longer one is read
// as two, which moves every line after it down by one.
TEST_F(RingdataTest, LinesHold254CharactersWithTheirLineEnd)
{
    const struct {
        std::size_t chars; // with the line end
        const char* listed;
        std::int32_t toneLines; // stored from the tone file
    } cases[] = {{254, "tone_l[] 2-3\n", 3}, {255, "tone_l[] 3-4\n", 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chars);
        const std::string line = "/*" + std::string(c.chars - 5, 'x') + "*/\n";
        ASSERT_EQ(line.size(), c.chars);
        const std::string ringdata = line + "static TONE tone_l[] = {\n};\n";
        ASSERT_TRUE(ScanRingdataFile(ringdata, catalogue).ok());
        EXPECT_EQ(listed(), c.listed);

        SourceLines lines;
        ASSERT_TRUE(ReadToneFileLines("{\n" + line + "};\n", lines).ok());
        EXPECT_EQ(lines.sourceLineCount(), c.toneLines);
        EXPECT_EQ(lines.bodyCloseLine, c.toneLines);

        // Inside a catalogued tune: the line, then "};".
        const std::string inside = "static TONE tone_l[] = {\n" + line + "};\n";
        ASSERT_TRUE(ScanRingdataFile(inside, catalogue).ok());
        ASSERT_TRUE(ReadCatalogueLines(inside, catalogue.entries[1], lines).ok());
        EXPECT_EQ(lines.sourceLineCount(), c.toneLines - 1);
        EXPECT_EQ(lines.sourceLines.back(), "};");
    }
}

TEST_F(RingdataTest, DefinitionWithoutCloseLoadsToTheEndOfTheFile)
{
    const std::string bytes = "static TONE tone_open[] = {\n"
                              "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\n"
                              "TONE(AUD_NOTE_H, TONE_TIME_IN_MS(100))\n";
    EXPECT_EQ(ScanRingdataFile(bytes, catalogue).warnings.size(), 1u);
    EXPECT_EQ(listed(), "tone_open[] 1-3\n");
    ASSERT_TRUE(load(1, bytes).ok());
    EXPECT_EQ(itemsOf(tune), "N69 0-100\nN71 100-200\n"); // the last line is read too
}

TEST_F(RingdataTest, UnreadableFilesAreReportedAndChangeNothing)
{
    test::TempDir dir;
    const std::filesystem::path missing = dir.file("nothing.h");
    ASSERT_TRUE(ScanRingdataFile("static TONE tone_keep[] = {\n};\n", catalogue).ok());
    EXPECT_THAT(ScanRingdataFile(missing, catalogue).error, HasSubstr("nothing.h"));
    EXPECT_EQ(catalogue.tuneCount, 1);

    tune.toneName = "Mine";
    tune.noteCount = 1;
    EXPECT_THAT(load(1, missing).error, HasSubstr("nothing.h"));
    EXPECT_THAT(LoadToneFile(tune, missing, state, config, names).error,
                ::testing::AllOf(HasSubstr("nothing.h"), HasSubstr("No such file")));
    EXPECT_THAT(load(2, "").error, HasSubstr("no tune number 2"));
    EXPECT_THAT(load(1, "").error, HasSubstr("no longer holds"));
    EXPECT_EQ(tune.toneName, "Mine");
    EXPECT_EQ(tune.noteCount, 1);
}

TEST_F(RingdataTest, CatalogueLinesAreCutAndCounted)
{
    std::string bytes = "static TONE tone_big[] = {\n        " + std::string(140, 'q') + "\n";
    for (int i = 0; i < 1100; ++i)
        bytes += "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n";
    bytes += "};\n";
    ASSERT_TRUE(ScanRingdataFile(bytes, catalogue).ok());
    SourceLines lines;
    const ToneTextResult r = ReadCatalogueLines(bytes, catalogue.entries[1], lines);
    EXPECT_EQ(lines.sourceLineCount(), kMaxSourceLines);
    EXPECT_EQ(lines.sourceLines[0].size(), kMaxSourceLineChars);
    EXPECT_EQ(lines.sourceLines.back(), "};");
    EXPECT_EQ(lines.bodyOpenLine, 0);
    EXPECT_EQ(lines.bodyCloseLine, kMaxSourceLines + 1);
    EXPECT_THAT(r.warnings,
                ::testing::UnorderedElementsAre(HasSubstr("more than 1000 lines"),
                                                HasSubstr("Line 2: the line is longer")));
    EXPECT_EQ(load(1, bytes).warnings.size(), 3u); // the text is also cut to 91 characters
    EXPECT_EQ(tune.noteCount, 998);
    EXPECT_EQ(tune.textCount, 1);
}

TEST_F(RingdataTest, LoadsTheSingleToneExample)
{
    const std::filesystem::path path = test::resourcePath("examples/single_tone.h");
    const ToneTextResult r = LoadToneFile(tune, path, state, config, names);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(tune.tempoBpm, 160);
    // The header comment lies outside the braces.
    EXPECT_EQ(itemsOf(tune), "N88 0-375\nN84 375-1125\nN88 1500-1875\nN84 1875-2625\n"
                             "T 1500 /* ding dong, once more */\n");
    // Both header lines fit: the name and ID it was written with.
    EXPECT_EQ(tune.toneName, "Doorbell");
    EXPECT_EQ(tune.toneId, "DB01");
}

// The plain case is the single-tone example.
TEST_F(RingdataTest, ToneFileBodyBounds)
{
    const struct {
        const char* name;
        const char* bytes;
        std::int32_t open, close, lines;
    } cases[] = {{"last of each counts", "{\n{\na\n};\nb\n  } ;\n", 2, 6, 6},
                 {"no braces", "a\nb\nc\n", 0, 4, 3},
                 {"unterminated last line not stored", "{\na\n};", 1, 3, 2}};
    for (const auto& c : cases) {
        SourceLines lines;
        ASSERT_TRUE(ReadToneFileLines(c.bytes, lines).ok());
        EXPECT_EQ(std::tie(lines.bodyOpenLine, lines.bodyCloseLine), std::tie(c.open, c.close))
            << c.name;
        EXPECT_EQ(lines.sourceLineCount(), c.lines) << c.name;
    }
    // Without braces every line but the last is read, and what fits no rule
    // becomes a text.
    ASSERT_TRUE(LoadToneFile(tune, "a\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\nb\nc\n", state,
                             config, names)
                    .ok());
    EXPECT_EQ(itemsOf(tune), "N69 0-100\nT 0 a\nT 100 b\n");

    std::string many;
    for (int i = 0; i < 1200; ++i)
        many += "x\n";
    SourceLines lines;
    const ToneTextResult r = ReadToneFileLines(many, lines);
    EXPECT_EQ(lines.sourceLineCount(), kMaxSourceLines - 1);
    EXPECT_EQ(lines.bodyCloseLine, kMaxSourceLines);
    EXPECT_THAT(r.warnings, ::testing::ElementsAre(HasSubstr("more than 999 lines")));
}

TEST_F(RingdataTest, FailedParseNamesTheFileLineAndKeepsWhatWasRead)
{
    const ToneTextResult r = LoadToneFile(tune,
                                          "x[] = {\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\ntext\n"
                                          "TONE(AUD_NOTE_A, TONE_TIME_IN_MS 100)\n"
                                          "TONE(AUD_NOTE_A, NOTE_TIME)\n};\n",
                                          state, config, names);
    EXPECT_EQ(r.error, "Line 4: TONE_TIME_IN_MS is not followed by \"(\". The tune was read only "
                       "up to this line.");
    // With units from the tempo estimated from what was read.
    EXPECT_EQ(itemsOf(tune, true), "N69 0-100 [0,4]\nT 100 text [4,4]\n");
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
    EXPECT_EQ(itemsOf(tune), "N69 0-100\nN69 100-200\nT 200  \n");

    ASSERT_TRUE(ScanRingdataFile(text, catalogue).ok());
    ASSERT_EQ(catalogue.tuneCount, 1);
    EXPECT_THAT(load(1, text).warnings, ::testing::Contains(HasSubstr("NUL bytes")));
    EXPECT_EQ(tune.noteCount, 2);
}

TEST_F(RingdataTest, SaveWritesTheLinesAtomically)
{
    test::TempDir dir;
    const std::filesystem::path path = dir.file("saved.h");
    ToneText text;
    for (const char* line :
         {"static TONE tone_s[] =\n", "{\n", "        /*Tempo: 160bpm*/", "        \n",
          "        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(375))\n", "};\n"})
        text.toneTextLines[static_cast<std::size_t>(text.toneTextLineCount++)] = line;
    ASSERT_TRUE(SaveToneText(path, text).ok());
    EXPECT_EQ(test::readFileOrDie(path),
              "static TONE tone_s[] =\n{\n        /*Tempo: 160bpm*/        \n"
              "        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(375))\n};\n");

    // A failed save reports the file and leaves the old one as it was.
    const std::string before = test::readFileOrDie(path);
    EXPECT_THAT(SaveToneText(dir.file("no/such/folder/x.h"), text).error, HasSubstr("x.h"));
    EXPECT_FALSE(SaveToneText(path, ToneText{}).ok());
    EXPECT_EQ(test::readFileOrDie(path), before);
}

} // namespace
} // namespace qte
