// Draws the decomposition pictures of the program folder: for each character of splits.tsv,
// "拆字图/<character>.gif" (219 × 54) and "<character>@2x.gif" (438 × 108).
//
// The character stands at the far left in a Kai face, within the left 110 px, because the word
// hint masks everything right of that. Its roots follow in reading order, each with its key
// under it, and the identification letter, if the code has one, sits apart under its label.
// Where stroke outlines are at hand (a folder of hanzi-writer-data's <character>.json), the
// character is drawn from them with each root's strokes in that root's colour, so the learner
// sees where every root lies; otherwise it is drawn from the font in ink.
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
};

// A named piece of a character: drawn as the given part of that character.
struct Piece {
    QString glyph;
    QRectF part{0, 0, 1, 1};
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

class Drawer {
public:
    Drawer(QHash<QString, Piece> pieces, QString outlines)
        : pieces_(std::move(pieces)), outlines_(std::move(outlines)), palette_(palette()) {}

    // The outlines of a split's character, read once for both sizes; none when they do not
    // have exactly the strokes the split accounts for.
    QList<QPainterPath> outlines(const Split& s) const {
        if (s.owners.isEmpty()) return {};
        QList<QPainterPath> strokes = readOutlines(outlines_, s.character);
        return strokes.size() == s.owners.size() ? strokes : QList<QPainterPath>();
    }

    QImage draw(const Split& s, const QList<QPainterPath>& strokes, int scale) const {
        QImage img(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);

        // The character, as large as the height allows, in the first 56 px.
        if (!drawOutlines(p, s, strokes)) {
            QFont kai(QStringLiteral("AR PL UKai CN"));
            kai.setPixelSize(50);
            p.setFont(kai);
            p.setPen(kInk);
            p.drawText(QRectF(2, 0, 54, kHeight), Qt::AlignCenter, s.character);
        }

        p.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 1));
        p.drawLine(QPointF(59.5, 6), QPointF(59.5, kHeight - 6));

        const bool single = s.roots.size() == 1 && s.roots.front() == s.character;
        const double idWidth = s.ident.isEmpty() ? 0 : 36;
        const double left = 62;
        const double room = kWidth - left - idWidth - 2;
        const int n = static_cast<int>(s.roots.size());
        const double cell = qMin(30.0, room / qMax(1, n));
        const double glyph = qMin(26.0, cell - 2);

        QFont keyFont(QStringLiteral("DejaVu Sans"));
        keyFont.setPixelSize(11);
        keyFont.setBold(true);
        for (int i = 0; i < n; ++i) {
            const QColor colour = kRootColours[i % std::size(kRootColours)];
            const QRectF box(left + i * cell, 3, cell, glyph + 4);
            drawRoot(p, s.roots[i], box, glyph, colour);
            p.setFont(keyFont);
            p.setPen(colour);
            const QString key = single ? s.keys.toUpper() : s.keys.mid(i, 1).toUpper();
            p.drawText(QRectF(box.left(), 36, cell, 16), Qt::AlignCenter, key);
        }

        if (!s.ident.isEmpty()) {
            const double x = kWidth - idWidth;
            p.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 1, Qt::DashLine));
            p.drawLine(QPointF(x - 0.5, 6), QPointF(x - 0.5, kHeight - 6));
            QFont label(QStringLiteral("Noto Sans CJK SC"));
            label.setPixelSize(10);
            p.setFont(label);
            p.setPen(kMuted);
            p.drawText(QRectF(x, 4, idWidth, 14), Qt::AlignCenter, QStringLiteral("识别码"));
            QFont big(QStringLiteral("DejaVu Sans"));
            big.setPixelSize(20);
            big.setBold(true);
            p.setFont(big);
            p.setPen(kInk);
            p.drawText(QRectF(x, 20, idWidth, 30), Qt::AlignCenter, s.ident.toUpper());
        }
        p.end();
        return img.convertToFormat(QImage::Format_Indexed8, palette_, Qt::ThresholdDither);
    }

private:
    // The character from its stroke outlines, each stroke in the colour of its root; a
    // single-root character is drawn in ink.
    bool drawOutlines(QPainter& p, const Split& s, const QList<QPainterPath>& strokes) const {
        if (strokes.isEmpty()) return false;
        const bool single = s.roots.size() == 1;
        p.save();
        // Outline space: 1024 units a side, y upwards from a baseline 900 below the top.
        constexpr double side = 50;
        p.translate(4, 2);
        p.scale(side / 1024, -side / 1024);
        p.translate(0, -900);
        p.setPen(Qt::NoPen);
        for (qsizetype i = 0; i < strokes.size(); ++i) {
            bool ok = false;
            const int root = QString(s.owners[i]).toInt(&ok, 16);
            p.setBrush(single || !ok ? kInk : kRootColours[root % std::size(kRootColours)]);
            p.drawPath(strokes[i]);
        }
        p.restore();
        return true;
    }

    void drawRoot(QPainter& p, const QString& root, const QRectF& box, double size,
                  const QColor& colour) const {
        QFont kai(QStringLiteral("AR PL UKai CN"));
        kai.setPixelSize(static_cast<int>(size));
        p.setFont(kai);
        p.setPen(colour);
        const auto piece = pieces_.constFind(root);
        if (piece == pieces_.cend() || piece->glyph.isEmpty()) {
            p.drawText(box, Qt::AlignCenter, root);
            return;
        }
        // Draw the whole character so that its named part is centred in the box, and clip
        // to that part.
        const QRectF part = piece->part;
        const double s = size / qMax(part.width(), part.height()) * 0.9;
        const QPointF centre = box.center();
        const QRectF full(centre.x() - s * (part.left() + part.width() / 2),
                          centre.y() - s * (part.top() + part.height() / 2), s, s);
        p.save();
        p.setClipRect(QRectF(full.left() + s * part.left(), full.top() + s * part.top(),
                             s * part.width(), s * part.height()));
        QFont f = kai;
        f.setPixelSize(static_cast<int>(s));
        p.setFont(f);
        p.drawText(full, Qt::AlignCenter, piece->glyph);
        p.restore();
    }

    QHash<QString, Piece> pieces_;
    QString outlines_;
    QList<QRgb> palette_;
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
                                             c.value(3), c.value(5)});
    });
    QHash<QString, Piece> pieces;
    const bool extraRead = readTsv(args[2], [&](const QStringList& c) {
        if (c.size() < 4 || c[3].isEmpty()) return;
        Piece piece{c[3]};
        const QStringList part = c.size() > 4 ? c[4].split(u' ', Qt::SkipEmptyParts) : QStringList();
        if (part.size() == 4)
            piece.part = QRectF(QPointF(part[0].toDouble(), part[1].toDouble()),
                                QPointF(part[2].toDouble(), part[3].toDouble()));
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
    for (const Split& s : splits) {
        const QList<QPainterPath> strokes = drawer.outlines(s);
        for (int scale : {1, 2}) {
            const QString name = s.character + (scale == 2 ? QStringLiteral("@2x.gif") : QStringLiteral(".gif"));
            if (!writeGif(drawer.draw(s, strokes, scale), out.filePath(name))) {
                std::fprintf(stderr, "ml_draw_decomp: cannot write %s\n", qPrintable(out.filePath(name)));
                return 1;
            }
        }
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
