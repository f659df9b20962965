#include "matrix/matrix_mouse.h"

#include "matrix_scene.h"
#include "tune/tempo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qte {
namespace {

using testing_support::MatrixScene;
using testing_support::Span;
using Selection = std::pair<std::vector<int>, int>;

constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kWhite = rgbColour(255, 255, 255);

MATCHER(SpanNear, "")
{
    const auto& [a, b] = arg;
    return std::abs(a.start - b.start) < 1e-4 && std::abs(a.end - b.end) < 1e-4 &&
           a.value == b.value;
}

// Ten pixels per unit, so mouse times in tenths are exact.
class Gestures : public MatrixScene {
public:
    explicit Gestures(StyleMode style = StyleMode::Continuous, float noteUnits = 1.0f)
        : MatrixScene(true, 480, 360, 10, 12)
    {
        options.styleMode = static_cast<std::int32_t>(style);
        options.newNoteUnits = noteUnits;
    }

    int vibraY() const { return (view.vibraTop() + view.vibraBottom()) / 2; }
    int textY() const { return (view.textTop() + view.textBottom()) / 2; }
    static constexpr int repeatY = 20;

    void move(int x, int y)
    {
        edit.mouseX = x;
        edit.mouseY = y;
        if (edit.gestureActive(tune)) paint();
    }
    // One handler at (x, y); after a release or a right press the lists are sound.
    void send(void (*handler)(MatrixContext&, MatrixServices&), int x, int y)
    {
        move(x, y);
        MatrixContext c = context();
        handler(c, services);
        if (handler != LeftPress) testing_support::expectSound(tune);
    }
    void leftDown(int x, int y) { send(LeftPress, x, y); }
    void leftUp(int x, int y) { send(LeftRelease, x, y); }
    void rightDown(int x, int y) { send(RightPress, x, y); }
    void rightUp(int x, int y) { send(RightRelease, x, y); }
    void leftClick(int x, int y) { leftDown(x, y), leftUp(x, y); }
    void rightClick(int x, int y) { rightDown(x, y), rightUp(x, y); }
    void leftDrag(int x1, int y1, int x2, int y2)
    {
        leftDown(x1, y1);
        clock.advance(500);
        move((x1 + x2) / 2, (y1 + y2) / 2);
        leftUp(x2, y2);
    }
    void rightDrag(int x1, int y1, int x2, int y2)
    {
        rightDown(x1, y1);
        move(x2, y2);
        rightUp(x2, y2);
    }

