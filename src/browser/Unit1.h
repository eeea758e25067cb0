#pragma once

#include "authoring/Host.h"
#include "store/paths.h"

#include <QFont>
#include <QIcon>
#include <QMainWindow>
#include <QStringList>

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
class THLAVNI : public QMainWindow, public AuthoringHost
{
    Q_OBJECT
public:
    // `programFolder` is the folder the program runs from; empty means the
    // folder of the executable.
    explicit THLAVNI(const QString &programFolder = QString(), QWidget *parent = nullptr);
    ~THLAVNI() override;

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
    QAction *KopVtip;
    QAction *Konec1;
    QMenu *Databze1;
    QAction *Vytvor;
    QAction *Uprav;
    QAction *Pridat;
    QAction *OdstrU;
    QAction *Odstr;
    QAction *Najit;
    QMenu *Internet1;
    QAction *Sthnoutvtipy1;
    QAction *Publikovatknihovnu1;
    QAction *Setrit;
    QMenu *Presun;
    QAction *PrNah;
    QAction *PrDol;
    QAction *celkovy;
    QMenu *Nastaven1;
    QAction *Psmo1;
    QAction *Tiskrny1;
    QMenu *Obrzekpozad1;
    QAction *Obrzek1;
    QAction *Roz;
    QAction *Centr;
    QMenu *Npovda1;
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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls(QWidget *client);
    void createMenus();
    void createPopupMenus();
    void applySettings();
    void openLibrary();
    void closeLibrary();
    // Puts `text` into `Edit`; `EditChange` runs when that changes the text.
    void setEditText(const QString &text);
    // Loads a rich-text box from a file; false when the file cannot be read.
    bool loadRichBox(QTextEdit *box, const store::DbPath &path);
    void toggle(QAction *item, QWidget *button);
    // Writes the list of libraries; false (reported unless `quiet`) on failure.
    bool saveList(bool quiet = false);
    void moveSelected(int by);
    // Puts the selected part of the joke view, or all of it, on the clipboard.
    void copyJoke(bool whole);

    QString m_programFolder;
    // The library open in joke mode.
    QString m_openLibrary;
    // The filter of the joke save dialog chosen last: 1 RTF, 2 text.
    int m_saveFilter = 2;
};
