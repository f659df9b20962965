#include "config/text_config.h"

#include "support/testsupport.h"
#include "tune/tone_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace qte {
namespace {

// The sections a case does not name, in their order, so that each case can
// replace one of them.
struct Sections {
    std::string names = "NOTENAMES:\n*BEGIN*\nAUD_NOTE\n*END*\n";
    std::string vibra = "VIBRA:\nV_ON,\nV_OFF,\n";
    std::string repeat = "REPEAT:\nR_OPEN(\nR_CLOSE,\n";
    std::string polite = "POLITE:\n/*P*/\n";
    std::string header = "HEADER:\n*BEGIN*\nstatic TONE t[] =\n{\n*END*\n";
    std::string footer = "FOOTER:\n*BEGIN*\n};\n*END*\n";
    std::string defStart = "DEF_STARTING:\n*BEGIN*\nSTART,\n*END*\n";
    std::string defEnd = "DEF_ENDING:\n*BEGIN*\nEND,\n*END*\n";
    std::string custom = "CUSTOMNOTES:\n*BEGIN*\n1480,FS6\n*END*\n";
    [[nodiscard]] std::string text() const
    {
        return names + vibra + repeat + polite + header + footer + defStart + defEnd + custom +
               "\n";
    }
};

TEST(TextConfig, OurConfigFileGivesTheShapeTheToneTestsUse)
{
    TextConfig c;
    const auto result = LoadTextConfig(c, test::readFileOrDie(test::resourcePath("config.cfg")));
    EXPECT_TRUE(result.warnings.empty());
    const TextConfig want = test::exampleTextConfig();
    EXPECT_EQ(c.noteNamePrefixCount, want.noteNamePrefixCount);
    EXPECT_EQ(c.noteNamePrefix, want.noteNamePrefix);
    EXPECT_EQ(c.vibraOnText, want.vibraOnText);
    EXPECT_EQ(c.vibraOffText, want.vibraOffText);
    EXPECT_EQ(c.repeatOpenText, want.repeatOpenText);
    EXPECT_EQ(c.repeatCloseText, want.repeatCloseText);
    EXPECT_EQ(c.politeMarkerText, want.politeMarkerText);
    EXPECT_EQ(c.headerLineCount, want.headerLineCount);
    EXPECT_EQ(c.headerLines, want.headerLines);
    EXPECT_EQ(c.footerLineCount, want.footerLineCount);
    EXPECT_EQ(c.footerLines, want.footerLines);
    EXPECT_EQ(c.defaultStartLines, want.defaultStartLines);
    EXPECT_EQ(c.defaultEndLines, want.defaultEndLines);
    EXPECT_EQ(c.customNoteCount, want.customNoteCount);
    EXPECT_EQ(c.customNoteFreq, want.customNoteFreq);
    EXPECT_EQ(c.customNoteName, want.customNoteName);
}

TEST(TextConfig, GrammarCases)
{
    struct Case {
        const char* what;
        std::function<void(Sections&)> edit;
        std::function<void(const TextConfig&)> check;
    };
    const Case cases[] = {
        {"a complete file fills every field", [](Sections&) {},
         [](const TextConfig& c) {
             EXPECT_EQ(c.noteNamePrefixCount, 1);
             EXPECT_EQ(c.noteNamePrefix[0], "AUD_NOTE");
             EXPECT_EQ(c.vibraOnText, "V_ON,");
             EXPECT_EQ(c.vibraOffText, "V_OFF,");
             EXPECT_EQ(c.repeatOpenText, "R_OPEN(");
             EXPECT_EQ(c.repeatCloseText, "R_CLOSE,");
             EXPECT_EQ(c.politeMarkerText, "/*P*/");
             EXPECT_EQ(c.headerLineCount, 2);
             EXPECT_EQ(c.headerLines[1], "{");
             EXPECT_EQ(c.footerLineCount, 1);
             EXPECT_EQ(c.defaultStartLineCount, 1);
             EXPECT_EQ(c.defaultEndLines[0], "END,");
             EXPECT_EQ(c.customNoteCount, 1);
             EXPECT_EQ(c.customNoteFreq[0], 1480);
             EXPECT_EQ(c.customNoteName[0], "FS6");
         }},
        {"VIBRA: before NOTENAMES: is never read", [](Sections& s) { std::swap(s.names, s.vibra); },
         [](const TextConfig& c) {
             EXPECT_EQ(c.noteNamePrefix[0], "AUD_NOTE");
             EXPECT_EQ(c.vibraOnText, "");
             EXPECT_EQ(c.repeatOpenText, "");
             EXPECT_EQ(c.headerLineCount, -1);
             EXPECT_EQ(c.customNoteCount, -1);
         }},
        {"an *END* with words after it ends a block; *end* does not",
         [](Sections& s) { s.header = "HEADER:\n*BEGIN*\nA\n*end*\n  *END*  trailing words\n"; },
         [](const TextConfig& c) {
             ASSERT_EQ(c.headerLineCount, 2);
             EXPECT_EQ(c.headerLines[1], "*end*");
             EXPECT_EQ(c.footerLineCount, 1);
         }},
        {"prefixes lose their spaces, header lines keep theirs",
         [](Sections& s) {
             s.names = "NOTENAMES:\n*BEGIN*\nNOTE \n RING NOTE\n*END*\n";
             s.header = "HEADER:\n*BEGIN*\n  #define X \n*END*\n";
         },
         [](const TextConfig& c) {
             EXPECT_EQ(c.noteNamePrefixCount, 2);
             EXPECT_EQ(c.noteNamePrefix[0], "NOTE");
             EXPECT_EQ(c.noteNamePrefix[1], "RINGNOTE");
             EXPECT_EQ(c.headerLines[0], "  #define X ");
         }},
        {"keys match with spaces inside and anything after them",
         [](Sections& s) { s.header = " HEADER : x\n * BEGIN * \nH\n*END*\n"; },
         [](const TextConfig& c) {
             ASSERT_EQ(c.headerLineCount, 1);
             EXPECT_EQ(c.headerLines[0], "H");
         }},
        {"value lines are taken as they come, blank or with spaces",
         [](Sections& s) { s.vibra = "VIBRA:\n\n  VIBRA ON\n"; },
         [](const TextConfig& c) {
             EXPECT_EQ(c.vibraOnText, "");
             EXPECT_EQ(c.vibraOffText, "  VIBRA ON");
             EXPECT_EQ(c.repeatOpenText, "R_OPEN(");
         }},
        {"a value line holds 48 characters; its rest is read as a line of its own",
         [](Sections& s) {
             s.polite = "POLITE:\n" + std::string(49, 'p') + "HEADER:\n";
             s.header = "*BEGIN*\nX\n*END*\n";
         },
         [](const TextConfig& c) {
             EXPECT_EQ(c.politeMarkerText, std::string(48, 'p'));
             // The rest of the line was the HEADER: key.
             ASSERT_EQ(c.headerLineCount, 1);
             EXPECT_EQ(c.headerLines[0], "X");
         }},
        {"custom notes: number, comma, and a name up to the first white space",
         [](Sections& s) {
             s.custom = "CUSTOMNOTES:\n*BEGIN*\n1480,CUSTOM_FS\n1480, CUSTOM FS\n -7,X\tY\n*END*\n";
         },
         [](const TextConfig& c) {
             ASSERT_EQ(c.customNoteCount, 3);
             EXPECT_EQ(c.customNoteName[0], "CUSTOM_FS");
             EXPECT_EQ(c.customNoteName[1], "CUSTOM");
             EXPECT_EQ(c.customNoteFreq[1], 1480);
             EXPECT_EQ(c.customNoteFreq[2], -7);
             EXPECT_EQ(c.customNoteName[2], "X");
         }},
        {"a custom line that does not scan still counts and keeps the old entry",
         [](Sections& s) { s.custom = "CUSTOMNOTES:\n*BEGIN*\nnothing\n900\n*END*\n"; },
         [](const TextConfig& c) {
             ASSERT_EQ(c.customNoteCount, 2);
             EXPECT_EQ(c.customNoteFreq[0], 11);
             EXPECT_EQ(c.customNoteName[0], "OLD0");
             EXPECT_EQ(c.customNoteFreq[1], 900);
             EXPECT_EQ(c.customNoteName[1], "OLD1");
         }},
        {"an empty NOTENAMES block keeps the prefixes in force",
         [](Sections& s) { s.names = "NOTENAMES:\n*BEGIN*\n*END*\n"; },
         [](const TextConfig& c) {
             EXPECT_EQ(c.noteNamePrefixCount, 2);
             EXPECT_EQ(c.noteNamePrefix[0], "OLD_A");
         }},
        {"a missing key leaves every later section unread", [](Sections& s) { s.footer = ""; },
         [](const TextConfig& c) {
             EXPECT_EQ(c.headerLineCount, 2);
             EXPECT_EQ(c.footerLineCount, -1);
             EXPECT_EQ(c.defaultStartLineCount, -1);
             EXPECT_EQ(c.customNoteCount, -1);
         }},
        {"a block without its *END* runs to the next *END*",
         [](Sections& s) { s.header = "HEADER:\n*BEGIN*\nH\n"; },
         [](const TextConfig& c) {
             // H, then the footer's lines up to its *END*.
             ASSERT_EQ(c.headerLineCount, 4);
             EXPECT_EQ(c.headerLines[1], "FOOTER:");
             EXPECT_EQ(c.headerLines[3], "};");
             EXPECT_EQ(c.footerLineCount, -1);
             EXPECT_EQ(c.defaultStartLineCount, -1);
         }},
        {"the last block without *END* takes the rest of the file",
         [](Sections& s) { s.custom = "CUSTOMNOTES:\n*BEGIN*\n1,A\n2,B\n"; },
         [](const TextConfig& c) {
             // The blank last line counts too.
             EXPECT_EQ(c.customNoteCount, 3);
             EXPECT_EQ(c.customNoteName[1], "B");
         }},
        {"CR LF line ends read like LF",
         [](Sections& s) {
             std::string all = s.text(), crlf;
             for (char ch : all) {
                 if (ch == '\n') crlf += '\r';
                 crlf += ch;
             }
             s = Sections{"", "", "", "", "", "", "", "", ""};
             s.names = crlf;
         },
         [](const TextConfig& c) {
             EXPECT_EQ(c.noteNamePrefix[0], "AUD_NOTE");
             EXPECT_EQ(c.vibraOnText, "V_ON,");
             EXPECT_EQ(c.headerLines[0], "static TONE t[] =");
             EXPECT_EQ(c.customNoteName[0], "FS6");
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Sections s;
        k.edit(s);
        TextConfig c;
        c.noteNamePrefix[0] = "OLD_A";
        c.noteNamePrefix[1] = "OLD_B";
        c.noteNamePrefixCount = 2;
        c.customNoteFreq = {11, 12};
        c.customNoteName[0] = "OLD0";
        c.customNoteName[1] = "OLD1";
        c.headerLineCount = c.footerLineCount = c.customNoteCount = 5;
        (void)LoadTextConfig(c, s.text());
        k.check(c);
    }
}

TEST(TextConfig, LastLineWithoutLineEndIsNotRead)
{
    TextConfig c;
    (void)LoadTextConfig(c, "NOTENAMES:\n*BEGIN*\nA\n*END*\nVIBRA:\nON\nOFF\nREPEAT:\nO\nC\n"
                            "POLITE:\nP\nHEADER:\n*BEGIN*\nH\n*END*");
    EXPECT_EQ(c.headerLineCount, 1);
    EXPECT_EQ(c.footerLineCount, -1);
    // ... and so is a last line that fills the whole buffer.
    (void)LoadTextConfig(c, "NOTENAMES:\n*BEGIN*\n" + std::string(254, 'x'));
    EXPECT_EQ(c.noteNamePrefixCount, 1);
    EXPECT_EQ(c.noteNamePrefix[0], std::string(kMaxPrefixChars, 'x'));
}

TEST(TextConfig, MissingFileResetsTheCountsOnly)
{
    TextConfig c = test::exampleTextConfig();
    test::TempDir dir;
    const auto result = LoadTextConfigFile(c, dir.file("config.cfg"));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(c.headerLineCount, -1);
    EXPECT_EQ(c.footerLineCount, -1);
    EXPECT_EQ(c.defaultStartLineCount, -1);
    EXPECT_EQ(c.defaultEndLineCount, -1);
    EXPECT_EQ(c.customNoteCount, -1);
    EXPECT_EQ(c.noteNamePrefixCount, 2);
    EXPECT_EQ(c.vibraOnText, "VIBRA_ON,");
    EXPECT_EQ(c.customNoteName[0], "AUD_TONE_FS6");
}

TEST(TextConfig, OversizedBlocksAndLinesAreCutWithOneWarningEach)
{
    Sections s;
    s.names = "NOTENAMES:\n*BEGIN*\n";
    for (int i = 0; i < 25; ++i)
        s.names += "P" + std::to_string(i) + "\n";
    s.names += std::string(150, 'q') + "\n*END*\n";
    s.header = "HEADER:\n*BEGIN*\n";
    for (int i = 0; i < 30; ++i)
        s.header += "h" + std::to_string(i) + "\n";
    s.header += "*END*\n";
    s.footer =
        "FOOTER:\n*BEGIN*\n" + std::string(200, 'f') + "\n" + std::string(120, 'g') + "\n*END*\n";
    s.custom = "CUSTOMNOTES:\n*BEGIN*\n";
    for (int i = 0; i < 40; ++i)
        s.custom += std::to_string(100 + i) + ",N" + std::to_string(i) + "\n";
    s.custom += "*END*\n";
    TextConfig c;
    const auto result = LoadTextConfig(c, s.text());
    EXPECT_EQ(c.noteNamePrefixCount, kMaxPrefixes);
    EXPECT_EQ(c.noteNamePrefix[19], "P19");
    EXPECT_EQ(c.headerLineCount, kMaxHeaderLines);
    EXPECT_EQ(c.headerLines[19], "h19");
    EXPECT_EQ(c.footerLineCount, 2);
    EXPECT_EQ(c.footerLines[0], std::string(kMaxFooterChars, 'f'));
    EXPECT_EQ(c.footerLines[1], std::string(kMaxFooterChars, 'g'));
    EXPECT_EQ(c.customNoteCount, kMaxCustomNotes);
    EXPECT_EQ(c.customNoteFreq[29], 129);
    EXPECT_EQ(c.defaultStartLineCount, 1); // reading went on past the oversized blocks
    // NOTENAMES and HEADER lost lines, FOOTER lines were cut, CUSTOMNOTES
    // lost notes.
    ASSERT_EQ(result.warnings.size(), 4u);
    EXPECT_NE(result.warnings[0].find("NOTENAMES"), std::string::npos);
    EXPECT_NE(result.warnings[2].find("99 characters"), std::string::npos);

    Sections longName;
    longName.custom = "CUSTOMNOTES:\n*BEGIN*\n1," + std::string(80, 'n') + "\n*END*\n";
    const auto named = LoadTextConfig(c, longName.text());
    EXPECT_EQ(c.customNoteName[0], std::string(kMaxCustomNameChars, 'n'));
    EXPECT_EQ(named.warnings.size(), 1u);
}

TEST(TextConfig, NulBytesAreLeftOut)
{
    // Kept, the NUL made a prefix no tone text can match.
    Sections s;
    s.names = std::string("NOTENAMES:\n*BEGIN*\nAUD_\0NOTE\n*END*\n", 35);
    TextConfig c;
    const auto result = LoadTextConfig(c, s.text());
    EXPECT_EQ(c.noteNamePrefix[0], "AUD_NOTE");
    EXPECT_EQ(c.vibraOnText, "V_ON,");
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0], "config.cfg: the file holds NUL bytes; they were left out.");
}

TEST(TextConfig, HeaderPlaceholders)
{
    const struct {
        std::string line, want;
    } cases[] = {
        {"/* *NAME* (*ID*) *name* */", "/* RING1 (R001) ring1 */"},
        {"*Name**Name*", "Ring1Ring1"},
        {"*Id* *id* **ID** *", "*Id* *id* *R001* *"},
        {"tone_*name*[] = {", "tone_ring1[] = {"},
        {"***", "***"},
        {"", ""},
    };
    TextConfig c;
    c.headerLineCount = 0;
    for (const auto& k : cases)
        c.headerLines[static_cast<std::size_t>(c.headerLineCount++)] = k.line;
    c.headerLines[static_cast<std::size_t>(c.headerLineCount)] = "*ID* beyond the count";
    SubstituteHeaderPlaceholders(c, "Ring1", "R001");
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(c.headerLines[static_cast<std::size_t>(i)], cases[i].want) << cases[i].line;
    EXPECT_EQ(c.headerLines[static_cast<std::size_t>(c.headerLineCount)], "*ID* beyond the count");

    // A name that makes the line longer than a header line holds is cut.
    c.headerLines[0] = "*Name* *Name*";
    c.headerLineCount = 1;
    SubstituteHeaderPlaceholders(c, std::string(200, 'n'), "");
    EXPECT_EQ(c.headerLines[0].size(), kMaxHeaderChars);
}

TEST(TextConfig, NoteNameTable)
{
    const NoteNameTable names = BuildNoteNameTable();
    EXPECT_EQ(names, test::exampleNoteNames());
    EXPECT_EQ(names[60], "_UNK");
    EXPECT_EQ(names[68], "_UNK");
    EXPECT_EQ(names[69], "_A,");
    EXPECT_EQ(names[108], "_C4,");
    EXPECT_EQ(names[109], "_UNK");
    EXPECT_EQ("NOTE" + names[108], "NOTE_C4,");
}

} // namespace
} // namespace qte
