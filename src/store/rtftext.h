#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// A joke's RTF as plain text, read without building a document.
namespace store {

// The text of `rtf` exactly as QTextDocument::toPlainText() gives it for the
// document that readRtf() fills: paragraphs and lines end with LF, a no-break
// space is a space. Nothing when `rtf` does not look like RTF.
std::optional<QString> rtfToText(QByteArrayView rtf);

// The same text handed to `write` in pieces as it is read, each piece a few
// tens of thousands of characters or less. Returns false, writing nothing,
// when `rtf` does not look like RTF.
bool rtfToText(QByteArrayView rtf, const std::function<void(QStringView)> &write);

// What QTextDocument::toPlainText() gives for a document that has `text`
// inserted into it in one piece (as QTextDocument::setPlainText() does):
// CR LF, CR, LF, U+2028, U+2029 and the frame marks U+FDD0 and U+FDD1 end a
// line, and a no-break space is a space.
QString documentText(QStringView text);

} // namespace store
