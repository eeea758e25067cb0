#include "rtfhtml.h"

#include "rtfsink.h"

#include <QString>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <vector>

namespace store {
namespace {

// The HTML is handed on in pieces of about this many characters.
constexpr qsizetype kPiece = 32 * 1024;
constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch
// How far a list indents each of its levels, as QTextDocument::indentWidth().
constexpr double kListIndent = 40.0;

// The head says what every paragraph has unless its own style says otherwise:
// no margins (a paragraph's spacing is its own), white space kept as it is
// and the size of a plain run. Qt's own reader knows no margin of an empty
// paragraph's line, so such a paragraph holds a line break it is told to skip.
constexpr char16_t kHead[] = u"<!DOCTYPE html>\n"
                             u"<html>\n<head>\n<meta charset=\"utf-8\">\n<title></title>\n"
                             u"<style>\n"
                             u"body { font-size: 12pt; }\n"
                             u"p, li { margin: 0; white-space: pre-wrap; }\n"
                             u"</style>\n</head>\n<body>\n";
// Qt's reader puts anything after the end of the document, a line end too,
// into its last paragraph: there is nothing after it.
constexpr char16_t kTail[] = u"</body>\n</html>";

// A font family as a CSS string inside a style attribute.
QString cssString(const QString &family)
{
    QString s = u"'"_qs;
    for (const QChar c : family) {
        if (c == u'\'' || c == u'\\')
            s += u'\\';
        if (c.unicode() >= 0x20)
            s += c;
    }
    s += u'\'';
    return s;
}

// Only what differs from a plain run: empty for one.
QString runStyle(const RtfCharFormat &f)
{
    QString s;
    if (!f.family.isEmpty())
        s += u"font-family:"_qs + cssString(f.family) + u';';
    if (f.points != RtfCharFormat().points)
        s += u"font-size:"_qs + cssNumber(f.points) + u"pt;"_qs;
    if (f.bold)
        s += u"font-weight:bold;";
    if (f.italic)
        s += u"font-style:italic;";
    if (f.underline || f.strike) {
        s += u"text-decoration:";
        if (f.underline)
            s += u"underline";
        if (f.underline && f.strike)
            s += u' ';
        if (f.strike)
            s += u"line-through";
        s += u';';
    }
    if (f.foreground.isValid())
        s += u"color:"_qs + f.foreground.name() + u';';
    if (f.background.isValid())
        s += u"background-color:"_qs + f.background.name() + u';';
    if (f.valign == RtfVAlign::Super)
        s += u"vertical-align:super;";
    else if (f.valign == RtfVAlign::Sub)
        s += u"vertical-align:sub;";
    return s;
}

QString paragraphStyle(const RtfParagraphFormat &p)
{
    QString s;
    switch (p.align & Qt::AlignHorizontal_Mask) {
    case Qt::AlignRight:
        s += u"text-align:right;";
        break;
    case Qt::AlignHCenter:
        s += u"text-align:center;";
        break;
    case Qt::AlignJustify:
        s += u"text-align:justify;";
        break;
    default:
        break;
    }
    const bool inList = p.list > 0;
    // A list item's left indent counts from where its list's levels put it.
    const double left = inList
                            ? std::max(0.0, p.li / kTwipsPerPixel - (p.listLevel + 1) * kListIndent)
                            : p.li / kTwipsPerPixel;
    if (left != 0)
        s += u"margin-left:"_qs + cssPixels(left) + u';';
    if (p.ri != 0)
        s += u"margin-right:"_qs + cssPixels(p.ri / kTwipsPerPixel) + u';';
    if (p.sb != 0)
        s += u"margin-top:"_qs + cssPixels(p.sb / kTwipsPerPixel) + u';';
    if (p.sa != 0)
        s += u"margin-bottom:"_qs + cssPixels(p.sa / kTwipsPerPixel) + u';';
    if (!inList && p.fi != 0)
        s += u"text-indent:"_qs + cssPixels(p.fi / kTwipsPerPixel) + u';';
    if (p.sl != 0) {
        if (p.slMult && p.sl > 0) {
            s += u"line-height:"_qs + cssNumber(p.sl * 100.0 / 240.0) + u"%;"_qs;
        } else if (!p.slMult) {
            // At least so high is Qt's own word; a browser takes it as exactly.
            s += u"line-height:"_qs + cssPixels(std::abs(p.sl) / kTwipsPerPixel) + u';';
            if (p.sl > 0)
                s += u"-qt-line-height-type:minimum;";
        }
    }
    return s;
}

class HtmlSink final : public RtfSink
{
public:
    explicit HtmlSink(const std::function<void(QByteArrayView)> &write) : m_write(write)
    {
        m_out += kHead;
    }

