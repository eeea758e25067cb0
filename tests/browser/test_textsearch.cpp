// The window that searches the words of every joke: the command, the
// results as the user types, opening a result in the main window, and the
// index following what the program itself changes.

#include "browser/TextSearch.h"
#include "store/dictionary.h"
#include "store/files.h"
#include "support/mainwindowfixture.h"
#include "support/synctool.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QTextDocument>

namespace {

QByteArray rtf(const QString &text)
{
    return "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
           "\\pard\\f0\\fs20 " +
           ansi(text) + "\\par\r\n}\r\n";
}

class TextSearch : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder.write(QStringLiteral("DataBase/Zvířata/Slon.vti"),
                     rtf(QStringLiteral("Slon potká žirafu a papoušek se směje.")));
        folder.write(QStringLiteral("DataBase/Škola/Ťukání.vti"),
                     rtf(QStringLiteral("Pepíček ťuká na dveře, za nimi sedí papoušek.")));
    }

    // Opens the search window and waits until its index is in line.
    THledani &openSearch()
    {
        window->HledatVText->trigger();
        THledani *search = window->textSearch();
        EXPECT_TRUE(search);
        waitForIndex(*search);
        return *search;
    }

    static void waitForIndex(THledani &search)
    {
        const QDeadlineTimer deadline(10000);
        while ((search.refreshing() || search.searching()) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        ASSERT_FALSE(search.refreshing()) << "the index was not ready within 10 s";
    }

    // Types `text` letter by letter (keyClicks cannot type Czech letters)
    // and waits for the results that follow the typing.
    static void type(THledani &search, const QString &text)
    {
        search.Hledany->clear();
        for (const QChar c : text)
            search.Hledany->insert(QString(c));
        QTest::qWait(THledani::kPauseMs * 3);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !search.searching(); }))
            << "no results within 5 s";
    }

    static QStringList rows(THledani &search)
    {
        QStringList out;
        const QAbstractItemModel *model = search.Vysledky->model();
        for (int i = 0; i < model->rowCount(); ++i)
            out << model->index(i, 0).data().toString();
        return out;
    }
};

TEST_F(TextSearch, CommandFollowsFindJokeWithCtrlFInBothModes)
{
    start();
    const QList<QAction *> items = window->Databze1->actions();
    const qsizetype find = items.indexOf(window->Najit);
    ASSERT_GE(find, 0);
    ASSERT_LT(find + 1, items.size());
    EXPECT_EQ(items[find + 1], window->HledatVText);
    EXPECT_EQ(window->HledatVText->text(), QStringLiteral("&Hledat v textech vtipů..."));
    EXPECT_EQ(window->HledatVText->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_TRUE(window->HledatVText->isEnabled());
    openLibrary(0);
    ASSERT_EQ(window->Tlac->text(), QStringLiteral("Zavřít"));
    EXPECT_TRUE(window->HledatVText->isEnabled());
}

TEST_F(TextSearch, ShowsWhatMatchesAsTheUserTypes)
{
    start();
    window->show();
    THledani &search = openSearch();
    EXPECT_EQ(search.windowTitle(), QStringLiteral("Hledat v textech vtipů"));
    EXPECT_TRUE(search.isVisible());
    EXPECT_FALSE(search.isModal());
    EXPECT_TRUE(search.Prubeh->isHidden()) << "the index is ready";
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Napište slova, která si z vtipu pamatujete."));

    type(search, QStringLiteral("PAPOUSEK"));
    EXPECT_EQ(rows(search).size(), 2);
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Nalezeno: 2 vtipy ve 2 knihovnách."));
    type(search, QStringLiteral("papoušek pepí"));
    EXPECT_EQ(rows(search), QStringList{QStringLiteral("Škola – Ťukání")});
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Nalezeno: 1 vtip v 1 knihovně."));
    // The snippet holds the matched words, marked; it is made beside the
    // window, never while the list paints, and the row is painted again.
    const QModelIndex first = search.Vysledky->model()->index(0, 0);
    QString snippet;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        snippet = first.data(Qt::UserRole + 3).toString();
        return !snippet.isEmpty();
    })) << "no snippet was made";
    EXPECT_TRUE(snippet.contains(store::kMatchStart + QStringLiteral("Pepíček")))
        << snippet.toStdString();
    type(search, QStringLiteral("krokodýl"));
    EXPECT_TRUE(rows(search).isEmpty());
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Žádný vtip tato slova neobsahuje."));

    // One window: the command shows the same one again.
    search.close();
    window->HledatVText->trigger();
    EXPECT_EQ(window->textSearch(), &search);
    EXPECT_TRUE(search.isVisible());
}

TEST_F(TextSearch, FindsEveryFormOfAWordUnlessTheFormTypedOnlyIsChecked)
{
    store::CzechDictionary::useFolders({});
    if (!store::SearchIndex::wordFormsKnown())
        GTEST_SKIP() << "no Czech dictionary (hunspell-cs)";
    start();
    window->show();
    THledani &search = openSearch();
    EXPECT_FALSE(search.JenTvar->isChecked());
    type(search, QStringLiteral("dveřmi"));
    ASSERT_EQ(rows(search), QStringList{QStringLiteral("Škola – Ťukání")});
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Nalezeno: 1 vtip v 1 knihovně."));
    const QModelIndex first = search.Vysledky->model()->index(0, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return first.data(Qt::UserRole + 3)
            .toString()
            .contains(store::kMatchStart + QStringLiteral("dveře") + store::kMatchEnd);
    })) << first.data(Qt::UserRole + 3).toString().toStdString();

    search.JenTvar->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search.searching(); }));
    EXPECT_TRUE(rows(search).isEmpty());
    EXPECT_EQ(search.Stav->text(), QStringLiteral("Žádný vtip tato slova neobsahuje."));
    search.JenTvar->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search.searching(); }));
    EXPECT_EQ(rows(search).size(), 1);
}

