#pragma once
// A laid-out matrix editor over a headless image, for pixel and gesture tests,
// and the lists of a tune in a form that compares in one assertion.

#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_mouse.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "matrix/tune_invariants.h"
#include "platform/fakes/fake_tick.h"
#include "platform/image_surface.h"
#include "platform/messages.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qte::testing_support {

// A list item: start, end and the pitch of a note, the repetitions of a
// repeat block, 0 for a vibra segment.
struct Span {
    float start;
    float end;
    int value;
    friend bool operator==(const Span&, const Span&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Span& s)
{
    return os << "[" << s.start << "," << s.end << " " << s.value << "]";
}

template <class List, class Value>
std::vector<Span> spansOf(const List& list, int count, Value value)
{
    std::vector<Span> out;
    for (int i = 1; i <= count; ++i)
        out.push_back({list[i].startUnits, list[i].endUnits, value(list[i])});
    return out;
}
inline std::vector<Span> notesOf(const Tune& t)
{
    return spansOf(t.noteTable, t.noteCount, [](const NoteRecord& n) { return int{n.pitch}; });
}
inline std::vector<Span> vibrasOf(const Tune& t)
{
    return spansOf(t.vibraList, t.vibraCount, [](const VibraRecord&) { return 0; });
}
inline std::vector<Span> repeatsOf(const Tune& t)
{
    return spansOf(t.repeatList, t.repeatCount,
                   [](const RepeatRecord& r) { return int{r.repetitions}; });
}
inline std::vector<std::pair<float, std::string>> textsOf(const Tune& t)
{
    std::vector<std::pair<float, std::string>> out;
    for (int i = 1; i <= t.textCount; ++i)
        out.emplace_back(t.textList[i].timeUnits, std::string(t.textList[i].text));
    return out;
}

inline NoteRecord makeNote(float start, float end, int pitch = 60, NoteKind kind = NoteKind::Normal)
{
    NoteRecord n;
    n.startUnits = start;
    n.endUnits = end;
    n.pitch = pitch;
    n.kind = static_cast<std::int32_t>(kind);
    return n;
}

// Inserts each note; false when one is refused.
[[nodiscard]] inline bool insertNotes(Tune& t, const std::vector<Span>& notes, int customCount = 0)
{
    for (const Span& n : notes)
        if (!InsertNote(t, makeNote(n.start, n.end, n.value), customCount)) return false;
    return true;
}

inline void expectSound(const Tune& t)
{
    EXPECT_EQ(checkTuneInvariants(t), std::vector<std::string>{});
}

struct MatrixScene {
    explicit MatrixScene(bool drawKeys = true, int width = 480, int height = 360,
                         int unitWidth = 11, int rowHeight = 12)
        : image(width, height)
    {
        options.drawKeys = drawKeys;
        applyDrawKeys(view, drawKeys);
        applyStoredZoom(view, unitWidth, rowHeight);
        LayoutMatrix(view, tune, width, height);
        services.clock = &clock;
        services.messages = &messages;
        services.repaint = [this] { paint(); };
    }

    MatrixContext context() { return {tune, view, edit, options, keys, play}; }
    void paint()
    {
        MatrixContext c = context();
        painter.RepaintMatrix(c, image);
    }
    int addNote(float start, float end, int pitch, NoteKind kind = NoteKind::Normal)
    {
        return InsertNote(tune, makeNote(start, end, pitch, kind), options.customNoteCount);
    }
    [[nodiscard]] bool addNotes(const std::vector<Span>& notes)
    {
        return insertNotes(tune, notes, options.customNoteCount);
    }
    // The middle pixel of a unit's cell on a pitch row.
    [[nodiscard]] std::pair<int, int> cellCentre(int unit, int pitch) const
    {
        const Rect r = view.cellRect(unit, pitch);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    [[nodiscard]] Colour at(std::pair<int, int> p) const { return image.pixel(p.first, p.second); }
    // Several pixels at once, to compare with one list of colours.
    [[nodiscard]] std::vector<Colour> pixels(std::initializer_list<std::pair<int, int>> at) const
    {
        std::vector<Colour> out;
        for (auto [x, y] : at)
            out.push_back(image.pixel(x, y));
        return out;
    }
    // The column of a time and the middle of a pitch's row.
    [[nodiscard]] int xAt(float units) const
    {
        return view.keyStripWidth +
               static_cast<int>(std::lround((units - view.firstUnit()) * view.unitWidth));
    }
    [[nodiscard]] int yAt(int pitch) const { return view.pitchToY(pitch) + view.rowHeight / 2; }

    Tune tune;
    MatrixView view;
    MatrixEditState edit;
    MatrixOptions options;
    ModifierKeys keys;
    PlayInfo play;
    MatrixPainter painter;
    ImageSurface image;
    fakes::FakeTickClock clock;
    RecordingMessageSink messages;
    MatrixServices services;
};

} // namespace qte::testing_support
