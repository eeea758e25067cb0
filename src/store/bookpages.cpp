// The book as pages: for a PDF file, for the printer and for the print
// preview alike.
//
// Every part of the book (a title page, a contents, each joke headed by its
// name) is a document of its own, laid out once at the width of the page's
// text and then placed on the pages line by line: a page ends before the
// first line that no longer fits, and a heading never stays at the foot of a
// page without the first lines of its joke.
//
// The contents needs the page of every joke before the first joke is on a
// page, so the book is gone through twice: once to find the pages (nothing
// painted), then again to paint them, the same way. The page numbers of the
// contents are no text of its documents but are painted in a column of their
// own beside each name, so that they cannot move a line. The jokes of the
// first pass are kept for the second up to a fixed amount of text; the rest
// are read again, one at a time, so that the memory used stays the same
// however long the library.
//
// Layout is in pixels at 96 dpi (what the jokes' formats are in), on a device
// of exactly that resolution whatever the screen's, with fractional glyph
// positions; the painter scales it to the device. So a page of the PDF and a
// printed page of the same size break at the same lines.

#include "bookparts.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace store::bookparts {
namespace {

constexpr qreal kLayoutDpi = 96;
// Below the text of each page, the line with its number.
constexpr qreal kFooter = 34;
// The column of the contents' page numbers, right of every name.
constexpr qreal kNumberColumn = 64;
// The jokes of the first pass kept for the second, in characters (about
// 60 bytes each with their layout and glyphs: some 90 MB).
constexpr int kKeptCharacters = 1'500'000;

// One line of a laid out document, in its coordinates.
struct Line
{
    QTextBlock block;
    int index; // in its block
    qreal top;
    qreal bottom;
};

std::vector<Line> linesOf(QTextDocument *doc)
{
    doc->size(); // lays it out whole
    std::vector<Line> lines;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!layout)
            continue;
        const qreal y = layout->position().y();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.push_back({block, i, y + line.y(), y + line.y() + line.height()});
        }
    }
    return lines;
}

// A line of the book's own text painted outside its documents (a page
// number, the leader dots of the contents), laid out as they are.
class Label
{
public:
    Label(const QString &text, const QTextCharFormat &format, QPaintDevice *device)
        : m_layout(text, format.font(), device), m_colour(format.foreground().color())
    {
        QTextOption option;
        option.setUseDesignMetrics(true);
        option.setWrapMode(QTextOption::NoWrap);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        QTextLine line = m_layout.createLine();
        line.setLineWidth(1e6);
        m_width = line.naturalTextWidth();
        m_ascent = line.ascent();
        m_layout.endLayout();
    }
    qreal width() const { return m_width; }
    qreal ascent() const { return m_ascent; }
    // Painted with its baseline at `y`, starting at `x`.
    void paint(QPainter *painter, qreal x, qreal baseline)
    {
        painter->setPen(m_colour);
        m_layout.draw(painter, QPointF(x, baseline - m_ascent));
    }

private:
    QTextLayout m_layout;
    QColor m_colour;
    qreal m_width = 0;
    qreal m_ascent = 0;
};

// Places documents on pages one after the other; paints them too when it
// has a painter, which is scaled so that a unit is a pixel at 96 dpi.
class Pager
{
public:
    Pager(QPainter *painter, QPagedPaintDevice *device, const QSizeF &page, QPaintDevice *layout)
        : m_painter(painter), m_device(device), m_page(page), m_layout(layout)
    {}

    bool painting() const { return m_painter != nullptr; }
    QPainter *painter() const { return m_painter; }
    qreal width() const { return m_page.width(); }
    qreal height() const { return m_page.height() - kFooter; }
    int page() const { return m_number; }

    // A fresh page, unless the current one is still empty.
    void startPage()
    {
        if (m_number < 0 || m_y > 0)
            newPage();
    }

    // Told of each line where it is placed: its page, and what to add to its
    // document's y to get the page's.
    using LineSeen = std::function<void(const Line &line, int page, qreal dy)>;

    // Space on the page before what comes next.
    void skip(qreal space)
    {
        if (m_number < 0)
            newPage();
        m_y += space;
    }

