// The main window's commands on the list of libraries: add, remove, delete, move
// and sort, each made to the list as its file holds it.

#include "Unit1.h"

#include "controls/Zpravy.h"
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/files.h"

#include <QAction>
#include <QCollator>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTextEdit>

#include <algorithm>
#include <optional>

bool THLAVNI::loadLibraries(QString *error)
{
    return store::readList(store::DbPath::listFile(), m_libraries, error);
}

void THLAVNI::showLibraries(const QString &selected, int row)
{
    Seznam->showItems(m_libraries.entries,
                      row < 0 ? -1 : store::entryRow(m_libraries.entries, selected, row));
}

store::ListEdit THLAVNI::changeLibraries(const QString &library,
                                         const std::function<bool(QStringList &)> &change,
                                         bool quiet)
{
    // Made to the list as its file holds it now: libraries added or removed
    // from outside (a sync tool, another computer) stay.
    bool gone = false;
    QString error;
    const store::ListEdit result = store::editList(
        store::DbPath::listFile(), m_libraries,
        [&](QStringList &entries) {
            gone = !library.isNull() && !entries.contains(library);
            return !gone && change(entries);
        },
        &error);
    if (gone)
        platform::services().message(
            QStringLiteral("Seznam knihoven se mezitím změnil na disku (jiným programem nebo na "
                           "jiném počítači): knihovna „%1“ v něm už není.")
                .arg(library));
    else if (result == store::ListEdit::Failed && !quiet)
        platform::services().error(error);
    return result;
}

bool THLAVNI::listIsIntact()
{
    QString error;
    if (!store::hidesDataAfterNul(store::DbPath::listFile(), &error))
        return true;
    platform::services().error(error);
    return false;
}

void THLAVNI::PridatClick()
{
    if (!listIsIntact())
        return;
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Zadej název databáze...");
    dialog.filter = QStringLiteral("Vtipy (*.vtp)|*.vtp");
    dialog.folder = QFileInfo(store::resolvePath(QStringLiteral("DataBase"))).absoluteFilePath();
    dialog.fileName = QStringLiteral("*.vtp");
    dialog.mustExist = true;
    const platform::FileChoice choice = platform::services().openFile(this, dialog);
    if (!choice.accepted())
        return;
    QString error;
    const std::optional<QStringList> lines = store::readExternalList(choice.fileName, &error);
    if (!lines) {
        platform::services().error(error);
        return;
    }
    Odloz = *lines;
    const QString name = Odloz.isEmpty() ? QStringLiteral("") : Odloz.first();
    Odloz.clear();
    const int row = Seznam->itemIndex();
    const QString selected = row >= 0 ? Seznam->item(row) : QString();
    changeLibraries(QString(), [&name](QStringList &entries) {
        entries.append(name);
        return true;
    });
    showLibraries(selected, row);
}

void THLAVNI::OdstrClick()
{
    if (!listIsIntact())
        return;
    Odstr->setEnabled(false);
    OdstrU->setEnabled(false);
    Uprav->setEnabled(false);
    setEditText(QString());
    Autor->clear();
    PopisText->clear();
    PocPod->clear();
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    const QString name = Seznam->item(row);
    changeLibraries(name, [&](QStringList &entries) {
        entries.removeAt(store::entryRow(entries, name, row));
        return true;
    });
    showLibraries(QString(), -1);
}

void THLAVNI::OdstrUClick()
{
    if (!listIsIntact())
        return;
    const QString library = Edit->text();
    const QString failed = QStringLiteral("Nepodařilo se vymazat!!!");
    // An empty or refused name would point at the database itself or outside
    // it, and a folder that is a link anywhere: nothing is touched.
    const store::DbPath folder = store::DbPath::libraryFolder(library);
    const std::optional<QStringList> contents = store::folderEntries(folder);
    if (!contents) {
        platform::services().message(failed);
        return;
    }
    // The folder's contents go to the trash; an empty folder is no error.
    QString error;
    if (!contents->isEmpty() && !platform::services().moveToTrash(*contents, &error)) {
        platform::services().message(failed);
        return;
    }
    const QString infoFailed = QStringLiteral("Nepodařilo se vymazat informační soubory...");
    for (const char *extension : {".da1", ".da2", ".da3", ".ico", ".vtp"}) {
        if (!store::deleteFile(
                store::DbPath::libraryFile(library, QString::fromLatin1(extension)))) {
            platform::services().message(infoFailed);
            return;
        }
    }
    if (!store::removeFolder(folder)) {
        platform::services().message(infoFailed);
        return;
    }
    platform::services().message(QStringLiteral("Vymazáno!!!"));
    // The list leaves the library whose files are gone: after a sort the
    // selected row can hold another name than the name box.
    if (Seznam->itemIndex() < 0 || Seznam->item(Seznam->itemIndex()) != library) {
        const QStringList names = Seznam->items();
        Seznam->setItemIndex(int(names.indexOf(library)));
    }
    OdstrClick();
}

void THLAVNI::moveSelected(int by)
{
    const int row = Seznam->itemIndex();
    if (row < 0 || row + by < 0 || row + by >= Seznam->count() || !listIsIntact())
        return;
    const QString name = Seznam->item(row);
    int moved = row;
    // A failure to write is not reported; the list shows the move all the
    // same, and the next command writes it.
    changeLibraries(
        name,
        [&](QStringList &entries) {
            const int at = store::entryRow(entries, name, row);
            if (at + by < 0 || at + by >= entries.size())
                return false; // at the end of the list as it is now
            entries.move(at, at + by);
            moved = at + by;
            return true;
        },
        true);
    showLibraries(name, moved);
}

void THLAVNI::PrNahClick()
{
    moveSelected(-1);
}

void THLAVNI::PrDolClick()
{
    moveSelected(+1);
}

void THLAVNI::SetritClick()
{
    SetriditO->Execute(QStringLiteral("Setřídění se zruší vaše vlastní uspořádání!!!"),
                       QStringLiteral("Varování"), TZpravy::Kind::Warning,
                       TZpravy::OK | TZpravy::Cancel);
}

void THLAVNI::SetriditOOK()
{
    if (!listIsIntact())
        return;
    const int row = Seznam->itemIndex();
    // The user's language decides the order; a system that names none (the
    // C and POSIX locales) gets Czech, the language of the program.
    QLocale locale;
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        locale = QLocale(QLocale::Czech, QLocale::Czechia);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    changeLibraries(QString(), [&collator](QStringList &names) {
        std::stable_sort(
            names.begin(), names.end(),
            [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        return true;
    });
    // The selection stays at its place, which may now hold another name.
    Seznam->showItems(m_libraries.entries, row);
}

void THLAVNI::SetriditOCancel()
{}

QString THLAVNI::selectedLibrary() const
{
    return Edit->text();
}

void THLAVNI::reloadLibraries()
{
    QString error;
    if (!loadLibraries(&error)) {
        platform::services().error(error);
        return;
    }
    Seznam->setItems(m_libraries.entries);
}
