// The "Matrix edit" window in the running editor: mouse messages at client
// pixels become edits of the tune, the tone text follows every change, the
// strips open their dialogs, and a full list refuses without changing.

#include "app/commands.h"
#include "app/matrix_events.h"

#include "app/audition.h"
#include "editor_fixture.h"
#include "sound/renderer.h"
#include "tune/tone_text.h"
#include "tune/tune_invariants.h"

#include <gmock/gmock.h>

namespace qte {
namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using Strings = std::vector<std::string>;

struct Point {
    int x = 0;
    int y = 0;
};

class MatrixEvents : public test::EditorFixture {
protected:
    MatrixEvents() { startWithConfig(); }

    const MatrixView& view() const { return ctx.matrixView; }
    // The middle of the cell of a whole unit on a pitch's row.
    Point cell(float units, int pitch) const
    {
        return {view().unitsToX(units + 0.5f), view().pitchToY(pitch) + view().rowHeight / 2};
    }
    Point textStrip(float units) const
    {
        return {view().unitsToX(units + 0.25f), (view().textTop() + view().textBottom()) / 2};
    }
    Point repeatStrip(float units) const { return {view().unitsToX(units), 15}; }
    // A pitch in the middle of the visible rows.
    int pitch() const { return view().lowestPitch + view().visibleRows / 2; }

    // Every message carries the Shift and Ctrl state of `held`.
    void send(MatrixMouse action, Point p) { matrixMouse(ctx, action, p.x, p.y, held); }
    // Press, one move, release; then the tune must keep its rules.
    void gesture(bool right, Point from, Point to, std::uint32_t heldMs = 0)
    {
        send(right ? MatrixMouse::RightDown : MatrixMouse::LeftDown, from);
        EXPECT_TRUE(matrixWindow.hasMouseCapture());
        send(MatrixMouse::Move, to);
        tick.advance(heldMs);
        send(right ? MatrixMouse::RightUp : MatrixMouse::LeftUp, to);
        EXPECT_FALSE(matrixWindow.hasMouseCapture());
        expectInvariants();
    }
    void click(bool right, Point p) { gesture(right, p, p); }

    // Quarter notes at 0 and 10 on the clipboard, and in the tune unselected.
    void copyTwoNotes()
    {
        pressKey("4");
        click(true, cell(0.0f, pitch()));
        click(true, cell(10.0f, pitch()));
        runCommand(ctx, cmd::SelectAll);
        runCommand(ctx, cmd::Copy);
        runCommand(ctx, cmd::Unselect);
        ASSERT_EQ(ctx.matrixEdit.clipboardCount, 2);
    }

    void expectInvariants() const
    {
        for (const std::string& problem : checkTuneInvariants(ctx.tune()))
            ADD_FAILURE() << problem;
    }

    [[nodiscard]] std::string text() const { return ToneTextBytes(ctx.toneText); }