    // Places the document from where the last one ended, `before` below it
    // (none at the top of a page: Qt leaves out the top margin of a
    // document's first block too). With `keepFirst`, its first block does not
    // end a page without at least two lines after it.
    void place(QTextDocument *doc, qreal before, bool keepFirst, const LineSeen &seen = {});

private:
    void newPage();
    void paint(QTextDocument *doc, qreal clipTop, qreal clipBottom, qreal dy);

    QPainter *m_painter;
    QPagedPaintDevice *m_device;
    QSizeF m_page;
    QPaintDevice *m_layout;
    int m_number = -1; // from 0
    qreal m_y = 0;     // the height used on the page
};

void Pager::newPage()
{
    if (m_painter && m_number >= 0)
        m_device->newPage();
    ++m_number;
    m_y = 0;
    if (!m_painter)
        return;
    Label number(QString::number(m_number + 1), charFormat(Style::PageNumber), m_layout);
    number.paint(m_painter, (width() - number.width()) / 2,
                 m_page.height() - kFooter / 2 + number.ascent() / 2);
}

void Pager::place(QTextDocument *doc, qreal before, bool keepFirst, const LineSeen &seen)
{
    const std::vector<Line> lines = linesOf(doc);
    if (lines.empty())
        return;
    const qreal docHeight = std::max(doc->size().height(), lines.back().bottom);
    std::size_t keep = 0; // lines that must have two more after them
    if (keepFirst) {
        while (keep < lines.size() && lines[keep].block == lines.front().block)
            ++keep;
    }
    std::size_t i = 0;
    while (i < lines.size()) {
        if (m_number < 0)
            newPage();
        const bool atTop = m_y <= 0;
        const qreal gap = i == 0 && !atTop ? before : 0;
        const qreal start = lines[i].top;
        const qreal room = height() - m_y - gap;
        std::size_t j = i;
        while (j < lines.size() && lines[j].bottom - start <= room + 0.01)
            ++j;
        if (i == 0 && !atTop && j < lines.size() && j < keep + 2)
            j = 0;
        if (j == i) {
            if (!atTop) {
                newPage();
                continue;
            }
            j = i + 1; // a line higher than a page: what the page takes of it
        }
        m_y += gap;
        const qreal end = j < lines.size() ? lines[j].top : docHeight;
        const qreal dy = m_y - start;
        if (m_painter) {
            // Just inside the lines before and after, which are on other
            // pages: a line touching the clip would be painted (and its text
            // be in the PDF twice).
            const qreal clipTop = i > 0 ? lines[i - 1].bottom + 0.01 : start - height();
            const qreal clipBottom =
                j < lines.size() ? std::min(end, start + room) - 0.01 : end + height();
            paint(doc, clipTop, clipBottom, dy);
        }
        if (seen) {
            for (std::size_t k = i; k < j; ++k)
                seen(lines[k], m_number, dy);
        }
        m_y += end - start;
        i = j;
        if (i < lines.size())
            newPage();
    }
}

void Pager::paint(QTextDocument *doc, qreal clipTop, qreal clipBottom, qreal dy)
{
    m_painter->save();
    m_painter->translate(0, dy);
    const QRectF clip(-width(), clipTop, 3 * width(), clipBottom - clipTop);
    m_painter->setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc->documentLayout()->draw(m_painter, context);
    m_painter->restore();
}

// The book laid out: what it is made of, and the pages its parts are on.
class Book
{
public:
    explicit Book(const std::vector<Library> &libraries) : m_libraries(libraries)
    {
        // Exactly 96 dpi: 3780 dots a metre.
        m_device = QImage(1, 1, QImage::Format_RGB32);
        m_device.setDotsPerMeterX(3780);
        m_device.setDotsPerMeterY(3780);
        m_libraryPages.assign(libraries.size(), 0);
        m_jokePages.resize(libraries.size());
        m_kept.resize(libraries.size());
        for (std::size_t l = 0; l < libraries.size(); ++l) {
            m_jokePages[l].assign(std::size_t(libraries[l].jokes.size()), 0);
            m_kept[l].resize(std::size_t(libraries[l].jokes.size()));
        }
    }

