#include "app/menu.h"

#include <gtest/gtest.h>

#include <set>

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
    EXPECT_EQ(ids.size(), 39u);

    const auto& menus = mainMenu();
    ASSERT_EQ(menus.size(), 6u);
    EXPECT_EQ(menus.front().title, "&File");
    EXPECT_TRUE(menus.back().rightAligned);
    EXPECT_EQ(menus.back().title, "&Help");
}

TEST(Accelerators, FirstMatchingEntryWins)
{
    struct Case {
        const char* name;
        KeyStroke key;
        std::optional<int> command;
    };
    const Case cases[] = {
        {"comma", {0xBC, ',', false, false, false}, 32783},
        {"ctrl+A", {vk::letter('A'), 1, false, true, false}, cmd::SelectAll},
        {"plain A", {vk::letter('A'), 'a', false, false, false}, std::nullopt},
        {"F takes the first entry", {vk::letter('F'), 'f', false, false, false}, 32798},
        {"shift+F matches no entry", {vk::letter('F'), 'F', true, false, false}, std::nullopt},
        {"P", {vk::letter('P'), 'p', false, false, false}, 32810},
        {"ctrl+P", {vk::letter('P'), 16, false, true, false}, 32827},
        {"shift+P types P", {vk::letter('P'), 'P', true, false, false}, std::nullopt},
        {"ctrl+O", {vk::letter('O'), 15, false, true, false}, cmd::OpenRingingTone},
        {"End alone", {vk::End, 0, false, false, false}, 32823},
        {"shift+End is left to the keys", {vk::End, 0, true, false, false}, std::nullopt},
        {"Escape", {vk::Escape, 27, false, false, false}, cmd::Exit},
        {"numpad +", {vk::Add, '+', false, false, false}, cmd::ZoomYOut},
        {"numpad -", {vk::Subtract, '-', false, false, false}, cmd::ZoomYIn},
        {"shift+Down", {vk::Down, 0, true, false, false}, cmd::ZoomYOut},
        {"Down alone", {vk::Down, 0, false, false, false}, std::nullopt},
        {"shift+Right", {vk::Right, 0, true, false, false}, cmd::ZoomXIn},
        {"Page Up", {vk::PageUp, 0, false, false, false}, 32821},
        {"Space", {vk::Space, ' ', false, false, false}, cmd::Play},
        {"Delete", {vk::Delete, 0, false, false, false}, cmd::Delete},
        {"a-ring", {0xDD, 0xE5, false, false, false}, 32807},
        {"digit", {vk::Digit0 + 4, '4', false, false, false}, std::nullopt},
        {"ctrl+Z", {vk::letter('Z'), 26, false, true, false}, cmd::Undo},
        {"ctrl+Y", {vk::letter('Y'), 25, false, true, false}, cmd::Redo},
        {"ctrl+shift+Z", {vk::letter('Z'), 26, true, true, false}, cmd::Redo},
        {"plain Z", {vk::letter('Z'), 'z', false, false, false}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(translateAccelerator(c.key), c.command);
    }
    EXPECT_EQ(acceleratorTable().size(), 33u);
}

} // namespace
} // namespace qte
