#pragma once
// What the harnesses share: a check that stops the run with a message (libFuzzer then keeps the
// input that failed), and small readers of the fuzzer's bytes.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace mlfuzz {

[[noreturn]] inline void failed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", file, line, what);
    std::abort();
}

// Takes bytes off the front of the input for the harness's own choices.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    QByteArray rest() const {
        return QByteArray(reinterpret_cast<const char*>(data_), qsizetype(size_));
    }

private:
    const uint8_t* data_;
    size_t size_;
};

inline std::string show(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace mlfuzz

#define ML_CHECK(cond)                                            \
    do {                                                          \
        if (!(cond)) ::mlfuzz::failed(#cond, __FILE__, __LINE__); \
    } while (0)
