// Files as other programs really write them (tests/store/corpus/README.md says
// how each was made): each reads as the text beside it, with its formats, in
// the document and through the text sink alike.

#include "store/rtfreader.h"
#include "store/rtfsink.h"
#include "store/rtftext.h"
#include "store/rtfwriter.h"
#include "support/corpus.h"
#include "support/looks.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using corpus::shown;

TEST(RtfCorpus, HoldsTheFilesOfEveryWriter)
{
    const QStringList files = QDir(corpus::folder()).entryList({QStringLiteral("*.rtf")});
    for (const char *writer : {"abiword_", "libreoffice_", "listtext_", "pandoc_", "richedit_"})
        EXPECT_FALSE(files.filter(QLatin1String(writer)).isEmpty()) << writer;
}

using RtfCorpusText = ::testing::TestWithParam<std::string>;

TEST_P(RtfCorpusText, ReadsAsItsText)
{
    const QString name = QString::fromStdString(GetParam());
    QString expected = QString::fromUtf8(corpus::read(name + QStringLiteral(".txt")));
    ASSERT_TRUE(expected.endsWith(u'\n')) << "the expected text ends with a line end";
    expected.chop(1);

    const QByteArray rtf = corpus::read(name + QStringLiteral(".rtf"));
    QTextDocument doc;
    ASSERT_TRUE(store::readRtf(rtf, &doc));
    QStringList got;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        got << b.text();
    EXPECT_EQ(shown(got.join(u'\n')), shown(expected));

    // The text sink gives the document's plain text, whole or in pieces.
    const std::optional<QString> text = store::rtfToText(rtf);
    ASSERT_TRUE(text);
    EXPECT_EQ(shown(*text), shown(doc.toPlainText()));
    EXPECT_EQ(shown(*text), shown(expected.replace(QChar(0x2028), u'\n')));
    QString streamed;
    EXPECT_TRUE(store::rtfToText(rtf, [&](QStringView piece) { streamed += piece; }));
    EXPECT_EQ(shown(streamed), shown(*text));
}

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusText, ::testing::ValuesIn(corpus::names()),
                         [](const auto &info) { return info.param; });

// ---------------------------------------------------------------------------
// Formats

struct Formats
{
    const char *file;
    const char16_t *title; // a bold, centred paragraph
    const char16_t *coloured;
    QColor colour;
    const char16_t *bullets = u""; // the items of one list, "|" between them
    const char16_t *numbers = u""; // one decimal list
    const char16_t *nested = u"";  // a bullet one level below `bullets`
    // The nested list's bullet, and what follows each number of `numbers`.
    QTextListFormat::Style nestedStyle = QTextListFormat::ListDisc;
    const char16_t *suffix = u".";
};

void PrintTo(const Formats &f, std::ostream *os)
{
    *os << f.file;
}

class RtfCorpusFormats : public ::testing::TestWithParam<Formats>
{
protected:
    QTextBlock block(const QString &text) const
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (b.text() == text)
                return b;
        }
        ADD_FAILURE() << "no paragraph " << text.toStdString();
        return {};
    }

    // The format inside the first occurrence of `text`.
    QTextCharFormat formatOf(const char16_t *text) const
    {
        const QTextCursor found = doc.find(QString::fromUtf16(text));
        EXPECT_FALSE(found.isNull()) << QString::fromUtf16(text).toStdString();
        QTextCursor c(const_cast<QTextDocument *>(&doc));
        c.setPosition(found.selectionStart() + 1);
        return c.charFormat();
    }

    // Every item is in one list of `style` at `indent`, and only they are.
    void expectList(const char16_t *items, QTextListFormat::Style style, int indent) const
    {
        const QStringList all = QString::fromUtf16(items).split(u'|', Qt::SkipEmptyParts);
        if (all.isEmpty())
            return;
        QTextList *list = block(all.front()).textList();
        ASSERT_NE(list, nullptr) << all.front().toStdString();
        EXPECT_EQ(list->format().style(), style);
        EXPECT_EQ(list->format().indent(), indent);
        EXPECT_EQ(list->count(), all.size());
        for (const QString &item : all)
            EXPECT_EQ(block(item).textList(), list) << item.toStdString();
        // The paragraph after a numbered list is in none.
        if (style == QTextListFormat::ListDecimal) {
            EXPECT_EQ(block(all.back()).next().textList(), nullptr);
        }
    }

    QTextDocument doc;
};

