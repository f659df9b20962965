#pragma once
// Playback in the running editor: the transport on the toolbar and the
// Space key, the pump that moves the Matrix with the sound, and the
// device's done notification.

#include <optional>

namespace qte {

struct EditorContext;
struct PlaybackEnv;

// The records and window hooks playback works on, for this moment.
[[nodiscard]] PlaybackEnv playbackEnv(EditorContext& ctx);

// Opens the sound device at start-up (a failure is shown and the editor
// runs on without sound) and routes its done notification.
void openSound(EditorContext& ctx);
void closeSound(EditorContext& ctx);

// A left click on the main window's client area, where the toolbar is.
void clickToolbar(EditorContext& ctx, int x, int y);
// The Space key's play command.
void playCommand(EditorContext& ctx);
// Stops a playing tune (a tune about to be replaced); nothing while idle.
void stopSound(EditorContext& ctx);
// Draws the toolbar into the main window's surface.
void paintToolbar(EditorContext& ctx);

// One tick of the pump timer: nothing once nothing plays, when the timer
// may stop; else the milliseconds until the sound next changes what the
// windows show (a note starts or ends), when the next tick is due at the
// latest.
[[nodiscard]] std::optional<int> pumpPlayback(EditorContext& ctx, bool windowActive);

} // namespace qte
