#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QTextDocument;

// Libraries as a book to read or to print: a title page for each library
// (its name, description and author), the contents, then each joke headed by
// its name, with its formatting and pictures, in the library's order.
namespace store {

enum class BookFormat { Html, Pdf, Odt, Epub };

// The format a file name asks for by its extension (.html/.htm, .pdf, .odt,
// .epub, any letter case); none for another one.
std::optional<BookFormat> bookFormatFor(const QString &fileName);

// Writes the libraries (in the given order) as one book file, through the
// save routine for outside files.
bool writeBook(const QStringList &libraries, const QString &fileName, BookFormat format,
               QString *error = nullptr);

// Lays the book out on a paged device (a printer, the print preview, a PDF
// writer) and paints it there: the same pages the PDF has.
bool paintBook(const QStringList &libraries, QPagedPaintDevice *device, QString *error = nullptr);

namespace testing {
// Called with each joke's document as the book reads it (the library, the
// joke), to change it: the reader takes no pictures from a joke's file, so a
// test adds one this way. An empty function removes it.
void setBookJokeHook(
    std::function<void(const QString &library, const QString &joke, QTextDocument *doc)> hook);
} // namespace testing

} // namespace store
