#pragma once
// The tutor's pictures, drawn from the Wubi 86 root table. The build draws every picture into the
// program folder's "图片" folder once; the window draws a picture itself only when its file is
// missing, with the same code and the table compiled in.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class QPainter;

namespace ml::art {

// One piece of a root that has no character of its own: a glyph cut out by a clip path, or a
// stroked line. Coordinates are in a 100 × 100 ideographic em box (0, 0 at its top left).
struct ShapePart {
    QString glyph;
    QPainterPath clip;
    QPainterPath stroke;
};

struct Shape {
    QString label;  // what learners call it, e.g. "革字底"
    QString ch;     // a code point for it, when one exists but fonts lack the glyph
    QList<ShapePart> parts;
};

struct KeyEntry {
    char letter = 'a';  // 'a' … 'y'
    int zone = 1;       // 1 横, 2 竖, 3 撇, 4 点, 5 折
    int position = 1;   // 1 … 5 within the zone
    QString name;       // key-name character
    QString shortCode;  // the character this key alone types
    QStringList roots;  // characters, or "@…" ids of shapes
    QString rhyme;      // the mnemonic verse
};

struct Zone {
    QString name;    // 横 竖 撇 点 折
    QString stroke;  // 一 丨 丿 丶 乙
    QStringList notes;
};

class RootTable {
public:
    static std::optional<RootTable> parse(const QByteArray& json, QString* error);
    static std::optional<RootTable> fromFile(const QString& path, QString* error);
    // The table compiled into the program; empty if it was left out.
    static const RootTable& builtIn();

    const KeyEntry* key(char letter) const;
    QList<const KeyEntry*> zoneKeys(int zone) const;  // in zone order
    const Shape* shape(const QString& id) const;

    QList<KeyEntry> keys;
    std::array<Zone, 5> zones;
    QHash<QString, Shape> shapes;
};

// A subset of SVG path data (M L H V Q C Z, absolute and relative).
QPainterPath parseSvgPath(const QString& d, QString* error = nullptr);

QColor zoneColor(int zone);  // zone 1 … 5

// Draws one root into a square em box: a character in the root face, or a shape.
void drawRoot(QPainter& p, const RootTable& table, const QString& root, const QRectF& box,
              const QColor& color);

// Every picture of the program folder's "图片" folder. Sizes are at 1×; the @2x files are twice
// as large.
struct PictureSpec {
    QString file;  // "background.png"
    QSize size;
    std::function<void(QPainter&, const RootTable&)> draw;
};
const QList<PictureSpec>& pictures();
const PictureSpec* picture(const QString& file);

// The picture drawn at `scale`, with its device pixel ratio set to `scale`.
QImage render(const PictureSpec& spec, const RootTable& table, qreal scale);
QImage render(const QString& file, const RootTable& table, qreal scale);

// The application icon, square, at `size` device pixels.
QImage appIcon(int size);

// Where the 25 key pictures lie in the main window (29 × 29 each).
QPoint keyPicturePos(char letter);

// The cells of the root keyboard chart that the background draws, in window coordinates, a … y:
// the statistics colour them over a copy of the chart.
QList<QPair<char, QRectF>> keyboardCellRects();

}  // namespace ml::art
