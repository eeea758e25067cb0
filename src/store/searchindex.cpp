#include "searchindex.h"

#include "dictionary.h"
#include "files.h"
#include "paths.h"
#include "searchwords.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>
#include <zstd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_set>
#include <vector>

namespace store {
namespace {

constexpr int kApplicationId = 0x43684B31; // "ChK1"
constexpr int kSchemaVersion = 3;
constexpr int kJokeBits = 24; // a joke's id: its library's id, then its number there

// Whether `c` is part of a word as the index's tokenizer (unicode61) sees it:
// letters, digits and private-use characters; everything else separates.
bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
    return c.isLetterOrNumber() || c.category() == QChar::Other_PrivateUse || c.isMark();
}

// A word as the index folds it: letter case and diacritics left out.
QString folded(QStringView word)
{
    QString decomposed = word.toString().normalized(QString::NormalizationForm_D);
    decomposed.removeIf([](QChar c) { return c.isMark(); });
    return decomposed.toCaseFolded();
}

QString quotedWords(const QStringList &words)
{
    // A word holds no quote: the tokenizer splits at them.
    return u'"' + words.join(u' ') + u'"';
}

// The joke's text as the index keeps it: UTF-8 in a Zstandard frame, packed
// quickly (the text is read back only for a snippet's start and for taking
// the joke out).
QByteArray pack(ZSTD_CCtx *packer, const QByteArray &utf8)
{
    if (utf8.isEmpty())
        return {};
    QByteArray out(qsizetype(ZSTD_compressBound(std::size_t(utf8.size()))), Qt::Uninitialized);
    const std::size_t size = ZSTD_compressCCtx(packer, out.data(), std::size_t(out.size()),
                                               utf8.constData(), std::size_t(utf8.size()), 1);
    if (ZSTD_isError(size))
        return {};
    out.truncate(qsizetype(size));
    return out;
}

// A packed text whole; empty when it is damaged.
QByteArray unpack(const void *data, std::size_t size)
{
    const unsigned long long whole = ZSTD_getFrameContentSize(data, size);
    if (whole == ZSTD_CONTENTSIZE_ERROR || whole == ZSTD_CONTENTSIZE_UNKNOWN ||
        whole > (1ULL << 30))
        return {};
    QByteArray out(qsizetype(whole), Qt::Uninitialized);
    const std::size_t got = ZSTD_decompress(out.data(), std::size_t(whole), data, size);
    if (ZSTD_isError(got) || got != whole)
        return {};
    return out;
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
    const QByteArray text = unpack(data, std::size_t(size));
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
    // The words of the full-text table, as this connection sees them.
    std::unique_ptr<searchwords::Words> words = std::make_unique<searchwords::Words>();
    std::mutex wordsLock; // one query at a time uses them
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
        if (error == SQLITE_OK && !words->registerOn(db))
            error = SQLITE_ERROR;
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
        // UTF-8 text, which must stay until the statement is reset.
        Statement &bindText(int i, const QByteArray &v)
        {
            sqlite3_bind_text(m_stmt, i, v.constData(), int(v.size()), SQLITE_STATIC);
            return *this;
        }
        Statement &bind(int i, std::string_view v)
        {
            sqlite3_bind_text(m_stmt, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
            return *this;
        }
        // Bytes which must stay until the statement is reset.
        Statement &bindBlob(int i, const QByteArray &v)
        {
            if (v.isEmpty())
                sqlite3_bind_zeroblob(m_stmt, i, 0);
            else
                sqlite3_bind_blob(m_stmt, i, v.constData(), int(v.size()), SQLITE_STATIC);
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
        double real(int column) const { return sqlite3_column_double(m_stmt, column); }
        std::string_view utf8(int column) const
        {
            return {reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                    std::size_t(sqlite3_column_bytes(m_stmt, column))};
        }
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
        // The forms of the words are the dictionary's: another one (or one
        // installed since) makes the index anew.
        Statement dictionary(*this, "SELECT value FROM meta WHERE key = 'dictionary'");
        if (!dictionary.step() || dictionary.text(0) != CzechDictionary::shared().stamp())
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
                 " name TEXT NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL);"
                 // The texts apart, so that looking at the jokes' stamps
                 // reads no text.
                 "CREATE TABLE bodies(id INTEGER PRIMARY KEY, body BLOB);"
                 "CREATE TRIGGER jokes_gone AFTER DELETE ON jokes"
                 " BEGIN DELETE FROM bodies WHERE id = old.id; END;"
                 "CREATE UNIQUE INDEX jokes_key ON jokes(library, name);"
                 "CREATE VIEW joke_text AS SELECT j.id AS id, j.name AS name,"
                 " unpack(b.body) AS text FROM jokes AS j LEFT JOIN bodies AS b ON b.id = j.id;"
                 "CREATE VIRTUAL TABLE joke_index USING fts5(name, text, content='joke_text',"
                 " content_rowid='id', tokenize='chichotek');"
                 // Each spelling of the jokes' words, once looked up in the
                 // dictionary, and the base forms it gave (both folded as
                 // the index folds words).
                 "CREATE TABLE spellings(spelling TEXT PRIMARY KEY) WITHOUT ROWID;"
                 "CREATE TABLE forms(base TEXT NOT NULL, word TEXT NOT NULL,"
                 " PRIMARY KEY(base, word)) WITHOUT ROWID;"
                 "CREATE INDEX forms_word ON forms(word, base);"
                 // The words typed in queries whose forms the dictionary
                 // was asked for (they went to the table of forms).
                 "CREATE TABLE typed(word TEXT PRIMARY KEY) WITHOUT ROWID;"
                 "INSERT INTO joke_index(joke_index, rank) VALUES('rank', 'bm25(10.0, 1.0)');"
                 // The index's pieces are merged after each refresh (see
                 // there), not again and again while jokes go in. (A
                 // setting changed later would make readers of the other
                 // connection fail.)
                 "INSERT INTO joke_index(joke_index, rank) VALUES('automerge', 0);"
                 "INSERT INTO joke_index(joke_index, rank) VALUES('crisismerge', 64);"
                 // Words are gathered in memory up to this much before they
                 // are written as a piece of the index: fewer pieces to merge.
                 "INSERT INTO joke_index(joke_index, rank) VALUES('hashsize', 33554432);") &&
            Statement(*this, "INSERT INTO meta VALUES('folder', ?)").bind(1, folder).run() &&
            Statement(*this, "INSERT INTO meta VALUES('dictionary', ?)")
                .bind(1, CzechDictionary::shared().stamp())
                .run() &&
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

namespace {

// A typed query: its words, each a part or in a quoted phrase.
struct QueryParts
{
    std::vector<QStringList> parts;
    bool lastIsPrefix = false; // the last part may be the beginning of a word
};

QueryParts parseQuery(const QString &typed, bool lastIsPrefix)
{
    QueryParts query;
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
            query.parts.push_back(words);
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
    query.lastIsPrefix = lastIsPrefix && prefix && !query.parts.empty() &&
                         query.parts.back().back().size() >= kShortestBeginning;
    return query;
}

// The query as an FTS5 expression. A last word that is a beginning also
// stands as a whole word where it has other forms (`hasForms`): the
// tokenizer gives no synonyms to a beginning.
QString expression(const QueryParts &query, const std::function<bool(const QString &)> &hasForms)
{
    QStringList parts;
    for (const QStringList &part : query.parts)
        parts << quotedWords(part);
    if (parts.isEmpty())
        return {};
    if (query.lastIsPrefix) {
        const QStringList &last = query.parts.back();
        // (A group in brackets takes no implicit AND before it.)
        if (last.size() == 1 && hasForms && hasForms(last.front()))
            parts.last() = (parts.size() > 1 ? QStringLiteral("AND (") : QStringLiteral("(")) +
                           parts.last() + QStringLiteral("* OR ") + parts.last() + u')';
        else
            parts.last() += u'*';
    }
    return parts.join(u' ');
}

} // namespace

QString ftsQuery(const QString &typed, bool lastIsPrefix)
{
    return expression(parseQuery(typed, lastIsPrefix), {});
}

bool endsInShortBeginning(const QString &typed)
{
    const QueryParts query = parseQuery(typed, false);
    return !query.parts.empty() && !typed.isEmpty() && isWordChar(typed.back()) &&
           query.parts.back().back().size() < kShortestBeginning;
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
    m_notes.reset();
    m_snippets.reset();
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
            auto snippets = std::make_unique<Db>();
            auto notes = std::make_unique<Db>();
            fine = fine && reader->open(m_requested, false) && snippets->open(m_requested, false) &&
                   notes->open(m_requested, false);
            if (fine) {
                sqlite3_busy_timeout(notes->db, 0);
                m_writer = std::move(writer);
                m_reader = std::move(reader);
                m_snippets = std::move(snippets);
                m_notes = std::move(notes);
                m_file = m_requested;
                break;
            }
            // Damaged, someone else's or of another version: made anew.
            writer.reset();
            reader.reset();
            snippets.reset();
            notes.reset();
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
                                           bool allForms, RefreshReport *report)
{
    RefreshReport refreshed = refresh();
    SearchResult result;
    if (refreshed.problem.isEmpty())
        result = search(typed, limit, lastIsPrefix, allForms);
    // Whatever went wrong with the cache (damage shows in a refresh or in a
    // search, and not always as such), it is only a cache: made anew, once.
    if (!refreshed.problem.isEmpty() || !result.problem.isEmpty() || damaged()) {
        makeAnew();
        refreshed = refresh();
        result = refreshed.problem.isEmpty() ? search(typed, limit, lastIsPrefix, allForms)
                                             : SearchResult();
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
    QByteArray text; // UTF-8
    QByteArray body;
    searchwords::Tokens tokens;
    // The spellings of its words not seen before, folded, with the base
    // forms the dictionary gives each.
    struct Spelling
    {
        QByteArray spelling;
        std::string folded;
        QStringList stems;
    };
    std::vector<Spelling> spellings;
};

// The spellings of words seen so far, as 64-bit hashes in an open table: a
// joke's every word is looked up here, so it is kept small and flat. (Two
// spellings with one hash, one in 10^19, would leave the second without its
// forms.)
class Spellings
{
public:
    // Adds the spelling; whether it was new.
    bool add(QByteArrayView spelling)
    {
        quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(spelling.size());
        for (const char c : spelling)
            h = (h ^ uchar(c)) * 0x100000001B3ULL;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 32;
        if (h == 0)
            h = 1; // 0 marks an empty place
        if ((m_count + 1) * 2 > m_table.size())
            grow();
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t at = h & mask;; at = (at + 1) & mask) {
            if (m_table[at] == h)
                return false;
            if (m_table[at] == 0) {
                m_table[at] = h;
                ++m_count;
                return true;
            }
        }
    }

private:
    void grow()
    {
        std::vector<quint64> old = std::move(m_table);
        m_table.assign(std::max<std::size_t>(1024, old.size() * 2), 0);
        const std::size_t mask = m_table.size() - 1;
        for (const quint64 h : old) {
            if (h == 0)
                continue;
            std::size_t at = h & mask;
            while (m_table[at] != 0)
                at = (at + 1) & mask;
            m_table[at] = h;
        }
    }

    std::vector<quint64> m_table;
    std::size_t m_count = 0;
};

// Reads the jokes of `work` on a thread of its own, a few ahead of the one
// who takes them.
class Reader
{
public:
    // The words of each text are found here with a tokenizer like the
    // table's; with `seen`, each word's spelling not in it is looked up in
    // the dictionary (and added).
    Reader(std::vector<Work> &work, const std::atomic<bool> *stop, const searchwords::Words &words,
           Spellings *seen)
        : m_work(work), m_stop(stop), m_seen(seen), m_tokenizer(words), m_thread([this] { run(); })
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
                    w.text = text->toUtf8();
                    w.body = pack(m_packer, w.text);
                    m_tokenizer.tokenize(w.text, w.tokens);
                    if (m_seen)
                        noteSpellings(w);
                } else {
                    w.readable = false;
                }
            }
            const std::lock_guard lock(m_mutex);
            m_read = i + 1;
            m_changed.notify_all();
        }
    }

    void noteSpellings(Work &w)
    {
        for (const searchwords::Tokens::Token &t : w.tokens.list) {
            const QByteArrayView spelling(w.text.constData() + t.start, t.end - t.start);
            if (!m_seen->add(spelling))
                continue;
            Work::Spelling noted{spelling.toByteArray(),
                                 w.tokens.folded.substr(std::size_t(t.at), std::size_t(t.size)),
                                 {}};
            noted.stems = CzechDictionary::shared().stems(QString::fromUtf8(noted.spelling));
            w.spellings.push_back(std::move(noted));
        }
    }

    std::vector<Work> &m_work;
    const std::atomic<bool> *m_stop;
    Spellings *m_seen;
    searchwords::Tokenizer m_tokenizer;
    struct Packer
    {
        ZSTD_CCtx *context = ZSTD_createCCtx();
        ~Packer() { ZSTD_freeCCtx(context); }
        operator ZSTD_CCtx *() const { return context; }
    } m_packer;
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
    Statement nextNumber(db, "SELECT next FROM libraries WHERE id = ?");
    Statement setNextNumber(db, "UPDATE libraries SET next = ? WHERE id = ?");
    Statement jokesOf(db, "SELECT id, name, size, mtime FROM jokes WHERE library = ?");
    Statement oldEntry(db, "SELECT j.name, unpack(b.body) FROM jokes AS j"
                           " LEFT JOIN bodies AS b ON b.id = j.id WHERE j.id = ?");
    Statement unindex(db, "INSERT INTO joke_index(joke_index, rowid, name, text)"
                          " VALUES('delete', ?, ?, ?)");
    Statement index(db, "INSERT INTO joke_index(rowid, name, text) VALUES(?, ?, ?)");
    Statement addJoke(db,
                      "INSERT INTO jokes(id, library, name, size, mtime) VALUES(?, ?, ?, ?, ?)");
    Statement changeJoke(db, "UPDATE jokes SET size = ?, mtime = ? WHERE id = ?");
    Statement setBody(db, "INSERT OR REPLACE INTO bodies(id, body) VALUES(?, ?)");
    Statement dropJoke(db, "DELETE FROM jokes WHERE id = ?");
    if (!db.ok(libraryId, addLibrary, nextNumber, setNextNumber, jokesOf, oldEntry, unindex, index,
               addJoke, changeJoke, setBody, dropJoke)) {
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

    // Writing from the start: a search's notes (see noteTyped()), written
    // on another connection meanwhile, would make this transaction's
    // snapshot stale.
    if (!db.exec("BEGIN IMMEDIATE"))
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
    // The folders are looked at on two threads (their listings and the
    // files' stamps are most of the time of looking again at a folder that
    // has not changed), the index asked on this one.
    struct Listed
    {
        QStringList names; // of the list, each once
        std::vector<FileStamp> stamps;
    };
    std::vector<Listed> listed(std::size_t(toCheck.size()));
    auto list = [&](std::size_t first) {
        for (std::size_t i = first; i < listed.size() && !(stop && stop->load()); i += 2) {
            const QString &library = toCheck.at(qsizetype(i));
            if (const std::optional<QStringList> names = readList(DbPath::jokeList(library))) {
                QSet<QString> seen;
                for (const QString &name : *names) {
                    if (!name.isEmpty() && !seen.contains(name)) {
                        seen.insert(name);
                        listed[i].names << name;
                    }
                }
            }
            listed[i].stamps =
                folderStamps(DbPath::libraryFolder(library)).value_or(std::vector<FileStamp>());
        }
    };
    {
        std::thread other(list, 1);
        list(0);
        other.join();
    }

    std::vector<Work> work;
    QList<qint64> drop;
    const int total = int(toCheck.size());
    int checked = 0;
    for (qsizetype at = 0; at < toCheck.size(); ++at) {
        if (stop && stop->load())
            break;
        const QString &library = toCheck.at(at);
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

        const QStringList &names = listed[std::size_t(at)].names;
        const std::vector<FileStamp> &stamps = listed[std::size_t(at)].stamps;
        QHash<QString, const FileStamp *> exact;
        QHash<QString, const FileStamp *> anyCase; // made when first needed
        exact.reserve(qsizetype(stamps.size()));
        for (const FileStamp &stamp : stamps)
            exact.insert(stamp.name, &stamp);

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
            if (!stamp) {
                if (anyCase.isEmpty()) {
                    for (const FileStamp &s : stamps)
                        anyCase.insert(s.name.toCaseFolded(), &s);
                }
                stamp = anyCase.value(file.toCaseFolded(), nullptr);
            }
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
    // transaction for every few hundred (thousand, the first time) so that a
    // search sees them coming.
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
        // Each spelling of a word is looked up in the dictionary once, the
        // first time a joke has it (on the reader's thread): its base forms
        // go to the table of forms. Much to read: the spellings known are
        // held at hand; a few jokes only ask the table for theirs.
        const bool withForms = CzechDictionary::shared().available();
        Spellings seen;
        Statement addSpelling(db, "INSERT OR IGNORE INTO spellings VALUES(?)");
        Statement addForm(db, "INSERT OR IGNORE INTO forms VALUES(?, ?)");
        if (!db.ok(addSpelling, addForm))
            return failed();
        if (withForms && bulk) {
            Statement all(db, "SELECT spelling FROM spellings");
            while (all.step()) {
                const std::string_view spelling = all.utf8(0);
                seen.add(QByteArrayView(spelling.data(), qsizetype(spelling.size())));
            }
            if (db.error != SQLITE_OK)
                return failed();
        }
        searchwords::Words &words = *db.words;
        auto noteForms = [&](const Work &w) {
            for (const Work::Spelling &noted : w.spellings) {
                if (!addSpelling
                         .bind(1, std::string_view(noted.spelling.constData(),
                                                   std::size_t(noted.spelling.size())))
                         .run())
                    return false;
                if (sqlite3_changes(db.db) == 0)
                    continue; // looked up before
                for (const QString &stem : noted.stems) {
                    const std::string base = words.fold(stem.toStdString());
                    if (!base.empty() && !addForm.bind(1, base).bind(2, noted.folded).run())
                        return false;
                }
            }
            return true;
        };
        // The number of each library's next joke, kept here while its jokes
        // go in and saved with them.
        QHash<qint64, qint64> nextNumbers;
        auto saveNextNumbers = [&] {
            for (auto next = nextNumbers.cbegin(); next != nextNumbers.cend(); ++next) {
                if (!setNextNumber.bind(1, next.value()).bind(2, next.key()).run())
                    return false;
            }
            nextNumbers.clear();
            return true;
        };
        Reader reader(work, stop, words, withForms ? &seen : nullptr);
        if (!db.exec("BEGIN IMMEDIATE"))
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
                    if (!forget(w.id) ||
                        !changeJoke.bind(1, w.size).bind(2, w.mtime).bind(3, w.id).run())
                        return failed();
                } else {
                    auto next = nextNumbers.find(w.lib);
                    if (next == nextNumbers.end()) {
                        nextNumber.bind(1, w.lib);
                        if (!nextNumber.step())
                            return failed();
                        next = nextNumbers.insert(w.lib, nextNumber.integer(0));
                        nextNumber.reset();
                    }
                    w.id = (w.lib << kJokeBits) | (*next)++;
                    if (!addJoke.bind(1, w.id)
                             .bind(2, w.lib)
                             .bind(3, w.name)
                             .bind(4, w.size)
                             .bind(5, w.mtime)
                             .run())
                        return failed();
                }
                if (!setBody.bind(1, w.id).bindBlob(2, w.body).run())
                    return failed();
                // The table takes the words found on the reader's thread.
                words.readyText = &w.text;
                words.readyTokens = &w.tokens;
                const bool indexed = index.bind(1, w.id).bind(2, w.name).bindText(3, w.text).run();
                words.readyText = nullptr;
                words.readyTokens = nullptr;
                if (!indexed || !noteForms(w))
                    return failed();
            }
            // Its text is in the index now.
            w.text = QByteArray();
            w.body = QByteArray();
            w.tokens = {};
            w.spellings = {};
            if ((i + 1) % (bulk ? 4000 : 500) == 0 || i + 1 == work.size()) {
                if (!saveNextNumbers() || !db.exec("COMMIT"))
                    return failed();
                if (memoryLock.owns_lock()) {
                    memoryLock.unlock();
                    memoryLock.lock();
                }
                if (!db.exec("BEGIN IMMEDIATE"))
                    return failed();
                if (progress)
                    progress(int(i + 1), toRead);
            }
        }
        if (!saveNextNumbers() || !db.exec("COMMIT"))
            return failed();
        if (report.read > 0) {
            const std::lock_guard lock(m_formsLock);
            m_forms.clear();
        }
        // After much was read, the index is left in its pieces (one for every
        // few thousand jokes: a query hardly notices them, merging them
        // would take a tenth of the time again), and the space freed goes
        // back; after a little, the pieces are merged a little.
        if (bulk) {
            db.exec("PRAGMA incremental_vacuum");
        } else {
            db.exec("INSERT INTO joke_index(joke_index, rank) VALUES('merge', 64)");
        }
    }
    return report;
}

