#include "sound.h"

#include <SDL.h>

#include <QFile>
#include <algorithm>
#include <vector>

namespace ml {

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (initOk_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundPlayer::openDevice() {
    if (initTried_) return device_ != 0;
    initTried_ = true;
    // Started on first use: most sessions never need audio before the first keystroke.
    // SDL would otherwise take over SIGINT/SIGTERM and the tutor could no longer be stopped.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    initOk_ = true;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    freq_ = have.freq;
    format_ = have.format;
    channels_ = have.channels;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool SoundPlayer::play(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    if (!openDevice()) return false;

    SDL_RWops* rw = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 len = 0;
    if (SDL_LoadWAV_RW(rw, 1, &spec, &data, &len) == nullptr) return false;

    SDL_AudioCVT cvt;
    const int built = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, format_,
                                        static_cast<Uint8>(channels_), freq_);
    if (built < 0) {
        SDL_FreeWAV(data);
        return false;
    }
    std::vector<Uint8> buf(static_cast<size_t>(len) * static_cast<size_t>(cvt.len_mult > 0 ? cvt.len_mult : 1));
    std::copy(data, data + len, buf.begin());
    SDL_FreeWAV(data);
    cvt.buf = buf.data();
    cvt.len = static_cast<int>(len);
    if (built == 1 && SDL_ConvertAudio(&cvt) != 0) return false;
    const Uint32 outLen = built == 1 ? static_cast<Uint32>(cvt.len_cvt) : len;

    // A new sound replaces whatever is still playing.
    SDL_ClearQueuedAudio(device_);
    return SDL_QueueAudio(device_, buf.data(), outLen) == 0;
}

}  // namespace ml