    QPaintDevice *layoutDevice() { return &m_device; }

    // Goes through the book: finds the pages of its parts when the pager
    // does not paint, paints them (with those pages in the contents) when it
    // does.
    void run(Pager &pager);

private:
    std::unique_ptr<QTextDocument> newDocument(const Pager &pager);
    // A joke headed by its name, laid out.
    std::unique_ptr<QTextDocument> jokeDocument(const QString &library, const QString &joke,
                                                const Pager &pager);
    void layOut(QTextDocument *doc, const Pager &pager);
    // A contents: what `doc` holds (its title), then an entry for each of
    // `entries`, whose pages `pages` holds.
    void placeContents(Pager &pager, QTextDocument *doc, bool keepFirst, const QStringList &entries,
                       const std::vector<int> &pages);

    const std::vector<Library> &m_libraries;
    QImage m_device;
    std::vector<int> m_libraryPages;
    std::vector<std::vector<int>> m_jokePages;
    std::vector<std::vector<std::unique_ptr<QTextDocument>>> m_kept;
    int m_keptCharacters = 0;
};

std::unique_ptr<QTextDocument> Book::jokeDocument(const QString &library, const QString &joke,
                                                  const Pager &pager)
{
    std::unique_ptr<QTextDocument> doc = newDocument(pager);
    // Laid out once, when it is whole: a document of no size is not laid out
    // as it is filled. Its blocks keep their glyphs from the layout for the
    // painting, which otherwise makes them anew.
    doc->setPageSize(QSizeF(0, 0));
    readJoke(library, joke, doc.get());
    addHeading(doc.get(), joke);
    fitPictures(doc.get(), QSizeF(pager.width(), pager.height() * 0.8));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
    doc->setTextWidth(pager.width());
    return doc;
}

std::unique_ptr<QTextDocument> Book::newDocument(const Pager &pager)
{
    auto doc = std::make_unique<QTextDocument>();
    prepareDocument(doc.get());
    layOut(doc.get(), pager);
    return doc;
}

void Book::layOut(QTextDocument *doc, const Pager &pager)
{
    doc->documentLayout()->setPaintDevice(&m_device);
    doc->setTextWidth(pager.width());
}

void Book::placeContents(Pager &pager, QTextDocument *doc, bool keepFirst,
                         const QStringList &entries, const std::vector<int> &pages)
{
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    const int first = doc->isEmpty() ? 0 : doc->blockCount();
    QTextBlockFormat entry = blockFormat(Style::ContentsEntry);
    entry.setRightMargin(kNumberColumn);
    const QTextCharFormat entryChars = charFormat(Style::ContentsEntry);
    // All entries at once: one insertion, one layout.
    if (!entries.isEmpty()) {
        if (!doc->isEmpty())
            cursor.insertBlock(entry, entryChars);
        else {
            cursor.setBlockFormat(entry);
            cursor.setBlockCharFormat(entryChars);
        }
        QString text = entries.join(QChar::ParagraphSeparator);
        text.replace(QChar::LineSeparator, u' ');
        cursor.insertText(text, entryChars);
    }
    if (!pager.painting()) {
        pager.place(doc, 0, keepFirst);
        return;
    }
    const qreal dotWidth = Label(u"."_qs, entryChars, &m_device).width();
    const qreal dotStep = dotWidth * 2.2;
    QTextCharFormat leaderChars = entryChars;
    leaderChars.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    leaderChars.setFontLetterSpacing(dotStep - dotWidth);
    pager.place(doc, 0, keepFirst, [&](const Line &line, int, qreal dy) {
        const int index = line.block.blockNumber() - first;
        if (index < 0 || std::size_t(index) >= pages.size() ||
            line.index != line.block.layout()->lineCount() - 1)
            return;
        const QTextLine textLine = line.block.layout()->lineAt(line.index);
        Label number(QString::number(pages[std::size_t(index)] + 1), entryChars, &m_device);
        const qreal baseline = line.top + textLine.ascent() + dy;
        QPainter *painter = pager.painter();
        number.paint(painter, pager.width() - number.width(), baseline);
        // Dots from the name to the number, on a grid of their own so that
        // they stand in columns down the page; one run of text for them all.
        const qreal from = line.block.layout()->position().x() + textLine.x() +
                           textLine.naturalTextWidth() + dotWidth;
        const qreal to = pager.width() - number.width() - dotWidth;
        const qreal firstDot = std::ceil(from / dotStep) * dotStep;
        if (firstDot + dotWidth <= to) {
            const int dots = int((to - firstDot - dotWidth) / dotStep) + 1;
            Label(QString(dots, u'.'), leaderChars, &m_device).paint(painter, firstDot, baseline);
        }
    });
}

