#include "config/config_fixture.h"
#include "config/frequency_table.h"
#include "formats/format_tunes.h"
#include "formats/imelody.h"
#include "tune/ringdata_file.h"
#include "tune/tempo.h"
#include "tune/tone_generator.h"
#include "tune/tune.h"
#include "tune/tune_edit.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::msNotes;
using test::unitNotes;
using test::unitTune;

// A file around a melody, with the header lines given.
std::string imy(const std::string& melody, const std::string& header = "BEAT:120\r\nSTYLE:S1\r\n")
{
    return "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n" + header + "MELODY:" + melody +
           "\r\nEND:IMELODY\r\n";
}

// Vibra segments and repeat blocks as "start-end" and "start-end x n", in units.
std::string blocks(const Tune& t)
{
    std::string out;
    char buf[64];
    for (int i = 1; i <= t.vibraCount; ++i) {
        std::snprintf(buf, sizeof buf, "vibra %g-%g; ", t.vibraList[i].startUnits,
                      t.vibraList[i].endUnits);
        out += buf;
    }
    for (int i = 1; i <= t.repeatCount; ++i) {
        std::snprintf(buf, sizeof buf, "repeat %g-%g x%d; ", t.repeatList[i].startUnits,
                      t.repeatList[i].endUnits, t.repeatList[i].repetitions);
        out += buf;
    }
    return out;
}

// *n a is 55 Hz times 2 to the n: *3a is 440 Hz, pitch 69; without a
// prefix the octave is *4, where a is 880 Hz.
TEST(IMelodyPitch, OctavePrefixesFollowTheFormatsTuning)
{
    Tune t;
    ASSERT_TRUE(ImportIMelody(imy("*3a2a2*4a2*0a2*0c2*8g2"), t).ok());
    ASSERT_EQ(t.noteCount, 6);
    const NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());
    const int pitches[] = {69, 69, 81, 33, 24, 127};
    const int frequencies[] = {440, 440, 880, 55};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const std::int32_t pitch = t.noteTable[static_cast<std::size_t>(i + 1)].pitch;
        EXPECT_EQ(pitch, pitches[i]);
        if (i < 4) {
            EXPECT_EQ(hz[static_cast<std::size_t>(pitch)], frequencies[i]);
        }
    }
    static_assert(IMelodyPitch(3, 9) == 69 && IMelodyPitch(kIMelodyDefaultOctave, 9) == 81);
}

TEST(IMelodyImport, Elements)
{
    struct Case {
        const char* melody;
        const char* notes;
    };
    const Case cases[] = {
        {"c0d1e2f3g4a5b5", "0-32:72 32-48:74 48-56:76 56-60:77 60-62:79 62-63:81 63-64:83"},
        {"c2.c2:c2;", "0-12:72 12-26:72 26-31.333:72"},
        {"#c2&d2#f2&b2&c2#b2", "0-8:73 8-16:73 16-24:78 24-32:82 32-40:71 40-48:84"},
        {"*2c2d2*6e2f2", "0-8:48 8-16:50 16-24:100 24-32:101"},
        {"r2c2r3.d3", "8-16:72 22-26:74"},
        {"ledonc2ledoffbackonV+V-V15d2backoffb2", "0-8:72 8-16:74 16-24:83"},
        {"C2 D2\tE2", "0-8:72 8-16:74 16-24:76"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.melody);
        Tune t;
        const FormatResult r = ImportIMelody(imy(c.melody), t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty()) << test::joined(r.warnings);
        EXPECT_EQ(unitNotes(t), c.notes);
    }
}

