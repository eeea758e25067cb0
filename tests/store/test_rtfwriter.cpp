#include "store/rtfreader.h"
#include "store/rtfwriter.h"
#include "support/testfolder.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <string>

namespace {

// Every paragraph's alignment, indents, spacing, tab stops and list, then each
// character with what a reader of the file sees of its format (or the mark of
// an empty paragraph), one a line: a failure shows where two documents differ.
std::string describe(const QTextDocument &doc)
{
    const auto look = [&doc](const QTextCharFormat &f) {
        const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
        const auto colour = [](const QBrush &b) {
            return b.style() == Qt::NoBrush ? QByteArray("-") : b.color().name().toLatin1();
        };
        return QString::asprintf(
            " %s %gpt b%d i%d u%d s%d fg %s bg %s v%d\n",
            qPrintable(families.isEmpty() ? doc.defaultFont().family() : families.first()),
            f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                      : doc.defaultFont().pointSizeF(),
            f.fontWeight() >= QFont::DemiBold, f.fontItalic(), f.fontUnderline(), f.fontStrikeOut(),
            colour(f.foreground()).data(), colour(f.background()).data(),
            int(f.verticalAlignment()));
    };
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        out += QString::asprintf("align %d margins %g %g %g %g indent %g line %d %g tabs",
                                 int(f.alignment() & Qt::AlignHorizontal_Mask), f.leftMargin(),
                                 f.rightMargin(), f.topMargin(), f.bottomMargin(), f.textIndent(),
                                 f.lineHeightType(), f.lineHeight());
        for (const QTextOption::Tab &tab : f.tabPositions())
            out += QString::asprintf(" %g/%d", tab.position, int(tab.type));
        if (const QTextList *list = b.textList()) {
            out += QString::asprintf(" list %d item %d same list as before %d",
                                     int(list->format().style()), list->itemNumber(b),
                                     list == b.previous().textList());
        }
        out += u"\n"_qs;
        if (b.length() == 1)
            out += u"  mark"_qs + look(b.charFormat());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            for (const QChar c : it.fragment().text())
                out += u"  "_qs + c + look(it.fragment().charFormat());
        }
    }
    return out.toStdString();
}

class RtfWriter : public ::testing::Test
{
protected:
    RtfWriter() { doc.setDefaultFont(QFont(u"Arial"_qs, 10)); }

    void insert(const QString &text, const QTextCharFormat &f = {}) { cursor.insertText(text, f); }
    static QTextBlockFormat aligned(Qt::Alignment a)
    {
        QTextBlockFormat f;
        f.setAlignment(a);
        return f;
    }
    // A new paragraph outside any list.
    void paragraph(Qt::Alignment a = Qt::AlignLeft) { cursor.insertBlock(aligned(a), {}); }
    // The cursor's paragraph becomes the first item of a new list.
    void list(QTextListFormat::Style style) { cursor.createList(style); }
    // The next paragraph of the same list.
    void item() { cursor.insertBlock(); }

    // Writes the document, reads the file back and expects the same text,
    // paragraphs and formats.
    void expectRoundTrip()
    {
        const QByteArray rtf = store::writeRtf(doc);
        SCOPED_TRACE(rtf.toStdString());
        QTextDocument back;
        ASSERT_TRUE(store::readRtf(rtf, &back));
        EXPECT_EQ(describe(back), describe(doc));
    }

    QTextDocument doc;
    QTextCursor cursor{&doc};
};

// ---------------------------------------------------------------------------
// The bytes of the file

