// The Ringdata view and the "Tunes in Ringdata" list in the running
// editor: clicks open the edit strips and load catalogue tunes, the text
// follows playback.

#include "app/commands.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "app/tune_windows.h"
#include "editor_fixture.h"
#include "matrix/tune_invariants.h"
#include "support/testsupport.h"
#include "tune/ringdata_file.h"

#include <functional>

namespace qte {
namespace {

// Catalogue entries of resources/examples/Ringdata.h.
constexpr int kChime = 2; // 120 bpm, two repeat blocks
constexpr int kPlain = 5; // 150 bpm, two pauses

struct NoteSpan {
    std::int32_t startMs;
    std::int32_t endMs;
    friend bool operator==(const NoteSpan&, const NoteSpan&) = default;
};

std::vector<NoteSpan> spans(const Tune& t)
{
    std::vector<NoteSpan> out;
    for (int i = 1; i <= t.noteCount; ++i)
        out.push_back({t.noteTable[i].startMs, t.noteTable[i].endMs});
    return out;
}

class TuneWindows : public test::EditorFixture {
protected:
    static inline const std::string kRingdata = "/tunes/Ringdata.h";

    TuneWindows()
    {
        files.files[kStart / "config.cfg"] = test::readFileOrDie(test::resourcePath("config.cfg"));
        files.files[kRingdata] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
        start();
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

    void loadTune(int entry)
    {
        openRingdata();
        clickRow(entry); // with the list at its top, row n shows entry n
        ASSERT_EQ(ctx.tune.tuneSourceName, ctx.catalogue.entries[entry].name);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    }

    // A right click on a text line of the view as it is scrolled.
    void rightClickLine(int line)
    {
        ringdataMouseMove(ctx, 30, (line - ctx.ringdataView.textTopLine) * 15 + 7);
        ringdataRightDown(ctx);
    }

    [[nodiscard]] int lineOf(LineItemKind kind, int index) const
    {
        for (int l = 0; l < ctx.toneText.toneTextLineCount; ++l) {
            const LineInfo& info = ctx.toneText.lineInfo[l];
            if (info.itemKind == static_cast<std::uint8_t>(kind) && info.itemIndex == index)
                return l;
        }
        ADD_FAILURE() << "no line of kind " << int(kind) << " index " << index;
        return -1;
    }

    static fakes::FakeModalDialogs::NoteRun noteOk(std::function<void(NoteDialogFields&)> edit)
    {
        return {{std::move(edit)}};
    }

    [[nodiscard]] std::string lastMessage() const
    {
        return messages.shown.empty() ? "" : messages.shown.back().text;
    }
};

// Which strip a right click opens, and for what, depends only on the line
// under the mouse: the scroll position plus the mouse row.
TEST_F(TuneWindows, RightClickOpensTheStripOfTheLineUnderTheMouse)
{
    loadTune(kChime);
    // 5 REPEAT_BEGIN, 6 and 7 notes, 8 a pause, 9 REPEAT_END, 11 and 12 notes.
    ASSERT_EQ(ctx.toneText.lineInfo[8].itemKind, static_cast<std::uint8_t>(LineItemKind::Pause));
    const std::string a2 = std::to_string(ctx.tune.noteTable[1].pitch);
    const std::string c3 = std::to_string(ctx.tune.noteTable[3].pitch);
    struct Case {
        const char* name;
        int topLine;
        int mouseY;
        std::optional<NoteDialogFields> note; // the note strip and what it shows
        std::optional<std::string> pause;     // or the pause strip
    };
    const Case cases[] = {
        {"first note", 0, 6 * 15, NoteDialogFields{a2, "0", "250", false}, {}},
        {"bottom pixel of its row", 0, 6 * 15 + 14, NoteDialogFields{a2, "0", "250", false}, {}},
        {"scrolled", 3, 8 * 15 + 1, NoteDialogFields{c3, "750", "500", false}, {}},
        {"pause", 0, 8 * 15 + 5, {}, "250"},
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
        ASSERT_EQ(dialogs.noteShown.size(), c.note ? 1u : 0u);
        if (c.note) {
            EXPECT_EQ(dialogs.noteShown[0], *c.note);
        }
        ASSERT_EQ(dialogs.pauseShown.size(), c.pause ? 1u : 0u);
        if (c.pause) {
            EXPECT_EQ(dialogs.pauseShown[0], *c.pause);
        }
    }
    EXPECT_TRUE(messages.shown.empty());

    // While the tune plays a right click does nothing.
    ctx.ringdataView.textTopLine = 0;
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);
    dialogs.noteShown.clear();
    rightClickLine(6);
    EXPECT_TRUE(dialogs.noteShown.empty());
}

// The note strip's OK through the editor: the fields, then the note taken
// out and put back in order, then the text and the Matrix redone.
TEST_F(TuneWindows, NoteStripEditsTheNoteAndKeepsTheTuneWhole)
{
    // Notes of the chime before the edit: A2, E2, (pause), C3, A2; the
    // edited one is E2, the second.
    struct Case {
        const char* name;
        std::function<void(NoteDialogFields&)> edit;
        std::vector<NoteSpan> notes;
        std::int32_t editedPitchAt; // where the E2 ends up
        NoteSpan secondRepeat;
    };
    const Case cases[] = {
        {"longer: trims the next note",
         [](NoteDialogFields& f) { f.toneTime = "750"; },
         {{0, 250}, {250, 1000}, {1000, 1250}, {1250, 1750}},
         2,
         {750, 1750}},
        {"shorter: the rest stays",
         [](NoteDialogFields& f) { f.toneTime = "125"; },
         {{0, 250}, {250, 375}, {750, 1250}, {1250, 1750}},
         2,
         {750, 1750}},
        {"moved: put back in its new place, cutting the note it lands on",
         [](NoteDialogFields& f) { f.start = "1500"; },
         {{0, 250}, {750, 1250}, {1250, 1500}, {1500, 1750}},
         4,
         {750, 1750}},
        {"Insert: everything after moves by the change of length",
         [](NoteDialogFields& f) {
             f.toneTime = "500";
             f.insert = true;
         },
         {{0, 250}, {250, 750}, {1000, 1500}, {1500, 2000}},
         2,
         {1000, 2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        loadTune(kChime);
        const std::int32_t e2 = ctx.tune.noteTable[2].pitch;
        dialogs.noteRuns.push_back(noteOk(c.edit));
        rightClickLine(lineOf(LineItemKind::Note, 2));
        EXPECT_TRUE(messages.shown.empty()) << lastMessage();
        EXPECT_EQ(spans(ctx.tune), c.notes);
        EXPECT_EQ(ctx.tune.noteTable[c.editedPitchAt].pitch, e2);
        EXPECT_EQ(ctx.tune.repeatList[2].startMs, c.secondRepeat.startMs);
        EXPECT_EQ(ctx.tune.repeatList[2].endMs, c.secondRepeat.endMs);
        EXPECT_EQ(ctx.tune.repeatList[1].endMs, 750); // opened before the note
        EXPECT_EQ(checkTuneInvariants(ctx.tune), std::vector<std::string>{});
        // The text shows the edit at once.
        const int line = lineOf(LineItemKind::Note, c.editedPitchAt);
        const std::string length = std::to_string(c.notes[c.editedPitchAt - 1].endMs -
                                                  c.notes[c.editedPitchAt - 1].startMs);
        EXPECT_NE(ctx.toneText.toneTextLines[line].find("(" + length + "))"), std::string::npos)
            << ctx.toneText.toneTextLines[line];
    }
}

TEST_F(TuneWindows, PauseStripMovesWhatComesAfterThePause)
{
    // The plain tune at 150 bpm (50 ms a unit): notes [0,100), pause,
    // [200,400), pause, [500,700), [700,1100).
    struct Case {
        const char* pause;
        std::vector<NoteSpan> notes;
    };
    const Case cases[] = {
        {"200", {{0, 100}, {300, 500}, {600, 800}, {800, 1200}}},
        {"50", {{0, 100}, {150, 350}, {450, 650}, {650, 1050}}},
        {"0", {{0, 100}, {100, 300}, {400, 600}, {600, 1000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pause);
        loadTune(kPlain);
        ASSERT_EQ(spans(ctx.tune),
                  (std::vector<NoteSpan>{{0, 100}, {200, 400}, {500, 700}, {700, 1100}}));
        dialogs.pauseRuns.push_back({c.pause});
        rightClickLine(6);
        EXPECT_TRUE(messages.shown.empty()) << lastMessage();
        EXPECT_EQ(spans(ctx.tune), c.notes);
        EXPECT_EQ(checkTuneInvariants(ctx.tune), std::vector<std::string>{});
    }
}

// A value that would leave the tune broken is refused with the range the
// field allows; the strip stays open and a later good OK is still taken.
TEST_F(TuneWindows, ValuesThatWouldBreakTheTuneAreRefusedWithTheRangeAllowed)
{
    const std::vector<NoteSpan> chime = {{0, 250}, {250, 500}, {750, 1250}, {1250, 1750}};
    struct Case {
        const char* name;
        std::function<void()> click; // with one refused OK scripted
        const char* message;
    };
    const Case cases[] = {
        {"a note of no length",
         [this] {
             dialogs.noteRuns.push_back(noteOk([](NoteDialogFields& f) { f.toneTime = "0"; }));
             rightClickLine(6);
         },
         "Tone time in ms must be a number from 1 to 3600000."},
        {"a start past what the lists hold",
         [this] {
             dialogs.noteRuns.push_back(noteOk([](NoteDialogFields& f) { f.start = "3599900"; }));
             rightClickLine(6);
         },
         "Start must be a number from 0 to 3599750."},
        // The first repeat block ends where the second begins: moving the
        // second earlier would make them overlap.
        {"a shorter note with Insert",
         [this] {
             dialogs.noteRuns.push_back(noteOk([](NoteDialogFields& f) {
                 f.toneTime = "125";
                 f.insert = true;
             }));
             rightClickLine(7);
         },
         "Tone time in ms must be a number from 250 to 3598500."},
        {"a shorter pause",
         [this] {
             dialogs.pauseRuns.push_back({"125"});
             rightClickLine(8);
         },
         "Pause in ms must be a number from 250 to 3598500."},
        {"a pause past what the lists hold",
         [this] {
             dialogs.pauseRuns.push_back({"3599000"});
             rightClickLine(8);
         },
         "Pause in ms must be a number from 250 to 3598500."},
        // Beyond what the strip itself takes, the range named is still the
        // one this tune allows.
        {"a pause beyond any list",
         [this] {
             dialogs.pauseRuns.push_back({"9999999"});
             rightClickLine(8);
         },
         "Pause in ms must be a number from 250 to 3598500."},
        {"a length beyond any list with Insert",
         [this] {
             dialogs.noteRuns.push_back(noteOk([](NoteDialogFields& f) {
                 f.toneTime = "9999999";
                 f.insert = true;
             }));
             rightClickLine(7);
         },
         "Tone time in ms must be a number from 250 to 3598500."},
        {"an empty pause",
         [this] {
             dialogs.pauseRuns.push_back({""});
             rightClickLine(8);
         },
         "Pause in ms must be a number from 250 to 3598500."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        loadTune(kChime);
        const std::string before = ToneTextBytes(ctx.toneText);
        c.click();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Error!");
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(spans(ctx.tune), chime);
        EXPECT_EQ(ToneTextBytes(ctx.toneText), before);
    }

    // Refused, then taken in the same strip.
    messages.shown.clear();
    dialogs.pauseRuns.push_back({"125", "300"});
    rightClickLine(8);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(ctx.tune.noteTable[3].startMs, 800);
}

TEST_F(TuneWindows, TextStripChangesOrRemovesTheFreeText)
{
    constexpr int kOffice = 3; // FREQ_DEFINE and VOLUME_SET lead its texts
    loadTune(kOffice);
    ASSERT_EQ(ctx.tune.freqDefineCount, 3);
    const int volume = lineOf(LineItemKind::FreeText, 2);
    dialogs.textEntries = {"VOLUME_SET(AUD_VOLUME_LOW),"};
    rightClickLine(volume);
    ASSERT_EQ(dialogs.textShown, std::vector<std::string>{"VOLUME_SET(AUD_VOLUME_RING),"});
    EXPECT_EQ(ctx.tune.textList[2].text, "VOLUME_SET(AUD_VOLUME_LOW),");
    EXPECT_NE(ctx.toneText.toneTextLines[volume].find("AUD_VOLUME_LOW"), std::string::npos);

    // Emptied, the FREQ_DEFINE text goes and its values with it.
    const int texts = ctx.tune.textCount;
    dialogs.textEntries = {""};
    rightClickLine(lineOf(LineItemKind::FreeText, 1));
    EXPECT_EQ(ctx.tune.textCount, texts - 1);
    EXPECT_EQ(ctx.tune.textList[1].text, "VOLUME_SET(AUD_VOLUME_LOW),");
    EXPECT_EQ(ctx.tune.freqDefineCount, 0);
    EXPECT_EQ(ToneTextBytes(ctx.toneText).find("FREQ_DEFINE"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty()) << lastMessage();
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
        ctx.tune.tuneSourceName = "kept";
        ctx.catalogueView.catalogueTopRow = c.topRow;
        clickRow(c.row);
        EXPECT_EQ(ctx.tune.tuneSourceName, c.loads ? c.loads : "kept");
        EXPECT_EQ(ctx.activeChild, Child::TunesInRingdata);
    }
    EXPECT_TRUE(messages.shown.empty()) << lastMessage();
    // What was loaded last shows in the captions and both views.
    ctx.catalogueView.catalogueTopRow = 0;
    clickRow(kChime);
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - Undefined - tone_chime[]");
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - tone_chime[]");
    EXPECT_EQ(ctx.tune.noteCount, 4);
    EXPECT_EQ(ctx.tune.repeatCount, 2);
    EXPECT_NE(ToneTextBytes(ctx.toneText).find("REPEAT_BEGIN(3)"), std::string::npos);
    EXPECT_EQ(ctx.tune.tempoBpm, 120);
}

TEST_F(TuneWindows, ClickingATuneWhilePlayingStopsPlaybackFirst)
{
    loadTune(kChime);
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);
    waveOut.calls.clear();
    clickRow(kPlain);
    EXPECT_EQ(ctx.playState.playing, 0);
    ASSERT_FALSE(waveOut.calls.empty());
    EXPECT_EQ(waveOut.calls[0], "reset");
    EXPECT_EQ(ctx.tune.tuneSourceName, "tone_plain[]");
}

// The list was read when the file was opened; when the file has since
// gone or changed, the row no longer names what it did.
TEST_F(TuneWindows, ARowWhoseDefinitionIsGoneIsReportedAndTheTuneKept)
{
    struct Case {
        const char* name;
        std::function<void(std::map<std::filesystem::path, std::string>&)> change;
        const char* mentions;
    };
    const std::string path = kRingdata;
    const Case cases[] = {
        {"vanished", [path](auto& f) { f.erase(path); }, "/tunes/Ringdata.h"},
        {"a line added at the top", [path](auto& f) { f[path] = "/* new */\n" + f[path]; },
         "has changed since it was opened"},
        {"cut short", [path](auto& f) { f[path] = f[path].substr(0, 300); },
         "has changed since it was opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.files[kRingdata] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
        messages.shown.clear();
        loadTune(kChime);
        const std::string text = ToneTextBytes(ctx.toneText);
        c.change(files.files);
        clickRow(kPlain);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find(c.mentions), std::string::npos)
            << messages.shown[0].text;
        EXPECT_NE(messages.shown[0].text.find("tone_plain[]"), std::string::npos);
        EXPECT_EQ(ctx.tune.tuneSourceName, "tone_chime[]");
        EXPECT_EQ(ToneTextBytes(ctx.toneText), text);
    }
}

TEST_F(TuneWindows, TheTextFollowsTheSoundingNote)
{
    ctx.settings.scrollWhenPlaying = 1;
    for (int i = 0; i < 120; ++i)
        addNote(8 * i, 8, 69 + i % 20);
    regenerateToneText(ctx);
    const Colour plain100 = ctx.toneText.lineInfo[lineOf(LineItemKind::Note, 100)].colour;
    const Colour plain101 = ctx.toneText.lineInfo[lineOf(LineItemKind::Note, 101)].colour;
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);

    // Note 100 sounds: its line is in view and in the selected colour.
    tick.advance(99 * 375 + 100);
    EXPECT_TRUE(pumpPlayback(ctx, true));
    ASSERT_EQ(ctx.playState.currentNote, 100);
    const int line = lineOf(LineItemKind::Note, 100);
    const RingdataView& view = ctx.ringdataView;
    EXPECT_GE(line, view.textTopLine);
    EXPECT_LT(line, view.textTopLine + view.textVisibleLines);
    EXPECT_GT(view.textTopLine, 0);
    EXPECT_EQ(ringdataWindow.scrollBar(ScrollBar::Vertical).position, view.textTopLine);
    EXPECT_NE(ctx.toneText.lineInfo[line].colour, plain100);

    // A note already in view does not scroll the text.
    const int top = view.textTopLine;
    tick.advance(375);
    EXPECT_TRUE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.playState.currentNote, 101);
    EXPECT_EQ(view.textTopLine, top);
    EXPECT_EQ(ctx.toneText.lineInfo[line].colour, plain100);
    EXPECT_NE(ctx.toneText.lineInfo[line + 1].colour, plain101);

    // Done: the colour goes.
    ASSERT_TRUE(waveOut.finish());
    EXPECT_FALSE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.toneText.lineInfo[lineOf(LineItemKind::Note, 101)].colour, plain101);
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
    ringdataScroll(ctx, ScrollBar::Horizontal, ScrollCode::Top, 0);
    EXPECT_EQ(ctx.ringdataView.textLeftColumn, 0);

    // The line under the mouse follows the scroll.
    dialogs.noteShown.clear();
    ringdataMouseMove(ctx, 10, 2 * 15);
    ringdataRightDown(ctx);
    ASSERT_EQ(dialogs.noteShown.size(), 1u);
    const int line = 62;
    EXPECT_EQ(dialogs.noteShown[0].start,
              std::to_string(ctx.tune.noteTable[ctx.toneText.lineInfo[line].itemIndex].startMs));

    openRingdata();
    catalogueScroll(ctx, ScrollCode::LineDown, 0);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 0); // five tunes fit
}

// One road through the editor as a user takes it: open the example
// Ringdata.h, click its second tune, lengthen one note with Insert and
// save the tune as a tone file.
TEST_F(TuneWindows, OpenClickEditAndSaveAsToneText)
{
    fileDialogs.answers.push_back(FileChoice{kRingdata, 1});
    runCommand(ctx, cmd::OpenRingdata);
    clickRow(2);
    dialogs.noteRuns.push_back(noteOk([](NoteDialogFields& f) {
        f.toneTime = "500";
        f.insert = true;
    }));
    rightClickLine(7);
    const auto saveKinds = savableKinds();
    const int toneFile =
        static_cast<int>(std::find(saveKinds.begin(), saveKinds.end(), FileKind::Ringdata) -
                         saveKinds.begin()) +
        1;
    fileDialogs.answers.push_back(FileChoice{"/out/chime", toneFile});
    runCommand(ctx, cmd::SaveAs);
    EXPECT_TRUE(messages.shown.empty()) << lastMessage();
    ASSERT_TRUE(files.files.count("/out/chime.h"));
    const std::string saved = files.files["/out/chime.h"];
    const auto expectedPath =
        std::filesystem::path(QTE_SOURCE_DIR) / "tests/app/data/chime_note_lengthened.h";
    const std::string expected =
        std::filesystem::exists(expectedPath) ? test::readFileOrDie(expectedPath) : "";
    if (saved != expected)
        test::writeFileOrDie(std::filesystem::path(QTE_BINARY_DIR) / "chime_note_lengthened.h",
                             saved);
    EXPECT_EQ(saved, expected);
}

} // namespace
} // namespace qte
