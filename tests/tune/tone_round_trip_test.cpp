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

class RoundTrip : public ::testing::Test {
protected:
    RoundTrip()
    {
        config = test::exampleTextConfig();
        SubstituteHeaderPlaceholders(config, "Round", "RT01");
    }
    TextConfig config;
    NoteNameTable names = BuildNoteNameTable();
    ParserState state;
};

TEST_F(RoundTrip, GeneratedTunesReadBackAndWriteTheSameText)
{
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
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lines, 150 * 100); // the tunes were not trivially small
}

TEST_F(RoundTrip, DefaultPartsAndEmptyTextsComeBackAsTexts)
{
    std::mt19937 rng(7);
    Tune tune = test::randomTune(rng);
    tune.textCount = 0;
    TextRecord& empty = tune.textList[++tune.textCount];
    empty = {};
    const GeneratedToneText g = GenerateToneText(tune, config, names, {true, true});
    Tune back;
    ASSERT_TRUE(
        LoadToneFile(back, std::string_view(ToneTextBytes(g.text)), state, config, names).ok());
    // The indent-only lines around the default parts become one-space texts.
    const std::vector<std::string> want = {"VOLUME_SET(AUD_VOLUME_RING),", " ", "--- free text ---",
                                           " ", "VOLUME_RESTORE,"};
    std::vector<std::string> texts;
    for (int i = 1; i <= back.textCount; ++i)
        texts.push_back(back.textList[static_cast<std::size_t>(i)].text);
    EXPECT_EQ(texts, want);
    EXPECT_EQ(back.noteCount, tune.noteCount);
}

} // namespace
} // namespace qte