    ModifierKeys held;
    // The TONE line of a Normal note: config.cfg's first note name prefix,
    // the name of its pitch ("_C," and so on), its length.
    [[nodiscard]] std::string toneLine(const NoteRecord& n) const
    {
        return "TONE(AUD_NOTE" + ctx.noteNames[static_cast<std::size_t>(n.pitch)] +
               " TONE_TIME_IN_MS(" + std::to_string(n.durationMs) + "))";
    }
};

// The toolbar's style and length reach the Matrix, and every gesture the text.
TEST_F(MatrixEvents, DrawnMovedAndDeletedNotesShowInTheToneText)
{
    runCommand(ctx, cmd::StyleContinuous);
    pressKey("3");
    const int p = pitch();
    const Point from = cell(2.0f, p);
    gesture(true, from, {from.x + 9 * view().unitWidth, from.y});
    ASSERT_EQ(ctx.tune().noteCount, 1);
    const NoteRecord& n = ctx.tune().noteTable[1];
    EXPECT_NEAR(n.durationUnits, 3 * ctx.noteLength.newNoteUnits, 1e-4);
    EXPECT_THAT(text(), HasSubstr(toneLine(n)));

    // Taken by its body, dropped three rows up and ten units later.
    gesture(false, cell(2.0f, p), cell(12.0f, p + 3));
    EXPECT_EQ(std::pair(n.pitch, n.startUnits), std::pair(p + 3, 12.0f));
    EXPECT_THAT(text(), HasSubstr(toneLine(n)));
    // With Shift held only the pitch changes.
    modifierKey(ctx, ModifierKey::Shift, true);
    held.shiftDown = true;
    gesture(false, cell(12.0f, p + 3), cell(30.0f, p - 2));
    held.shiftDown = false;
    modifierKey(ctx, ModifierKey::Shift, false);
    EXPECT_EQ(std::pair(n.pitch, n.startUnits), std::pair(p - 2, 12.0f));

    click(true, cell(12.0f, p - 2));
    EXPECT_EQ(ctx.tune().noteCount, 0);
    EXPECT_THAT(text(), Not(HasSubstr("TONE(")));
}

// A gesture is one step however long its drag, named for what it did; the
// text follows once, when it ends; undo takes it back whole, selection
// included, and redo makes it again.
TEST_F(MatrixEvents, EachGestureIsOneNamedStep)
{
    runCommand(ctx, cmd::StyleContinuous);
    pressKey("3");
    const int p = pitch();
    const auto undoName = [this] { return commandLabel(ctx, cmd::Undo).value_or(""); };
    for (const float u : {0.0f, 10.0f, 20.0f})
        click(true, cell(u, p));
    EXPECT_EQ(undoName(), "Undo Draw note");
    EXPECT_EQ(ctx.document.undoSteps(), 3u);
    runCommand(ctx, cmd::SelectAll);
    EXPECT_EQ(ctx.document.undoSteps(), 3u) << "a selection is no step";
    const std::string drawn = text();

    // Taken up by a selected note and dragged over many moves.
    send(MatrixMouse::LeftDown, cell(10.0f, p));
    const int repaintsOfTheText = ringdataWindow.invalidations;
    for (int u = 11; u < 40; ++u)
        send(MatrixMouse::Move, cell(static_cast<float>(u), p + 2));
    EXPECT_EQ(ringdataWindow.invalidations, repaintsOfTheText);
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::Undo)) << "nothing is undone inside a gesture";
    send(MatrixMouse::LeftUp, cell(40.0f, p + 2));
    EXPECT_GT(ringdataWindow.invalidations, repaintsOfTheText);
    EXPECT_EQ(undoName(), "Undo Move 3 notes");
    EXPECT_EQ(ctx.document.undoSteps(), 4u);
    const std::string moved = text();
    ASSERT_NE(moved, drawn);

    runCommand(ctx, cmd::Undo);
    EXPECT_EQ(text(), drawn);
    EXPECT_EQ(ctx.tune().selectionMode, 2);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(ctx.tune().noteTable[i].selected, 1) << i;
    runCommand(ctx, cmd::Redo);
    EXPECT_EQ(text(), moved);

    // The other gestures, each named.
    runCommand(ctx, cmd::Unselect);
    const NoteRecord& first = ctx.tune().noteTable[1];
    const Point end = {view().unitsToX(first.endUnits) - 1, cell(0.0f, first.pitch).y};
    gesture(false, end, {end.x + 3 * view().unitWidth, end.y});
    EXPECT_EQ(undoName(), "Undo Resize note");
    click(true, {view().unitsToX(first.startUnits + 0.5f), end.y});
    EXPECT_EQ(undoName(), "Undo Delete note");
    click(true, textStrip(50.0f));
    EXPECT_EQ(undoName(), "Undo Add text");
    gesture(true, repeatStrip(0.0f), repeatStrip(12.0f));
    EXPECT_EQ(undoName(), "Undo Draw repeat");
    dialogs.repetitionsEntries = {"4"};
    click(false, repeatStrip(3.0f));
    EXPECT_EQ(undoName(), "Undo Repetitions");
    // A click that changes nothing is no step.
    const std::size_t steps = ctx.document.undoSteps();
    click(false, cell(60.0f, p - 3));
    EXPECT_EQ(ctx.document.undoSteps(), steps);
}

