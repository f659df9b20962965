#include "matrix/matrix_painter.h"

#include "matrix_scene.h"
#include "tune/tempo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace qte {
namespace {

using testing_support::MatrixScene;

constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kWhite = rgbColour(255, 255, 255);
constexpr Colour kGrey = rgbColour(150, 150, 150);
using Pt = std::pair<int, int>;

TEST(MatrixPainter, EmptyTunePaintsBlackBandsWithGreyLines)
{
    MatrixScene s;
    s.image.fillRect({0, 0, 480, 360}, rgbColour(1, 2, 3)); // so every probe was painted
    s.paint();
    const MatrixView& v = s.view;
    const int L = v.keyStripWidth, W = v.unitWidth, h = v.rowHeight;
    struct Probe {
        const char* name;
        int x, y;
        Colour expected;
    };
    const Probe probes[] = {
        {"cell", s.cellCentre(1, 70).first, s.cellCentre(1, 70).second, kBlack},
        {"last cell", L + (v.visibleUnits - 1) * W + 2, v.gridBottom() - 2, kBlack},
        {"row line", L + W / 2, kGridTop + 2 * h, kGrey},
        {"unit 0 line", L, kGridTop + 5, rgbColour(250, 250, 250)},
        {"unit 1 line", L + W, kGridTop + 5, rgbColour(100, 100, 100)},
        {"unit 2 line", L + 2 * W, kGridTop + 5, rgbColour(150, 150, 150)},
        {"unit 4 line", L + 4 * W, kGridTop + 5, rgbColour(200, 200, 200)},
        {"unit 8 line", L + 8 * W, kGridTop + 5, rgbColour(250, 250, 250)},
        {"ruler", L + W / 2, 27, kBlack},
        {"even tick", L + 2 * W, 31, kWhite},
        {"odd tick top", L + W, 33, kBlack},
        {"odd tick", L + W + 1, 36, kWhite},
        {"vibra frame", L + 3, v.vibraTop(), kGrey},
        {"vibra inside", L + 3, v.vibraTop() + 2, kBlack},
        {"vibra bottom frame", L + 3, v.vibraBottom(), kGrey},
        {"text frame", L + 3, v.textTop(), kGrey},
        {"text inside", L + 3, v.textTop() + 2, kBlack},
        {"repeat strip", 470, 16, kBlack},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(s.image.pixel(p.x, p.y), p.expected);
    }
    // Every fourth unit is labelled with its beat.
    const auto& t = s.image.texts();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ((std::tuple{t[0].text, t[0].x, t[0].y}), (std::tuple{std::string("0"), L - 3, 23}));
    EXPECT_EQ((std::pair{t[3].text, t[3].x}), (std::pair{std::string("3"), L + 12 * W - 3}));
}

TEST(MatrixPainter, NotesFillTheirRectangleInTheColourOfTheirKindAndRepaintClearsBehindThem)
{
    MatrixScene s;
    s.options.customNoteCount = 10;
    s.tune.freqDefineCount = 10;
    ASSERT_TRUE(s.addNotes({{2, 6, 75}}));
    ASSERT_EQ(s.addNote(8, 9, 78, NoteKind::Special), 2);
    ASSERT_EQ(s.addNote(10, 11, 80, NoteKind::FreqDefine), 3);
    ASSERT_EQ(s.addNote(12, 13, 73, NoteKind::Special), 4);
    s.tune.noteTable[4].selected = 1;
    s.paint();
    const MatrixView& v = s.view;
    const int left = v.unitsToX(2.0f), right = v.unitsToX(6.0f), top = v.pitchToY(75);
    // The kinds' colours; the note's corners; the grid line before it and the
    // row line above it; black beside, above and below it.
    EXPECT_EQ(
        s.pixels({s.cellCentre(8, 78), s.cellCentre(10, 80), s.cellCentre(12, 73),
                  s.cellCentre(3, 75), Pt(left + 1, top + 1), Pt(right - 1, top + v.rowHeight - 1),
                  Pt(left, top + 5), Pt(left + 3, top), Pt(left - 1, top + 5),
                  Pt(right + 1, top + 5), s.cellCentre(3, 76), s.cellCentre(3, 74)}),
        (std::vector{rgbColour(200, 0, 125), rgbColour(0, 200, 200), rgbColour(100, 100, 255),
                     kWhite, kWhite, kWhite, kGrey, kGrey, kBlack, kBlack, kBlack, kBlack}));

    // Where a note was, the next repaint leaves black cells; a note ending
    // inside a cell leaves the rest of that cell black.
    s.tune.noteTable[1].selected = 1;
    s.tune.noteTable[4].selected = 0;
    DeleteSelectedNotes(s.tune);
    ASSERT_GT(s.addNote(14.0f, 15.5f, 72), 0);
    s.paint();
    const int endX = v.unitsToX(15.5f), y = s.cellCentre(15, 72).second;
    EXPECT_EQ(
        s.pixels({s.cellCentre(4, 75), s.cellCentre(14, 72), Pt(endX - 1, y), Pt(endX + 1, y)}),
        (std::vector{kBlack, kWhite, kWhite, kBlack}));
}

TEST(MatrixPainter, NotesAreClippedToTheGridAndAtLeastOnePixelWide)
{
    MatrixScene s;
    const int lastUnit = s.view.scrollUnits + s.view.visibleUnits;
    ASSERT_TRUE(
        s.addNotes({{0.0f, 3.0f, 75},
                    {20.0f, 20.05f, 75},
                    {static_cast<float>(lastUnit - 2), static_cast<float>(lastUnit + 10), 76}}));
    s.view.scrollUnits = 1;
    s.view.horizontalBar.position = 1;
    s.paint();
    const MatrixView& v = s.view;
    // The last column runs past the client's right edge (480).
    ASSERT_GT(v.gridRight(), 480);
    const int y = s.cellCentre(1, 75).second, y2 = s.cellCentre(1, 76).second;
    const int x = v.unitsToX(20.0f);
    EXPECT_EQ(s.pixels({Pt(v.gridLeft() + 1, y), Pt(x + 1, y), Pt(x + 2, y), Pt(479, y2),
                        Pt(v.unitsToX(36.0f) + 1, y2)}),
              (std::vector{kWhite, kWhite, kBlack, kWhite, kWhite}));
    EXPECT_NE(s.image.pixel(v.gridLeft() - 1, y), kWhite) << "not into the key strip";
}

TEST(MatrixPainter, StripsShowVibraTextsAndRepeats)
{
    MatrixScene s;
    ASSERT_GT(InsertVibra(s.tune, testing_support::makeNote(2.0f, 5.0f)), 0);
    ASSERT_GT(InsertText(s.tune, 8.0f), 0);
    ASSERT_GT(InsertRepeat(s.tune, 4.0f, 12.0f), 0);
    s.paint();
    const MatrixView& v = s.view;
    const int vy = (v.vibraTop() + v.vibraBottom()) / 2;
    const int ty = (v.textTop() + v.textBottom()) / 2;
    // Bars over the grid at both ends of the repeat block.
    const int start = v.msToX(s.tune.repeatList[1].startMs, s.tune.msPerUnit);
    const int end = v.msToX(s.tune.repeatList[1].endMs, s.tune.msPerUnit);
    const Colour red = rgbColour(255, 0, 0);
    EXPECT_EQ(
        s.pixels({Pt(v.unitsToX(3.0f), vy), Pt(v.unitsToX(1.0f), vy), Pt(v.unitsToX(6.0f), vy),
                  Pt(v.unitsToX(8.0f) + 2, ty), Pt(v.unitsToX(9.0f) + 2, ty),
                  Pt(v.unitsToX(6.0f), 18), Pt(v.unitsToX(13.0f), 18),
                  Pt(start + 1, v.gridBottom() - 3), Pt(end - 2, kGridTop + 3)}),
        (std::vector{kWhite, kBlack, kBlack, rgbColour(20, 200, 125), kBlack, red, kBlack, red,
                     red}));
    EXPECT_NE(s.image.pixel(end + 1, kGridTop + 3), red);
}

// The item under the right button ends where a placed one would, and shows
// as a one-pixel marker before the mouse has given it any length.
TEST(MatrixPainter, TheItemBeingDrawnReachesItsRightEdgeAndShowsWithoutLength)
{
    struct Case {
        const char* name;
        std::int32_t pitch;
        float end;
    };
    const Case cases[] = {
        {"note", 75, 7.0f},
        {"note, no length", 75, 3.0f},
        {"vibra", kPendingVibra, 7.0f},
        {"vibra, no length", kPendingVibra, 3.0f},
        {"repeat", kPendingRepeat, 7.0f},
        {"repeat, no length", kPendingRepeat, 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixScene s;
        s.options.styleMode = static_cast<std::int32_t>(StyleMode::Continuous);
        s.keys.ctrlDown = true; // the end is the mouse time
        s.edit.drawingItem = true;
        s.edit.pendingItem = testing_support::makeNote(3.0f, 3.0f, c.pitch);
        s.edit.mouseX = s.xAt(c.end);
        s.edit.mouseY = s.yAt(75);
        s.paint();
        const MatrixView& v = s.view;
        const int y = c.pitch >= 1               ? s.yAt(c.pitch)
                      : c.pitch == kPendingVibra ? (v.vibraTop() + v.vibraBottom()) / 2
                                                 : 20;
        const int left = v.unitsToX(3.0f), right = v.unitsToX(c.end);
        const int lastLit = std::max(right - 1, left + 1);
        // Past it: the grid line of unit 7 on a note row, else black.
        const bool line = c.pitch >= 1 && right > left;
        EXPECT_EQ(s.pixels({Pt(left + 1, y), Pt(lastLit, y), Pt(lastLit + 1, y)}),
                  (std::vector{kWhite, kWhite, line ? rgbColour(100, 100, 100) : kBlack}));
    }
}

// While a tune plays, a one-pixel line stands across the grid at the play
// clock, over the notes; before the tune's start, off the view, or once the
// play ends, there is none.
TEST(MatrixPainter, PlayLineMarksThePlayClockAcrossTheGrid)
{
    MatrixScene s;
    s.addNote(0.0f, 16.0f, 70);
    const MatrixView& v = s.view;
    const Colour line = s.painter.colours().playLine;
    const int mid = (kGridTop + v.gridBottom()) / 2;
    // The columns of the grid showing the line, on one row.
    const auto lineColumns = [&](int y) {
        std::vector<int> xs;
        for (int x = 0; x < s.image.width(); ++x)
            if (s.image.pixel(x, y) == line) xs.push_back(x);
        return xs;
    };
    struct Case {
        const char* name;
        bool playing;
        std::int32_t ms;
        std::vector<int> columns;
    };
    // 375 ms is 8 units at 46.875 ms a unit.
    const int at8 = v.keyStripWidth + 8 * v.unitWidth;
    const Case cases[] = {
        {"at 8 units", true, 375, {at8}},  {"at the start", true, 0, {v.keyStripWidth}},
        {"polite prefix", true, -500, {}}, {"past the view", true, 100'000, {}},
        {"not playing", false, 375, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s.play.playing = c.playing;
        s.play.playPosMs = c.ms;
        s.paint();
        EXPECT_EQ(lineColumns(mid), c.columns);
        EXPECT_EQ(lineColumns(s.cellCentre(3, 70).second), c.columns); // over the note
        EXPECT_EQ(lineColumns(v.vibraTop() + 2), std::vector<int>{});  // the grid only
    }
}

TEST(MatrixPainter, RubberBandFramesTheDraggedRectangle)
{
    MatrixScene s;
    s.tune.selectionMode = 1;
    s.edit.bandAnchorUnits = 2.0f;
    s.edit.bandAnchorPitch = 80;
    const Rect target = s.view.cellRect(8, 75);
    s.edit.mouseX = target.left;
    s.edit.mouseY = target.top;
    s.paint();
    const MatrixView& v = s.view;
    const int left = v.unitsToX(2.0f), right = v.unitsToX(8.0f);
    const int top = v.pitchToY(80), bottom = v.pitchToY(75) + 1;
    EXPECT_EQ(s.pixels({Pt(left, top + 5), Pt(right - 1, top + 5), Pt(left + 5, top),
                        Pt(left + 5, bottom - 1), Pt(left + 5, top + 5)}),
              (std::vector{kWhite, kWhite, kWhite, kWhite, kBlack}));
    EXPECT_NE(s.image.pixel(right + 1, top + 5), kWhite);
    s.tune.selectionMode = 0;
    s.paint();
    EXPECT_NE(s.image.pixel(left, top + 5), kWhite);
}

// A BUTTONTABLE of solid pictures, one colour per picture and state.
ImageSurface buttonTable()
{
    ImageSurface t(264, 412);
    const ButtonPicture* pictures[] = {&kWhiteKeyCF, &kWhiteKeyDGA, &kWhiteKeyEB,
                                       &kBlackKey,   &kVibraLabel,  &kTextLabel};
    for (std::uint32_t i = 0; i < 6; ++i) {
        t.fillRect(pictures[i]->normal, rgbColour(10 * i + 10, 0, 0));
        t.fillRect(pictures[i]->lit, rgbColour(10 * i + 11, 0, 0));
    }
    return t;
}

TEST(MatrixPainter, KeyStripComesFromTheButtonTable)
{
    const ImageSurface table = buttonTable();
    MatrixScene s;
    s.painter.setButtonTable(&table);
    const int cRow = s.yAt(72), vibra = s.view.vibraTop() + 3;
    // The C key, the black key of C#, the last column left alone, the strip
    // labels; with and without the mouse on a key or a label.
    auto keys = [&] {
        s.paint();
        return s.pixels({Pt(60, cRow), Pt(10, s.yAt(73)), Pt(s.view.keyStripWidth - 1, cRow),
                         Pt(10, vibra), Pt(10, s.view.textTop() + 3)});
    };
    auto red = [](std::uint32_t r) { return rgbColour(r, 0, 0); };
    s.edit.mouseY = 5;
    EXPECT_EQ(keys(), (std::vector{red(10), red(40), kBlack, red(50), red(60)}));
    // The right part of the C# row shows a white key, the black key being narrower.
    const Colour beside = s.image.pixel(60, s.yAt(73));
    EXPECT_TRUE(beside == red(10) || beside == red(20)) << "not " << beside;
    s.edit.mouseY = cRow;
    EXPECT_EQ(keys(), (std::vector{red(11), red(40), kBlack, red(50), red(60)}));
    EXPECT_EQ(s.edit.hoverPitch, 72);
    s.edit.mouseY = vibra;
    EXPECT_EQ(keys(), (std::vector{red(10), red(40), kBlack, red(51), red(60)}));
    // During playback the sounding pitch is lit instead of the hovered one.
    s.play.playing = true;
    s.play.soundingPitch = 72;
    EXPECT_EQ(keys()[0], red(11));
    // While a vibra segment is drawn no key is lit.
    s.play.playing = false;
    s.edit.mouseY = cRow;
    s.edit.drawingItem = true;
    s.edit.pendingItem.pitch = kPendingVibra;
    EXPECT_EQ(keys()[0], red(10));
}

// The keys carry the note names of the tone text: every C at the default
// zoom, every key once a row holds the name's text; a key the text cannot
// name shows its number. Each name lies on its own key within the strip.
TEST(MatrixPainter, KeysCarryTheNamesOfTheToneText)
{
    const NoteNameTable names = BuildNoteNameTable();
    struct Case {
        int rowHeight;
        bool everyKey;
    };
    for (const Case c : {Case{12, false}, Case{16, true}}) {
        SCOPED_TRACE(c.rowHeight);
        MatrixScene s(true, 480, 900, 11, c.rowHeight);
        s.options.noteNames = &names;
        s.paint();
        const MatrixView& v = s.view;
        std::map<int, std::string> shown; // pitch of the row under the label's foot
        for (const TextCall& t : s.image.texts()) {
            if (t.y < kRulerBottom) continue; // the ruler's beats
            EXPECT_GE(t.x, 0);
            EXPECT_LE(t.x + 8 * static_cast<int>(t.text.size()), v.keyStripWidth - 1);
            EXPECT_GE(t.y, kGridTop);
            EXPECT_LE(t.y + kFontCellHeight, v.gridBottom());
            for (int p = v.lowestPitch; p < v.lowestPitch + v.visibleRows; ++p)
                if (keyLabelAt(v, p, t.text.size()).y == t.y &&
                    keyLabelAt(v, p, t.text.size()).x == t.x && keyLabel(names, p) == t.text)
                    shown[p] = t.text;
        }
        std::map<int, std::string> expected;
        for (int p = v.lowestPitch; p < v.lowestPitch + v.visibleRows; ++p)
            if (c.everyKey || p % 12 == 0) expected[p] = keyLabel(names, p);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(keyLabel(names, 84), "C2");
        EXPECT_EQ(keyLabel(names, 97), "D3b");
        EXPECT_EQ(keyLabel(names, 60), "60");
        // A black key's name stays on the black key, a white key's right of it.
        const int blackRight = static_cast<int>((v.keyStripWidth - 1) * 0.66f);
        EXPECT_LE(keyLabelAt(v, 97, 3).x + 24, blackRight);
        EXPECT_GE(keyLabelAt(v, 96, 2).x, blackRight);
    }
}

TEST(MatrixPainter, WithoutDrawKeysTheGridStartsAtTheLeftEdge)
{
    const ImageSurface table = buttonTable();
    MatrixScene s(false);
    s.painter.setButtonTable(&table);
    ASSERT_EQ(s.view.keyStripWidth, 0);
    ASSERT_GT(s.addNote(0.0f, 2.0f, 72), 0);
    s.paint();
    const int cRow = s.view.pitchToY(72) + s.view.rowHeight / 2;
    EXPECT_EQ(s.image.pixel(5, cRow), kWhite) << "the note, not a key";
    EXPECT_EQ(s.image.pixel(5, s.view.vibraTop() + 3), kBlack) << "no strip label";
    EXPECT_EQ(s.painter.backBitmap().width(), 0);
}

} // namespace
} // namespace qte
