// Toolbar drawing from the button table, and its click rectangles.

#include "app/toolbar.h"

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "config/user_settings.h"
#include "platform/fakes/fake_tick.h"
#include "platform/fakes/fake_wave_out.h"
#include "platform/image_surface.h"
#include "platform/messages.h"
#include "platform/ppm_image.h"
#include "sound/playback.h"
#include "sound/tempo.h"
#include "support/testsupport.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <string>

namespace qte {
namespace {

struct Rig {
    Tune tune;
    PlayState state;
    fakes::FakeWaveOut device;
    fakes::FakeTickClock tick;
    RecordingMessageSink messages;
    TextConfig config;
    NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());
    UserSettings settings;
    NoteLengthState length;
    int toolbarRepaints = 0;
    int tempoDialogs = 0;
    PlaybackEnv env{tune, state, device, tick, messages, config, hz, settings, {}};

    Rig()
    {
        env.hooks.repaintToolbar = [this] { ++toolbarRepaints; };
        env.hooks.openTempoDialog = [this] { ++tempoDialogs; };
        device.setDoneHandler([this] { playbackDone(env); });
        NoteRecord& n = tune.noteTable[++tune.noteCount];
        n.endMs = 400;
        n.durationMs = 400;
        n.endUnits = msToUnits(400, tune.msPerUnit);
        n.durationUnits = n.endUnits;
        n.pitch = 69;
        (void)openWaveDevice(env);
    }
    void click(int x, int y) { toolbarClick(x, y, env, length); }
};

TEST(Toolbar, HitTestRectangles)
{
    using K = ToolbarHitKind;
    struct Case {
        int x, y;
        ToolbarHit hit;
    };
    const Case cases[] = {
        {10, 10, {K::Play, 0}},
        {47, 20, {K::Play, 0}}, // between the Play and Loop pictures
        {49, 30, {K::Play, 0}},
        {50, 20, {K::Loop, 0}},
        {89, 20, {K::Loop, 0}},
        {90, 20, {K::Stop, 0}},
        {130, 20, {K::Pause, 0}},
        {169, 20, {K::Pause, 0}},
        {170, 20, {}}, // index 4 of the strip does nothing
        {179, 20, {}},
        {180, 20, {K::Tempo, 0}},
        {200, 20, {K::Tempo, 0}},
        {216, 30, {K::Tempo, 0}},
        {217, 20, {}},
        {444, 20, {}},
        {9, 20, {}},
        {10, 9, {}},
        {10, 31, {}},
        {470, 10, {K::NoteValue, 1}},
        {492, 45, {K::NoteValue, 1}}, // wider than the 21-pixel picture
        {493, 20, {}},
        {500, 20, {K::NoteValue, 2}},
        {620, 49, {K::NoteValue, 6}},
        {642, 10, {K::NoteValue, 6}},
        {643, 10, {}},
        {470, 50, {}},
        {470, 9, {}},
        {670, 10, {K::Modifier, 1}},
        {686, 49, {K::Modifier, 1}},
        {687, 20, {}},
        {700, 20, {K::Modifier, 2}},
        {746, 20, {K::Modifier, 3}},
        {747, 20, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const ToolbarHit hit = toolbarHitTest(c.x, c.y);
        EXPECT_EQ(static_cast<int>(hit.kind), static_cast<int>(c.hit.kind));
        EXPECT_EQ(hit.index, c.hit.index);
    }
}

TEST(Toolbar, ClickBetweenPlayAndLoopPlays)
{
    Rig rig;
    rig.click(47, 20);
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.playButtonDown, 1);
    EXPECT_EQ(rig.device.writes.size(), 1u);
}

TEST(Toolbar, TempoClickOpensTheDialogOnly)
{
    Rig rig;
    rig.click(200, 20);
    EXPECT_EQ(rig.tempoDialogs, 1);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.loopPlayback, 0);
    EXPECT_EQ(rig.device.calls, (std::vector<std::string>{"open"}));
}

TEST(Toolbar, TransportClicks)
{
    Rig rig;
    rig.click(60, 20); // loop on while idle
    EXPECT_EQ(rig.state.loopPlayback, 1);
    rig.click(12, 12);
    ASSERT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.device.writes.back().plays, kLoopPlays);
    rig.click(140, 20);
    EXPECT_EQ(rig.state.pauseButtonDown, 1);
    rig.click(100, 20);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.pauseButtonDown, 0);
}

