// Draws the editor's button table: the toolbar's buttons and keys and the
// matrix key strip's pictures, each at its place in one 357 x 495 image.
// Writes it as PNG (embedded in the editor) and as binary PPM (read by the
// plain C++ code and its tests), and, given a folder, the program's icon
// drawn from the same pictures in the sizes a desktop asks for:
//   qte_buttontable resources/buttontable.png resources/buttontable.ppm resources/icons

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

#include <cstdio>
#include <cstring>
#include <map>

namespace {

constexpr int kWidth = 357;
constexpr int kHeight = 495;

const QColor kFace(192, 192, 192);
const QColor kFaceDown(168, 168, 168);
const QColor kLight(255, 255, 255);
const QColor kShade(128, 128, 128);
const QColor kDark(0, 0, 0);
const QColor kUnused(48, 48, 56);

// A 5 x 7 pixel font for the few words the pictures carry.
const std::map<char, const char*>& glyphs()
{
    static const std::map<char, const char*> g = {
        {'T', "#####..#....#....#....#....#....#.."},
        {'E', "#####"
              "#...."
              "#...."
              "####."
              "#...."
              "#...."
              "#####"},
        {'M', "#...###.###.#.##...##...##...##...#"},
        {'P', "####.#...##...#####.#....#....#...."},
        {'O', ".###.#...##...##...##...##...#.###."},
        {'V', "#...#"
              "#...#"
              "#...#"
              ".#.#."
              ".#.#."
              "..#.."
              "..#.."},
        {'I', ".###...#....#....#....#....#...###."},
        {'B', "####.#...##...#####.#...##...#####."},
        {'R', "####.#...##...#####.#.#..#..#.#...#"},
        {'A', ".###.#...##...#######...##...##...#"},
        {'X', "#...##...#.#.#...#...#.#.#...##...#"},
        {'3', "#####"
              "...#."
              "..#.."
              "...#."
              "....#"
              "#...#"
              ".###."},
    };
    return g;
}

void drawGlyph(QImage& img, int x, int y, char c, const QColor& colour, int scale = 1)
{
    const auto it = glyphs().find(c);
    if (it == glyphs().end()) return;
    const char* bits = it->second;
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
            const int i = row * 5 + col;
            if (bits[i] == '\0') return;
            if (bits[i] != '#') continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    img.setPixelColor(x + col * scale + dx, y + row * scale + dy, colour);
        }
}

void drawWord(QImage& img, int x, int y, const char* word, const QColor& colour)
{
    for (int i = 0; word[i] != '\0'; ++i)
        drawGlyph(img, x + 6 * i, y, word[i], colour);
}

// A button face with a raised or sunken edge.
void bevel(QPainter& p, const QRect& r, bool down)
{
    p.fillRect(r, down ? kFaceDown : kFace);
    const QColor topLeft = down ? kDark : kLight;
    const QColor bottomRight = down ? kLight : kDark;
    p.setPen(topLeft);
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
    p.setPen(bottomRight);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.setPen(kShade);
    if (down) {
        p.drawLine(r.left() + 1, r.top() + 1, r.right() - 2, r.top() + 1);
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 2);
    } else {
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    }
}

enum class Symbol { Play, Loop, Stop, Pause };

