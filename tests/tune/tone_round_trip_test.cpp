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

} // namespace
} // namespace qte
