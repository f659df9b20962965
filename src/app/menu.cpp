#include "app/menu.h"

namespace qte {

const std::vector<Menu>& mainMenu()
{
    static const std::vector<Menu> menus = {
        {"&File",
         {{cmd::NewTune, "New Tune", {}},
          {cmd::OpenRingingTone, "Open ringing tone", {}},
          {cmd::OpenRingdata, "Open Ringdata.h", {}},
          {cmd::Save, "Save", {}},
          {cmd::SaveAs, "Save as...", {}},
          {cmd::Revert, "Revert", {}},
          {cmd::AddToRingdata, "Add to Ringdata.h", {}},
          {cmd::RemoveFromRingdata, "Remove from Ringdata.h", {}},
          {cmd::Exit, "E&xit", {}}}},
        // "Undo" and "Redo" name their step while there is one
        // (commandLabel).
        {"Edit",
         {{cmd::Undo, "Undo", {}},
          {cmd::Redo, "Redo", {}},
          {},
          {cmd::Copy, "Copy ", {}},
          {cmd::Cut, "Cut            ", {}},
          {cmd::Paste, "Paste", {}},
          {},
          {cmd::SelectAll, "Select All", {}},
          {cmd::Unselect, "Unselect", {}},
          {},
          {0,
           "Transpose",
           {{cmd::OctaveUp, "Octave up", {}},
            {cmd::OctaveDown, "Octave down", {}},
            {cmd::SemitoneUp, "Semitone up", {}},
            {cmd::SemitoneDown, "Semitone down", {}}}}}},
        {"View",
         {{0, "Zoom x", {{cmd::ZoomXIn, "In     *", {}}, {cmd::ZoomXOut, "Out  /", {}}}},
          {0, "Zoom y", {{cmd::ZoomYIn, "In     -", {}}, {cmd::ZoomYOut, "Out  +", {}}}},
          {},
          {cmd::ViewMatrix, "Matrix edit", {}},
          {cmd::ViewRingdata, "Ringdata view", {}},
          {cmd::ViewTones, "Tones in Rdata", {}}}},
        {"Style",
         {{cmd::StyleContinuous, "Continuous", {}},
          {cmd::StyleNatural, "Natural", {}},
          {cmd::StyleStaccato, "Staccato", {}},
          {},
          {cmd::KindNormal, "Normal", {}},
          {cmd::KindSpecial, "Special", {}},
          {cmd::KindFreqDefine, "Freq_define", {}}}},
        {"Options",
         {{cmd::Settings, "Settings", {}},
          {cmd::AddDefaultParts, "Add default parts", {}},
          {cmd::PlayPolitely, "Play Politely", {}},
          {cmd::SoundNotes, "Sound notes while editing", {}},
          {cmd::StaccatoAll, "->Staccato", {}}}},
        {"&Help", {{cmd::About, "&About ...", {}}}, true},
    };
    return menus;
}

const std::vector<Accelerator>& acceleratorTable()
{
    // Entries without a command of their own still consume their key.
    static const std::vector<Accelerator> table = {
        {true, ',', false, false, 32783},
        {true, '.', false, false, 32782},
        {false, vk::letter('A'), false, true, cmd::SelectAll},
        {false, vk::letter('C'), false, true, cmd::Copy},
        {false, vk::letter('F'), false, false, 32798},
        {false, vk::letter('F'), false, false, 32815},
        {false, vk::letter('M'), false, false, 32797},
        {false, vk::letter('O'), false, true, cmd::OpenRingingTone},
        {false, vk::letter('P'), false, false, 32810},
        {false, vk::letter('P'), false, true, 32827},
        {false, vk::letter('R'), false, false, 32794},
        {false, vk::letter('S'), false, true, cmd::Save},
        {false, vk::letter('V'), false, true, cmd::Paste},
        {false, vk::Add, false, false, cmd::ZoomYOut},
        {false, vk::Delete, false, false, cmd::Delete},
        {false, vk::Divide, false, false, cmd::ZoomXOut},
        {false, vk::Down, true, false, cmd::ZoomYOut},
        {false, vk::End, false, false, 32823},
        {false, vk::Escape, false, false, cmd::Exit},
        {false, vk::Left, true, false, cmd::ZoomXOut},
        {false, vk::Multiply, false, false, cmd::ZoomXIn},
        {false, vk::PageUp, false, false, 32821},
        {false, vk::PageUp, false, false, 32822},
        {false, vk::Right, true, false, cmd::ZoomXIn},
        {false, vk::Space, false, false, cmd::Play},
        {false, vk::Subtract, false, false, cmd::ZoomYIn},
        {false, vk::Up, true, false, cmd::ZoomYIn},
        {false, vk::letter('X'), false, true, cmd::Cut},
        {false, vk::letter('Z'), false, true, cmd::Undo},
        {false, vk::letter('Y'), false, true, cmd::Redo},
        {false, vk::letter('Z'), true, true, cmd::Redo},
        {true, 'p', false, false, 32808},
        {true, 0xE5, false, false, 32807},
    };
    return table;
}

std::optional<int> translateAccelerator(const KeyStroke& key)
{
    for (const Accelerator& a : acceleratorTable()) {
        if (!a.isCharacter && a.key == key.virtualKey && a.shift == key.shift &&
            a.ctrl == key.ctrl && !key.alt)
            return a.command;
    }
    if (key.character == 0) return std::nullopt;
    for (const Accelerator& a : acceleratorTable()) {
        if (a.isCharacter && a.key == key.character) return a.command;
    }
    return std::nullopt;
}

} // namespace qte
