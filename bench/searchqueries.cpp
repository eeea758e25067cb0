#include "searchqueries.h"

#include "benchfolder.h"
#include "rtfgen.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <vector>

namespace bench {

bool makeSearchFolder(const QString &folder, int libraries, int jokesPerLibrary)
{
    const QString marker =
        QStringLiteral("%1/bench-search-%2x%3").arg(folder).arg(libraries).arg(jokesPerLibrary);
    if (QFile::exists(marker))
        return true;
    QDir(folder).removeRecursively();
    if (!makeProgramFolder(folder, libraries, jokesPerLibrary))
        return false;
    for (int i = 1; i <= libraries; ++i) {
        const std::vector<QByteArray> jokes = makeWordyJokes(jokesPerLibrary, std::uint32_t(i));
        for (int j = 1; j <= jokesPerLibrary; ++j) {
            QFile file(
                QStringLiteral("%1/DataBase/%2/%3.vti").arg(folder, libraryName(i), jokeName(j)));
            const QByteArray &bytes = jokes[std::size_t(j - 1)];
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return false;
        }
    }
    QFile done(marker);
    return done.open(QIODevice::WriteOnly);
}

std::optional<SearchFolder> madeSearchFolder(const QStringList &arguments)
{
    SearchFolder folder;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--libraries") && i + 1 < arguments.size())
            folder.libraries = arguments[++i].toInt();
        else if (arguments[i] == QLatin1String("--jokes") && i + 1 < arguments.size())
            folder.jokesPerLibrary = arguments[++i].toInt();
        else
            folder.path = arguments[i];
    }
    if (!makeSearchFolder(folder.path, folder.libraries, folder.jokesPerLibrary)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(folder.path));
        return std::nullopt;
    }
    return folder;
}

QStringList searchQueries()
{
    // Without its diacritics, as many type.
    const auto plain = [](const QString &word) {
        QString out;
        for (const QChar c : word.normalized(QString::NormalizationForm_D)) {
            if (!c.isMark())
                out += c;
        }
        return out;
    };
    QStringList queries;
    unsigned state = 12345;
    const auto next = [&state](int below) {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) % unsigned(below));
    };
    for (int i = 0; i < 20; ++i) {
        QStringList words;
        for (int w = 0; w <= i % 3; ++w) {
            QString word = vocabularyWord(100 + next(4000));
            if (i % 2 == 0)
                word = plain(word);
            if (i % 5 == 4)
                word = word.toUpper();
            words << word;
        }
        queries << words.join(u' ');
    }
    return queries;
}

} // namespace bench
