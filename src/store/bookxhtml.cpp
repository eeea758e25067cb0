#include "bookxhtml.h"

#include "rtfhtml.h"
#include "rtfsink.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace store::bookparts {
namespace {

// A font family as a CSS string: only what a family name is made of.
QString cssFamily(const QString &family)
{
    QString s = u"'"_qs;
    for (const QChar c : family) {
        if (c.isLetterOrNumber() || c == u' ' || c == u'-' || c == u'_')
            s += c;
    }
    s += u'\'';
    return s;
}

QString colour(const QBrush &brush)
{
    return brush.color().name();
}

// The font most of a document's text is in, which its page gives all of it:
// a run says only what differs.
struct BaseFont
{
    QString family;   // empty: the page's
    qreal points = 0; // 0: the page's
};

QString familyOf(const QTextCharFormat &f)
{
    return f.fontFamilies().toStringList().value(0);
}

qreal pointsOf(const QTextCharFormat &f)
{
    return f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0;
}

BaseFont baseFont(const QTextDocument &doc)
{
    struct Count
    {
        BaseFont font;
        qsizetype characters;
    };
    std::vector<Count> counts;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString family = familyOf(f);
            const qreal points = pointsOf(f);
            auto found = std::find_if(counts.begin(), counts.end(), [&](const Count &c) {
                return c.font.family == family && c.font.points == points;
            });
            if (found == counts.end())
                counts.push_back({{family, points}, it.fragment().length()});
            else
                found->characters += it.fragment().length();
        }
    }
    const auto most =
        std::max_element(counts.begin(), counts.end(), [](const Count &a, const Count &b) {
            return a.characters < b.characters;
        });
    return most == counts.end() ? BaseFont() : most->font;
}

QString baseStyle(const BaseFont &base)
{
    QString s;
    if (!base.family.isEmpty())
        s += u"font-family:"_qs + cssFamily(base.family) + u';';
    if (base.points > 0)
        s += u"font-size:"_qs + cssNumber(base.points) + u"pt;"_qs;
    return s;
}

// A run's style: what its format sets apart from the document's font, "off"
// left out (nothing around a joke's text sets it on).
QString runStyle(const QTextCharFormat &f, const BaseFont &base)
{
    QString s;
    const QString family = familyOf(f);
    if (!family.isEmpty() && family != base.family)
        s += u"font-family:"_qs + cssFamily(family) + u';';
    const bool shifted = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ||
                         f.verticalAlignment() == QTextCharFormat::AlignSubScript;
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0 &&
        (shifted || f.fontPointSize() != base.points)) {
        // Raised and lowered text is smaller, as Qt shows it.
        s += u"font-size:"_qs + cssNumber(f.fontPointSize() * (shifted ? 0.66 : 1.0)) + u"pt;"_qs;
    } else if (shifted) {
        s += u"font-size:66%;";
    }
    if (f.hasProperty(QTextFormat::FontWeight) && f.fontWeight() != QFont::Normal)
        s += u"font-weight:"_qs + QString::number(std::clamp(f.fontWeight(), 100, 900)) + u';';
    if (f.fontItalic())
        s += u"font-style:italic;";
    if (f.fontUnderline() || f.fontStrikeOut()) {
        s += u"text-decoration:";
        if (f.fontUnderline())
            s += u"underline";
        if (f.fontUnderline() && f.fontStrikeOut())
            s += u' ';
        if (f.fontStrikeOut())
            s += u"line-through";
        s += u';';
    }
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        s += u"color:"_qs + colour(f.foreground()) + u';';
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        s += u"background-color:"_qs + colour(f.background()) + u';';
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        s += u"vertical-align:super;";
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        s += u"vertical-align:sub;";
    return s;
}

