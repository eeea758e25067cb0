// The library editor on a folder that a sync tool changes under it: jokes
// and lists changed on the other computer, files that cannot be read, and a
// program that ends without warning. Every version either side wrote stays
// on disk, and the user is asked only where both sides changed one joke.

#include "authoring/JokeList.h"
#include "authoring/Unit8.h"
#include "browser/Unit1.h"
#include "editorfixture.h"
#include "store/recovery.h"
#include "support/synctool.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray rtf(const QString &text)
{
    return "{\\rtf1\\ansi\\ansicpg1250 " + ansi(text) + "\\par}";
}

const QStringList kBothChanged{u"Ponechat moji verzi"_qs, u"Vzít verzi z disku"_qs,
                               u"Ponechat obě"_qs};

class SyncedEditor : public EditorFixture
{
protected:
    void TearDown() override
    {
        for (const store::Recovered &kept : store::recoveries(folder.path()))
            store::dropRecovery(kept.programFolder, kept.library, kept.joke);
        EditorFixture::TearDown();
    }
    // Adds a joke through "Přidat...", as the user does.
    void addJoke(const QString &name)
    {
        TPridat2 prompt(&host, nullptr);
        Pridat2 = &prompt;
        whenModal(&prompt, [&] {
            prompt.JmenoVtipu->setText(name);
            prompt.Button2->click();
        });
        editor->Button3->click();
        Pridat2 = nullptr;
    }
    QStringList listed() const { return editor->Seznam->items(); }

    SyncTool sync{folder.path()};
};

// Jokes added, removed and moved on the other computer stay through every
// list command made here; a command whose joke is gone there says so.
TEST_F(SyncedEditor, ListCommandsKeepWhatTheOtherComputerChanged)
{
    open();
    sync.replace(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Žirafa⏎Opice⏎Sport⏎"_qs), true);
    sync.add(u"DataBase/Zvířata/Sport.vti"_qs, rtf(u"Sport"_qs));
    addJoke(u"Lev"_qs);
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Sport⏎Lev⏎"_qs));
    EXPECT_EQ(listed().size(), 5);

    sync.overwrite(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Sport⏎Slon⏎Žirafa⏎Opice⏎Lev⏎"_qs));
    clickRow(editor->Seznam, 1); // Žirafa, where the window still shows it
    editor->SpeedButton3->click();
    EXPECT_EQ(listBytes(), ansi(u"Sport⏎Slon⏎Opice⏎Žirafa⏎Lev⏎"_qs));

    clickRow(editor->Seznam, 0); // Sport
    sync.replace(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Opice⏎Žirafa⏎Lev⏎"_qs));
    services.shown.clear();
    editor->Button4->click();
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Opice⏎Žirafa⏎Lev⏎"_qs));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„Sport“ v něm už není"_qs));
    EXPECT_TRUE(inDb(u"Zvířata/Sport.vti"_qs)) << "a joke the user did not remove here stays";
}

// Looking at jokes writes nothing: in a synced folder every write is a new
// version on the other computers, and a joke read and written back would
// take this program's formatting.
TEST_F(SyncedEditor, MerelyLookingAtJokesWritesNothing)
{
    folder.write(u"DataBase/Zvířata/Žirafa.vti"_qs,
                 "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil Arial;}}"
                 "{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}"
                 "\\fi-200\\li200\\f0\\fs20 krk\\par}");
    const auto before = folder.snapshot();
    open();
    for (int round = 0; round < 2; ++round) {
        for (int row : {0, 1, 2, 1})
            clickRow(editor->Seznam, row);
    }
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(folder.snapshot(), before);
}

// A joke changed on the other computer while typed into here: the user
// chooses, and keeping both keeps every byte of each.
TEST_F(SyncedEditor, AJokeChangedOnBothSidesAsksAndKeepsEveryVersion)
{
    const QByteArray theirs = rtf(u"Slon z pracovny"_qs);
    open();
    clickRow(editor->Seznam, 0);
    type(u" a dost"_qs);
    sync.replace(u"DataBase/Zvířata/Slon.vti"_qs, theirs, true);
    services.setNextChoice(2); // both
    clickRow(editor->Seznam, 1);
    ASSERT_EQ(services.choices, QList<QStringList>{kBothChanged});
    EXPECT_TRUE(services.shown[0].text.contains(u"„Slon (jiná verze)“"_qs));
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost"_qs);
    EXPECT_EQ(db(u"Zvířata/Slon (jiná verze).vti"_qs), theirs);
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Slon (jiná verze)⏎"_qs));
    EXPECT_EQ(editor->Edit->text(), u"Žirafa"_qs);

    // Closed without an answer: the joke stays open with the typing.
    type(u" krk"_qs);
    sync.replace(u"DataBase/Zvířata/Žirafa.vti"_qs, theirs);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(db(u"Zvířata/Žirafa.vti"_qs), theirs);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa krk"_qs);
    // The disk's version: the typing goes, the file stays theirs.
    services.setNextChoice(1);
    clickRow(editor->Seznam, 0);
    EXPECT_EQ(db(u"Zvířata/Žirafa.vti"_qs), theirs);
    EXPECT_EQ(editor->Edit->text(), u"Slon"_qs);
    // Mine: written over the version the user was told of.
    type(u"!"_qs);
    sync.overwrite(u"DataBase/Zvířata/Slon.vti"_qs, theirs);
    services.setNextChoice(0);
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost!"_qs);
    EXPECT_EQ(services.choices.size(), 4);
}

// A joke changed only on disk is shown anew (where the user was), and
// nothing is written.
TEST_F(SyncedEditor, AJokeChangedOnlyOnDiskIsShownAnew)
{
    open();
    clickRow(editor->Seznam, 0);
    const QByteArray theirs = rtf(u"Slon z pracovny"_qs);
    sync.replace(u"DataBase/Zvířata/Slon.vti"_qs, theirs);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return editor->Vtip->toPlainText() == u"Slon z pracovny"_qs; }, 5000));
    clickRow(editor->Seznam, 1);
    editor->close();
    EXPECT_EQ(db(u"Zvířata/Slon.vti"_qs), theirs);
    EXPECT_TRUE(services.choices.isEmpty());
}

