#include "jokeimport.h"

#include "codepage.h"
#include "files.h"
#include "rtfreader.h"
#include "rtfsink.h"
#include "rtfwriter.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>
#include <QUrl>
#include <QVariant>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace store {
namespace {

enum class Kind { Unknown, Rtf, Text, Html, Markdown, Odt };

Kind kindOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"rtf")
        return Kind::Rtf;
    if (suffix == u"txt")
        return Kind::Text;
    if (suffix == u"html" || suffix == u"htm")
        return Kind::Html;
    if (suffix == u"md")
        return Kind::Markdown;
    if (suffix == u"odt")
        return Kind::Odt;
    return Kind::Unknown;
}

QString quoted(const QString &fileName)
{
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(fileName));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// A document that loads nothing on its own: the pictures and style sheets a
// page names are not part of a joke, and a file of the user's must not make
// the program read other files, or anything from the network.
class ImportDocument final : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

// ---------------------------------------------------------------------------
// Text and its encoding

bool hasNul(QStringView text)
{
    return text.contains(QChar(u'\0'));
}

std::optional<QString> decoded(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    if (hasNul(text))
        return std::nullopt;
    return text;
}

// The text of a file that names no encoding, told apart by its bytes; none
// for bytes that are no text (NUL bytes).
std::optional<QString> decodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decoded(bytes.sliced(3), QStringConverter::Utf8);
    if (bytes.startsWith("\xFF\xFE"))
        return decoded(bytes.sliced(2), QStringConverter::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return decoded(bytes.sliced(2), QStringConverter::Utf16BE);
    if (bytes.contains('\0'))
        return std::nullopt;
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    // Czech in Windows-1250 is hardly ever valid UTF-8: a letter with a
    // diacritic is one byte above 0x7F, which UTF-8 never has alone.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return decode1250(bytes);
}

// The character set a page declares in its first bytes, as HTML parsers
// look for it; empty when it declares none.
QByteArray declaredCharset(QByteArrayView bytes)
{
    static const QRegularExpression charset(
        QStringLiteral("charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match =
        charset.match(QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 1024))));
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

std::optional<QString> decodeHtml(QByteArrayView bytes)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
                     bytes.startsWith("\xFE\xFF");
    const QByteArray charset = bom ? QByteArray() : declaredCharset(bytes);
    if (charset.isEmpty())
        return decodeText(bytes);
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (decoder.isValid()) {
        QString text = decoder(bytes);
        if (hasNul(text))
            return std::nullopt;
        return text;
    }
    // Without the system's converters Qt knows only the Unicode encodings
    // and Latin-1; the program's own code page it need not know.
    if (charset == "windows-1250" || charset == "cp1250" || charset == "x-cp1250") {
        if (bytes.contains('\0'))
            return std::nullopt;
        return decode1250(bytes);
    }
    return decodeText(bytes);
}

void setPlainText(QTextDocument *doc, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    // A final line break ends the last line; it starts no empty one.
    if (text.endsWith(u'\n'))
        text.chop(1);
    doc->setPlainText(text);
}

// ---------------------------------------------------------------------------
// OpenDocument text

// The largest part of an OpenDocument file that is read: far above the text
// of any joke, so that a damaged or planted file cannot fill the memory.
constexpr qint64 kPartLimit = kJokeLimit;
// The most characters a document makes (spaces written as a count, <text:s
// text:c="…"/>, included).
constexpr qsizetype kCharacterLimit = kTextLimit;
// Deeper nesting than any writer makes is skipped whole.
constexpr int kMaxDepth = 64;
// A Qt list marks all its items changed each time one joins it; a long list
// goes in as lists of so many items, one list of the file (rtfsink.h).
constexpr int kItemsPerPart = 256;
constexpr qreal kDefaultPoints = 12;

const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kStyleNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kTextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kTableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kFoNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
const QString kSvgNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
const QString kDrawNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QString kXlinkNs = QStringLiteral("http://www.w3.org/1999/xlink");

bool is(const QXmlStreamReader &xml, const QString &ns, QStringView name)
{
    return xml.name() == name && xml.namespaceUri() == ns;
}

