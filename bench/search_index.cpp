// The search index at full size: a program folder of 100,000 jokes of 2 to
// 8 KB in 1,000 libraries, words drawn from a large vocabulary as in real
// text. Prints the time of the first indexing, of re-checking the unchanged
// folder, the size of the index against the jokes' plain text, and the time
// of 20 queries of one to three words (the search and the snippets of the
// rows a window shows). The window's own figure, key press to painted
// list, is bench_search_shown's.
//
//   bench_search_index [--libraries N] [--jokes M] [FOLDER]
//
// FOLDER (default /tmp/chichotek-bench-search) is written once and kept for
// later runs; the index is made anew in a temporary folder each run, which is
// kept when CHICHOTEK_BENCH_KEEP is set.

#include "benchfolder.h"
#include "rtfgen.h"
#include "searchqueries.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/rtftext.h"
#include "store/searchindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

qint64 fileSize(const QString &path)
{
    qint64 size = 0;
    for (const char *suffix : {"", "-wal", "-shm"})
        size += QFileInfo(path + QLatin1String(suffix)).size();
    return size;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<bench::SearchFolder> made = bench::madeSearchFolder(app.arguments());
    if (!made)
        return 1;
    const int libraries = made->libraries;
    const int jokes = made->jokesPerLibrary;
    const QString folder = made->path;
    if (!QDir::setCurrent(folder))
        return 1;

    // The jokes' plain text, as the index takes it.
    QElapsedTimer clock;
    clock.start();
    qint64 textBytes = 0;
    const QStringList list = store::readList(store::DbPath::listFile()).value_or(QStringList());
    for (const QString &library : list) {
        const QStringList names =
            store::readList(store::DbPath::jokeList(library)).value_or(QStringList());
        for (const QString &joke : names)
            textBytes += store::readJokeText(store::DbPath::jokeFile(library, joke))
                             .value_or(QString())
                             .toUtf8()
                             .size();
    }
    std::printf("%d libraries, %d jokes, plain text %.1f MB (read in %.0f ms)\n", libraries,
                libraries * jokes, double(textBytes) / 1e6, msSince(clock));

    QTemporaryDir cache;
    cache.setAutoRemove(qEnvironmentVariableIsEmpty("CHICHOTEK_BENCH_KEEP"));
    const QString file = cache.path() + QStringLiteral("/index.sqlite");
    {
        clock.restart();
        store::SearchIndex index(file);
        const store::RefreshReport report = index.refresh();
        std::printf("first indexing: %.1f s (%d read, %d unreadable)%s\n", msSince(clock) / 1000,
                    report.read, report.unreadable, qPrintable(report.problem));
    }
    std::printf("index file: %.1f MB, %.2f times the plain text\n", double(fileSize(file)) / 1e6,
                double(fileSize(file)) / double(textBytes));

    store::SearchIndex index(file);
    std::vector<double> rechecks;
    for (int i = 0; i < 5; ++i) {
        clock.restart();
        const store::RefreshReport report = index.refresh();
        rechecks.push_back(msSince(clock));
        if (report.read != 0)
            std::printf("  re-check read %d jokes\n", report.read);
    }
    std::sort(rechecks.begin(), rechecks.end());
    std::printf("re-checking the unchanged folder: median %.0f ms, min %.0f ms\n",
                rechecks[rechecks.size() / 2], rechecks.front());

    std::vector<double> times;
    for (const QString &query : bench::searchQueries()) {
        clock.restart();
        const store::SearchResult result = index.search(query);
        for (std::size_t i = 0; i < std::min<std::size_t>(result.hits.size(), 15); ++i)
            index.snippet(result.hits[i].id, query);
        times.push_back(msSince(clock));
        std::printf("  %-40s %6d jokes in %4d libraries  %7.2f ms\n", qPrintable(query),
                    result.jokes, result.libraries, times.back());
    }
    std::sort(times.begin(), times.end());
    std::printf("queries: median %.2f ms, max %.2f ms\n", times[times.size() / 2], times.back());
    if (!cache.autoRemove())
        std::printf("the index is kept in %s\n", qPrintable(file));
    return 0;
}
