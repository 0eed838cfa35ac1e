// Writes the seed corpus of every harness into FOLDER/<harness>/: the kinds of input the tests
// use (practice lines, quoted items, bad sequences, "config" values, configuration files in three
// encodings, a small dictionary), so that the fuzzers start from inputs that reach deep.
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "hints/dictionary.h"
#include "platform/cp936.h"

namespace {

QString folder;

void seed(const char* harness, const QByteArray& bytes) {
    static int n = 0;
    const QString dir = folder + QLatin1Char('/') + QLatin1String(harness);
    QDir().mkpath(dir);
    QFile f(dir + QStringLiteral("/seed%1").arg(++n, 3, 10, QLatin1Char('0')));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
}

QByteArray gbk(const QString& text) {
    QByteArray out;
    if (!ml::encodeCp936(text, out)) std::exit(1);
    return out;
}

QByteArray utf16le(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    folder = QString::fromLocal8Bit(argv[1]);

    const QString han = QStringLiteral("天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁");
    const QList<QByteArray> texts = {
        "A\r\nB\r\nC\r\n",
        "a,\r\nb",
        "x\r\n\r\n",
        "A\rB\r\rC\r",
        "A\n\rB",
        "  lead ,  b  \r\n\t,",
        "\"a,b\r\nc\",d",
        "  \"  sp  \"  ,x",
        "\"q\" x\"y,z",
        "a\"b\",c",
        "a,\"open, end\r\n",
        "\xbc\xd7,\xd2\xd2\r\n\xbc\xd7\xd2\xd2",
        "\x80,x\x80y",
        "\x81\x40,\x81\x7e",
        "ab\x81 cd\r\n",
        "\xbc\xd7\xbc",
        gbk(han) + "\r\n" + gbk(QStringLiteral("律吕调阳")) + "\r\n",
        gbk(han + QStringLiteral("。，好\r\n\"甲\r\n乙\"\t'x' 007,1.50")),
        gbk(QStringLiteral("你所打开的练习文件，“引号”…… 《书名》！")),
    };
    for (const QByteArray& t : texts) {
        seed("itemreader", QByteArray("\x00\x00", 2) + t);
        seed("itemreader", QByteArray("\x03\xe4", 2) + t);
        seed("convert", QByteArray("\x00", 1) + t);
        seed("cp936", QByteArray("\x01", 1) + t);
    }
    seed("cp936", QByteArray("\x00", 1) + "\xff\xaa\xa1\xa1\xa1\x80");
    seed("cp936",
         QByteArray("\x00", 1) + utf16le(QStringLiteral("€甲乙\r\n한😀\u00AD\u200B\uFEFF")));

    for (const QByteArray& n :
         {QByteArray(" 3 \r\n"), QByteArray("\t12\t"), QByteArray("2.5"), QByteArray("-3"),
          QByteArray(".5,"), QByteArray("5."), QByteArray("1e3"), QByteArray("32767"),
          QByteArray("-32768.5"), QByteArray(" \r\n 007.500001")})
        seed("number", n);

    const QString title = QStringLiteral("五笔·键途　远程练习内容配置");
    const QString path =
        QStringLiteral("Path=\\\\192.168.0.88\\远程练习内容\\六年级\\语文教材第17课.txt");
    const QString rest =
        QStringLiteral("\r\n\r\n说明：指定局域网中学生机访问统一的远程练习内容。\r\n");
    seed("remoteconfig", gbk(title + QStringLiteral("\r\n") + path + rest));
    seed("remoteconfig", gbk(title + QStringLiteral("\r\nPath=\r\n")));
    seed("remoteconfig", gbk(title + QStringLiteral("\r\nPath =x\r\n")));
    seed("remoteconfig", gbk(QStringLiteral("标题,PATH=\\\\srv\\share\\a.txt")));
    seed("remoteconfig", "\xEF\xBB\xBF" + (title + QStringLiteral("\r\n") + path + rest).toUtf8());
    seed("remoteconfig", "\xEF\xBB\xBF" + title.toUtf8() + "\r\n\xE4\xB8");
    seed("remoteconfig", "\xFF\xFE" + utf16le(title + QStringLiteral("\r\n") + path + rest));
    seed("remoteconfig", "\xFE\xFF" + QByteArray("\0P\0a\0t\0h\0=\0x", 12));

    QTemporaryDir tmp;
    const QString mdb = tmp.filePath(QStringLiteral("CiKu.mdb"));
    std::vector<std::pair<QString, QString>> rows = {
        {QStringLiteral("中"), QStringLiteral("khk")},
        {QStringLiteral("中"), QStringLiteral("k")},
        {QStringLiteral("国"), QStringLiteral("lgyi")},
        {QStringLiteral("中国"), QStringLiteral("khlg")},
        {QStringLiteral("a"), QStringLiteral("aaaa")},
        {QStringLiteral("A"), QStringLiteral("bbbb")},
        {QStringLiteral("'"), QStringLiteral("yz9m")},
    };
    QString error;
    if (!ml::writeDictionary(mdb, rows, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QFile f(mdb);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QByteArray db = f.readAll();
    seed("dictionary", db);
    seed("dictionary", db.left(4096));
    seed("dictionary", QByteArray("SQLite format 3\0", 16));
    seed("dictionary", "name,email\r\n中,khk\r\n");
    return 0;
}
