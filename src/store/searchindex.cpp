#include "searchindex.h"

#include "files.h"
#include "paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>
#include <zlib.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

namespace store {
namespace {

constexpr int kApplicationId = 0x43684B31; // "ChK1"
constexpr int kSchemaVersion = 2;
constexpr int kJokeBits = 24; // a joke's id: its library's id, then its number there

// Whether `c` is part of a word as the index's tokenizer (unicode61) sees it:
// letters, digits and private-use characters; everything else separates.
bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.category() == QChar::Other_PrivateUse || c.isMark();
}

QString quotedWords(const QStringList &words)
{
    // A word holds no quote: the tokenizer splits at them.
    return u'"' + words.join(u' ') + u'"';
}

// The joke's text as the index keeps it: UTF-8, compressed.
QByteArray pack(const QString &text)
{
    return text.isEmpty() ? QByteArray() : qCompress(text.toUtf8(), 6);
}

std::atomic<qint64> g_unpacked{0};

void unpackFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    const int size = sqlite3_value_bytes(values[0]);
    const auto *data = static_cast<const uchar *>(sqlite3_value_blob(values[0]));
    if (!data || size == 0) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    const QByteArray text = qUncompress(data, size);
    g_unpacked += text.size();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

QString czechReason(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("Na disku není místo.");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QStringLiteral("Do mezipaměti nelze zapisovat.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Rejstřík vtipů je poškozený.");
    case SQLITE_NOMEM:
        return QStringLiteral("Nedostatek paměti.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Rejstřík vtipů právě doplňuje jiné okno programu, zkuste to znovu.");
    default:
        return QStringLiteral("Chyba rejstříku vtipů (%1).").arg(code);
    }
}

} // namespace

// One connection to the index, with the statements it uses.
struct SearchIndex::Db
{
    sqlite3 *db = nullptr;
    // The last result (in memory, one connection serves two threads).
    std::atomic<int> error{SQLITE_OK};

    ~Db()
    {
        if (db)
            sqlite3_close_v2(db);
    }

