// The search index: what a query matches, how the index follows the files,
// and what becomes of a cache file that is damaged or cannot be written.

#include "store/files.h"
#include "store/paths.h"
#include "store/searchindex.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

QByteArray rtf(const QString &text)
{
    return "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
           "\\pard\\f0\\fs20 " +
           ansi(text) + "\\par\r\n}\r\n";
}

// "library/joke" of each hit, best first.
std::vector<std::string> found(const store::SearchIndex &index, const QString &typed,
                               bool prefix = true)
{
    const store::SearchResult result = index.search(typed, 500, prefix);
    EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
    std::vector<std::string> out;
    for (const store::SearchHit &hit : result.hits)
        out.push_back((hit.library + u'/' + hit.joke).toStdString());
    return out;
}

using Hits = std::vector<std::string>;

class SearchIndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.makeProgramFolder();
        folder.makeLibrary(QStringLiteral("Zvířata"),
                           {QStringLiteral("Žirafa"), QStringLiteral("Papoušek v kleci"),
                            QStringLiteral("Nenapsaný")},
                           0);
        folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Písemka")}, 0);
        write(QStringLiteral("Zvířata"), QStringLiteral("Žirafa"),
              QStringLiteral("Přijde žirafa do baru a říká: velký papoušek mi dluží pivo."));
        write(QStringLiteral("Zvířata"), QStringLiteral("Papoušek v kleci"),
              QStringLiteral("PAPOUŠEK sedí v kleci a volá na kočku."));
        write(QStringLiteral("Škola"), QStringLiteral("Písemka"),
              QStringLiteral("Pepíček píše písemku a papoušek velký mu radí."));
    }

    void write(const QString &library, const QString &joke, const QString &text)
    {
        folder.write(QStringLiteral("DataBase/") + library + u'/' + joke + QStringLiteral(".vti"),
                     rtf(text));
    }

    QString cacheFile() const { return cache.path() + QStringLiteral("/index.sqlite"); }

    TestFolder folder;
    QTemporaryDir cache;
};

