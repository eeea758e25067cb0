#include "searchqueries.h"

#include "benchfolder.h"
#include "rtfgen.h"
#include "store/codepage.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <utility>
#include <vector>

namespace bench {

namespace {

// A joke of at least `size` bytes: the paragraphs of `jokes` over and over,
// in the frame of the first one.
QByteArray bigJoke(const std::vector<QByteArray> &jokes, qsizetype size)
{
    const QByteArray &first = jokes.front();
    QByteArray out = first.left(first.indexOf("\\pard"));
    out.reserve(size + 64 * 1024);
    for (std::size_t i = 0; out.size() < size; ++i) {
        const QByteArray &joke = jokes[i % jokes.size()];
        const qsizetype from = joke.indexOf("\\pard");
        out += joke.mid(from, joke.lastIndexOf('}') - from);
        out += "\r\n";
    }
    return out + "}\r\n";
}

} // namespace

bool makeSearchFolder(const QString &folder, int libraries, int jokesPerLibrary, bool bigJokes)
{
    const QString marker = QStringLiteral("%1/bench-search-%2x%3%4")
                               .arg(folder)
                               .arg(libraries)
                               .arg(jokesPerLibrary)
                               .arg(bigJokes ? QStringLiteral("-big") : QString());
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
        if (bigJokes && i == 1) {
            const QString library = QStringLiteral("%1/DataBase/%2/").arg(folder, libraryName(i));
            QFile list(library + QStringLiteral("Vtipy.sez"));
            if (!list.open(QIODevice::Append))
                return false;
            for (const auto &[name, size] :
                 {std::pair{QStringLiteral("Velký vtip"), 5 << 20},
                  std::pair{QStringLiteral("Obrovský vtip"), 50 << 20}}) {
                QFile file(library + name + QStringLiteral(".vti"));
                const QByteArray bytes = bigJoke(jokes, size);
                if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
                    list.write(store::encode1250(name) + "\r\n") < 0)
                    return false;
            }
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
        else if (arguments[i] == QLatin1String("--big-jokes"))
            folder.bigJokes = true;
        else
            folder.path = arguments[i];
    }
    if (folder.path.isEmpty())
        folder.path = folder.bigJokes ? QStringLiteral("/tmp/chichotek-bench-search-big")
                                      : QStringLiteral("/tmp/chichotek-bench-search");
    if (!makeSearchFolder(folder.path, folder.libraries, folder.jokesPerLibrary, folder.bigJokes)) {
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
