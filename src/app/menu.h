#pragma once
// Menu 109 of the main window and the keys of every command, as data the
// window layer builds its actions from. Keys are written as key sequences
// in their portable text ("Ctrl+Shift+S"; "Num++" is the numeric pad's
// plus), the form the window layer's shortcuts read.

#include <string>
#include <vector>

namespace qte {

// Command IDs of the menu and the keys.
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
constexpr int Undo = 32900;
constexpr int Redo = 32901;
constexpr int OctaveUp = 32902;
constexpr int OctaveDown = 32903;
constexpr int SemitoneUp = 32904;
constexpr int SemitoneDown = 32905;
constexpr int AddToRingdata = 32906;
constexpr int RemoveFromRingdata = 32907;
constexpr int Delete = 32780; // key only
constexpr int Play = 32781;   // key only

// The View menu's "Arrange windows": the children back in their layout.
constexpr int ArrangeWindows = 41001;
// The keys of the keyboard table, each a command of its own.
constexpr int NoteLength1 = 41011; // digit keys 1 .. 6: NoteLength1 + digit - 1
constexpr int NoteLength6 = 41016;
constexpr int ToggleDot = 41017;        // 7
constexpr int ToggleDoubleDot = 41018;  // 8
constexpr int ToggleTriplet = 41019;    // 9
constexpr int ClearModifier = 41020;    // 0
constexpr int ScrollToLastNote = 41021; // End with Shift or Ctrl
constexpr int ScrollToStart = 41022;    // Home
constexpr int ScrollLeft = 41023;
constexpr int ScrollRight = 41024;
constexpr int ScrollUp = 41025;
constexpr int ScrollDown = 41026;
} // namespace cmd

struct MenuItem {
    int id = 0; // 0 with no submenu: a separator
    std::string text;
    std::vector<MenuItem> submenu;
    // The command's keys; the menu shows the first.
    std::vector<std::string> keys;
    [[nodiscard]] bool isSeparator() const { return id == 0 && submenu.empty(); }
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
    bool rightAligned = false;
};

// The menus in bar order.
[[nodiscard]] const std::vector<Menu>& mainMenu();

// A command reached by keys alone.
struct KeyCommand {
    int id = 0;
    std::vector<std::string> keys;
};

// The commands without a menu item: Delete, Play, and the keyboard table
// (note lengths, scrolling). Keys the old accelerator table took without a
// command (F, M, P, R, Ctrl+P, Page Up, End alone, "," "." "p" "å") are
// bound to nothing, so they still do nothing.
[[nodiscard]] const std::vector<KeyCommand>& keyCommands();

} // namespace qte
