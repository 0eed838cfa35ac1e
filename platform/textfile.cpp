#include "textfile.h"

#include <QDir>

#include "cp936.h"

namespace ml {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// "字符“😀”（U+1F600）" for the code unit at `index`; a lone surrogate is named by number only.
QString describeCharacter(QStringView text, qsizetype index) {
    if (index < 0 || index >= text.size()) return QStringLiteral("某个字符");
    const QChar c = text[index];
    char32_t code = c.unicode();
    QString glyph;
    if (c.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(c, text[index + 1]);
        glyph = text.mid(index, 2).toString();
    } else if (!c.isSurrogate()) {
        glyph = QString(c);
    }
    const QString number =
        QStringLiteral("U+%1").arg(uint(code), code > 0xFFFF ? 5 : 4, 16, QLatin1Char('0')).toUpper();
    if (glyph.isEmpty() || !c.isPrint()) {
        if (code > 0xFFFF && !glyph.isEmpty())
            return QStringLiteral("字符“%1”（%2）").arg(glyph, number);
        return QStringLiteral("字符 %1").arg(number);
    }
    return QStringLiteral("字符“%1”（%2）").arg(glyph, number);
}

bool encodeOrDescribe(QStringView text, QByteArray& bytes, QString* error) {
    qsizetype bad = -1;
    if (encodeCp936(text, bytes, &bad)) return true;
    if (error) {
        *error = QStringLiteral("%1无法用 GBK（代码页 936）保存。").arg(describeCharacter(text, bad));
    }
    return false;
}

}  // namespace

bool Cp936LineWriter::open(const QString& path, QString* error) {
    cancel();
    error_.clear();
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("无法写入文件“%1”（可能没有写入权限，或文件夹不存在）。").arg(shown(path));
        if (error) *error = error_;
        return false;
    }
    file_ = std::move(file);
    if (error) error->clear();
    return true;
}

bool Cp936LineWriter::write(QStringView text) {
    if (!file_) {
        if (error_.isEmpty()) error_ = QStringLiteral("文件没有打开，无法写入。");
        return false;
    }
    QByteArray bytes;
    if (!encodeOrDescribe(text, bytes, &error_)) {
        // A file with a line missing must never replace the old one: give up on it.
        file_->cancelWriting();
        return false;
    }
    if (file_->write(bytes) != bytes.size()) {
        error_ = QStringLiteral("写入文件“%1”时出错（磁盘可能已满）。").arg(shown(file_->fileName()));
        file_->cancelWriting();
        return false;
    }
    return true;
}

bool Cp936LineWriter::writeLine(QStringView line) {
    return write(line) && write(u"\r\n");
}

bool Cp936LineWriter::commit(QString* error) {
    if (!file_) {
        if (error_.isEmpty()) error_ = QStringLiteral("文件没有打开，无法保存。");
        if (error) *error = error_;
        return false;
    }
    const QString name = file_->fileName();
    const bool ok = file_->commit();
    file_.reset();
    if (!ok) {
        // An earlier failure (error_ already set) cancels the file; keep that reason.
        if (error_.isEmpty())
            error_ = QStringLiteral("无法保存文件“%1”（可能没有写入权限，或磁盘已满）。").arg(shown(name));
        if (error) *error = error_;
        return false;
    }
    error_.clear();
    if (error) error->clear();
    return true;
}

void Cp936LineWriter::cancel() {
    if (file_) file_->cancelWriting();
    file_.reset();  // the temporary file is removed; the old file is untouched
}

bool writeLinesCp936(const QString& path, const QStringList& lines, QString* error) {
    QByteArray all;
    for (const QString& line : lines) {
        QByteArray bytes;
        if (!encodeOrDescribe(line, bytes, error)) return false;
        all += bytes;
        all += "\r\n";
    }
    return writeBytesAtomic(path, all, error);
}

bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”（可能没有写入权限，或文件夹不存在）。").arg(shown(path));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("无法保存文件“%1”（可能没有写入权限，或磁盘已满）。").arg(shown(path));
        return false;
    }
    if (error) error->clear();
    return true;
}

}  // namespace ml
