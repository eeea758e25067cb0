#pragma once

#include "authoring/Host.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/rtfreader.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ListBox;
class PictureBox;
class TBLabel;
class TZpravy;
class QAction;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRubberBand;
class QTextEdit;
class QTimer;
class QToolButton;

// The browsing mode of the main window's list.
enum : unsigned char { RezimNone = 0, RezimKnihovny = 1, RezimVtipy = 2 };

// Program-wide state, one instance for the whole run.
extern unsigned char Rezim;
// The folder of the program file, ending in a separator; the working
// directory after start-up.
extern QString SlozkaProgramu;
// Double-clicks on the library icon since the last reset.
extern unsigned char IkonkaCount;

// The main window: the list of libraries or of one library's jokes, the
// description panel, the joke view and the menus.
//
// The window follows the files, which other programs change too (a sync
// tool, the program on another computer): what it shows is read anew when its
// file changes on disk, and each list command is made to the list as the file
// holds it at that moment.
class THledani;
namespace store {
class DatabaseLock;
class FolderWatcher;
struct ConflictCopy;
} // namespace store

class THLAVNI : public QMainWindow, public AuthoringHost
{
    Q_OBJECT
public:
    // `programFolder` is the folder the program runs from; empty means the
    // folder of the executable.
    explicit THLAVNI(const QString &programFolder = QString(), QWidget *parent = nullptr);
    ~THLAVNI() override;

    // The database is open in another window of the program, and the user
    // chose to only read it: nothing is written.
    bool readOnly() const { return m_readOnly; }
    // The database is open in another window, and the user chose to quit.
    bool quitAtOnce() const { return m_quitAtOnce; }

    // The icon the window is created with.
    static QIcon programIcon();

    // Controls, in the order of the window.
    PictureBox *Pozadi;
    ListBox *Seznam;
    QLineEdit *Edit;
    QPushButton *Tlac;
    QGroupBox *Popis;
    QTextEdit *PopisText;
    QLabel *Label1;
    QTextEdit *PocPod;
    QLabel *Label2;
    QTextEdit *Autor;
    PictureBox *Ikonka;
    QTextEdit *Vtip;
    QFrame *Panel;
    QToolButton *RychUloz;
    QToolButton *RychTisk;
    QToolButton *VtipCopy;
    QToolButton *RychPismo;
    TBLabel *napoveda;
    QTextEdit *Uloz;

    // Main menu.
    QMenu *SaveVtip;
    QAction *UlozVtip;
    QAction *Tisk;
    QAction *NahledTisku;
    QAction *KopVtip;
    QAction *Konec1;
    QMenu *Databze1;
    QAction *Vytvor;
    QAction *Uprav;
    QAction *Pridat;
    QAction *OdstrU;
    QAction *Odstr;
    QAction *Najit;
    QAction *HledatVText;
    QMenu *Internet1;
    QAction *Sthnoutvtipy1;
    QAction *Publikovatknihovnu1;
    QAction *Setrit;
    QMenu *Presun;
    QAction *PrNah;
    QAction *PrDol;
    QAction *celkovy;
    // A library as one file to send or carry, and back; libraries as a book.
    QAction *Importovat;
    QAction *Exportovat;
    QAction *ExportKniha;
    QAction *TiskKnihovny;
    // The program folders opened last, and another one to choose.
    QMenu *Nedavne;
    QMenu *Nastaven1;
    QAction *Psmo1;
    QAction *Tiskrny1;
    QMenu *Obrzekpozad1;
    QAction *Obrzek1;
    QAction *Roz;
    QAction *Centr;
    QMenu *Npovda1;
    QAction *Prirucka;
    QAction *Oaplikaci1;

    // The quick panel's pop-up menu.
    QMenu *PanelMenu;
    QAction *UlozZobr;
    QAction *ZobTisk;
    QAction *ZobCopyVtip;
    QAction *ZobPismo;
    QAction *Odemk;

    // The joke view's pop-up menu.
    QMenu *MenuVtipu;
    QAction *Koprovatdoschrnky1;
    QAction *Vytisknout1;
    QAction *Uloitjako1;

    // Actions bound to no menu item.
    QAction *Egg;
    QAction *OtevriAkce;

    QTimer *Pocitej;
    TZpravy *SetriditO;

    // State kept by the window.
    QString Soubor;
    QString Kategorie;
    QString PredOdchod;
    QStringList Nastaveni;
    QStringList Odloz;
    // The font the font dialog starts with.
    QFont FontDialogFont;

