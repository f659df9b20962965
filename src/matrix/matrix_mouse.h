#pragma once
// Mouse editing in the "Matrix edit" window. The right button creates and
// deletes; the left button selects, moves, resizes and opens the text and
// repetitions dialogs. Each handler reads the mouse position from the edit
// state (mouseX, mouseY) and is called only while no playback runs.

#include "matrix/matrix_context.h"

#include <functional>

namespace qte {

class MessageSink;
class TickClock;
struct NoteRecord;
struct Tune;

// The two small dialogs opened from the strips; modal, owned by the matrix
// window. Each edits the tune's item in place.
class MatrixDialogs {
public:
    virtual ~MatrixDialogs() = default;
    // The Text dialog (158) for free text textIndex.
    virtual void editText(Tune& tune, int textIndex) = 0;
    // The repetitions dialog (154, "Number of repetitions:") for a block.
    virtual void editRepetitions(Tune& tune, int repeatIndex) = 0;
};

// What the handlers call out to. Every member may be left empty.
struct MatrixServices {
    MessageSink* messages = nullptr;
    MatrixDialogs* dialogs = nullptr;
    const TickClock* clock = nullptr;
    // A free text changed: the owner rebuilds what is derived from texts.
    std::function<void()> textsChanged;
    // The matrix must be painted again.
    std::function<void()> repaint;
    // A note to let the user hear, once: the key clicked on the key strip, a
    // note just drawn, a moved note dropped on a new pitch.
    std::function<void(const NoteRecord&)> sound;
};

// A press of 300 ms or more on a text moves it instead of opening it.
constexpr unsigned kLongPressMs = 300;

// svc: the dialogs, messages and callbacks of the gesture. A gesture that
// changes the tune names the step in the edit state (stepName), for the
// owner to record when the gesture ends.
void LeftPress(MatrixContext& ctx, MatrixServices& svc);
void LeftRelease(MatrixContext& ctx, MatrixServices& svc);
void RightPress(MatrixContext& ctx, MatrixServices& svc);
void RightRelease(MatrixContext& ctx, MatrixServices& svc);

} // namespace qte
