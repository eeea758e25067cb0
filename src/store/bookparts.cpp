#include "bookparts.h"

#include "book.h"
#include "files.h"
#include "paths.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace store {
namespace {

std::function<void(const QString &, const QString &, QTextDocument *)> g_jokeHook;

// The plain text of a rich-text file (a description, an author) as the
// program's boxes read it; empty when there is none.
QString plainText(const DbPath &path)
{
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    if (!readRichText(path, &doc))
        return {};
    return doc.toPlainText();
}

// The book's own text is in Liberation Sans (as Arial looks, and on every
// Linux system with office programs), Arial where that is missing.
const QStringList &bookFamilies()
{
    static const QStringList families{u"Liberation Sans"_qs, u"Arial"_qs, u"DejaVu Sans"_qs};
    return families;
}

const QColor kHeadingColour(0x1d, 0x3c, 0x6e);
const QColor kQuietColour(0x55, 0x55, 0x55);

} // namespace

namespace testing {
void setBookJokeHook(std::function<void(const QString &, const QString &, QTextDocument *)> hook)
{
    g_jokeHook = std::move(hook);
}
} // namespace testing

namespace bookparts {

std::optional<std::vector<Library>> readLibraries(const QStringList &names, QString *error)
{
    if (names.isEmpty()) {
        if (error)
            *error = u"Není vybrána žádná knihovna."_qs;
        return std::nullopt;
    }
    std::vector<Library> libraries;
    libraries.reserve(std::size_t(names.size()));
    for (const QString &name : names) {
        Library library;
        library.name = name;
        const std::optional<QStringList> jokes = readList(DbPath::jokeList(name), error);
        if (!jokes)
            return std::nullopt;
        library.jokes = *jokes;
        const QString description = plainText(DbPath::libraryFile(name, u".da1"_qs));
        library.description = description.split(u'\n');
        while (!library.description.isEmpty() && library.description.last().trimmed().isEmpty())
            library.description.removeLast();
        library.author = plainText(DbPath::libraryFile(name, u".da3"_qs)).trimmed();
        libraries.push_back(std::move(library));
    }
    return libraries;
}

QString bookTitle(const std::vector<Library> &libraries)
{
    return libraries.size() == 1 ? libraries.front().name : u"Chichotek"_qs;
}

QString jokeCount(const Library &library)
{
    return u"Počet vtipů: %1"_qs.arg(library.jokes.size());
}

void prepareDocument(QTextDocument *doc)
{
    doc->setUndoRedoEnabled(false);
    doc->setDocumentMargin(0);
    doc->setUseDesignMetrics(true);
    QFont font;
    font.setFamilies({u"Arial"_qs, u"Liberation Sans"_qs});
    font.setPointSize(12);
    doc->setDefaultFont(font);
}

bool readJoke(const QString &library, const QString &joke, QTextDocument *doc)
{
    const DbPath path = DbPath::jokeFile(library, joke);
    const bool written = path.isValid() && readRichText(path, doc);
    if (!written) {
        doc->clear();
        QTextCursor cursor(doc);
        cursor.setBlockFormat(blockFormat(Style::NotWritten));
        cursor.setBlockCharFormat(charFormat(Style::NotWritten));
        cursor.insertText(QString::fromUtf16(kNotWritten), charFormat(Style::NotWritten));
    }
    if (g_jokeHook)
        g_jokeHook(library, joke, doc);
    return written;
}

void addHeading(QTextDocument *doc, const QString &name)
{
    // A new block before the joke's first one takes that one's format and
    // list with it; the first block then becomes the heading.
    QTextCursor cursor(doc);
    const QTextBlock first = doc->begin();
    cursor.insertBlock(first.blockFormat(), first.charFormat());
    cursor.movePosition(QTextCursor::Start);
    cursor.setBlockFormat(blockFormat(Style::Heading));
    cursor.setBlockCharFormat(charFormat(Style::Heading));
    cursor.insertText(name, charFormat(Style::Heading));
}

QTextCharFormat charFormat(Style style)
{
    QTextCharFormat f;
    f.setFontFamilies(bookFamilies());
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    f.setFontStrikeOut(false);
    f.setForeground(QColor(Qt::black));
    switch (style) {
    case Style::BookTitle:
        f.setFontPointSize(40);
        f.setFontWeight(QFont::Bold);
        f.setForeground(kHeadingColour);
        break;
    case Style::LibraryTitle:
        f.setFontPointSize(28);
        f.setFontWeight(QFont::Bold);
        f.setForeground(kHeadingColour);
        break;
    case Style::Description:
        f.setFontPointSize(13);
        break;
    case Style::Author:
        f.setFontPointSize(13);
        f.setFontItalic(true);
        break;
    case Style::Count:
        f.setFontPointSize(11);
        f.setForeground(kQuietColour);
        break;
    case Style::ContentsTitle:
        f.setFontPointSize(20);
        f.setFontWeight(QFont::Bold);
        f.setForeground(kHeadingColour);
        break;
    case Style::ContentsEntry:
        f.setFontPointSize(11);
        break;
    case Style::Heading:
        f.setFontPointSize(15);
        f.setFontWeight(QFont::Bold);
        f.setForeground(kHeadingColour);
        break;
    case Style::NotWritten:
        f.setFontPointSize(12);
        f.setFontItalic(true);
        f.setForeground(kQuietColour);
        break;
    case Style::PageNumber:
        f.setFontPointSize(10);
        f.setForeground(kQuietColour);
        break;
    }
    return f;
}

QTextBlockFormat blockFormat(Style style)
{
    QTextBlockFormat f;
    switch (style) {
    case Style::BookTitle:
    case Style::LibraryTitle:
        f.setAlignment(Qt::AlignHCenter);
        f.setBottomMargin(24);
        break;
    case Style::Description:
        f.setAlignment(Qt::AlignHCenter);
        f.setBottomMargin(4);
        break;
    case Style::Author:
        f.setAlignment(Qt::AlignHCenter);
        f.setTopMargin(28);
        break;
    case Style::Count:
        f.setAlignment(Qt::AlignHCenter);
        f.setTopMargin(10);
        break;
    case Style::ContentsTitle:
        f.setBottomMargin(16);
        break;
    case Style::ContentsEntry:
        f.setTopMargin(2);
        f.setBottomMargin(2);
        break;
    case Style::Heading:
        f.setTopMargin(22);
        f.setBottomMargin(8);
        f.setHeadingLevel(2);
        break;
    case Style::NotWritten:
    case Style::PageNumber:
        break;
    }
    return f;
}

void Paragraphs::add(Style style, const QString &text, bool newPage, qreal topMargin)
{
    QTextBlockFormat block = blockFormat(style);
    if (newPage)
        block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (topMargin >= 0)
        block.setTopMargin(topMargin);
    const QTextCharFormat chars = charFormat(style);
    if (m_cursor.atStart() && m_cursor.document()->isEmpty()) {
        m_cursor.setBlockFormat(block);
        m_cursor.setBlockCharFormat(chars);
    } else {
        m_cursor.insertBlock(block, chars);
    }
    m_cursor.insertText(text, chars);
}

void addTitlePage(Paragraphs &to, const Library &library, qreal topSpace, bool newPage)
{
    to.add(Style::LibraryTitle, library.name, newPage, topSpace);
    for (const QString &line : library.description)
        to.add(Style::Description, line);
    if (!library.author.isEmpty())
        to.add(Style::Author, u"Autor: "_qs + library.author);
    to.add(Style::Count, jokeCount(library));
}

std::optional<Picture> pictureOf(const QTextDocument &doc, const QTextImageFormat &format)
{
    const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(format.name()));
    QImage image;
    switch (resource.userType()) {
    case QMetaType::QImage:
        image = resource.value<QImage>();
        break;
    case QMetaType::QPixmap:
        image = resource.value<QPixmap>().toImage();
        break;
    case QMetaType::QByteArray: {
        // Encoded pictures of the kinds every reader shows stay as they are.
        Picture picture;
        picture.bytes = resource.toByteArray();
        QBuffer buffer(&picture.bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QByteArray kind = reader.format().toLower();
        if (kind == "png" || kind == "jpeg" || kind == "jpg" || kind == "gif") {
            picture.suffix = kind == "jpg" ? u"jpeg"_qs : QString::fromLatin1(kind);
            picture.mediaType = u"image/"_qs + picture.suffix;
            picture.size = reader.size();
            if (picture.size.isValid())
                return picture;
        }
        buffer.seek(0);
        image = QImageReader(&buffer).read();
        break;
    }
    default:
        break;
    }
    if (image.isNull())
        return std::nullopt;
    Picture picture;
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    picture.mediaType = u"image/png"_qs;
    picture.suffix = u"png"_qs;
    picture.size = image.size();
    return picture;
}

void forEachImage(QTextDocument *doc, const std::function<void(QTextImageFormat &)> &change)
{
    // The places first: a changed format may join or split fragments.
    std::vector<std::pair<int, int>> places;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                places.emplace_back(fragment.position(), fragment.length());
        }
    }
    QTextCursor cursor(doc);
    for (const auto &[position, length] : places) {
        for (int i = 0; i < length; ++i) {
            cursor.setPosition(position + i);
            cursor.setPosition(position + i + 1, QTextCursor::KeepAnchor);
            QTextImageFormat format = cursor.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QTextImageFormat before = format;
            change(format);
            if (format != before)
                cursor.setCharFormat(format);
        }
    }
}

void fitPictures(QTextDocument *doc, const QSizeF &box)
{
    forEachImage(doc, [&](QTextImageFormat &format) {
        QSizeF size(format.width(), format.height());
        if (!format.hasProperty(QTextFormat::ImageWidth) ||
            !format.hasProperty(QTextFormat::ImageHeight)) {
            const std::optional<Picture> picture = pictureOf(*doc, format);
            if (!picture)
                return;
            const QSizeF natural = picture->size;
            if (!format.hasProperty(QTextFormat::ImageWidth) &&
                !format.hasProperty(QTextFormat::ImageHeight))
                size = natural;
            else if (!format.hasProperty(QTextFormat::ImageHeight))
                size.setHeight(natural.height() * size.width() / std::max(1.0, natural.width()));
            else
                size.setWidth(natural.width() * size.height() / std::max(1.0, natural.height()));
        }
        if (size.isEmpty() || (size.width() <= box.width() && size.height() <= box.height()))
            return;
        const QSizeF fitted = size.scaled(box, Qt::KeepAspectRatio);
        format.setWidth(fitted.width());
        format.setHeight(fitted.height());
    });
}

} // namespace bookparts
} // namespace store
