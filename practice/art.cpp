#include "art.h"

#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/programfolder.h"

namespace ml {

const std::array<KeyInfo, 25>& wubiKeys() {
    static const std::array<KeyInfo, 25> k = {{
        {'g', 0, u'王', u'一'}, {'f', 0, u'土', u'地'}, {'d', 0, u'大', u'在'},
        {'s', 0, u'木', u'要'}, {'a', 0, u'工', u'工'}, {'h', 1, u'目', u'上'},
        {'j', 1, u'日', u'是'}, {'k', 1, u'口', u'中'}, {'l', 1, u'田', u'国'},
        {'m', 1, u'山', u'同'}, {'t', 2, u'禾', u'和'}, {'r', 2, u'白', u'的'},
        {'e', 2, u'月', u'有'}, {'w', 2, u'人', u'人'}, {'q', 2, u'金', u'我'},
        {'y', 3, u'言', u'主'}, {'u', 3, u'立', u'产'}, {'i', 3, u'水', u'不'},
        {'o', 3, u'火', u'为'}, {'p', 3, u'之', u'这'}, {'n', 4, u'已', u'民'},
        {'b', 4, u'子', u'了'}, {'v', 4, u'女', u'发'}, {'c', 4, u'又', u'以'},
        {'x', 4, u'纟', u'经'},
    }};
    return k;
}

QColor zoneColor(int zone) {
    static const QColor c[5] = {QColor(0x3D, 0x7E, 0xC9), QColor(0x3A, 0x9D, 0x5D),
                                QColor(0xD9, 0x83, 0x2B), QColor(0x8E, 0x5B, 0xC4),
                                QColor(0xC9, 0x4B, 0x5B)};
    return c[std::clamp(zone, 0, 4)];
}

namespace {

const QString kZoneNames[5] = {QStringLiteral("横"), QStringLiteral("竖"), QStringLiteral("撇"),
                               QStringLiteral("点"), QStringLiteral("折")};

QFont font(const char* family, double px, int weight = QFont::Normal) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(static_cast<int>(px));
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

QPixmap blank(int w, int h, const QColor& fill = Qt::transparent) {
    QPixmap pm(w, h);
    pm.fill(fill);
    return pm;
}

// Key positions of the lit-key pictures; the chart cells are drawn around them.
struct Pos { char key; int x, y; };
const Pos kKeyPos[25] = {
    {'q', 216, 448}, {'w', 288, 448}, {'e', 352, 448}, {'r', 424, 448}, {'t', 496, 448},
    {'y', 568, 448}, {'u', 632, 448}, {'i', 704, 448}, {'o', 768, 448}, {'p', 840, 448},
    {'a', 256, 556}, {'s', 320, 556}, {'d', 392, 556}, {'f', 464, 556}, {'g', 536, 556},
    {'h', 600, 556}, {'j', 670, 556}, {'k', 736, 556}, {'l', 808, 560}, {'x', 352, 656},
    {'c', 424, 656}, {'v', 496, 656}, {'b', 568, 656}, {'n', 632, 656}, {'m', 704, 656}};

const KeyInfo& info(char key) {
    for (const KeyInfo& k : wubiKeys())
        if (k.key == key) return k;
    return wubiKeys()[0];
}

void panel(QPainter& p, const QRectF& r, const QColor& fill, const QColor& border) {
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, 8, 8);
}

QPixmap drawBackground() {
    QPixmap pm(1021, 738);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 738);
    g.setColorAt(0, QColor(0xF4, 0xF7, 0xFB));
    g.setColorAt(1, QColor(0xE3, 0xEA, 0xF2));
    p.fillRect(pm.rect(), g);

    const QColor border(0xC5, 0xD2, 0xE0);
    // File-name bar.
    panel(p, QRectF(60, 24, 470, 28), Qt::white, border);
    // Hint panel and practice panel.
    panel(p, QRectF(70, 80, 876, 112), Qt::white, border);
    panel(p, QRectF(80, 204, 880, 120), Qt::white, border);

