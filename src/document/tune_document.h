#pragma once
// The one owner of the tune the editor holds: where it came from, whether it
// holds changes not yet saved, and the history of its changes. Every change
// is one named step, made through TuneDocument and announced once to the
// listener, from which the views follow; undo and redo walk the steps.

#include "document/tune_snapshot.h"
#include "tune/tune.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qte {

// Where the tune came from: a file of its own, or a definition of a
// Ringdata.h listed in "Tunes in Ringdata".
struct TuneOrigin {
    std::string filePath; // opened from or last saved to; "" when none
    FileKind fileKind = FileKind::Ringdata;
    std::string sourceName; // shown after the tone name in the captions
    std::string ringdataPath;
    std::int32_t catalogueEntry = 0; // 1-based; 0 when not from a catalogue
};

enum class ChangeKind {
    Step,      // a step was made
    Undo,      // a step was taken back
    Redo,      // a step was made again
    Selection, // only the selection changed; no step
    Opened,    // the tune was replaced whole, with a new history
    Saved,     // the origin or the saved state changed; the tune did not
};

struct DocumentChange {
    ChangeKind kind = ChangeKind::Step;
    std::string step; // the step made, taken back or made again
};

class TuneDocument {
public:
    // The steps kept for undo at least; older ones are forgotten.
    static constexpr std::size_t kHistorySteps = 100;

    explicit TuneDocument(std::size_t historySteps = kHistorySteps);

    [[nodiscard]] const Tune& tune() const { return *m_tune; }
    [[nodiscard]] const TuneOrigin& origin() const { return m_origin; }
    // Whether the tune differs from the one last opened or saved.
    [[nodiscard]] bool isModified() const { return m_modified; }

    // Told once for every change, after it was made.
    void setListener(std::function<void(const DocumentChange&)> listener);

    // Replaces the tune as a whole (a file opened, a new tune): the history
    // starts again and there is nothing unsaved.
    void open(const Tune& tune, TuneOrigin origin);
    // The tune was written where origin says: there is nothing unsaved.
    void markSaved(TuneOrigin origin);
    // The tune went somewhere it cannot be read back from (a WAV file): the
    // origin changes, what is unsaved stays unsaved.
    void setOrigin(TuneOrigin origin);

    // A step made over several calls (a mouse gesture, a dialog): begin it,
    // change editable(), commit it with its name. Steps begun inside one
    // another are one step, committed by the outermost commit.
    void beginStep();
    [[nodiscard]] bool stepOpen() const { return m_depth > 0; }
    // The tune for the one changing it. Changes made here count when the
    // open step is committed; they are never announced before.
    [[nodiscard]] Tune& editable() { return *m_tune; }
    // Ends the step. A change of the tune is recorded as one step of that
    // name; a change of the selection alone is announced but not recorded.
    // Returns whether a step was recorded.
    bool commitStep(std::string_view name);

    // One step made by one call.
    template <class Change> bool change(std::string_view name, Change&& edit)
    {
        beginStep();
        edit(editable());
        return commitStep(name);
    }

    // Nothing is undone or redone while a step is open.
    [[nodiscard]] bool canUndo() const { return m_depth == 0 && m_current > 0; }
    [[nodiscard]] bool canRedo() const { return m_depth == 0 && m_current + 1 < m_states.size(); }
    // The step undo or redo would take back or make again; "" when none.
    [[nodiscard]] std::string undoName() const;
    [[nodiscard]] std::string redoName() const;
    bool undo();
    bool redo();

    // The steps that can be undone, and the memory the history holds.
    [[nodiscard]] std::size_t undoSteps() const { return m_current; }
    [[nodiscard]] std::size_t historyBytes() const;

private:
    struct State {
        TuneSnapshot snapshot;
        std::string step; // the step that led here; "" for the first state
    };

    void announce(ChangeKind kind, std::string step = {});
    void contentChanged();
    void moveTo(std::size_t state, ChangeKind kind, const std::string& step);

    std::unique_ptr<Tune> m_tune;
    TuneOrigin m_origin;
    // The tune after each step; m_states[m_current] holds what the tune is
    // now, apart from a selection made since.
    std::deque<State> m_states;
    std::size_t m_current = 0;
    std::size_t m_historySteps;
    TuneSnapshot m_saved;
    bool m_modified = false;
    int m_depth = 0;
    std::function<void(const DocumentChange&)> m_listener;
};

} // namespace qte
