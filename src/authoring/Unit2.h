#pragma once

#include "JokeListOwner.h"
#include "store/files.h"

#include <QDialog>

#include <memory>

class AuthoringHost;
class CopyAnimation;
class JokeEditor;
class JokeList;
class JokeSizeBox;
class ListBox;
class PictureBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTextEdit;
class QTimer;
class QToolBar;
class QToolButton;

// The new-library wizard: the library's data and icon, its edit password, the
// writing of its files, its first jokes, and a last word. Opened modally from
// the main window; every opening starts a new run.
class TFormular : public QDialog, public JokeListOwner
{
    Q_OBJECT
public:
    TFormular(AuthoringHost *host, QWidget *parent = nullptr);
    ~TFormular() override;

    // The pages, in the order the wizard goes through them.
    enum Page : int { PageData, PagePassword, PageCreation, PageJokes, PageFinished };
    // `Stav`: a run is in progress (closing asks first), or it is over.
    enum : unsigned char { StavBezi = 1, StavKonec = 2 };

    // The wizard's own icon of a new library: one 32 × 32 picture in 16
    // colours, as an icon file.
    static QByteArray defaultIconBytes();

    unsigned char Stav = StavBezi;

    QStackedWidget *PageControl1;
    QPushButton *Button1;

    // Library data.
    QWidget *TabSheet1;
    QLineEdit *Nazev;
    QPlainTextEdit *Autor;
    QPlainTextEdit *PocPod;
    QPlainTextEdit *Popis;
    PictureBox *Ikonka;
    QPushButton *Button2;

    // Password.
    QWidget *TabSheet3;
    QLabel *Label5;
    QLabel *Label6;
    QLineEdit *Heslo;
    QLineEdit *Potvrzeni;
    QPushButton *Porov;
    QCheckBox *Skryt;
    QLabel *Label7;

    // Creation.
    QWidget *TabSheet2;
    QLabel *Label8;
    CopyAnimation *Animate1;

    // Jokes.
    QWidget *TabSheet4;
    ListBox *Seznam;
    QLineEdit *Edit;
    QTextEdit *Vtip;
    QPushButton *Button3;
    QPushButton *Button4;
    QToolBar *ToolBar;
    QToolButton *Tucne;
    QToolButton *Kurziva;
    QToolButton *podtrh;
    QToolButton *SpeedButton1;
    JokeSizeBox *VelikostPisma;
    QToolButton *ToolButton1; // undo
    QToolButton *ToolButton2; // redo
    // The words and characters of the open joke, on the jokes page.
    QLabel *Pocty;

    // Finished.
    QWidget *TabSheet5;
    QLabel *Napoveda;

    // Starts the writing of the library a while after its page is shown.
    QTimer *Timer1;

    // The icon the new library gets: the one loaded last, or the built-in one.
    const store::Icon &icon() const { return m_icon; }

    // The library being created and its joke list, for the joke name prompt.
    JokeList *jokes() override;

    // Handlers.
    void Button1Click();
    void Button2Click();
    void PorovClick();
    void SkrytClick();
    void Timer1Timer();
    void Button3Click();
    void Button4Click();
    void SeznamClick();
    void SeznamEnter();
    void EditChange();
    void TucneClick();
    void KurzivaClick();
    void podtrhClick();
    void SpeedButton1Click();
    void VelikostPismaChange();
    void ToolButton1Click();
    void VtipSelectionChange();
    bool FormCloseQuery();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createDataPage();
    void createPasswordPage();
    void createCreationPage();
    void createJokesPage();
    void createFinishedPage();
    // The state every run starts from.
    void reset();
    // Shows a page and does what entering it does.
    void setPage(int index);
    // Writes the creation step's files; false with the description of the
    // first failure.
    bool writeLibrary(const QString &library, QString *error);
    AuthoringHost *m_host;
    // `Vtip` with its tool bar.
    JokeEditor *m_joke = nullptr;
    // `Seznam` and the new library's list file.
    std::unique_ptr<JokeList> m_jokes;
    store::Icon m_icon;
};
