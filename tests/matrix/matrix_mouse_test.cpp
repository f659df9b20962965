#include "matrix/matrix_mouse.h"

#include "matrix/tune_invariants.h"
#include "matrix_scene.h"
#include "platform/fakes/fake_tick.h"
#include "platform/messages.h"
#include "sound/tempo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace qte {
namespace {

using testing_support::MatrixScene;

struct Span {
    float start;
    float end;
    int pitch;
    friend bool operator==(const Span&, const Span&) = default;
};

std::ostream& operator<<(std::ostream& os, const Span& s)
{
    return os << "[" << s.start << "," << s.end << " p" << s.pitch << "]";
}

class FakeMatrixDialogs final : public MatrixDialogs {
public:
    void editText(Tune& tune, int textIndex) override
    {
        texts.push_back(textIndex);
        if (newText) tune.textList[textIndex].setText(*newText);
    }
    void editRepetitions(Tune&, int repeatIndex) override { repeats.push_back(repeatIndex); }

    std::vector<int> texts;
    std::vector<int> repeats;
    std::optional<std::string> newText;
};

// Ten pixels per unit, so mouse times in tenths are exact.
class Gestures : public MatrixScene {
public:
    explicit Gestures(StyleMode style = StyleMode::Continuous, float noteUnits = 1.0f)
        : MatrixScene(true, 480, 360, 10, 12)
    {
        options.styleMode = static_cast<std::int32_t>(style);
        options.newNoteUnits = noteUnits;
        services.clock = &clock;
        services.messages = &messages;
        services.dialogs = &dialogs;
        services.changed = [this] { ++changes; };
        services.repaint = [this] { paint(); };
    }

    int xAt(float units) const
    {
        return view.keyStripWidth +
               static_cast<int>(std::lround((units - view.firstUnit()) * view.unitWidth));
    }
    int yAt(int pitch) const { return view.pitchToY(pitch) + view.rowHeight / 2; }
    int vibraY() const { return (view.vibraTop() + view.vibraBottom()) / 2; }
    int textY() const { return (view.textTop() + view.textBottom()) / 2; }
    static constexpr int repeatY = 20;

    void move(int x, int y)
    {
        edit.mouseX = x;
        edit.mouseY = y;
        if (edit.gestureActive(tune)) paint();
    }
    void leftDown(int x, int y)
    {
        move(x, y);
        MatrixContext c = context();
        LeftPress(c, services);
    }
    void leftUp(int x, int y)
    {
        move(x, y);
        MatrixContext c = context();
        LeftRelease(c, services);
        checkInvariants();
    }
    void leftClick(int x, int y)
    {
        leftDown(x, y);
        leftUp(x, y);
    }
    void leftDrag(int x1, int y1, int x2, int y2)
    {
        leftDown(x1, y1);
        clock.advance(500);
        move((x1 + x2) / 2, (y1 + y2) / 2);
        leftUp(x2, y2);
    }
    void rightDown(int x, int y)
    {
        move(x, y);
        MatrixContext c = context();
        RightPress(c, services);
        checkInvariants();
    }
    void rightUp(int x, int y)
    {
        move(x, y);
        MatrixContext c = context();
        RightRelease(c, services);
        checkInvariants();
    }
    void rightDrag(int x1, int y1, int x2, int y2)
    {
        rightDown(x1, y1);
        move(x2, y2);
        rightUp(x2, y2);
    }
    void checkInvariants() { EXPECT_EQ(checkTuneInvariants(tune), std::vector<std::string>{}); }

    std::vector<Span> notes() const
    {
        std::vector<Span> out;
        for (int i = 1; i <= tune.noteCount; ++i)
            out.push_back({tune.noteTable[i].startUnits, tune.noteTable[i].endUnits,
                           tune.noteTable[i].pitch});
        return out;
    }
    std::vector<int> selected() const
    {
        std::vector<int> out;
        for (int i = 1; i <= tune.noteCount; ++i)
            if (tune.noteTable[i].selected) out.push_back(i);
        return out;
    }

