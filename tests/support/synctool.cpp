#include "synctool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct timespec modifiedOf(const QByteArray &path)
{
    struct stat st = {};
    ::stat(path.constData(), &st);
    return st.st_mtim;
}

void setModified(const QByteArray &path, const struct timespec &modified)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, modified};
    ::utimensat(AT_FDCWD, path.constData(), times, 0);
}

void writeAll(int fd, const QByteArray &bytes)
{
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ASSERT_EQ(::fsync(fd), 0);
}

} // namespace

void SyncTool::replace(const QString &file, const QByteArray &bytes, bool keepTimes) const
{
    const QByteArray target = QFile::encodeName(absolute(file));
    QDir().mkpath(QFileInfo(absolute(file)).path());
    const struct timespec old = modifiedOf(target);
    const QByteArray temporary =
        QFile::encodeName(QFileInfo(absolute(file)).path() + QStringLiteral("/.syncthing.") +
                          QFileInfo(file).fileName() + QStringLiteral(".tmp"));
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    writeAll(fd, bytes);
    ::close(fd);
    if (keepTimes)
        setModified(temporary, old);
    ASSERT_EQ(::rename(temporary.constData(), target.constData()), 0);
}

void SyncTool::overwrite(const QString &file, const QByteArray &bytes, bool keepTimes) const
{
    const QByteArray target = QFile::encodeName(absolute(file));
    const struct timespec old = modifiedOf(target);
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    writeAll(fd, bytes);
    ::close(fd);
    if (keepTimes)
        setModified(target, old);
}

void SyncTool::remove(const QString &file) const
{
    ASSERT_EQ(::unlink(QFile::encodeName(absolute(file)).constData()), 0);
}

QString SyncTool::conflictCopy(const QString &file, const QByteArray &bytes) const
{
    const QFileInfo info(file);
    const QString copy = (info.path() == u"." ? QString() : info.path() + u'/') +
                         info.completeBaseName() +
                         QStringLiteral(".sync-conflict-20261208-101010-ABCDEFG.") + info.suffix();
    replace(copy, bytes);
    return copy;
}

void SyncTool::foreignLock(const QString &host) const
{
    replace(QStringLiteral("chichotek.lock"),
            "4242\nchichotek\n" + host.toUtf8() +
                "\n0123456789abcdef0123456789abcdef\n2026-12-08T12:00:00Z\n");
}
