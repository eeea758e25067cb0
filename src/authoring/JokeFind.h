#pragma once

#include <QDialog>
#include <QList>
#include <QPair>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// Finding and replacing words in the joke of a box: a small window of its own
// over the library editor or the wizard, which opens with Ctrl+F (find) or
// Ctrl+H (replace). The letter case, whole words and diacritics count or not,
// as the user ticks; "Nahradit vše" is one step of undo.
class JokeFind : public QDialog
{
    Q_OBJECT
public:
    explicit JokeFind(QTextEdit *box, QWidget *parent = nullptr);

    QLineEdit *Hledat;   // what to find
    QLineEdit *Nahradit; // what to put in its place
    QCheckBox *VelkaPismena;
    QCheckBox *CelaSlova;
    QCheckBox *Diakritika;
    QPushButton *Dalsi;
    QPushButton *NahraditJeden;
    QPushButton *NahraditVse;
    QLabel *Stav;

    struct Options
    {
        bool matchCase = false;
        bool wholeWords = false;
        bool diacritics = false; // "ž" is not "z"
    };
    // Where `needle` is in `text` (start and length), in order.
    static QList<QPair<int, int>> matches(const QString &text, const QString &needle,
                                          const Options &options);

    // Shows the window over the box, to find or to replace; what is selected
    // in the box (a word or so) is what it finds.
    void showFor(bool replace);
    // Selects the next place after the caret, from the top again after the
    // last; false when there is none.
    bool findNext();
    // Replaces the place selected, when it is one, and finds the next.
    bool replaceOne();
    // Replaces every place in one step of undo; how many.
    int replaceAll();

private:
    Options options() const;
    void say(const QString &text);

    QTextEdit *m_box;
};
