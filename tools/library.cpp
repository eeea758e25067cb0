// A library of the joke database as one file, from the command line:
//
//   chichotek-library export [--folder DIR] LIBRARY FILE.zip
//   chichotek-library import [--folder DIR] [--as NAME] FILE.zip
//   chichotek-library book [--folder DIR] (LIBRARY|--all) FILE.{html,pdf,odt,epub}
//
// "export" writes the library's files, bytes unchanged, as a zip file that
// Windows Explorer, 7-Zip and unzip unpack. "import" unpacks such a zip file
// (also one made by hand on Windows) into DataBase, all or nothing, and adds
// the library to the list of libraries; a name that is taken is refused, and
// --as gives the library another name. "book" writes libraries as a book to
// read or print. The program folder is found as the program finds it: DIR,
// else the folder of the executable when it holds a DataBase, else the
// user's own one. Exit status 0 when done, 1 when refused (a zip file the
// program does not take, a name that is taken), 2 on an error (wrong use, a
// file that cannot be read or written); the reason goes to the standard
// error.

#include "store/book.h"
#include "store/files.h"
#include "store/librarypackage.h"
#include "store/paths.h"
#include "store/programfolder.h"

#include <version.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr const char *kUsage =
    "Použití: chichotek-library export [--folder SLOŽKA] KNIHOVNA SOUBOR.zip\n"
    "         chichotek-library import [--folder SLOŽKA] [--as NÁZEV] SOUBOR.zip\n"
    "         chichotek-library book [--folder SLOŽKA] (KNIHOVNA|--all) SOUBOR\n"
    "Knihovna vtipů jako jeden soubor.\n"
    "\n"
    "  export   uloží soubory knihovny beze změny do souboru zip, který rozbalí\n"
    "           Průzkumník Windows, 7-Zip i unzip\n"
    "  import   rozbalí knihovnu ze souboru zip do složky DataBase (celou, nebo\n"
    "           nic) a přidá ji do seznamu knihoven\n"
    "  book     uloží knihovnu (nebo s --all všechny ze seznamu) jako knihu ke\n"
    "           čtení nebo tisku; formát podle přípony: .html, .pdf, .odt, .epub\n"
    "\n"
    "  -f, --folder SLOŽKA  složka programu (se složkou DataBase)\n"
    "      --as NÁZEV       import pod jiným názvem knihovny\n"
    "      --all            kniha ze všech knihoven seznamu\n"
    "  -h, --help           vypíše tuto nápovědu\n"
    "  -v, --version        vypíše verzi\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 odmítnuto (soubor, který program nepřijme,\n"
    "obsazený název), 2 chyba (chybné použití, soubor nelze přečíst ani zapsat).\n";

void say(const QString &message)
{
    std::fprintf(stderr, "chichotek-library: %s\n", message.toLocal8Bit().constData());
}

int fail(const QString &message)
{
    say(message);
    return 2;
}

int refuse(const QString &message)
{
    say(message);
    return 1;
}

int wrongUse(const QString &message)
{
    return fail(message + QStringLiteral(" Nápovědu vypíše --help."));
}

QString quoted(const QString &text)
{
    return QStringLiteral("„%1“").arg(text);
}

// Whether the arguments ask for a book, which needs a GUI application (the
// fonts and the PDF writer); told before any application exists.
bool asksForBook(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "-f") == 0 || std::strcmp(argv[i], "--folder") == 0 ||
            std::strcmp(argv[i], "--as") == 0) {
            ++i;
            continue;
        }
        if (argv[i][0] != '-')
            return std::strcmp(argv[i], "book") == 0;
    }
    return false;
}

int exportLibrary(const QString &library, const QString &zipFile)
{
    QString error;
    if (!store::exportLibrary(library, zipFile, &error))
        return fail(error);
    return 0;
}

