// Reading the shared practice text from a Windows share (\\server\share\…) on systems that do not
// open such paths themselves, through libsmbclient.
//
// Who we are: the guest. The tutor supplies no password and keeps none, and Kerberos tickets and
// cached credentials are switched off, so exactly the shares that any machine of the classroom
// may read open, and a share that needs a password fails.
//
// How long it may take: the window waits for the file, so the wait is bounded twice. libsmbclient
// gives up on a connection or answer after kSmbTimeoutMs; and the whole fetch runs on a worker
// thread that the window abandons after kDeadlineMs, whatever the library is doing. The second
// bound covers name resolution: a server given by name is looked up in the order of the
// system's smb.conf ("name resolve order", NetBIOS broadcast included, which is how classroom PCs
// usually find each other), and a lookup through an unreachable DNS server can outlast the
// library's own timeout. A server given as an IP address needs no lookup at all.
#include "platform/smbfetch.h"

#ifdef ML_HAVE_SMBCLIENT
#include <fcntl.h>
#include <libsmbclient.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#endif

namespace ml {

#ifndef ML_HAVE_SMBCLIENT

bool networkPathsSupported() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

bool fetchFromShare(const QString&, qint64, QByteArray*, QString* error) {
    if (error) *error = QStringLiteral("这个版本不能访问网络路径。");
    return false;
}

#else

namespace {

constexpr int kSmbTimeoutMs = 4000;
constexpr auto kDeadline = std::chrono::milliseconds(6000);

// What the worker hands back. Shared with the worker, which may outlive an abandoned wait.
struct Fetch {
    std::mutex lock;
    std::condition_variable doneSignal;
    bool done = false;
    bool ok = false;
    QByteArray bytes;
    QString error;
};

void asGuest(SMBCCTX*, const char*, const char*, char*, int, char* user, int userLen,
             char* password, int passwordLen) {
    // The buffers arrive filled with the login name of the process; never send it.
    if (userLen > 0) std::snprintf(user, size_t(userLen), "%s", "guest");
    if (passwordLen > 0) password[0] = '\0';
}

QString describe(int err) {
    switch (err) {
        case ENOENT:
            return QStringLiteral("找不到这个文件或共享文件夹。");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有访问权限（这个共享文件夹可能需要密码）。");
        case EISDIR:
            return QStringLiteral("这是一个文件夹，不是文件。");
        case ETIMEDOUT:
            return QStringLiteral("连接超时。");
        case ECONNREFUSED:
            return QStringLiteral("对方拒绝连接。");
        case EINVAL:
            return QStringLiteral("网络路径的格式不对。");
        default:
            return QString::fromLocal8Bit(std::strerror(err));
    }
}

bool readShare(const std::string& url, qint64 maxBytes, QByteArray* bytes, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    SMBCCTX* ctx = smbc_new_context();
    if (!ctx) return fail(describe(errno));
    smbc_setDebug(ctx, 0);
    smbc_setUser(ctx, "guest");
    smbc_setFunctionAuthDataWithContext(ctx, asGuest);
    smbc_setOptionUseKerberos(ctx, false);
    smbc_setOptionFallbackAfterKerberos(ctx, false);
    smbc_setOptionUseCCache(ctx, false);
    smbc_setTimeout(ctx, kSmbTimeoutMs);
    if (!smbc_init_context(ctx)) {
        const int err = errno;
        smbc_free_context(ctx, 0);
        return fail(describe(err));
    }
    bool ok = false;
    SMBCFILE* file = smbc_getFunctionOpen(ctx)(ctx, url.c_str(), O_RDONLY, 0);
    if (!file) {
        fail(describe(errno));
    } else {
        struct stat st {};
        if (smbc_getFunctionFstat(ctx)(ctx, file, &st) < 0) {
            fail(describe(errno));
        } else if (!S_ISREG(st.st_mode)) {
            fail(describe(EISDIR));
        } else if (st.st_size > maxBytes) {
            fail(QStringLiteral("文件过大。"));
        } else {
            ok = true;
            bytes->clear();
            QByteArray chunk(64 * 1024, Qt::Uninitialized);
            for (;;) {
                const ssize_t n =
                    smbc_getFunctionRead(ctx)(ctx, file, chunk.data(), size_t(chunk.size()));
                if (n < 0) {
                    ok = fail(describe(errno));
                    break;
                }
                if (n == 0) break;
                bytes->append(chunk.constData(), qsizetype(n));
                if (bytes->size() > maxBytes) {
                    ok = fail(QStringLiteral("文件过大。"));
                    break;
                }
            }
        }
        smbc_getFunctionClose(ctx)(ctx, file);
    }
    smbc_free_context(ctx, 1);
    return ok;
}

}  // namespace

bool networkPathsSupported() { return true; }

bool fetchFromShare(const QString& url, qint64 maxBytes, QByteArray* bytes, QString* error) {
    // libsmbclient as packaged here has no thread support of its own: one fetch at a time. A
    // fetch that was abandoned while stuck makes the next one wait for it, within the deadline.
    // Never destroyed, so that a worker still running at exit finds it intact.
    static auto* const oneAtATime = new std::mutex;

    auto fetch = std::make_shared<Fetch>();
    std::thread worker([fetch, target = url.toStdString(), maxBytes] {
        QByteArray got;
        QString why;
        bool ok;
        {
            std::lock_guard<std::mutex> turn(*oneAtATime);
            ok = readShare(target, maxBytes, &got, &why);
        }
        std::lock_guard<std::mutex> hold(fetch->lock);
        fetch->ok = ok;
        fetch->bytes = std::move(got);
        fetch->error = std::move(why);
        fetch->done = true;
        fetch->doneSignal.notify_all();
    });
    std::unique_lock<std::mutex> hold(fetch->lock);
    if (!fetch->doneSignal.wait_for(hold, kDeadline, [&] { return fetch->done; })) {
        // Left to finish on its own; it only touches its own context and `fetch`.
        hold.unlock();
        worker.detach();
        if (error) *error = describe(ETIMEDOUT);
        return false;
    }
    hold.unlock();
    worker.join();
    if (!fetch->ok) {
        if (error) *error = fetch->error;
        return false;
    }
    *bytes = std::move(fetch->bytes);
    return true;
}

#endif

}  // namespace ml