// STYLE gives each note its sounding part as OTA's styles do.
TEST(IMelodyImport, StyleShapesEveryNote)
{
    struct Case {
        const char* header;
        const char* ms;
    };
    const Case cases[] = {
        {"BEAT:120\r\nSTYLE:S0\r\n", "0-480:72 500-1480:74"},
        {"BEAT:120\r\n", "0-480:72 500-1480:74"}, // S0 is the default
        {"BEAT:120\r\nSTYLE:S1\r\n", "0-500:72 500-1500:74"},
        {"BEAT:120\r\nSTYLE:S2\r\n", "0-50:72 500-550:74"},
        {"STYLE:S1\r\n", "0-500:72 500-1500:74"}, // 120 bpm is the default
        {"BEAT:60\r\nSTYLE:S1\r\n", "0-1000:72 1000-3000:74"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        Tune t;
        NoteLengthState length;
        ASSERT_TRUE(ImportIMelody(imy("c2d1", c.header), t, length, 2).ok());
        EXPECT_EQ(msNotes(t), c.ms);
    }
}

TEST(IMelodyImport, VibraAndRepeatBlocks)
{
    struct Case {
        const char* melody;
        const char* blocks;
        const char* warning; // nullptr: none
    };
    const Case cases[] = {
        {"c2(vibeond2e2vibeoff@3)f2", "vibra 8-24; repeat 8-24 x3; ", nullptr},
        {"(g2@0)", "repeat 0-8 x999; ",
         "1 repeat block plays for ever (\"@0\", the first at line 6: \"@0)\"); the tune repeats "
         "it 999 times."},
        {"(g2@1200V+)", "repeat 0-8 x999; ", "more than 999 repetitions"},
        {"(c2(d2@2)e2@3)", "repeat 0-24 x3; ", "only the outer block was kept"},
        {"c2@2)", "", "1 repeat end has no \"(\" before it"},
        {"(c2d2", "", "The repeat block opened at line 6: \"(\" is not closed"},
        {"(@2)c2", "", "1 repeat block lasts no time"},
        {"vibeoffc2vibeonvibeond2", "vibra 8-16; ", nullptr},
        {"vibeonr1vibeoffvibeoff", "vibra 0-16; ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.melody);
        Tune t;
        const FormatResult r = ImportIMelody(imy(c.melody), t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(blocks(t), c.blocks);
        test::expectWarnings(r.warnings, {c.warning});
    }
}

TEST(IMelodyImport, HeaderLinesAndWhatIsWrongWithThem)
{
    struct Case {
        const char* name;
        std::string text;
        const char* error;   // nullptr: read
        const char* warning; // nullptr: none
    };
    const Case cases[] = {
        {"empty", "", "Not an iMelody file: it holds no text.", nullptr},
        {"other text", "\r\nhello\r\n", "Not an iMelody file: line 2 is \"hello\"", nullptr},
        {"no melody", "BEGIN:IMELODY\r\nBEAT:100\r\nEND:IMELODY\r\n",
         "The file has no MELODY line.", nullptr},
        {"nothing readable", imy("xyz!"),
         "Not a valid iMelody file: nothing in its melody could be read (the first at line 6: "
         "\"xyz!\").",
         nullptr},
        {"bad element", imy("c2x9d2"), nullptr,
         "1 element of the melody could not be read and was skipped (the first at line 6: "
         "\"x9\")."},
        {"no end", "BEGIN:IMELODY\nMELODY:c2", nullptr, "no END:IMELODY line"},
        {"bad beat", imy("c2", "BEAT:fast\r\n"), nullptr,
         "The BEAT \"fast\" (line 4) cannot be used; 120 bpm is used."},
        {"beat too fast", imy("c2", "BEAT:1000\r\n"), nullptr, "The BEAT \"1000\""},
        {"bad style", imy("c2", "STYLE:S9\r\n"), nullptr, "is not S0, S1 or S2"},
        {"second melody", imy("c2", "MELODY:d2\r\n"), nullptr, "a second MELODY line (line 5)"},
        {"lower case and LF", "begin:imelody\nname:  x \nmelody:c2\nend:imelody\n", nullptr,
         nullptr},
        {"byte order mark", "\xEF\xBB\xBF" + imy("c2"), nullptr, nullptr},
        {"a note above 127", imy("*8a2c2"), nullptr, "1 note lies above the highest pitch"},
        // 1,000 rests of 16.8 s at 25 bpm run past the 2^24 ms a tune holds.
        {"too long",
         imy(
             [] {
                 std::string rests;
                 for (int i = 0; i < 1000; ++i)
                     rests += "r0:";
                 return rests + "c2";
             }(),
             "BEAT:25\r\n"),
         nullptr, "The melody runs past 16777216 ms, longer than a tune lasts; from line 5: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        const FormatResult r = ImportIMelody(c.text, *t);
        if (c.error) {
            EXPECT_EQ(r.error.substr(0, std::string(c.error).size()), c.error);
            EXPECT_EQ(test::snapshot(*t), before);
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error;
        test::expectWarnings(r.warnings, {c.warning});
    }
}

TEST(IMelodyImport, NameFoldedLinesAndWhereProblemsAre)
{
    Tune t;
    const FormatResult r = ImportIMelody("BEGIN:IMELODY\r\nNAME:My tune\r\nBEAT:160\r\nSTYLE:S1\r\n"
                                         "MELODY:c2d2\r\n e2?f2\r\n\tg2\r\nEND:IMELODY\r\n",
                                         t);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(t.toneName, "My tune");
    EXPECT_EQ(t.toneId, "MYTU");
    EXPECT_EQ(t.tempoBpm, 160);
    EXPECT_EQ(unitNotes(t), "0-8:72 8-16:74 16-24:76 24-32:77 32-40:79");
    test::expectWarnings(r.warnings, {"(the first at line 6: \"?\")"});
}

TEST(IMelodyExport, WorkedExample)
{
    const auto t = unitTune({{0, 8, 69}, {16, 20, 73}});
    const ExportResult r = ExportIMelody(*t);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.warnings.empty()) << test::joined(r.warnings);
    EXPECT_EQ(r.bytes, "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:Ring1\r\n"
                       "BEAT:160\r\nSTYLE:S1\r\nVOLUME:V7\r\nMELODY:*3a2r2*4#c3\r\n"
                       "END:IMELODY\r\n");
}

TEST(IMelodyExport, WhatTheFormatCannotHold)
{
    auto t = unitTune({{0, 8, 12}, {8, 13, 72}, {16, 24, 74}}, 999, "Odd:\r\nname");
    t->noteTable[3].kind = static_cast<std::int32_t>(NoteKind::FreqDefine);
    t->textList[++t->textCount].setText("a text");
    for (float at : {2.0f, 3.0f}) {
        VibraRecord& v = t->vibraList[++t->vibraCount];
        v.startUnits = at;
        v.endUnits = at + 4;
    }
    const ExportResult r = ExportIMelody(*t);
    ASSERT_TRUE(r.ok());
    test::expectWarnings(
        r.warnings,
        {"The tempo of 999 bpm lies outside the BEAT an iMelody file takes (25 to 900); 900 "
         "was written.",
         "1 note lies outside the pitches an iMelody file can name",
         "1 note has a length no note value holds; it was written as notes of the values that "
         "add up to it.",
         "1 custom or FREQ_DEFINE note was written as plain pitches of the same number.",
         "1 free text has no place in an iMelody file and was not written.",
         "1 vibra segment overlaps the one before or lasts no time; left out."});
    EXPECT_NE(r.bytes.find("NAME:Odd:  name\r\n"), std::string::npos) << r.bytes;
    // The rest before the first written note holds the note left out; the
    // vibra segment from 2 to 6 turns on and off between the rests.
    EXPECT_NE(r.bytes.find("MELODY:r4vibeonr3vibeoffr4c3c5r4.d2\r\n"), std::string::npos)
        << r.bytes;
}

// Files as the exporter writes them read back to a tune that writes them
// again, byte for byte; the last note of a staccato file is written with
// the shortest value that sounds as long, so these end on one that only one
// value gives. Through the tone text, where every time is kept in whole ms,
// too, for the pitches whose names the tone text reads back, at tempi where
// a whole ms is a small part of a unit.
TEST(IMelodyRoundTrip, FileToTuneToFile)
{
    const struct {
        std::string file;
        bool throughToneText;
    } cases[] = {
        {imy("*3a2r2(vibeon*4c3d3vibeoff@3)e1.#a2#f4;#f4;#f4;",
             "NAME:Mixed\r\nBEAT:120\r\nSTYLE:S1\r\nVOLUME:V7\r\n"),
         true},
        {imy("c2d3.(vibeone4;e4;e4;vibeoff@2)r1*5c1",
             "NAME:Natural\r\nBEAT:120\r\nSTYLE:S0\r\nVOLUME:V7\r\n"),
         true},
        {imy("c2d2(e2@999)e4", "NAME:Short\r\nBEAT:120\r\nSTYLE:S2\r\nVOLUME:V7\r\n"), true},
        // At 900 bpm a note of 8.3 ms is written as 8 in the tone text, and
        // the times drift further than a note value allows.
        {imy("(c5d5@2)(e5f5@3)vibeonr1vibeoff",
             "NAME:Fast\r\nBEAT:900\r\nSTYLE:S1\r\nVOLUME:V7\r\n"),
         false},
        {imy("*0c0*8g5*1#d1:vibeon*7#d3;vibeoff",
             "NAME:Edges\r\nBEAT:25\r\nSTYLE:S1\r\nVOLUME:V7\r\n"),
         false},
    };
    TextConfig config = test::exampleTextConfig();
    SubstituteHeaderPlaceholders(config, "Round", "RT01");
    const NoteNameTable names = BuildNoteNameTable();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportIMelody(c.file, *t);
        ASSERT_TRUE(r.ok()) << r.error;
        const ExportResult again = ExportIMelody(*t);
        EXPECT_TRUE(again.warnings.empty()) << test::joined(again.warnings);
        EXPECT_EQ(again.bytes, c.file);
        if (!c.throughToneText) continue;

        const GeneratedToneText text = GenerateToneText(*t, config, names, {true, false});
        auto back = std::make_unique<Tune>();
        ParserState state;
        const ToneTextResult read =
            LoadToneFile(*back, std::string_view(ToneTextBytes(text.text)), state, config, names);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(back->noteCount, t->noteCount);
        EXPECT_EQ(back->vibraCount, t->vibraCount);
        EXPECT_EQ(back->repeatCount, t->repeatCount);
        back->toneName = t->toneName; // the name stands in the header lines only
        EXPECT_EQ(ExportIMelody(*back).bytes, c.file);
    }
}

// Hostile and random texts: an import fails and leaves the tune, or gives
// items in order within their lists.
TEST(IMelodyImport, BadInputNeverCrashes)
{
    std::vector<std::string> inputs = {
        imy(std::string(100000, '(')),
        imy(std::string(100000, ')')),
        imy(std::string(100000, '@')),
        imy("(" + std::string(100000, '9') + ")"),
        imy(std::string(100000, '*')),
        imy(std::string(20000, 'c') + "2"),
        imy([] {
            std::string s;
            for (int i = 0; i < 5000; ++i)
                s += "c5(vibeon d5 vibeoff@2)";
            return s;
        }()),
        "BEGIN:IMELODY\r\n" + std::string(100000, ' ') + "\r\n",
        "BEGIN:IMELODY\r\nMELODY:\r\n" + std::string(100000, ' ') + "c2",
        std::string("BEGIN:IMELODY\0\r\nMELODY:c\0"
                    "2\r\n",
                    28),
    };
    test::addRandomTexts(
        inputs, 2612, "BEGIN:IMELODY\r\nMELODY:", "abcdefgr012345.:;*#&()@V+-vibeonledbackf \r\n");
    for (const std::string& in : inputs) {
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        const FormatResult r = ImportIMelody(in, *t);
        if (!r.ok()) {
            ASSERT_EQ(test::snapshot(*t), before);
            continue;
        }
        ASSERT_LE(t->noteCount, kMaxNotes);
        ASSERT_LE(t->vibraCount, kMaxVibras);
        ASSERT_LE(t->repeatCount, kMaxRepeats);
        for (int k = 2; k <= t->noteCount; ++k)
            ASSERT_GE(t->noteTable[k].startUnits, t->noteTable[k - 1].endUnits);
        for (int k = 1; k <= t->repeatCount; ++k) {
            ASSERT_GT(t->repeatList[k].endUnits, t->repeatList[k].startUnits);
            ASSERT_LE(t->repeatList[k].repetitions, kMaxRepetitions);
        }
        ASSERT_TRUE(ExportIMelody(*t).ok());
    }
}

} // namespace
} // namespace qte
