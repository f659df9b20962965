// The main window as a user meets it, offscreen: every key through the real
// actions and their shortcuts, the wheel in each child, the layout of the
// children at three screen sizes, what a resize leaves on them, and (run
// again with QT_SCALE_FACTOR=2) backing images at the screen's ratio.

#include "app/commands.h"
#include "app/editor_context.h"
#include "app/menu.h"
#include "app/qt/main_window.h"
#include "app/tune_windows.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace qte {
namespace {

const std::string kExamples = QTE_SOURCE_DIR "/resources/examples/";

// Closes every modal dialog a command opens, noting its title.
class DialogCloser {
public:
    DialogCloser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            titles.push_back(w->windowTitle().toStdString());
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        });
        m_timer.start();
    }
    std::vector<std::string> titles;

private:
    QTimer m_timer;
};

// A shown, active main window of the given size.
struct Shown {
    explicit Shown(int width = 1280, int height = 1024)
    {
        window.resize(width, height);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        QApplication::processEvents();
        for (QAction* a : window.findChildren<QAction*>()) {
            if (!a->data().isValid()) continue;
            QObject::connect(a, &QAction::triggered,
                             [this, a] { triggered.push_back(a->data().toInt()); });
        }
    }
    EditorContext& ctx() { return window.context(); }

    MainWindow window{true};
    std::vector<int> triggered;
};

struct Key {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers held;
    int command; // 0: none
};

