#pragma once
// What the matrix editor's painting and gestures work on: the tune, the
// view, the edit state, and the few values other parts of the editor own
// (options, the toolbar's note length, the modifier keys, playback).

#include "config/text_config.h"

#include <cstdint>

namespace qte {

struct Tune;
struct MatrixView;
struct MatrixEditState;

struct MatrixOptions {
    bool drawKeys = true;         // "Draw keys"
    std::int32_t styleMode = 0;   // a StyleMode value
    float newNoteUnits = 1.0f;    // length of the next drawn note
    std::int32_t newNoteKind = 0; // NoteKind of the next drawn note
    std::int32_t customNoteCount = 0;
    // The tone text's note names the keys show; null shows none.
    const NoteNameTable* noteNames = nullptr;
    // The pitches the tone text names a Normal note at; the rows outside
    // are shaded. Both 0: no row is.
    std::int32_t lowestNamedPitch = 0;
    std::int32_t highestNamedPitch = 0;

    [[nodiscard]] bool unnamedRow(std::int32_t pitch) const
    {
        return (lowestNamedPitch != 0 || highestNamedPitch != 0) &&
               (pitch < lowestNamedPitch || pitch > highestNamedPitch);
    }
};

struct ModifierKeys {
    bool shiftDown = false; // move notes in pitch only
    bool ctrlDown = false;  // free placement; toggle selection
};

struct PlayInfo {
    bool playing = false;
    std::int32_t soundingPitch = 0; // the key lit during playback
    std::int32_t playPosMs = 0;     // the play clock, where the play line is drawn
};

struct MatrixContext {
    Tune& tune;
    MatrixView& view;
    MatrixEditState& edit;
    const MatrixOptions& options;
    ModifierKeys& keys;
    const PlayInfo& play;
};

} // namespace qte
