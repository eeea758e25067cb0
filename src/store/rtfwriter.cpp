#include "rtfwriter.h"

#include "codepage.h"
#include "rtfsink.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>
#include <QTextOption>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {
namespace {

using namespace std::string_view_literals;

constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch
constexpr int kMaxHalfPoints = 3276;
constexpr int kCharsetEastEurope = 238; // Windows-1250
constexpr int kCharsetSymbol = 2;
// Text goes out in slices so that the worst case of one slice (every character
// as \uN?) is all the room reserved at once.
constexpr qsizetype kSlice = 4096;
constexpr qsizetype kMaxBytesPerUnit = 10; // " \u-32768?"

int twips(qreal pixels)
{
    return int(std::lround(pixels * kTwipsPerPixel));
}

// ---------------------------------------------------------------------------
// Output buffer: raw writes into room made beforehand.

class Sink
{
public:
    explicit Sink(qsizetype capacity)
    {
        m_buf.resize(std::max<qsizetype>(capacity, 256));
        m_p = m_buf.data();
        m_end = m_p + m_buf.size();
    }

    // At least `n` bytes to write into from the returned pointer on; commit()
    // the pointer past the last byte written.
    char *room(qsizetype n)
    {
        if (m_end - m_p < n)
            grow(n);
        return m_p;
    }
    void commit(char *p) { m_p = p; }

    void put(char c)
    {
        *room(1) = c;
        ++m_p;
    }
    void put(std::string_view s)
    {
        char *p = room(qsizetype(s.size()));
        std::memcpy(p, s.data(), s.size());
        m_p = p + s.size();
    }
    void putNumber(int n)
    {
        char *p = room(12);
        m_p = std::to_chars(p, p + 12, n).ptr;
    }

    qsizetype size() const { return m_p - m_buf.constData(); }

    QByteArray take()
    {
        m_buf.resize(size());
        m_p = m_end = nullptr;
        return std::move(m_buf);
    }

private:
    void grow(qsizetype n)
    {
        const qsizetype used = size();
        m_buf.resize(std::max(used + n, m_buf.size() * 2));
        m_p = m_buf.data() + used;
        m_end = m_buf.data() + m_buf.size();
    }

    QByteArray m_buf;
    char *m_p = nullptr;
    char *m_end = nullptr;
};

constexpr char kHex[] = "0123456789abcdef";

// Characters that have no place in the text of a joke: control characters
// (the tab aside), paragraph separators, the marks of frames and objects.
bool isDropped(char16_t c)
{
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c < 0xA0) || c == 0x2029 ||
           (c >= 0xFDD0 && c <= 0xFDEF) || c == 0xFFFC || c == 0xFFFE || c == 0xFFFF;
}

// ---------------------------------------------------------------------------
// Formats as RTF sees them

enum class VAlign : unsigned char { Normal, Super, Sub };

struct CharProps
{
    int font = -1;      // -1: none written yet
    int halfPoints = 0; // 0: none written yet
    int fg = 0;         // colour table index, 0: automatic
    int bg = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    VAlign valign = VAlign::Normal;
    QString link; // the address the text links to; empty: none (not a format word)
};

enum class ListKind : unsigned char { None, Bullet, Numbered };

struct ParaProps
{
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0;
    int ri = 0;
    int fi = 0;
    int sb = 0;
    int sa = 0;
    int sl = 0;
    bool slMult = false;
    QList<QTextOption::Tab> tabs;
    ListKind list = ListKind::None;
    const QTextList *textList = nullptr;

    bool operator==(const ParaProps &) const = default;
};

