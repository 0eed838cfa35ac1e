// Reading the shared practice text from a Windows share (\\server\share\…) on systems that do not
// open such paths themselves, through libsmbclient.
//
// When it is loaded: on the first network path. libsmbclient pulls in over a hundred libraries of
// Samba's, which would cost every start, every --convert and every local practice session tens
// of milliseconds and megabytes for a classroom feature; so it is opened with QLibrary, and its
// header only gives the prototypes. A machine without it runs everything but the share.
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

#include <QLibrary>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
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

void setSmbClientLibrary(const QString&, int) {}

QString shareSupportMissingReason() { return QStringLiteral("这个版本不能访问网络路径。"); }

#else

namespace {

// The entry points the fetch uses, resolved from the library on first use.
struct SmbApi {
    decltype(&smbc_new_context) newContext = nullptr;
    decltype(&smbc_init_context) initContext = nullptr;
    decltype(&smbc_free_context) freeContext = nullptr;
    decltype(&smbc_setDebug) setDebug = nullptr;
    decltype(&smbc_setUser) setUser = nullptr;
    decltype(&smbc_setFunctionAuthDataWithContext) setAuth = nullptr;
    decltype(&smbc_setOptionUseKerberos) useKerberos = nullptr;
    decltype(&smbc_setOptionFallbackAfterKerberos) fallbackAfterKerberos = nullptr;
    decltype(&smbc_setOptionUseCCache) useCCache = nullptr;
    decltype(&smbc_setTimeout) setTimeout = nullptr;
    decltype(&smbc_getFunctionOpen) open = nullptr;
    decltype(&smbc_getFunctionFstat) fstat = nullptr;
    decltype(&smbc_getFunctionRead) read = nullptr;
    decltype(&smbc_getFunctionClose) close = nullptr;
};

struct Loader {
    std::mutex lock;
    QString name = QStringLiteral("smbclient");
    int version = 0;  // libsmbclient.so.0: the run-time library, not the -dev package's symlink
    bool tried = false;
    const SmbApi* api = nullptr;
    std::vector<QLibrary*> libraries;  // every library loaded, kept loaded for good
};

// Never destroyed, nor are the tables and libraries it loads: a fetch abandoned at its deadline
// may still be calling into the library at exit.
Loader& loader() {
    static auto* const l = new Loader;
    return *l;
}

template <typename F>
bool resolve(QLibrary& lib, const char* symbol, F& fn) {
    fn = reinterpret_cast<F>(lib.resolve(symbol));
    return fn != nullptr;
}

// The library's entry points, or nullptr when it cannot be loaded.
const SmbApi* smbApi() {
    Loader& l = loader();
    std::lock_guard<std::mutex> hold(l.lock);
    if (l.tried) return l.api;
    l.tried = true;
    auto* lib = l.version >= 0 ? new QLibrary(l.name, l.version) : new QLibrary(l.name);
    if (!lib->load()) {
        delete lib;
        return nullptr;
    }
    l.libraries.push_back(lib);
    auto* api = new SmbApi;
    SmbApi& a = *api;
    const bool ok = resolve(*lib, "smbc_new_context", a.newContext) &&
           resolve(*lib, "smbc_init_context", a.initContext) &&
           resolve(*lib, "smbc_free_context", a.freeContext) &&
           resolve(*lib, "smbc_setDebug", a.setDebug) &&
           resolve(*lib, "smbc_setUser", a.setUser) &&
           resolve(*lib, "smbc_setFunctionAuthDataWithContext", a.setAuth) &&
           resolve(*lib, "smbc_setOptionUseKerberos", a.useKerberos) &&
           resolve(*lib, "smbc_setOptionFallbackAfterKerberos", a.fallbackAfterKerberos) &&
           resolve(*lib, "smbc_setOptionUseCCache", a.useCCache) &&
           resolve(*lib, "smbc_setTimeout", a.setTimeout) &&
           resolve(*lib, "smbc_getFunctionOpen", a.open) &&
           resolve(*lib, "smbc_getFunctionFstat", a.fstat) &&
           resolve(*lib, "smbc_getFunctionRead", a.read) &&
           resolve(*lib, "smbc_getFunctionClose", a.close);
    if (!ok) {
        delete api;
        return nullptr;  // not the library we know; left loaded, in case its code is running
    }
    l.api = api;
    return api;
}

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

bool readShare(const SmbApi& smb, const std::string& url, qint64 maxBytes, QByteArray* bytes,
               QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    SMBCCTX* ctx = smb.newContext();
    if (!ctx) return fail(describe(errno));
    smb.setDebug(ctx, 0);
    smb.setUser(ctx, "guest");
    smb.setAuth(ctx, asGuest);
    smb.useKerberos(ctx, false);
    smb.fallbackAfterKerberos(ctx, false);
    smb.useCCache(ctx, false);
    smb.setTimeout(ctx, kSmbTimeoutMs);
    if (!smb.initContext(ctx)) {
        const int err = errno;
        smb.freeContext(ctx, 0);
        return fail(describe(err));
    }
    bool ok = false;
    SMBCFILE* file = smb.open(ctx)(ctx, url.c_str(), O_RDONLY, 0);
    if (!file) {
        fail(describe(errno));
    } else {
        struct stat st {};
        if (smb.fstat(ctx)(ctx, file, &st) < 0) {
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
                const ssize_t n = smb.read(ctx)(ctx, file, chunk.data(), size_t(chunk.size()));
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
        smb.close(ctx)(ctx, file);
    }
    smb.freeContext(ctx, 1);
    return ok;
}

}  // namespace

bool networkPathsSupported() { return smbApi() != nullptr; }

QString shareSupportMissingReason() {
    return QStringLiteral("这台电脑没有安装访问局域网共享文件夹所需的 SMB 支持（libsmbclient）。") +
           QChar(u'\r') + QChar(u'\r') +
           QStringLiteral("请安装 libsmbclient 软件包（例如：sudo apt install libsmbclient），然后再试。");
}

void setSmbClientLibrary(const QString& name, int version) {
    Loader& l = loader();
    std::lock_guard<std::mutex> hold(l.lock);
    l.name = name;
    l.version = version;
    l.tried = false;
    l.api = nullptr;
}

bool fetchFromShare(const QString& url, qint64 maxBytes, QByteArray* bytes, QString* error) {
    const SmbApi* smb = smbApi();
    if (!smb) {
        if (error) *error = shareSupportMissingReason();
        return false;
    }
    // libsmbclient as packaged here has no thread support of its own: one fetch at a time. A
    // fetch that was abandoned while stuck makes the next one wait for it, within the deadline.
    // Never destroyed, so that a worker still running at exit finds it intact.
    static auto* const oneAtATime = new std::mutex;

    auto fetch = std::make_shared<Fetch>();
    std::thread worker([fetch, smb, target = url.toStdString(), maxBytes] {
        QByteArray got;
        QString why;
        bool ok;
        {
            std::lock_guard<std::mutex> turn(*oneAtATime);
            ok = readShare(*smb, target, maxBytes, &got, &why);
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
