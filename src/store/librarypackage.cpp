#include "librarypackage.h"

#include "codepage.h"
#include "files.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <zip.h>

namespace store {
namespace {

// The library's files beside its folder, its marker last: the order in which
// they go into a zip file and are renamed into place, so that a library is
// whole once its `.vtp` is there.
const char *const kExtensions[] = {".da1", ".da2", ".da3", ".da4", ".ico", ".vtp"};
const QString kMarker = QStringLiteral(".vtp");
const QString kJokeList = QStringLiteral("Vtipy.sez");
const QString kCrLf = QStringLiteral("\r\n");

// A zip file of more entries is no library anyone keeps; its listing alone
// would take much memory.
constexpr zip_int64_t kEntryLimit = 500000;
// What the file system needs beyond the bytes of the files (their blocks,
// the folders, the temporary files of the saves).
constexpr qint64 kSpaceMargin = qint64(16) << 20;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString quoted(const QString &text)
{
    return QStringLiteral("„%1“").arg(text);
}

// A path as the system takes it: names the resolver found in other bytes
// than UTF-8 go back in those bytes.
QByteArray native(const QString &path)
{
    return nameToDisk(path);
}

qint64 megabytes(qint64 bytes)
{
    return (bytes + (qint64(1) << 20) - 1) >> 20;
}

bool endsWith(const QString &name, const QString &suffix)
{
    return name.endsWith(suffix, Qt::CaseInsensitive);
}

// The largest file of its kind that is read: the library's own files beside
// its folder (`beside`), or those in the folder.
qint64 limitFor(const QString &fileName, bool beside)
{
    if (beside)
        return endsWith(fileName, QStringLiteral(".ico")) ? kIconLimit : kTextLimit;
    if (fileName.compare(kJokeList, Qt::CaseInsensitive) == 0)
        return kTextLimit;
    if (endsWith(fileName, QStringLiteral(".vti")))
        return kJokeLimit;
    return kPictureLimit;
}

// A regular file there, links not followed.
std::optional<struct stat> regularFile(const QString &onDisk)
{
    struct stat st;
    if (::lstat(native(onDisk).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st;
}

bool existsOnDisk(const DbPath &path)
{
    struct stat st;
    return ::lstat(native(path.path()).constData(), &st) == 0;
}

// How much can still be written where `DataBase` is; none when it cannot be
// told.
std::optional<qint64> freeSpace()
{
    struct statvfs vfs;
    if (::statvfs(native(DbPath::databaseFolder().path()).constData(), &vfs) != 0)
        return std::nullopt;
    return qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
}

void syncFolder(const DbPath &folder)
{
    const int fd = ::open(native(folder.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// ---------------------------------------------------------------------------
// Writing a zip file.

// One file of the library as libzip takes it: read through the store only
// when libzip compresses it, so that one file at a time is in memory.
struct SourceFile
{
    DbPath path;
    qint64 limit = 0;
    qint64 size = 0; // as the folder showed it; the bytes read must agree
    time_t mtime = 0;
    QString *failure = nullptr; // the first failure, for the message
    QByteArray bytes;
    qint64 at = 0;
    zip_error_t error;
};

zip_int64_t sourceFile(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *file = static_cast<SourceFile *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN: {
        QString why;
        const std::optional<QByteArray> bytes = readBytes(file->path, file->limit, &why);
        const bool whole = bytes && bytes->size() == file->size;
        if (bytes && !whole)
            why = QStringLiteral("Soubor %1 se během ukládání změnil.")
                      .arg(quoted(file->path.display()));
        if (!whole) {
            if (file->failure->isEmpty())
                *file->failure = why;
            zip_error_set(&file->error, ZIP_ER_READ, 0);
            return -1;
        }
        file->bytes = *bytes; // shared, not copied
        file->at = 0;
        return 0;
    }
    case ZIP_SOURCE_READ: {
        const qint64 n = std::min<qint64>(qint64(length), file->bytes.size() - file->at);
        if (n > 0)
            std::memcpy(data, file->bytes.constData() + file->at, size_t(n));
        file->at += n;
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        file->bytes = QByteArray();
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->size = zip_uint64_t(file->size);
        st->mtime = file->mtime;
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&file->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&file->error);
        delete file;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&file->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// A file going into the zip file: its entry's name and where it lies.
struct Member
{
    QString name;
    DbPath path;
    qint64 limit = 0;
    qint64 size = 0;
    time_t mtime = 0;
};

// The mode of each entry as unzip restores it on a Unix system; the low
// bits are the attributes the home platform reads (0x10 a folder).
constexpr zip_uint32_t kFileAttributes = zip_uint32_t(S_IFREG | 0644) << 16;
constexpr zip_uint32_t kFolderAttributes = zip_uint32_t(S_IFDIR | 0755) << 16 | 0x10;

} // namespace

bool exportLibrary(const QString &library, const QString &zipPath, QString *error)
{
    const DbPath folder = DbPath::libraryFolder(library);
    if (!folder.isValid()) {
        setError(error, refusedNameError(folder));
        return false;
    }
    const QString cannot =
        QStringLiteral("Knihovnu %1 nelze uložit do souboru zip: ").arg(quoted(library));

    // Its files beside its folder, those that exist.
    std::vector<Member> members;
    bool marked = false;
    for (const char *extension : kExtensions) {
        const DbPath path = DbPath::libraryFile(library, QString::fromLatin1(extension));
        const QString onDisk = path.path();
        const std::optional<struct stat> st = regularFile(onDisk);
        if (!st)
            continue;
        const QString name = shownName(QFileInfo(onDisk).fileName());
        members.push_back(
            {name, path, limitFor(name, true), qint64(st->st_size), st->st_mtim.tv_sec});
        marked = marked || endsWith(name, kMarker);
    }
    if (!marked) {
        setError(error, cannot + QStringLiteral("chybí její soubor %1.")
                                     .arg(quoted(DbPath::libraryFile(library, kMarker).display())));
        return false;
    }

    // Its folder, with every regular file the home platform can have; the
    // program's temporary files are no part of it.
    const QString folderOnDisk = folder.path();
    struct stat folderStat;
    const std::optional<QStringList> listed = folderFileNames(folder);
    if (!listed || ::lstat(native(folderOnDisk).constData(), &folderStat) != 0) {
        setError(
            error,
            cannot +
                QStringLiteral("její složka %1 nebyla nalezena.").arg(quoted(folder.display())));
        return false;
    }
    const QString folderName = shownName(QFileInfo(folderOnDisk).fileName());
    QStringList names;
    for (const QString &name : *listed) {
        if (!isTemporaryName(name) && DbPath::libraryFolderFile(library, name).isValid())
            names << name;
    }
    // The list first, then the jokes in a fixed order.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const bool aList = a.compare(kJokeList, Qt::CaseInsensitive) == 0;
        const bool bList = b.compare(kJokeList, Qt::CaseInsensitive) == 0;
        if (aList != bList)
            return aList;
        return a < b;
    });
    if (names.isEmpty() || names.first().compare(kJokeList, Qt::CaseInsensitive) != 0) {
        setError(error, cannot + QStringLiteral("chybí její seznam vtipů %1.")
                                     .arg(quoted(DbPath::jokeList(library).display())));
        return false;
    }
    // Two names that differ in letter case only cannot lie side by side on
    // the home platform, nor be unpacked there.
    QHash<QString, QString> folded;
    for (const QString &name : std::as_const(names)) {
        const QString key = name.toCaseFolded();
        if (folded.contains(key)) {
            setError(error, cannot + QStringLiteral("soubory %1 a %2 se liší jen velikostí písmen.")
                                         .arg(quoted(folded.value(key)), quoted(name)));
            return false;
        }
        folded.insert(key, name);
    }
    const std::size_t besideCount = members.size();
    for (const QString &name : std::as_const(names)) {
        const DbPath path = DbPath::libraryFolderFile(library, name);
        const std::optional<struct stat> st = regularFile(path.path());
        if (!st)
            continue; // gone since the folder was listed
        members.push_back({folderName + u'/' + name, path, limitFor(name, false),
                           qint64(st->st_size), st->st_mtim.tv_sec});
    }
    qint64 total = 0;
    for (const Member &member : members) {
        if (member.size > member.limit) {
            setError(error, cannot + QStringLiteral("soubor %1 je příliš velký (nad %2 MB).")
                                         .arg(quoted(member.path.display()))
                                         .arg(member.limit >> 20));
            return false;
        }
        total += member.size;
    }
    if (total > kLibraryLimit) {
        setError(error,
                 cannot + QStringLiteral("je příliš velká (nad %1 MB).").arg(kLibraryLimit >> 20));
        return false;
    }

    // The zip is made in memory and then saved as any outside file is.
    const QString failed = cannot + QStringLiteral("při jeho vytváření došlo k chybě.");
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    zip_t *zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &zipError) : nullptr;
    zip_error_fini(&zipError);
    if (!zip) {
        if (buffer)
            zip_source_free(buffer);
        setError(error, failed);
        return false;
    }
    zip_source_keep(buffer);
    QString failure;
    const auto add = [&](const Member &member) {
        auto *state = new SourceFile{member.path, member.limit, member.size, member.mtime,
                                     &failure,    {},           0,           {}};
        zip_error_init(&state->error);
        zip_source_t *source = zip_source_function(zip, &sourceFile, state);
        if (!source) {
            zip_error_fini(&state->error);
            delete state;
            return false;
        }
        const zip_int64_t index =
            zip_file_add(zip, member.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                kFileAttributes) == 0;
    };
    bool added = true;
    for (std::size_t i = 0; added && i < besideCount; ++i)
        added = add(members[i]);
    if (added) {
        const zip_int64_t index =
            zip_dir_add(zip, (folderName + u'/').toUtf8().constData(), ZIP_FL_ENC_UTF_8);
        added = index >= 0 &&
                zip_file_set_mtime(zip, zip_uint64_t(index), folderStat.st_mtim.tv_sec, 0) == 0 &&
                zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                 kFolderAttributes) == 0;
    }
    for (std::size_t i = besideCount; added && i < members.size(); ++i)
        added = add(members[i]);
    if (!added || zip_close(zip) != 0) {
        zip_discard(zip);
        zip_source_free(buffer);
        setError(error, failure.isEmpty() ? failed : failure);
        return false;
    }

    QByteArray bytes;
    zip_stat_t st;
    zip_stat_init(&st);
    bool read = zip_source_open(buffer) == 0;
    if (read) {
        read = zip_source_stat(buffer, &st) == 0 && (st.valid & ZIP_STAT_SIZE) &&
               st.size <= zip_uint64_t(kPackageLimit);
        if (read) {
            bytes.resize(qsizetype(st.size));
            read = zip_source_read(buffer, bytes.data(), st.size) == zip_int64_t(st.size);
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (!read) {
        setError(error, failed);
        return false;
    }
    return writeExternal(zipPath, bytes, error);
}

namespace {

// ---------------------------------------------------------------------------
// Reading a zip file.

// The encodings of names without the zip's UTF-8 flag, in the order they
// are preferred when nothing else tells them apart.
enum class Encoding { Utf8, Cp852, Cp1250 };

struct Entry
{
    zip_uint64_t index = 0;
    QByteArray raw;    // the name's bytes as stored
    bool utf8 = false; // marked as UTF-8 (or plain ASCII)
    zip_uint64_t size = 0;
    zip_uint16_t method = 0;
    zip_uint16_t encryption = 0;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    // As decoded:
    QString name;      // with "/" between folders
    QStringList parts; // its folders and its own name
    bool folder = false;
};

struct Finding
{
    PackageCheck::Outcome outcome = PackageCheck::Outcome::Ready;
    QString message;
    bool ok() const { return outcome == PackageCheck::Outcome::Ready; }
};

Finding refused(const QString &message)
{
    return {PackageCheck::Outcome::Refused, message};
}

Finding failed(const QString &message)
{
    return {PackageCheck::Outcome::Failed, message};
}

// Where the library lies in the zip file.
struct Layout
{
    int depth = 0;           // 0 at the top, 1 inside one folder
    int marker = -1;         // its `.vtp`
    QString stem;            // its name, as the `.vtp` is named
    QString folder;          // its folder's name, as the entries spell it
    std::vector<int> beside; // its files beside the folder, the `.vtp` too
    std::vector<int> inside; // the files in its folder
    int list = -1;           // `Vtipy.sez` among them
    qint64 total = 0;        // the bytes of them all, as declared
};

class Package
{
public:
    Package() = default;
    Package(const Package &) = delete;
    Package &operator=(const Package &) = delete;
    ~Package()
    {
        if (zip)
            zip_discard(zip);
    }

    zip_t *zip = nullptr;
    QString shown; // the zip file, for messages
    // libzip found two entries of exactly one name, which the check of
    // names then tells.
    bool twice = false;
    std::vector<Entry> entries;
    // The small files read to tell the encoding of the names (those that
    // could not be read harmlessly are in `unread`).
    QHash<zip_uint64_t, QByteArray> read;
    QSet<zip_uint64_t> unread;
};

Finding damaged(const Package &package)
{
    return refused(QStringLiteral("Soubor %1 není platný soubor zip: je poškozený nebo neúplný.")
                       .arg(quoted(package.shown)));
}

Finding openPackage(const QString &zipPath, Package &package, bool strict = true)
{
    package.shown = QDir::toNativeSeparators(zipPath);
    const QString shown = quoted(package.shown);
    // A regular file only, opened without waiting: a FIFO or a device named
    // instead of a zip file cannot hold the program.
    const int fd = ::open(native(zipPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return failed(QFileInfo::exists(zipPath)
                          ? QStringLiteral("Soubor %1 nelze otevřít.").arg(shown)
                          : QStringLiteral("Soubor %1 nebyl nalezen.").arg(shown));
    }
    if (st.st_size > kPackageLimit) {
        ::close(fd);
        return refused(QStringLiteral("Soubor %1 je příliš velký (nad %2 MB), takovou knihovnu "
                                      "program nerozbalí.")
                           .arg(shown)
                           .arg(kPackageLimit >> 20));
    }
    FILE *file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return failed(QStringLiteral("Soubor %1 nelze otevřít.").arg(shown));
    }
    zip_error_t zipError;
    zip_error_init(&zipError);
    // The source closes the file when it goes.
    zip_source_t *source = zip_source_filep_create(file, 0, -1, &zipError);
    if (!source) {
        std::fclose(file);
        zip_error_fini(&zipError);
        return failed(QStringLiteral("Soubor %1 nelze otevřít.").arg(shown));
    }
    // Strictly: every entry's own header must agree with the zip's
    // directory.
    package.zip =
        zip_open_from_source(source, ZIP_RDONLY | (strict ? ZIP_CHECKCONS : 0), &zipError);
    const int code = zip_error_code_zip(&zipError);
    zip_error_fini(&zipError);
    if (!package.zip) {
        zip_source_free(source);
        if (code == ZIP_ER_READ || code == ZIP_ER_SEEK || code == ZIP_ER_MEMORY)
            return failed(QStringLiteral("Soubor %1 nelze přečíst.").arg(shown));
        // A name twice is refused all the same, but by its own message,
        // naming it: the zip is looked at once more to find it.
        if (code == ZIP_ER_EXISTS && strict) {
            const Finding again = openPackage(zipPath, package, false);
            package.twice = true;
            return again;
        }
        return damaged(package);
    }

    const zip_int64_t count = zip_get_num_entries(package.zip, 0);
    if (count < 0)
        return damaged(package);
    if (count > kEntryLimit)
        return refused(
            QStringLiteral("Soubor %1 obsahuje příliš mnoho položek (%2), takovou knihovnu "
                           "program nerozbalí.")
                .arg(shown)
                .arg(count));
    package.entries.reserve(std::size_t(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        Entry entry;
        entry.index = zip_uint64_t(i);
        zip_stat_t zs;
        zip_stat_init(&zs);
        const char *raw = zip_get_name(package.zip, entry.index, ZIP_FL_ENC_RAW);
        const char *strict = zip_get_name(package.zip, entry.index, ZIP_FL_ENC_STRICT);
        if (!raw || !strict || zip_stat_index(package.zip, entry.index, 0, &zs) != 0 ||
            !(zs.valid & ZIP_STAT_SIZE) ||
            zip_file_get_external_attributes(package.zip, entry.index, 0, &entry.system,
                                             &entry.attributes) != 0)
            return damaged(package);
        entry.raw = QByteArray(raw);
        // Read strictly, a name without the UTF-8 flag would have been
        // turned from code page 437 into something else, unless it is ASCII.
        entry.utf8 = std::strcmp(raw, strict) == 0;
        entry.size = zs.size;
        entry.method = (zs.valid & ZIP_STAT_COMP_METHOD) ? zs.comp_method : 0;
        entry.encryption = (zs.valid & ZIP_STAT_ENCRYPTION_METHOD) ? zs.encryption_method : 0;
        package.entries.push_back(std::move(entry));
    }
    return {};
}

// The mode of an entry as a Unix system stores it in the upper half of its
// attributes (0 when none is stored).
zip_uint32_t unixType(const Entry &entry)
{
    return (entry.attributes >> 16) & S_IFMT;
}

void decodeNames(Package &package, Encoding encoding)
{
    for (Entry &entry : package.entries) {
        QString name;
        if (entry.utf8 || encoding == Encoding::Utf8)
            name = QString::fromUtf8(entry.raw);
        else if (encoding == Encoding::Cp852)
            name = decode852(entry.raw);
        else
            name = decode1250(entry.raw);
        name.replace(u'\\', u'/');
        entry.name = name;
        entry.folder = name.endsWith(u'/') || unixType(entry) == S_IFDIR;
        if (name.endsWith(u'/'))
            name.chop(1);
        entry.parts = name.split(u'/');
    }
}

// Reads an entry whole, never more than it declares: its bytes are counted
// as they come, whatever its header says.
Finding readEntry(Package &package, const Entry &entry, QByteArray *out)
{
    const QString shown = quoted(entry.name);
    const auto readFailure = [&](int code) {
        switch (code) {
        case ZIP_ER_CRC:
            return refused(
                QStringLiteral("Položka %1 souboru zip je poškozená (nesouhlasí její kontrolní "
                               "součet).")
                    .arg(shown));
        case ZIP_ER_MEMORY:
            return failed(
                QStringLiteral("Na rozbalení položky %1 souboru zip není dost paměti.").arg(shown));
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
            return failed(QStringLiteral("Soubor %1 nelze přečíst.").arg(quoted(package.shown)));
        default:
            return refused(
                QStringLiteral("Položku %1 souboru zip nelze rozbalit, je poškozená.").arg(shown));
        }
    };
    zip_file_t *file = zip_fopen_index(package.zip, entry.index, 0);
    if (!file)
        return readFailure(zip_error_code_zip(zip_get_error(package.zip)));
    const qint64 declared = qint64(entry.size);
    QByteArray bytes(qsizetype(declared + 1), Qt::Uninitialized);
    qint64 size = 0;
    for (;;) {
        const zip_int64_t n =
            zip_fread(file, bytes.data() + size, zip_uint64_t(bytes.size() - size));
        if (n < 0) {
            const Finding failure = readFailure(zip_error_code_zip(zip_file_get_error(file)));
            zip_fclose(file);
            return failure;
        }
        if (n == 0)
            break;
        size += n;
        if (size > declared) {
            zip_fclose(file);
            return refused(QStringLiteral("Položka %1 souboru zip obsahuje víc dat, než udává její "
                                          "hlavička. Soubor je poškozený nebo podvržený.")
                               .arg(shown));
        }
    }
    const int closed = zip_fclose(file);
    if (closed != 0)
        return readFailure(closed);
    if (size < declared)
        return refused(QStringLiteral("Položka %1 souboru zip obsahuje méně dat, než udává její "
                                      "hlavička. Soubor je poškozený.")
                           .arg(shown));
    bytes.truncate(qsizetype(size));
    *out = std::move(bytes);
    return {};
}

// A small file of the library read to tell the encoding of the names; null
// when it cannot be read harmlessly.
const QByteArray *readSmall(Package &package, const Entry &entry)
{
    if (package.unread.contains(entry.index))
        return nullptr;
    auto it = package.read.find(entry.index);
    if (it == package.read.end()) {
        QByteArray bytes;
        if (entry.encryption != ZIP_EM_NONE || entry.size > zip_uint64_t(kTextLimit) ||
            !zip_compression_method_supported(entry.method, 0) ||
            !readEntry(package, entry, &bytes).ok()) {
            package.unread.insert(entry.index);
            return nullptr;
        }
        it = package.read.insert(entry.index, bytes);
    }
    return &*it;
}

enum class Found { Library, None, Several };

// Finds the library: its `.vtp` at the top of the zip, or else in one
// folder (a zipped `DataBase`); its files beside it and in its folder. The
// rest is no part of it and is never unpacked.
Found findLayout(const Package &package, Layout &layout, QStringList *markers = nullptr)
{
    layout = Layout();
    const auto &entries = package.entries;
    const auto isMarker = [](const Entry &e) {
        return !e.folder && e.parts.last().size() > kMarker.size() &&
               endsWith(e.parts.last(), kMarker);
    };
    std::vector<int> found;
    for (int depth = 0; depth < 2 && found.empty(); ++depth) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].parts.size() == depth + 1 && isMarker(entries[i]))
                found.push_back(int(i));
        }
        layout.depth = depth;
    }
    if (found.empty())
        return Found::None;
    if (found.size() > 1) {
        if (markers) {
            for (int i : found)
                *markers << entries[std::size_t(i)].name;
        }
        return Found::Several;
    }
    layout.marker = found.front();
    const Entry &marker = entries[std::size_t(layout.marker)];
    layout.stem = marker.parts.last().chopped(kMarker.size());
    const QString root = layout.depth == 1 ? marker.parts.first() : QString();
    std::vector<std::pair<int, int>> beside; // the rank of its extension, the entry
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        if (e.parts.size() <= layout.depth ||
            (layout.depth == 1 && e.parts.first().compare(root, Qt::CaseInsensitive) != 0))
            continue;
        const QStringList rel = e.parts.mid(layout.depth);
        if (rel.size() == 1 && !e.folder) {
            for (int k = 0; k < int(std::size(kExtensions)); ++k) {
                if (rel.first().compare(layout.stem + QLatin1String(kExtensions[k]),
                                        Qt::CaseInsensitive) == 0)
                    beside.emplace_back(k, int(i));
            }
            continue;
        }
        if (rel.first().compare(layout.stem, Qt::CaseInsensitive) != 0)
            continue;
        if (layout.folder.isEmpty())
            layout.folder = rel.first();
        // Only the files right in the folder, never one of the program's
        // temporary files.
        if (rel.size() != 2 || e.folder || isTemporaryName(rel.last()))
            continue;
        layout.inside.push_back(int(i));
        if (rel.last().compare(kJokeList, Qt::CaseInsensitive) == 0)
            layout.list = int(i);
    }
    std::sort(beside.begin(), beside.end());
    for (const auto &[rank, i] : beside)
        layout.beside.push_back(i);
    return Found::Library;
}

bool isCzechLetter(QChar c)
{
    static const QString letters = QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    return letters.contains(c);
}

// How well the names read in one encoding: first how well they agree with
// what the library's files say in Windows-1250 (the `.vtp` names the
// library, `Vtipy.sez` the jokes), then how many Czech letters rather than
// box-drawing characters they hold.
std::pair<int, int> score(Package &package)
{
    int agreement = 0;
    int czech = 0;
    for (const Entry &entry : package.entries) {
        for (const QString &part : entry.parts) {
            if (!isAcceptableFileName(part))
                --agreement;
        }
        for (const QChar c : entry.name) {
            if (isCzechLetter(c))
                ++czech;
            else if (c.unicode() >= 0x2500 && c.unicode() < 0x2600)
                --czech;
        }
    }
    Layout layout;
    if (findLayout(package, layout) != Found::Library)
        return {agreement, czech};
    const auto &entries = package.entries;
    if (const QByteArray *bytes = readSmall(package, entries[std::size_t(layout.marker)])) {
        const QString named = firstLine(decode1250(*bytes));
        if (named == layout.stem)
            agreement += 4;
        else if (named.compare(layout.stem, Qt::CaseInsensitive) == 0)
            agreement += 3;
    }
    if (layout.folder.compare(layout.stem, Qt::CaseInsensitive) == 0)
        agreement += 2;
    if (layout.list >= 0) {
        if (const QByteArray *bytes = readSmall(package, entries[std::size_t(layout.list)])) {
            QSet<QString> jokes;
            for (const QString &joke : splitLines(decode1250(*bytes)))
                jokes.insert(joke.toCaseFolded());
            for (int i : layout.inside) {
                const QString &name = entries[std::size_t(i)].parts.last();
                if (endsWith(name, QStringLiteral(".vti")) &&
                    jokes.contains(name.chopped(4).toCaseFolded()))
                    ++agreement;
            }
        }
    }
    return {agreement, czech};
}

// Names with the UTF-8 flag are UTF-8. The others are all in one encoding,
// which the zip does not tell: UTF-8 from most tools of other systems, code
// page 852 from Windows Explorer, Windows-1250 from some others. The one
// under which the names agree best with the library's files is taken.
void decodeNames(Package &package)
{
    bool allUtf8 = true;
    bool anyOther = false;
    for (const Entry &entry : package.entries) {
        if (entry.utf8)
            continue;
        anyOther = true;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString decoded = utf8(entry.raw);
        if (utf8.hasError()) {
            allUtf8 = false;
            break;
        }
    }
    if (!anyOther) {
        decodeNames(package, Encoding::Utf8);
        return;
    }
    std::vector<Encoding> candidates;
    if (allUtf8)
        candidates.push_back(Encoding::Utf8);
    candidates.push_back(Encoding::Cp852);
    candidates.push_back(Encoding::Cp1250);
    Encoding best = candidates.front();
    std::pair<int, int> bestScore;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        decodeNames(package, candidates[i]);
        const std::pair<int, int> s = score(package);
        if (i == 0 || s > bestScore) {
            best = candidates[i];
            bestScore = s;
        }
    }
    decodeNames(package, best);
}

// What makes one entry unacceptable wherever it lies: a path leading out of
// the folder it is unpacked in, a link or a special file, encryption, a name
// the home platform refuses, a compression that cannot be read.
QString entryProblem(const Entry &entry)
{
    const QString shown = quoted(entry.name);
    const QString &name = entry.name;
    if (name.startsWith(u'/') ||
        (name.size() >= 2 && name[1] == u':' && name[0].unicode() < 0x80 && name[0].isLetter()))
        return QStringLiteral("Soubor zip obsahuje položku %1 s absolutní cestou. Takový soubor "
                              "program nerozbalí.")
            .arg(shown);
    if (entry.parts.contains(QStringLiteral("..")))
        return QStringLiteral("Soubor zip obsahuje položku %1, jejíž cesta vede mimo složku, do "
                              "které se rozbaluje („..“). Takový soubor program nerozbalí.")
            .arg(shown);
    const zip_uint32_t type = unixType(entry);
    if (type == S_IFLNK || (entry.system != ZIP_OPSYS_UNIX && (entry.attributes & 0x400)))
        return QStringLiteral(
                   "Soubor zip obsahuje položku %1, která je symbolickým odkazem. Takový "
                   "soubor program nerozbalí.")
            .arg(shown);
    if (type != 0 && type != S_IFREG && type != S_IFDIR)
        return QStringLiteral("Soubor zip obsahuje položku %1, která není obyčejný soubor ani "
                              "složka (zařízení, roura a podobně). Takový soubor program "
                              "nerozbalí.")
            .arg(shown);
    if (entry.encryption != ZIP_EM_NONE)
        return QStringLiteral("Položka %1 souboru zip je zašifrovaná. Zašifrované soubory program "
                              "nerozbalí.")
            .arg(shown);
    for (const QString &part : entry.parts) {
        if (!isAcceptableFileName(part))
            return QStringLiteral("Položka %1 souboru zip má název %2, který systém Windows "
                                  "nepřipouští.")
                .arg(shown, quoted(part));
    }
    if (!entry.folder && !zip_compression_method_supported(entry.method, 0))
        return QStringLiteral("Položka %1 souboru zip je zkomprimovaná způsobem, který program "
                              "neumí rozbalit.")
            .arg(shown);
    return {};
}

// Two entries of one name, letter case aside: a file twice, or a file and a
// folder (named or on the way to another entry).
QString duplicateProblem(const Package &package)
{
    QHash<QString, int> files;
    QHash<QString, int> folders;
    QHash<QString, int> ways;
    const auto twice = [&](int a, int b) {
        return QStringLiteral("Soubor zip obsahuje položky %1 a %2, které mají stejný název (liší "
                              "se nanejvýš velikostí písmen).")
            .arg(quoted(package.entries[std::size_t(a)].name),
                 quoted(package.entries[std::size_t(b)].name));
    };
    for (std::size_t i = 0; i < package.entries.size(); ++i) {
        const Entry &entry = package.entries[i];
        const int index = int(i);
        QString key;
        for (qsizetype p = 0; p < entry.parts.size(); ++p) {
            key += (p ? QStringLiteral("/") : QString()) + entry.parts[p].toCaseFolded();
            const bool last = p + 1 == entry.parts.size();
            if (!last || entry.folder) {
                if (const auto f = files.constFind(key); f != files.cend())
                    return twice(*f, index);
                if (last) {
                    if (const auto d = folders.constFind(key); d != folders.cend())
                        return twice(*d, index);
                    folders.insert(key, index);
                }
                ways.insert(key, index);
            } else {
                for (const auto *seen : {&files, &folders, &ways}) {
                    if (const auto f = seen->constFind(key); f != seen->cend())
                        return twice(*f, index);
                }
                files.insert(key, index);
            }
        }
    }
    return {};
}

// Looks at the whole zip file before anything is unpacked: every entry, the
// library in it and the sizes its files declare.
Finding examine(const QString &zipPath, Package &package, Layout &layout)
{
    if (Finding opened = openPackage(zipPath, package); !opened.ok())
        return opened;
    decodeNames(package);
    for (const Entry &entry : package.entries) {
        if (const QString problem = entryProblem(entry); !problem.isEmpty())
            return refused(problem);
    }
    if (const QString problem = duplicateProblem(package); !problem.isEmpty())
        return refused(problem);
    if (package.twice)
        return damaged(package);

    QStringList markers;
    switch (findLayout(package, layout, &markers)) {
    case Found::None:
        return refused(QStringLiteral("Soubor %1 neobsahuje žádnou knihovnu vtipů (soubor .vtp).")
                           .arg(quoted(package.shown)));
    case Found::Several:
        for (QString &marker : markers)
            marker = quoted(marker);
        return refused(QStringLiteral("Soubor %1 obsahuje více knihoven vtipů (%2). Program "
                                      "rozbalí vždy jen jednu.")
                           .arg(quoted(package.shown), markers.join(QStringLiteral(", "))));
    case Found::Library:
        break;
    }
    const auto &entries = package.entries;
    const DbPath folder = DbPath::libraryFolder(layout.stem);
    if (!folder.isValid() || isTemporaryName(layout.stem))
        return refused(QStringLiteral("Položka %1 souboru zip nenese platný název knihovny.")
                           .arg(quoted(entries[std::size_t(layout.marker)].name)));
    if (layout.list < 0)
        return refused(
            QStringLiteral("Knihovna %1 v souboru zip nemá seznam vtipů (%2 ve složce %3).")
                .arg(quoted(layout.stem), kJokeList,
                     quoted(layout.folder.isEmpty() ? layout.stem : layout.folder)));

    // The sizes the entries declare; the bytes unpacked are counted again.
    for (const bool beside : {true, false}) {
        for (int i : beside ? layout.beside : layout.inside) {
            const Entry &entry = entries[std::size_t(i)];
            const qint64 limit = limitFor(entry.parts.last(), beside);
            if (entry.size > zip_uint64_t(limit))
                return refused(QStringLiteral("Soubor %1 v souboru zip je příliš velký (%2 MB), "
                                              "nejvýš smí mít %3 MB.")
                                   .arg(quoted(entry.name))
                                   .arg(megabytes(qint64(std::min<zip_uint64_t>(
                                       entry.size, zip_uint64_t(kPackageLimit) << 10))))
                                   .arg(limit >> 20));
            layout.total += qint64(entry.size);
            if (layout.total > kLibraryLimit)
                break;
        }
    }
    if (layout.total > kLibraryLimit)
        return refused(QStringLiteral("Knihovna %1 v souboru zip je po rozbalení příliš velká "
                                      "(přes %2 MB), nejvýš smí mít %3 MB.")
                           .arg(quoted(layout.stem))
                           .arg(megabytes(layout.total))
                           .arg(kLibraryLimit >> 20));
    if (const std::optional<qint64> free = freeSpace(); free && layout.total + kSpaceMargin > *free)
        return refused(QStringLiteral("Na disku není dost místa: rozbalená knihovna %1 potřebuje "
                                      "%2 MB, volných je jen %3 MB.")
                           .arg(quoted(layout.stem))
                           .arg(megabytes(layout.total + kSpaceMargin))
                           .arg(*free >> 20));
    return {};
}

enum class NameState { Empty, Refused, Taken, Free };

NameState nameState(const QString &name, QString *refusedName = nullptr)
{
    if (name.isEmpty())
        return NameState::Empty;
    const DbPath folder = DbPath::libraryFolder(name);
    if (!folder.isValid()) {
        if (refusedName)
            *refusedName = refusedNameError(folder);
        return NameState::Refused;
    }
    // The program's own temporary names are removed as leftovers.
    if (isTemporaryName(name)) {
        if (refusedName)
            *refusedName =
                QStringLiteral("Název %1 nelze použít jako název souboru.").arg(quoted(name));
        return NameState::Refused;
    }
    bool taken = existsOnDisk(folder);
    for (const char *extension : kExtensions) {
        const DbPath file = DbPath::libraryFile(name, QString::fromLatin1(extension));
        if (!file.isValid()) {
            if (refusedName)
                *refusedName = refusedNameError(file);
            return NameState::Refused;
        }
        taken = taken || existsOnDisk(file);
    }
    return taken ? NameState::Taken : NameState::Free;
}

// A folder the import writes into, inside `DataBase` under a temporary name
// that store::removeLeftovers() knows: removed again unless it is kept.
class TemporaryFolder
{
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;
    ~TemporaryFolder() { remove(); }

