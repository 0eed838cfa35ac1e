#pragma once
// What the practice window says to the learner, in one place: captions and the texts of its
// message boxes. CR (U+000D) separates the lines of a message box; several texts end in three
// ideographic spaces (U+3000). Both are part of the texts.

#include <QString>

namespace ml::text {

inline const QString kWindowTitle = QStringLiteral("墨岚打字通");
// The file-name bar while no practice file is open.
inline const QString kNoFileCaption = QStringLiteral("练习文件类型: *.txt");
inline const QString kSettingsTip = QStringLiteral("功能键与设置");
inline const QString kLookupTip = QStringLiteral("拆字方法、编码查询");
inline const QString kAboutTip = QStringLiteral("关于");
inline const QString kStatisticsTip = QStringLiteral("练习统计");

// The item of `length` characters is too long for a practice line: shall the file be converted?
QString formatCheck(const QString& item, qint64 length);
QString refusedExtension(const QString& candidate);
QString fileAlreadyOpen();
QString cannotWriteConversion(const QString& target, const QString& why);
QString conversionFailed(const QString& why);
QString conversionDone(const QString& target);

// A practice file (local or shared) that cannot be opened in the classroom's words.
QString openFailed(const QString& path);
// A network path on a machine that cannot reach shares: `reason` tells the teacher what to install.
QString shareSupportMissing(const QString& path, const QString& reason);
QString cannotOpenPractice(const QString& path, const QString& why);
QString cannotGoOnReading(const QString& path, const QString& why);
QString progressNotWritable(const QString& path, const QString& why);
// A finished line could not be saved; practice goes on.
QString progressWriteFailed(const QString& path, const QString& why);
// Why a file is refused: it holds NUL bytes, which no code page 936 text does.
QString binaryFileReason();

QString remoteConfigMissing(const QString& iniPath);
QString remoteConfigBadPrefix(const QString& iniPath);
// "远程内容.ini" is there but cannot be decoded; `why` says where or what.
QString remoteConfigUnreadable(const QString& iniPath, const QString& why);

QString notInDictionary(const QString& query);

}  // namespace ml::text
