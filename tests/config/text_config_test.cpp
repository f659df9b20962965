#include "config/text_config.h"

#include "config/config_fixture.h"
#include "support/testsupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include <functional>

namespace qte {
namespace {

using ::testing::HasSubstr;

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
    std::string last = "\n";
    [[nodiscard]] std::string text() const
    {
        return names + vibra + repeat + polite + header + footer + defStart + defEnd + custom +
               last;
    }
};

// One line per section, each block as "count:" and its lines up to the
// count, so that a test compares what it reads as text.
std::string describe(const TextConfig& c)
{
    const auto block = [](const auto& lines, std::int32_t count) {
        std::string out = std::to_string(count) + ":";
        for (std::int32_t i = 0; i < count && i < static_cast<std::int32_t>(lines.size()); ++i)
            out += (i ? "|" : "") + lines[static_cast<std::size_t>(i)];
        return out;
    };
    std::array<std::string, kMaxCustomNotes> custom;
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = std::to_string(c.customNoteFreq[i]) + " " + c.customNoteName[i];
    return "\nprefixes=" + block(c.noteNamePrefix, c.noteNamePrefixCount) +
           "\nvibra=" + c.vibraOnText + "|" + c.vibraOffText + "\nrepeat=" + c.repeatOpenText +
           "|" + c.repeatCloseText + "\npolite=" + c.politeMarkerText +
           "\nheader=" + block(c.headerLines, c.headerLineCount) +
           "\nfooter=" + block(c.footerLines, c.footerLineCount) +
           "\nstart=" + block(c.defaultStartLines, c.defaultStartLineCount) +
           "\nend=" + block(c.defaultEndLines, c.defaultEndLineCount) +
           "\ncustom=" + block(custom, c.customNoteCount) + "\n";
}

TEST(TextConfig, OurConfigFileGivesTheShapeTheToneTestsUse)
{
    TextConfig c;
    const auto result = LoadTextConfig(c, test::readFileOrDie(test::resourcePath("config.cfg")));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(describe(c), describe(test::exampleTextConfig()));
}

TEST(TextConfig, GrammarCases)
{
    struct Case {
        const char* what;
        std::function<void(Sections&)> edit;
        std::vector<std::string> want; // lines of describe()
    };
    const Case cases[] = {
        {"VIBRA: before NOTENAMES: is never read",
         [](Sections& s) { std::swap(s.names, s.vibra); },
         {"prefixes=1:AUD_NOTE", "vibra=|", "repeat=|", "header=-1:", "custom=-1:"}},
        {"an *END* with words after it ends a block; *end* does not",
         [](Sections& s) { s.header = "HEADER:\n*BEGIN*\nA\n*end*\n  *END*  trailing words\n"; },
         {"header=2:A|*end*", "footer=1:};"}},
        {"prefixes lose their spaces, header lines keep theirs",
         [](Sections& s) {
             s.names = "NOTENAMES:\n*BEGIN*\nNOTE \n RING NOTE\n*END*\n";
             s.header = "HEADER:\n*BEGIN*\n  #define X \n*END*\n";
         },
         {"prefixes=2:NOTE|RINGNOTE", "header=1:  #define X "}},
        {"keys match with spaces inside and anything after them",
         [](Sections& s) { s.header = " HEADER : x\n * BEGIN * \nH\n*END*\n"; },
         {"header=1:H"}},
        {"value lines are taken as they come, blank or with spaces",
         [](Sections& s) { s.vibra = "VIBRA:\n\n  VIBRA ON\n"; },
         {"vibra=|  VIBRA ON", "repeat=R_OPEN(|R_CLOSE,"}},
        {"a value line holds 48 characters; its rest is read as a line of its own",
         [](Sections& s) {
             s.polite = "POLITE:\n" + std::string(49, 'p') + "HEADER:\n"; // the rest is the key
             s.header = "*BEGIN*\nX\n*END*\n";
         },
         {"polite=" + std::string(48, 'p'), "header=1:X"}},
        {"custom notes: number, comma, and a name up to the first white space",
         [](Sections& s) {
             s.custom = "CUSTOMNOTES:\n*BEGIN*\n1480,CUSTOM_FS\n1480, CUSTOM FS\n -7,X\tY\n*END*\n";
         },
         {"custom=3:1480 CUSTOM_FS|1480 CUSTOM|-7 X"}},
        {"a custom line that does not scan still counts and keeps the old entry",
         [](Sections& s) { s.custom = "CUSTOMNOTES:\n*BEGIN*\nnothing\n900\n*END*\n"; },
         {"custom=2:11 OLD0|900 OLD1"}},
        {"an empty NOTENAMES block keeps the prefixes in force",
         [](Sections& s) { s.names = "NOTENAMES:\n*BEGIN*\n*END*\n"; },
         {"prefixes=2:OLD_A|OLD_B"}},
        {"a missing key leaves every later section unread",
         [](Sections& s) { s.footer = ""; },
         {"header=2:static TONE t[] =|{", "footer=-1:", "start=-1:", "custom=-1:"}},
        {"a block without its *END* runs to the next *END*",
         [](Sections& s) { s.header = "HEADER:\n*BEGIN*\nH\n"; },
         {"header=4:H|FOOTER:|*BEGIN*|};", "footer=-1:", "start=-1:"}},
        {"the last block without *END* takes the rest of the file, its blank last line too",
         [](Sections& s) { s.custom = "CUSTOMNOTES:\n*BEGIN*\n1,A\n2,B\n"; },
         {"custom=3:1 A|2 B|0 "}},
        {"CR LF line ends read like LF",
         [](Sections& s) {
             std::string crlf;
             for (char ch : s.text())
                 crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
             s = Sections{crlf, "", "", "", "", "", "", "", "", ""};
         },
         {"prefixes=1:AUD_NOTE", "vibra=V_ON,|V_OFF,", "header=2:static TONE t[] =|{",
          "custom=1:1480 FS6"}},
        {"a last line without line end is not read",
         [](Sections& s) {
             s.header = "HEADER:\n*BEGIN*\nH\nHH";
             s.footer = s.defStart = s.defEnd = s.custom = s.last = "";
         },
         {"header=1:H"}},
        {"... unless it fills the whole line",
         [](Sections& s) {
             s.custom = "CUSTOMNOTES:\n*BEGIN*\n";
             s.last = "1," + std::string(252, 'x');
         },
         {"custom=1:1 " + std::string(kMaxCustomNameChars, 'x')}},
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
        const std::string d = describe(c);
        for (const std::string& line : k.want)
            EXPECT_THAT(d, HasSubstr("\n" + line + "\n"));
    }
}

TEST(TextConfig, MissingFileResetsTheCountsOnly)
{
    TextConfig c = test::exampleTextConfig();
    test::TempDir dir;
    EXPECT_TRUE(LoadTextConfigFile(c, dir.file("config.cfg")).warnings.empty());
    TextConfig want = test::exampleTextConfig();
    want.headerLineCount = want.footerLineCount = want.customNoteCount = -1;
    want.defaultStartLineCount = want.defaultEndLineCount = -1;
    EXPECT_EQ(describe(c), describe(want));
    EXPECT_EQ(c.customNoteName[0], "AUD_TONE_FS6");
}

TEST(TextConfig, OversizedBlocksAndLinesAreCutWithOneWarningEach)
{
    const auto block = [](const char* key, int n, const char* stem, const std::string& last) {
        std::string out = std::string(key) + ":\n*BEGIN*\n";
        for (int i = 0; i < n; ++i)
            out += stem + std::to_string(i) + "\n";
        return out + last + "*END*\n";
    };
    Sections s;
    s.names = block("NOTENAMES", 25, "P", std::string(150, 'q') + "\n");
    s.header = block("HEADER", 30, "h", "");
    s.footer = block("FOOTER", 0, "", std::string(200, 'f') + "\n" + std::string(120, 'g') + "\n");
    s.custom = block("CUSTOMNOTES", 40, "1,N", "");
    TextConfig c;
    const auto result = LoadTextConfig(c, s.text());
    // Reading went on past the oversized blocks to DEF_STARTING.
    EXPECT_EQ(
        std::tie(c.noteNamePrefixCount, c.noteNamePrefix[19], c.headerLineCount, c.headerLines[19],
                 c.customNoteCount, c.customNoteName[29], c.defaultStartLineCount),
        std::make_tuple(kMaxPrefixes, "P19", kMaxHeaderLines, "h19", kMaxCustomNotes, "N29", 1));
    EXPECT_THAT(describe(c), HasSubstr("\nfooter=2:" + std::string(kMaxFooterChars, 'f') + "|" +
                                       std::string(kMaxFooterChars, 'g') + "\n"));
    // NOTENAMES and HEADER lost lines, FOOTER lines were cut, CUSTOMNOTES
    // lost notes.
    ASSERT_EQ(result.warnings.size(), 4u);
    EXPECT_THAT(result.warnings[0], HasSubstr("NOTENAMES"));
    EXPECT_THAT(result.warnings[2], HasSubstr("99 characters"));

    Sections longName;
    longName.custom = "CUSTOMNOTES:\n*BEGIN*\n1," + std::string(80, 'n') + "\n*END*\n";
    EXPECT_EQ(LoadTextConfig(c, longName.text()).warnings.size(), 1u);
    EXPECT_EQ(c.customNoteName[0], std::string(kMaxCustomNameChars, 'n'));
}

TEST(TextConfig, NulBytesAreLeftOut)
{
    // Kept, the NUL made a prefix no tone text can match.
    Sections s;
    s.names = std::string("NOTENAMES:\n*BEGIN*\nAUD_\0NOTE\n*END*\n", 35);
    TextConfig c;
    EXPECT_THAT(
        LoadTextConfig(c, s.text()).warnings,
        ::testing::ElementsAre("config.cfg: the file holds NUL bytes; they were left out."));
    EXPECT_THAT(describe(c), HasSubstr("\nprefixes=1:AUD_NOTE\nvibra=V_ON,|V_OFF,\n"));
}

TEST(TextConfig, HeaderPlaceholders)
{
    TextConfig c;
    c.headerLines = {"/* *NAME* (*ID*) *name* */", "*Name**Name*", "*Id* *id* **ID** *",
                     "tone_*name*[] = {",          "***",          "",
                     "*ID* beyond the count"};
    c.headerLineCount = 6;
    SubstituteHeaderPlaceholders(c, "Ring1", "R001");
    EXPECT_THAT(describe(c), HasSubstr("\nheader=6:/* RING1 (R001) ring1 */|Ring1Ring1|"
                                       "*Id* *id* *R001* *|tone_ring1[] = {|***|\n"));
    EXPECT_EQ(c.headerLines[6], "*ID* beyond the count");

    // A name that makes the line longer than a header line holds is cut.
    c.headerLines[0] = "*Name* *Name*";
    c.headerLineCount = 1;
    SubstituteHeaderPlaceholders(c, std::string(200, 'n'), "");
    EXPECT_EQ(c.headerLines[0].size(), kMaxHeaderChars);
}

// The name and ID a definition was written with come back from its lines,
// as each placeholder shapes them.
TEST(TextConfig, HeaderNamesComeBackFromTheLinesTheyShaped)
{
    struct Case {
        const char* name;
        std::vector<std::string> header;
        std::vector<std::string_view> lines; // up to the body's "{"
        const char* toneName;
        const char* toneId;
    };
    const Case cases[] = {
        {"as written",
         {"/* *Name* (*ID*) */", "static TONE tone_*name*[] =", "{"},
         {"/* Door bell (DRBL) */", "static TONE tone_door bell[] =", "{"},
         "Door bell",
         "DRBL"},
        {"only the array's name fits: its lower-case name",
         {"/* *Name* (*ID*) */", "static TONE tone_*name*[] =", "{"},
         {"/* Morning (MRNG): vibra segments */", "static TONE tone_morning[] =", "{"},
         "morning",
         ""},
        {"the brace on the name's line, spaces of other widths",
         {"/* *Name* (*ID*) */", "static TONE tone_*name*[] =", "{"},
         {"", "  static   TONE tone_chime[]= {"},
         "chime",
         ""},
        {"upper case and the ID in one line",
         {"#define *NAME*_ID \"*ID*\"", "const tone_t t[] = {"},
         {"#define DOORBELL_ID \"DB01\"", "const tone_t t[] = {"},
         "DOORBELL",
         "DB01"},
        {"a name at the end of its line runs to the end",
         {"// tone: *Name*", "{"},
         {"// tone: Ring of the morning", "{"},
         "Ring of the morning",
         ""},
        {"the line nearest the body wins",
         {"/* *Name* (*ID*) */", "{"},
         {"/* Old (OLD1) */", "/* New (NEW1) */", "{"},
         "New",
         "NEW1"},
        {"a placeholder that would be empty does not fit",
         {"/* *Name* (*ID*) */", "{"},
         {"/* Bell () */", "{"},
         "",
         ""},
        {"text after the header line does not fit",
         {"tone_*name*[] ="},
         {"tone_bell[] = 3;"},
         "",
         ""},
        {"the same placeholder twice must agree", {"*name*: *name*"}, {"bell: horn"}, "", ""},
        {"a header without placeholders gives nothing",
         {"static TONE tone[] =", "{"},
         {"static TONE tone[] =", "{"},
         "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextConfig config;
        for (std::size_t i = 0; i < c.header.size(); ++i)
            config.headerLines[i] = c.header[i];
        config.headerLineCount = static_cast<std::int32_t>(c.header.size());
        const HeaderNames names = RecoverHeaderNames(config, c.lines);
        EXPECT_EQ(names.toneName, c.toneName);
        EXPECT_EQ(names.toneId, c.toneId);
    }
}

// Every placeholder tries every length: a header line of several of them
// against a long line that does not fit must still end at once.
TEST(TextConfig, HeaderNamesGiveUpOnALineOfSeveralPlaceholders)
{
    TextConfig config;
    config.headerLines[0] = "*ID**Name**name**NAME*x";
    config.headerLineCount = 1;
    const std::string line(250, 'a');
    const auto start = std::chrono::steady_clock::now();
    const HeaderNames names = RecoverHeaderNames(config, {line, line, line});
    EXPECT_EQ(names.toneName, "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// What the substitution writes, the recovery reads back.
TEST(TextConfig, SubstitutedHeaderLinesGiveTheirNamesBack)
{
    const std::vector<std::string> templates = {"/* *Name* (*ID*) */",
                                                "tone_*name*[] =", "#define *NAME* *ID*", "{"};
    for (const auto& [name, id] :
         {std::pair{"Doorbell", "DRBL"}, std::pair{"Ring 2", "R2"}, std::pair{"a*b", "X"}}) {
        SCOPED_TRACE(name);
        TextConfig config;
        for (std::size_t i = 0; i < templates.size(); ++i)
            config.headerLines[i] = templates[i];
        config.headerLineCount = static_cast<std::int32_t>(templates.size());
        std::vector<std::string> written;
        for (const std::string& t : templates)
            written.push_back(SubstitutePlaceholders(t, name, id));
        const std::vector<std::string_view> lines(written.begin(), written.end());
        const HeaderNames names = RecoverHeaderNames(config, lines);
        EXPECT_EQ(names.toneName, name);
        EXPECT_EQ(names.toneId, id);
    }
}

TEST(TextConfig, NoteNameTable)
{
    EXPECT_EQ(BuildNoteNameTable(), test::exampleNoteNames());
}

} // namespace
} // namespace qte
