// Files as other programs really write them (tests/store/corpus/README.md says
// how each was made): each reads as the text beside it, with its formats.

#include "store/rtfreader.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

QString corpusDir()
{
#ifdef QT_TESTCASE_SOURCEDIR
    return QStringLiteral(QT_TESTCASE_SOURCEDIR "/store/corpus");
#else
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/corpus");
#endif
}

QByteArray contents(const QString &name)
{
    QFile file(corpusDir() + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
    return file.readAll();
}

std::vector<std::string> corpusNames()
{
    std::vector<std::string> names;
    const QStringList files =
        QDir(corpusDir()).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names.push_back(QFileInfo(file).completeBaseName().toStdString());
    return names;
}

QStringList paragraphs(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}

// Line breaks and tabs made visible in failure messages.
std::string shown(QString s)
{
    s.replace(QChar(0x2028), QStringLiteral("<line>")).replace(u'\t', QStringLiteral("<tab>"));
    return s.toStdString();
}

TEST(RtfCorpus, HoldsTheFilesOfEveryWriter)
{
    const std::vector<std::string> names = corpusNames();
    for (const char *prefix : {"abiword_", "libreoffice_", "pandoc_", "richedit_"}) {
        EXPECT_TRUE(std::any_of(names.begin(), names.end(), [prefix](const std::string &n) {
            return n.starts_with(prefix);
        })) << prefix;
    }
}

class RtfCorpusText : public ::testing::TestWithParam<std::string>
{
};

TEST_P(RtfCorpusText, ReadsAsItsText)
{
    const QString name = QString::fromStdString(GetParam());
    QString expected = QString::fromUtf8(contents(name + QStringLiteral(".txt")));
    ASSERT_TRUE(expected.endsWith(u'\n')) << "the expected text ends with a line end";
    expected.chop(1);
    const QStringList want = expected.split(u'\n');

    QTextDocument doc;
    ASSERT_TRUE(store::readRtf(contents(name + QStringLiteral(".rtf")), &doc));
    const QStringList got = paragraphs(doc);
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
        EXPECT_EQ(shown(got[i]), shown(want[i])) << "paragraph " << i;
    EXPECT_EQ(got.size(), want.size()) << "last read: " << shown(got.last());
}

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusText, ::testing::ValuesIn(corpusNames()),
                         [](const auto &info) { return info.param; });

// ---------------------------------------------------------------------------
// Formats

struct Formats
{
    const char *file;
    const char16_t *title; // a bold, centred paragraph
    const char16_t *coloured;
    QColor colour;
    std::vector<const char16_t *> bullets; // the items of one list
    std::vector<const char16_t *> numbers; // one decimal list
    const char16_t *nested = nullptr;      // a bullet one level below `bullets`
};

void PrintTo(const Formats &f, std::ostream *os)
{
    *os << f.file;
}

class RtfCorpusFormats : public ::testing::TestWithParam<Formats>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store::readRtf(contents(QString::fromUtf8(GetParam().file)), &doc));
    }

    QTextBlock block(const char16_t *text) const
    {
        const QString wanted = QString::fromUtf16(text);
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (b.text() == wanted)
                return b;
        }
        ADD_FAILURE() << "no paragraph " << wanted.toStdString();
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
    void expectList(const std::vector<const char16_t *> &items, QTextListFormat::Style style,
                    int indent) const
    {
        if (items.empty())
            return;
        QTextList *list = block(items.front()).textList();
        ASSERT_NE(list, nullptr) << QString::fromUtf16(items.front()).toStdString();
        EXPECT_EQ(list->format().style(), style);
        EXPECT_EQ(list->format().indent(), indent);
        EXPECT_EQ(list->count(), int(items.size()));
        for (const char16_t *item : items)
            EXPECT_EQ(block(item).textList(), list) << QString::fromUtf16(item).toStdString();
    }

    QTextDocument doc;
};

TEST_P(RtfCorpusFormats, KeepsBoldColourAlignmentAndLists)
{
    const Formats &f = GetParam();

    const QTextBlock title = block(f.title);
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(formatOf(f.title).fontWeight(), QFont::Bold);
    // Neither the centring nor the bold goes on to the next paragraph.
    EXPECT_EQ(title.next().blockFormat().alignment(), Qt::AlignLeft);
    QTextCursor next(title.next());
    next.movePosition(QTextCursor::NextCharacter);
    EXPECT_NE(next.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(title.next().textList(), nullptr);

    const QTextCharFormat coloured = formatOf(f.coloured);
    EXPECT_EQ(coloured.foreground().color(), f.colour);
    EXPECT_NE(coloured.fontWeight(), QFont::Bold);

    expectList(f.bullets, QTextListFormat::ListDisc, 1);
    expectList(f.numbers, QTextListFormat::ListDecimal, 1);
    if (f.nested)
        expectList({f.nested}, QTextListFormat::ListDisc, 2);
    if (!f.numbers.empty()) {
        EXPECT_EQ(block(f.numbers.back()).next().textList(), nullptr);
    }
}

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

INSTANTIATE_TEST_SUITE_P(
    Files, RtfCorpusFormats,
    ::testing::Values(
        Formats{"libreoffice_html.rtf",
                u"Vtipy pro dobrou náladu",
                u"dojde inkoust",
                kRed,
                {u"měkký tvaroh ", u"čerstvé vejce od souseda ", u"ďábelsky pálivou papriku "},
                {u"Vstát až na třetí budík. ", u"Vypít dvě kávy. ",
                 u"Tvářit se důležitě a nic neříkat. "}},
        Formats{"abiword_vtipy.rtf",
                u"Vtipy pro dobrou náladu",
                u"dojde inkoust",
                kRed,
                {u"měkký tvaroh", u"čerstvé vejce od souseda", u"ďábelsky pálivou papriku"},
                {u"Vstát až na třetí budík.", u"Vypít dvě kávy.",
                 u"Tvářit se důležitě a nic neříkat."}},
        // The numbering goes on after a paragraph between.
        Formats{"libreoffice_odt.rtf",
                u"Z pohádkové říše",
                u"pepřový sprej",
                kBlue,
                {u"okenice z medového perníku", u"komín", u"půlku dveří"},
                {u"Střecha děravá.", u"Pec vychladlá.", u"Chybí čarodějnice."},
                u"hlavně ten čokoládový"},
        Formats{"abiword_pohadky.rtf",
                u"Z pohádkové říše",
                u"pepřový sprej",
                kBlue,
                {u"okenice z medového perníku", u"komín", u"půlku dveří"},
                {u"Střecha děravá.", u"Pec vychladlá."},
                u"hlavně ten čokoládový"},
        Formats{"richedit_new.rtf",
                u"U lékaře",
                u"ďábelsky vysoký",
                kBlue,
                {u"pulz v pořádku", u"tlak ďábelsky vysoký", u"nálada – výborná"},
                {u"Méně kávy.", u"Více spánku.", u"Žádné řízení po půlnoci."}},
        Formats{"richedit_old.rtf", u"Babička a počítač", u"úsporný režim", kRed, {}, {}},
        Formats{
            "richedit_unicode.rtf", u"Jazykové okénko", u"řeč těla", QColor(0, 176, 80), {}, {}}),
    [](const auto &info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// LibreOffice (from a .docx) gives each list paragraph its \li twice; the
// second is the one that counts.
TEST(RtfCorpusLists, NestedLevelKeepsTheOuterListGoing)
{
    QTextDocument doc;
    ASSERT_TRUE(store::readRtf(contents(QStringLiteral("libreoffice_docx.rtf")), &doc));
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