TEST_F(RtfWriter, WritesTheControlsHeaderEscapesAndParagraphMarks)
{
    insert(u"Žluťoučký kůň"_qs);
    paragraph();
    insert(u"úpěl"_qs);
    EXPECT_EQ(store::writeRtf(doc),
              ansi(uR"({\rtf1\ansi\ansicpg1250\deff0\deflang1029)"
                   uR"({\fonttbl{\f0\fswiss\fcharset238 Arial;}}⏎)"
                   uR"(\viewkind4\uc1\pard\f0\fs20 \'8elu\'9dou\'e8k\'fd k\'f9\'f2\par⏎)"
                   uR"(\'fap\'ecl\par⏎}⏎)"_qs)
                  .append('\0'));

    // Syntax is escaped; Ω, a full-width "!" above 0x7FFF and a face outside
    // the 16-bit range are signed \uN?, the euro sign has its byte, and a
    // control character is dropped.
    cursor.select(QTextCursor::Document);
    insert(u"a{b}c\\d x\ty\u2028\u00a0\u0001\u03a9\uff01\U0001F600\u20ac."_qs);
    const QByteArray rtf = store::writeRtf(doc);
    EXPECT_TRUE(
        rtf.contains(R"(\fs20 a\{b\}c\\d x\tab y\line \~\u937?\u-255?\u-10179?\u-8704?\'80.\par)"
                     "\r\n"))
        << rtf.toStdString();

    doc.clear();
    EXPECT_TRUE(store::writeRtf(doc).endsWith(
        QByteArray("\\viewkind4\\uc1\\pard\\f0\\fs20\\par\r\n}\r\n").append('\0')));
}

TEST_F(RtfWriter, WritesOnlyChangedFormatsAndBulletsAsTheControlDoes)
{
    cursor.mergeBlockFormat(aligned(Qt::AlignHCenter));
    QTextCharFormat heading, red;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(16);
    red.setForeground(QColor(255, 0, 0));
    insert(u"Nadpis"_qs, heading);
    paragraph();
    insert(u"červený"_qs, red);
    insert(u" text"_qs);
    paragraph();
    list(QTextListFormat::ListDisc);
    insert(u"jedna"_qs);
    item();
    insert(u"dva"_qs);
    paragraph();
    insert(u"konec"_qs);

    EXPECT_EQ(
        store::writeRtf(doc),
        ansi(
            uR"({\rtf1\ansi\ansicpg1250\deff0\deflang1029{\fonttbl{\f0\fswiss\fcharset238 Arial;})"
            uR"({\f1\fnil\fcharset2 Symbol;}}⏎{\colortbl ;\red255\green0\blue0;}⏎)"
            // The list also as Word writes lists, for the word processors.
            uR"({\*\listtable{\list\listtemplateid1{\listlevel\levelnfc23\leveljc0\levelfollow0)"
            uR"(\levelstartat1{\leveltext\'01\u8226 ?;}{\levelnumbers;}\fi-360\li720}\listid1}}⏎)"
            uR"({\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}}⏎)"
            uR"(\viewkind4\uc1\pard\qc\b\f0\fs32 Nadpis\par⏎)"
            uR"(\pard\cf1\b0\fs20 \'e8erven\'fd\cf0  text\par⏎)"
            uR"(\pard{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'b7}})"
            uR"(\fi-600\li600\ls1\ilvl0 jedna\par⏎{\pntext\f1\'b7\tab}dva\par⏎\pard konec\par⏎}⏎)"_qs)
            .append('\0'));
}

// Text that has no format of its own shows in the document's font (a box's
// font), and is written as it shows; text the file made plain stays plain.
TEST_F(RtfWriter, WritesWhatTheFormatLeavesOpenInTheDocumentsFont)
{
    QFont box(u"Arial"_qs, 10);
    box.setBold(true);
    box.setItalic(true);
    doc.setDefaultFont(box);
    QTextCharFormat plain;
    plain.setFontWeight(QFont::Normal);
    plain.setFontItalic(false);
    insert(u"psáno"_qs);
    insert(u" načteno"_qs, plain);
    const QByteArray rtf = store::writeRtf(doc);
    EXPECT_TRUE(rtf.contains(R"(\pard\b\i\f0\fs20 ps\'e1no\b0\i0  na\'e8teno\par)")) << rtf.data();
}

// ---------------------------------------------------------------------------
// Written and read back

