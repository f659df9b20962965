// What the editor does so that nothing is lost: undo and redo named in the
// Edit menu, the "*" of unsaved changes, the questions before they are
// dropped, Save as that asks before replacing a file, Open by extension,
// names that survive a round trip and notes the tone text cannot name.

#include "app/dialog_commands.h"
#include "app/tune_windows.h"
#include "editor_fixture.h"
#include "formats/ota.h"
#include "formats/rtx.h"

#include <gmock/gmock.h>

#include <functional>

namespace qte {
namespace {

using testing::HasSubstr;
using Strings = std::vector<std::string>;

class DocumentCommands : public test::EditorFixture {
protected:
    static inline const std::string kBells = "/tunes/bells.ota";
    static inline const std::string kRingdata = "/fw/Ringdata.h";

    DocumentCommands()
    {
        files.files[kRingdata] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
        startWithConfig();
    }

    // Three quarter notes from A4 up, as an OTA file.
    static std::string bells()
    {
        auto t = std::make_unique<Tune>();
        for (int i = 0; i < 3; ++i)
            test::setSpan(*t, t->noteTable[++t->noteCount] = {}, 8.0f * i, 8).pitch = 69 + i;
        return ExportOta(*t).bytes;
    }
    // Opened as the command line opens a file: no question.
    void openBells()
    {
        files.files[kBells] = bells();
        ASSERT_TRUE(openTuneFile(ctx, kBells, FileKind::Ota));
        ASSERT_EQ(takeMessage(), "");
    }
    // A step, as a gesture or a command makes one.
    void change(int pitch = 100)
    {
        ctx.document.change("Edit note", [pitch](Tune& t) { t.noteTable[1].pitch = pitch; });
    }
    void press(const std::string& key)
    {
        const int id = test::commandOfKey(key);
        ASSERT_NE(id, 0) << key;
        runCommand(ctx, id);
    }
    void openRingdata()
    {
        fileDialogs.answers.push_back(FileChoice{kRingdata, 1});
        runCommand(ctx, cmd::OpenRingdata);
        ASSERT_EQ(ctx.catalogue.tuneCount, 5);
    }
    void clickEntry(int entry)
    {
        catalogueMouseMove(ctx, 20, entry * 15 + 7);
        catalogueLeftDown(ctx);
    }
};

TEST_F(DocumentCommands, UndoAndRedoNameTheirStepAndTheCaptionsShowWhatIsUnsaved)
{
    openBells();
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::Undo));
    EXPECT_EQ(commandLabel(ctx, cmd::Undo), "Undo");
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");

    dialogs.tempoTexts = {"120"};
    runTempoDialog(ctx);
    EXPECT_EQ(commandLabel(ctx, cmd::Undo), "Undo Tempo 120 bpm");
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined* - bells.ota");
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - Undefined* - bells.ota");
    runCommand(ctx, cmd::StaccatoAll);
    EXPECT_EQ(commandLabel(ctx, cmd::Undo), "Undo ->Staccato");
    const std::string staccatoText = ToneTextBytes(ctx.toneText);

    press("Ctrl+Z");
    EXPECT_EQ(commandLabel(ctx, cmd::Undo), "Undo Tempo 120 bpm");
    EXPECT_EQ(commandLabel(ctx, cmd::Redo), "Redo ->Staccato");
    press("Ctrl+Z");
    EXPECT_EQ(ctx.tune().tempoBpm, 160);
    // Back at the tune as opened: nothing unsaved, and the text says so too.
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");
    EXPECT_EQ(ctx.toneText.toneTextLines[3], "        /*Tempo: 160bpm*/");
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::Undo));

    press("Ctrl+Y");
    press("Ctrl+Shift+Z");
    EXPECT_EQ(ToneTextBytes(ctx.toneText), staccatoText);
    EXPECT_EQ(ctx.tune().tempoBpm, 120);
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::Redo));

    // Saved: no "*" until the next step, and again after undoing it.
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");
    change();
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined* - bells.ota");
    runCommand(ctx, cmd::Undo);
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");
}