void drawSymbol(QPainter& p, Symbol s, const QPoint& centre, const QColor& colour)
{
    const int cx = centre.x();
    const int cy = centre.y();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (s) {
    case Symbol::Play:
        p.drawPolygon(
            QPolygon({QPoint(cx - 4, cy - 6), QPoint(cx + 5, cy), QPoint(cx - 4, cy + 6)}));
        break;
    case Symbol::Stop: p.drawRect(cx - 5, cy - 5, 10, 10); break;
    case Symbol::Pause:
        p.drawRect(cx - 5, cy - 6, 4, 12);
        p.drawRect(cx + 2, cy - 6, 4, 12);
        break;
    case Symbol::Loop: {
        QPen pen(colour, 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRect ring(cx - 7, cy - 5, 14, 10);
        p.drawArc(ring, 30 * 16, 150 * 16);
        p.drawArc(ring, 210 * 16, 150 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        // Arrow heads at the ends of both arcs, pointing round the ring.
        p.drawPolygon(
            QPolygon({QPoint(cx + 3, cy - 8), QPoint(cx + 8, cy - 4), QPoint(cx + 3, cy - 1)}));
        p.drawPolygon(
            QPolygon({QPoint(cx - 3, cy + 8), QPoint(cx - 8, cy + 4), QPoint(cx - 3, cy + 1)}));
        break;
    }
    }
}

void drawTransport(QImage& img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    struct Button {
        int x;
        Symbol symbol;
        bool hasDown;
        QColor downColour;
    };
    const Button buttons[] = {
        {149, Symbol::Play, true, QColor(0, 140, 0)},
        {184, Symbol::Loop, true, QColor(0, 70, 200)},
        {219, Symbol::Stop, false, kDark},
        {254, Symbol::Pause, true, QColor(200, 110, 0)},
    };
    for (const Button& b : buttons) {
        for (int row = 0; row < (b.hasDown ? 2 : 1); ++row) {
            const bool down = row == 1;
            const QRect r(b.x, row * 20, 35, 20);
            p.setRenderHint(QPainter::Antialiasing, false);
            bevel(p, r, down);
            p.setRenderHint(QPainter::Antialiasing, true);
            const QPoint centre = r.center() + QPoint(1, 1) + (down ? QPoint(1, 1) : QPoint());
            drawSymbol(p, b.symbol, centre, down ? b.downColour : kDark);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    bevel(p, QRect(289, 0, 37, 20), false);
    p.end();
    drawWord(img, 289 + 4, 6, "TEMPO", kDark);
}

// Note values: 0 thirty-second ... 5 whole note, in a 21 x 39 key.
void drawNoteValue(QPainter& p, const QRect& key, int k, const QColor& ink)
{
    const int headX = key.left() + 4;
    const int headY = key.top() + 24;
    p.setRenderHint(QPainter::Antialiasing, true);
    const bool filled = k <= 3;
    p.setPen(QPen(ink, 1.6));
    p.setBrush(filled ? QBrush(ink) : QBrush(Qt::NoBrush));
    p.save();
    p.translate(headX + 5, headY + 3.5);
    p.rotate(-20);
    p.drawEllipse(QRectF(-4.5, -3, 9, 6));
    p.restore();
    if (k == 5) return;
    const qreal stemX = headX + 9.5;
    const qreal stemTop = key.top() + 5;
    p.setPen(QPen(ink, 1.4));
    p.drawLine(QPointF(stemX, headY + 2), QPointF(stemX, stemTop));
    const int flags = 3 - k; // eighth 1, sixteenth 2, thirty-second 3
    for (int f = 0; f < flags; ++f) {
        const qreal y = stemTop + 4 * f;
        p.drawLine(QPointF(stemX, y), QPointF(stemX + 5, y + 5));
    }
}

void drawModifier(QImage& img, QPainter& p, const QRect& key, int k, const QColor& ink)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const qreal cy = key.top() + 26;
    if (k == 0) {
        p.drawEllipse(QPointF(key.left() + 7.5, cy), 2.2, 2.2);
    } else if (k == 1) {
        p.drawEllipse(QPointF(key.left() + 4.5, cy), 2.0, 2.0);
        p.drawEllipse(QPointF(key.left() + 11.0, cy), 2.0, 2.0);
    } else {
        p.end();
        drawGlyph(img, key.left() + 3, key.top() + 12, '3', ink, 2);
        p.begin(&img);
    }
}

void drawKeyPanel(QImage& img)
{
    const QColor chosenFace(208, 208, 208);
    const QColor notChosenFace(0, 0, 0);
    for (int row = 0; row < 2; ++row) {
        const bool chosen = row == 0;
        const int top = chosen ? 391 : 430;
        const QColor face = chosen ? chosenFace : notChosenFace;
        const QColor ink = chosen ? kDark : kLight;
        for (int k = 0; k < 6; ++k) {
            QPainter p(&img);
            const QRect key(167 + 21 * k, top, 21, 39);
            p.fillRect(key, face);
            p.setPen(chosen ? kShade : QColor(90, 90, 90));
            p.drawRect(key.adjusted(0, 0, -1, -1));
            drawNoteValue(p, key, k, ink);
        }
        for (int k = 0; k < 3; ++k) {
            QPainter p(&img);
            const QRect key(293 + 16 * k, top, 16, 39);
            p.fillRect(key, face);
            p.setPen(chosen ? kShade : QColor(90, 90, 90));
            p.drawRect(key.adjusted(0, 0, -1, -1));
            drawModifier(img, p, key, k, ink);
        }
    }
}

// One piano key as a horizontal strip; the matrix stretches it to the row.
// lowerEdge/upperEdge mark where the key meets a white neighbour directly.
void drawWhiteKey(QPainter& p, int x, int y, bool lit, bool upperEdge, bool lowerEdge)
{
    const QColor face = lit ? QColor(150, 190, 255) : QColor(250, 248, 240);
    p.fillRect(x, y, 64, 8, face);
    p.fillRect(x, y, 3, 8,
               lit ? QColor(110, 150, 225)
                   : QColor(215, 212, 205)); // the shade at the key's far end
    p.fillRect(x + 61, y, 3, 8, lit ? QColor(120, 160, 235) : QColor(230, 228, 220));
    p.setPen(QColor(140, 140, 140));
    p.drawLine(x, y + 7, x + 63, y + 7);
    if (upperEdge) p.drawLine(x, y, x + 63, y);
    if (lowerEdge) {
        p.setPen(QColor(90, 90, 90));
        p.drawLine(x, y + 7, x + 63, y + 7);
    }
}

void drawBlackKey(QPainter& p, int x, int y, bool lit)
{
    p.fillRect(x, y, 41, 6, lit ? QColor(50, 70, 220) : QColor(20, 20, 20));
    p.setPen(lit ? QColor(140, 160, 255) : QColor(90, 90, 90));
    p.drawLine(x + 2, y + 1, x + 38, y + 1);
    p.setPen(kDark);
    p.drawLine(x + 40, y, x + 40, y + 5);
}

void drawStripLabel(QImage& img, int x, int y, const char* word, bool lit)
{
    {
        QPainter p(&img);
        p.fillRect(x, y, 65, 12, lit ? QColor(255, 220, 80) : QColor(40, 40, 40));
        p.setPen(lit ? QColor(160, 120, 0) : QColor(150, 150, 150));
        p.drawRect(x, y, 64, 11);
    }
    const int wordWidth = 6 * static_cast<int>(std::strlen(word)) - 1;
    drawWord(img, x + (65 - wordWidth) / 2, y + 3, word, lit ? kDark : QColor(230, 230, 230));
}

void drawKeyStrip(QImage& img)
{
    {
        QPainter p(&img);
        for (int lit = 0; lit < 2; ++lit) {
            const int x = lit ? 66 : 0;
            drawWhiteKey(p, x, 394, lit, false, true); // C and F: a white key below
            drawWhiteKey(p, x, 385, lit, false, false);
            drawWhiteKey(p, x, 376, lit, true, false); // E and B: a white key above
            drawBlackKey(p, lit ? 42 : 0, 405, lit);
        }
    }
    drawStripLabel(img, 0, 363, "VIBRA", false);
    drawStripLabel(img, 66, 363, "VIBRA", true);
    drawStripLabel(img, 132, 363, "TEXT", false);
    drawStripLabel(img, 198, 363, "TEXT", true);
}

bool writePpm(const QImage& img, const char* path)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray header = QByteArray("P6\n") + QByteArray::number(img.width()) + ' ' +
                              QByteArray::number(img.height()) + "\n255\n";
    f.write(header);
    QByteArray row(img.width() * 3, '\0');
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            row[3 * x] = char(qRed(c));
            row[3 * x + 1] = char(qGreen(c));
            row[3 * x + 2] = char(qBlue(c));
        }
        f.write(row);
    }
    return f.error() == QFileDevice::NoError;
}

