#include "practice/prefetch.h"

namespace ml {

PicturePrefetch::PicturePrefetch(std::function<bool(const QString&)> warm, QObject* parent)
    : QObject(parent), warm_(std::move(warm)) {
    // A zero timer fires once the events already queued (keys, paints) are handled.
    timer_.setInterval(0);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { step(); });
}

void PicturePrefetch::want(const QString& text) {
    queue_ = text;
    next_ = 0;
    if (!idle()) timer_.start();
}

void PicturePrefetch::step() {
    // Pictures already in the cache cost a lookup; the first that needs decoding ends the turn.
    while (!idle()) {
        const QString c = queue_.mid(next_++, 1);
        if (warm_(c)) break;
    }
    if (!idle()) timer_.start();
}

}  // namespace ml
