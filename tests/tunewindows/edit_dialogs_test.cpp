#include "tunewindows/edit_dialogs.h"

#include "matrix/tune_invariants.h"
#include "tune/tone_text.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <memory>

namespace qte {
namespace {

void setNote(Tune& t, int i, float start, float end, int pitch, NoteKind kind = NoteKind::Normal)
{
    NoteRecord& n = t.noteTable[i];
    n.startUnits = start;
    n.endUnits = end;
    n.durationUnits = end - start;
    n.startMs = unitsToMs(start, t.msPerUnit);
    n.endMs = unitsToMs(end, t.msPerUnit);
    n.durationMs = unitsToMs(end - start, t.msPerUnit);
    n.pitch = pitch;
    n.kind = static_cast<std::int32_t>(kind);
}

// Note 1 [0,8), pause, vibra 1 [8,24) around note 2 [16,24) and text 1 at
// 20, then a repeat block around note 3 [32,40).
struct Fixture {
    Tune tune;
    std::unique_ptr<ToneText> text = std::make_unique<ToneText>();

    Fixture()
    {
        tune.noteCount = 3;
        setNote(tune, 1, 0, 8, 69);
        setNote(tune, 2, 16, 24, 72);
        setNote(tune, 3, 32, 40, 74, NoteKind::Special);
        tune.vibraCount = 1;
        tune.vibraList[1] = {375, 1125, 750, 8, 24, 16, 0, 0, 0};
        tune.textCount = 1;
        tune.textList[1].timeUnits = 20;
        tune.textList[1].timeMs = 937;
        tune.textList[1].setText("hello");
        tune.repeatCount = 1;
        tune.repeatList[1] = {1500, 1875, 32, 40, 2, 0, 0};
        const std::pair<LineItemKind, int> lines[] = {
            {LineItemKind::Other, 0},    {LineItemKind::Note, 1},
            {LineItemKind::Pause, 375},  {LineItemKind::VibraOn, 1},
            {LineItemKind::Note, 2},     {LineItemKind::FreeText, 1},
            {LineItemKind::VibraOff, 1}, {LineItemKind::RepeatOpen, 1},
            {LineItemKind::Note, 3},     {LineItemKind::RepeatClose, 1},
        };
        for (const auto& [kind, index] : lines) {
            LineInfo& info = text->lineInfo[text->toneTextLineCount++];
            info.itemKind = static_cast<std::uint8_t>(kind);
            info.itemIndex = index;
        }
    }
};

TEST(EditDialogs, ReadsNumbersLikePercentD)
{
    struct Case {
        const char* field;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"375", 375},
        {"  42abc", 42},
        {"-7", -7},
        {"", std::nullopt},
        {"x1", std::nullopt},
        {"00012", 12},
        {"99999999999999999999", 2147483647},
        {"12345678901234567890123", 2147483647}, // only 19 characters are read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(readDialogNumber(c.field), c.value);
    }
}

TEST(EditDialogs, LongerPauseMovesOnlyLaterItems)
{
    Fixture f;
    const float d = 100.0f / f.tune.msPerUnit;
    ASSERT_EQ(pauseDialogField(*f.text, 2), "375");
    ASSERT_EQ(applyPauseDialog(f.tune, *f.text, 2, "475"), "");
    EXPECT_EQ(f.text->lineInfo[2].itemIndex, 475);
    EXPECT_FLOAT_EQ(f.tune.noteTable[1].startUnits, 0.0f);
    EXPECT_FLOAT_EQ(f.tune.noteTable[2].startUnits, 16.0f + d);
    EXPECT_FLOAT_EQ(f.tune.noteTable[3].endUnits, 40.0f + d);
    EXPECT_EQ(f.tune.noteTable[2].startMs, unitsToMs(16.0f + d, f.tune.msPerUnit));
    EXPECT_FLOAT_EQ(f.tune.vibraList[1].startUnits, 8.0f + d);
    EXPECT_FLOAT_EQ(f.tune.textList[1].timeUnits, 20.0f + d);
    EXPECT_FLOAT_EQ(f.tune.repeatList[1].startUnits, 32.0f + d);
    // Lengths are not touched.
    EXPECT_FLOAT_EQ(f.tune.noteTable[2].durationUnits, 8.0f);
}

TEST(EditDialogs, ShiftAfterALaterLineLeavesEarlierStartsInPlace)
{
    Fixture f;
    // After the free text: the vibra segment began before it and stays.
    ShiftItemsAfterLine(f.tune, *f.text, 5, 4.0f);
    EXPECT_FLOAT_EQ(f.tune.vibraList[1].startUnits, 8.0f);
    EXPECT_FLOAT_EQ(f.tune.textList[1].timeUnits, 20.0f);
    EXPECT_FLOAT_EQ(f.tune.noteTable[2].startUnits, 16.0f);
    EXPECT_FLOAT_EQ(f.tune.noteTable[3].startUnits, 36.0f);
    EXPECT_FLOAT_EQ(f.tune.repeatList[1].endUnits, 44.0f);
}

TEST(EditDialogs, NoteStripShowsAndAppliesItsFields)
{
    Fixture f;
    NoteDialogFields fields = noteDialogFields(f.tune, 3);
    EXPECT_EQ(fields.note, "3"); // a Special note of pitch 74 is custom note 3
    EXPECT_EQ(fields.start, "1500");
    EXPECT_EQ(fields.toneTime, "375");
    fields.note = "1";
    ASSERT_EQ(applyNoteDialog(f.tune, *f.text, 3, 8, fields, 5), "");
    EXPECT_EQ(f.tune.noteTable[3].pitch, 72);
    fields.note = "9"; // only five custom notes exist
    ASSERT_EQ(applyNoteDialog(f.tune, *f.text, 3, 8, fields, 5), "");
    EXPECT_EQ(f.tune.noteTable[3].pitch, 76);

    struct Case {
        const char* note;
        int pitch;
    };
    for (const Case& c : {Case{"0", 1}, Case{"1", 1}, Case{"200", 108}, Case{"80", 80}}) {
        SCOPED_TRACE(c.note);
        NoteDialogFields n = noteDialogFields(f.tune, 1);
        n.note = c.note;
        ASSERT_EQ(applyNoteDialog(f.tune, *f.text, 1, 1, n, 5), "");
        EXPECT_EQ(f.tune.noteTable[1].pitch, c.pitch);
    }
}

TEST(EditDialogs, InsertMovesLaterItemsByTheChangeOfLength)
{
    Fixture with, without;
    NoteDialogFields fields = noteDialogFields(with.tune, 1);
    fields.toneTime = "750";
    fields.insert = true;
    ASSERT_EQ(applyNoteDialog(with.tune, *with.text, 1, 1, fields, 5), "");
    EXPECT_EQ(with.tune.noteTable[1].durationMs, 750);
    EXPECT_EQ(with.tune.noteTable[1].endMs, 750);
    EXPECT_FLOAT_EQ(with.tune.noteTable[2].startUnits, 24.0f);
    EXPECT_FLOAT_EQ(with.tune.vibraList[1].startUnits, 16.0f);

    fields.insert = false;
    ASSERT_EQ(applyNoteDialog(without.tune, *without.text, 1, 1, fields, 5), "");
    EXPECT_FLOAT_EQ(without.tune.noteTable[2].startUnits, 16.0f);
}

TEST(EditDialogs, ValuesThatWouldBreakTheTuneAreRefused)
{
    struct Case {
        const char* name;
        const char* toneTime;
        const char* start;
        const char* note;
        const char* mentions;
    };
    const Case cases[] = {
        {"zero length", "0", "0", "69", "from 1 to 3600000"},
        {"no length", "", "0", "69", "Tone time"},
        {"negative start", "375", "-1", "69", "Start"},
        {"past what the lists hold", "375", "3599999", "69", "Start"},
        {"no pitch", "375", "0", "", "Note"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const NoteRecord before = f.tune.noteTable[1];
        const std::string err =
            applyNoteDialog(f.tune, *f.text, 1, 1, {c.note, c.start, c.toneTime, true}, 5);
        EXPECT_NE(err.find(c.mentions), std::string::npos) << err;
        EXPECT_EQ(f.tune.noteTable[1].durationMs, before.durationMs);
        EXPECT_EQ(f.tune.noteTable[1].startMs, before.startMs);
        EXPECT_FLOAT_EQ(f.tune.noteTable[2].startUnits, 16.0f);
    }
    Fixture f;
    EXPECT_FALSE(applyPauseDialog(f.tune, *f.text, 2, "-5").empty());
    EXPECT_FALSE(applyPauseDialog(f.tune, *f.text, 2, "").empty());
    EXPECT_EQ(f.text->lineInfo[2].itemIndex, 375);
    EXPECT_FALSE(applyPauseDialog(f.tune, *f.text, 50, "5").empty());
}

TEST(EditDialogs, TextStripStoresAndReportsEmpty)
{
    Fixture f;
    EXPECT_FALSE(applyTextDialog(f.tune, 1, "FREQ_DEFINE (1000)"));
    EXPECT_EQ(f.tune.textList[1].text, "FREQ_DEFINE (1000)");
    EXPECT_FALSE(applyTextDialog(f.tune, 1, std::string(300, 'y')));
    EXPECT_EQ(f.tune.textList[1].text.size(), kMaxTextChars);
    EXPECT_TRUE(applyTextDialog(f.tune, 1, ""));
}

// Vibra 1 runs from before the pause into the note after it; vibra 2
// follows it. Shortening the pause would pull vibra 2 into vibra 1.
struct SpanningVibra {
    Tune tune;
    std::unique_ptr<ToneText> text = std::make_unique<ToneText>();

    SpanningVibra()
    {
        tune.noteCount = 2;
        setNote(tune, 1, 0, 8, 69);
        setNote(tune, 2, 16, 24, 71);
        tune.vibraCount = 2;
        setVibra(1, 0, 20);
        setVibra(2, 20, 24);
        const std::pair<LineItemKind, int> lines[] = {
            {LineItemKind::VibraOn, 1},  {LineItemKind::Note, 1},     {LineItemKind::Pause, 375},
            {LineItemKind::Note, 2},     {LineItemKind::VibraOff, 1}, {LineItemKind::VibraOn, 2},
            {LineItemKind::VibraOff, 2},
        };
        for (const auto& [kind, index] : lines) {
            LineInfo& info = text->lineInfo[text->toneTextLineCount++];
            info.itemKind = static_cast<std::uint8_t>(kind);
            info.itemIndex = index;
        }
    }
    void setVibra(int i, float start, float end)
    {
        VibraRecord& v = tune.vibraList[i];
        v.startUnits = start;
        v.endUnits = end;
        v.durationUnits = end - start;
        v.startMs = unitsToMs(start, tune.msPerUnit);
        v.endMs = unitsToMs(end, tune.msPerUnit);
        v.durationMs = unitsToMs(end - start, tune.msPerUnit);
    }
};

TEST(EditDialogs, PauseEditsThatWouldMakeItemsOverlapAreRefused)
{
    SpanningVibra f;
    ASSERT_TRUE(checkTuneInvariants(f.tune).empty());
    // The last item ends at 1125 ms, so at most 3600000 - 1125 more fit.
    EXPECT_EQ(EditPauseLine(f.tune, *f.text, 2, "374"),
              "Pause in ms must be a number from 375 to 3599250.");
    EXPECT_EQ(EditPauseLine(f.tune, *f.text, 2, "3599251"),
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

TEST(EditDialogs, NoteEditsPutTheNoteBackInOrder)
{
    Fixture f;
    // Moved past note 3: it comes last and cuts note 3 back to its start.
    NoteDialogFields moved = noteDialogFields(f.tune, 1);
    moved.start = "1687"; // 36 units
    ASSERT_EQ(EditNoteLine(f.tune, *f.text, 1, 1, moved, 5), "");
    ASSERT_EQ(f.tune.noteCount, 3);
    EXPECT_EQ(f.tune.noteTable[3].pitch, 69);
    EXPECT_EQ(f.tune.noteTable[3].startMs, 1687);
    EXPECT_EQ(f.tune.noteTable[2].endMs, 1687);
    EXPECT_TRUE(checkTuneInvariants(f.tune).empty()) << checkTuneInvariants(f.tune)[0];

    // The shortest lengths: at every start a note of 1 ms either keeps a
    // millisecond once re-derived from units, or is refused with a range
    // whose lower end does.
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
