// The "Matrix edit" window in the running editor: mouse messages at client
// pixels become edits of the tune, the tone text follows every change, the
// strips open their dialogs, and a full list refuses without changing.

#include "app/matrix_events.h"

#include "editor_fixture.h"
#include "matrix/tune_invariants.h"
#include "tune/tone_text.h"

#include <gmock/gmock.h>

namespace qte {
namespace {

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

    // An item as the edit operations store it: every ms field from units.
    template <class R> static R& setSpan(const Tune& t, R& r, float start, float length)
    {
        r.startUnits = start;
        r.endUnits = start + length;
        r.startMs = unitsToMs(r.startUnits, t.msPerUnit);
        r.endMs = unitsToMs(r.endUnits, t.msPerUnit);
        if constexpr (requires { r.durationUnits; }) {
            r.durationUnits = length;
            r.durationMs = unitsToMs(length, t.msPerUnit);
        }
        return r;
    }
    void putNote(float start, float length, int pitch)
    {
        setSpan(ctx.tune, ctx.tune.noteTable[++ctx.tune.noteCount] = {}, start, length).pitch =
            pitch;
    }

    void send(MatrixMouse action, Point p) { matrixMouse(ctx, action, p.x, p.y); }
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

    void expectInvariants() const
    {
        for (const std::string& problem : checkTuneInvariants(ctx.tune))
            ADD_FAILURE() << problem;
    }

