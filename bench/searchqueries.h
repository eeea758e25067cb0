#pragma once

#include <QString>
#include <QStringList>

// What the search benchmarks share.
namespace bench {

// A program folder as makeProgramFolder() writes it, with every joke written:
// 2 to 8 KB of rich-edit RTF with words from the benchmarks' large vocabulary
// (makeWordyJokes()). A folder already written for the same sizes is kept.
bool makeSearchFolder(const QString &folder, int libraries, int jokesPerLibrary);

// Twenty queries of one to three words as users type them: words neither
// rare nor common, half without diacritics, some in capitals.
QStringList searchQueries();

} // namespace bench