// A length of the file ("12pt", "0.5in", "1cm") in points; none for other
// values.
std::optional<qreal> points(QStringView value)
{
    static const std::pair<QStringView, qreal> kUnits[] = {{u"pt", 1},         {u"in", 72},
                                                           {u"cm", 72 / 2.54}, {u"mm", 72 / 25.4},
                                                           {u"px", 0.75},      {u"pc", 12}};
    for (const auto &[unit, factor] : kUnits) {
        if (value.endsWith(unit)) {
            bool ok = false;
            const qreal n = value.chopped(unit.size()).trimmed().toDouble(&ok);
            if (ok && n > 0 && n < 10000)
                return n * factor;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The first family of a list of them, without its quotes.
QString firstFamily(QStringView families)
{
    QString family = families.left(families.indexOf(u',')).trimmed().toString();
    if (family.size() >= 2 && ((family.startsWith(u'\'') && family.endsWith(u'\'')) ||
                               (family.startsWith(u'"') && family.endsWith(u'"'))))
        family = family.mid(1, family.size() - 2).trimmed();
    return family;
}

// The character properties a style sets; what it leaves open comes from the
// style it is based on, or the paragraph the text is in.
struct TextProps
{
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<bool> strike;
    std::optional<QColor> colour;
    std::optional<QColor> background; // invalid: none (transparent)
    std::optional<qreal> points;
    std::optional<qreal> percent; // of the size it is based on
    std::optional<QString> family;
    std::optional<QTextCharFormat::VerticalAlignment> valign;
    QString href; // the address of a link (no style property)

    // These properties with `over` set over them.
    void apply(const TextProps &over)
    {
        const auto take = [](auto &mine, const auto &theirs) {
            if (theirs)
                mine = theirs;
        };
        take(bold, over.bold);
        take(italic, over.italic);
        take(underline, over.underline);
        take(strike, over.strike);
        take(colour, over.colour);
        take(background, over.background);
        take(family, over.family);
        take(valign, over.valign);
        if (over.points)
            points = over.points;
        else if (over.percent)
            points = points.value_or(kDefaultPoints) * *over.percent / 100;
        if (!over.href.isEmpty())
            href = over.href;
    }
};

struct Style
{
    QString parent;
    TextProps text;
    std::optional<Qt::Alignment> align;
    QString listStyle;
};

// A style with the styles it is based on applied.
struct Resolved
{
    TextProps text;
    Qt::Alignment align = Qt::AlignLeft;
    QString listStyle;
};

struct ListLevel
{
    QTextListFormat::Style style = QTextListFormat::ListDisc;
    QString prefix;
    QString suffix;
    int start = 1;
};

// The styles of a document: the named ones of styles.xml, the automatic ones
// of content.xml, and the fonts they name.
class Styles
{
public:
    // At <office:styles> or <office:automatic-styles>: reads them to their end.
    void read(QXmlStreamReader &xml);
    void readFonts(QXmlStreamReader &xml);

    // A paragraph style (with the paragraphs' defaults) or a text style.
    const Resolved &paragraph(const QString &name) { return resolve(m_paragraph, name, true); }
    const Resolved &text(const QString &name) { return resolve(m_text, name, false); }
    // The level (from 1) of a list style; a bullet where it has none.
    ListLevel listLevel(const QString &name, int level) const;

private:
    struct Family
    {
        QHash<QString, Style> styles;
        std::optional<Style> fallback; // the family's default style
        QHash<QString, Resolved> resolved;
    };

    void readStyle(QXmlStreamReader &xml, bool isDefault);
    void readListStyle(QXmlStreamReader &xml);
    TextProps readTextProps(const QXmlStreamAttributes &a) const;
    const Resolved &resolve(Family &family, const QString &name, bool withDefault);

    QHash<QString, QString> m_fonts; // by the name styles give them
    Family m_paragraph;
    Family m_text;
    QHash<QString, QHash<int, ListLevel>> m_lists;
};

void Styles::readFonts(QXmlStreamReader &xml)
{
    while (xml.readNextStartElement()) {
        if (is(xml, kStyleNs, u"font-face")) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString name = a.value(kStyleNs, QLatin1String("name")).toString();
            const QString family = firstFamily(a.value(kSvgNs, QLatin1String("font-family")));
            if (!name.isEmpty())
                m_fonts.insert(name, family.isEmpty() ? name : family);
        }
        xml.skipCurrentElement();
    }
}

void Styles::read(QXmlStreamReader &xml)
{
    while (xml.readNextStartElement()) {
        if (is(xml, kStyleNs, u"style"))
            readStyle(xml, false);
        else if (is(xml, kStyleNs, u"default-style"))
            readStyle(xml, true);
        else if (is(xml, kTextNs, u"list-style"))
            readListStyle(xml);
        else
            xml.skipCurrentElement();
    }
}

TextProps Styles::readTextProps(const QXmlStreamAttributes &a) const
{
    TextProps p;
    if (const QStringView weight = a.value(kFoNs, QLatin1String("font-weight"));
        !weight.isEmpty()) {
        bool number = false;
        const int value = weight.toInt(&number);
        p.bold = number ? value >= 600 : weight == u"bold";
    }
    if (const QStringView style = a.value(kFoNs, QLatin1String("font-style")); !style.isEmpty())
        p.italic = style == u"italic" || style == u"oblique";
    if (const QStringView style = a.value(kStyleNs, QLatin1String("text-underline-style"));
        !style.isEmpty())
        p.underline = style != u"none";
    if (const QStringView type = a.value(kStyleNs, QLatin1String("text-underline-type"));
        type == u"none")
        p.underline = false;
    if (const QStringView style = a.value(kStyleNs, QLatin1String("text-line-through-style"));
        !style.isEmpty())
        p.strike = style != u"none";
    if (const QStringView colour = a.value(kFoNs, QLatin1String("color")); !colour.isEmpty()) {
        const QColor c = QColor::fromString(colour);
        if (c.isValid())
            p.colour = c;
    }
    if (const QStringView colour = a.value(kFoNs, QLatin1String("background-color"));
        !colour.isEmpty()) {
        const QColor c = colour == u"transparent" ? QColor() : QColor::fromString(colour);
        p.background = c;
    }
    if (const QStringView size = a.value(kFoNs, QLatin1String("font-size")); !size.isEmpty()) {
        if (size.endsWith(u'%')) {
            bool ok = false;
            const qreal percent = size.chopped(1).toDouble(&ok);
            if (ok && percent > 0 && percent < 10000)
                p.percent = percent;
        } else {
            p.points = points(size);
        }
    }
    if (const QStringView name = a.value(kStyleNs, QLatin1String("font-name")); !name.isEmpty())
        p.family = m_fonts.value(name.toString(), name.toString());
    else if (const QStringView families = a.value(kFoNs, QLatin1String("font-family"));
             !families.isEmpty())
        p.family = firstFamily(families);
    if (const QStringView position = a.value(kStyleNs, QLatin1String("text-position"));
        !position.isEmpty()) {
        const QStringView first = position.trimmed().left(position.trimmed().indexOf(u' '));
        bool ok = false;
        const qreal percent = first.endsWith(u'%') ? first.chopped(1).toDouble(&ok) : 0;
        if (first == u"super" || (ok && percent > 0))
            p.valign = QTextCharFormat::AlignSuperScript;
        else if (first == u"sub" || (ok && percent < 0))
            p.valign = QTextCharFormat::AlignSubScript;
        else
            p.valign = QTextCharFormat::AlignNormal;
    }
    return p;
}

void Styles::readStyle(QXmlStreamReader &xml, bool isDefault)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView kind = a.value(kStyleNs, QLatin1String("family"));
    Family *family = kind == u"paragraph" ? &m_paragraph : kind == u"text" ? &m_text : nullptr;
    Style style;
    style.parent = a.value(kStyleNs, QLatin1String("parent-style-name")).toString();
    style.listStyle = a.value(kStyleNs, QLatin1String("list-style-name")).toString();
    while (xml.readNextStartElement()) {
        if (is(xml, kStyleNs, u"text-properties")) {
            style.text = readTextProps(xml.attributes());
        } else if (is(xml, kStyleNs, u"paragraph-properties")) {
            const QStringView align = xml.attributes().value(kFoNs, QLatin1String("text-align"));
            if (align == u"center")
                style.align = Qt::AlignHCenter;
            else if (align == u"end" || align == u"right")
                style.align = Qt::AlignRight;
            else if (align == u"justify")
                style.align = Qt::AlignJustify;
            else if (align == u"start" || align == u"left")
                style.align = Qt::AlignLeft;
        }
        xml.skipCurrentElement();
    }
    if (!family)
        return;
    if (isDefault)
        family->fallback = style;
    else if (const QString name = a.value(kStyleNs, QLatin1String("name")).toString();
             !name.isEmpty())
        family->styles.insert(name, style);
}

void Styles::readListStyle(QXmlStreamReader &xml)
{
    QHash<int, ListLevel> &levels =
        m_lists[xml.attributes().value(kStyleNs, QLatin1String("name")).toString()];
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes a = xml.attributes();
        const int level = a.value(kTextNs, QLatin1String("level")).toInt();
        if (level >= 1 && level <= 10) {
            ListLevel l;
            if (is(xml, kTextNs, u"list-level-style-number")) {
                const QStringView format = a.value(kStyleNs, QLatin1String("num-format"));
                l.style = format == u"a"   ? QTextListFormat::ListLowerAlpha
                          : format == u"A" ? QTextListFormat::ListUpperAlpha
                          : format == u"i" ? QTextListFormat::ListLowerRoman
                          : format == u"I" ? QTextListFormat::ListUpperRoman
                                           : QTextListFormat::ListDecimal;
                l.prefix = a.value(kStyleNs, QLatin1String("num-prefix")).toString();
                l.suffix = a.value(kStyleNs, QLatin1String("num-suffix")).toString();
                if (const int start = a.value(kTextNs, QLatin1String("start-value")).toInt();
                    start > 0)
                    l.start = start;
                // A list numbered with no numbers shows none: a bullet is
                // nearer to it than "1.".
                if (format.isEmpty())
                    l.style = QTextListFormat::ListDisc;
            } else {
                l.style = level == 1   ? QTextListFormat::ListDisc
                          : level == 2 ? QTextListFormat::ListCircle
                                       : QTextListFormat::ListSquare;
            }
            levels.insert(level, l);
        }
        xml.skipCurrentElement();
    }
}