QString blockStyle(const QTextBlockFormat &f, const QTextDocument &doc, bool inList)
{
    QString s;
    if (f.hasProperty(QTextFormat::BlockAlignment)) {
        const Qt::Alignment align = f.alignment();
        if (align & Qt::AlignHCenter)
            s += u"text-align:center;";
        else if (align & Qt::AlignJustify)
            s += u"text-align:justify;";
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            s += u"text-align:right;";
    }
    const double left = f.leftMargin() + (inList ? 0 : f.indent() * doc.indentWidth());
    if (left != 0)
        s += u"margin-left:"_qs + cssPixels(left) + u';';
    if (f.rightMargin() != 0)
        s += u"margin-right:"_qs + cssPixels(f.rightMargin()) + u';';
    if (f.topMargin() != 0)
        s += u"margin-top:"_qs + cssPixels(f.topMargin()) + u';';
    if (f.bottomMargin() != 0)
        s += u"margin-bottom:"_qs + cssPixels(f.bottomMargin()) + u';';
    if (!inList && f.textIndent() != 0)
        s += u"text-indent:"_qs + cssPixels(f.textIndent()) + u';';
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (f.lineHeight() > 0)
            s += u"line-height:"_qs + cssNumber(f.lineHeight()) + u"%;"_qs;
        break;
    case QTextBlockFormat::FixedHeight:
    case QTextBlockFormat::MinimumHeight:
        // "At least" is Qt's own; a browser takes it as exactly.
        if (f.lineHeight() > 0)
            s += u"line-height:"_qs + cssPixels(f.lineHeight()) + u';';
        break;
    default:
        break;
    }
    return s;
}

// Walks a document's blocks and writes them: paragraphs as <p>, list items
// as <li> of <ul> or <ol>, a list inside the item before it when it is
// deeper.
class DocumentWriter
{
public:
    DocumentWriter(QString &out, const QTextDocument &doc, const PictureAddress &address)
        : m_out(out), m_doc(doc), m_address(address), m_base(baseFont(doc))
    {}

    void write();

private:
    struct OpenList
    {
        const QTextList *list;
        int level;
        bool ordered;
    };

    // A long list of a file is read as lists of some hundred items each that
    // belong together: they are one list here.
    static bool sameList(const QTextList *a, const QTextList *b);
    void openList(const QTextList *list, int level);
    void closeList();
    void startBlock(const char16_t *tag, const QTextBlock &block, bool inList);
    void inlineContent(const QTextBlock &block);
    void text(QStringView text);
    void image(const QTextImageFormat &format);

    QString &m_out;
    const QTextDocument &m_doc;
    const PictureAddress &m_address;
    const BaseFont m_base;
    std::vector<OpenList> m_lists;
};

bool DocumentWriter::sameList(const QTextList *a, const QTextList *b)
{
    if (a == b)
        return true;
    const QTextListFormat fa = a->format();
    const QTextListFormat fb = b->format();
    return fa.hasProperty(kListIdProperty) && fb.hasProperty(kListIdProperty) &&
           fa.intProperty(kListIdProperty) == fb.intProperty(kListIdProperty) &&
           fa.style() == fb.style() && fa.indent() == fb.indent();
}

void DocumentWriter::openList(const QTextList *list, int level)
{
    const QTextListFormat format = list->format();
    const bool ordered = isOrderedList(format.style());
    m_out += ordered ? u"<ol"_qs : u"<ul"_qs;
    m_out += u" style=\"list-style-type:";
    m_out += QStringView(cssListStyleType(format.style()));
    m_out += u";\"";
    if (ordered && format.hasProperty(kListStartProperty))
        m_out += u" start=\""_qs + QString::number(format.intProperty(kListStartProperty)) + u'"';
    m_out += u'>';
    m_lists.push_back({list, level, ordered});
}

void DocumentWriter::closeList()
{
    m_out += m_lists.back().ordered ? u"</li></ol>"_qs : u"</li></ul>"_qs;
    m_lists.pop_back();
}

void DocumentWriter::write()
{
    const QString base = baseStyle(m_base);
    m_out += base.isEmpty() ? u"<div>\n"_qs : u"<div style=\""_qs + base + u"\">\n"_qs;
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
        const QTextList *list = block.textList();
        if (!list) {
            while (!m_lists.empty())
                closeList();
            startBlock(u"p", block, false);
            inlineContent(block);
            m_out += u"</p>\n";
            continue;
        }
        const int level = std::max(1, list->format().indent());
        while (!m_lists.empty() &&
               (m_lists.back().level > level ||
                (m_lists.back().level == level && !sameList(m_lists.back().list, list))))
            closeList();
        if (m_lists.empty() || m_lists.back().level < level)
            openList(list, level);
        else
            m_out += u"</li>\n";
        m_lists.back().list = list;
        startBlock(u"li", block, true);
        inlineContent(block);
    }
    while (!m_lists.empty())
        closeList();
    m_out += u"\n</div>\n";
}

