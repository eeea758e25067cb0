#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

// The find window: selects a joke of the main window's list by its full name.
// It stays open beside the main window until the user closes it.
class Tlook : public QDialog
{
    Q_OBJECT
public:
    explicit Tlook(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *text;
    QPushButton *BitBtn1;
    QAction *Hledej;

    void BitBtn1Click();
    // Enter runs the search; true when the key was used.
    bool textKeyDown(int key, Qt::KeyboardModifiers shift);
    // Selects the first name of the main window's list that equals the text,
    // ignoring letter case, without showing it; reports a name not found.
    void HledejExecute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
