#include "app/commands.h"

#include "app/dialog_commands.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "editor_fixture.h"
#include "formats/ota.h"
#include "support/testsupport.h"

#include <algorithm>

namespace qte {
namespace {

using test::EditorFixture;

class Commands : public EditorFixture {
protected:
    Commands() { start(); }

    // The filter index under which a kind is offered.
    static int openIndex(FileKind k)
    {
        const auto kinds = openableKinds();
        return static_cast<int>(std::find(kinds.begin(), kinds.end(), k) - kinds.begin()) + 1;
    }
    static int saveIndex(FileKind k)
    {
        const auto kinds = savableKinds();
        return static_cast<int>(std::find(kinds.begin(), kinds.end(), k) - kinds.begin()) + 1;
    }

    // An OTA file of three quarter notes.
    std::string otaFile()
    {
        Tune t;
        for (int i = 0; i < 3; ++i) {
            NoteRecord& n = t.noteTable[++t.noteCount];
            n.startUnits = 8.0f * i;
            n.endUnits = n.startUnits + 8.0f;
            n.durationUnits = 8.0f;
            n.startMs = unitsToMs(n.startUnits, t.msPerUnit);
            n.endMs = unitsToMs(n.endUnits, t.msPerUnit);
            n.durationMs = n.endMs - n.startMs;
            n.pitch = 69 + i;
        }
        ExportResult r = ExportOta(t);
        EXPECT_TRUE(r.ok()) << r.error;
        return r.bytes;
    }

    void openOta(const std::string& path)
    {
        fileDialogs.answers.push_back(FileChoice{path, openIndex(FileKind::Ota)});
        runCommand(ctx, cmd::OpenRingingTone);
    }

    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (const auto& m : messages.shown) out.push_back(m.title);
        return out;
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
    // Empty tune: straight to the Settings dialog.
    dialogs.settingsRuns.push_back({{nameAndId("Bell", "bel1")}});
    runCommand(ctx, cmd::NewTune);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.settingsShown.size(), 1u);
    EXPECT_EQ(dialogs.settingsShown[0].toneName, "Undefined");
    EXPECT_EQ(ctx.tune.toneName, "Bell");
    EXPECT_EQ(ctx.tune.toneId, "BEL1");
    EXPECT_EQ(ctx.tune.currentFileKind, 0);
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Bell");

    // With a note, Cancel keeps everything.
    addNote(0, 8, 69);
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::NewTune);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Discard current tune?");
    EXPECT_EQ(messages.shown[0].title, "New tune");
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ctx.tune.noteCount, 1);
    EXPECT_EQ(dialogs.settingsShown.size(), 1u);

    // OK clears it and opens the dialog on the cleared name.
    messages.answers = {MessageAnswer::Ok};
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.tune.noteCount, 0);
    ASSERT_EQ(dialogs.settingsShown.size(), 2u);
    EXPECT_EQ(dialogs.settingsShown[1].toneName, "Undefined");
}

TEST_F(Commands, SettingsTakeFieldsAndRefuseAMissingId)
{
    dialogs.settingsRuns.push_back({{
        [](SettingsFields& f) {
            f.toneName = "A very long tone name indeed";
            f.toneId = "";
            f.drawKeys = false;
            f.keepNaturalNotes = true;
        },
        nameAndId("Tone", "ab12xyz"),
    }});
    EXPECT_EQ(runSettingsDialog(ctx), DialogResult::Ok);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You must specify Tone name and Tone ID");
    EXPECT_EQ(messages.shown[0].title, "Missing data");
    EXPECT_EQ(ctx.tune.toneName, "Tone");
    EXPECT_EQ(ctx.tune.toneId, "AB12");
    // The second OK started again from the fields shown.
    EXPECT_EQ(ctx.settings.drawKeys, 1);

    // A refused OK followed by Cancel keeps what the refused OK took.
    dialogs.settingsRuns.push_back({{[](SettingsFields& f) {
        f.toneName = "A very long tone name indeed";
        f.toneId = "";
        f.drawKeys = false;
    }}});
    EXPECT_EQ(runSettingsDialog(ctx), DialogResult::Cancel);
    EXPECT_EQ(ctx.tune.toneName, "A very long tone na"); // 19 characters
    EXPECT_EQ(ctx.tune.toneId, "");
    EXPECT_EQ(ctx.settings.drawKeys, 0);
    EXPECT_EQ(ctx.matrixView.keyStripWidth, 0);
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - A very long tone na");
}

