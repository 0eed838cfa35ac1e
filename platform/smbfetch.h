#pragma once
// Reading a file from a Windows share (smb://server/share/…) on systems that do not open
// \\server\share paths themselves.

#include <QByteArray>
#include <QString>

namespace ml {

// True when network paths can be opened in this build (always on Windows; elsewhere only when
// built with libsmbclient).
bool networkPathsSupported();

// Reads a whole file from a share, given as an smb:// URL, as the guest user: no password is
// asked or stored, and no Kerberos ticket or cached credential is used, so a share that needs a
// password fails. Refuses a folder and a file over `maxBytes`. Gives up within a few seconds on a
// host that is slow or does not answer. False with *error set on failure; always false when built
// without libsmbclient.
bool fetchFromShare(const QString& url, qint64 maxBytes, QByteArray* bytes, QString* error);

}  // namespace ml
