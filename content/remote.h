#pragma once
// The classroom's shared practice text: its configuration file and the network path it names.

#include <QByteArray>
#include <QString>
#include <memory>

namespace ml {

class ItemReader;

struct RemoteConfig {
    // Missing: the file cannot be opened or holds fewer than two items. Unreadable: it exists but
    // its text cannot be decoded (or reading it failed), so it must not be taken for missing and
    // overwritten with the defaults.
    enum Status { Missing, Unreadable, BadPrefix, Ok } status = Missing;
    // The configured path; empty when the help text is to be practised instead.
    QString path;
    // Unreadable: what is wrong with the file, in the teacher's words.
    QString problem;
    // The path item is longer than any path a system accepts; `path` then holds only its
    // beginning followed by "…", for messages, and names no file.
    bool tooLong = false;
};

// Reads the title item and the path item of "远程内容.ini". The path item must begin with
// "path=", "Path=" or "PATH=" exactly (so "Path =" is an error); a path item of 12 characters or
// fewer names no file. Line ends may be CR LF, CR or LF. At most kMaxRemotePath characters of the
// path are kept, so a runaway line costs no memory.
RemoteConfig readRemoteConfig(ItemReader& reader);
inline constexpr qsizetype kMaxRemotePath = 4096;

// Opens "远程内容.ini" for readRemoteConfig. The file is meant to be in code page 936, but an
// editor's "UTF-8" or "Unicode" choice saves it with a byte-order mark, and a teacher expects
// that to work too: a file that starts with EF BB BF is read as UTF-8, one that starts with FF FE
// or FE FF as UTF-16 (little or big endian), the mark itself not being part of the text. Such
// text is read piece by piece through code page 936, so a character that code page 936 cannot
// hold, a broken sequence or one cut off at the end of the file makes the item that reaches it
// unreadable, as a bad byte in a code page 936 file does; the reader's errorString() says which.
// Returns nullptr when the file cannot be opened.
std::unique_ptr<ItemReader> openRemoteConfig(const QString& path, QString* error = nullptr);

// "\\server\share\dir\file" or "//server/share/dir/file" as an smb:// address, each part
// percent-encoded (so "?", "@", "%" and the like stay part of the names) except the ":" before a
// port after the server's name. Empty when the path does not name a server, a share and a file.
QString smbUrlFor(const QString& networkPath);

}  // namespace ml