TEST_F(TextSearch, WithoutTheDictionaryFindsTheFormTypedAndSaysWhy)
{
    store::CzechDictionary::useFolders({folder.absolute(QStringLiteral("nikde"))});
    start();
    window->show();
    THledani &search = openSearch();
    type(search, QStringLiteral("dveřmi"));
    EXPECT_TRUE(rows(search).isEmpty());
    EXPECT_TRUE(search.Stav->text().endsWith(
        QStringLiteral("Jiné tvary slov se nehledají: není nainstalován český slovník "
                       "(balíček hunspell-cs).")))
        << search.Stav->text().toStdString();
    type(search, QStringLiteral("dveře"));
    EXPECT_EQ(rows(search).size(), 1);
    store::CzechDictionary::useFolders({});
}

TEST_F(TextSearch, OpensTheFoundJokeInTheMainWindow)
{
    start();
    window->show();
    THledani &search = openSearch();
    type(search, QStringLiteral("ťuká"));
    ASSERT_EQ(rows(search), QStringList{QStringLiteral("Škola – Ťukání")});
    // Enter in the search box opens the best match, from library mode.
    QTest::keyClick(search.Hledany, Qt::Key_Return);
    EXPECT_EQ(window->Tlac->text(), QStringLiteral("Zavřít"));
    EXPECT_EQ(window->Seznam->items(), QStringList{QStringLiteral("Ťukání")});
    EXPECT_EQ(window->Seznam->itemIndex(), 0);
    EXPECT_EQ(window->Edit->text(), QStringLiteral("Ťukání"));
    EXPECT_TRUE(window->Vtip->isVisible());
    EXPECT_TRUE(window->Vtip->toPlainText().startsWith(QStringLiteral("Pepíček")));

    // From another open library: that one is closed, this one opened.
    type(search, QStringLiteral("slon zirafu"));
    ASSERT_EQ(rows(search), QStringList{QStringLiteral("Zvířata – Slon")});
    search.openResult(0);
    EXPECT_EQ(window->Seznam->items(),
              (QStringList{QStringLiteral("Slon"), QStringLiteral("Žirafa")}));
    EXPECT_EQ(window->Seznam->itemIndex(), 0);
    EXPECT_TRUE(window->Vtip->toPlainText().startsWith(QStringLiteral("Slon potká")));

    // A joke the list no longer has: said on the status line, nothing else.
    folder.write(QStringLiteral("DataBase/Škola/Vtipy.sez"), "");
    type(search, QStringLiteral("ťuká"));
    ASSERT_EQ(rows(search).size(), 1) << "the index has not looked again yet";
    search.openResult(0);
    EXPECT_TRUE(
        search.Stav->text().contains(QStringLiteral("Vtip „Ťukání“ už v knihovně „Škola“ není.")))
        << search.Stav->text().toStdString();
    EXPECT_EQ(window->Tlac->text(), QStringLiteral("Zavřít"));
}

TEST_F(TextSearch, TakesInWhatTheProgramChangesAtOnce)
{
    start();
    window->show();
    THledani &search = openSearch();
    type(search, QStringLiteral("krokodýl"));
    ASSERT_TRUE(rows(search).isEmpty());

    // A joke saved by the program (as the editor saves it).
    QTextDocument joke;
    joke.setPlainText(QStringLiteral("Krokodýl a slon jdou do kina."));
    ASSERT_TRUE(store::writeRichText(
        store::DbPath::jokeFile(QStringLiteral("Zvířata"), QStringLiteral("Žirafa")), joke));
    QCoreApplication::processEvents();
    waitForIndex(search);
    EXPECT_EQ(rows(search), QStringList{QStringLiteral("Zvířata – Žirafa")});

    // A library taken off the list by the program.
    ASSERT_TRUE(store::writeList(store::DbPath::listFile(), {QStringLiteral("Škola")}));
    QCoreApplication::processEvents();
    waitForIndex(search);
    EXPECT_TRUE(rows(search).isEmpty());
}

// While the window is shown, a joke changed on disk from outside (a sync
// tool) is found by its new words, and no longer by its old ones.
TEST_F(TextSearch, FollowsWhatChangesOnDiskWhileShown)
{
    start();
    THledani &search = openSearch();
    type(search, QStringLiteral("papoušek"));
    ASSERT_EQ(rows(search).size(), 2);
    SyncTool(folder.path())
        .replace(QStringLiteral("DataBase/Zvířata/Slon.vti"),
                 rtf(QStringLiteral("Slon a velbloud.")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            type(search, QStringLiteral("velbloud"));
            return rows(search) == QStringList{QStringLiteral("Zvířata – Slon")};
        },
        5000))
        << rows(search).join(u'|').toStdString();
    type(search, QStringLiteral("papoušek"));
    EXPECT_EQ(rows(search), QStringList{QStringLiteral("Škola – Ťukání")});
}

TEST_F(TextSearch, SaysWhyNothingCanBeSearched)
{
    start();
    window->show();
    ASSERT_TRUE(QFile::remove(folder.absolute(QStringLiteral("DataBase/seznam.dat"))));
    THledani &search = openSearch();
    EXPECT_TRUE(search.Stav->text().startsWith(QStringLiteral("Vtipy nelze prohledat: ")))
        << search.Stav->text().toStdString();
}

} // namespace
