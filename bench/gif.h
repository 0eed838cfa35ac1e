#pragma once
// Qt reads GIF but cannot write it, and the benchmarks should not need giflib: this writes a
// two-colour GIF89a with a plain LZW encoder, compressed as a real picture file would be, so that
// decoding costs what it costs for the tutor's pictures.

#include <QByteArray>
#include <functional>
#include <unordered_map>

namespace mlbench {

// A w × h picture, white where `ink(x, y)` is false and black where it is true.
inline QByteArray twoColourGif(int w, int h, const std::function<bool(int, int)>& ink) {
    QByteArray g("GIF89a");
    auto le16 = [&g](int v) {
        g += static_cast<char>(v & 0xFF);
        g += static_cast<char>((v >> 8) & 0xFF);
    };
    le16(w);
    le16(h);
    g += static_cast<char>(0x80);  // a global colour table of two entries
    g += '\0';                     // background colour index
    g += '\0';                     // pixel aspect ratio
    g += QByteArray("\xFF\xFF\xFF\x00\x00\x00", 6);
    g += static_cast<char>(0x2C);  // image descriptor
    le16(0);
    le16(0);
    le16(w);
    le16(h);
    g += '\0';  // no local colour table, not interlaced

    constexpr int kMinCodeSize = 2;  // the least GIF allows
    constexpr int kClear = 1 << kMinCodeSize, kEnd = kClear + 1;
    g += static_cast<char>(kMinCodeSize);

    QByteArray data;
    quint32 acc = 0;
    int bits = 0, width = kMinCodeSize + 1, next = kEnd + 1;
    auto put = [&](int code) {
        acc |= static_cast<quint32>(code) << bits;
        bits += width;
        while (bits >= 8) {
            data += static_cast<char>(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    };
    std::unordered_map<quint32, int> table;  // (prefix code << 1 | pixel) -> code
    put(kClear);
    int prefix = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int pixel = ink(x, y) ? 1 : 0;
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const quint32 key = static_cast<quint32>(prefix) << 1 | static_cast<quint32>(pixel);
            if (auto it = table.find(key); it != table.end()) {
                prefix = it->second;
                continue;
            }
            put(prefix);
            if (next < 4096) {
                table.emplace(key, next++);
                // The reader adds its entry one code later, so it widens when `next` passes
                // the power of two, not when it reaches it.
                if (next > (1 << width) && width < 12) ++width;
            } else {
                put(kClear);
                table.clear();
                width = kMinCodeSize + 1;
                next = kEnd + 1;
            }
            prefix = pixel;
        }
    }
    if (prefix >= 0) {
        put(prefix);
        // The reader still adds an entry for this code and may widen before the end code.
        ++next;
        if (next > (1 << width) && width < 12) ++width;
    }
    put(kEnd);
    if (bits > 0) data += static_cast<char>(acc & 0xFF);
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = qMin<qsizetype>(255, data.size() - i);
        g += static_cast<char>(n);
        g += data.mid(i, n);
    }
    g += '\0';                     // end of the image data
    g += static_cast<char>(0x3B);  // trailer
    return g;
}

}  // namespace mlbench
