#include "app/menu.h"

namespace qte {

const std::vector<Menu>& mainMenu()
{
    // The numeric-pad zoom keys and Shift+arrows of the accelerator table
    // stay; Ctrl with the plus or minus key zooms without a numeric pad,
    // with Shift the pitch rows. Where plus is a shifted key (a US keyboard)
    // Ctrl+= is the plus key unshifted and Ctrl+Shift+= the same key shifted.
    static const std::vector<Menu> menus = {
        {"&File",
         {{cmd::NewTune, "New Tune", {}, {"Ctrl+N"}},
          {cmd::OpenRingingTone, "Open ringing tone", {}, {"Ctrl+O"}},
          {cmd::OpenRingdata, "Open Ringdata.h", {}, {}},
          {cmd::Save, "Save", {}, {"Ctrl+S"}},
          {cmd::SaveAs, "Save as...", {}, {"Ctrl+Shift+S"}},
          {cmd::Revert, "Revert", {}, {}},
          {cmd::AddToRingdata, "Add to Ringdata.h", {}, {}},
          {cmd::RemoveFromRingdata, "Remove from Ringdata.h", {}, {}},
          {cmd::Exit, "E&xit", {}, {"Ctrl+Q", "Esc"}}}},
        // "Undo" and "Redo" name their step while there is one
        // (commandLabel).
        {"Edit",
         {{cmd::Undo, "Undo", {}, {"Ctrl+Z"}},
          {cmd::Redo, "Redo", {}, {"Ctrl+Y", "Ctrl+Shift+Z"}},
          {},
          {cmd::Copy, "Copy ", {}, {"Ctrl+C"}},
          {cmd::Cut, "Cut            ", {}, {"Ctrl+X"}},
          {cmd::Paste, "Paste", {}, {"Ctrl+V"}},
          {},
          {cmd::SelectAll, "Select All", {}, {"Ctrl+A"}},
          {cmd::Unselect, "Unselect", {}, {}},
          {},
          {0,
           "Transpose",
           {{cmd::OctaveUp, "Octave up", {}, {}},
            {cmd::OctaveDown, "Octave down", {}, {}},
            {cmd::SemitoneUp, "Semitone up", {}, {}},
            {cmd::SemitoneDown, "Semitone down", {}, {}}},
           {}}}},
        {"View",
         {{0,
           "Zoom x",
           {{cmd::ZoomXIn, "In     *", {}, {"Ctrl++", "Ctrl+=", "Num+*", "Shift+Right"}},
            {cmd::ZoomXOut, "Out  /", {}, {"Ctrl+-", "Num+/", "Shift+Left"}}},
           {}},
          {0,
           "Zoom y",
           {{cmd::ZoomYIn, "In     -", {}, {"Ctrl+Shift++", "Ctrl+Shift+=", "Num+-", "Shift+Up"}},
            {cmd::ZoomYOut, "Out  +", {}, {"Ctrl+Shift+-", "Num++", "Shift+Down"}}},
           {}},
          {},
          {cmd::ViewMatrix, "Matrix edit", {}, {}},
          {cmd::ViewRingdata, "Ringdata view", {}, {}},
          {cmd::ViewTones, "Tones in Rdata", {}, {}},
          {},
          {cmd::ArrangeWindows, "Arrange windows", {}, {}}}},
        {"Style",
         {{cmd::StyleContinuous, "Continuous", {}, {}},
          {cmd::StyleNatural, "Natural", {}, {}},
          {cmd::StyleStaccato, "Staccato", {}, {}},
          {},
          {cmd::KindNormal, "Normal", {}, {}},
          {cmd::KindSpecial, "Special", {}, {}},
          {cmd::KindFreqDefine, "Freq_define", {}, {}}}},
        {"Options",
         {{cmd::Settings, "Settings", {}, {}},
          {cmd::AddDefaultParts, "Add default parts", {}, {}},
          {cmd::PlayPolitely, "Play Politely", {}, {}},
          {cmd::SoundNotes, "Sound notes while editing", {}, {}},
          {cmd::StaccatoAll, "->Staccato", {}, {}}}},
        {"&Help", {{cmd::About, "&About ...", {}, {"F1"}}}, true},
    };
    return menus;
}

const std::vector<KeyCommand>& keyCommands()
{
    static const std::vector<KeyCommand> commands = {
        {cmd::Delete, {"Del"}},
        {cmd::Play, {"Space"}},
        {cmd::NoteLength1, {"1"}},
        {cmd::NoteLength1 + 1, {"2"}},
        {cmd::NoteLength1 + 2, {"3"}},
        {cmd::NoteLength1 + 3, {"4"}},
        {cmd::NoteLength1 + 4, {"5"}},
        {cmd::NoteLength6, {"6"}},
        {cmd::ToggleDot, {"7"}},
        {cmd::ToggleDoubleDot, {"8"}},
        {cmd::ToggleTriplet, {"9"}},
        {cmd::ClearModifier, {"0"}},
        {cmd::ScrollToLastNote, {"Shift+End", "Ctrl+End", "Ctrl+Shift+End"}},
        {cmd::ScrollToStart, {"Home"}},
        {cmd::ScrollLeft, {"Left"}},
        {cmd::ScrollRight, {"Right"}},
        {cmd::ScrollUp, {"Up"}},
        {cmd::ScrollDown, {"Down"}},
    };
    return commands;
}

} // namespace qte
