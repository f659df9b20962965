// The small choice the editor offers when a MIDI file holds several melody
// lines: a list with the preferred line selected, OK, Cancel and a double
// click.

#include "platform/qt/qt_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qte {
namespace {

const std::vector<std::string> kLines = {"track 2, channel 1 (\"Lead\", 120 notes)",
                                         "track 3, channel 2 (\"Bass\", 80 notes)",
                                         "track 4, channel 3 (12 notes)"};

QPushButton* standardButton(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

TEST(ChoiceDialogQt, ShowsTheItemsWithThePreferredOneSelected)
{
    ChoiceDialog dialog("Open MIDI file", "\"song.mid\" holds 3 melody lines.", kLines, 1, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Open MIDI file");
    ASSERT_NE(dialog.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), "\"song.mid\" holds 3 melody lines.");
    ASSERT_EQ(dialog.list->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dialog.list->item(i)->text().toStdString(), kLines[static_cast<std::size_t>(i)]);
    EXPECT_EQ(dialog.chosen(), 1);
}

TEST(ChoiceDialogQt, OkTakesTheSelectionCancelAndDoubleClickToo)
{
    {
        ChoiceDialog dialog("t", "p", kLines, 0, nullptr);
        dialog.show();
        dialog.list->setCurrentRow(2);
        QPushButton* ok = standardButton(dialog, QDialogButtonBox::Ok);
        ASSERT_NE(ok, nullptr);
        ok->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosen(), 2);
    }
    {
        ChoiceDialog dialog("t", "p", kLines, 0, nullptr);
        dialog.show();
        QPushButton* cancel = standardButton(dialog, QDialogButtonBox::Cancel);
        ASSERT_NE(cancel, nullptr);
        cancel->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    {
        ChoiceDialog dialog("t", "p", kLines, 0, nullptr);
        dialog.show();
        emit dialog.list->itemDoubleClicked(dialog.list->item(1));
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosen(), 1);
    }
    {
        // Nothing selected: OK waits for a choice.
        ChoiceDialog dialog("t", "p", kLines, -1, nullptr);
        dialog.show();
        EXPECT_EQ(dialog.chosen(), -1);
        standardButton(dialog, QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(dialog.isVisible());
    }
}

} // namespace
} // namespace qte
