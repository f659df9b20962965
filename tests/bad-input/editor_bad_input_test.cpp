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
#include "platform/file_store.h"
#include "platform/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace qte {
namespace {

using test::badFiles;
using ::testing::HasSubstr;

// Open and save filter numbers, in the dialogs' order.
constexpr int kRingdataFilter = 1;
constexpr int kOtaFilter = 2;
constexpr int kRtxFilter = 3;
constexpr int kEventFilter = 4;
constexpr int kWaveFilter = 5;

// An editor on fake windows and dialogs, reading and writing real files,
// started in the folder of the bad files (which holds our config.cfg and
// midihz.ini).
class DiskEditorTest : public test::EditorFixtureOn<DiskFileStore> {
protected:
    DiskEditorTest() { startEditor(ctx, badFiles().dir()); }

    void open(const std::string& path, int filter)
    {
        fileDialogs.answers.push_back(FileChoice{path, filter});
        openRingingToneCommand(ctx);
    }
    void saveAs(const std::string& path, int filter)
    {
        fileDialogs.answers.push_back(FileChoice{path, filter});
        saveAsCommand(ctx);
    }

    // What of the tune a failed command must not change.
    [[nodiscard]] std::string snapshot() const
    {
        const Tune& t = ctx.tune;
        std::ostringstream s;
        s << t.toneName << "|" << t.toneId << "|" << t.tempoBpm << "|" << t.currentFilePath << "|"
          << t.currentFileKind << "|" << t.tuneSourceName << "|" << t.noteCount << "|"
          << t.textCount << "|" << t.vibraCount << "|" << t.repeatCount << "\n";
        for (int i = 1; i <= t.noteCount; ++i) {
            const NoteRecord& n = t.noteTable[static_cast<std::size_t>(i)];
            s << n.startMs << "-" << n.endMs << ":" << n.pitch << ":" << n.kind << " ";
        }
        for (int i = 1; i <= t.textCount; ++i)
            s << t.textList[static_cast<std::size_t>(i)].text << "\n";
        return s.str();
    }

