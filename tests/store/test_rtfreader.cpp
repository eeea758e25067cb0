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
#include <string>
#include <string_view>

namespace {

class RtfReader : public ::testing::Test
{
protected:
    bool read(QByteArrayView rtf) { return store::readRtf(rtf, &doc); }

    // The paragraphs, one a line (a line break inside one is U+2028).
    std::string text() const
    {
        QStringList out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            out << b.text();
        return out.join(u'\n').toStdString();
    }

    // Reads `rtf` and expects its paragraphs, joined by "\n".
    void expectText(QByteArrayView rtf, QStringView want)
    {
        EXPECT_TRUE(read(rtf)) << rtf.toByteArray().toStdString();
        EXPECT_EQ(text(), want.toString().toStdString()) << rtf.toByteArray().toStdString();
    }

    // The format of the first character of `needle` in the document.
    QTextCharFormat formatOf(const QString &needle) const
    {
        const QTextCursor found = doc.find(needle);
        EXPECT_FALSE(found.isNull()) << "not in the document: " << needle.toStdString();
        QTextCursor c(const_cast<QTextDocument *>(&doc));
        c.setPosition(found.selectionStart() + 1);
        return c.charFormat();
    }

    // Bold, italic, underline, strike-out, superscript and subscript at each
    // needle, as "bius^|..." ("_" for subscript).
    std::string marks(std::initializer_list<const char16_t *> needles) const
    {
        std::string out;
        for (const char16_t *needle : needles) {
            const QTextCharFormat f = formatOf(QString::fromUtf16(needle));
            const auto v = f.verticalAlignment();
            out += std::string("|") + (f.fontWeight() >= QFont::DemiBold ? "b" : "") +
                   (f.fontItalic() ? "i" : "") + (f.fontUnderline() ? "u" : "") +
                   (f.fontStrikeOut() ? "s" : "") +
                   (v == QTextCharFormat::AlignSuperScript ? "^" : "") +
                   (v == QTextCharFormat::AlignSubScript ? "_" : "");
        }
        return out.substr(1);
    }

    // "*" bullets, "#" numbers, "a" letters, "I" Roman numbers.
    static char kind(const QTextList *l)
    {
        // Indexed by -QTextListFormat::Style: ListDisc is -1, ListUpperRoman -8.
        return "?*os#aAiI"[qBound(0, -int(l->format().style()), 8)];
    }

    // Each paragraph's list as "<n><kind><level>": the document's n-th list;
    // "-" for none.
    std::string lists() const
    {
        QList<const QTextList *> seen;
        QStringList out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            const QTextList *l = b.textList();
            if (l && !seen.contains(l))
                seen << l;
            out << (l ? u"%1%2%3"_qs.arg(seen.indexOf(l) + 1).arg(kind(l)).arg(l->format().indent())
                      : u"-"_qs);
        }
        return out.join(u' ').toStdString();
    }

