#pragma once

#include "paths.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>

#include <optional>

class QTextDocument;

// The file operations of the joke database. Each reads or writes one whole
// file. A failure is returned as a plain Czech description in `error` (when
// given), for the caller to report; nothing is retried.
//
// Every write is atomic: the new content goes to a temporary file that then
// replaces the old one, so a failing or interrupted write leaves the old file
// whole.
namespace store {

// Splits 8-bit text into lines at CR LF, a lone CR and a lone LF. A NUL byte
// ends the text, a final line break gives no empty last line, and an empty line
// between others is kept. Lines are not trimmed.
QStringList splitLines(const QString &text);
// The text with a NUL byte ending it and every line break turned into CR LF.
QString normaliseBreaks(const QString &text);

std::optional<QByteArray> readBytes(const DbPath &path, QString *error = nullptr);
bool writeBytes(const DbPath &path, const QByteArray &bytes, QString *error = nullptr);

// Files outside the database, such as those the user picks in a dialog, by
// their full path; written atomically as the database files are.
std::optional<QByteArray> readExternal(const QString &path, QString *error = nullptr);
bool writeExternal(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// The lines of an 8-bit text file outside the database.
std::optional<QStringList> readExternalList(const QString &path, QString *error = nullptr);

// A list file: one entry per line.
std::optional<QStringList> readList(const DbPath &path, QString *error = nullptr);
// Every entry, the last one included, followed by CR LF.
bool writeList(const DbPath &path, const QStringList &lines, QString *error = nullptr);

// The whole text, line breaks normalised to CR LF.
std::optional<QString> readText(const DbPath &path, QString *error = nullptr);
// Exactly the given text, line breaks as they are in it.
bool writeText(const DbPath &path, const QString &text, QString *error = nullptr);
// The text up to the first line break (an empty file gives an empty line).
QString firstLine(const QString &text);

// Appends `line` as a new last line of a text file as a text box would: after
// content ending in a line break the result is content + line + CR LF; after
// content without one, CR LF + line with no break after it; an empty file
// becomes line + CR LF. Line breaks of the old content become CR LF.
bool appendLine(const DbPath &path, const QString &line, QString *error = nullptr);

// A rich-text file: RTF when it starts with "{\rtf", otherwise 8-bit text,
// which gets `plainFormat` (by default none: the document's font).
bool readRichText(const DbPath &path, QTextDocument *document, QString *error = nullptr,
                  const QTextCharFormat &plainFormat = QTextCharFormat());
// Writes the document as RTF.
bool writeRichText(const DbPath &path, const QTextDocument &document, QString *error = nullptr);

// An icon file, kept as the bytes it was loaded from so that writing it back
// writes the same file.
struct Icon
{
    QByteArray bytes;
    QImage image;
    bool isNull() const { return bytes.isEmpty(); }
};
// Parses the bytes of an icon file; a null icon when they are not one.
Icon iconFromBytes(const QByteArray &bytes);
std::optional<Icon> readIcon(const DbPath &path, QString *error = nullptr);
bool writeIcon(const DbPath &path, const Icon &icon, QString *error = nullptr);

// Creates the library's folder in `DataBase`; fails when it exists (in any
// letter case), when the name is refused, or when `DataBase` is missing.
bool createLibraryFolder(const QString &library, QString *error = nullptr);
bool deleteFile(const DbPath &path, QString *error = nullptr);
// Removes an empty folder.
bool removeFolder(const DbPath &path, QString *error = nullptr);

// The description of a refused name, for messages.
QString refusedNameError(const DbPath &path);

namespace testing {
// Makes every following write stop after `bytes` bytes as if the disk failed
// (-1 turns it off). For tests of interrupted writes.
void setWriteLimit(qint64 bytes);
} // namespace testing

} // namespace store
