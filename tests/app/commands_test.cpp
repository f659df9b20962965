#include "app/commands.h"

#include "app/dialog_commands.h"
#include "editor_fixture.h"
#include "formats/ota.h"

#include <gmock/gmock.h>

namespace qte {
namespace {

using testing::HasSubstr;
using Strings = std::vector<std::string>;

class Commands : public test::EditorFixture {
protected:
    Commands() { start(); }

    // An OTA file of three quarter notes from A4 up; the tune stays empty.
    std::string otaFile()
    {
        auto t = std::make_unique<Tune>();
        for (int i = 0; i < 3; ++i)
            test::setSpan(*t, t->noteTable[++t->noteCount] = {}, 8.0f * i, 8).pitch = 69 + i;
        ExportResult r = ExportOta(*t);
        EXPECT_TRUE(r.ok()) << r.error;
        return r.bytes;
    }

    static auto nameAndId(std::string name, std::string id)
    {
        return [name, id](SettingsFields& f) {
            f.toneName = name;
            f.toneId = id;
        };
    }
};

TEST_F(Commands, NewTuneAsksOnlyWhenThereIsSomethingToLose)
{
    // Nothing unsaved, even with notes: straight to the Settings dialog.
    files.files[kStart / "config.cfg"] = "";
    addNote(0, 8, 69);
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(takeMessage(), "");
    ASSERT_EQ(dialogs.settingsShown.size(), 1u);
    EXPECT_EQ(ctx.tune().noteCount, 0);

    // The name it was given is no change to lose.
    dialogs.settingsRuns.push_back({{nameAndId("Bell", "BELL")}});
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.tune().toneName, "Bell");
    EXPECT_FALSE(ctx.document.isModified());
    EXPECT_FALSE(ctx.document.canUndo());

    // A change: Cancel keeps everything.
    ctx.document.change("Draw note", [](Tune& t) {
        test::setSpan(t, t.noteTable[++t.noteCount] = {}, 0, 8).pitch = 69;
    });
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::NewTune);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::SaveDiscardCancel);
    EXPECT_EQ(takeMessage(), "New tune: Discard current tune?");
    EXPECT_EQ(ctx.tune().noteCount, 1);
    EXPECT_EQ(dialogs.settingsShown.size(), 2u);

    // Discard clears it and opens the dialog on the cleared name.
    messages.answers = {MessageAnswer::Discard};
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.tune().noteCount, 0);
    ASSERT_EQ(dialogs.settingsShown.size(), 3u);
    EXPECT_EQ(dialogs.settingsShown[2].toneName, "Undefined");
    EXPECT_EQ(takeMessage(), "New tune: Discard current tune?");

    // A config.cfg gone since the start is said to be missing, once.
    files.files.erase(kStart / "config.cfg");
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(takeMessage(),
              "Warning: No config.cfg in /start: the tone text uses built-in defaults");
    EXPECT_EQ(dialogs.settingsShown.size(), 4u) << "the new tune goes on";
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(dialogs.settingsShown.size(), 5u);
}

TEST_F(Commands, SettingsTakeFieldsAndRefuseAMissingId)
{
    const auto longNameNoId = [](SettingsFields& f) {
        f.toneName = "A very long tone name indeed";
        f.toneId = "";
        f.drawKeys = false;
    };
    dialogs.settingsRuns.push_back({{longNameNoId, nameAndId("Tone", "ab12xyz")}});
    EXPECT_EQ(runSettingsDialog(ctx), DialogResult::Ok);
    EXPECT_EQ(takeMessage(), "Missing data: You must specify Tone name and Tone ID");
    EXPECT_EQ(ctx.tune().toneName, "Tone");
    EXPECT_EQ(ctx.tune().toneId, "AB12");
    // The second OK started again from the fields shown.
    EXPECT_EQ(ctx.settings.drawKeys, 1);
    // A new name is a change not yet saved.
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Tone*");

    // A refused OK followed by Cancel keeps the old name and ID; the check
    // boxes were taken at once.
    dialogs.settingsRuns.push_back({{longNameNoId}});
    EXPECT_EQ(runSettingsDialog(ctx), DialogResult::Cancel);
    EXPECT_EQ(takeMessage(), "Missing data: You must specify Tone name and Tone ID");
    EXPECT_EQ(ctx.tune().toneName, "Tone");
    EXPECT_EQ(ctx.tune().toneId, "AB12");
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Tone*");
    EXPECT_EQ(ctx.settings.drawKeys, 0);
    EXPECT_EQ(ctx.matrixView.keyStripWidth, 0);

    // A name alone is refused as well, and the 19-character cut still applies.
    const auto longNameAndId = [](SettingsFields& f) {
        f.toneName = "A very long tone name indeed";
        f.toneId = "ring";
    };
    dialogs.settingsRuns.push_back({{nameAndId("", "NEW1"), longNameAndId}});
    EXPECT_EQ(runSettingsDialog(ctx), DialogResult::Ok);
    EXPECT_EQ(takeMessage(), "Missing data: You must specify Tone name and Tone ID");
    EXPECT_EQ(ctx.tune().toneName, "A very long tone na");
    EXPECT_EQ(ctx.tune().toneId, "RING");
}

