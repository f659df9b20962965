// MIDI and iMelody files through the File menu: their filters, the choice
// of a line when a MIDI file holds several, Revert reading the same line,
// and Save as writing them.

#include "editor_fixture.h"
#include "formats/imelody.h"
#include "formats/midi_bytes.h"
#include "formats/midi_file.h"

#include <gmock/gmock.h>

namespace qte {
namespace {

using test::MidiTrackBytes;
using testing::HasSubstr;

class MidiImelodyCommands : public test::EditorFixture {
protected:
    MidiImelodyCommands() { start(); }

    // A lead of three notes on track 2, a bass of two on track 3 and drums.
    static std::string songFile()
    {
        MidiTrackBytes tempo;
        tempo.name("Song").tempo(0, 500000);
        MidiTrackBytes lead;
        lead.name("Lead").on(0, 72).off(96, 72).on(0, 74).off(96, 74).on(0, 76).off(96, 76);
        MidiTrackBytes bass;
        bass.name("Bass").on(0, 36, 1).off(192, 36, 1).on(0, 43, 1).off(96, 43, 1);
        MidiTrackBytes drums;
        drums.on(0, 36, 9).off(48, 36, 9).on(0, 36, 9).off(48, 36, 9);
        return test::midiFile(1, 96, {tempo, lead, bass, drums});
    }
};

TEST_F(MidiImelodyCommands, FiltersOfTheNewKinds)
{
    const auto filter = [](FileKind k, bool save) {
        const FileFilter& f = save ? fileKindInfo(k).saveFilter : fileKindInfo(k).openFilter;
        return f.name + " " + f.pattern;
    };
    EXPECT_EQ(filter(FileKind::Midi, false), "MIDI files *.mid *.midi");
    EXPECT_EQ(filter(FileKind::Midi, true), "MIDI file *.mid");
    EXPECT_EQ(filter(FileKind::IMelody, false), "iMelody files *.imy");
    EXPECT_EQ(filter(FileKind::IMelody, true), "iMelody file *.imy");
    // The kinds that were there keep their places in the dialogs.
    EXPECT_EQ(openableKinds(),
              (std::vector<FileKind>{FileKind::Ringdata, FileKind::Ota, FileKind::Rtx,
                                     FileKind::Event, FileKind::Midi, FileKind::IMelody}));
    EXPECT_EQ(savableKinds(), (std::vector<FileKind>{FileKind::Ringdata, FileKind::Ota,
                                                     FileKind::Rtx, FileKind::Event, FileKind::Wave,
                                                     FileKind::Midi, FileKind::IMelody}));
}

TEST_F(MidiImelodyCommands, SeveralLinesAskWhichOneAndRevertReadsItAgain)
{
    files.files["/in/song.mid"] = songFile();
    dialogs.choiceAnswers.push_back(1);
    openFile("/in/song.mid", FileKind::Midi);
    EXPECT_EQ(takeMessage(), "");
    ASSERT_EQ(dialogs.choicesShown.size(), 1u);
    const auto& shown = dialogs.choicesShown[0];
    EXPECT_EQ(shown.title, "Open MIDI file");
    EXPECT_EQ(shown.prompt, "\"song.mid\" holds 2 melody lines. Which one should be opened?");
    EXPECT_EQ(shown.items, (std::vector<std::string>{"track 2, channel 1 (\"Lead\", 3 notes)",
                                                     "track 3, channel 2 (\"Bass\", 2 notes)"}));
    EXPECT_EQ(shown.initial, 0);
    EXPECT_EQ(ctx.tune().noteCount, 2);
    EXPECT_EQ(ctx.tune().noteTable[1].pitch, 36);
    EXPECT_EQ(ctx.tune().toneName, "Bass");
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::Midi);
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Bass - song.mid");

    // Revert reads the bass again, without asking.
    ctx.document.change("Edit note", [](Tune& t) { t.noteTable[1].pitch = 100; });
    runCommand(ctx, cmd::Revert);
    EXPECT_EQ(takeMessage(), "Revert: Discard changes?");
    EXPECT_EQ(dialogs.choicesShown.size(), 1u);
    EXPECT_EQ(ctx.tune().noteTable[1].pitch, 36);

    // Cancel in the choice leaves everything as it was, and says nothing.
    const Tune before = ctx.tune();
    openFile("/in/song.mid", FileKind::Midi);
    EXPECT_EQ(dialogs.choicesShown.size(), 2u);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteTable[1].pitch, before.noteTable[1].pitch);
    EXPECT_EQ(ctx.tune().toneName, "Bass");
    EXPECT_EQ(ctx.document.origin().filePath, "/in/song.mid");
}

TEST_F(MidiImelodyCommands, OneLineOpensAtOnceAndABrokenFileSaysWhy)
{
    files.files["/in/one.midi"] =
        test::midiFile(0, 96, {MidiTrackBytes().name("One").on(0, 69).off(96, 69)});
    openFile("/in/one.midi", FileKind::Midi);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_TRUE(dialogs.choicesShown.empty());
    EXPECT_EQ(ctx.tune().noteCount, 1);
    EXPECT_EQ(ctx.tune().toneName, "One");

    files.files["/in/broken.mid"] = files.files["/in/one.midi"].substr(0, 30);
    openFile("/in/broken.mid", FileKind::Midi);
    EXPECT_EQ(takeMessage(), "Error!: Cannot open \"/in/broken.mid\": The chunk at byte 14 "
                             "announces 19 bytes, but only 8 follow.");
    EXPECT_TRUE(dialogs.choicesShown.empty());
    EXPECT_EQ(ctx.tune().toneName, "One");
    EXPECT_EQ(ctx.document.origin().filePath, "/in/one.midi");
}

TEST_F(MidiImelodyCommands, OpenAndSaveIMelody)
{
    files.files["/in/ring.imy"] = "BEGIN:IMELODY\r\nNAME:Ring\r\nBEAT:120\r\nSTYLE:S1\r\n"
                                  "MELODY:c2(vibeond2@2)e2\r\nEND:IMELODY\r\n";
    openFile("/in/ring.imy", FileKind::IMelody);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteCount, 3);
    EXPECT_EQ(ctx.tune().vibraCount, 1);
    EXPECT_EQ(ctx.tune().repeatCount, 1);
    EXPECT_EQ(ctx.tune().toneName, "Ring");

    saveAs("/out/ring", FileKind::IMelody);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(files.files["/out/ring.imy"], ExportIMelody(ctx.tune()).bytes);
    EXPECT_EQ(ctx.document.origin().fileKind, FileKind::IMelody);

    // As MIDI the vibra segment is reported once, and the file is written.
    saveAs("/out/ring", FileKind::Midi);
    EXPECT_THAT(takeMessage(), HasSubstr("1 vibra segment has no meaning in a MIDI file"));
    EXPECT_EQ(files.files["/out/ring.mid"], ExportMidi(ctx.tune()).bytes);
    runCommand(ctx, cmd::Save);
    EXPECT_THAT(takeMessage(), HasSubstr("vibra segment"));
}

} // namespace
} // namespace qte