TEST_F(Commands, OpenRingingToneReplacesTheTuneAndRemembersThePath)
{
    files.files["/tunes/bells.ota"] = otaFile();
    ctx.settings.addDefaultParts = 1;
    openOta("/tunes/bells.ota");
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    EXPECT_EQ(ctx.tune.noteCount, 3);
    EXPECT_EQ(ctx.tune.noteTable[2].pitch, 70);
    EXPECT_EQ(ctx.tune.currentFilePath, "/tunes/bells.ota");
    EXPECT_EQ(ctx.tune.currentFileKind, static_cast<int>(FileKind::Ota));
    EXPECT_EQ(ctx.tune.tuneSourceName, "bells.ota");
    EXPECT_EQ(ctx.settings.addDefaultParts, 0);
    EXPECT_FALSE(isCommandChecked(ctx, cmd::AddDefaultParts));
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined - bells.ota");
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - Undefined - bells.ota");
    EXPECT_GT(mainWindow.erasingInvalidations, 0);

    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    const auto& filters = fileDialogs.requests[0].filters;
    ASSERT_GE(filters.size(), 1u);
    EXPECT_EQ(filters[static_cast<std::size_t>(openIndex(FileKind::Ota) - 1)].name, "OTA files");
    EXPECT_EQ(filters[static_cast<std::size_t>(openIndex(FileKind::Ota) - 1)].pattern, "*.ota");

    // The next dialog starts with the last chosen path; Cancel changes nothing.
    const int erased = mainWindow.erasingInvalidations;
    runCommand(ctx, cmd::OpenRingingTone);
    EXPECT_EQ(fileDialogs.requests[1].initialPath, "/tunes/bells.ota");
    EXPECT_EQ(ctx.tune.noteCount, 3);
    EXPECT_EQ(mainWindow.erasingInvalidations, erased + 1);
}

TEST_F(Commands, OpenRingdataFillsTheCatalogueAndKeepsTheTune)
{
    addNote(0, 8, 60);
    files.files["/fw/Ringdata.h"] = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
    fileDialogs.answers.push_back(FileChoice{"/fw/Ringdata.h", 1});
    runCommand(ctx, cmd::OpenRingdata);
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    ASSERT_EQ(fileDialogs.requests[0].filters.size(), 1u);
    EXPECT_EQ(fileDialogs.requests[0].filters[0].name, "Ringdata.h files");
    EXPECT_EQ(fileDialogs.requests[0].filters[0].pattern, "*.h");
    EXPECT_GT(ctx.catalogue.tuneCount, 1);
    EXPECT_EQ(ctx.catalogue.entries[1].name, "tone_morning[]");
    EXPECT_EQ(ctx.ringdataPath, "/fw/Ringdata.h");
    EXPECT_EQ(catalogueWindow.caption(), "Tones in Ringdata.h");
    EXPECT_EQ(ctx.tune.noteCount, 1); // the first tune is not loaded

    // A file that is not there leaves the catalogue and its title alone.
    const int count = ctx.catalogue.tuneCount;
    fileDialogs.answers.push_back(FileChoice{"/fw/Other.h", 1});
    runCommand(ctx, cmd::OpenRingdata);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/fw/Other.h"), std::string::npos);
    EXPECT_EQ(ctx.catalogue.tuneCount, count);
    EXPECT_EQ(catalogueWindow.caption(), "Tones in Ringdata.h");
}