    bool open(const QString &file, bool create)
    {
        // A cache file that is a link is not written through: it is made
        // anew instead (see open()).
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX |
                          (create ? SQLITE_OPEN_CREATE : 0) |
                          (file.isEmpty() ? SQLITE_OPEN_MEMORY : SQLITE_OPEN_NOFOLLOW);
        const QByteArray name = file.isEmpty() ? QByteArray(":memory:") : QFile::encodeName(file);
        error = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
        if (error != SQLITE_OK)
            return false;
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, 5000);
        error = sqlite3_create_function(db, "unpack", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        nullptr, unpackFunction, nullptr, nullptr);
        return error == SQLITE_OK;
    }

    bool exec(const char *sql)
    {
        error = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        return error == SQLITE_OK;
    }

    // A prepared statement, finalized when it goes.
    class Statement
    {
    public:
        Statement(Db &db, const char *sql) : m_db(db)
        {
            db.error = sqlite3_prepare_v2(db.db, sql, -1, &m_stmt, nullptr);
        }
        ~Statement() { sqlite3_finalize(m_stmt); }
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;

        bool ok() const { return m_stmt != nullptr; }
        Statement &bind(int i, qint64 v)
        {
            sqlite3_bind_int64(m_stmt, i, v);
            return *this;
        }
        Statement &bind(int i, const QString &v)
        {
            const QByteArray utf8 = v.toUtf8();
            sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            return *this;
        }
        Statement &bindBlob(int i, const QByteArray &v)
        {
            if (v.isEmpty())
                sqlite3_bind_zeroblob(m_stmt, i, 0);
            else
                sqlite3_bind_blob(m_stmt, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
            return *this;
        }
        // True while there is a row; false at the end or on an error (see done()).
        bool step()
        {
            if (!m_stmt)
                return false;
            const int rc = sqlite3_step(m_stmt);
            if (rc == SQLITE_ROW)
                return true;
            m_db.error = rc == SQLITE_DONE ? SQLITE_OK : rc;
            return false;
        }
        // Runs a statement that returns no rows; false on an error.
        bool run()
        {
            while (step()) {
            }
            const bool fine = m_db.error == SQLITE_OK;
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
            return fine;
        }
        void reset()
        {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
        qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
        QString text(int column) const
        {
            return QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                sqlite3_column_bytes(m_stmt, column));
        }
        QByteArray blob(int column) const
        {
            return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, column)),
                              sqlite3_column_bytes(m_stmt, column));
        }

    private:
        Db &m_db;
        sqlite3_stmt *m_stmt = nullptr;
    };

    template <class... Statements> bool ok(const Statements &...statements) const
    {
        return (statements.ok() && ...);
    }

    // Whether the file is an index of ours for `folder`, in this schema.
    bool isOurs(const QString &folder)
    {
        Statement app(*this, "PRAGMA application_id");
        if (!app.step() || app.integer(0) != kApplicationId)
            return false;
        Statement version(*this, "PRAGMA user_version");
        if (!version.step() || version.integer(0) != kSchemaVersion)
            return false;
        Statement meta(*this, "SELECT value FROM meta WHERE key = 'folder'");
        if (!meta.step() || meta.text(0) != folder)
            return false;
        // The tables can be read.
        Statement probe(*this, "SELECT count(*) FROM libraries");
        return probe.step();
    }

    bool isEmpty()
    {
        Statement tables(*this, "SELECT count(*) FROM sqlite_schema");
        return tables.step() && tables.integer(0) == 0;
    }

    bool createSchema(const QString &folder)
    {
        if (!exec("BEGIN"))
            return false;
        const bool made =
            exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
                 "CREATE TABLE libraries(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,"
                 " next INTEGER NOT NULL DEFAULT 1);"
                 "CREATE TABLE jokes(id INTEGER PRIMARY KEY, library INTEGER NOT NULL,"
                 " name TEXT NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL, body BLOB);"
                 "CREATE UNIQUE INDEX jokes_key ON jokes(library, name);"
                 "CREATE VIEW joke_text AS SELECT id, name, unpack(body) AS text FROM jokes;"
                 "CREATE VIRTUAL TABLE joke_index USING fts5(name, text, content='joke_text',"
                 " content_rowid='id', tokenize='unicode61 remove_diacritics 2');"
                 "INSERT INTO joke_index(joke_index, rank) VALUES('rank', 'bm25(10.0, 1.0)');"
                 // The index's pieces are merged after each refresh (see
                 // there), not again and again while jokes go in. (A
                 // setting changed later would make readers of the other
                 // connection fail.)
                 "INSERT INTO joke_index(joke_index, rank) VALUES('automerge', 0);"
                 "INSERT INTO joke_index(joke_index, rank) VALUES('crisismerge', 64);") &&
            Statement(*this, "INSERT INTO meta VALUES('folder', ?)").bind(1, folder).run() &&
            exec(QByteArray("PRAGMA application_id = " + QByteArray::number(kApplicationId) +
                            "; PRAGMA user_version = " + QByteArray::number(kSchemaVersion))
                     .constData());
        if (!made) {
            const int failed = error;
            exec("ROLLBACK");
            error = failed;
            return false;
        }
        return exec("COMMIT");
    }
};

// ---------------------------------------------------------------------------
// Queries

QString ftsQuery(const QString &typed, bool lastIsPrefix)
{
    QStringList parts;
    QStringList words; // of the phrase or word being read
    bool inQuotes = false;
    bool prefix = false; // the last part may be a prefix
    QString word;
    auto endWord = [&] {
        if (!word.isEmpty())
            words << word;
        word.clear();
    };
    auto endPart = [&] {
        endWord();
        if (!words.isEmpty())
            parts << quotedWords(words);
        words.clear();
    };
    for (const QChar c : typed) {
        if (c == u'"' || c == u'„' || c == u'“' || c == u'”') {
            endPart();
            inQuotes = !inQuotes;
            prefix = false;
        } else if (isWordChar(c)) {
            word += c;
            prefix = true;
        } else {
            endWord();
            if (!inQuotes)
                endPart();
            prefix = false;
        }
    }
    endPart();
    if (parts.isEmpty())
        return {};
    if (lastIsPrefix && prefix)
        parts.last() += u'*';
    return parts.join(u' ');
}

QString searchCacheFile(const QString &programFolder)
{
    const QString folder = QDir(programFolder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha1).toHex();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {}; // no cache folder: the index is kept in memory
    return cache + QStringLiteral("/chichotek/index-") + QString::fromLatin1(hash.left(16)) +
           QStringLiteral(".sqlite");
}

// ---------------------------------------------------------------------------
// The index

SearchIndex::SearchIndex(const QString &cacheFile) : m_requested(cacheFile)
{
    open(false);
}