// Every action that would drop unsaved changes asks first, with Save where
// saving is an answer; with nothing unsaved nothing is asked.
TEST_F(DocumentCommands, ActionsThatWouldLoseChangesAskFirst)
{
    files.files["/tunes/other.rtx"] = "Other:d=4,o=5,b=120:4e6,";
    struct Action {
        const char* name;
        const char* question; // "title: text"
        bool offersSave;
        std::function<void()> run;
        std::function<bool()> done;
    };
    const Action actions[] = {
        {"New Tune", "New tune: Discard current tune?", true,
         [this] { runCommand(ctx, cmd::NewTune); }, [this] { return ctx.tune().noteCount == 0; }},
        {"Open ringing tone", "Open ringing tone: Discard current tune?", true,
         [this] {
             fileDialogs.answers.push_back(FileChoice{"/tunes/other.rtx", 1});
             runCommand(ctx, cmd::OpenRingingTone);
         },
         [this] { return ctx.tune().toneName == "Other"; }},
        {"a click in Tunes in Ringdata", "Tunes in Ringdata: Discard current tune?", true,
         [this] { clickEntry(2); }, [this] { return ctx.document.origin().catalogueEntry == 2; }},
        {"Revert", "Revert: Discard changes?", false, [this] { runCommand(ctx, cmd::Revert); },
         [this] { return ctx.tune().noteTable[1].pitch == 69; }},
        {"Exit from the menu", "Confirm exit: Ready to quit?", true,
         [this] { runCommand(ctx, cmd::Exit); }, [this] { return ctx.quitRequested; }},
        {"Escape", "Confirm exit: Ready to quit?", true, [this] { press("Esc"); },
         [this] { return ctx.quitRequested; }},
        {"the close box", "Confirm exit: Ready to quit?", true,
         [this] { ctx.quitRequested = confirmClose(ctx); }, [this] { return ctx.quitRequested; }},
    };
    struct Answer {
        const char* name;
        std::optional<MessageAnswer> answer; // nothing: no change to lose
        bool goesOn;
        bool saves;
    };
    const Answer answers[] = {
        {"nothing unsaved", std::nullopt, true, false},
        {"Cancel", MessageAnswer::Cancel, false, false},
        {"Discard", MessageAnswer::Discard, true, false},
        {"OK", MessageAnswer::Ok, true, false},
        {"Save", MessageAnswer::Save, true, true},
    };
    openRingdata();
    for (const Action& a : actions) {
        for (const Answer& ans : answers) {
            const bool okBox = ans.answer == MessageAnswer::Ok;
            const bool saveBox = ans.answer && *ans.answer != MessageAnswer::Cancel && !okBox;
            if (a.offersSave ? okBox : saveBox) continue; // not among its buttons
            SCOPED_TRACE(std::string(a.name) + ", " + ans.name);
            openBells();
            ctx.quitRequested = false;
            if (ans.answer) {
                change();
                messages.answers = {*ans.answer};
            }
            a.run();
            fileDialogs.answers.clear();
            if (ans.answer) {
                ASSERT_EQ(messages.shown.size(), 1u);
                EXPECT_EQ(messages.shown[0].buttons, a.offersSave
                                                         ? MessageButtons::SaveDiscardCancel
                                                         : MessageButtons::OkCancel);
            }
            EXPECT_EQ(takeMessages(), ans.answer ? Strings{a.question} : Strings{});
            EXPECT_EQ(a.done(), ans.goesOn);
            // Saved before it went on: the file holds the change.
            std::string readBack = files.files[kBells];
            auto read = std::make_unique<Tune>();
            ASSERT_TRUE(ImportOta(readBack, *read).ok());
            EXPECT_EQ(read->noteTable[1].pitch, ans.saves ? 100 : 69);
        }
    }
}

