#include "programfolder.h"

#include "files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace store {
namespace {

const QString kDatabase = QStringLiteral("DataBase");

// The entry of `folder` named `name` in any letter case; empty when none.
QString entryIgnoringCase(const QString &folder, const QString &name)
{
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

bool copyFile(const QString &from, const QString &to, QString *error)
{
    const std::optional<QByteArray> bytes = readExternal(from, kPictureLimit, error);
    return bytes && writeExternal(to, *bytes, error);
}

bool makeFolder(const QString &path, QString *error)
{
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return true;
    if (error) {
        QString why = folderWriteProblem(QFileInfo(path).path());
        *error = QStringLiteral("Složku „%1“ nelze vytvořit.").arg(QDir::toNativeSeparators(path));
        if (!why.isEmpty())
            *error += u' ' + why;
    }
    return false;
}

} // namespace

QString databaseIn(const QString &folder)
{
    const QString entry = entryIgnoringCase(folder, kDatabase);
    const QString path = entry.isEmpty() ? QString() : QDir(folder).filePath(entry);
    return QFileInfo(path).isDir() ? path : QString();
}

ProgramFolder programFolderFor(const QString &executableFolder, const QString &chosen)
{
    if (!chosen.isEmpty())
        return {FolderKind::Chosen, QDir::cleanPath(QDir(chosen).absolutePath())};
    if (!executableFolder.isEmpty() && !databaseIn(executableFolder).isEmpty())
        return {FolderKind::Portable, QDir::cleanPath(QDir(executableFolder).absolutePath())};
    return {FolderKind::PerUser, perUserFolder()};
}

QString perUserFolder()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString data = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/chichotek"));
}

QString sampleFolderFor(const QString &executableFolder)
{
    return QDir::cleanPath(executableFolder + QStringLiteral("/../share/chichotek/sample"));
}

bool fillFromSample(const QString &folder, const QString &sample, QString *error, bool *made)
{
    if (made)
        *made = false;
    if (!makeFolder(folder, error))
        return false;
    for (const QString &item :
         {kDatabase, QStringLiteral("chichotek.cfg"), QStringLiteral("pozadi.bmp")}) {
        if (!entryIgnoringCase(folder, item).isEmpty())
            continue;
        const QString from = QDir(sample).filePath(item);
        const QString to = QDir(folder).filePath(item);
        if (item == kDatabase && !QFileInfo(from).isDir()) {
            if (error)
                *error = QStringLiteral("Ukázková databáze „%1“ nebyla nalezena.")
                             .arg(QDir::toNativeSeparators(from));
            return false;
        }
        if (!QFileInfo(from).isDir()) {
            if (QFileInfo(from).isFile() && !copyFile(from, to, error))
                return false;
            continue;
        }
        // A folder is copied whole under a temporary name and then renamed,
        // so that a copy cut short is never taken for the database.
        const QString partial = to + QStringLiteral(".part");
        QDir(partial).removeRecursively();
        if (!makeFolder(partial, error))
            return false;
        QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString target = partial + u'/' + QDir(from).relativeFilePath(path);
            const QFileInfo info = it.fileInfo();
            if (info.isSymLink())
                continue;
            if (info.isDir() ? !makeFolder(target, error) : !copyFile(path, target, error))
                return false;
        }
        if (!QDir().rename(partial, to)) {
            if (error)
                *error =
                    QStringLiteral("Složku „%1“ nelze vytvořit.").arg(QDir::toNativeSeparators(to));
            return false;
        }
        if (made && item == kDatabase)
            *made = true;
    }
    return true;
}

QString configFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/chichotek"));
}

namespace {

constexpr int kRecentFolders = 10;

QString recentFile()
{
    return configFolder() + QStringLiteral("/nedavne-slozky");
}

// The list as the file has it, one folder a line, UTF-8.
QStringList recentAsKept()
{
    QFile file(recentFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList folders;
    for (const QByteArray &line : file.read(qint64(1) << 16).split('\n')) {
        const QString folder = QString::fromUtf8(line);
        if (QDir::isAbsolutePath(folder) && !folders.contains(folder))
            folders << folder;
    }
    return folders;
}

} // namespace

QStringList recentFolders()
{
    QStringList folders = recentAsKept();
    folders.removeIf([](const QString &folder) { return databaseIn(folder).isEmpty(); });
    return folders.mid(0, kRecentFolders);
}

void rememberFolder(const QString &folder)
{
    QStringList folders = recentAsKept();
    // The folder started on again, as it mostly is: nothing to write on the
    // way to the first paint.
    if (!folders.isEmpty() && folders.constFirst() == folder)
        return;
    folders.removeAll(folder);
    folders.prepend(folder);
    QByteArray bytes;
    for (const QString &kept : folders.mid(0, kRecentFolders))
        bytes += kept.toUtf8() + '\n';
    // A list that cannot be kept costs the user nothing but the list.
    if (QDir().mkpath(configFolder()))
        writeExternal(recentFile(), bytes);
}

} // namespace store
