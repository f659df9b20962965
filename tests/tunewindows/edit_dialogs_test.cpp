#include "tunewindows/edit_dialogs.h"

#include "tune/tone_text.h"
#include "tune/tune.h"
#include "tune/tune_invariants.h"

#include <gmock/gmock.h>

#include <memory>
#include <span>

namespace qte {
namespace {

using testing::FloatEq;
using testing::Pointwise;

// An item from units, every millisecond field derived as the edits do.
template <class R> R& setSpan(const Tune& t, R& r, float start, float end)
{
    r.startUnits = start;
    r.endUnits = end;
    r.startMs = unitsToMs(start, t.msPerUnit);
    r.endMs = unitsToMs(end, t.msPerUnit);
    if constexpr (requires { r.durationUnits; }) {
        r.durationUnits = end - start;
        r.durationMs = unitsToMs(end - start, t.msPerUnit);
    }
    return r;
}

// A tune and the lines of its tone text, each naming its item.
struct Scene {
    Tune tune;
    std::unique_ptr<ToneText> text = std::make_unique<ToneText>();

    void lines(std::span<const std::pair<LineItemKind, int>> items)
    {
        for (const auto& [kind, index] : items) {
            LineInfo& info = text->lineInfo[text->toneTextLineCount++];
            info.itemKind = static_cast<std::uint8_t>(kind);
            info.itemIndex = index;
        }
    }
};

// Note 1 [0,8), pause, vibra 1 [8,24) around note 2 [16,24) and text 1 at
// 20, then a repeat block around note 3 [32,40).
struct Fixture : Scene {
    Fixture()
    {
        using enum LineItemKind;
        tune.noteCount = 3;
        setSpan(tune, tune.noteTable[1], 0, 8).pitch = 69;
        setSpan(tune, tune.noteTable[2], 16, 24).pitch = 72;
        setSpan(tune, tune.noteTable[3], 32, 40).pitch = 74;
        tune.noteTable[3].kind = static_cast<std::int32_t>(NoteKind::Special);
        tune.vibraCount = 1;
        setSpan(tune, tune.vibraList[1], 8, 24);
        tune.textCount = 1;
        tune.textList[1] = {937, 20, "hello"};
        tune.repeatCount = 1;
        setSpan(tune, tune.repeatList[1], 32, 40).repetitions = 2;
        const std::pair<LineItemKind, int> items[] = {
            {Other, 0},    {Note, 1},     {Pause, 375},    {VibraOn, 1}, {Note, 2},
            {FreeText, 1}, {VibraOff, 1}, {RepeatOpen, 1}, {Note, 3},    {RepeatClose, 1}};
        lines(items);
    }

