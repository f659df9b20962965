// The Ringdata view and the "Tunes in Ringdata" list in the running
// editor: clicks open the edit strips and load catalogue tunes, the text
// follows playback.

#include "app/playback_commands.h"
#include "app/tune_windows.h"
#include "editor_fixture.h"
#include "tune/ringdata_file.h"
#include "tune/tune_invariants.h"

#include <gmock/gmock.h>

#include <functional>

namespace qte {
namespace {

using testing::HasSubstr;

// Catalogue entries of resources/examples/Ringdata.h.
constexpr int kChime = 2; // 120 bpm, two repeat blocks
constexpr int kPlain = 5; // 150 bpm, two pauses

// The items' times, as "start-end start-end ...".
template <class List> std::string spans(const List& list, int count)
{
    std::string out;
    for (int i = 1; i <= count; ++i)
        out += (i > 1 ? " " : "") + std::to_string(list[i].startMs) + "-" +
               std::to_string(list[i].endMs);
    return out;
}
std::string notes(const Tune& t)
{
    return spans(t.noteTable, t.noteCount);
}

// The fields an OK of a strip submits; nullptr keeps what was shown. On a
// pause line toneTime is the pause.
struct Edit {
    const char* toneTime = nullptr;
    const char* start = nullptr;
    bool insert = false;
    const char* note = nullptr;
};

class TuneWindows : public test::EditorFixture {
protected:
    static inline const std::string kRingdata = "/tunes/Ringdata.h";

    TuneWindows()
    {
        files.files[kRingdata] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
        startWithConfig();
    }

    void openRingdata()
    {
        fileDialogs.answers.push_back(FileChoice{kRingdata, 1});
        runCommand(ctx, cmd::OpenRingdata);
        ASSERT_EQ(ctx.catalogue.tuneCount, 5);
    }

    // A left click in the middle of a catalogue row.
    void clickRow(int row)
    {
        catalogueMouseMove(ctx, 20, row * 15 + 7);
        catalogueLeftDown(ctx);
    }

    // Loads an entry, letting go of what the last one was changed to.
    void loadTune(int entry)
    {
        openRingdata();
        const bool asks = ctx.document.isModified();
        if (asks) messages.answers.insert(messages.answers.begin(), MessageAnswer::Discard);
        clickRow(entry); // with the list at its top, row n shows entry n
        ASSERT_EQ(ctx.document.origin().sourceName, ctx.catalogue.entries[entry].name);
        ASSERT_EQ(takeMessage(), asks ? "Tunes in Ringdata: Discard current tune?" : "");
    }