TEST(Toolbar, NoteValueKeysSetTheLengthOfNewNotes)
{
    Rig rig;
    rig.settings.styleMode = static_cast<std::int32_t>(StyleMode::Continuous);
    struct Case {
        int x;
        std::int32_t index;
        float units;
    };
    const Case cases[] = {
        {590, 5, 16.0f}, {492, 1, 1.0f}, {560, 4, 8.0f}, {642, 6, 32.0f}, {500, 2, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        const int repaints = rig.toolbarRepaints;
        rig.click(c.x, 45);
        EXPECT_EQ(rig.length.noteLengthIndex, c.index);
        EXPECT_FLOAT_EQ(rig.length.newNoteUnits, c.units);
        EXPECT_EQ(rig.toolbarRepaints, repaints + 1);
    }
    // Natural style at 160 bpm: a quarter lasts 20 ms short of 375 ms.
    rig.settings.styleMode = static_cast<std::int32_t>(StyleMode::Natural);
    rig.click(560, 30);
    EXPECT_NEAR(rig.length.newNoteUnits, 355.0f / 46.875f, 1e-4);
}

TEST(Toolbar, ModifierKeysToggleAndReplace)
{
    Rig rig;
    rig.settings.styleMode = static_cast<std::int32_t>(StyleMode::Continuous);
    rig.click(560, 20); // quarter: 8 units
    rig.click(675, 20); // dot
    EXPECT_EQ(rig.length.noteLengthModifier, 1);
    EXPECT_FLOAT_EQ(rig.length.newNoteUnits, 12.0f);
    rig.click(675, 20); // the dot again: none
    EXPECT_EQ(rig.length.noteLengthModifier, 0);
    EXPECT_FLOAT_EQ(rig.length.newNoteUnits, 8.0f);
    rig.click(675, 20);
    rig.click(735, 20); // triplet replaces the dot
    EXPECT_EQ(rig.length.noteLengthModifier, 3);
    EXPECT_FLOAT_EQ(rig.length.newNoteUnits, 8.0f * 0.67f);
    rig.click(705, 20); // double dot
    EXPECT_EQ(rig.length.noteLengthModifier, 2);
    EXPECT_FLOAT_EQ(rig.length.newNoteUnits, 14.0f);
    EXPECT_EQ(rig.length.noteLengthIndex, 4);
}

TEST(Toolbar, ClicksOutsideDoNothing)
{
    Rig rig;
    const NoteLengthState before = rig.length;
    for (const auto& [x, y] : {std::pair{300, 20}, {5, 5}, {656, 20}, {800, 20}, {470, 60}}) {
        rig.click(x, y);
    }
    EXPECT_EQ(rig.toolbarRepaints, 0);
    EXPECT_EQ(rig.length.noteLengthIndex, before.noteLengthIndex);
    EXPECT_EQ(rig.length.noteLengthModifier, before.noteLengthModifier);
    EXPECT_EQ(rig.tempoDialogs, 0);
    EXPECT_EQ(rig.device.writes.size(), 0u);
}

class ToolbarPixels : public testing::Test {
protected:
    void SetUp() override
    {
        PpmResult r = readPpmImage(test::resourcePath("buttontable.ppm"));
        ASSERT_TRUE(r.image) << r.error;
        table = std::move(*r.image);
    }
    // Every pixel of the picture's destination is the table's pixel.
    void expectCopied(const ToolbarPicture& p, const ImageSurface& target)
    {
        int wrong = 0;
        for (int y = 0; y < p.destination.height(); ++y)
            for (int x = 0; x < p.destination.width(); ++x)
                wrong += target.pixel(p.destination.left + x, p.destination.top + y) !=
                         table.pixel(p.sourceX + x, p.sourceY + y);
        EXPECT_EQ(wrong, 0);
    }
    // The picture differs from the same place in the other row, so a copy
    // from the wrong row is seen.
    int differingPixels(const ToolbarPicture& p, int otherRow)
    {
        int n = 0;
        for (int y = 0; y < p.destination.height(); ++y)
            for (int x = 0; x < p.destination.width(); ++x)
                n += table.pixel(p.sourceX + x, p.sourceY + y) !=
                     table.pixel(p.sourceX + x, otherRow + y);
        return n;
    }

    ImageSurface table{0, 0};
};

TEST_F(ToolbarPixels, EveryPictureComesFromItsPlace)
{
    struct Case {
        const char* name;
        std::int32_t playDown, loop, pauseDown, index, modifier;
    };
    const Case cases[] = {
        {"idle", 0, 0, 0, 1, 0},
        {"playing, looping, paused", 1, 1, 1, 4, 2},
        {"whole note triplet", 1, 0, 0, 6, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayState play;
        play.playButtonDown = c.playDown;
        play.loopPlayback = c.loop;
        play.pauseButtonDown = c.pauseDown;
        NoteLengthState length;
        length.noteLengthIndex = c.index;
        length.noteLengthModifier = c.modifier;

        ImageSurface target(800, 70);
        drawToolbar(target, table, play, length);

        const ToolbarPicture playPic = transportPicture(ToolbarItem::Play, play);
        EXPECT_EQ(playPic.destination, (Rect{10, 10, 45, 30}));
        EXPECT_EQ(playPic.sourceY, c.playDown ? 20 : 0);
        EXPECT_GT(differingPixels(playPic, c.playDown ? 0 : 20), 0);
        for (ToolbarItem item : {ToolbarItem::Play, ToolbarItem::Loop, ToolbarItem::Stop,
                                 ToolbarItem::Pause, ToolbarItem::Tempo})
            expectCopied(transportPicture(item, play), target);
        EXPECT_EQ(transportPicture(ToolbarItem::Tempo, play).destination, (Rect{180, 10, 217, 30}));
        EXPECT_EQ(transportPicture(ToolbarItem::Stop, play).sourceY, 0);

        for (int i = 1; i <= 6; ++i) {
            const ToolbarPicture p = noteValuePicture(i, length);
            EXPECT_EQ(p.destination, (Rect{470 + 30 * (i - 1), 10, 491 + 30 * (i - 1), 49}));
            EXPECT_EQ(p.sourceY, i == c.index ? 391 : 430);
            EXPECT_GT(differingPixels(p, i == c.index ? 430 : 391), 0);
            expectCopied(p, target);
        }
        for (int j = 1; j <= 3; ++j) {
            const ToolbarPicture p = modifierPicture(j, length);
            EXPECT_EQ(p.sourceX, 293 + 16 * (j - 1));
            EXPECT_EQ(p.sourceY, j == c.modifier ? 391 : 430);
            expectCopied(p, target);
        }

        // The frames, one pixel inside their rectangles; nothing beyond.
        const Colour grey = kToolbarFrameColour;
        EXPECT_EQ(target.pixel(5, 5), grey);
        EXPECT_EQ(target.pixel(221, 34), grey);
        EXPECT_EQ(target.pixel(100, 5), grey);
        EXPECT_EQ(target.pixel(5, 20), grey);
        EXPECT_NE(target.pixel(222, 35), grey);
        EXPECT_NE(target.pixel(6, 6), grey);
        EXPECT_EQ(target.pixel(460, 5), grey);
        EXPECT_EQ(target.pixel(755, 54), grey);
        EXPECT_EQ(target.pixel(600, 54), grey);
        EXPECT_EQ(target.pixel(756, 55), rgbColour(0, 0, 0));
        EXPECT_EQ(target.pixel(300, 20), rgbColour(0, 0, 0)); // between the groups
    }
}

// The pictures the key strip of the matrix takes are drawn, lit and unlit.
TEST_F(ToolbarPixels, KeyStripPicturesAreInTheTable)
{
    struct Picture {
        const char* name;
        Rect normal;
        int litX;
    };
    const Picture pictures[] = {
        {"C/F key", {0, 394, 64, 402}, 66},   {"D/G/A key", {0, 385, 64, 393}, 66},
        {"E/B key", {0, 376, 64, 384}, 66},   {"black key", {0, 405, 41, 411}, 42},
        {"vibra label", {0, 363, 65, 375}, 66}, {"text label", {132, 363, 197, 375}, 198},
    };
    const Colour unused = table.pixel(356, 494);
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.name);
        int drawn = 0;
        int lit = 0;
        for (int y = p.normal.top; y < p.normal.bottom; ++y)
            for (int x = p.normal.left; x < p.normal.right; ++x) {
                drawn += table.pixel(x, y) != unused;
                lit += table.pixel(x, y) != table.pixel(x - p.normal.left + p.litX, y);
            }
        EXPECT_EQ(drawn, p.normal.width() * p.normal.height());
        EXPECT_GT(lit, p.normal.width() * p.normal.height() / 2);
    }
}

} // namespace
} // namespace qte
