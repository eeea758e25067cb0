#pragma once

#include <QDialog>

class JokeListOwner;
class QLabel;
class QLineEdit;
class QPushButton;

// The small dialog that asks for a new joke's name and appends it to the joke
// list of the window that opened it, writing the library's list file at once.
// The wizard and the library editor each have their own copy, which differ in
// the window they serve, in the order of their buttons and in their size.
class JokeNamePrompt : public QDialog
{
    Q_OBJECT
public:
    QLabel *Label1;
    QLineEdit *JmenoVtipu;
    QPushButton *Button2; // "OK"
    QPushButton *Button1; // "Storno"

    // "OK", and Enter in the name box.
    void Button2Click();
    // "Storno".
    void Button1Click();

protected:
    enum class TabOrder { StornoFirst, OkFirst };

    JokeNamePrompt(const QString &name, const QSize &clientSize, TabOrder order, QWidget *parent);

    // The window whose list the new name goes to.
    virtual JokeListOwner *owner() const = 0;

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
