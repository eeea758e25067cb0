#pragma once

#include <QDialog>

class AuthoringHost;
class ListBox;
class QLabel;
class QPushButton;

// The dialog that moves the joke selected in the library editor to any place
// of the library's list: each click in its copy of the list moves the joke
// there as a preview, and "Přesunout" gives the editor's list that order and
// writes it.
class TPresunOkno : public QDialog
{
    Q_OBJECT
public:
    TPresunOkno(AuthoringHost *host, QWidget *parent = nullptr);

    ListBox *Seznam;
    QLabel *Napoveda;
    QLabel *Label1;
    QLabel *Vtip;
    QPushButton *BitBtn1; // "Přesunout"
    QPushButton *BitBtn2; // "Zavřít"

    // The place of the moved joke in the dialog's list.
    int PoziceVtipu = 0;

    // Opens the dialog on the joke selected in the editor, modally; without
    // a selected joke it only beeps.
    int exec() override;

    // Fills the dialog; false (after a beep) when no joke is selected.
    bool FormShow();
    // The preview: the joke moves to the clicked row.
    void SeznamClick(int row);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    AuthoringHost *m_host;
};
