#include "artlib.h"

#include <QFile>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace ml::art {

// ---------------------------------------------------------------------------------------------
// The root table

namespace {

std::optional<RootTable> fail(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<RootTable> RootTable::parse(const QByteArray& json, QString* error) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (doc.isNull()) return fail(error, pe.errorString());
    const QJsonObject root = doc.object();

    RootTable t;
    const QJsonArray zones = root.value(u"zones").toArray();
    if (zones.size() != 5) return fail(error, QStringLiteral("expected 5 zones"));
    for (const QJsonValue& v : zones) {
        const QJsonObject z = v.toObject();
        const int n = z.value(u"zone").toInt();
        if (n < 1 || n > 5) return fail(error, QStringLiteral("zone number out of range"));
        Zone& zone = t.zones[n - 1];
        zone.name = z.value(u"name").toString();
        zone.stroke = z.value(u"stroke").toString();
        for (const QJsonValue& note : z.value(u"notes").toArray()) zone.notes << note.toString();
    }

    for (const QJsonValue& v : root.value(u"keys").toArray()) {
        const QJsonObject k = v.toObject();
        const QString letter = k.value(u"key").toString().toLower();
        const int code = k.value(u"zone").toInt();
        if (letter.size() != 1 || letter[0] < u'a' || letter[0] > u'y')
            return fail(error, QStringLiteral("bad key \"%1\"").arg(letter));
        if (code / 10 < 1 || code / 10 > 5 || code % 10 < 1 || code % 10 > 5)
            return fail(error, QStringLiteral("bad zone code %1 for key %2").arg(code).arg(letter));
        KeyEntry e;
        e.letter = static_cast<char>(letter[0].unicode());
        e.zone = code / 10;
        e.position = code % 10;
        e.name = k.value(u"name").toString();
        e.shortCode = k.value(u"short").toString();
        e.rhyme = k.value(u"rhyme").toString();
        for (const QJsonValue& r : k.value(u"roots").toArray()) e.roots << r.toString();
        if (t.key(e.letter)) return fail(error, QStringLiteral("key %1 listed twice").arg(letter));
        t.keys << e;
    }
    if (t.keys.size() != 25) return fail(error, QStringLiteral("expected 25 keys"));
    std::sort(t.keys.begin(), t.keys.end(), [](const KeyEntry& a, const KeyEntry& b) {
        return a.zone * 10 + a.position < b.zone * 10 + b.position;
    });

    const QJsonObject shapes = root.value(u"shapes").toObject();
    for (auto it = shapes.begin(); it != shapes.end(); ++it) {
        const QJsonObject s = it.value().toObject();
        Shape shape;
        shape.label = s.value(u"label").toString();
        shape.ch = s.value(u"char").toString();
        for (const QJsonValue& pv : s.value(u"parts").toArray()) {
            const QJsonObject po = pv.toObject();
            ShapePart part;
            part.glyph = po.value(u"glyph").toString();
            QString why;
            if (po.contains(u"clip")) {
                part.clip = parseSvgPath(po.value(u"clip").toString(), &why);
                if (!why.isEmpty()) return fail(error, it.key() + QStringLiteral(": ") + why);
            }
            if (po.contains(u"stroke")) {
                part.stroke = parseSvgPath(po.value(u"stroke").toString(), &why);
                if (!why.isEmpty()) return fail(error, it.key() + QStringLiteral(": ") + why);
            }
            shape.parts << part;
        }
        t.shapes.insert(it.key(), shape);
    }
    for (const KeyEntry& e : t.keys)
        for (const QString& r : e.roots)
            if (r.startsWith(u'@') && !t.shapes.contains(r))
                return fail(error, QStringLiteral("no shape for %1").arg(r));
    return t;
}

std::optional<RootTable> RootTable::fromFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(error, path + QStringLiteral(": ") + f.errorString());
    auto t = parse(f.readAll(), error);
    if (!t && error) *error = path + QStringLiteral(": ") + *error;
    return t;
}

const RootTable& RootTable::builtIn() {
    static const RootTable table = [] {
        QString error;
        auto t = fromFile(QStringLiteral(":/ml/roots/wubi86_roots.json"), &error);
        return t ? *t : RootTable{};
    }();
    return table;
}

const KeyEntry* RootTable::key(char letter) const {
    for (const KeyEntry& k : keys)
        if (k.letter == letter) return &k;
    return nullptr;
}

QList<const KeyEntry*> RootTable::zoneKeys(int zone) const {
    QList<const KeyEntry*> out;
    for (const KeyEntry& k : keys)
        if (k.zone == zone) out << &k;
    return out;
}

const Shape* RootTable::shape(const QString& id) const {
    auto it = shapes.constFind(id);
    return it == shapes.constEnd() ? nullptr : &*it;
}

// ---------------------------------------------------------------------------------------------
// Path data

QPainterPath parseSvgPath(const QString& d, QString* error) {
    QPainterPath path;
    int i = 0;
    const int n = d.size();
    auto skip = [&] {
        while (i < n && (d[i].isSpace() || d[i] == u',')) ++i;
    };
    auto number = [&](bool* ok) -> qreal {
        skip();
        const int start = i;
        if (i < n && (d[i] == u'-' || d[i] == u'+')) ++i;
        while (i < n && (d[i].isDigit() || d[i] == u'.')) ++i;
        return d.mid(start, i - start).toDouble(ok);
    };
    QChar cmd;
    QPointF cur, start;
    while (true) {
        skip();
        if (i >= n) break;
        if (d[i].isLetter()) cmd = d[i++];
        if (cmd.isNull()) {
            if (error) *error = QStringLiteral("path data must begin with a command");
            return {};
        }
        const bool rel = cmd.isLower();
        const QPointF base = rel ? cur : QPointF();
        bool ok = true;
        auto pt = [&] {
            bool a = false, b = false;
            const qreal x = number(&a);
            const qreal y = number(&b);
            ok = ok && a && b;
            return base + QPointF(x, y);
        };
        switch (cmd.toUpper().unicode()) {
            case u'M':
                cur = start = pt();
                path.moveTo(cur);
                cmd = rel ? QChar(u'l') : QChar(u'L');  // further pairs are lines
                break;
            case u'L':
                cur = pt();
                path.lineTo(cur);
                break;
            case u'H': {
                const qreal x = number(&ok);
                cur.setX(rel ? cur.x() + x : x);
                path.lineTo(cur);
                break;
            }
            case u'V': {
                const qreal y = number(&ok);
                cur.setY(rel ? cur.y() + y : y);
                path.lineTo(cur);
                break;
            }
            case u'Q': {
                const QPointF c = pt();
                cur = pt();
                path.quadTo(c, cur);
                break;
            }
            case u'C': {
                const QPointF c1 = pt();
                const QPointF c2 = pt();
                cur = pt();
                path.cubicTo(c1, c2, cur);
                break;
            }
            case u'Z':
                path.closeSubpath();
                cur = start;
                cmd = QChar();
                break;
            default:
                ok = false;
        }
        if (!ok) {
            if (error) *error = QStringLiteral("bad path data near position %1").arg(i);
            return {};
        }
    }
    return path;
}

// ---------------------------------------------------------------------------------------------
// Drawing helpers