// A fresh start has no style chosen; notes still follow the mouse.
TEST_F(MatrixEvents, BeforeAStyleIsChosenNotesAreDrawnAndResizedAsInContinuous)
{
    ASSERT_EQ(ctx.settings.styleMode, 0);
    pressKey("3"); // eighths: 4 units
    const int p = pitch();
    gesture(true, cell(2.0f, p), cell(11.0f, p));
    ASSERT_EQ(ctx.tune().noteCount, 1);
    const NoteRecord& n = ctx.tune().noteTable[1];
    EXPECT_EQ(std::pair(n.startUnits, n.endUnits), std::pair(2.0f, 14.0f));
    // Taken by its last pixels and pulled to unit 20.
    gesture(false, {view().unitsToX(14.0f) - 1, cell(0.0f, p).y}, cell(20.0f, p));
    ASSERT_EQ(ctx.tune().noteCount, 1);
    EXPECT_EQ(std::pair(n.startUnits, n.endUnits), std::pair(2.0f, 22.0f));
}

// Keys go unseen while a modal dialog is open; Ctrl let go there must not
// turn the next click into a Ctrl-click.
TEST_F(MatrixEvents, ModifiersComeWithEachClickNotFromAKeyReleaseLostToADialog)
{
    const int p = pitch();
    pressKey("3");
    click(true, cell(2.0f, p));
    click(true, cell(10.0f, p));
    runCommand(ctx, cmd::SelectAll);

    // Ctrl held for Ctrl+O; the file dialog is cancelled after Ctrl is let go.
    modifierKey(ctx, ModifierKey::Ctrl, true);
    ASSERT_TRUE(ctx.keys.ctrlDown);
    runCommand(ctx, cmd::OpenRingingTone);

    // A plain press on a selected note takes the whole selection along.
    gesture(false, cell(2.0f, p), cell(20.0f, p), 500);
    EXPECT_FALSE(ctx.keys.ctrlDown);
    ASSERT_EQ(ctx.tune().noteCount, 2);
    EXPECT_EQ(std::pair(ctx.tune().noteTable[1].startUnits, ctx.tune().noteTable[2].startUnits),
              std::pair(20.0f, 28.0f));

    // With Ctrl really held the click toggles the note instead.
    held.ctrlDown = true;
    click(false, cell(20.0f, p));
    EXPECT_TRUE(ctx.keys.ctrlDown);
    EXPECT_EQ(std::pair(ctx.tune().noteTable[1].selected, ctx.tune().noteTable[2].selected),
              std::pair(0, 1));
}

// Notes sound while editing, once each: a key of the key strip, a drawn
// note, a moved note on its new pitch. A note moved in time only, a deleted
// note and the gestures of a selection say nothing.
TEST_F(MatrixEvents, NotesSoundWhileEditing)
{
    const int p = pitch();
    // The pitches heard since the last call, told by the blocks written.
    const auto heard = [this, p] {
        std::vector<int> pitches;
        for (const auto& w : auditionOut.writes)
            for (int q = p - 10; q <= p + 10; ++q)
                if (*w.block == renderNoteSound(ctx.noteFrequencyHz[q], kAuditionMs))
                    pitches.push_back(q);
        auditionOut.writes.clear();
        return pitches;
    };
    const Point key{kKeyStripWidth / 2, cell(0.0f, p + 1).y};
    click(false, key);
    EXPECT_EQ(heard(), std::vector<int>{p + 1});
    gesture(true, cell(4.0f, p), cell(6.0f, p));
    EXPECT_EQ(heard(), std::vector<int>{p});
    gesture(false, cell(4.0f, p), cell(9.0f, p)); // later, same pitch
    EXPECT_EQ(heard(), std::vector<int>{});
    gesture(false, cell(9.0f, p), cell(9.0f, p - 2));
    EXPECT_EQ(heard(), std::vector<int>{p - 2});
    click(true, cell(9.0f, p - 2));                          // deleted
    click(false, {view().gridRight() - 2, cell(0.0f, p).y}); // an empty cell
    EXPECT_EQ(heard(), std::vector<int>{});

    runCommand(ctx, cmd::SoundNotes);
    click(false, key);
    gesture(true, cell(4.0f, p), cell(6.0f, p));
    EXPECT_EQ(heard(), std::vector<int>{});
    EXPECT_EQ(waveOut.calls, std::vector<std::string>{"open"});
}

