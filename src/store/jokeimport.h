#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFont>
#include <QString>

#include <optional>

// Jokes from other programs' files: one file becomes one joke, its text
// converted to the RTF the program writes.
//
// What a file gives:
// - .rtf: RTF as the program reads it (rtfreader.h);
// - .txt: plain text, UTF-8 or UTF-16 with a byte-order mark, UTF-8 without
//   one when its bytes are valid UTF-8, else Windows-1250; lines end with
//   CR LF, LF or CR;
// - .html, .htm: HTML in the character set it declares (else told apart as
//   text is);
// - .md: Markdown (GitHub's), its encoding told apart as text;
// - .odt: an OpenDocument text (its content.xml, and the named styles of its
//   styles.xml): paragraphs and headings, their alignment, bold, italic,
//   underline, strike-out, colour, size and font of the text, spaces, tabs
//   and line breaks, bulleted and numbered lists, a table's row as one
//   paragraph of cells separated by tabs.
// Pictures, notes, comments, frames and the like are left out: a joke's RTF
// holds none (the writer writes text only), so nothing is read for them
// either, neither a file beside the page nor anything from the network.
namespace store {

// Whether the program can make a joke of a file of this name (.rtf, .txt,
// .html/.htm, .odt, .md; any letter case).
bool isJokeSourceFile(const QString &fileName);

// The RTF of a joke made from the file (at most kJokeLimit bytes). `font` is
// the font of text the file gives no font for: the whole of it (its boldness
// too) for plain text, which then looks as a joke typed into the editor;
// only its family and size for the formatted kinds, whose text is bold or
// italic only where the file says so. None, with `error` saying why in plain
// Czech, when the file cannot be read or is not of the kind its name says
// (a text with NUL bytes, an .odt that is no OpenDocument text, a damaged
// one, an .rtf that is no RTF).
std::optional<QByteArray> jokeFromFile(const QString &path, QString *error = nullptr,
                                       const QFont &font = QFont());
// The same from a file's bytes; `fileName` tells their kind and is what a
// message calls the file.
std::optional<QByteArray> jokeFromBytes(QByteArrayView bytes, const QString &fileName,
                                        QString *error = nullptr, const QFont &font = QFont());

// The joke name a file gives: its name without the extension.
QString jokeNameForFile(const QString &path);

} // namespace store
