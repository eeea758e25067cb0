// What other editors put into RTF beyond plain formatting: footnote marks, the
// Unicode alternative of \upr, code pages of every script, paragraph styles
// and links; and what stays out of the text. Each is checked in the document,
// through the text sink, and after our writer wrote the document and it was
// read again.

#include "store/rtfhtml.h"
#include "store/rtfreader.h"
#include "store/rtfsink.h"
#include "store/rtftext.h"
#include "store/rtfwriter.h"
#include "support/corpus.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace {

std::string text(const QTextDocument &doc)
{
    return doc.toPlainText().toStdString();
}

// The document read from `rtf`; the text sink must give its text.
std::unique_ptr<QTextDocument> read(const QByteArray &rtf)
{
    auto doc = std::make_unique<QTextDocument>();
    EXPECT_TRUE(store::readRtf(rtf, doc.get())) << rtf.toStdString();
    const std::optional<QString> plain = store::rtfToText(rtf);
    EXPECT_TRUE(plain);
    if (plain) {
        EXPECT_EQ(plain->toStdString(), text(*doc)) << rtf.toStdString();
    }
    return doc;
}

// The document written by our writer and read again.
std::unique_ptr<QTextDocument> again(const QTextDocument &doc)
{
    return read(store::writeRtf(doc));
}

