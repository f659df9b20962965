// The tone text in the running editor: shaped by config.cfg, rebuilt after
// changes, and opened and saved as a tone file like the other kinds.

#include "editor_fixture.h"
#include "tune/ringdata_file.h"

#include <gmock/gmock.h>

namespace qte {
namespace {

using testing::HasSubstr;

class ToneTextCommands : public test::EditorFixture {
protected:
    ToneTextCommands() { startWithConfig(); }
    [[nodiscard]] std::string text() const { return ToneTextBytes(ctx.toneText); }
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
    messages.answers = {MessageAnswer::Discard};
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
    openFile("/tunes/one.h", FileKind::Ringdata);
    ASSERT_EQ(takeMessage(), "");
    ASSERT_GT(ctx.tune().noteCount, 0);
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Ringdata);
    const auto opened = std::make_unique<Tune>(ctx.tune());

    // Saved as RTX, EVT and a tone file, each reads back to the same notes.
    for (const auto& [path, kind] :
         {std::pair{"/out/a.rtx", FileKind::Rtx}, std::pair{"/out/a.evt", FileKind::Event},
          std::pair{"/out/a.h", FileKind::Ringdata}}) {
        SCOPED_TRACE(path);
        saveAs(path, kind);
        ASSERT_TRUE(files.files.count(path));
        openFile(path, kind);
        ASSERT_EQ(takeMessage(), "");
        ASSERT_EQ(ctx.tune().noteCount, opened->noteCount);
        for (int i = 1; i <= opened->noteCount; ++i)
            EXPECT_EQ(ctx.tune().noteTable[i].pitch, opened->noteTable[i].pitch) << i;
    }
    EXPECT_EQ(files.files["/out/a.h"], text());
}

TEST_F(ToneTextCommands, ATextTooLongToSaveIsReportedAndNotWritten)
{
    for (int i = 0; i < kMaxNotes; ++i)
        addNote(2 * i + 1, 1, 72);
    regenerateToneText(ctx); // that it comes once is checked in MatrixEvents
    EXPECT_THAT(takeMessages(), testing::ElementsAre(HasSubstr("1000 lines")));

    saveAs("/out/long.h", FileKind::Ringdata);
    EXPECT_THAT(takeMessages(), testing::ElementsAre(HasSubstr("/out/long.h")));
    EXPECT_FALSE(files.files.count("/out/long.h"));
}

// A bad line keeps what came before it; a file that cannot be read at all
// leaves the tune alone; a warning names the file first.
TEST_F(ToneTextCommands, OpeningABrokenToneFileSaysWhereAndKeepsWhatItCan)
{
    using namespace std::string_literals;
    addNote(0, 8, 72);
    addNote(8, 8, 74);
    const std::string head = "static TONE t[] =\n{\n  TONE(AUD_NOTE_C, TONE_TIME_IN_MS(5))";
    files.files["/tunes/bad.h"] = head + "\n  TONE(AUD_NOTE_C, TONE_TIME_IN_MS 5)\n};\n";
    files.files["/tunes/nul.h"] = head + "\0\n};\n"s;
    struct Case {
        const char* path;
        const char* starts; // the box, title and the start of its text
        const char* mentions;
        const char* pathAfter;
    };
    const Case cases[] = {
        {"/tunes/bad.h", "Error!: ", "Line 4", "/tunes/bad.h"},
        {"/tunes/missing.h", "Error!: ", "/tunes/missing.h", "/tunes/bad.h"},
        {"/tunes/nul.h", "Warning: \"/tunes/nul.h\":\n", "", "/tunes/nul.h"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        openFile(c.path, FileKind::Ringdata);
        const auto shown = takeMessages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind(c.starts, 0), 0u) << shown[0];
        EXPECT_THAT(shown[0], HasSubstr(c.path));
        EXPECT_THAT(shown[0], HasSubstr(c.mentions));
        EXPECT_EQ(ctx.tune().noteCount, 1);
        EXPECT_EQ(ctx.tune().noteTable[1].durationMs, 5);
        EXPECT_EQ(ctx.document.origin().filePath, c.pathAfter);
    }
}

} // namespace
} // namespace qte
