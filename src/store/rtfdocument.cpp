// The RTF reader's sink that fills a QTextDocument.

#include "rtfreadahead.h"
#include "rtfreader.h"
#include "rtfsink.h"

#include <QFont>
#include <QList>
#include <QStringList>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>

#include <private/qtextdocument_p.h>
#include <private/qtextformat_p.h>
#include <private/qtextobject_p.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <utility>
#include <vector>

namespace store {
namespace {

constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch
constexpr std::size_t kMaxFormats = 32;

qreal pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// The blocks of a list, in document order: what count(), item() and
// itemNumber() go by.
QList<QTextBlock> &itemsOf(QTextList *list)
{
    return static_cast<QTextBlockGroupPrivate *>(QObjectPrivate::get(list))->blocks;
}

// Characters that QTextCursor::insertText() turns into paragraph breaks.
bool breaksParagraph(QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\r':
        case u'\n':
        case 0x2029:
        case 0xFDD0:
        case 0xFDD1:
            return true;
        default:
            break;
        }
    }
    return false;
}

// A new list's format: its kind, level, and for numbers what stands around
// them and where they start.
QTextListFormat listFormat(const RtfParagraphFormat &p)
{
    QTextListFormat lf;
    lf.setStyle(p.listStyle);
    lf.setIndent(p.listLevel + 1);
    if (p.listStyle < QTextListFormat::ListSquare) { // a numbered one
        lf.setNumberPrefix(p.listPrefix);
        lf.setNumberSuffix(p.listSuffix);
        if (p.listStart != 1)
            lf.setProperty(kListStartProperty, p.listStart);
    }
    return lf;
}

// The text goes into the document as QTextCursor::insertText() and
// insertBlock() put it, but straight to the document's own insertion with
// the index of each format looked up once: the cursor would look up the
// block's format and the index of the character format for every run, which
// made most of the time of reading a long joke.
class DocumentSink final : public RtfSink
{
public:
    explicit DocumentSink(QTextDocument *doc) : m_doc(doc), m_priv(QTextDocumentPrivate::get(doc))
    {
        m_priv->beginEditBlock();
        QTextFormatCollection *formats = m_priv->formatCollection();
        m_plainBlock = formats->indexForFormat(QTextBlockFormat());
        m_plainChar = formats->indexForFormat(QTextCharFormat());
    }

    void text(const QString &text, const RtfCharFormat &format) override;
    void newParagraph() override;
    void paragraphFormat(const RtfParagraphFormat &format, const RtfCharFormat &mark) override;

    void finish();

private:
    struct Run
    {
        QString text;
        int index;
    };
    struct Format
    {
        int id;
        QTextCharFormat format;
        int index; // in the document's format collection
    };
    const Format &charFormat(const RtfCharFormat &f);
    QTextBlockFormat blockFormat(const RtfParagraphFormat &p) const;
    void formatByCursor(const RtfParagraphFormat &p, const RtfCharFormat &mark);
    void insertText(const QString &text, const Format &format);
    // Where the text goes: the end of the document. A cursor there is made
    // only where one is needed, since the document moves every cursor it
    // has with every insertion.
    int end() const { return m_priv->length() - 1; }
    QTextCursor atTheEnd() const
    {
        QTextCursor cursor(m_doc);
        cursor.movePosition(QTextCursor::End);
        return cursor;
    }
    void flushParagraph();
    void setAside(QTextList *list);

    QTextDocument *m_doc;
    QTextDocumentPrivate *m_priv;
    int m_plainBlock; // indexes of the default block and character formats
    int m_plainChar;
    // Formats made so far; a joke uses only a few.
    std::vector<Format> m_formats;
    std::vector<QTextList *> m_lists; // list n at n - 1
    // A list's items but its last, while the document is being read (see
    // setAside()).
    std::unordered_map<QTextList *, QList<QTextBlock>> m_earlierItems;

    // The document's first paragraph is its first block, there from the
    // start: its text goes in as it comes and its format on it after. Every
    // later one waits until its format is known and then goes in whole, its
    // paragraph mark with its formats first, so that no block's format has
    // to be changed after its text is in.
    bool m_first = true;
    std::vector<Run> m_runs; // the waiting paragraph's text
    bool m_breaks = false;   // some of it makes paragraphs of its own
    bool m_formatted = false;
    RtfParagraphFormat m_paragraph; // its format, when m_formatted
    RtfCharFormat m_mark;
};