void SearchIndex::open(bool anew)
{
    m_reader.reset();
    m_writer.reset();
    m_file.clear();
    m_damaged = false;
    const QString folder = QDir::currentPath();
    const auto remove = [this] {
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(m_requested + QLatin1String(suffix));
    };
    if (!m_requested.isEmpty() && QDir().mkpath(QFileInfo(m_requested).path())) {
        if (anew)
            remove();
        // The cache's files are the program's own: a link in their place
        // (to another file, which SQLite would write into) goes.
        for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
            const QString file = m_requested + QLatin1String(suffix);
            if (QFileInfo(file).isSymLink())
                QFile::remove(file);
        }
        for (int attempt = 0; attempt < 2 && !m_reader; ++attempt) {
            auto writer = std::make_unique<Db>();
            // The space the index frees can be given back (this takes only
            // on a new file, before its first table).
            bool fine = writer->open(m_requested, true) &&
                        writer->exec("PRAGMA auto_vacuum = INCREMENTAL") &&
                        writer->exec("PRAGMA journal_mode = WAL") &&
                        writer->exec("PRAGMA synchronous = NORMAL") &&
                        writer->exec("PRAGMA cache_size = -65536");
            if (fine && !writer->isOurs(folder))
                fine = writer->isEmpty() && writer->createSchema(folder);
            auto reader = std::make_unique<Db>();
            fine = fine && reader->open(m_requested, false);
            if (fine) {
                m_writer = std::move(writer);
                m_reader = std::move(reader);
                m_file = m_requested;
                break;
            }
            // Damaged, someone else's or of another version: made anew.
            writer.reset();
            reader.reset();
            remove();
        }
    }
    if (!m_writer) {
        m_writer = std::make_unique<Db>();
        if (!m_writer->open(QString(), true) || !m_writer->createSchema(folder))
            m_writer.reset();
    }
}

bool SearchIndex::damaged() const
{
    return m_damaged;
}

void SearchIndex::makeAnew()
{
    open(true);
}

void SearchIndex::noteError(int code) const
{
    if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB)
        m_damaged = true;
}

SearchIndex::~SearchIndex() = default;

bool SearchIndex::inMemory() const
{
    return m_file.isEmpty();
}

SearchResult SearchIndex::refreshAndSearch(const QString &typed, int limit, bool lastIsPrefix,
                                           RefreshReport *report)
{
    RefreshReport refreshed = refresh();
    SearchResult result;
    if (refreshed.problem.isEmpty())
        result = search(typed, limit, lastIsPrefix);
    // Whatever went wrong with the cache (damage shows in a refresh or in a
    // search, and not always as such), it is only a cache: made anew, once.
    if (!refreshed.problem.isEmpty() || !result.problem.isEmpty() || damaged()) {
        makeAnew();
        refreshed = refresh();
        result = refreshed.problem.isEmpty() ? search(typed, limit, lastIsPrefix) : SearchResult();
    }
    if (report)
        *report = refreshed;
    return result;
}

RefreshReport SearchIndex::refresh(const std::function<void(int, int)> &progress,
                                   const std::atomic<bool> *stop)
{
    return refreshSome(nullptr, true, progress, stop);
}

RefreshReport SearchIndex::refresh(const QStringList &libraries, bool listChanged)
{
    return refreshSome(&libraries, listChanged, {}, nullptr);
}

namespace {

struct Row
{
    qint64 id;
    qint64 size;
    qint64 mtime;
};

// A joke to read and put in the index.
struct Work
{
    QString library;
    qint64 lib = 0; // the library's id
    QString name;
    qint64 id = 0; // its entry's, 0 for a new one
    qint64 size = -1;
    qint64 mtime = 0;
    // Filled by the reader:
    bool readable = true;
    QString text;
    QByteArray body;
};

// Reads the jokes of `work` on a thread of its own, a few ahead of the one
// who takes them.
class Reader
{
public:
    explicit Reader(std::vector<Work> &work, const std::atomic<bool> *stop)
        : m_work(work), m_stop(stop), m_thread([this] { run(); })
    {}
    ~Reader()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Waits until work[i] is read.
    Work &take(std::size_t i)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_read > i; });
        m_taken = i + 1;
        m_changed.notify_all();
        return m_work[i];
    }