    fakes::FakeTickClock clock;
    RecordingMessageSink messages;
    FakeMatrixDialogs dialogs;
    MatrixServices services;
    int changes = 0;
};

TEST(MatrixMouse, RightDrawingFollowsTheStyle)
{
    struct Case {
        const char* name;
        StyleMode style;
        float noteUnits;
        bool ctrl;
        float from, to;
        std::vector<Span> expected;
    };
    const Case cases[] = {
        {"natural: fixed length, snapped start", StyleMode::Natural, 4, false, 4.5f, 20.0f,
         {{4, 8, 75}}},
        {"staccato: fixed length", StyleMode::Staccato, 2, false, 6.2f, 1.0f, {{6, 8, 75}}},
        {"continuous: whole multiples", StyleMode::Continuous, 2, false, 4.5f, 9.5f,
         {{4, 10, 75}}},
        {"continuous + ctrl: free", StyleMode::Continuous, 2, true, 4.5f, 9.3f,
         {{4.5f, 9.3f, 75}}},
        {"continuous, dragged left: discarded", StyleMode::Continuous, 2, false, 4.5f, 2.0f, {}},
        {"ctrl, no movement: too short to keep", StyleMode::Continuous, 2, true, 4.5f, 4.5f, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g(c.style, c.noteUnits);
        g.keys.ctrlDown = c.ctrl;
        g.rightDrag(g.xAt(c.from), g.yAt(75), g.xAt(c.to), g.yAt(75));
        const auto got = g.notes();
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].start, c.expected[i].start, 1e-4);
            EXPECT_NEAR(got[i].end, c.expected[i].end, 1e-4);
            EXPECT_EQ(got[i].pitch, c.expected[i].pitch);
        }
        EXPECT_FALSE(g.edit.drawingItem);
        EXPECT_GT(g.changes, 0);
    }
}

TEST(MatrixMouse, DrawnNoteSnapsToTheEndOfTheNoteBefore)
{
    Gestures g(StyleMode::Natural, 1.0f);
    ASSERT_GT(g.addNote(2.0f, 4.3f, 70), 0);
    g.rightDrag(g.xAt(4.6f), g.yAt(75), g.xAt(4.6f), g.yAt(75));
    ASSERT_EQ(g.notes().size(), 2u);
    EXPECT_FLOAT_EQ(g.notes()[1].start, 4.3f);
    // Natural style also offers the end + 20 ms.
    Gestures n(StyleMode::Natural, 1.0f);
    ASSERT_GT(n.addNote(2.0f, 4.0f, 70), 0);
    n.rightDrag(n.xAt(4.6f), n.yAt(75), n.xAt(4.6f), n.yAt(75));
    ASSERT_EQ(n.notes().size(), 2u);
    EXPECT_FLOAT_EQ(n.notes()[1].start, 4.0f + 20.0f / 46.875f);
}

TEST(MatrixMouse, RightClickDeletesOrClearsTheSelection)
{
    Gestures g;
    ASSERT_GT(g.addNote(2, 6, 75), 0);
    ASSERT_GT(g.addNote(8, 9, 76), 0);
    g.tune.noteTable[2].selected = 1;
    g.tune.selectionMode = 2;
    g.rightDown(g.xAt(3), g.yAt(75));
    g.rightUp(g.xAt(3), g.yAt(75));
    EXPECT_EQ(g.notes().size(), 2u) << "with a selection only the selection goes";
    EXPECT_EQ(g.tune.selectionMode, 0);
    EXPECT_TRUE(g.selected().empty());
    g.rightDown(g.xAt(3), g.yAt(75));
    g.rightUp(g.xAt(3), g.yAt(75));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{8, 9, 76}}));
    EXPECT_FALSE(g.edit.drawingItem);
}

