#include "sound.h"

#include <SDL.h>

#include <QFile>
#include <QLibrary>
#include <algorithm>

namespace ml {

// The few SDL entry points used here, resolved from the library when sound is first wanted.
// SDL.h gives their prototypes only; nothing of SDL is linked.
struct SoundPlayer::Api {
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_RWFromConstMem) rwFromConstMem = nullptr;
    decltype(&SDL_LoadWAV_RW) loadWav = nullptr;
    decltype(&SDL_FreeWAV) freeWav = nullptr;
    decltype(&SDL_BuildAudioCVT) buildAudioCvt = nullptr;
    decltype(&SDL_ConvertAudio) convertAudio = nullptr;
    decltype(&SDL_ClearQueuedAudio) clearQueuedAudio = nullptr;
    decltype(&SDL_QueueAudio) queueAudio = nullptr;
};

namespace {

template <typename F>
bool resolve(QLibrary& lib, const char* symbol, F& fn) {
    fn = reinterpret_cast<F>(lib.resolve(symbol));
    return fn != nullptr;
}

}  // namespace

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer() {
    if (preparing_.joinable()) preparing_.join();
    if (device_ != 0) sdl_->closeAudioDevice(device_);
    if (initOk_) sdl_->quitSubSystem(SDL_INIT_AUDIO);
    delete sdl_;  // the library itself stays loaded, as SDL expects of its process
}

void SoundPlayer::setLibrary(const QString& name, int version) {
    libName_ = name;
    libVersion_ = version;
}

bool SoundPlayer::openDevice() {
    std::lock_guard<std::mutex> hold(openLock_);
    if (initTried_) return device_ != 0;
    initTried_ = true;
    QLibrary lib(libName_, libVersion_);
    if (!lib.load()) return false;
    auto* a = new Api;
    const bool resolved =
        resolve(lib, "SDL_SetHint", a->setHint) &&
        resolve(lib, "SDL_InitSubSystem", a->initSubSystem) &&
        resolve(lib, "SDL_QuitSubSystem", a->quitSubSystem) &&
        resolve(lib, "SDL_OpenAudioDevice", a->openAudioDevice) &&
        resolve(lib, "SDL_CloseAudioDevice", a->closeAudioDevice) &&
        resolve(lib, "SDL_PauseAudioDevice", a->pauseAudioDevice) &&
        resolve(lib, "SDL_RWFromConstMem", a->rwFromConstMem) &&
        resolve(lib, "SDL_LoadWAV_RW", a->loadWav) && resolve(lib, "SDL_FreeWAV", a->freeWav) &&
        resolve(lib, "SDL_BuildAudioCVT", a->buildAudioCvt) &&
        resolve(lib, "SDL_ConvertAudio", a->convertAudio) &&
        resolve(lib, "SDL_ClearQueuedAudio", a->clearQueuedAudio) &&
        resolve(lib, "SDL_QueueAudio", a->queueAudio);
    if (!resolved) {
        delete a;
        return false;
    }
    sdl_ = a;
    // SDL would otherwise take over SIGINT/SIGTERM and the tutor could no longer be stopped.
    sdl_->setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl_->initSubSystem(SDL_INIT_AUDIO) != 0) return false;
    initOk_ = true;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    SDL_AudioSpec have{};
    device_ = sdl_->openAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    freq_ = have.freq;
    format_ = have.format;
    channels_ = have.channels;
    sdl_->pauseAudioDevice(device_, 0);
    return true;
}

void SoundPlayer::prepare() {
    std::lock_guard<std::mutex> hold(openLock_);
    if (initTried_ || preparing_.joinable()) return;
    preparing_ = std::thread([this] { openDevice(); });
}

bool SoundPlayer::ready() {
    if (preparing_.joinable()) preparing_.join();
    return openDevice();
}

const std::vector<unsigned char>* SoundPlayer::samples(const QString& path) {
    auto it = cache_.constFind(path);
    if (it != cache_.constEnd()) return &*it;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray bytes = f.readAll();

    SDL_RWops* rw = sdl_->rwFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 len = 0;
    if (sdl_->loadWav(rw, 1, &spec, &data, &len) == nullptr) return nullptr;

    SDL_AudioCVT cvt;
    const int built = sdl_->buildAudioCvt(&cvt, spec.format, spec.channels, spec.freq, format_,
                                          static_cast<Uint8>(channels_), freq_);
    if (built < 0) {
        sdl_->freeWav(data);
        return nullptr;
    }
    std::vector<unsigned char> buf(static_cast<size_t>(len) *
                                   static_cast<size_t>(cvt.len_mult > 0 ? cvt.len_mult : 1));
    std::copy(data, data + len, buf.begin());
    sdl_->freeWav(data);
    cvt.buf = buf.data();
    cvt.len = static_cast<int>(len);
    if (built == 1 && sdl_->convertAudio(&cvt) != 0) return nullptr;
    buf.resize(built == 1 ? static_cast<size_t>(cvt.len_cvt) : len);
    return &*cache_.insert(path, std::move(buf));
}

bool SoundPlayer::play(const QString& path) {
    if (!QFile::exists(path)) return false;
    if (!ready()) return false;
    const std::vector<unsigned char>* pcm = samples(path);
    if (!pcm) return false;
    // A new sound replaces whatever is still playing.
    sdl_->clearQueuedAudio(device_);
    return sdl_->queueAudio(device_, pcm->data(), static_cast<Uint32>(pcm->size())) == 0;
}

}  // namespace ml
