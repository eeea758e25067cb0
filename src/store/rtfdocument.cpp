// The RTF reader's sink that fills a QTextDocument.

#include "rtfreadahead.h"
#include "rtfreader.h"
#include "rtfsink.h"

#include <QFont>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace store {
namespace {

constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch
constexpr std::size_t kMaxFormats = 32;

// Each item that joins a Qt list makes the list mark all its items changed,
// so a list of n items takes time in n squared to fill (60 s for 40,000).
// A long list of the file is therefore kept as lists of so many items each,
// one after the other, which show as one (the same format, the same list of
// the file: kListIdProperty) and which the writer writes as one.
constexpr int kItemsPerPart = 256;

qreal pixels(int twips)
{
    return twips / kTwipsPerPixel;
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
// them and where they start; `id` tells it from the file's other lists.
QTextListFormat listFormat(const RtfParagraphFormat &p, int id)
{
    QTextListFormat lf;
    lf.setStyle(p.listStyle);
    lf.setIndent(p.listLevel + 1);
    lf.setProperty(kListIdProperty, id);
    if (p.listStyle < QTextListFormat::ListSquare) { // a numbered one
        lf.setNumberPrefix(p.listPrefix);
        lf.setNumberSuffix(p.listSuffix);
        if (p.listStart != 1)
            lf.setProperty(kListStartProperty, p.listStart);
    }
    return lf;
}

// The document is built at its end through one cursor, a part at a time in
// one edit block each (undo is off), each paragraph whole: its mark with its
// formats first, then its text, so that no block's format changes after its
// text is in. The formats are made once each and handed over as the same
// objects, which Qt finds again by their kept hash.
class DocumentSink final : public RtfSink
{
public:
    explicit DocumentSink(QTextDocument *doc) : m_cursor(doc) {}

    void beginPart() { m_cursor.beginEditBlock(); }
    int paragraphs() const { return m_paragraphs; }
    void endPart() { m_cursor.endEditBlock(); }

    void text(const QString &text, const RtfCharFormat &format) override;
    void newParagraph() override;
    void paragraphFormat(const RtfParagraphFormat &format, const RtfCharFormat &mark) override;

    void finish();

private:
    struct Format
    {
        int id;
        QTextCharFormat format;
    };
    struct Run
    {
        QString text;
        int id;
        QTextCharFormat format;
    };
    // A list of the file, and the part of it that items join now.
    struct List
    {
        QTextListFormat format;
        QTextList *part = nullptr;
        int inPart = 0;
        int items = 0;
    };
    const QTextCharFormat &charFormat(const RtfCharFormat &f);
    QTextBlockFormat blockFormat(const RtfParagraphFormat &p) const;
    void flushParagraph();

    QTextCursor m_cursor; // at the end of the document
    // Formats made so far; a joke uses only a few.
    std::vector<Format> m_formats;
    std::vector<List> m_lists; // the file's list n at n - 1

    int m_paragraphs = 0; // in the document so far
    // The paragraph being read: its text, and its format once known.
    bool m_first = true;
    std::vector<Run> m_runs;
    bool m_breaks = false; // some of its text makes paragraphs of its own
    bool m_formatted = false;
    RtfParagraphFormat m_paragraph;
    RtfCharFormat m_mark;
};

const QTextCharFormat &DocumentSink::charFormat(const RtfCharFormat &r)
{
    for (const Format &format : m_formats) {
        if (format.id == r.id)
            return format.format;
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
    m_formats.push_back({r.id, f});
    return m_formats.back().format;
}

void DocumentSink::text(const QString &text, const RtfCharFormat &format)
{
    m_breaks = m_breaks || breaksParagraph(text);
    // Runs the reader tells apart may look the same in the document.
    if (!m_runs.empty() && m_runs.back().id == format.id)
        m_runs.back().text += text;
    else
        m_runs.push_back({text, format.id, charFormat(format)});
}

void DocumentSink::newParagraph()
{
    flushParagraph();
    m_first = false;
    ++m_paragraphs;
}

void DocumentSink::paragraphFormat(const RtfParagraphFormat &p, const RtfCharFormat &mark)
{
    m_formatted = true;
    m_paragraph = p;
    m_mark = mark;
}

void DocumentSink::flushParagraph()
{
    QTextBlockFormat block;
    QTextCharFormat mark;
    List *list = nullptr;
    if (m_formatted) {
        block = blockFormat(m_paragraph);
        mark = charFormat(m_mark);
        if (const int n = m_paragraph.list; n > 0) {
            if (m_paragraph.listStarts || std::size_t(n) > m_lists.size()) {
                m_lists.push_back({listFormat(m_paragraph, int(m_lists.size()) + 1)});
            }
            list = &m_lists[std::min(std::size_t(n), m_lists.size()) - 1];
            if (list->part && list->inPart < kItemsPerPart)
                block.setObjectIndex(list->part->objectIndex());
            else
                list->part = nullptr; // a new part, once the block is there
        }
    }
    // Text that makes paragraphs of its own goes in as the cursor makes
    // them, the format on the last of them.
    const bool after = m_breaks && m_formatted;
    if (!m_first)
        m_cursor.insertBlock(after ? QTextBlockFormat() : block, after ? QTextCharFormat() : mark);
    else if (m_formatted && !after) {
        m_cursor.setBlockFormat(block);
        m_cursor.setBlockCharFormat(mark);
    }
    for (const Run &run : m_runs)
        m_cursor.insertText(run.text, run.format);
    if (after) {
        m_cursor.setBlockFormat(block);
        m_cursor.setBlockCharFormat(mark);
    }
    if (list) {
        if (!list->part) {
            QTextListFormat part = list->format;
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
            // Qt numbers a part from its own first item on unless told.
            part.setStart(part.intProperty(kListStartProperty) + list->items +
                          (part.hasProperty(kListStartProperty) ? 0 : 1));
#endif
            list->part = m_cursor.createList(part);
            list->inPart = 0;
        }
        ++list->inPart;
        ++list->items;
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
        const qreal indentWidth = m_cursor.document()->indentWidth();
        f.setLeftMargin(std::max(0.0, pixels(p.li) - (p.listLevel + 1) * indentWidth));
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

void DocumentSink::finish()
{
    flushParagraph();
}

} // namespace

struct RtfDocumentLoad::Loading
{
    explicit Loading(QTextDocument *d) : doc(d), undo(d->isUndoRedoEnabled()), sink(d) {}

    QPointer<QTextDocument> doc;
    bool undo;
    DocumentSink sink;
    QByteArray rtf;                      // read at once, when small
    std::unique_ptr<RtfReadAhead> ahead; // otherwise read on a thread
    bool whole = false;
};

RtfDocumentLoad::RtfDocumentLoad(const QByteArray &rtf, QTextDocument *doc)
{
    m_loading = std::make_unique<Loading>(doc);
    doc->setUndoRedoEnabled(false);
    doc->clear();
    if (rtf.size() < readAheadFrom())
        m_loading->rtf = rtf;
    else
        m_loading->ahead = std::make_unique<RtfReadAhead>(rtf);
}

RtfDocumentLoad::~RtfDocumentLoad() = default;

int RtfDocumentLoad::paragraphs() const
{
    return m_loading->sink.paragraphs();
}

bool RtfDocumentLoad::step(QDeadlineTimer until)
{
    Loading &l = *m_loading;
    if (l.whole)
        return true;
    if (!l.doc) {
        l.whole = true;
        return true;
    }
    l.sink.beginPart();
    if (l.ahead)
        l.whole = l.ahead->pass(l.sink, [&until] { return until.hasExpired(); });
    else {
        readRtf(l.rtf, l.sink);
        l.whole = true;
    }
    if (l.whole)
        l.sink.finish();
    l.sink.endPart();
    if (l.whole) {
        l.ahead.reset();
        l.doc->setUndoRedoEnabled(l.undo);
        l.doc->setModified(false);
    }
    return l.whole;
}

bool readRtf(QByteArrayView rtf, QTextDocument *doc)
{
    if (!doc || !looksLikeRtf(rtf))
        return false;
    RtfDocumentLoad(rtf.toByteArray(), doc).finish();
    return true;
}

} // namespace store