    void text(const QString &text, const RtfCharFormat &format) override;
    void newParagraph() override;
    void paragraphFormat(const RtfParagraphFormat &format, const RtfCharFormat &) override
    {
        m_format = format;
    }

    // Ends the last paragraph and the document and writes what is left.
    void finish();

private:
    // An open list: its number, level and tag. Each but the innermost is
    // inside the open item of the one before it.
    struct List
    {
        int number;
        int level;
        bool ordered;
    };

    void closeList();
    void enterLists(const RtfParagraphFormat &p);
    void flushParagraph();
    void flush(bool all = false);

    const std::function<void(QByteArrayView)> &m_write;
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QString m_out; // written, not yet handed on

    // The current paragraph until its format is known: its runs, a span
    // open when m_spanOpen.
    QString m_paragraph;
    bool m_empty = true;
    bool m_spanOpen = false;
    QString m_link; // the address of the link open around the runs; empty: none
    int m_runId = -1;
    RtfParagraphFormat m_format;

    std::vector<List> m_lists;
    std::vector<int> m_items;  // how many items each list has had so far
    std::vector<int> m_starts; // and its first number
};

void HtmlSink::text(const QString &text, const RtfCharFormat &format)
{
    if (text.isEmpty())
        return;
    if (m_runId != format.id || m_empty) {
        if (m_spanOpen)
            m_paragraph += u"</span>";
        // A link around its runs; only to the web or to an e-mail address.
        const QString link = isWebAddress(format.anchor) ? format.anchor : QString();
        if (link != m_link) {
            if (!m_link.isEmpty())
                m_paragraph += u"</a>";
            if (!link.isEmpty()) {
                m_paragraph += u"<a href=\"";
                appendHtmlEscaped(m_paragraph, link);
                m_paragraph += u"\">";
            }
            m_link = link;
        }
        const QString style = runStyle(format);
        m_spanOpen = !style.isEmpty();
        if (m_spanOpen) {
            m_paragraph += u"<span style=\"";
            appendHtmlEscaped(m_paragraph, style);
            m_paragraph += u"\">";
        }
        m_runId = format.id;
    }
    m_empty = false;
    // What a document makes a paragraph or line break of (see rtftext.cpp)
    // is a line break here: the same line of plain text.
    const QChar *from = text.constData();
    const QChar *const end = from + text.size();
    const QChar *plain = from;
    for (; from != end; ++from) {
        const char16_t c = from->unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) {
            appendHtmlEscaped(m_paragraph, QStringView(plain, from));
            m_paragraph += u"<br>";
            if (c == u'\r' && from + 1 != end && from[1] == u'\n')
                ++from;
            plain = from + 1;
        }
    }
    appendHtmlEscaped(m_paragraph, QStringView(plain, end));
}

void HtmlSink::newParagraph()
{
    flushParagraph();
    flush();
}

void HtmlSink::closeList()
{
    m_out += m_lists.back().ordered ? u"</li></ol>" : u"</li></ul>";
    m_lists.pop_back();
    if (m_lists.empty())
        m_out += u'\n';
}

// Closes the lists the paragraph is not in and opens its own, leaving the
// paragraph's item to be opened.
void HtmlSink::enterLists(const RtfParagraphFormat &p)
{
    if (p.list <= 0) {
        while (!m_lists.empty())
            closeList();
        return;
    }
    const auto it = std::find_if(m_lists.begin(), m_lists.end(),
                                 [&](const List &l) { return l.number == p.list; });
    if (it != m_lists.end() && !p.listStarts) {
        // The next item of an open list.
        while (m_lists.back().number != p.list)
            closeList();
        m_out += u"</li>\n";
        return;
    }
    if (it != m_lists.end()) {
        while (m_lists.size() > std::size_t(it - m_lists.begin()))
            closeList();
    }
    while (!m_lists.empty() && m_lists.back().level >= p.listLevel)
        closeList();
    const bool ordered = isOrderedList(p.listStyle);
    m_out += ordered ? u"<ol" : u"<ul";
    // A list that goes on after other paragraphs goes on with its numbers.
    const std::size_t index = std::size_t(p.list);
    if (m_items.size() <= index)
        m_items.resize(index + 1);
    if (m_starts.size() <= index)
        m_starts.resize(index + 1, 1);
    if (p.listStarts) {
        m_items[index] = 0;
        m_starts[index] = p.listStart;
    }
    if (ordered && (m_items[index] > 0 || m_starts[index] != 1))
        m_out += u" start=\""_qs + QString::number(m_starts[index] + m_items[index]) + u'"';
    m_out += u" style=\"margin-top:0;margin-bottom:0;list-style-type:";
    m_out += cssListStyleType(p.listStyle);
    m_out += u";\">";
    m_lists.push_back({p.list, p.listLevel, ordered});
}

void HtmlSink::flushParagraph()
{
    enterLists(m_format);
    if (m_format.list > 0)
        ++m_items[std::size_t(m_format.list)];
    const char16_t *tag = m_format.list > 0 ? u"li" : u"p";
    QString style = paragraphStyle(m_format);
    if (m_empty)
        style.prepend(u"-qt-paragraph-type:empty;");
    m_out += u'<';
    m_out += tag;
    if (!style.isEmpty()) {
        m_out += u" style=\"";
        appendHtmlEscaped(m_out, style);
        m_out += u'"';
    }
    m_out += u'>';
    if (m_empty) {
        m_out += u"<br>";
    } else {
        m_out += m_paragraph;
        if (m_spanOpen)
            m_out += u"</span>";
        if (!m_link.isEmpty())
            m_out += u"</a>";
    }
    // A list item stays open: a list of a deeper level goes inside it.
    if (m_format.list <= 0)
        m_out += u"</p>\n";

    m_paragraph.resize(0); // keeps the buffer
    m_empty = true;
    m_spanOpen = false;
    m_link.clear();
    m_runId = -1;
    m_format = RtfParagraphFormat();
}

void HtmlSink::flush(bool all)
{
    if (m_out.isEmpty() || (!all && m_out.size() < kPiece))
        return;
    const QByteArray bytes = m_utf8.encode(m_out);
    m_write(bytes);
    m_out.resize(0);
}

void HtmlSink::finish()
{
    flushParagraph();
    while (!m_lists.empty())
        closeList();
    m_out += kTail;
    flush(true);
}

} // namespace