std::string_view familyKeyword(const QString &name)
{
    const QString n = name.toLower();
    const auto any = [&n](std::initializer_list<const char *> words) {
        return std::any_of(words.begin(), words.end(),
                           [&n](const char *w) { return n.contains(QLatin1String(w)); });
    };
    if (any({"mono", "courier", "consol", "fixed", "typewriter", "terminal"}))
        return "\\fmodern"sv;
    if (any({"sans", "arial", "helvetica", "verdana", "tahoma", "calibri", "segoe", "trebuchet",
             "univers", "frutiger", "futura"}))
        return "\\fswiss"sv;
    if (any({"serif", "times", "roman", "georgia", "garamond", "cambria", "palatino", "book",
             "century", "bodoni"}))
        return "\\froman"sv;
    if (any({"comic", "script", "brush", "hand"}))
        return "\\fscript"sv;
    return "\\fnil"sv;
}

// ---------------------------------------------------------------------------
// Writer

class Writer
{
public:
    explicit Writer(const QTextDocument &doc);

    QByteArray run();

private:
    struct Font
    {
        QString name;
        int charset;
    };

    // `source` (a fragment or a block) gives the format when it is new.
    template <class Source> const CharProps &charProps(int index, const Source &source);
    CharProps makeCharProps(const QTextCharFormat &f);
    const ParaProps &paraProps(const QTextBlock &block);
    int fontIndex(const QString &name, int charset);
    int colorIndex(const QBrush &brush);

    void paragraph(const QTextBlock &block);
    void listText(const QTextBlock &block, const ParaProps &p);
    void listDefinition(const ParaProps &p);
    // The list's number in the list table (\ls), which word processors
    // read; the rich-text box reads {\*\pn ...}.
    int listNumber(const QTextList *list);
    // The list an item belongs to as its file had it: the first of the lists
    // a long list was read as, or the item's own.
    const QTextList *wholeList(const QTextList *list);
    void listTable(Sink &out);
    void numberText(std::string_view w, const QString &text);
    void paraWords(const ParaProps &p);
    void charWords(const CharProps &c);

    void word(std::string_view w);
    void word(std::string_view w, int n);
    void open();
    void close();
    void text(Sink &out, QStringView s);
    QByteArray header();

    const QTextDocument &m_doc;
    QFont m_defaultFont;
    QString m_defaultFamily;
    int m_defaultHalfPoints;
    qreal m_indentWidth;
    Sink m_out;
    bool m_delimit = false; // a control word wants a space before text

    std::vector<Font> m_fonts;
    std::vector<QRgb> m_colors;                  // the table's entries after the automatic one
    std::vector<const QTextList *> m_tableLists; // \ls n at n - 1
    std::unordered_map<int, const QTextList *> m_wholeLists; // by kListIdProperty
    std::unordered_map<int, int> m_itemsSoFar;               // the same
    int m_item = 0; // the paragraph's number in its list, from 0

    // Formats by their index in the document.
    std::vector<int> m_charSlot; // index -> position in m_chars + 1
    std::vector<CharProps> m_chars;
    std::vector<int> m_paraSlot;
    std::vector<ParaProps> m_paras;

    CharProps m_char;    // as the text written so far leaves it
    ParaProps m_para;    // of the paragraph before
    bool m_first = true; // before the first paragraph (\pard already out)
};

Writer::Writer(const QTextDocument &doc)
    : m_doc(doc), m_defaultFont(doc.defaultFont()), m_indentWidth(doc.indentWidth()),
      m_out(doc.characterCount() + 1024)
{
    const QFont &font = m_defaultFont;
    m_defaultFamily = font.family();
    qreal points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() > 0 ? font.pixelSize() * 0.75 : 12;
    m_defaultHalfPoints = std::clamp(int(std::lround(points * 2)), 1, kMaxHalfPoints);
}

int Writer::fontIndex(const QString &name, int charset)
{
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].charset == charset && m_fonts[i].name == name)
            return int(i);
    }
    m_fonts.push_back({name, charset});
    return int(m_fonts.size() - 1);
}

