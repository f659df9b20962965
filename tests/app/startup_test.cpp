#include "app/startup.h"

#include "app/commands.h"
#include "app/menu.h"
#include "editor_fixture.h"

#include <algorithm>

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

TEST_F(Startup, FirstStartWithoutFilesKeepsDefaultsAndSaysConfigIsMissing)
{
    startEditor(ctx, kStart, "/data");
    EXPECT_EQ(ctx.settings, UserSettings{});
    EXPECT_EQ(ctx.matrixView.keyStripWidth, kKeyStripWidth);
    EXPECT_EQ(takeMessage(), "Warning: No config.cfg in /start or /data: the tone text uses "
                             "built-in defaults");
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

// Started anywhere (a desktop launcher starts in the home folder), the
// editor reads the config.cfg and midihz.ini it ships with; the start
// directory's own come first.
TEST_F(Startup, ConfigAndFrequenciesComeFromTheDataFolderWhenTheStartHasNone)
{
    const std::filesystem::path data = "/usr/share/quelo-tune-editor";
    const std::string config = test::readFileOrDie(test::resourcePath("config.cfg"));
    files.files[data / "config.cfg"] = config;
    files.files[data / "midihz.ini"] = "69,450.0\n";
    startEditor(ctx, kStart, data);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.noteFrequencyHz[69], 450);
    EXPECT_EQ(ctx.textConfig.noteNamePrefix[0], "AUD_NOTE");
    const auto log = takeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "read ../usr/share/quelo-tune-editor/config.cfg"),
              1);

    // A New Tune reads it again from where it is.
    ctx.textConfig = {};
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.textConfig.noteNamePrefix[0], "AUD_NOTE");
    EXPECT_EQ(takeMessage(), "");

    // The start directory's own is taken first.
    files.files[kStart / "config.cfg"] = "NOTENAMES:\n*BEGIN*\nOWN_NOTE\n*END*\n\n";
    runCommand(ctx, cmd::NewTune);
    EXPECT_EQ(ctx.textConfig.noteNamePrefix[0], "OWN_NOTE");
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

// Wide enough, the children open side by side without overlap; the
// Ringdata view holds a whole TONE line. Narrower, the fixed places, with
// the Ringdata view still wide enough for one.
TEST(ChildPlacement, SideBySideWhereTheClientIsWideEnough)
{
    const ChildFrame frame{22, 40};
    const int ringdata = kToneLineColumns * 8 + 22, tunes = kTuneListColumns * 8 + 22;
    struct Case {
        const char* name;
        int width, height;
        Rect tunes, ringdata, matrix;
    };
    const Case cases[] = {
        {"1280 x 1024",
         1280,
         950,
         {0, 63, tunes, 950},
         {tunes, 63, tunes + ringdata, 950},
         {tunes + ringdata, 63, 1280, 950}},
        {"1920 x 1080",
         1920,
         1000,
         {0, 63, tunes, 1000},
         {tunes, 63, tunes + ringdata, 1000},
         {tunes + ringdata, 63, 1920, 1000}},
        {"1024 x 768",
         1024,
         700,
         {0, 40, 300, 680},
         {20, 63, 20 + ringdata, 700},
         {460 + ringdata - 430, 63, 1029, 700}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto places = arrangeChildren(c.width, c.height, frame);
        EXPECT_EQ(places[static_cast<int>(Child::TunesInRingdata)], c.tunes);
        EXPECT_EQ(places[static_cast<int>(Child::RingdataView)], c.ringdata);
        EXPECT_EQ(places[static_cast<int>(Child::MatrixEdit)], c.matrix);
    }
    // The narrowest side-by-side layout still leaves the matrix its width.
    const int narrowest = tunes + ringdata + kSideBySideMatrixWidth;
    EXPECT_EQ(arrangeChildren(narrowest, 900, frame)[0].width(), kSideBySideMatrixWidth);
    EXPECT_EQ(arrangeChildren(narrowest - 1, 900, frame)[0].left, 460 + ringdata - 430);
}

} // namespace
} // namespace qte