TEST_F(Commands, AFailedOpenNamesTheFileAndKeepsTheTune)
{
    addNote(0, 8, 60);
    ctx.tune.toneName = "Mine";
    files.files["/tunes/broken.ota"] = std::string("\x02\x4a", 2);
    const char* paths[] = {"/tunes/missing.ota", "/tunes/broken.ota"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        messages.shown.clear();
        openOta(path);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Error!");
        EXPECT_NE(messages.shown[0].text.find(path), std::string::npos) << messages.shown[0].text;
        EXPECT_GT(messages.shown[0].text.size(), std::string(path).size() + 12);
        EXPECT_EQ(ctx.tune.noteCount, 1);
        EXPECT_EQ(ctx.tune.noteTable[1].pitch, 60);
        EXPECT_EQ(ctx.tune.toneName, "Mine");
        EXPECT_EQ(ctx.tune.currentFilePath, "");
    }
}

TEST_F(Commands, SaveAsAppendsTheExtensionOnlyWithoutAnyDot)
{
    addNote(0, 8, 69);
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {{"/out/tone", "/out/tone.ota"},
                          {"/out.d/tone", "/out.d/tone"},
                          {"/out/tone.bin", "/out/tone.bin"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        fileDialogs.answers.push_back(FileChoice{c.chosen, saveIndex(FileKind::Ota)});
        runCommand(ctx, cmd::SaveAs);
        ASSERT_TRUE(files.files.count(c.written));
        EXPECT_EQ(files.files[c.written], ExportOta(ctx.tune).bytes);
        EXPECT_EQ(ctx.tune.currentFilePath, c.written);
        EXPECT_EQ(ctx.tune.currentFileKind, static_cast<int>(FileKind::Ota));
    }
    EXPECT_EQ(fileDialogs.requests.back().filters[static_cast<std::size_t>(saveIndex(FileKind::Ota) - 1)].name,
              "OTA file");
    EXPECT_TRUE(messages.shown.empty());

    // Save writes again where Save as did.
    files.files.erase("/out/tone.bin");
    runCommand(ctx, cmd::Save);
    EXPECT_TRUE(files.files.count("/out/tone.bin"));
}

TEST_F(Commands, SaveOfANewTuneIsSaveAsAndWavesAreWritten)
{
    addNote(0, 8, 69);
    fileDialogs.answers.push_back(FileChoice{"/out/tone", saveIndex(FileKind::Wave)});
    runCommand(ctx, cmd::Save);
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_TRUE(fileDialogs.requests[0].save);
    ASSERT_TRUE(files.files.count("/out/tone.wav"));
    EXPECT_EQ(files.files["/out/tone.wav"].substr(0, 4), "RIFF");

    // An empty tone ID asks for the settings first; Cancel gives up.
    ctx.tune.toneId.clear();
    runCommand(ctx, cmd::SaveAs);
    EXPECT_EQ(dialogs.settingsShown.size(), 1u);
    EXPECT_EQ(fileDialogs.requests.size(), 1u);
}

TEST_F(Commands, AFailedSaveKeepsTheOldFileAndTheTunesFile)
{
    addNote(0, 8, 69);
    files.files["/out/old.ota"] = "old bytes";
    files.failWrites.push_back("/out/old.ota");
    ctx.tune.currentFilePath = "/out/first.ota";
    ctx.tune.currentFileKind = static_cast<int>(FileKind::Ota);
    fileDialogs.answers.push_back(FileChoice{"/out/old.ota", saveIndex(FileKind::Ota)});
    runCommand(ctx, cmd::SaveAs);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/out/old.ota"), std::string::npos);
    EXPECT_EQ(files.files["/out/old.ota"], "old bytes");
    EXPECT_EQ(ctx.tune.currentFilePath, "/out/first.ota");

    // A tune with nothing to play makes no WAV file, and says so.
    messages.shown.clear();
    ctx.tune.noteCount = 0;
    fileDialogs.answers.push_back(FileChoice{"/out/silence.wav", saveIndex(FileKind::Wave)});
    runCommand(ctx, cmd::SaveAs);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/out/silence.wav"), std::string::npos);
    EXPECT_FALSE(files.files.count("/out/silence.wav"));
}

TEST_F(Commands, RevertReloadsAfterAsking)
{
    // Never saved: nothing, not even a question.
    runCommand(ctx, cmd::Revert);
    EXPECT_TRUE(messages.shown.empty());

    files.files["/tunes/bells.ota"] = otaFile();
    openOta("/tunes/bells.ota");
    ctx.tune.noteTable[1].pitch = 100;

    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::Revert);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Discard changes?");
    EXPECT_EQ(messages.shown[0].title, "Revert");
    EXPECT_EQ(ctx.tune.noteTable[1].pitch, 100);

    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(ctx.tune.noteTable[1].pitch, 69);
    EXPECT_EQ(ctx.tune.noteCount, 3);

    // A WAV file cannot be read back.
    messages.shown.clear();
    ctx.tune.currentFileKind = static_cast<int>(FileKind::Wave);
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Revert", "Kind of impossible"}));
    EXPECT_EQ(messages.shown[1].text, "Cannot load wav file.");
    EXPECT_EQ(ctx.tune.noteCount, 3);
}