    // What the start finds for the user to decide on, once the window is
    // shown: text typed into a joke and not saved when the program last
    // ended, and libraries listed only in a copy of the list that a sync
    // tool left.
    void checkAfterStart();
    // Brings what the window shows in line with the files after a change on
    // disk (the window's watcher calls it with the files that changed).
    void followDisk(const QStringList &paths, bool everything);
    // Ends the program without questions, as the system asks at a logout
    // (SIGTERM, SIGHUP, SIGINT): typing not saved yet is saved where that
    // replaces nothing unseen and kept for recovery otherwise, the settings
    // are saved and the lock goes.
    void endWithoutQuestions();
    // Leaves the folder for another one, as closing the window does but
    // without the question: the settings are saved and the lock goes.
    void leaveFolder();
    // The program folder the window works on.
    QString programFolder() const { return m_programFolder; }

    // What the authoring windows use.
    QString selectedLibrary() const override;
    void reloadLibraries() override;
    void showDescription(const QString &description, const QString &count,
                         const QString &author) override;

    // Handlers.
    void FormCreate();
    void OtevriAkceExecute();
    void TlacClick();
    void SeznamKeyDown(QKeyEvent *event);
    void SeznamClick();
    void EditChange();
    void Konec1Click();
    bool FormCloseQuery();
    // Writes the settings of the window when they differ from the file's.
    bool saveSettings(QString *error);
    void fillRecentFolders();
    void Obrzek1Click();
    void RozClick();
    void CentrClick();
    void UlozZobrClick();
    void ZobTiskClick();
    void ZobCopyVtipClick();
    void ZobPismoClick();
    void PridatClick();
    void OdstrClick();
    void OdstrUClick();
    void PrNahClick();
    void PrDolClick();
    void SetritClick();
    void SetriditOOK();
    void SetriditOCancel();
    void UlozVtipClick();
    void RychTiskClick();
    void Tiskrny1Click();
    void VtipCopyClick();
    void Koprovatdoschrnky1Click();
    void KopVtipClick();
    void Psmo1Click();

    // Totals over all libraries: the walk steps through the list, one library
    // per tick of `Pocitej`, and ends in the totals window.
    void celkovyClick();
    void PocitejTimer();
    // Whether a totals walk is running.
    bool walking() const { return m_walking; }
    // How long after a library opened the copies a sync tool left in it are
    // offered.
    static constexpr int kOffersAfterMs = 50;
    // The find window, the about box, the internet commands and the eggs.
    void NajitClick();
    // The window that searches the words of every joke.
    void HledatVTextClick();
    THledani *textSearch() const { return m_textSearch; }
    // Opens the library (closing the one open) and selects and shows its joke
    // as a click in the list would; false with the reason when the library
    // or the joke is not in the list, or the window is busy.
    bool showFoundJoke(const QString &library, const QString &joke, QString *why);
    void Oaplikaci1Click();
    void Sthnoutvtipy1Click();
    void Publikovatknihovnu1Click();
    // Libraries that travel: a library as a zip file and back, a book of one
    // library or of all of them, and the print preview.
    void ImportovatClick();
    void ExportovatClick();
    void ExportKnihaClick();
    void TiskKnihovnyClick();
    void NahledTiskuClick();
    // Offers to import a library file the program was handed (from the file
    // manager, or dropped on the window); imports it when the user agrees.
    void offerImport(const QString &file);
    // Imports a library file and lists the library; the user is asked for
    // another name when the library's name is taken.
    bool importLibraryFile(const QString &file);
    void IkonkaDblClick();
    // Unlocks the quick panel so that it can be dragged out into a window of
    // its own, or locks it back in its place.
    void EggExecute();
    void OdemkClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    // A library file dropped on the window is imported.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Takes the lock of the database; false when the program is to end.
    bool lockDatabase();
    // Only reads the database from now on.
    void becomeReadOnly();
    // False, after saying so, when the list file hides entries after a NUL
    // byte: no command rewrites it then.
    bool listIsIntact();
    void createControls(QWidget *client);
    void createMenus();
    void createPopupMenus();
    void applySettings();
    void openLibrary();
    void closeLibrary();
    // Names the list and the name box for a screen reader after the mode.
    void nameForMode();
    // Puts `text` into `Edit`; `EditChange` runs when that changes the text.
    void setEditText(const QString &text);
    // Loads a rich-text box from a file; false when the file cannot be read.
    bool loadRichBox(QTextEdit *box, const store::DbPath &path);
    // The description panel for a library, up to the first file that cannot
    // be loaded; false when one cannot.
    bool loadDescription(const QString &library);
    // Reads the joke into the joke view; false when it cannot be read.
    bool showJoke(const store::DbPath &joke);
    // Empties the joke view: no joke is shown.
    void emptyJoke();
    // A big joke is shown from its start while the rest is read a little at
    // a time between the window's other work; this reads the rest at once,
    // for whatever needs the whole joke.
    void finishJoke();
    QTextDocument *newJokeDocument();
    void replaceJokeDocument(QTextDocument *fresh);
    void dropJokeLoad();
    void takeWholeJoke();
    // The commands that put the shown joke out (save, print, copy): only
    // while a joke is really shown.
    void enableJokeOutput(bool on);
    void toggle(QAction *item, QWidget *button);
    // Reads the list of libraries; false with the reason.
    bool loadLibraries(QString *error);
    // Shows the list of libraries with `selected` (at about `row`) selected.
    void showLibraries(const QString &selected, int row);
    // One change of the user's to the list of libraries, made to the list as
    // its file holds it now and shown; `library` is the library it is about
    // (said when it is gone from the list). Failures are reported unless
    // `quiet`. Returns what came of it.
    store::ListEdit changeLibraries(const QString &library,
                                    const std::function<bool(QStringList &)> &change,
                                    bool quiet = false);
    void moveSelected(int by);
    // Offers to take in the copies of a library's jokes and joke list that a
    // sync tool left; none is deleted.
    void offerConflictCopies(const QString &library,
                             const std::vector<store::ConflictCopy> &copies);
    // Offers the typing kept for recovery, joke by joke.
    void offerRecovered();
    // The library the travel commands are about: the open one, or the one
    // selected in the list; empty (after saying so) when none.
    QString libraryToTake();
    // The libraries of a book or its print: the one at hand, or every one,
    // as the user chooses; none when the user cancels.
    QStringList libraryBook();
    void bindTravel();
    // Puts the selected part of the joke view, or all of it, on the clipboard.
    void copyJoke(bool whole);
    // Binds the totals, the find window, the about box and the eggs.
    void bindExtras();
    // Stops the walk's ticks while its step shows a message.
    void holdWalk();
    void finishWalk();
    // Disables the commands that would change the list or the mode under a
    // walk, or gives them back the state they had.
    void lockForWalk(bool lock);
    // The quick panel taken out of the window, at `topLeft` on the screen;
    // back in its place.
    void floatPanel(const QPoint &topLeft);
    void dockPanel();
    void dropPanel(const QPoint &topLeft);
    // Opens the web or e-mail address of a link of the joke view that the
    // user clicked; the pointer is a hand over one.
    bool followLink(QWidget *viewport, QEvent *event);

