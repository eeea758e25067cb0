#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the search benchmarks share.
namespace bench {

// A program folder as makeProgramFolder() writes it, with every joke written:
// 2 to 8 KB of rich-edit RTF with words from the benchmarks' large vocabulary
// (makeWordyJokes()). A folder already written for the same sizes is kept.
// With `bigJokes`, the first library also holds a joke of 5 MB ("Velký
// vtip") and one of 50 MB ("Obrovský vtip") of the same words.
bool makeSearchFolder(const QString &folder, int libraries, int jokesPerLibrary,
                      bool bigJokes = false);

// The folder and its size from a benchmark's command line:
// [--libraries N] [--jokes M] [--big-jokes] [FOLDER], by default 1,000
// libraries of 100 jokes in /tmp/chichotek-bench-search (with the big jokes,
// /tmp/chichotek-bench-search-big).
struct SearchFolder
{
    int libraries = 1000;
    int jokesPerLibrary = 100;
    bool bigJokes = false;
    QString path;
};
// That folder, written when it is not there yet; nothing, after saying why on
// the standard error, when it cannot be written.
std::optional<SearchFolder> madeSearchFolder(const QStringList &arguments);

// Twenty queries of one to three words as users type them: words neither
// rare nor common, half without diacritics, some in capitals.
QStringList searchQueries();

} // namespace bench
