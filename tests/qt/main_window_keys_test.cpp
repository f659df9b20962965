// The main window's Shift and Ctrl flags against what Qt delivers: key
// events go unseen while a modal dialog is open, so a release there is
// lost; the next mouse event must still put the flags right.

#include "app/qt/main_window.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(MainWindowKeys, AModifierReleasedInADialogIsClearedByTheNextMouseEvent)
{
    MainWindow window(true);
    window.show();
    QApplication::processEvents();
    QWidget* canvas = window.child(Child::MatrixEdit)->canvas();
    const ModifierKeys& keys = window.context().keys;

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(canvas, &press);
    ASSERT_TRUE(keys.ctrlDown);

    {
        QDialog dialog(&window);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(canvas, &release);
        EXPECT_TRUE(keys.ctrlDown) << "the release went unseen";
    }
    QApplication::processEvents();

    struct Step {
        Qt::KeyboardModifiers held;
        ModifierKeys expected;
    };
    const Step steps[] = {{Qt::NoModifier, {false, false}},
                          {Qt::ShiftModifier | Qt::ControlModifier, {true, true}},
                          {Qt::ShiftModifier, {true, false}}};
    for (const Step& s : steps) {
        const QPointF at(200, 200);
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         s.held);
        QApplication::sendEvent(canvas, &move);
        EXPECT_EQ(std::pair(keys.shiftDown, keys.ctrlDown),
                  std::pair(s.expected.shiftDown, s.expected.ctrlDown));
    }
}

} // namespace
} // namespace qte
