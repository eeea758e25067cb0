#include "SpellMarker.h"

#include "Speller.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace {

// Each misspelt word's place in a paragraph: runs of letters.
template <class Visit> void forEachWord(const QString &text, Visit visit)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool letter = i < text.size() && text[i].isLetter();
        if (letter && start < 0)
            start = i;
        else if (!letter && start >= 0) {
            // A word glued to a digit (a model's name) is no word to check.
            const bool glued =
                (start > 0 && text[start - 1].isDigit()) || (i < text.size() && text[i].isDigit());
            if (!glued)
                visit(int(start), int(i - start));
            start = -1;
        }
    }
}

QTextCharFormat misspelt()
{
    QTextCharFormat f;
    f.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    f.setUnderlineColor(Qt::red);
    return f;
}

// A slice of the pass over a whole text, before the window gets its turn.
constexpr qint64 kSliceNs = 8'000'000;

} // namespace

SpellMarker::SpellMarker(QTextEdit *box) : QObject(box), m_box(box)
{
    m_pass.setInterval(0);
    connect(&m_pass, &QTimer::timeout, this, [this] { step(); });
    connect(&Speller::instance(), &Speller::changed, this, [this] { restart(); });
    follow(box->document());
}

void SpellMarker::follow(QTextDocument *doc)
{
    if (m_doc == doc)
        return;
    if (m_doc)
        disconnect(m_doc, nullptr, this, nullptr);
    m_doc = doc;
    connect(doc, &QTextDocument::contentsChange, this, &SpellMarker::contentsChange);
}

void SpellMarker::restart()
{
    follow(m_box->document());
    m_next = 0;
    m_pass.start();
}

void SpellMarker::contentsChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    if (m_marking)
        return;
    // A paragraph typed into is looked at at once; a great many at once (a
    // paste, a load) are left to the pass.
    QTextBlock block = m_doc->findBlock(position);
    const QTextBlock last = m_doc->findBlock(position + added);
    for (int n = 0; block.isValid(); block = block.next(), ++n) {
        if (n == 64) {
            m_next = std::min(m_next, block.blockNumber());
            m_pass.start();
            return;
        }
        mark(block);
        if (block == last)
            break;
    }
}

void SpellMarker::mark(const QTextBlock &block)
{
    QTextLayout *layout = block.layout();
    if (!layout)
        return;
    QList<QTextLayout::FormatRange> ranges;
    Speller &speller = Speller::instance();
    if (speller.enabled() && !m_box->isReadOnly()) {
        const QTextCharFormat format = misspelt();
        forEachWord(block.text(), [&](int start, int length) {
            if (!speller.isCorrect(block.text().mid(start, length)))
                ranges.append({start, length, format});
        });
    }
    // A paragraph with nothing to mark, and nothing marked before, is left
    // as it is laid out.
    if (ranges.isEmpty() && layout->formats().isEmpty())
        return;
    m_marking = true;
    layout->setFormats(ranges);
    m_doc->markContentsDirty(block.position(), block.length());
    m_marking = false;
}

void SpellMarker::step()
{
    if (!m_doc) {
        m_pass.stop();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    QTextBlock block = m_doc->findBlockByNumber(m_next);
    while (block.isValid() && slice.nsecsElapsed() < kSliceNs) {
        mark(block);
        block = block.next();
    }
    m_next = block.isValid() ? block.blockNumber() : 0;
    if (!block.isValid())
        m_pass.stop();
}

QString SpellMarker::misspeltAt(int position, int *start) const
{
    if (!m_doc || !Speller::instance().enabled())
        return {};
    const QTextBlock block = m_doc->findBlock(position);
    const int at = position - block.position();
    QString found;
    forEachWord(block.text(), [&](int s, int length) {
        if (found.isEmpty() && at >= s && at <= s + length) {
            const QString word = block.text().mid(s, length);
            if (!Speller::instance().isCorrect(word)) {
                found = word;
                if (start)
                    *start = block.position() + s;
            }
        }
    });
    return found;
}
