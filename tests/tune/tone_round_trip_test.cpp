// Text written by the generator reads back to the same tune, and that tune
// writes the same text again.

#include "tune/ringdata_file.h"
#include "tune/tone_generator.h"
#include "tune/tone_parser.h"

#include "tune/random_tune.h"
#include "tune/tone_fixture.h"
#include "tune/tune_items.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(RoundTrip, GeneratedTunesReadBackAndWriteTheSameText)
{
    TextConfig config = test::exampleTextConfig();
    SubstituteHeaderPlaceholders(config, "Round", "RT01");
    const NoteNameTable names = BuildNoteNameTable();
    ParserState state;
    std::mt19937 rng(20261207);
    int lines = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Tune tune = test::randomTune(rng);
        const GeneratedToneText first = GenerateToneText(tune, config, names, {true, false});
        ASSERT_TRUE(first.warnings.empty());
        const std::string bytes = ToneTextBytes(first.text);
        lines += first.text.toneTextLineCount;

        Tune back;
        const ToneTextResult read =
            LoadToneFile(back, std::string_view(bytes), state, config, names);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_TRUE(read.warnings.empty());
        EXPECT_EQ(back.tempoBpm, tune.tempoBpm);
        EXPECT_EQ(back.msPerUnit, tune.msPerUnit);
        ASSERT_EQ(test::itemsOf(back, true), test::itemsOf(tune, true));
        EXPECT_EQ(back.noteNameSet, tune.noteCount > 0 ? tune.noteNameSet : 0);

        const GeneratedToneText second = GenerateToneText(back, config, names, {true, false});
        ASSERT_EQ(ToneTextBytes(second.text), bytes);
    }
    EXPECT_GT(lines, 150 * 100); // the tunes were not trivially small
}

// Without a FREQ_DEFINE text nothing bounds a FREQ_DEFINE number, so the
// firmware's numbers are written back as they were read. A number no pitch
// can hold stays as the text it was.
TEST(RoundTrip, FreqDefineNumbersReadBackAsWritten)
{
    const TextConfig config = test::exampleTextConfig();
    const NoteNameTable names = BuildNoteNameTable();
    ParserState state;
    const std::vector<std::string> tones = {
        "        TONE(45, TONE_TIME_IN_MS(100))\n",
        "        TONE(0, TONE_TIME_IN_MS(100))\n",
        "        TONE(-2, TONE_TIME_IN_MS(100))\n",
        "        TONE(7, TONE_TIME_IN_MS(100))\n",
        "        TONE(-2147483648, TONE_TIME_IN_MS(100))\n",
        "        TONE(2147483576, TONE_TIME_IN_MS(100))\n",
        "        TONE(2147483577, TONE_TIME_IN_MS(100))\n",
    };
    std::string bytes = "static TONE tone_f[] =\n{\n";
    for (const std::string& line : tones)
        bytes += line;
    bytes += "};\n";

    Tune tune;
    const ToneTextResult read = LoadToneFile(tune, std::string_view(bytes), state, config, names);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.warnings,
              std::vector<std::string>{"Line 9: the tone's number is too far from 0 to be kept; "
                                       "the line was not read as a note."});
    EXPECT_EQ(test::itemsOf(tune), "F116 0-100\nF71 100-200\nF69 200-300\nF78 300-400\n"
                                   "F-2147483577 400-500\nF2147483647 500-600\n"
                                   "T 600 TONE(2147483577, TONE_TIME_IN_MS(100))\n");

    const GeneratedToneText again = GenerateToneText(tune, config, names, {});
    std::vector<std::string> written;
    for (int i = 0; i < again.text.toneTextLineCount; ++i) {
        const std::string& line = again.text.toneTextLines[static_cast<std::size_t>(i)];
        if (line.find("TONE(") != std::string::npos) written.push_back(line);
    }
    EXPECT_EQ(written, tones);
}

} // namespace
} // namespace qte