TEST_F(Commands, ExitAndClosingAskBeforeQuitting)
{
    // The title bar's close box lets an empty tune go without asking.
    EXPECT_TRUE(confirmClose(ctx));
    EXPECT_TRUE(messages.shown.empty());

    addNote(0, 8, 69);
    messages.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(confirmClose(ctx));
    EXPECT_EQ(messages.shown.back().text, "Ready to quit?");
    EXPECT_EQ(messages.shown.back().title, "Confirm exit");
    EXPECT_TRUE(confirmClose(ctx));

    // Exit always asks.
    ctx.tune.noteCount = 0;
    messages.shown.clear();
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::Exit);
    EXPECT_FALSE(ctx.quitRequested);
    runCommand(ctx, cmd::Exit);
    EXPECT_TRUE(ctx.quitRequested);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Confirm exit", "Confirm exit"}));
}

TEST_F(Commands, TempoDialogRefusesTemposThatCannotBePlayed)
{
    addNote(8, 8, 69);
    dialogs.tempoTexts = {"0", "-3", "1000", "fast", "120"};
    runTempoDialog(ctx);
    EXPECT_EQ(dialogs.tempoShown, (std::vector<std::int32_t>{160}));
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0].text, "The tempo must be a number from 1 to 999 bpm.");
    EXPECT_EQ(ctx.tune.tempoBpm, 120);
    // Units stay; milliseconds follow the tempo (8 units at 62.5 ms).
    EXPECT_EQ(ctx.tune.noteTable[1].startMs, 500);
    EXPECT_EQ(ctx.tune.noteTable[1].durationMs, 500);
    EXPECT_FLOAT_EQ(ctx.tune.noteTable[1].startUnits, 8.0f);
}

TEST_F(Commands, StyleKindViewAndOptionItemsKeepTheirChecks)
{
    runCommand(ctx, cmd::StyleNatural);
    EXPECT_TRUE(isCommandChecked(ctx, cmd::StyleNatural));
    EXPECT_FALSE(isCommandChecked(ctx, cmd::StyleContinuous));
    EXPECT_EQ(ctx.settings.styleMode, 1);
    // Natural thirty-second at 160 bpm: 46.875 - 20 ms.
    EXPECT_FLOAT_EQ(ctx.noteLength.newNoteUnits, (46.875f - 20.0f) / 46.875f);

    runCommand(ctx, cmd::KindSpecial);
    EXPECT_EQ(ctx.newNoteKind, 1);
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

    EXPECT_TRUE(isCommandEnabled(ctx, cmd::Play));
    EXPECT_TRUE(isCommandEnabled(ctx, cmd::Save));
}

