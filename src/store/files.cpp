#include "files.h"

#include "codepage.h"
#include "rtfreader.h"
#include "rtftext.h"
#include "rtfwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {
namespace {

qint64 g_writeLimit = -1;
std::optional<SaveStep> g_fault;
int g_faultErrno = ENOSPC;
bool g_readOnly = false;
std::function<void(const DbPath &)> g_changeListener;

void changed(const DbPath &path)
{
    if (g_changeListener)
        g_changeListener(path);
}

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

// Why the system refused, in words a user knows; empty for the rest.
QString reason(int errnum)
{
    switch (errnum) {
    case ENOSPC:
        return QStringLiteral(" Na disku není místo.");
    case EDQUOT:
        return QStringLiteral(" Je překročena kvóta disku.");
    case EACCES:
    case EPERM:
        return QStringLiteral(" Přístup byl odepřen.");
    case EROFS:
        return QStringLiteral(" Disk je jen pro čtení.");
    case EIO:
        return QStringLiteral(" Chyba při zápisu na disk.");
    case ENOENT:
        return QStringLiteral(" Složka neexistuje.");
    case ENOTDIR:
        return QStringLiteral(" Není to složka.");
    default:
        return {};
    }
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// What is at a path, links not followed.
enum class Node { Missing, File, Folder, Link, Special };

Node nodeAt(const QString &path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return Node::Missing;
    if (S_ISLNK(st.st_mode))
        return Node::Link;
    if (S_ISREG(st.st_mode))
        return Node::File;
    if (S_ISDIR(st.st_mode))
        return Node::Folder;
    return Node::Special;
}

// Whether every folder on the way to a database file is a real folder. The
// first component ("DataBase", or a file of the program's folder) may be a
// link; below it a link could lead anywhere, so there is none.
bool realFoldersOnTheWay(const QString &onDisk)
{
    const QStringList parts = onDisk.split(u'/');
    QString at = parts.first();
    for (qsizetype i = 1; i + 1 < parts.size(); ++i) {
        at += u'/' + parts[i];
        if (nodeAt(at) != Node::Folder)
            return false;
    }
    return true;
}

// Whether a database file is there to be read or replaced: a regular file
// reached through real folders (a link, a folder or a special file is not).
bool isDatabaseFile(const QString &onDisk)
{
    return realFoldersOnTheWay(onDisk) && nodeAt(onDisk) == Node::File;
}

// A step of a save the tests make fail; the system's error number otherwise.
bool failsAt(SaveStep step, int result)
{
    if (g_fault == step) {
        errno = g_faultErrno;
        return true;
    }
    return result < 0;
}

// The text up to a NUL byte.
QByteArrayView untilNul(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(nul);
}

// The lines of 8-bit text up to a NUL: a list, a text, a joke that is not RTF.
QStringList plainLines(const QByteArray &bytes)
{
    return splitLines(decode1250(untilNul(bytes)));
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

// Bytes there already, handed over in one piece.
Producer whole(const QByteArray &bytes)
{
    return [&bytes](const std::function<void(QByteArrayView)> &put) { put(bytes); };
}

// Reads a whole file of at most `limit` bytes, opened by openToRead().
QString tooLargeError(const QString &shown, qint64 limit)
{
    return QStringLiteral("Soubor %1 je příliš velký (nad %2 MB), nelze ho načíst.")
        .arg(quoted(shown))
        .arg(limit / (1024 * 1024));
}

// Opens a file to be read: a regular file only, and without waiting, so
// that a FIFO or a device cannot hold the window or fill the memory; a
// database file (`database`) only through real folders and never through a
// link. Returns the descriptor and fills `st`, or -1 with `error` set.
int openToRead(const QString &onDisk, const QString &shown, qint64 limit, bool database,
               struct stat &st, QString *error)
{
    if (database && !isDatabaseFile(onDisk)) {
        setError(error, openError(shown, onDisk));
        return -1;
    }
    const int fd = ::open(native(onDisk).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (database ? O_NOFOLLOW : 0));
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        setError(error, openError(shown, onDisk));
        return -1;
    }
    if (st.st_size > limit) {
        ::close(fd);
        setError(error, tooLargeError(shown, limit));
        return -1;
    }
    return fd;
}

std::optional<QByteArray> readFile(const QString &onDisk, const QString &shown, qint64 limit,
                                   bool database, QString *error)
{
    struct stat st;
    const int fd = openToRead(onDisk, shown, limit, database, st, error);
    if (fd < 0)
        return std::nullopt;
    const QString tooLarge = tooLargeError(shown, limit);
    // The file may still grow while it is read: never past the limit.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > limit) {
                ::close(fd);
                setError(error, tooLarge);
                return std::nullopt;
            }
            bytes.resize(std::min<qsizetype>(size * 2 + 4096, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            setError(error,
                     QStringLiteral("Soubor %1 nelze přečíst.").arg(quoted(shown)) + reason(errno));
            return std::nullopt;
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    if (size > limit) {
        setError(error, tooLarge);
        return std::nullopt;
    }
    bytes.truncate(size);
    return bytes;
}

// The one way the program writes a file: the bytes, as `produce` hands them
// over, go to a new temporary file beside it ("name.XXXXXX"), which is
// written whole, synced to the disk, closed and then renamed over the file. Every step is checked;
// on any failure the temporary file goes and the file keeps its old bytes. A database file
// (`database`) is written only through real folders, and never in place of a link or a special
// file.
bool writeFile(const QString &onDisk, const QString &shown, const Producer &produce, bool database,
               QString *error)
{
    if (database && g_readOnly) {
        setError(error,
                 QStringLiteral("Databáze je otevřená jen pro čtení, soubor %1 nelze uložit.")
                     .arg(quoted(shown)));
        return false;
    }
    const QString cannotCreate = QStringLiteral("Soubor %1 nelze vytvořit.").arg(quoted(shown));
    const QString cannotWrite = QStringLiteral("Do souboru %1 nelze zapisovat.").arg(quoted(shown));
    if (database) {
        if (!realFoldersOnTheWay(onDisk)) {
            setError(error, cannotCreate);
            return false;
        }
        const Node node = nodeAt(onDisk);
        if (node != Node::Missing && node != Node::File) {
            setError(error, QStringLiteral("Soubor %1 nelze přepsat, není to obyčejný soubor.")
                                .arg(quoted(shown)));
            return false;
        }
    } else {
        // Outside the database a link may lead to the file, but a device, a
        // FIFO or a folder is never replaced by one: renaming over /dev/null
        // would take the device away from the whole system.
        struct stat st;
        if (::stat(native(onDisk).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
            setError(error, QStringLiteral("Soubor %1 nelze přepsat, není to obyčejný soubor.")
                                .arg(quoted(shown)));
            return false;
        }
    }
    // The new file keeps the permissions of the old one.
    mode_t mode = 0;
    struct stat old;
    if (::stat(native(onDisk).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    QByteArray temporary = native(onDisk) + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (failsAt(SaveStep::Open, fd) || ::fchmod(fd, mode) != 0) {
        const int errnum = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temporary.constData());
        }
        setError(error, cannotCreate + reason(errnum));
        return false;
    }
    const auto fail = [&](const QString &text) {
        const int errnum = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        setError(error, text + reason(errnum));
        return false;
    };

    // The bytes as they come; after a failed write the rest go nowhere and
    // the failure's errno is kept for the message.
    qint64 total = 0;
    bool failed = false;
    int writeErrno = 0;
    const auto put = [&](QByteArrayView bytes) {
        if (failed)
            return;
        const qsizetype toWrite =
            g_writeLimit >= 0
                ? std::min<qsizetype>(std::max<qint64>(g_writeLimit - total, 0), bytes.size())
                : bytes.size();
        qsizetype written = 0;
        while (written < toWrite) {
            const ssize_t n = ::write(fd, bytes.data() + written, size_t(toWrite - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0)
                errno = EIO; // nothing written, and no reason given
            if (failsAt(SaveStep::Write, n > 0 ? 0 : -1)) {
                failed = true;
                writeErrno = errno;
                return;
            }
            written += n;
        }
        total += written;
        if (written < bytes.size()) {
            // The tests' limit: the disk "fails" after that many bytes.
            failed = true;
            writeErrno = ENOSPC;
        }
    };
    produce(put);
    if (failed) {
        errno = writeErrno;
        return fail(cannotWrite);
    }
    if (failsAt(SaveStep::Sync, ::fsync(fd)))
        return fail(cannotWrite);
    const int closed = ::close(fd);
    fd = -1;
    if (failsAt(SaveStep::Flush, closed))
        return fail(cannotWrite);
    // (A rename made to fail by a test must not happen at all.)
    if (failsAt(SaveStep::Rename,
                g_fault == SaveStep::Rename
                    ? -1
                    : ::rename(temporary.constData(), native(onDisk).constData())))
        return fail(QStringLiteral("Soubor %1 nelze uložit.").arg(quoted(shown)));
    // The rename itself reaches the disk with its folder.
    const int folder =
        ::open(native(QFileInfo(onDisk).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace

QString folderWriteProblem(const QString &folder)
{
    QByteArray probe = native(folder) + "/.chichotek-probe.XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (failsAt(SaveStep::Open, fd)) {
        const int errnum = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.constData());
        }
        const QString why = reason(errnum).trimmed();
        return why.isEmpty() ? QString::fromLocal8Bit(std::strerror(errnum)) : why;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return {};
}

std::optional<QByteArray> readBytes(const DbPath &path, qint64 limit, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return std::nullopt;
    }
    return readFile(path.path(), path.display(), limit, true, error);
}

bool writeBytes(const DbPath &path, const QByteArray &bytes, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    if (!writeFile(path.path(), path.display(), whole(bytes), true, error))
        return false;
    changed(path);
    return true;
}

std::optional<QByteArray> readExternal(const QString &path, qint64 limit, QString *error)
{
    return readFile(path, QDir::toNativeSeparators(path), limit, false, error);
}

MappedFile::MappedFile(MappedFile &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{}

MappedFile &MappedFile::operator=(MappedFile &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void MappedFile::release()
{
    if (m_data)
        ::munmap(m_data, size_t(m_size));
    m_data = nullptr;
    m_size = 0;
}

void MappedFile::dropPages() const
{
    if (m_data)
        ::madvise(m_data, size_t(m_size), MADV_DONTNEED);
}

std::optional<MappedFile> mapExternal(const QString &path, qint64 limit, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    struct stat st;
    const int fd = openToRead(path, shown, limit, false, st, error);
    if (fd < 0)
        return std::nullopt;
    MappedFile file;
    if (st.st_size > 0) {
        void *data = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (data == MAP_FAILED) {
            const int errnum = errno;
            ::close(fd);
            setError(error, QStringLiteral("Soubor %1 nelze přečíst.").arg(quoted(shown)) +
                                reason(errnum));
            return std::nullopt;
        }
        ::madvise(data, size_t(st.st_size), MADV_SEQUENTIAL);
        file.m_data = data;
        file.m_size = qsizetype(st.st_size);
    }
    ::close(fd);
    return file;
}

std::optional<MappedFile> mapStandardInput(qint64 limit, QString *error)
{
    const auto refuse = [error](const QString &why) {
        setError(error, why);
        return std::nullopt;
    };
    FILE *spool = std::tmpfile();
    if (!spool)
        return refuse(QStringLiteral("Standardní vstup nelze uložit do dočasného souboru.") +
                      reason(errno));
    const std::unique_ptr<FILE, int (*)(FILE *)> closing(spool, &std::fclose);
    char buffer[64 * 1024];
    qint64 total = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        total += qint64(n);
        if (total > limit)
            return refuse(
                QStringLiteral("Standardní vstup je příliš velký (nad %1 MB).").arg(limit >> 20));
        if (n > 0 && std::fwrite(buffer, 1, n, spool) != n)
            return refuse(QStringLiteral("Standardní vstup nelze uložit do dočasného souboru.") +
                          reason(errno));
        if (n < sizeof buffer)
            break;
    }
    if (std::ferror(stdin))
        return refuse(QStringLiteral("Standardní vstup nelze číst."));
    if (std::fflush(spool) != 0)
        return refuse(QStringLiteral("Standardní vstup nelze uložit do dočasného souboru.") +
                      reason(errno));
    MappedFile file;
    if (total > 0) {
        void *data = ::mmap(nullptr, size_t(total), PROT_READ, MAP_PRIVATE, fileno(spool), 0);
        if (data == MAP_FAILED)
            return refuse(QStringLiteral("Standardní vstup nelze číst.") + reason(errno));
        ::madvise(data, size_t(total), MADV_SEQUENTIAL);
        file.m_data = data;
        file.m_size = qsizetype(total);
    }
    return file;
}

bool writeExternal(const QString &path, const QByteArray &bytes, QString *error)
{
    return writeFile(path, QDir::toNativeSeparators(path), whole(bytes), false, error);
}

bool writeExternal(const QString &path, const Producer &produce, QString *error)
{
    return writeFile(path, QDir::toNativeSeparators(path), produce, false, error);
}

std::optional<QStringList> readExternalList(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = readExternal(path, kTextLimit, error);
    if (!bytes)
        return std::nullopt;
    return plainLines(*bytes);
}

std::optional<QStringList> readList(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, kTextLimit, error);
    if (!bytes)
        return std::nullopt;
    return plainLines(*bytes);
}

// A text file shows what comes before its first NUL byte. One that holds
// more after it is not overwritten: the rest would be lost without the user
// ever having seen it.
bool hidesDataAfterNul(const DbPath &path, QString *error)
{
    if (!path.isValid() || !isDatabaseFile(path.path()))
        return false;
    const std::optional<QByteArray> bytes = readBytes(path, kTextLimit);
    if (!bytes)
        return false;
    const qsizetype nul = bytes->indexOf('\0');
    if (nul < 0)
        return false;
    for (qsizetype i = nul + 1; i < bytes->size(); ++i) {
        if (bytes->at(i) != '\0') {
            setError(error,
                     QStringLiteral("Soubor %1 je poškozený: za znakem NUL obsahuje data, která "
                                    "program neukazuje. Aby se neztratila, soubor se nepřepíše.")
                         .arg(quoted(path.display())));
            return true;
        }
    }
    return false;
}

bool writeList(const DbPath &path, const QStringList &lines, QString *error)
{
    if (hidesDataAfterNul(path, error))
        return false;
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += kCrLf;
    }
    return writeBytes(path, encode1250(text), error);
}

std::optional<QString> readText(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, kTextLimit, error);
    if (!bytes)
        return std::nullopt;
    return normaliseBreaks(decode1250(untilNul(*bytes)));
}

bool writeText(const DbPath &path, const QString &text, QString *error)
{
    if (hidesDataAfterNul(path, error))
        return false;
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
    const std::optional<QByteArray> bytes = readBytes(path, kJokeLimit, error);
    if (!bytes)
        return false;
    if (readRtf(*bytes, document))
        return true;
    document->setPlainText(plainLines(*bytes).join(u'\n'));
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
    // Its directory, 16 bytes an image, lies whole in the file.
    const int count = quint8(bytes[4]) | quint8(bytes[5]) << 8;
    if (count == 0 || 6 + 16 * qsizetype(count) > bytes.size())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    // No image of an icon needs more than 256 KiB.
    reader.setAllocationLimit(4);
    QImage best;
    // The largest image of the file is the one to show. An icon file holds
    // none over 256 by 256, but a PNG image inside one can claim any size.
    do {
        QImage image = reader.read();
        if (!image.isNull() && image.width() <= 256 && image.height() <= 256 &&
            image.width() * image.height() > best.width() * best.height())
            best = std::move(image);
    } while (reader.jumpToNextImage());
    if (best.isNull())
        return {};
    return Icon{bytes, best};
}

std::optional<Icon> readIcon(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, kIconLimit, error);
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

namespace {

bool refusedWhileReadOnly(const DbPath &path, QString *error)
{
    if (!g_readOnly)
        return false;
    setError(error, QStringLiteral("Databáze je otevřená jen pro čtení, %1 nelze změnit.")
                        .arg(quoted(path.display())));
    return true;
}

} // namespace

bool createLibraryFolder(const QString &library, QString *error)
{
    const DbPath folder = DbPath::libraryFolder(library);
    if (!folder.isValid()) {
        setError(error, refusedNameError(folder));
        return false;
    }
    if (refusedWhileReadOnly(folder, error))
        return false;
    const QString onDisk = folder.path();
    const QString parent = QFileInfo(onDisk).path();
    if (nodeAt(onDisk) != Node::Missing || !QFileInfo(parent).isDir() ||
        ::mkdir(native(onDisk).constData(), 0777) != 0) {
        setError(error, QStringLiteral("Složku %1 nelze vytvořit.").arg(quoted(folder.display())));
        return false;
    }
    changed(folder);
    return true;
}

bool deleteFile(const DbPath &path, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    if (refusedWhileReadOnly(path, error))
        return false;
    const QString onDisk = path.path();
    if (!isDatabaseFile(onDisk) || ::unlink(native(onDisk).constData()) != 0) {
        setError(error, QStringLiteral("Soubor %1 nelze smazat.").arg(quoted(path.display())));
        return false;
    }
    changed(path);
    return true;
}

bool removeFolder(const DbPath &path, QString *error)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    if (refusedWhileReadOnly(path, error))
        return false;
    const QString onDisk = path.path();
    if (!realFoldersOnTheWay(onDisk) || nodeAt(onDisk) != Node::Folder ||
        ::rmdir(native(onDisk).constData()) != 0) {
        setError(error, QStringLiteral("Složku %1 nelze odstranit.").arg(quoted(path.display())));
        return false;
    }
    changed(path);
    return true;
}

void setChangeListener(std::function<void(const DbPath &)> listener)
{
    g_changeListener = std::move(listener);
}

std::optional<std::vector<FileStamp>> folderStamps(const DbPath &folder, QString *error)
{
    if (!folder.isValid()) {
        setError(error, refusedNameError(folder));
        return std::nullopt;
    }
    const QString onDisk = folder.path();
    const auto missing = [&] {
        setError(error, QStringLiteral("Složka %1 nebyla nalezena.").arg(quoted(folder.display())));
        return std::nullopt;
    };
    if (!realFoldersOnTheWay(onDisk))
        return missing();
    const int fd =
        ::open(native(onDisk).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return missing();
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return missing();
    }
    std::vector<FileStamp> stamps;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        stamps.push_back({QFile::decodeName(entry->d_name), qint64(st.st_size),
                          qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    ::closedir(dir);
    return stamps;
}

std::optional<QString> readJokeText(const DbPath &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, kJokeLimit, error);
    if (!bytes)
        return std::nullopt;
    if (std::optional<QString> text = rtfToText(*bytes))
        return text;
    return plainLines(*bytes).join(u'\n');
}

std::optional<QStringList> folderEntries(const DbPath &folder, QString *error)
{
    if (!folder.isValid()) {
        setError(error, refusedNameError(folder));
        return std::nullopt;
    }
    if (refusedWhileReadOnly(folder, error))
        return std::nullopt;
    const QString onDisk = folder.path();
    if (!realFoldersOnTheWay(onDisk) || nodeAt(onDisk) != Node::Folder) {
        setError(error, QStringLiteral("Složka %1 nebyla nalezena.").arg(quoted(folder.display())));
        return std::nullopt;
    }
    QStringList entries;
    const QDir dir(onDisk);
    for (const QString &entry :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        entries << dir.filePath(entry);
    return entries;
}

namespace {

// Whether a file name is one a cut save leaves: the name of a file the
// program writes, a dot and six letters or digits.
bool isLeftoverName(std::string_view name)
{
    if (name.size() < 12 || name[name.size() - 7] != '.')
        return false;
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    }
    std::string extension(name.substr(name.size() - 11, 4));
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    static constexpr std::string_view kWritten[] = {".dat", ".sez", ".vti", ".da1", ".da2", ".da3",
                                                    ".da4", ".ico", ".vtp", ".cfg", ".bmp"};
    return std::find(std::begin(kWritten), std::end(kWritten), extension) != std::end(kWritten);
}

// Each entry of a folder with its type as the folder's listing gives it
// (links not followed), without a further look at every entry: start-up
// goes through every library's folder.
template <class Visit> void forEachEntry(const QByteArray &folder, Visit visit)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray path = folder + '/' + entry->d_name;
            type = ::lstat(path.constData(), &st) != 0 ? DT_UNKNOWN
                   : S_ISREG(st.st_mode)               ? DT_REG
                   : S_ISDIR(st.st_mode)               ? DT_DIR
                                                       : DT_UNKNOWN;
        }
        visit(name, type);
    }
    ::closedir(dir);
}

} // namespace

int removeLeftovers()
{
    if (g_readOnly)
        return 0;
    QList<QByteArray> folders{QByteArrayLiteral(".")};
    const QByteArray database = native(QFileInfo(DbPath::listFile().path()).path());
    folders << database;
    forEachEntry(database, [&](std::string_view name, unsigned char type) {
        if (type == DT_DIR)
            folders << database + '/' + QByteArray(name.data(), qsizetype(name.size()));
    });
    int removed = 0;
    for (const QByteArray &folder : folders) {
        forEachEntry(folder, [&](std::string_view name, unsigned char type) {
            if (type != DT_REG || !isLeftoverName(name))
                return;
            const QByteArray path = folder + '/' + QByteArray(name.data(), qsizetype(name.size()));
            if (::unlink(path.constData()) == 0)
                ++removed;
        });
    }
    return removed;
}

void setReadOnly(bool readOnly)
{
    g_readOnly = readOnly;
}

bool isReadOnly()
{
    return g_readOnly;
}

namespace testing {
void setWriteLimit(qint64 bytes)
{
    g_writeLimit = bytes;
}

void setSaveFault(std::optional<SaveStep> step, int errnum)
{
    g_fault = step;
    g_faultErrno = errnum;
}
} // namespace testing

} // namespace store
