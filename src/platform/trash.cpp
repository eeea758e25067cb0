#include "trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int g_recordsAllowed = -1;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// A folder of the trash: "files" and "info" beside each other.
struct TrashFolder
{
    QString root;
    // Paths in its records are relative to this folder (a trash on another
    // disk), or absolute (empty).
    QString top;
};

bool isRealFolder(const QString &path, struct stat *st = nullptr)
{
    struct stat own;
    struct stat &s = st ? *st : own;
    return ::lstat(native(path).constData(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool makeFolders(const QString &root)
{
    for (const QString &folder :
         {root, root + QStringLiteral("/files"), root + QStringLiteral("/info")}) {
        if (!isRealFolder(folder) && ::mkdir(native(folder).constData(), 0700) != 0)
            return false;
    }
    return true;
}

QString homeTrash()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

// The folder of the mount that holds `path`: the highest folder above it on
// the same disk.
QString topOf(const QString &path, dev_t device)
{
    QString top = QFileInfo(path).absolutePath();
    for (;;) {
        const QString parent = QFileInfo(top).path();
        struct stat st;
        if (parent == top || ::stat(native(parent).constData(), &st) != 0 || st.st_dev != device)
            return top;
        top = parent;
    }
}

// The trash a file goes to: the user's own when it is on the same disk,
// otherwise one at the top of the file's disk.
std::optional<TrashFolder> trashFor(const QString &path)
{
    struct stat file;
    if (::lstat(native(path).constData(), &file) != 0)
        return std::nullopt;
    const QString home = homeTrash();
    QDir().mkpath(QFileInfo(home).path());
    struct stat st;
    const QString homeParent = QFileInfo(home).path();
    if (::stat(native(homeParent).constData(), &st) == 0 && st.st_dev == file.st_dev) {
        if (makeFolders(home))
            return TrashFolder{home, {}};
        return std::nullopt;
    }
    const QString top = topOf(path, file.st_dev);
    const QString uid = QString::number(::getuid());
    // A shared ".Trash" only when it is safe: a real folder with the sticky bit.
    const QString shared = top + QStringLiteral("/.Trash");
    if (isRealFolder(shared, &st) && (st.st_mode & S_ISVTX) && makeFolders(shared + u'/' + uid))
        return TrashFolder{shared + u'/' + uid, top};
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    if (makeFolders(own))
        return TrashFolder{own, top};
    return std::nullopt;
}

// One file in the trash: where it went, and its record.
struct Moved
{
    QString from;
    QString to;
    QString record;
};

// Writes a record that reserves a name in the trash; false when the name is
// taken (`taken`) or the record cannot be written whole.
bool writeRecord(const QString &record, const QByteArray &content, bool *taken)
{
    *taken = false;
    const int fd =
        ::open(native(record).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        *taken = errno == EEXIST;
        return false;
    }
    bool ok = true;
    if (g_recordsAllowed == 0) {
        ok = false; // as if the disk were full
    } else {
        qsizetype done = 0;
        while (ok && done < content.size()) {
            const ssize_t n =
                ::write(fd, content.constData() + done, size_t(content.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += n > 0 ? n : 0;
        }
        ok = ok && ::fsync(fd) == 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(native(record).constData());
    else if (g_recordsAllowed > 0)
        --g_recordsAllowed;
    return ok;
}

std::optional<Moved> moveOne(const QString &path, QString *why)
{
    const std::optional<TrashFolder> trash = trashFor(path);
    if (!trash) {
        *why = QStringLiteral("Koš nelze vytvořit.");
        return std::nullopt;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString shownPath =
        trash->top.isEmpty() ? absolute : QDir(trash->top).relativeFilePath(absolute);
    const QByteArray content =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(shownPath, "/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        '\n';
    const QString name = QFileInfo(path).fileName();
    for (int n = 1; n < 10000; ++n) {
        const QString trashed = n == 1 ? name : QStringLiteral("%1.%2").arg(name).arg(n);
        const QString target = trash->root + QStringLiteral("/files/") + trashed;
        const QString record =
            trash->root + QStringLiteral("/info/") + trashed + QStringLiteral(".trashinfo");
        struct stat st;
        if (::lstat(native(target).constData(), &st) == 0)
            continue;
        bool taken = false;
        if (!writeRecord(record, content, &taken)) {
            if (taken)
                continue;
            *why = QStringLiteral("Záznam koše nelze zapsat, na disku možná není místo.");
            return std::nullopt;
        }
        if (::rename(native(absolute).constData(), native(target).constData()) != 0) {
            ::unlink(native(record).constData());
            *why = QStringLiteral("Soubor nelze přesunout.");
            return std::nullopt;
        }
        return Moved{absolute, target, record};
    }
    *why = QStringLiteral("V koši není volné jméno.");
    return std::nullopt;
}

} // namespace

bool moveToTrash(const QStringList &paths, QString *error)
{
    std::vector<Moved> moved;
    for (const QString &path : paths) {
        QString why;
        if (std::optional<Moved> one = moveOne(path, &why)) {
            moved.push_back(std::move(*one));
            continue;
        }
        // What went comes back, the last first.
        for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
            if (::rename(native(it->to).constData(), native(it->from).constData()) == 0)
                ::unlink(native(it->record).constData());
        }
        if (error)
            *error = QStringLiteral("Soubor „%1“ nelze přesunout do koše. %2")
                         .arg(QDir::toNativeSeparators(path), why);
        return false;
    }
    return true;
}

namespace testing {
void failTrashRecordsAfter(int records)
{
    g_recordsAllowed = records;
}
} // namespace testing

} // namespace platform
