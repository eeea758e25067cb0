#pragma once

#include "JokeListOwner.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/watcher.h"

#include <QDialog>
#include <QRect>
#include <QStringList>

#include <memory>
#include <optional>

class AuthoringHost;
class JokeEditor;
class JokeList;
class JokeSizeBox;
class ListBox;
class PictureBox;
class QAction;
class QFontComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;

// The library editor: the jokes of one library (their list, order and
// texts) on the page "Vtipy", its description, author and icon on the page
// "Informace", and its edit password on the page "Heslo". The password gate
// prepares it for a library and shows it modally.
class TUprava : public QDialog, public JokeListOwner
{
    Q_OBJECT
public:
    TUprava(AuthoringHost *host, QWidget *parent = nullptr);
    ~TUprava() override;

    QTabWidget *PageControl1;
    QWidget *TabSheet4; // "Vtipy"
    QWidget *TabSheet2; // "Informace"
    QWidget *TabSheet1; // "Heslo"

    // Page "Vtipy".
    ListBox *Seznam;
    QLineEdit *Edit;
    QTextEdit *Vtip;
    QPushButton *Button3; // "Přidat..."
    QPushButton *Button4; // "Odebrat"
    // "Přidat ze souborů...": jokes made of files the user picks; files
    // dropped on the list do the same.
    QToolButton *PridatSoubory;
    // The list's pop-up menu: "Přidat..." and "Přidat ze souborů...".
    QMenu *NabidkaSeznamu;
    QAction *Pridat1;
    QAction *PridatSoubory1;
    QFrame *ToolBar;
    QToolButton *Tucne;
    QToolButton *Kurziva;
    QToolButton *podtrh;
    QToolButton *SpeedButton1; // "Barva..."
    JokeSizeBox *VelikostPisma;
    // Made at the first showing: listing the installed families takes a
    // while, too long for the program's start.
    QFontComboBox *FontSeznam = nullptr;
    QToolButton *ToolButton1; // undo
    QToolButton *ToolButton2; // redo
    // The words and characters of the open joke.
    QLabel *Pocty;
    QToolButton *Odrazky;
    QToolButton *ZarL;
    QToolButton *ZarS;
    QToolButton *ZarP;
    QFrame *PolohaBar;
    QToolButton *SpeedButton2; // up
    QToolButton *Presun;       // "Přesunout vtip na..."
    QToolButton *SpeedButton3; // down
    QMenu *Nabidka;
    QAction *Vyjmout1;
    QAction *Koprovat1;
    QAction *Vlozit;
    QAction *Zpet1;
    QAction *Znovu1;

    // Page "Informace".
    QLabel *Label14;
    QPlainTextEdit *Autor;
    QLabel *Label15;
    QPlainTextEdit *PocPod;
    QLabel *Label9;
    QPlainTextEdit *Popis;
    PictureBox *Ikonka;
    QPushButton *Button2; // "Nahrát..."
    QPushButton *Apply;   // "Změnit"

    // Page "Heslo".
    QLabel *Label3;
    QLineEdit *Heslo;
    QLabel *Label4;
    QLineEdit *Potvrzeni;
    QPushButton *Porov; // "Změnit heslo"
    PictureBox *Image1;
    PictureBox *Image3;
    PictureBox *Image2;
    QLabel *Label5;
    QLabel *Label1;
    QLabel *Label2; // the "TIP" command

    // The library being edited, {L}: every path of the editor is built from
    // it. The password gate sets it before each opening.
    QString Nazev;
    // The file of the joke loaded last, the target of every write of `Vtip`;
    // none when no joke has been loaded since the gate opened the editor.
    std::optional<store::DbPath> SouborVtipu;
    // Scratch lines of the password file.
    QStringList Heslo2;

    JokeList *jokes() override;

    // Empties `Vtip`: no text, no undo history, and the editor's own font
    // for the text typed next.
    void clearJokeText();

    // Handlers of the page "Vtipy".
    void FormCreate();
    void FormShow();
    void FormActivate();
    void SeznamClick();
    void EditChange();
    void SeznamEnter();
    bool FormCloseQuery();
    void Button3Click();
    void Button4Click();
    void PridatSouboryClick();
    // Appends a joke made of each file (store/jokeimport.h), named after
    // the file, at the end of the list, as "Přidat..." appends one: the open
    // joke is written first; a name that cannot be a joke's file, or that the
    // library has already, goes to the name prompt, whose "Storno" leaves
    // the file out; the files that cannot be read are left out and named in
    // one message at the end. The jokes' files are written new and the list
    // file once; the first new joke is then selected and opened.
    void addJokesFromFiles(const QStringList &files);
    void Aktualizovat();
    void Image5Click();
    void PresunClick();
    void VtipSelectionChange();
    void TucneClick();
    void KurzivaClick();
    void podtrhClick();
    void SpeedButton1Click();
    void VelikostPismaChange();
    void FontSeznamChange(int index);
    void ToolButton1Click();
    void OdrazkyClick();
    void ZarLClick();
    void ZarSClick();
    void ZarPClick();
    void Vyjmout1Click();
    void Koprovat1Click();
    void VlozitClick();

    // Handlers of the pages "Informace" and "Heslo".
    void TabSheet2Show();
    void Button2Click();
    void ApplyClick();
    void TabSheet1Show();
    void HesloChange();
    void PorovClick();
    void Label2Click();

public slots:
    // Every closing passes here: it runs `FormCloseQuery`, which may keep
    // the window open.
    void done(int result) override;

    // Brings what the window shows in line with the files, which may have
    // changed on disk from outside (the window's watcher calls it): the joke
    // list, the open joke and the information page, each where the user has
    // no changes of their own in it.
    void followDisk();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createJokesPage();
    void createToolBar();
    void createFontBox();
    void createInformationPage();
    void createPasswordPage();
    void pageChanged(int index);

    // The count of jokes into `PocPod` and the count file (written only when
    // it says another number); reports a failure.
    bool updateCount();
    // Writes a memo of the information page to its file when the user
    // changed it; a file changed on disk meanwhile is not replaced without
    // asking. False when it was not written.
    bool writeMemo(QPlainTextEdit *memo, const QString &extension, store::FileVersion &version,
                   QString &read);
    // Moves the selected joke by the list's rules; reports a failure.
    void moveSelected(bool up);
    // What keeps `name` from being a new joke's name (a name no file can
    // have, or a joke the library or `taken` has already, letter case
    // aside); empty when nothing does.
    QString nameProblem(const QString &name, const QStringList &taken) const;
    // The local files of a drag that the list takes, all of them of the kinds
    // jokes are made of; none when it does not take the drag.
    QStringList droppedFiles(const QMimeData *data) const;

    AuthoringHost *m_host;
    QRect m_fontBoxGeometry;
    // `Vtip` with its tool bar.
    JokeEditor *m_joke = nullptr;
    // `Seznam` and the library's list file.
    std::unique_ptr<JokeList> m_jokes;
    // The description and the author as the page read them, and the
    // versions of their files.
    QString m_descriptionRead;
    QString m_authorRead;
    store::FileVersion m_descriptionVersion;
    store::FileVersion m_authorVersion;
    // Tells of changes of the library's files while the window is shown.
    store::FolderWatcher *m_watcher = nullptr;
    // Where the user picked files to add last.
    QString m_filesFolder;
};
