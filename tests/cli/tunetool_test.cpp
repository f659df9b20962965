// Runs the built tunetool on the example files and checks what it prints
// and the exit status it ends with.

#include "support/testsupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace qte {
namespace {

using ::testing::HasSubstr;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// Runs tunetool in dir with the arguments, capturing both streams.
ToolRun tunetool(const std::vector<std::string>& args, const std::filesystem::path& dir)
{
    test::TempDir capture;
    std::string cmd = "cd " + quoted(dir.string()) + " && " + quoted(QTE_BINARY_DIR "/tunetool");
    for (const std::string& a : args)
        cmd += " " + quoted(a);
    cmd +=
        " >" + quoted(capture.file("out").string()) + " 2>" + quoted(capture.file("err").string());
    const int raw = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = test::readFileOrDie(capture.file("out"));
    r.err = test::readFileOrDie(capture.file("err"));
    return r;
}

// The build folder holds a copy of config.cfg.
ToolRun tunetool(const std::vector<std::string>& args)
{
    return tunetool(args, QTE_BINARY_DIR);
}

std::string example(const char* name)
{
    return test::resourcePath(std::string("examples/") + name).string();
}

TEST(Tunetool, ListsTheCatalogue)
{
    const ToolRun r = tunetool({"list", example("Ringdata.h")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1  tone_morning[]  lines 10-23\n"
                     "2  tone_chime[]    lines 26-37\n"
                     "3  tone_office[]   lines 40-54\n"
                     "4  tone_waltz[]    lines 58-67\n"
                     "5  tone_plain[]    lines 70-77\n");
    EXPECT_EQ(r.err, "");
}

TEST(Tunetool, BadInputEndsWithStatusOne)
{
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {"missing file", {"list", "/nonexistent/Ringdata.h"}, "Ringdata.h"},
        {"a folder", {"list", QTE_SOURCE_DIR "/resources"}, "resources"},
        {"no file named", {"list"}, "FILE"},
        {"unknown command", {"play"}, "subcommand"},
        {"no command", {}, "subcommand"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun r = tunetool(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, HasSubstr(c.err));
        EXPECT_EQ(r.out.find("lines"), std::string::npos);
    }
}

TEST(Tunetool, HelpForEachCommand)
{
    const ToolRun top = tunetool({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_THAT(top.out, HasSubstr("list"));
    const ToolRun list = tunetool({"list", "--help"});
    EXPECT_EQ(list.status, 0);
    EXPECT_THAT(list.out, HasSubstr("FILE"));
}

TEST(Tunetool, EmptyCatalogueIsNoError)
{
    test::TempDir dir;
    test::writeFileOrDie(dir.file("empty.h"), "/* nothing here */\n");
    const ToolRun r = tunetool({"list", dir.file("empty.h").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("no tone definitions"));
}

} // namespace
} // namespace qte
