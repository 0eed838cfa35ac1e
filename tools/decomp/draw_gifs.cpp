// Draws the decomposition pictures of the program folder: for each character of splits.tsv,
// "拆字图/<character>.gif" (219 × 54) and "<character>@2x.gif" (438 × 108).
//
// Two blocks. The left 108 px, all that the word hint shows of a picture, hold the character and
// its full code, each letter in the colour of the root (or stroke) it comes from; nothing is
// drawn across x 108–114, where the word hint's masks cut. Right of that, the reason: the roots
// in reading order, each with its key under it and its strokes in the character in its colour;
// of more than four roots only 1, 2, 3 and the last give the code, the others are drawn small
// and grey without a key. The identification letter, if the code has one, sits apart under its
// label. A character that is a root itself shows how that is coded: a key name its key four
// times, the single strokes their key twice and LL, the others their key and the strokes read
// (first, second, last), which are coloured in the character.
//
// Where stroke outlines are at hand (a folder of hanzi-writer-data's <character>.json), the
// character is drawn from them; otherwise from the font in ink. A root no font draws is drawn
// from strokes of a character that holds it, or a part of that character. Every root slot and
// the character must show ink: a picture with an empty slot fails the build.
//
//   ml_draw_decomp SPLITS_TSV EXTRA_ROOTS_TSV OUTPUT_DIR [STAMP_FILE [OUTLINES_DIR]]
#include <gif_lib.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

namespace {

constexpr int kWidth = 219;
constexpr int kHeight = 54;

struct Split {
    QString character;
    QStringList roots;
    QString keys;
    QString ident;
    QString owners;  // root of each stroke in writing order, one hex digit each; may be empty
    QString code;    // the full code the picture explains
    QString coding;  // the roots the code takes, or how a root character is coded
};

// A named piece of a character: drawn as the given strokes of that character's outline where
// outlines are at hand, else as the given part of it from the font.
struct Piece {
    QString glyph;
    QRectF part{0, 0, 1, 1};
    QList<int> strokes;
};

// Root colours, also used for their keys and the roots' strokes in the character; dark enough
// to read on white at 1×, and enough of them that a long split repeats none.
const QColor kRootColours[] = {QColor(0xc0, 0x20, 0x20), QColor(0x1f, 0x5f, 0xbf),
                               QColor(0x1f, 0x8f, 0x3f), QColor(0x9f, 0x4f, 0x00),
                               QColor(0x7f, 0x2f, 0x9f), QColor(0x00, 0x7f, 0x7f),
                               QColor(0xcc, 0x33, 0x99), QColor(0x66, 0x66, 0x00),
                               QColor(0x33, 0x33, 0x99), QColor(0xcc, 0x66, 0x00)};
const QColor kInk(0x10, 0x10, 0x10);
const QColor kMuted(0x70, 0x70, 0x70);

bool readTsv(const QString& path, const std::function<void(const QStringList&)>& row) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        row(line.split(u'\t'));
    }
    return true;
}

// 6×6×6 colour cube plus greys: enough for anti-aliased text in the six root colours.
QList<QRgb> palette() {
    QList<QRgb> colours;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) colours.append(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 40; ++i) {
        const int v = 6 + i * 6;
        colours.append(qRgb(v, v, v));
    }
    return colours;
}

