// The main window on a folder that a sync tool changes under it (another
// computer, the program on Windows): every version either side wrote stays
// on disk, merged or kept beside, and the window shows what happened.

#include "platform/trash.h"
#include "store/databaselock.h"
#include "support/mainwindowfixture.h"
#include "support/synctool.h"

#include <QDir>
#include <QFileInfo>
#include <QScrollBar>

#include <sys/stat.h>

namespace {

class SyncedFolder : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        store::testing::setSaveFault(std::nullopt);
        platform::testing::failTrashRecordsAfter(-1);
        MainWindowFixture::TearDown();
    }
    // Waits for the window to take in what changed on disk, as it does by
    // itself a moment after a change.
    static bool shows(const std::function<bool()> &done) { return QTest::qWaitFor(done, 5000); }

    QStringList listed() const { return window->Seznam->items(); }

    SyncTool sync{folder.path()};
};

QByteArray rtf(const QString &text)
{
    return "{\\rtf1\\ansi\\ansicpg1250 " + ansi(text) + "\\par}";
}

// A library added on the other computer survives every list command made
// here after it came, the window shows it, and a command whose library is
// gone there says so and writes nothing.
TEST_F(SyncedFolder, ListCommandsKeepWhatTheOtherComputerChanged)
{
    setCzechLocale();
    THLAVNI &w = start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    clickRow(0); // Zvířata
    sync.replace(u"DataBase/seznam.dat"_qs, ansi(u"Zvířata⏎Škola⏎Sport⏎"_qs), true);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎Zvířata⏎Sport⏎"_qs));
    EXPECT_EQ(listed(), (QStringList{"Škola", "Zvířata", "Sport"}));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);

    // Changed there again, in place: the window follows by itself.
    sync.overwrite(u"DataBase/seznam.dat"_qs, ansi(u"Sport⏎Škola⏎Zvířata⏎Rodina⏎"_qs));
    EXPECT_TRUE(shows([&] { return listed().size() == 4; })) << listed().join(u',').toStdString();
    EXPECT_EQ(w.Seznam->item(w.Seznam->itemIndex()), u"Zvířata"_qs) << "the selection stays";

    // Sorting and adding are made to the list as it is now.
    sync.replace(u"DataBase/seznam.dat"_qs, ansi(u"Sport⏎Škola⏎Zvířata⏎Rodina⏎Anekdoty⏎"_qs));
    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Anekdoty⏎Rodina⏎Sport⏎Škola⏎Zvířata⏎"_qs));
    folder.write(u"DataBase/Hádanky.vtp"_qs, ansi(u"Hádanky⏎"_qs));
    sync.replace(u"DataBase/seznam.dat"_qs, ansi(u"Rodina⏎Sport⏎Škola⏎Zvířata⏎"_qs));
    services.setNextFileName(folder.absolute(u"DataBase/Hádanky.vtp"_qs));
    w.Pridat->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Rodina⏎Sport⏎Škola⏎Zvířata⏎Hádanky⏎"_qs));
    EXPECT_EQ(services.texts(),
              QStringList{QStringLiteral("Setřídění se zruší vaše vlastní uspořádání!!!")});

    // Removed there while selected here: nothing to remove, and it says so.
    clickRow(3); // Zvířata
    sync.replace(u"DataBase/seznam.dat"_qs, ansi(u"Rodina⏎Sport⏎Škola⏎Hádanky⏎"_qs));
    services.shown.clear();
    w.Odstr->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Rodina⏎Sport⏎Škola⏎Hádanky⏎"_qs));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„Zvířata“ v něm už není"_qs));
    EXPECT_EQ(listed(), (QStringList{"Rodina", "Sport", "Škola", "Hádanky"}));
}