TEST_F(MatrixEvents, ClicksDuringPlaybackOnlyActivate)
{
    ctx.activeChild = Child::RingdataView;
    ctx.play.playing = true;
    for (const MatrixMouse m :
         {MatrixMouse::RightDown, MatrixMouse::RightUp, MatrixMouse::LeftDown, MatrixMouse::LeftUp})
        send(m, cell(2.0f, pitch()));
    EXPECT_FALSE(matrixWindow.hasMouseCapture());
    EXPECT_EQ(ctx.activeChild, Child::MatrixEdit);
    EXPECT_EQ(ctx.tune().noteCount, 0);
}

TEST_F(MatrixEvents, MinimumSizeFollowsTheKeyStrip)
{
    const auto size = [this] {
        const MinTrackSize s = BlockEdit::minTrackSize(ctx.matrixView);
        return std::pair(s.width, s.height);
    };
    EXPECT_EQ(size(), std::pair(kKeyStripWidth, kMatrixMinTrackHeight));
    dialogs.settingsRuns.push_back({{[](SettingsFields& f) { f.drawKeys = false; }}});
    runCommand(ctx, cmd::Settings);
    EXPECT_EQ(size(), std::pair(0, kMatrixMinTrackHeight));
}

TEST_F(MatrixEvents, TextStripOpensTheTextDialogAndItsTextGoesIntoTheToneText)
{
    // A right click puts the default text there at once.
    click(true, textStrip(4.0f));
    ASSERT_EQ(ctx.tune().textCount, 1);
    EXPECT_THAT(text(), HasSubstr("--- free text ---"));

    dialogs.textEntries = {"Chorus"};
    click(false, textStrip(4.0f));
    EXPECT_EQ(dialogs.textShown, std::vector<std::string>{"--- free text ---"});
    EXPECT_EQ(ctx.tune().textList[1].text, "Chorus");
    EXPECT_THAT(text(), AllOf(HasSubstr("Chorus"), Not(HasSubstr("--- free text ---"))));

    // A text that the tune reads derives its table at once.
    dialogs.textEntries = {"FREQ_DEFINE((440), (880), (1320))"};
    click(false, textStrip(4.0f));
    EXPECT_EQ(ctx.tune().freqDefineCount, 3);

    // A long press moves the text instead of opening the dialog.
    gesture(false, textStrip(4.0f), textStrip(9.0f), kLongPressMs);
    EXPECT_EQ(dialogs.textShown.size(), 2u);
    EXPECT_FLOAT_EQ(ctx.tune().textList[1].timeUnits, 9.0f);

    // Cleared in the dialog, the text is gone.
    dialogs.textEntries = {""};
    click(false, textStrip(9.0f));
    EXPECT_EQ(ctx.tune().textCount, 0);
    EXPECT_EQ(ctx.tune().freqDefineCount, 0);
    EXPECT_THAT(text(), Not(HasSubstr("FREQ_DEFINE")));
}