TEST_F(Commands, OpenRingingToneReplacesTheTuneAndRemembersThePath)
{
    files.files["/tunes/bells.ota"] = otaFile();
    ctx.settings.addDefaultParts = 1;
    openFile("/tunes/bells.ota", FileKind::Ota);
    ASSERT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteCount, 3);
    EXPECT_EQ(ctx.tune().noteTable[2].pitch, 70);
    EXPECT_EQ(ctx.document.origin().filePath, "/tunes/bells.ota");
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Ota);
    EXPECT_EQ(ctx.document.origin().sourceName, "bells.ota");
    EXPECT_FALSE(isCommandChecked(ctx, cmd::AddDefaultParts));
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - Undefined - bells.ota");
    EXPECT_GT(mainWindow.erasingInvalidations, 0);
    const auto& filter = fileDialogs.requests.at(0).filters.at(
        static_cast<std::size_t>(kindIndex(openableKinds(), FileKind::Ota) - 1));
    EXPECT_EQ(filter.name + " " + filter.pattern, "OTA files *.ota");

    // The next dialog starts with the last chosen path; Cancel changes nothing.
    const int erased = mainWindow.erasingInvalidations;
    runCommand(ctx, cmd::OpenRingingTone);
    EXPECT_EQ(fileDialogs.requests[1].initialPath, "/tunes/bells.ota");
    EXPECT_EQ(ctx.tune().noteCount, 3);
    EXPECT_EQ(mainWindow.erasingInvalidations, erased + 1);
}

TEST_F(Commands, OpenRingdataFillsTheCatalogueAndKeepsTheTune)
{
    addNote(0, 8, 60);
    files.files["/fw/Ringdata.h"] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
    fileDialogs.answers.push_back(FileChoice{"/fw/Ringdata.h", 1});
    runCommand(ctx, cmd::OpenRingdata);
    const auto& filters = fileDialogs.requests.at(0).filters;
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].name + " " + filters[0].pattern, "Ringdata.h files *.h");
    EXPECT_EQ(ctx.catalogue.tuneCount, 5);
    EXPECT_EQ(ctx.ringdataPath, "/fw/Ringdata.h");
    EXPECT_EQ(catalogueWindow.caption(), "Tones in Ringdata.h");
    EXPECT_EQ(ctx.tune().noteCount, 1); // the first tune is not loaded

    // A file that is not there leaves the catalogue and its title alone.
    fileDialogs.answers.push_back(FileChoice{"/fw/Other.h", 1});
    runCommand(ctx, cmd::OpenRingdata);
    EXPECT_THAT(takeMessage(), HasSubstr("/fw/Other.h"));
    EXPECT_EQ(ctx.catalogue.tuneCount, 5);
    EXPECT_EQ(catalogueWindow.caption(), "Tones in Ringdata.h");
}

TEST_F(Commands, SaveAsAppendsTheExtensionOnlyWithoutAnyDot)
{
    addNote(0, 8, 69);
    const std::pair<const char*, const char*> cases[] = {{"/out/tone", "/out/tone.ota"},
                                                         {"/out.d/tone", "/out.d/tone"},
                                                         {"/out/tone.bin", "/out/tone.bin"}};
    for (const auto& [chosen, written] : cases) {
        SCOPED_TRACE(chosen);
        files.files.erase(written); // no question about replacing it
        saveAs(chosen, FileKind::Ota);
        EXPECT_EQ(files.files[written], ExportOta(ctx.tune()).bytes);
        EXPECT_EQ(ctx.document.origin().filePath, written);
        EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Ota);
    }
    EXPECT_EQ(fileDialogs.requests.back()
                  .filters[static_cast<std::size_t>(kindIndex(savableKinds(), FileKind::Ota) - 1)]
                  .name,
              "OTA file");
    EXPECT_EQ(takeMessage(), "");

    // Save writes again where Save as did.
    files.files.erase("/out/tone.bin");
    runCommand(ctx, cmd::Save);
    EXPECT_TRUE(files.files.count("/out/tone.bin"));
}