    [[nodiscard]] std::string text() const { return ToneTextBytes(ctx.toneText); }
    [[nodiscard]] bool textHas(const std::string& s) const
    {
        return text().find(s) != std::string::npos;
    }
    // The TONE line of a Normal note: config.cfg's first note name prefix,
    // the name of its pitch ("_C," and so on), its length.
    [[nodiscard]] std::string toneLine(const NoteRecord& n) const
    {
        return "TONE(AUD_NOTE" + ctx.noteNames[static_cast<std::size_t>(n.pitch)] +
               " TONE_TIME_IN_MS(" + std::to_string(n.durationMs) + "))";
    }
};

TEST_F(MatrixEvents, RightDragDrawsANoteOfTheToolbarLengthAndTheToneTextShowsIt)
{
    struct Case {
        const char* name;
        int styleCommand;
        int lengthKey; // the toolbar's length keys 1..6
        float dragUnits;
        float expectedUnits; // in multiples of the chosen length
    };
    const Case cases[] = {
        {"natural ignores the drag", cmd::StyleNatural, 4, 20.0f, 1.0f},
        {"staccato ignores the drag", cmd::StyleStaccato, 3, 9.0f, 1.0f},
        {"continuous follows in whole lengths", cmd::StyleContinuous, 3, 9.0f, 3.0f},
        {"continuous gives at least one length", cmd::StyleContinuous, 4, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runCommand(ctx, cmd::NewTune);
        runCommand(ctx, c.styleCommand);
        keyDown(ctx, vk::Digit0 + c.lengthKey);
        const float length = ctx.noteLength.newNoteUnits;
        ASSERT_GT(length, 0.0f);

        const Point from = cell(6.0f, pitch());
        gesture(true, from, {from.x + static_cast<int>(c.dragUnits * view().unitWidth), from.y});
        ASSERT_EQ(ctx.tune.noteCount, 1);
        const NoteRecord& n = ctx.tune.noteTable[1];
        EXPECT_EQ(n.pitch, pitch());
        EXPECT_FLOAT_EQ(n.startUnits, 6.0f);
        EXPECT_NEAR(n.durationUnits, c.expectedUnits * length, 1e-4);
        EXPECT_TRUE(textHas(toneLine(n))) << text();
    }
}

TEST_F(MatrixEvents, LeftDragMovesANoteAndRightClickDeletesIt)
{
    keyDown(ctx, vk::Digit0 + 4);
    const int p = pitch();
    click(true, cell(2.0f, p));
    ASSERT_EQ(ctx.tune.noteCount, 1);
    const float length = ctx.tune.noteTable[1].durationUnits;

    // Taken by its body, dropped three rows up and ten units later.
    gesture(false, cell(2.0f, p), cell(12.0f, p + 3));
    ASSERT_EQ(ctx.tune.noteCount, 1);
    const NoteRecord& moved = ctx.tune.noteTable[1];
    EXPECT_EQ(moved.pitch, p + 3);
    EXPECT_FLOAT_EQ(moved.startUnits, 12.0f);
    EXPECT_FLOAT_EQ(moved.durationUnits, length);
    EXPECT_TRUE(textHas(toneLine(moved))) << text();

    // With Shift held the note keeps its time and changes only its pitch.
    keyDown(ctx, vk::Shift);
    gesture(false, cell(12.0f, p + 3), cell(30.0f, p - 2));
    keyUp(ctx, vk::Shift);
    ASSERT_EQ(ctx.tune.noteCount, 1);
    EXPECT_EQ(ctx.tune.noteTable[1].pitch, p - 2);
    EXPECT_FLOAT_EQ(ctx.tune.noteTable[1].startUnits, 12.0f);

    click(true, cell(12.0f, p - 2));
    EXPECT_EQ(ctx.tune.noteCount, 0);
    EXPECT_FALSE(textHas("TONE(")) << text();
}

TEST_F(MatrixEvents, ClicksDuringPlaybackOnlyActivate)
{
    ctx.activeChild = Child::RingdataView;
    ctx.play.playing = true;
    for (const MatrixMouse m : {MatrixMouse::RightDown, MatrixMouse::RightUp, MatrixMouse::LeftDown,
                                MatrixMouse::LeftUp}) {
        send(m, cell(2.0f, pitch()));
        EXPECT_FALSE(matrixWindow.hasMouseCapture());
    }
    EXPECT_EQ(ctx.activeChild, Child::MatrixEdit);
    EXPECT_EQ(ctx.tune.noteCount, 0);
}

TEST_F(MatrixEvents, MinimumSizeFollowsTheKeyStrip)
{
    EXPECT_EQ(matrixMinTrackSize(ctx).width, kKeyStripWidth);
    EXPECT_EQ(matrixMinTrackSize(ctx).height, kMatrixMinTrackHeight);
    dialogs.settingsRuns.push_back({{[](SettingsFields& f) { f.drawKeys = false; }}});
    runCommand(ctx, cmd::Settings);
    EXPECT_EQ(matrixMinTrackSize(ctx).width, view().keyStripWidth);
    EXPECT_LT(matrixMinTrackSize(ctx).width, kKeyStripWidth);
}

TEST_F(MatrixEvents, TextStripOpensTheTextDialogAndItsTextGoesIntoTheToneText)
{
    // A right click puts the default text there at once.
    click(true, textStrip(4.0f));
    ASSERT_EQ(ctx.tune.textCount, 1);
    EXPECT_TRUE(textHas("--- free text ---")) << text();

    dialogs.textEntries = {"Chorus"};
    click(false, textStrip(4.0f));
    EXPECT_EQ(dialogs.textShown, std::vector<std::string>{"--- free text ---"});
    EXPECT_EQ(ctx.tune.textList[1].text, "Chorus");
    EXPECT_TRUE(textHas("Chorus")) << text();
    EXPECT_FALSE(textHas("--- free text ---"));

    // A text that the tune reads derives its table at once.
    dialogs.textEntries = {"FREQ_DEFINE((440), (880), (1320))"};
    click(false, textStrip(4.0f));
    EXPECT_EQ(ctx.tune.freqDefineCount, 3);

    // More than a record holds is cut to it.
    dialogs.textEntries = {std::string(kMaxTextChars + 10, 'x')};
    click(false, textStrip(4.0f));
    EXPECT_EQ(ctx.tune.textList[1].text, std::string(kMaxTextChars, 'x'));

    // A long press moves the text instead of opening the dialog.
    gesture(false, textStrip(4.0f), textStrip(9.0f), kLongPressMs);
    EXPECT_EQ(dialogs.textShown.size(), 3u);
    EXPECT_FLOAT_EQ(ctx.tune.textList[1].timeUnits, 9.0f);

    // Cleared in the dialog, the text is gone.
    dialogs.textEntries = {""};
    click(false, textStrip(9.0f));
    EXPECT_EQ(ctx.tune.textCount, 0);
    EXPECT_EQ(ctx.tune.freqDefineCount, 0);
    EXPECT_FALSE(textHas(std::string(kMaxTextChars, 'x')));
}

TEST_F(MatrixEvents, RepeatStripOpensTheRepetitionsDialog)
{
    keyDown(ctx, vk::Digit0 + 4);
    click(true, cell(0.0f, pitch()));
    // Drawn with the right button from unit 0 over twelve units.
    gesture(true, repeatStrip(0.0f), repeatStrip(12.0f));
    ASSERT_EQ(ctx.tune.repeatCount, 1);
    EXPECT_EQ(ctx.tune.repeatList[1].repetitions, 2);
    EXPECT_TRUE(textHas("REPEAT_BEGIN(2)")) << text();

    // Numbers it cannot take keep the strip open with a message.
    dialogs.repetitionsEntries = {"", "0", "1000", "5"};
    click(false, repeatStrip(3.0f));
    EXPECT_EQ(dialogs.repetitionsShown, std::vector<std::int32_t>{2});
    EXPECT_EQ(takeMessages().size(), 3u);
    EXPECT_EQ(ctx.tune.repeatList[1].repetitions, 5);
    EXPECT_TRUE(textHas("REPEAT_BEGIN(5)")) << text();

    // A long press does not open it; a click beside the block neither.
    gesture(false, repeatStrip(3.0f), repeatStrip(3.0f), kLongPressMs);
    click(false, repeatStrip(20.0f));
    EXPECT_EQ(dialogs.repetitionsShown.size(), 1u);
}

TEST_F(MatrixEvents, FullListsRefuseWithAMessageAndChangeNothing)
{
    struct Case {
        const char* name;
        int slots;
        std::function<void(Tune&, int, float)> put; // item i at unit u, counted
        Point where;
        bool drag;
    };
    const Case cases[] = {
        {"notes", kMaxNotes,
         [](Tune& t, int i, float u) { setSpan(t, t.noteTable[t.noteCount = i], u, 1).pitch = 60; },
         cell(3.0f, pitch()), false},
        {"vibra segments",
         kMaxVibras,
         [](Tune& t, int i, float u) { setSpan(t, t.vibraList[t.vibraCount = i], u, 1); },
         {view().unitsToX(3.0f), (view().vibraTop() + view().vibraBottom()) / 2},
         true},
        {"repeat blocks", kMaxRepeats,
         [](Tune& t, int i, float u) {
             setSpan(t, t.repeatList[t.repeatCount = i], u, 1).repetitions = 2;
         },
         repeatStrip(3.0f), true},
        {"texts", kMaxTexts,
         [](Tune& t, int i, float u) {
             t.textList[t.textCount = i] = {unitsToMs(u, t.msPerUnit), u, "t"};
         },
         textStrip(3.0f), false},
    };
    const auto counts = [](const Tune& t) {
        return std::vector<int>{t.noteCount, t.vibraCount, t.repeatCount, t.textCount};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearTune(ctx.tune);
        for (int i = 1; i <= c.slots; ++i)
            c.put(ctx.tune, i, 2.0f * i + 40);
        expectInvariants();
        // A list this long overflows the tone text: that warning comes once.
        regenerateToneText(ctx);
        const Tune before = ctx.tune;
        messages.shown.clear();
        gesture(true, c.where,
                c.drag ? Point{c.where.x + 4 * view().unitWidth, c.where.y} : c.where);
        EXPECT_THAT(takeMessages(), testing::ElementsAre(testing::HasSubstr("Delete")));
        EXPECT_EQ(counts(ctx.tune), counts(before));
        for (int i = 1; i <= ctx.tune.noteCount; ++i)
            ASSERT_EQ(ctx.tune.noteTable[i].startUnits, before.noteTable[i].startUnits);
    }
}

TEST_F(MatrixEvents, ATooLongToneTextIsReportedOnceNotAfterEveryGesture)
{
    // Notes with gaps take two lines each: 600 of them overflow the text.
    for (int i = 0; i < 600; ++i)
        putNote(static_cast<float>(2 * i + 40), 1.0f, 60);
    regenerateToneText(ctx);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Warning");
    for (const float u : {2.0f, 10.0f, 20.0f})
        click(true, cell(u, pitch()));
    EXPECT_EQ(ctx.tune.noteCount, 603);
    EXPECT_EQ(messages.shown.size(), 1u);

    // Back under the limit and over it again is news once more.
    runCommand(ctx, cmd::SelectAll);
    runCommand(ctx, cmd::Delete);
    for (int i = 0; i < 600; ++i)
        putNote(static_cast<float>(2 * i + 40), 1.0f, 60);
    click(true, cell(2.0f, pitch()));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(MatrixEvents, PasteThatWouldOverflowPastesNothingAndSaysSo)
{
    // Two notes copied, then the list filled to one short of full.
    keyDown(ctx, vk::Digit0 + 4);
    const int p = pitch();
    click(true, cell(0.0f, p));
    click(true, cell(10.0f, p));
    runCommand(ctx, cmd::SelectAll);
    runCommand(ctx, cmd::Copy);
    ASSERT_EQ(ctx.matrixEdit.clipboardCount, 2);
    runCommand(ctx, cmd::Unselect);
    while (ctx.tune.noteCount < kMaxNotes - 1)
        putNote(static_cast<float>(2 * ctx.tune.noteCount + 100), 1.0f, 60);
    const int count = ctx.tune.noteCount;
    messages.shown.clear();

    runCommand(ctx, cmd::Paste);
    EXPECT_THAT(takeMessage(), testing::HasSubstr("Nothing was pasted"));
    EXPECT_EQ(ctx.matrixEdit.dragCount, 0);
    EXPECT_EQ(ctx.tune.selectionMode, 0);
    click(false, cell(40.0f, p));
    EXPECT_EQ(ctx.tune.noteCount, count);
    expectInvariants();

    // With room the notes hang at the mouse and the next click drops them.
    ClearTune(ctx.tune);
    messages.shown.clear();
    runCommand(ctx, cmd::Paste);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ctx.matrixEdit.dragCount, 2);
    click(false, cell(20.0f, p + 1));
    ASSERT_EQ(ctx.tune.noteCount, 2);
    EXPECT_FLOAT_EQ(ctx.tune.noteTable[1].startUnits, 20.0f);
    EXPECT_FLOAT_EQ(ctx.tune.noteTable[2].startUnits, 30.0f);
    EXPECT_EQ(ctx.tune.noteTable[2].pitch, p + 1);
    EXPECT_EQ(ctx.tune.selectionMode, 2);
    EXPECT_TRUE(textHas(toneLine(ctx.tune.noteTable[2]))) << text();

    // A paste while a moved note hangs at the mouse would lose that note.
    runCommand(ctx, cmd::Unselect);
    send(MatrixMouse::LeftDown, cell(20.0f, p + 1));
    ASSERT_EQ(ctx.matrixEdit.dragCount, 1);
    runCommand(ctx, cmd::Paste);
    send(MatrixMouse::LeftUp, cell(50.0f, p + 1));
    ASSERT_EQ(ctx.tune.noteCount, 2);
    EXPECT_FLOAT_EQ(ctx.tune.noteTable[2].startUnits, 50.0f);
    expectInvariants();
}

TEST_F(MatrixEvents, EditCommandsRegenerateTheToneText)
{
    keyDown(ctx, vk::Digit0 + 5);
    const int p = pitch();
    click(true, cell(0.0f, p));
    click(true, cell(20.0f, p));
    const std::string before = toneLine(ctx.tune.noteTable[2]);
    ASSERT_TRUE(textHas(before));

    runCommand(ctx, cmd::StaccatoAll);
    EXPECT_FALSE(textHas(before)) << text();
    EXPECT_TRUE(textHas(toneLine(ctx.tune.noteTable[2]))) << text();

    runCommand(ctx, cmd::SelectAll);
    runCommand(ctx, cmd::Cut);
    EXPECT_EQ(ctx.tune.noteCount, 0);
    EXPECT_FALSE(textHas("TONE(")) << text();
    expectInvariants();
}

// However small or large the window, zoom and scroll stay inside their
// limits and a gesture anywhere in it leaves a sound tune.
TEST_F(MatrixEvents, AnyWindowSizeKeepsZoomScrollAndGesturesInBounds)
{
    struct Size {
        int w, h;
    };
    for (const Size size : {Size{1, 1}, Size{40, 30}, Size{200, 190}, Size{6000, 4000}}) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        matrixWindow.resize(size.w, size.h);
        layoutMatrixWindow(ctx);
        for (const int command : {cmd::ZoomXIn, cmd::ZoomYIn, cmd::ZoomXOut, cmd::ZoomYOut}) {
            for (int i = 0; i < 60; ++i) {
                runCommand(ctx, command);
                const MatrixView& v = view();
                ASSERT_GE(v.unitWidth, 1);
                ASSERT_LE(v.unitWidth, kMaxUnitWidthZoom);
                ASSERT_GE(v.rowHeight, 1);
                ASSERT_LE(v.rowHeight, kMaxRowHeightZoom);
                ASSERT_GE(v.visibleUnits, 1);
                ASSERT_GE(v.visibleRows, 1);
                ASSERT_GE(v.lowestPitch, 1);
            }
            for (const int key : {vk::End, vk::Right, vk::Down, vk::Up, vk::Home}) {
                keyDown(ctx, key);
                for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
                    const ScrollBarState b = matrixWindow.scrollBar(bar);
                    EXPECT_EQ(b.position, clampScrollPosition(b, b.position));
                }
                EXPECT_GE(view().scrollUnits, 0);
            }
            const Point middle{size.w / 2, size.h / 2};
            gesture(true, middle, {size.w, size.h});
            gesture(false, middle, {0, 0});
            gesture(false, {-5, -5}, {size.w + 50, size.h + 50});
        }
    }
}

} // namespace
} // namespace qte
