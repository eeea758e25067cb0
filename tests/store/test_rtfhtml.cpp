// HTML straight from RTF: read back by Qt's own HTML reader it gives the text
// the text sink gives, and the lists and the formats of runs the document
// sink makes, written piece by piece.

#include "store/rtfhtml.h"
#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "support/corpus.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using corpus::shown;

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

QByteArray html(QByteArrayView rtf, std::vector<qsizetype> *pieces = nullptr)
{
    QByteArray out;
    const bool read = store::rtfToHtml(rtf, [&](QByteArrayView piece) {
        EXPECT_FALSE(piece.isEmpty());
        EXPECT_TRUE(isUtf8(piece)) << "each piece is whole UTF-8";
        if (pieces)
            pieces->push_back(piece.size());
        out += piece;
    });
    EXPECT_TRUE(read);
    return out;
}

// The HTML as Qt reads it.
void readBack(QByteArrayView rtf, QTextDocument *doc)
{
    const QByteArray bytes = html(rtf);
    EXPECT_TRUE(isUtf8(bytes));
    doc->setHtml(QString::fromUtf8(bytes));
}

// What the text of a document shows, character by character: the list each
// paragraph is in (its style and depth) and each character's weight, slant,
// lines and colours.
std::vector<std::string> looks(const QTextDocument &doc)
{
    std::vector<std::string> out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        std::string b = "paragraph";
        if (const QTextList *list = block.textList())
            b += " list " + std::to_string(list->format().style()) + "/" +
                 std::to_string(list->format().indent());
        out.push_back(b);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            std::string c;
            c += f.fontWeight() >= QFont::Bold ? "b" : "";
            c += f.fontItalic() ? "i" : "";
            c += f.fontStrikeOut() ? "s" : "";
            // A link looks like a link in HTML, whatever the file made it.
            if (f.isAnchor()) {
                c += " link " + f.anchorHref().toStdString();
            } else {
                c += f.fontUnderline() ? "u" : "";
                if (f.foreground().style() != Qt::NoBrush)
                    c += " " + f.foreground().color().name().toStdString();
            }
            if (f.background().style() != Qt::NoBrush)
                c += " on " + f.background().color().name().toStdString();
            c += f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? " ^"
                 : f.verticalAlignment() == QTextCharFormat::AlignSubScript ? " _"
                                                                            : "";
            for (int i = 0; i < it.fragment().length(); ++i)
                out.push_back(c);
        }
    }
    return out;
}

using RtfHtmlCorpus = ::testing::TestWithParam<std::string>;

// Every file of the corpus: the HTML read back gives the text sink's text and
// the document's lists and run formats.
TEST_P(RtfHtmlCorpus, ReadsBackAsTheTextAndTheDocument)
{
    const QByteArray rtf = corpus::read(QString::fromStdString(GetParam()) + u".rtf"_qs);
    QTextDocument fromHtml;
    readBack(rtf, &fromHtml);
    const std::optional<QString> text = store::rtfToText(rtf);
    ASSERT_TRUE(text);
    EXPECT_EQ(shown(fromHtml.toPlainText()), shown(*text));

    QTextDocument document;
    ASSERT_TRUE(store::readRtf(rtf, &document));
    EXPECT_EQ(looks(fromHtml), looks(document));
}

INSTANTIATE_TEST_SUITE_P(Files, RtfHtmlCorpus, ::testing::ValuesIn(corpus::names()),
                         [](const auto &info) { return info.param; });

// ---------------------------------------------------------------------------

TEST(RtfHtml, KeepsTheFormatsOfRuns)
{
    const QByteArray rtf = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1 Courier New;}})"
                           R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
                           R"(\f0 plain {\b bold} {\i italic} {\cf1 red} {\b\i\cf2 all}, )"
                           R"({\ul under}{\strike out}{\super 2}{\sub x}{\f1\fs36 big}\par})";
    QTextDocument doc;
    readBack(rtf, &doc);
    ASSERT_EQ(doc.toPlainText(), u"plain bold italic red all, underout2xbig"_qs);
    const auto formatAt = [&](const QString &word) {
        QTextCursor cursor(&doc);
        cursor.setPosition(int(doc.toPlainText().indexOf(word)) + 1);
        return cursor.charFormat();
    };
    EXPECT_LT(formatAt(u"plain"_qs).fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatAt(u"plain"_qs).fontItalic());
    EXPECT_EQ(formatAt(u"plain"_qs).foreground().style(), Qt::NoBrush);
    EXPECT_GE(formatAt(u"bold"_qs).fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatAt(u"bold"_qs).fontItalic());
    EXPECT_TRUE(formatAt(u"italic"_qs).fontItalic());
    EXPECT_LT(formatAt(u"italic"_qs).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(u"red"_qs).foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat all = formatAt(u"all"_qs);
    EXPECT_GE(all.fontWeight(), QFont::Bold);
    EXPECT_TRUE(all.fontItalic());
    EXPECT_EQ(all.foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(formatAt(u"under"_qs).fontUnderline());
    EXPECT_TRUE(formatAt(u"out"_qs).fontStrikeOut());
    EXPECT_EQ(formatAt(u"big"_qs).fontPointSize(), 18);
    EXPECT_EQ(formatAt(u"big"_qs).fontFamilies().toStringList(), QStringList{u"Courier New"_qs});
    EXPECT_EQ(looks(doc), [&] {
        QTextDocument document;
        store::readRtf(rtf, &document);
        return looks(document);
    }());
}

// Characters HTML gives a meaning of its own, white space it would fold and
// breaks: the text stays the text sink's.
TEST(RtfHtml, KeepsTheTextAsItIs)
{
    for (const char *rtf :
         {R"({\rtf1 a <b> & "c" &amp; </p>\par})", R"({\rtf1   two  spaces\tab tab \par\par})",
          R"({\rtf1 \par\par a\line\line b\line\par\par})", R"({\rtf1 })",
          R"({\rtf1 a\~b\u8233?c\u8232?d\u64976?e\u160?f})",
          R"({\rtf1 \qc centred\par\pard\qr right\par\pard\li720\fi-360\sb240\sl-360 x\par})"}) {
        QTextDocument doc;
        readBack(rtf, &doc);
        EXPECT_EQ(shown(doc.toPlainText()), shown(store::rtfToText(rtf).value())) << rtf;
    }
    const QByteArray escaped = html(R"({\rtf1 {\b <b>&}"\par})");
    EXPECT_TRUE(escaped.contains("&lt;b&gt;&amp;</span>&quot;")) << escaped.constData();
    EXPECT_TRUE(html(R"({\rtf1 a\line b})").contains("a<br>b"));
}