ListLevel Styles::listLevel(const QString &name, int level) const
{
    const auto list = m_lists.constFind(name);
    if (list != m_lists.cend()) {
        if (const auto it = list->constFind(level); it != list->cend())
            return *it;
    }
    ListLevel bullet;
    bullet.style = level <= 1   ? QTextListFormat::ListDisc
                   : level == 2 ? QTextListFormat::ListCircle
                                : QTextListFormat::ListSquare;
    return bullet;
}

const Resolved &Styles::resolve(Family &family, const QString &name, bool withDefault)
{
    if (const auto it = family.resolved.constFind(name); it != family.resolved.cend())
        return *it;
    // The chain from the style up to the first it is based on, each once.
    std::vector<const Style *> chain;
    QStringList seen;
    for (QString at = name; !at.isEmpty() && !seen.contains(at) && chain.size() < 32;) {
        const auto it = family.styles.constFind(at);
        if (it == family.styles.cend())
            break;
        seen << at;
        chain.push_back(&*it);
        at = it->parent;
    }
    if (withDefault && family.fallback)
        chain.push_back(&*family.fallback);
    Resolved r;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        r.text.apply((*it)->text);
        if ((*it)->align)
            r.align = *(*it)->align;
        if (!(*it)->listStyle.isEmpty())
            r.listStyle = (*it)->listStyle;
    }
    return *family.resolved.insert(name, r);
}