    QString m_programFolder;
    // Held while this window may write the database.
    std::unique_ptr<store::DatabaseLock> m_lock;
    // The list of libraries, as the list file held it when read or written
    // last: what `Seznam` shows in library mode.
    store::ListCopy m_libraries;
    // The open library's joke list, in joke mode.
    store::ListCopy m_jokes;
    // The joke shown in the view, and the version of its file; no joke when
    // its file could not be read.
    bool m_jokeShown = false;
    store::FileVersion m_shownVersion;
    // A big joke being read whole while its start is shown, and what reads
    // on.
    std::unique_ptr<store::RtfDocumentLoad> m_jokeLoad;
    QPointer<QTextDocument> m_wholeJoke;
    QTimer *m_jokeLoading = nullptr;
    // Tells of changes of the database's files.
    store::FolderWatcher *m_watcher = nullptr;
    // A change on disk came while the totals walk went through the list.
    bool m_followPending = false;
    // The copies of a sync tool the user let be, not offered again.
    QSet<QString> m_conflictsLetBe;
    // The library whose count the description panel loaded last; empty when
    // its last load did not get that far.
    QString m_countShownFor;
    bool m_readOnly = false;
    bool m_quitAtOnce = false;
    // The window's icons, each made once and set again at every opening and
    // closing: the platform window asks a new icon for its pixmaps, and Qt's
    // pixmap cache keeps them under that icon's key long after it is gone.
    QIcon m_programIcon;
    // The icon of the library opened last, and the picture it was made from.
    QIcon m_libraryIcon;
    QImage m_libraryPicture;
    // The library open in joke mode.
    QString m_openLibrary;
    THledani *m_textSearch = nullptr;
    QString m_linkPressed; // the link the mouse went down on in the joke view
    // The filter of the joke save dialog chosen last: 1 RTF, 2 text.
    int m_saveFilter = 2;

    // The totals walk.
    bool m_walking = false;
    // A step is running (and may be waiting for the user in a message box).
    bool m_walkStepRunning = false;
    // The selection before the walk (-1: none).
    int m_walkSelection = -1;
    // The position of the last name of the list.
    int m_walkLast = -1;
    // The position visited last (-1: none yet).
    int m_walkPosition = -1;
    qint64 m_walkTotal = 0;
    int m_walkLibraries = 0;
    QList<QPair<QAction *, bool>> m_walkLocked;
    bool m_walkTlacEnabled = true;

    // Dragging the unlocked quick panel: where the mouse took it, in the
    // panel; its place in the window.
    QPoint m_panelGrab;
    QPoint m_panelHome;
    bool m_panelPressed = false;
    bool m_panelDragging = false;
    QRubberBand *m_panelFrame = nullptr;
};
