// Text written by the generator reads back to the same tune, and that tune
// writes the same text again.

#include "tune/ringdata_file.h"
#include "tune/tone_generator.h"
#include "tune/tone_parser.h"

#include "tune/random_tune.h"
#include "tune/tone_fixture.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

void expectSameItems(const Tune& a, const Tune& b)
{
    EXPECT_EQ(a.tempoBpm, b.tempoBpm);
    EXPECT_EQ(a.msPerUnit, b.msPerUnit);
    ASSERT_EQ(a.noteCount, b.noteCount);
    for (int i = 1; i <= a.noteCount; ++i) {
        const NoteRecord& x = a.noteTable[static_cast<std::size_t>(i)];
        const NoteRecord& y = b.noteTable[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tie(x.startMs, x.endMs, x.durationMs, x.pitch, x.kind),
                  std::tie(y.startMs, y.endMs, y.durationMs, y.pitch, y.kind))
            << "note " << i;
        EXPECT_EQ(std::tie(x.startUnits, x.endUnits), std::tie(y.startUnits, y.endUnits))
            << "note " << i;
    }
    ASSERT_EQ(a.vibraCount, b.vibraCount);
    for (int i = 1; i <= a.vibraCount; ++i) {
        const VibraRecord& x = a.vibraList[static_cast<std::size_t>(i)];
        const VibraRecord& y = b.vibraList[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tie(x.startMs, x.endMs), std::tie(y.startMs, y.endMs)) << "vibra " << i;
    }
    ASSERT_EQ(a.repeatCount, b.repeatCount);
    for (int i = 1; i <= a.repeatCount; ++i) {
        const RepeatRecord& x = a.repeatList[static_cast<std::size_t>(i)];
        const RepeatRecord& y = b.repeatList[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tie(x.startMs, x.endMs, x.repetitions),
                  std::tie(y.startMs, y.endMs, y.repetitions))
            << "repeat " << i;
    }
    ASSERT_EQ(a.textCount, b.textCount);
    for (int i = 1; i <= a.textCount; ++i) {
        const TextRecord& x = a.textList[static_cast<std::size_t>(i)];
        const TextRecord& y = b.textList[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tie(x.timeMs, x.text), std::tie(y.timeMs, y.text)) << "text " << i;
    }
}

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
        expectSameItems(tune, back);
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
    ASSERT_EQ(back.textCount, static_cast<int>(want.size()));
    for (int i = 1; i <= back.textCount; ++i)
        EXPECT_EQ(back.textList[static_cast<std::size_t>(i)].text,
                  want[static_cast<std::size_t>(i - 1)]);
    EXPECT_EQ(back.noteCount, tune.noteCount);
}

} // namespace
} // namespace qte