// A joke that cannot be read (too big to be a joke, not a file at all) is
// shown as such, cannot be edited and is never written over.
TEST_F(SyncedEditor, AJokeThatCannotBeReadIsNeverWrittenOver)
{
    const QString big = folder.absolute(u"DataBase/Zvířata/Opice.vti"_qs);
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(70000364)); // sparse
    }
    const QByteArray fifo = QFile::encodeName(folder.absolute(u"DataBase/Zvířata/Žirafa.vti"_qs));
    ASSERT_EQ(::unlink(fifo.constData()), 0);
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    open();
    for (const auto &[row, reason] :
         {std::pair{2, u"příliš velký"_qs}, std::pair{1, u"nelze otevřít"_qs}}) {
        clickRow(editor->Seznam, row);
        EXPECT_TRUE(editor->Vtip->isReadOnly());
        EXPECT_TRUE(editor->Vtip->toPlainText().contains(reason))
            << editor->Vtip->toPlainText().toStdString();
        type(u"prepsat"_qs);
        editor->Vtip->selectAll();
        editor->Tucne->click();
        EXPECT_FALSE(editor->Vtip->toPlainText().contains(u"prepsat"_qs));
    }
    clickRow(editor->Seznam, 0);
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(QFileInfo(big).size(), 70000364);
    EXPECT_FALSE(QFileInfo(folder.absolute(u"DataBase/Zvířata/Žirafa.vti"_qs)).isFile());
    EXPECT_TRUE(services.shown.size() == 1 && services.shown[0].text.startsWith(u"Vaše"_qs))
        << services.texts().join(u'|').toStdString();
}

// The description changed on the other computer while edited here: asked,
// and the disk's version taken is shown before anything closes.
TEST_F(SyncedEditor, TheDescriptionChangedOnBothSidesIsAskedFor)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    editor->Popis->setPlainText(u"Můj popis"_qs);
    sync.replace(u"DataBase/Zvířata.da1"_qs, ansi(u"Jejich popis"_qs));
    services.setNextChoice(1);
    editor->Apply->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Popis->toPlainText(), u"Jejich popis"_qs);
    EXPECT_EQ(db(u"Zvířata.da1"_qs), ansi(u"Jejich popis"_qs));
    // Unchanged here, it is not written again; the author changed is.
    const QByteArray description = db(u"Zvířata.da1"_qs);
    editor->Autor->setPlainText(u"Já"_qs);
    editor->Apply->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(db(u"Zvířata.da3"_qs), ansi(u"Já"_qs));
    EXPECT_EQ(db(u"Zvířata.da1"_qs), description);
}