QString cssNumber(double value)
{
    QString s = QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s == u"-0" ? QStringLiteral("0") : s;
}

QString cssPixels(double px)
{
    return cssNumber(px) + u"px"_qs;
}

void appendHtmlEscaped(QString &out, QStringView text)
{
    out.reserve(out.size() + text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            // What XML does not allow is left out: XHTML readers refuse it.
            if (u == u'\t' || u == u'\n' || u == u'\r' || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF))
                out += c;
            break;
        }
    }
}

bool isOrderedList(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        return true;
    default:
        return false;
    }
}

const char16_t *cssListStyleType(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return u"decimal";
    case QTextListFormat::ListLowerAlpha:
        return u"lower-alpha";
    case QTextListFormat::ListUpperAlpha:
        return u"upper-alpha";
    case QTextListFormat::ListLowerRoman:
        return u"lower-roman";
    case QTextListFormat::ListUpperRoman:
        return u"upper-roman";
    case QTextListFormat::ListCircle:
        return u"circle";
    case QTextListFormat::ListSquare:
        return u"square";
    default:
        return u"disc";
    }
}

bool rtfToHtml(QByteArrayView rtf, const std::function<void(QByteArrayView utf8)> &write)
{
    HtmlSink sink(write);
    if (!readRtf(rtf, sink))
        return false;
    sink.finish();
    return true;
}

void textToHtml(QStringView text, const std::function<void(QByteArrayView utf8)> &write)
{
    HtmlSink sink(write);
    const RtfCharFormat plain;
    // The lines as a document that has the text inserted makes them.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            const char16_t c = text[i].unicode();
            if (!(c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029 || c == 0xFDD0 ||
                  c == 0xFDD1))
                continue;
        }
        sink.text(text.sliced(start, i - start).toString(), plain);
        if (i == text.size())
            break;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        sink.newParagraph();
        start = i + 1;
    }
    sink.finish();
}

} // namespace store