QTextCharFormat charFormat(const TextProps &p)
{
    // Every attribute is set, "off" as much as "on", as the RTF reader does:
    // the text shows as the file says whatever the box's font.
    QTextCharFormat f;
    if (p.family && !p.family->isEmpty())
        f.setFontFamilies(QStringList{*p.family});
    if (p.points)
        f.setFontPointSize(*p.points);
    f.setFontWeight(p.bold.value_or(false) ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic.value_or(false));
    f.setFontUnderline(p.underline.value_or(false));
    f.setFontStrikeOut(p.strike.value_or(false));
    if (p.colour && p.colour->isValid())
        f.setForeground(*p.colour);
    if (p.background && p.background->isValid())
        f.setBackground(*p.background);
    f.setVerticalAlignment(p.valign.value_or(QTextCharFormat::AlignNormal));
    if (!p.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(p.href);
    }
    return f;
}

// The document built at its end through one cursor in one edit block (undo
// off), a paragraph at a time: its mark and format first, then its text in
// runs of one format each, so that no block's format changes after its text
// is in.
class Builder
{
public:
    // A list of the file at one level, as it is being filled.
    struct List
    {
        QTextListFormat format;
        QTextList *part = nullptr;
        int inPart = 0;
        int items = 0;
    };

    explicit Builder(QTextDocument *doc) : m_cursor(doc), m_undo(doc->isUndoRedoEnabled())
    {
        doc->setUndoRedoEnabled(false);
        m_cursor.beginEditBlock();
    }
    ~Builder()
    {
        m_cursor.endEditBlock();
        m_cursor.document()->setUndoRedoEnabled(m_undo);
        m_cursor.document()->setModified(false);
    }

    // A new paragraph; `list`, when given, is the list it is an item of.
    void begin(const QTextBlockFormat &format, const QTextCharFormat &mark, List *list)
    {
        end();
        m_open = true;
        m_format = format;
        m_mark = mark;
        m_list = list;
        m_space = true;
        m_length = 0;
        m_floor = 0;
    }

