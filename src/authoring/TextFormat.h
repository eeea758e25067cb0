#pragma once

#include <QTextCharFormat>
#include <QTextCursor>

// The character formats that the tool bars of the wizard and the library
// editor switch, and how they read them from a selection.
namespace textformat {

using Has = bool (*)(const QTextCharFormat &);
using Set = void (*)(QTextCharFormat &, bool);

bool isBold(const QTextCharFormat &f);
bool isItalic(const QTextCharFormat &f);
bool isUnderlined(const QTextCharFormat &f);
void setBold(QTextCharFormat &f, bool on);
void setItalic(QTextCharFormat &f, bool on);
void setUnderlined(QTextCharFormat &f, bool on);

// Whether every character of the selection has a property; without a
// selection, whether the text typed next has it.
bool wholeSelection(const QTextCursor &cursor, Has has);

// The format of the selection's first character, or of the text typed next.
QTextCharFormat firstFormat(const QTextCursor &cursor);

} // namespace textformat
