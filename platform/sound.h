#pragma once
// Asynchronous WAV playback on one audio device: a new sound clears what is still queued.
//
// SDL is loaded, and its audio opened, only when sound is first wanted: SDL and the libraries it
// links (audio servers, Wayland, X extensions) would otherwise be loaded by every start of the
// tutor and by every --convert. prepare() does that work on a worker thread ahead of the first
// sound; play() waits for it, or does it itself when nobody asked earlier.

#include <QHash>
#include <QString>
#include <mutex>
#include <thread>
#include <vector>

namespace ml {

class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts loading SDL and opening the audio device on a worker thread; returns at once.
    // Harmless when called again or after the device is open.
    void prepare();
    // Returns false when the file cannot be loaded or no audio device can be opened; the caller
    // then gives the platform's default sound.
    bool play(const QString& path);

    // The library SDL is loaded from: "SDL2-2.0" with version 0 by default (libSDL2-2.0.so.0).
    // For tests, before the first prepare() or play().
    void setLibrary(const QString& name, int version);

private:
    struct Api;
    // Loads SDL, starts its audio and opens the device, once; true when the device is open.
    bool openDevice();
    // Waits for a preparation under way, or prepares now.
    bool ready();
    const std::vector<unsigned char>* samples(const QString& path);

    std::mutex openLock_;
    std::thread preparing_;
    QString libName_ = QStringLiteral("SDL2-2.0");
    int libVersion_ = 0;
    const Api* sdl_ = nullptr;
    unsigned device_ = 0;
    bool initTried_ = false;
    bool initOk_ = false;
    int freq_ = 0;
    unsigned short format_ = 0;
    int channels_ = 0;
    // Converted to the device's format, by path: the error sound comes again and again.
    QHash<QString, std::vector<unsigned char>> cache_;
};

}  // namespace ml