    std::vector<Span> notes() const { return testing_support::notesOf(tune); }
    // The selected notes' indices and the selection mode.
    std::pair<std::vector<int>, int> selection() const
    {
        std::vector<int> out;
        for (int i = 1; i <= tune.noteCount; ++i)
            if (tune.noteTable[i].selected) out.push_back(i);
        return {out, tune.selectionMode};
    }
};

TEST(MatrixMouse, RightDrawingFollowsTheStyle)
{
    using enum StyleMode;
    struct Case {
        const char* name;
        StyleMode style;
        float noteUnits;
        bool ctrl;
        float before; // end of a note from 2 on another row, or none
        float from, to;
        Span drawn; // none when it ends at 0
    };
    const float p20 = 20.0f / 46.875f;
    const Case cases[] = {
        {"natural: fixed length, snapped start", Natural, 4, false, 0, 4.5f, 20.0f, {4, 8, 75}},
        {"continuous + ctrl: free", Continuous, 2, true, 0, 4.5f, 9.3f, {4.5f, 9.3f, 75}},
        {"continuous: whole lengths past the mouse",
         Continuous,
         2,
         false,
         0,
         4.5f,
         9.3f,
         {4, 10, 75}},
        {"continuous: a length ending at the mouse adds one",
         Continuous,
         2,
         false,
         0,
         4.5f,
         8.0f,
         {4, 10, 75}},
        {"continuous, dragged left: discarded", Continuous, 2, false, 0, 4.5f, 2.0f, {}},
        {"no style chosen: as continuous", None, 2, false, 0, 4.5f, 9.3f, {4, 10, 75}},
        {"no style chosen + ctrl: free", None, 2, true, 0, 4.5f, 9.3f, {4.5f, 9.3f, 75}},
        {"ctrl, no movement: too short to keep", Continuous, 2, true, 0, 4.5f, 4.5f, {}},
        {"after a note: its end", Natural, 1, false, 4.3f, 4.6f, 4.6f, {4.3f, 5.3f, 75}},
        {"natural: or its end + 20 ms", Natural, 1, false, 4, 4.6f, 4.6f, {4 + p20, 5 + p20, 75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g(c.style, c.noteUnits);
        std::vector<Span> expected;
        if (c.before > 0) {
            ASSERT_GT(g.addNote(2.0f, c.before, 70), 0);
            expected.push_back({2.0f, c.before, 70});
        }
        if (c.drawn.end > 0) expected.push_back(c.drawn);
        g.keys.ctrlDown = c.ctrl;
        g.rightDrag(g.xAt(c.from), g.yAt(75), g.xAt(c.to), g.yAt(75));
        EXPECT_THAT(g.notes(), testing::Pointwise(SpanNear(), expected));
        EXPECT_FALSE(g.edit.drawingItem);
        // The step is named only when a note was drawn.
        EXPECT_EQ(g.edit.stepName, c.drawn.end > 0 ? "Draw note" : "");
    }
}

// Without a selection a right click deletes the note (MatrixEvents checks it).
TEST(MatrixMouse, RightClickWithASelectionOnlyClearsIt)
{
    Gestures g;
    ASSERT_TRUE(g.addNotes({{2, 6, 75}, {8, 9, 76}}));
    g.tune.noteTable[2].selected = 1;
    g.tune.selectionMode = 2;
    g.rightClick(g.xAt(3), g.yAt(75));
    EXPECT_EQ(g.notes().size(), 2u) << "with a selection only the selection goes";
    EXPECT_EQ(g.selection(), (Selection{{}, 0}));
    EXPECT_FALSE(g.edit.drawingItem);
}

TEST(MatrixMouse, LeftDragMovesANote)
{
    struct Case {
        const char* name;
        bool shift, ctrl;
        int toPitch;
        float releaseAt;
        std::vector<Span> expected;
    };
    const Case cases[] = {
        {"snapped", false, false, 78, 10.7f, {{9, 13, 78}}},
        {"ctrl: free", false, true, 78, 10.7f, {{9.2f, 13.2f, 78}}},
        {"shift: pitch only", true, false, 78, 20.7f, {{4, 8, 78}}},
        {"past zero: cut at 0", false, true, 75, 0.5f, {{0, 3, 75}}},
        {"ends before zero: gone", false, true, 75, -4.0f, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g;
        ASSERT_GT(g.addNote(4, 8, 75), 0);
        g.keys = {c.shift, c.ctrl};
        g.leftDown(g.xAt(5.5f), g.yAt(75));
        EXPECT_EQ((std::pair{g.tune.noteCount, g.edit.dragCount}), (std::pair{0, 1}))
            << "the note hangs at the mouse";
        g.move(g.xAt(c.releaseAt), g.yAt(c.toPitch));
        const bool lands = !c.expected.empty();
        const int unit = lands ? static_cast<int>(c.expected[0].start) + 1 : 100;
        EXPECT_EQ(g.at(g.cellCentre(unit, c.toPitch)), lands ? kWhite : kBlack)
            << "the dragged note is painted where it will land";
        g.leftUp(g.xAt(c.releaseAt), g.yAt(c.toPitch));
        EXPECT_THAT(g.notes(), testing::Pointwise(SpanNear(), c.expected));
        EXPECT_EQ(g.edit.dragCount, 0);
    }
}

TEST(MatrixMouse, LeftPressOnTheEndResizes)
{
    struct Case {
        const char* name;
        StyleMode style;
        float to;
        float expectedEnd;
    };
    const Case cases[] = {
        {"continuous: to the mouse's multiple", StyleMode::Continuous, 11.5f, 12.0f},
        {"natural: the note length", StyleMode::Natural, 11.5f, 5.0f},
        {"no style chosen: as continuous", StyleMode::None, 11.5f, 12.0f},
        // Dragged left of its start the note keeps its old shape.
        {"continuous, dragged before the start", StyleMode::Continuous, 3.0f, 8.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g(c.style, 1.0f);
        ASSERT_GT(g.addNote(4, 8, 75), 0);
        // Within five pixels of the end: 7.9 units is 370 ms of 375.
        g.leftDown(g.xAt(7.9f), g.yAt(75));
        ASSERT_TRUE(g.edit.drawingItem);
        EXPECT_EQ(g.tune.noteCount, 0);
        g.clock.advance(100);
        g.leftUp(g.xAt(c.to), g.yAt(75));
        EXPECT_EQ(g.notes(), (std::vector<Span>{{4, c.expectedEnd, 75}}));
    }
    // Further from the end the same press moves the note.
    Gestures g;
    ASSERT_GT(g.addNote(4, 8, 75), 0);
    g.leftDown(g.xAt(7.4f), g.yAt(75));
    EXPECT_FALSE(g.edit.drawingItem);
    EXPECT_EQ(g.edit.dragCount, 1);
}

TEST(MatrixMouse, NoResizeZoneWhileASelectionExistsAtWideZoom)
{
    // With a selection the zone is trunc(25 / W) units: none above 25 pixels.
    Gestures g;
    applyStoredZoom(g.view, 40, 12);
    LayoutMatrix(g.view, g.tune, 480, 360);
    ASSERT_TRUE(g.addNotes({{1, 5, 75}, {6, 7, 70}}));
    g.tune.noteTable[1].selected = 1;
    g.tune.selectionMode = 2;
    g.leftDown(g.xAt(4.9f), g.yAt(75)); // 4 pixels before the end
    EXPECT_FALSE(g.edit.drawingItem);
    EXPECT_EQ(g.edit.dragCount, 1);
}

TEST(MatrixMouse, RubberBandSelectsTheRowsItEncloses)
{
    struct Case {
        const char* name;
        bool ctrl;
        int fromPitch, toPitch;
        std::vector<int> preselected;
        std::vector<int> expected;
        int mode;
    };
    // Notes: 1 = p72 [2,4], 2 = p74 [6,8], 3 = p80 [10,12], 4 = p73 [20,22].
    const Case cases[] = {
        {"two rows", false, 76, 71, {}, {1, 2}, 2},
        {"upwards", false, 71, 76, {}, {1, 2}, 2},
        {"lowest row is outside", false, 76, 72, {}, {2}, 2},
        {"one row selects nothing", false, 74, 74, {3}, {}, 0},
        {"replaces the selection", false, 76, 71, {3}, {1, 2}, 2},
        {"ctrl flips", true, 76, 71, {1, 3}, {2, 3}, 2},
        {"ctrl, nothing left", true, 73, 71, {1}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g;
        ASSERT_TRUE(g.addNotes({{2, 4, 72}, {6, 8, 74}, {10, 12, 80}, {20, 22, 73}}));
        for (int i : c.preselected)
            g.tune.noteTable[i].selected = 1;
        if (!c.preselected.empty()) g.tune.selectionMode = 2;
        g.keys.ctrlDown = c.ctrl;
        g.leftDown(g.xAt(1.0f), g.yAt(c.fromPitch));
        EXPECT_EQ(g.tune.selectionMode, 1);
        g.leftDrag(g.xAt(1.0f), g.yAt(c.fromPitch), g.xAt(9.0f), g.yAt(c.toPitch));
        EXPECT_EQ(g.selection(), (Selection{c.expected, c.mode}));
        EXPECT_EQ(g.notes().size(), 4u);
    }
}

TEST(MatrixMouse, SelectionClicksAndGroupMoves)
{
    Gestures g;
    ASSERT_TRUE(g.addNotes({{2, 4, 72}, {6, 8, 74}, {10, 12, 80}}));
    SelectAll(g.tune);
    // Ctrl+click unselects, and the last one clears the mode.
    g.keys.ctrlDown = true;
    g.leftClick(g.xAt(3), g.yAt(72));
    g.leftClick(g.xAt(7), g.yAt(74));
    EXPECT_EQ(g.selection(), (Selection{{3}, 2}));
    g.leftClick(g.xAt(11), g.yAt(80));
    EXPECT_EQ(g.tune.selectionMode, 0);
    // Ctrl+click selects in state 2.
    SelectAll(g.tune);
    g.tune.noteTable[2].selected = 0;
    g.leftClick(g.xAt(7), g.yAt(74));
    EXPECT_EQ(g.selection().first, (std::vector<int>{1, 2, 3}));
    g.keys.ctrlDown = false;

    // Pressing a selected note takes every selected note along.
    g.tune.noteTable[3].selected = 0;
    g.leftDown(g.xAt(3), g.yAt(72));
    EXPECT_EQ((std::tuple{g.edit.dragCount, g.tune.noteCount, g.tune.selectionMode}),
              (std::tuple{2, 1, 0}));
    g.clock.advance(400);
    g.leftUp(g.xAt(21), g.yAt(76));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{10, 12, 80}, {20, 22, 76}, {24, 26, 78}}));
    EXPECT_EQ(g.selection(), (Selection{{2, 3}, 2}));

    // A plain click on an unselected note drops the selection and moves it alone.
    g.leftDown(g.xAt(11), g.yAt(80));
    EXPECT_EQ((std::pair{g.edit.dragCount, g.edit.dragBuffer[1].pitch}), (std::pair{1, 80}));
    g.leftUp(g.xAt(31), g.yAt(80));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{20, 22, 76}, {24, 26, 78}, {30, 32, 80}}));
    EXPECT_TRUE(g.selection().first.empty());
}

