#pragma once
// The toolbar across the top of the main window: transport buttons, the
// tempo button and the key panel of note values and modifiers, all copied
// from the button table, and the click test against their rectangles.

#include "platform/surface.h"

#include <cstdint>

namespace qte {

struct PlayState;
struct PlaybackEnv;
struct NoteLengthState;

// The toolbar's light-grey frames (the stock light-grey brush).
constexpr Colour kToolbarFrameColour = rgbColour(192, 192, 192);
constexpr Rect kTransportFrame{5, 5, 222, 35};
constexpr Rect kKeyPanelFrame{460, 5, 756, 55};

// Copies of the button table.
struct ToolbarPicture {
    Rect destination;
    int sourceX = 0;
    int sourceY = 0;
};

enum class ToolbarItem : int { Play, Loop, Stop, Pause, Tempo };

// Where an item or key is drawn from and to, for the current state.
[[nodiscard]] ToolbarPicture transportPicture(ToolbarItem item, const PlayState& play);
[[nodiscard]] ToolbarPicture noteValuePicture(int index, const NoteLengthState& length); // 1..6
[[nodiscard]] ToolbarPicture modifierPicture(int index, const NoteLengthState& length);  // 1..3

// Draws the whole toolbar onto target from buttonTable.
void drawToolbar(Surface& target, const Surface& buttonTable, const PlayState& play,
                 const NoteLengthState& length);

enum class ToolbarHitKind : int {
    None,
    Play,
    Loop,
    Stop,
    Pause,
    Tempo,
    NoteValue, // index 1..6
    Modifier,  // index 1..3
};

struct ToolbarHit {
    ToolbarHitKind kind = ToolbarHitKind::None;
    int index = 0;
    friend bool operator==(const ToolbarHit&, const ToolbarHit&) = default;
};

// What a left click at (x, y) of the main window's client area hits.
[[nodiscard]] ToolbarHit toolbarHitTest(int x, int y);

// Carries out a left click: the transport actions, the tempo dialog, or a
// new note value or modifier (a second click on the chosen modifier clears
// it), after which the toolbar is repainted.
void toolbarClick(int x, int y, PlaybackEnv& env, NoteLengthState& length);

} // namespace qte
