// The edit strips on Qt (the Matrix editor's text and repetitions, the
// Ringdata view's note and pause), and the clicks of a child window's
// client area.

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/surface_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QValidator>

#include <gtest/gtest.h>

#include <string>
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

// The strips of one field: the Matrix editor's text and repetitions, which
// Escape does not close, and the Ringdata view's pause, which Cancel does.
TEST(EditStripsQt, OkHandsTheFieldOverUntilItIsTaken)
{
    std::vector<std::string> seen;
    bool take = false;
    const auto accept = [&](std::string_view f) {
        seen.emplace_back(f);
        return take;
    };
    TextDialog text("--- free text ---", accept, nullptr);
    RepetitionsDialog repetitions(2, accept, nullptr);
    PauseDialog pause("250", accept, nullptr);
    struct Case {
        const char* label;
        QDialog* dialog;
        QLineEdit* field;
        const char* initial;
        bool cancels;
    };
    for (const Case& c :
         {Case{"Text:", &text, text.textEdit, "--- free text ---", false},
          Case{"Number of repetitions:", &repetitions, repetitions.repetitionsEdit, "2", false},
          Case{"Pause in ms:", &pause, pause.pauseEdit, "250", true}}) {
        SCOPED_TRACE(c.label);
        expectReadable(*c.dialog, {c.label});
        EXPECT_EQ(c.field->text(), QString::fromLatin1(c.initial));
        seen.clear();
        c.dialog->show();
        if (c.cancels) {
            button(*c.dialog, "Cancel")->click();
            EXPECT_FALSE(c.dialog->isVisible());
            EXPECT_EQ(c.dialog->result(), QDialog::Rejected);
            c.dialog->show();
        } else {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(c.dialog, &escape);
            EXPECT_TRUE(c.dialog->isVisible());
        }

        c.field->setText(QStringLiteral("7"));
        take = false;
        button(*c.dialog, "OK")->click();
        EXPECT_TRUE(c.dialog->isVisible());
        take = true;
        button(*c.dialog, "OK")->click();
        EXPECT_FALSE(c.dialog->isVisible());
        EXPECT_EQ(c.dialog->result(), QDialog::Accepted);
        EXPECT_EQ(seen, (std::vector<std::string>{"7", "7"}));
    }
}

TEST(EditStripsQt, FieldsTakeWhatTheTuneCanHold)
{
    const auto accept = [](std::string_view) { return true; };
    TextDialog text(std::string(kTextFieldChars + 5, 'a'), accept, nullptr);
    EXPECT_EQ(text.textEdit->text().size(), static_cast<qsizetype>(kTextFieldChars));

    RepetitionsDialog repetitions(2, accept, nullptr);
    const QValidator* digits = repetitions.repetitionsEdit->validator();
    ASSERT_NE(digits, nullptr);
    struct Case {
        const char* input;
        QValidator::State state;
    };
    for (const Case& c : {Case{"12", QValidator::Acceptable}, Case{"", QValidator::Acceptable},
                          Case{"-1", QValidator::Invalid}, Case{"3x", QValidator::Invalid}}) {
        SCOPED_TRACE(c.input);
        QString s = QString::fromLatin1(c.input);
        int pos = 0;
        EXPECT_EQ(digits->validate(s, pos), c.state);
    }
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

TEST(RingdataStripsQt, ClientAreaReportsLeftAndRightPressesWhereTheyHappen)
{
    SurfaceWindow window(QStringLiteral("Ringdata view"));
    window.resize(300, 200);
    window.show();
    QApplication::processEvents();
    struct Seen {
        MouseAction action;
        int x, y;
        Qt::KeyboardModifiers held;
    };
    std::vector<Seen> seen;
    window.canvas()->onMouse = [&](MouseAction a, int x, int y, Qt::KeyboardModifiers held) {
        seen.push_back({a, x, y, held});
    };
    // Each event brings the modifiers held with it.
    struct Case {
        Qt::MouseButton button;
        Qt::KeyboardModifiers held;
        MouseAction action;
    };
    const Case cases[] = {{Qt::RightButton, Qt::NoModifier, MouseAction::RightDown},
                          {Qt::LeftButton, Qt::ControlModifier, MouseAction::LeftDown},
                          {Qt::LeftButton, Qt::ShiftModifier, MouseAction::LeftDown},
                          {Qt::LeftButton, Qt::NoModifier, MouseAction::LeftDown}};
    for (const Case& c : cases) {
        const QPointF at(12, 37);
        QMouseEvent press(QEvent::MouseButtonPress, at, window.canvas()->mapToGlobal(at), c.button,
                          c.button, c.held);
        QApplication::sendEvent(window.canvas(), &press);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().action, c.action);
        EXPECT_EQ(seen.back().x, 12);
        EXPECT_EQ(seen.back().y, 37);
        EXPECT_EQ(seen.back().held, c.held);
    }
}

} // namespace
} // namespace qte