    bool create(QString *error)
    {
        static constexpr char kLetters[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 16; ++attempt) {
            QString name = QStringLiteral(".chichotek-");
            for (int i = 0; i < 6; ++i)
                name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
            if (createLibraryFolder(name)) {
                m_name = name;
                return true;
            }
        }
        const QString database = DbPath::databaseFolder().path();
        const QString why = folderWriteProblem(database);
        setError(error, QStringLiteral("Ve složce %1 nelze vytvořit dočasnou složku.")
                                .arg(quoted(DbPath::databaseFolder().display())) +
                            (why.isEmpty() ? QString() : u' ' + why));
        return false;
    }

    const QString &name() const { return m_name; }
    DbPath folder() const { return DbPath::libraryFolder(m_name); }
    DbPath file(const QString &fileName) const
    {
        return DbPath::libraryFolderFile(m_name, fileName);
    }
    // Renamed into place: nothing left to remove.
    void release() { m_name.clear(); }

    void remove()
    {
        if (m_name.isEmpty())
            return;
        if (const std::optional<QStringList> files = folderFileNames(folder())) {
            for (const QString &file : *files)
                deleteFile(this->file(file));
        }
        removeFolder(folder());
        m_name.clear();
    }

private:
    QString m_name;
};

// Gives a folder of `DataBase` another name, never in place of anything.
bool renameFolder(const DbPath &from, const DbPath &to, QString *error)
{
    const QByteArray source = native(from.path());
    const QByteArray target = native(to.path());
    int result =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot be asked not to replace: looked at first.
        struct stat st;
        result = ::lstat(target.constData(), &st) != 0 && errno == ENOENT
                     ? ::rename(source.constData(), target.constData())
                     : -1;
    }
    if (result != 0) {
        setError(error, QStringLiteral("Složku %1 nelze přejmenovat na %2.")
                            .arg(quoted(from.display()), quoted(to.display())));
        return false;
    }
    return true;
}

