// The main window's start: the program's folder, the lock of the database, the
// background, the list and the settings; and what the start finds for the user
// to decide on once the window is shown.

#include "Unit1.h"

#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "platform/platform.h"
#include "store/conflicts.h"
#include "store/databaselock.h"
#include "store/files.h"
#include "store/recovery.h"
#include "store/settings.h"
#include "store/watcher.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextEdit>
#include <QToolButton>

#include <memory>
#include <optional>
#include <utility>

void THLAVNI::FormCreate()
{
    // 1. The program's folder becomes the working directory.
    QString folder = m_programFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    SlozkaProgramu = QDir::toNativeSeparators(QDir(folder).absolutePath());
    if (!SlozkaProgramu.endsWith(QDir::separator()))
        SlozkaProgramu += QDir::separator();
    if (!QDir::setCurrent(folder)) {
        platform::services().error(
            QStringLiteral("Složka programu „%1“ nelze otevřít.").arg(SlozkaProgramu));
        return;
    }
    // One window of the program writes the database at a time: a second one
    // on the same folder may only read it, or not start.
    if (!lockDatabase())
        return;
    // What other programs change in the database is followed from now on.
    m_watcher = new store::FolderWatcher(this);
    connect(m_watcher, &store::FolderWatcher::changed, this,
            [this](const QStringList &paths, bool everything) { followDisk(paths, everything); });
    m_watcher->watch(store::resolvePath(QStringLiteral("DataBase")));
    // 2.
    IkonkaCount = 0;
    // 3.
    Najit->setEnabled(false);
    // 4. The background picture. A folder without it (a database copied
    // alone) and one whose settings cannot be read go on without them, on
    // the window's plain ground and with the settings the window starts
    // with; both are said in one message at the end.
    QString error;
    QStringList problems;
    if (const std::optional<QImage> background = store::readBackground(&error))
        Pozadi->setImage(*background);
    else
        problems << error + QStringLiteral(" Okno bude bez obrázku pozadí.");
    // 5.
    Rezim = RezimKnihovny;
    // 6. The list of libraries.
    if (!loadLibraries(&error)) {
        problems << error;
        platform::services().error(problems.join(u'\n'));
        return;
    }
    Seznam->setItems(m_libraries.entries);
    // 7.
    FontDialogFont = Vtip->font();
    // 8. The settings.
    if (const std::optional<QStringList> settings =
            store::readList(store::settingsFile(), &error)) {
        Nastaveni = *settings;
        applySettings();
    } else {
        problems << error + QStringLiteral(" Platí výchozí nastavení.");
    }
    if (!problems.isEmpty())
        platform::services().error(problems.join(u'\n'));
}

bool THLAVNI::lockDatabase()
{
    m_lock = std::make_unique<store::DatabaseLock>();
    m_readOnly = false;
    store::setReadOnly(false);
    using Status = store::DatabaseLock::Status;
    const Status status = m_lock->take();
    // A lock left behind tells of a program that did not end: what its saves
    // cut short left goes. (A program that ends removes its lock, so an
    // ordinary start need not look through every library's folder.)
    if (status == Status::Taken) {
        if (m_lock->leftBehind())
            store::removeLeftovers();
        return true;
    }
    const store::DatabaseLock::Holder &holder = m_lock->holder();
    const QString since = holder.since.isValid()
                              ? QStringLiteral(" (od %1)").arg(store::czechDateTime(holder.since))
                              : QString();
    if (status == Status::HeldHere) {
        // Two windows of this computer never both write.
        const platform::Button answer = platform::services().messageBox(
            platform::applicationTitle(),
            QStringLiteral("Databáze je právě otevřená v jiném okně programu Chichotek%1.\n\n"
                           "Chcete ji otevřít jen pro čtení? Změny pak nebude možné ukládat. "
                           "Jinak se program ukončí.")
                .arg(since),
            platform::MessageKind::Warning, platform::Yes | platform::No);
        if (answer != platform::Yes) {
            m_quitAtOnce = true;
            return false;
        }
        becomeReadOnly();
        return true;
    }
    const QString text =
        status == Status::HeldElsewhere
            ? QStringLiteral("Databázi má otevřenou program Chichotek na počítači „%1“%2.\n\n"
                             "Pokud tam už neběží (spadl, nebo byl počítač vypnut), můžete ji "
                             "otevřít i pro úpravy. Jinak ji otevřete jen pro čtení, aby si "
                             "změny obou počítačů nepřekážely.")
                  .arg(holder.host, since)
            : QStringLiteral("Zámek databáze (soubor „chichotek.lock“) je prázdný nebo "
                             "poškozený%1, nejspíš proto, že program skončil dřív, než ho stihl "
                             "zapsat.\n\nPokud databázi nemá otevřenou program na jiném "
                             "počítači, můžete ji otevřít i pro úpravy.")
                  .arg(since);
    switch (
        platform::services().choose(text,
                                    {QStringLiteral("Otevřít pro úpravy"),
                                     QStringLiteral("Jen pro čtení"), QStringLiteral("Ukončit")},
                                    platform::MessageKind::Warning)) {
    case 0:
        m_lock->takeOver();
        store::removeLeftovers();
        return true;
    case 1:
        becomeReadOnly();
        return true;
    default:
        m_quitAtOnce = true;
        return false;
    }
}