    // Character data of the file: white space as OpenDocument has it, each
    // run of it one space, none at the start of a paragraph.
    void characters(QStringView text, const QTextCharFormat &format)
    {
        QString out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == u' ' || u == u'\t' || u == u'\n' || u == u'\r') {
                if (!m_space)
                    out += u' ';
                m_space = true;
            } else {
                // A paragraph break inside the text would split the block.
                out += u == 0x2029 ? QChar(u' ') : c;
                m_space = false;
            }
        }
        add(out, format);
    }
    // Text as it is: spaces of <text:s/>, a tab, a line break.
    void add(const QString &text, const QTextCharFormat &format)
    {
        if (text.isEmpty() || !m_open)
            return;
        m_characters += text.size();
        m_length += text.size();
        if (!m_runs.empty() && m_runs.back().format == format)
            m_runs.back().text += text;
        else
            m_runs.push_back({text, format});
    }
    // The start of a cell of a table row, or of a paragraph in a cell, in
    // the row's one paragraph: the separator (none: nothing), then text as
    // at a paragraph's start.
    void separate(QChar separator)
    {
        if (!separator.isNull())
            add(QString(separator), m_runs.empty() ? m_mark : m_runs.back().format);
        m_floor = m_length;
        m_space = true;
    }
    // A line break, without the white space before it, which shows as
    // nothing there (Qt's writer puts a tab before each line break, so that
    // the line does not stretch in justified text).
    void lineBreak(const QTextCharFormat &format)
    {
        while (!m_runs.empty() && m_length > m_floor) {
            QString &text = m_runs.back().text;
            while (!text.isEmpty() && m_length > m_floor &&
                   (text.back() == u' ' || text.back() == u'\t')) {
                text.chop(1);
                --m_length;
            }
            if (!text.isEmpty())
                break;
            m_runs.pop_back();
        }
        add(QString(QChar(0x2028)), format);
        m_space = true;
    }
    bool tooBig() const { return m_characters > kCharacterLimit; }

    void end()
    {
        if (!m_open)
            return;
        m_open = false;
        QTextBlockFormat block = m_format;
        if (m_list && m_list->part && m_list->inPart < kItemsPerPart)
            block.setObjectIndex(m_list->part->objectIndex());
        else if (m_list)
            m_list->part = nullptr; // a new part, once the block is there
        if (m_first) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(m_mark);
            m_first = false;
        } else {
            m_cursor.insertBlock(block, m_mark);
        }
        for (const Run &run : m_runs)
            m_cursor.insertText(run.text, run.format);
        m_runs.clear();
        if (m_list) {
            if (!m_list->part) {
                QTextListFormat part = m_list->format;
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
                part.setStart(part.intProperty(kListStartProperty) + m_list->items +
                              (part.hasProperty(kListStartProperty) ? 0 : 1));
#endif
                m_list->part = m_cursor.createList(part);
                m_list->inPart = 0;
            }
            ++m_list->inPart;
            ++m_list->items;
        }
    }

private:
    struct Run
    {
        QString text;
        QTextCharFormat format;
    };

    QTextCursor m_cursor;
    bool m_undo;
    bool m_first = true;
    bool m_open = false;
    QTextBlockFormat m_format;
    QTextCharFormat m_mark;
    List *m_list = nullptr;
    std::vector<Run> m_runs;
    bool m_space = true;
    qsizetype m_characters = 0; // in the document
    qsizetype m_length = 0;     // of the paragraph
    qsizetype m_floor = 0;      // of it that a line break leaves as it is
};

// Reads the body of content.xml into the document.
class OdtReader
{
public:
    OdtReader(QXmlStreamReader &xml, Styles &styles, QTextDocument *doc)
        : m_xml(xml), m_styles(styles), m_build(doc)
    {}

    // At <office:text>: reads it to its end.
    void text() { blocks(0); }
    bool tooBig() const { return m_build.tooBig(); }

private:
    struct ListContext
    {
        QString style;
        int level = 0; // from 1
        // The lists of the file at this level as they are filled; a new
        // <text:list> is a new one.
        std::unique_ptr<Builder::List> list;
    };

    // The list format of the context's level of its list style.
    void setListFormat(ListContext &context);
    bool skipped() const;
    void blocks(int depth);
    void paragraph(int depth, bool heading);
    void inlines(const TextProps &props, int depth);
    void list(int depth);
    void listItem(int depth);
    void row(int depth);

    QXmlStreamReader &m_xml;
    Styles &m_styles;
    Builder m_build;
    std::vector<ListContext> m_lists; // the lists the reader is in, outermost first
    bool m_itemStarted = false;       // the list item's first paragraph is in
    bool m_inRow = false;             // in a table row: its paragraphs go into one
    bool m_cellStarted = false;       // the cell's first paragraph is in
    int m_tableDepth = 0;
    int m_listId = 0;
};

// What holds no running text of the document: notes, comments, frames and
// shapes, tracked changes, declarations, the sources of indexes.
bool OdtReader::skipped() const
{
    const QStringView name = m_xml.name();
    const QStringView ns = m_xml.namespaceUri();
    if (ns == kDrawNs)
        return true;
    if (ns == kOfficeNs)
        return name == u"annotation" || name == u"annotation-end" || name == u"forms";
    if (ns == kTextNs) {
        return name == u"note" || name == u"tracked-changes" || name.endsWith(u"-decls") ||
               name.endsWith(u"-source") || name == u"bookmark" || name == u"bookmark-start" ||
               name == u"bookmark-end" || name == u"reference-mark" ||
               name == u"reference-mark-start" || name == u"reference-mark-end" ||
               name == u"soft-page-break" || name == u"change" || name == u"change-start" ||
               name == u"change-end" || name == u"ruby-text" || name == u"index-title-template";
    }
    return false;
}