TEST(MatrixMouse, LeftDragMovesANote)
{
    struct Case {
        const char* name;
        bool shift, ctrl;
        float pressAt;
        int toPitch;
        float releaseAt;
        std::vector<Span> expected;
    };
    const Case cases[] = {
        {"snapped", false, false, 5.5f, 78, 10.7f, {{9, 13, 78}}},
        {"ctrl: free", false, true, 5.5f, 78, 10.7f, {{9.2f, 13.2f, 78}}},
        {"shift: pitch only", true, false, 5.5f, 78, 20.7f, {{4, 8, 78}}},
        {"past zero: cut at 0", false, true, 5.5f, 75, 0.5f, {{0, 3, 75}}},
        {"ends before zero: gone", false, true, 5.5f, 75, -4.0f, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gestures g;
        ASSERT_GT(g.addNote(4, 8, 75), 0);
        g.keys.shiftDown = c.shift;
        g.keys.ctrlDown = c.ctrl;
        g.leftDown(g.xAt(c.pressAt), g.yAt(75));
        EXPECT_EQ(g.tune.noteCount, 0) << "the note hangs at the mouse";
        EXPECT_EQ(g.edit.dragCount, 1);
        g.move(g.xAt(c.releaseAt), g.yAt(c.toPitch));
        EXPECT_EQ(g.at(g.cellCentre(static_cast<int>(c.expected.empty() ? 100 : c.expected[0].start + 1),
                                    c.toPitch)),
                  c.expected.empty() ? rgbColour(0, 0, 0) : rgbColour(255, 255, 255))
            << "the dragged note is painted where it will land";
        g.leftUp(g.xAt(c.releaseAt), g.yAt(c.toPitch));
        const auto got = g.notes();
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].start, c.expected[i].start, 1e-4);
            EXPECT_NEAR(got[i].end, c.expected[i].end, 1e-4);
            EXPECT_EQ(got[i].pitch, c.expected[i].pitch);
        }
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
        ASSERT_EQ(g.notes().size(), 1u);
        EXPECT_FLOAT_EQ(g.notes()[0].start, 4.0f);
        EXPECT_FLOAT_EQ(g.notes()[0].end, c.expectedEnd);
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
    ASSERT_GT(g.addNote(1, 5, 75), 0);
    ASSERT_GT(g.addNote(6, 7, 70), 0);
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
        ASSERT_GT(g.addNote(2, 4, 72), 0);
        ASSERT_GT(g.addNote(6, 8, 74), 0);
        ASSERT_GT(g.addNote(10, 12, 80), 0);
        ASSERT_GT(g.addNote(20, 22, 73), 0);
        for (int i : c.preselected) g.tune.noteTable[i].selected = 1;
        if (!c.preselected.empty()) g.tune.selectionMode = 2;
        g.keys.ctrlDown = c.ctrl;
        g.leftDown(g.xAt(1.0f), g.yAt(c.fromPitch));
        EXPECT_EQ(g.tune.selectionMode, 1);
        g.leftDrag(g.xAt(1.0f), g.yAt(c.fromPitch), g.xAt(9.0f), g.yAt(c.toPitch));
        EXPECT_EQ(g.selected(), c.expected);
        EXPECT_EQ(g.tune.selectionMode, c.mode);
        EXPECT_EQ(g.notes().size(), 4u);
    }
}

TEST(MatrixMouse, SelectionClicksAndGroupMoves)
{
    Gestures g;
    ASSERT_GT(g.addNote(2, 4, 72), 0);
    ASSERT_GT(g.addNote(6, 8, 74), 0);
    ASSERT_GT(g.addNote(10, 12, 80), 0);
    SelectAll(g.tune);
    // Ctrl+click unselects, and the last one clears the mode.
    g.keys.ctrlDown = true;
    g.leftClick(g.xAt(3), g.yAt(72));
    g.leftClick(g.xAt(7), g.yAt(74));
    EXPECT_EQ(g.selected(), (std::vector<int>{3}));
    EXPECT_EQ(g.tune.selectionMode, 2);
    g.leftClick(g.xAt(11), g.yAt(80));
    EXPECT_EQ(g.tune.selectionMode, 0);
    // Ctrl+click selects in state 2.
    SelectAll(g.tune);
    g.tune.noteTable[2].selected = 0;
    g.leftClick(g.xAt(7), g.yAt(74));
    EXPECT_EQ(g.selected(), (std::vector<int>{1, 2, 3}));
    g.keys.ctrlDown = false;

    // Pressing a selected note takes every selected note along.
    g.tune.noteTable[3].selected = 0;
    g.leftDown(g.xAt(3), g.yAt(72));
    EXPECT_EQ(g.edit.dragCount, 2);
    EXPECT_EQ(g.tune.noteCount, 1);
    EXPECT_EQ(g.tune.selectionMode, 0);
    g.clock.advance(400);
    g.leftUp(g.xAt(21), g.yAt(76));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{10, 12, 80}, {20, 22, 76}, {24, 26, 78}}));
    EXPECT_EQ(g.selected(), (std::vector<int>{2, 3}));
    EXPECT_EQ(g.tune.selectionMode, 2);

    // A plain click on an unselected note drops the selection and moves it alone.
    g.leftDown(g.xAt(11), g.yAt(80));
    EXPECT_EQ(g.edit.dragCount, 1);
    EXPECT_EQ(g.edit.dragBuffer[1].pitch, 80);
    g.leftUp(g.xAt(31), g.yAt(80));
    EXPECT_EQ(g.notes(), (std::vector<Span>{{20, 22, 76}, {24, 26, 78}, {30, 32, 80}}));
    EXPECT_TRUE(g.selected().empty());
}

