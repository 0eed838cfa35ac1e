// Synthesises the tutor's three sounds into <program folder>/声音, so no binary audio lives in the
// source tree. Usage: gen_sounds <program folder>
//
// The folder and file names are spelled here rather than passed in: a program built on the standard
// library alone cannot receive non-ASCII arguments reliably on every platform.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;

// One overtone of a note: frequency ratio to the fundamental, relative level, and the time
// constant of its exponential decay. Higher partials die faster, as on struck bars and bells.
struct Partial {
    double ratio;
    double level;
    double decay;
};

struct Note {
    double start;      // seconds from the beginning of the sound
    double frequency;  // Hz at the note's onset
    double glideTo;    // Hz reached at the end of the sound (== frequency for a steady pitch)
    double level;
    double attack;  // seconds of raised-cosine fade-in; avoids the click of a hard onset
    std::vector<Partial> partials;
};

struct Sound {
    const char8_t* fileName;
    double duration;  // seconds
    double release;   // seconds of raised-cosine fade-out at the end, so the last sample is silence
    double peak;      // peak amplitude after normalising, as a fraction of full scale
    std::vector<Note> notes;
};

double raisedCosine(double x) {
    // 0 -> 0, 1 -> 1, with zero slope at both ends.
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

std::vector<double> render(const Sound& sound) {
    const auto count = static_cast<std::size_t>(std::lround(sound.duration * kSampleRate));
    std::vector<double> out(count, 0.0);
    for (const Note& note : sound.notes) {
        const auto first = static_cast<std::size_t>(std::lround(note.start * kSampleRate));
        const double length = sound.duration - note.start;
        // The pitch glides exponentially so the fall sounds even; the phase is accumulated so
        // the glide has no discontinuities.
        double phase = 0.0;
        for (std::size_t i = first; i < count; ++i) {
            const double t = static_cast<double>(i - first) / kSampleRate;
            const double frequency =
                note.frequency * std::pow(note.glideTo / note.frequency, t / length);
            double sample = 0.0;
            for (const Partial& p : note.partials) {
                sample += p.level * std::exp(-t / p.decay) * std::sin(p.ratio * phase);
            }
            out[i] += note.level * raisedCosine(t / note.attack) * sample;
            phase += 2.0 * std::numbers::pi * frequency / kSampleRate;
        }
    }
    const auto releaseSamples = static_cast<double>(std::lround(sound.release * kSampleRate));
    for (std::size_t i = 0; i < count; ++i) {
        const double left = static_cast<double>(count - 1 - i);
        out[i] *= raisedCosine(left / releaseSamples);
    }
    double max = 0.0;
    for (double v : out) max = std::max(max, std::abs(v));
    if (max > 0.0) {
        for (double& v : out) v *= sound.peak / max;
    }
    return out;
}

void putLe(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// 16-bit PCM mono WAV, written beside the target and renamed into place so an interrupted build
// never leaves a truncated file that looks up to date.
bool writeWav(const std::filesystem::path& path, const std::vector<double>& samples) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::string bytes;
    bytes.reserve(44 + dataSize);
    bytes += "RIFF";
    putLe(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLe(bytes, 16, 4);  // fmt chunk size
    putLe(bytes, 1, 2);   // PCM
    putLe(bytes, 1, 2);   // mono
    putLe(bytes, kSampleRate, 4);
    putLe(bytes, kSampleRate * 2, 4);  // byte rate
    putLe(bytes, 2, 2);                // block align
    putLe(bytes, 16, 2);               // bits per sample
    bytes += "data";
    putLe(bytes, dataSize, 4);
    for (double v : samples) {
        const long s = std::clamp(std::lround(v * 32767.0), -32767L, 32767L);
        putLe(bytes, static_cast<std::uint32_t>(static_cast<std::uint16_t>(s)), 2);
    }

    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
            !file.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

std::vector<Sound> sounds() {
    // A soft bell: a mellow A5 with a faint octave and a touch of the bell's inharmonic partial.
    // A slightly detuned twin gives it a gentle shimmer instead of a pure test tone.
    Sound notify{u8"通知.wav", 0.38, 0.06, 0.40, {}};
    notify.notes.push_back(
        {0.0,
         880.0,
         880.0,
         1.0,
         0.006,
         {{1.0, 1.0, 0.16}, {1.003, 0.35, 0.16}, {2.0, 0.22, 0.07}, {2.76, 0.06, 0.04}}});

    // A bright rising arpeggio C6-E6-G6, each note ringing into the next.
    Sound open{u8"打开文件.wav", 0.34, 0.05, 0.45, {}};
    const std::vector<Partial> bright{{1.0, 1.0, 0.10}, {2.0, 0.30, 0.05}, {3.0, 0.10, 0.03}};
    open.notes.push_back({0.00, 1046.50, 1046.50, 0.80, 0.004, bright});
    open.notes.push_back({0.07, 1318.51, 1318.51, 0.85, 0.004, bright});
    open.notes.push_back({0.14, 1567.98, 1567.98, 1.00, 0.004, bright});

    // A short, quiet, falling wooden knock. It sounds on every wrong character, so it is kept
    // brief and low; the soft second and third harmonics let small speakers reproduce it.
    Sound wrong{u8"打错字.wav", 0.12, 0.02, 0.32, {}};
    wrong.notes.push_back({0.0,
                           240.0,
                           165.0,
                           1.0,
                           0.003,
                           {{1.0, 1.0, 0.045}, {2.0, 0.30, 0.025}, {3.0, 0.10, 0.015}}});

    return {notify, open, wrong};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_sounds <program folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / u8"声音";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "gen_sounds: cannot create %s: %s\n",
                     reinterpret_cast<const char*>(folder.u8string().c_str()),
                     ec.message().c_str());
        return 1;
    }
    for (const Sound& sound : sounds()) {
        const std::filesystem::path path = folder / sound.fileName;
        if (!writeWav(path, render(sound))) {
            std::fprintf(stderr, "gen_sounds: cannot write %s\n",
                         reinterpret_cast<const char*>(path.u8string().c_str()));
            return 1;
        }
    }
    return 0;
}