private:
    static constexpr std::size_t kAhead = 64;

    void run()
    {
        for (std::size_t i = 0; i < m_work.size(); ++i) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_quit || i < m_taken + kAhead; });
                if (m_quit)
                    return;
            }
            Work &w = m_work[i];
            if (w.size >= 0 && !(m_stop && m_stop->load())) {
                if (std::optional<QString> text =
                        readJokeText(DbPath::jokeFile(w.library, w.name))) {
                    w.text = std::move(*text);
                    w.body = pack(w.text);
                } else {
                    w.readable = false;
                }
            }
            const std::lock_guard lock(m_mutex);
            m_read = i + 1;
            m_changed.notify_all();
        }
    }

    std::vector<Work> &m_work;
    const std::atomic<bool> *m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_read = 0;  // work[0 .. m_read) is read
    std::size_t m_taken = 0; // and work[0 .. m_taken) taken
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace

RefreshReport SearchIndex::refreshSome(const QStringList *only, bool listChanged,
                                       const std::function<void(int, int)> &progress,
                                       const std::atomic<bool> *stop)
{
    RefreshReport report;
    if (!m_writer) {
        report.problem = QStringLiteral("Rejstřík vtipů nelze vytvořit.");
        return report;
    }
    Db &db = *m_writer;
    using Statement = Db::Statement;
    // In memory the one connection serves both threads: a search waits while
    // a transaction is open (see below), and the other way round.
    std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
    if (inMemory())
        memoryLock.lock();

    // The libraries of the list, each once.
    QStringList libraries;
    {
        QString error;
        const std::optional<QStringList> list = readList(DbPath::listFile(), &error);
        if (!list) {
            report.problem = error;
            return report;
        }
        QSet<QString> seen;
        for (const QString &name : *list) {
            if (!name.isEmpty() && !seen.contains(name)) {
                seen.insert(name);
                libraries << name;
            }
        }
    }
    report.libraries = int(libraries.size());

    Statement libraryId(db, "SELECT id FROM libraries WHERE name = ?");
    Statement addLibrary(db, "INSERT INTO libraries(name) VALUES(?)");
    Statement nextNumber(db,
                         "UPDATE libraries SET next = next + 1 WHERE id = ? RETURNING next - 1");
    Statement jokesOf(db, "SELECT id, name, size, mtime FROM jokes WHERE library = ?");
    Statement oldEntry(db, "SELECT name, unpack(body) FROM jokes WHERE id = ?");
    Statement unindex(db, "INSERT INTO joke_index(joke_index, rowid, name, text)"
                          " VALUES('delete', ?, ?, ?)");
    Statement index(db, "INSERT INTO joke_index(rowid, name, text) VALUES(?, ?, ?)");
    Statement addJoke(db, "INSERT INTO jokes(id, library, name, size, mtime, body)"
                          " VALUES(?, ?, ?, ?, ?, ?)");
    Statement changeJoke(db, "UPDATE jokes SET size = ?, mtime = ?, body = ? WHERE id = ?");
    Statement dropJoke(db, "DELETE FROM jokes WHERE id = ?");
    if (!db.ok(libraryId, addLibrary, nextNumber, jokesOf, oldEntry, unindex, index, addJoke,
               changeJoke, dropJoke)) {
        report.problem = czechReason(db.error);
        return report;
    }

    // Takes the joke's words out of the index; its row stays.
    auto forget = [&](qint64 id) {
        oldEntry.bind(1, id);
        if (!oldEntry.step()) {
            oldEntry.reset();
            return db.error == SQLITE_OK;
        }
        const QString name = oldEntry.text(0);
        const QString text = oldEntry.text(1);
        oldEntry.reset();
        return unindex.bind(1, id).bind(2, name).bind(3, text).run();
    };
    auto failed = [&] {
        noteError(db.error);
        report.problem = czechReason(db.error);
        db.exec("ROLLBACK");
        return report;
    };

    if (!db.exec("BEGIN"))
        return failed();
    // Libraries no longer listed go.
    if (listChanged) {
        QList<qint64> gone;
        {
            Statement all(db, "SELECT id, name FROM libraries");
            const QSet<QString> listed(libraries.begin(), libraries.end());
            while (all.step()) {
                if (!listed.contains(all.text(1)))
                    gone << all.integer(0);
            }
        }
        for (const qint64 library : gone) {
            QList<qint64> ids;
            jokesOf.bind(1, library);
            while (jokesOf.step())
                ids << jokesOf.integer(0);
            jokesOf.reset();
            for (const qint64 id : ids) {
                if (!forget(id) || !dropJoke.bind(1, id).run())
                    return failed();
            }
            Statement drop(db, "DELETE FROM libraries WHERE id = ?");
            if (!drop.bind(1, library).run())
                return failed();
        }
    }

    // What each library lists against what its folder holds and what the
    // index has: the jokes to read, and the entries to drop.
    QStringList toCheck = libraries;
    if (only) {
        const QSet<QString> wanted(only->begin(), only->end());
        toCheck.removeIf([&](const QString &name) { return !wanted.contains(name); });
    }
    std::vector<Work> work;
    QList<qint64> drop;
    const int total = int(toCheck.size());
    int checked = 0;
    for (const QString &library : std::as_const(toCheck)) {
        if (stop && stop->load())
            break;
        qint64 lib = 0;
        libraryId.bind(1, library);
        if (libraryId.step()) {
            lib = libraryId.integer(0);
            libraryId.reset();
        } else {
            libraryId.reset();
            if (!addLibrary.bind(1, library).run())
                return failed();
            lib = sqlite3_last_insert_rowid(db.db);
        }

        QStringList names;
        if (const std::optional<QStringList> listed = readList(DbPath::jokeList(library))) {
            QSet<QString> seen;
            for (const QString &name : *listed) {
                if (!name.isEmpty() && !seen.contains(name)) {
                    seen.insert(name);
                    names << name;
                }
            }
        }
        const std::vector<FileStamp> stamps =
            folderStamps(DbPath::libraryFolder(library)).value_or(std::vector<FileStamp>());
        QHash<QString, const FileStamp *> exact;
        QHash<QString, const FileStamp *> anyCase;
        for (const FileStamp &stamp : stamps) {
            exact.insert(stamp.name, &stamp);
            anyCase.insert(stamp.name.toCaseFolded(), &stamp);
        }

        QHash<QString, Row> rows;
        jokesOf.bind(1, lib);
        while (jokesOf.step())
            rows.insert(jokesOf.text(1),
                        Row{jokesOf.integer(0), jokesOf.integer(2), jokesOf.integer(3)});
        jokesOf.reset();
        if (db.error != SQLITE_OK)
            return failed();

        for (const QString &name : std::as_const(names)) {
            ++report.jokes;
            const QString file = name + QStringLiteral(".vti");
            const FileStamp *stamp = exact.value(file, nullptr);
            if (!stamp)
                stamp = anyCase.value(file.toCaseFolded(), nullptr);
            // A joke not written yet is found by its name.
            Work w;
            w.library = library;
            w.lib = lib;
            w.name = name;
            w.size = stamp ? stamp->size : -1;
            w.mtime = stamp ? stamp->mtime : 0;
            const auto row = rows.find(name);
            if (row != rows.end()) {
                w.id = row->id;
                const bool same = row->size == w.size && row->mtime == w.mtime;
                rows.erase(row);
                if (same)
                    continue;
            }
            work.push_back(std::move(w));
        }
        // Jokes the list no longer has.
        for (const Row &row : std::as_const(rows))
            drop << row.id;
        if (progress)
            progress(++checked, total);
    }
    for (const qint64 id : std::as_const(drop)) {
        ++report.dropped;
        if (!forget(id) || !dropJoke.bind(1, id).run())
            return failed();
    }
    if (!db.exec("COMMIT"))
        return failed();

    // The jokes read on another thread while the index takes them here, a
    // transaction for every few hundred so that a search sees them coming.
    if (!work.empty()) {
        // Much to read (the first time, say): the log is copied into the
        // file in bigger steps, and the index is merged into one piece at
        // the end.
        const bool bulk = work.size() >= 1000;
        struct LogSteps
        {
            Db &db;
            bool big;
            LogSteps(Db &d, bool b) : db(d), big(b)
            {
                if (big)
                    db.exec("PRAGMA wal_autocheckpoint = 16384");
            }
            ~LogSteps()
            {
                if (big) {
                    const int error = db.error;
                    db.exec("PRAGMA wal_autocheckpoint = 1000");
                    db.error = error;
                }
            }
        } logSteps(db, bulk);
        Reader reader(work, stop);
        if (!db.exec("BEGIN"))
            return failed();
        const int toRead = int(work.size());
        for (std::size_t i = 0; i < work.size(); ++i) {
            if (stop && stop->load())
                break;
            Work &w = reader.take(i);
            if (!w.readable) {
                ++report.unreadable;
            } else {
                ++report.read;
                if (w.id != 0) {
                    if (!forget(w.id) || !changeJoke.bind(1, w.size)
                                              .bind(2, w.mtime)
                                              .bindBlob(3, w.body)
                                              .bind(4, w.id)
                                              .run())
                        return failed();
                } else {
                    nextNumber.bind(1, w.lib);
                    if (!nextNumber.step())
                        return failed();
                    w.id = (w.lib << kJokeBits) | nextNumber.integer(0);
                    nextNumber.reset();
                    if (!addJoke.bind(1, w.id)
                             .bind(2, w.lib)
                             .bind(3, w.name)
                             .bind(4, w.size)
                             .bind(5, w.mtime)
                             .bindBlob(6, w.body)
                             .run())
                        return failed();
                }
                if (!index.bind(1, w.id).bind(2, w.name).bind(3, w.text).run())
                    return failed();
            }
            // Its text is in the index now.
            w.text = QString();
            w.body = QByteArray();
            if ((i + 1) % 500 == 0 || i + 1 == work.size()) {
                if (!db.exec("COMMIT"))
                    return failed();
                if (memoryLock.owns_lock()) {
                    memoryLock.unlock();
                    memoryLock.lock();
                }
                if (!db.exec("BEGIN"))
                    return failed();
                if (progress)
                    progress(int(i + 1), toRead);
            }
        }
        if (!db.exec("COMMIT"))
            return failed();
        // After much was read, the index is merged into one piece, which
        // makes it smaller, and the space freed goes back.
        if (bulk) {
            db.exec("INSERT INTO joke_index(joke_index) VALUES('optimize')");
            db.exec("PRAGMA incremental_vacuum");
        } else {
            db.exec("INSERT INTO joke_index(joke_index, rank) VALUES('merge', 64)");
        }
    }
    return report;
}

