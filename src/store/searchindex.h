#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Search over the words of every joke of every library.
//
// The database's files stay the only truth: the index is a cache of what they
// say, kept in an SQLite file of the user's cache folder (one for each
// program folder) with SQLite's FTS5 full-text module, and brought in line
// with the files whenever asked (refresh()). Each joke's entry remembers the
// size and modification time of its file, so that only what changed is read
// again. A cache file that is missing, damaged or not ours is made anew; where
// none can be written the index is kept in memory.
//
// Matching: the words of a query in any order, in the joke's name or text,
// whatever their letter case and diacritics; "quoted words" as a phrase; the
// last word also as the beginning of a longer one while the user is typing.
// Each word in any of its forms ("žirafa" finds "žirafu" and "žirafě"; "ženu"
// also "hnát" and "hnali"): the index keeps each spelling's base forms as the
// Czech dictionary gives them, and a word matches every word that shares one
// with it. A match of the form typed comes before one of another form; words
// the dictionary does not know match as typed. Without the dictionary, and
// when asked for the form typed only, words match as typed.
//
// Every path is relative to the working directory (the program's folder), as
// the database's paths are.
namespace store {

// Marks around the matched words of a snippet.
inline constexpr QChar kMatchStart = QChar(0x0001);
inline constexpr QChar kMatchEnd = QChar(0x0002);

// A last word shorter than this is no beginning of a longer one, only a word:
// very many words begin with one or two letters, and reading all of them
// would keep the results waiting for a second or so.
inline constexpr int kShortestBeginning = 3;

// A typed query as an FTS5 expression: each word a quoted string, each quoted
// phrase one, the last word a prefix when `lastIsPrefix` (and it is not
// closed by a blank or a quote, and has kShortestBeginning letters). Empty
// when the text holds no word.
QString ftsQuery(const QString &typed, bool lastIsPrefix = true);
// Whether the text ends in a word too short to be taken as a beginning.
bool endsInShortBeginning(const QString &typed);

// The cache file of the index for a program folder:
// $XDG_CACHE_HOME/chichotek/index-<hash of the folder's path>.sqlite.
QString searchCacheFile(const QString &programFolder);

struct SearchHit
{
    qint64 id = 0;
    QString library;
    QString joke;
};

struct SearchResult
{
    std::vector<SearchHit> hits; // best first, at most the limit asked for
    int jokes = 0;               // every joke that matched
    int libraries = 0;           // the libraries they are in
    QString problem;             // why nothing could be searched, in words a user knows
};

struct RefreshReport
{
    int libraries = 0;  // libraries of the list
    int jokes = 0;      // jokes of their lists
    int read = 0;       // joke files read this time (new or changed)
    int dropped = 0;    // entries of jokes no longer listed
    int unreadable = 0; // joke files that could not be read (skipped)
    QString problem;    // why the index could not be brought in line
};

class SearchIndex
{
public:
    // The index kept in `cacheFile`; in memory when `cacheFile` is empty or
    // cannot be made or written.
    explicit SearchIndex(const QString &cacheFile);
    ~SearchIndex();
    SearchIndex(const SearchIndex &) = delete;
    SearchIndex &operator=(const SearchIndex &) = delete;

    bool inMemory() const;
    // Whether a refresh or a search found the cache file damaged; then
    // makeAnew() starts it again empty (while no other thread uses the
    // index), and the next refresh fills it.
    bool damaged() const;
    void makeAnew();
    // Brings the index in line with the files: the libraries of the list, the
    // jokes of their lists and what each file holds. With `libraries` given,
    // only those (and the list itself when `listChanged`). `progress` is told
    // how many of how many libraries are done; `stop` ends it early. One
    // refresh at a time, on any thread, also while another thread searches.
    RefreshReport refresh(const std::function<void(int done, int total)> &progress = {},
                          const std::atomic<bool> *stop = nullptr);
    RefreshReport refresh(const QStringList &libraries, bool listChanged);

    // The jokes that match `typed`, best first (a match in the name weighs
    // more than one in the text). Safe on another thread than refresh().
    SearchResult search(const QString &typed, int limit = 500, bool lastIsPrefix = true,
                        bool allForms = true) const;
    // The text around the best place of the match in the joke `id`, the
    // matched words between kMatchStart and kMatchEnd; the beginning of the
    // text when only the name matched.
    QString snippet(qint64 id, const QString &typed, bool lastIsPrefix = true,
                    bool allForms = true) const;
    // Stops a search running on another thread (on a cache file only): it
    // ends with a problem.
    void interrupt() const;
    // Whether words are found in their other forms: the Czech dictionary is
    // installed.
    static bool wordFormsKnown();

    // Brings the index in line with the files and searches it, as a search
    // from the command line does: a cache that fails (damaged, as a refresh
    // or a search finds) is made anew and filled again, once. `report` gets
    // the refresh's report.
    SearchResult refreshAndSearch(const QString &typed, int limit, bool lastIsPrefix, bool allForms,
                                  RefreshReport *report = nullptr);

private:
    struct Db;
    void open(bool anew);
    void noteError(int code) const;
    // The other forms of a word of a query, folded; remembered until a
    // refresh reads a joke. While the word is `typing`, the dictionary's
    // slow suggestions are not asked for.
    std::vector<std::string> formsOf(Db &db, const QString &word, bool typing) const;
    void noteTyped(const QString &typed, const std::string &folded,
                   const std::set<std::string> &bases) const;
    RefreshReport refreshSome(const QStringList *libraries, bool listChanged,
                              const std::function<void(int, int)> &progress,
                              const std::atomic<bool> *stop);
    std::unique_ptr<Db> m_writer;   // refresh's connection (the only one in memory)
    std::unique_ptr<Db> m_reader;   // search's connection, on a file
    std::unique_ptr<Db> m_snippets; // and the snippets', beside it
    std::unique_ptr<Db> m_notes;    // and what the dictionary told of a query's words
    QString m_requested;            // the cache file asked for
    QString m_file;                 // the one in use; empty in memory
    mutable std::atomic<bool> m_damaged{false};
    mutable std::mutex m_memoryLock; // in memory: one thread at a time
    mutable std::mutex m_formsLock;
    mutable QHash<QString, std::vector<std::string>> m_forms;
};

namespace testing {
// How much joke text (UTF-8 bytes) the index has unpacked so far.
qint64 textUnpacked();
} // namespace testing

} // namespace store