int Writer::colorIndex(const QBrush &brush)
{
    // A transparent colour (HTML's "background: transparent") is none: the
    // text shows on the paper, and must not come back black.
    if (brush.style() == Qt::NoBrush || brush.color().alpha() == 0)
        return 0;
    const QRgb rgb = brush.color().rgb() & RGB_MASK;
    const auto it = std::find(m_colors.begin(), m_colors.end(), rgb);
    if (it != m_colors.end())
        return int(it - m_colors.begin()) + 1;
    m_colors.push_back(rgb);
    return int(m_colors.size());
}

template <class Source> const CharProps &Writer::charProps(int index, const Source &source)
{
    if (index >= 0 && std::size_t(index) < m_charSlot.size() && m_charSlot[index] > 0)
        return m_chars[m_charSlot[index] - 1];
    m_chars.push_back(makeCharProps(source.charFormat()));
    if (index >= 0) {
        if (std::size_t(index) >= m_charSlot.size())
            m_charSlot.resize(std::size_t(index) + 1, 0);
        m_charSlot[index] = int(m_chars.size());
    }
    return m_chars.back();
}

CharProps Writer::makeCharProps(const QTextCharFormat &f)
{
    CharProps c;
    QString family;
    if (const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
        !families.isEmpty()) {
        family = families.first();
    } else {
        family = f.stringProperty(QTextFormat::OldFontFamily);
    }
    if (family.isEmpty())
        family = m_defaultFamily;
    c.font = fontIndex(family, kCharsetEastEurope);

    c.halfPoints = m_defaultHalfPoints;
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        c.halfPoints = int(std::lround(f.fontPointSize() * 2));
    else if (f.hasProperty(QTextFormat::FontPixelSize) &&
             f.intProperty(QTextFormat::FontPixelSize) > 0)
        c.halfPoints = int(std::lround(f.intProperty(QTextFormat::FontPixelSize) * 1.5));
    c.halfPoints = std::clamp(c.halfPoints, 1, kMaxHalfPoints);

    // What the format leaves open shows in the document's own font, and is
    // written so.
    c.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold
                                                    : m_defaultFont.bold();
    c.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : m_defaultFont.italic();
    if (f.hasProperty(QTextFormat::TextUnderlineStyle))
        c.underline = f.underlineStyle() != QTextCharFormat::NoUnderline;
    else if (f.hasProperty(QTextFormat::FontUnderline))
        c.underline = f.boolProperty(QTextFormat::FontUnderline);
    else
        c.underline = m_defaultFont.underline();
    c.strike =
        f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : m_defaultFont.strikeOut();
    c.fg = colorIndex(f.foreground());
    c.bg = colorIndex(f.background());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        c.valign = VAlign::Super;
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        c.valign = VAlign::Sub;
    if (f.isAnchor())
        c.link = f.anchorHref();
    return c;
}

