#include "app/menu.h"
#include "editor_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qte {
namespace {

void collect(const std::vector<MenuItem>& items, std::vector<const MenuItem*>& out)
{
    for (const MenuItem& i : items) {
        if (!i.submenu.empty())
            collect(i.submenu, out);
        else if (!i.isSeparator())
            out.push_back(&i);
    }
}

std::vector<const MenuItem*> allItems()
{
    std::vector<const MenuItem*> out;
    for (const Menu& m : mainMenu())
        collect(m.items, out);
    return out;
}

TEST(MainMenu, ItemsKeepTheirIdsAndExactTexts)
{
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {cmd::Copy, "Copy "},
        {cmd::Cut, "Cut            "},
        {cmd::ZoomXIn, "In     *"},
        {cmd::ZoomXOut, "Out  /"},
        {cmd::ZoomYIn, "In     -"},
        {cmd::ZoomYOut, "Out  +"},
        {cmd::ViewTones, "Tones in Rdata"},
        {cmd::KindFreqDefine, "Freq_define"},
        {cmd::StaccatoAll, "->Staccato"},
        {cmd::SoundNotes, "Sound notes while editing"},
        {cmd::Exit, "E&xit"},
        {cmd::About, "&About ..."},
        {cmd::ArrangeWindows, "Arrange windows"},
        {cmd::Undo, "Undo"},
        {cmd::Redo, "Redo"},
        {cmd::OctaveUp, "Octave up"},
        {cmd::SemitoneDown, "Semitone down"},
        {cmd::AddToRingdata, "Add to Ringdata.h"},
        {cmd::RemoveFromRingdata, "Remove from Ringdata.h"},
    };
    const auto items = allItems();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int found = 0;
        for (const MenuItem* i : items)
            if (i->id == c.id) {
                ++found;
                EXPECT_EQ(i->text, c.text);
            }
        EXPECT_EQ(found, 1);
    }
    std::set<int> ids;
    for (const MenuItem* i : items)
        EXPECT_TRUE(ids.insert(i->id).second) << i->id;
    EXPECT_EQ(ids.size(), 40u);

    const auto& menus = mainMenu();
    ASSERT_EQ(menus.size(), 6u);
    EXPECT_EQ(menus.front().title, "&File");
    EXPECT_TRUE(menus.back().rightAligned);
    EXPECT_EQ(menus.back().title, "&Help");
}

// Every key of the old accelerator and keyboard tables keeps its command,
// the desktop's own keys are added, and the keys the accelerator table took
// without a command stay bound to nothing.
TEST(Keys, EveryKeyHasItsCommand)
{
    struct Case {
        const char* key;
        int command; // 0: bound to nothing
    };
    const Case cases[] = {
        // Accelerator table.
        {"Ctrl+A", cmd::SelectAll},
        {"Ctrl+C", cmd::Copy},
        {"Ctrl+O", cmd::OpenRingingTone},
        {"Ctrl+S", cmd::Save},
        {"Ctrl+V", cmd::Paste},
        {"Ctrl+X", cmd::Cut},
        {"Ctrl+Z", cmd::Undo},
        {"Ctrl+Y", cmd::Redo},
        {"Ctrl+Shift+Z", cmd::Redo},
        {"Num++", cmd::ZoomYOut},
        {"Num+-", cmd::ZoomYIn},
        {"Num+*", cmd::ZoomXIn},
        {"Num+/", cmd::ZoomXOut},
        {"Shift+Down", cmd::ZoomYOut},
        {"Shift+Up", cmd::ZoomYIn},
        {"Shift+Left", cmd::ZoomXOut},
        {"Shift+Right", cmd::ZoomXIn},
        {"Del", cmd::Delete},
        {"Esc", cmd::Exit},
        {"Space", cmd::Play},
        {",", 0},
        {".", 0},
        {"F", 0},
        {"M", 0},
        {"P", 0},
        {"Ctrl+P", 0},
        {"R", 0},
        {"End", 0},
        {"PgUp", 0},
        {"\xe5", 0},
        // Keyboard table.
        {"1", cmd::NoteLength1},
        {"6", cmd::NoteLength6},
        {"7", cmd::ToggleDot},
        {"8", cmd::ToggleDoubleDot},
        {"9", cmd::ToggleTriplet},
        {"0", cmd::ClearModifier},
        {"Shift+End", cmd::ScrollToLastNote},
        {"Ctrl+End", cmd::ScrollToLastNote},
        {"Home", cmd::ScrollToStart},
        {"Left", cmd::ScrollLeft},
        {"Right", cmd::ScrollRight},
        {"Up", cmd::ScrollUp},
        {"Down", cmd::ScrollDown},
        // The desktop's keys.
        {"Ctrl+N", cmd::NewTune},
        {"Ctrl+Shift+S", cmd::SaveAs},
        {"Ctrl+Q", cmd::Exit},
        {"F1", cmd::About},
        {"Ctrl++", cmd::ZoomXIn},
        {"Ctrl+-", cmd::ZoomXOut},
        {"Ctrl+Shift++", cmd::ZoomYIn},
        {"Ctrl+=", cmd::ZoomXIn},
        {"Ctrl+Shift+=", cmd::ZoomYIn},
        {"Ctrl+Shift+-", cmd::ZoomYOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(test::commandOfKey(c.key), c.command);
    }
    for (int digit = 1; digit <= 6; ++digit)
        EXPECT_EQ(test::commandOfKey(std::to_string(digit)), cmd::NoteLength1 + digit - 1);
}

TEST(Keys, NoKeyIsBoundTwiceAndMenusShowTheirFirstKey)
{
    std::multiset<std::string> keys;
    for (const MenuItem* i : allItems())
        keys.insert(i->keys.begin(), i->keys.end());
    for (const KeyCommand& k : keyCommands())
        keys.insert(k.keys.begin(), k.keys.end());
    for (const std::string& k : keys)
        EXPECT_EQ(keys.count(k), 1u) << k;

    // What the menus show: the desktop's own keys first.
    const std::pair<int, const char*> shown[] = {
        {cmd::NewTune, "Ctrl+N"}, {cmd::SaveAs, "Ctrl+Shift+S"}, {cmd::Exit, "Ctrl+Q"},
        {cmd::About, "F1"},       {cmd::ZoomXIn, "Ctrl++"},      {cmd::ZoomYOut, "Ctrl+Shift+-"},
    };
    for (const auto& [id, key] : shown) {
        SCOPED_TRACE(key);
        for (const MenuItem* i : allItems())
            if (i->id == id) {
                ASSERT_FALSE(i->keys.empty());
                EXPECT_EQ(i->keys.front(), key);
            }
    }
}

} // namespace
} // namespace qte