void DocumentWriter::startBlock(const char16_t *tag, const QTextBlock &block, bool inList)
{
    QString style = blockStyle(block.blockFormat(), m_doc, inList);
    // An empty paragraph is a line of its mark's size.
    if (block.length() == 1) {
        const QTextCharFormat mark = block.charFormat();
        if (mark.hasProperty(QTextFormat::FontPointSize) && mark.fontPointSize() > 0 &&
            mark.fontPointSize() != m_base.points)
            style += u"font-size:"_qs + cssNumber(mark.fontPointSize()) + u"pt;"_qs;
    }
    m_out += u'<';
    m_out += QStringView(tag);
    if (!style.isEmpty()) {
        m_out += u" style=\"";
        appendEscaped(m_out, style);
        m_out += u'"';
    }
    m_out += u'>';
}

void DocumentWriter::inlineContent(const QTextBlock &block)
{
    if (block.length() == 1) {
        m_out += u"<br/>";
        return;
    }
    // Runs of one style and one link each; fragments that differ in nothing
    // written here make one run.
    QString style;
    QString link;
    QString pending;
    bool open = false;
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        if (!link.isEmpty()) {
            m_out += u"<a href=\"";
            appendEscaped(m_out, link);
            m_out += u"\">";
        }
        if (!style.isEmpty()) {
            m_out += u"<span style=\"";
            appendEscaped(m_out, style);
            m_out += u"\">";
        }
        text(pending);
        if (!style.isEmpty())
            m_out += u"</span>";
        if (!link.isEmpty())
            m_out += u"</a>";
        pending.clear();
    };
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat()) {
            flush();
            open = false;
            for (int i = 0; i < fragment.length(); ++i)
                image(format.toImageFormat());
            continue;
        }
        const QString fragmentStyle = runStyle(format, m_base);
        // Only an address that may be followed from a joke becomes a link.
        const QString href = format.isAnchor() && isWebAddress(format.anchorHref())
                                 ? format.anchorHref()
                                 : QString();
        if (!open || fragmentStyle != style || href != link) {
            flush();
            style = fragmentStyle;
            link = href;
            open = true;
        }
        pending += fragment.text();
    }
    flush();
}

void DocumentWriter::text(QStringView text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0x2028 || c == QChar::ObjectReplacementCharacter) {
            appendEscaped(m_out, text.mid(from, i - from));
            if (c == 0x2028)
                m_out += u"<br/>";
            from = i + 1;
        }
    }
    appendEscaped(m_out, text.mid(from));
}

void DocumentWriter::image(const QTextImageFormat &format)
{
    const std::optional<Picture> picture = pictureOf(m_doc, format);
    if (!picture)
        return;
    QSizeF size = picture->size;
    if (format.hasProperty(QTextFormat::ImageWidth) && format.width() > 0) {
        const qreal width = format.width();
        size.setHeight(format.hasProperty(QTextFormat::ImageHeight)
                           ? format.height()
                           : size.height() * width / std::max(1.0, size.width()));
        size.setWidth(width);
    } else if (format.hasProperty(QTextFormat::ImageHeight) && format.height() > 0) {
        size.setWidth(size.width() * format.height() / std::max(1.0, size.height()));
        size.setHeight(format.height());
    }
    m_out += u"<img src=\"";
    appendEscaped(m_out, m_address(*picture));
    m_out += u"\" alt=\"Obrázek\" width=\""_qs + QString::number(qRound(size.width())) +
             u"\" height=\""_qs + QString::number(qRound(size.height())) + u"\"/>"_qs;
}

} // namespace

void appendEscaped(QString &out, QStringView text)
{
    appendHtmlEscaped(out, text);
}

void appendDocument(QString &out, const QTextDocument &doc, const PictureAddress &address)
{
    DocumentWriter(out, doc, address).write();
}

QString pageStart(const QString &title, const QString &head, bool epub)
{
    QString out;
    if (epub)
        out += u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += u"<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"";
    if (epub)
        out += u" xmlns:epub=\"http://www.idpf.org/2007/ops\"";
    out += u" lang=\"cs\" xml:lang=\"cs\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>";
    appendEscaped(out, title);
    out += u"</title>\n";
    out += head;
    out += u"</head>\n<body>\n";
    return out;
}

QString pageEnd()
{
    return u"</body>\n</html>\n"_qs;
}