    [[nodiscard]] std::string shownTexts() const
    {
        std::string all;
        for (const auto& m : messages.shown)
            all += "[" + m.title + "] " + m.text + "\n";
        return all;
    }
};

// Writes to regular files fail past limitBytes while it lives, with EFBIG
// instead of the signal that would end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limitBytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = limitBytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
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
        int filter;
        Opens opens;
        const char* says; // in a box
        int notes;        // after a Cut or Clean open
    };
    const Case cases[] = {
        {"good.ota", kOtaFilter, Opens::Clean, "", 8},
        {"truncated-1.ota", kOtaFilter, Opens::Refused, "", 0},
        {"truncated-half.ota", kOtaFilter, Opens::Refused, "", 0},
        {"truncated-last.ota", kOtaFilter, Opens::Refused, "", 0},
        {"oversized.ota", kOtaFilter, Opens::Cut, "only first was loaded", 8},
        {"huge.ota", kOtaFilter, Opens::Refused, "File too large", 0},
        {"biggest.ota", kOtaFilter, Opens::Clean, "", f.biggestOtaNotes},
        {"binary.h", kRingdataFilter, Opens::Cut, "longer than 129 characters", 0},
        {"binary.h", kOtaFilter, Opens::Refused, "", 0},
        {"binary.h", kRtxFilter, Opens::Refused, "", 0},
        {"binary.h", kEventFilter, Opens::Refused, "", 0},
        {"line-10mb.h", kRingdataFilter, Opens::Cut, "more than 999 lines", 192},
        {"line-10mb.rtx", kRtxFilter, Opens::Cut, "999", kMaxNotes},
        {"nul.h", kRingdataFilter, Opens::Cut, "NUL bytes", 3},
        {"nul.rtx", kRtxFilter, Opens::Cut, "", 3},
        {"nul.evt", kEventFilter, Opens::Cut, "", 1},
        {"many.h", kRingdataFilter, Opens::Cut, "more than 999 lines", 996},
        {"many.rtx", kRtxFilter, Opens::Cut, "999", kMaxNotes},
        {"many.evt", kEventFilter, Opens::Cut, "999", kMaxNotes},
        {"long-line.h", kRingdataFilter, Opens::Cut, "longer than 129 characters", 2},
        {"long-line.rtx", kRtxFilter, Opens::Cut, "longer than 255 characters", 3},
        {"folder.h", kRingdataFilter, Opens::Refused, "Is a directory", 0},
        {"folder.ota", kOtaFilter, Opens::Refused, "Is a directory", 0},
        {"missing.rtx", kRtxFilter, Opens::Refused, "No such file", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with filter " + std::to_string(c.filter));
        open(f.path("good.ota"), kOtaFilter);
        ASSERT_EQ(ctx.tune.noteCount, 8) << shownTexts();
        messages.shown.clear();
        const std::string before = snapshot();

        open(f.path(c.file), c.filter);
        const std::string boxes = shownTexts();
        EXPECT_THAT(boxes, HasSubstr(c.says));
        switch (c.opens) {
        case Opens::Refused:
            ASSERT_EQ(messages.shown.size(), 1u) << boxes;
            EXPECT_EQ(messages.shown[0].title, "Error!");
            EXPECT_THAT(messages.shown[0].text, HasSubstr(f.path(c.file)));
            EXPECT_EQ(snapshot(), before);
            break;
        case Opens::Cut:
            EXPECT_FALSE(messages.shown.empty());
            EXPECT_EQ(ctx.tune.currentFilePath, f.path(c.file));
            EXPECT_EQ(ctx.tune.noteCount, c.notes);
            break;
        case Opens::Clean:
            EXPECT_EQ(boxes, "");
            EXPECT_EQ(ctx.tune.currentFilePath, f.path(c.file));
            EXPECT_EQ(ctx.tune.noteCount, c.notes);
            break;
        }
    }
}

TEST_F(DiskEditorTest, OpeningAFileWithoutReadPermission)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, where file permissions do not stop reads";
    open(badFiles().path("good.ota"), kOtaFilter);
    const std::string before = snapshot();
    messages.shown.clear();
    open(badFiles().path("no-read.h"), kRingdataFilter);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0].text, HasSubstr("Permission denied"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(DiskEditorTest, RingdataWithThousandsOfDefinitions)
{
    const std::string path = badFiles().path("ringdata-5000.h");
    ASSERT_TRUE(openRingdataFile(ctx, path));
    EXPECT_EQ(ctx.catalogue.tuneCount, kMaxCatalogueTunes);
    EXPECT_THAT(shownTexts(), HasSubstr("more than 999 tunes"));
    EXPECT_EQ(ctx.catalogue.entries[kMaxCatalogueTunes].name, "tone_t999[]");

    messages.shown.clear();
    ASSERT_TRUE(loadCatalogueEntry(ctx, kMaxCatalogueTunes));
    EXPECT_EQ(shownTexts(), "");
    EXPECT_EQ(ctx.tune.noteCount, 1);
    // Past the list nothing is loaded and nothing changes.
    const std::string before = snapshot();
    EXPECT_FALSE(loadCatalogueEntry(ctx, kMaxCatalogueTunes + 1));
    EXPECT_EQ(snapshot(), before);

    messages.shown.clear();
    EXPECT_FALSE(openRingdataFile(ctx, badFiles().path("folder.h")));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0].text, HasSubstr("folder.h"));
    EXPECT_EQ(ctx.catalogue.tuneCount, kMaxCatalogueTunes);
    EXPECT_EQ(ctx.ringdataPath, path);
}

