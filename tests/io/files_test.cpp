#include "io/files.h"
#include "io/linereader.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

namespace qte {
namespace {

struct Read {
    std::string text;
    bool hitEnd;
    friend bool operator==(const Read&, const Read&) = default;
};

TEST(LineReader, BehavesLikeFgets)
{
    struct Case {
        std::string_view data;
        std::size_t buffer;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        // The end is only seen by the read after the last newline.
        {"ab\ncd\n", 254, {{"ab\n", false}, {"cd\n", false}}},
        {"ab\ncd", 254, {{"ab\n", false}, {"cd", true}}},
        // A line longer than the buffer is split; the rest is the next read.
        {"abcdefg\n", 4, {{"abc", false}, {"def", false}, {"g\n", false}}},
        // Exactly filling the buffer at the end does not see the end yet.
        {"abc", 4, {{"abc", false}}},
        {"", 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        LineReader r(c.data);
        std::vector<Read> got;
        while (auto l = r.next(c.buffer))
            got.push_back({std::string(l->text), l->hitEnd});
        EXPECT_EQ(got, c.reads);
    }
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
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
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

    EXPECT_TRUE(writeFileAtomically(dir.file("no/such/dir/x.h"), "x").has_value());

    // A write that fails part way names the reason and leaves only the old file.
    const auto old = dir.file("old.h");
    test::writeFileOrDie(old, "old");
    {
        const test::FileSizeLimit noRoom(0);
        const auto full = writeFileAtomically(old, "new");
        ASSERT_TRUE(full.has_value());
        EXPECT_NE(full->message.find("File too large"), std::string::npos) << full->message;
    }
    EXPECT_EQ(test::readFileOrDie(old), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Files, AReadOnlyFolderKeepsTheOldFile)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
    test::TempDir dir;
    const auto ro = dir.file("ro");
    std::filesystem::create_directory(ro);
    test::writeFileOrDie(ro / "old.h", "old");
    ::chmod(ro.c_str(), 0555);
    EXPECT_TRUE(writeFileAtomically(ro / "old.h", "new").has_value());
    EXPECT_EQ(test::readFileOrDie(ro / "old.h"), "old");
}

} // namespace
} // namespace qte
