#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QTextBlock;
class QTextDocument;
class QTextEdit;

// Underlines the misspelt words of a box as the user types (a red wave, as
// every editor draws it), by the formats of the text's layout: nothing of it
// goes into the document, its undo history or its file. A paragraph that
// changes is looked at again at once; the whole text, after it is loaded, a
// slice at a time, so that a big joke never holds the window.
class SpellMarker : public QObject
{
    Q_OBJECT
public:
    explicit SpellMarker(QTextEdit *box);

    // The box shows another text: everything is looked at anew.
    void restart();
    // The word of the box at `position` when it is misspelt, with where it
    // starts; empty when the word is fine (or spell checking is off).
    QString misspeltAt(int position, int *start = nullptr) const;
    // Whether the whole text has been looked at since the last restart().
    bool done() const { return !m_pass.isActive(); }

private:
    void follow(QTextDocument *doc);
    void contentsChange(int position, int removed, int added);
    void mark(const QTextBlock &block);
    void step();

    QTextEdit *m_box;
    QPointer<QTextDocument> m_doc;
    QTimer m_pass;
    int m_next = 0; // the number of the next block of the pass
    bool m_marking = false;
};