// Every kind the editor saves, over a file that is there, while writes
// fail: the error names the file and the old bytes stay.
TEST_F(DiskEditorTest, FailedSaveKeepsTheOldFile)
{
    open(badFiles().path("biggest.ota"), kOtaFilter);
    ASSERT_GT(ctx.tune.noteCount, 0);
    const struct {
        const char* name;
        int filter;
    } kinds[] = {{"old.h", kRingdataFilter},
                 {"old.ota", kOtaFilter},
                 {"old.rtx", kRtxFilter},
                 {"old.evt", kEventFilter},
                 {"old.wav", kWaveFilter}};
    test::TempDir dir;
    const std::string old = "the file as it was before the save\n";
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        const std::filesystem::path target = dir.file(k.name);
        test::writeFileOrDie(target, old);
        const std::string before = snapshot();
        messages.shown.clear();
        {
            const FileSizeLimit noRoom(0);
            saveAs(target.string(), k.filter);
        }
        ASSERT_EQ(messages.shown.size(), 1u) << shownTexts();
        EXPECT_EQ(messages.shown[0].title, "Error!");
        EXPECT_THAT(messages.shown[0].text, HasSubstr(target.string()));
        EXPECT_THAT(messages.shown[0].text, HasSubstr("File too large"));
        EXPECT_EQ(test::readFileOrDie(target), old);
        EXPECT_EQ(snapshot(), before) << "the tune now names a file it was not saved in";

        // Save (not Save as) onto the file the tune came from.
        ctx.tune.currentFilePath = target.string();
        ctx.tune.currentFileKind = k.filter;
        messages.shown.clear();
        {
            const FileSizeLimit noRoom(0);
            saveCommand(ctx);
        }
        ASSERT_EQ(messages.shown.size(), 1u) << shownTexts();
        EXPECT_THAT(messages.shown[0].text, HasSubstr("File too large"));
        EXPECT_EQ(test::readFileOrDie(target), old);
        std::filesystem::remove(target);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";

        // Without the limit the same save goes through.
        messages.shown.clear();
        saveCommand(ctx);
        EXPECT_EQ(shownTexts(), "");
        EXPECT_TRUE(std::filesystem::exists(target));
        std::filesystem::remove(target);
    }
}

TEST_F(DiskEditorTest, SavingWhereNoFileCanGo)
{
    open(badFiles().path("good.ota"), kOtaFilter);
    const std::string before = snapshot();
    const struct {
        const char* path;
        const char* says;
    } places[] = {
        {"/proc/qte-test.ota", "/proc/qte-test.ota"},
        {"/nonexistent-folder/x.ota", "No such file or directory"},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(p.path);
        messages.shown.clear();
        saveAs(p.path, kOtaFilter);
        ASSERT_EQ(messages.shown.size(), 1u) << shownTexts();
        EXPECT_EQ(messages.shown[0].title, "Error!");
        EXPECT_THAT(messages.shown[0].text, HasSubstr(p.says));
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(std::filesystem::exists(p.path));
    }

    // A folder of the name the file would have.
    messages.shown.clear();
    saveAs(badFiles().path("folder.ota"), kOtaFilter);
    ASSERT_EQ(messages.shown.size(), 1u) << shownTexts();
    EXPECT_THAT(messages.shown[0].text, HasSubstr("folder.ota"));
    EXPECT_TRUE(std::filesystem::is_directory(badFiles().path("folder.ota")));
    EXPECT_EQ(snapshot(), before);

    // A device that takes no bytes: Save as would add ".ota" to its name, so
    // the tune is saved where it came from.
    for (int kind : {kRingdataFilter, kOtaFilter, kRtxFilter, kEventFilter, kWaveFilter}) {
        SCOPED_TRACE(kind);
        ctx.tune.currentFilePath = "/dev/full";
        ctx.tune.currentFileKind = kind;
        messages.shown.clear();
        saveCommand(ctx);
        ASSERT_EQ(messages.shown.size(), 1u) << shownTexts();
        EXPECT_THAT(messages.shown[0].text, HasSubstr("/dev/full"));
        EXPECT_THAT(messages.shown[0].text, HasSubstr("No space left on device"));
    }
    EXPECT_FALSE(std::filesystem::is_regular_file("/dev/full"));
}

} // namespace
} // namespace qte
