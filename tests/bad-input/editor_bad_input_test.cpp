// The editor's File menu on broken, huge and odd files, with the real file
// system behind it: a file that cannot be used is named in an error box and
// leaves the tune in memory as it was; a file read in part replaces the
// tune with what was read and says what was left out; a save that fails
// leaves the file that was there byte for byte.

#include "app/commands.h"
#include "app/editor_context.h"
#include "app/editor_fixture.h"
#include "app/file_commands.h"
#include "app/startup.h"
#include "app/tune_windows.h"
#include "bad-input/bad_files.h"
#include "formats/file_kinds.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "support/testsupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

namespace qte {
namespace {

using test::badFiles;
using ::testing::HasSubstr;
using enum FileKind;

// An editor on fake windows and dialogs, reading and writing real files,
// started in the folder of the bad files (which holds our config.cfg and
// midihz.ini).
class DiskEditorTest : public test::EditorFixtureOn<DiskFileStore> {
protected:
    DiskEditorTest() { startEditor(ctx, badFiles().dir()); }

    // What of the tune a failed command must not change.
    [[nodiscard]] std::string snapshot() const
    {
        const Tune& t = ctx.tune();
        std::ostringstream s;
        const TuneOrigin& o = ctx.document.origin();
        s << t.toneName << "|" << t.toneId << "|" << t.tempoBpm << "|" << o.filePath << "|"
          << int(o.fileKind) << "|" << o.sourceName << "|" << t.noteCount << "|" << t.textCount
          << "|" << t.vibraCount << "|" << t.repeatCount << "|" << ctx.document.isModified()
          << "\n";
        for (int i = 1; i <= t.noteCount; ++i) {
            const NoteRecord& n = t.noteTable[static_cast<std::size_t>(i)];
            s << n.startMs << "-" << n.endMs << ":" << n.pitch << ":" << n.kind << " ";
        }
        for (int i = 1; i <= t.textCount; ++i)
            s << t.textList[static_cast<std::size_t>(i)].text << "\n";
        return s.str();
    }

