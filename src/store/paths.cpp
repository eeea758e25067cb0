#include "paths.h"

#include "codepage.h"

#include <algorithm>

#include <QStringDecoder>

#include <dirent.h>
#include <sys/stat.h>

namespace store {
namespace {

const QString kDataBase = QStringLiteral("DataBase");

bool isKeptByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

bool existsOnDisk(const QString &path)
{
    struct stat st;
    return ::stat(nameToDisk(path).constData(), &st) == 0;
}

// The entry of `folder` named `name`: exact match first, then ignoring case,
// then a name kept in other bytes that reads as `name`; null when there is
// none.
QString findEntry(const QString &folder, const QString &name)
{
    const QString exact = folder.isEmpty() ? name : folder + u'/' + name;
    if (existsOnDisk(exact))
        return name;
    DIR *dir = ::opendir(nameToDisk(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir)
        return {};
    QString found;
    QString kept;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView bytes(entry->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        const QString onDisk = nameFromDisk(bytes);
        if (onDisk.compare(name, Qt::CaseInsensitive) == 0) {
            found = onDisk;
            break;
        }
        if (kept.isNull() && shownName(onDisk).compare(name, Qt::CaseInsensitive) == 0)
            kept = onDisk;
    }
    ::closedir(dir);
    return found.isNull() ? kept : found;
}

} // namespace

QString nameFromDisk(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8.decode(bytes);
    if (!utf8.hasError())
        return name;
    name.clear();
    name.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        name += QChar(byte < 0x80 ? char16_t(byte) : char16_t(0xDC00 + byte));
    }
    return name;
}

QByteArray nameToDisk(QStringView name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isKeptByte(name[i].unicode()))
            continue;
        bytes += name.sliced(from, i - from).toUtf8();
        bytes += char(name[i].unicode() - 0xDC00);
        from = i + 1;
    }
    bytes += name.sliced(from).toUtf8();
    return bytes;
}

QString shownName(const QString &name)
{
    if (std::none_of(name.cbegin(), name.cend(), [](QChar c) { return isKeptByte(c.unicode()); }))
        return name;
    QByteArray bytes;
    for (const QChar c : name)
        bytes += isKeptByte(c.unicode()) ? char(c.unicode() - 0xDC00) : char(c.unicode());
    return decode1250(bytes);
}

bool isAcceptableName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
        switch (u) {
        case u'/':
        case u'\\':
        case u'<':
        case u'>':
        case u':':
        case u'"':
        case u'|':
        case u'?':
        case u'*':
            return false;
        default:
            break;
        }
    }
    return isRepresentable1250(name);
}

bool isAcceptableFileName(const QString &name)
{
    if (!isAcceptableName(name) || name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    const QStringView stem = QStringView(name).left(name.indexOf(u'.'));
    static const QString kDevices[] = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                       QStringLiteral("AUX"), QStringLiteral("NUL")};
    for (const QString &device : kDevices) {
        if (stem.compare(device, Qt::CaseInsensitive) == 0)
            return false;
    }
    // COM1 to COM9 and LPT1 to LPT9.
    return !(stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9' &&
             (stem.left(3).compare(u"COM", Qt::CaseInsensitive) == 0 ||
              stem.left(3).compare(u"LPT", Qt::CaseInsensitive) == 0));
}

QString resolvePath(const QString &relativePath)
{
    QString normal = relativePath;
    normal.replace(u'\\', u'/');
    if (existsOnDisk(normal))
        return normal;
    const QStringList parts = normal.split(u'/', Qt::SkipEmptyParts);
    QString resolved;
    bool found = true;
    for (const QString &part : parts) {
        QString entry;
        if (found && part != u"." && part != u"..")
            entry = findEntry(resolved, part);
        if (entry.isNull()) {
            found = false;
            entry = part;
        }
        resolved = resolved.isEmpty() ? entry : resolved + u'/' + entry;
    }
    return resolved;
}

DbPath DbPath::make(QStringList parts, const QStringList &names, const QStringList &folders)
{
    DbPath p;
    for (const QString &name : names) {
        if (!isAcceptableName(name)) {
            p.m_refused = name.isNull() ? QStringLiteral("") : name;
            return p;
        }
    }
    // Every file and folder of the path must be one the home platform can
    // have, or the database could not go back there; so must the library's
    // folder, which a library file's path goes without.
    for (const QString &part : parts + folders) {
        if (!isAcceptableFileName(part)) {
            p.m_refused = part;
            return p;
        }
    }
    p.m_parts = std::move(parts);
    return p;
}

DbPath DbPath::listFile()
{
    return make({kDataBase, QStringLiteral("seznam.dat")}, {});
}

DbPath DbPath::databaseFolder()
{
    return make({kDataBase}, {});
}

DbPath DbPath::databaseFile(const QString &fileName)
{
    return make({kDataBase, fileName}, {fileName});
}

DbPath DbPath::libraryFolderFile(const QString &library, const QString &fileName)
{
    return make({kDataBase, library, fileName}, {library, fileName});
}

DbPath DbPath::libraryFile(const QString &library, const QString &extension)
{
    return make({kDataBase, library + extension}, {library, library + extension}, {library});
}

DbPath DbPath::libraryFolder(const QString &library)
{
    return make({kDataBase, library}, {library});
}

DbPath DbPath::jokeList(const QString &library)
{
    return make({kDataBase, library, QStringLiteral("Vtipy.sez")}, {library});
}

DbPath DbPath::jokeFile(const QString &library, const QString &joke)
{
    const QString file = joke + QStringLiteral(".vti");
    return make({kDataBase, library, file}, {library, joke, file});
}

DbPath DbPath::programFile(const QString &fileName)
{
    return make({fileName}, {fileName});
}

QString DbPath::display() const
{
    return isValid() ? m_parts.join(u'\\') : m_refused;
}

QString DbPath::path() const
{
    return isValid() ? resolvePath(m_parts.join(u'/')) : QString();
}

} // namespace store