namespace {

// The words the dictionary knows that `word`, typed without diacritics, may
// be: each letter tried with each of its Czech diacritics (at most a few
// thousand tries, a few microseconds each), also with a capital letter, as
// names are known; for a longer word, the dictionary's suggestions.
QStringList withDiacritics(CzechDictionary &czech, const QString &word, bool typing, bool *whole)
{
    static const QHash<QChar, QString> kMarked = {
        {u'a', QStringLiteral("á")},  {u'c', QStringLiteral("č")},  {u'd', QStringLiteral("ď")},
        {u'e', QStringLiteral("éě")}, {u'i', QStringLiteral("í")},  {u'n', QStringLiteral("ň")},
        {u'o', QStringLiteral("ó")},  {u'r', QStringLiteral("ř")},  {u's', QStringLiteral("š")},
        {u't', QStringLiteral("ť")},  {u'u', QStringLiteral("úů")}, {u'y', QStringLiteral("ý")},
        {u'z', QStringLiteral("ž")}};
    constexpr int kMostTries = 2048;
    const QString lower = word.toLower();
    std::vector<QString> choices;
    qint64 tries = 1;
    for (const QChar c : lower) {
        choices.push_back(c + kMarked.value(c));
        tries *= choices.back().size();
        if (tries > kMostTries) {
            // A long word: what the dictionary suggests for it (from tens
            // to hundreds of milliseconds: not while it is being typed),
            // with the same letters.
            QStringList out;
            if (typing) {
                *whole = false;
                return out;
            }
            for (const QString &spelling : {lower, lower.front().toUpper() + lower.mid(1)}) {
                for (const QString &meant : czech.suggestions(spelling, 12)) {
                    if (folded(meant) == folded(lower) && !out.contains(meant))
                        out << meant;
                }
            }
            return out;
        }
    }
    QStringList out;
    QString spelling = lower;
    for (qint64 n = 0; n < tries; ++n) {
        // The next combination, as a number with a digit for each letter.
        qint64 rest = n;
        for (std::size_t i = 0; i < choices.size(); ++i) {
            const qsizetype count = choices[i].size();
            spelling[qsizetype(i)] = choices[i][rest % count];
            rest /= count;
        }
        if (spelling == lower)
            continue; // tried as typed already
        if (czech.spell(spelling))
            out << spelling;
        else if (const QString name = spelling.front().toUpper() + spelling.mid(1);
                 czech.spell(name))
            out << name;
    }
    return out;
}

} // namespace