    // A failed command shows one error box with all of says in it.
    // Leaves out the questions a save asks on its way (replace the file,
    // notes the tone text cannot name), answered as they came.
    void skipQuestions()
    {
        std::erase_if(messages.shown, [](const RecordingMessageSink::Shown& m) {
            return m.title == "Save as" || m.title == "Save";
        });
    }
    void expectOneError(std::initializer_list<std::string> says)
    {
        ASSERT_EQ(messages.shown.size(), 1u) << takeMessage();
        EXPECT_EQ(messages.shown[0].title, "Error!");
        for (const std::string& s : says)
            EXPECT_THAT(messages.shown[0].text, HasSubstr(s));
        messages.shown.clear();
    }
};

enum class Opens {
    Refused, // an error box naming the file; the tune as it was
    Cut,     // the tune replaced by what was read; a box says what was left out
    Clean,   // the tune replaced; no box
};

TEST_F(DiskEditorTest, OpeningBadFiles)
{
    const test::BadFiles& f = badFiles();
    struct Case {
        const char* file;
        FileKind kind;
        Opens opens;
        const char* says; // in a box
        int notes;        // after a Cut or Clean open
    };
    std::vector<Case> cases = {
        {"good.ota", Ota, Opens::Clean, "", 8},
        {"truncated-1.ota", Ota, Opens::Refused, "", 0},
        {"truncated-half.ota", Ota, Opens::Refused, "", 0},
        {"truncated-last.ota", Ota, Opens::Refused, "", 0},
        {"oversized.ota", Ota, Opens::Cut, "only first was loaded", 8},
        {"huge.ota", Ota, Opens::Refused, "File too large", 0},
        {"biggest.ota", Ota, Opens::Clean, "", f.biggestOtaNotes},
        {"binary.h", Ringdata, Opens::Cut, "longer than 129 characters", 0},
        // Its name says tone text, whatever filter the dialog was left on.
        {"binary.h", Ota, Opens::Cut, "longer than 129 characters", 0},
        {"binary.bin", Ota, Opens::Refused, "", 0},
        {"binary.bin", Rtx, Opens::Refused, "", 0},
        {"binary.bin", Event, Opens::Refused, "", 0},
        {"line-10mb.h", Ringdata, Opens::Cut, "more than 999 lines", 192},
        {"line-10mb.rtx", Rtx, Opens::Cut, "999", kMaxNotes},
        {"nul.h", Ringdata, Opens::Cut, "NUL bytes", 3},
        {"nul.rtx", Rtx, Opens::Cut, "", 3},
        {"nul.evt", Event, Opens::Cut, "", 1},
        {"many.h", Ringdata, Opens::Cut, "more than 999 lines", 996},
        {"many.rtx", Rtx, Opens::Cut, "999", kMaxNotes},
        {"many.evt", Event, Opens::Cut, "999", kMaxNotes},
        {"long-line.h", Ringdata, Opens::Cut, "longer than 129 characters", 2},
        {"long-line.rtx", Rtx, Opens::Cut, "longer than 255 characters", 3},
        {"folder.h", Ringdata, Opens::Refused, "Is a directory", 0},
        {"folder.ota", Ota, Opens::Refused, "Is a directory", 0},
        {"missing.rtx", Rtx, Opens::Refused, "No such file", 0},
        {"good.mid", Midi, Opens::Clean, "", 8},
        {"truncated.mid", Midi, Opens::Refused, "announces 68 bytes, but only 58 follow", 0},
        {"past-end.mid", Midi, Opens::Refused, "announces 1000 bytes", 0},
        {"zero-tracks.mid", Midi, Opens::Refused, "holds no tracks", 0},
        {"length-100mb.mid", Midi, Opens::Refused, "announces 104857600 bytes", 0},
        {"smpte.mid", Midi, Opens::Refused, "SMPTE", 0},
        {"format2.mid", Midi, Opens::Refused, "format 2", 0},
        {"running-status.mid", Midi, Opens::Refused, "without its end-of-track event", 0},
        {"many.mid", Midi, Opens::Cut, "999", kMaxNotes},
        {"binary.bin", Midi, Opens::Refused, "Not a MIDI file", 0},
        {"good.imy", IMelody, Opens::Clean, "", 8},
        {"no-begin.imy", IMelody, Opens::Refused, "Not an iMelody file", 0},
        {"nul.imy", IMelody, Opens::Cut, "could not be read", 2},
        {"forever.imy", IMelody, Opens::Cut, "for ever", 3},
        {"unclosed.imy", IMelody, Opens::Cut, "is not closed", 3},
        {"long-line.imy", IMelody, Opens::Clean, "", 3},
        {"many.imy", IMelody, Opens::Cut, "999", kMaxNotes},
        {"binary.bin", IMelody, Opens::Refused, "Not an iMelody file", 0},
    };
    // Root reads a file without read permission.
    if (::geteuid() != 0) cases.push_back({"no-read.h", Ringdata, Opens::Refused, "denied", 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " as kind " + std::to_string(int(c.kind)));
        openFile(f.path("good.ota"), Ota);
        ASSERT_EQ(ctx.tune().noteCount, 8) << takeMessage();
        messages.shown.clear();
        const std::string before = snapshot();

        openFile(f.path(c.file), c.kind);
        if (c.opens == Opens::Refused) {
            expectOneError({f.path(c.file), c.says});
            EXPECT_EQ(snapshot(), before);
            continue;
        }
        const std::string boxes = takeMessage();
        EXPECT_THAT(boxes, HasSubstr(c.says));
        EXPECT_EQ(boxes.empty(), c.opens == Opens::Clean) << boxes;
        EXPECT_EQ(ctx.document.origin().filePath, f.path(c.file));
        EXPECT_EQ(ctx.tune().noteCount, c.notes);
    }
}

TEST_F(DiskEditorTest, RingdataWithThousandsOfDefinitions)
{
    const std::string path = badFiles().path("ringdata-5000.h");
    ASSERT_TRUE(openRingdataFile(ctx, path));
    EXPECT_EQ(ctx.catalogue.tuneCount, kMaxCatalogueTunes);
    EXPECT_THAT(takeMessage(), HasSubstr("more than 999 tunes"));
    EXPECT_EQ(ctx.catalogue.entries[kMaxCatalogueTunes].name, "tone_t999[]");

    ASSERT_TRUE(loadCatalogueEntry(ctx, kMaxCatalogueTunes));
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.tune().noteCount, 1);
    // Past the list nothing is loaded and nothing changes.
    const std::string before = snapshot();
    EXPECT_FALSE(loadCatalogueEntry(ctx, kMaxCatalogueTunes + 1));
    EXPECT_EQ(snapshot(), before);

