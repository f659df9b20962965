// tunetool on broken, huge and odd files: every case ends as a normal exit
// within the time limit, with status 1 and "error:" where nothing usable
// was read, or status 0 where the tune was read (with "warning:" lines where
// it was cut).

#include "bad-input/bad_files.h"
#include "support/tool_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace qte {
namespace {

using test::badFiles;
using ::testing::HasSubstr;
using ::testing::Not;

enum class Outcome {
    Fails,   // status 1, "error:" on stderr
    Cut,     // status 0, "warning:" on stderr
    Clean,   // status 0, nothing on stderr
    Refused, // status 1, the command line's own message
};

struct Case {
    const char* name;
    std::vector<std::string> args;
    Outcome outcome;
    std::string err; // in stderr
    std::string out; // in stdout
};

void check(const Case& c, const test::ToolRun& r)
{
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(r.exited) << r.how;
    EXPECT_THAT(r.err, Not(HasSubstr("Sanitizer")));
    EXPECT_THAT(r.err, Not(HasSubstr("runtime error:")));
    switch (c.outcome) {
    case Outcome::Fails:
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr("error: "));
        break;
    case Outcome::Cut:
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_THAT(r.err, HasSubstr("warning: "));
        EXPECT_THAT(r.err, Not(HasSubstr("error: ")));
        break;
    case Outcome::Clean:
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        break;
    case Outcome::Refused: EXPECT_EQ(r.status, 1) << r.err; break;
    }
    EXPECT_THAT(r.err, HasSubstr(c.err));
    EXPECT_THAT(r.out, HasSubstr(c.out));
}