SearchResult SearchIndex::search(const QString &typed, int limit, bool lastIsPrefix) const
{
    SearchResult result;
    Db *db = m_reader ? m_reader.get() : m_writer.get();
    if (!db) {
        result.problem = QStringLiteral("Rejstřík vtipů nelze vytvořit.");
        return result;
    }
    const QString query = ftsQuery(typed, lastIsPrefix);
    if (query.isEmpty())
        return result;
    using Statement = Db::Statement;
    std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
    if (inMemory())
        memoryLock.lock();

    // How many, and in how many libraries: a joke's id tells its library.
    {
        Statement all(*db, "SELECT rowid FROM joke_index WHERE joke_index MATCH ?");
        all.bind(1, query);
        std::unordered_set<qint64> libraries;
        while (all.step()) {
            ++result.jokes;
            libraries.insert(all.integer(0) >> kJokeBits);
        }
        result.libraries = int(libraries.size());
    }
    if (db->error == SQLITE_OK) {
        Statement best(*db,
                       "SELECT j.id, l.name, j.name FROM"
                       " (SELECT rowid AS id, rank FROM joke_index WHERE joke_index MATCH ?"
                       "  ORDER BY rank LIMIT ?) AS b"
                       " JOIN jokes AS j ON j.id = b.id JOIN libraries AS l ON l.id = j.library"
                       " ORDER BY b.rank");
        best.bind(1, query).bind(2, limit);
        while (best.step())
            result.hits.push_back({best.integer(0), best.text(1), best.text(2)});
    }
    if (db->error != SQLITE_OK) {
        noteError(db->error);
        result.problem = czechReason(db->error);
        result.hits.clear();
        result.jokes = result.libraries = 0;
    }
    return result;
}

