#pragma once

#include <QDialog>
#include <QPointer>

class PictureBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;

// The maintainer's web page and e-mail address, shown in the about box and
// named by the main window's "Publikovat knihovnu...".
extern const QString MaintainerWeb;
extern const QString MaintainerEmail;

// The about box: the program's name and version or the memory figures, and
// the maintainer's addresses, which open the browser or the mail program.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QFrame *Panel1;
    QFrame *PodIkonka;
    PictureBox *ProgramIcon;
    QLabel *Label1;
    QLabel *Version;
    QLabel *Label2;
    QLabel *Vol;
    QLabel *PhysMem;
    QLabel *Pouz;
    QLabel *FreeRes;
    QLabel *Label6;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QPushButton *OKButton;
    QTimer *Timer1;

    // Whether one double-click on the program icon is pending (0 or 1); kept
    // across showings for the whole run.
    unsigned char ProgramIconCount = 0;

    void FormCreate();
    void FormShow();
    // Swaps the version for the memory figures.
    void VersionClick();
    void Timer1Timer();
    // Stops the memory figures; the box may always close.
    bool FormCloseQuery();
    void OKButtonClick();
    void Label3Click();
    void Label5Click();
    // Every second double-click opens the easter-egg dialog.
    void ProgramIconDblClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillMemoryFigures();
    void clicked(QObject *control);

    // The control the left mouse button went down on, for a click.
    QPointer<QObject> m_pressed;
};
