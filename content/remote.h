#pragma once
// The classroom's shared practice text: its configuration file and how it is fetched.

#include <QString>
#include <memory>

namespace ml {

class ItemReader;

struct RemoteConfig {
    enum Status { Missing, BadPrefix, Ok } status = Missing;
    // The configured path; empty when the help text is to be practised instead.
    QString path;
};

// Reads the title item and the path item of "远程内容.ini". The path item must begin with
// "path=", "Path=" or "PATH=" exactly; a path item of 12 characters or fewer names no file.
RemoteConfig readRemoteConfig(ItemReader& reader);

// Opens a practice text by a local, mounted or network path (\\server\share\…), reading it once
// into memory so that a share that drops during practice does not break the current pass.
std::unique_ptr<ItemReader> openRemoteText(const QString& path, QString* error);

}  // namespace ml