TEST(MatrixMouse, CopyPasteDropRoundTrip)
{
    Gestures g;
    ASSERT_TRUE(g.addNotes({{2, 4, 72}, {6, 7, 74}}));
    SelectAll(g.tune);
    CopySelection(g.tune, g.edit);
    ASSERT_TRUE(PasteClipboard(g.tune, g.edit));
    g.move(g.xAt(12.0f), g.yAt(80));
    EXPECT_EQ(g.at(g.cellCentre(12, 80)), rgbColour(100, 100, 255)) << "pasted notes are painted";
    EXPECT_EQ(g.at(g.cellCentre(16, 82)), rgbColour(100, 100, 255));
    g.leftDown(g.xAt(12.0f), g.yAt(80));
    EXPECT_EQ(g.tune.noteCount, 2) << "the press does not touch the grid";
    g.leftUp(g.xAt(12.0f), g.yAt(80));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{2, 4, 72}, {6, 7, 74}, {12, 14, 80}, {16, 17, 82}}));
    EXPECT_EQ(g.selection(), (Selection{{3, 4}, 2}));
    EXPECT_EQ(g.edit.dragCount, 0);
}

// A tone text keeps any 32-bit FREQ_DEFINE number, so the distance between
// two selected pitches can be wider than 32 bits.
TEST(MatrixMouse, TheWidestPitchesCopyAndMoveExactly)
{
    Gestures g;
    ASSERT_TRUE(g.addNotes({{2, 4, 80}}));
    ASSERT_EQ(g.addNote(6, 8, 72, NoteKind::FreqDefine), 2);
    ASSERT_EQ(g.addNote(10, 12, 72, NoteKind::FreqDefine), 3);
    g.tune.noteTable[2].pitch = INT32_MIN + 71;
    g.tune.noteTable[3].pitch = INT32_MAX;
    SelectAll(g.tune);
    CopySelection(g.tune, g.edit);
    ASSERT_EQ(g.edit.clipboardCount, 3);
    EXPECT_EQ(g.edit.clipboardOffsets[2].pitchOffset, std::int64_t{INT32_MIN} + 71 - 80);
    EXPECT_EQ(g.edit.clipboardOffsets[3].pitchOffset, std::int64_t{INT32_MAX} - 80);

    // Picked up by the note on row 80 and put down two rows higher.
    g.leftDown(g.xAt(3), g.yAt(80));
    ASSERT_EQ(g.edit.dragCount, 3);
    EXPECT_EQ(g.edit.dragOffsets[2].pitchOffset, std::int64_t{INT32_MIN} + 71 - 80);
    g.move(g.xAt(3), g.yAt(82));
    EXPECT_EQ(draggedPlacement(g.context(), 2).pitch, INT32_MIN + 73);
    EXPECT_EQ(draggedPlacement(g.context(), 3).pitch, INT32_MAX) << "kept within 32 bits";
}