TEST_F(RtfWriter, CharacterFormatsAndCharactersSurviveReading)
{
    QTextCharFormat bold, italic, underline, strike, mixed, times, half, super, sub;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    underline.setFontUnderline(true);
    strike.setFontStrikeOut(true);
    mixed = bold;
    mixed.merge(italic);
    mixed.setForeground(QColor(0, 128, 255));
    mixed.setBackground(QColor(255, 255, 0));
    times.setFontFamilies({u"Times New Roman"_qs});
    times.setFontPointSize(14);
    half.setFontPointSize(10.5);
    super.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    sub.setForeground(QColor(0, 128, 255));

    insert(u"Příliš "_qs);
    insert(u"žluťoučký"_qs, bold);
    insert(u" kůň "_qs, italic);
    insert(u"úpěl"_qs, underline);
    insert(u" ďábelské "_qs, strike);
    insert(u"ódy"_qs, mixed);
    paragraph();
    insert(u"Čtvrtý "_qs, times);
    insert(u"odstavec"_qs, half);
    insert(u"2"_qs, super);
    insert(u"x"_qs, sub);
    insert(u" obyčejně"_qs);
    // Tabs, breaks, syntax and characters outside the code page.
    paragraph();
    insert(u"Tab\there{}\\ a\u2028nový řádek\u00a0\u2011\u03a9\uff01\U0001F600 €"_qs);
    paragraph();
    insert(u"\ufb01 Šš\u00ad\u2026"_qs);
    expectRoundTrip();
}

TEST_F(RtfWriter, ParagraphsListsAndEmptyParagraphsSurviveReading)
{
    expectRoundTrip(); // the empty document
    paragraph();       // after two empty ones
    paragraph();
    cursor.mergeBlockFormat(aligned(Qt::AlignHCenter));
    insert(u"Na střed"_qs);
    paragraph(Qt::AlignRight);
    insert(u"Doprava"_qs);
    paragraph(Qt::AlignJustify);
    insert(u"Do bloku"_qs);
    paragraph();
    QTextBlockFormat f;
    f.setLeftMargin(20);
    f.setRightMargin(8);
    f.setTextIndent(-12);
    f.setTopMargin(4);
    f.setBottomMargin(6);
    f.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    f.setTabPositions({QTextOption::Tab(100, QTextOption::LeftTab),
                       QTextOption::Tab(200, QTextOption::RightTab)});
    cursor.setBlockFormat(f);
    insert(u"odsazený\tsloupec"_qs);
    paragraph();
    list(QTextListFormat::ListDisc);
    insert(u"odrážka"_qs);
    item();
    item(); // an empty item
    insert(u"třetí"_qs);
    paragraph();
    insert(u"mezi"_qs);
    paragraph();
    paragraph(); // an empty paragraph
    list(QTextListFormat::ListDecimal);
    insert(u"první"_qs);
    item();
    insert(u"druhý"_qs);
    item();
    f = QTextBlockFormat();
    f.setLeftMargin(30); // the text of this item starts further right
    cursor.mergeBlockFormat(f);
    insert(u"odsazený"_qs);
    // Lists of other styles right after one another stay apart.
    paragraph();
    list(QTextListFormat::ListUpperRoman);
    insert(u"a hned římské"_qs);
    paragraph();
    list(QTextListFormat::ListDisc);
    insert(u"a zase odrážky"_qs);
    paragraph(); // an empty last paragraph, in a size of its own
    QTextCharFormat big;
    big.setFontPointSize(24);
    cursor.setBlockCharFormat(big);
    expectRoundTrip();
}

// ---------------------------------------------------------------------------
// Plain text

TEST_F(RtfWriter, PlainTextIsWindows1250WithEveryLineEndedByCrLf)
{
    EXPECT_TRUE(store::writePlainText(doc).isEmpty());

    insert(u"Příliš žluťoučký"_qs);
    paragraph();
    insert(u"kůň"_qs);
    EXPECT_EQ(store::writePlainText(doc), ansi(u"Příliš žluťoučký⏎kůň⏎"_qs));

    cursor.select(QTextCursor::Document);
    insert(u"první řádek\u2028druhý\tsloupec"_qs);
    paragraph();
    EXPECT_EQ(store::writePlainText(doc), ansi(u"první řádek⏎druhý\tsloupec⏎⏎"_qs));

    cursor.select(QTextCursor::Document);
    insert(u"\u03a9 a \U0001F600"_qs);
    EXPECT_EQ(store::writePlainText(doc), QByteArray("? a ?\r\n"));
}

} // namespace
