#pragma once
// The toolbar's transport actions. Each reads playing once at its start;
// an action whose condition does not hold does nothing.

namespace qte {

struct PlaybackEnv;

// Plays the tune from the start (stopping a playing one first). Only with notes.
void playAction(PlaybackEnv& env);
// The Space key: a playing tune is reset first, whatever the tune holds now;
// then, once nothing plays, a tune with notes plays from the start.
void playKeyAction(PlaybackEnv& env);
// Toggles loop playback; only while nothing plays. Takes effect at the next start.
void loopAction(PlaybackEnv& env);
// Stops the sound; the done notification then clears playing.
void stopAction(PlaybackEnv& env);
// Pauses or resumes; the paused time does not count on the play clock.
void pauseAction(PlaybackEnv& env);
// Opens the tempo dialog.
void tempoAction(PlaybackEnv& env);

} // namespace qte
