#pragma once

#include "paths.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>

#include <functional>
#include <optional>
#include <vector>

class QTextDocument;

// The file operations of the joke database. Each reads or writes one whole
// file. A failure is returned as a plain Czech description in `error` (when
// given), for the caller to report; nothing is retried.
//
// Every write is atomic: the new content goes to a temporary file that then
// replaces the old one, so a failing or interrupted write leaves the old file
// whole.
//
// Other programs change the files too: a sync tool (which writes a file of
// its own and renames it over the old one), the program on another computer,
// the user. A window therefore keeps the version of each file it shows or
// edits (FileVersion), and a write or deletion given that version replaces
// only it: a file changed, added or deleted from outside since it was read is
// never replaced unseen.
namespace store {

// What the program saw of a database file when it read or wrote it: enough
// to tell later whether the file is still that version. Its place, size and
// times come first; where they agree but could hide a change (a file changed
// within the resolution of its times) the content decides.
class FileVersion
{
public:
    enum class State : quint8 {
        Unseen,     // nothing was looked at: nothing to compare with
        Missing,    // there was no file
        Present,    // a file, read or written whole
        Unreadable, // a file that could not be read: it is never written over
    };

    FileVersion() = default;
    // A file that is not there: a write given it makes a new file only.
    static FileVersion missing();

