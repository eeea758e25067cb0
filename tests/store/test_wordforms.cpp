// The search finds a word in every form the Czech dictionary gives it, in
// either direction, and the form typed first; without the dictionary it finds
// words as typed.

#include "store/dictionary.h"
#include "store/searchindex.h"
#include "support/testfolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Hits = std::vector<std::string>;

class WordForms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store::CzechDictionary::useFolders({});
        folder.makeProgramFolder();
        const QStringList jokes = {
            QStringLiteral("Lednice"),   QStringLiteral("Žirafy"), QStringLiteral("Pivo"),
            QStringLiteral("Nákup"),     QStringLiteral("Nos"),    QStringLiteral("Stydlivec"),
            QStringLiteral("Pětka"),     QStringLiteral("Dárek"),  QStringLiteral("Manželka"),
            QStringLiteral("Kvíkaloun"), QStringLiteral("Výlet")};
        folder.makeLibrary(QStringLiteral("Vtipy"), jokes, 0);
        write(u"Lednice", u"Jak dostaneš do lednice žirafu? Otevřeš ji a dáš ji tam.");
        write(u"Žirafy", u"Žirafa potká žirafy a druhá žirafa se diví. Žirafa, žirafa!");
        write(u"Pivo", u"Tatínek si dal pivo a pak ještě jedno.");
        write(u"Nákup", u"Sousedé koupili nové auto.");
        write(u"Nos", u"Klaun má červený nos.");
        write(u"Stydlivec", u"Honzík se červenal až po uši.");
        write(u"Pětka", u"Paní učitelka dala Pepíčkovi pětku.");
        write(u"Dárek", u"Pepíček dostal k Vánocům kolo.");
        write(u"Manželka", u"Moje žena vaří nejlépe.");
        write(u"Kvíkaloun", u"Kvíkaloun je zvíře, které nikdo neviděl.");
        write(u"Výlet", u"Jeli jsme do Prahy vlakem.");
    }
    void TearDown() override { store::CzechDictionary::useFolders({}); }

    void write(QStringView joke, QStringView text)
    {
        folder.write(QStringLiteral("DataBase/Vtipy/") + joke.toString() + QStringLiteral(".vti"),
                     "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
                     "\\pard\\f0\\fs20 " +
                         ansi(text.toString()) + "\\par\r\n}\r\n");
    }

    // The jokes found, best first; the forms typed only when `exact`.
    static Hits found(const store::SearchIndex &index, const QString &typed, bool exact = false)
    {
        const store::SearchResult result = index.search(typed, 500, false, !exact);
        EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
        Hits out;
        for (const store::SearchHit &hit : result.hits)
            out.push_back(hit.joke.toStdString());
        return out;
    }

    QString cacheFile() const { return cache.path() + QStringLiteral("/index.sqlite"); }

    TestFolder folder;
    QTemporaryDir cache;
};