// Save asked about a never-saved tune goes through Save as; cancelling it
// cancels what was asked for.
TEST_F(DocumentCommands, SaveOfANewTuneThatIsCancelledKeepsTheTune)
{
    addNote(0, 8, 69);
    change();
    messages.answers = {MessageAnswer::Save};
    runCommand(ctx, cmd::NewTune); // the Save as dialog is cancelled
    EXPECT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_EQ(ctx.tune().noteCount, 1);
    EXPECT_TRUE(ctx.document.isModified());
}

TEST_F(DocumentCommands, SaveAsAsksBeforeReplacingAndSaysWhatAHeaderHolds)
{
    openRingdata();
    clickEntry(2);
    ASSERT_EQ(ctx.tune().toneName, "chime");
    // The dialog starts in the Ringdata.h's folder, named after the tune.
    runCommand(ctx, cmd::SaveAs);
    EXPECT_EQ(fileDialogs.requests.back().initialPath, "/fw/chime");

    files.files["/fw/doorbell.h"] = "old";
    struct Case {
        const char* chosen;
        MessageAnswer answer;
        const char* asks; // "" when nothing is asked
        bool writes;
    };
    const Case cases[] = {
        {"/fw/doorbell.h", MessageAnswer::No, "Save as: doorbell.h already exists. Replace it?",
         false},
        {"/fw/Ringdata.h", MessageAnswer::No,
         "Save as: Ringdata.h already exists and holds 5 tunes; only this one would be left. "
         "Replace it?",
         false},
        {"/fw/doorbell", MessageAnswer::Yes, "Save as: doorbell.h already exists. Replace it?",
         true},
        {"/fw/new.h", MessageAnswer::No, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        std::string written = c.chosen;
        appendExtension(written, ".h");
        const auto there = files.files.find(written);
        const std::string before = there == files.files.end() ? "(none)" : there->second;
        messages.answers = {c.answer};
        saveAs(c.chosen, FileKind::Ringdata);
        const auto shown = messages.shown;
        EXPECT_EQ(takeMessage(), c.asks);
        if (*c.asks) {
            EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
        }
        EXPECT_EQ(files.files[written] != before, c.writes);
        EXPECT_EQ(ctx.document.origin().filePath == written, c.writes);
    }
    // After the save, the next dialog starts beside the file just written.
    runCommand(ctx, cmd::SaveAs);
    EXPECT_EQ(fileDialogs.requests.back().initialPath, "/fw/chime");
}

TEST_F(DocumentCommands, OpenReadsTheKindItsExtensionNames)
{
    files.files[kBells] = bells();
    files.files["/tunes/bells.bin"] = bells();
    // Left on the tone-text filter, an .ota file is still read as OTA.
    openFile(kBells, FileKind::Ringdata);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteCount, 3);
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Ota);
    // A name that says nothing: the filter decides.
    openFile("/tunes/bells.bin", FileKind::Ota);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Ota);
    openFile("/tunes/bells.bin", FileKind::Rtx);
    EXPECT_THAT(takeMessage(), HasSubstr("Not valid rtx file"));
}

// Saved as "Doorbell"/"DRBL", a tune opens again so named; every tune of
// the example Ringdata.h writes back under its own definition name.
TEST_F(DocumentCommands, NamesSurviveARoundTrip)
{
    addNote(0, 8, 72);
    dialogs.settingsRuns.push_back({{[](SettingsFields& f) {
        f.toneName = "Doorbell";
        f.toneId = "drbl";
    }}});
    runCommand(ctx, cmd::Settings);
    saveAs("/t/doorbell", FileKind::Ringdata);
    messages.answers = {MessageAnswer::Discard};
    runCommand(ctx, cmd::NewTune);
    openFile("/t/doorbell.h", FileKind::Ringdata);
    EXPECT_EQ(ctx.tune().toneName, "Doorbell");
    EXPECT_EQ(ctx.tune().toneId, "DRBL");
    EXPECT_EQ(takeMessage(), "");

    openRingdata();
    for (int entry = 1; entry <= 5; ++entry) {
        SCOPED_TRACE(entry);
        clickEntry(entry);
        const std::string name = ctx.catalogue.entries[static_cast<std::size_t>(entry)].name;
        const std::string file = "/out/" + std::to_string(entry) + ".h";
        saveAs(file, FileKind::Ringdata);
        EXPECT_THAT(files.files[file], HasSubstr("static TONE " + name + " =\n"));
    }
}

