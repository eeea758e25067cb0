// Czech spell checking as an author meets it in the library editor: a
// misspelt word is underlined as it is typed, its suggestion replaces it in
// one step of undo, a word can be added to the author's own list, checking
// can be switched off, and without a dictionary it is simply off.

#include "authoring/JokeEditor.h"
#include "authoring/SpellMarker.h"
#include "authoring/Speller.h"
#include "editorfixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTextBlock>
#include <QTextLayout>

namespace {

class Spelling : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        Speller::reload();
        if (!Speller::instance().available())
            GTEST_SKIP() << "no Czech dictionary (hunspell-cs) here";
        Speller::instance().setEnabled(true);
        open();
        clickRow(editor->Seznam, 0);
        marker = editor->findChild<SpellMarker *>();
        ASSERT_TRUE(marker);
    }
    void TearDown() override
    {
        QFile::remove(Speller::userFolder() + u"/slovnik.txt"_qs);
        Speller::reload();
        EditorFixture::TearDown();
    }

    // The words underlined, in order.
    QStringList underlined()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return marker->done(); }, 5000));
        QStringList words;
        const QTextDocument *doc = editor->Vtip->document();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
                if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    words << b.text().mid(r.start, r.length);
            }
        }
        return words;
    }
    // The context menu at a word, as a right click there opens it.
    QMenu *menuAt(const QString &word)
    {
        QTextCursor at = editor->Vtip->document()->find(word);
        EXPECT_FALSE(at.isNull()) << word.toStdString();
        at.setPosition(at.selectionStart() + 1);
        JokeEditor *joke = editor->findChild<JokeEditor *>();
        EXPECT_TRUE(joke);
        return joke->contextMenu(editor->Vtip->cursorRect(at).center());
    }
    static QAction *action(QMenu *menu, const QString &text)
    {
        for (QAction *a : menu->actions()) {
            if (a->text().startsWith(text))
                return a;
        }
        ADD_FAILURE() << "no " << text.toStdString() << " in the menu";
        return nullptr;
    }

    SpellMarker *marker = nullptr;
};

TEST_F(Spelling, MisspeltWordIsUnderlinedAndItsSuggestionReplacesIt)
{
    retype(editor->Vtip, u"Žirafa má dlouhí krk.\nA Pepíčkovic babička se směje."_qs);
    EXPECT_EQ(underlined(), (QStringList{u"dlouhí"_qs, u"Pepíčkovic"_qs}));

    // The suggestions come first; one replaces the word, and one undo brings
    // the word back.
    QMenu *menu = menuAt(u"dlouhí"_qs);
    ASSERT_FALSE(menu->actions().isEmpty());
    QAction *dlouhy = action(menu, u"dlouhý"_qs);
    ASSERT_TRUE(dlouhy);
    EXPECT_LT(menu->actions().indexOf(dlouhy),
              menu->actions().indexOf(action(menu, u"Vyjmout"_qs)));
    dlouhy->trigger();
    EXPECT_EQ(editor->Vtip->document()->firstBlock().text(), u"Žirafa má dlouhý krk."_qs);
    EXPECT_EQ(underlined(), QStringList{u"Pepíčkovic"_qs});
    editor->ToolButton1->click();
    EXPECT_EQ(editor->Vtip->document()->firstBlock().text(), u"Žirafa má dlouhí krk."_qs);
    editor->ToolButton2->click();

    // Added to the author's own list: fine from now on, also in the next run.
    action(menuAt(u"Pepíčkovic"_qs), u"Přidat do slovníku"_qs)->trigger();
    EXPECT_TRUE(underlined().isEmpty());
    QFile list(Speller::userFolder() + u"/slovnik.txt"_qs);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), "Pepíčkovic\n");
    Speller::reload();
    EXPECT_TRUE(Speller::instance().isCorrect(u"Pepíčkovic"_qs));

    // Switched off, nothing is underlined; the switch stays for the next run.
    retype(editor->Vtip, u"Chibná slova"_qs);
    EXPECT_EQ(underlined(), QStringList{u"Chibná"_qs});
    QAction *spelling = action(menuAt(u"slova"_qs), u"Kontrola pravopisu"_qs);
    ASSERT_TRUE(spelling->isChecked());
    spelling->trigger();
    EXPECT_TRUE(underlined().isEmpty());
    Speller::reload();
    EXPECT_FALSE(Speller::instance().enabled());
    Speller::instance().setEnabled(true);
    EXPECT_EQ(underlined(), QStringList{u"Chibná"_qs});

    // The marks are no part of the joke.
    editor->close();
    EXPECT_FALSE(db(u"Zvířata/Slon.vti"_qs).contains("\\ul"));
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Chibná slova"_qs);
}

TEST_F(Spelling, WithoutADictionaryItIsOffAndTheMenuSaysWhy)
{
    Speller::reload({folder.absolute(u"nikde"_qs)});
    retype(editor->Vtip, u"Chibná slova"_qs);
    EXPECT_TRUE(underlined().isEmpty());
    QAction *spelling = action(menuAt(u"Chibná"_qs), u"Kontrola pravopisu"_qs);
    EXPECT_FALSE(spelling->isEnabled());
    EXPECT_TRUE(spelling->text().contains(u"hunspell-cs"_qs)) << spelling->text().toStdString();
}

// Other systems (and older Debian) ship the Czech dictionary in ISO 8859-2:
// words go to it and come from it in its encoding.
TEST_F(Spelling, ADictionaryInIso8859_2ChecksAndSuggestsCzechWords)
{
    folder.write(u"latin2/cs_CZ.aff"_qs, "SET ISO8859-2\nTRY \xfd\xed\xe1"
                                         "aeiou\n");
    folder.write(u"latin2/cs_CZ.dic"_qs, "4\n\xbeirafa\nm\xe1\ndlouh\xfd\nkrk\n");
    Speller::reload({folder.absolute(u"latin2"_qs)});
    retype(editor->Vtip, u"Žirafa má dlouhí krk."_qs);
    EXPECT_EQ(underlined(), QStringList{u"dlouhí"_qs});
    EXPECT_EQ(Speller::instance().suggestions(u"dlouhí"_qs).value(0), u"dlouhý"_qs);
    Speller::instance().addWord(u"ťulpas"_qs);
    EXPECT_TRUE(Speller::instance().isCorrect(u"ťulpas"_qs));
}

} // namespace
