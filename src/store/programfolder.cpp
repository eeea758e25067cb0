#include "programfolder.h"

#include "files.h"

#include <QDir>
#include <QDirIterator>
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

bool fillFromSample(const QString &folder, const QString &sample, QString *error)
{
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
    }
    return true;
}

} // namespace store