TEST_F(DocumentCommands, NotesTheToneTextCannotNameAreAQuestionBeforeSaving)
{
    // Middle C at 0, 500 and 1000 ms.
    setUpTune([](Tune& t) {
        for (int i = 0; i < 3; ++i)
            test::setSpan(t, t.noteTable[++t.noteCount] = {}, 500.0f * i / t.msPerUnit, 8).pitch =
                60;
    });
    const std::string says = "Save: \"/t/low.h\": 3 notes lie below A, the lowest note the tone "
                             "text names: at 0 ms, 500 ms and 1000 ms. Transpose them, or save "
                             "in another format.";
    messages.answers = {MessageAnswer::Cancel};
    saveAs("/t/low.h", FileKind::Ringdata);
    EXPECT_EQ(takeMessage(), says);
    EXPECT_FALSE(files.files.count("/t/low.h"));
    EXPECT_TRUE(ctx.document.origin().filePath.empty());
    saveAs("/t/low.h", FileKind::Ringdata);
    EXPECT_EQ(takeMessage(), says);
    EXPECT_TRUE(files.files.count("/t/low.h"));
    // Other kinds name these notes.
    saveAs("/t/low.rtx", FileKind::Rtx);
    EXPECT_EQ(takeMessage(), "");

    // Transposed an octave up they all have names.
    runCommand(ctx, cmd::OctaveUp);
    EXPECT_EQ(commandLabel(ctx, cmd::Undo), "Undo Transpose octave up");
    saveAs("/t/high.h", FileKind::Ringdata);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_THAT(files.files["/t/high.h"], HasSubstr("TONE(AUD_NOTE_C, TONE_TIME_IN_MS(375))"));
}

TEST_F(DocumentCommands, TransposeMovesTheSelectionOrTheWholeTuneByOneStep)
{
    for (int i = 0; i < 3; ++i)
        addNote(8.0f * static_cast<float>(i), 8, 80 + i);
    struct Case {
        int command;
        bool selectSecond;
        std::vector<int> pitches;
        const char* says;
    };
    const Case cases[] = {
        {cmd::SemitoneUp, false, {81, 82, 83}, ""},
        {cmd::SemitoneDown, true, {81, 81, 83}, ""},
        {cmd::OctaveDown, false, {69, 69, 71}, ""},
        {cmd::OctaveUp, true, {69, 81, 71}, ""},
        {cmd::OctaveUp, false, {81, 93, 83}, ""},
        {cmd::OctaveUp, false, {93, 105, 95}, ""},
        {cmd::OctaveUp,
         false,
         {93, 105, 95},
         "Error!: 1 note would go above the highest pitch, 108. Nothing was transposed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ctx.document.change("Select", [&c](Tune& t) {
            ClearSelection(t);
            if (c.selectSecond) {
                t.noteTable[2].selected = 1;
                t.selectionMode = 2;
            }
        });
        runCommand(ctx, c.command);
        EXPECT_EQ(takeMessage(), c.says);
        std::vector<int> pitches;
        for (int i = 1; i <= ctx.tune().noteCount; ++i)
            pitches.push_back(ctx.tune().noteTable[i].pitch);
        EXPECT_EQ(pitches, c.pitches);
    }
    // Each was one step.
    int steps = 0;
    while (ctx.document.canUndo()) {
        runCommand(ctx, cmd::Undo);
        ++steps;
    }
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(ctx.tune().noteTable[3].pitch, 82);
}

} // namespace
} // namespace qte
