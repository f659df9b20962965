#pragma once
// Menu 109 and accelerator table 109 of the main window, as data the window
// layer builds its menu bar from and translates key strokes through.

#include <optional>
#include <string>
#include <vector>

namespace qte {

// Command IDs of the menu and the accelerators.
namespace cmd {
constexpr int NewTune = 32771;
constexpr int OpenRingingTone = 32825;
constexpr int OpenRingdata = 32772;
constexpr int Save = 32774;
constexpr int SaveAs = 32775;
constexpr int Revert = 32813;
constexpr int Exit = 105;
constexpr int Copy = 32789;
constexpr int Cut = 32790;
constexpr int Paste = 32791;
constexpr int SelectAll = 32812;
constexpr int Unselect = 32806;
constexpr int ZoomXIn = 32786;
constexpr int ZoomXOut = 32787;
constexpr int ZoomYIn = 32778;
constexpr int ZoomYOut = 32779;
constexpr int ViewMatrix = 32816;
constexpr int ViewRingdata = 32820;
constexpr int ViewTones = 32826;
constexpr int StyleContinuous = 32830;
constexpr int StyleNatural = 32829;
constexpr int StyleStaccato = 32838;
constexpr int KindNormal = 32841;
constexpr int KindSpecial = 32842;
constexpr int KindFreqDefine = 32843;
constexpr int Settings = 32814;
constexpr int AddDefaultParts = 32833;
constexpr int PlayPolitely = 32835;
constexpr int StaccatoAll = 32819;
constexpr int SoundNotes = 32850; // "Sound notes while editing", an option of our own
constexpr int About = 104;
constexpr int Delete = 32780; // accelerator only
constexpr int Play = 32781;   // accelerator only
constexpr int Undo = 32900;
constexpr int Redo = 32901;
constexpr int OctaveUp = 32902;
constexpr int OctaveDown = 32903;
constexpr int SemitoneUp = 32904;
constexpr int SemitoneDown = 32905;
constexpr int AddToRingdata = 32906;
constexpr int RemoveFromRingdata = 32907;
} // namespace cmd

struct MenuItem {
    int id = 0; // 0 with no submenu: a separator
    std::string text;
    std::vector<MenuItem> submenu;
    [[nodiscard]] bool isSeparator() const { return id == 0 && submenu.empty(); }
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
    bool rightAligned = false;
};

// The menus in bar order.
[[nodiscard]] const std::vector<Menu>& mainMenu();

// Windows virtual-key codes, which the accelerator table is written in.
namespace vk {
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int PageUp = 0x21;
constexpr int PageDown = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Delete = 0x2E;
constexpr int Digit0 = 0x30;  // '0' .. '9' are 0x30 .. 0x39
constexpr int LetterA = 0x41; // 'A' .. 'Z' are 0x41 .. 0x5A
constexpr int Multiply = 0x6A;
constexpr int Add = 0x6B;
constexpr int Subtract = 0x6D;
constexpr int Divide = 0x6F;
constexpr int letter(char c)
{
    return LetterA + (c - 'A');
}
} // namespace vk

// One key press as the window layer sees it. character is the 8-bit
// character it types (0 when none).
struct KeyStroke {
    int virtualKey = 0;
    unsigned char character = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct Accelerator {
    bool isCharacter = false; // matches the typed character, not the key
    int key = 0;              // virtual key, or the character code
    bool shift = false;
    bool ctrl = false;
    int command = 0;
};

[[nodiscard]] const std::vector<Accelerator>& acceleratorTable();

// The first entry that matches. Key entries need exactly their modifiers;
// character entries are tried only when no key entry matched.
[[nodiscard]] std::optional<int> translateAccelerator(const KeyStroke& key);

} // namespace qte