std::vector<std::string> SearchIndex::formsOf(Db &db, const QString &word, bool typing) const
{
    // (What is found while a word is typed may be less.)
    const QString key = typing ? word + u'\x01' : word;
    {
        const std::lock_guard lock(m_formsLock);
        const auto cached = m_forms.constFind(key);
        if (cached != m_forms.constEnd())
            return *cached;
    }
    using Statement = Db::Statement;
    const std::string folded = db.words->fold(word.toStdString());
    if (folded.empty())
        return {};
    std::set<std::string> bases;
    std::set<std::string> forms;
    Statement basesOf(db, "SELECT base FROM forms WHERE word = ?");
    Statement wordsOf(db, "SELECT word FROM forms WHERE base = ?");
    basesOf.bind(1, folded);
    while (basesOf.step())
        bases.emplace(basesOf.utf8(0));
    bases.insert(folded);
    wordsOf.bind(1, folded);
    while (wordsOf.step())
        forms.emplace(wordsOf.utf8(0));
    wordsOf.reset();
    // A word no joke has (in this form or as a base form): the dictionary
    // tells its base forms, and those of the words it may be with its
    // diacritics where it was typed without them. What it told is kept in
    // the index, so that the dictionary (a quarter of a second to read) is
    // asked once for each word typed.
    CzechDictionary &czech = CzechDictionary::shared();
    const QString typed = word.toLower();
    Statement askedBefore(db, "SELECT 1 FROM typed WHERE word = ?");
    if (bases.size() == 1 && forms.empty() && czech.available() &&
        !askedBefore.bind(1, typed).step() && db.error == SQLITE_OK) {
        // Typed without diacritics, it may be meant with them even where it
        // is a word as it is ("babickou": babický, and babička).
        QStringList stems = czech.stems(word);
        bool whole = true;
        if (store::folded(word) == word.toCaseFolded()) {
            for (const QString &meant : withDiacritics(czech, word, typing, &whole))
                stems << czech.stems(meant);
        }
        std::set<std::string> found;
        for (const QString &stem : std::as_const(stems)) {
            std::string base = db.words->fold(stem.toStdString());
            if (!base.empty())
                found.insert(std::move(base));
        }
        // (Not the beginnings of a word being typed: they would fill it.)
        if (whole && !typing)
            noteTyped(typed, folded, found);
        bases.insert(found.begin(), found.end());
    }
    for (const std::string &base : bases) {
        wordsOf.bind(1, base);
        while (wordsOf.step())
            forms.emplace(wordsOf.utf8(0));
        wordsOf.reset();
    }
    forms.erase(folded);
    std::vector<std::string> out(forms.begin(), forms.end());
    if (db.error == SQLITE_OK) {
        const std::lock_guard lock(m_formsLock);
        m_forms.insert(key, out);
    }
    return out;
}

