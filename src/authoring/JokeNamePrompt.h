#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

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

    // Asks for the name of a joke that comes from elsewhere (a file) and
    // whose own name will not do: the prompt opens with `name` in its box and
    // `why` as its caption, and "OK" takes a name only when `problem` finds
    // nothing wrong with it (else the caption says what it found). Returns
    // the name taken; none for "Storno". Nothing goes to the list: the
    // caller adds the joke.
    std::optional<QString> askName(const QString &name, const QString &why,
                                   const std::function<QString(const QString &)> &problem);

protected:
    enum class TabOrder { StornoFirst, OkFirst };

    JokeNamePrompt(const QString &name, const QSize &clientSize, TabOrder order, QWidget *parent);

    // The window whose list the new name goes to.
    virtual JokeListOwner *owner() const = 0;

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows `caption` above the name box, the prompt as large as it needs.
    void showCaption(const QString &caption);

    // While askName() runs.
    bool m_asking = false;
    QString m_proposed;
    QString m_taken;
    std::function<QString(const QString &)> m_problem;
};