// A read-only list file stays as it is, as on the home platform: a move
// fails as quietly as any failed move, an addition says why.
TEST_F(SyncedFolder, ReadOnlyListFileIsNotReplaced)
{
    const QString list = folder.absolute(u"DataBase/seznam.dat"_qs);
    ASSERT_EQ(::chmod(QFile::encodeName(list).constData(), 0444), 0);
    const QByteArray before = listBytes();
    THLAVNI &w = start();
    clickRow(0);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(listBytes(), before);
    EXPECT_TRUE(services.shown.isEmpty());
    folder.write(u"DataBase/Hádanky.vtp"_qs, ansi(u"Hádanky⏎"_qs));
    services.setNextFileName(folder.absolute(u"DataBase/Hádanky.vtp"_qs));
    w.Pridat->trigger();
    EXPECT_TRUE(oneError(u"jen pro čtení"_qs));
    EXPECT_EQ(listBytes(), before);
    EXPECT_EQ(QFileInfo(list).permissions() & (QFile::WriteOwner | QFile::WriteOther), 0);
}

// The joke shown and the open library's list follow the disk; a joke
// deleted there leaves nothing here to save, print or copy.
TEST_F(SyncedFolder, TheShownJokeAndTheJokeListFollowTheDisk)
{
    start();
    openLibrary(0);
    clickRow(0); // Slon
    ASSERT_EQ(window->Vtip->toPlainText(), u"Slon"_qs);
    sync.replace(u"DataBase/Zvířata/Slon.vti"_qs, rtf(u"Slon z druhého počítače"_qs));
    EXPECT_TRUE(shows([&] { return window->Vtip->toPlainText() == u"Slon z druhého počítače"_qs; }))
        << window->Vtip->toPlainText().toStdString();
    EXPECT_TRUE(window->UlozVtip->isEnabled());

    sync.replace(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Žirafa⏎Opice⏎"_qs));
    EXPECT_TRUE(shows([&] { return listed().size() == 3; }));
    EXPECT_EQ(window->Seznam->itemIndex(), 0);

    sync.remove(u"DataBase/Zvířata/Slon.vti"_qs);
    EXPECT_TRUE(shows([&] { return window->Vtip->toPlainText().isEmpty(); }));
    EXPECT_FALSE(window->UlozVtip->isEnabled() || window->KopVtip->isEnabled() ||
                 window->Tisk->isEnabled());
    EXPECT_TRUE(services.shown.isEmpty());
}

// Copies a sync tool left are offered, and none is deleted: libraries and
// jokes only a copy of a list names, and another version of a joke, which
// becomes a joke of its own.
TEST_F(SyncedFolder, ConflictCopiesAreOfferedAndNothingIsDeleted)
{
    folder.makeLibrary(u"Rodina"_qs, {u"Babička"_qs});
    folder.write(u"DataBase/seznam.dat"_qs, ansi(u"Zvířata⏎Škola⏎"_qs));
    const QString listCopy =
        sync.conflictCopy(u"DataBase/seznam.dat"_qs, ansi(u"Zvířata⏎Rodina⏎Škola⏎"_qs));
    const QString jokesCopy =
        sync.conflictCopy(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Opice⏎Žirafa⏎"_qs));
    const QByteArray theirSlon = rtf(u"Slon z druhého počítače"_qs);
    const QString slonCopy = sync.conflictCopy(u"DataBase/Zvířata/Slon.vti"_qs, theirSlon);

    THLAVNI &w = start();
    services.setNextChoice(0);
    w.checkAfterStart();
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎Rodina⏎"_qs));
    ASSERT_EQ(services.choices.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"Rodina"_qs));

    services.setNextChoice(0); // the jokes only the copy of the list names
    services.setNextChoice(1); // the other version of Slon: let be
    openLibrary(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return services.choices.size() == 3; }, 5000));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎Žirafa⏎Opice⏎"_qs));
    EXPECT_EQ(listed(), (QStringList{"Slon", "Žirafa", "Opice"}));
    ASSERT_EQ(services.choices.size(), 3);
    EXPECT_TRUE(services.shown[2].text.contains(u"„Slon (jiná verze)“"_qs));
    // Let be, it is not offered again while the program runs.
    w.OtevriAkce->trigger();
    openLibrary(0);
    QTest::qWait(THLAVNI::kOffersAfterMs * 4);
    EXPECT_EQ(services.choices.size(), 3);
    for (const QString &copy : {listCopy, jokesCopy, slonCopy})
        EXPECT_TRUE(folder.exists(copy)) << copy.toStdString();

    // At the next start it is, and taken in it keeps its bytes.
    services.setNextChoice(0);
    start();
    openLibrary(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return services.choices.size() == 4; }, 5000));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata/Slon (jiná verze).vti"_qs), theirSlon);
    EXPECT_FALSE(folder.exists(slonCopy));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata/Vtipy.sez"_qs),
              ansi(u"Slon⏎Žirafa⏎Opice⏎Slon (jiná verze)⏎"_qs));
    EXPECT_EQ(listed().last(), u"Slon (jiná verze)"_qs);
}