void SearchIndex::noteTyped(const QString &typed, const std::string &folded,
                            const std::set<std::string> &bases) const
{
    // Another process writing (a first indexing, say) is not waited for.
    Db *notes = m_notes ? m_notes.get() : m_writer.get();
    if (!notes)
        return;
    using Statement = Db::Statement;
    if (!notes->exec("BEGIN IMMEDIATE"))
        return;
    Statement add(*notes, "INSERT OR IGNORE INTO typed VALUES(?)");
    Statement addForm(*notes, "INSERT OR IGNORE INTO forms VALUES(?, ?)");
    bool fine = add.bind(1, typed).run();
    for (const std::string &base : bases)
        fine = fine && addForm.bind(1, base).bind(2, folded).run();
    if (!fine || !notes->exec("COMMIT"))
        notes->exec("ROLLBACK");
}

void SearchIndex::interrupt() const
{
    // In memory the connection is the refresh's too.
    if (m_reader)
        sqlite3_interrupt(m_reader->db);
}

bool SearchIndex::wordFormsKnown()
{
    return CzechDictionary::shared().available();
}

SearchResult SearchIndex::search(const QString &typed, int limit, bool lastIsPrefix,
                                 bool allForms) const
{
    SearchResult result;
    Db *db = m_reader ? m_reader.get() : m_writer.get();
    if (!db) {
        result.problem = QStringLiteral("Rejstřík vtipů nelze vytvořit.");
        return result;
    }
    const QueryParts query = parseQuery(typed, lastIsPrefix);
    if (query.parts.empty())
        return result;
    using Statement = Db::Statement;
    std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
    if (inMemory())
        memoryLock.lock();
    const std::lock_guard searching(db->wordsLock);

    // The other forms of each word, given to the tokenizer as synonyms.
    searchwords::Forms synonyms;
    if (allForms) {
        for (const QStringList &part : query.parts) {
            for (const QString &word : part) {
                // The last word may still be being typed.
                const bool typing =
                    query.lastIsPrefix && &part == &query.parts.back() && &word == &part.back();
                std::vector<std::string> forms = formsOf(*db, word, typing);
                if (!forms.empty())
                    synonyms.emplace(db->words->fold(word.toStdString()), std::move(forms));
            }
        }
    }
    const bool withForms = !synonyms.empty();
    const QString exact = expression(query, {});
    const QString inAnyForm =
        synonyms.empty() ? exact : expression(query, [&](const QString &word) {
            return synonyms.contains(db->words->fold(word.toStdString()));
        });

    // Every match, with its rank; how many, and in how many libraries (a
    // joke's id tells its library).
    struct Found
    {
        double rank;
        qint64 id;
        bool exact;
    };
    std::vector<Found> found;
    {
        db->words->synonyms = std::move(synonyms);
        Statement all(*db, "SELECT rowid, rank FROM joke_index WHERE joke_index MATCH ?");
        all.bind(1, inAnyForm);
        std::unordered_set<qint64> libraries;
        while (all.step()) {
            found.push_back({all.real(1), all.integer(0), true});
            libraries.insert(all.integer(0) >> kJokeBits);
        }
        db->words->synonyms.clear();
        result.jokes = int(found.size());
        result.libraries = int(libraries.size());
    }
    // The form typed goes before the others.
    if (db->error == SQLITE_OK && withForms) {
        Statement asTyped(*db, "SELECT rowid FROM joke_index WHERE joke_index MATCH ?");
        asTyped.bind(1, exact);
        std::unordered_set<qint64> ids;
        while (asTyped.step())
            ids.insert(asTyped.integer(0));
        for (Found &f : found)
            f.exact = ids.contains(f.id);
    }
    if (db->error == SQLITE_OK) {
        const auto shown = std::min(found.size(), std::size_t(std::max(limit, 0)));
        std::partial_sort(found.begin(), found.begin() + qsizetype(shown), found.end(),
                          [](const Found &a, const Found &b) {
                              if (a.exact != b.exact)
                                  return a.exact;
                              return a.rank != b.rank ? a.rank < b.rank : a.id < b.id;
                          });
        Statement names(*db, "SELECT l.name, j.name FROM jokes AS j"
                             " JOIN libraries AS l ON l.id = j.library WHERE j.id = ?");
        for (std::size_t i = 0; i < shown && db->error == SQLITE_OK; ++i) {
            names.bind(1, found[i].id);
            if (names.step())
                result.hits.push_back({found[i].id, names.text(0), names.text(1)});
            names.reset();
        }
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

// How much of a packed text holds the start a snippet looks at: the frame's
// header and its first block (a block holds at most 128 KB).
constexpr int kSnippetPacked = 18 + 3 + 128 * 1024;

// The start of a packed text, unpacked only as far as `bytes` of UTF-8.
QByteArray unpackStart(const QByteArray &packed, int bytes)
{
    QByteArray out(bytes, Qt::Uninitialized);
    ZSTD_DStream *stream = ZSTD_createDStream();
    if (!stream)
        return {};
    ZSTD_inBuffer in{packed.constData(), std::size_t(packed.size()), 0};
    ZSTD_outBuffer to{out.data(), std::size_t(bytes), 0};
    while (to.pos < to.size && in.pos < in.size) {
        const std::size_t rc = ZSTD_decompressStream(stream, &to, &in);
        if (ZSTD_isError(rc) || rc == 0)
            break;
    }
    ZSTD_freeDStream(stream);
    out.truncate(qsizetype(to.pos));
    g_unpacked += out.size();
    return out;
}

} // namespace

QString SearchIndex::snippet(qint64 id, const QString &typed, bool lastIsPrefix,
                             bool allForms) const
{
    Db *db = m_snippets ? m_snippets.get() : m_writer.get();
    const QueryParts query = parseQuery(typed, lastIsPrefix);
    if (!db || query.parts.empty())
        return {};
    // The words of the query as the tokenizer sees them, the last one also
    // as the beginning of a longer word; and their other forms.
    QStringList words;
    QSet<QString> forms;
    for (const QStringList &part : query.parts) {
        for (const QString &word : part)
            words << folded(word);
    }
    if (allForms) {
        std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
        if (inMemory())
            memoryLock.lock();
        const std::lock_guard searching(db->wordsLock);
        for (const QStringList &part : query.parts) {
            for (const QString &word : part) {
                const bool typing =
                    query.lastIsPrefix && &part == &query.parts.back() && &word == &part.back();
                for (const std::string &form : formsOf(*db, word, typing))
                    forms.insert(QString::fromStdString(form));
            }
        }
    }
    const bool prefix = query.lastIsPrefix;

    // Only the start of the packed text is read from the file: a zlib
    // stream is never much longer than what it holds.
    QByteArray packed;
    {
        std::unique_lock memoryLock(m_memoryLock, std::defer_lock);
        if (inMemory())
            memoryLock.lock();
        sqlite3_blob *blob = nullptr;
        if (sqlite3_blob_open(db->db, "main", "bodies", "body", id, 0, &blob) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            return {};
        }
        const int size = std::min(sqlite3_blob_bytes(blob), kSnippetPacked);
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
        bool match = forms.contains(word);
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