TEST_F(Commands, SaveOfANewTuneIsSaveAsAndWavesAreWritten)
{
    addNote(0, 8, 69);
    saveAs("/out/tone", FileKind::Wave, cmd::Save);
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_TRUE(fileDialogs.requests[0].save);
    EXPECT_EQ(files.files["/out/tone.wav"].substr(0, 4), "RIFF");

    // A WAV file cannot be read back: what is unsaved stays so, but Save
    // writes it again.
    ctx.document.change("Draw note", [](Tune& t) { t.noteTable[1].pitch = 70; });
    files.files.erase("/out/tone.wav");
    runCommand(ctx, cmd::Save);
    EXPECT_TRUE(files.files.count("/out/tone.wav"));
    EXPECT_TRUE(ctx.document.isModified());

    // An empty tone ID asks for the settings first; Cancel gives up.
    setUpTune([](Tune& t) { t.toneId.clear(); });
    runCommand(ctx, cmd::SaveAs);
    EXPECT_EQ(dialogs.settingsShown.size(), 1u);
    EXPECT_EQ(fileDialogs.requests.size(), 1u);

    // A tune with nothing to play makes no WAV file, and says so.
    setUpTune([](Tune& t) {
        t.toneId = "T";
        t.noteCount = 0;
    });
    saveAs("/out/silence.wav", FileKind::Wave);
    EXPECT_THAT(takeMessages(), testing::ElementsAre(HasSubstr("/out/silence.wav")));
    EXPECT_FALSE(files.files.count("/out/silence.wav"));
}

TEST_F(Commands, RevertReloadsAfterAsking)
{
    // Never saved: nothing, not even a question.
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(takeMessage(), "");

    files.files["/tunes/bells.ota"] = otaFile();
    openFile("/tunes/bells.ota", FileKind::Ota);
    ctx.document.change("Edit note", [](Tune& t) { t.noteTable[1].pitch = 100; });
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::Revert);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(takeMessage(), "Revert: Discard changes?");
    EXPECT_EQ(ctx.tune().noteTable[1].pitch, 100);
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(takeMessage(), "Revert: Discard changes?");
    EXPECT_EQ(ctx.tune().noteTable[1].pitch, 69);
    EXPECT_EQ(ctx.tune().noteCount, 3);
    EXPECT_FALSE(ctx.document.isModified());
    EXPECT_FALSE(ctx.document.canUndo()); // the file's history starts again

    // Nothing to lose: read again without a question.
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteCount, 3);

    // A WAV file cannot be read back.
    setUpOrigin([](TuneOrigin& o) { o.fileKind = FileKind::Wave; });
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(takeMessages(), (Strings{"Kind of impossible: Cannot load wav file."}));
    EXPECT_EQ(ctx.tune().noteCount, 3);
}

TEST_F(Commands, ExitAndClosingAskOnlyWithUnsavedChanges)
{
    // Nothing unsaved, even with notes: the close box and Exit go at once.
    addNote(0, 8, 69);
    EXPECT_TRUE(confirmClose(ctx));
    runCommand(ctx, cmd::Exit);
    EXPECT_TRUE(ctx.quitRequested);
    EXPECT_EQ(takeMessage(), "");

    ctx.quitRequested = false;
    ctx.document.change("Draw note", [](Tune& t) { t.noteTable[1].pitch = 70; });
    messages.answers = {MessageAnswer::Cancel, MessageAnswer::Discard, MessageAnswer::Cancel};
    EXPECT_FALSE(confirmClose(ctx));
    EXPECT_TRUE(confirmClose(ctx));
    runCommand(ctx, cmd::Exit);
    EXPECT_FALSE(ctx.quitRequested);
    EXPECT_EQ(takeMessages(), Strings(3, "Confirm exit: Ready to quit?"));
}