TEST(MatrixMouse, CopyPasteDropRoundTrip)
{
    Gestures g;
    ASSERT_GT(g.addNote(2, 4, 72), 0);
    ASSERT_GT(g.addNote(6, 7, 74), 0);
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
    EXPECT_EQ(g.selected(), (std::vector<int>{3, 4}));
    EXPECT_EQ(g.tune.selectionMode, 2);
    EXPECT_EQ(g.edit.dragCount, 0);

    // Pasting over existing notes cuts them back like any insertion.
    ASSERT_TRUE(PasteClipboard(g.tune, g.edit));
    g.leftClick(g.xAt(3.0f), g.yAt(72));
    g.checkInvariants();
    EXPECT_EQ(g.notes().front(), (Span{2, 3, 72}));
}

TEST(MatrixMouse, DropThatWouldOverflowKeepsTheNotesHanging)
{
    Gestures g;
    for (int i = 1; i <= kMaxNotes - 1; ++i) ASSERT_EQ(g.addNote(i + 40.0f, i + 40.5f, 70), i);
    g.edit.clipboardCount = 1;
    g.edit.clipboardNotes[1].startUnits = 0;
    g.edit.clipboardNotes[1].endUnits = 1;
    g.edit.clipboardNotes[1].durationUnits = 1;
    g.edit.clipboardNotes[1].pitch = 75;
    ASSERT_TRUE(PasteClipboard(g.tune, g.edit));
    // Meanwhile another window adds a note and takes the last place.
    ASSERT_GT(g.addNote(2, 3, 72), 0);
    ASSERT_EQ(g.tune.noteCount, kMaxNotes);
    g.leftClick(g.xAt(10), g.yAt(75));
    EXPECT_EQ(g.tune.noteCount, kMaxNotes);
    EXPECT_EQ(g.edit.dragCount, 1);
    ASSERT_FALSE(g.messages.shown.empty());
    EXPECT_EQ(g.messages.shown.back().text, kPasteTooLarge);
    // And drawing into the full list is refused with a message.
    g.edit.dragCount = 0;
    g.rightDrag(g.xAt(5), g.yAt(72), g.xAt(5), g.yAt(72)); // clears the paste's selection
    g.rightDrag(g.xAt(5), g.yAt(72), g.xAt(5.5f), g.yAt(72));
    EXPECT_EQ(g.tune.noteCount, kMaxNotes);
    EXPECT_EQ(g.messages.shown.back().text, kNoteListFull);
    EXPECT_EQ(g.messages.shown.back().title, "Error!");
}

TEST(MatrixMouse, VibraSegmentsAreDrawnAndDeleted)
{
    Gestures g(StyleMode::Continuous, 1.0f);
    ASSERT_GT(g.addNote(7, 9, 72), 0);
    g.rightDrag(g.xAt(2.5f), g.vibraY(), g.xAt(5.5f), g.vibraY());
    g.rightDrag(g.xAt(8.5f), g.vibraY(), g.xAt(11.5f), g.vibraY()); // starts inside the note
    ASSERT_EQ(g.tune.vibraCount, 2);
    EXPECT_FLOAT_EQ(g.tune.vibraList[1].startUnits, 2.0f);
    EXPECT_FLOAT_EQ(g.tune.vibraList[1].endUnits, 6.0f);
    EXPECT_FLOAT_EQ(g.tune.vibraList[2].startUnits, 7.0f);
    EXPECT_FLOAT_EQ(g.tune.vibraList[2].endUnits, 12.0f);
    g.rightDown(g.xAt(3.0f), g.vibraY());
    g.rightUp(g.xAt(3.0f), g.vibraY());
    EXPECT_EQ(g.tune.vibraCount, 1);
    EXPECT_EQ(g.tune.noteCount, 1);
    // An end falling inside a note is moved to the note's end.
    Gestures h(StyleMode::Continuous, 1.0f);
    ASSERT_GT(h.addNote(4, 9, 72), 0);
    h.keys.ctrlDown = true;
    h.rightDrag(h.xAt(1.0f), h.vibraY(), h.xAt(6.5f), h.vibraY());
    ASSERT_EQ(h.tune.vibraCount, 1);
    EXPECT_FLOAT_EQ(h.tune.vibraList[1].endUnits, 9.0f);
}