TEST_F(WordForms, EveryFormFindsTheOthersAndTheFormTypedComesFirst)
{
    if (!store::SearchIndex::wordFormsKnown())
        GTEST_SKIP() << "no Czech dictionary (hunspell-cs)";
    store::SearchIndex index(cacheFile());
    ASSERT_TRUE(index.refresh().problem.isEmpty());

    // Nouns both ways; the joke with the form typed first, though the other
    // has the word five times.
    EXPECT_EQ(found(index, QStringLiteral("žirafu")), (Hits{"Lednice", "Žirafy"}));
    EXPECT_EQ(found(index, QStringLiteral("Žirafa")), (Hits{"Žirafy", "Lednice"}));
    EXPECT_EQ(found(index, QStringLiteral("žirafě")).size(), 2u);
    EXPECT_EQ(found(index, QStringLiteral("pivem")), Hits{"Pivo"});
    EXPECT_EQ(found(index, QStringLiteral("Praha")), Hits{"Výlet"});
    // Verbs and adjectives.
    EXPECT_EQ(found(index, QStringLiteral("koupil")), Hits{"Nákup"});
    EXPECT_EQ(found(index, QStringLiteral("červenému")), Hits{"Nos"});
    // Names, both ways, also typed without diacritics in small letters.
    EXPECT_EQ(found(index, QStringLiteral("Pepíček")), (Hits{"Dárek", "Pětka"}));
    EXPECT_EQ(found(index, QStringLiteral("pepickovi")), (Hits{"Pětka", "Dárek"}));
    // Without diacritics, in a form no joke has.
    EXPECT_EQ(found(index, QStringLiteral("zirafou")).size(), 2u);
    // A word with two base forms ("červená": červený and červenat) finds
    // the forms of both; each of them only its own.
    EXPECT_EQ(found(index, QStringLiteral("červená")).size(), 2u);
    EXPECT_EQ(found(index, QStringLiteral("červenají")), Hits{"Stydlivec"});
    EXPECT_EQ(found(index, QStringLiteral("ženu")), Hits{"Manželka"});
    // A word the dictionary does not know: as typed, nothing more.
    EXPECT_EQ(found(index, QStringLiteral("kvikaloun")), Hits{"Kvíkaloun"});
    EXPECT_EQ(found(index, QStringLiteral("kvíkalouna")), Hits{});
    // A phrase of two inflected words, word by word in their order.
    EXPECT_EQ(found(index, QStringLiteral("\"lednici žirafou\"")), Hits{"Lednice"});
    EXPECT_EQ(found(index, QStringLiteral("\"žirafou lednici\"")), Hits{});
    // The form typed only.
    EXPECT_EQ(found(index, QStringLiteral("žirafu"), true), Hits{"Lednice"});
    EXPECT_EQ(found(index, QStringLiteral("žirafou"), true), Hits{});
    EXPECT_EQ(found(index, QStringLiteral("\"lednici žirafou\""), true), Hits{});

    // While typing: the last word as a beginning, and in its other forms.
    EXPECT_EQ(index.search(QStringLiteral("auto koupili")).jokes, 1);
    EXPECT_EQ(index.search(QStringLiteral("auto koup")).jokes, 1);

    // The snippet shows the form that matched.
    const store::SearchResult pepicek = index.search(QStringLiteral("pepicek"), 500, false);
    ASSERT_EQ(pepicek.hits.size(), 2u);
    const QString snippet = index.snippet(pepicek.hits.back().id, QStringLiteral("pepicek"), false);
    EXPECT_TRUE(
        snippet.contains(store::kMatchStart + QStringLiteral("Pepíčkovi") + store::kMatchEnd))
        << snippet.toStdString();

    // A joke changed later: its new words in their forms, the old ones gone.
    write(u"Nákup", u"Sousedé prodali staré kolo a koupí si koloběžku.");
    ASSERT_EQ(index.refresh().read, 1);
    EXPECT_EQ(found(index, QStringLiteral("prodat")), Hits{"Nákup"});
    EXPECT_EQ(found(index, QStringLiteral("koloběžky")), Hits{"Nákup"});
    EXPECT_EQ(found(index, QStringLiteral("auta")), Hits{});
}

TEST_F(WordForms, WithoutADictionaryWordsMatchAsTypedAndTheIndexIsMadeAgainWhenOneComes)
{
    const bool installed = store::SearchIndex::wordFormsKnown();
    store::CzechDictionary::useFolders({folder.absolute(QStringLiteral("nikde"))});
    EXPECT_FALSE(store::SearchIndex::wordFormsKnown());
    {
        store::SearchIndex index(cacheFile());
        ASSERT_EQ(index.refresh().read, 11);
        EXPECT_EQ(found(index, QStringLiteral("žirafy")), Hits{"Žirafy"});
        EXPECT_EQ(found(index, QStringLiteral("žirafou")), Hits{});
        EXPECT_EQ(found(index, QStringLiteral("zirafa")), Hits{"Žirafy"});
    }
    if (!installed)
        return;
    // The dictionary installed since: the index is made anew, with forms.
    store::CzechDictionary::useFolders({});
    store::SearchIndex index(cacheFile());
    ASSERT_EQ(index.refresh().read, 11);
    EXPECT_EQ(found(index, QStringLiteral("žirafou")), (Hits{"Žirafy", "Lednice"}));
}

} // namespace
