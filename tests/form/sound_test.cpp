// The sound player, which loads SDL when sound is first wanted: through SDL's disk driver the
// samples of a played sound really reach the device; without the library every sound fails, so
// that the platform gives its default sound instead.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include "platform/sound.h"
#include "tempdir.h"

namespace {

using namespace mltest;
using namespace Qt::StringLiterals;

// A mono 16-bit WAV of `samples` samples at 22050 Hz (the device runs at another rate, so the
// player converts it).
QByteArray wav(int samples) {
    QByteArray pcm;
    for (int i = 0; i < samples; ++i) {
        const qint16 v = qToLittleEndian<qint16>(static_cast<qint16>((i % 50) * 600 - 15000));
        pcm.append(reinterpret_cast<const char*>(&v), 2);
    }
    auto le32 = [](quint32 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    auto le16 = [](quint16 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 2);
    };
    return "RIFF" + le32(36 + quint32(pcm.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) +
           le32(22050) + le32(44100) + le16(2) + le16(16) + "data" + le32(quint32(pcm.size())) + pcm;
}

TEST(Sound, PlaysThroughSdlLoadedOnFirstUse) {
    QTemporaryDir dir;
    const QString out = dir.filePath(u"device.raw"_s);
    const QString beep = dir.filePath(u"beep.wav"_s);
    ASSERT_TRUE(writeFile(beep, wav(4410)));
    ASSERT_TRUE(writeFile(dir.filePath(u"broken.wav"_s), QByteArray("RIFF\x10\0\0\0WAVEjunk", 16)));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", out.toLocal8Bit());
    {
        ml::SoundPlayer player;
        player.prepare();  // on a worker; play() waits for it
        player.prepare();
        EXPECT_FALSE(player.play(dir.filePath(u"missing.wav"_s)));
        EXPECT_FALSE(player.play(dir.filePath(u"broken.wav"_s)));
        ASSERT_TRUE(player.play(beep));
        ASSERT_TRUE(player.play(beep));  // again, from the converted copy
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(out).size() == 0 && waited.elapsed() < 5000) QThread::msleep(20);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    EXPECT_GT(QFileInfo(out).size(), 0) << "no samples reached the device";
}

TEST(Sound, WithoutTheLibraryEverySoundFails) {
    QTemporaryDir dir;
    const QString beep = dir.filePath(u"beep.wav"_s);
    ASSERT_TRUE(writeFile(beep, wav(100)));
    ml::SoundPlayer player;
    player.setLibrary(u"ml-no-such-sdl"_s, -1);
    player.prepare();
    EXPECT_FALSE(player.play(beep));
    EXPECT_FALSE(player.play(beep));
}

}  // namespace