    // As lists(), with each item's number in its list (itemNumber() + 1) after
    // a dot: "<n><kind><level>.<number>". Also expects every list to hold
    // (count(), item()) just its paragraphs, in document order.
    std::string items() const
    {
        QList<const QTextList *> seen;
        QList<QList<QTextBlock>> paragraphs; // of each list in `seen`
        QStringList out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            const QTextList *l = b.textList();
            if (!l) {
                out << u"-"_qs;
                continue;
            }
            if (!seen.contains(l)) {
                seen << l;
                paragraphs.emplaceBack();
            }
            const qsizetype n = seen.indexOf(l);
            paragraphs[n] << b;
            out << u"%1%2%3.%4"_qs.arg(n + 1)
                       .arg(kind(l))
                       .arg(l->format().indent())
                       .arg(l->itemNumber(b) + 1);
        }
        for (qsizetype n = 0; n < seen.size(); ++n) {
            EXPECT_EQ(seen[n]->count(), paragraphs[n].size()) << "list " << n + 1;
            for (qsizetype i = 0; i < paragraphs[n].size(); ++i)
                EXPECT_EQ(seen[n]->item(int(i)).blockNumber(), paragraphs[n][i].blockNumber())
                    << "list " << n + 1 << ", item " << i + 1;
        }
        return out.join(u' ').toStdString();
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

// ---------------------------------------------------------------------------
// Code pages and characters

TEST_F(RtfReader, DecodesCharactersAndReadsOnlyTheText)
{
    expectText(R"({\rtf1\ansi\ansicpg1250 P\'f8\'edli\'9a \'9elu\'9dou\'e8k\'fd k\'f9\'f2\par})",
               u"Příliš žluťoučký kůň");

    // No \ansicpg: Czech comes from the font's \fcharset238; a Western font
    // in the same file still reads as Windows-1252.
    expectText(
        R"({\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;})"
        R"({\f1\froman\fcharset2 Symbol;}{\f2\fswiss\fcharset238{\*\fname Arial;}Arial CE;})"
        R"({\f3\fswiss\fcharset0 Arial;}}\pard\plain\f2\fs20 \'e8\'ed\plain\f3 \'e8\'ed\par})",
        u"číèí");
    EXPECT_EQ(formatOf(u"č"_qs).fontFamilies().toStringList(), QStringList{u"Arial CE"_qs});

    // The font's \fcharset wins over \ansicpg.
    expectText(R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fcharset238 Arial;}{\f1 Times;}})"
               R"(\'e8{\f1 \'e8}\f0\'e8})",
               u"čèč");
    expectText(R"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}{\f1\fcharset2 Symbol;}})"
               R"(\f0\'c0\'e1\f1\'b7\'e9})",
               u"Аб•é");
    // Consecutive \'hh bytes form one character of a double-byte page, also
    // when the trailing byte is a plain letter.
    expectText(R"({\rtf1\ansi\ansicpg932 \'82\'a0\'83A})", u"あア");

    expectText(R"({\rtf1\uc1 \u269?\u-30050?\u345\'f8x})", u"č語řx");
    // \uc is kept per group, and a closing brace ends the skipping.
    expectText(R"({\rtf1 {\uc2\u269 ab}\u269?c{\uc3\u345 a}bc\uc0\u382 d})", u"ččcřbcžd");

    expectText(R"({\rtf1\fs999999999999999999 a\u99999999999999?b{\uc99999999999 \u65 cd}ef})",
               u"a\uFFFDbAef");
    EXPECT_EQ(formatOf(u"a"_qs).fontPointSize(), 1638);

    // Control words and symbols, and only the text of the groups that hold text.
    expectText("{\\rtf1 A\\b0,B\\b0 C\\b0  D\r\nE\\b-1F\\fs-G\\tab-H}", u"A,BC DEFG\tH");
    expectText(R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote)"
               R"(|\~|\-|\_|\{\}\\|\tab|\line|})",
               u"—–•‘’“”|\u00A0|\u00AD|\u2011|{}\\|\t|\u2028|");
    expectText(R"({\rtf1 a{\v skryto}b\v c\v0 d})", u"abd");

    // A field shows its result; AbiWord marks the result as ignorable.
    expectText(R"({\rtf1 Viz {\field{\*\fldinst{HYPERLINK "http://vtipy.cz"}})"
               R"({\fldrslt{\ul\cf1 odkaz}}} tady.})",
               u"Viz odkaz tady.");
    EXPECT_TRUE(formatOf(u"odkaz"_qs).fontUnderline());
    expectText(R"({\rtf1 a {\field{\*\fldinst {HYPERLINK "x"}}{\*\fldrslt{b}}} c})", u"a b c");

    expectText(R"({\rtf1{\info{\title Titulek}{\author Autor}}{\stylesheet{\s1 Normal;}})"
               R"({\header hlavicka}{\footerr paticka}{\*\rsidtbl \rsid123}{\*\latentstyles x})"
               R"(A{\pict\wmetafile8\picw100\pich100 0102abcdef0123}B)"
               R"({\*\shppict{\pict\pngblip 89504e47}}{\nonshppict{\pict 0a0b}}C)"
               R"({\object\objemb{\*\objdata 0105}{\result{\pict 01}}}D)"
               R"({\*\neznamy text}E{\neznamy F}{\pict\bin6 }{x\}{}G})",
               u"ABCDEFG");
}