int writeToFile(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

bool writeGif(const QImage& indexed, const QString& path) {
    QByteArray bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, writeToFile, &error);
    if (!gif) return false;
    const QList<QRgb> table = indexed.colorTable();
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(255, 255, 255);
        colours[i] = {static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                      static_cast<GifByteType>(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, indexed.width(), indexed.height(), 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y) {
        auto* line = const_cast<GifPixelType*>(indexed.constScanLine(y));
        ok = EGifPutLine(gif, line, indexed.width()) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) return false;
    // One plain write: the pictures are build output, and syncing tens of thousands of small
    // files one by one would dominate the build time.
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// An SVG path of absolute M, L, Q, C and Z commands, as the outline data writes them.
QPainterPath parsePath(const QString& d) {
    QPainterPath path;
    const QStringList tokens = d.split(u' ', Qt::SkipEmptyParts);
    qsizetype i = 0;
    const auto number = [&](bool* ok) {
        return i < tokens.size() ? tokens[i++].toDouble(ok) : (*ok = false, 0.0);
    };
    while (i < tokens.size()) {
        const QString cmd = tokens[i++];
        const int count = cmd == u"M" || cmd == u"L" ? 2 : cmd == u"Q" ? 4 : cmd == u"C" ? 6 : 0;
        double v[6];
        bool ok = true;
        for (int k = 0; k < count && ok; ++k) v[k] = number(&ok);
        if (!ok) return {};
        if (cmd == u"M") path.moveTo(v[0], v[1]);
        else if (cmd == u"L") path.lineTo(v[0], v[1]);
        else if (cmd == u"Q") path.quadTo(v[0], v[1], v[2], v[3]);
        else if (cmd == u"C") path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
        else if (cmd == u"Z") path.closeSubpath();
        else return {};
    }
    return path;
}

// The strokes of a character in writing order, or none when its outline file is missing or
// unreadable.
QList<QPainterPath> readOutlines(const QString& dir, const QString& character) {
    if (dir.isEmpty()) return {};
    QFile f(QDir(dir).filePath(character + QStringLiteral(".json")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QJsonArray strokes = QJsonDocument::fromJson(f.readAll()).object().value(u"strokes").toArray();
    QList<QPainterPath> paths;
    for (const QJsonValue& v : strokes) {
        const QPainterPath path = parsePath(v.toString());
        if (path.isEmpty()) return {};
        paths.append(path);
    }
    return paths;
}

// Colours of what the code does not take: the muted roots and their strokes.
const QColor kGrey(0x8a, 0x8a, 0x8a);
const QColor kRule(0xd0, 0xd0, 0xd0);

// Geometry at 1×: the left block ends before the word hint's crop lines (x 110 and 112), the
// right block starts after them.
constexpr double kLeftEnd = 108;
constexpr double kRightStart = 116;
constexpr double kRightEnd = kWidth - 2;

const QStringList kFaces = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing CN"),
                            QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};

// The stroke roots that stand for the stroke letters of a code.
QString strokeGlyph(QChar letter) {
    switch (letter.unicode()) {
    case u'g': return QStringLiteral("一");
    case u'h': return QStringLiteral("丨");
    case u't': return QStringLiteral("丿");
    case u'y': return QStringLiteral("丶");
    case u'n': return QStringLiteral("乙");
    default: return {};
    }
}

QColor rootColour(int i) { return kRootColours[i % std::size(kRootColours)]; }

// One letter of the code, or one slot of the reason: what is drawn, its key, its colour.
struct Slot {
    QString root;     // empty: a key without a root (the L of a single stroke's code)
    QString key;      // empty: a root the code does not take
    QColor colour;
    bool muted = false;
};

// What a picture shows, worked out once for both sizes.
struct Layout {
    QList<Slot> cells;
    QList<QColor> codeColours;          // one a letter of the code
    QList<QColor> strokeColours;        // one a stroke of the character; empty: ink
    QString label;                      // for a root character: how it is coded
};

Layout layoutOf(const Split& s, qsizetype strokeCount) {
    Layout l;
    const QString code = s.code.isEmpty() ? s.keys : s.code;
    const QStringList how = s.coding.split(u' ', Qt::SkipEmptyParts);
    const QString kind = how.value(0);
    if (s.roots.size() == 1 && (kind == u"key-name" || kind == u"stroke" || kind == u"root-char")) {
        const QString& root = s.roots.front();
        l.strokeColours = QList<QColor>(strokeCount, rootColour(0));
        if (kind == u"key-name") {
            l.label = QStringLiteral("键名");
            for (QChar k : code) l.cells.append({root, QString(k).toUpper(), rootColour(0)});
        } else if (kind == u"stroke") {
            l.label = QStringLiteral("单笔画");
            for (qsizetype i = 0; i < code.size(); ++i)
                l.cells.append({i < 2 ? root : QString(), code.mid(i, 1).toUpper(), i < 2 ? rootColour(0) : kInk});
        } else {
            l.label = QStringLiteral("成字字根");
            l.cells.append({root, code.left(1).toUpper(), rootColour(0)});
            for (qsizetype i = 1; i < code.size(); ++i) {
                const bool read = i < how.size();
                const QColor c = read ? rootColour(static_cast<int>(i)) : kInk;
                l.cells.append({read ? strokeGlyph(code[i]) : QString(), code.mid(i, 1).toUpper(), c});
                const int stroke = how.value(i).toInt();
                if (read && stroke < l.strokeColours.size()) l.strokeColours[stroke] = c;
            }
        }
        for (const Slot& slot : l.cells) l.codeColours.append(slot.colour);
        return l;
    }
    // A split: the roots the code takes in their colours with their keys, the others grey.
    QList<int> coding;
    for (qsizetype i = 0; i < how.size(); ++i) coding.append(how[i].toInt());
    if (coding.isEmpty())
        for (int i = 0; i < qMin<int>(4, static_cast<int>(s.roots.size())); ++i) coding.append(i);
    int colour = 0;
    QHash<int, QColor> colourOf;
    for (int i = 0; i < s.roots.size(); ++i) {
        const bool codes = coding.contains(i);
        const QColor c = codes ? rootColour(colour++) : kGrey;
        colourOf.insert(i, c);
        l.cells.append({s.roots[i], codes ? s.keys.mid(i, 1).toUpper() : QString(), c, !codes});
    }
    for (int i : coding) l.codeColours.append(colourOf.value(i, kInk));
    while (l.codeColours.size() < code.size()) l.codeColours.append(kInk);  // the identification letter
    if (s.owners.size() == strokeCount) {
        for (QChar o : s.owners) {
            bool ok = false;
            const int root = QString(o).toInt(&ok, 16);
            l.strokeColours.append(ok ? colourOf.value(root, kInk) : kInk);
        }
    }
    return l;
}

class Drawer {
public:
    Drawer(QHash<QString, Piece> pieces, QString outlines)
        : pieces_(std::move(pieces)), outlines_(std::move(outlines)), palette_(palette()) {}

    // The outlines of a split's character, read once for both sizes; none when they do not
    // have exactly the strokes the split accounts for.
    QList<QPainterPath> outlines(const Split& s) const {
        QList<QPainterPath> strokes = readOutlines(outlines_, s.character);
        if (s.roots.size() == 1) return strokes;  // a root character colours the strokes read
        if (s.owners.isEmpty()) return {};
        return strokes.size() == s.owners.size() ? strokes : QList<QPainterPath>();
    }

    // Draws a picture; empty lists what stayed without ink ("" when all is drawn).
    QImage draw(const Split& s, const QList<QPainterPath>& strokes, int scale, QStringList* empty) const {
        QImage img(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        const Layout l = layoutOf(s, strokes.size());
        QList<QPair<QString, QRectF>> inked;  // what must show ink, and where

        // Left block: the character, as large as the height allows, and its code.
        const QRectF charBox(3, 2, 50, 50);
        if (!drawOutlines(p, strokes, l.strokeColours, charBox))
            drawText(p, s.character, charBox, 50, kInk);
        inked.append({s.character, charBox});
        const QString code = (s.code.isEmpty() ? s.keys : s.code).toUpper();
        QFont codeFont(QStringLiteral("DejaVu Sans"));
        codeFont.setPixelSize(15);
        codeFont.setStretch(QFont::Condensed);  // WW and MM stay apart in 12.5 px
        codeFont.setBold(true);
        p.setFont(codeFont);
        const double letter = 12.5;
        double x = 57 + (kLeftEnd - 57 - letter * code.size()) / 2;
        for (qsizetype i = 0; i < code.size(); ++i, x += letter) {
            p.setPen(l.codeColours.value(i, kInk));
            p.drawText(QRectF(x, 17, letter, 20), Qt::AlignCenter, code.mid(i, 1));
        }
        p.setPen(QPen(kRule, 1));
        p.drawLine(QPointF(kRightStart - 0.5, 6), QPointF(kRightStart - 0.5, kHeight - 6));

        // Right block: the reason.
        double right = kRightEnd;
        if (!s.ident.isEmpty()) {
            constexpr double idWidth = 33;
            right -= idWidth;
            p.setPen(QPen(kRule, 1, Qt::DashLine));
            p.drawLine(QPointF(right + 0.5, 6), QPointF(right + 0.5, kHeight - 6));
            QFont label(QStringLiteral("Noto Sans CJK SC"));
            label.setPixelSize(10);
            p.setFont(label);
            p.setPen(kMuted);
            p.drawText(QRectF(right + 1, 4, idWidth, 14), Qt::AlignCenter, QStringLiteral("识别码"));
            QFont big(QStringLiteral("DejaVu Sans"));
            big.setPixelSize(20);
            big.setBold(true);
            p.setFont(big);
            p.setPen(kInk);
            p.drawText(QRectF(right + 1, 20, idWidth, 30), Qt::AlignCenter, s.ident.toUpper());
            right -= 2;
        }
        double top = 3;
        if (!l.label.isEmpty()) {
            QFont label(QStringLiteral("Noto Sans CJK SC"));
            label.setPixelSize(10);
            p.setFont(label);
            p.setPen(kMuted);
            p.drawText(QRectF(kRightStart, 1, right - kRightStart, 13), Qt::AlignCenter, l.label);
            top = 14;
        }
        // Cells: the roots the code takes full size, the others smaller. A run of muted roots
        // that would be too small in one row is stacked two to a column: they have no key, so
        // the key row is free for them.
        const double room = right - kRightStart;
        int coding = 0;
        for (const Slot& slot : l.cells) coding += !slot.muted;
        const int muted = static_cast<int>(l.cells.size()) - coding;
        double cell = qMin(28.0, room / (coding + 0.7 * muted));
        double mutedCell = cell * 0.7;
        bool stacked = false;
        if (cell < 15 && muted > 0) {
            cell = qMin(15.0, room / coding);
            mutedCell = (room - cell * coding) / muted;
            if (mutedCell < 9) {
                // Columns for the muted runs, two roots to a column.
                int columns = 0;
                for (qsizetype i = 0; i < l.cells.size();) {
                    qsizetype j = i;
                    while (j < l.cells.size() && l.cells[j].muted) ++j;
                    columns += static_cast<int>((j - i + 1) / 2);
                    i = j == i ? i + 1 : j;
                }
                stacked = true;
                mutedCell = (room - cell * coding) / qMax(1, columns);
            }
        }
        const double glyphRow = 36 - top;
        const double glyph = qMin(qMin(26.0, glyphRow - 2), cell - 2);
        QFont keyFont(QStringLiteral("DejaVu Sans"));
        keyFont.setPixelSize(12);
        keyFont.setBold(true);
        x = kRightStart;
        if (!stacked) {
            const double used = coding * cell + muted * mutedCell;
            x += (room - used) / 2;
        }
        for (qsizetype i = 0; i < l.cells.size(); ++i) {
            const Slot& slot = l.cells[i];
            if (slot.muted && stacked) {
                // This root over the next muted one, in one column.
                const double size = qMin(18.0, mutedCell - 1);
                const bool pair = i + 1 < l.cells.size() && l.cells[i + 1].muted;
                for (qsizetype k = i; k <= i + (pair ? 1 : 0); ++k) {
                    const double y = pair ? (k == i ? 6 : 29) : 17;
                    const QRectF box(x + (mutedCell - size) / 2, y + (20 - size) / 2, size, size);
                    drawRoot(p, l.cells[k].root, box, l.cells[k].colour);
                    inked.append({l.cells[k].root, box});
                }
                if (pair) ++i;
                x += mutedCell;
                continue;
            }
            const double w = slot.muted ? mutedCell : cell;
            if (!slot.root.isEmpty()) {
                const double size = slot.muted ? qMin(glyph * 0.8, w - 1) : glyph;
                const QRectF box(x + (w - size) / 2, top + (glyphRow - size) / 2 + (slot.muted ? 2 : 0), size, size);
                drawRoot(p, slot.root, box, slot.colour);
                inked.append({slot.root, box});
            }
            if (!slot.key.isEmpty()) {
                p.setFont(keyFont);
                p.setPen(slot.colour);
                p.drawText(QRectF(x - 2, 37, w + 4, 15), Qt::AlignCenter, slot.key);
            }
            x += w;
        }
        p.end();

        if (empty) {
            for (const auto& [what, box] : inked)
                if (!hasInk(img, box, scale)) *empty << what;
        }
        return img.convertToFormat(QImage::Format_Indexed8, palette_, Qt::ThresholdDither);
    }

private:
    static bool hasInk(const QImage& img, const QRectF& box, int scale) {
        const QRect r = QRectF(box.left() * scale, box.top() * scale, box.width() * scale,
                               box.height() * scale).toAlignedRect() & img.rect();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(line[x]) < 235) return true;
        }
        return false;
    }

    // Strokes of an outline, fitted into a box: the whole character in its em square, or
    // (fit) just the strokes' own bounds, for a root taken from a character that holds it.
    static void paintStrokes(QPainter& p, const QList<QPainterPath>& strokes, const QList<QColor>& colours,
                             const QRectF& box, bool fit) {
        // Outline space: 1024 units a side, y upwards from a baseline 900 below the top.
        QTransform t;
        t.translate(0, 900);
        t.scale(1, -1);
        QRectF from(0, 0, 1024, 1024);
        if (fit) {
            QRectF bounds;
            for (const QPainterPath& path : strokes) bounds |= t.map(path).boundingRect();
            const double side = qMax(bounds.width(), bounds.height()) * 1.12;
            from = QRectF(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side);
        }
        p.save();
        p.translate(box.topLeft());
        p.scale(box.width() / from.width(), box.height() / from.height());
        p.translate(-from.topLeft());
        p.setPen(Qt::NoPen);
        for (qsizetype i = 0; i < strokes.size(); ++i) {
            p.setBrush(colours.value(i, colours.isEmpty() ? kInk : colours.back()));
            p.drawPath(t.map(strokes[i]));
        }
        p.restore();
    }

    bool drawOutlines(QPainter& p, const QList<QPainterPath>& strokes, const QList<QColor>& colours,
                      const QRectF& box) const {
        if (strokes.isEmpty()) return false;
        QList<QColor> c = colours;
        if (c.size() != strokes.size()) c = QList<QColor>(strokes.size(), kInk);
        paintStrokes(p, strokes, c, box, false);
        return true;
    }

    // The first face that draws the text with ink: a face may map a rare root to an empty
    // glyph (UKai's 𠂉), and then the next one has it.
    QString faceFor(const QString& text) const {
        const auto known = faces_.constFind(text);
        if (known != faces_.cend()) return *known;
        QString found;
        for (const QString& face : kFaces) {
            QImage probe(48, 48, QImage::Format_RGB32);
            probe.fill(Qt::white);
            QPainter p(&probe);
            QFont f(face);
            f.setPixelSize(40);
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(probe.rect(), Qt::AlignCenter, text);
            p.end();
            if (hasInk(probe, QRectF(0, 0, 48, 48), 1)) {
                found = face;
                break;
            }
        }
        faces_.insert(text, found);
        return found;
    }

    void drawText(QPainter& p, const QString& text, const QRectF& box, double size, const QColor& colour) const {
        QFont f(faceFor(text));
        f.setPixelSize(qMax(1, static_cast<int>(size)));
        p.setFont(f);
        p.setPen(colour);
        p.drawText(box, Qt::AlignCenter, text);
    }

    // Outline strokes of a piece's character, read once.
    const QList<QPainterPath>& pieceStrokes(const QString& glyph) const {
        auto it = pieceOutlines_.find(glyph);
        if (it == pieceOutlines_.end()) it = pieceOutlines_.insert(glyph, readOutlines(outlines_, glyph));
        return *it;
    }

    void drawRoot(QPainter& p, const QString& root, const QRectF& box, const QColor& colour) const {
        const auto piece = pieces_.constFind(root);
        if (piece != pieces_.cend() && !piece->glyph.isEmpty() && !piece->strokes.isEmpty()) {
            // A root no face draws, from the strokes of a character that holds it.
            const QList<QPainterPath>& all = pieceStrokes(piece->glyph);
            QList<QPainterPath> some;
            for (int i : piece->strokes)
                if (i < all.size()) some.append(all[i]);
            if (some.size() == piece->strokes.size()) {
                paintStrokes(p, some, {colour}, box, true);
                return;
            }
        }
        if (piece == pieces_.cend() || piece->glyph.isEmpty()) {
            drawText(p, root, box, box.height(), colour);
            return;
        }
        // Draw the whole character so that its named part is centred in the box, and clip
        // to that part.
        const QRectF part = piece->part;
        const double size = box.height();
        const double s = size / qMax(part.width(), part.height()) * 0.9;
        const QPointF centre = box.center();
        const QRectF full(centre.x() - s * (part.left() + part.width() / 2),
                          centre.y() - s * (part.top() + part.height() / 2), s, s);
        p.save();
        p.setClipRect(QRectF(full.left() + s * part.left(), full.top() + s * part.top(),
                             s * part.width(), s * part.height()));
        drawText(p, piece->glyph, full, s, colour);
        p.restore();
    }

    QHash<QString, Piece> pieces_;
    QString outlines_;
    QList<QRgb> palette_;
    mutable QHash<QString, QString> faces_;
    mutable QHash<QString, QList<QPainterPath>> pieceOutlines_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr,
                     "usage: ml_draw_decomp SPLITS_TSV EXTRA_ROOTS_TSV OUTPUT_DIR [STAMP [OUTLINES_DIR]]\n");
        return 2;
    }

    std::vector<Split> splits;
    const bool splitsRead = readTsv(args[1], [&](const QStringList& c) {
        if (c.size() >= 3) splits.push_back({c[0], c[1].split(u' ', Qt::SkipEmptyParts), c[2],
                                             c.value(3), c.value(5), c.value(6), c.value(7)});
    });
    QHash<QString, Piece> pieces;
    const bool extraRead = readTsv(args[2], [&](const QStringList& c) {
        if (c.size() < 4 || c[3].isEmpty()) return;
        Piece piece;
        piece.glyph = c[3];
        const QStringList part = c.size() > 4 ? c[4].split(u' ', Qt::SkipEmptyParts) : QStringList();
        if (part.size() == 4)
            piece.part = QRectF(QPointF(part[0].toDouble(), part[1].toDouble()),
                                QPointF(part[2].toDouble(), part[3].toDouble()));
        for (const QString& i : c.value(6).split(u' ', Qt::SkipEmptyParts)) piece.strokes.append(i.toInt());
        pieces.insert(c[0], piece);
    });
    if (!splitsRead || !extraRead) {
        std::fprintf(stderr, "ml_draw_decomp: cannot read %s\n",
                     qPrintable(splitsRead ? args[2] : args[1]));
        return 1;
    }

    const QDir out(args[3]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "ml_draw_decomp: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    // The outlines' licence goes with the pictures drawn from them.
    const QString outlines = args.size() > 5 ? args[5] : QString();
    const QString licence = out.filePath(QStringLiteral("ARPHICPL.TXT"));
    QFile::remove(licence);
    if (!outlines.isEmpty() && !QFile::copy(QDir(outlines).filePath(QStringLiteral("ARPHICPL.TXT")), licence)) {
        std::fprintf(stderr, "ml_draw_decomp: no licence file in %s\n", qPrintable(outlines));
        return 1;
    }
    const Drawer drawer(pieces, outlines);
    int faulty = 0;
    for (const Split& s : splits) {
        const QList<QPainterPath> strokes = drawer.outlines(s);
        for (int scale : {1, 2}) {
            const QString name = s.character + (scale == 2 ? QStringLiteral("@2x.gif") : QStringLiteral(".gif"));
            QStringList empty;
            if (!writeGif(drawer.draw(s, strokes, scale, scale == 1 ? &empty : nullptr), out.filePath(name))) {
                std::fprintf(stderr, "ml_draw_decomp: cannot write %s\n", qPrintable(out.filePath(name)));
                return 1;
            }
            if (!empty.isEmpty() && faulty++ < 40)
                std::fprintf(stderr, "ml_draw_decomp: %s: nothing drawn for %s\n", qPrintable(s.character),
                             qPrintable(empty.join(u' ')));
        }
    }
    if (faulty) {
        // A picture with an empty slot teaches nothing about that root: give it a drawing
        // (extra_roots.tsv) rather than ship it.
        std::fprintf(stderr, "ml_draw_decomp: %d pictures with a root or character drawn empty\n", faulty);
        return 1;
    }
    // A character whose split was dropped must lose its picture, so that the display falls back
    // to the character itself. Only files named like the pictures are touched.
    QSet<QString> listed;
    for (const Split& s : splits) listed.insert(s.character);
    for (const QString& name : out.entryList({QStringLiteral("*.gif")}, QDir::Files)) {
        QString base = name.chopped(4);
        if (base.endsWith(QStringLiteral("@2x"))) base.chop(3);
        if (base.toUcs4().size() == 1 && !listed.contains(base)) QFile::remove(out.filePath(name));
    }
    if (args.size() > 4) {
        QFile stamp(args[4]);
        if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
        stamp.write(QByteArray::number(static_cast<qsizetype>(splits.size())) + " pictures\n");
    }
    return 0;
}