    EXPECT_FALSE(openRingdataFile(ctx, badFiles().path("folder.h")));
    expectOneError({"folder.h"});
    EXPECT_EQ(ctx.catalogue.tuneCount, kMaxCatalogueTunes);
    EXPECT_EQ(ctx.ringdataPath, path);
}

// Every kind the editor saves, over a file that is there, while writes
// fail: the error names the file and the old bytes stay.
TEST_F(DiskEditorTest, FailedSaveKeepsTheOldFile)
{
    openFile(badFiles().path("biggest.ota"), Ota);
    ASSERT_GT(ctx.tune().noteCount, 0);
    test::TempDir dir;
    const std::string old = "the file as it was before the save\n";
    for (const FileKind kind : {Ringdata, Ota, Rtx, Event, Wave, Midi, IMelody}) {
        SCOPED_TRACE(int(kind));
        const std::filesystem::path target = dir.file(std::string("old") + fileKindExtension(kind));
        test::writeFileOrDie(target, old);
        const std::string before = snapshot();
        {
            const test::FileSizeLimit noRoom(0);
            messages.answers = {MessageAnswer::Yes}; // replace it
            saveAs(target.string(), kind);
        }
        ASSERT_GE(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Save as");
        skipQuestions();
        expectOneError({target.string(), "File too large"});
        EXPECT_EQ(test::readFileOrDie(target), old);
        EXPECT_EQ(snapshot(), before) << "the tune now names a file it was not saved in";

        // Save (not Save as) onto the file the tune came from.
        setUpOrigin([&](TuneOrigin& o) {
            o.filePath = target.string();
            o.fileKind = kind;
        });
        {
            const test::FileSizeLimit noRoom(0);
            saveCommand(ctx);
        }
        skipQuestions();
        expectOneError({"File too large"});
        EXPECT_EQ(test::readFileOrDie(target), old);
        std::filesystem::remove(target);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";

        // Without the limit the same save goes through.
        saveCommand(ctx);
        skipQuestions();
        EXPECT_EQ(takeMessage(), "");
        EXPECT_TRUE(std::filesystem::exists(target));
        std::filesystem::remove(target);
    }
}

TEST_F(DiskEditorTest, SavingWhereNoFileCanGo)
{
    openFile(badFiles().path("good.ota"), Ota);
    const std::string before = snapshot();
    // A read-only folder, a missing one, and a folder of the file's name.
    const std::pair<std::string, const char*> places[] = {
        {"/proc/qte-test.ota", ""},
        {"/nonexistent-folder/x.ota", "No such file or directory"},
        {badFiles().path("folder.ota"), ""},
    };
    for (const auto& [path, says] : places) {
        SCOPED_TRACE(path);
        messages.answers = {MessageAnswer::Yes}; // replace what is there
        saveAs(path, Ota);
        skipQuestions();
        expectOneError({path, says});
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(std::filesystem::is_regular_file(path));
    }
    EXPECT_TRUE(std::filesystem::is_directory(badFiles().path("folder.ota")));

    // A device that takes no bytes: Save as would add ".ota" to its name, so
    // the tune is saved where it came from.
    for (const FileKind kind : {Ringdata, Ota, Rtx, Event, Wave, Midi, IMelody}) {
        SCOPED_TRACE(int(kind));
        setUpOrigin([&](TuneOrigin& o) {
            o.filePath = "/dev/full";
            o.fileKind = kind;
        });
        saveCommand(ctx);
        skipQuestions();
        expectOneError({"/dev/full", "No space left on device"});
    }
    EXPECT_FALSE(std::filesystem::is_regular_file("/dev/full"));
}

} // namespace
} // namespace qte