namespace {

// How much of a joke's text a snippet looks at: its start, so that a joke of
// megabytes costs what one of a page does.
constexpr int kSnippetBytes = 64 * 1024;
// Words of a snippet, and how many of them come before the first match.
constexpr int kSnippetWords = 24;
constexpr int kWordsBefore = 6;

// The start of a packed text, unpacked only as far as `bytes` of UTF-8: a
// packed text is qCompress()'s, four bytes of size and a zlib stream.
QByteArray unpackStart(const QByteArray &packed, int bytes)
{
    if (packed.size() <= 4)
        return {};
    QByteArray out(bytes, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData() + 4));
    z.avail_in = uInt(packed.size() - 4);
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(bytes);
    int result = Z_OK;
    while (result == Z_OK && z.avail_out > 0)
        result = inflate(&z, Z_SYNC_FLUSH);
    out.truncate(qsizetype(bytes - z.avail_out));
    inflateEnd(&z);
    g_unpacked += out.size();
    return out;
}

QString folded(QStringView word)
{
    QString decomposed = word.toString().normalized(QString::NormalizationForm_D);
    decomposed.removeIf([](QChar c) { return c.isMark(); });
    return decomposed.toCaseFolded();
}

} // namespace

QString SearchIndex::snippet(qint64 id, const QString &typed, bool lastIsPrefix) const
{
    Db *db = m_reader ? m_reader.get() : m_writer.get();
    const QString query = ftsQuery(typed, lastIsPrefix);
    if (!db || query.isEmpty())
        return {};
    // The words of the query as the tokenizer sees them; the last one may be
    // the beginning of a longer word.
    QStringList words;
    for (const QString &part : query.split(u'"', Qt::SkipEmptyParts)) {
        for (const QString &word : part.split(u' ', Qt::SkipEmptyParts)) {
            if (word != u"*")
                words << folded(word);
        }
    }
    const bool prefix = query.endsWith(u'*');

    // Only the start of the packed text is read from the file: a zlib
    // stream is never much longer than what it holds.
    QByteArray packed;
    {
        std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
        if (inMemory())
            memoryLock.lock();
        sqlite3_blob *blob = nullptr;
        if (sqlite3_blob_open(db->db, "main", "jokes", "body", id, 0, &blob) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            return {};
        }
        const int size = std::min(sqlite3_blob_bytes(blob), 4 + kSnippetBytes + kSnippetBytes / 8);
        packed.resize(size);
        if (sqlite3_blob_read(blob, packed.data(), size, 0) != SQLITE_OK)
            packed.clear();
        sqlite3_blob_close(blob);
    }
    QByteArray utf8 = unpackStart(packed, kSnippetBytes);
    const bool cut = utf8.size() == kSnippetBytes;
    // A character cut at the end of the window is left out.
    while (cut && !utf8.isEmpty() && (uchar(utf8.back()) & 0xC0) == 0x80)
        utf8.chop(1);
    if (cut && !utf8.isEmpty() && uchar(utf8.back()) >= 0xC0)
        utf8.chop(1);
    const QString text = QString::fromUtf8(utf8);

    // The words of the window, and the first that matches.
    struct Word
    {
        qsizetype from;
        qsizetype to;
        bool match;
    };
    std::vector<Word> found;
    qsizetype first = -1;
    for (qsizetype i = 0; i < text.size();) {
        if (!isWordChar(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isWordChar(text[end]))
            ++end;
        const QString word = folded(QStringView(text).sliced(i, end - i));
        bool match = false;
        for (qsizetype w = 0; w < words.size() && !match; ++w)
            match =
                word == words[w] || (prefix && w == words.size() - 1 && word.startsWith(words[w]));
        if (match && first < 0)
            first = qsizetype(found.size());
        found.push_back({i, end, match});
        i = end;
        if (first >= 0 && qsizetype(found.size()) >= first + kSnippetWords)
            break;
    }
    if (found.empty())
        return {};
    const qsizetype from = std::max<qsizetype>(0, first - kWordsBefore);
    const qsizetype to = std::min<qsizetype>(qsizetype(found.size()), from + kSnippetWords);
    QString out;
    if (from > 0)
        out += u'…';
    qsizetype at = found[std::size_t(from)].from;
    for (qsizetype w = from; w < to; ++w) {
        const Word &word = found[std::size_t(w)];
        out += QStringView(text).sliced(at, word.from - at);
        const QStringView shown = QStringView(text).sliced(word.from, word.to - word.from);
        if (word.match)
            out += kMatchStart + shown.toString() + kMatchEnd;
        else
            out += shown;
        at = word.to;
    }
    // What follows the last word up to the next one: its full stop.
    qsizetype end = at;
    while (end < text.size() && !isWordChar(text[end]))
        ++end;
    const bool more = end < text.size() || cut;
    out += QStringView(text).sliced(at, end - at).trimmed();
    if (more)
        out += u'…';
    return out;
}

namespace testing {
qint64 textUnpacked()
{
    return g_unpacked;
}
} // namespace testing

} // namespace store