TEST(MatrixMouse, DropThatWouldOverflowKeepsTheNotesHanging)
{
    Gestures g;
    for (int i = 1; i <= kMaxNotes - 1; ++i)
        ASSERT_EQ(g.addNote(i + 40.0f, i + 40.5f, 70), i);
    g.edit.clipboardCount = 1;
    g.edit.clipboardNotes[1] = testing_support::makeNote(0, 1, 75);
    g.edit.clipboardNotes[1].durationUnits = 1;
    ASSERT_TRUE(PasteClipboard(g.tune, g.edit));
    // Meanwhile another window adds a note and takes the last place.
    ASSERT_GT(g.addNote(2, 3, 72), 0);
    ASSERT_EQ(g.tune.noteCount, kMaxNotes);
    g.leftClick(g.xAt(10), g.yAt(75));
    EXPECT_EQ((std::pair{g.tune.noteCount, g.edit.dragCount}), (std::pair{kMaxNotes, 1}));
    ASSERT_FALSE(g.messages.shown.empty());
    EXPECT_EQ(g.messages.shown.back().text, kPasteTooLarge);
    // And drawing into the full list is refused with a message.
    g.edit.dragCount = 0;
    g.rightClick(g.xAt(5), g.yAt(72)); // clears the paste's selection
    g.rightDrag(g.xAt(5), g.yAt(72), g.xAt(5.5f), g.yAt(72));
    EXPECT_EQ(g.tune.noteCount, kMaxNotes);
    EXPECT_EQ(g.messages.shown.back().text, kNoteListFull);
    EXPECT_EQ(g.messages.shown.back().title, "Error!");
}