const DocumentSink::Format &DocumentSink::charFormat(const RtfCharFormat &r)
{
    for (const Format &format : m_formats) {
        if (format.id == r.id)
            return format;
    }
    if (m_formats.size() >= kMaxFormats)
        m_formats.clear();
    // Every attribute is set, "off" as much as "on": the text shows as the
    // file says, whatever font the box that shows it has.
    QTextCharFormat f;
    if (!r.family.isEmpty())
        f.setFontFamilies(QStringList{r.family});
    f.setFontPointSize(r.points);
    f.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(r.italic);
    f.setFontUnderline(r.underline);
    f.setFontStrikeOut(r.strike);
    if (r.foreground.isValid())
        f.setForeground(r.foreground);
    if (r.background.isValid())
        f.setBackground(r.background);
    if (!r.anchor.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(r.anchor);
    }
    f.setVerticalAlignment(r.valign == RtfVAlign::Super ? QTextCharFormat::AlignSuperScript
                           : r.valign == RtfVAlign::Sub ? QTextCharFormat::AlignSubScript
                                                        : QTextCharFormat::AlignNormal);
    m_formats.push_back({r.id, f, m_priv->formatCollection()->indexForFormat(f)});
    return m_formats.back();
}

void DocumentSink::insertText(const QString &text, const Format &f)
{
    if (breaksParagraph(text)) {
        atTheEnd().insertText(text, f.format); // which makes the paragraphs
    } else
        m_priv->insert(end(), text, f.index);
}

void DocumentSink::text(const QString &text, const RtfCharFormat &format)
{
    const Format &f = charFormat(format);
    if (m_first) {
        insertText(text, f);
        return;
    }
    m_breaks = m_breaks || breaksParagraph(text);
    // Runs the reader tells apart may look the same in the document.
    if (!m_runs.empty() && m_runs.back().index == f.index)
        m_runs.back().text += text;
    else
        m_runs.push_back({text, f.index});
}

void DocumentSink::newParagraph()
{
    flushParagraph();
    m_first = false;
}

void DocumentSink::paragraphFormat(const RtfParagraphFormat &p, const RtfCharFormat &mark)
{
    if (m_first) {
        formatByCursor(p, mark);
        return;
    }
    m_formatted = true;
    m_paragraph = p;
    m_mark = mark;
}

void DocumentSink::flushParagraph()
{
    if (m_first)
        return;
    const int position = end();
    if (m_breaks) {
        // Text that makes paragraphs of its own goes in as it always did:
        // through the cursor, the format on the last of them after.
        m_priv->insertBlock(position, m_plainBlock, m_plainChar);
        for (const Run &run : m_runs) {
            const QTextCharFormat format = m_priv->formatCollection()->charFormat(run.index);
            insertText(run.text, {0, format, run.index});
        }
        if (m_formatted)
            formatByCursor(m_paragraph, m_mark);
    } else {
        int block = m_plainBlock;
        int mark = m_plainChar;
        QTextList *joins = nullptr;
        if (m_formatted) {
            QTextBlockFormat f = blockFormat(m_paragraph);
            if (m_paragraph.list > 0) {
                joins =
                    m_paragraph.listStarts ? nullptr : m_lists[std::size_t(m_paragraph.list - 1)];
                if (!joins) {
                    m_lists.push_back(
                        qobject_cast<QTextList *>(m_priv->createObject(listFormat(m_paragraph))));
                    f.setObjectIndex(m_lists.back()->objectIndex());
                } else {
                    f.setObjectIndex(joins->objectIndex());
                }
            }
            block = m_priv->formatCollection()->indexForFormat(f);
            mark = charFormat(m_mark).index;
        }
        // At the end of the document, where nothing but the cursor moves.
        int at = position;
        m_priv->insertBlock(at++, block, mark);
        for (const Run &run : m_runs) {
            m_priv->insert(at, run.text, run.index);
            at += int(run.text.size());
        }
        if (joins)
            setAside(joins);
    }
    m_runs.clear();
    m_breaks = false;
    m_formatted = false;
}

