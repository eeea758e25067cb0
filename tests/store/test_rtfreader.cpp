#include "store/rtfreader.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace {

class RtfReader : public ::testing::Test
{
protected:
    bool read(QByteArrayView rtf) { return store::readRtf(rtf, &doc); }

    QStringList blocks() const
    {
        QStringList out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            out << b.text();
        return out;
    }

    QString text() const { return blocks().join(u'\n'); }

    // The format of the first character of `needle` in the document.
    QTextCharFormat formatOf(const QString &needle) const
    {
        const QTextCursor found = doc.find(needle);
        EXPECT_FALSE(found.isNull()) << "not in the document: " << needle.toStdString();
        QTextCursor c(const_cast<QTextDocument *>(&doc));
        c.setPosition(found.selectionStart() + 1);
        return c.charFormat();
    }

    QTextBlock block(int n) const { return doc.findBlockByNumber(n); }

    QTextDocument doc;
};

// What the rich-edit control writes for a formatted joke.
constexpr char kRichEdit[] =
    R"rtf({\rtf1\ansi\ansicpg1250\deff0\deflang1029{\fonttbl{\f0\fnil\fcharset238 Arial;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red255\green0\blue0;\red0\green0\blue255;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\qc\b\f0\fs32 Nadpis\b0\par
\pard\cf1\fs20 \'e8erven\'fd \cf0 text \i kurz\'edva\i0  \ul podtr\ulnone\highlight2 zv\'fdrazn\'ecn\'fd\highlight0\par
{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-200\li200 jedna\par
{\pntext\f1\'B7\tab}dva\par
\pard konec\par
}
)rtf";

TEST_F(RtfReader, RecognisesRtf)
{
    EXPECT_TRUE(store::looksLikeRtf("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(store::looksLikeRtf(" \r\n\t{\\rtf1}"));
    EXPECT_FALSE(store::looksLikeRtf("Obyčejný text vtipu"));
    EXPECT_FALSE(store::looksLikeRtf(""));
    EXPECT_FALSE(store::looksLikeRtf("{\\rt"));
    EXPECT_FALSE(store::looksLikeRtf("x{\\rtf1}"));

    doc.setPlainText(QStringLiteral("původní"));
    EXPECT_FALSE(read("Obyčejný text"));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("původní"));
}

TEST_F(RtfReader, LeavesDocumentUnmodifiedWithoutUndo)
{
    doc.setPlainText(QStringLiteral("starý"));
    doc.setModified(true);
    ASSERT_TRUE(read(kRichEdit));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_TRUE(doc.isUndoRedoEnabled());
}

// ---------------------------------------------------------------------------
// Code pages and characters

TEST_F(RtfReader, DecodesCzechThroughAnsiCodePage)
{
    ASSERT_TRUE(
        read(R"({\rtf1\ansi\ansicpg1250 P\'f8\'edli\'9a \'9elu\'9dou\'e8k\'fd k\'f9\'f2\par})"));
    EXPECT_EQ(text(), QStringLiteral("Příliš žluťoučký kůň"));
}

TEST_F(RtfReader, OlderFilesTakeCodePageFromFontCharset)
{
    // No \ansicpg: Czech comes from the font's \fcharset238; a Western font
    // in the same file still reads as Windows-1252.
    ASSERT_TRUE(read(
        R"({\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;})"
        R"({\f1\froman\fcharset2 Symbol;}{\f2\fswiss\fcharset238{\*\fname Arial;}Arial CE;})"
        R"({\f3\fswiss\fcharset0 Arial;}}\pard\plain\f2\fs20 \'e8\'ed\plain\f3 \'e8\'ed\par})"));
    EXPECT_EQ(text(), QStringLiteral("číèí"));
    EXPECT_EQ(formatOf(QStringLiteral("č")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Arial CE")});
}

TEST_F(RtfReader, FontCharsetOverridesAnsiCodePage)
{
    ASSERT_TRUE(
        read(R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fcharset238 Arial;}{\f1 Times;}})"
             R"(\'e8{\f1 \'e8}\f0\'e8})"));
    EXPECT_EQ(text(), QStringLiteral("čèč"));
}