TEST(MatrixMouse, VibraSegmentsAreDrawnAndDeleted)
{
    Gestures g;
    ASSERT_GT(g.addNote(7, 9, 72), 0);
    g.rightDrag(g.xAt(2.5f), g.vibraY(), g.xAt(5.5f), g.vibraY());
    g.rightDrag(g.xAt(8.5f), g.vibraY(), g.xAt(11.5f), g.vibraY()); // starts inside the note
    EXPECT_EQ(testing_support::vibrasOf(g.tune), (std::vector<Span>{{2, 6, 0}, {7, 12, 0}}));
    g.rightClick(g.xAt(3.0f), g.vibraY());
    EXPECT_EQ((std::pair{g.tune.vibraCount, g.tune.noteCount}), (std::pair{1, 1}));
    // An end falling inside a note is moved to the note's end.
    Gestures h;
    ASSERT_GT(h.addNote(4, 9, 72), 0);
    h.keys.ctrlDown = true;
    h.rightDrag(h.xAt(1.0f), h.vibraY(), h.xAt(6.5f), h.vibraY());
    EXPECT_EQ(testing_support::vibrasOf(h.tune), (std::vector<Span>{{1, 9, 0}}));
}

// The strips' dialogs are checked in the running editor (MatrixEvents).
TEST(MatrixMouse, RepeatBlocksAreDrawnAndDeleted)
{
    Gestures g;
    const int y = Gestures::repeatY;
    g.rightDrag(g.xAt(3.2f), y, g.xAt(7.5f), y);
    EXPECT_EQ(testing_support::repeatsOf(g.tune), (std::vector<Span>{{3, 8, 2}}));
    // A left click while a right-drawn block is in progress inserts it.
    g.rightDown(g.xAt(12.0f), y);
    g.move(g.xAt(14.5f), y);
    g.leftClick(g.xAt(14.5f), y);
    EXPECT_FALSE(g.edit.drawingItem);
    EXPECT_EQ(testing_support::repeatsOf(g.tune), (std::vector<Span>{{3, 8, 2}, {12, 15, 2}}));
    g.rightUp(g.xAt(14.5f), y);
    EXPECT_EQ(g.tune.repeatCount, 2);
    // A right click on a block deletes it.
    g.rightClick(g.xAt(5.0f), 24);
    EXPECT_EQ(g.tune.repeatCount, 1);
}