int importLibrary(const QString &zipFile, const QString &asName)
{
    QString name;
    QString error;
    switch (store::importLibrary(zipFile, asName, &name, &error)) {
    case store::ImportOutcome::Imported:
        break;
    case store::ImportOutcome::Refused:
        return refuse(error);
    case store::ImportOutcome::NameTaken:
        return refuse(error + QStringLiteral(" Jiný název knihovny zadejte volbou --as NÁZEV."));
    case store::ImportOutcome::Failed:
        return fail(error);
    }
    // Listed last, as the program lists a library it made: its files are all
    // there by now.
    const store::DbPath list = store::DbPath::listFile();
    store::ListCopy copy;
    if (!store::readList(list, copy, &error)) {
        // A database without a list yet gets one.
        if (QFileInfo::exists(list.path()))
            return fail(QStringLiteral("Knihovna %1 je rozbalena, ale do seznamu knihoven ji nelze "
                                       "přidat: %2")
                            .arg(quoted(name), error));
        copy.version = store::FileVersion::missing();
    }
    if (store::editList(
            list, copy,
            [&name](QStringList &entries) { return store::appendMissing(entries, {name}); },
            &error) != store::ListEdit::Written)
        return fail(QStringLiteral("Knihovna %1 je rozbalena, ale do seznamu knihoven ji nelze "
                                   "přidat: %2")
                        .arg(quoted(name), error));
    std::printf("%s\n", QStringLiteral("Knihovna %1 je přidána do databáze.")
                            .arg(quoted(name))
                            .toLocal8Bit()
                            .constData());
    return 0;
}

int writeBook(const QStringList &chosen, bool all, const QString &file)
{
    const std::optional<store::BookFormat> format = store::bookFormatFor(file);
    if (!format)
        return wrongUse(QStringLiteral("Formát knihy se pozná podle přípony souboru: .html, "
                                       ".pdf, .odt nebo .epub."));
    QStringList libraries = chosen;
    QString error;
    if (all) {
        const std::optional<QStringList> listed =
            store::readList(store::DbPath::listFile(), &error);
        if (!listed)
            return fail(error);
        libraries = *listed;
        if (libraries.isEmpty())
            return refuse(QStringLiteral("Seznam knihoven je prázdný."));
    }
    if (!store::writeBook(libraries, file, *format, &error))
        return fail(error);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // A book is laid out with the fonts of a GUI application, which needs
    // no screen.
    std::unique_ptr<QCoreApplication> app;
    if (asksForBook(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    QString chosen;
    QString asName;
    bool hasAs = false;
    bool all = false;
    QStringList words;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"-h" || arg == u"--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == u"-v" || arg == u"--version") {
            std::printf("chichotek-library %s\n", CHICHOTEK_VERSION);
            return 0;
        }
        if (arg == u"-f" || arg == u"--folder" || arg == u"--as") {
            if (++i >= args.size())
                return wrongUse(QStringLiteral("Za %1 chybí hodnota.").arg(arg));
            if (arg == u"--as") {
                asName = args[i];
                hasAs = true;
            } else {
                chosen = args[i];
            }
        } else if (arg.startsWith(QLatin1String("--folder="))) {
            chosen = arg.mid(9);
        } else if (arg.startsWith(QLatin1String("--as="))) {
            asName = arg.mid(5);
            hasAs = true;
        } else if (arg == u"--all") {
            all = true;
        } else if (arg == u"--") {
            words += args.mid(i + 1);
            break;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return wrongUse(QStringLiteral("Neznámá volba %1.").arg(arg));
        } else {
            words << arg;
        }
    }
    if (words.isEmpty())
        return wrongUse(QStringLiteral("Zadejte příkaz export, import nebo book."));
    const QString command = words.takeFirst();
    const bool isExport = command == u"export";
    const bool isImport = command == u"import";
    const bool isBook = command == u"book";
    if (!isExport && !isImport && !isBook)
        return wrongUse(QStringLiteral("Neznámý příkaz %1.").arg(command));
    if (hasAs && !isImport)
        return wrongUse(QStringLiteral("Volba --as patří k příkazu import."));
    if (hasAs && asName.isEmpty())
        return wrongUse(QStringLiteral("Za --as chybí název knihovny."));
    if (all && !isBook)
        return wrongUse(QStringLiteral("Volba --all patří k příkazu book."));
    const qsizetype expected = isExport ? 2 : isImport ? 1 : all ? 1 : 2;
    if (words.size() != expected)
        return wrongUse(isExport   ? QStringLiteral("Zadejte knihovnu a soubor zip.")
                        : isImport ? QStringLiteral("Zadejte jeden soubor zip.")
                                   : QStringLiteral("Zadejte knihovnu (nebo --all) a soubor."));
    // The file is named from where the tool was started, which is left for
    // the program folder.
    const QString file = QDir(QDir::currentPath()).absoluteFilePath(words.last());

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

    if (isExport)
        return exportLibrary(words.first(), file);
    if (isImport)
        return importLibrary(file, asName);
    return writeBook(all ? QStringList() : QStringList{words.first()}, all, file);
}