TEST_F(RtfReader, DecodesOtherCodePages)
{
    ASSERT_TRUE(read(R"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}{\f1\fcharset2 Symbol;}})"
                     R"(\f0\'c0\'e1\f1\'b7\'e9})"));
    EXPECT_EQ(text(), QStringLiteral("Аб•é"));

    // Consecutive \'hh bytes form one character of a double-byte page, also
    // when the trailing byte is a plain letter.
    ASSERT_TRUE(read(R"({\rtf1\ansi\ansicpg932 \'82\'a0\'83A})"));
    EXPECT_EQ(text(), QStringLiteral("あア"));
}

TEST_F(RtfReader, ReadsUnicodeWithFallbacks)
{
    ASSERT_TRUE(read(R"({\rtf1\uc1 \u269?\u-30050?\u345\'f8x})"));
    EXPECT_EQ(text(), QStringLiteral("č語řx"));

    // \uc is kept per group, and a closing brace ends the skipping.
    ASSERT_TRUE(read(R"({\rtf1 {\uc2\u269 ab}\u269?c{\uc3\u345 a}bc\uc0\u382 d})"));
    EXPECT_EQ(text(), QStringLiteral("ččcřbcžd"));
}

TEST_F(RtfReader, SeparatesControlWordsFromText)
{
    ASSERT_TRUE(read("{\\rtf1 A\\b0,B\\b0 C\\b0  D\r\nE\\b-1F\\fs-G\\tab-H}"));
    EXPECT_EQ(text(), QStringLiteral("A,BC DEFG\tH"));
}

TEST_F(RtfReader, ReadsSpecialCharacters)
{
    ASSERT_TRUE(read(R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote)"
                     R"(|\~|\-|\_|\{\}\\|\tab|\line|})"));
    EXPECT_EQ(text(), QString::fromUtf16(u"—–•‘’“”|\u00A0||\u2011|{}\\|\t|\u2028|"));
}

TEST_F(RtfReader, ClampsHugeParameters)
{
    ASSERT_TRUE(
        read(R"({\rtf1\fs999999999999999999 a\u99999999999999?b{\uc99999999999 \u65 cd}ef})"));
    EXPECT_EQ(text(), QString::fromUtf16(u"a\uFFFDbAef"));
    EXPECT_EQ(formatOf(QStringLiteral("a")).fontPointSize(), 1638);
}

// ---------------------------------------------------------------------------
// Formats

