#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QTextListFormat>

#include <functional>

// A joke's RTF as an HTML document, read without building a QTextDocument.
namespace store {

// Writes `rtf` as a complete UTF-8 HTML5 document, handed to `write` in
// pieces of a few tens of kilobytes as the RTF is read: a paragraph is kept
// back only until its format is known, so the memory used does not grow with
// the file but with its longest paragraph. Its text is the one rtfToText()
// gives (list markers are no text of either). Returns false, writing nothing,
// when `rtf` does not look like RTF.
bool rtfToHtml(QByteArrayView rtf, const std::function<void(QByteArrayView utf8)> &write);

// Plain text (a joke file that is not RTF) as the same kind of HTML document,
// a paragraph for each of its lines.
void textToHtml(QStringView text, const std::function<void(QByteArrayView utf8)> &write);

// A length or a size for CSS: at most two decimals, never an exponent;
// the same in pixels.
QString cssNumber(double value);
QString cssPixels(double px);

// Appends `text` escaped for HTML and XHTML text and attribute values;
// characters XML does not allow are left out.
void appendHtmlEscaped(QString &out, QStringView text);

// Whether a list of this style is numbered, and its CSS list-style-type;
// for every writer of HTML.
bool isOrderedList(QTextListFormat::Style style);
const char16_t *cssListStyleType(QTextListFormat::Style style);

} // namespace store