const ParaProps &Writer::paraProps(const QTextBlock &block)
{
    const int index = block.blockFormatIndex();
    if (index >= 0 && std::size_t(index) < m_paraSlot.size() && m_paraSlot[index] > 0)
        return m_paras[m_paraSlot[index] - 1];

    const QTextBlockFormat f = block.blockFormat();
    ParaProps p;
    const Qt::Alignment h = f.alignment() & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignHCenter)
        p.align = Qt::AlignHCenter;
    else if (h & Qt::AlignJustify)
        p.align = Qt::AlignJustify;
    else if (h & Qt::AlignRight)
        p.align = Qt::AlignRight;

    // The text starts at the left indent; a list's marker hangs in front of it.
    qreal left = f.leftMargin() + f.indent() * m_indentWidth;
    bool asRead = false;
    if (const QTextList *list = block.textList()) {
        const QTextListFormat lf = list->format();
        const qreal marker = std::max(lf.indent(), 1) * m_indentWidth;
        left += marker;
        p.fi = -twips(marker);
        p.textList = wholeList(list);
        // An item still where its file's indents put it gets them back, in
        // twips as the file gave them.
        if (f.hasProperty(kListLeftTwipsProperty) && f.indent() == 0) {
            const int li = f.intProperty(kListLeftTwipsProperty);
            if (qAbs(f.leftMargin() - std::max(0.0, li / kTwipsPerPixel - marker)) < 1e-6) {
                p.li = li;
                p.fi = f.intProperty(kListFirstTwipsProperty);
                asRead = true;
            }
        }
        switch (lf.style()) {
        case QTextListFormat::ListDecimal:
        case QTextListFormat::ListLowerAlpha:
        case QTextListFormat::ListUpperAlpha:
        case QTextListFormat::ListLowerRoman:
        case QTextListFormat::ListUpperRoman:
            p.list = ListKind::Numbered;
            break;
        default:
            p.list = ListKind::Bullet;
            break;
        }
    } else {
        p.fi = twips(f.textIndent());
    }
    if (!asRead)
        p.li = twips(left);
    p.ri = twips(f.rightMargin());
    p.sb = twips(f.topMargin());
    p.sa = twips(f.bottomMargin());

    const qreal height = f.lineHeight();
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (height > 0 && height != 100) {
            p.sl = int(std::lround(height * 240 / 100));
            p.slMult = true;
        }
        break;
    case QTextBlockFormat::FixedHeight:
        if (height > 0)
            p.sl = -twips(height);
        break;
    case QTextBlockFormat::MinimumHeight:
        if (height > 0)
            p.sl = twips(height);
        break;
    default:
        break;
    }
    p.tabs = f.tabPositions();

    m_paras.push_back(std::move(p));
    if (index >= 0) {
        if (std::size_t(index) >= m_paraSlot.size())
            m_paraSlot.resize(std::size_t(index) + 1, 0);
        m_paraSlot[index] = int(m_paras.size());
    }
    return m_paras.back();
}

// ---------------------------------------------------------------------------
// Low-level output

void Writer::word(std::string_view w)
{
    m_out.put(w);
    m_delimit = true;
}

void Writer::word(std::string_view w, int n)
{
    m_out.put(w);
    m_out.putNumber(n);
    m_delimit = true;
}

void Writer::open()
{
    m_out.put('{');
    m_delimit = false;
}

void Writer::close()
{
    m_out.put('}');
    m_delimit = false;
}

void Writer::text(Sink &out, QStringView s)
{
    bool delimit = &out == &m_out && m_delimit;
    while (!s.isEmpty()) {
        const QStringView slice = s.first(std::min(s.size(), kSlice));
        s = s.sliced(slice.size());
        char *p = out.room(slice.size() * kMaxBytesPerUnit);
        for (const QChar qc : slice) {
            const char16_t c = qc.unicode();
            if (c < 0x80) {
                if (c >= 0x20 && c != 0x7F) {
                    if (delimit) {
                        *p++ = ' ';
                        delimit = false;
                    }
                    if (c == u'\\' || c == u'{' || c == u'}')
                        *p++ = '\\';
                    *p++ = char(c);
                } else if (c == u'\t') {
                    std::memcpy(p, "\\tab", 4);
                    p += 4;
                    delimit = true;
                }
                continue;
            }
            if (c == 0x2028) {
                std::memcpy(p, "\\line", 5);
                p += 5;
                delimit = true;
                continue;
            }
            if (isDropped(c))
                continue;
            if (delimit) {
                *p++ = ' ';
                delimit = false;
            }
            if (c == 0x00A0) {
                *p++ = '\\';
                *p++ = '~';
            } else if (c == 0x2011) {
                *p++ = '\\';
                *p++ = '_';
            } else if (const int b = encode1250Char(c); b >= 0) {
                *p++ = '\\';
                *p++ = '\'';
                *p++ = kHex[b >> 4];
                *p++ = kHex[b & 0xF];
            } else {
                std::memcpy(p, "\\u", 2);
                p = std::to_chars(p + 2, p + 8, int(static_cast<short>(c))).ptr;
                *p++ = '?';
            }
        }
        out.commit(p);
    }
    if (&out == &m_out)
        m_delimit = delimit;
}

