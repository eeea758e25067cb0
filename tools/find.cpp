// Finds jokes by their words from the command line, with the index that the
// program's search window keeps:
//
//   chichotek-find [--folder DIR] [--exact] WORDS...
//
// Prints one match a line, best first: library, joke and the text around the
// match, separated by tabs. Words match in any order, whatever their letter
// case and diacritics, in any of their forms (only as typed with --exact);
// "quoted words" match as a phrase. The program folder
// is found as the program finds it: DIR, else the folder of the executable
// when it holds a DataBase, else the user's own one. The index is brought in
// line with the files first. Exit status 0 with matches, 1 without, 2 on an
// error, which is said on the standard error.

#include "store/files.h"
#include "store/programfolder.h"
#include "store/searchindex.h"

#include <version.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <limits>

namespace {

constexpr const char *kUsage =
    "Použití: chichotek-find [--folder SLOŽKA] [--exact] SLOVA...\n"
    "Najde vtipy podle slov v jejich textu nebo názvu ve všech knihovnách.\n"
    "Vypíše jeden vtip na řádek, nejlepší shody první: knihovna, vtip a text\n"
    "kolem nalezených slov, oddělené tabulátorem. Slova se hledají v libovolném\n"
    "pořadí bez ohledu na velikost písmen a diakritiku, v kterémkoli svém tvaru\n"
    "(žirafa najde i žirafu a žirafě; tvary zná český slovník hunspell-cs);\n"
    "\"slova v uvozovkách\" se hledají jako celá fráze.\n"
    "\n"
    "  -f, --folder SLOŽKA  složka programu (se složkou DataBase)\n"
    "  -e, --exact          jen přesně tento tvar slov\n"
    "  -h, --help           vypíše tuto nápovědu\n"
    "  -v, --version        vypíše verzi\n"
    "\n"
    "Návratový kód: 0 nalezeno, 1 nic nenalezeno, 2 chyba.\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "chichotek-find: %s\n", message.toLocal8Bit().constData());
    return 2;
}

// The snippet on one line, without the marks of the matched words.
QString oneLine(const QString &snippet)
{
    QString out;
    out.reserve(snippet.size());
    for (const QChar c : snippet) {
        if (c == store::kMatchStart || c == store::kMatchEnd)
            continue;
        out += (c == u'\t' || c == u'\n' || c == u'\r' || c == QChar(0x2028)) ? u' ' : c;
    }
    return out.simplified();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString chosen;
    QStringList words;
    bool exact = false;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"-h" || arg == u"--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == u"-v" || arg == u"--version") {
            std::printf("chichotek-find %s\n", CHICHOTEK_VERSION);
            return 0;
        }
        if (arg == u"-f" || arg == u"--folder") {
            if (++i >= args.size())
                return fail(QStringLiteral("Za %1 chybí složka.").arg(arg));
            chosen = args[i];
        } else if (arg == u"-e" || arg == u"--exact") {
            exact = true;
        } else if (arg.startsWith(QLatin1String("--folder="))) {
            chosen = arg.mid(9);
        } else if (arg == u"--") {
            words += args.mid(i + 1);
            break;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return fail(QStringLiteral("Neznámá volba %1. Nápovědu vypíše --help.").arg(arg));
        } else {
            words << arg;
        }
    }
    const QString query = words.join(u' ');
    if (store::ftsQuery(query, false).isEmpty())
        return fail(QStringLiteral("Zadejte slova, která se mají hledat. Nápovědu vypíše --help."));

    const QString folder =
        store::programFolderFor(QCoreApplication::applicationDirPath(),
                                chosen.isEmpty() ? QString() : QDir(chosen).absolutePath())
            .path;
    if (store::databaseIn(folder).isEmpty())
        return fail(QStringLiteral("Ve složce „%1“ není databáze vtipů (složka DataBase).")
                        .arg(QDir::toNativeSeparators(folder)));
    if (!QDir::setCurrent(folder))
        return fail(
            QStringLiteral("Do složky „%1“ nelze vstoupit.").arg(QDir::toNativeSeparators(folder)));

    store::SearchIndex index(store::searchCacheFile(folder));
    store::RefreshReport report;
    const store::SearchResult result =
        index.refreshAndSearch(query, std::numeric_limits<int>::max(), false, !exact, &report);
    if (!report.problem.isEmpty())
        return fail(report.problem);
    if (!result.problem.isEmpty())
        return fail(result.problem);
    for (const store::SearchHit &hit : result.hits) {
        const QString line = hit.library + u'\t' + hit.joke + u'\t' +
                             oneLine(index.snippet(hit.id, query, false, !exact)) + u'\n';
        std::fputs(line.toLocal8Bit().constData(), stdout);
    }
    if (!exact && !store::SearchIndex::wordFormsKnown())
        std::fputs("chichotek-find: jiné tvary slov se nehledají, není nainstalován český slovník "
                   "(balíček hunspell-cs)\n",
                   stderr);
    if (report.unreadable > 0)
        std::fprintf(stderr, "chichotek-find: souborů vtipů, které nelze přečíst: %d\n",
                     report.unreadable);
    std::fflush(stdout);
    return result.hits.empty() ? 1 : 0;
}