void OdtReader::blocks(int depth)
{
    while (m_xml.readNextStartElement()) {
        if (depth > kMaxDepth || skipped() || m_build.tooBig())
            m_xml.skipCurrentElement();
        else if (is(m_xml, kTextNs, u"p"))
            paragraph(depth + 1, false);
        else if (is(m_xml, kTextNs, u"h"))
            paragraph(depth + 1, true);
        else if (is(m_xml, kTextNs, u"list"))
            list(depth + 1);
        else if (is(m_xml, kTableNs, u"table-row") && m_tableDepth == 1)
            row(depth + 1);
        else if (is(m_xml, kTableNs, u"table")) {
            ++m_tableDepth;
            blocks(depth + 1);
            --m_tableDepth;
        } else if (is(m_xml, kTableNs, u"table-column") || is(m_xml, kTableNs, u"table-columns") ||
                   is(m_xml, kTableNs, u"table-column-group"))
            m_xml.skipCurrentElement();
        else
            blocks(depth + 1); // sections, index bodies, cells, headers of rows
    }
}

void OdtReader::paragraph(int depth, bool heading)
{
    const QXmlStreamAttributes a = m_xml.attributes();
    const Resolved style =
        m_styles.paragraph(a.value(kTextNs, QLatin1String("style-name")).toString());
    TextProps props = style.text;
    // A heading whose style says nothing of its weight is bold, as every
    // word processor shows it.
    if (heading && !props.bold)
        props.bold = true;

    if (m_inRow) {
        // The paragraphs of a cell are lines of it.
        if (m_cellStarted)
            m_build.separate(QChar(0x2028));
        else
            m_build.separate(QChar());
        m_cellStarted = true;
        inlines(props, depth);
        return;
    }
    QTextBlockFormat block;
    if (style.align != Qt::AlignLeft)
        block.setAlignment(style.align);
    Builder::List *item = nullptr;
    if (!m_lists.empty()) {
        ListContext &context = m_lists.back();
        // A list that names no style of its own has that of its paragraphs.
        if (context.style.isEmpty() && !style.listStyle.isEmpty() && context.list->items == 0 &&
            !context.list->part) {
            context.style = style.listStyle;
            setListFormat(context);
        }
        if (!m_itemStarted)
            item = context.list.get();
        else // a paragraph of the item after its first: no marker of its own
            block.setIndent(m_lists.back().level);
        m_itemStarted = true;
    }
    m_build.begin(block, charFormat(props), item);
    inlines(props, depth);
    m_build.end();
}

void OdtReader::inlines(const TextProps &props, int depth)
{
    const QTextCharFormat format = charFormat(props);
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
            m_build.characters(m_xml.text(), format);
            break;
        case QXmlStreamReader::EndElement:
            return;
        case QXmlStreamReader::StartElement: {
            if (depth > kMaxDepth || skipped() || m_build.tooBig()) {
                m_xml.skipCurrentElement();
            } else if (is(m_xml, kTextNs, u"s")) {
                const int count = m_xml.attributes().value(kTextNs, QLatin1String("c")).toInt();
                m_build.add(QString(std::clamp(count, 1, 10000), u' '), format);
                m_xml.skipCurrentElement();
            } else if (is(m_xml, kTextNs, u"tab")) {
                m_build.add(QStringLiteral("\t"), format);
                m_xml.skipCurrentElement();
            } else if (is(m_xml, kTextNs, u"line-break")) {
                m_build.lineBreak(format);
                m_xml.skipCurrentElement();
            } else if (is(m_xml, kTextNs, u"span") || is(m_xml, kTextNs, u"a")) {
                TextProps inner = props;
                const QXmlStreamAttributes a = m_xml.attributes();
                if (const QString style = a.value(kTextNs, QLatin1String("style-name")).toString();
                    !style.isEmpty())
                    inner.apply(m_styles.text(style).text);
                if (is(m_xml, kTextNs, u"a"))
                    inner.href = a.value(kXlinkNs, QLatin1String("href")).toString();
                inlines(inner, depth + 1);
            } else {
                // Fields and the like: their text is what they show.
                inlines(props, depth + 1);
            }
            break;
        }
        default:
            break;
        }
    }
}

void OdtReader::setListFormat(ListContext &context)
{
    const ListLevel level = m_styles.listLevel(context.style, context.level);
    QTextListFormat f;
    f.setStyle(level.style);
    f.setIndent(context.level);
    f.setProperty(kListIdProperty, ++m_listId);
    if (level.style < QTextListFormat::ListSquare) { // a numbered one
        f.setNumberPrefix(level.prefix);
        f.setNumberSuffix(level.suffix);
        if (level.start != 1)
            f.setProperty(kListStartProperty, level.start);
    }
    context.list->format = f;
}

