#pragma once
// Decomposition pictures for tests: Qt reads GIF but cannot write it, so a tiny GIF is written
// by hand; PNG content under a ".gif" name checks that pictures are loaded by their content.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace mltest {

// A 1 × 1 GIF89a whose one pixel has colour `c`: Qt reads GIF but cannot write it.
inline QByteArray tinyGif(const QColor& c) {
    QByteArray b("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
    b += char(c.red());
    b += char(c.green());
    b += char(c.blue());
    b += QByteArray(
        "\x00\x00\x00"                              // second palette entry
        "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"  // image descriptor
        "\x02\x02\x44\x01\x00"                      // LZW data: pixel 0
        "\x3b",                                     // trailer
        19);
    return b;
}

// PNG bytes, to be stored under a .gif name: the picture is loaded by its content.
inline QByteArray png(const QColor& c) {
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

}  // namespace mltest