// ---------------------------------------------------------------------------
// Paragraphs and runs

void Writer::charWords(const CharProps &c)
{
    CharProps &was = m_char;
    if (c.fg != was.fg)
        word("\\cf", c.fg);
    if (c.bg != was.bg)
        word("\\highlight", c.bg);
    if (c.bold != was.bold)
        word(c.bold ? "\\b"sv : "\\b0"sv);
    if (c.italic != was.italic)
        word(c.italic ? "\\i"sv : "\\i0"sv);
    if (c.underline != was.underline)
        word(c.underline ? "\\ul"sv : "\\ulnone"sv);
    if (c.strike != was.strike)
        word(c.strike ? "\\strike"sv : "\\strike0"sv);
    if (c.valign != was.valign) {
        word(c.valign == VAlign::Super ? "\\super"sv
             : c.valign == VAlign::Sub ? "\\sub"sv
                                       : "\\nosupersub"sv);
    }
    if (c.font != was.font)
        word("\\f", c.font);
    if (c.halfPoints != was.halfPoints)
        word("\\fs", c.halfPoints);
    was = c;
}

// A bullet as the home platform's editors write it: a font and a byte in it.
struct Bullet
{
    const char *font;
    int charset;
    std::string_view byte;
};

Bullet bulletOf(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return {"Courier New", kCharsetEastEurope, " o"sv};
    case QTextListFormat::ListSquare:
        return {"Wingdings", kCharsetSymbol, "\\'a7"sv};
    default:
        return {"Symbol", kCharsetSymbol, "\\'b7"sv};
    }
}

// The number of a list item, the `index`th of its list, as its list shows
// it, from the list's first number on.
QString itemNumber(const QTextList &list, const QTextBlock &block, int index)
{
    const QTextListFormat lf = list.format();
    if (!lf.hasProperty(kListStartProperty) && !lf.hasProperty(kListIdProperty))
        return list.itemText(block);
    const int n =
        (lf.hasProperty(kListStartProperty) ? lf.intProperty(kListStartProperty) : 1) + index;
    QString number;
    switch (lf.style()) {
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha: {
        for (int v = n; v > 0; v = (v - 1) / 26)
            number.prepend(QChar(u'a' + (v - 1) % 26));
        if (lf.style() == QTextListFormat::ListUpperAlpha)
            number = number.toUpper();
        break;
    }
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        static constexpr std::pair<int, const char *> kRoman[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        int v = std::clamp(n, 1, 3999);
        for (const auto &[value, digits] : kRoman) {
            for (; v >= value; v -= value)
                number += QLatin1String(digits);
        }
        if (lf.style() == QTextListFormat::ListUpperRoman)
            number = number.toUpper();
        break;
    }
    default:
        number = QString::number(n);
        break;
    }
    const QString suffix =
        lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
    return lf.numberPrefix() + number + suffix;
}

// The marker as plain text for readers that do not number paragraphs.
void Writer::listText(const QTextBlock &block, const ParaProps &p)
{
    open();
    word("\\pntext"sv);
    if (p.list == ListKind::Bullet) {
        const Bullet bullet = bulletOf(p.textList->format().style());
        word("\\f", fontIndex(QString::fromLatin1(bullet.font), bullet.charset));
        m_out.put(bullet.byte);
    } else {
        word("\\f", 0);
        text(m_out, itemNumber(*block.textList(), block, m_item));
    }
    word("\\tab"sv);
    close();
}

// {\pntxtb(} or {\pntxta.}: the text before or after the number, as the
// control writes it, with no space where none is needed.
void Writer::numberText(std::string_view w, const QString &text)
{
    open();
    word(w);
    const char16_t c = text.front().unicode();
    m_delimit = c == u' ' || c == u'-' || (c < 0x80 && QChar::isLetterOrNumber(c));
    this->text(m_out, text);
    close();
}

