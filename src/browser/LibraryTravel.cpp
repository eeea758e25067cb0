// The main window's commands that move libraries in and out: a library as
// one zip file and back, a library (or every one) as a book to read or print,
// and the print preview of the joke shown.
#include "Unit1.h"

#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/book.h"
#include "store/librarypackage.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

const QString kZipFilter = QStringLiteral("Knihovna Chichotku (*.zip)|*.zip");
const QString kBookFilter = QStringLiteral("Kniha HTML (*.html)|*.html|Kniha PDF (*.pdf)|*.pdf|"
                                           "Dokument ODT (*.odt)|*.odt|Kniha EPUB (*.epub)|*.epub");
const char *const kBookExtensions[] = {".html", ".pdf", ".odt", ".epub"};

// The library file a drag carries: one local file ending in ".zip".
QString droppedLibraryFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().first();
    if (!url.isLocalFile() || !url.toLocalFile().endsWith(u".zip", Qt::CaseInsensitive))
        return {};
    return url.toLocalFile();
}

// The save dialog of an export: asks before replacing a file.
platform::FileChoice askWhereToSave(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &fileName, int filterIndex = 1)
{
    platform::FileDialog dialog;
    dialog.title = title;
    dialog.filter = filter;
    dialog.filterIndex = filterIndex;
    dialog.fileName = fileName;
    dialog.mustExist = false;
    dialog.askOverwrite = true;
    return platform::services().saveFile(parent, dialog);
}

// Shows the wait cursor while it lives.
struct Busy
{
    Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Busy() { QApplication::restoreOverrideCursor(); }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;
};

} // namespace

void THLAVNI::bindTravel()
{
    connect(Importovat, &QAction::triggered, this, [this] { ImportovatClick(); });
    connect(Exportovat, &QAction::triggered, this, [this] { ExportovatClick(); });
    connect(ExportKniha, &QAction::triggered, this, [this] { ExportKnihaClick(); });
    connect(TiskKnihovny, &QAction::triggered, this, [this] { TiskKnihovnyClick(); });
    connect(NahledTisku, &QAction::triggered, this, [this] { NahledTiskuClick(); });
}

QString THLAVNI::libraryToTake()
{
    const QString library = Rezim == RezimVtipy ? m_openLibrary : Edit->text();
    if (library.isEmpty() || !m_libraries.entries.contains(library)) {
        platform::services().message(QStringLiteral("Nejprve vyberte knihovnu v seznamu."));
        return {};
    }
    return library;
}

QStringList THLAVNI::libraryBook()
{
    if (m_libraries.entries.isEmpty()) {
        platform::services().message(QStringLiteral("Seznam knihoven je prázdný."));
        return {};
    }
    const QString library = Rezim == RezimVtipy ? m_openLibrary : Edit->text();
    if (library.isEmpty() || !m_libraries.entries.contains(library))
        return m_libraries.entries;
    const int choice =
        platform::services().choose(QStringLiteral("Kterou knihovnu?"),
                                    {QStringLiteral("Knihovnu „%1“").arg(library),
                                     QStringLiteral("Všechny knihovny"), QStringLiteral("Storno")});
    if (choice == 0)
        return {library};
    if (choice == 1)
        return m_libraries.entries;
    return {};
}

void THLAVNI::ImportovatClick()
{
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Importovat knihovnu...");
    dialog.filter = kZipFilter + QStringLiteral("|Všechny soubory (*)|*");
    dialog.mustExist = true;
    const platform::FileChoice choice = platform::services().openFile(this, dialog);
    if (choice.accepted())
        importLibraryFile(choice.fileName);
}

void THLAVNI::offerImport(const QString &file)
{
    if (Rezim != RezimKnihovny || m_readOnly) {
        platform::services().message(
            m_readOnly ? QStringLiteral("Databáze je otevřena jen pro čtení: knihovnu ze souboru "
                                        "„%1“ nelze importovat.")
                             .arg(QFileInfo(file).fileName())
                       : QStringLiteral("Knihovnu ze souboru „%1“ lze importovat, až bude "
                                        "zavřená otevřená knihovna.")
                             .arg(QFileInfo(file).fileName()));
        return;
    }
    if (platform::services().confirm(
            QStringLiteral("Importovat knihovnu ze souboru „%1“?").arg(QFileInfo(file).fileName())))
        importLibraryFile(file);
}