// Some word processors put the whole list paragraph into {\listtext ...}:
// the marker is the list's, the text after its tab (or before a paragraph
// mark that comes without one) is the paragraph's, in the paragraph's font.
TEST_F(RtfReader, ListTextGivesUpOnlyItsMarker)
{
    const QByteArray head = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}})"
                            R"({\*\listtable{\list{\listlevel\levelnfc23}\listid7}})"
                            R"({\*\listoverridetable{\listoverride\listid7\ls1}}\f0 )";
    ASSERT_TRUE(read(head +
                     R"(\pard\ls1{\listtext\pard\plain\f1\'b7\tab}jedna\par)"
                     R"(\pard\ls1{\listtext\pard\plain\f1\'b7\tab\plain\f0 dva \b t\'f8i\par})"
                     R"(\pard\ls1{\listtext\f1\'b7\tab \'e8ty\'f8i}\par)"
                     R"(\pard{\listtext 5.}p\'ect\par{\listtext \'9aest\par}sedm\par})"));
    EXPECT_EQ(text(), u"jedna\ndva tři\nčtyři\npět\nšest\nsedm"_qs.toStdString());
    EXPECT_EQ(lists(), "1*1 1*1 1*1 - - -");
    EXPECT_EQ(marks({u"dva", u"tři", u"čtyři"}), "|b|");
    // Text after the marker is not in the marker's symbol font.
    EXPECT_EQ(formatOf(u"dva"_qs).fontFamilies().toStringList(), QStringList{u"Arial"_qs});
    EXPECT_EQ(formatOf(u"čtyři"_qs).fontFamilies().toStringList(), QStringList{u"Arial"_qs});
}

// ---------------------------------------------------------------------------
// Formats