    State state() const { return m_state; }
    bool isUnreadable() const { return m_state == State::Unreadable; }
    // A fingerprint of the content, of a file read or written whole; empty
    // for the rest.
    const QByteArray &contentHash() const { return m_hash; }

private:
    friend struct VersionAccess;
    State m_state = State::Unseen;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modified = 0; // nanoseconds since 1970
    qint64 m_changed = 0;  // of the inode: also a rename or an overwrite that kept the time
    qint64 m_seenAt = 0;
    QByteArray m_hash; // of the content (Present)
};

// Whether the file is no longer the version seen: changed, added or deleted
// since. An unseen version has nothing to compare with (false).
bool changedSince(const DbPath &path, const FileVersion &seen);

// Splits 8-bit text into lines at CR LF, a lone CR and a lone LF. A NUL byte
// ends the text, a final line break gives no empty last line, and an empty line
// between others is kept. Lines are not trimmed.
QStringList splitLines(const QString &text);
// The text with a NUL byte ending it and every line break turned into CR LF.
QString normaliseBreaks(const QString &text);

// The largest file of each kind that is read: far above any real one, so
// that a damaged or planted file cannot fill the memory.
constexpr qint64 kJokeLimit = qint64(64) << 20;
constexpr qint64 kTextLimit = qint64(16) << 20; // lists and texts
constexpr qint64 kIconLimit = qint64(4) << 20;
constexpr qint64 kPictureLimit = qint64(64) << 20;

// A database file is read and written only where it belongs: through real
// folders below `DataBase` (which itself may be a link), never through a
// link, and only a regular file is opened, without waiting for it. Anything
// else there (a link, a FIFO, a device, a folder) is a file that cannot be
// opened or replaced.
//
// Each read tells the version it saw in `seen` (when given): the file read,
// or a missing file, or one that could not be read.
std::optional<QByteArray> readBytes(const DbPath &path, qint64 limit, QString *error = nullptr,
                                    FileVersion *seen = nullptr);
// The one save routine of the program: the bytes go to a temporary file
// beside the file (".chichotek-" and six letters, a name no user gives),
// written whole, synced, closed and renamed over it; any failing step leaves
// the old file byte for byte and no temporary file. A read-only file is not
// replaced, as on the home platform.
//
// `version` is the version the new bytes replace: the save fails, changing
// nothing, when the file is no longer it, or when it is a file that could not
// be read. After the save it is the version written. Without it (null, or
// unseen) whatever is there is replaced: for values the user sets whole, such
// as a password.
bool writeBytes(const DbPath &path, const QByteArray &bytes, QString *error = nullptr,
                FileVersion *version = nullptr);

// Files outside the database, such as those the user picks in a dialog, by
// their full path; regular files only, written as the database files are.
std::optional<QByteArray> readExternal(const QString &path, qint64 limit, QString *error = nullptr);
bool writeExternal(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// What a file's bytes come from when they are made as they are written:
// it calls `write` with each piece in turn.
using Producer = std::function<void(const std::function<void(QByteArrayView)> &write)>;
// The same save with the bytes made as they are written, so that they never
// need to be in memory whole. After a piece fails to be written the later ones
// are dropped, and the save fails as a whole.
bool writeExternal(const QString &path, const Producer &produce, QString *error = nullptr);

// A file outside the database mapped into memory read-only, for input too big
// to be worth reading whole: its pages are read as they are used and can be
// dropped again. Its bytes are there until it goes. (A file cut short by
// another program while it is mapped ends the program with SIGBUS.)
class MappedFile
{
public:
    MappedFile() = default;
    MappedFile(MappedFile &&other) noexcept;
    MappedFile &operator=(MappedFile &&other) noexcept;
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;
    ~MappedFile() { release(); }

    QByteArrayView bytes() const { return {static_cast<const char *>(m_data), m_size}; }
    // Lets the system take back the pages used so far, which otherwise stay
    // with the program as if it had read them into memory: a page used again
    // comes back from the system's cache of the file. A reader going through
    // the bytes once calls it now and then to stay small.
    void dropPages() const;

private:
    friend std::optional<MappedFile> mapExternal(const QString &, qint64, QString *);
    friend std::optional<MappedFile> mapStandardInput(qint64, QString *);
    void release();

    void *m_data = nullptr;
    qsizetype m_size = 0;
};
// The file opened as readExternal() opens it (a regular file of at most
// `limit` bytes, the same errors) and mapped.
std::optional<MappedFile> mapExternal(const QString &path, qint64 limit, QString *error = nullptr);
// The standard input, read to its end into a file of its own that is gone
// when the program no longer holds it, and mapped as mapExternal() maps a
// file: input of any size in the memory of a small one. More than `limit`
// bytes is refused.
std::optional<MappedFile> mapStandardInput(qint64 limit, QString *error = nullptr);
// The lines of an 8-bit text file outside the database.
std::optional<QStringList> readExternalList(const QString &path, QString *error = nullptr);

// A list file: one entry per line.
std::optional<QStringList> readList(const DbPath &path, QString *error = nullptr,
                                    FileVersion *seen = nullptr);
// Every entry, the last one included, followed by CR LF. A list or text file
// that holds data after a NUL byte (which ends what is shown of it) is not
// overwritten: the write fails, saying the file is damaged.
bool writeList(const DbPath &path, const QStringList &lines, QString *error = nullptr,
               FileVersion *version = nullptr);

// A list file as a window holds it: its entries and the version they are of.
struct ListCopy
{
    QStringList entries;
    FileVersion version;
    // The entries hold a change the file has not (its write failed).
    bool pending = false;
};
// Reads a list file into `copy`; false (the copy unchanged) when it cannot.
bool readList(const DbPath &path, ListCopy &copy, QString *error = nullptr);

// The row of `entry` in a list: `row` when it holds it there (a name may be
// listed twice), else its first row; -1 when it is not listed.
int entryRow(const QStringList &entries, const QString &entry, int row);

// Appends each of `more` that `entries` does not hold yet; a change for
// editList() that always applies.
bool appendMissing(QStringList &entries, const QStringList &more);

// A name for a joke of a library beside `joke`, "joke (what)" or "joke (what
// 2)" and so on, that neither `entries` (the library's list, letter case
// aside) nor the library's folder has yet; empty when no such name can be a
// file name.
QString freeJokeName(const QString &library, const QStringList &entries, const QString &joke,
                     const QString &what);

enum class ListEdit {
    Written,    // the change is in the file
    NotApplied, // it no longer applies to what the file holds: nothing written
    Failed,     // the file could not be read or written: nothing written
};
// One change of the user's to a list file (add, remove, move, sort), made to
// what the file holds now: a file changed since `copy` was read is read again
// first, so that what came from outside stays. `change` edits the entries and
// returns false when it no longer applies (its entry is gone). Afterwards
// `copy` is what the file holds, which is what the window shows; `reread`
// tells whether the file had changed. A file deleted from outside is written
// anew from the copy. When the write fails, the copy holds the change all
// the same (the window shows it, and the next write stores it, unless the
// file has changed by then).
ListEdit editList(const DbPath &path, ListCopy &copy,
                  const std::function<bool(QStringList &entries)> &change, QString *error = nullptr,
                  bool *reread = nullptr);
// Whether a list or text file holds data after a NUL byte, which a write
// would lose; `error` then says the file is damaged.
bool hidesDataAfterNul(const DbPath &path, QString *error = nullptr);

// The whole text, line breaks normalised to CR LF.
std::optional<QString> readText(const DbPath &path, QString *error = nullptr,
                                FileVersion *seen = nullptr);
// Exactly the given text, line breaks as they are in it.
bool writeText(const DbPath &path, const QString &text, QString *error = nullptr,
               FileVersion *version = nullptr);
// The text up to the first line break (an empty file gives an empty line).
QString firstLine(const QString &text);

// Appends `line` as a new last line of a text file as a text box would: after
// content ending in a line break the result is content + line + CR LF; after
// content without one, CR LF + line with no break after it; an empty file
// becomes line + CR LF. Line breaks of the old content become CR LF.
bool appendLine(const DbPath &path, const QString &line, QString *error = nullptr);

// A rich-text file: RTF when it starts with "{\rtf", otherwise 8-bit text,
// which gets `plainFormat` (by default none: the document's font).
bool readRichText(const DbPath &path, QTextDocument *document, QString *error = nullptr,
                  const QTextCharFormat &plainFormat = QTextCharFormat(),
                  FileVersion *seen = nullptr);
// The same from the bytes of such a file.
void richTextFromBytes(const QByteArray &bytes, QTextDocument *document,
                       const QTextCharFormat &plainFormat = QTextCharFormat());
// Writes the document as RTF.
bool writeRichText(const DbPath &path, const QTextDocument &document, QString *error = nullptr,
                   FileVersion *version = nullptr);

// An icon file, kept as the bytes it was loaded from so that writing it back
// writes the same file.
struct Icon
{
    QByteArray bytes;
    QImage image;
    bool isNull() const { return bytes.isEmpty(); }
};
// Parses the bytes of an icon file. Its image is the file's largest one of at
// most 256 by 256 pixels (the most an icon file holds); a null icon when there
// is none or the bytes are not an icon file.
Icon iconFromBytes(const QByteArray &bytes);
std::optional<Icon> readIcon(const DbPath &path, QString *error = nullptr,
                             FileVersion *seen = nullptr);
bool writeIcon(const DbPath &path, const Icon &icon, QString *error = nullptr,
               FileVersion *version = nullptr);

// Creates the library's folder in `DataBase`; fails when it exists (in any
// letter case), when the name is refused, or when `DataBase` is missing.
bool createLibraryFolder(const QString &library, QString *error = nullptr);
// Deletes a file; given the version the program saw, only that version (a
// file changed since is kept). A read-only file is not deleted.
bool deleteFile(const DbPath &path, QString *error = nullptr,
                const FileVersion *expected = nullptr);
// Gives a file of the database another name in the same folder; never in
// place of a file that exists.
bool renameFile(const DbPath &from, const DbPath &to, QString *error = nullptr);
// Removes an empty folder.
bool removeFolder(const DbPath &path, QString *error = nullptr);
// Whether anything is at the path (a link is not followed), and whether a
// real folder is.
bool exists(const DbPath &path);
bool isFolder(const DbPath &path);

// The paths of what a library's folder holds, for the trash; none when the
// folder is not a real folder of the database.
std::optional<QStringList> folderEntries(const DbPath &folder, QString *error = nullptr);

// A regular file of a folder as a listing shows it: its name, size and time
// of its last change (nanoseconds since 1970).
struct FileStamp
{
    QString name;
    qint64 size = 0;
    qint64 mtime = 0;
};
// The regular files of a real folder of the database (no links, nothing
// special), each looked at once: a library's folder, to tell which jokes
// changed since they were last read.
std::optional<std::vector<FileStamp>> folderStamps(const DbPath &folder, QString *error = nullptr);

// The names of the regular files of a real folder of the database, as its
// listing gives them (nothing looked at one by one where the listing says
// what each is).
std::optional<QStringList> folderFileNames(const DbPath &folder);

// A joke's text as plain text, read without a rich-text document: RTF as its
// text, anything else as 8-bit text up to a NUL, lines ending with LF.
std::optional<QString> readJokeText(const DbPath &path, QString *error = nullptr);

// Told of each file or folder of the database that the program wrote,
// deleted or made, after it did (on the thread that did it). One listener at a
// time; an empty function removes it.
void setChangeListener(std::function<void(const DbPath &)> listener);

// Removes what saves cut short (by a crash or a kill) left behind: the
// program's temporary files (".chichotek-" and six letters or digits, a name
// no user gives a file) in the program's folder, `DataBase` and the
// libraries' folders, and the folders of such a name in `DataBase` (an
// import's) with all they hold; nothing else. Returns how many went.
int removeLeftovers();
// Whether a file name is one of the program's temporary files.
bool isTemporaryName(QStringView name);

// Why no file can be created in `folder`, in words a user knows; empty when
// one can. (It creates a file there and removes it again.)
QString folderWriteProblem(const QString &folder);

// While the database is open in another window of the program: every write,
// deletion and new folder of the database is refused.
void setReadOnly(bool readOnly);
bool isReadOnly();

// The description of a refused name, for messages.
QString refusedNameError(const DbPath &path);

// The steps of a save.
enum class SaveStep { Open, Write, Sync, Flush, Rename };

namespace testing {
// Makes every following write stop after `bytes` bytes as if the disk failed
// (-1 turns it off). For tests of interrupted writes.
void setWriteLimit(qint64 bytes);
// Makes that step of every following save fail with the system error
// `errnum` (nullopt turns it off). For tests of failing disks.
void setSaveFault(std::optional<SaveStep> step, int errnum = 28 /* ENOSPC */);
} // namespace testing

} // namespace store
