#include "matrix/matrix_painter.h"

#include "matrix_scene.h"

#include <gtest/gtest.h>

#include <tuple>

namespace qte {
namespace {

using testing_support::MatrixScene;

constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kWhite = rgbColour(255, 255, 255);
constexpr Colour kGrey = rgbColour(150, 150, 150);

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

TEST(MatrixPainter, NotesFillTheirComputedRectangle)
{
    struct Case {
        const char* name;
        NoteKind kind;
        int selected;
        Colour colour;
    };
    const Case cases[] = {
        {"normal", NoteKind::Normal, 0, kWhite},
        {"special", NoteKind::Special, 0, rgbColour(200, 0, 125)},
        {"freq define", NoteKind::FreqDefine, 0, rgbColour(0, 200, 200)},
        {"selected", NoteKind::Special, 1, rgbColour(100, 100, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixScene s;
        s.options.customNoteCount = 10;
        s.tune.freqDefineCount = 10;
        const int i = s.addNote(2.0f, 6.0f, 75, c.kind);
        ASSERT_EQ(i, 1);
        s.tune.noteTable[1].selected = c.selected;
        s.paint();
        const MatrixView& v = s.view;
        const int left = v.unitsToX(2.0f), right = v.unitsToX(6.0f), top = v.pitchToY(75);
        EXPECT_EQ(s.at(s.cellCentre(3, 75)), c.colour);
        EXPECT_EQ(s.image.pixel(left + 1, top + 1), c.colour);
        EXPECT_EQ(s.image.pixel(right - 1, top + v.rowHeight - 1), c.colour);
        EXPECT_EQ(s.image.pixel(left, top + 5), kGrey) << "the grid line before the note";
        EXPECT_EQ(s.image.pixel(left - 1, top + 5), kBlack);
        EXPECT_EQ(s.image.pixel(right + 1, top + 5), kBlack);
        EXPECT_EQ(s.image.pixel(left + 3, top), kGrey) << "row line above";
        EXPECT_EQ(s.at(s.cellCentre(3, 76)), kBlack);
        EXPECT_EQ(s.at(s.cellCentre(3, 74)), kBlack);
    }
}

TEST(MatrixPainter, RepaintClearsWhatAMovedNoteLeftBehind)
{
    MatrixScene s;
    ASSERT_GT(s.addNote(2.0f, 6.0f, 75), 0);
    s.paint();
    ASSERT_EQ(s.at(s.cellCentre(4, 75)), kWhite);
    s.tune.noteTable[1].selected = 1;
    DeleteSelectedNotes(s.tune);
    ASSERT_GT(s.addNote(10.0f, 11.5f, 72), 0);
    s.paint();
    EXPECT_EQ(s.at(s.cellCentre(4, 75)), kBlack);
    EXPECT_EQ(s.at(s.cellCentre(10, 72)), kWhite);
    // A note ending inside a cell leaves the rest of that cell black.
    const int endX = s.view.unitsToX(11.5f);
    EXPECT_EQ(s.image.pixel(endX - 1, s.cellCentre(11, 72).second), kWhite);
    EXPECT_EQ(s.image.pixel(endX + 1, s.cellCentre(11, 72).second), kBlack);
}

TEST(MatrixPainter, NotesAreClippedToTheGridAndAtLeastOnePixelWide)
{
    MatrixScene s;
    ASSERT_GT(s.addNote(0.0f, 3.0f, 75), 0);
    ASSERT_GT(s.addNote(20.0f, 20.05f, 75), 0);
    const int lastUnit = s.view.scrollUnits + s.view.visibleUnits;
    ASSERT_GT(s.addNote(static_cast<float>(lastUnit - 2), static_cast<float>(lastUnit + 10), 76),
              0);
    s.view.scrollUnits = 1;
    s.view.horizontalBar.position = 1;
    s.paint();
    const MatrixView& v = s.view;
    const int y = s.cellCentre(1, 75).second;
    EXPECT_EQ(s.image.pixel(v.gridLeft() + 1, y), kWhite);
    EXPECT_NE(s.image.pixel(v.gridLeft() - 1, y), kWhite) << "not into the key strip";
    const int x = v.unitsToX(20.0f);
    EXPECT_EQ(s.image.pixel(x + 1, y), kWhite);
    EXPECT_EQ(s.image.pixel(x + 2, y), kBlack);
    const int y2 = s.cellCentre(1, 76).second;
    // The last column runs past the client's right edge (480).
    ASSERT_GT(v.gridRight(), 480);
    EXPECT_EQ(s.image.pixel(479, y2), kWhite);
    EXPECT_EQ(s.image.pixel(v.unitsToX(36.0f) + 1, y2), kWhite);
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
    EXPECT_EQ(s.image.pixel(v.unitsToX(3.0f), vy), kWhite);
    EXPECT_EQ(s.image.pixel(v.unitsToX(1.0f), vy), kBlack);
    EXPECT_EQ(s.image.pixel(v.unitsToX(6.0f), vy), kBlack);
    const int ty = (v.textTop() + v.textBottom()) / 2;
    EXPECT_EQ(s.image.pixel(v.unitsToX(8.0f) + 2, ty), rgbColour(20, 200, 125));
    EXPECT_EQ(s.image.pixel(v.unitsToX(9.0f) + 2, ty), kBlack);
    const Colour red = rgbColour(255, 0, 0);
    EXPECT_EQ(s.image.pixel(v.unitsToX(6.0f), 18), red);
    EXPECT_EQ(s.image.pixel(v.unitsToX(13.0f), 18), kBlack);
    // Bars over the grid at both ends of the block.
    const int start = v.msToX(s.tune.repeatList[1].startMs, s.tune.msPerUnit);
    const int end = v.msToX(s.tune.repeatList[1].endMs, s.tune.msPerUnit);
    EXPECT_EQ(s.image.pixel(start + 1, v.gridBottom() - 3), red);
    EXPECT_EQ(s.image.pixel(end - 2, kGridTop + 3), red);
    EXPECT_NE(s.image.pixel(end + 1, kGridTop + 3), red);
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
    EXPECT_FLOAT_EQ(s.edit.bandCurrentUnits, 8.0f);
    EXPECT_EQ(s.edit.bandCurrentPitch, 75);
    const int left = v.unitsToX(2.0f), right = v.unitsToX(8.0f);
    const int top = v.pitchToY(80), bottom = v.pitchToY(75) + 1;
    EXPECT_EQ(s.image.pixel(left, top + 5), kWhite);
    EXPECT_EQ(s.image.pixel(right - 1, top + 5), kWhite);
    EXPECT_EQ(s.image.pixel(left + 5, top), kWhite);
    EXPECT_EQ(s.image.pixel(left + 5, bottom - 1), kWhite);
    EXPECT_EQ(s.image.pixel(left + 5, top + 5), kBlack);
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
    // C (72): its white key picture; the right part of C# (73) row shows
    // white key D since the black key is narrower.
    const int cRow = s.view.pitchToY(72) + s.view.rowHeight / 2;
    s.edit.mouseY = 5; // no key hovered
    s.paint();
    EXPECT_EQ(s.image.pixel(60, cRow), rgbColour(10, 0, 0));
    const int csRow = s.view.pitchToY(73) + s.view.rowHeight / 2;
    EXPECT_EQ(s.image.pixel(10, csRow), rgbColour(40, 0, 0)) << "black key";
    const Colour beside = s.image.pixel(60, csRow);
    EXPECT_TRUE(beside == rgbColour(10, 0, 0) || beside == rgbColour(20, 0, 0))
        << "a white key beside it, not " << beside;
    EXPECT_EQ(s.image.pixel(s.view.keyStripWidth - 1, cRow), kBlack) << "last column left alone";
    EXPECT_EQ(s.image.pixel(10, s.view.vibraTop() + 3), rgbColour(50, 0, 0));
    EXPECT_EQ(s.image.pixel(10, s.view.textTop() + 3), rgbColour(60, 0, 0));

    // The key under the mouse lights up, and so does the hovered strip label.
    s.edit.mouseY = cRow;
    s.paint();
    EXPECT_EQ(s.edit.hoverPitch, 72);
    EXPECT_EQ(s.image.pixel(60, cRow), rgbColour(11, 0, 0));
    s.edit.mouseY = s.view.vibraTop() + 3;
    s.paint();
    EXPECT_EQ(s.image.pixel(60, cRow), rgbColour(10, 0, 0));
    EXPECT_EQ(s.image.pixel(10, s.view.vibraTop() + 3), rgbColour(51, 0, 0));

    // During playback the sounding pitch is lit instead of the hovered one.
    s.play.playing = true;
    s.play.soundingPitch = 72;
    s.paint();
    EXPECT_EQ(s.image.pixel(60, cRow), rgbColour(11, 0, 0));

    // While a vibra segment is drawn no key is lit.
    s.play.playing = false;
    s.edit.mouseY = cRow;
    s.edit.drawingItem = true;
    s.edit.pendingItem.pitch = kPendingVibra;
    s.paint();
    EXPECT_EQ(s.image.pixel(60, cRow), rgbColour(10, 0, 0));
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
