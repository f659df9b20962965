#include "matrix/matrix_edit.h"

#include "matrix_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qte {
namespace {

using testing_support::insertNotes;
using testing_support::makeNote;
using testing_support::notesOf;
using testing_support::Span;

TEST(MatrixEdit, CutCopiesTheSelectionAndPasteHangsItAtTheMouseOnlyWhenItFits)
{
    Tune t;
    ASSERT_TRUE(insertNotes(t, {{4, 8, 65}, {12, 14, 70}, {16, 18, 72}}));
    t.noteTable[2].selected = 1;
    t.noteTable[3].selected = 1;
    t.selectionMode = 2;
    MatrixEditState edit;
    CutSelection(t, edit);
    EXPECT_EQ(notesOf(t), (std::vector<Span>{{4, 8, 65}}));
    EXPECT_EQ(t.selectionMode, 0);
    EXPECT_EQ(edit.clipboardCount, 2);
    CopySelection(t, edit); // nothing selected empties the clipboard
    EXPECT_EQ(edit.clipboardCount, 0);

    for (int i = 2; i <= kMaxNotes - 1; ++i)
        ASSERT_EQ(InsertNote(t, makeNote(i + 20.0f, i + 21.0f), 0), i);
    edit.clipboardNotes[1] = makeNote(0, 1);
    edit.clipboardNotes[2] = makeNote(1, 2);
    t.noteTable[3].selected = 1;
    t.selectionMode = 2;
    // Too many to fit is refused, none is no paste: either way nothing changes.
    for (int count : {2, 0}) {
        edit.clipboardCount = count;
        EXPECT_EQ(PasteClipboard(t, edit), count == 0);
        EXPECT_EQ(edit.dragCount, 0);
        EXPECT_EQ(t.noteTable[3].selected, 1);
        EXPECT_EQ(t.selectionMode, 2);
    }
    edit.clipboardCount = 1;
    EXPECT_TRUE(PasteClipboard(t, edit));
    EXPECT_EQ(edit.dragCount, 1);
    EXPECT_TRUE(edit.dragIsPaste);
    EXPECT_EQ(t.noteTable[3].selected, 0);
    EXPECT_EQ(t.noteCount, kMaxNotes - 1) << "nothing is inserted before the click";
}

} // namespace
} // namespace qte
