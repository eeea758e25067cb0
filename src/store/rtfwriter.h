#pragma once

#include <QByteArray>

class QTextDocument;

namespace store {

// The document as RTF in the form the Windows rich-edit control writes it:
//   {\rtf1\ansi\ansicpg1250\deff0\deflang1029{\fonttbl ...\fcharset238 ...}
//   {\colortbl ;...}\viewkind4\uc1\pard ...}
// Characters of Windows-1250 above 0x7F as \'hh, others as \uN? (N signed);
// paragraphs \par; alignment; bullets in the control's \pntext/\pn form; font,
// size, bold, italic, underline, strike-out and colour of the text. What a
// character's format leaves open is written as the document's default font
// has it: the text is written as it shows.
QByteArray writeRtf(const QTextDocument &document);

// The document's text as plain 8-bit text: Windows-1250, every paragraph (and
// every line break inside one) ended by CR LF.
QByteArray writePlainText(const QTextDocument &document);

} // namespace store