// Every key of the menu, of the old accelerator and keyboard tables and of
// the desktop reaches its command through a real action; the keys the old
// table took without a command reach none.
TEST(MainWindowShortcuts, EveryKeyTriggersItsActionAndNoOther)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier,
                                shift = Qt::ShiftModifier, pad = Qt::KeypadModifier;
    const Key keys[] = {
        // Undo and redo of the change made below, each key in turn.
        {"Ctrl+Z", Qt::Key_Z, ctrl, cmd::Undo},
        {"Ctrl+Shift+Z", Qt::Key_Z, ctrl | shift, cmd::Redo},
        {"Ctrl+Z again", Qt::Key_Z, ctrl, cmd::Undo},
        {"Ctrl+Y", Qt::Key_Y, ctrl, cmd::Redo},
        {"Ctrl+Y with nothing to redo", Qt::Key_Y, ctrl, 0},
        {"Ctrl+N", Qt::Key_N, ctrl, cmd::NewTune},
        {"Ctrl+O", Qt::Key_O, ctrl, cmd::OpenRingingTone},
        {"Ctrl+S", Qt::Key_S, ctrl, cmd::Save},
        {"Ctrl+Shift+S", Qt::Key_S, ctrl | shift, cmd::SaveAs},
        {"Ctrl+Q", Qt::Key_Q, ctrl, cmd::Exit},
        {"Escape", Qt::Key_Escape, none, cmd::Exit},
        {"F1", Qt::Key_F1, none, cmd::About},
        {"Ctrl+C", Qt::Key_C, ctrl, cmd::Copy},
        {"Ctrl+X", Qt::Key_X, ctrl, cmd::Cut},
        {"Ctrl+V", Qt::Key_V, ctrl, cmd::Paste},
        {"Ctrl+A", Qt::Key_A, ctrl, cmd::SelectAll},
        {"Delete", Qt::Key_Delete, none, cmd::Delete},
        {"Space", Qt::Key_Space, none, cmd::Play},
        {"Ctrl++", Qt::Key_Plus, ctrl, cmd::ZoomXIn},
        {"Ctrl+=", Qt::Key_Equal, ctrl, cmd::ZoomXIn},
        {"Ctrl+-", Qt::Key_Minus, ctrl, cmd::ZoomXOut},
        {"Ctrl+Shift++", Qt::Key_Plus, ctrl | shift, cmd::ZoomYIn},
        {"Ctrl+Shift+=", Qt::Key_Equal, ctrl | shift, cmd::ZoomYIn},
        {"Ctrl+Shift+-", Qt::Key_Minus, ctrl | shift, cmd::ZoomYOut},
        {"pad *", Qt::Key_Asterisk, pad, cmd::ZoomXIn},
        {"pad /", Qt::Key_Slash, pad, cmd::ZoomXOut},
        {"pad -", Qt::Key_Minus, pad, cmd::ZoomYIn},
        {"pad +", Qt::Key_Plus, pad, cmd::ZoomYOut},
        {"Shift+Right", Qt::Key_Right, shift, cmd::ZoomXIn},
        {"Shift+Left", Qt::Key_Left, shift, cmd::ZoomXOut},
        {"Shift+Up", Qt::Key_Up, shift, cmd::ZoomYIn},
        {"Shift+Down", Qt::Key_Down, shift, cmd::ZoomYOut},
        {"1", Qt::Key_1, none, cmd::NoteLength1},
        {"6", Qt::Key_6, none, cmd::NoteLength6},
        {"7", Qt::Key_7, none, cmd::ToggleDot},
        {"8", Qt::Key_8, none, cmd::ToggleDoubleDot},
        {"9", Qt::Key_9, none, cmd::ToggleTriplet},
        {"0", Qt::Key_0, none, cmd::ClearModifier},
        {"Shift+End", Qt::Key_End, shift, cmd::ScrollToLastNote},
        {"Ctrl+End", Qt::Key_End, ctrl, cmd::ScrollToLastNote},
        {"Home", Qt::Key_Home, none, cmd::ScrollToStart},
        {"Left", Qt::Key_Left, none, cmd::ScrollLeft},
        {"Right", Qt::Key_Right, none, cmd::ScrollRight},
        {"Up", Qt::Key_Up, none, cmd::ScrollUp},
        {"Down", Qt::Key_Down, none, cmd::ScrollDown},
        {"End", Qt::Key_End, none, 0},
        {"Page Up", Qt::Key_PageUp, none, 0},
        {"F", Qt::Key_F, none, 0},
        {"M", Qt::Key_M, none, 0},
        {"P", Qt::Key_P, none, 0},
        {"Ctrl+P", Qt::Key_P, ctrl, 0},
        {"R", Qt::Key_R, none, 0},
        {"comma", Qt::Key_Comma, none, 0},
        {"period", Qt::Key_Period, none, 0},
        {"plus without Ctrl", Qt::Key_Plus, none, 0},
    };
    Shown s;
    // An unsaved change, so that New Tune, Open and Exit ask first. Made
    // outside any command, as a mouse gesture makes it.
    s.ctx().document.change("Draw note", [](Tune& t) {
        NoteRecord& n = t.noteTable[++t.noteCount];
        n = {};
        n.pitch = 60;
        n.endUnits = n.durationUnits = 8.0f;
    });
    DialogCloser closer;
    for (const Key& k : keys) {
        SCOPED_TRACE(k.name);
        s.triggered.clear();
        // A closed dialog leaves the activation where the platform puts it.
        s.window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&s.window));
        QTest::keyClick(&s.window, k.key, k.held);
        QApplication::processEvents();
        EXPECT_EQ(s.triggered, k.command ? std::vector<int>{k.command} : std::vector<int>{});
        EXPECT_FALSE(s.ctx().quitRequested); // the question is answered Cancel
    }
    // What the dialogs were: the file dialogs of Save (of a tune never
    // saved) and Save as, the About box; New Tune and Open stopped at their
    // question.
    EXPECT_EQ(closer.titles, (std::vector<std::string>{"Save as", "Save as", "About"}));
}