TEST_F(Commands, StyleKindViewAndOptionItemsKeepTheirChecks)
{
    runCommand(ctx, cmd::StyleNatural);
    EXPECT_TRUE(isCommandChecked(ctx, cmd::StyleNatural));
    EXPECT_FALSE(isCommandChecked(ctx, cmd::StyleContinuous));
    // Natural thirty-second at 160 bpm: 46.875 - 20 ms.
    EXPECT_FLOAT_EQ(ctx.noteLength.newNoteUnits, (46.875f - 20.0f) / 46.875f);

    runCommand(ctx, cmd::KindSpecial);
    EXPECT_TRUE(isCommandChecked(ctx, cmd::KindSpecial));
    EXPECT_FALSE(isCommandChecked(ctx, cmd::KindNormal));

    runCommand(ctx, cmd::ViewRingdata);
    EXPECT_FALSE(ringdataWindow.isVisible());
    EXPECT_FALSE(isCommandChecked(ctx, cmd::ViewRingdata));
    runCommand(ctx, cmd::ViewRingdata);
    EXPECT_TRUE(ringdataWindow.isVisible());

    runCommand(ctx, cmd::PlayPolitely);
    EXPECT_EQ(ctx.settings.playPolitely, 1);
    runCommand(ctx, cmd::PlayPolitely);
    EXPECT_EQ(ctx.settings.playPolitely, 0);

    runCommand(ctx, cmd::About);
    ASSERT_EQ(dialogs.aboutShown.size(), 1u);
    EXPECT_EQ(dialogs.aboutShown[0].programName, "Quelo Internal Tune Editor");
    EXPECT_EQ(dialogs.aboutShown[0].version, QTE_VERSION);
}

TEST_F(Commands, DeleteAndClipboardCommandsWorkOnTheSelectedNotes)
{
    // Nothing selected: Delete clears all after asking, keeping the name.
    addNote(0, 8, 69);
    setUpTune([](Tune& t) { t.toneName = "Bell"; });
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune().noteCount, 1);
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune().noteCount, 0);
    EXPECT_EQ(ctx.tune().toneName, "Bell");
    EXPECT_EQ(ctx.document.undoName(), "Clear all");
    EXPECT_EQ(takeMessages(), Strings(2, "Confirm delete: Clear all?"));

    addNote(0, 8, 69);
    addNote(8, 8, 71);
    runCommand(ctx, cmd::SelectAll);
    EXPECT_EQ(ctx.tune().selectionMode, 2);
    ctx.keys.ctrlDown = true;
    runCommand(ctx, cmd::Copy);
    EXPECT_EQ(ctx.matrixEdit.clipboardCount, 2);
    EXPECT_FALSE(ctx.keys.ctrlDown);

    // With notes selected Delete removes them without asking.
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune().noteCount, 0);
    EXPECT_EQ(takeMessage(), "");
    runCommand(ctx, cmd::Paste);
    EXPECT_EQ(ctx.tune().selectionMode, 2);
    EXPECT_EQ(ctx.matrixEdit.dragCount, 2);
    runCommand(ctx, cmd::Unselect);
    EXPECT_EQ(ctx.tune().selectionMode, 0);
}

TEST_F(Commands, DigitKeysChooseTheNoteLength)
{
    struct Step {
        int key, index, modifier;
        float units;
    };
    const Step steps[] = {
        {4, 4, 0, 8.0f},  {7, 4, 1, 12.0f}, {7, 4, 0, 8.0f},  {9, 4, 3, 8.0f * 0.67f},
        {8, 4, 2, 14.0f}, {6, 6, 2, 56.0f}, {0, 6, 0, 32.0f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        const int before = mainWindow.invalidations;
        pressKey(std::to_string(s.key));
        EXPECT_EQ(ctx.noteLength.noteLengthIndex, s.index);
        EXPECT_EQ(ctx.noteLength.noteLengthModifier, s.modifier);
        EXPECT_FLOAT_EQ(ctx.noteLength.newNoteUnits, s.units);
        EXPECT_GT(mainWindow.invalidations, before);
    }
}

TEST_F(Commands, ShiftEndCentresTheLastNote)
{
    for (int i = 0; i < 40; ++i)
        addNote(i * 16, 8, 69);
    pressKey("End"); // End alone: nothing
    EXPECT_EQ(ctx.matrixView.scrollUnits, 0);
    repaintMatrix(ctx);
    for (const char* key : {"Shift+End", "Ctrl+End"}) {
        SCOPED_TRACE(key);
        pressKey(key);
        EXPECT_EQ(ctx.matrixView.scrollUnits, 39 * 16 - ctx.matrixView.visibleUnits / 2);
        EXPECT_EQ(matrixWindow.scrollBar(ScrollBar::Horizontal).position,
                  ctx.matrixView.scrollUnits);
        pressKey("Home");
        EXPECT_EQ(ctx.matrixView.scrollUnits, 0);
    }
}

} // namespace
} // namespace qte