// The wheel over the matrix: pitch rows up and down, time with Shift or a
// sideways turn, and with Ctrl a time zoom that keeps the unit under the
// mouse where it is.
TEST_F(MatrixEvents, TheWheelScrollsPitchAndTimeAndZoomsTimeAtTheMouse)
{
    const int bottom = view().lowestPitch;
    matrixWheel(ctx, 100, -2, 0, {}, 3);
    EXPECT_EQ(view().lowestPitch, bottom - 6);
    matrixWheel(ctx, 100, 1, 0, {}, 3);
    EXPECT_EQ(view().lowestPitch, bottom - 3);
    EXPECT_EQ(matrixWindow.scrollBar(ScrollBar::Vertical).position, view().verticalPos);

    matrixWheel(ctx, 100, -1, 0, {true, false}, 3);
    EXPECT_EQ(view().scrollUnits, 3);
    EXPECT_EQ(view().lowestPitch, bottom - 3) << "Shift turns only the time";
    matrixWheel(ctx, 100, 0, -2, {}, 3);
    EXPECT_EQ(view().scrollUnits, 9);
    matrixWheel(ctx, 100, 0, 5, {}, 3);
    EXPECT_EQ(view().scrollUnits, 0);

    // Down stops with pitch 1 at the bottom, as the Down key does.
    matrixWheel(ctx, 100, -99, 0, {}, 3);
    EXPECT_EQ(view().lowestPitch, 1);

    // Ctrl: a zoom step a notch, around the mouse.
    matrixWheel(ctx, 100, 0, -10, {}, 3);
    const int x = view().unitsToX(40.0f);
    const float before = view().xToUnits(x);
    const int width = view().unitWidth;
    matrixWheel(ctx, x, 3, 0, {false, true}, 3);
    EXPECT_GT(view().unitWidth, width);
    EXPECT_NEAR(view().xToUnits(x), before, 1.0f);
    EXPECT_EQ(view().lowestPitch, 1) << "Ctrl turns only the zoom";
    matrixWheel(ctx, x, -3, 0, {false, true}, 3);
    EXPECT_EQ(view().unitWidth, width);
    EXPECT_NEAR(view().xToUnits(x), before, 1.0f);
}

TEST_F(MatrixEvents, RepeatStripOpensTheRepetitionsDialog)
{
    pressKey("4");
    click(true, cell(0.0f, pitch()));
    // Drawn with the right button from unit 0 over twelve units.
    gesture(true, repeatStrip(0.0f), repeatStrip(12.0f));
    ASSERT_EQ(ctx.tune().repeatCount, 1);
    EXPECT_THAT(text(), HasSubstr("REPEAT_BEGIN(2)"));

    // Numbers it cannot take keep the strip open with a message.
    dialogs.repetitionsEntries = {"", "0", "1000", "5"};
    click(false, repeatStrip(3.0f));
    EXPECT_EQ(dialogs.repetitionsShown, std::vector<std::int32_t>{2});
    EXPECT_EQ(takeMessages(), Strings(3, "Error!: Number of repetitions must be from 1 to 999."));
    EXPECT_EQ(ctx.tune().repeatList[1].repetitions, 5);
    EXPECT_THAT(text(), HasSubstr("REPEAT_BEGIN(5)"));

    // A long press does not open it; a click beside the block neither.
    gesture(false, repeatStrip(3.0f), repeatStrip(3.0f), kLongPressMs);
    click(false, repeatStrip(20.0f));
    EXPECT_EQ(dialogs.repetitionsShown.size(), 1u);
}

// The Matrix says why; the lists' own refusal is tested with them.
TEST_F(MatrixEvents, FullListsRefuseWithAMessageAndChangeNothing)
{
    setUpTune([](Tune& t) {
        for (int i = 1; i <= kMaxNotes; ++i)
            test::setSpan(t, t.noteTable[t.noteCount = i], 2.0f * i + 40, 1).pitch = 60;
        for (int i = 1; i <= kMaxVibras; ++i)
            test::setSpan(t, t.vibraList[t.vibraCount = i], 2.0f * i + 40, 1);
        for (int i = 1; i <= kMaxRepeats; ++i)
            test::setSpan(t, t.repeatList[t.repeatCount = i], 2.0f * i + 40, 1).repetitions = 2;
        for (int i = 1; i <= kMaxTexts; ++i)
            t.textList[t.textCount = i] = {unitsToMs(2.0f * i + 40, t.msPerUnit), 2.0f * i + 40,
                                           "t"};
    });
    const Tune& t = ctx.tune();
    const auto counts = [&t] {
        return std::vector{t.noteCount, t.vibraCount, t.repeatCount, t.textCount};
    };
    const auto countsBefore = counts();
    const std::string textBefore = text();
    const std::pair<std::string_view, Point> cases[] = {
        {kNoteListFull, cell(3.0f, pitch())},
        {kVibraListFull, {view().unitsToX(3.0f), (view().vibraTop() + view().vibraBottom()) / 2}},
        {kRepeatListFull, repeatStrip(3.0f)},
        {kTextListFull, textStrip(3.0f)},
    };
    for (const auto& [says, where] : cases) {
        SCOPED_TRACE(says);
        messages.shown.clear();
        gesture(true, where, {where.x + 4 * view().unitWidth, where.y});
        EXPECT_EQ(takeMessages(), Strings{"Error!: " + std::string(says)});
        EXPECT_EQ(counts(), countsBefore);
        EXPECT_EQ(text(), textBefore);
    }
}