void OdtReader::list(int depth)
{
    const QString named = m_xml.attributes().value(kTextNs, QLatin1String("style-name")).toString();
    ListContext context;
    context.style = !named.isEmpty() ? named : m_lists.empty() ? QString() : m_lists.back().style;
    context.level = int(m_lists.size()) + 1;
    context.list = std::make_unique<Builder::List>();
    setListFormat(context);
    m_lists.push_back(std::move(context));
    while (m_xml.readNextStartElement()) {
        if (depth > kMaxDepth || m_build.tooBig())
            m_xml.skipCurrentElement();
        else if (is(m_xml, kTextNs, u"list-item"))
            listItem(depth + 1);
        else if (is(m_xml, kTextNs, u"list-header")) {
            // Paragraphs in the list without a marker.
            m_itemStarted = true;
            blocks(depth + 1);
        } else
            m_xml.skipCurrentElement();
    }
    m_lists.pop_back();
}

void OdtReader::listItem(int depth)
{
    m_itemStarted = false;
    blocks(depth);
}

void OdtReader::row(int depth)
{
    // The row is one paragraph, its cells separated by tabs.
    m_build.begin(QTextBlockFormat(), QTextCharFormat(), nullptr);
    m_inRow = true;
    bool first = true;
    while (m_xml.readNextStartElement()) {
        if (is(m_xml, kTableNs, u"table-cell") || is(m_xml, kTableNs, u"covered-table-cell")) {
            if (!first)
                m_build.separate(u'\t');
            first = false;
            m_cellStarted = false;
            blocks(depth + 1);
        } else {
            m_xml.skipCurrentElement();
        }
    }
    m_build.end();
    m_inRow = false;
}

// One part of a zip file, at most `limit` bytes of it.
enum class Part { Read, Missing, TooBig, Damaged };

Part readPart(zip_t *zip, const char *name, qint64 limit, QByteArray *out)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name, 0, &st) != 0)
        return Part::Missing;
    if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit))
        return Part::TooBig;
    zip_file_t *file = zip_fopen_index(zip, st.index, 0);
    if (!file)
        return Part::Damaged;
    QByteArray bytes;
    if (st.valid & ZIP_STAT_SIZE)
        bytes.reserve(qsizetype(st.size));
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            zip_fclose(file);
            return Part::Damaged; // a broken stream, or a wrong checksum at its end
        }
        if (n == 0)
            break;
        if (bytes.size() + n > limit) {
            zip_fclose(file);
            return Part::TooBig;
        }
        bytes.append(buffer, qsizetype(n));
    }
    if (zip_fclose(file) != 0)
        return Part::Damaged;
    *out = std::move(bytes);
    return Part::Read;
}

struct ZipCloser
{
    void operator()(zip_t *zip) const { zip_discard(zip); }
};