// Only "{\rtf" starts RTF; anything else leaves the document alone. RTF
// leaves it unmodified, without an undo step, and with the formats the
// rich-edit control gave, each ending with its group.
TEST_F(RtfReader, ReadsRichEditFormatsThatEndWithTheirGroup)
{
    EXPECT_TRUE(store::looksLikeRtf(" \r\n\t{\\rtf1}"));
    for (const char *other : {"", "{\\rt", "x{\\rtf1}"})
        EXPECT_FALSE(store::looksLikeRtf(other)) << other;
    doc.setPlainText(u"původní"_qs);
    doc.setModified(true);
    EXPECT_FALSE(read("Obyčejný text"));
    EXPECT_EQ(doc.toPlainText(), u"původní"_qs);

    ASSERT_TRUE(read(kRichEdit));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    EXPECT_EQ(text(),
              u"Nadpis\nčervený text kurzíva podtrzvýrazněný\njedna\ndva\nkonec"_qs.toStdString());

    EXPECT_EQ(formatOf(u"Nadpis"_qs).fontPointSize(), 16);
    EXPECT_EQ(formatOf(u"Nadpis"_qs).fontFamilies().toStringList(), QStringList{u"Arial"_qs});
    EXPECT_EQ(block(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(block(1).blockFormat().alignment(), Qt::AlignLeft);

    EXPECT_EQ(formatOf(u"červený"_qs).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(u"červený"_qs).fontPointSize(), 10);
    EXPECT_FALSE(formatOf(u"text"_qs).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(marks({u"Nadpis", u"červený", u"kurzíva", u" podtr", u"podtr", u"zvýrazněný"}),
              "b||i||u|");
    EXPECT_EQ(formatOf(u"zvýrazněný"_qs).background().color(), QColor(0, 0, 255));

    EXPECT_EQ(lists(), "- - 1*1 1*1 -");

    ASSERT_TRUE(read(R"({\rtf1\b\i\ul\strike\super a{\b0\nosupersub b}c\plain d\sub e\nosupersub)"
                     R"(\uldb f\ul0 g})"));
    EXPECT_EQ(marks({u"a", u"b", u"c", u"d", u"e", u"f", u"g"}), "bius^|ius|bius^||_|u|");
}

// A box of another font shows the text as the file has it: every attribute
// is set on every character, the plain ones as much as the formatted.
TEST_F(RtfReader, SetsEveryAttributeSoTheFontOfTheBoxCannotShowThrough)
{
    ASSERT_TRUE(read(R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}}\f0\fs20\b tu\'e8n\'e9\b0\par)"
                     R"(\plain oby\'e8ejn\'e9\par\par})"));
    const QTextFormat::Property every[] = {
        QTextFormat::FontFamilies,         QTextFormat::FontPointSize,
        QTextFormat::FontWeight,           QTextFormat::FontItalic,
        QTextFormat::TextUnderlineStyle,   QTextFormat::FontStrikeOut,
        QTextFormat::TextVerticalAlignment};
    const QTextCharFormat plain = formatOf(u"obyčejné"_qs);
    for (const QTextCharFormat &f : {formatOf(u"tučné"_qs), plain, block(2).charFormat()}) {
        for (const QTextFormat::Property property : every)
            EXPECT_TRUE(f.hasProperty(property)) << std::hex << property;
    }
    EXPECT_EQ(marks({u"tučné", u"obyčejné"}), "b|");
    EXPECT_EQ(plain.fontPointSize(), 12) << "the size of text without \\fs";

    QFont box(u"Courier"_qs);
    box.setPixelSize(30);
    box.setBold(true);
    box.setItalic(true);
    box.setUnderline(true);
    box.setStrikeOut(true);
    const QFont shown = plain.font().resolve(box);
    EXPECT_EQ(shown.family(), u"Arial"_qs);
    EXPECT_EQ(shown.pointSize(), 12);
    EXPECT_FALSE(shown.bold() || shown.italic() || shown.underline() || shown.strikeOut());
}

TEST_F(RtfReader, ReadsParagraphFormatsThatEndWithTheirGroup)
{
    ASSERT_TRUE(
        read(R"({\rtf1\pard\qj\li1440\ri720\fi-360\sb120\sa240\sl360\slmult1\tqr\tx2880 a\par)"
             R"(\pard\qr b})"));
    const QTextBlockFormat a = block(0).blockFormat();
    EXPECT_EQ(a.alignment(), Qt::AlignJustify);
    // Left, right and first-line indent, space above and below, line height.
    EXPECT_EQ((QList<qreal>{a.leftMargin(), a.rightMargin(), a.textIndent(), a.topMargin(),
                            a.bottomMargin(), a.lineHeight()}),
              (QList<qreal>{96, 48, -24, 8, 16, 150}));
    EXPECT_EQ(a.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_EQ(a.tabPositions(), QList{QTextOption::Tab(192, QTextOption::RightTab)});

    const QTextBlockFormat b = block(1).blockFormat();
    EXPECT_EQ(b.alignment(), Qt::AlignRight);
    EXPECT_EQ(b.leftMargin(), 0);
    EXPECT_TRUE(b.tabPositions().isEmpty());

    // Paragraph properties end with their group; numbering from {\*\pn ...}
    // is the paragraph's, not just its group's.
    ASSERT_TRUE(read(R"({\rtf1{\pard\qc\li720\sb120 a\par}b\par\pard\qr{\qc c}\par)"
                     R"({\pard{\*\pn\pnlvlbody\pndec{\pntxta.}}x\par}y\par})"));
    ASSERT_EQ(text(), "a\nb\nc\nx\ny");
    EXPECT_EQ(block(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(block(0).blockFormat().leftMargin(), 48);
    const QTextBlockFormat after = block(1).blockFormat();
    EXPECT_EQ(after.alignment(), Qt::AlignLeft);
    EXPECT_EQ(after.leftMargin(), 0);
    EXPECT_EQ(after.topMargin(), 0);
    EXPECT_EQ(block(2).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(lists(), "- - - 1#1 -");
}

TEST_F(RtfReader, BuildsListsFromNumberingAndTheListTable)
{
    ASSERT_TRUE(
        read(R"({\rtf1\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pnindent0\pnstart1\pndec{\pntxta.}})"
             R"(\fi-360\li720 jedna\par{\pntext 2.\tab}dva\par)"
             R"(\pard mezi\par)"
             R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}a\par)"
             R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}b\par)"
             R"(\pard{\listtext\'b7\tab}\ls1\ilvl0 c\par})"));
    EXPECT_EQ(text(), "jedna\ndva\nmezi\na\nb\nc");
    // \pard followed by the same numbering continues the list.
    EXPECT_EQ(lists(), "1#1 1#1 - 2*1 2*1 2*1");
    EXPECT_EQ(block(0).blockFormat().textIndent(), 0);

    ASSERT_TRUE(read(
        R"({\rtf1{\*\listtable{\list{\listlevel\levelnfc23{\leveltext\'01\u8226 ?;}})"
        R"({\listlevel\levelnfc4\levelnfcn4}\listid7}{\list\listsimple{\listlevel\levelnfc0}\listid9})"
        R"({\list{\listlevel\levelnfc255}\listid5}})"
        R"({\*\listoverridetable{\listoverride\listid9\listoverridecount0\ls1})"
        R"({\listoverride\listid7\ls2}{\listoverride\listid5\ls3}})"
        R"(\pard{\listtext 1.\tab}\ls1 a\par{\listtext 2.\tab}b\par)"
        R"(\pard\ls2\li720 c\par\pard\ls2\ilvl1\li1440 d\par\pard\ls2 e\par)"
        R"(\pard{\*\pn\pnlvlblt{\pntxtb\'b7}}\ls1 f\par\pard\ls3\li720 g\par})"));
    ASSERT_EQ(text(), "a\nb\nc\nd\ne\nf\ng");

    // The list table wins over {\*\pn ...}, a list goes on after other
    // paragraphs as the file numbers it, and a level without numbers is an
    // indented paragraph.
    EXPECT_EQ(lists(), "1#1 1#1 2*1 3a2 2*1 1#1 -");
    EXPECT_EQ(block(2).blockFormat().leftMargin(), 48 - doc.indentWidth());
    EXPECT_EQ(block(3).blockFormat().leftMargin(), 96 - 2 * doc.indentWidth());
    EXPECT_EQ(block(6).blockFormat().leftMargin(), 48);
}

// Every list item belongs to its list, numbered in document order, however
// its lists follow and interleave; and the document goes on working as Qt's
// own lists do when it is edited afterwards.
TEST_F(RtfReader, NumbersEachListItemInItsList)
{
    ASSERT_TRUE(
        read(R"({\rtf1{\*\listtable{\list{\listlevel\levelnfc0}{\listlevel\levelnfc4}\listid1})"
             R"({\list{\listlevel\levelnfc23}\listid2}})"
             R"({\*\listoverridetable{\listoverride\listid1\ls1}{\listoverride\listid2\ls2}})"
             R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}\fi-200\li200 a\par)"
             R"({\pntext\'b7\tab}b\par)"
             R"(\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta.}}\fi-360\li720 c\par)"
             R"({\pntext 2.\tab}d\par{\pntext 3.\tab}e\par)"
             R"(\pard\ls1\li720 f\par\pard\ls1\ilvl1\li1440 g\par\pard\ls1\ilvl1\li1440 h\par)"
             R"(\pard mezi\par)"
             R"(\pard\ls1\li720 i\par\pard\ls1\ilvl1\li1440 j\par)"
             R"(\pard\ls2\li720 k\par\pard\ls1\li720 l\par})"));
    ASSERT_EQ(text(), "a\nb\nc\nd\ne\nf\ng\nh\nmezi\ni\nj\nk\nl");
    // Bullets, then numbers: two lists. The list of \ls1 goes on past the
    // paragraph between its items and past those of \ls2; a deeper level
    // starts anew under each item of the level above.
    EXPECT_EQ(items(), "1*1.1 1*1.2 2#1.1 2#1.2 2#1.3 3#1.1 4a2.1 4a2.2 - 3#1.2 5a2.1 6*1.1 3#1.3");
    EXPECT_EQ(block(5).blockFormat().leftMargin(), 48 - doc.indentWidth());
    EXPECT_EQ(block(6).blockFormat().leftMargin(), 96 - 2 * doc.indentWidth());
    EXPECT_EQ(block(11).blockFormat().leftMargin(), 48 - doc.indentWidth());

    // Edited: an item removed, and a new one after "f" that takes its list.
    QTextCursor c(block(6));
    c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    EXPECT_EQ(items(), "1*1.1 1*1.2 2#1.1 2#1.2 2#1.3 3#1.1 4a2.1 - 3#1.2 5a2.1 6*1.1 3#1.3");
    c = QTextCursor(block(5));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertBlock();
    c.insertText(u"f2"_qs);
    EXPECT_EQ(items(), "1*1.1 1*1.2 2#1.1 2#1.2 2#1.3 3#1.1 3#1.2 4a2.1 - 3#1.3 5a2.1 6*1.1 3#1.4");
    EXPECT_EQ(block(12).textList()->itemText(block(12)).toStdString(), "4.");
}