// Typing is kept outside the database a moment after it stops; a program
// that ended without saving it (a crash) offers it at the next start, into
// the joke where that replaces nothing unseen, beside it where it would.
TEST_F(SyncedEditor, TypingIsKeptForRecoveryAndOfferedAtTheNextStart)
{
    const auto crash = [this] {
        editor->hide();
        editor.reset();
        Uprava = nullptr;
    };
    const auto restart = [this] {
        editor = std::make_unique<TUprava>(&host, nullptr);
        Uprava = editor.get();
    };
    open();
    clickRow(editor->Seznam, 1);
    type(u" krk"_qs);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return store::recoveries(folder.path()).size() == 1; }, 5000));
    crash();
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa"_qs);
    services.setNextChoice(0);
    THLAVNI(folder.path()).checkAfterStart();
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa krk"_qs);
    EXPECT_TRUE(store::recoveries(folder.path()).empty());

    // Changed on the other computer since: the typing becomes a joke beside.
    restart();
    open();
    clickRow(editor->Seznam, 0);
    type(u"!"_qs);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return store::recoveries(folder.path()).size() == 1; }, 5000));
    sync.replace(u"DataBase/Zvířata/Slon.vti"_qs, rtf(u"Slon z pracovny"_qs));
    crash();
    services.setNextChoice(0);
    THLAVNI(folder.path()).checkAfterStart();
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon z pracovny"_qs);
    EXPECT_EQ(jokeText(u"Slon (obnovená verze)"_qs), u"Slon!"_qs);
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Slon (obnovená verze)⏎"_qs));
    EXPECT_TRUE(store::recoveries(folder.path()).empty());
    EXPECT_EQ(services.choices.size(), 2);
    restart();
}

// Killed (kill -9) while the user was typing: nothing of the typing was
// saved into the joke, and the next start brings it back.
TEST_F(SyncedEditor, TypingSurvivesAKill9)
{
    QProcess victim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CHICHOTEK_TEST_CHILD"), folder.path());
    victim.setProcessEnvironment(env);
    victim.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"),
                  QStringLiteral("--gtest_filter=Victim.DISABLED_TypesUntilKilled")});
    ASSERT_TRUE(victim.waitForFinished(60000));
    EXPECT_EQ(victim.exitStatus(), QProcess::CrashExit) << victim.readAll().toStdString();
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon"_qs);
    ASSERT_EQ(store::recoveries(folder.path()).size(), 1u);
    services.setNextChoice(0);
    THLAVNI(folder.path()).checkAfterStart();
    ASSERT_EQ(services.choices.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„Slon“ v knihovně „Zvířata“"_qs));
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon zabit"_qs) << services.texts().join(u'|').toStdString();
}

// The program that TypingSurvivesAKill9 kills: the editor on the folder it
// is given, a joke typed into, and the end as a kill -9 makes it.
TEST(Victim, DISABLED_TypesUntilKilled)
{
    const QString folder = qEnvironmentVariable("CHICHOTEK_TEST_CHILD");
    ASSERT_FALSE(folder.isEmpty());
    ASSERT_TRUE(QDir::setCurrent(folder));
    FakeServices services;
    FakeHost host;
    host.library = u"Zvířata"_qs;
    TUprava editor(&host, nullptr);
    TUpravit gate(&host, nullptr);
    Uprava = &editor;
    ASSERT_TRUE(gate.prepareEditor());
    editor.show();
    clickRow(editor.Seznam, 0);
    QTest::mouseClick(editor.Vtip->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
    QTest::keyClicks(editor.Vtip, u" zabit"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !store::recoveries(folder).empty(); }, 10000));
    ::kill(::getpid(), SIGKILL);
}

// Told by the system to end (a logout): typing is written where that
// replaces nothing unseen, and kept for recovery where it would.
TEST_F(SyncedEditor, AnEndWithoutQuestionsSavesOrKeepsTheTyping)
{
    open();
    clickRow(editor->Seznam, 0);
    type(u" a dost"_qs);
    JokeEditor::saveAllForExit();
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost"_qs);
    EXPECT_TRUE(store::recoveries(folder.path()).empty());

    type(u"!"_qs);
    const QByteArray theirs = rtf(u"Slon z pracovny"_qs);
    sync.replace(u"DataBase/Zvířata/Slon.vti"_qs, theirs);
    JokeEditor::saveAllForExit();
    EXPECT_EQ(db(u"Zvířata/Slon.vti"_qs), theirs);
    const std::vector<store::Recovered> kept = store::recoveries(folder.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].joke, u"Slon"_qs);
    QTextDocument recovered;
    store::richTextFromBytes(kept[0].rtf, &recovered);
    EXPECT_EQ(recovered.toPlainText(), u"Slon a dost!"_qs);
    EXPECT_TRUE(services.shown.isEmpty());
}

} // namespace
