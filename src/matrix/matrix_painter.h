#pragma once
// Painting of the "Matrix edit" window into its kept backing surface, band
// by band: ruler, grid lines and cells, strips, items, repeat bars, rubber
// band. The piano-key strip is composed off screen in BackBitmap from the
// BUTTONTABLE pictures and copied in. While a tune plays, a thin line
// across the grid shows where the sound is.

#include "matrix/matrix_context.h"
#include "platform/image_surface.h"
#include "platform/surface.h"
#include "tune/tune.h"

#include <string>

namespace qte {

struct MatrixColours {
    Colour background = rgbColour(0, 0, 0);
    Colour white = rgbColour(255, 255, 255); // ticks, Normal notes, vibra, rubber band
    Colour special = rgbColour(200, 0, 125);
    Colour freqDefine = rgbColour(0, 200, 200);
    Colour selected = rgbColour(100, 100, 255);
    Colour repeat = rgbColour(255, 0, 0);
    Colour text = rgbColour(20, 200, 125);
    Colour gridEvery8 = rgbColour(250, 250, 250);
    Colour gridEvery4 = rgbColour(200, 200, 200);
    Colour gridEvery2 = rgbColour(150, 150, 150);
    Colour gridOdd = rgbColour(100, 100, 100);
    Colour gridPen = rgbColour(150, 150, 150); // horizontal lines, strip borders
    Colour keyNameOnWhite = rgbColour(60, 60, 60);
    Colour keyNameOnBlack = rgbColour(220, 220, 220);
    Colour unnamedRow = rgbColour(56, 24, 24); // the empty cells of a row the text cannot name
    Colour playLine = rgbColour(255, 220, 0);  // the play clock's line across the grid

    [[nodiscard]] Colour noteColour(std::int32_t kind, std::int32_t selectedFlag) const;
};

// Pictures in BUTTONTABLE (source rectangles), normal and lit.
struct ButtonPicture {
    Rect normal;
    Rect lit;
};
constexpr ButtonPicture kWhiteKeyCF{{0, 394, 64, 402}, {66, 394, 130, 402}};
constexpr ButtonPicture kWhiteKeyDGA{{0, 385, 64, 393}, {66, 385, 130, 393}};
constexpr ButtonPicture kWhiteKeyEB{{0, 376, 64, 384}, {66, 376, 130, 384}};
constexpr ButtonPicture kBlackKey{{0, 405, 41, 411}, {42, 405, 83, 411}};
constexpr ButtonPicture kVibraLabel{{0, 363, 65, 375}, {66, 363, 131, 375}};
constexpr ButtonPicture kTextLabel{{132, 363, 197, 375}, {198, 363, 263, 375}};

class MatrixPainter {
public:
    MatrixPainter();

    // The BUTTONTABLE image; without one the keys are drawn from a blank
    // picture. Not owned; must outlive the painter's use of it.
    void setButtonTable(const Surface* buttonTable) { m_buttonTable = buttonTable; }
    void setColours(const MatrixColours& colours) { m_colours = colours; }
    [[nodiscard]] const MatrixColours& colours() const { return m_colours; }

    // The whole window. Also carries the live part of the gestures (see
    // followMouse) and ends by updating the horizontal scroll range.
    void RepaintMatrix(MatrixContext& ctx, Surface& target);
    // The key strip with its note names, and the two strip labels.
    void PaintKeys(MatrixContext& ctx, Surface& target);

    [[nodiscard]] const ImageSurface& backBitmap() const { return m_backBitmap; }

private:
    const Surface& pictures() const { return m_buttonTable ? *m_buttonTable : m_blank; }
    void paintRuler(const MatrixContext& ctx, Surface& s) const;
    void paintGridLines(const MatrixContext& ctx, Surface& s) const;
    void paintStripFrames(const MatrixContext& ctx, Surface& s) const;
    void paintVibraGaps(const MatrixContext& ctx, Surface& s) const;
    void paintTextGaps(const MatrixContext& ctx, Surface& s) const;
    void paintCells(const MatrixContext& ctx, Surface& s) const;
    void PaintItems(const MatrixContext& ctx, Surface& s) const;
    void paintNotes(const MatrixContext& ctx, Surface& s) const;
    void paintVibras(const MatrixContext& ctx, Surface& s) const;
    void paintTexts(const MatrixContext& ctx, Surface& s) const;
    void paintRepeatStrip(const MatrixContext& ctx, Surface& s) const;
    void paintDragged(const MatrixContext& ctx, Surface& s) const;
    void paintPending(const MatrixContext& ctx, Surface& s) const;
    void paintRepeatBars(const MatrixContext& ctx, Surface& s) const;
    void paintRubberBand(const MatrixContext& ctx, Surface& s) const;
    // Over everything while a tune plays: a one-pixel line at the play clock.
    void paintPlayLine(const MatrixContext& ctx, Surface& s) const;
    void paintKeyStrip(const MatrixContext& ctx);
    void paintKeyNames(const MatrixContext& ctx, Surface& target) const;

    const Surface* m_buttonTable = nullptr;
    ImageSurface m_blank;
    ImageSurface m_backBitmap;
    MatrixColours m_colours;
};

// The keys that carry their note name: every C, and every key once the rows
// are as tall as the name's text.
[[nodiscard]] bool keyShowsName(int pitch, int rowHeight);
// What the key of a pitch shows: its name in the tone text, or its number
// where the text has no name for it.
[[nodiscard]] std::string keyLabel(const NoteNameTable& names, int pitch);
// Where a key's name is written on the window: the top left of its text,
// right-aligned on the key (a white key's name right of the black keys),
// within the key strip.
struct KeyLabelPlace {
    int x = 0;
    int y = 0;
};
[[nodiscard]] KeyLabelPlace keyLabelAt(const MatrixView& view, int pitch, std::size_t length);

// The live part of a gesture, from the mouse position: the hovered key, the
// pressed text's time, the end of the item being drawn, the rubber band's
// moving corner. RepaintMatrix runs it first.
void followMouse(MatrixContext& ctx);

// Where hanging entry k (1-based) of the drag buffer lands for the current
// mouse position: start, end and pitch set, pitch not yet limited by kind.
[[nodiscard]] NoteRecord draggedPlacement(const MatrixContext& ctx, int k);

} // namespace qte