TEST(MatrixMouse, FreeTextsAreAddedMovedAndDeleted)
{
    using Texts = std::vector<std::pair<float, std::string>>;
    const std::string free(kFreeTextDefault);
    Gestures g;
    ASSERT_GT(g.addNote(8, 10, 72), 0);
    g.rightClick(g.xAt(4.2f), g.textY());
    g.rightClick(g.xAt(6.3f), g.textY());
    EXPECT_EQ(testing_support::textsOf(g.tune), (Texts{{4, free}, {6, free}}));

    // A long press moves it, past the other text and to the start of the
    // note it lands in.
    g.tune.textList[1].setText("moved");
    g.leftDown(g.xAt(4.2f), g.textY());
    g.clock.advance(300);
    g.move(g.xAt(9.4f), g.textY());
    g.leftUp(g.xAt(9.4f), g.textY());
    EXPECT_EQ(testing_support::textsOf(g.tune), (Texts{{6, free}, {8, "moved"}}));

    // A right click on a text deletes it.
    g.rightClick(g.xAt(6.2f), g.textY());
    EXPECT_EQ(testing_support::textsOf(g.tune), (Texts{{8, "moved"}}));
}

TEST(MatrixMouse, RowsUnderPitchOneTakeNoNotes)
{
    Gestures g;
    ASSERT_TRUE(ScrollVertical(g.view, ScrollCode::ThumbTrack, 108));
    ASSERT_LT(g.view.lowestPitch, 1);
    g.rightDrag(g.xAt(2.0f), g.yAt(0), g.xAt(4.0f), g.yAt(0));
    g.rightDrag(g.xAt(2.0f), g.yAt(-1), g.xAt(4.0f), g.yAt(-1));
    EXPECT_EQ((std::pair{g.tune.noteCount, g.tune.vibraCount}), (std::pair{0, 0}));
    g.rightDrag(g.xAt(2.0f), g.yAt(1), g.xAt(4.0f), g.yAt(1));
    EXPECT_EQ(g.tune.noteCount, 1);
    // Dragged below pitch 1, a note stops at pitch 1.
    g.leftDrag(g.xAt(2.5f), g.yAt(1), g.xAt(2.5f), g.yAt(-3));
    ASSERT_EQ(g.tune.noteCount, 1);
    EXPECT_EQ(g.tune.noteTable[1].pitch, 1);
}

} // namespace
} // namespace qte