bool THLAVNI::importLibraryFile(const QString &file)
{
    if (!listIsIntact())
        return false;
    const store::PackageCheck check = store::inspectPackage(file);
    if (check.outcome != store::PackageCheck::Outcome::Ready) {
        platform::services().error(check.message);
        return false;
    }
    QString name;
    QString imported;
    QString error;
    store::ImportOutcome outcome;
    for (;;) {
        {
            Busy busy;
            outcome = store::importLibrary(file, name, &imported, &error);
        }
        if (outcome != store::ImportOutcome::NameTaken)
            break;
        const QString taken = name.isEmpty() ? check.library : name;
        const int choice = platform::services().choose(
            QStringLiteral("Knihovna „%1“ už v databázi je.").arg(taken),
            {QStringLiteral("Importovat pod jiným názvem..."), QStringLiteral("Storno")});
        if (choice != 0)
            return false;
        // A name as the wizard takes one for a new library.
        QString proposal = taken;
        for (;;) {
            const std::optional<QString> typed =
                platform::services().askText(this, QStringLiteral("Importovat knihovnu..."),
                                             QStringLiteral("Název knihovny:"), proposal);
            if (!typed)
                return false;
            const QString problem = store::libraryNameProblem(*typed);
            if (problem.isEmpty()) {
                name = *typed;
                break;
            }
            platform::services().message(problem);
            proposal = *typed;
        }
    }
    if (outcome != store::ImportOutcome::Imported) {
        platform::services().error(error);
        return false;
    }
    changeLibraries(QString(), [&imported](QStringList &entries) {
        entries.append(imported);
        return true;
    });
    // Selected and described, as a click on it would.
    showLibraries(imported, int(m_libraries.entries.size()) - 1);
    Seznam->setFocus();
    SeznamClick();
    return true;
}

void THLAVNI::ExportovatClick()
{
    const QString library = libraryToTake();
    if (library.isEmpty())
        return;
    // The file manager knows a library file by this ending; any archive
    // program unpacks it as a zip.
    const platform::FileChoice choice =
        askWhereToSave(this, QStringLiteral("Exportovat knihovnu..."), kZipFilter,
                       library + QStringLiteral(".chichotek.zip"));
    if (!choice.accepted())
        return;
    QString file = choice.fileName;
    if (!file.endsWith(u".zip", Qt::CaseInsensitive))
        file += QStringLiteral(".zip");
    QString error;
    bool done;
    {
        Busy busy;
        done = store::exportLibrary(library, file, &error);
    }
    if (!done) {
        platform::services().error(error);
        return;
    }
    platform::services().message(
        QStringLiteral("Knihovna „%1“ je uložena v souboru „%2“. Příjemce ji přidá příkazem "
                       "Databáze → Importovat knihovnu..., nebo ji rozbalí do složky DataBase "
                       "a přidá příkazem Přidat do seznamu...")
            .arg(library, QFileInfo(file).fileName()));
}

void THLAVNI::ExportKnihaClick()
{
    const QStringList libraries = libraryBook();
    if (libraries.isEmpty())
        return;
    const platform::FileChoice choice =
        askWhereToSave(this, QStringLiteral("Exportovat jako knihu..."), kBookFilter,
                       libraries.size() == 1 ? libraries.first() : QStringLiteral("Chichotek"), 2);
    if (!choice.accepted())
        return;
    QString file = choice.fileName;
    std::optional<store::BookFormat> format = store::bookFormatFor(file);
    if (!format) {
        const int index = std::clamp(choice.filterIndex, 1, 4) - 1;
        file += QLatin1String(kBookExtensions[index]);
        format = store::bookFormatFor(file);
    }
    QString error;
    bool done = false;
    if (format) {
        Busy busy;
        done = store::writeBook(libraries, file, *format, &error);
    }
    if (!done)
        platform::services().error(error);
}

void THLAVNI::TiskKnihovnyClick()
{
    const QStringList libraries = libraryBook();
    if (libraries.isEmpty())
        return;
    const QString title = libraries.size() == 1 ? libraries.first() : QStringLiteral("Chichotek");
    QString error;
    if (!platform::services().printPreview(
            this, title,
            [&libraries](QPagedPaintDevice *device, QString *why) {
                Busy busy;
                return store::paintBook(libraries, device, why);
            },
            &error) &&
        !error.isEmpty())
        platform::services().error(error);
}

void THLAVNI::NahledTiskuClick()
{
    finishJoke();
    QString error;
    if (!platform::services().printPreview(
            this, Edit->text(),
            [this](QPagedPaintDevice *device, QString *) {
                Vtip->document()->print(device);
                return true;
            },
            &error) &&
        !error.isEmpty())
        platform::services().error(error);
}

void THLAVNI::dragEnterEvent(QDragEnterEvent *event)
{
    if (Rezim == RezimKnihovny && !m_readOnly && !droppedLibraryFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void THLAVNI::dropEvent(QDropEvent *event)
{
    const QString file = droppedLibraryFile(event->mimeData());
    if (file.isEmpty() || Rezim != RezimKnihovny || m_readOnly) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // The file manager that dragged it is not kept waiting for the questions.
    QTimer::singleShot(0, this, [this, file] { importLibraryFile(file); });
}
