#include "testfolder.h"

#include "store/codepage.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>

#include <gtest/gtest.h>

QByteArray ansi(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("⏎"), QStringLiteral("\r\n"));
    bool ok = false;
    QByteArray bytes = store::encode1250(t, &ok);
    EXPECT_TRUE(ok) << "not in the code page: " << text.toStdString();
    return bytes;
}

TestFolder::TestFolder() : m_previous(QDir::currentPath())
{
    EXPECT_TRUE(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
}

TestFolder::~TestFolder()
{
    QDir::setCurrent(m_previous);
}

QString TestFolder::absolute(const QString &relative) const
{
    return m_dir.filePath(relative);
}

void TestFolder::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = absolute(relative);
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void TestFolder::mkdir(const QString &relative) const
{
    QDir().mkpath(absolute(relative));
}

QByteArray TestFolder::read(const QString &relative) const
{
    QFile f(absolute(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

bool TestFolder::exists(const QString &relative) const
{
    return QFileInfo::exists(absolute(relative));
}

QMap<QString, QByteArray> TestFolder::snapshot() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(m_dir.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString rel = QDir(m_dir.path()).relativeFilePath(file);
        // The lock a running main window holds on its folder is no data.
        if (rel == u"chichotek.lock")
            continue;
        files.insert(rel, QFileInfo(file).isDir() ? QByteArray("<dir>") : read(rel));
    }
    return files;
}

void TestFolder::makeProgramFolder() const
{
    QImage background(8, 8, QImage::Format_RGB32);
    background.fill(Qt::lightGray);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    background.save(&buffer, "BMP");
    write(QStringLiteral("pozadi.bmp"), bmp);
    write(QStringLiteral("chichotek.cfg"), "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    write(QStringLiteral("DataBase/seznam.dat"), "");
}

void TestFolder::makeLibrary(const QString &name, const QStringList &jokes, int written) const
{
    const QString base = QStringLiteral("DataBase/") + name;
    QByteArray list = read(QStringLiteral("DataBase/seznam.dat"));
    list += ansi(name + QStringLiteral("⏎"));
    write(QStringLiteral("DataBase/seznam.dat"), list);
    write(base + QStringLiteral(".da1"), ansi(QStringLiteral("Popis knihovny ") + name));
    write(base + QStringLiteral(".da2"), ansi(QString::number(jokes.size()) + QStringLiteral("⏎")));
    write(base + QStringLiteral(".da3"), ansi(QStringLiteral("Autor ") + name));
    write(base + QStringLiteral(".da4"), "\r\n");
    write(base + QStringLiteral(".ico"), sampleIcon());
    write(base + QStringLiteral(".vtp"), ansi(name + QStringLiteral("⏎")));
    QString sez;
    for (const QString &joke : jokes)
        sez += joke + QStringLiteral("⏎");
    write(base + QStringLiteral("/Vtipy.sez"), ansi(sez));
    if (written < 0)
        written = int(jokes.size());
    for (int i = 0; i < written && i < jokes.size(); ++i) {
        write(base + u'/' + jokes[i] + QStringLiteral(".vti"),
              "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
              "\\pard\\f0\\fs20 " +
                  ansi(jokes[i]) + "\\par\r\n}\r\n");
    }
}

QByteArray sampleIcon()
{
    // ICONDIR, one ICONDIRENTRY, BITMAPINFOHEADER, 16 colours, 4-bit image
    // and 1-bit mask.
    QByteArray ico;
    auto u16 = [&ico](int v) {
        ico.append(char(v & 0xFF));
        ico.append(char((v >> 8) & 0xFF));
    };
    auto u32 = [&](int v) {
        u16(v & 0xFFFF);
        u16((v >> 16) & 0xFFFF);
    };
    u16(0);
    u16(1);
    u16(1);
    ico.append(char(32));
    ico.append(char(32));
    ico.append(char(16));
    ico.append(char(0));
    u16(1);
    u16(4);
    u32(40 + 64 + 512 + 128);
    u32(22);
    u32(40);
    u32(32);
    u32(64);
    u16(1);
    u16(4);
    u32(0);
    u32(512 + 128);
    u32(0);
    u32(0);
    u32(16);
    u32(0);
    const int palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                             0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                             0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int c : palette) {
        ico.append(char(c & 0xFF));
        ico.append(char((c >> 8) & 0xFF));
        ico.append(char((c >> 16) & 0xFF));
        ico.append(char(0));
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; x += 2)
            ico.append(char((((x + y) / 4) % 16) << 4 | (((x + 1 + y) / 4) % 16)));
    }
    ico.append(QByteArray(128, '\0'));
    return ico;
}
