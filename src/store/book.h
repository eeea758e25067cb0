#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QTextDocument;

// Libraries as a book to read or to print: a title page for each library
// (its name, description and author), the contents, then each joke headed by
// its name, with its formatting and pictures, in the library's order. A joke
// not written yet is listed all the same, with the program's note in place
// of its text. Several libraries make one book, titled "Chichotek", that
// lists them first and then has each of them as a library's book has it.
//
// Everything works in the program folder that is the working directory, as
// the rest of the store does.
namespace store {

enum class BookFormat {
    Html, // one page holding everything, pictures too; well-formed XML (XHTML)
    Pdf,  // A4 pages, numbered, the contents with the jokes' pages; fonts embedded
    Odt,  // OpenDocument text for LibreOffice; its contents without pages
    Epub, // EPUB 3, a page for each library, a picture a file
};

// The format a file name asks for by its extension (.html/.htm, .pdf, .odt,
// .epub, any letter case); none for another one.
std::optional<BookFormat> bookFormatFor(const QString &fileName);

// Writes the libraries (in the given order) as one book file, through the
// save routine for outside files: a failing save leaves the file there before
// as it was. False, with `error` in Czech, when a library's list of jokes
// cannot be read (nothing is written then) or the file cannot be saved.
bool writeBook(const QStringList &libraries, const QString &fileName, BookFormat format,
               QString *error = nullptr);

// Lays the book out on a paged device (a printer, the print preview, a PDF
// writer) and paints it there: the pages of the PDF, at the device's page
// size and margins. The painting starts and ends on the device here.
bool paintBook(const QStringList &libraries, QPagedPaintDevice *device, QString *error = nullptr);

namespace testing {
// Called with each joke's document as the book reads it (the library, the
// joke), to change it: the reader takes no pictures from a joke's file, so a
// test adds one this way. An empty function removes it.
void setBookJokeHook(
    std::function<void(const QString &library, const QString &joke, QTextDocument *doc)> hook);
} // namespace testing

} // namespace store
