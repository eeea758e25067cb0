#include "databaselock.h"

#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
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
    const std::optional<QByteArray> bytes = readExternal(m_path, 65536);
    // An existing empty file is not "no file".
    if (!bytes)
        return QFileInfo::exists(m_path) ? QByteArray("") : QByteArray();
    return bytes->isNull() ? QByteArray("") : *bytes;
}

DatabaseLock::Status DatabaseLock::take()
{
    release();
    m_holder = {};
    m_leftBehind = false;
    m_path = QDir::current().absoluteFilePath(QString::fromLatin1(kFileName));
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
    if (!m_holder.since.isValid() && !bytes.isNull())
        m_holder.since = QFileInfo(m_path).lastModified();
    if (heldHere)
        return Status::HeldHere;
    if (bytes.isNull()) {
        writeFile();
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
    writeFile();
    return Status::Taken;
}

bool DatabaseLock::takeOver()
{
    if (m_folder < 0)
        return false;
    writeFile();
    return m_taken;
}

bool DatabaseLock::writeFile()
{
    // Taken whether or not the file can be written (a full disk): the
    // system's lock keeps a second window here from writing all the same.
    m_taken = true;
    const QByteArray content =
        QByteArray::number(QCoreApplication::applicationPid()) + "\nchichotek\n" +
        QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
        QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    if (!writeExternal(m_path, content))
        return false;
    m_written = content;
    return true;
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
        QFile::remove(m_path);
    m_written.clear();
    ::close(m_folder); // lets the system's lock go
    m_folder = -1;
    m_taken = false;
    m_local = false;
}

} // namespace store
