#include "config/user_settings.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace qte {
namespace {

std::string rawFields(std::initializer_list<std::uint32_t> values)
{
    std::string out;
    for (std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return out;
}

TEST(UserSettings, FirstStartDefaults)
{
    test::TempDir dir;
    const UserSettingsResult r = LoadUserSettings(dir.file("config.dat"));
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.settings,
              (UserSettings{1, 1, 0, 1, 0, 0, 0, kDefaultUnitWidth, kDefaultRowHeight}));
    // The view keeps width - 0.5 and height - 0.5 and zooms out only above
    // 10.0 and 4.0: a first start can zoom out once at least.
    EXPECT_GT(r.settings.unitWidth - 0.5, 10.0);
    EXPECT_GT(r.settings.rowHeight - 0.5, 4.0);
    EXPECT_LE(r.settings.unitWidth, kMaxUnitWidth);
    EXPECT_LE(r.settings.rowHeight, kMaxRowHeight);
}

TEST(UserSettings, LineFeedGetsAReturnBeforeIt)
{
    const UserSettings s{1, 1, 0, 1, 0, 0, 2, 10, 12};
    std::string expected = rawFields({1, 1, 0, 1, 0, 0, 2, 10, 12});
    expected.insert(28, 1, '\r');
    EXPECT_EQ(EncodeUserSettings(s), expected);
}

TEST(UserSettings, RoundTripThroughTheFile)
{
    const UserSettings cases[] = {{0, 0, 1, 0, 1, 1, 3, 26, 26}, // byte 26 is data
                                  {1, 1, 0, 1, 0, 0, 1, 13, 10},
                                  {0, 1, 0, 1, 0, 1, 0, 266, 10}, // 266 = 0x010A
                                  {1, 0, 1, 0, 1, 0, 2, kMaxUnitWidth, kMaxRowHeight},
                                  {1, 1, 1, 1, 1, 1, 3, kMinZoom, kMinZoom}};
    test::TempDir dir;
    for (const UserSettings& s : cases) {
        SCOPED_TRACE(std::to_string(s.unitWidth) + "/" + std::to_string(s.rowHeight));
        ASSERT_FALSE(SaveUserSettings(s, dir.file("config.dat")));
        const UserSettingsResult r = LoadUserSettings(dir.file("config.dat"));
        EXPECT_FALSE(r.error);
        EXPECT_TRUE(r.warnings.empty());
        EXPECT_EQ(r.settings, s);
    }
}

TEST(UserSettings, ReadingOddFiles)
{
    struct Case {
        const char* name;
        std::string bytes;
        UserSettings expected;
        std::size_t warnings;
    };
    const UserSettings d;
    const Case cases[] = {
        {"empty", "", d, 0},
        // 13,10 in a 36-byte file is no inserted return: dropping it would
        // shift the zoom y field.
        {"36 raw bytes holding 13,10", rawFields({1, 1, 0, 1, 0, 0, 0, 0x0A0D, 20}),
         UserSettings{1, 1, 0, 1, 0, 0, 0, d.unitWidth, 20}, 1},
        {"short file keeps the rest", rawFields({0, 0}) + "\x05",
         UserSettings{0, 0, 0, 1, 0, 0, 0, d.unitWidth, d.rowHeight}, 0},
        {"longer file: the extra bytes are ignored", rawFields({0, 0, 1, 0, 1, 1, 2, 30, 40, 7}),
         UserSettings{0, 0, 1, 0, 1, 1, 2, 30, 40}, 0},
        {"flags out of range", rawFields({2, 0xFFFFFFFF, 0, 1, 5, 0, 0, 10, 12}),
         UserSettings{1, 1, 0, 1, 0, 0, 0, 10, 12}, 3},
        {"negative style", rawFields({1, 1, 0, 1, 0, 0, 0xFFFFFFFF, 10, 12}),
         UserSettings{1, 1, 0, 1, 0, 0, 0, 10, 12}, 1},
        {"zoom below 1", rawFields({1, 1, 0, 1, 0, 0, 0, 0, 0}), d, 2},
        {"zoom above the maximum",
         rawFields({1, 1, 0, 1, 0, 0, 0, kMaxUnitWidth + 1, kMaxRowHeight + 1}), d, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const UserSettingsResult r = LoadUserSettings(c.bytes);
        EXPECT_EQ(r.settings, c.expected);
        EXPECT_EQ(r.warnings.size(), c.warnings);
        EXPECT_FALSE(r.error);
    }
    // The first style past the last one.
    EXPECT_EQ(LoadUserSettings(rawFields({1, 1, 0, 1, 0, 0, 4, 10, 12})).warnings,
              std::vector<std::string>{"The setting \"Style\" had 4 (allowed 0 to 3); using 0."});
}

TEST(UserSettings, FailedSaveIsReportedAndKeepsTheOldFile)
{
    test::TempDir dir;
    const auto missingFolder = dir.file("no such folder") / "config.dat";
    const std::optional<FileError> err = SaveUserSettings(UserSettings{}, missingFolder);
    ASSERT_TRUE(err);
    EXPECT_NE(err->message.find("config.dat"), std::string::npos);

    // A target that is a folder cannot be replaced; the folder stays.
    const auto folderTarget = dir.file("config.dat");
    std::filesystem::create_directory(folderTarget);
    EXPECT_TRUE(SaveUserSettings(UserSettings{}, folderTarget));
    EXPECT_TRUE(std::filesystem::is_directory(folderTarget));

    // A save that fails part way leaves the settings saved before.
    const auto good = dir.file("kept.dat");
    ASSERT_FALSE(SaveUserSettings(UserSettings{0, 0, 0, 0, 0, 0, 1, 20, 20}, good));
    const std::string before = test::readFileOrDie(good);
    {
        const test::FileSizeLimit noRoom(0);
        EXPECT_TRUE(SaveUserSettings(UserSettings{}, good));
    }
    EXPECT_EQ(test::readFileOrDie(good), before);
}

} // namespace
} // namespace qte
