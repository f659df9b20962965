#pragma once
// A laid-out matrix editor over a headless image, for pixel and gesture tests.

#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_mouse.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "platform/image_surface.h"
#include "support/fake_tick.h"
#include "support/recording_message_sink.h"
#include "tune/tune.h"
#include "tune/tune_spans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qte::testing_support {

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