QTextCharFormat formatAt(const QTextDocument &doc, const QString &needle)
{
    const QTextCursor found = doc.find(needle);
    EXPECT_FALSE(found.isNull()) << "not found: " << needle.toStdString();
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

TEST(RtfExtras, FootnoteMarksAreNumberedAndRaisedAndTheFootnotesStayOut)
{
    const auto doc =
        read("{\\rtf1\\ansi Jak \\u345?ekl{\\super\\chftn}"
             "{\\footnote{\\super\\chftn} Pozn\\'e1mka pod \\'e8arou.} Franta"
             "\\chftn{\\footnote\\pard\\plain\\chftn Druh\\'e1.}, to se v\\'ed.\\par}");
    EXPECT_EQ(text(*doc), "Jak řekl1 Franta2, to se ví.");
    EXPECT_EQ(formatAt(*doc, QStringLiteral("1")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    // Raised also where the file did not raise it.
    EXPECT_EQ(formatAt(*doc, QStringLiteral("2")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatAt(*doc, QStringLiteral(" Franta")).verticalAlignment(),
              QTextCharFormat::AlignNormal);
    const auto back = again(*doc);
    EXPECT_EQ(text(*back), text(*doc));
    EXPECT_EQ(formatAt(*back, QStringLiteral("2")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
}

TEST(RtfExtras, UprShowsItsUnicodeAlternative)
{
    const auto doc = read("{\\rtf1\\ansi\\ansicpg1252 {\\upr{Zirafa}{\\*\\ud{\\u381?irafa}}} a "
                          "{\\upr{\\f0 ko\\'e8ka}{\\*\\ud{ko\\u269?ka}}}.\\par}");
    EXPECT_EQ(text(*doc), "Žirafa a kočka.");
    // Without \upr a \ud group is an ignorable destination like any other.
    EXPECT_EQ(text(*read("{\\rtf1 a{\\*\\ud{b}}c\\par}")), "ac");
}

TEST(RtfExtras, DecodesTheCodePagesOfEveryScript)
{
    struct Case
    {
        const char *rtf;
        const char16_t *text;
    };
    const Case cases[] = {
        // Double-byte: the two bytes of a character make one, also when the
        // second is a plain letter or an escaped backslash.
        {"{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 "
         "\\'82\\'a0\\'82\\'a2\\'83\\\\\\'83A}",
         u"あいソア"},
        {"{\\rtf1\\mac\\ansicpg10001 \\'82\\'a0}", u"あ"},
        {"{\\rtf1\\mac{\\fonttbl{\\f0\\fcharset78 Osaka;}}\\f0 \\'82\\'a2}", u"い"},
        {"{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}", u"中文"},
        {"{\\rtf1\\ansi\\ansicpg949 \\'c7\\'d1}", u"한"},
        {"{\\rtf1\\ansi\\ansicpg950 \\'a4\\'a4}", u"中"},
        {"{\\rtf1\\ansi\\ansicpg874 \\'a1}", u"ก"},
        {"{\\rtf1\\ansi\\ansicpg1250 \\'e8\\'9a}", u"čš"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'c6}", u"Ж"},
        {"{\\rtf1\\ansi\\ansicpg1252 \\'e9}", u"é"},
        {"{\\rtf1\\ansi\\ansicpg1253 \\'d9}", u"Ω"},
        {"{\\rtf1\\ansi\\ansicpg1254 \\'f0}", u"ğ"},
        {"{\\rtf1\\ansi\\ansicpg1255 \\'f9}", u"ש"},
        {"{\\rtf1\\ansi\\ansicpg1256 \\'c7}", u"ا"},
        {"{\\rtf1\\ansi\\ansicpg1257 \\'e0}", u"ą"},
        {"{\\rtf1\\ansi\\ansicpg1258 \\'e0}", u"à"},
        // A font's charset over the document's code page.
        {"{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset204 Arial CYR;}}\\f0 \\'c6}", u"Ж"},
        // None named: the home platform's Windows-1250.
        {"{\\rtf1 \\'e8\\'9a}", u"čš"},
    };
    for (const Case &c : cases) {
        const auto doc = read(c.rtf);
        EXPECT_EQ(text(*doc), QString::fromUtf16(c.text).toStdString()) << c.rtf;
        EXPECT_EQ(text(*again(*doc)), text(*doc)) << c.rtf;
    }
}

TEST(RtfExtras, HiddenTextFieldResultsAndIgnorableGroupsStayAsTheyAre)
{
    EXPECT_EQ(text(*read("{\\rtf1 viditeln\\'fd {\\v skryt\\'fd }text\\par}")), "viditelný text");
    EXPECT_EQ(text(*read("{\\rtf1 dnes je {\\field{\\*\\fldinst DATE}{\\fldrslt 8. 12.}}\\par}")),
              "dnes je 8. 12.");
    // Text that a damaged file puts into an ignorable group is no text.
    EXPECT_EQ(text(*read("{\\rtf1 a{\\*\\neznama viditeln\\'e9?}b\\par}")), "ab");
}

TEST(RtfExtras, ParagraphStylesGiveWhatTheParagraphDoesNotSay)
{
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
        "{\\stylesheet{\\s0 Normal;}{\\s1\\qc\\sb240\\f1\\fs32\\b Nadpis 1;}"
        "{\\s2\\li720\\i\\sbasedon0 Citace;}}"
        "\\pard\\s1 Nadpis\\par"
        "\\pard\\qr\\s1 Vpravo\\par"              // the paragraph's own alignment first
        "\\pard\\s2\\plain\\s2\\fs20 Citace\\par" // and its own size after
        "\\pard\\plain\\s0 Oby\\'e8ejn\\'fd\\par}";
    const auto doc = read(rtf);
    EXPECT_EQ(text(*doc), "Nadpis\nVpravo\nCitace\nObyčejný");
    const QTextBlock heading = doc->findBlockByNumber(0);
    EXPECT_EQ(heading.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_GT(heading.blockFormat().topMargin(), 0);
    EXPECT_TRUE(formatAt(*doc, QStringLiteral("Nadpis")).fontWeight() >= QFont::DemiBold);
    EXPECT_EQ(formatAt(*doc, QStringLiteral("Nadpis")).fontPointSize(), 16);
    EXPECT_EQ(formatAt(*doc, QStringLiteral("Nadpis")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Times New Roman")});
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_TRUE(formatAt(*doc, QStringLiteral("Citace")).fontItalic());
    EXPECT_EQ(formatAt(*doc, QStringLiteral("Citace")).fontPointSize(), 10);
    EXPECT_GT(doc->findBlockByNumber(2).blockFormat().leftMargin(), 0);
    EXPECT_FALSE(formatAt(*doc, QStringLiteral("Obyčejný")).fontWeight() >= QFont::DemiBold);
    EXPECT_EQ(doc->findBlockByNumber(3).blockFormat().alignment(), Qt::AlignLeft);

    // Written with the formatting itself, it reads the same.
    const auto back = again(*doc);
    EXPECT_EQ(back->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_TRUE(formatAt(*back, QStringLiteral("Nadpis")).fontWeight() >= QFont::DemiBold);
    EXPECT_TRUE(formatAt(*back, QStringLiteral("Citace")).fontItalic());
}

// A style based on another takes what it leaves open from that one, however
// the sheet orders them; a chain that comes round ends.
TEST(RtfExtras, StylesTakeWhatTheyLeaveOpenFromTheirBase)
{
    const auto doc = read(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
        "{\\stylesheet{\\s3\\i\\sbasedon1 Podnadpis;}{\\s1\\qc\\f1\\fs32\\b\\sbasedon0 Nadpis;}"
        "{\\s0\\fs20 Normal;}{\\s4\\sbasedon5 A;}{\\s5\\b\\sbasedon4 B;}}"
        "\\pard\\plain\\s3 Podnadpis\\par\\pard\\plain\\s4 Kruh\\par}");
    EXPECT_EQ(doc->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    const QTextCharFormat sub = formatAt(*doc, QStringLiteral("Podnadpis"));
    EXPECT_TRUE(sub.fontItalic());
    EXPECT_TRUE(sub.fontWeight() >= QFont::DemiBold);
    EXPECT_EQ(sub.fontPointSize(), 16);
    EXPECT_EQ(sub.fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
    EXPECT_TRUE(formatAt(*doc, QStringLiteral("Kruh")).fontWeight() >= QFont::DemiBold);
}

TEST(RtfExtras, LinksKeepTheirAddress)
{
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250 Viz {\\field{\\*\\fldinst{HYPERLINK "
        "\"https://vtipy.example.cz/zirafa\"}}{\\fldrslt{\\ul\\cf1 vtipy o \\'9eiraf\\'e1ch}}}"
        " a {\\field{\\*\\fldinst HYPERLINK \"http://example.cz/\" \\\\l \"dole\" \\\\o \"tip\"}"
        "{\\fldrslt dole}} nebo {\\field{\\*\\fldinst{ HYPERLINK \"C:\\\\\\\\Vtipy\\\\\\\\a.rtf\" "
        "}}"
        "{\\fldrslt soubor}}.\\par}";
    const auto doc = read(rtf);
    EXPECT_EQ(text(*doc), "Viz vtipy o žirafách a dole nebo soubor.");
    const QTextCharFormat link = formatAt(*doc, QStringLiteral("žirafách"));
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref().toStdString(), "https://vtipy.example.cz/zirafa");
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(formatAt(*doc, QStringLiteral("dole")).anchorHref().toStdString(),
              "http://example.cz/#dole");
    EXPECT_EQ(formatAt(*doc, QStringLiteral("soubor")).anchorHref().toStdString(),
              "C:\\Vtipy\\a.rtf");
    EXPECT_FALSE(formatAt(*doc, QStringLiteral(" a ")).isAnchor());

    // Written back as fields, which read the same.
    const QByteArray written = store::writeRtf(*doc);
    EXPECT_TRUE(
        written.contains("{\\field{\\*\\fldinst{HYPERLINK \"https://vtipy.example.cz/zirafa\"}}"))
        << written.toStdString();
    const auto back = read(written);
    EXPECT_EQ(text(*back), text(*doc));
    for (const char16_t *needle : {u"žirafách", u"dole", u"soubor"}) {
        const QString n = QString::fromUtf16(needle);
        EXPECT_EQ(formatAt(*back, n).anchorHref().toStdString(),
                  formatAt(*doc, n).anchorHref().toStdString());
    }

    // HTML links only to the web and to e-mail.
    QByteArray html;
    ASSERT_TRUE(store::rtfToHtml(rtf, [&](QByteArrayView piece) { html += piece; }));
    EXPECT_TRUE(html.contains("<a href=\"https://vtipy.example.cz/zirafa\">"))
        << html.toStdString();
    EXPECT_FALSE(html.contains("C:\\Vtipy")) << html.toStdString();
}

// Each list as numbered: its kind, the text around its numbers, its first
// number; the bullet of each level.
struct ListLook
{
    QTextListFormat::Style style;
    std::string prefix, suffix;
    int start;
    int indent;
};

ListLook lookOf(const QTextDocument &doc, const QString &item)
{
    const QTextBlock block = doc.find(item).block();
    const QTextList *list = block.textList();
    EXPECT_NE(list, nullptr) << item.toStdString();
    if (!list)
        return {};
    const QTextListFormat f = list->format();
    return {f.style(), f.numberPrefix().toStdString(),
            f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix().toStdString() : ".",
            f.hasProperty(store::kListStartProperty) ? f.intProperty(store::kListStartProperty) : 1,
            f.indent()};
}

void expectLook(const QTextDocument &doc, const QString &item, const ListLook &want)
{
    const ListLook got = lookOf(doc, item);
    EXPECT_EQ(got.style, want.style) << item.toStdString();
    EXPECT_EQ(got.prefix, want.prefix) << item.toStdString();
    EXPECT_EQ(got.suffix, want.suffix) << item.toStdString();
    EXPECT_EQ(got.start, want.start) << item.toStdString();
    EXPECT_EQ(got.indent, want.indent) << item.toStdString();
}

TEST(RtfExtras, ListsKeepTheirNumbersAndBullets)
{
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}"
        "{\\f2 Courier New;}}"
        "{\\*\\listtable{\\list\\listtemplateid1"
        "{\\listlevel\\levelnfc0\\levelstartat5{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01o;}{\\levelnumbers;}\\f2}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u9642 ?;}{\\levelnumbers;}}"
        "\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
        "\\pard\\ls1\\ilvl0 Pate\\par"
        "\\pard\\ls1\\ilvl1 Kolecko\\par"
        "\\pard\\ls1\\ilvl2 Ctverecek\\par"
        "\\pard\\ls1\\ilvl0 Seste\\par"
        "\\pard{\\pntext\\f0 (iii)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart3\\pnlcrm"
        "{\\pntxtb (}{\\pntxta )}}\\fi-360\\li720 Treti\\par"
        "{\\pntext\\f0 (iv)\\tab}Ctvrte\\par"
        "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
        "\\fi-200\\li200 Tecka\\par}";
    const auto doc = read(rtf);
    EXPECT_EQ(text(*doc), "Pate\nKolecko\nCtverecek\nSeste\nTreti\nCtvrte\nTecka");
    expectLook(*doc, QStringLiteral("Pate"), {QTextListFormat::ListDecimal, "", ")", 5, 1});
    expectLook(*doc, QStringLiteral("Kolecko"), {QTextListFormat::ListCircle, "", ".", 1, 2});
    expectLook(*doc, QStringLiteral("Ctverecek"), {QTextListFormat::ListSquare, "", ".", 1, 3});
    expectLook(*doc, QStringLiteral("Treti"), {QTextListFormat::ListLowerRoman, "(", ")", 3, 1});
    expectLook(*doc, QStringLiteral("Tecka"), {QTextListFormat::ListDisc, "", ".", 1, 1});
    const auto listOf = [](const QTextDocument &d, const char *item) {
        return d.find(QString::fromLatin1(item)).block().textList();
    };
    EXPECT_EQ(listOf(*doc, "Seste"), listOf(*doc, "Pate")) << "the list goes on";
    EXPECT_EQ(listOf(*doc, "Ctvrte"), listOf(*doc, "Treti"));

    // Written as the home platform's rich-text box writes lists, each item's
    // marker with the number it shows; a list that goes on after other
    // paragraphs starts again where it was. Word processors read the list
    // table written beside.
    const QByteArray written = store::writeRtf(*doc);
    for (const char *piece :
         {"{\\pntext\\f0 5)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart5\\pndec{\\pntxta)}}",
          "{\\pntxtb o}", "{\\pntext\\f0 6)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart6",
          "{\\pntext\\f0 (iii)\\tab}", "\\pnstart3\\pnlcrm{\\pntxtb(}{\\pntxta)}}",
          "{\\pntext\\f0 (iv)\\tab}"})
        EXPECT_TRUE(written.contains(piece)) << piece << "\n" << written.toStdString();
    // Read again (the list table, as word processors do): the same lists.
    const auto back = read(written);
    EXPECT_EQ(text(*back), text(*doc));
    expectLook(*back, QStringLiteral("Pate"), {QTextListFormat::ListDecimal, "", ")", 5, 1});
    expectLook(*back, QStringLiteral("Kolecko"), {QTextListFormat::ListCircle, "", ".", 1, 2});
    expectLook(*back, QStringLiteral("Ctverecek"), {QTextListFormat::ListSquare, "", ".", 1, 3});
    EXPECT_EQ(listOf(*back, "Seste"), listOf(*back, "Pate"));
    expectLook(*back, QStringLiteral("Treti"), {QTextListFormat::ListLowerRoman, "(", ")", 3, 1});
    EXPECT_EQ(listOf(*back, "Ctvrte"), listOf(*back, "Treti"));
    expectLook(*back, QStringLiteral("Tecka"), {QTextListFormat::ListDisc, "", ".", 1, 1});

    // HTML numbers from the first number on.
    QByteArray html;
    ASSERT_TRUE(store::rtfToHtml(rtf, [&](QByteArrayView piece) { html += piece; }));
    EXPECT_TRUE(html.contains("<ol start=\"5\"")) << html.toStdString();
    EXPECT_TRUE(html.contains("<ol start=\"3\"")) << html.toStdString();
}

// A list longer than the parts the reader keeps long lists in is still one
// list: written as one, numbered on from its first number, after an item is
// taken out as much as before.
TEST(RtfExtras, ALongListIsWrittenAsOneListNumberedOn)
{
    constexpr int kItems = 700;
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                     "\\pard{\\pntext\\f0 5.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0"
                     "\\pnstart5\\pndec{\\pntxta.}}\\fi-360\\li720 item0\\par";
    for (int i = 1; i < kItems; ++i)
        rtf += "{\\pntext\\f0 " + QByteArray::number(5 + i) + ".\\tab}item" +
               QByteArray::number(i) + "\\par";
    rtf += "}";
    const auto doc = read(rtf);
    ASSERT_EQ(doc->blockCount(), kItems);
    const auto numbers = [](const QByteArray &written) {
        QList<int> found;
        static const QRegularExpression marker(QStringLiteral(R"(\\pntext\\f0 (\d+)\.\\tab)"));
        for (const QRegularExpressionMatch &m : marker.globalMatch(QString::fromLatin1(written)))
            found << m.captured(1).toInt();
        return found;
    };
    const auto oneList = [](const QByteArray &written) {
        return written.contains("\\ls1") && !written.contains("\\ls2") &&
               written.count("\\pnstart") == 1;
    };
    QList<int> expected;
    for (int i = 0; i < kItems; ++i)
        expected << 5 + i;

    const QByteArray written = store::writeRtf(*doc);
    EXPECT_EQ(numbers(written), expected);
    EXPECT_TRUE(oneList(written)) << written.left(2000).toStdString();
    EXPECT_EQ(store::writeRtf(*read(written)), written) << "read and written again, the same";

    // The 10th item taken out: the rest close up.
    QTextCursor tenth(doc->findBlockByNumber(9));
    tenth.select(QTextCursor::BlockUnderCursor);
    tenth.removeSelectedText();
    expected.removeLast();
    const QByteArray shorter = store::writeRtf(*doc);
    EXPECT_EQ(numbers(shorter), expected);
    EXPECT_TRUE(oneList(shorter));
    EXPECT_FALSE(shorter.contains(" item9\\par"));
}

// The corpus files made for these: their formats, read and after a round
// trip through our writer.
TEST(RtfExtras, CorpusFilesKeepTheirFormatsThroughOurWriter)
{
    const auto footnotes = read(corpus::read(QStringLiteral("word_footnotes.rtf")));
    const auto numbering = read(corpus::read(QStringLiteral("wordpad_numbering.rtf")));
    const auto footnotesBack = again(*footnotes);
    const auto numberingBack = again(*numbering);
    for (const QTextDocument *doc : {footnotes.get(), footnotesBack.get()}) {
        const QTextBlock heading = doc->firstBlock();
        EXPECT_EQ(heading.blockFormat().alignment(), Qt::AlignHCenter);
        EXPECT_TRUE(formatAt(*doc, QStringLiteral("lékaře")).fontWeight() >= QFont::DemiBold);
        EXPECT_EQ(formatAt(*doc, QStringLiteral("lékaře")).fontPointSize(), 16);
        EXPECT_EQ(formatAt(*doc, QStringLiteral("není1")).verticalAlignment(),
                  QTextCharFormat::AlignNormal);
        QTextCursor mark = doc->find(QStringLiteral("není1"));
        mark.setPosition(mark.selectionEnd());
        EXPECT_EQ(mark.charFormat().verticalAlignment(), QTextCharFormat::AlignSuperScript);
        EXPECT_EQ(formatAt(*doc, QStringLiteral("Žirafa")).fontPointSize(), 8) << "\\s16";
        EXPECT_EQ(formatAt(*doc, QStringLiteral("vtipy.example")).anchorHref().toStdString(),
                  "https://vtipy.example.cz/lekari");
        EXPECT_FALSE(formatAt(*doc, QStringLiteral("2026")).isAnchor());
    }
    for (const QTextDocument *doc : {numbering.get(), numberingBack.get()}) {
        expectLook(*doc, QStringLiteral("Vzít"), {QTextListFormat::ListLowerAlpha, "(", ")", 1, 1});
        expectLook(*doc, QStringLiteral("Čtvrtá"),
                   {QTextListFormat::ListUpperRoman, "", ".", 4, 1});
        const QTextBlock second = doc->find(QStringLiteral("Dojít")).block();
        ASSERT_NE(second.textList(), nullptr);
        EXPECT_EQ(second.textList()->itemText(second).toStdString(), "(b)");
    }
}

TEST(RtfExtras, OnlyWebAndMailAddressesAreFollowed)
{
    for (const char *yes : {"http://a.cz", "https://a.cz/x?y", "HTTPS://A.CZ", "ftp://a.cz",
                            "mailto:franta@example.cz"})
        EXPECT_TRUE(store::isWebAddress(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", "file:///etc/passwd", "javascript:alert(1)", "C:\\a.rtf", "#dole",
                           "http://", "smb://server/share", "/usr/bin/xterm"})
        EXPECT_FALSE(store::isWebAddress(QString::fromLatin1(no))) << no;
}

} // namespace
