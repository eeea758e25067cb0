#include "benchfolder.h"

#include "store/codepage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>

#include <sys/resource.h>

#include <cstdio>

namespace bench {
namespace {

QByteArray ansi(const QString &text)
{
    return store::encode1250(text);
}

bool writeFile(const QString &file, const QByteArray &bytes, QString *error)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(file);
        return false;
    }
    return true;
}

QByteArray encodedImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

// A background of the main window's size, 24 bits a pixel like the pictures
// users put there.
QByteArray background()
{
    QImage image(359, 313, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 5) & 0xFF, (y * 3) & 0xFF, ((x + y) * 7) & 0xFF));
    }
    return encodedImage(image, "bmp");
}

QByteArray icon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setBrush(QColor(0x20, 0x80, 0xC0));
    p.drawEllipse(2, 2, 28, 28);
    p.end();
    return encodedImage(image, "ico");
}

} // namespace

QString libraryName(int index)
{
    return QStringLiteral("Knihovna číslo %1").arg(index, 4, 10, QLatin1Char('0'));
}

QString jokeName(int index)
{
    return QStringLiteral("Vtip číslo %1").arg(index);
}

bool makeProgramFolder(const QString &folder, int libraries, int jokesPerLibrary, QString *error)
{
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("DataBase"))) {
        if (error)
            *error = QStringLiteral("cannot create %1/DataBase").arg(folder);
        return false;
    }
    if (!writeFile(dir.filePath(QStringLiteral("pozadi.bmp")), background(), error) ||
        !writeFile(dir.filePath(QStringLiteral("chichotek.cfg")), "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n",
                   error))
        return false;

    QByteArray jokes;
    for (int j = 1; j <= jokesPerLibrary; ++j)
        jokes += ansi(jokeName(j)) + "\r\n";
    const QByteArray ico = icon();

    QByteArray list;
    for (int i = 1; i <= libraries; ++i) {
        const QString name = libraryName(i);
        const QString base = dir.filePath(QStringLiteral("DataBase/") + name);
        list += ansi(name) + "\r\n";
        if (!dir.mkpath(QStringLiteral("DataBase/") + name) ||
            !writeFile(base + QStringLiteral(".da1"),
                       ansi(QStringLiteral("Sbírka vtipů pro měření: ") + name), error) ||
            !writeFile(base + QStringLiteral(".da2"), QByteArray::number(jokesPerLibrary) + "\r\n",
                       error) ||
            !writeFile(base + QStringLiteral(".da3"), ansi(QStringLiteral("Chichotek")), error) ||
            !writeFile(base + QStringLiteral(".da4"), "\r\n", error) ||
            !writeFile(base + QStringLiteral(".ico"), ico, error) ||
            !writeFile(base + QStringLiteral(".vtp"), ansi(name) + "\r\n", error) ||
            !writeFile(base + QStringLiteral("/Vtipy.sez"), jokes, error))
            return false;
    }
    return writeFile(dir.filePath(QStringLiteral("DataBase/seznam.dat")), list, error);
}

QuietServices::QuietServices() = default;
QuietServices::~QuietServices() = default;

void QuietServices::report(const char *kind, const QString &text)
{
    ++m_raised;
    std::fprintf(stderr, "%s: %s\n", kind, qPrintable(text));
}

void QuietServices::message(const QString &text)
{
    report("message", text);
}

void QuietServices::error(const QString &text)
{
    report("error", text);
}

bool QuietServices::confirm(const QString &text)
{
    report("question", text);
    return true;
}

platform::Button QuietServices::messageBox(const QString &, const QString &text,
                                           platform::MessageKind, platform::Buttons)
{
    report("message box", text);
    return platform::Ok;
}

int QuietServices::choose(const QString &text, const QStringList &, platform::MessageKind)
{
    report("choice", text);
    return -1;
}

platform::FileChoice QuietServices::openFile(QWidget *, const platform::FileDialog &)
{
    return {};
}

platform::FileChoice QuietServices::saveFile(QWidget *, const platform::FileDialog &)
{
    return {};
}

std::optional<platform::FontChoice> QuietServices::chooseFont(QWidget *,
                                                              const platform::FontDialog &)
{
    return std::nullopt;
}

std::optional<QColor> QuietServices::chooseColour(QWidget *, const QColor &)
{
    return std::nullopt;
}

bool QuietServices::printerSetup(QWidget *)
{
    return false;
}

bool QuietServices::print(const QTextDocument &, const QString &, QString *)
{
    return true;
}

bool QuietServices::moveToTrash(const QStringList &, QString *)
{
    return true;
}

bool QuietServices::openUrl(const QString &)
{
    return true;
}

bool QuietServices::startProgram(const QString &)
{
    return true;
}

void QuietServices::beep()
{}

platform::MemoryStatus QuietServices::memoryStatus()
{
    return {};
}

void QuietServices::setClipboard(QMimeData *data)
{
    delete data;
}

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace bench