void THLAVNI::becomeReadOnly()
{
    // The lock is another's: this window lets its own go and writes nothing.
    m_lock->release();
    m_readOnly = true;
    store::setReadOnly(true);
    setWindowTitle(windowTitle() + QStringLiteral(" (jen pro čtení)"));
    // Every command that writes stays disabled, whatever enables it later.
    for (QAction *writer : {Vytvor, Uprav, Pridat, Importovat, OdstrU, Odstr, Sthnoutvtipy1, Setrit,
                            PrNah, PrDol, Obrzek1}) {
        writer->setEnabled(false);
        connect(writer, &QAction::changed, this, [writer] {
            if (writer->isEnabled())
                writer->setEnabled(false);
        });
    }
}

void THLAVNI::applySettings()
{
    if (store::settingsLineIsOff(Nastaveni, store::StretchBackground)) {
        Roz->setChecked(false);
        Pozadi->setStretch(false);
    }
    if (store::settingsLineIsOff(Nastaveni, store::CentreBackground)) {
        Pozadi->setCenter(false);
        Centr->setChecked(false);
    }
    const std::pair<QAction *, QWidget *> buttons[] = {
        {UlozZobr, RychUloz}, {ZobTisk, RychTisk}, {ZobCopyVtip, VtipCopy}, {ZobPismo, RychPismo}};
    for (int i = 0; i < 4; ++i) {
        if (store::settingsLineIsOff(Nastaveni, store::ShowSaveButton + i)) {
            buttons[i].first->setChecked(false);
            buttons[i].second->hide();
        }
    }
}

void THLAVNI::checkAfterStart()
{
    if (m_readOnly || Rezim != RezimKnihovny)
        return;
    offerRecovered();
    // Libraries that only a sync tool's copy of the list names.
    for (const store::ConflictCopy &copy : store::conflictCopies(store::DbPath::databaseFolder())) {
        if (copy.original.compare(QStringLiteral("seznam.dat"), Qt::CaseInsensitive) != 0 ||
            m_conflictsLetBe.contains(copy.fileName))
            continue;
        const std::optional<QStringList> listed =
            store::readList(store::DbPath::databaseFile(copy.fileName));
        QStringList missing;
        for (const QString &library : listed.value_or(QStringList())) {
            if (!m_libraries.entries.contains(library) && !missing.contains(library) &&
                store::DbPath::libraryFolder(library).isValid() &&
                store::isFolder(store::DbPath::libraryFolder(library)))
                missing << library;
        }
        if (missing.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("Synchronizační program nechal ve složce DataBase kopii seznamu "
                           "knihoven („%1“), protože se seznam změnil na dvou počítačích "
                           "zároveň. Jsou v ní knihovny, které v seznamu nejsou: %2.\n\n"
                           "Přidat je do seznamu? (Kopie zůstane, kde je.)")
                .arg(copy.fileName, missing.join(QStringLiteral(", "))),
            {QStringLiteral("Přidat do seznamu"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(copy.fileName);
            continue;
        }
        changeLibraries(QString(), [&missing](QStringList &entries) {
            return store::appendMissing(entries, missing);
        });
        showLibraries(QString(), -1);
    }
}

void THLAVNI::offerRecovered()
{
    for (const store::Recovered &kept : store::recoveries(QDir::currentPath())) {
        const QString when = kept.kept.isValid()
                                 ? QStringLiteral(" (%1)").arg(store::czechDateTime(kept.kept))
                                 : QString();
        const int answer = platform::services().choose(
            QStringLiteral("Program minule skončil dřív, než uložil, co jste napsali do vtipu "
                           "„%1“ v knihovně „%2“%3.\n\nChcete ten text obnovit?")
                .arg(kept.joke, kept.library, when),
            {QStringLiteral("Obnovit"), QStringLiteral("Zahodit"), QStringLiteral("Později")});
        if (answer == 2 || answer < 0)
            continue;
        if (answer == 1) {
            store::dropRecovery(kept.programFolder, kept.library, kept.joke);
            continue;
        }
        // The joke takes the text where its file is still what the typing
        // started from; otherwise the text becomes a joke of its own beside it.
        const store::DbPath file = store::DbPath::jokeFile(kept.library, kept.joke);
        store::FileVersion now;
        store::readBytes(file, store::kJokeLimit, nullptr, &now);
        const bool unchanged = now.isUnreadable() ? false
                               : kept.base.isEmpty()
                                   ? now.state() == store::FileVersion::State::Missing
                                   : now.contentHash() == kept.base;
        QString error;
        QString where = kept.joke;
        bool saved = false;
        if (unchanged) {
            saved = store::writeBytes(file, kept.rtf, &error, &now);
        } else {
            const store::DbPath list = store::DbPath::jokeList(kept.library);
            store::ListCopy jokes;
            store::FileVersion none = store::FileVersion::missing();
            saved = store::readList(list, jokes, &error);
            where = saved ? store::freeJokeName(kept.library, jokes.entries, kept.joke,
                                                QStringLiteral("obnovená verze"))
                          : QString();
            saved = saved && !where.isEmpty() &&
                    store::writeBytes(store::DbPath::jokeFile(kept.library, where), kept.rtf,
                                      &error, &none) &&
                    store::editList(
                        list, jokes,
                        [&where](QStringList &entries) {
                            return store::appendMissing(entries, {where});
                        },
                        &error) == store::ListEdit::Written;
        }
        if (!saved) {
            // Kept for the next start.
            platform::services().error(error);
            continue;
        }
        store::dropRecovery(kept.programFolder, kept.library, kept.joke);
        platform::services().message(
            where == kept.joke
                ? QStringLiteral("Text vtipu „%1“ v knihovně „%2“ byl obnoven.")
                      .arg(where, kept.library)
                : QStringLiteral("Vtip „%1“ se mezitím změnil, obnovený text je proto v "
                                 "knihovně „%2“ jako samostatný vtip „%3“.")
                      .arg(kept.joke, kept.library, where));
    }
}
