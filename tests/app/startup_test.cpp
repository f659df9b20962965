#include "app/startup.h"

#include "app/commands.h"
#include "app/menu.h"
#include "editor_fixture.h"

namespace qte {
namespace {

using test::EditorFixture;

class Startup : public EditorFixture {};

TEST_F(Startup, ReadsSettingsThenFrequenciesAndWritesSettingsAtExit)
{
    UserSettings stored;
    stored.drawKeys = 0;
    stored.styleMode = 3;
    stored.unitWidth = 20;
    stored.rowHeight = 7;
    files.files[kStart / "config.dat"] = EncodeUserSettings(stored);
    files.files[kStart / "midihz.ini"] = "69,450.0\n";
    files.files[kStart / "editor.ini"] = "SoundNotesWhileEditing=0\n";

    start();
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"read config.dat", "read editor.ini",
                                                   "read midihz.ini", "read config.cfg"}));
    EXPECT_EQ(ctx.settings, stored);
    EXPECT_FALSE(isCommandChecked(ctx, cmd::SoundNotes));
    EXPECT_EQ(ctx.matrixView.keyStripWidth, 0);
    EXPECT_EQ(ctx.matrixView.unitWidth, 20);
    EXPECT_EQ(ctx.noteFrequencyHz[69], 450);
    EXPECT_TRUE(isCommandChecked(ctx, cmd::StyleStaccato));
    EXPECT_FALSE(isCommandChecked(ctx, cmd::StyleNatural));
    EXPECT_TRUE(isCommandChecked(ctx, cmd::KindNormal));
    EXPECT_TRUE(isCommandChecked(ctx, cmd::ViewMatrix));
    EXPECT_TRUE(messages.shown.empty());

    // A zoom step during the run is kept for the next one.
    runCommand(ctx, cmd::ZoomYIn);
    const int rowHeight = ctx.matrixView.rowHeight;
    EXPECT_NE(rowHeight, 7);
    runCommand(ctx, cmd::SoundNotes);
    shutdownEditor(ctx);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"write config.dat", "write editor.ini"}));
    const auto reread = LoadUserSettings(files.files[kStart / "config.dat"]);
    EXPECT_EQ(reread.settings.rowHeight, rowHeight);
    EXPECT_EQ(reread.settings.styleMode, 3);
    EXPECT_TRUE(messages.shown.empty());
    // The option of our own stays out of config.dat's nine fields.
    EXPECT_EQ(files.files[kStart / "config.dat"], EncodeUserSettings(reread.settings));
    EXPECT_EQ(LoadEditorOptions(files.files[kStart / "editor.ini"]).options.soundNotes, 1);

    // A config.dat that cannot be written is named, with the reason, and
    // the old one stays.
    files.failWrites.push_back(kStart / "config.dat");
    runCommand(ctx, cmd::ZoomYIn);
    shutdownEditor(ctx);
    EXPECT_EQ(takeMessage(), "Error!: Cannot write \"/start/config.dat\": Permission denied");
    EXPECT_EQ(LoadUserSettings(files.files[kStart / "config.dat"]).settings.rowHeight, rowHeight);
}

TEST_F(Startup, FirstStartWithoutFilesKeepsDefaultsQuietly)
{
    start();
    EXPECT_EQ(ctx.settings, UserSettings{});
    EXPECT_EQ(ctx.matrixView.keyStripWidth, kKeyStripWidth);
    EXPECT_TRUE(messages.shown.empty());
    for (int id : {cmd::StyleNatural, cmd::StyleContinuous, cmd::StyleStaccato,
                   cmd::AddDefaultParts, cmd::PlayPolitely}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(isCommandChecked(ctx, id));
    }
    EXPECT_TRUE(isCommandChecked(ctx, cmd::SoundNotes));
    EXPECT_EQ(matrixWindow.caption(), "Matrix edit - Undefined");
    EXPECT_EQ(ringdataWindow.caption(), "Ringdata view - Undefined");
    EXPECT_EQ(catalogueWindow.caption(), "No Ringdata opened");
    EXPECT_EQ(ctx.tune().toneId, "UNDF");
}

TEST(ChildPlacement, FixedPlacesInTheClientArea)
{
    // A 1280 x 1024 screen leaves a client area of about 1280 x 971; the
    // Matrix edit window reaches 5 pixels past its right edge.
    struct Case {
        Child child;
        Rect expected;
    };
    const Case cases[] = {
        {Child::MatrixEdit, {460, 63, 1285, 971}},
        {Child::RingdataView, {20, 63, 450, 971}},
        {Child::TunesInRingdata, {0, 40, 300, 951}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.child));
        EXPECT_EQ(childPlacement(c.child, 1280, 971), c.expected);
    }
}

} // namespace
} // namespace qte