TEST(TunetoolBadInput, EndsNormallyOnEveryBadFile)
{
    const test::BadFiles& f = badFiles();
    const std::string notes = "notes:   ";
    const std::string biggestOta = notes + std::to_string(f.biggestOtaNotes) + "\n";
    const std::string out = (f.dir() / "out").string();
    const Case cases[] = {
        // OTA messages cut short or with bytes after their end.
        {"valid OTA", {"info", f.path("good.ota")}, Outcome::Clean, "", notes + "8\n"},
        {"OTA of one byte",
         {"info", f.path("truncated-1.ota")},
         Outcome::Fails,
         "truncated-1.ota",
         ""},
        {"OTA cut in half",
         {"info", f.path("truncated-half.ota")},
         Outcome::Fails,
         "truncated-half.ota",
         ""},
        {"OTA without its last byte",
         {"info", f.path("truncated-last.ota")},
         Outcome::Fails,
         "truncated-last.ota",
         ""},
        {"OTA with 1 MiB after it",
         {"info", f.path("oversized.ota")},
         Outcome::Cut,
         "only first was loaded",
         notes + "8\n"},
        {"OTA past the read limit",
         {"info", f.path("huge.ota")},
         Outcome::Fails,
         "File too large",
         ""},
        {"biggest OTA", {"info", f.path("biggest.ota")}, Outcome::Clean, "", biggestOta},
        {"biggest OTA as text", {"text", f.path("biggest.ota")}, Outcome::Clean, "", "TONE("},
        // Bytes that are no tone text.
        {"binary as tone text",
         {"info", f.path("binary.h")},
         Outcome::Cut,
         "longer than 129 characters",
         notes + "0\n"},
        {"binary catalogue", {"list", f.path("binary.h")}, Outcome::Cut, "has no closing", ""},
        {"10 MB line of tones",
         {"info", f.path("line-10mb.h")},
         Outcome::Cut,
         "more than 999 lines",
         ""},
        {"10 MB line of RTX notes",
         {"info", f.path("line-10mb.rtx")},
         Outcome::Cut,
         "",
         notes + "999\n"},
        // NUL bytes.
        {"NUL in tone text",
         {"info", f.path("nul.h")},
         Outcome::Cut,
         "Line 3: the line holds NUL bytes",
         notes + "3\n"},
        {"NUL in RTX", {"info", f.path("nul.rtx")}, Outcome::Cut, "", ""},
        {"NUL in event file", {"info", f.path("nul.evt")}, Outcome::Cut, "", notes + "1\n"},
        {"NUL in config.cfg",
         {"info", "--config", f.path("cfg-nul"), f.path("ring-note.h")},
         Outcome::Cut,
         "warning: config.cfg: the file holds NUL bytes",
         notes + "1\n"},
        // 5,000 notes and definitions.
        {"5,000 tone lines",
         {"info", f.path("many.h")},
         Outcome::Cut,
         "more than 999 lines",
         notes + "996\n"},
        {"5,000 RTX notes", {"info", f.path("many.rtx")}, Outcome::Cut, "", notes + "999\n"},
        {"5,000 events", {"info", f.path("many.evt")}, Outcome::Cut, "", notes + "999\n"},
        {"5,000 events converted",
         {"convert", f.path("many.evt"), out + ".rtx"},
         Outcome::Cut,
         "",
         ""},
        {"5,000 definitions listed",
         {"list", f.path("ringdata-5000.h")},
         Outcome::Cut,
         "",
         "999  tone_t999[]"},
        {"last listed definition",
         {"info", "--index", "999", f.path("ringdata-5000.h")},
         Outcome::Cut,
         "",
         notes + "1\n"},
        {"definition past the list",
         {"info", "--index", "1000", f.path("ringdata-5000.h")},
         Outcome::Refused,
         "not in range",
         ""},
        {"5,000 definitions exported",
         {"export", f.path("ringdata-5000.h"), "--to", out + "-5000", "--as", "evt"},
         Outcome::Cut,
         "holds more than 999 tunes",
         "tone_t999 -> "},
        {"export of a folder and a binary file",
         {"export", f.path("folder.h"), f.path("binary.h"), "--to", out + "-mixed", "--as", "rtx"},
         Outcome::Fails,
         "1 of 2 tunes were not written",
         "binary -> "},
        {"definition by name past the list",
         {"info", "--tune", "tone_t4000", f.path("ringdata-5000.h")},
         Outcome::Fails,
         "tone_t4000",
         ""},
        // Lines of 100,000 characters.
        {"long line in tone text",
         {"info", f.path("long-line.h")},
         Outcome::Cut,
         "longer than 129 characters",
         notes + "2\n"},
        {"long name in RTX",
         {"info", f.path("long-line.rtx")},
         Outcome::Cut,
         "longer than 255 characters",
         notes + "3\n"},
        {"long line in config.cfg",
         {"info", "--config", f.path("cfg-long"), f.path("good.ota")},
         Outcome::Cut,
         "config.cfg",
         notes + "8\n"},
        {"long line in midihz.ini",
         {"convert", "--config", f.path("ini-long"), f.path("good.ota"), out + ".wav"},
         Outcome::Clean,
         "",
         ""},
        // Paths that are no readable file, and places that take no file.
        {"a folder named .h", {"info", f.path("folder.h")}, Outcome::Fails, "folder.h", ""},
        {"a folder named .ota", {"text", f.path("folder.ota")}, Outcome::Fails, "folder.ota", ""},
        {"a folder listed", {"list", f.path("folder.h")}, Outcome::Fails, "folder.h", ""},
        {"saving into a folder",
         {"convert", f.path("good.ota"), f.path("folder.ota")},
         Outcome::Fails,
         "folder.ota",
         ""},
        {"saving under /proc",
         {"convert", f.path("good.ota"), "/proc/qte-test.ota"},
         Outcome::Fails,
         "/proc/qte-test.ota",
         ""},
        {"saving to /dev/full",
         {"convert", f.path("good.ota"), f.path("full.ota")},
         Outcome::Fails,
         "No space left on device",
         ""},
    };
    for (const Case& c : cases)
        check(c, test::runTunetool(c.args, f.dir()));
    EXPECT_FALSE(std::filesystem::exists("/proc/qte-test.ota"));
}

TEST(TunetoolBadInput, UnreadableFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, where file permissions do not stop reads";
    const test::BadFiles& f = badFiles();
    check({"no read permission",
           {"info", f.path("no-read.h")},
           Outcome::Fails,
           "Permission denied",
           ""},
          test::runTunetool({"info", f.path("no-read.h")}, f.dir()));
}

// A write that fails part way (the file size limit stops it) leaves the file
// that was there byte for byte.
TEST(TunetoolBadInput, FailedConvertKeepsTheOldFile)
{
    const test::BadFiles& f = badFiles();
    test::TempDir dir;
    for (const char* ext : {".h", ".ota", ".rtx", ".evt", ".wav"}) {
        SCOPED_TRACE(ext);
        const std::filesystem::path target = dir.file(std::string("old") + ext);
        const std::string old = "the old file, which must stay\n";
        test::writeFileOrDie(target, old);
        const test::ToolRun r = test::runTunetool(
            {"convert", f.path("biggest.ota"), target.string()}, f.dir(), "ulimit -f 0");
        ASSERT_TRUE(r.exited) << r.how;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr("File too large"));
        EXPECT_THAT(r.err, HasSubstr("the old file is unchanged"));
        EXPECT_EQ(test::readFileOrDie(target), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "a temporary file was left behind";
        std::filesystem::remove(target);
    }
}

} // namespace
} // namespace qte