QTextBlockFormat DocumentSink::blockFormat(const RtfParagraphFormat &p) const
{
    const bool inList = p.list > 0;
    QTextBlockFormat f;
    if (p.align != Qt::AlignLeft)
        f.setAlignment(p.align);
    if (inList) {
        f.setLeftMargin(std::max(0.0, pixels(p.li) - (p.listLevel + 1) * m_doc->indentWidth()));
        f.setProperty(kListLeftTwipsProperty, p.li);
        f.setProperty(kListFirstTwipsProperty, p.fi);
    } else {
        if (p.li != 0)
            f.setLeftMargin(pixels(p.li));
        if (p.fi != 0)
            f.setTextIndent(pixels(p.fi));
    }
    if (p.ri != 0)
        f.setRightMargin(pixels(p.ri));
    if (p.sb != 0)
        f.setTopMargin(pixels(p.sb));
    if (p.sa != 0)
        f.setBottomMargin(pixels(p.sa));
    if (p.sl != 0) {
        if (p.slMult && p.sl > 0)
            f.setLineHeight(p.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (!p.slMult)
            f.setLineHeight(pixels(std::abs(p.sl)), p.sl > 0 ? QTextBlockFormat::MinimumHeight
                                                             : QTextBlockFormat::FixedHeight);
    }
    if (!p.tabs.isEmpty())
        f.setTabPositions(p.tabs);

    return f;
}

void DocumentSink::formatByCursor(const RtfParagraphFormat &p, const RtfCharFormat &mark)
{
    const bool inList = p.list > 0;
    QTextBlockFormat f = blockFormat(p);
    if (!inList) {
        // What QTextCursor::setBlockFormat() and setBlockCharFormat() do, but
        // with no cursor: once a document has had one, it goes through its
        // table of cursors, empty or not, with every insertion after.
        const QTextBlock block = m_priv->blocksFind(end());
        m_priv->setBlockFormat(block, block, f, QTextDocumentPrivate::SetFormat);
        QTextCharFormat markFormat = charFormat(mark).format;
        markFormat.clearProperty(QTextFormat::ObjectIndex);
        m_priv->setCharFormat(block.position() - 1, 1, markFormat,
                              QTextDocumentPrivate::SetFormatAndPreserveObjectIndices);
        return;
    }
    QTextCursor cursor = atTheEnd();
    // The block joins its list with its format: the list's object index in
    // it, as QTextList::add() would put it.
    QTextList *list = p.listStarts ? nullptr : m_lists[std::size_t(p.list - 1)];
    if (list)
        f.setObjectIndex(list->objectIndex());
    cursor.setBlockFormat(f);
    cursor.setBlockCharFormat(charFormat(mark).format);
    if (list) {
        setAside(list);
    } else {
        m_lists.push_back(cursor.createList(listFormat(p)));
    }
}

// Each time a block joins a list, Qt marks every block of the list changed
// (QTextBlockGroup::blockInserted()), which makes reading a list of n items
// take time in n squared: 60 s for 40,000 items. So while the document is
// being read a list keeps only its last item; the earlier ones wait in
// m_earlierItems and go back at the end. Items come in document order, each
// after all the others, so the list's own order is theirs. Nothing asks a list
// for its items before the end, and no block leaves a list while reading.
void DocumentSink::setAside(QTextList *list)
{
    QList<QTextBlock> &items = itemsOf(list);
    if (items.size() > 1) {
        QList<QTextBlock> &earlier = m_earlierItems[list];
        earlier.append(items.first(items.size() - 1));
        items.remove(0, items.size() - 1);
    }
}

// The marking that the lists' items missed is not needed: they are all new
// text of this edit block, which the document reports changed as a whole.
void DocumentSink::finish()
{
    flushParagraph();
    for (auto &[list, earlier] : m_earlierItems) {
        QList<QTextBlock> &items = itemsOf(list);
        earlier.append(items);
        items.swap(earlier);
    }
    m_earlierItems.clear();
    m_priv->endEditBlock();
}

} // namespace

bool readRtf(QByteArrayView rtf, QTextDocument *doc)
{
    if (!doc || !looksLikeRtf(rtf))
        return false;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    DocumentSink sink(doc);
    readRtfAhead(rtf, sink);
    sink.finish();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    return true;
}

} // namespace store
