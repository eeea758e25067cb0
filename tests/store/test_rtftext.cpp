// Plain text straight from RTF: the same text, character for character, as
// the document that readRtf() fills gives with toPlainText(), without the
// document.

#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "support/corpus.h"

#include <QString>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using corpus::shown;

QString documentTextOf(QByteArrayView rtf)
{
    QTextDocument doc;
    EXPECT_TRUE(store::readRtf(rtf, &doc));
    return doc.toPlainText();
}

QString streamed(QByteArrayView rtf, qsizetype *largestPiece = nullptr, int *pieces = nullptr)
{
    QString out;
    const bool read = store::rtfToText(rtf, [&](QStringView piece) {
        EXPECT_FALSE(piece.isEmpty());
        if (largestPiece)
            *largestPiece = std::max(*largestPiece, piece.size());
        if (pieces)
            ++*pieces;
        out += piece;
    });
    EXPECT_TRUE(read);
    return out;
}

// ---------------------------------------------------------------------------

// Input where the document makes something of the characters: breaks and
// spaces Qt treats as its own, paragraph marks at the ends, groups whose
// text is dropped. The text sink gives the document's text for each, and the
// text written here.
struct Case
{
    const char *rtf;
    const char16_t *text;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.rtf;
}

using RtfTextCases = ::testing::TestWithParam<Case>;

TEST_P(RtfTextCases, GivesTheDocumentsText)
{
    const QByteArray rtf(GetParam().rtf);
    const std::optional<QString> text = store::rtfToText(rtf);
    ASSERT_TRUE(text);
    EXPECT_EQ(shown(*text), shown(documentTextOf(rtf)));
    EXPECT_EQ(shown(*text), shown(QString::fromUtf16(GetParam().text)));
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, RtfTextCases,
    ::testing::Values(
        Case{R"({\rtf1 a\par b\par})", u"a\nb"}, Case{R"({\rtf1 a\par\par})", u"a\n"},
        Case{R"({\rtf1 \par\par a})", u"\n\na"}, Case{R"({\rtf1 })", u""},
        Case{R"({\rtf1 \par})", u""}, Case{R"({\rtf1 a\line b\tab c})", u"a\nb\tc"},
        Case{R"({\rtf1 a\~b\_c\-d})", u"a b\u2011c\u00ADd"},
        // Characters that make a paragraph of their own in a document, and
        // one that is taken for a line break.
        Case{R"({\rtf1 a\u8233?b\u8232?c\u64976?d\u64977?e})", u"a\nb\nc\nd\ne"},
        Case{R"({\rtf1 a\u160?b\'a0c})", u"a b c"},
        // Text of dropped groups, hidden text and list markers.
        Case{R"({\rtf1 {\*\foo x}a{\v hidden}b{\info {\title t}}c})", u"abc"},
        Case{R"({\rtf1 {\pntext\'b7\tab}{\*\pn\pnlvlblt}one\par {\listtext 2.\tab}two\par})",
             u"one\ntwo"},
        // Table cells: tabs between them, a paragraph mark inside one a line.
        Case{R"({\rtf1 \intbl a\cell b\par c\cell\row d\par})", u"a\tb\nc\nd"},
        Case{R"({\rtf1 a)", u"a"}, Case{R"({\rtf1 a}})", u"a"}),
    [](const auto &info) { return std::to_string(info.index); });

// A code page that decodes bytes to line ends: CR LF in one run is one
// paragraph break in a document, CR and LF in runs of their own two.
TEST(RtfText, DecodedLineEndsBreakAsInTheDocument)
{
    // IBM037 (EBCDIC): 0x0D is CR, 0x25 is LF, 0xC1 is "A".
    for (const char *rtf : {R"({\rtf1\ansicpg37 \'c1\'0d\'25\'c1})",
                            R"({\rtf1\ansicpg37 \'c1\'0d{\b\'25}\'c1\'0d})"}) {
        const std::optional<QString> text = store::rtfToText(rtf);
        ASSERT_TRUE(text);
        EXPECT_EQ(shown(*text), shown(documentTextOf(rtf))) << rtf;
    }
}

TEST(RtfText, RefusesWhatIsNotRtf)
{
    EXPECT_FALSE(store::rtfToText("plain text"));
    bool written = false;
    EXPECT_FALSE(store::rtfToText("{\\rt", [&](QStringView) { written = true; }));
    EXPECT_FALSE(written);
}

// A long joke comes in pieces of a bounded size that make up the whole text.
TEST(RtfText, StreamsALongTextInBoundedPieces)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20'000; ++i)
        rtf += "{\\b tu\\'e8n\\'fd} k\\u367?\\'f2 " + QByteArray::number(i) + "\\par\n";
    rtf += '}';
    qsizetype largest = 0;
    int pieces = 0;
    const QString text = streamed(rtf, &largest, &pieces);
    EXPECT_GT(pieces, 2);
    EXPECT_LE(largest, 40'000);
    EXPECT_EQ(text, store::rtfToText(rtf).value());
    EXPECT_EQ(text, documentTextOf(rtf));
    EXPECT_TRUE(text.startsWith(u"tučný kůň 0\ntučný kůň 1\n"_qs));
}

// setPlainText() and toPlainText() of a document, without the document.
TEST(RtfText, DocumentTextIsWhatADocumentGivesOfInsertedText)
{
    for (const char16_t *text : {u"", u"a\r\nb", u"a\rb\nc", u"\r\n\r\n", u"\r\r\n\n",
                                 u"a\u2029b\u2028c\u00A0d", u"\uFDD0x\uFDD1", u"a\r", u"\nb\t"}) {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf16(text));
        EXPECT_EQ(shown(store::documentText(QString::fromUtf16(text))), shown(doc.toPlainText()))
            << shown(QString::fromUtf16(text));
    }
}

} // namespace
