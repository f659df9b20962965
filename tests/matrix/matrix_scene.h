#pragma once
// A laid-out matrix editor over a headless image, for pixel and gesture tests.

#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "platform/image_surface.h"
#include "tune/tune.h"

#include <memory>

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
    }

    MatrixContext context() { return {tune, view, edit, options, keys, play}; }
    void paint()
    {
        MatrixContext c = context();
        painter.RepaintMatrix(c, image);
    }
    int addNote(float start, float end, int pitch, NoteKind kind = NoteKind::Normal)
    {
        NoteRecord n;
        n.startUnits = start;
        n.endUnits = end;
        n.pitch = pitch;
        n.kind = static_cast<std::int32_t>(kind);
        return InsertNote(tune, n, options.customNoteCount);
    }
    // The middle pixel of a unit's cell on a pitch row.
    [[nodiscard]] std::pair<int, int> cellCentre(int unit, int pitch) const
    {
        const Rect r = view.cellRect(unit, pitch);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    [[nodiscard]] Colour at(std::pair<int, int> p) const { return image.pixel(p.first, p.second); }

    Tune tune;
    MatrixView view;
    MatrixEditState edit;
    MatrixOptions options;
    ModifierKeys keys;
    PlayInfo play;
    MatrixPainter painter;
    ImageSurface image;
};

} // namespace qte::testing_support
