#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <functional>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QTextCursor;
class QTextDocument;
class QTextImageFormat;

// What the book's formats (book.h) share: the libraries as the database holds
// them, each joke's document, the look of the book's own text (titles,
// contents, headings) and the pictures of a document.
namespace store::bookparts {

struct Library
{
    QString name;
    QStringList description; // its lines
    QString author;
    QStringList jokes; // in the library's order
};

// The libraries' descriptions, authors and lists of jokes, in the given order.
// None, with `error` saying why, when there is no library or a library's list
// cannot be read (a book without a library's jokes would look whole).
std::optional<std::vector<Library>> readLibraries(const QStringList &names, QString *error);

// The title of the book: the library's name, or the program's for several.
QString bookTitle(const std::vector<Library> &libraries);
// "Počet vtipů: 8".
QString jokeCount(const Library &library);

constexpr char16_t kNotWritten[] = u"Vtip nebyl dosud napsán nebo nelze nalézt!!!";

// A document for the book: no undo, no margin of its own, the jokes' font
// where a joke names none, and fractional glyph positions, so that its layout
// is the same on every device it is printed on.
void prepareDocument(QTextDocument *doc);

// Reads the joke into `doc` through the store's reader. A joke not written
// yet (or whose file cannot be read) gets the program's note instead, in the
// NotWritten style. Returns whether the joke is written.
bool readJoke(const QString &library, const QString &joke, QTextDocument *doc);

// Puts `name` before the joke's text as its heading: the document's first
// block, in the Heading style; the joke's own first block keeps its format.
void addHeading(QTextDocument *doc, const QString &name);

// The book's own text.
enum class Style {
    BookTitle,     // "Chichotek", before several libraries
    LibraryTitle,  // a library's name on its title page
    Description,   // a line of its description
    Author,        // "Autor: …"
    Count,         // "Počet vtipů: …"
    ContentsTitle, // "Obsah"
    ContentsEntry, // a joke's (or library's) name in the contents
    Heading,       // a joke's name before its text
    NotWritten,    // the note in place of a joke not written yet
    PageNumber,    // at the foot of a page
};
QTextCharFormat charFormat(Style style);
QTextBlockFormat blockFormat(Style style);

// Adds paragraphs to a document through a cursor: the first fills the empty
// document's only block, each later one is a new block.
class Paragraphs
{
public:
    explicit Paragraphs(QTextCursor &cursor) : m_cursor(cursor) {}
    void add(Style style, const QString &text, bool newPage = false, qreal topMargin = -1);

private:
    QTextCursor &m_cursor;
};

// A library's title page: its name, description, author and number of jokes;
// `topSpace` above the name.
void addTitlePage(Paragraphs &to, const Library &library, qreal topSpace, bool newPage);

// A picture of a document, as the book's files take it: PNG, or JPEG or GIF
// when it came so.
struct Picture
{
    QByteArray bytes;
    QString mediaType; // "image/png"
    QString suffix;    // "png"
    QSize size;        // in pixels
};
// The picture that an image in `doc` shows; none when it has none.
std::optional<Picture> pictureOf(const QTextDocument &doc, const QTextImageFormat &format);

// Calls `change` with each image of the document and its format; what it
// sets on the format goes back to the image.
void forEachImage(QTextDocument *doc, const std::function<void(QTextImageFormat &)> &change);

// Makes every picture of `doc` fit into `box` (in pixels), its proportions
// kept.
void fitPictures(QTextDocument *doc, const QSizeF &box);

// The libraries as an EPUB 3 file; none, with `error`, when it cannot be
// made.
std::optional<QByteArray> epubBytes(const std::vector<Library> &libraries, QString *error);

// Lays out the libraries as pages and paints them on `device`; false, with
// `error`, when the device cannot be painted on.
bool paintPages(const std::vector<Library> &libraries, QPagedPaintDevice *device, QString *error);

} // namespace store::bookparts