TEST_F(RtfReader, ReadsRichEditFormats)
{
    ASSERT_TRUE(read(kRichEdit));
    EXPECT_EQ(blocks(), (QStringList{QStringLiteral("Nadpis"),
                                     QStringLiteral("červený text kurzíva podtrzvýrazněný"),
                                     QStringLiteral("jedna"), QStringLiteral("dva"),
                                     QStringLiteral("konec")}));

    const QTextCharFormat title = formatOf(QStringLiteral("Nadpis"));
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.fontPointSize(), 16);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(block(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(block(1).blockFormat().alignment(), Qt::AlignLeft);

    const QTextCharFormat red = formatOf(QStringLiteral("červený"));
    EXPECT_EQ(red.foreground().color(), QColor(255, 0, 0));
    EXPECT_NE(red.fontWeight(), QFont::Bold);
    EXPECT_EQ(red.fontPointSize(), 10);
    EXPECT_FALSE(formatOf(QStringLiteral("text")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_TRUE(formatOf(QStringLiteral("kurzíva")).fontItalic());
    EXPECT_FALSE(formatOf(QStringLiteral(" podtr")).fontItalic());
    EXPECT_TRUE(formatOf(QStringLiteral("podtr")).fontUnderline());
    const QTextCharFormat marked = formatOf(QStringLiteral("zvýrazněný"));
    EXPECT_FALSE(marked.fontUnderline());
    EXPECT_EQ(marked.background().color(), QColor(0, 0, 255));

    QTextList *list = block(2).textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(block(3).textList(), list);
    EXPECT_EQ(block(4).textList(), nullptr);
    EXPECT_EQ(block(1).textList(), nullptr);
}

TEST_F(RtfReader, GroupsAndPlainRestoreCharacterFormat)
{
    ASSERT_TRUE(read(R"({\rtf1\b\i\ul\strike\super a{\b0\nosupersub b}c\plain d\sub e\nosupersub)"
                     R"(\uldb f\ul0 g})"));
    const QTextCharFormat a = formatOf(QStringLiteral("a"));
    EXPECT_EQ(a.fontWeight(), QFont::Bold);
    EXPECT_TRUE(a.fontItalic() && a.fontUnderline() && a.fontStrikeOut());
    EXPECT_EQ(a.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_NE(formatOf(QStringLiteral("b")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(QStringLiteral("b")).verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(formatOf(QStringLiteral("c")).fontWeight(), QFont::Bold);
    const QTextCharFormat d = formatOf(QStringLiteral("d"));
    EXPECT_FALSE(d.fontItalic() || d.fontUnderline() || d.fontStrikeOut());
    EXPECT_EQ(d.verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(formatOf(QStringLiteral("e")).verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_TRUE(formatOf(QStringLiteral("f")).fontUnderline());
    EXPECT_FALSE(formatOf(QStringLiteral("g")).fontUnderline());
}

TEST_F(RtfReader, HiddenTextIsDropped)
{
    ASSERT_TRUE(read(R"({\rtf1 a{\v skryto}b\v c\v0 d})"));
    EXPECT_EQ(text(), QStringLiteral("abd"));
}

TEST_F(RtfReader, ReadsParagraphIndentsAndSpacing)
{
    ASSERT_TRUE(
        read(R"({\rtf1\pard\qj\li1440\ri720\fi-360\sb120\sa240\sl360\slmult1\tqr\tx2880 a\par)"
             R"(\pard\qr b})"));
    const QTextBlockFormat a = block(0).blockFormat();
    EXPECT_EQ(a.alignment(), Qt::AlignJustify);
    EXPECT_EQ(a.leftMargin(), 96);
    EXPECT_EQ(a.rightMargin(), 48);
    EXPECT_EQ(a.textIndent(), -24);
    EXPECT_EQ(a.topMargin(), 8);
    EXPECT_EQ(a.bottomMargin(), 16);
    EXPECT_EQ(a.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_EQ(a.lineHeight(), 150);
    ASSERT_EQ(a.tabPositions().size(), 1);
    EXPECT_EQ(a.tabPositions()[0].position, 192);
    EXPECT_EQ(a.tabPositions()[0].type, QTextOption::RightTab);

    const QTextBlockFormat b = block(1).blockFormat();
    EXPECT_EQ(b.alignment(), Qt::AlignRight);
    EXPECT_EQ(b.leftMargin(), 0);
    EXPECT_TRUE(b.tabPositions().isEmpty());
}

TEST_F(RtfReader, BuildsLists)
{
    ASSERT_TRUE(
        read(R"({\rtf1\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pnindent0\pnstart1\pndec{\pntxta.}})"
             R"(\fi-360\li720 jedna\par{\pntext 2.\tab}dva\par)"
             R"(\pard mezi\par)"
             R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}a\par)"
             R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}b\par)"
             R"(\pard{\listtext\'b7\tab}\ls1\ilvl0 c\par})"));
    EXPECT_EQ(blocks(),
              (QStringList{QStringLiteral("jedna"), QStringLiteral("dva"), QStringLiteral("mezi"),
                           QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QTextList *numbered = block(0).textList();
    ASSERT_NE(numbered, nullptr);
    EXPECT_EQ(numbered->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(numbered->count(), 2);
    EXPECT_EQ(block(0).blockFormat().textIndent(), 0);
    EXPECT_EQ(block(2).textList(), nullptr);

    // \pard followed by the same numbering continues the list.
    QTextList *bullets = block(3).textList();
    ASSERT_NE(bullets, nullptr);
    EXPECT_NE(bullets, numbered);
    EXPECT_EQ(bullets->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(bullets->count(), 3);
}

TEST_F(RtfReader, ParagraphPropertiesEndWithTheirGroup)
{
    // Numbering from {\*\pn ...} is the paragraph's, not just its group's.
    ASSERT_TRUE(read(R"({\rtf1{\pard\qc\li720\sb120 a\par}b\par\pard\qr{\qc c}\par)"
                     R"({\pard{\*\pn\pnlvlbody\pndec{\pntxta.}}x\par}y\par})"));
    ASSERT_EQ(blocks(), (QStringList{"a", "b", "c", "x", "y"}));
    EXPECT_EQ(block(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(block(0).blockFormat().leftMargin(), 48);
    const QTextBlockFormat b = block(1).blockFormat();
    EXPECT_EQ(b.alignment(), Qt::AlignLeft);
    EXPECT_EQ(b.leftMargin(), 0);
    EXPECT_EQ(b.topMargin(), 0);
    EXPECT_EQ(block(2).blockFormat().alignment(), Qt::AlignRight);
    ASSERT_NE(block(3).textList(), nullptr);
    EXPECT_EQ(block(3).textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(block(4).textList(), nullptr);
}

TEST_F(RtfReader, ListTableDecidesNumberingAndLevels)
{
    ASSERT_TRUE(read(
        R"({\rtf1{\*\listtable{\list{\listlevel\levelnfc23{\leveltext\'01\u8226 ?;}})"
        R"({\listlevel\levelnfc4\levelnfcn4}\listid7}{\list\listsimple{\listlevel\levelnfc0}\listid9})"
        R"({\list{\listlevel\levelnfc255}\listid5}})"
        R"({\*\listoverridetable{\listoverride\listid9\listoverridecount0\ls1})"
        R"({\listoverride\listid7\ls2}{\listoverride\listid5\ls3}})"
        R"(\pard{\listtext 1.\tab}\ls1 a\par{\listtext 2.\tab}b\par)"
        R"(\pard\ls2\li720 c\par\pard\ls2\ilvl1\li1440 d\par\pard\ls2 e\par)"
        R"(\pard{\*\pn\pnlvlblt{\pntxtb\'b7}}\ls1 f\par\pard\ls3\li720 g\par})"));
    ASSERT_EQ(blocks(), (QStringList{"a", "b", "c", "d", "e", "f", "g"}));

    // The list table wins over {\*\pn ...}, and a list goes on after other
    // paragraphs, as the file numbers it.
    QTextList *numbered = block(0).textList();
    ASSERT_NE(numbered, nullptr);
    EXPECT_EQ(numbered->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(block(1).textList(), numbered);
    EXPECT_EQ(block(5).textList(), numbered);
    EXPECT_EQ(numbered->count(), 3);

    QTextList *bullets = block(2).textList();
    ASSERT_NE(bullets, nullptr);
    EXPECT_EQ(bullets->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(bullets->format().indent(), 1);
    EXPECT_EQ(block(4).textList(), bullets);
    EXPECT_EQ(block(2).blockFormat().leftMargin(), 48 - doc.indentWidth());

    QTextList *inner = block(3).textList();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->format().style(), QTextListFormat::ListLowerAlpha);
    EXPECT_EQ(inner->format().indent(), 2);
    EXPECT_EQ(block(3).blockFormat().leftMargin(), 96 - 2 * doc.indentWidth());

    // A level without numbers is an indented paragraph.
    EXPECT_EQ(block(6).textList(), nullptr);
    EXPECT_EQ(block(6).blockFormat().leftMargin(), 48);
}

// ---------------------------------------------------------------------------
// Paragraphs and the end of the file

TEST_F(RtfReader, FinalParagraphMarkAddsNoEmptyParagraph)
{
    using namespace std::string_view_literals;
    const struct
    {
        std::string_view rtf;
        QStringList blocks;
    } cases[] = {
        {"{\\rtf1 A\\par B\\par}"sv, {"A", "B"}},
        {"{\\rtf1 A\\par\\par B\\par}"sv, {"A", "", "B"}},
        {"{\\rtf1 A\\par B}"sv, {"A", "B"}},
        {"{\\rtf1 A\\par\\par}"sv, {"A", ""}},
        {"{\\rtf1 A\\par}\0"sv, {"A"}},
        {"{\\rtf1 A}za koncem\\par dalsi"sv, {"A"}},
        {"{\\rtf1 }"sv, {""}},
        {"{\\rtf1 \\trowd\\intbl A\\cell\\cell B\\cell\\row C\\par}"sv, {"A\t\tB", "C"}},
        // Paragraphs inside a cell are lines of the row's paragraph.
        {"{\\rtf1 {\\pard\\intbl A\\par}\\cell{\\pard\\intbl B\\par C\\par}\\cell\\row D\\par E}"sv,
         {"A\tB\u2028C", "D", "E"}},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(read(QByteArrayView(c.rtf.data(), qsizetype(c.rtf.size())))) << c.rtf;
        EXPECT_EQ(blocks(), c.blocks) << c.rtf;
    }
}

TEST_F(RtfReader, EmptyParagraphKeepsItsFontSize)
{
    ASSERT_TRUE(read(R"({\rtf1\fs20 a\par\fs48\par\fs20 b\par})"));
    ASSERT_EQ(blocks(), (QStringList{"a", "", "b"}));
    EXPECT_EQ(block(1).charFormat().fontPointSize(), 24);
}

// ---------------------------------------------------------------------------
// Groups that are not text

TEST_F(RtfReader, FieldShowsItsResult)
{
    ASSERT_TRUE(read(R"({\rtf1 Viz {\field{\*\fldinst{HYPERLINK "http://vtipy.cz"}})"
                     R"({\fldrslt{\ul\cf1 odkaz}}} tady.})"));
    EXPECT_EQ(text(), QStringLiteral("Viz odkaz tady."));
    EXPECT_TRUE(formatOf(QStringLiteral("odkaz")).fontUnderline());

    // AbiWord marks the result as ignorable.
    ASSERT_TRUE(read(R"({\rtf1 a {\field{\*\fldinst {HYPERLINK "x"}}{\*\fldrslt{b}}} c})"));
    EXPECT_EQ(text(), QStringLiteral("a b c"));
}

TEST_F(RtfReader, SkipsGroupsThatAreNotText)
{
    ASSERT_TRUE(
        read(R"({\rtf1{\info{\title Titulek}{\author Autor}}{\stylesheet{\s1 Normal;}})"
             R"({\header hlavicka}{\footerr paticka}{\*\rsidtbl \rsid123}{\*\latentstyles x})"
             R"(A{\pict\wmetafile8\picw100\pich100 0102abcdef0123}B)"
             R"({\*\shppict{\pict\pngblip 89504e47}}{\nonshppict{\pict 0a0b}}C)"
             R"({\object\objemb{\*\objdata 0105}{\result{\pict 01}}}D)"
             R"({\*\neznamy text}E{\neznamy F}{\pict\bin6 }{x\}{}G})"));
    EXPECT_EQ(text(), QStringLiteral("ABCDEFG"));
}

// ---------------------------------------------------------------------------
// Damaged input

TEST_F(RtfReader, SurvivesUnbalancedAndTruncatedInput)
{
    ASSERT_TRUE(read("{\\rtf1 A}}}}B"));
    EXPECT_EQ(text(), QStringLiteral("A"));
    ASSERT_TRUE(read("{\\rtf1 A{\\b B"));
    EXPECT_EQ(text(), QStringLiteral("AB"));
    EXPECT_EQ(formatOf(QStringLiteral("B")).fontWeight(), QFont::Bold);
    ASSERT_TRUE(read("{\\rtf1 A\\bin999999999 xyz"));
    EXPECT_EQ(text(), QStringLiteral("A"));
    ASSERT_TRUE(read("{\\rtf1 A\\bin-5 xyz}"));
    EXPECT_EQ(text(), QStringLiteral("Axyz"));

    // Every prefix of a real file reads as a prefix of its text.
    const QByteArray whole(kRichEdit);
    ASSERT_TRUE(read(whole));
    const QString full = doc.toPlainText();
    for (qsizetype n = 5; n < whole.size(); ++n) {
        ASSERT_TRUE(read(whole.left(n)));
        const QString part = doc.toPlainText();
        EXPECT_TRUE(full.startsWith(part)) << n << ": " << part.toStdString();
    }
}

TEST_F(RtfReader, SurvivesDeepNesting)
{
    const QByteArray open(100000, '{');
    const QByteArray close(100000, '}');
    ASSERT_TRUE(read("{\\rtf1 a" + open + "\\b b" + close + "c}"));
    EXPECT_EQ(text(), QStringLiteral("abc"));
    EXPECT_NE(formatOf(QStringLiteral("c")).fontWeight(), QFont::Bold);
    ASSERT_TRUE(read("{\\rtf1 a" + open + "b"));
    EXPECT_EQ(text(), QStringLiteral("ab"));
}

TEST_F(RtfReader, SurvivesRandomBytes)
{
    const char alphabet[] = "{}\\\\'*;09-ab fuclpar\xe8\r\n\0";
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        QByteArray rtf("{\\rtf1 ");
        for (int i = 0; i < 120; ++i) {
            seed = seed * 1664525u + 1013904223u;
            rtf += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        ASSERT_TRUE(read(rtf));
    }
}

} // namespace