    // A right click on a text line of the view as it is scrolled.
    void rightClickLine(int line)
    {
        ringdataMouseMove(ctx, 30, (line - ctx.ringdataView.textTopLine) * 15 + 7);
        ringdataRightDown(ctx);
    }
    // The same with OKs of the line's strip scripted, each refused but the last.
    void editLine(int line, std::vector<Edit> oks)
    {
        if (ctx.toneText.lineInfo[line].itemKind ==
            static_cast<std::uint8_t>(LineItemKind::Pause)) {
            std::vector<std::string> pauses;
            for (const Edit& e : oks)
                pauses.push_back(e.toneTime);
            dialogs.pauseRuns.push_back(pauses);
        } else {
            fakes::FakeModalDialogs::NoteRun run;
            for (const Edit& e : oks)
                run.oks.push_back([e](NoteDialogFields& f) {
                    if (e.toneTime) f.toneTime = e.toneTime;
                    if (e.start) f.start = e.start;
                    if (e.note) f.note = e.note;
                    f.insert = e.insert;
                });
            dialogs.noteRuns.push_back(run);
        }
        rightClickLine(line);
    }
};

// Which strip a right click opens, and for what, depends only on the line
// under the mouse: the scroll position plus the mouse row.
TEST_F(TuneWindows, RightClickOpensTheStripOfTheLineUnderTheMouse)
{
    loadTune(kChime);
    // 5 REPEAT_BEGIN, 6 and 7 notes, 8 a pause, 9 REPEAT_END, 11 and 12 notes.
    const std::string a2 = std::to_string(ctx.tune().noteTable[1].pitch);
    const std::string c3 = std::to_string(ctx.tune().noteTable[3].pitch);
    using Notes = std::vector<NoteDialogFields>;
    using Pauses = std::vector<std::string>;
    struct Case {
        const char* name;
        int topLine;
        int mouseY;
        Notes note;   // the note strip and what it shows
        Pauses pause; // or the pause strip
    };
    const Case cases[] = {
        {"first note", 0, 6 * 15, {{a2, "0", "250", false}}, {}},
        {"bottom pixel of its row", 0, 6 * 15 + 14, {{a2, "0", "250", false}}, {}},
        {"scrolled", 3, 8 * 15 + 1, {{c3, "750", "500", false}}, {}},
        {"pause", 0, 8 * 15 + 5, {}, {"250"}},
        {"marker line", 0, 9 * 15, {}, {}},
        {"header line", 0, 0, {}, {}},
        {"below the last line", 0, 40 * 15, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.noteShown.clear();
        dialogs.pauseShown.clear();
        ctx.ringdataView.textTopLine = c.topLine;
        ringdataMouseMove(ctx, 40, c.mouseY);
        ringdataRightDown(ctx); // no OK scripted: the strip is cancelled
        EXPECT_EQ(dialogs.noteShown, c.note);
        EXPECT_EQ(dialogs.pauseShown, c.pause);
    }
    EXPECT_EQ(takeMessage(), "");

    // While the tune plays a right click does nothing.
    ctx.ringdataView.textTopLine = 0;
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);
    dialogs.noteShown.clear();
    rightClickLine(6);
    EXPECT_TRUE(dialogs.noteShown.empty());
}

// The strips' OK through the editor: the fields, then the note taken out
// and put back in order, then the text and the Matrix redone.
TEST_F(TuneWindows, StripsEditTheTuneAndKeepItWhole)
{
    // The chime's notes: A2, E2, (pause 250 ms), C3, A2, in repeat blocks
    // [0,750) and [750,1750); line 7 is the E2. The plain tune at 150 bpm:
    // [0,100), pause on line 6, [200,400), pause, [500,700), [700,1100).
    // Insert is in OpenClickEditAndSaveAsToneText.
    struct Case {
        const char* name;
        int entry, line;
        const char* toneTime;
        const char* start;
        const char* notes;
        int editedAt; // where the edited note ends up (0: a pause was edited)
    };
    const Case cases[] = {
        {"longer: trims the next note", kChime, 7, "750", nullptr,
         "0-250 250-1000 1000-1250 1250-1750", 2},
        {"shorter: the rest stays", kChime, 7, "125", nullptr, "0-250 250-375 750-1250 1250-1750",
         2},
        {"moved: put back in its new place, cutting the note it lands on", kChime, 7, nullptr,
         "1500", "0-250 750-1250 1250-1500 1500-1750", 4},
        {"longer pause", kPlain, 6, "200", nullptr, "0-100 300-500 600-800 800-1200", 0},
        {"shorter pause", kPlain, 6, "50", nullptr, "0-100 150-350 450-650 650-1050", 0},
        {"no pause", kPlain, 6, "0", nullptr, "0-100 100-300 400-600 600-1000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadTune(c.entry);
        const std::int32_t pitch = ctx.tune().noteTable[2].pitch;
        editLine(c.line, {{c.toneTime, c.start}});
        EXPECT_EQ(takeMessage(), "");
        EXPECT_EQ(notes(ctx.tune()), c.notes);
        EXPECT_EQ(checkTuneInvariants(ctx.tune()), std::vector<std::string>{});
        if (c.entry == kChime) {
            EXPECT_EQ(spans(ctx.tune().repeatList, 2), "0-750 750-1750");
        }
        if (c.editedAt == 0) continue;
        EXPECT_EQ(ctx.tune().noteTable[c.editedAt].pitch, pitch);
        // The text shows the edit at once.
        const std::string length = std::to_string(ctx.tune().noteTable[c.editedAt].durationMs);
        EXPECT_THAT(ctx.toneText.toneTextLines[lineOf(LineItemKind::Note, c.editedAt)],
                    HasSubstr("(" + length + "))"));
    }
}

// A value that would leave the tune broken is refused with the range the
// field allows; the strip stays open and a later good OK is still taken.
TEST_F(TuneWindows, ValuesThatWouldBreakTheTuneAreRefusedWithTheRangeAllowed)
{
    const std::string chime = "0-250 250-500 750-1250 1250-1750";
    const std::string pause = "Pause in ms must be a number from 250 to 3598500.";
    const std::string insertedLength = "Tone time in ms must be a number from 250 to 3598500.";
    const std::string length = "Tone time in ms must be a number from 1 to 3600000.";
    const std::string start = "Start must be a number from 0 to 3599750.";
    struct Case {
        const char* name;
        int line; // 6 and 7 notes, 8 a pause
        const char* toneTime;
        const char* start;
        bool insert;
        std::string message;
        const char* note = nullptr;
    };
    // The first repeat block ends where the second begins: moving the
    // second earlier would make them overlap. Beyond what a strip itself
    // takes, the range named is still the one this tune allows.
    const Case cases[] = {
        {"a note of no length", 6, "0", nullptr, false, length},
        {"an empty length", 6, "", nullptr, false, length},
        {"a start before the tune", 6, nullptr, "-1", false, start},
        {"a start past what the lists hold", 6, nullptr, "3599900", false, start},
        {"no pitch", 6, nullptr, nullptr, false,
         "Note must be a number from 1 to 108 or a note name of the tone text, such as C, C#3 "
         "or A2b.",
         ""},
        {"no note of that name", 6, nullptr, nullptr, false,
         "Note must be a number from 1 to 108 or a note name of the tone text, such as C, C#3 "
         "or A2b.",
         "X3"},
        {"a shorter note with Insert", 7, "125", nullptr, true, insertedLength},
        {"a length beyond any list with Insert", 7, "9999999", nullptr, true, insertedLength},
        {"a shorter pause", 8, "125", nullptr, false, pause},
        {"a pause past what the lists hold", 8, "3599000", nullptr, false, pause},
        {"a pause beyond any list", 8, "9999999", nullptr, false, pause},
        {"an empty pause", 8, "", nullptr, false, pause},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadTune(kChime);
        const std::string before = ToneTextBytes(ctx.toneText);
        editLine(c.line, {{c.toneTime, c.start, c.insert, c.note}});
        EXPECT_EQ(takeMessage(), "Error!: " + c.message);
        EXPECT_EQ(notes(ctx.tune()), chime);
        EXPECT_EQ(ToneTextBytes(ctx.toneText), before);
    }

    // Refused, then taken in the same strip.
    editLine(8, {{"125"}, {"300"}});
    EXPECT_EQ(takeMessage(), "Error!: " + pause);
    EXPECT_EQ(ctx.tune().noteTable[3].startMs, 800);
}

TEST_F(TuneWindows, TextStripChangesOrRemovesTheFreeText)
{
    constexpr int kOffice = 3; // FREQ_DEFINE and VOLUME_SET lead its texts
    loadTune(kOffice);
    ASSERT_EQ(ctx.tune().freqDefineCount, 3);
    const int volume = lineOf(LineItemKind::FreeText, 2);
    dialogs.textEntries = {"VOLUME_SET(AUD_VOLUME_LOW),"};
    rightClickLine(volume);
    ASSERT_EQ(dialogs.textShown, std::vector<std::string>{"VOLUME_SET(AUD_VOLUME_RING),"});
    EXPECT_EQ(ctx.tune().textList[2].text, "VOLUME_SET(AUD_VOLUME_LOW),");
    EXPECT_THAT(ctx.toneText.toneTextLines[volume], HasSubstr("AUD_VOLUME_LOW"));

    // Emptied, the FREQ_DEFINE text goes and its values with it.
    const int texts = ctx.tune().textCount;
    dialogs.textEntries = {""};
    rightClickLine(lineOf(LineItemKind::FreeText, 1));
    EXPECT_EQ(ctx.tune().textCount, texts - 1);
    EXPECT_EQ(ctx.tune().textList[1].text, "VOLUME_SET(AUD_VOLUME_LOW),");
    EXPECT_EQ(ctx.tune().freqDefineCount, 0);
    EXPECT_THAT(ToneTextBytes(ctx.toneText), testing::Not(HasSubstr("FREQ_DEFINE")));

    EXPECT_EQ(takeMessage(), "");
}

TEST_F(TuneWindows, ACatalogueRowLoadsItsTuneAndRowsWithoutOneLoadNothing)
{
    openRingdata();
    addNote(0, 8, 60);
    struct Case {
        int topRow;
        int row;
        const char* loads; // nullptr: the tune stays
    };
    const Case cases[] = {
        {0, 1, "tone_morning[]"}, {0, 2, "tone_chime[]"}, {0, 5, "tone_plain[]"},
        {0, 0, nullptr},          {0, 6, nullptr},        {3, 1, "tone_waltz[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.topRow) + "/" + std::to_string(c.row));
        setUpOrigin([](TuneOrigin& o) { o.sourceName = "kept"; });
        ctx.catalogueView.catalogueTopRow = c.topRow;
        clickRow(c.row);
        EXPECT_EQ(ctx.document.origin().sourceName, c.loads ? c.loads : "kept");
        EXPECT_EQ(ctx.activeChild, Child::TunesInRingdata);
    }
    EXPECT_EQ(takeMessage(), "");
    // What was loaded last names both views.
    ctx.catalogueView.catalogueTopRow = 0;
    clickRow(kChime);
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - chime - tone_chime[]");
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - chime - tone_chime[]");

    // Clicking a tune while one plays stops the playback first.
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);
    waveOut.calls.clear();
    clickRow(kPlain);
    EXPECT_EQ(ctx.playState.playing, 0);
    ASSERT_FALSE(waveOut.calls.empty());
    EXPECT_EQ(waveOut.calls[0], "reset");
    EXPECT_EQ(ctx.document.origin().sourceName, "tone_plain[]");
}

// The list was read when the file was opened; when the file has since
// gone or changed, the row no longer names what it did.
TEST_F(TuneWindows, ARowWhoseDefinitionIsGoneIsReportedAndTheTuneKept)
{
    using Files = std::map<std::filesystem::path, std::string>;
    const std::string path = kRingdata;
    const std::pair<std::function<void(Files&)>, const char*> cases[] = {
        {[path](Files& f) { f.erase(path); }, "/tunes/Ringdata.h"},
        {[path](Files& f) { f[path] = "/* new */\n" + f[path]; },
         "has changed since it was opened"},
        {[path](Files& f) { f[path] = f[path].substr(0, 300); }, "has changed since it was opened"},
    };
    const std::string original = files.files[kRingdata];
    for (const auto& [change, mentions] : cases) {
        SCOPED_TRACE(mentions);
        files.files[kRingdata] = original;
        loadTune(kChime);
        const std::string text = ToneTextBytes(ctx.toneText);
        change(files.files);
        clickRow(kPlain);
        EXPECT_THAT(takeMessages(), testing::ElementsAre(testing::AllOf(
                                        HasSubstr(mentions), HasSubstr("tone_plain[]"))));
        EXPECT_EQ(ctx.document.origin().sourceName, "tone_chime[]");
        EXPECT_EQ(ToneTextBytes(ctx.toneText), text);
    }
}

TEST_F(TuneWindows, ScrollBarsMoveTheTextAndTheList)
{
    for (int i = 0; i < 120; ++i)
        addNote(8 * i, 8, 69);
    regenerateToneText(ctx);
    ringdataScroll(ctx, ScrollBar::Vertical, ScrollCode::PageDown, 0);
    EXPECT_EQ(ctx.ringdataView.textTopLine, 60);
    EXPECT_EQ(ringdataWindow.scrollBar(ScrollBar::Vertical).position, 60);
    ringdataScroll(ctx, ScrollBar::Horizontal, ScrollCode::ThumbTrack, 500);
    EXPECT_EQ(ctx.ringdataView.textLeftColumn, 130 - 430 / 8);

    openRingdata();
    catalogueScroll(ctx, ScrollCode::LineDown, 0);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 0); // five tunes fit
}

// The wheel: three lines a notch in the text, columns with Shift or a
// sideways turn; rows of the list. Both stop at their ends.
TEST_F(TuneWindows, TheWheelScrollsTheTextAndTheList)
{
    for (int i = 0; i < 120; ++i)
        addNote(8 * i, 8, 69);
    regenerateToneText(ctx);
    const RingdataView& v = ctx.ringdataView;
    struct Step {
        int up, left;
        bool shift;
        int topLine, leftColumn;
    };
    const Step steps[] = {
        {-2, 0, false, 6, 0},
        {1, 0, false, 3, 0},
        {-1, 0, true, 3, 3},
        {0, -1, false, 3, 6},
        {0, 2, false, 3, 0},
        {5, 0, false, 0, 0},
        {-99, 0, false, ctx.toneText.toneTextLineCount - v.textVisibleLines, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.up << " " << s.left << " " << s.shift);
        ringdataWheel(ctx, s.up, s.left, s.shift, 3);
        EXPECT_EQ(std::pair(v.textTopLine, v.textLeftColumn), std::pair(s.topLine, s.leftColumn));
        EXPECT_EQ(ringdataWindow.scrollBar(ScrollBar::Vertical).position, v.textTopLine);
    }

    // The list scrolls only where it holds more tunes than rows.
    for (int i = 0; i < 100; ++i)
        files.files[kRingdata] += "static TONE tone_more" + std::to_string(i) +
                                  "[] =\n{\n        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n};\n";
    fileDialogs.answers.push_back(FileChoice{kRingdata, 1});
    runCommand(ctx, cmd::OpenRingdata);
    ASSERT_EQ(ctx.catalogue.tuneCount, 105);
    catalogueWheel(ctx, -2, 3);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 6);
    catalogueWheel(ctx, 1, 3);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 3);
    catalogueWheel(ctx, -99, 3);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 105 - ctx.catalogueView.catalogueVisibleRows + 1);
}

// One road through the editor as a user takes it: open the example
// Ringdata.h, click its second tune, lengthen one note with Insert and
// save the tune as a tone file.
TEST_F(TuneWindows, OpenClickEditAndSaveAsToneText)
{
    openRingdata();
    clickRow(2);
    editLine(7, {{"500", nullptr, true}});
    saveAs("/out/chime", FileKind::Ringdata);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(files.files["/out/chime.h"],
              test::readFileOrDie(std::filesystem::path(QTE_SOURCE_DIR) /
                                  "tests/app/data/chime_note_lengthened.h"));
}

} // namespace
} // namespace qte