TEST_F(MatrixEvents, ATooLongToneTextIsReportedOnceNotAfterEveryGesture)
{
    // Notes with gaps take two lines each: 600 of them overflow the text.
    const auto add600 = [](Tune& t) {
        for (int i = 0; i < 600; ++i)
            test::setSpan(t, t.noteTable[++t.noteCount] = {}, 2.0f * i + 40, 1).pitch = 60;
    };
    setUpTune(add600);
    regenerateToneText(ctx);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Warning");
    for (const float u : {2.0f, 10.0f, 20.0f})
        click(true, cell(u, pitch()));
    EXPECT_EQ(ctx.tune().noteCount, 603);
    EXPECT_EQ(messages.shown.size(), 1u);

    // Back under the limit and over it again is news once more.
    runCommand(ctx, cmd::SelectAll);
    runCommand(ctx, cmd::Delete);
    setUpTune(add600);
    click(true, cell(2.0f, pitch()));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(MatrixEvents, PasteThatWouldOverflowPastesNothingAndSaysSo)
{
    copyTwoNotes();
    const int p = pitch();
    setUpTune([](Tune& t) {
        while (t.noteCount < kMaxNotes - 1) {
            const float start = 2.0f * static_cast<float>(t.noteCount) + 100;
            test::setSpan(t, t.noteTable[++t.noteCount] = {}, start, 1).pitch = 60;
        }
    });
    messages.shown.clear();
    runCommand(ctx, cmd::Paste);
    EXPECT_EQ(takeMessages(), Strings{"Error!: " + std::string(kPasteTooLarge)});
    EXPECT_EQ(ctx.matrixEdit.dragCount, 0);
    click(false, cell(40.0f, p));
    EXPECT_EQ(ctx.tune().noteCount, kMaxNotes - 1);
}

// Regression: a paste while a moved note hangs at the mouse lost that note.
TEST_F(MatrixEvents, PasteWaitsWhileAMovedNoteHangsAtTheMouse)
{
    copyTwoNotes();
    const int p = pitch();
    send(MatrixMouse::LeftDown, cell(0.0f, p));
    ASSERT_EQ(ctx.matrixEdit.dragCount, 1);
    runCommand(ctx, cmd::Paste);
    send(MatrixMouse::LeftUp, cell(50.0f, p + 1));
    ASSERT_EQ(ctx.tune().noteCount, 2);
    EXPECT_FLOAT_EQ(ctx.tune().noteTable[2].startUnits, 50.0f);
    expectInvariants();
}

TEST_F(MatrixEvents, EditCommandsRegenerateTheToneText)
{
    pressKey("5");
    click(true, cell(0.0f, pitch()));
    const std::string before = toneLine(ctx.tune().noteTable[1]);
    runCommand(ctx, cmd::StaccatoAll);
    EXPECT_THAT(text(),
                AllOf(Not(HasSubstr(before)), HasSubstr(toneLine(ctx.tune().noteTable[1]))));
    runCommand(ctx, cmd::SelectAll);
    runCommand(ctx, cmd::Cut);
    EXPECT_THAT(text(), Not(HasSubstr("TONE(")));
}

} // namespace
} // namespace qte
