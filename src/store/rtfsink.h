#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTextListFormat>
#include <QTextOption>

#include <cstdint>

// The RTF reader's output, apart from how it is kept: the reader (see
// rtfreader.h for what it reads) tells a sink the text of each paragraph in
// runs of one character format, where a paragraph ends and what the finished
// paragraph's format is. A QTextDocument is one sink (readRtf() in
// rtfreader.h), plain text another (rtfToText() in rtftext.h).
namespace store {

enum class RtfVAlign : std::uint8_t { Normal, Super, Sub };

// A character format with the font and colour tables looked up.
struct RtfCharFormat
{
    // The same number for the same format while one file is read, so that a
    // sink can keep what it makes of a format; a format made anew (after a
    // change of the tables) gets a new one.
    int id = 0;
    QString family; // empty: the family of the box that shows the text
    qreal points = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QColor foreground; // invalid: automatic
    QColor background;
    RtfVAlign valign = RtfVAlign::Normal;
    QString anchor; // the address of the link the text is; empty: none
};

// A paragraph's format. Lengths are in twips as the file gives them, but for
// the tab positions, which are in pixels at 96 dpi.
struct RtfParagraphFormat
{
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0; // left, right and first-line indents
    int ri = 0;
    int fi = 0;
    int sb = 0; // space before and after
    int sa = 0;
    int sl = 0;          // line spacing: at least (> 0) or exactly (< 0) so many twips,
    bool slMult = false; // or, with this, sl / 240 lines
    QList<QTextOption::Tab> tabs;

    // The list the paragraph is an item of: 0 for none, else a number of its
    // own, 1 for the file's first list, 2 for the next one made and so on.
    int list = 0;
    bool listStarts = false; // its first item
    QTextListFormat::Style listStyle = QTextListFormat::ListStyleUndefined;
    int listLevel = 0; // 0 for the outermost
    // Of a numbered list: the text before and after each number ("(", ")"),
    // and the first number.
    QString listPrefix;
    QString listSuffix = QStringLiteral(".");
    int listStart = 1;
};

// Where a list's format keeps its first number, which Qt's list does not
// know: the writer writes it back (\pnstart).
constexpr int kListStartProperty = QTextFormat::UserProperty + 0x4c53; // "LS"
// Which list of its file a list is: a long list is read as several lists
// one after the other (see rtfdocument.cpp), which the writer writes as one
// and numbers on.
constexpr int kListIdProperty = QTextFormat::UserProperty + 0x4c44; // "LD"
// Where a list item keeps its left and first-line indents in twips as its
// file gave them: Qt indents lists in steps of its own, so the writer writes
// these back as long as the item stays where they put it.
constexpr int kListLeftTwipsProperty = QTextFormat::UserProperty + 0x4c49;  // "LI"
constexpr int kListFirstTwipsProperty = QTextFormat::UserProperty + 0x4649; // "FI"

// Whether a link's address is one that may be followed from a joke: a web
// page or an e-mail address (http, https, ftp, mailto). A joke is a file from
// anywhere; an address that would open a local file or run a program is not.
inline bool isWebAddress(const QString &address)
{
    for (const char *scheme : {"http://", "https://", "ftp://", "mailto:"}) {
        if (address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return address.size() > qsizetype(qstrlen(scheme));
    }
    return false;
}

class RtfSink
{
public:
    virtual ~RtfSink() = default;

    // Text of the current paragraph, all in `format`. It holds no paragraph
    // breaks of the file's (a line break is U+2028), only what its code page
    // makes of its bytes.
    virtual void text(const QString &text, const RtfCharFormat &format) = 0;
    // The current paragraph has ended; the next one begins. The reader starts
    // in the first paragraph.
    virtual void newParagraph() = 0;
    // The current paragraph's format, once its text is all there; `mark` is
    // the format of its paragraph mark. A paragraph that gets none keeps the
    // sink's default.
    virtual void paragraphFormat(const RtfParagraphFormat &format, const RtfCharFormat &mark) = 0;
};

// Reads `rtf` into `sink`. Returns false, telling the sink nothing, when `rtf`
// does not look like RTF at all. Damaged input is read as far as it goes.
bool readRtf(QByteArrayView rtf, RtfSink &sink);

} // namespace store