TEST_P(RtfCorpusFormats, KeepsBoldColourAlignmentAndLists)
{
    const Formats &f = GetParam();
    ASSERT_TRUE(store::readRtf(corpus::read(QString::fromUtf8(f.file)), &doc));

    const QTextBlock title = block(QString::fromUtf16(f.title));
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(title.begin().fragment().charFormat().fontWeight(), QFont::Bold);
    // Neither the centring nor the bold goes on to the next paragraph.
    EXPECT_EQ(title.next().blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_NE(title.next().begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(title.next().textList(), nullptr);

    const QTextCharFormat coloured = formatOf(f.coloured);
    EXPECT_EQ(coloured.foreground().color(), f.colour);
    EXPECT_NE(coloured.fontWeight(), QFont::Bold);

    expectList(f.bullets, QTextListFormat::ListDisc, 1);
    expectList(f.numbers, QTextListFormat::ListDecimal, 1);
    expectList(f.nested, f.nestedStyle, 2);
    if (*f.numbers) {
        const QString first = QString::fromUtf16(f.numbers).section(u'|', 0, 0);
        const QTextList *list = block(first).textList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->itemText(block(first)).toStdString(),
                  ("1" + QString::fromUtf16(f.suffix)).toStdString());
    }
}

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

INSTANTIATE_TEST_SUITE_P(
    Files, RtfCorpusFormats,
    ::testing::Values(
        Formats{"libreoffice_html.rtf", u"Vtipy pro dobrou náladu", u"dojde inkoust", kRed,
                u"měkký tvaroh |čerstvé vejce od souseda |ďábelsky pálivou papriku ",
                u"Vstát až na třetí budík. |Vypít dvě kávy. |Tvářit se důležitě a nic neříkat. "},
        Formats{"abiword_vtipy.rtf", u"Vtipy pro dobrou náladu", u"dojde inkoust", kRed,
                u"měkký tvaroh|čerstvé vejce od souseda|ďábelsky pálivou papriku",
                u"Vstát až na třetí budík.|Vypít dvě kávy.|Tvářit se důležitě a nic neříkat."},
        // The numbering goes on after a paragraph between.
        Formats{"libreoffice_odt.rtf", u"Z pohádkové říše", u"pepřový sprej", kBlue,
                u"okenice z medového perníku|komín|půlku dveří",
                u"Střecha děravá.|Pec vychladlá.|Chybí čarodějnice.", u"hlavně ten čokoládový",
                QTextListFormat::ListCircle, u")"},
        Formats{"abiword_pohadky.rtf", u"Z pohádkové říše", u"pepřový sprej", kBlue,
                u"okenice z medového perníku|komín|půlku dveří", u"Střecha děravá.|Pec vychladlá.",
                u"hlavně ten čokoládový"},
        Formats{"richedit_new.rtf", u"U lékaře", u"ďábelsky vysoký", kBlue,
                u"pulz v pořádku|tlak ďábelsky vysoký|nálada – výborná",
                u"Méně kávy.|Více spánku.|Žádné řízení po půlnoci."},
        Formats{"listtext_paragraphs.rtf", u"Nákup podle babičky", u"došly peníze", kRed,
                u"chleba ze mlýna|mléko a máslo|tři rohlíky",
                u"Vzít tašku.|Dojít do obchodu.|Zjistit, že lístek zůstal doma."},
        Formats{"richedit_old.rtf", u"Babička a počítač", u"úsporný režim", kRed},
        Formats{"richedit_unicode.rtf", u"Jazykové okénko", u"řeč těla", QColor(0, 176, 80)}),
    [](const auto &info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// LibreOffice (from a .docx) gives each list paragraph its \li twice; the
// second is the one that counts.
TEST(RtfCorpusLists, NestedLevelKeepsTheOuterListGoing)
{
    QTextDocument doc;
    ASSERT_TRUE(store::readRtf(corpus::read(QStringLiteral("libreoffice_docx.rtf")), &doc));
    const QTextBlock outer = doc.findBlockByNumber(4);
    ASSERT_EQ(outer.text(), QStringLiteral("komín"));
    ASSERT_NE(outer.textList(), nullptr);
    EXPECT_EQ(outer.textList()->format().indent(), 1);
    const QTextBlock inner = outer.next();
    ASSERT_NE(inner.textList(), nullptr);
    EXPECT_EQ(inner.textList()->format().indent(), 2);
    EXPECT_EQ(inner.next().textList(), outer.textList());
    // The list's indent takes the place of the file's left indent.
    EXPECT_DOUBLE_EQ(outer.blockFormat().leftMargin(), 709 / 15.0 - doc.indentWidth());
    EXPECT_DOUBLE_EQ(inner.blockFormat().leftMargin(), 1418 / 15.0 - 2 * doc.indentWidth());
}

} // namespace

namespace {

// Every paragraph's format as a file says it, in twips, and the fonts its
// text is in, by name.
class Said : public store::RtfSink
{
public:
    void text(const QString &, const store::RtfCharFormat &format) override
    {
        if (!format.family.isEmpty() && !fonts.contains(format.family))
            fonts << format.family;
    }
    void newParagraph() override { paragraphs.push_back(current); }
    void paragraphFormat(const store::RtfParagraphFormat &p, const store::RtfCharFormat &) override
    {
        current = "align " + std::to_string(int(p.align)) + " li " + std::to_string(p.li) + " ri " +
                  std::to_string(p.ri) + " fi " + std::to_string(p.fi) + " sb " +
                  std::to_string(p.sb) + " sa " + std::to_string(p.sa) + " sl " +
                  std::to_string(p.sl) + (p.slMult ? "*" : "") + " list " +
                  std::to_string(p.list > 0) + "/" + std::to_string(p.listStyle) + "/" +
                  std::to_string(p.listLevel);
    }
    std::vector<std::string> paragraphs;
    QStringList fonts;

private:
    std::string current = "<none>";
};

// The font names of the font table of a file of our writer.
QStringList fontTable(const QByteArray &rtf)
{
    static const QRegularExpression entry(
        QString::fromLatin1(R"(\{\\f\d+(?:\\[a-z]+-?\d*\s?)*\s*([^;{}\\]+);\})"));
    QStringList names;
    for (const QRegularExpressionMatch &m : entry.globalMatch(QString::fromLatin1(rtf)))
        names << m.captured(1).trimmed();
    return names;
}

// Read, written by our writer and read again, every file of the corpus looks
// as it did, paragraph by paragraph and character by character; and what
// the writer writes is what the file said, in twips and by name.
using RtfCorpusRoundTrip = ::testing::TestWithParam<std::string>;

TEST_P(RtfCorpusRoundTrip, KeepsEveryParagraphAndCharacterFormat)
{
    const QByteArray rtf = corpus::read(QString::fromStdString(GetParam()) + u".rtf"_qs);
    QTextDocument read;
    ASSERT_TRUE(store::readRtf(rtf, &read));
    const QByteArray written = store::writeRtf(read);
    QTextDocument again;
    ASSERT_TRUE(store::readRtf(written, &again));
    const std::vector<std::string> before = looks(read);
    const std::vector<std::string> after = looks(again);
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        ASSERT_EQ(i < before.size() ? before[i] : "<none>", i < after.size() ? after[i] : "<none>")
            << "at " << i;
    }
    // Written a second time, nothing moves any more.
    EXPECT_EQ(store::writeRtf(again), written);

    Said original;
    Said ours;
    ASSERT_TRUE(store::readRtf(rtf, original));
    ASSERT_TRUE(store::readRtf(written, ours));
    original.newParagraph();
    ours.newParagraph();
    EXPECT_EQ(ours.paragraphs, original.paragraphs);
    EXPECT_EQ(ours.fonts, original.fonts);
    // No font in the table that the text is not in (but for the bullets the
    // writer writes as the rich-edit control does).
    const QStringList named =
        ours.fonts + QStringList{u"Symbol"_qs, u"Wingdings"_qs, u"Courier New"_qs};
    for (const QString &font : fontTable(written))
        EXPECT_TRUE(named.contains(font)) << font.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusRoundTrip, ::testing::ValuesIn(corpus::names()),
                         [](const auto &info) { return info.param; });

} // namespace
