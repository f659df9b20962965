// The Ringdata view's note and pause strips on Qt, and the clicks of a
// child window's client area.

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/surface_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

namespace qte {
namespace {

QPushButton* button(QWidget& dialog, const char* text)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == QLatin1String(text)) return b;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

// Every label and check box shows its whole text inside the strip.
void expectReadable(QDialog& d, const std::vector<QString>& texts)
{
    std::vector<QString> seen;
    const auto children = d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : children) {
        EXPECT_LE(w->geometry().right(), d.width() - 1);
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* c = qobject_cast<QCheckBox*>(w))
            text = c->text();
        else
            continue;
        seen.push_back(text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_GE(w->width(), w->sizeHint().width());
        const QRect needed(w->pos(), QSize(w->sizeHint().width(), w->height()));
        for (QWidget* other : children)
            if (other != w) {
                EXPECT_FALSE(other->geometry().intersects(needed));
            }
    }
    EXPECT_EQ(seen, texts);
}

TEST(RingdataStripsQt, NoteStripShowsItsFieldsAndClosesOnlyOnATakenOk)
{
    std::vector<NoteDialogFields> submitted;
    bool take = false;
    NoteDialog dialog(
        {"69", "375", "187", false},
        [&](const NoteDialogFields& f) {
            submitted.push_back(f);
            return take;
        },
        nullptr);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    expectReadable(dialog, {"Note:", "Start:", "Tone time in ms:", "Insert"});
    EXPECT_EQ(dialog.noteEdit->text(), "69");
    EXPECT_EQ(dialog.startEdit->text(), "375");
    EXPECT_EQ(dialog.toneTimeEdit->text(), "187");
    EXPECT_FALSE(dialog.insertBox->isChecked());
    // Digits only.
    EXPECT_NE(dialog.toneTimeEdit->validator(), nullptr);

    dialog.toneTimeEdit->setText("0");
    dialog.insertBox->setChecked(true);
    button(dialog, "OK")->click();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0], (NoteDialogFields{"69", "375", "0", true}));
    EXPECT_NE(dialog.result(), QDialog::Accepted); // refused: stays open

    take = true;
    dialog.toneTimeEdit->setText("750");
    button(dialog, "OK")->click();
    EXPECT_EQ(submitted.back().toneTime, "750");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(RingdataStripsQt, PauseStripCancels)
{
    int oks = 0;
    PauseDialog dialog(
        "250",
        [&](std::string_view f) {
            ++oks;
            return f == "300";
        },
        nullptr);
    expectReadable(dialog, {"Pause in ms:"});
    EXPECT_EQ(dialog.pauseEdit->text(), "250");
    button(dialog, "OK")->click(); // "250" refused
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    button(dialog, "Cancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(oks, 1);
}

TEST(RingdataStripsQt, ClientAreaReportsLeftAndRightPressesWhereTheyHappen)
{
    SurfaceWindow window(QStringLiteral("Ringdata view"));
    window.resize(300, 200);
    window.show();
    QApplication::processEvents();
    struct Seen {
        MouseAction action;
        int x, y;
    };
    std::vector<Seen> seen;
    window.canvas()->onMouse = [&](MouseAction a, int x, int y) { seen.push_back({a, x, y}); };
    for (const auto& [button, action] : {std::pair{Qt::RightButton, MouseAction::RightDown},
                                         std::pair{Qt::LeftButton, MouseAction::LeftDown}}) {
        const QPointF at(12, 37);
        QMouseEvent press(QEvent::MouseButtonPress, at, window.canvas()->mapToGlobal(at), button,
                          button, Qt::NoModifier);
        QApplication::sendEvent(window.canvas(), &press);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().action, action);
        EXPECT_EQ(seen.back().x, 12);
        EXPECT_EQ(seen.back().y, 37);
    }
}

} // namespace
} // namespace qte