QString styleSheet()
{
    // Selectors of one element and one class only, which every reader knows.
    // A joke's paragraphs have the spacing their file gives them and keep
    // their white space; the book's own text is set apart by its colour.
    return u"body { font-family: Arial, 'Liberation Sans', sans-serif; font-size: 12pt;"
           u" color: #000; background: #fff; max-width: 46em; margin: 0 auto;"
           u" padding: 1em 1.5em; }\n"
           u"h1, h2 { font-family: 'Liberation Sans', Arial, sans-serif; color: #1d3c6e; }\n"
           u"p, li { margin: 0; white-space: pre-wrap; }\n"
           u"ul, ol { margin: 0; padding-left: 40px; }\n"
           u"img { max-width: 100%; height: auto; }\n"
           u"h1.kniha { text-align: center; font-size: 40pt; margin: 1.5em 0 0.8em; }\n"
           u"h1.titul { text-align: center; font-size: 28pt; margin: 3em 0 0.7em;"
           u" page-break-before: always; }\n"
           u"p.popis { text-align: center; font-size: 13pt; margin: 0.15em 0; }\n"
           u"p.autor { text-align: center; font-size: 13pt; font-style: italic;"
           u" margin: 1.5em 0 0; }\n"
           u"p.pocet { text-align: center; font-size: 11pt; color: #555; margin: 0.6em 0 0; }\n"
           u"h2.obsah { font-size: 20pt; margin: 1.6em 0 0.6em; }\n"
           u"ol.obsah { font-size: 11pt; padding-left: 2.2em; margin: 0 0 2.5em; }\n"
           u"li.obsah { margin: 0.15em 0; }\n"
           u"h2.vtip { font-size: 15pt; margin: 1.4em 0 0.5em; }\n"_qs;
}

QString libraryAnchor(int library)
{
    return u"k%1"_qs.arg(library);
}

QString jokeAnchor(int library, int joke)
{
    return u"k%1-v%2"_qs.arg(library).arg(joke);
}

void appendBookTitle(QString &out, const std::vector<Library> &libraries,
                     const std::function<QString(int library)> &page)
{
    out += u"<h1 class=\"kniha\">Chichotek</h1>\n"
           u"<h2 class=\"obsah\">Knihovny</h2>\n<ol class=\"obsah\">\n";
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const int number = int(i) + 1;
        out += u"<li class=\"obsah\"><a href=\"";
        appendEscaped(out, page(number) + u'#' + libraryAnchor(number));
        out += u"\">";
        appendEscaped(out, libraries[i].name);
        out += u"</a></li>\n";
    }
    out += u"</ol>\n";
}

void appendLibrary(QString &out, const Library &library, int number, const PictureAddress &address,
                   const std::function<void(QString &)> &flush)
{
    out += u"<div class=\"knihovna\">\n<h1 class=\"titul\" id=\""_qs + libraryAnchor(number) +
           u"\">"_qs;
    appendEscaped(out, library.name);
    out += u"</h1>\n";
    for (const QString &line : library.description) {
        out += u"<p class=\"popis\">";
        appendEscaped(out, line);
        out += u"</p>\n";
    }
    if (!library.author.isEmpty()) {
        out += u"<p class=\"autor\">Autor: ";
        appendEscaped(out, library.author);
        out += u"</p>\n";
    }
    out += u"<p class=\"pocet\">";
    appendEscaped(out, jokeCount(library));
    out += u"</p>\n";

    out += u"<h2 class=\"obsah\">Obsah</h2>\n";
    if (!library.jokes.isEmpty()) {
        out += u"<ol class=\"obsah\">\n";
        for (qsizetype j = 0; j < library.jokes.size(); ++j) {
            out +=
                u"<li class=\"obsah\"><a href=\"#"_qs + jokeAnchor(number, int(j) + 1) + u"\">"_qs;
            appendEscaped(out, library.jokes[j]);
            out += u"</a></li>\n";
        }
        out += u"</ol>\n";
    }
    flush(out);

    // One joke in memory at a time, however long the library.
    QTextDocument doc;
    for (qsizetype j = 0; j < library.jokes.size(); ++j) {
        prepareDocument(&doc);
        readJoke(library.name, library.jokes[j], &doc);
        out += u"<div class=\"vtip\">\n<h2 class=\"vtip\" id=\""_qs +
               jokeAnchor(number, int(j) + 1) + u"\">"_qs;
        appendEscaped(out, library.jokes[j]);
        out += u"</h2>\n";
        appendDocument(out, doc, address);
        out += u"</div>\n";
        flush(out);
    }
    out += u"</div>\n";
}

} // namespace store::bookparts
