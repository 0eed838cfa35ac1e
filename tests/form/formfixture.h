#pragma once
// A main window in a temporary program folder, driven through its handlers with a scripted
// platform: open answers are queued, message boxes and sounds are recorded, the clock is `now`.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>

#include "commands/keys.h"
#include "dialogs/host.h"
#include "platform/cp936.h"
#include "practice/form1.h"
#include "scriptedplatform.h"
#include "tempdir.h"
#include "tests/platform/qtprint.h"

namespace mltest {

using namespace Qt::StringLiterals;

inline QByteArray gbk(const QString& text) {
    QByteArray out;
    EXPECT_TRUE(ml::encodeCp936(text, out)) << text.toStdString();
    return out;
}

// Lines in code page 936, each followed by CR LF.
inline QByteArray gbkLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) out += gbk(line) + "\r\n";
    return out;
}

inline QByteArray le32(qint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
    return b;
}

// n distinct CJK characters starting at `from` (一 = U+4E00 onwards are all in code page 936).
inline QString cjk(int n, char16_t from = u'\u4E00') {
    QString s;
    for (int i = 0; i < n; ++i) s += QChar(char16_t(from + i));
    return s;
}

struct FormOptions {
    bool withConfig = false;      // write "config" before the window loads
    QByteArray config;            // its bytes
    bool withDictionary = false;  // copy CiKu.mdb from $ML_APP_DIR
};
// The Qt key of a key name as the key tests write them ("F5", "Esc", "PgDn", "Back" …).
inline int qtKeyNamed(const std::string& name) {
    static const std::map<std::string, int> keys = {
        {"F1", Qt::Key_F1},          {"F2", Qt::Key_F2},        {"F3", Qt::Key_F3},
        {"F4", Qt::Key_F4},          {"F5", Qt::Key_F5},        {"F6", Qt::Key_F6},
        {"F7", Qt::Key_F7},          {"F8", Qt::Key_F8},        {"F9", Qt::Key_F9},
        {"F10", Qt::Key_F10},        {"F11", Qt::Key_F11},      {"F12", Qt::Key_F12},
        {"Esc", Qt::Key_Escape},     {"Left", Qt::Key_Left},    {"Up", Qt::Key_Up},
        {"Right", Qt::Key_Right},    {"Down", Qt::Key_Down},    {"PgDn", Qt::Key_PageDown},
        {"Back", Qt::Key_Backspace}, {"Enter", Qt::Key_Return},
    };
    return keys.at(name);
}

inline FormOptions withConfig(const QByteArray& bytes) {
    FormOptions o;
    o.withConfig = true;
    o.config = bytes;
    return o;
}
inline FormOptions withDictionary() {
    FormOptions o;
    o.withDictionary = true;
    return o;
}

class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        home = dir.path();
        QDir(home).mkpath(u"声音"_s);
        QDir(home).mkpath(u"练习文件"_s);
    }
    void TearDown() override { form.reset(); }

    // Builds the window (Form_Load runs in the constructor).
    ml::Form1& build(const FormOptions& o = {}) {
        if (o.withConfig) writeFile(path(u"config"_s), o.config);
        if (o.withDictionary) {
            // The build's program folder; beside the test program's folder when ctest did not
            // pass ML_APP_DIR on.
            QString app = qEnvironmentVariable("ML_APP_DIR");
            if (app.isEmpty()) app = QCoreApplication::applicationDirPath() + u"/../app"_s;
            QFile::copy(QDir(app).filePath(u"CiKu.mdb"_s), path(u"CiKu.mdb"_s));
        }
        form = std::make_unique<ml::Form1>(p, home);
        ml::installCommands(*form);
        ml::installDialogs(*form);
        return *form;
    }
    ml::DialogHost& dialogs() const { return *ml::dialogsOf(*form); }
    // The open windows of a kind (the dialogs are windows of their own).
    template <class T>
    static int windowsOf() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<T*>(w)) ++n;
        return n;
    }

    QString path(const QString& relative) const { return QDir(home).filePath(relative); }
    QString practice(const QString& name) const { return path(u"练习文件/"_s + name); }
    QString progress(const QString& baseName) const {
        return path(u"练习进度/"_s + baseName + u".SAV"_s);
    }

    // Writes a practice file of CR LF lines in code page 936 into 练习文件 and returns its path.
    QString makePractice(const QString& name, const QStringList& lines) {
        const QString f = practice(name);
        EXPECT_TRUE(writeFile(f, gbkLines(lines)));
        return f;
    }

    // Opens `file` through the open button, the dialog answering with it.
    void open(const QString& file) {
        p.openAnswers << file;
        form->Image3_Click();
    }
    ml::Form1& buildAndOpen(const QString& file, const FormOptions& o = {}) {
        build(o);
        open(file);
        return *form;
    }

    // One change of the input box adding `text` at the caret (an input-method commit).
    void commit(const QString& text) { form->txtInput->insert(text); }
    // Characters typed one change each.
    void type(const QString& text) {
        for (QChar c : text) commit(QString(c));
    }
    // A key press carrying text, as the window system delivers it.
    void keyText(const QString& text) {
        QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(form->txtInput, &e);
    }
    void imeCommit(const QString& text) {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(form->txtInput, &e);
    }

    QString line() const { return form->lblianxi->text(); }
    QColor cell(int k) const { return form->cellColor(k); }
    QString sound(const QString& name) const { return QDir(home).filePath(u"声音/"_s + name); }
    int soundCount(const QString& name) const { return p.sounds.count(sound(name)); }

    QTemporaryDir dir;
    QString home;
    ScriptedPlatform p;
    std::unique_ptr<ml::Form1> form;
};

}  // namespace mltest
