#pragma once
// Decomposition pictures decoded ahead, in idle time, into the pixmap cache the hint display
// reads: a cold picture costs a file read and a GIF decode (about 0.1-0.2 ms), too much for the
// keystroke that needs it. One picture is decoded per turn of the event loop, so a keystroke
// that arrives meanwhile waits for one decode at most.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace ml {

class PicturePrefetch : public QObject {
public:
    // `warm` decodes the picture of one character into the cache; it returns false when there
    // was nothing to do (the picture is cached already, or there is none).
    PicturePrefetch(std::function<bool(const QString&)> warm, QObject* parent);
    // Replaces what is still to be decoded by the characters of `text`, in order.
    void want(const QString& text);
    bool idle() const { return next_ >= queue_.size(); }

private:
    void step();
    std::function<bool(const QString&)> warm_;
    QString queue_;
    qsizetype next_ = 0;
    QTimer timer_;
};

}  // namespace ml