namespace {

const QString kKai = QStringLiteral("AR PL UKai CN");
const QString kSong = QStringLiteral("AR PL UMing CN");
const QString kUi = QStringLiteral("Noto Sans CJK SC");
const QString kLatin = QStringLiteral("DejaVu Sans");

// Colours of the window.
const QColor kInk(0x2B, 0x37, 0x45);     // headings
const QColor kText(0x4A, 0x56, 0x64);    // body text
const QColor kMuted(0x8A, 0x96, 0xA3);   // captions
const QColor kLine(0xDA, 0xE1, 0xE9);    // borders and dividers
const QColor kAccent(0x2F, 0x6B, 0xAE);  // buttons, icons
const QColor kLitRed(0xE0, 0x1E, 0x1E);  // letters on lit keys

QFont font(const QString& family, int px, int weight = QFont::Normal) {
    QFont f(family);
    f.setPixelSize(std::max(1, px));
    f.setWeight(static_cast<QFont::Weight>(weight));
    // Small text keeps crisp horizontal strokes; large text keeps the face's true shapes.
    f.setHintingPreference(px < 18 ? QFont::PreferVerticalHinting : QFont::PreferNoHinting);
    return f;
}

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(
        a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// A soft shadow under a rounded rectangle: stacked translucent outlines, each a little
// smaller and together darker towards the middle. Cheap enough to draw at start-up when a
// picture file is missing, and close to a blurred shadow at these sizes.
void shadow(QPainter& p, const QRectF& r, qreal radius, qreal blur, const QColor& c,
            const QPointF& offset = QPointF(0, 2)) {
    const int steps = std::max(3, int(std::ceil(blur)));
    QColor layer = c;
    layer.setAlphaF(c.alphaF() / steps);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(layer);
    for (int i = 0; i < steps; ++i) {
        const qreal grow = blur * (0.6 - (i + 0.5) / steps * 0.9);
        const QRectF rr = r.translated(offset).adjusted(-grow, -grow, grow, grow);
        p.drawRoundedRect(rr, std::max<qreal>(0, radius + grow), std::max<qreal>(0, radius + grow));
    }
    p.restore();
}

void card(QPainter& p, const QRectF& r, qreal radius = 10, const QColor& fill = Qt::white) {
    shadow(p, r, radius, 7, QColor(0x1E, 0x32, 0x50, 20), QPointF(0, 2));
    p.setPen(QPen(kLine, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// One line of text placed in a box.
void text(QPainter& p, const QRectF& box, const QString& s, const QFont& f, const QColor& c,
          Qt::Alignment align = Qt::AlignCenter) {
    p.setFont(f);
    p.setPen(c);
    p.drawText(box, int(align) | Qt::TextSingleLine, s);
}

qreal textWidth(const QFont& f, const QString& s) { return QFontMetricsF(f).horizontalAdvance(s); }

// Draws `s` in the root face with its ideographic em box on `box`.
void emText(QPainter& p, const QString& s, const QRectF& box, const QColor& c) {
    const int px = int(std::lround(box.height()));
    const QFont f = font(kUi, px);
    p.setFont(f);
    p.setPen(c);
    const qreal w = textWidth(f, s);
    // Noto Sans CJK draws its ideographs in an em box from 0.88 em above the baseline.
    p.drawText(QPointF(box.center().x() - w / 2, box.top() + 0.88 * px), s);
}

// ---------------------------------------------------------------------------------------------
// The keyboard chart of the background

struct Cell {
    char letter;
    QRectF rect;
    QRectF disc;  // where the key picture lies
};

struct KeyPos {
    char key;
    int x, y;
};
// The places of the 25 key pictures in the main window.
constexpr KeyPos kKeyPos[25] = {
    {'q', 216, 448}, {'w', 288, 448}, {'e', 352, 448}, {'r', 424, 448}, {'t', 496, 448},
    {'y', 568, 448}, {'u', 632, 448}, {'i', 704, 448}, {'o', 768, 448}, {'p', 840, 448},
    {'a', 256, 556}, {'s', 320, 556}, {'d', 392, 556}, {'f', 464, 556}, {'g', 536, 556},
    {'h', 600, 556}, {'j', 670, 556}, {'k', 736, 556}, {'l', 808, 560}, {'x', 352, 656},
    {'c', 424, 656}, {'v', 496, 656}, {'b', 568, 656}, {'n', 632, 656}, {'m', 704, 656}};

constexpr int kCellH = 80;
constexpr int kCellGap = 6;
constexpr int kRowTop[3] = {443, 549, 651};

// The key pictures are spaced unevenly (64 to 72 pixels apart). Equal gaps between the cells
// are what the eye checks first, so the gaps stay fixed and the unevenness is shared between the
// cell widths and where the picture sits in its cell, a few pixels each.
QList<Cell> keyboardCells() {
    QList<Cell> cells;
    for (int row = 0; row < 3; ++row) {
        QList<KeyPos> keys;
        for (const KeyPos& k : kKeyPos)
            if ((row == 0 && k.y < 500) || (row == 1 && k.y > 500 && k.y < 600) ||
                (row == 2 && k.y > 600))
                keys << k;
        const int n = int(keys.size());
        const qreal meanPitch = qreal(keys.last().x - keys.first().x) / (n - 1);
        const qreal width = meanPitch - kCellGap;
        const qreal inset = 5;  // wished-for distance of the picture from the cell's left edge
        // Least squares over the pictures' offsets in their cells: widths near the mean, offsets
        // near the inset. Small gradient steps settle it; the rows have ten keys at most.
        std::vector<qreal> off(n, inset);
        for (int it = 0; it < 4000; ++it) {
            std::vector<qreal> grad(n);
            for (int k = 0; k < n; ++k) grad[k] = 2 * (off[k] - inset);
            for (int k = 0; k + 1 < n; ++k) {
                const qreal w = keys[k + 1].x - keys[k].x - kCellGap + off[k] - off[k + 1];
                grad[k] += 2 * (w - width);
                grad[k + 1] -= 2 * (w - width);
            }
            for (int k = 0; k < n; ++k) off[k] -= 0.05 * grad[k];
        }
        for (int k = 0; k < n; ++k) {
            const qreal left = keys[k].x - std::round(off[k]);
            const qreal right = k + 1 < n ? keys[k + 1].x - std::round(off[k + 1]) - kCellGap
                                          : left + std::round(width);
            // L's picture lies 4 pixels below its row: its cell goes half of that way with it.
            const qreal top = kRowTop[row] + (keys[k].y - keys[0].y) / 2;
            const QRectF rect(left, top, right - left, kCellH);
            cells << Cell{keys[k].key, rect, QRectF(keys[k].x, keys[k].y, 29, 29)};
        }
    }
    return cells;
}

void drawCell(QPainter& p, const RootTable& t, const Cell& c) {
    const KeyEntry* k = t.key(c.letter);
    const QColor zc = zoneColor(k ? k->zone : 1);
    const QRectF r = c.rect.adjusted(0.5, 0.5, -0.5, -0.5);
    shadow(p, c.rect, 7, 3, QColor(0x1E, 0x32, 0x50, 26), QPointF(0, 1.5));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, mix(Qt::white, zc, 0.07));
    g.setColorAt(1, mix(Qt::white, zc, 0.13));
    p.setPen(QPen(mix(Qt::white, zc, 0.42), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 7, 7);

    // The letter's slot: the lit key picture covers it exactly.
    const QPointF centre = c.disc.center();
    p.setPen(QPen(mix(Qt::white, zc, 0.55), 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 12.6, 12.6);
    text(p, c.disc, QString(QChar(c.letter).toUpper()), font(kLatin, 15, QFont::Bold),
         mix(zc, Qt::black, 0.15));
    if (!k) return;

    // Key-name character beside the slot.
    const QRectF nameBox(c.disc.right() + 1, c.disc.top() - 2, r.right() - c.disc.right() - 3, 32);
    text(p, nameBox, k->name, font(kKai, 25), mix(zc, Qt::black, 0.3));

    QStringList roots = k->roots;
    roots.removeAll(k->name);
    // The other roots: at most four to a row, the rows as even as possible, in a fixed pitch
    // so that every cell's roots line up with its neighbours'.
    const qreal glyph = 14;
    const QRectF area(r.left() + 2, c.disc.bottom() + 1, r.width() - 4,
                      r.bottom() - c.disc.bottom() - 3);
    const int n = int(roots.size());
    const int rows = (n + 3) / 4;
    const qreal pitchX = 14.25, pitchY = 13.5;
    const qreal y0 = area.top() + std::max<qreal>(0, (area.height() - rows * pitchY) / 2);
    const QColor ink(0x33, 0x3C, 0x47);
    int i = 0;
    for (int row = 0; row < rows; ++row) {
        const int inRow = n / rows + (row < n % rows ? 1 : 0);
        const qreal x0 = area.center().x() - inRow * pitchX / 2;
        for (int col = 0; col < inRow; ++col, ++i) {
            const QRectF box(x0 + col * pitchX + (pitchX - glyph) / 2,
                             y0 + row * pitchY + (pitchY - glyph) / 2, glyph, glyph);
            drawRoot(p, t, roots[i], box, ink);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Small pictograms, drawn in a 24 × 24 box at `box`.

enum class Glyph { Clock, Speed, Target, Folder, Network, Gear, Lookup, Info, Course, Chart };

void pictogram(QPainter& p, Glyph g, const QRectF& box, const QColor& ink, qreal weight = 1.8) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24, box.height() / 24);
    const qreal w = weight * 24 / box.width();
    QPen pen(ink, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (g) {
        case Glyph::Clock:
            p.drawEllipse(QPointF(12, 12), 9, 9);
            p.drawPolyline(QPolygonF({QPointF(12, 7), QPointF(12, 12), QPointF(15.5, 14.5)}));
            break;
        case Glyph::Speed: {
            QPainterPath arc;
            arc.arcMoveTo(QRectF(3, 5, 18, 18), 200);
            arc.arcTo(QRectF(3, 5, 18, 18), 200, -220);
            p.drawPath(arc);
            p.drawLine(QPointF(12, 14), QPointF(16.5, 8.5));
            p.setBrush(ink);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(12, 14), 1.9, 1.9);
            break;
        }
        case Glyph::Target:
            p.drawEllipse(QPointF(12, 12), 9, 9);
            p.drawEllipse(QPointF(12, 12), 4.8, 4.8);
            p.setBrush(ink);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
            break;
        case Glyph::Folder: {
            QPainterPath f;
            f.moveTo(3, 7.5);
            f.lineTo(3, 18);
            f.quadTo(3, 19.5, 4.5, 19.5);
            f.lineTo(19.5, 19.5);
            f.quadTo(21, 19.5, 21, 18);
            f.lineTo(21, 9.5);
            f.quadTo(21, 8, 19.5, 8);
            f.lineTo(11.5, 8);
            f.lineTo(9.5, 5.5);
            f.lineTo(4.5, 5.5);
            f.quadTo(3, 5.5, 3, 7.5);
            p.drawPath(f);
            p.drawLine(QPointF(3.5, 11), QPointF(20.5, 11));
            break;
        }
        case Glyph::Network:
            p.drawEllipse(QPointF(12, 12), 9, 9);
            p.drawEllipse(QRectF(8, 3, 8, 18));
            p.drawLine(QPointF(3.5, 9), QPointF(20.5, 9));
            p.drawLine(QPointF(3.5, 15), QPointF(20.5, 15));
            break;
        case Glyph::Gear: {
            QPainterPath gear;
            const int teeth = 8;
            for (int i = 0; i < teeth * 2; ++i) {
                const qreal a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
                const qreal r = i % 2 ? 7.4 : 10;
                const QPointF p0(12 + r * std::cos(a0), 12 + r * std::sin(a0));
                const QPointF p1(12 + r * std::cos(a1), 12 + r * std::sin(a1));
                if (i == 0)
                    gear.moveTo(p0);
                else
                    gear.lineTo(p0);
                gear.lineTo(p1);
            }
            gear.closeSubpath();
            p.drawPath(gear);
            p.drawEllipse(QPointF(12, 12), 3.2, 3.2);
            break;
        }
        case Glyph::Lookup:
            p.drawEllipse(QPointF(10.5, 10.5), 7, 7);
            pen.setWidthF(w * 1.5);
            p.setPen(pen);
            p.drawLine(QPointF(15.8, 15.8), QPointF(20.5, 20.5));
            break;
        case Glyph::Course: {
            // A key cap with steps rising across it: the course, key by key.
            p.drawRoundedRect(QRectF(3, 3.5, 18, 17), 4, 4);
            p.drawPolyline(QPolygonF({QPointF(6.5, 16.5), QPointF(10, 16.5), QPointF(10, 12.5),
                                      QPointF(13.8, 12.5), QPointF(13.8, 8.5), QPointF(17.5, 8.5)}));
            break;
        }
        case Glyph::Info:
            p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(QPointF(12, 7.6), 1.5, 1.5);
            p.drawRoundedRect(QRectF(10.8, 10.3, 2.4, 7.6), 1.1, 1.1);
            break;
        case Glyph::Chart:
            // Three bars on a base line, outlined like the other icons: a record of progress.
            p.drawLine(QPointF(2.5, 21), QPointF(21.5, 21));
            p.drawRoundedRect(QRectF(4, 12.5, 4.2, 8.5), 1, 1);
            p.drawRoundedRect(QRectF(9.9, 4, 4.2, 17), 1, 1);
            p.drawRoundedRect(QRectF(15.8, 8.5, 4.2, 12.5), 1, 1);
            break;
    }
    p.restore();
}

// ---------------------------------------------------------------------------------------------
// The logo: an ink tile with 五 in brush script, hills in haze and the disc of a lit key.

void drawLogo(QPainter& p, const QRectF& r) {
    p.save();
    const qreal s = r.width();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x2E, 0x5A, 0x8C));
    g.setColorAt(1, QColor(0x1B, 0x30, 0x4D));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, s * 0.22, s * 0.22);
    // Two mountain ridges in haze across the lower part: the 岚 of the name.
    QPainterPath clip;
    clip.addRoundedRect(r, s * 0.22, s * 0.22);
    p.setClipPath(clip);
    auto ridge = [&](qreal base, const qreal(&peaks)[4]) {
        QPainterPath path;
        path.moveTo(r.left(), r.top() + s * base);
        path.cubicTo(r.left() + s * 0.22, r.top() + s * peaks[0], r.left() + s * 0.36,
                     r.top() + s * peaks[1], r.left() + s * 0.55, r.top() + s * peaks[2]);
        path.cubicTo(r.left() + s * 0.72, r.top() + s * (peaks[2] - 0.1), r.left() + s * 0.86,
                     r.top() + s * peaks[3], r.right(), r.top() + s * (peaks[3] - 0.04));
        path.lineTo(r.bottomRight());
        path.lineTo(r.bottomLeft());
        path.closeSubpath();
        return path;
    };
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawPath(ridge(0.70, {0.58, 0.66, 0.60, 0.70}));
    p.setBrush(QColor(255, 255, 255, 26));
    p.drawPath(ridge(0.86, {0.76, 0.84, 0.80, 0.86}));
    p.setClipping(false);
    QFont kai = font(kKai, int(s * 0.66));
    text(p, QRectF(r.left(), r.top() - s * 0.04, s, s), QStringLiteral("五"), kai,
         QColor(0xFA, 0xF7, 0xF0));
    // The lit key of the tutor.
    const QPointF c(r.left() + s * 0.76, r.top() + s * 0.25);
    QRadialGradient dg(c - QPointF(s * 0.03, s * 0.03), s * 0.14);
    dg.setColorAt(0, QColor(0xFF, 0xE9, 0x7A));
    dg.setColorAt(1, QColor(0xF5, 0xB8, 0x14));
    p.setBrush(dg);
    p.drawEllipse(c, s * 0.11, s * 0.11);
    p.restore();
}

// ---------------------------------------------------------------------------------------------
// Pictures

void drawBackground(QPainter& p, const RootTable& t) {
    const QRectF all(0, 0, 1021, 738);
    QLinearGradient bg(0, 0, 0, 738);
    bg.setColorAt(0, QColor(0xF4, 0xF6, 0xF9));
    bg.setColorAt(1, QColor(0xE6, 0xEB, 0xF1));
    p.fillRect(all, bg);

    // Header: the file-name field, the logo and (as separate pictures) the three buttons, the
    // course first, 18 pixels apart like the gaps around the logo.
    {
        const QRectF field(62, 23, 498, 30);
        shadow(p, field, 6, 4, QColor(0x1E, 0x32, 0x50, 22), QPointF(0, 1));
        p.setPen(QPen(QColor(0xCC, 0xD5, 0xDF), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(field.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        drawLogo(p, QRectF(578, 21, 34, 34));
    }

    // One card for the hints and the practice line, divided by a hairline.
    const QRectF main(62, 76, 900, 250);
    card(p, main);
    p.setPen(QPen(QColor(0xE6, 0xEB, 0xF0), 1));
    p.drawLine(QPointF(main.left() + 16, 200.5), QPointF(main.right() - 16, 200.5));
    {
        // A caption for the hint area. It lies under the cover pictures, so it shows only while
        // the hints are on.
        text(p, QRectF(90, 100, 120, 20), QStringLiteral("提示"), font(kUi, 14, QFont::Bold),
             QColor(0x9A, 0xA6, 0xB3), Qt::AlignLeft | Qt::AlignVCenter);
        text(p, QRectF(90, 122, 120, 18), QStringLiteral("下一个字怎么打"), font(kUi, 11),
             QColor(0xA9, 0xB3, 0xBE), Qt::AlignLeft | Qt::AlignVCenter);
    }
    {
        // A dot under each of the 28 places of the line, a stronger one every fifth, to keep
        // the place while typing.
        p.setPen(Qt::NoPen);
        for (int k = 0; k < 28; ++k) {
            const bool fifth = (k + 1) % 5 == 0;
            p.setBrush(fifth ? QColor(0xB8, 0xC4, 0xD1) : QColor(0xD4, 0xDC, 0xE5));
            p.drawEllipse(QPointF(98 + 29 * k + 14.5, 259), fifth ? 1.7 : 1.1, fifth ? 1.7 : 1.1);
        }
    }

    // Figures: time, speed, accuracy; the three tool buttons (separate pictures) at the right.
    const QRectF figures(62, 338, 900, 58);
    card(p, figures);
    {
        struct Fig {
            Glyph icon;
            QString caption;
            int valueX;
        };
        const Fig figs[3] = {{Glyph::Clock, QStringLiteral("时间"), 184},
                             {Glyph::Speed, QStringLiteral("速度"), 360},
                             {Glyph::Target, QStringLiteral("正确率"), 592}};
        const QFont cap = font(kUi, 14);
        for (const Fig& f : figs) {
            const qreal cw = textWidth(cap, f.caption);
            const qreal capRight = f.valueX - 12;
            const QRectF capBox(capRight - cw, 358, cw, 24);
            const QRectF icon(capBox.left() - 34, 355, 28, 28);
            p.setPen(Qt::NoPen);
            p.setBrush(mix(Qt::white, kAccent, 0.12));
            p.drawEllipse(icon);
            pictogram(p, f.icon, icon.adjusted(5, 5, -5, -5), kAccent, 1.7);
            text(p, capBox, f.caption, cap, kText, Qt::AlignLeft | Qt::AlignVCenter);
        }
        text(p, QRectF(398, 358, 60, 24), QStringLiteral("字/分"), font(kUi, 12), kMuted,
             Qt::AlignLeft | Qt::AlignVCenter);
        // Dividers between the figures and before the tools.
        p.setPen(QPen(QColor(0xE3, 0xE8, 0xEE), 1));
        for (qreal x : {268.5, 484.5, 736.5}) p.drawLine(QPointF(x, 350), QPointF(x, 384));
    }

    // The keyboard chart of the roots, on a sheet that runs off the bottom edge.
    const QRectF sheet(62, 408, 900, 360);
    card(p, sheet, 12, QColor(0xFD, 0xFE, 0xFE));
    {
        text(p, QRectF(84, 424, 150, 24), QStringLiteral("字根键盘"), font(kUi, 17, QFont::Bold),
             kInk, Qt::AlignLeft | Qt::AlignVCenter);
        text(p, QRectF(84, 449, 150, 18), QStringLiteral("五笔字型 86 版"), font(kUi, 11), kMuted,
             Qt::AlignLeft | Qt::AlignVCenter);
        // Zone legend.
        const QFont lf = font(kUi, 12);
        for (int z = 1; z <= 5; ++z) {
            const qreal y = 486 + (z - 1) * 22;
            const QColor zc = zoneColor(z);
            p.setPen(Qt::NoPen);
            p.setBrush(zc);
            p.drawRoundedRect(QRectF(86, y + 4, 12, 12), 3, 3);
            const Zone& zone = t.zones[z - 1];
            QString keys;
            for (const KeyEntry* k : t.zoneKeys(z)) keys += QChar(k->letter).toUpper();
            text(p, QRectF(104, y, 40, 20), zone.name.isEmpty() ? QString() : zone.name + u'区', lf,
                 kText, Qt::AlignLeft | Qt::AlignVCenter);
            text(p, QRectF(140, y, 70, 20), keys, font(kLatin, 10), kMuted,
                 Qt::AlignLeft | Qt::AlignVCenter);
        }
        // What a lit key means.
        const QRectF lit(86, 672, 22, 22);
        QRadialGradient dg(lit.center() - QPointF(2, 2), 12);
        dg.setColorAt(0, QColor(0xFF, 0xEB, 0x80));
        dg.setColorAt(1, QColor(0xF6, 0xC3, 0x1C));
        p.setPen(QPen(QColor(0xDB, 0x9E, 0x06), 1));
        p.setBrush(dg);
        p.drawEllipse(lit);
        text(p, lit, QStringLiteral("K"), font(kLatin, 12, QFont::Bold), kLitRed);
        text(p, QRectF(116, 664, 220, 18), QStringLiteral("亮起的键"), font(kUi, 12), kText,
             Qt::AlignLeft | Qt::AlignVCenter);
        text(p, QRectF(116, 683, 220, 18), QStringLiteral("就是下一个字或词的编码"), font(kUi, 11),
             kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (const Cell& c : keyboardCells()) drawCell(p, t, c);
}

void drawButton(QPainter& p, const QString& label, Glyph icon, bool hi) {
    const QRectF r(0.5, 0.5, 85, 22);
    QLinearGradient g(0, 0, 0, 23);
    if (hi) {
        g.setColorAt(0, QColor(0x3C, 0x7D, 0xC4));
        g.setColorAt(1, QColor(0x2A, 0x64, 0xA6));
        p.setPen(QPen(QColor(0x23, 0x58, 0x93), 1));
    } else {
        g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        g.setColorAt(1, QColor(0xEE, 0xF2, 0xF6));
        p.setPen(QPen(QColor(0xC3, 0xCD, 0xD8), 1));
    }
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    const QColor ink = hi ? Qt::white : QColor(0x2F, 0x4A, 0x68);
    const QFont f = font(kUi, 12);
    const qreal tw = textWidth(f, label);
    const qreal left = (86 - (14 + 5 + tw)) / 2;
    pictogram(p, icon, QRectF(left, 4.5, 14, 14), hi ? Qt::white : kAccent, 1.4);
    text(p, QRectF(left + 19, 0, tw + 2, 23), label, f, ink, Qt::AlignLeft | Qt::AlignVCenter);
}

void drawCommand(QPainter& p, int which, bool hi) {
    const Glyph g[4] = {Glyph::Gear, Glyph::Lookup, Glyph::Info, Glyph::Chart};
    if (hi) {
        p.setPen(Qt::NoPen);
        p.setBrush(mix(Qt::white, kAccent, 0.14));
        p.drawRoundedRect(QRectF(2, 2, 40, 36), 9, 9);
    }
    const QColor ink = hi ? kAccent : QColor(0x6B, 0x7A, 0x8A);
    pictogram(p, g[which], QRectF(10, 8, 24, 24), ink, 1.9);
    if (which == 1) {
        // The lookup dialog looks characters up: a 字 in the lens.
        text(p, QRectF(12.5, 10.5, 15, 15), QStringLiteral("字"), font(kUi, 9, QFont::Bold), ink);
    }
}

void drawLegend(QPainter& p) {
    p.fillRect(QRectF(0, 0, 855, 73), Qt::white);
    struct Item {
        const char* key;
        QString what;
    };
    const QString groups[2] = {QStringLiteral("拆字图"), QStringLiteral("编码提示")};
    const Item items[4] = {{"F1", QStringLiteral("临时显示")},
                           {"F2", QStringLiteral("一直显示")},
                           {"F3", QStringLiteral("临时显示")},
                           {"F4", QStringLiteral("一直显示")}};
    const QColor ink(0xA6, 0xB1, 0xBD);
    const QColor capFill(0xF5, 0xF7, 0xFA);
    const QColor capLine(0xDA, 0xE1, 0xE8);
    const QFont gf = font(kUi, 13);
    const QFont kf = font(kLatin, 11, QFont::Bold);
    const QFont tf = font(kUi, 13);
    for (int gi = 0; gi < 2; ++gi) {
        const qreal x0 = 92 + gi * 380;
        text(p, QRectF(x0, 10, 200, 18), groups[gi], gf, mix(ink, Qt::black, 0.12),
             Qt::AlignLeft | Qt::AlignVCenter);
        for (int j = 0; j < 2; ++j) {
            const Item& it = items[gi * 2 + j];
            const QRectF cap(x0 + j * 150, 36, 30, 24);
            p.setPen(QPen(capLine, 1));
            p.setBrush(capFill);
            p.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, 1.5), 5, 5);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRoundedRect(cap.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
            text(p, cap, QString::fromLatin1(it.key), kf, ink);
            text(p, QRectF(cap.right() + 8, 36, 100, 24), it.what, tf, ink,
                 Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    p.setPen(QPen(QColor(0xEA, 0xEE, 0xF2), 1));
    p.drawLine(QPointF(427.5, 16), QPointF(427.5, 58));
}

void drawKey(QPainter& p, char letter) {
    const QPointF c(14.5, 14.5);
    // A faint halo, so a lit key stands out on every zone's colour.
    QRadialGradient halo(c, 14.5);
    halo.setColorAt(0.80, QColor(0xF5, 0xB8, 0x14, 90));
    halo.setColorAt(1.0, QColor(0xF5, 0xB8, 0x14, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(c, 14.5, 14.5);
    QRadialGradient g(c - QPointF(3, 4), 15);
    g.setColorAt(0, QColor(0xFF, 0xF1, 0x9A));
    g.setColorAt(0.55, QColor(0xFF, 0xD4, 0x38));
    g.setColorAt(1, QColor(0xF2, 0xB1, 0x0C));
    p.setPen(QPen(QColor(0xD6, 0x94, 0x00), 1));
    p.setBrush(g);
    p.drawEllipse(c, 13, 13);
    text(p, QRectF(0, 0, 29, 29), QString(QChar(letter).toUpper()), font(kLatin, 17, QFont::Bold),
         kLitRed);
}

// The ring round the key to press next in a drill; the lit key picture shows through it.
void drawNextKey(QPainter& p) {
    const QPointF c(18.5, 18.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x2F, 0x6B, 0xAE, 70), 6));
    p.drawEllipse(c, 15.5, 15.5);
    p.setPen(QPen(QColor(0x2F, 0x6B, 0xAE), 2.4));
    p.drawEllipse(c, 16, 16);
}

// The space bar, which the chart of letter keys has no cell for, lit as the next key.
void drawSpaceKey(QPainter& p) {
    const QRectF r(1.5, 1.5, 83, 26);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xFF, 0xF1, 0x9A));
    g.setColorAt(1, QColor(0xF2, 0xB1, 0x0C));
    p.setPen(QPen(QColor(0x2F, 0x6B, 0xAE), 2.4));
    p.setBrush(g);
    p.drawRoundedRect(r, 8, 8);
    text(p, r, QStringLiteral("空格"), font(kUi, 13, QFont::Bold), kLitRed);
}

// A keyboard sketch with both hands, the hand that types the zone reaching for its row.
void drawHands(QPainter& p, const RootTable& t, const QRectF& area, int zone) {
    const qreal k = 17, gap = 2.5, pitch = k + gap;
    const char* rows[3] = {"qwertyuiop", "asdfghjkl;", "zxcvbnm,./"};
    const qreal stagger[3] = {0, 0.3 * pitch, 0.75 * pitch};
    const qreal x0 = area.left() + 4, y0 = area.top() + 4;
    const QColor zc = zoneColor(zone);
    auto keyRect = [&](int row, int col) {
        return QRectF(x0 + stagger[row] + col * pitch, y0 + row * pitch, k, k);
    };
    // Which row the zone's keys are on, and which hand types them.
    const int zoneRow[5] = {1, 1, 0, 0, 2};
    const QFont lf = font(kLatin, 9, QFont::Bold);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 10; ++col) {
            const char ch = rows[row][col];
            const QRectF r = keyRect(row, col);
            const KeyEntry* e = t.key(ch);
            const int kz = e ? e->zone : 0;
            const bool on = kz == zone;
            p.setPen(QPen(on ? zc.darker(110) : QColor(0xD5, 0xDC, 0xE4), 1));
            p.setBrush(on ? zc : (kz ? QColor(0xF4, 0xF6, 0xF9) : QColor(0xEC, 0xEF, 0xF3)));
            p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3.5, 3.5);
            if (ch >= 'a' && ch <= 'z')
                text(p, r, QString(QChar(ch).toUpper()), lf,
                     on ? Qt::white : (kz ? QColor(0x8D, 0x99, 0xA6) : QColor(0xC0, 0xC8, 0xD1)));
        }
    }
    // Space bar.
    const QRectF space(x0 + 2.5 * pitch, y0 + 3 * pitch, 5 * pitch, k * 0.7);
    p.setPen(QPen(QColor(0xD5, 0xDC, 0xE4), 1));
    p.setBrush(QColor(0xEC, 0xEF, 0xF3));
    p.drawRoundedRect(space, 3.5, 3.5);

    // Hands come up from the lower edge; the fingertips rest on the lower rim of their keys, so
    // the letters stay readable. The hand that types the zone is drawn in full, the other faint.
    const int zr = zoneRow[zone - 1];
    const bool leftActive = zone == 1 || zone == 3 || zone == 5;
    const bool rightActive = zone == 2 || zone == 4 || zone == 5;
    for (int side = 0; side < 2; ++side) {
        const bool left = side == 0;
        const bool active = left ? leftActive : rightActive;
        const int row = active ? zr : 1;
        // Little, ring, middle, index finger: their columns and lengths.
        const int cols[4] = {left ? 0 : 9, left ? 1 : 8, left ? 2 : 7, left ? 3 : 6};
        const qreal length[4] = {18, 24, 27, 24};
        const qreal fw = 11;
        QPointF tips[4];
        for (int f = 0; f < 4; ++f) {
            const QRectF kr = keyRect(row, cols[f]);
            tips[f] = QPointF(kr.center().x() + (left ? 1 : -1) * (f - 1.5) * 0.8, kr.bottom() + 1);
        }
        const qreal knuckles = tips[2].y() + length[2];
        QPainterPath hand;
        hand.setFillRule(Qt::WindingFill);
        for (int f = 0; f < 4; ++f) {
            const qreal base = std::max(tips[f].y() + length[f], knuckles - 2);
            hand.addRoundedRect(
                QRectF(tips[f].x() - fw / 2, tips[f].y() - fw / 2, fw, base - tips[f].y() + fw),
                fw / 2, fw / 2);
        }
        const qreal palmL = std::min(tips[0].x(), tips[3].x()) - fw / 2 - 1;
        const qreal palmR = std::max(tips[0].x(), tips[3].x()) + fw / 2 + 1;
        hand.addRoundedRect(QRectF(palmL, knuckles - 4, palmR - palmL, 70), 14, 14);
        // The thumb leans in towards the space bar.
        const qreal inner = left ? palmR : palmL;
        QPainterPath thumb;
        thumb.addRoundedRect(QRectF(-fw / 2, -26, fw, 30), fw / 2, fw / 2);
        QTransform turn;
        turn.translate(inner + (left ? -5 : 5), knuckles + 24);
        turn.rotate(left ? 38 : -38);
        hand.addPath(turn.map(thumb));
        const QPainterPath outline = hand.simplified();
        p.setPen(QPen(active ? QColor(0xB9, 0x86, 0x62) : QColor(0xB9, 0xAE, 0xA4, 110), 1));
        p.setBrush(active ? QColor(0xF7, 0xD9, 0xBF, 225) : QColor(0xF1, 0xE9, 0xE1, 110));
        p.drawPath(outline);
        // Nails, as a hint of which way the fingers point.
        if (active) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xFF, 0xF2, 0xE6, 230));
            for (const QPointF& tip : tips)
                p.drawRoundedRect(QRectF(tip.x() - 2.2, tip.y() - 2.5, 4.4, 5), 2, 2);
        }
    }
}

void drawChart(QPainter& p, const RootTable& t, int zone) {
    const QColor zc = zoneColor(zone);
    const QColor dark = mix(zc, Qt::black, 0.35);
    p.fillRect(QRectF(0, 0, 800, 293), QColor(0xFB, 0xFC, 0xFD));
    const Zone& z = t.zones[zone - 1];
    const QList<const KeyEntry*> keys = t.zoneKeys(zone);

    // The zone's name in large script on a band of its colour.
    {
        const QRectF band(0, 0, 148, 293);
        QLinearGradient g(band.topLeft(), band.bottomRight());
        g.setColorAt(0, mix(zc, Qt::white, 0.08));
        g.setColorAt(1, mix(zc, Qt::black, 0.22));
        p.fillRect(band, g);
        // A brush-like ring behind the name.
        p.setPen(QPen(QColor(255, 255, 255, 40), 2));
        p.setBrush(QColor(255, 255, 255, 22));
        p.drawEllipse(QPointF(74, 100), 56, 56);
        text(p, QRectF(0, 34, 148, 130), z.name, font(kKai, 104), Qt::white);
        static const char* const ordinal[5] = {"一", "二", "三", "四", "五"};
        text(p, QRectF(0, 170, 148, 22),
             QStringLiteral("第%1区 · %2起笔").arg(QString::fromUtf8(ordinal[zone - 1]), z.name),
             font(kUi, 13), QColor(255, 255, 255, 235));
        QString letters;
        for (const KeyEntry* k : keys) letters += QString(QChar(k->letter).toUpper()) + u' ';
        text(p, QRectF(0, 196, 148, 20), letters.trimmed(), font(kLatin, 12, QFont::Bold),
             QColor(255, 255, 255, 200));
        text(p, QRectF(0, 222, 148, 18),
             QStringLiteral("%1 – %2").arg(zone * 10 + 1).arg(zone * 10 + 5), font(kLatin, 11),
             QColor(255, 255, 255, 170));
    }

    // Five key tiles.
    const qreal tileW = 120, tileGap = 6, tileTop = 10, tileH = 188;
    for (int i = 0; i < keys.size(); ++i) {
        const KeyEntry& k = *keys[i];
        const QRectF tile(160 + i * (tileW + tileGap), tileTop, tileW, tileH);
        shadow(p, tile, 10, 5, QColor(0x1E, 0x32, 0x50, 24), QPointF(0, 2));
        p.setPen(QPen(mix(Qt::white, zc, 0.35), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        // Header: letter, zone and place number, key-name character.
        QPainterPath head;
        head.addRoundedRect(tile.adjusted(0.5, 0.5, -0.5, 0), 10, 10);
        QPainterPath cut;
        cut.addRect(QRectF(tile.left(), tile.top(), tile.width(), 44));
        p.setPen(Qt::NoPen);
        p.setBrush(mix(Qt::white, zc, 0.12));
        p.drawPath(head.intersected(cut));
        const QRectF disc(tile.left() + 9, tile.top() + 8, 28, 28);
        p.setBrush(zc);
        p.drawEllipse(disc);
        text(p, disc, QString(QChar(k.letter).toUpper()), font(kLatin, 16, QFont::Bold), Qt::white);
        text(p, QRectF(disc.right() + 6, tile.top() + 8, 30, 28),
             QString::number(k.zone * 10 + k.position), font(kLatin, 12, QFont::Bold),
             mix(zc, Qt::white, 0.15), Qt::AlignLeft | Qt::AlignVCenter);
        text(p, QRectF(tile.right() - 48, tile.top() + 2, 44, 42), k.name, font(kKai, 34), dark);

        // All roots of the key, five to a row.
        const qreal g = 19, pitch = 22.5;
        const int cols = 5;
        for (int r = 0; r < k.roots.size(); ++r) {
            const int row = r / cols, col = r % cols;
            const int inRow = std::min<int>(cols, int(k.roots.size()) - row * cols);
            const qreal x0 = tile.left() + (tileW - inRow * pitch) / 2;
            const QRectF box(x0 + col * pitch + (pitch - g) / 2, tile.top() + 51 + row * 24, g, g);
            drawRoot(p, t, k.roots[r], box, r == 0 ? dark : QColor(0x2C, 0x35, 0x40));
        }

        // The first-level short code in large type.
        const qreal sy = tile.top() + 99;
        p.setPen(QPen(QColor(0xE8, 0xEC, 0xF0), 1));
        p.drawLine(QPointF(tile.left() + 12, sy + 0.5), QPointF(tile.right() - 12, sy + 0.5));
        text(p, QRectF(tile.left() + 10, sy + 5, 16, 14), QStringLiteral("简"), font(kUi, 10),
             kMuted);
        text(p, QRectF(tile.left() + 10, sy + 20, 16, 14), QStringLiteral("码"), font(kUi, 10),
             kMuted);
        text(p, QRectF(tile.left() + 30, sy + 1, tileW - 40, 38), k.shortCode, font(kSong, 34),
             kInk);
        // The mnemonic verse, one clause to a line, at the foot of the tile.
        const QStringList lines = k.rhyme.split(u'，', Qt::SkipEmptyParts);
        QFont rf = font(kKai, 13);
        while (rf.pixelSize() > 9) {
            bool fits = true;
            for (const QString& l : lines) fits = fits && textWidth(rf, l) <= tileW - 10;
            if (fits) break;
            rf.setPixelSize(rf.pixelSize() - 1);
        }
        // The foot has room for three lines on every tile, so the tiles match.
        const qreal lh = 14;
        const QRectF footBox(tile.left(), tile.top() + 140, tileW, tileH - 140);
        p.setPen(Qt::NoPen);
        p.setBrush(mix(Qt::white, zc, 0.07));
        QPainterPath foot;
        foot.addRoundedRect(tile.adjusted(0.5, 0, -0.5, -0.5), 10, 10);
        QPainterPath footCut;
        footCut.addRect(footBox);
        p.drawPath(foot.intersected(footCut));
        const qreal top = footBox.center().y() - lh * lines.size() / 2;
        for (int l = 0; l < lines.size(); ++l)
            text(p, QRectF(tile.left() + 4, top + l * lh, tileW - 8, lh), lines[l], rf,
                 mix(zc, Qt::black, 0.25));
    }

    // Keyboard sketch with the hands on the zone.
    drawHands(p, t, QRectF(160, 206, 250, 87), zone);

    // Notes on roots easily taken for those of other zones.
    const qreal nx = 420;
    text(p, QRectF(nx, 206, 200, 18), QStringLiteral("易混字根"), font(kUi, 12, QFont::Bold), dark,
         Qt::AlignLeft | Qt::AlignVCenter);
    QFont nf = font(kUi, 12);
    const int notes = std::min<int>(4, int(z.notes.size()));
    for (int i = 0; i < notes; ++i)
        while (nf.pixelSize() > 9 && textWidth(nf, z.notes[i]) > 372)
            nf.setPixelSize(nf.pixelSize() - 1);
    for (int i = 0; i < notes; ++i) {
        const qreal y = 226 + i * 16.5;
        p.setPen(Qt::NoPen);
        p.setBrush(zc);
        p.drawEllipse(QPointF(nx + 3, y + 8.5), 2, 2);
        text(p, QRectF(nx + 10, y, 372, 17), z.notes[i], nf, kText,
             Qt::AlignLeft | Qt::AlignVCenter);
    }
}

// 拆 taken apart three times, one of its roots 扌 斤 丶 lit in each.
void drawFinditPlaceholder(QPainter& p) {
    p.fillRect(QRectF(0, 0, 217, 52), Qt::white);
    // A glyph of `f`, its ink box stretched onto `to`.
    auto glyphIn = [](const QFont& f, const QString& s, const QRectF& to) {
        QPainterPath path;
        path.addText(0, 0, f, s);
        const QRectF ink = path.boundingRect();
        if (ink.isEmpty()) return QPainterPath();
        QTransform tr;
        tr.translate(to.left(), to.top());
        tr.scale(to.width() / ink.width(), to.height() / ink.height());
        tr.translate(-ink.left(), -ink.top());
        return tr.map(path);
    };
    const QFont kai = font(kKai, 200);  // only the outlines are used, stretched onto their boxes
    const QFont letterFont = font(kLatin, 10, QFont::Black);
    const QFont rootFont = font(kKai, 12);
    const QColor ink(0x9A, 0x9A, 0x9A);
    const QColor hot(0xD6, 0x2A, 0x24);
    const QColor frame(0xE4, 0xDC, 0xCF);
    const QColor paper(0xFC, 0xF8, 0xF0);
    const QString names[3] = {QStringLiteral("扌"), QStringLiteral("斤"), QStringLiteral("丶")};
    const QString keys[3] = {QStringLiteral("R"), QStringLiteral("R"), QStringLiteral("Y")};
    const qreal panelW = 217.0 / 3;
    for (int i = 0; i < 3; ++i) {
        const QRectF panel(i * panelW + 3, 2, panelW - 6, 48);
        p.setPen(QPen(frame, 1));
        p.setBrush(paper);
        p.drawRoundedRect(panel, 5, 5);
        // 拆 is put together from its three roots, so each can be coloured on its own whatever
        // Kai face the machine has: 扌 on the left, 斤 on the right, and the dot of 斥 running
        // down to the right under 斤's bar.
        const qreal g = 31;
        const QRectF box(panel.center().x() - g / 2, panel.top() + 3, g, g);
        auto at = [&box](qreal l, qreal t, qreal w, qreal h) {
            return QRectF(box.left() + l * box.width(), box.top() + t * box.height(),
                          w * box.width(), h * box.height());
        };
        const QRectF jin = at(0.40, 0.03, 0.60, 0.97);
        const QPainterPath parts[3] = {
            glyphIn(kai, names[0], at(0.0, 0.0, 0.42, 1.0)),
            glyphIn(kai, names[1], jin),
            glyphIn(kai, names[2],
                    QRectF(jin.left() + 0.40 * jin.width(), jin.top() + 0.52 * jin.height(),
                           0.58 * jin.width(), 0.22 * jin.height())),
        };
        for (int k = 0; k < 3; ++k)
            if (k != i) p.fillPath(parts[k], ink);
        p.fillPath(parts[i], hot);
        // Under the character: the root and the key it sits on.
        const QRectF legend(panel.left(), box.bottom() + 1, panel.width(),
                            panel.bottom() - box.bottom() - 2);
        const qreal gap = 3;
        const qreal width = textWidth(rootFont, names[i]) + gap + textWidth(letterFont, keys[i]);
        const qreal left = legend.center().x() - width / 2;
        text(p, QRectF(left, legend.top(), width, legend.height()), names[i], rootFont, hot,
             Qt::AlignLeft | Qt::AlignVCenter);
        text(p, QRectF(left, legend.top(), width, legend.height()), keys[i], letterFont, hot,
             Qt::AlignRight | Qt::AlignVCenter);
    }
}

// The settings dialog's picture: a key cap with a gear, in the logo's ink.
void drawSettingsPicture(QPainter& p) {
    const QRectF r(1.5, 1.5, 50, 50);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x2E, 0x5A, 0x8C));
    g.setColorAt(1, QColor(0x1B, 0x30, 0x4D));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, 11, 11);
    // A key cap seen from above.
    const QRectF cap(9, 8, 35, 33);
    p.setBrush(QColor(0xF6, 0xF8, 0xFB));
    p.drawRoundedRect(cap.translated(0, 3), 7, 7);
    p.setBrush(QColor(0xFF, 0xFF, 0xFF));
    p.drawRoundedRect(cap, 7, 7);
    text(p, QRectF(cap.left() + 5, cap.top() + 3, 20, 14), QStringLiteral("F1"),
         font(kLatin, 10, QFont::Bold), QColor(0x2E, 0x5A, 0x8C), Qt::AlignLeft | Qt::AlignVCenter);
    pictogram(p, Glyph::Gear, QRectF(cap.left() + 15, cap.top() + 13, 18, 18),
              QColor(0x2E, 0x5A, 0x8C), 1.9);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

QColor zoneColor(int zone) {
    static const QColor c[5] = {
        QColor(0x2F, 0x74, 0xC0),  // 横 blue
        QColor(0x25, 0x96, 0x6B),  // 竖 green
        QColor(0xD9, 0x7A, 0x1E),  // 撇 amber
        QColor(0x84, 0x55, 0xC2),  // 点 violet
        QColor(0xCC, 0x3F, 0x5A),  // 折 rose
    };
    return c[std::clamp(zone, 1, 5) - 1];
}

void drawRoot(QPainter& p, const RootTable& table, const QString& root, const QRectF& box,
              const QColor& color) {
    if (!root.startsWith(u'@')) {
        emText(p, root, box, color);
        return;
    }
    const Shape* shape = table.shape(root);
    if (!shape) return;
    QTransform tr;
    tr.translate(box.left(), box.top());
    tr.scale(box.width() / 100, box.height() / 100);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const QFont em = font(kUi, 100);
    for (const ShapePart& part : shape->parts) {
        if (!part.glyph.isEmpty()) {
            QPainterPath g;
            g.setFillRule(Qt::WindingFill);
            g.addText(QPointF((100 - textWidth(em, part.glyph)) / 2, 88), em, part.glyph);
            if (!part.clip.isEmpty()) g = g.intersected(part.clip);
            p.drawPath(tr.map(g));
        }
        if (!part.stroke.isEmpty()) {
            QPainterPathStroker st;
            st.setWidth(7.6);  // the stem of the root face's ideographs
            st.setCapStyle(Qt::RoundCap);
            st.setJoinStyle(Qt::RoundJoin);
            p.drawPath(tr.map(st.createStroke(part.stroke)));
        }
    }
    p.restore();
}

QPoint keyPicturePos(char letter) {
    for (const KeyPos& k : kKeyPos)
        if (k.key == letter) return {k.x, k.y};
    return {};
}

QList<QPair<char, QRectF>> keyboardCellRects() {
    QList<QPair<char, QRectF>> out;
    for (const Cell& c : keyboardCells()) out.append({c.letter, c.rect});
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

}  // namespace ml::art

namespace ml::art {

const QList<PictureSpec>& pictures() {
    static const QList<PictureSpec> list = [] {
        QList<PictureSpec> l;
        auto add = [&l](const QString& file, QSize size,
                        std::function<void(QPainter&, const RootTable&)> draw) {
            l.append(PictureSpec{file, size, std::move(draw)});
        };
        auto white = [](QPainter& p, const RootTable&) {
            p.fillRect(QRectF(0, 0, 2000, 2000), Qt::white);
        };
        add(QStringLiteral("background.png"), {1021, 738}, drawBackground);
        const struct {
            const char* file;
            const char* label;
            Glyph icon;
            bool hi;
        } buttons[6] = {{"open.png", "打开练习", Glyph::Folder, false},
                        {"open_hi.png", "打开练习", Glyph::Folder, true},
                        {"remote.png", "远程练习", Glyph::Network, false},
                        {"remote_hi.png", "远程练习", Glyph::Network, true},
                        {"course.png", "五笔课程", Glyph::Course, false},
                        {"course_hi.png", "五笔课程", Glyph::Course, true}};
        for (const auto& b : buttons) {
            const QString label = QString::fromUtf8(b.label);
            const Glyph icon = b.icon;
            const bool hi = b.hi;
            add(QString::fromLatin1(b.file), {86, 23},
                [=](QPainter& p, const RootTable&) { drawButton(p, label, icon, hi); });
        }
        for (int i = 0; i < 4; ++i) {
            add(QStringLiteral("cmd%1.png").arg(i + 1), {44, 40},
                [i](QPainter& p, const RootTable&) { drawCommand(p, i, false); });
            add(QStringLiteral("cmd%1_hi.png").arg(i + 1), {44, 40},
                [i](QPainter& p, const RootTable&) { drawCommand(p, i, true); });
        }
        add(QStringLiteral("drill_next.png"), {37, 37},
            [](QPainter& p, const RootTable&) { drawNextKey(p); });
        add(QStringLiteral("drill_space.png"), {86, 29},
            [](QPainter& p, const RootTable&) { drawSpaceKey(p); });
        add(QStringLiteral("helphide.png"), {855, 73},
            [](QPainter& p, const RootTable&) { drawLegend(p); });
        add(QStringLiteral("hidehelp.png"), {855, 73}, white);
        add(QStringLiteral("white_ci.png"), {217, 52}, white);
        add(QStringLiteral("white_bai.png"), {173, 56}, white);
        for (char c = 'a'; c <= 'y'; ++c)
            add(QStringLiteral("key_%1.png").arg(QLatin1Char(c)), {29, 29},
                [c](QPainter& p, const RootTable&) { drawKey(p, c); });
        for (int z = 1; z <= 5; ++z)
            add(QStringLiteral("chart%1.png").arg(z), {800, 293},
                [z](QPainter& p, const RootTable& t) { drawChart(p, t, z); });
        add(QStringLiteral("findit_placeholder.png"), {217, 52},
            [](QPainter& p, const RootTable&) { drawFinditPlaceholder(p); });
        add(QStringLiteral("settings.png"), {53, 53},
            [](QPainter& p, const RootTable&) { drawSettingsPicture(p); });
        add(QStringLiteral("about.png"), {64, 64},
            [](QPainter& p, const RootTable&) { drawLogo(p, QRectF(2, 2, 60, 60)); });
        return l;
    }();
    return list;
}

const PictureSpec* picture(const QString& file) {
    for (const PictureSpec& s : pictures())
        if (s.file == file) return &s;
    return nullptr;
}

QImage render(const PictureSpec& spec, const RootTable& table, qreal scale) {
    QImage img(spec.size * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    img.setDevicePixelRatio(scale);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
    spec.draw(p, table);
    p.end();
    return img;
}

QImage render(const QString& file, const RootTable& table, qreal scale) {
    const PictureSpec* spec = picture(file);
    return spec ? render(*spec, table, scale) : QImage();
}

QImage appIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal m = size * 0.06;
    drawLogo(p, QRectF(m, m, size - 2 * m, size - 2 * m));
    p.end();
    return img;
}

}  // namespace ml::art