// Long lists whose items alternate with those of other lists, the deeper ones
// starting and going on between them.
TEST_F(RtfReader, NumbersItemsOfInterleavedLongLists)
{
    QByteArray rtf =
        R"({\rtf1{\*\listtable{\list{\listlevel\levelnfc0}{\listlevel\levelnfc4}\listid1})"
        R"({\list{\listlevel\levelnfc23}\listid2}})"
        R"({\*\listoverridetable{\listoverride\listid1\ls1}{\listoverride\listid2\ls2}})";
    QStringList want;
    int numbered = 0; // items of \ls1, level 1
    int bullets = 0;  // of \ls2
    int lists = 2;    // the lists so far: those of \ls1 and \ls2, then the deeper ones
    for (int round = 0; round < 150; ++round) {
        rtf += "\\pard\\ls1 x\\par\\pard\\ls2 x\\par";
        want << u"1#1.%1"_qs.arg(++numbered) << u"2*1.%1"_qs.arg(++bullets);
        if (round % 3 == 0) {
            ++lists;
            rtf += "\\pard\\ls1\\ilvl1 x\\par\\pard\\ls2 x\\par\\pard\\ls1\\ilvl1 x\\par";
            want << u"%1a2.1"_qs.arg(lists) << u"2*1.%1"_qs.arg(++bullets)
                 << u"%1a2.2"_qs.arg(lists);
        }
        if (round % 4 == 3) {
            rtf += "\\pard x\\par";
            want << u"-"_qs;
        }
    }
    rtf += '}';
    ASSERT_TRUE(read(rtf));
    EXPECT_EQ(items(), want.join(u' ').toStdString());
}