    // Figures with their captions.
    p.setPen(QColor(0x50, 0x5F, 0x70));
    p.setFont(font("Noto Sans CJK SC", 15));
    auto caption = [&](int x, const QString& text, QChar icon) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3D, 0x7E, 0xC9));
        p.drawEllipse(QRectF(x, 359, 20, 20));
        p.setPen(Qt::white);
        p.setFont(font("Noto Sans CJK SC", 12, QFont::Bold));
        p.drawText(QRectF(x, 359, 20, 20), Qt::AlignCenter, QString(icon));
        p.setPen(QColor(0x50, 0x5F, 0x70));
        p.setFont(font("Noto Sans CJK SC", 15));
        p.drawText(QRectF(x + 26, 356, 120, 26), Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    caption(110, QStringLiteral("时间"), u'时');
    caption(270, QStringLiteral("速度"), u'速');
    caption(500, QStringLiteral("正确率"), u'准');
    p.setFont(font("Noto Sans CJK SC", 12));
    p.drawText(QRectF(412, 358, 60, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("字/分"));
    p.setPen(QPen(border, 1));
    p.drawLine(90, 400, 930, 400);

    // Keyboard-shaped chart of the roots: one cell per letter key.
    p.setFont(font("Noto Sans CJK SC", 13));
    p.setPen(QColor(0x50, 0x5F, 0x70));
    p.drawText(QRectF(90, 412, 400, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("五笔字型 86 版字根键盘"));
    for (const Pos& kp : kKeyPos) {
        const KeyInfo& k = info(kp.key);
        const QColor zc = zoneColor(k.zone);
        const QRectF cell(kp.x - 5, kp.y - 5, 60, 86);
        QColor fill = zc.lighter(185);
        panel(p, cell, fill, zc.lighter(130));
        // The letter sits where its lit-key picture will cover it.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(kp.x + 1, kp.y + 1, 27, 27));
        p.setPen(zc.darker(130));
        p.setFont(font("DejaVu Sans", 15, QFont::Bold));
        p.drawText(QRectF(kp.x, kp.y, 29, 29), Qt::AlignCenter, QString(QChar(kp.key).toUpper()));
        p.setPen(zc.darker(150));
        p.setFont(font("AR PL UKai CN", 24));
        p.drawText(QRectF(kp.x + 26, kp.y - 2, 30, 34), Qt::AlignCenter, QString(k.name));
        p.setFont(font("Noto Sans CJK SC", 12));
        p.setPen(QColor(0x60, 0x6A, 0x75));
        p.drawText(QRectF(kp.x - 3, kp.y + 34, 56, 20), Qt::AlignCenter,
                   QStringLiteral("一级简码"));
        p.setFont(font("Noto Sans CJK SC", 20));
        p.setPen(QColor(0x33, 0x3B, 0x44));
        p.drawText(QRectF(kp.x - 3, kp.y + 52, 56, 26), Qt::AlignCenter, QString(k.shortCode));
    }
    // Zone legend.
    p.setFont(font("Noto Sans CJK SC", 13));
    for (int z = 0; z < 5; ++z) {
        const QRectF r(610 + z * 66, 414, 14, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(zoneColor(z));
        p.drawRoundedRect(r, 3, 3);
        p.setPen(QColor(0x50, 0x5F, 0x70));
        p.drawText(QRectF(r.right() + 4, 408, 44, 26), Qt::AlignLeft | Qt::AlignVCenter,
                   kZoneNames[z] + QStringLiteral("区"));
    }
    return pm;
}

QPixmap drawButton(const QString& text, bool hi) {
    QPixmap pm = blank(86, 23);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 23);
    g.setColorAt(0, hi ? QColor(0x5A, 0x9B, 0xE6) : QColor(0xFF, 0xFF, 0xFF));
    g.setColorAt(1, hi ? QColor(0x2F, 0x74, 0xC4) : QColor(0xE2, 0xEA, 0xF3));
    p.setPen(QPen(hi ? QColor(0x25, 0x5F, 0xA5) : QColor(0xA9, 0xBA, 0xCC), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 85, 22), 5, 5);
    p.setPen(hi ? Qt::white : QColor(0x2E, 0x3E, 0x50));
    p.setFont(font("Noto Sans CJK SC", 13));
    p.drawText(QRectF(0, 0, 86, 23), Qt::AlignCenter, text);
    return pm;
}

QPixmap drawCommand(int which, bool hi) {
    QPixmap pm = blank(44, 40);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = hi ? QColor(0x25, 0x6F, 0xC8) : QColor(0x5C, 0x6B, 0x7A);
    if (hi) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xDC, 0xE9, 0xF8));
        p.drawRoundedRect(QRectF(1, 1, 42, 38), 7, 7);
    }
    p.setPen(QPen(ink, 2.4));
    p.setBrush(Qt::NoBrush);
    const QPointF c(22, 20);
    if (which == 0) {  // settings: a gear
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a) * 8, std::sin(a) * 8),
                       c + QPointF(std::cos(a) * 12, std::sin(a) * 12));
        }
        p.drawEllipse(c, 8, 8);
        p.drawEllipse(c, 3, 3);
    } else if (which == 1) {  // lookup: a magnifier
        p.drawEllipse(QPointF(19, 17), 8, 8);
        p.setPen(QPen(ink, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(25, 23), QPointF(32, 30));
    } else {  // about: an "i" in a circle
        p.drawEllipse(c, 12, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(22, 13.5), 2, 2);
        p.drawRoundedRect(QRectF(20.5, 17, 3, 10), 1.2, 1.2);
    }
    return pm;
}

