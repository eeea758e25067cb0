#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>

#include <memory>

class QTextDocument;

// Reading of a joke's rich text: the RTF that the Windows rich-edit control
// writes (and that WordPad and Word write, as far as a joke needs it).
//
// What ends up in the document:
// - text, decoded through \ansicpg or the font's \fcharset (Windows-1250 when
//   the file says nothing), \uN characters;
// - character formats: font family (the name as the file gives it), point size,
//   bold, italic, underline, strike-out, foreground and background colour,
//   superscript and subscript; each of them set on every character, off as
//   well as on (12 points where the file gives no size), so that the text
//   looks the same whatever the font of the box showing it. Only the family of
//   a file without a font table and the automatic colour are left to the box;
// - an optional hyphen (\-) as U+00AD;
// - a list item's marker in {\listtext ...} is left to the list; text that a
//   writer puts after the marker's tab inside that group is paragraph text;
// - paragraphs: alignment, indents and spacing (twips / 15 = pixels at 96 dpi),
//   line spacing, tab stops, bullet and numbered lists. Paragraph properties
//   belong to the group they are set in, as character properties do.
//   Lists come from {\*\pn ...} (the rich-edit control) or from \ls and \ilvl
//   with the list table, whose \levelnfc picks bullets or the kind of number;
//   a list of the list table goes on after paragraphs between its items.
//   A list item's text starts where the file puts it: the list's indent is its
//   level + 1 (\ilvl + 1), and the block's left margin is the file's left indent
//   less that many indentWidth(); the hanging first-line indent of the file is
//   dropped because the list marker takes its place;
// - a table row becomes one paragraph with its cells separated by tabs; the
//   paragraphs inside a cell become lines of it;
// - pictures, objects, headers, footers, footnotes, document information and
//   other groups that are not part of the running text are skipped.
//
// The reader itself hands what it reads to a sink (rtfsink.h); readRtf() here
// is its sink that fills a QTextDocument.
namespace store {

// Clears `doc` and fills it from `rtf`. Returns false, leaving `doc` as it is,
// when `rtf` does not look like RTF at all (see looksLikeRtf()). Damaged input
// is read as far as it goes. The document comes back unmodified, with undo and
// redo as they were enabled before.
bool readRtf(QByteArrayView rtf, QTextDocument *doc);

// The same a part at a time, for a window that shows the start of a big joke
// while the rest is read: step() adds to the document until its deadline has
// passed (at a paragraph's end) and says whether the document is whole. Each
// part goes in as one change of the document, undo off until it is whole;
// then the document is unmodified, undo as it was. Destroyed before that, it
// leaves the document as far as it came.
class RtfDocumentLoad
{
public:
    // Clears `doc` for `rtf`, which looksLikeRtf().
    RtfDocumentLoad(const QByteArray &rtf, QTextDocument *doc);
    ~RtfDocumentLoad();
    RtfDocumentLoad(const RtfDocumentLoad &) = delete;
    RtfDocumentLoad &operator=(const RtfDocumentLoad &) = delete;

    bool step(QDeadlineTimer until);
    // The paragraphs in the document so far.
    int paragraphs() const;
    void finish() { step(QDeadlineTimer(QDeadlineTimer::Forever)); }

private:
    struct Loading;
    std::unique_ptr<Loading> m_loading;
};

// Whether `bytes` start with "{\rtf", after optional white space.
bool looksLikeRtf(QByteArrayView bytes);

} // namespace store
