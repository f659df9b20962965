#include "platform/files.h"
#include "platform/linereader.h"
#include "platform/messages.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qte {
namespace {

struct Read {
    std::string text;
    bool hitEnd;
};

std::vector<Read> readAll(std::string_view data, std::size_t buf)
{
    LineReader r(data);
    std::vector<Read> out;
    while (auto l = r.next(buf)) out.push_back({std::string(l->text), l->hitEnd});
    return out;
}

TEST(LineReader, BehavesLikeFgets)
{
    auto lines = readAll("ab\ncd\n", 254);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "cd\n");
    EXPECT_FALSE(lines[1].hitEnd); // the end is only seen by the next read

    lines = readAll("ab\ncd", 254);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "cd");
    EXPECT_TRUE(lines[1].hitEnd);

    // A line longer than the buffer is split; the rest is the next read.
    lines = readAll("abcdefg\n", 4);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "abc");
    EXPECT_EQ(lines[1].text, "def");
    EXPECT_EQ(lines[2].text, "g\n");

    // Exactly filling the buffer at the end does not see the end yet.
    lines = readAll("abc", 4);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].hitEnd);

    EXPECT_TRUE(readAll("", 10).empty());
}

TEST(Files, AtomicWriteReplacesAndReadsBack)
{
    test::TempDir dir;
    const auto p = dir.file("tune.h");
    ASSERT_FALSE(writeFileAtomically(p, "first").has_value());
    ASSERT_FALSE(writeFileAtomically(p, "second").has_value());
    auto r = readWholeFile(p);
    ASSERT_TRUE(r.bytes.has_value());
    EXPECT_EQ(*r.bytes, "second");
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(Files, FailuresNameTheFileAndKeepTheOld)
{
    test::TempDir dir;
    auto r = readWholeFile(dir.file("missing.h"));
    EXPECT_FALSE(r.bytes.has_value());
    EXPECT_NE(r.error.message.find("missing.h"), std::string::npos);
    EXPECT_NE(r.error.message.find("No such file"), std::string::npos);

    r = readWholeFile(dir.path());
    EXPECT_FALSE(r.bytes.has_value());

    auto err = writeFileAtomically("/dev/full", "data");
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->message.find("/dev/full"), std::string::npos);

    if (::geteuid() != 0) { // root writes anywhere
        const auto ro = dir.file("ro");
        std::filesystem::create_directory(ro);
        test::writeFileOrDie(ro / "old.h", "old");
        ::chmod(ro.c_str(), 0555);
        EXPECT_TRUE(writeFileAtomically(ro / "old.h", "new").has_value());
        EXPECT_EQ(test::readFileOrDie(ro / "old.h"), "old");
    }
    EXPECT_TRUE(writeFileAtomically(dir.file("no/such/dir/x.h"), "x").has_value());
}

TEST(Messages, RecordingSinkAnswersFromItsScript)
{
    RecordingMessageSink sink;
    sink.answers = {MessageAnswer::Cancel};
    EXPECT_EQ(sink.show("Discard current tune?", "New tune", MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    sink.showError("bad");
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[1].title, "Error!");
    EXPECT_EQ(sink.shown[1].text, "bad");
}

} // namespace
} // namespace qte
