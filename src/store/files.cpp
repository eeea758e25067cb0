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
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace store {
namespace {

// The name of every temporary file the program makes beside a file it
// writes: ".chichotek-" and six letters or digits.
constexpr char kTemporaryPrefix[] = ".chichotek-";

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

QByteArray native(const QString &path);

QString openError(const QString &shown, const QString &onDisk)
{
    struct stat st;
    if (::stat(native(onDisk).constData(), &st) != 0)
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
    return nameToDisk(path);
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

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

qint64 now()
{
    timespec time;
    ::clock_gettime(CLOCK_REALTIME, &time);
    return nanoseconds(time);
}

// A file whose times are this close to the moment it was looked at may
// change again without its times showing it: file systems keep them only so
// finely (two seconds on FAT).
constexpr qint64 kTimeResolution = qint64(3) * 1000000000;

QString changedError(const QString &shown)
{
    return QStringLiteral("Soubor %1 se mezitím změnil na disku (jiným programem nebo na jiném "
                          "počítači). Aby se jeho nová verze neztratila, program ho nepřepsal.")
        .arg(quoted(shown));
}

QString unreadableError(const QString &shown)
{
    return QStringLiteral("Soubor %1 se nepodařilo přečíst, proto ho program nepřepíše.")
        .arg(quoted(shown));
}

// Whether a file may not be written, as the read-only mark forbids it on the
// home platform: for the program's user, or for anyone (also the
// administrator, whom the system would let).
bool isReadOnlyFile(const QString &onDisk, const struct stat &st)
{
    if ((st.st_mode & 0222) == 0)
        return true;
    return ::geteuid() != 0 &&
           ::faccessat(AT_FDCWD, native(onDisk).constData(), W_OK, AT_EACCESS) != 0;
}

QString readOnlyError(const QString &shown)
{
    return QStringLiteral("Soubor %1 je jen pro čtení, nelze ho přepsat ani smazat.")
        .arg(quoted(shown));
}

} // namespace

// What FileVersion keeps, made and compared here only.
struct VersionAccess
{
    static FileVersion of(FileVersion::State state, const struct stat &st, qint64 seenAt,
                          QByteArray hash = {})
    {
        FileVersion v;
        v.m_state = state;
        v.m_device = quint64(st.st_dev);
        v.m_inode = quint64(st.st_ino);
        v.m_size = qint64(st.st_size);
        v.m_modified = nanoseconds(st.st_mtim);
        v.m_changed = nanoseconds(st.st_ctim);
        v.m_seenAt = seenAt;
        v.m_hash = std::move(hash);
        return v;
    }

    // The version of a file that could not be read: missing, or there but
    // not readable as a database file.
    static FileVersion notRead(const QString &onDisk)
    {
        struct stat st;
        if (::lstat(native(onDisk).constData(), &st) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return FileVersion::missing();
            FileVersion v;
            v.m_state = FileVersion::State::Unreadable;
            return v;
        }
        return of(FileVersion::State::Unreadable, st, now());
    }

    static bool sameStat(const FileVersion &v, const struct stat &st)
    {
        return v.m_device == quint64(st.st_dev) && v.m_inode == quint64(st.st_ino) &&
               v.m_size == qint64(st.st_size) && v.m_modified == nanoseconds(st.st_mtim) &&
               v.m_changed == nanoseconds(st.st_ctim);
    }

    static bool stillIs(const QString &onDisk, const FileVersion &v);
    static void setHash(FileVersion &v, QByteArray hash) { v.m_hash = std::move(hash); }
};

FileVersion FileVersion::missing()
{
    FileVersion v;
    v.m_state = State::Missing;
    return v;
}

namespace {
// A fingerprint of a file's content: enough to tell two versions of a file
// apart (nothing is kept secret by it), quick, and the same in every run of
// the program (text kept for recovery is compared with it at the next
// start). MurmurHash64A, by Austin Appleby, in the public domain.
QByteArray contentHash(QByteArrayView bytes)
{
    constexpr quint64 m = 0xc6a4a7935bd1e995ULL;
    constexpr int r = 47;
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const std::size_t length = std::size_t(bytes.size());
    quint64 h = 0x63686963686f746bULL ^ (length * m);
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 k;
        std::memcpy(&k, data + i, 8);
        k *= m;
        k ^= k >> r;
        k *= m;
        h ^= k;
        h *= m;
    }
    if (const std::size_t rest = length - i) {
        quint64 k = 0;
        for (std::size_t j = 0; j < rest; ++j)
            k |= quint64(data[i + j]) << (8 * j);
        h ^= k;
        h *= m;
    }
    h ^= h >> r;
    h *= m;
    h ^= h >> r;
    return QByteArray(reinterpret_cast<const char *>(&h), sizeof h);
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

// Reads a whole file; `seen` (when given) gets the version read, or why
// none was: a missing file, or one that could not be read.
std::optional<QByteArray> readFile(const QString &onDisk, const QString &shown, qint64 limit,
                                   bool database, QString *error, FileVersion *seen = nullptr)
{
    const auto failed = [&] {
        if (seen)
            *seen = VersionAccess::notRead(onDisk);
        return std::nullopt;
    };
    const qint64 seenAt = now();
    struct stat st;
    const int fd = openToRead(onDisk, shown, limit, database, st, error);
    if (fd < 0)
        return failed();
    const QString tooLarge = tooLargeError(shown, limit);
    // The file may still grow while it is read: never past the limit.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > limit) {
                ::close(fd);
                setError(error, tooLarge);
                return failed();
            }
            bytes.resize(std::min<qsizetype>(size * 2 + 4096, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int errnum = errno;
            ::close(fd);
            setError(error, QStringLiteral("Soubor %1 nelze přečíst.").arg(quoted(shown)) +
                                reason(errnum));
            return failed();
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    if (size > limit) {
        setError(error, tooLarge);
        return failed();
    }
    bytes.truncate(size);
    // The file as it was when it was opened: whatever changes it after that
    // makes it another version.
    if (seen)
        *seen = VersionAccess::of(FileVersion::State::Present, st, seenAt, contentHash(bytes));
    return bytes;
}

} // namespace

bool VersionAccess::stillIs(const QString &onDisk, const FileVersion &v)
{
    using State = FileVersion::State;
    if (v.m_state == State::Unseen)
        return true;
    struct stat st;
    if (::lstat(native(onDisk).constData(), &st) != 0)
        return v.m_state == State::Missing && (errno == ENOENT || errno == ENOTDIR);
    if (v.m_state == State::Missing)
        return false;
    const bool same = sameStat(v, st);
    if (v.m_state == State::Unreadable)
        return same;
    if (!S_ISREG(st.st_mode) || v.m_size != qint64(st.st_size))
        return false;
    const bool timesTell =
        v.m_modified < v.m_seenAt - kTimeResolution && v.m_changed < v.m_seenAt - kTimeResolution;
    if (same && timesTell)
        return true;
    // The same size, and times that may not tell: the content decides.
    const std::optional<QByteArray> bytes = readFile(onDisk, onDisk, v.m_size, true, nullptr);
    return bytes && contentHash(*bytes) == v.m_hash;
}

bool changedSince(const DbPath &path, const FileVersion &seen)
{
    if (!path.isValid() || seen.state() == FileVersion::State::Unseen)
        return false;
    return !VersionAccess::stillIs(path.path(), seen);
}

namespace {

// The one way the program writes a file: the bytes, as `produce` hands them
// over, go to a new temporary file beside it (kTemporaryPrefix and six
// letters), which is written whole, synced to the disk, closed and then
// renamed over the file. Every step is checked; on any failure the temporary
// file goes and the file keeps its old bytes. A database file (`database`) is
// written only through real folders, never in place of a link or a special
// file, and only in place of the version `expected` (when given); `version`
// gets the version written, without its content's fingerprint.
bool writeFile(const QString &onDisk, const QString &shown, const Producer &produce, bool database,
               QString *error, const FileVersion *expected = nullptr,
               FileVersion *version = nullptr)
{
    if (database && g_readOnly) {
        setError(error,
                 QStringLiteral("Databáze je otevřená jen pro čtení, soubor %1 nelze uložit.")
                     .arg(quoted(shown)));
        return false;
    }
    if (expected && expected->isUnreadable()) {
        setError(error, unreadableError(shown));
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
    // The new file keeps the permissions of the old one; a read-only one is
    // not replaced (a rename would not ask).
    mode_t mode = 0;
    struct stat old;
    if (::stat(native(onDisk).constData(), &old) == 0) {
        if (isReadOnlyFile(onDisk, old)) {
            setError(error, readOnlyError(shown));
            return false;
        }
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    QByteArray temporary = native(QFileInfo(onDisk).path()) + '/' + kTemporaryPrefix + "XXXXXX";
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
    // Only the version the new bytes were made from is replaced; looked at
    // as late as can be.
    if (expected && !VersionAccess::stillIs(onDisk, *expected)) {
        errno = 0;
        return fail(changedError(shown));
    }
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
    if (version) {
        struct stat st;
        *version = ::lstat(native(onDisk).constData(), &st) == 0
                       ? VersionAccess::of(FileVersion::State::Present, st, now())
                       : FileVersion();
    }
    return true;
}

} // namespace

QString folderWriteProblem(const QString &folder)
{
    QByteArray probe = native(folder) + '/' + kTemporaryPrefix + "XXXXXX";
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

std::optional<QByteArray> readBytes(const DbPath &path, qint64 limit, QString *error,
                                    FileVersion *seen)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        if (seen)
            *seen = FileVersion::missing();
        return std::nullopt;
    }
    return readFile(path.path(), path.display(), limit, true, error, seen);
}

bool writeBytes(const DbPath &path, const QByteArray &bytes, QString *error, FileVersion *version)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    const FileVersion *expected =
        version && version->state() != FileVersion::State::Unseen ? version : nullptr;
    FileVersion written;
    if (!writeFile(path.path(), path.display(), whole(bytes), true, error, expected, &written))
        return false;
    if (version) {
        *version = written;
        VersionAccess::setHash(*version, contentHash(bytes));
    }
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

std::optional<QStringList> readList(const DbPath &path, QString *error, FileVersion *seen)
{
    const std::optional<QByteArray> bytes = readBytes(path, kTextLimit, error, seen);
    if (!bytes)
        return std::nullopt;
    return plainLines(*bytes);
}

bool readList(const DbPath &path, ListCopy &copy, QString *error)
{
    FileVersion version;
    std::optional<QStringList> entries = readList(path, error, &version);
    if (!entries)
        return false;
    copy.entries = std::move(*entries);
    copy.version = std::move(version);
    return true;
}

int entryRow(const QStringList &entries, const QString &entry, int row)
{
    if (row >= 0 && row < entries.size() && entries[row] == entry)
        return row;
    return int(entries.indexOf(entry));
}

bool appendMissing(QStringList &entries, const QStringList &more)
{
    for (const QString &entry : more) {
        if (!entries.contains(entry))
            entries.append(entry);
    }
    return true;
}

QString freeJokeName(const QString &library, const QStringList &entries, const QString &joke,
                     const QString &what)
{
    for (int n = 1; n <= 1000; ++n) {
        const QString name = n == 1 ? QStringLiteral("%1 (%2)").arg(joke, what)
                                    : QStringLiteral("%1 (%2 %3)").arg(joke, what).arg(n);
        const DbPath file = DbPath::jokeFile(library, name);
        if (!file.isValid())
            return {};
        if (!entries.contains(name, Qt::CaseInsensitive) && nodeAt(file.path()) == Node::Missing)
            return name;
    }
    return {};
}

ListEdit editList(const DbPath &path, ListCopy &copy,
                  const std::function<bool(QStringList &)> &change, QString *error, bool *reread)
{
    if (reread)
        *reread = false;
    // A file changed in the very moment between the look and the write is
    // looked at again, a few times at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (changedSince(path, copy.version)) {
            FileVersion now;
            QString readError;
            if (std::optional<QStringList> entries = readList(path, &readError, &now)) {
                copy.entries = std::move(*entries);
                copy.version = now;
                copy.pending = false;
            } else if (now.state() == FileVersion::State::Missing) {
                // Deleted from outside: what the window knows is written anew.
                copy.version = now;
            } else {
                // The window keeps the change, as for a failed write.
                setError(error, readError);
                QStringList entries = copy.entries;
                if (change(entries)) {
                    copy.entries = std::move(entries);
                    copy.pending = true;
                }
                return ListEdit::Failed;
            }
            if (reread)
                *reread = true;
        }
        QStringList entries = copy.entries;
        if (!change(entries))
            return ListEdit::NotApplied;
        // Nothing changed, nothing written: in a synced folder each write is
        // a new version on every other computer.
        if (entries == copy.entries && !copy.pending &&
            copy.version.state() == FileVersion::State::Present)
            return ListEdit::Written;
        FileVersion version = copy.version;
        if (writeList(path, entries, error, &version)) {
            copy.entries = std::move(entries);
            copy.version = std::move(version);
            copy.pending = false;
            return ListEdit::Written;
        }
        if (!changedSince(path, copy.version)) {
            copy.entries = std::move(entries);
            copy.pending = true;
            return ListEdit::Failed;
        }
    }
    return ListEdit::Failed;
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

bool writeList(const DbPath &path, const QStringList &lines, QString *error, FileVersion *version)
{
    if (hidesDataAfterNul(path, error))
        return false;
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += kCrLf;
    }
    return writeBytes(path, encode1250(text), error, version);
}

std::optional<QString> readText(const DbPath &path, QString *error, FileVersion *seen)
{
    const std::optional<QByteArray> bytes = readBytes(path, kTextLimit, error, seen);
    if (!bytes)
        return std::nullopt;
    return normaliseBreaks(decode1250(untilNul(*bytes)));
}

bool writeText(const DbPath &path, const QString &text, QString *error, FileVersion *version)
{
    if (hidesDataAfterNul(path, error))
        return false;
    return writeBytes(path, encode1250(text), error, version);
}

bool appendLine(const DbPath &path, const QString &line, QString *error)
{
    FileVersion version;
    const std::optional<QString> old = readText(path, error, &version);
    if (!old)
        return false;
    QString text = *old;
    if (text.isEmpty())
        text = line + kCrLf;
    else if (text.endsWith(kCrLf))
        text += line + kCrLf;
    else
        text += kCrLf + line;
    return writeText(path, text, error, &version);
}

bool readRichText(const DbPath &path, QTextDocument *document, QString *error,
                  const QTextCharFormat &plainFormat, FileVersion *seen)
{
    const std::optional<QByteArray> bytes = readBytes(path, kJokeLimit, error, seen);
    if (!bytes)
        return false;
    richTextFromBytes(*bytes, document, plainFormat);
    return true;
}

void richTextFromBytes(const QByteArray &bytes, QTextDocument *document,
                       const QTextCharFormat &plainFormat)
{
    if (readRtf(bytes, document))
        return;
    document->setPlainText(plainLines(bytes).join(u'\n'));
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
}

bool writeRichText(const DbPath &path, const QTextDocument &document, QString *error,
                   FileVersion *version)
{
    return writeBytes(path, writeRtf(document), error, version);
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

std::optional<Icon> readIcon(const DbPath &path, QString *error, FileVersion *seen)
{
    const std::optional<QByteArray> bytes = readBytes(path, kIconLimit, error, seen);
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

bool writeIcon(const DbPath &path, const Icon &icon, QString *error, FileVersion *version)
{
    return writeBytes(path, icon.bytes, error, version);
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
    if (nodeAt(onDisk) != Node::Missing || nodeAt(parent) != Node::Folder ||
        ::mkdir(native(onDisk).constData(), 0777) != 0) {
        setError(error, QStringLiteral("Složku %1 nelze vytvořit.").arg(quoted(folder.display())));
        return false;
    }
    changed(folder);
    return true;
}

bool deleteFile(const DbPath &path, QString *error, const FileVersion *expected)
{
    if (!path.isValid()) {
        setError(error, refusedNameError(path));
        return false;
    }
    if (refusedWhileReadOnly(path, error))
        return false;
    const QString onDisk = path.path();
    struct stat st;
    if (isDatabaseFile(onDisk) && ::lstat(native(onDisk).constData(), &st) == 0 &&
        isReadOnlyFile(onDisk, st)) {
        setError(error, readOnlyError(path.display()));
        return false;
    }
    if (expected && !VersionAccess::stillIs(onDisk, *expected)) {
        setError(error, changedError(path.display()));
        return false;
    }
    if (!isDatabaseFile(onDisk) || ::unlink(native(onDisk).constData()) != 0) {
        setError(error, QStringLiteral("Soubor %1 nelze smazat.").arg(quoted(path.display())));
        return false;
    }
    changed(path);
    return true;
}

bool renameFile(const DbPath &from, const DbPath &to, QString *error)
{
    for (const DbPath *path : {&from, &to}) {
        if (!path->isValid()) {
            setError(error, refusedNameError(*path));
            return false;
        }
        if (refusedWhileReadOnly(*path, error))
            return false;
    }
    const QString source = from.path();
    const QString target = to.path();
    const QString cannot = QStringLiteral("Soubor %1 nelze přejmenovat na %2.")
                               .arg(quoted(from.display()), quoted(to.display()));
    if (!isDatabaseFile(source) || !realFoldersOnTheWay(target)) {
        setError(error, cannot);
        return false;
    }
    int result = ::renameat2(AT_FDCWD, native(source).constData(), AT_FDCWD,
                             native(target).constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot be asked not to replace: looked at first.
        result = nodeAt(target) == Node::Missing
                     ? ::rename(native(source).constData(), native(target).constData())
                     : -1;
    }
    if (result != 0) {
        setError(error, cannot);
        return false;
    }
    changed(from);
    changed(to);
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
        stamps.push_back({shownName(nameFromDisk(entry->d_name)), qint64(st.st_size),
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

namespace {

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
    forEachEntry(native(onDisk), [&](std::string_view name, unsigned char) {
        entries << onDisk + u'/' +
                       nameFromDisk(QByteArrayView(name.data(), qsizetype(name.size())));
    });
    return entries;
}

bool exists(const DbPath &path)
{
    return path.isValid() && nodeAt(path.path()) != Node::Missing;
}

bool isFolder(const DbPath &path)
{
    return path.isValid() && nodeAt(path.path()) == Node::Folder;
}

std::optional<QStringList> folderFileNames(const DbPath &folder)
{
    const QString onDisk = folder.path();
    if (!folder.isValid() || !realFoldersOnTheWay(onDisk) || nodeAt(onDisk) != Node::Folder)
        return std::nullopt;
    QStringList names;
    forEachEntry(native(onDisk), [&names](std::string_view name, unsigned char type) {
        if (type == DT_REG)
            names << shownName(nameFromDisk(QByteArrayView(name.data(), qsizetype(name.size()))));
    });
    return names;
}

int removeLeftovers()
{
    if (g_readOnly)
        return 0;
    QList<QByteArray> folders{QByteArrayLiteral(".")};
    const QByteArray database = native(QFileInfo(DbPath::listFile().path()).path());
    folders << database;
    // A temporary folder of `DataBase` (an import cut short) goes whole.
    QList<QByteArray> temporaryFolders;
    forEachEntry(database, [&](std::string_view name, unsigned char type) {
        if (type != DT_DIR)
            return;
        const QByteArray path = database + '/' + QByteArray(name.data(), qsizetype(name.size()));
        if (isTemporaryName(QString::fromUtf8(name.data(), qsizetype(name.size()))))
            temporaryFolders << path;
        else
            folders << path;
    });
    int removed = 0;
    for (const QByteArray &folder : temporaryFolders) {
        // Depth first; a link inside is removed as a link, never followed.
        ::nftw(
            folder.constData(),
            [](const char *path, const struct stat *, int, struct FTW *) {
                ::remove(path);
                return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
        struct stat st;
        if (::lstat(folder.constData(), &st) != 0)
            ++removed;
    }
    for (const QByteArray &folder : folders) {
        forEachEntry(folder, [&](std::string_view name, unsigned char type) {
            if (type != DT_REG ||
                !isTemporaryName(QString::fromUtf8(name.data(), qsizetype(name.size()))))
                return;
            const QByteArray path = folder + '/' + QByteArray(name.data(), qsizetype(name.size()));
            if (::unlink(path.constData()) == 0)
                ++removed;
        });
    }
    return removed;
}

bool isTemporaryName(QStringView name)
{
    const QLatin1String prefix(kTemporaryPrefix);
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    for (const QChar c : name.mid(prefix.size())) {
        if (!(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
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