// A lock of another computer, or one left empty or garbled, names what it
// can and lets the user open the folder all the same; at the end only the
// program's own lock goes, not one synced in over it.
TEST_F(SyncedFolder, ALockSaysWhoHasTheFolderAndOnlyOursIsRemoved)
{
    sync.foreignLock(u"pracovna-pc"_qs);
    services.setNextChoice(0); // open for writing
    THLAVNI &w = start();
    ASSERT_EQ(services.choices.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„pracovna-pc“"_qs) &&
                services.shown[0].text.contains(u"8. 12. 2026"_qs))
        << services.shown[0].text.toStdString();
    EXPECT_FALSE(w.readOnly());
    EXPECT_TRUE(folder.read(u"chichotek.lock"_qs).contains(QSysInfo::machineHostName().toUtf8()));

    // The other computer's lock comes in over ours: it stays after our end.
    sync.foreignLock(u"pracovna-pc"_qs);
    const QByteArray theirs = folder.read(u"chichotek.lock"_qs);
    window.reset();
    EXPECT_EQ(folder.read(u"chichotek.lock"_qs), theirs);

    for (const QByteArray &damaged : {QByteArray(""), QByteArray("\x01garbage")}) {
        folder.write(u"chichotek.lock"_qs, damaged);
        services.shown.clear();
        services.setNextChoice(1); // only read
        EXPECT_TRUE(start().readOnly());
        ASSERT_EQ(services.shown.size(), 1);
        EXPECT_TRUE(services.shown[0].text.contains(u"poškozený"_qs));
        window.reset();
        EXPECT_EQ(folder.read(u"chichotek.lock"_qs), damaged) << "not ours: it stays";
    }
    services.setNextChoice(2); // end
    EXPECT_TRUE(start().quitAtOnce());
}

// Two windows of one computer never both write, also when the lock file
// cannot be written (a full disk).
TEST_F(SyncedFolder, TwoWindowsHereNeverBothWriteEvenWithoutALockFile)
{
    store::testing::setSaveFault(store::SaveStep::Open);
    THLAVNI &first = start();
    store::testing::setSaveFault(std::nullopt);
    EXPECT_FALSE(first.readOnly());
    EXPECT_FALSE(folder.exists(u"chichotek.lock"_qs));
    services.setNextButton(platform::Yes);
    THLAVNI second(folder.path());
    EXPECT_TRUE(second.readOnly());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"jiném okně"_qs));
}

// Deleting a library completely on a disk that takes no more: nothing goes,
// and the window says so, instead of leaving files in the trash that no file
// manager can put back.
TEST_F(SyncedFolder, CompleteDeletionThatCannotFinishDeletesNothing)
{
    for (int i = 0; i < 6; ++i)
        folder.write(QStringLiteral("DataBase/Zvířata/Vtip %1.vti").arg(i), "vtip");
    const auto before = folder.snapshot();
    services.realTrash = true;
    platform::testing::failTrashRecordsAfter(7);
    THLAVNI &w = start();
    clickRow(0);
    w.OdstrU->trigger();
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Nepodařilo se vymazat!!!")});
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_EQ(listed(), (QStringList{"Zvířata", "Škola"}));
}

} // namespace
