#include "files.h"

#include "codepage.h"
#include "rtfreader.h"
#include "rtfwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>

namespace store {
namespace {

qint64 g_writeLimit = -1;

const QString kCrLf = QStringLiteral("\r\n");

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString quoted(const QString &path)
{
    return QStringLiteral("„%1“").arg(path);
}

QString openError(const QString &shown, const QString &onDisk)
{
    if (!QFileInfo::exists(onDisk))
        return QStringLiteral("Soubor %1 nebyl nalezen.").arg(quoted(shown));
    return QStringLiteral("Soubor %1 nelze otevřít.").arg(quoted(shown));
}

// The text up to a NUL byte.
QByteArrayView untilNul(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(nul);
}

} // namespace

QString refusedNameError(const DbPath &path)
{
    return QStringLiteral("Název %1 nelze použít jako název souboru.")
        .arg(quoted(path.refusedName()));
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const qsizetype end = nul < 0 ? text.size() : nul;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < end) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < end && text[i + 1] == u'\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < end)
        lines.append(text.mid(start, end - start));
    return lines;
}

QString normaliseBreaks(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const qsizetype end = nul < 0 ? text.size() : nul;
    QString out;
    out.reserve(end + end / 16);
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += kCrLf;
            if (c == u'\r' && i + 1 < end && text[i + 1] == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString firstLine(const QString &text)
{
    const QStringList lines = splitLines(text);
    return lines.isEmpty() ? QStringLiteral("") : lines.first();
}

namespace {

std::optional<QByteArray> readFile(const QString &onDisk, const QString &shown, QString *error)
{
    QFile file(onDisk);
    if (QFileInfo(onDisk).isDir() || !file.open(QIODevice::ReadOnly)) {
        setError(error, openError(shown, onDisk));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("Soubor %1 nelze přečíst.").arg(quoted(shown)));
        return std::nullopt;
    }
    return bytes;
}

bool writeFile(const QString &onDisk, const QString &shown, const QByteArray &bytes, QString *error)
{
    QSaveFile file(onDisk);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Soubor %1 nelze vytvořit.").arg(quoted(shown)));
        return false;
    }
    const bool interrupted = g_writeLimit >= 0 && g_writeLimit < bytes.size();
    const QByteArrayView data = interrupted ? QByteArrayView(bytes).first(g_writeLimit) : bytes;
    const bool written = file.write(data.data(), data.size()) == data.size();
    if (!written || interrupted) {
        file.cancelWriting();
        setError(error, QStringLiteral("Do souboru %1 nelze zapisovat.").arg(quoted(shown)));
        return false;
    }
    if (!file.commit()) {
        setError(error, QStringLiteral("Soubor %1 nelze uložit.").arg(quoted(shown)));
        return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> readBytes(const DbPath &path, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return std::nullopt;
    }
    return readFile(path.path(), path.display(), error);
}

bool writeBytes(const DbPath &path, const QByteArray &bytes, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    return writeFile(path.path(), path.display(), bytes, error);
}

std::optional<QByteArray> readExternal(const QString &path, QString *error)
{
    return readFile(path, QDir::toNativeSeparators(path), error);
}

bool writeExternal(const QString &path, const QByteArray &bytes, QString *error)
{
    return writeFile(path, QDir::toNativeSeparators(path), bytes, error);
}

std::optional<QStringList> readExternalList(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = readExternal(path, error);
    if (!bytes)
        return std::nullopt;
    return splitLines(decode1250(untilNul(*bytes)));
}

std::optional<QStringList> readList(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return splitLines(decode1250(untilNul(*bytes)));
}

bool writeList(const DbPath &path, const QStringList &lines, QString *error)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += kCrLf;
    }
    return writeBytes(path, encode1250(text), error);
}

std::optional<QString> readText(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return normaliseBreaks(decode1250(untilNul(*bytes)));
}

bool writeText(const DbPath &path, const QString &text, QString *error)
{
    return writeBytes(path, encode1250(text), error);
}

bool appendLine(const DbPath &path, const QString &line, QString *error)
{
    const std::optional<QString> old = readText(path, error);
    if (!old)
        return false;
    QString text = *old;
    if (text.isEmpty())
        text = line + kCrLf;
    else if (text.endsWith(kCrLf))
        text += line + kCrLf;
    else
        text += kCrLf + line;
    return writeText(path, text, error);
}

bool readRichText(const DbPath &path, QTextDocument *document, QString *error,
                  const QTextCharFormat &plainFormat)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return false;
    if (readRtf(*bytes, document))
        return true;
    document->setPlainText(splitLines(decode1250(untilNul(*bytes))).join(u'\n'));
    if (!plainFormat.properties().isEmpty()) {
        const bool undo = document->isUndoRedoEnabled();
        document->setUndoRedoEnabled(false);
        QTextCursor all(document);
        all.select(QTextCursor::Document);
        all.setCharFormat(plainFormat);
        all.setBlockCharFormat(plainFormat);
        document->setUndoRedoEnabled(undo);
        document->setModified(false);
    }
    return true;
}

bool writeRichText(const DbPath &path, const QTextDocument &document, QString *error)
{
    return writeBytes(path, writeRtf(document), error);
}

Icon iconFromBytes(const QByteArray &bytes)
{
    // An icon file starts with a reserved zero word, the type 1 and the count.
    if (bytes.size() < 6 || bytes[0] != 0 || bytes[1] != 0 || bytes[2] != 1 || bytes[3] != 0)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage best;
    // The largest image of the file is the one to show.
    do {
        QImage image = reader.read();
        if (!image.isNull() && image.width() * image.height() > best.width() * best.height())
            best = std::move(image);
    } while (reader.jumpToNextImage());
    if (best.isNull())
        return {};
    return Icon{bytes, best};
}

std::optional<Icon> readIcon(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    Icon icon = iconFromBytes(*bytes);
    if (icon.isNull()) {
        setError(
            error,
            QStringLiteral("Soubor %1 neobsahuje platnou ikonku.").arg(quoted(path.display())));
        return std::nullopt;
    }
    return icon;
}

bool writeIcon(const DbPath &path, const Icon &icon, QString *error)
{
    return writeBytes(path, icon.bytes, error);
}

bool createLibraryFolder(const QString &library, QString *error)
{
    const DbPath folder = DbPath::libraryFolder(library);
    if (!folder.isValid()) {
        setError(error, refusedNameError(folder));
        return false;
    }
    const QString onDisk = folder.path();
    const QString parent = QFileInfo(onDisk).path();
    if (QFileInfo::exists(onDisk) || !QFileInfo(parent).isDir() ||
        !QDir(parent).mkdir(QFileInfo(onDisk).fileName())) {
        setError(error, QStringLiteral("Složku %1 nelze vytvořit.").arg(quoted(folder.display())));
        return false;
    }
    return true;
}

bool deleteFile(const DbPath &path, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    const QString onDisk = path.path();
    if (QFileInfo(onDisk).isDir() || !QFile::remove(onDisk)) {
        setError(error, QStringLiteral("Soubor %1 nelze smazat.").arg(quoted(path.display())));
        return false;
    }
    return true;
}

bool removeFolder(const DbPath &path, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    const QString onDisk = path.path();
    const QFileInfo info(onDisk);
    if (!info.isDir() || info.isSymLink() || !QDir(info.path()).rmdir(info.fileName())) {
        setError(error, QStringLiteral("Složku %1 nelze odstranit.").arg(quoted(path.display())));
        return false;
    }
    return true;
}

namespace testing {
void setWriteLimit(qint64 bytes)
{
    g_writeLimit = bytes;
}
} // namespace testing

} // namespace store