bool readOdt(QByteArrayView bytes, const QString &fileName, QTextDocument *doc, QString *error)
{
    const QString notOdt =
        QStringLiteral("Soubor %1 není dokument OpenDocument (ODT), nebo je poškozený.")
            .arg(quoted(fileName));
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *source =
        zip_source_buffer_create(bytes.data(), zip_uint64_t(bytes.size()), 0, &zipError);
    std::unique_ptr<zip_t, ZipCloser> zip;
    if (source) {
        zip.reset(zip_open_from_source(source, ZIP_RDONLY, &zipError));
        if (!zip)
            zip_source_free(source);
    }
    zip_error_fini(&zipError);
    if (!zip) {
        setError(error, notOdt);
        return false;
    }

    // A document saved with a password has its parts encrypted.
    QByteArray manifest;
    if (readPart(zip.get(), "META-INF/manifest.xml", kPartLimit, &manifest) == Part::Read &&
        manifest.contains("encryption-data")) {
        setError(error, QStringLiteral("Dokument %1 je chráněný heslem, program ho nepřečte.")
                            .arg(quoted(fileName)));
        return false;
    }
    QByteArray content;
    QByteArray named;
    const Part contentRead = readPart(zip.get(), "content.xml", kPartLimit, &content);
    const Part namedRead = readPart(zip.get(), "styles.xml", kPartLimit, &named);
    if (contentRead == Part::TooBig || namedRead == Part::TooBig) {
        setError(error,
                 QStringLiteral("Dokument %1 je na vtip příliš velký.").arg(quoted(fileName)));
        return false;
    }
    if (contentRead == Part::Missing) {
        setError(error, QStringLiteral("Soubor %1 není dokument OpenDocument (ODT): chybí v něm "
                                       "jeho text (content.xml).")
                            .arg(quoted(fileName)));
        return false;
    }
    if (contentRead == Part::Damaged || namedRead == Part::Damaged) {
        setError(error, notOdt);
        return false;
    }
    zip.reset();

    const QString damaged =
        QStringLiteral("Dokument %1 je poškozený, jeho text nelze přečíst.").arg(quoted(fileName));
    Styles styles;
    if (!named.isEmpty()) {
        // The named styles, which content.xml's paragraphs and automatic
        // styles are based on; its automatic styles are those of headers
        // and footers.
        QXmlStreamReader xml(named);
        if (xml.readNextStartElement()) {
            while (xml.readNextStartElement()) {
                if (is(xml, kOfficeNs, u"font-face-decls"))
                    styles.readFonts(xml);
                else if (is(xml, kOfficeNs, u"styles"))
                    styles.read(xml);
                else
                    xml.skipCurrentElement();
            }
        }
        if (xml.hasError()) {
            setError(error, damaged);
            return false;
        }
    }

    doc->clear();
    QXmlStreamReader xml(content);
    bool found = false;
    bool tooBig = false;
    if (xml.readNextStartElement() && is(xml, kOfficeNs, u"document-content")) {
        while (xml.readNextStartElement()) {
            if (is(xml, kOfficeNs, u"font-face-decls")) {
                styles.readFonts(xml);
            } else if (is(xml, kOfficeNs, u"automatic-styles") || is(xml, kOfficeNs, u"styles")) {
                styles.read(xml);
            } else if (is(xml, kOfficeNs, u"body")) {
                while (xml.readNextStartElement()) {
                    if (is(xml, kOfficeNs, u"text") && !found) {
                        found = true;
                        OdtReader reader(xml, styles, doc);
                        reader.text();
                        tooBig = reader.tooBig();
                    } else {
                        xml.skipCurrentElement();
                    }
                }
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    if (tooBig) {
        setError(error,
                 QStringLiteral("Dokument %1 je na vtip příliš velký.").arg(quoted(fileName)));
        return false;
    }
    if (xml.hasError()) {
        setError(error, damaged);
        return false;
    }
    if (!found) {
        setError(
            error,
            QStringLiteral("Soubor %1 není textový dokument OpenDocument.").arg(quoted(fileName)));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

// The document of a file's bytes; false with `error` when they are not of
// the file's kind.
bool readDocument(QByteArrayView bytes, const QString &fileName, QTextDocument *doc, QString *error)
{
    const QString notText = QStringLiteral("Soubor %1 není textový soubor.").arg(quoted(fileName));
    switch (kindOf(fileName)) {
    case Kind::Rtf:
        if (!readRtf(bytes, doc)) {
            setError(error, QStringLiteral("Soubor %1 není dokument RTF.").arg(quoted(fileName)));
            return false;
        }
        return true;
    case Kind::Text: {
        const std::optional<QString> text = decodeText(bytes);
        if (!text) {
            setError(error, notText);
            return false;
        }
        setPlainText(doc, *text);
        return true;
    }
    case Kind::Html: {
        const std::optional<QString> html = decodeHtml(bytes);
        if (!html) {
            setError(error, QStringLiteral("Soubor %1 není stránka HTML.").arg(quoted(fileName)));
            return false;
        }
        doc->setHtml(*html);
        return true;
    }
    case Kind::Markdown: {
        const std::optional<QString> text = decodeText(bytes);
        if (!text) {
            setError(error, notText);
            return false;
        }
        doc->setMarkdown(*text);
        return true;
    }
    case Kind::Odt:
        return readOdt(bytes, fileName, doc, error);
    case Kind::Unknown:
        break;
    }
    setError(error, QStringLiteral("Soubor %1 program neumí přečíst: vtip se dá udělat jen ze "
                                   "souboru RTF, TXT, HTML, ODT nebo MD.")
                        .arg(quoted(fileName)));
    return false;
}

} // namespace

bool isJokeSourceFile(const QString &fileName)
{
    return kindOf(fileName) != Kind::Unknown;
}

std::optional<QByteArray> jokeFromBytes(QByteArrayView bytes, const QString &fileName,
                                        QString *error, const QFont &font)
{
    ImportDocument doc;
    if (kindOf(fileName) == Kind::Text) {
        doc.setDefaultFont(font);
    } else {
        // The formatted kinds are bold, italic and so on only where they
        // say so.
        QFont plain = font;
        plain.setBold(false);
        plain.setItalic(false);
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        doc.setDefaultFont(plain);
    }
    if (!readDocument(bytes, fileName, &doc, error))
        return std::nullopt;
    return writeRtf(doc);
}

std::optional<QByteArray> jokeFromFile(const QString &path, QString *error, const QFont &font)
{
    if (!isJokeSourceFile(path))
        return jokeFromBytes({}, path, error, font); // says which kinds it reads
    const std::optional<QByteArray> bytes = readExternal(path, kJokeLimit, error);
    if (!bytes)
        return std::nullopt;
    return jokeFromBytes(*bytes, path, error, font);
}

QString jokeNameForFile(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

} // namespace store