// The numeric pad's keys may reach the window unmatched (X11 drops the
// keypad flag when it matches shortcuts); their actions still take them.
TEST(MainWindowShortcuts, NumericPadKeysThatComeUnmatchedStillReachTheirActions)
{
    Shown s;
    QWidget* canvas = s.window.child(Child::MatrixEdit)->canvas();
    const std::pair<Qt::Key, int> pad[] = {{Qt::Key_Asterisk, cmd::ZoomXIn},
                                           {Qt::Key_Slash, cmd::ZoomXOut},
                                           {Qt::Key_Minus, cmd::ZoomYIn},
                                           {Qt::Key_Plus, cmd::ZoomYOut}};
    for (const auto& [key, command] : pad) {
        SCOPED_TRACE(command);
        s.triggered.clear();
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeypadModifier);
        QApplication::sendEvent(canvas, &press);
        EXPECT_EQ(s.triggered, std::vector<int>{command});
    }
    // The same keys off the pad are no zoom.
    s.triggered.clear();
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier);
    QApplication::sendEvent(canvas, &minus);
    EXPECT_TRUE(s.triggered.empty());
}

// The keys work on what they name: the zoom without a numeric pad, the
// note length, the scroll.
TEST(MainWindowShortcuts, KeysChangeTheViewAndTheToolbar)
{
    Shown s;
    const MatrixView& v = s.ctx().matrixView;
    const int unitWidth = v.unitWidth, rowHeight = v.rowHeight;
    QTest::keyClick(&s.window, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_GT(v.unitWidth, unitWidth);
    QTest::keyClick(&s.window, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(v.unitWidth, unitWidth);
    QTest::keyClick(&s.window, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_GT(v.rowHeight, rowHeight);
    QTest::keyClick(&s.window, Qt::Key_Minus, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(v.rowHeight, rowHeight);
    QTest::keyClick(&s.window, Qt::Key_5);
    EXPECT_EQ(s.ctx().noteLength.noteLengthIndex, 5);
    QTest::keyClick(&s.window, Qt::Key_Right);
    QTest::keyClick(&s.window, Qt::Key_Right);
    EXPECT_EQ(v.scrollUnits, 2);
    EXPECT_EQ(s.window.child(Child::MatrixEdit)->scrollBar(ScrollBar::Horizontal).position, 2);
}

// Each item shows its shortcut; "Arrange windows" is in the View menu.
TEST(MainWindowShortcuts, MenusShowTheirShortcuts)
{
    Shown s;
    const std::map<int, const char*> shown = {
        {cmd::NewTune, "Ctrl+N"},        {cmd::OpenRingingTone, "Ctrl+O"},
        {cmd::Save, "Ctrl+S"},           {cmd::SaveAs, "Ctrl+Shift+S"},
        {cmd::Exit, "Ctrl+Q"},           {cmd::About, "F1"},
        {cmd::Copy, "Ctrl+C"},           {cmd::ZoomXIn, "Ctrl++"},
        {cmd::ZoomYOut, "Ctrl+Shift+-"}, {cmd::Undo, "Ctrl+Z"},
        {cmd::Redo, "Ctrl+Y"},
    };
    for (const auto& [id, key] : shown) {
        SCOPED_TRACE(key);
        const QAction* a = s.window.action(id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText).toStdString(), key);
    }
    bool arrange = false;
    for (const QAction* m : s.window.menuBar()->actions())
        if (m->text() == "View" && m->menu())
            arrange = m->menu()->actions().contains(s.window.action(cmd::ArrangeWindows));
    EXPECT_TRUE(arrange);
    EXPECT_EQ(s.window.action(cmd::ArrangeWindows)->text(), "Arrange windows");
}

void wheel(QWidget* target, QPoint at, QPoint angle, Qt::KeyboardModifiers held,
           Qt::ScrollPhase phase = Qt::NoScrollPhase)
{
    QWheelEvent e(at, target->mapToGlobal(at), QPoint(angle.x() / 4, angle.y() / 4), angle,
                  Qt::NoButton, held, phase, false);
    QApplication::sendEvent(target, &e);
}
// A touchpad that reports pixels alone.
void swipe(QWidget* target, QPoint at, QPoint pixels, Qt::ScrollPhase phase)
{
    QWheelEvent e(at, target->mapToGlobal(at), pixels, QPoint(), Qt::NoButton, Qt::NoModifier,
                  phase, false);
    QApplication::sendEvent(target, &e);
}

// The wheel in each child: rows of pitch, time with Shift, a zoom with
// Ctrl; lines of text; rows of the list. A touchpad's small turns add up.
TEST(MainWindowWheel, TheWheelScrollsEachChild)
{
    Shown s;
    s.window.openFiles({kExamples + "Ringdata.h"});
    const int lines = QApplication::wheelScrollLines();
    const MatrixView& v = s.ctx().matrixView;
    QWidget* matrix = s.window.child(Child::MatrixEdit)->canvas();
    const QPoint middle(matrix->width() / 2, matrix->height() / 2);

    const int bottom = v.lowestPitch;
    wheel(matrix, middle, {0, -120}, Qt::NoModifier);
    EXPECT_EQ(v.lowestPitch, bottom - lines);
    for (int i = 0; i < 4; ++i)
        wheel(matrix, middle, {0, 30}, Qt::NoModifier, Qt::ScrollUpdate);
    EXPECT_EQ(v.lowestPitch, bottom) << "four touchpad steps make a notch";
    swipe(matrix, middle, {0, -25}, Qt::ScrollUpdate);
    EXPECT_EQ(v.lowestPitch, bottom) << "less than a notch of pixels";
    swipe(matrix, middle, {0, -25}, Qt::ScrollUpdate);
    EXPECT_EQ(v.lowestPitch, bottom - lines) << "pixels alone make a notch too";
    swipe(matrix, middle, {0, -25}, Qt::ScrollEnd);
    swipe(matrix, middle, {0, 40}, Qt::ScrollUpdate);
    EXPECT_EQ(v.lowestPitch, bottom) << "the end of a swipe drops its rest";
    wheel(matrix, middle, {0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(v.scrollUnits, lines);
    EXPECT_EQ(v.lowestPitch, bottom);
    wheel(matrix, middle, {120, 0}, Qt::NoModifier);
    EXPECT_EQ(v.scrollUnits, 0);
    const int unitWidth = v.unitWidth;
    const float underMouse = v.xToUnits(middle.x());
    wheel(matrix, middle, {0, 120}, Qt::ControlModifier);
    EXPECT_GT(v.unitWidth, unitWidth);
    EXPECT_NEAR(v.xToUnits(middle.x()), underMouse, 0.5f)
        << "the zoom keeps the time under the mouse";

    // The Ringdata view: the long text of a tune of many notes.
    s.ctx().document.change("Notes", [](Tune& t) {
        for (int i = 0; i < 120; ++i) {
            NoteRecord& n = t.noteTable[++t.noteCount];
            n = {};
            n.pitch = 69;
            n.startUnits = 8.0f * static_cast<float>(i);
            n.endUnits = n.startUnits + 8.0f;
            n.durationUnits = 8.0f;
        }
    });
    QWidget* text = s.window.child(Child::RingdataView)->canvas();
    wheel(text, {20, 20}, {0, -240}, Qt::NoModifier);
    EXPECT_EQ(s.ctx().ringdataView.textTopLine, 2 * lines);
    EXPECT_EQ(s.window.child(Child::RingdataView)->scrollBar(ScrollBar::Vertical).position,
              2 * lines);

    // The list: its bar's range is all it may scroll.
    QWidget* list = s.window.child(Child::TunesInRingdata)->canvas();
    s.ctx().catalogueView.catalogueTopRow = 0;
    wheel(list, {20, 20}, {0, -120}, Qt::NoModifier);
    EXPECT_EQ(s.ctx().catalogueView.catalogueTopRow, 0) << "five tunes fit";
}

bool overlap(const QRect& a, const QRect& b)
{
    return a.intersects(b);
}

// The longest TONE line of the example files, as the editor writes it.
int longestToneLine(MainWindow& window)
{
    EditorContext& ctx = window.context();
    std::size_t longest = 0;
    auto measure = [&] {
        for (int l = 0; l < ctx.toneText.toneTextLineCount; ++l) {
            std::string line = ctx.toneText.toneTextLines[static_cast<std::size_t>(l)];
            while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
                line.pop_back();
            if (line.find("TONE(") != std::string::npos) longest = std::max(longest, line.size());
        }
    };
    window.openFiles({kExamples + "single_tone.h"});
    measure();
    window.openFiles({kExamples + "Ringdata.h"});
    for (int n = 1; n <= ctx.catalogue.tuneCount; ++n) {
        EXPECT_TRUE(loadCatalogueEntry(ctx, n));
        regenerateToneText(ctx);
        measure();
    }
    return static_cast<int>(longest);
}

// Wide screens show the three children side by side, none over another;
// on every size the Ringdata view holds a whole TONE line of the examples
// and the list a whole tune name.
TEST(MainWindowLayout, ChildrenAtThreeScreenSizes)
{
    struct Case {
        int width, height;
        bool sideBySide;
    };
    for (const Case c : {Case{1280, 1024, true}, Case{1920, 1080, true}, Case{1024, 768, false}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        Shown s(c.width, c.height);
        const int toneLine = longestToneLine(s.window);
        ASSERT_GT(toneLine, 40);
        const QRect tunes = s.window.child(Child::TunesInRingdata)->geometry();
        const QRect ringdata = s.window.child(Child::RingdataView)->geometry();
        const QRect matrix = s.window.child(Child::MatrixEdit)->geometry();
        const QRect client = s.window.clientArea()->viewport()->rect();
        if (c.sideBySide) {
            EXPECT_FALSE(overlap(tunes, ringdata));
            EXPECT_FALSE(overlap(tunes, matrix));
            EXPECT_FALSE(overlap(ringdata, matrix));
            EXPECT_LT(tunes.x(), ringdata.x());
            EXPECT_LT(ringdata.x(), matrix.x());
            EXPECT_EQ(matrix.right(), client.right());
            for (const QRect& r : {tunes, ringdata, matrix})
                EXPECT_TRUE(client.contains(r));
        } else {
            EXPECT_EQ(tunes, QRect(0, 40, 300, client.height() - 60));
            EXPECT_EQ(ringdata.topLeft(), QPoint(20, 63));
        }
        const int columns = s.window.child(Child::RingdataView)->canvas()->width() / 8;
        EXPECT_GE(columns, toneLine);
        std::size_t name = 0;
        for (int n = 1; n <= s.ctx().catalogue.tuneCount; ++n)
            name =
                std::max(name, s.ctx().catalogue.entries[static_cast<std::size_t>(n)].name.size());
        EXPECT_GE(s.window.child(Child::TunesInRingdata)->canvas()->width() / 8,
                  static_cast<int>(name));
    }
}

// The layout follows the main window; a child the user placed keeps its
// place until "Arrange windows".
TEST(MainWindowLayout, ChildrenFollowTheWindowUntilTheUserPlacesOne)
{
    Shown s(1920, 1080);
    SurfaceWindow* matrix = s.window.child(Child::MatrixEdit);
    SurfaceWindow* tunes = s.window.child(Child::TunesInRingdata);
    const QRect wide = matrix->geometry();
    s.window.resize(1280, 1024);
    QApplication::processEvents();
    EXPECT_LT(matrix->geometry().width(), wide.width());
    EXPECT_EQ(matrix->geometry().right(), s.window.clientArea()->viewport()->rect().right());

    const QRect placed(300, 300, 400, 300);
    tunes->setGeometry(placed);
    s.window.resize(1920, 1080);
    QApplication::processEvents();
    EXPECT_EQ(tunes->geometry(), placed);
    EXPECT_EQ(matrix->geometry(), wide);

    s.window.action(cmd::ArrangeWindows)->trigger();
    EXPECT_EQ(tunes->geometry().topLeft(), QPoint(0, 63));
}

// A copy of what the window's surface holds, as RGB32 pixels.
QImage imageOf(SurfaceWindow* w)
{
    return dynamic_cast<QImageSurface&>(w->surface()).image().copy();
}

// After any resize, maximise or restore each child shows what a fresh paint
// at its new size shows: nothing of the old layout stays behind.
TEST(MainWindowLayout, AResizeLeavesWhatAFreshPaintLeaves)
{
    Shown s(1920, 1080);
    s.window.openFiles({kExamples + "Ringdata.h"});
    ASSERT_TRUE(loadCatalogueEntry(s.ctx(), 1));
    regenerateToneText(s.ctx());
    repaintMatrix(s.ctx());
    for (const QSize size : {QSize(1024, 768), QSize(1280, 1024), QSize(1920, 1080)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        s.window.resize(size);
        QApplication::processEvents();
        const QImage matrix = imageOf(s.window.child(Child::MatrixEdit));
        const QImage text = imageOf(s.window.child(Child::RingdataView));
        const QImage list = imageOf(s.window.child(Child::TunesInRingdata));
        for (Child c : {Child::MatrixEdit, Child::RingdataView, Child::TunesInRingdata}) {
            Surface& surface = s.window.child(c)->surface();
            surface.fillRect({0, 0, surface.width(), surface.height()}, rgbColour(0, 0, 0));
        }
        layoutMatrixWindow(s.ctx());
        regenerateToneText(s.ctx());
        repaintCatalogue(s.ctx());
        EXPECT_TRUE(matrix == imageOf(s.window.child(Child::MatrixEdit)));
        EXPECT_TRUE(text == imageOf(s.window.child(Child::RingdataView)));
        EXPECT_TRUE(list == imageOf(s.window.child(Child::TunesInRingdata)));
    }
}

// The backing images are at the screen's device pixel ratio, text is drawn
// finer than a window pixel where the ratio allows, and a click lands on
// the cell painted under it.
TEST(HighDpi, BackingImagesAtTheScreensRatio)
{
    Shown s;
    s.window.openFiles({kExamples + "single_tone.h"});
    const qreal ratio = s.window.devicePixelRatioF();
    for (Child c : {Child::MatrixEdit, Child::RingdataView, Child::TunesInRingdata}) {
        SurfaceWindow* w = s.window.child(c);
        const QImage& image = dynamic_cast<QImageSurface&>(w->surface()).image();
        EXPECT_EQ(image.devicePixelRatio(), ratio);
        EXPECT_EQ(image.width(), qRound(w->canvas()->width() * ratio));
    }
    const QImage& toolbar = dynamic_cast<QImageSurface&>(s.window.clientArea()->surface()).image();
    EXPECT_EQ(toolbar.devicePixelRatio(), ratio);

    if (ratio >= 2.0) {
        // Somewhere in the first lines of text a window pixel holds image
        // pixels of two colours: the glyphs are drawn at the image's size.
        const QImage& text =
            dynamic_cast<QImageSurface&>(s.window.child(Child::RingdataView)->surface()).image();
        bool finer = false;
        for (int y = 0; y < 60 && !finer; ++y)
            for (int x = 0; x < 300 && !finer; ++x) {
                const QRgb a = text.pixel(2 * x, 2 * y);
                finer = text.pixel(2 * x + 1, 2 * y) != a || text.pixel(2 * x, 2 * y + 1) != a;
            }
        EXPECT_TRUE(finer);
    }

    // A note drawn where the mouse is, shown where it was drawn.
    EditorContext& ctx = s.ctx();
    QWidget* canvas = s.window.child(Child::MatrixEdit)->canvas();
    const MatrixView& v = ctx.matrixView;
    const int pitch = v.lowestPitch + v.visibleRows / 2;
    const Rect cell = v.cellRect(v.scrollUnits + 20, pitch);
    const QPoint at((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    const int notes = ctx.tune().noteCount;
    QTest::mousePress(canvas, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, at);
    ASSERT_EQ(ctx.tune().noteCount, notes + 1);
    bool found = false;
    for (int i = 1; i <= ctx.tune().noteCount; ++i) {
        const NoteRecord& n = ctx.tune().noteTable[i];
        found =
            found || (n.pitch == pitch && n.startUnits == static_cast<float>(v.scrollUnits + 20));
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(s.window.child(Child::MatrixEdit)->surface().pixel(at.x(), at.y()),
              rgbColour(255, 255, 255));
}

} // namespace
} // namespace qte