// ---------------------------------------------------------------------------
// Paragraphs and the end of the file

TEST_F(RtfReader, FinalParagraphMarkAddsNoEmptyParagraph)
{
    using namespace std::string_view_literals;
    const struct
    {
        std::string_view rtf;
        const char16_t *text;
    } cases[] = {
        {"{\\rtf1 A\\par B\\par}"sv, u"A\nB"},
        {"{\\rtf1 A\\par\\par B\\par}"sv, u"A\n\nB"},
        {"{\\rtf1 A\\par B}"sv, u"A\nB"},
        {"{\\rtf1 A\\par\\par}"sv, u"A\n"},
        {"{\\rtf1 A\\par}\0"sv, u"A"},
        {"{\\rtf1 A}za koncem\\par dalsi"sv, u"A"},
        {"{\\rtf1 }"sv, u""},
        {"{\\rtf1 \\trowd\\intbl A\\cell\\cell B\\cell\\row C\\par}"sv, u"A\t\tB\nC"},
        // Paragraphs inside a cell are lines of the row's paragraph.
        {"{\\rtf1 {\\pard\\intbl A\\par}\\cell{\\pard\\intbl B\\par C\\par}\\cell\\row D\\par E}"sv,
         u"A\tB\u2028C\nD\nE"},
    };
    for (const auto &c : cases)
        expectText(QByteArrayView(c.rtf.data(), qsizetype(c.rtf.size())), c.text);

    // An empty paragraph keeps its font size.
    ASSERT_TRUE(read(R"({\rtf1\fs20 a\par\fs48\par\fs20 b\par})"));
    ASSERT_EQ(text(), "a\n\nb");
    EXPECT_EQ(block(1).charFormat().fontPointSize(), 24);
}

// ---------------------------------------------------------------------------
// Damaged input

TEST_F(RtfReader, SurvivesDamagedInput)
{
    expectText("{\\rtf1 A}}}}B", u"A");
    expectText("{\\rtf1 A{\\b B", u"AB");
    EXPECT_EQ(marks({u"B"}), "b");
    expectText("{\\rtf1 A\\bin999999999 xyz", u"A");
    expectText("{\\rtf1 A\\bin-5 xyz}", u"Axyz");

    const QByteArray open(100000, '{');
    const QByteArray close(100000, '}');
    expectText("{\\rtf1 a" + open + "\\b b" + close + "c}", u"abc");
    EXPECT_EQ(marks({u"c"}), "");
    expectText("{\\rtf1 a" + open + "b", u"ab");

    // Every prefix of a real file reads as a prefix of its text.
    ASSERT_TRUE(read(kRichEdit));
    const std::string full = text();
    for (qsizetype n = 5; n < qsizetype(sizeof kRichEdit) - 1; ++n) {
        ASSERT_TRUE(read(QByteArrayView(kRichEdit, n)));
        EXPECT_TRUE(full.starts_with(text())) << n << ": " << text();
    }

    // Nor does any of 2,000 runs of random RTF characters stop it.
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