// The icon: a piece of the Matrix edit window, the key strip at its left
// and a rising phrase of notes on the black grid, in a 64 x 64 design
// drawn at `size` pixels.
QImage drawIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 64.0, size / 64.0);

    const QRectF tile(2, 2, 60, 60);
    QPainterPath outline;
    outline.addRoundedRect(tile, 9, 9);
    p.fillPath(outline, QColor(0, 0, 0));
    p.setClipPath(outline);

    // Seven white keys with the black keys over their left two thirds, as
    // the key strip draws them; the top key is a C.
    const qreal keysLeft = 2, keysRight = 19, top = 6, row = 52.0 / 7.0;
    for (int k = 0; k < 7; ++k) {
        const QRectF key(keysLeft, top + k * row, keysRight - keysLeft, row);
        p.fillRect(key, QColor(250, 248, 240));
        p.fillRect(QRectF(key.left(), key.top(), 2, key.height()), QColor(215, 212, 205));
        p.setPen(QPen(QColor(90, 90, 90), 0.8));
        p.drawLine(QPointF(key.left(), key.bottom()), QPointF(key.right(), key.bottom()));
    }
    for (const int k : {2, 3, 4, 6, 7}) { // B flat, G sharp, F sharp, D sharp, C sharp
        const QRectF black(keysLeft, top + k * row - row * 0.3, (keysRight - keysLeft) * 0.62,
                           row * 0.6);
        p.fillRect(black, QColor(20, 20, 20));
    }

    // The grid: unit lines by their weight, pitch rows in the pen grey.
    const qreal gridLeft = 21, gridRight = 62, unit = 5.2;
    for (int i = 0; gridLeft + i * unit < gridRight; ++i) {
        const QColor c = i % 8 == 0   ? QColor(250, 250, 250)
                         : i % 4 == 0 ? QColor(200, 200, 200)
                         : i % 2 == 0 ? QColor(150, 150, 150)
                                      : QColor(100, 100, 100);
        p.fillRect(QRectF(gridLeft + i * unit, 2, 0.7, 60), c);
    }
    p.setPen(QPen(QColor(150, 150, 150), 0.5));
    for (int r = 0; r <= 7; ++r)
        p.drawLine(QPointF(gridLeft, top + r * row), QPointF(gridRight, top + r * row));

    // A rising phrase: white notes, the last one selected.
    struct Note {
        int start, length, rowFromBottom;
        QColor colour;
    };
    const Note notes[] = {{0, 2, 1, QColor(255, 255, 255)},
                          {2, 1, 3, QColor(255, 255, 255)},
                          {3, 2, 4, QColor(255, 255, 255)},
                          {5, 3, 6, QColor(100, 100, 255)}};
    for (const Note& n : notes) {
        const qreal y = top + (6 - n.rowFromBottom) * row;
        p.fillRect(
            QRectF(gridLeft + n.start * unit + 0.8, y + 0.8, n.length * unit - 0.8, row - 0.8),
            n.colour);
    }
    p.setClipping(false);
    p.setPen(QPen(QColor(150, 150, 150), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUT.png OUT.ppm [ICON-FOLDER]\n", argv[0]);
        return 2;
    }
    QImage img(kWidth, kHeight, QImage::Format_RGB888);
    img.fill(kUnused);
    drawTransport(img);
    drawKeyPanel(img);
    drawKeyStrip(img);
    if (!img.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (!writePpm(img, argv[2])) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc == 4) {
        for (const int size : {32, 48, 256}) {
            const QString path = QString::fromLocal8Bit(argv[3]) +
                                 QStringLiteral("/quelo-tune-editor-%1.png").arg(size);
            if (!drawIcon(size).save(path, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
