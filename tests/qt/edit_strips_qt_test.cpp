// The Matrix editor's text and repetitions strips as Qt shows them.

#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qte {
namespace {

QPushButton* okButton(QDialog& d)
{
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("OK")) return b;
    return nullptr;
}

// The label's whole text shows: no control covers it, all inside the strip.
void expectReadable(QDialog& d, const QString& label)
{
    const auto labels = d.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    const QLabel* l = labels[0];
    EXPECT_EQ(l->text(), label);
    EXPECT_GE(l->width(), l->sizeHint().width());
    const QRect text(l->pos(), QSize(l->sizeHint().width(), l->height()));
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_LT(w->geometry().right(), d.width());
        if (w != l) {
            EXPECT_FALSE(w->geometry().intersects(text));
        }
    }
}

TEST(EditStripsQt, OkHandsTheFieldOverUntilItIsTakenAndEscapeDoesNotClose)
{
    std::vector<std::string> seen;
    bool take = false;
    const auto accept = [&](std::string_view f) {
        seen.emplace_back(f);
        return take;
    };
    TextDialog text("--- free text ---", accept, nullptr);
    RepetitionsDialog repetitions(2, accept, nullptr);
    expectReadable(text, QStringLiteral("Text:"));
    expectReadable(repetitions, QStringLiteral("Number of repetitions:"));
    EXPECT_EQ(text.textEdit->text(), QStringLiteral("--- free text ---"));
    EXPECT_EQ(repetitions.repetitionsEdit->text(), QStringLiteral("2"));

    struct Case {
        const char* name;
        QDialog* dialog;
        QLineEdit* field;
    };
    for (const Case& c : {Case{"text", &text, text.textEdit},
                          Case{"repetitions", &repetitions, repetitions.repetitionsEdit}}) {
        SCOPED_TRACE(c.name);
        seen.clear();
        c.dialog->show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(c.dialog, &escape);
        EXPECT_TRUE(c.dialog->isVisible());

        c.field->setText(QStringLiteral("7"));
        take = false;
        okButton(*c.dialog)->click();
        EXPECT_TRUE(c.dialog->isVisible());
        take = true;
        okButton(*c.dialog)->click();
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

} // namespace
} // namespace qte
