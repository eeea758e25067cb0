// The main window and the files that change from outside: what it shows is read
// anew, the copies a sync tool left are offered, and the program ends when the
// system asks it to.

#include "Unit1.h"

#include "authoring/JokeEditor.h"
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/conflicts.h"
#include "store/databaselock.h"
#include "store/files.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextEdit>

void THLAVNI::followDisk(const QStringList &paths, bool everything)
{
    // The walk goes through the list as it was: what changed is taken in
    // after it.
    if (m_walking) {
        m_followPending = true;
        return;
    }
    m_followPending = false;
    if (Rezim == RezimKnihovny) {
        const store::DbPath list = store::DbPath::listFile();
        if (store::changedSince(list, m_libraries.version)) {
            const int row = Seznam->itemIndex();
            const QString selected = row >= 0 ? Seznam->item(row) : QString();
            if (loadLibraries(nullptr))
                showLibraries(selected, row);
        }
        // The description of the library in the name box, read anew when one
        // of its files changed; quietly, as nobody asked for it.
        const QString name = Edit->text();
        bool described = everything;
        for (const QString &path : paths) {
            const QString file = QFileInfo(path).fileName();
            described = described || (file.startsWith(name, Qt::CaseInsensitive) &&
                                      file.size() == name.size() + 4);
        }
        if (!name.isEmpty() && described)
            loadDescription(name);
    } else if (Rezim == RezimVtipy) {
        if (store::changedSince(store::DbPath::jokeList(m_openLibrary), m_jokes.version)) {
            const int row = Seznam->itemIndex();
            const QString selected = row >= 0 ? Seznam->item(row) : QString();
            if (store::readList(store::DbPath::jokeList(m_openLibrary), m_jokes))
                Seznam->showItems(m_jokes.entries,
                                  row < 0 ? -1 : store::entryRow(m_jokes.entries, selected, row));
        }
        const store::DbPath joke = store::DbPath::jokeFile(m_openLibrary, Edit->text());
        if (m_jokeShown && store::changedSince(joke, m_shownVersion)) {
            // Shown anew where the user was reading; a joke deleted leaves
            // the view empty.
            const int scrolled = Vtip->verticalScrollBar()->value();
            if (showJoke(joke)) {
                finishJoke();
                Vtip->verticalScrollBar()->setValue(scrolled);
            } else
                emptyJoke();
        }
    }
}

void THLAVNI::offerConflictCopies(const QString &library,
                                  const std::vector<store::ConflictCopy> &copies)
{
    if (m_readOnly)
        return;
    bool changed = false;
    // Jokes that only a sync tool's copy of the joke list names.
    for (const store::ConflictCopy &copy : copies) {
        const QString key = library + u'/' + copy.fileName;
        if (copy.original.compare(QStringLiteral("Vtipy.sez"), Qt::CaseInsensitive) != 0 ||
            m_conflictsLetBe.contains(key))
            continue;
        QStringList missing;
        for (const QString &joke :
             store::readList(store::DbPath::libraryFolderFile(library, copy.fileName))
                 .value_or(QStringList())) {
            if (!m_jokes.entries.contains(joke) && !missing.contains(joke))
                missing << joke;
        }
        if (missing.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("V knihovně „%1“ je kopie seznamu vtipů („%2“), kterou nechal "
                           "synchronizační program, když se seznam změnil na dvou počítačích "
                           "zároveň. Jsou v ní vtipy, které v seznamu nejsou: %3.\n\n"
                           "Přidat je do knihovny? (Kopie zůstane, kde je.)")
                .arg(library, copy.fileName, missing.join(QStringLiteral(", "))),
            {QStringLiteral("Přidat do knihovny"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(key);
            continue;
        }
        QString error;
        if (store::editList(
                store::DbPath::jokeList(library), m_jokes,
                [&missing](QStringList &entries) { return store::appendMissing(entries, missing); },
                &error) == store::ListEdit::Failed)
            platform::services().error(error);
        changed = true;
    }
    // Jokes a sync tool kept in a copy: each may become a joke of its own,
    // under a name that says what it is.
    for (const store::ConflictCopy &copy : copies) {
        const QString key = library + u'/' + copy.fileName;
        if (!copy.original.endsWith(QLatin1String(".vti"), Qt::CaseInsensitive) ||
            m_conflictsLetBe.contains(key))
            continue;
        const QString joke = copy.original.chopped(4);
        const QString name =
            store::freeJokeName(library, m_jokes.entries, joke, QStringLiteral("jiná verze"));
        if (name.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("V knihovně „%1“ je kopie vtipu „%2“ („%3“), kterou nechal "
                           "synchronizační program, když se vtip změnil na dvou počítačích "
                           "zároveň.\n\nPřidat ji do knihovny jako samostatný vtip „%4“?")
                .arg(library, joke, copy.fileName, name),
            {QStringLiteral("Přidat jako vtip"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(key);
            continue;
        }
        QString error;
        if (!store::renameFile(store::DbPath::libraryFolderFile(library, copy.fileName),
                               store::DbPath::jokeFile(library, name), &error) ||
            store::editList(
                store::DbPath::jokeList(library), m_jokes,
                [&name](QStringList &entries) { return store::appendMissing(entries, {name}); },
                &error) == store::ListEdit::Failed)
            platform::services().error(error);
        changed = true;
    }
    if (changed && Rezim == RezimVtipy && m_openLibrary == library)
        Seznam->showItems(m_jokes.entries, -1);
}

void THLAVNI::endWithoutQuestions()
{
    if (!m_readOnly) {
        JokeEditor::saveAllForExit();
        saveSettings(nullptr);
        // Nothing more is written, whatever the windows still do on their way
        // out.
        store::setReadOnly(true);
    }
    if (m_lock)
        m_lock->release();
    QCoreApplication::exit(0);
}
