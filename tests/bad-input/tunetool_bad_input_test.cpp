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
    std::string args; // split at spaces; "@name" is a path in the bad files' folder
    Outcome outcome;
    std::string err; // in stderr
    std::string out; // in stdout
};

test::ToolRun run(const Case& c, const std::string& limits = "true")
{
    std::vector<std::string> args = test::splitWords(c.args);
    for (std::string& w : args)
        w = w.starts_with('@') ? badFiles().path(w.substr(1)) : w;
    return test::runTunetool(args, badFiles().dir(), limits);
}

void check(const Case& c, const test::ToolRun& r)
{
    SCOPED_TRACE(c.args);
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

std::string notes(int n)
{
    return "notes:   " + std::to_string(n) + "\n";
}

TEST(TunetoolBadInput, EndsNormallyOnEveryBadFile)
{
    using enum Outcome;
    std::vector<Case> cases = {
        // OTA messages cut short or with bytes after their end.
        {"info @good.ota", Clean, "", notes(8)},
        {"info @truncated-1.ota", Fails, "truncated-1.ota", ""},
        {"info @truncated-half.ota", Fails, "truncated-half.ota", ""},
        {"info @truncated-last.ota", Fails, "truncated-last.ota", ""},
        {"info @oversized.ota", Cut, "only first was loaded", notes(8)},
        {"info @huge.ota", Fails, "File too large", ""},
        {"info @biggest.ota", Clean, "", notes(badFiles().biggestOtaNotes)},
        {"text @biggest.ota", Clean, "", "TONE("},
        // Bytes that are no tone text.
        {"info @binary.h", Cut, "longer than 129 characters", notes(0)},
        {"list @binary.h", Cut, "has no closing", ""},
        {"info @line-10mb.h", Cut, "more than 999 lines", ""},
        {"info @line-10mb.rtx", Cut, "", notes(999)},
        // NUL bytes.
        {"info @nul.h", Cut, "Line 3: the line holds NUL bytes", notes(3)},
        {"info @nul.rtx", Cut, "", ""},
        {"info @nul.evt", Cut, "", notes(1)},
        {"info --config @cfg-nul @ring-note.h", Cut,
         "warning: config.cfg: the file holds NUL bytes", notes(1)},
        // 5,000 notes and definitions.
        {"info @many.h", Cut, "more than 999 lines", notes(996)},
        {"info @many.rtx", Cut, "", notes(999)},
        {"info @many.evt", Cut, "", notes(999)},
        {"convert @many.evt @out.rtx", Cut, "", ""},
        {"list @ringdata-5000.h", Cut, "", "999  tone_t999[]"},
        {"info --index 999 @ringdata-5000.h", Cut, "", notes(1)},
        {"info --index 1000 @ringdata-5000.h", Refused, "not in range", ""},
        {"export @ringdata-5000.h --to @out-5000 --as evt", Cut, "holds more than 999 tunes",
         "tone_t999 -> "},
        {"export @folder.h @binary.h --to @out-mixed --as rtx", Fails,
         "1 of 2 tunes were not written", "binary -> "},
        {"info --tune tone_t4000 @ringdata-5000.h", Fails, "tone_t4000", ""},
        // Lines of 100,000 characters.
        {"info @long-line.h", Cut, "longer than 129 characters", notes(2)},
        {"info @long-line.rtx", Cut, "longer than 255 characters", notes(3)},
        {"info --config @cfg-long @good.ota", Cut, "config.cfg", notes(8)},
        {"convert --config @ini-long @good.ota @out.wav", Clean, "", ""},
        // Paths that are no readable file, and places that take no file.
        {"info @folder.h", Fails, "folder.h", ""},
        {"text @folder.ota", Fails, "folder.ota", ""},
        {"list @folder.h", Fails, "folder.h", ""},
        {"convert @good.ota @folder.ota", Fails, "folder.ota", ""},
        {"convert @good.ota /proc/qte-test.ota", Fails, "/proc/qte-test.ota", ""},
        {"convert @good.ota @full.ota", Fails, "No space left on device", ""},
        // MIDI files cut, lying about their lengths, empty, of kinds not read.
        {"info @good.mid", Clean, "", notes(8)},
        {"info @truncated.mid", Fails, "truncated.mid", ""},
        {"info @past-end.mid", Fails, "announces 1000 bytes", ""},
        {"info @zero-tracks.mid", Fails, "holds no tracks", ""},
        {"info @length-100mb.mid", Fails, "announces 104857600 bytes", ""},
        {"info @smpte.mid", Fails, "SMPTE", ""},
        {"info @format2.mid", Fails, "format 2", ""},
        {"text @running-status.mid", Fails, "without its end-of-track event", ""},
        {"info @many.mid", Cut, "999", notes(999)},
        {"convert @many.mid @out.imy", Cut, "", ""},
        // iMelody files.
        {"info @good.imy", Clean, "", notes(8)},
        {"info @no-begin.imy", Fails, "Not an iMelody file", ""},
        {"info @nul.imy", Cut, "could not be read", notes(2)},
        {"info @forever.imy", Cut, "for ever", notes(3)},
        {"info @unclosed.imy", Cut, "is not closed", notes(3)},
        {"info @long-line.imy", Clean, "", notes(3)},
        {"info @many.imy", Cut, "999", notes(999)},
        {"convert @many.imy @out.mid", Cut, "", ""},
    };
    // Root reads a file without read permission.
    if (::geteuid() != 0) cases.push_back({"info @no-read.h", Fails, "Permission denied", ""});
    for (const Case& c : cases)
        check(c, run(c));
    EXPECT_FALSE(std::filesystem::exists("/proc/qte-test.ota"));
}

// A write that fails part way (the file size limit stops it) leaves the file
// that was there byte for byte.
TEST(TunetoolBadInput, FailedConvertKeepsTheOldFile)
{
    test::TempDir dir;
    const std::string old = "the old file, which must stay\n";
    for (const char* ext : {".h", ".ota", ".rtx", ".evt", ".wav", ".mid", ".imy"}) {
        const std::filesystem::path target = dir.file(std::string("old") + ext);
        test::writeFileOrDie(target, old);
        const Case c{"convert @biggest.ota " + target.string(), Outcome::Fails,
                     "File too large (the old file is unchanged)", ""};
        check(c, run(c, "ulimit -f 0"));
        EXPECT_EQ(test::readFileOrDie(target), old);
        std::filesystem::remove(target);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";
    }
}

} // namespace
} // namespace qte