// Lists as the document has them, nested, interleaved and going on after
// other paragraphs, and the markers the file writes are no text.
TEST(RtfHtml, NestsListsAsTheDocumentDoes)
{
    const QByteArray rtf =
        R"({\rtf1{\*\listtable{\list{\listlevel\levelnfc0}{\listlevel\levelnfc4}\listid1})"
        R"({\list{\listlevel\levelnfc23}\listid2}})"
        R"({\*\listoverridetable{\listoverride\listid1\ls1}{\listoverride\listid2\ls2}})"
        R"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}\fi-200\li200 a\par)"
        R"({\pntext\'b7\tab}b\par)"
        R"(\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta.}}\fi-360\li720 c\par)"
        R"({\pntext 2.\tab}d\par{\pntext 3.\tab}e\par)"
        R"(\pard\ls1\li720 f\par\pard\ls1\ilvl1\li1440 g\par\pard\ls1\ilvl1\li1440 h\par)"
        R"(\pard mezi\par)"
        R"(\pard\ls1\li720 i\par\pard\ls1\ilvl1\li1440 j\par)"
        R"(\pard\ls2\li720 k\par\pard\ls1\li720 l\par})";
    QTextDocument doc;
    readBack(rtf, &doc);
    EXPECT_EQ(doc.toPlainText(), u"a\nb\nc\nd\ne\nf\ng\nh\nmezi\ni\nj\nk\nl"_qs);
    QTextDocument document;
    ASSERT_TRUE(store::readRtf(rtf, &document));
    EXPECT_EQ(looks(doc), looks(document));

    const QByteArray bytes = html(rtf);
    EXPECT_TRUE(bytes.contains("list-style-type:disc"));
    EXPECT_TRUE(bytes.contains("list-style-type:decimal"));
    EXPECT_TRUE(bytes.contains("list-style-type:lower-alpha"));
    // The decimal list of \ls1 goes on after "mezi" and after \ls2 with its
    // numbers: the second and third items.
    EXPECT_TRUE(bytes.contains("<ol start=\"2\""));
    EXPECT_TRUE(bytes.contains("<ol start=\"3\""));
    // The deeper level inside the item above it.
    EXPECT_TRUE(bytes.contains(">f<ol")) << bytes.constData();
}

TEST(RtfHtml, RefusesWhatIsNotRtf)
{
    bool written = false;
    EXPECT_FALSE(store::rtfToHtml("plain text", [&](QByteArrayView) { written = true; }));
    EXPECT_FALSE(written);
}

// A long joke comes as a whole document in pieces of a bounded size.
TEST(RtfHtml, StreamsALongTextInBoundedPieces)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20'000; ++i)
        rtf += "{\\b tu\\'e8n\\'fd} k\\u367?\\'f2 " + QByteArray::number(i) + "\\par\n";
    rtf += '}';
    std::vector<qsizetype> pieces;
    const QByteArray bytes = html(rtf, &pieces);
    EXPECT_GT(pieces.size(), 2u);
    for (const qsizetype size : pieces)
        EXPECT_LE(size, 80'000);
    EXPECT_TRUE(bytes.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(bytes.endsWith("</html>"));
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(bytes));
    EXPECT_EQ(doc.toPlainText(), store::rtfToText(rtf).value());
}

// Plain text: a paragraph for each line, as a document it is inserted into.
TEST(RtfHtml, WritesPlainTextAsParagraphs)
{
    for (const char16_t *text : {u"", u"a\r\nb", u"a\rb\nc", u"\r\n\r\n", u" x <&> \t y\n"}) {
        QByteArray bytes;
        store::textToHtml(QStringView(text), [&](QByteArrayView piece) { bytes += piece; });
        QTextDocument doc;
        doc.setHtml(QString::fromUtf8(bytes));
        EXPECT_EQ(shown(doc.toPlainText()), shown(store::documentText(QStringView(text))));
    }
}

} // namespace