void Writer::listDefinition(const ParaProps &p)
{
    open();
    if (p.list == ListKind::Bullet) {
        const Bullet bullet = bulletOf(p.textList->format().style());
        word("\\*\\pn\\pnlvlblt\\pnf", fontIndex(QString::fromLatin1(bullet.font), bullet.charset));
        word("\\pnindent0"sv);
        open();
        word("\\pntxtb"sv);
        m_out.put(bullet.byte);
        close();
    } else {
        const QTextListFormat lf = p.textList->format();
        // The number of this item: a list that goes on after other
        // paragraphs goes on from there.
        word("\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart",
             (lf.hasProperty(kListStartProperty) ? lf.intProperty(kListStartProperty) : 1) +
                 m_item);
        switch (lf.style()) {
        case QTextListFormat::ListLowerAlpha:
            word("\\pnlcltr"sv);
            break;
        case QTextListFormat::ListUpperAlpha:
            word("\\pnucltr"sv);
            break;
        case QTextListFormat::ListLowerRoman:
            word("\\pnlcrm"sv);
            break;
        case QTextListFormat::ListUpperRoman:
            word("\\pnucrm"sv);
            break;
        default:
            word("\\pndec"sv);
            break;
        }
        if (const QString prefix = lf.numberPrefix(); !prefix.isEmpty())
            numberText("\\pntxtb"sv, prefix);
        // A list that names no suffix numbers "1.", "2." ...
        const QString suffix =
            lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
        if (!suffix.isEmpty())
            numberText("\\pntxta"sv, suffix);
    }
    close();
}

void Writer::paraWords(const ParaProps &p)
{
    if (p.align == Qt::AlignHCenter)
        word("\\qc"sv);
    else if (p.align == Qt::AlignRight)
        word("\\qr"sv);
    else if (p.align == Qt::AlignJustify)
        word("\\qj"sv);
    if (p.fi != 0)
        word("\\fi", p.fi);
    if (p.li != 0)
        word("\\li", p.li);
    if (p.ri != 0)
        word("\\ri", p.ri);
    if (p.sb != 0)
        word("\\sb", p.sb);
    if (p.sa != 0)
        word("\\sa", p.sa);
    if (p.sl != 0) {
        word("\\sl", p.sl);
        word("\\slmult", p.slMult ? 1 : 0);
    }
    for (const QTextOption::Tab &tab : p.tabs) {
        if (tab.type == QTextOption::RightTab)
            word("\\tqr"sv);
        else if (tab.type == QTextOption::CenterTab)
            word("\\tqc"sv);
        else if (tab.type == QTextOption::DelimiterTab)
            word("\\tqdec"sv);
        word("\\tx", twips(tab.position));
    }
}

void Writer::paragraph(const QTextBlock &block)
{
    const ParaProps &p = paraProps(block);
    const bool changed = !(p == m_para);
    if (changed && !m_first)
        word("\\pard"sv);
    m_first = false;
    if (const QTextList *list = block.textList()) {
        const QTextListFormat lf = list->format();
        m_item = lf.hasProperty(kListIdProperty) ? m_itemsSoFar[lf.intProperty(kListIdProperty)]++
                                                 : list->itemNumber(block);
    }
    if (p.list != ListKind::None)
        listText(block, p);
    if (changed) {
        if (p.list != ListKind::None)
            listDefinition(p);
        paraWords(p);
        if (p.list != ListKind::None) {
            word("\\ls", listNumber(p.textList));
            word("\\ilvl", std::clamp(p.textList->format().indent() - 1, 0, 8));
        }
        m_para = p;
    }

    QTextBlock::iterator it = block.begin();
    if (it.atEnd()) {
        // An empty paragraph keeps the format of its mark.
        charWords(charProps(block.charFormatIndex(), block));
    }
    while (!it.atEnd()) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) {
            ++it;
            continue;
        }
        const CharProps &c = charProps(fragment.charFormatIndex(), fragment);
        if (c.link.isEmpty()) {
            charWords(c);
            text(m_out, fragment.text());
            ++it;
            continue;
        }
        // A link: a HYPERLINK field whose result is the text, all the
        // fragments that go to the same address in one.
        const QString address = c.link;
        open();
        word("\\field"sv);
        open();
        word("\\*\\fldinst"sv);
        open();
        m_delimit = false;
        // Word doubles the backslashes of a path in the quotes.
        text(m_out, QStringLiteral("HYPERLINK \"") +
                        QString(address).replace(u'\\', QStringLiteral("\\\\")) + u'"');
        close();
        close();
        open();
        word("\\fldrslt"sv);
        open();
        const CharProps before = m_char;
        for (; !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            if (!piece.isValid())
                continue;
            const CharProps &pc = charProps(piece.charFormatIndex(), piece);
            if (pc.link != address)
                break;
            charWords(pc);
            text(m_out, piece.text());
        }
        close();
        close();
        close();
        // The groups' ends took their formatting back.
        m_char = before;
    }
    m_out.put("\\par\r\n"sv);
    m_delimit = false;
}

