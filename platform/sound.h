#pragma once
// Asynchronous WAV playback on one audio device: a new sound clears what is still queued.

#include <QString>

namespace ml {

class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;
    // Returns false when the file cannot be loaded or no audio device can be opened; the caller
    // then gives the platform's default sound.
    bool play(const QString& path);

private:
    bool openDevice();
    unsigned device_ = 0;
    bool initTried_ = false;
    bool initOk_ = false;
    int freq_ = 0;
    unsigned short format_ = 0;
    int channels_ = 0;
};

}  // namespace ml
