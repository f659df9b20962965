// Every dialog shows its texts whole: laid out by Qt, each label, check box
// and button is as large as its text asks, at the screen's font and scale
// (ctest runs this also with QT_SCALE_FACTOR=2).

#include "platform/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QValidator>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qte {
namespace {

QString textOf(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    return {};
}

TEST(DialogsFit, EveryTextIsShownWhole)
{
    const auto take = [](std::string_view) { return true; };
    std::vector<std::pair<const char*, std::unique_ptr<QDialog>>> dialogs;
    dialogs.emplace_back("Settings",
                         std::make_unique<SettingsDialog>(
                             SettingsFields{"Doorbell", "DB01", true, true, false, true},
                             [](const SettingsFields&) { return true; }, nullptr));
    dialogs.emplace_back("Tempo", std::make_unique<TempoDialog>(160, take, nullptr));
    dialogs.emplace_back("Note", std::make_unique<NoteDialog>(
                                     NoteDialogFields{"69", "1500", "375", false},
                                     [](const NoteDialogFields&) { return true; }, nullptr));
    dialogs.emplace_back("Pause", std::make_unique<PauseDialog>("375", take, nullptr));
    dialogs.emplace_back("Text", std::make_unique<TextDialog>("/* ding dong */", take, nullptr));
    dialogs.emplace_back("Repetitions", std::make_unique<RepetitionsDialog>(3, take, nullptr));

    for (auto& [name, dialog] : dialogs) {
        SCOPED_TRACE(name);
        dialog->show();
        QApplication::processEvents();
        EXPECT_GE(dialog->width(), dialog->sizeHint().width());
        EXPECT_GE(dialog->height(), dialog->sizeHint().height());
        const auto children = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        int texts = 0;
        for (QWidget* w : children) {
            const QString text = textOf(w);
            if (text.isEmpty()) continue;
            ++texts;
            SCOPED_TRACE(text.toStdString());
            EXPECT_GE(w->width(), w->sizeHint().width());
            EXPECT_GE(w->height(), w->sizeHint().height());
            EXPECT_TRUE(dialog->rect().contains(w->geometry()));
            for (QWidget* other : children)
                if (other != w && other->isVisible()) {
                    EXPECT_FALSE(other->geometry().intersects(w->geometry()))
                        << "overlaps " << textOf(other).toStdString();
                }
        }
        EXPECT_GE(texts, 2);
        // The fields show their numbers whole too.
        for (const QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            const int needed = edit->fontMetrics().horizontalAdvance(edit->text());
            EXPECT_GT(edit->width(), needed) << edit->text().toStdString();
        }
        dialog->hide();
    }
}

// The list of a MIDI file's melody lines shows each line whole.
TEST(DialogsFit, ChoiceListShowsItsLongestLine)
{
    const std::vector<std::string> items = {
        "track 1, channel 1 (12 notes)",
        "track 2, channel 4 (\"The long name of the melody of the second verse\", 240 notes)"};
    ChoiceDialog dialog("Open MIDI file", "\"song.mid\" holds 2 melody lines.", items, 1, nullptr);
    dialog.show();
    QApplication::processEvents();
    const int longest =
        dialog.list->fontMetrics().horizontalAdvance(QString::fromStdString(items[1]));
    EXPECT_GT(dialog.list->viewport()->width(), longest);
    EXPECT_EQ(dialog.chosen(), 1);
}

// The note field takes a name as the tone text spells it, or a number.
TEST(DialogsFit, NoteFieldTakesNamesAndNumbers)
{
    NoteDialog dialog(
        {"69", "0", "375", false}, [](const NoteDialogFields&) { return true; }, nullptr);
    const QValidator* v = dialog.noteEdit->validator();
    ASSERT_NE(v, nullptr);
    for (const char* input : {"C#3", "A2b", "94", "AUD_NOTE_C2,", "h"}) {
        SCOPED_TRACE(input);
        QString s = QString::fromLatin1(input);
        int pos = 0;
        EXPECT_EQ(v->validate(s, pos), QValidator::Acceptable);
    }
    QString tooLong(20, QLatin1Char('9'));
    int pos = 0;
    EXPECT_EQ(v->validate(tooLong, pos), QValidator::Invalid);
}

} // namespace
} // namespace qte
