#pragma once
// Reading a file from a Windows share (smb://server/share/…) on systems that do not open
// \\server\share paths themselves.

#include <QByteArray>
#include <QString>

namespace ml {

// True when network paths can be opened (always on Windows; elsewhere only when built with
// libsmbclient's header and the library is installed). The first call loads the library.
bool networkPathsSupported();

// Why network paths cannot be opened here, for the teacher who set up the classroom: SMB support
// is not installed, or not built in.
QString shareSupportMissingReason();

// The shared library that network paths are read through, as QLibrary names it: "smbclient" with
// version 0 by default (libsmbclient.so.0); a negative version takes the name as it is. Loaded on
// the next use; tests name a library that does not exist to play a machine without SMB support.
void setSmbClientLibrary(const QString& name, int version);

// Reads a whole file from a share, given as an smb:// URL, as the guest user: no password is
// asked or stored, and no Kerberos ticket or cached credential is used, so a share that needs a
// password fails. Refuses a folder and a file over `maxBytes`. Gives up within a few seconds on a
// host that is slow or does not answer. False with *error set on failure; always false when built
// without libsmbclient or when the library is not installed.
bool fetchFromShare(const QString& url, qint64 maxBytes, QByteArray* bytes, QString* error);

}  // namespace ml