TEST_F(SearchIndexTest, MatchesWordsWhateverTheirCaseAndDiacritics)
{
    store::SearchIndex index(cacheFile());
    ASSERT_FALSE(index.inMemory());
    const store::RefreshReport report = index.refresh();
    EXPECT_TRUE(report.problem.isEmpty()) << report.problem.toStdString();
    EXPECT_EQ(report.libraries, 2);
    EXPECT_EQ(report.jokes, 4);
    EXPECT_EQ(report.read, 4);

    EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(found(index, QStringLiteral("ŽIRAFA")), Hits{"Zvířata/Žirafa"});
    // In any order, each word somewhere in the joke; the name counts more.
    EXPECT_EQ(found(index, QStringLiteral("PAPOUSEK")).front(), "Zvířata/Papoušek v kleci");
    EXPECT_EQ(found(index, QStringLiteral("PAPOUSEK")).size(), 3u);
    EXPECT_EQ(found(index, QStringLiteral("pivo zirafa")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(found(index, QStringLiteral("pivo kocku")), Hits{});
    // A joke not written yet is found by its name.
    EXPECT_EQ(found(index, QStringLiteral("nenapsany")), Hits{"Zvířata/Nenapsaný"});
    // A name's words are words like the text's.
    EXPECT_EQ(found(index, QStringLiteral("pisemka")), Hits{"Škola/Písemka"});
}

TEST_F(SearchIndexTest, TakesTheLastWordAsABeginningAndQuotesAsAPhrase)
{
    store::SearchIndex index(cacheFile());
    index.refresh();
    EXPECT_EQ(found(index, QStringLiteral("zir")), Hits{"Zvířata/Žirafa"});
    // One or two letters are too short a beginning: only a word.
    EXPECT_EQ(found(index, QStringLiteral("zi")), Hits{});
    EXPECT_TRUE(store::endsInShortBeginning(QStringLiteral("pivo zi")));
    EXPECT_FALSE(store::endsInShortBeginning(QStringLiteral("pivo zi ")));
    // Closed by a blank, or not typed as a beginning: whole words only.
    EXPECT_EQ(found(index, QStringLiteral("zir ")), Hits{});
    EXPECT_EQ(found(index, QStringLiteral("zir"), false), Hits{});
    // Only the last word is a beginning.
    EXPECT_EQ(found(index, QStringLiteral("zir pivo")), Hits{});

    // "velký papoušek" in that order is in one joke; both words in two.
    EXPECT_EQ(found(index, QStringLiteral("velky papousek")).size(), 2u);
    EXPECT_EQ(found(index, QStringLiteral("\"velky papousek\"")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(found(index, QStringLiteral("„velký papoušek“")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(found(index, QStringLiteral("\"papousek velky\"")), Hits{"Škola/Písemka"});
    // A phrase still being typed: its last word a beginning.
    EXPECT_EQ(found(index, QStringLiteral("\"velky papou")), Hits{"Zvířata/Žirafa"});

    const store::SearchResult all = index.search(QStringLiteral("papousek"));
    EXPECT_EQ(all.jokes, 3);
    EXPECT_EQ(all.libraries, 2);
    // Punctuation alone is nothing to search for.
    const store::SearchResult none = index.search(QStringLiteral(" ,.!\" "));
    EXPECT_TRUE(none.hits.empty());
    EXPECT_TRUE(none.problem.isEmpty());
}

TEST(SearchQuery, QuotesEachWordAndPhrase)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"", u""},
        {u"  ", u""},
        {u"pes", u"\"pes\"*"},
        {u"pes ", u"\"pes\""},
        {u"Pes, kočka", u"\"Pes\" \"kočka\"*"},
        {u"\"pes a kočka\"", u"\"pes a kočka\""},
        {u"\"pes a koč", u"\"pes a koč\"*"},
        {u"„pes a kočka“ myš", u"\"pes a kočka\" \"myš\"*"},
        // The query language's own words and signs are only words.
        {u"NOT pes OR (kočka) -myš AND *", u"\"NOT\" \"pes\" \"OR\" \"kočka\" \"myš\" \"AND\""},
        {u"e-mail", u"\"e\" \"mail\"*"},
        {u"\"", u""},
    };
    for (const auto &[typed, expected] : cases)
        EXPECT_EQ(store::ftsQuery(QString::fromUtf16(typed)).toStdString(),
                  QString::fromUtf16(expected).toStdString())
            << QString::fromUtf16(typed).toStdString();
}

TEST_F(SearchIndexTest, SnippetShowsTheMatchedWords)
{
    store::SearchIndex index(cacheFile());
    index.refresh();
    const store::SearchResult result = index.search(QStringLiteral("kocku"));
    ASSERT_EQ(result.hits.size(), 1u);
    const QString snippet = index.snippet(result.hits.front().id, QStringLiteral("kocku"));
    EXPECT_TRUE(snippet.contains(store::kMatchStart + QStringLiteral("kočku") + store::kMatchEnd))
        << snippet.toStdString();
    // Matched by the name only: the text from its beginning.
    const store::SearchResult byName = index.search(QStringLiteral("pisemka"), 500, false, false);
    ASSERT_EQ(byName.hits.size(), 1u);
    EXPECT_EQ(index.snippet(byName.hits.front().id, QStringLiteral("pisemka"), false, false)
                  .toStdString(),
              "Pepíček píše písemku a papoušek velký mu radí.");
}

// The snippet of a joke of megabytes costs what one of a page does: it is
// made from a window at the start of the text, never from the whole of it.
TEST_F(SearchIndexTest, ABigJokesSnippetLooksOnlyAtTheStartOfItsText)
{
    QString text = QStringLiteral("Zebra zase zívá. ");
    text.reserve(2 << 20);
    while (text.size() < (2 << 20))
        text += QStringLiteral("Zajíc a žába zpívají za zahradou. ");
    text += QStringLiteral("Nakonec přijde velbloud.");
    write(QStringLiteral("Škola"), QStringLiteral("Písemka"), text);
    store::SearchIndex index(cacheFile());
    index.refresh();

    const store::SearchResult result = index.search(QStringLiteral("zas"));
    ASSERT_FALSE(result.hits.empty());
    const qint64 id = result.hits.front().id;
    qint64 before = store::testing::textUnpacked();
    const QString snippet = index.snippet(id, QStringLiteral("zas"));
    EXPECT_LE(store::testing::textUnpacked() - before, 80 * 1024);
    EXPECT_TRUE(snippet.startsWith(QStringLiteral("Zebra ") + store::kMatchStart +
                                   QStringLiteral("zase") + store::kMatchEnd))
        << snippet.left(80).toStdString();
    EXPECT_TRUE(snippet.endsWith(u'…'));
    EXPECT_LT(snippet.size(), 400);

    // A word found only far into the text: its start, with no word marked.
    const store::SearchResult far = index.search(QStringLiteral("velbloud"), 500, false);
    ASSERT_EQ(far.hits.size(), 1u);
    before = store::testing::textUnpacked();
    const QString start = index.snippet(far.hits.front().id, QStringLiteral("velbloud"), false);
    EXPECT_LE(store::testing::textUnpacked() - before, 80 * 1024);
    EXPECT_TRUE(start.startsWith(QStringLiteral("Zebra zase zívá."))) << start.toStdString();
    EXPECT_FALSE(start.contains(store::kMatchStart));
}

TEST_F(SearchIndexTest, FollowsTheFilesReadingOnlyWhatChanged)
{
    {
        store::SearchIndex index(cacheFile());
        index.refresh();
    }
    // While the program is closed: a joke edited, one added, one taken off
    // the list, one renamed with its file, and a library taken off the list.
    write(QStringLiteral("Zvířata"), QStringLiteral("Žirafa"),
          QStringLiteral("Přijde žirafa do kavárny."));
    folder.write(QStringLiteral("DataBase/Zvířata/Vtipy.sez"),
                 ansi(QStringLiteral("Žirafa⏎Nový vtip⏎Papoušek na bidýlku⏎")));
    write(QStringLiteral("Zvířata"), QStringLiteral("Nový vtip"),
          QStringLiteral("Slon a myš jdou spolu."));
    ASSERT_TRUE(
        QFile::rename(folder.absolute(QStringLiteral("DataBase/Zvířata/Papoušek v kleci.vti")),
                      folder.absolute(QStringLiteral("DataBase/Zvířata/Papoušek na bidýlku.vti"))));
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(QStringLiteral("Zvířata⏎")));

    store::SearchIndex index(cacheFile());
    const store::RefreshReport report = index.refresh();
    EXPECT_EQ(report.read, 3) << "the edited, the new and the renamed joke";
    EXPECT_EQ(report.dropped, 2) << "the old name and the joke taken off the list";
    EXPECT_EQ(found(index, QStringLiteral("kavarny")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(found(index, QStringLiteral("pivo")), Hits{});
    EXPECT_EQ(found(index, QStringLiteral("slon")), Hits{"Zvířata/Nový vtip"});
    EXPECT_EQ(found(index, QStringLiteral("bidylku")), Hits{"Zvířata/Papoušek na bidýlku"});
    EXPECT_EQ(found(index, QStringLiteral("kleci")), Hits{"Zvířata/Papoušek na bidýlku"});
    EXPECT_EQ(found(index, QStringLiteral("nenapsany")), Hits{});
    EXPECT_EQ(found(index, QStringLiteral("pisemku")), Hits{}) << "a library off the list";

    // Nothing changed: nothing read.
    EXPECT_EQ(index.refresh().read, 0);

    // The same size, only the time of the change differs: read again.
    write(QStringLiteral("Zvířata"), QStringLiteral("Žirafa"),
          QStringLiteral("Přijde žirafa do kavárnY."));
    const QByteArray path =
        QFile::encodeName(folder.absolute(QStringLiteral("DataBase/Zvířata/Žirafa.vti")));
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
    EXPECT_EQ(index.refresh().read, 1);

    // A library back on the list comes back.
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(QStringLiteral("Zvířata⏎Škola⏎")));
    EXPECT_EQ(index.refresh().read, 1);
    EXPECT_EQ(found(index, QStringLiteral("pisemku")), Hits{"Škola/Písemka"});
}

TEST_F(SearchIndexTest, FindsFilesInAnyLetterCaseAndNothingThroughLinks)
{
    ASSERT_TRUE(QFile::rename(folder.absolute(QStringLiteral("DataBase/Škola/Písemka.vti")),
                              folder.absolute(QStringLiteral("DataBase/Škola/PÍSEMKA.VTI"))));
    // A link where a joke should be leads nowhere.
    QTemporaryDir outside;
    QFile secret(outside.path() + QStringLiteral("/tajné.vti"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write(rtf(QStringLiteral("tajemství zvenku")));
    secret.close();
    ASSERT_TRUE(QFile::remove(folder.absolute(QStringLiteral("DataBase/Zvířata/Žirafa.vti"))));
    ASSERT_TRUE(QFile::link(secret.fileName(),
                            folder.absolute(QStringLiteral("DataBase/Zvířata/Žirafa.vti"))));

    store::SearchIndex index(cacheFile());
    index.refresh();
    EXPECT_EQ(found(index, QStringLiteral("pepicek")), Hits{"Škola/Písemka"});
    EXPECT_EQ(found(index, QStringLiteral("tajemstvi")), Hits{});
    EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"}) << "by its name";
}

TEST_F(SearchIndexTest, ReplacesADamagedOrForeignCacheFile)
{
    {
        store::SearchIndex index(cacheFile());
        index.refresh();
    }
    const auto garble = [&](const QByteArray &bytes) {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(cacheFile() + QLatin1String(suffix));
        QFile file(cacheFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    // Not a database; a database of someone else's; a truncated copy of ours.
    QByteArray ours;
    {
        QFile file(cacheFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ours = file.readAll();
    }
    // Someone else's SQLite file, and our index of another program folder.
    const auto fileOf = [](const QString &path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    QTemporaryDir other;
    QByteArray foreign;
    {
        const QString path = other.path() + QStringLiteral("/foreign.sqlite");
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        foreign = fileOf(path);
    }
    QByteArray otherFolders;
    {
        const QString path = other.path() + QStringLiteral("/other.sqlite");
        const QString here = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(other.path()));
        {
            store::SearchIndex elsewhere(path);
        }
        ASSERT_TRUE(QDir::setCurrent(here));
        otherFolders = fileOf(path);
    }
    for (const QByteArray &bytes :
         {QByteArray("this is not a database at all"), QByteArray(8192, '\xff'),
          ours.left(ours.size() / 2), foreign, otherFolders}) {
        garble(bytes);
        store::SearchIndex index(cacheFile());
        EXPECT_FALSE(index.inMemory());
        EXPECT_TRUE(index.refresh().problem.isEmpty());
        EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"});
    }

    // A cache file (or its log) that is a link to another file: the link
    // goes, and the file it led to stays as it was.
    const QString precious = other.path() + QStringLiteral("/precious.txt");
    {
        QFile file(precious);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("moje data");
    }
    for (const char *suffix : {"", "-wal"}) {
        for (const char *each : {"", "-wal", "-shm"})
            QFile::remove(cacheFile() + QLatin1String(each));
        ASSERT_TRUE(QFile::link(precious, cacheFile() + QLatin1String(suffix)));
        store::SearchIndex index(cacheFile());
        EXPECT_TRUE(index.refresh().problem.isEmpty());
        EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"});
        EXPECT_FALSE(QFileInfo(cacheFile() + QLatin1String(suffix)).isSymLink());
        EXPECT_EQ(fileOf(precious), QByteArray("moje data"));
    }
}

TEST_F(SearchIndexTest, SkipsAndCountsAJokeFileThatCannotBeRead)
{
    // Bigger than any joke the program reads (a sparse file: no disk used).
    QFile big(folder.absolute(QStringLiteral("DataBase/Škola/Písemka.vti")));
    ASSERT_TRUE(big.resize(store::kJokeLimit + 1));
    store::SearchIndex index(cacheFile());
    const store::RefreshReport report = index.refresh();
    EXPECT_EQ(report.unreadable, 1);
    EXPECT_EQ(report.read, 3);
    EXPECT_TRUE(report.problem.isEmpty());
    EXPECT_EQ(found(index, QStringLiteral("pepicek")), Hits{});
    // Read once it can be.
    write(QStringLiteral("Škola"), QStringLiteral("Písemka"), QStringLiteral("Pepíček píše."));
    EXPECT_EQ(index.refresh().unreadable, 0);
    EXPECT_EQ(found(index, QStringLiteral("pepicek")), Hits{"Škola/Písemka"});
}

TEST_F(SearchIndexTest, NoticesDamageFoundLaterAndStartsAgain)
{
    {
        store::SearchIndex index(cacheFile());
        index.refresh();
    }
    // The pages of the full-text index garbled, the rest of the file intact:
    // the file opens as ours, and the damage shows only when it is read.
    std::vector<qint64> pages;
    int pageSize = 0;
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(cacheFile()).constData(), &db), SQLITE_OK);
        sqlite3_stmt *stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db,
                                     "SELECT pageno FROM dbstat WHERE name = 'joke_index_data'"
                                     " AND pageno > 1",
                                     -1, &stmt, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            pages.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &stmt, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        pageSize = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    ASSERT_FALSE(pages.empty());
    {
        QFile file(cacheFile());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        for (const qint64 page : pages) {
            ASSERT_TRUE(file.seek((page - 1) * pageSize));
            file.write(QByteArray(pageSize, '\x5a'));
        }
    }

    // The command line's search mends it as it goes (and every later one
    // finds a sound cache).
    QByteArray garbled;
    {
        QFile file(cacheFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        garbled = file.readAll();
    }
    {
        store::SearchIndex index(cacheFile());
        store::RefreshReport report;
        const store::SearchResult result =
            index.refreshAndSearch(QStringLiteral("zirafa"), 500, false, true, &report);
        EXPECT_TRUE(result.problem.isEmpty() && report.problem.isEmpty())
            << result.problem.toStdString() << report.problem.toStdString();
        ASSERT_EQ(result.hits.size(), 1u);
        EXPECT_EQ(result.hits[0].joke, QStringLiteral("Žirafa"));
    }
    {
        QFile file(cacheFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbled);
    }
    for (const char *suffix : {"-wal", "-shm"})
        QFile::remove(cacheFile() + QLatin1String(suffix));

    store::SearchIndex index(cacheFile());
    EXPECT_FALSE(index.damaged());
    const store::SearchResult broken = index.search(QStringLiteral("zirafa"));
    EXPECT_FALSE(broken.problem.isEmpty());
    ASSERT_TRUE(index.damaged());
    index.makeAnew();
    EXPECT_FALSE(index.damaged());
    EXPECT_FALSE(index.inMemory());
    EXPECT_EQ(index.refresh().read, 4);
    EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"});
}

TEST_F(SearchIndexTest, KeepsTheIndexInMemoryWhereNoCacheCanBeWritten)
{
    // The cache folder's place is taken by a file.
    folder.write(QStringLiteral("cache"), "a file");
    store::SearchIndex index(folder.absolute(QStringLiteral("cache/chichotek/index.sqlite")));
    EXPECT_TRUE(index.inMemory());
    EXPECT_TRUE(index.refresh().problem.isEmpty());
    EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Zvířata/Žirafa"});
    EXPECT_EQ(folder.read(QStringLiteral("cache")), "a file");
}

TEST_F(SearchIndexTest, WritesNothingIntoTheDatabase)
{
    const auto before = folder.snapshot();
    store::SearchIndex index(cacheFile());
    index.refresh();
    found(index, QStringLiteral("zirafa"));
    EXPECT_EQ(folder.snapshot(), before);
}

TEST_F(SearchIndexTest, SearchesWhileAnotherThreadRefreshes)
{
    for (int i = 0; i < 40; ++i) {
        const QString library = QStringLiteral("Knihovna %1").arg(i);
        QStringList jokes;
        for (int j = 0; j < 25; ++j)
            jokes << QStringLiteral("Vtip %1").arg(j);
        folder.makeLibrary(library, jokes);
    }
    for (const QString &file : {cacheFile(), QString()}) {
        store::SearchIndex index(file);
        std::atomic<bool> refreshed{false};
        store::RefreshReport report;
        std::thread worker([&] {
            report = index.refresh();
            refreshed = true;
        });
        int searches = 0;
        while (!refreshed || searches < 5) {
            const store::SearchResult result = index.search(QStringLiteral("vtip"));
            EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
            ++searches;
        }
        worker.join();
        EXPECT_TRUE(report.problem.isEmpty()) << report.problem.toStdString();
        EXPECT_EQ(index.search(QStringLiteral("vtip")).jokes, 1000);
    }
}

TEST(ChangeListener, HearsOfEveryWriteAndDeletionThatHappened)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(QStringLiteral("Zvířata"), {QStringLiteral("Slon")});
    QStringList heard;
    store::setChangeListener([&](const store::DbPath &path) { heard << path.display(); });
    const store::DbPath joke =
        store::DbPath::jokeFile(QStringLiteral("Zvířata"), QStringLiteral("Slon"));
    EXPECT_TRUE(store::writeBytes(joke, "x"));
    EXPECT_TRUE(store::writeList(store::DbPath::jokeList(QStringLiteral("Zvířata")), {}));
    EXPECT_TRUE(store::deleteFile(joke));
    EXPECT_FALSE(store::deleteFile(joke)) << "already gone";
    store::testing::setSaveFault(store::SaveStep::Rename);
    EXPECT_FALSE(store::writeBytes(joke, "y"));
    store::testing::setSaveFault(std::nullopt);
    store::setChangeListener({});
    EXPECT_TRUE(store::writeBytes(joke, "z"));
    EXPECT_EQ(heard, (QStringList{QStringLiteral("DataBase\\Zvířata\\Slon.vti"),
                                  QStringLiteral("DataBase\\Zvířata\\Vtipy.sez"),
                                  QStringLiteral("DataBase\\Zvířata\\Slon.vti")}));
}

} // namespace