    // Units of the three notes, the vibra segment, the text and the repeat block.
    [[nodiscard]] std::vector<float> units() const
    {
        const Tune& t = tune;
        return {t.noteTable[1].startUnits,  t.noteTable[1].endUnits,   t.noteTable[2].startUnits,
                t.noteTable[2].endUnits,    t.noteTable[3].startUnits, t.noteTable[3].endUnits,
                t.vibraList[1].startUnits,  t.vibraList[1].endUnits,   t.textList[1].timeUnits,
                t.repeatList[1].startUnits, t.repeatList[1].endUnits};
    }
};

// Only the first 19 characters are read; the reading itself is ScanDecimal's.
TEST(EditDialogs, ReadsNumbersFromTheFirst19Characters)
{
    EXPECT_EQ(readDialogNumber("0000000000000000012"), 12);
    EXPECT_EQ(readDialogNumber("00000000000000000012"), 1);
    EXPECT_EQ(readDialogNumber(" x1"), std::nullopt);
}

// Insert is checked in the editor (TuneWindows), by the tone file it saves.
TEST(EditDialogs, PausesMoveOnlyLaterItems)
{
    Fixture f;
    const float d = 100.0f / f.tune.msPerUnit;
    ASSERT_EQ(pauseDialogField(*f.text, 2), "375");
    ASSERT_EQ(applyPauseDialog(f.tune, *f.text, 2, "475"), "");
    EXPECT_EQ(f.text->lineInfo[2].itemIndex, 475);
    EXPECT_THAT(f.units(),
                Pointwise(FloatEq(), std::vector<float>{0, 8, 16 + d, 24 + d, 32 + d, 40 + d, 8 + d,
                                                        24 + d, 20 + d, 32 + d, 40 + d}));
    EXPECT_EQ(f.tune.noteTable[2].startMs, unitsToMs(16.0f + d, f.tune.msPerUnit));
    EXPECT_FALSE(applyPauseDialog(f.tune, *f.text, 50, "5").empty()); // past the text

    // After the free text: the vibra segment began before it and stays.
    Fixture g;
    ShiftItemsAfterLine(g.tune, *g.text, 5, 4.0f);
    EXPECT_THAT(g.units(),
                Pointwise(FloatEq(), std::vector<float>{0, 8, 16, 24, 36, 44, 8, 24, 20, 36, 44}));
}

TEST(EditDialogs, NoteStripShowsAndAppliesItsFields)
{
    // A Special note of pitch 74 is custom note 3.
    EXPECT_EQ(noteDialogFields(Fixture().tune, 3), (NoteDialogFields{"3", "1500", "375", false}));
    struct Case {
        int note, line;
        const char* field;
        int pitch;
    };
    // Only five custom notes exist; other pitches are held to 1..108 and
    // may be named as the tone text names them.
    const Case cases[] = {{3, 8, "1", 72},   {3, 8, "9", 76},     {1, 1, "0", 1},
                          {1, 1, "1", 1},    {1, 1, "200", 108},  {1, 1, "80", 80},
                          {1, 1, "C#3", 97}, {1, 1, "A2b", 80},   {1, 1, " h4 ", 107},
                          {1, 1, "E", 76},   {1, 1, "_C4,", 108}, {1, 1, "C5", 108}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Fixture f;
        NoteDialogFields n = noteDialogFields(f.tune, c.note);
        n.note = c.field;
        ASSERT_EQ(applyNoteDialog(f.tune, *f.text, c.note, c.line, n, 5), "");
        EXPECT_EQ(f.tune.noteTable[c.note].pitch, c.pitch);
    }
}

// Vibra 1 runs from before the pause into the note after it; vibra 2
// follows it. Shortening the pause would pull vibra 2 into vibra 1.
struct SpanningVibra : Scene {
    SpanningVibra()
    {
        using enum LineItemKind;
        tune.noteCount = 2;
        setSpan(tune, tune.noteTable[1], 0, 8).pitch = 69;
        setSpan(tune, tune.noteTable[2], 16, 24).pitch = 71;
        tune.vibraCount = 2;
        setSpan(tune, tune.vibraList[1], 0, 20);
        setSpan(tune, tune.vibraList[2], 20, 24);
        const std::pair<LineItemKind, int> items[] = {{VibraOn, 1}, {Note, 1},     {Pause, 375},
                                                      {Note, 2},    {VibraOff, 1}, {VibraOn, 2},
                                                      {VibraOff, 2}};
        lines(items);
    }
};

TEST(EditDialogs, PauseEditsThatWouldMakeItemsOverlapAreRefused)
{
    SpanningVibra f;
    ASSERT_TRUE(checkTuneInvariants(f.tune).empty());
    // The last item ends at 1125 ms, so at most 3600000 - 1125 more fit.
    for (const char* refused : {"374", "3599251"})
        EXPECT_EQ(EditPauseLine(f.tune, *f.text, 2, refused),
                  "Pause in ms must be a number from 375 to 3599250.");
    EXPECT_FLOAT_EQ(f.tune.vibraList[2].startUnits, 20.0f);
    EXPECT_EQ(f.text->lineInfo[2].itemIndex, 375);

    ASSERT_EQ(EditPauseLine(f.tune, *f.text, 2, "3599250"), "");
    EXPECT_EQ(f.text->lineInfo[2].itemIndex, 3599250);
    EXPECT_TRUE(checkTuneInvariants(f.tune).empty());
    EXPECT_FLOAT_EQ(f.tune.vibraList[1].endUnits, 20.0f); // began before the pause
}

TEST(EditDialogs, ATuneThatCameInBrokenIsHeldOnlyToNotGettingWorse)
{
    SpanningVibra f;
    // Loaded vibra segments can carry lengths their units do not give.
    f.tune.vibraList[1].durationUnits = 0;
    const auto before = checkTuneInvariants(f.tune).size();
    ASSERT_GT(before, 0u);
    EXPECT_EQ(EditPauseLine(f.tune, *f.text, 2, "500"), "");
    EXPECT_EQ(f.tune.noteTable[2].startMs,
              unitsToMs(16.0f + 125.0f / f.tune.msPerUnit, f.tune.msPerUnit));
    EXPECT_EQ(checkTuneInvariants(f.tune).size(), before);
    // Back to the old length is still allowed, no shorter.
    const std::string refusal = EditPauseLine(f.tune, *f.text, 2, "100");
    EXPECT_EQ(refusal.rfind("Pause in ms must be a number from 375 to 3599", 0), 0u) << refusal;
}

// At every start a note of 1 ms either keeps a millisecond once re-derived
// from units, or is refused with a range whose lower end does.
TEST(EditDialogs, OneMillisecondNotesKeepAMillisecondOrNameALengthThatDoes)
{
    int refused = 0;
    for (int start = 0; start < 400; ++start) {
        SCOPED_TRACE(start);
        Fixture g;
        NoteDialogFields tiny = noteDialogFields(g.tune, 3);
        tiny.toneTime = "1";
        tiny.start = std::to_string(start);
        const std::string refusal = EditNoteLine(g.tune, *g.text, 3, 8, tiny, 5);
        if (refusal.empty()) {
            EXPECT_TRUE(checkTuneInvariants(g.tune).empty());
            continue;
        }
        ++refused;
        EXPECT_EQ(g.tune.noteTable[3].durationMs, 375); // unchanged
        const std::string prefix = "Tone time in ms must be a number from ";
        ASSERT_EQ(refusal.rfind(prefix, 0), 0u) << refusal;
        tiny.toneTime = std::to_string(std::stoi(refusal.substr(prefix.size())));
        EXPECT_EQ(EditNoteLine(g.tune, *g.text, 3, 8, tiny, 5), "");
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace qte
