#include "paths.h"

#include "codepage.h"

#include <QDir>
#include <QFileInfo>

namespace store {
namespace {

const QString kDataBase = QStringLiteral("DataBase");

// The entry of `folder` named `name`, exact match first, then ignoring case;
// null when there is none.
QString findEntry(const QString &folder, const QString &name)
{
    const QString exact = folder.isEmpty() ? name : folder + u'/' + name;
    if (QFileInfo::exists(exact))
        return name;
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

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
    if (QFileInfo::exists(normal))
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