ImportOutcome outcomeOf(const Finding &finding)
{
    return finding.outcome == PackageCheck::Outcome::Refused ? ImportOutcome::Refused
                                                             : ImportOutcome::Failed;
}

} // namespace

PackageCheck inspectPackage(const QString &zipPath)
{
    Package package;
    Layout layout;
    const Finding finding = examine(zipPath, package, layout);
    PackageCheck check;
    check.outcome = finding.outcome;
    check.message = finding.message;
    if (finding.ok())
        check.library = layout.stem;
    return check;
}

ImportOutcome importLibrary(const QString &zipPath, const QString &asName, QString *imported,
                            QString *error)
{
    if (isReadOnly()) {
        setError(error, QStringLiteral(
                            "Databáze je otevřená jen pro čtení, knihovnu do ní nelze přidat."));
        return ImportOutcome::Refused;
    }
    Package package;
    Layout layout;
    if (const Finding finding = examine(zipPath, package, layout); !finding.ok()) {
        setError(error, finding.message);
        return outcomeOf(finding);
    }
    const QString name = asName.isEmpty() ? layout.stem : asName;
    QString refusal;
    switch (nameState(name, &refusal)) {
    case NameState::Empty:
    case NameState::Refused:
        setError(error,
                 refusal.isEmpty() ? refusedNameError(DbPath::libraryFolder(name)) : refusal);
        return ImportOutcome::Refused;
    case NameState::Taken:
        setError(error, QStringLiteral("Knihovna %1 už v databázi je (její složka nebo soubory). "
                                       "Nic se nezměnilo.")
                            .arg(quoted(name)));
        return ImportOutcome::NameTaken;
    case NameState::Free:
        break;
    }
    const DbPath database = DbPath::databaseFolder();
    struct stat st;
    if (::stat(native(database.path()).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        setError(error,
                 QStringLiteral("Složka %1 nebyla nalezena.").arg(quoted(database.display())));
        return ImportOutcome::Failed;
    }

    // The folder's files and the files beside it each go to a temporary
    // folder of their own, the first to become the library's folder.
    const bool renamed = !asName.isEmpty();
    const QString folderName = renamed || layout.folder.isEmpty() ? name : layout.folder;
    TemporaryFolder inside;
    TemporaryFolder beside;
    if (!inside.create(error) || !beside.create(error))
        return ImportOutcome::Failed;
    struct Written
    {
        QString name;
        qint64 size;
    };
    std::vector<Written> insideFiles;
    std::vector<Written> besideFiles;
    QString markerName;
    for (const bool isBeside : {false, true}) {
        for (int i : isBeside ? layout.beside : layout.inside) {
            const Entry &entry = package.entries[std::size_t(i)];
            QByteArray bytes;
            if (const Finding read = readEntry(package, entry, &bytes); !read.ok()) {
                setError(error, read.message);
                return outcomeOf(read);
            }
            QString fileName = entry.parts.last();
            if (isBeside) {
                // The files take the library's name, each keeping its own
                // extension as spelled; the marker names the library.
                const QString suffix = fileName.mid(layout.stem.size());
                if (renamed)
                    fileName = name + suffix;
                if (endsWith(suffix, kMarker)) {
                    markerName = fileName;
                    if (renamed || firstLine(decode1250(bytes)) != name)
                        bytes = encode1250(name + kCrLf);
                }
            }
            const TemporaryFolder &to = isBeside ? beside : inside;
            FileVersion version = FileVersion::missing();
            if (!writeBytes(to.file(fileName), bytes, error, &version))
                return ImportOutcome::Failed;
            (isBeside ? besideFiles : insideFiles).push_back({fileName, qint64(bytes.size())});
        }
    }

    // Checked where they lie: exactly the files written, each whole, and a
    // marker that names the library.
    const QString unlike =
        QStringLiteral("Rozbalené soubory knihovny %1 nesouhlasí s tím, co se zapsalo.")
            .arg(quoted(name));
    for (const bool isBeside : {false, true}) {
        const TemporaryFolder &folder = isBeside ? beside : inside;
        const std::vector<Written> &written = isBeside ? besideFiles : insideFiles;
        const std::optional<std::vector<FileStamp>> stamps = folderStamps(folder.folder(), error);
        if (!stamps)
            return ImportOutcome::Failed;
        bool same = stamps->size() == written.size();
        for (const Written &file : written) {
            same = same && std::any_of(stamps->begin(), stamps->end(), [&](const FileStamp &s) {
                       return s.name == file.name && s.size == file.size;
                   });
        }
        if (!same) {
            setError(error, unlike);
            return ImportOutcome::Failed;
        }
    }
    const std::optional<QString> marker = readText(beside.file(markerName), error);
    if (!marker)
        return ImportOutcome::Failed;
    if (firstLine(*marker) != name) {
        setError(error, unlike);
        return ImportOutcome::Failed;
    }

    // Into place: the folder, then the files beside it, the marker last;
    // nothing that exists is replaced. A failed rename takes back those
    // before it.
    const DbPath libraryFolder = DbPath::libraryFolder(folderName);
    if (!renameFolder(inside.folder(), libraryFolder, error))
        return ImportOutcome::Failed;
    std::vector<std::pair<DbPath, DbPath>> moved;
    const auto rollBack = [&] {
        for (auto it = moved.rbegin(); it != moved.rend(); ++it)
            renameFile(it->second, it->first);
        renameFolder(libraryFolder, inside.folder(), nullptr);
        syncFolder(database);
    };
    for (const Written &file : besideFiles) {
        const DbPath from = beside.file(file.name);
        const DbPath to = DbPath::databaseFile(file.name);
        if (!renameFile(from, to, error)) {
            rollBack();
            return ImportOutcome::Failed;
        }
        moved.emplace_back(from, to);
    }
    inside.release();
    syncFolder(database);
    beside.remove();
    if (imported)
        *imported = name;
    return ImportOutcome::Imported;
}

QString libraryNameProblem(const QString &name)
{
    QString refusal;
    switch (nameState(name, &refusal)) {
    case NameState::Empty:
        return QStringLiteral("Musíte zadat název knihovny!!!");
    case NameState::Refused:
        return refusal;
    case NameState::Taken:
        return QStringLiteral("Databáze již existuje!!!");
    case NameState::Free:
        break;
    }
    return {};
}

} // namespace store