QPixmap drawLegend() {
    QPixmap pm = blank(855, 73, Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const char* keys[4] = {"F1", "F2", "F3", "F4"};
    const QString texts[4] = {QStringLiteral("拆字图  临时显示"), QStringLiteral("拆字图  一直显示"),
                              QStringLiteral("编码提示  临时显示"), QStringLiteral("编码提示  一直显示")};
    for (int i = 0; i < 4; ++i) {
        const double x = 30 + i * 205;
        p.setPen(QPen(QColor(0xC8, 0xD3, 0xDF), 1));
        p.setBrush(QColor(0xF3, 0xF6, 0xFA));
        p.drawRoundedRect(QRectF(x, 22, 38, 28), 5, 5);
        p.setPen(QColor(0x8A, 0x98, 0xA8));
        p.setFont(font("DejaVu Sans", 14, QFont::Bold));
        p.drawText(QRectF(x, 22, 38, 28), Qt::AlignCenter, QString::fromLatin1(keys[i]));
        p.setFont(font("Noto Sans CJK SC", 14));
        p.drawText(QRectF(x + 46, 22, 150, 28), Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
    }
    return pm;
}

QPixmap drawKey(char key) {
    QPixmap pm = blank(29, 29);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(11, 10), 16);
    g.setColorAt(0, QColor(0xFF, 0xF6, 0x9E));
    g.setColorAt(1, QColor(0xF5, 0xC8, 0x1B));
    p.setPen(QPen(QColor(0xD8, 0xA0, 0x00), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1, 1, 27, 27));
    p.setPen(QColor(0xE0, 0x10, 0x10));
    p.setFont(font("DejaVu Sans", 16, QFont::Black));
    p.drawText(QRectF(0, 0, 29, 29), Qt::AlignCenter, QString(QChar(key).toUpper()));
    return pm;
}

QPixmap drawChart(int zone) {
    QPixmap pm = blank(800, 293, Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor zc = zoneColor(zone);
    p.fillRect(QRectF(0, 0, 150, 293), zc.lighter(170));
    p.setPen(zc.darker(140));
    p.setFont(font("AR PL UKai CN", 96));
    p.drawText(QRectF(0, 30, 150, 150), Qt::AlignCenter, kZoneNames[zone]);
    p.setFont(font("Noto Sans CJK SC", 16));
    p.drawText(QRectF(0, 190, 150, 30), Qt::AlignCenter, kZoneNames[zone] + QStringLiteral("起笔区"));
    int i = 0;
    for (const KeyInfo& k : wubiKeys()) {
        if (k.zone != zone) continue;
        const QRectF tile(170 + i * 124, 30, 112, 230);
        panel(p, tile, zc.lighter(190), zc.lighter(120));
        p.setPen(zc.darker(130));
        p.setFont(font("DejaVu Sans", 26, QFont::Bold));
        p.drawText(QRectF(tile.x(), tile.y() + 8, tile.width(), 34), Qt::AlignCenter,
                   QString(QChar(k.key).toUpper()));
        p.setFont(font("AR PL UKai CN", 54));
        p.drawText(QRectF(tile.x(), tile.y() + 48, tile.width(), 70), Qt::AlignCenter, QString(k.name));
        p.setPen(QColor(0x55, 0x60, 0x6B));
        p.setFont(font("Noto Sans CJK SC", 13));
        p.drawText(QRectF(tile.x(), tile.y() + 140, tile.width(), 20), Qt::AlignCenter,
                   QStringLiteral("一级简码"));
        p.setPen(QColor(0x22, 0x2A, 0x33));
        p.setFont(font("Noto Sans CJK SC", 40));
        p.drawText(QRectF(tile.x(), tile.y() + 160, tile.width(), 60), Qt::AlignCenter, QString(k.shortCode));
        ++i;
    }
    return pm;
}

QPixmap loadOr(const QString& home, const QString& name, QPixmap fallback) {
    const QString path = inFolder(home, QStringLiteral("图片/") + name);
    QPixmap pm;
    if (QFileInfo::exists(path) && pm.load(path)) return pm;
    return fallback;
}

}  // namespace

Art Art::load(const QString& home) {
    Art a;
    a.background = loadOr(home, QStringLiteral("background.png"), drawBackground());
    a.openLocal = loadOr(home, QStringLiteral("open.png"), drawButton(QStringLiteral("打开练习"), false));
    a.openLocalHi = loadOr(home, QStringLiteral("open_hi.png"), drawButton(QStringLiteral("打开练习"), true));
    a.openRemote = loadOr(home, QStringLiteral("remote.png"), drawButton(QStringLiteral("远程练习"), false));
    a.openRemoteHi = loadOr(home, QStringLiteral("remote_hi.png"), drawButton(QStringLiteral("远程练习"), true));
    for (int i = 0; i < 3; ++i) {
        a.cmd[i] = loadOr(home, QStringLiteral("cmd%1.png").arg(i + 1), drawCommand(i, false));
        a.cmdHi[i] = loadOr(home, QStringLiteral("cmd%1_hi.png").arg(i + 1), drawCommand(i, true));
    }
    a.helpHide = loadOr(home, QStringLiteral("helphide.png"), drawLegend());
    a.hideHelp = loadOr(home, QStringLiteral("hidehelp.png"), blank(855, 73, Qt::white));
    a.whiteCi = blank(217, 52, Qt::white);
    a.whiteBai = blank(173, 56, Qt::white);
    for (int i = 0; i < 25; ++i) {
        const char key = static_cast<char>('a' + i);
        a.keys[i] = loadOr(home, QStringLiteral("key_%1.png").arg(QChar(key)), drawKey(key));
    }
    for (int z = 0; z < 5; ++z)
        a.charts[z] = loadOr(home, QStringLiteral("chart%1.png").arg(z + 1), drawChart(z));
    return a;
}

}  // namespace ml