void Book::run(Pager &pager)
{
    const bool measuring = !pager.painting();
    if (m_libraries.size() > 1) {
        pager.startPage();
        std::unique_ptr<QTextDocument> doc = newDocument(pager);
        QTextCursor cursor(doc.get());
        Paragraphs paragraphs(cursor);
        paragraphs.add(Style::BookTitle, u"Chichotek"_qs);
        paragraphs.add(Style::ContentsTitle, u"Knihovny"_qs, false, 36);
        QStringList names;
        for (const Library &library : m_libraries)
            names += library.name;
        pager.skip(pager.height() * 0.1);
        placeContents(pager, doc.get(), false, names, m_libraryPages);
    }
    for (std::size_t l = 0; l < m_libraries.size(); ++l) {
        const Library &library = m_libraries[l];
        pager.startPage();
        if (measuring)
            m_libraryPages[l] = pager.page();
        {
            std::unique_ptr<QTextDocument> doc = newDocument(pager);
            QTextCursor cursor(doc.get());
            Paragraphs paragraphs(cursor);
            addTitlePage(paragraphs, library, 0, false);
            pager.skip(pager.height() * 0.22);
            pager.place(doc.get(), 0, false);
        }
        pager.startPage();
        {
            std::unique_ptr<QTextDocument> doc = newDocument(pager);
            QTextCursor cursor(doc.get());
            Paragraphs(cursor).add(Style::ContentsTitle, u"Obsah"_qs);
            // The title stays with its first entries.
            placeContents(pager, doc.get(), true, library.jokes, m_jokePages[l]);
        }
        pager.startPage();
        const qreal headingSpace = blockFormat(Style::Heading).topMargin();
        for (qsizetype j = 0; j < library.jokes.size(); ++j) {
            std::unique_ptr<QTextDocument> &kept = m_kept[l][std::size_t(j)];
            std::unique_ptr<QTextDocument> doc = std::move(kept);
            if (!doc)
                doc = jokeDocument(library.name, library.jokes[j], pager);
            int &page = m_jokePages[l][std::size_t(j)];
            pager.place(doc.get(), headingSpace, true, [&](const Line &line, int at, qreal) {
                if (measuring && line.block.blockNumber() == 0 && line.index == 0)
                    page = at;
            });
            if (measuring && m_keptCharacters + doc->characterCount() <= kKeptCharacters) {
                m_keptCharacters += doc->characterCount();
                kept = std::move(doc);
            }
        }
    }
}

} // namespace

bool paintPages(const std::vector<Library> &libraries, QPagedPaintDevice *device, QString *error)
{
    const qreal sx = device->logicalDpiX() / kLayoutDpi;
    const qreal sy = device->logicalDpiY() / kLayoutDpi;
    const QSizeF page(device->width() / sx, device->height() / sy);
    // Less than about 5 by 8 cm leaves no room for a page of text.
    if (page.width() < 200 || page.height() < 300) {
        if (error)
            *error = u"Stránka je pro knihu příliš malá."_qs;
        return false;
    }
    Book book(libraries);
    Pager measure(nullptr, device, page, book.layoutDevice());
    book.run(measure);

    QPainter painter;
    if (!painter.begin(device)) {
        if (error)
            *error = u"Na zvolené zařízení nelze tisknout."_qs;
        return false;
    }
    painter.scale(sx, sy);
    Pager pages(&painter, device, page, book.layoutDevice());
    book.run(pages);
    if (!painter.end()) {
        if (error)
            *error = u"Tisk knihy se nezdařil."_qs;
        return false;
    }
    return true;
}

} // namespace store::bookparts