TEST_F(Commands, DeleteWithNothingSelectedClearsAfterAsking)
{
    addNote(0, 8, 69);
    messages.answers = {MessageAnswer::Cancel};
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune.noteCount, 1);
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune.noteCount, 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Confirm delete", "Confirm delete"}));
    EXPECT_EQ(messages.shown[0].text, "Clear all?");
}

TEST_F(Commands, ClipboardCommandsWorkOnTheSelectedNotes)
{
    addNote(0, 8, 69);
    addNote(8, 8, 71);
    runCommand(ctx, cmd::SelectAll);
    EXPECT_EQ(ctx.tune.selectionMode, 2);
    EXPECT_EQ(ctx.tune.noteTable[2].selected, 1);

    ctx.keys.ctrlDown = true;
    runCommand(ctx, cmd::Copy);
    EXPECT_EQ(ctx.matrixEdit.clipboardCount, 2);
    EXPECT_FALSE(ctx.keys.ctrlDown);

    // With notes selected Delete removes them without asking.
    runCommand(ctx, cmd::Delete);
    EXPECT_EQ(ctx.tune.noteCount, 0);
    EXPECT_TRUE(messages.shown.empty());

    runCommand(ctx, cmd::Paste);
    EXPECT_EQ(ctx.tune.selectionMode, 2);
    EXPECT_EQ(ctx.matrixEdit.dragCount, 2);

    runCommand(ctx, cmd::Unselect);
    EXPECT_EQ(ctx.tune.selectionMode, 0);

    // ->Staccato: a quarter at 160 bpm is 375 ms; a third and a half unit
    // is more than 60 ms, so 60 ms it is.
    ctx.matrixEdit = MatrixEditState{};
    addNote(0, 8, 69);
    runCommand(ctx, cmd::StaccatoAll);
    EXPECT_EQ(ctx.tune.noteTable[1].durationMs, 60);
}

TEST_F(Commands, DigitKeysChooseTheNoteLength)
{
    struct Step {
        int key;
        int index;
        int modifier;
        float units;
    };
    const Step steps[] = {
        {vk::Digit0 + 4, 4, 0, 8.0f},   {vk::Digit0 + 7, 4, 1, 12.0f},
        {vk::Digit0 + 7, 4, 0, 8.0f},   {vk::Digit0 + 9, 4, 3, 8.0f * 0.67f},
        {vk::Digit0 + 8, 4, 2, 14.0f},  {vk::Digit0 + 6, 6, 2, 56.0f},
        {vk::Digit0, 6, 0, 32.0f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        const int before = mainWindow.invalidations;
        keyDown(ctx, s.key);
        EXPECT_EQ(ctx.noteLength.noteLengthIndex, s.index);
        EXPECT_EQ(ctx.noteLength.noteLengthModifier, s.modifier);
        EXPECT_FLOAT_EQ(ctx.noteLength.newNoteUnits, s.units);
        EXPECT_GT(mainWindow.invalidations, before);
    }
}

TEST_F(Commands, ShiftEndCentresTheLastNote)
{
    for (int i = 0; i < 40; ++i) addNote(i * 16, 8, 69);
    keyDown(ctx, vk::End); // End alone: nothing (the table takes it)
    EXPECT_EQ(ctx.matrixView.scrollUnits, 0);
    keyDown(ctx, vk::Shift);
    EXPECT_TRUE(ctx.keys.shiftDown);
    repaintMatrix(ctx);
    keyDown(ctx, vk::End);
    EXPECT_EQ(ctx.matrixView.scrollUnits, 39 * 16 - ctx.matrixView.visibleUnits / 2);
    EXPECT_EQ(matrixWindow.scrollBar(ScrollBar::Horizontal).position, ctx.matrixView.scrollUnits);
    keyDown(ctx, vk::Home);
    EXPECT_EQ(ctx.matrixView.scrollUnits, 0);
    keyUp(ctx, vk::Shift);
    EXPECT_FALSE(ctx.keys.shiftDown);
}

} // namespace
} // namespace qte