const QTextList *Writer::wholeList(const QTextList *list)
{
    const QTextListFormat lf = list->format();
    if (!lf.hasProperty(kListIdProperty))
        return list;
    return m_wholeLists.try_emplace(lf.intProperty(kListIdProperty), list).first->second;
}

int Writer::listNumber(const QTextList *list)
{
    const auto it = std::find(m_tableLists.begin(), m_tableLists.end(), list);
    if (it != m_tableLists.end())
        return int(it - m_tableLists.begin()) + 1;
    m_tableLists.push_back(list);
    return int(m_tableLists.size());
}

// Each list of the document, as Word writes its lists: its levels down to its
// own, each as the list is (only its own one is used), and an override of
// each.
void Writer::listTable(Sink &out)
{
    out.put("{\\*\\listtable"sv);
    for (std::size_t i = 0; i < m_tableLists.size(); ++i) {
        const QTextListFormat lf = m_tableLists[i]->format();
        const QTextListFormat::Style style = lf.style();
        const bool bullet = style == QTextListFormat::ListDisc ||
                            style == QTextListFormat::ListCircle ||
                            style == QTextListFormat::ListSquare;
        int nfc = 0;
        switch (style) {
        case QTextListFormat::ListUpperRoman:
            nfc = 1;
            break;
        case QTextListFormat::ListLowerRoman:
            nfc = 2;
            break;
        case QTextListFormat::ListUpperAlpha:
            nfc = 3;
            break;
        case QTextListFormat::ListLowerAlpha:
            nfc = 4;
            break;
        default:
            nfc = bullet ? 23 : 0;
            break;
        }
        const QString prefix = bullet ? QString() : lf.numberPrefix();
        const QString suffix = bullet ? QString()
                               : lf.hasProperty(QTextFormat::ListNumberSuffix)
                                   ? lf.numberSuffix()
                                   : QStringLiteral(".");
        const int start =
            lf.hasProperty(kListStartProperty) ? lf.intProperty(kListStartProperty) : 1;
        out.put("{\\list\\listtemplateid"sv);
        out.putNumber(int(i) + 1);
        const int own = std::clamp(lf.indent() - 1, 0, 8);
        for (int level = 0; level <= own; ++level) {
            out.put("{\\listlevel\\levelnfc"sv);
            out.putNumber(nfc);
            out.put("\\leveljc0\\levelfollow0\\levelstartat"sv);
            out.putNumber(start);
            out.put("{\\leveltext"sv);
            const auto byte = [&out](int value) {
                static constexpr char kHex[] = "0123456789abcdef";
                out.put("\\'"sv);
                out.put(kHex[(value >> 4) & 15]);
                out.put(kHex[value & 15]);
            };
            if (bullet) {
                byte(1);
                out.put(style == QTextListFormat::ListCircle   ? "\\u9702 ?"sv
                        : style == QTextListFormat::ListSquare ? "\\u9642 ?"sv
                                                               : "\\u8226 ?"sv);
                out.put(";}{\\levelnumbers;}"sv);
            } else {
                byte(int(prefix.size() + 1 + suffix.size()));
                m_delimit = false;
                text(out, prefix);
                byte(level);
                text(out, suffix);
                out.put(";}{\\levelnumbers"sv);
                byte(int(prefix.size()) + 1);
                out.put(";}"sv);
            }
            out.put("\\fi-360\\li"sv);
            out.putNumber(720 * (level + 1));
            out.put('}');
        }
        out.put("\\listid"sv);
        out.putNumber(int(i) + 1);
        out.put('}');
    }
    out.put("}\r\n{\\*\\listoverridetable"sv);
    for (std::size_t i = 0; i < m_tableLists.size(); ++i) {
        out.put("{\\listoverride\\listid"sv);
        out.putNumber(int(i) + 1);
        out.put("\\listoverridecount0\\ls"sv);
        out.putNumber(int(i) + 1);
        out.put('}');
    }
    out.put("}\r\n"sv);
}

