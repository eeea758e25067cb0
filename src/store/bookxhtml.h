#pragma once

#include "bookparts.h"

#include <QString>
#include <QStringView>

#include <functional>

class QTextDocument;

// The book as XHTML, for the HTML file and the EPUB's chapters: every
// element closed, every attribute quoted, every text escaped, so that an XML
// parser reads it as well as a browser does.
namespace store::bookparts {

// Text for an element or a quoted attribute: markup characters as
// references, characters XML does not allow left out.
void appendEscaped(QString &out, QStringView text);

// Where the page finds a picture: the address for its `src` (a data: URI, or
// the name of a file beside the page).
using PictureAddress = std::function<QString(const Picture &picture)>;

// The document's paragraphs and lists as XHTML elements, with their
// formatting (fonts, sizes, bold, italic, underline, colours, alignment,
// indents, lists) and their pictures.
void appendDocument(QString &out, const QTextDocument &doc, const PictureAddress &address);

// The start of an XHTML page up to its body: `head` is put into the head (a
// style sheet, or a link to one). `epub` for an EPUB's pages: with the XML
// declaration and the EPUB namespace.
QString pageStart(const QString &title, const QString &head, bool epub);
QString pageEnd();
// The style sheet of the book's own text (titles, contents, headings).
QString styleSheet();

// The anchors of a library (its title) and of a joke, by their places in the
// book from 1.
QString libraryAnchor(int library);
QString jokeAnchor(int library, int joke);

// The book's title with the list of its libraries (several of them), each
// linked to by `page` + "#" + its anchor.
void appendBookTitle(QString &out, const std::vector<Library> &libraries,
                     const std::function<QString(int library)> &page);

// A library's part of the book: its title, its contents linking to each of
// its jokes, and the jokes, each read from its file as it comes and headed by
// its name. `flush` is given the text so far after each joke, to hand it on.
void appendLibrary(QString &out, const Library &library, int number, const PictureAddress &address,
                   const std::function<void(QString &)> &flush);

} // namespace store::bookparts
