// The tone text in the running editor: shaped by config.cfg, rebuilt after
// changes, and opened and saved as a tone file like the other kinds.

#include "app/commands.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "editor_fixture.h"
#include "support/testsupport.h"
#include "tune/ringdata_file.h"

namespace qte {
namespace {

class ToneTextCommands : public test::EditorFixture {
protected:
    ToneTextCommands()
    {
        files.files[kStart / "config.cfg"] = test::readFileOrDie(test::resourcePath("config.cfg"));
        start();
    }
    [[nodiscard]] std::string text() const { return ToneTextBytes(ctx.toneText); }

    static int index(const std::vector<FileKind>& kinds, FileKind k)
    {
        return static_cast<int>(std::find(kinds.begin(), kinds.end(), k) - kinds.begin()) + 1;
    }
};

TEST_F(ToneTextCommands, HeaderFollowsTheNameAfterSettingsAndNewTune)
{
    EXPECT_EQ(ctx.toneText.toneTextLines[0], "/* Undefined (UNDF) */\n");
    EXPECT_EQ(ctx.toneText.toneTextLines[1], "static TONE tone_undefined[] =\n");
    // Write tempo is on by default.
    EXPECT_EQ(ctx.toneText.toneTextLines[3], "        /*Tempo: 160bpm*/");

    dialogs.settingsRuns.push_back({{[](SettingsFields& f) {
        f.toneName = "Bell";
        f.toneId = "bel1";
        f.writeTempo = false;
    }}});
    runCommand(ctx, cmd::Settings);
    EXPECT_EQ(text(), "/* Bell (BEL1) */\n"
                      "static TONE tone_bell[] =\n"
                      "{\n"
                      "        \n"
                      "};\n");

    // New Tune goes back to the reset name before the dialog opens; with
    // the dialog cancelled the header says so.
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.toneText.toneTextLines[0], "/* Undefined (UNDF) */\n");

    // Edits show up in the text; the default parts follow their option.
    addNote(0, 8, 72);
    runCommand(ctx, cmd::AddDefaultParts);
    EXPECT_NE(text().find("        TONE(AUD_NOTE_C, TONE_TIME_IN_MS(375))\n"), std::string::npos);
    EXPECT_NE(text().find("        VOLUME_SET(AUD_VOLUME_RING),\n"), std::string::npos);
}

TEST_F(ToneTextCommands, ToneFilesOpenAndSaveAndOtherKindsConvert)
{
    files.files["/tunes/one.h"] = test::readFileOrDie(test::resourcePath("examples/single_tone.h"));
    const auto openKinds = openableKinds();
    fileDialogs.answers.push_back(FileChoice{"/tunes/one.h", index(openKinds, FileKind::Ringdata)});
    runCommand(ctx, cmd::OpenRingingTone);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    ASSERT_GT(ctx.tune.noteCount, 0);
    EXPECT_EQ(ctx.tune.currentFileKind, static_cast<int>(FileKind::Ringdata));
    const Tune opened = ctx.tune;

    // Saved as RTX, EVT and a tone file, each reads back to the same notes.
    const auto saveKinds = savableKinds();
    for (const auto& [path, kind] :
         {std::pair{"/out/a.rtx", FileKind::Rtx}, std::pair{"/out/a.evt", FileKind::Event},
          std::pair{"/out/a.h", FileKind::Ringdata}}) {
        SCOPED_TRACE(path);
        fileDialogs.answers.push_back(FileChoice{path, index(saveKinds, kind)});
        runCommand(ctx, cmd::SaveAs);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_TRUE(files.files.count(path));
        fileDialogs.answers.push_back(FileChoice{path, index(openKinds, kind)});
        runCommand(ctx, cmd::OpenRingingTone);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_EQ(ctx.tune.noteCount, opened.noteCount);
        for (int i = 1; i <= opened.noteCount; ++i)
            EXPECT_EQ(ctx.tune.noteTable[i].pitch, opened.noteTable[i].pitch) << i;
    }
    EXPECT_EQ(files.files["/out/a.h"], text());
}

TEST_F(ToneTextCommands, ATextTooLongToSaveIsReportedOnceAndNotWritten)
{
    for (int i = 0; i < kMaxNotes; ++i)
        addNote(2 * i + 1, 1, 72);
    runCommand(ctx, cmd::Settings); // cancelled: regenerates nothing
    regenerateToneText(ctx);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("1000 lines"), std::string::npos);
    regenerateToneText(ctx);
    EXPECT_EQ(messages.shown.size(), 1u); // the same cut is not reported again

    messages.shown.clear();
    fileDialogs.answers.push_back(
        FileChoice{"/out/long.h", index(savableKinds(), FileKind::Ringdata)});
    runCommand(ctx, cmd::SaveAs);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/out/long.h"), std::string::npos);
    EXPECT_FALSE(files.files.count("/out/long.h"));
}

TEST_F(ToneTextCommands, AToneFileWithABadLineKeepsWhatCameBeforeIt)
{
    addNote(0, 8, 72);
    addNote(8, 8, 74);
    files.files["/tunes/bad.h"] = "static TONE t[] =\n{\n  TONE(AUD_NOTE_C, TONE_TIME_IN_MS(5))\n"
                                  "  TONE(AUD_NOTE_C, TONE_TIME_IN_MS 5)\n};\n";
    fileDialogs.answers.push_back(
        FileChoice{"/tunes/bad.h", index(openableKinds(), FileKind::Ringdata)});
    runCommand(ctx, cmd::OpenRingingTone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/tunes/bad.h"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find("Line 4"), std::string::npos) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].title, "Error!");
    EXPECT_EQ(ctx.tune.noteCount, 1);
    EXPECT_EQ(ctx.tune.noteTable[1].durationMs, 5);
    EXPECT_EQ(ctx.tune.currentFilePath, "/tunes/bad.h");

    // A file that cannot be read at all leaves the tune alone.
    messages.shown.clear();
    fileDialogs.answers.push_back(
        FileChoice{"/tunes/missing.h", index(openableKinds(), FileKind::Ringdata)});
    runCommand(ctx, cmd::OpenRingingTone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("/tunes/missing.h"), std::string::npos);
    EXPECT_EQ(ctx.tune.currentFilePath, "/tunes/bad.h");
    EXPECT_EQ(ctx.tune.noteCount, 1);
}


TEST_F(ToneTextCommands, WarningsOfAnOpenNameTheFile)
{
    using namespace std::string_literals;
    files.files["/tunes/nul.h"] =
        "static TONE t[] =\n{\n  TONE(AUD_NOTE_C, TONE_TIME_IN_MS(5))\0\n};\n"s;
    fileDialogs.answers.push_back(
        FileChoice{"/tunes/nul.h", index(openableKinds(), FileKind::Ringdata)});
    runCommand(ctx, cmd::OpenRingingTone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Warning");
    EXPECT_EQ(messages.shown[0].text.rfind("\"/tunes/nul.h\":\n", 0), 0u) << messages.shown[0].text;
    EXPECT_EQ(ctx.tune.noteCount, 1);
}

} // namespace
} // namespace qte