QByteArray Writer::header()
{
    // The table names the fonts the text is in, and no other: \deff0 is the
    // first of them (the document's own font when there is no text).
    if (m_fonts.empty())
        fontIndex(m_defaultFamily, kCharsetEastEurope);
    Sink out(256 + qsizetype(m_fonts.size()) * 48 + qsizetype(m_colors.size()) * 32 +
             qsizetype(m_tableLists.size()) * 1024);
    out.put("{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl"sv);
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        const Font &font = m_fonts[i];
        out.put("{\\f"sv);
        out.putNumber(int(i));
        out.put(font.charset == kCharsetSymbol ? "\\fnil"sv : familyKeyword(font.name));
        out.put("\\fcharset"sv);
        out.putNumber(font.charset);
        out.put(' ');
        // A semicolon would end the name early.
        QString name = font.name;
        name.remove(u';');
        text(out, name);
        out.put(";}"sv);
    }
    out.put("}\r\n"sv);
    if (!m_colors.empty()) {
        out.put("{\\colortbl ;"sv);
        for (const QRgb rgb : m_colors) {
            out.put("\\red"sv);
            out.putNumber(qRed(rgb));
            out.put("\\green"sv);
            out.putNumber(qGreen(rgb));
            out.put("\\blue"sv);
            out.putNumber(qBlue(rgb));
            out.put(';');
        }
        out.put("}\r\n"sv);
    }
    if (!m_tableLists.empty())
        listTable(out);
    out.put("\\viewkind4\\uc1\\pard"sv);
    return out.take();
}

QByteArray Writer::run()
{
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next())
        paragraph(block);
    // The control ends its files with a NUL after the closing brace.
    m_out.put("}\r\n\0"sv);

    const QByteArray head = header();
    const QByteArray body = m_out.take();
    QByteArray rtf;
    rtf.reserve(head.size() + body.size());
    rtf.append(head);
    rtf.append(body);
    return rtf;
}

} // namespace

QByteArray writeRtf(const QTextDocument &document)
{
    return Writer(document).run();
}

QByteArray writePlainText(const QTextDocument &document)
{
    if (document.isEmpty())
        return {};
    Sink out(document.characterCount() + document.blockCount() + 16);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QString text = it.fragment().text();
            // At most CR LF for one character.
            char *p = out.room(text.size() * 2);
            for (qsizetype i = 0; i < text.size(); ++i) {
                const char16_t c = text[i].unicode();
                if (c == 0x2028) {
                    *p++ = '\r';
                    *p++ = '\n';
                    continue;
                }
                const int b = encode1250Char(c);
                *p++ = b >= 0 ? char(b) : '?';
                // One question mark for a character of two code units.
                if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                    QChar::isLowSurrogate(text[i + 1].unicode())) {
                    ++i;
                }
            }
            out.commit(p);
        }
        out.put("\r\n"sv);
    }
    return out.take();
}

} // namespace store
