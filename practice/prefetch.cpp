#include "practice/prefetch.h"

#include <QImageReader>

namespace ml {

HintPrefetch::HintPrefetch(Warm warm, QObject* parent) : QObject(parent), warm_(std::move(warm)) {
    // A zero timer fires once the events already queued (keys, paints) are handled.
    timer_.setInterval(0);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { step(); });
}

void HintPrefetch::want(const QString& line, qsizetype from, const QString& next) {
    parts_[0] = line;
    parts_[1] = next;
    part_ = 0;
    next_ = qMax<qsizetype>(0, from);
    advance();
    if (!idle()) timer_.start();
}

// Skips past the ends of the parts; false when nothing is left.
bool HintPrefetch::advance() {
    while (part_ < 2 && next_ >= parts_[part_].size()) {
        ++part_;
        next_ = 0;
    }
    return !idle();
}

void HintPrefetch::step() {
    // Positions already ready cost a few lookups; the first that needs work ends the turn.
    while (advance()) {
        if (warm_(parts_[part_], next_++)) break;
    }
    if (advance()) timer_.start();
}

bool PictureCache::find(const QString& ch, bool hiDpi, QPixmap* pm) const {
    const auto it = keys_.constFind(ch);
    return it != keys_.constEnd() && it->hiDpi == hiDpi && QPixmapCache::find(it->key, pm);
}

bool PictureCache::get(const QString& ch, bool hiDpi, QPixmap* pm) {
    if (find(ch, hiDpi, pm)) return true;
    // Read directly rather than with QPixmap::load, which would keep a second entry of the same
    // pixmap in the cache under its file name and so halve the pictures the cache holds. The
    // format is told by the content, not by the ".gif" of the name.
    auto read = [this, &ch](const QString& suffix) {
        QImageReader reader(folder_ + ch + suffix);
        return reader.read();
    };
    QImage img;
    if (hiDpi) {
        img = read(QStringLiteral("@2x.gif"));
        if (!img.isNull()) img.setDevicePixelRatio(2.0);
    }
    if (img.isNull()) img = read(QStringLiteral(".gif"));
    if (img.isNull()) return false;
    *pm = QPixmap::fromImage(std::move(img));
    if (pm->isNull()) return false;
    keys_.insert(ch, Entry{QPixmapCache::insert(*pm), hiDpi});
    return true;
}

std::optional<CodeDictionary::Result> LookupMemo::search(CodeDictionary* dict,
                                                         const QString& query) {
    if (const auto it = answers_.constFind(query); it != answers_.constEnd()) return *it;
    auto answer = dict ? dict->search(query) : std::nullopt;
    if (!answer) return answer;
    if (answers_.size() >= kLimit) answers_.clear();
    answers_.insert(query, *answer);
    return answer;
}

}  // namespace ml
