#include "databaselock.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTimeZone>

#include <cerrno>
#include <csignal>
#include <optional>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {
namespace {

// What a lock file says, when it can be read as one.
struct LockInfo
{
    qint64 pid = 0;
    QString host;
    QByteArray machine;
    QDateTime since;
};

std::optional<LockInfo> parse(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3)
        return std::nullopt;
    LockInfo info;
    bool ok = false;
    info.pid = lines[0].trimmed().toLongLong(&ok);
    info.host = QString::fromUtf8(lines[2].trimmed());
    if (!ok || info.pid <= 0 || info.host.isEmpty())
        return std::nullopt;
    if (lines.size() > 3)
        info.machine = lines[3].trimmed();
    if (lines.size() > 4)
        info.since = QDateTime::fromString(QString::fromLatin1(lines[4].trimmed()), Qt::ISODate);
    return info;
}

// Whether a lock file is of this computer: its machine, or (a lock file that
// does not say its machine) its host name.
bool isOfThisComputer(const LockInfo &info)
{
    const QByteArray machine = QSysInfo::machineUniqueId();
    if (!info.machine.isEmpty() && !machine.isEmpty())
        return info.machine == machine;
    return info.host == QSysInfo::machineHostName();
}

// Whether a process of this computer is the program (where the system
// keeps no lock for us, the lock file's own word has to be checked).
bool isRunningProgram(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed().startsWith("chichotek");
}

} // namespace

QString czechDateTime(const QDateTime &time)
{
    return QLocale(QLocale::Czech, QLocale::Czechia)
        .toString(time.toLocalTime(), QStringLiteral("d. M. yyyy H:mm"));
}

DatabaseLock::~DatabaseLock()
{
    release();
}

QByteArray DatabaseLock::readFile() const
{
    const int fd = ::openat(m_folder, kFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    char buffer[4096];
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || bytes.size() > 65536)
                break;
            bytes.append(buffer, n);
        }
    }
    ::close(fd);
    // An existing empty file is not "no file".
    return bytes.isNull() ? QByteArray("") : bytes;
}

DatabaseLock::Status DatabaseLock::take()
{
    release();
    m_holder = {};
    m_leftBehind = false;
    m_folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        // No folder to lock: nothing to write either, and every save says so.
        m_taken = true;
        return Status::Taken;
    }
    const int locked = ::flock(m_folder, LOCK_EX | LOCK_NB);
    m_local = locked == 0;
    const bool heldHere = locked != 0 && errno == EWOULDBLOCK;

    const QByteArray bytes = readFile();
    const std::optional<LockInfo> info = bytes.isNull() ? std::nullopt : parse(bytes);
    if (info) {
        m_holder.host = info->host;
        m_holder.since = info->since;
    }
    if (!m_holder.since.isValid() && !bytes.isNull()) {
        struct stat st;
        if (::fstatat(m_folder, kFileName, &st, AT_SYMLINK_NOFOLLOW) == 0)
            m_holder.since = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec, QTimeZone::utc());
    }
    if (heldHere)
        return Status::HeldHere;
    if (bytes.isNull()) {
        writeFile(false);
        return Status::Taken;
    }
    if (!info)
        return Status::Damaged;
    if (!isOfThisComputer(*info))
        return Status::HeldElsewhere;
    // A lock of this computer: with the system's lock ours, its program is
    // gone; without one, its own word is checked.
    if (!m_local && info->pid != QCoreApplication::applicationPid() && isRunningProgram(info->pid))
        return Status::HeldHere;
    m_leftBehind = true;
    writeFile(true);
    return Status::Taken;
}

bool DatabaseLock::takeOver()
{
    if (m_folder < 0)
        return false;
    writeFile(true);
    return m_taken;
}

bool DatabaseLock::writeFile(bool replace)
{
    // Taken whether or not the file can be written (a full disk): the
    // system's lock keeps a second window here from writing all the same.
    m_taken = true;
    const QByteArray content =
        QByteArray::number(QCoreApplication::applicationPid()) + "\nchichotek\n" +
        QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
        QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Named as every temporary file of the program, in the folder the
        // lock is of (the working directory may have changed since).
        QByteArray temporary = ".chichotek-";
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = ::openat(m_folder, temporary.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        const bool written =
            ::write(fd, content.constData(), size_t(content.size())) == content.size() &&
            ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        int placed = -1;
        if (written && closed) {
            placed = replace ? ::renameat(m_folder, temporary.constData(), m_folder, kFileName)
                             : ::renameat2(m_folder, temporary.constData(), m_folder, kFileName,
                                           RENAME_NOREPLACE);
            // A file system that cannot be asked not to replace.
            if (placed != 0 && !replace && (errno == EINVAL || errno == ENOSYS) &&
                ::faccessat(m_folder, kFileName, F_OK, AT_SYMLINK_NOFOLLOW) != 0)
                placed = ::renameat(m_folder, temporary.constData(), m_folder, kFileName);
        }
        if (placed != 0) {
            ::unlinkat(m_folder, temporary.constData(), 0);
            return false;
        }
        m_written = content;
        return true;
    }
    return false;
}

bool DatabaseLock::fileIsOurs() const
{
    return m_folder >= 0 && !m_written.isEmpty() && readFile() == m_written;
}

void DatabaseLock::release()
{
    if (m_folder < 0)
        return;
    if (fileIsOurs())
        ::unlinkat(m_folder, kFileName, 0);
    m_written.clear();
    ::close(m_folder); // lets the system's lock go
    m_folder = -1;
    m_taken = false;
    m_local = false;
}

} // namespace store
