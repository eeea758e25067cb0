#pragma once

#include <QDialog>
#include <QStringList>

class AuthoringHost;
class PictureBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The password gate in front of the library editor: it asks for the
// library's edit password and opens the editor on the library when the
// password matches. A library without a password opens at once, and the gate
// is never seen.
class TUpravit : public QDialog
{
    Q_OBJECT
public:
    TUpravit(AuthoringHost *host, QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *Heslo;
    QPushButton *Button1; // "OK"
    PictureBox *Image1;
    PictureBox *Image2;

    // The lines of the password file as read last.
    QStringList Odloz;

    // Opens the gate on the library named in the main window, modally.
    int exec() override;

    // Reads the password file; without a password it opens the editor and
    // returns false (the gate then closes without having been shown).
    // Otherwise returns true: the gate waits for a password.
    bool FormShow();
    // One password attempt ("OK", or Enter in the password box).
    void Button1Click();
    // Returns true when it handled the key.
    bool HesloKeyDown(const QKeyEvent *event);
    // Every closing: the typed password is forgotten.
    bool FormCloseQuery();

    // Prepares the editor for the library named in the main window: its
    // joke list loaded, no joke open. False when the joke list cannot be
    // read (reported).
    bool prepareEditor();

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The first line of the password file into `password`; reports a
    // failure.
    bool readPassword(QString *password);
    // Prepares the editor and shows it modally; false when it could not be
    // prepared.
    bool openEditor();

    AuthoringHost *m_host;
};