TEST(MatrixMouse, RepeatBlocksAndTheirDialog)
{
    Gestures g(StyleMode::Continuous, 1.0f);
    g.rightDrag(g.xAt(3.2f), Gestures::repeatY, g.xAt(7.5f), Gestures::repeatY);
    ASSERT_EQ(g.tune.repeatCount, 1);
    EXPECT_FLOAT_EQ(g.tune.repeatList[1].startUnits, 3.0f);
    EXPECT_FLOAT_EQ(g.tune.repeatList[1].endUnits, 8.0f);
    EXPECT_EQ(g.tune.repeatList[1].repetitions, 2);
    // A short click opens "Number of repetitions:"; a long press does not.
    g.leftClick(g.xAt(4.0f), 10);
    EXPECT_EQ(g.dialogs.repeats, (std::vector<int>{1}));
    g.leftDown(g.xAt(4.0f), 10);
    g.clock.advance(300);
    g.leftUp(g.xAt(4.0f), 10);
    EXPECT_EQ(g.dialogs.repeats.size(), 1u);
    // A left click while a right-drawn block is in progress inserts it.
    g.rightDown(g.xAt(12.0f), Gestures::repeatY);
    g.move(g.xAt(14.5f), Gestures::repeatY);
    g.leftClick(g.xAt(14.5f), Gestures::repeatY);
    EXPECT_FALSE(g.edit.drawingItem);
    ASSERT_EQ(g.tune.repeatCount, 2);
    EXPECT_FLOAT_EQ(g.tune.repeatList[2].endUnits, 15.0f);
    g.rightUp(g.xAt(14.5f), Gestures::repeatY);
    EXPECT_EQ(g.tune.repeatCount, 2);
    // A right click on a block deletes it.
    g.rightDown(g.xAt(5.0f), 24);
    g.rightUp(g.xAt(5.0f), 24);
    EXPECT_EQ(g.tune.repeatCount, 1);
}

TEST(MatrixMouse, FreeTextsAreAddedOpenedMovedAndDeleted)
{
    Gestures g;
    ASSERT_GT(g.addNote(8, 10, 72), 0);
    g.rightDown(g.xAt(4.2f), g.textY());
    g.rightUp(g.xAt(4.2f), g.textY());
    g.rightDown(g.xAt(6.3f), g.textY());
    g.rightUp(g.xAt(6.3f), g.textY());
    ASSERT_EQ(g.tune.textCount, 2);
    EXPECT_FLOAT_EQ(g.tune.textList[1].timeUnits, 4.0f);
    EXPECT_EQ(g.tune.textList[1].text, kFreeTextDefault);

    // A short click opens the Text dialog.
    g.leftClick(g.xAt(4.2f), g.textY());
    EXPECT_EQ(g.dialogs.texts, (std::vector<int>{1}));
    EXPECT_EQ(g.tune.textCount, 2);

    // A long press moves it, past the other text and to the start of the
    // note it lands in.
    g.tune.textList[1].setText("moved");
    g.leftDown(g.xAt(4.2f), g.textY());
    g.clock.advance(300);
    g.move(g.xAt(9.4f), g.textY());
    g.leftUp(g.xAt(9.4f), g.textY());
    ASSERT_EQ(g.tune.textCount, 2);
    EXPECT_EQ(g.tune.textList[2].text, "moved");
    EXPECT_FLOAT_EQ(g.tune.textList[2].timeUnits, 8.0f);
    EXPECT_EQ(g.dialogs.texts.size(), 1u);

    // Emptied in the dialog, a text is removed.
    g.dialogs.newText = "";
    g.leftClick(g.xAt(6.2f), g.textY());
    ASSERT_EQ(g.tune.textCount, 1);
    EXPECT_EQ(g.tune.textList[1].text, "moved");
    // A right click on a text deletes it.
    g.rightDown(g.xAt(8.1f), g.textY());
    g.rightUp(g.xAt(8.1f), g.textY());
    EXPECT_EQ(g.tune.textCount, 0);
}

TEST(MatrixMouse, RowsUnderPitchOneTakeNoNotes)
{
    Gestures g;
    ASSERT_TRUE(ScrollVertical(g.view, ScrollCode::ThumbTrack, 108));
    ASSERT_LT(g.view.lowestPitch, 1);
    g.rightDrag(g.xAt(2.0f), g.yAt(0), g.xAt(4.0f), g.yAt(0));
    g.rightDrag(g.xAt(2.0f), g.yAt(-1), g.xAt(4.0f), g.yAt(-1));
    EXPECT_EQ(g.tune.noteCount, 0);
    EXPECT_EQ(g.tune.vibraCount, 0);
    g.rightDrag(g.xAt(2.0f), g.yAt(1), g.xAt(4.0f), g.yAt(1));
    EXPECT_EQ(g.tune.noteCount, 1);
    // Dragged below pitch 1, a note stops at pitch 1.
    g.leftDrag(g.xAt(2.5f), g.yAt(1), g.xAt(2.5f), g.yAt(-3));
    ASSERT_EQ(g.tune.noteCount, 1);
    EXPECT_EQ(g.tune.noteTable[1].pitch, 1);
}

} // namespace
} // namespace qte
