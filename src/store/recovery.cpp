#include "recovery.h"

#include "files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <algorithm>

namespace store {
namespace {

constexpr char kMagic[] = "chichotek-recovery 1";

QString absoluteFolder(const QString &folder)
{
    return QDir(folder).absolutePath();
}

QString fileFor(const QString &programFolder, const QString &library, const QString &joke)
{
    const QByteArray key =
        (absoluteFolder(programFolder) + QChar(0) + library + QChar(0) + joke).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return recoveryFolder() + QStringLiteral("/vtip-") + QString::fromLatin1(hash.left(20)) +
           QStringLiteral(".rtf");
}

QByteArray field(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QString unfield(const QByteArray &bytes)
{
    return QUrl::fromPercentEncoding(bytes);
}

} // namespace

QString recoveryFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/chichotek"));
}

bool keepForRecovery(const QString &programFolder, const QString &library, const QString &joke,
                     const QByteArray &base, const QByteArray &rtf)
{
    if (!QDir().mkpath(recoveryFolder()))
        return false;
    // A few lines that say whose text it is, an empty line, the text.
    QByteArray bytes = QByteArray(kMagic) + '\n' + field(absoluteFolder(programFolder)) + '\n' +
                       field(library) + '\n' + field(joke) + '\n' + base.toHex() + '\n' +
                       QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + "\n\n" +
                       rtf;
    return writeExternal(fileFor(programFolder, library, joke), bytes);
}

void dropRecovery(const QString &programFolder, const QString &library, const QString &joke)
{
    QFile::remove(fileFor(programFolder, library, joke));
}

std::vector<Recovered> recoveries(const QString &programFolder)
{
    std::vector<Recovered> found;
    const QString folder = absoluteFolder(programFolder);
    const QDir dir(recoveryFolder());
    for (const QString &name : dir.entryList({QStringLiteral("vtip-*.rtf")}, QDir::Files)) {
        const QString file = dir.filePath(name);
        const std::optional<QByteArray> bytes = readExternal(file, kJokeLimit + 65536);
        if (!bytes)
            continue;
        const qsizetype end = bytes->indexOf("\n\n");
        if (end < 0)
            continue;
        const QList<QByteArray> lines = bytes->left(end).split('\n');
        if (lines.size() < 6 || lines[0] != kMagic || unfield(lines[1]) != folder)
            continue;
        Recovered r;
        r.file = file;
        r.programFolder = folder;
        r.library = unfield(lines[2]);
        r.joke = unfield(lines[3]);
        r.base = QByteArray::fromHex(lines[4]);
        r.kept = QDateTime::fromString(QString::fromLatin1(lines[5]), Qt::ISODate);
        r.rtf = bytes->mid(end + 2);
        found.push_back(std::move(r));
    }
    std::sort(found.begin(), found.end(),
              [](const Recovered &a, const Recovered &b) { return a.kept < b.kept; });
    return found;
}

} // namespace store
