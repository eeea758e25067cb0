// Where the program keeps its files, chosen as it starts: a folder copied from
// the home platform where it is, the user's own folder filled from the
// installed sample, or a folder named on the command line; and what the user
// is told when that folder cannot be written.

#include "authoring/Unit2.h"
#include "browser/Details.h"
#include "browser/Hledat.h"
#include "browser/Program.h"
#include "browser/SingleWindow.h"
#include "browser/Unit1.h"
#include "browser/Unit4.h"
#include "store/files.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProxyStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <optional>

namespace {

// An environment variable set for the life of the object, then put back.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name),
          m_old(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                : std::nullopt)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<QByteArray> m_old;
};

// An installed tree (`bin/` beside `share/chichotek/sample`) and a home of
// its own whose data folder is `XDG_DATA_HOME`.
class StartUp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.write(QStringLiteral("bin/.keep"), {});
        sample(QStringLiteral("DataBase/seznam.dat"), ansi(u"Zvířata⏎"_qs));
        sample(QStringLiteral("DataBase/Zvířata.da1"), ansi(u"Zvířata⏎"_qs));
        sample(QStringLiteral("DataBase/Zvířata/Vtipy.sez"), ansi(u"Slon⏎"_qs));
        sample(QStringLiteral("DataBase/Zvířata/Slon.vti"), "{\\rtf1 Slon}");
        sample(QStringLiteral("chichotek.cfg"), ansi(u"1⏎1⏎1⏎1⏎1⏎1⏎"_qs));
        sample(QStringLiteral("pozadi.bmp"), "BM picture");
    }

    void TearDown() override { store::testing::setSaveFault(std::nullopt); }

    void sample(const QString &relative, const QByteArray &bytes)
    {
        folder.write(QStringLiteral("share/chichotek/sample/") + relative, bytes);
    }

    QString bin() const { return folder.absolute(QStringLiteral("bin")); }
    QString data() const { return folder.absolute(QStringLiteral("data")); }
    QString perUser() const { return data() + QStringLiteral("/chichotek"); }

    TestFolder folder;
    ScopedEnv xdg{"XDG_DATA_HOME", QFile::encodeName(folder.absolute(QStringLiteral("data")))};
    FakeServices services;
};

// The program looks as on its home platform unless the user asks for a
// style or the desktop's theme has one; Qt's plain styles are no one's choice.
TEST(Look, TheProgramsOwnStyleUnlessTheUserOrTheDesktopAsks)
{
    const auto programs = [] { return qobject_cast<QProxyStyle *>(QApplication::style()); };
    ASSERT_TRUE(programs());
    QApplication::setStyle(QStringLiteral("Fusion"));
    chooseStyle();
    EXPECT_TRUE(programs());
    {
        ScopedEnv asked("QT_STYLE_OVERRIDE", "Fusion");
        QApplication::setStyle(QStringLiteral("Fusion"));
        chooseStyle();
        EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
    chooseStyle();
    EXPECT_TRUE(programs());
}

TEST(CommandLine, ReadsTheFolderTheHelpAndTheVersion)
{
    const auto folderOf = [](const QStringList &arguments) {
        const CommandLine line = readCommandLine(arguments);
        return line.action == CommandLine::Run ? line.folder : QStringLiteral("<refused>");
    };
    EXPECT_EQ(folderOf({}), QString());
    EXPECT_EQ(folderOf({QStringLiteral("/media/usb/Vtipy")}), QStringLiteral("/media/usb/Vtipy"));
    EXPECT_EQ(folderOf({QStringLiteral("--folder"), QStringLiteral("a b")}), QStringLiteral("a b"));
    EXPECT_EQ(folderOf({QStringLiteral("--folder=a")}), QStringLiteral("a"));
    EXPECT_EQ(folderOf({QStringLiteral("-f"), QStringLiteral("a")}), QStringLiteral("a"));
    // After "--" a folder may start with a dash.
    EXPECT_EQ(folderOf({QStringLiteral("--"), QStringLiteral("-vtipy")}), QStringLiteral("-vtipy"));

    EXPECT_EQ(readCommandLine({QStringLiteral("--help")}).action, CommandLine::Help);
    EXPECT_EQ(readCommandLine({QStringLiteral("a"), QStringLiteral("-h")}).action,
              CommandLine::Help);
    EXPECT_EQ(readCommandLine({QStringLiteral("--version")}).action, CommandLine::Version);
    EXPECT_EQ(readCommandLine({QStringLiteral("-v")}).action, CommandLine::Version);

    for (const QStringList &bad :
         {QStringList{QStringLiteral("--folder")}, QStringList{QStringLiteral("--folder=")},
          QStringList{QStringLiteral("--barva")},
          QStringList{QStringLiteral("a"), QStringLiteral("b")},
          QStringList{QStringLiteral("--folder=a"), QStringLiteral("b")}}) {
        const CommandLine line = readCommandLine(bad);
        EXPECT_EQ(line.action, CommandLine::Fail) << bad.join(u' ').toStdString();
        EXPECT_FALSE(line.error.isEmpty());
    }
    EXPECT_TRUE(helpText().contains(QStringLiteral("--folder SLOŽKA")));
    EXPECT_TRUE(versionText().startsWith(QStringLiteral("Chichotek 5.1\n")));
}

TEST_F(StartUp, AFolderFromTheHomePlatformBesideTheExecutableIsUsedWhereItIs)
{
    folder.mkdir(QStringLiteral("bin/database"));
    EXPECT_EQ(startingFolder({}, bin()), bin());
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();
    EXPECT_FALSE(QFileInfo::exists(perUser()));
}

TEST_F(StartUp, TheUsersOwnFolderIsFilledFromTheSampleOnceAndNeverOverwritten)
{
    bool first = false;
    ASSERT_EQ(startingFolder({}, bin(), &first), perUser());
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();
    // The first start says where the folder is and how to open another.
    EXPECT_TRUE(first);
    tellFirstStart(perUser());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„"_qs + perUser() + u"“"_qs));
    EXPECT_TRUE(services.shown[0].text.contains(u"Otevřít jinou složku..."_qs));
    ASSERT_EQ(startingFolder({}, bin(), &first), perUser());
    EXPECT_FALSE(first);
    for (const QString &file :
         {QStringLiteral("DataBase/seznam.dat"), QStringLiteral("DataBase/Zvířata.da1"),
          QStringLiteral("DataBase/Zvířata/Vtipy.sez"), QStringLiteral("DataBase/Zvířata/Slon.vti"),
          QStringLiteral("chichotek.cfg"), QStringLiteral("pozadi.bmp")}) {
        EXPECT_EQ(folder.read(QStringLiteral("data/chichotek/") + file),
                  folder.read(QStringLiteral("share/chichotek/sample/") + file))
            << file.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(perUser() + QStringLiteral("/DataBase.part")));

    // The user's changes stay; only what went missing comes back.
    folder.write(QStringLiteral("data/chichotek/DataBase/seznam.dat"), ansi(u"Moje⏎"_qs));
    QFile::remove(perUser() + QStringLiteral("/pozadi.bmp"));
    ASSERT_EQ(startingFolder({}, bin()), perUser());
    EXPECT_EQ(folder.read(QStringLiteral("data/chichotek/DataBase/seznam.dat")), ansi(u"Moje⏎"_qs));
    EXPECT_EQ(folder.read(QStringLiteral("data/chichotek/pozadi.bmp")), "BM picture");

    // A database in another letter case is the database.
    QDir(perUser() + QStringLiteral("/DataBase")).removeRecursively();
    folder.write(QStringLiteral("data/chichotek/database/seznam.dat"), ansi(u"Malá⏎"_qs));
    ASSERT_EQ(startingFolder({}, bin()), perUser());
    EXPECT_FALSE(QFileInfo::exists(perUser() + QStringLiteral("/DataBase")));
    EXPECT_EQ(folder.read(QStringLiteral("data/chichotek/database/seznam.dat")), ansi(u"Malá⏎"_qs));
}

TEST_F(StartUp, WithoutXdgDataHomeTheFolderIsInTheHome)
{
    const ScopedEnv home("HOME", QFile::encodeName(folder.absolute(QStringLiteral("home"))));
    for (const QByteArray &value : {QByteArray(), QByteArray("relative/data")}) {
        const ScopedEnv unset("XDG_DATA_HOME", value);
        EXPECT_EQ(startingFolder({}, bin()),
                  folder.absolute(QStringLiteral("home/.local/share/chichotek")));
        EXPECT_TRUE(QFileInfo::exists(
            folder.absolute(QStringLiteral("home/.local/share/chichotek/DataBase/seznam.dat"))));
    }
}

TEST_F(StartUp, AChosenFolderComesFirstAndOneWithoutADatabaseIsReported)
{
    folder.mkdir(QStringLiteral("bin/DataBase"));
    folder.mkdir(QStringLiteral("usb/DataBase"));
    EXPECT_EQ(startingFolder(folder.absolute(QStringLiteral("usb")), bin()),
              folder.absolute(QStringLiteral("usb")));
    EXPECT_TRUE(services.shown.isEmpty());

    // A folder with no database: the user is told and may pick another one.
    folder.mkdir(QStringLiteral("empty"));
    services.setNextButton(platform::Yes);
    services.setNextFolder(folder.absolute(QStringLiteral("usb")));
    EXPECT_EQ(startingFolder(folder.absolute(QStringLiteral("empty")), bin()),
              folder.absolute(QStringLiteral("usb")));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("neobsahuje databázi")));
    EXPECT_EQ(services.folderDialogs, QStringList{folder.absolute(QStringLiteral("empty"))});

    // ...or go on with it, and nothing is made there.
    services.shown.clear();
    services.setNextButton(platform::No);
    EXPECT_EQ(startingFolder(folder.absolute(QStringLiteral("empty")), bin()),
              folder.absolute(QStringLiteral("empty")));
    EXPECT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(QDir(folder.absolute(QStringLiteral("empty"))).isEmpty());
    EXPECT_EQ(services.unscripted, 0);
}

TEST_F(StartUp, AFolderThatCannotBeWrittenIsReportedOnceWithItsReason)
{
    folder.mkdir(QStringLiteral("bin/DataBase"));
    folder.mkdir(QStringLiteral("other/DataBase"));
    // The disk refuses new files until the user has been told.
    store::testing::setSaveFault(store::SaveStep::Open, EROFS);
    services.whenShown = [](const FakeServices::Shown &) {
        store::testing::setSaveFault(std::nullopt);
    };
    services.setNextButton(platform::No);
    EXPECT_EQ(startingFolder({}, bin()), bin());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(
        QStringLiteral("Do složky „%1“ nelze zapisovat. Disk je jen pro čtení.")
            .arg(QDir::toNativeSeparators(bin()))))
        << services.shown[0].text.toStdString();
    EXPECT_TRUE(services.folderDialogs.isEmpty());

    // Choosing another folder: that one is used, and it is checked too.
    services.shown.clear();
    store::testing::setSaveFault(store::SaveStep::Open, EACCES);
    services.setNextButton(platform::Yes);
    services.setNextFolder(folder.absolute(QStringLiteral("other")));
    EXPECT_EQ(startingFolder({}, bin()), folder.absolute(QStringLiteral("other")));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("Přístup byl odepřen.")));

    // A cancelled folder dialog keeps the folder.
    services.shown.clear();
    store::testing::setSaveFault(store::SaveStep::Open, EROFS);
    services.setNextButton(platform::Yes);
    services.setNextFolder(QString());
    EXPECT_EQ(startingFolder({}, bin()), bin());
    EXPECT_EQ(services.unscripted, 0);
}

TEST_F(StartUp, AUserFolderThatCannotBeMadeOrASampleThatIsMissingIsReported)
{
    QDir(folder.absolute(QStringLiteral("share"))).removeRecursively();
    services.setNextButton(platform::No);
    EXPECT_EQ(startingFolder({}, bin()), perUser());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("Ukázková databáze")))
        << services.shown[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(perUser() + QStringLiteral("/DataBase")));

    // A file where the data folder should be.
    services.shown.clear();
    folder.write(QStringLiteral("blocked"), "file");
    const ScopedEnv blocked("XDG_DATA_HOME",
                            QFile::encodeName(folder.absolute(QStringLiteral("blocked"))));
    services.setNextButton(platform::No);
    startingFolder({}, bin());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("nelze")))
        << services.shown[0].text.toStdString();
}

// The program itself, as a user or a package's check starts it.
class Process : public StartUp
{
protected:
    // Runs the built program; returns its exit code, with what it printed.
    int run(const QStringList &arguments, const QProcessEnvironment &environment = {})
    {
        QProcess process;
        QProcessEnvironment env =
            environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : environment;
        env.insert(QStringLiteral("XDG_DATA_HOME"), data());
        env.insert(QStringLiteral("HOME"), folder.absolute(QStringLiteral("home")));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CHICHOTEK_BINARY), arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "the program did not end";
            return -1;
        }
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString out;
    QString err;
};

TEST_F(Process, HelpAndVersionNeedNoScreenAndBadArgumentsAreRefused)
{
    QProcessEnvironment noScreen = QProcessEnvironment::systemEnvironment();
    noScreen.remove(QStringLiteral("DISPLAY"));
    noScreen.remove(QStringLiteral("WAYLAND_DISPLAY"));
    noScreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    EXPECT_EQ(run({QStringLiteral("--help")}, noScreen), 0);
    EXPECT_EQ(out, helpText());
    EXPECT_EQ(run({QStringLiteral("--version")}, noScreen), 0);
    EXPECT_EQ(out, versionText());

    // A wrong option is told as such, without a screen too; Qt's own options
    // are Qt's.
    EXPECT_EQ(run({QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--barva")},
                  noScreen),
              2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains(QStringLiteral("neznámá volba „--barva“"))) << err.toStdString();
    EXPECT_EQ(programArguments(6, std::array{"chichotek", "-platform", "xcb", "--style=Fusion",
                                             "-reverse", "Vtipy"}
                                      .data()),
              QStringList{QStringLiteral("Vtipy")});
}

TEST_F(Process, TheBuiltProgramStartsOnTheUsersFolderOrOnTheOneNamed)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CHICHOTEK_CHECK"), QStringLiteral("1"));
    // The build keeps the sample where an installed program has it.
    ASSERT_EQ(run({}, env), 0) << err.toStdString();
    const std::optional<QStringList> libraries =
        store::readExternalList(QStringLiteral(CHICHOTEK_SAMPLE "/DataBase/seznam.dat"));
    ASSERT_TRUE(libraries);
    ASSERT_FALSE(libraries->isEmpty());
    EXPECT_EQ(out, QStringList(QStringList{perUser()} + *libraries).join(u'\n') + u'\n');

    folder.makeProgramFolder();
    folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Ťukání")});
    ASSERT_EQ(run({QStringLiteral("--folder"), folder.path()}, env), 0) << err.toStdString();
    EXPECT_EQ(out, folder.path() + QStringLiteral("\nŠkola\n"));
}

// Started again on a folder whose window is open, the program brings that
// window to the front and ends, without taking the folder's lock; a folder
// with no window answering starts as ever.
TEST_F(Process, ASecondStartOnAnOpenFolderRaisesItsWindowAndEnds)
{
    folder.makeProgramFolder();
    int raised = 0;
    SingleWindow first;
    first.answerFor(folder.path(), [&raised](const QString &) { ++raised; });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess second;
    second.setProcessEnvironment(env);
    // Named through a link, the folder is the same.
    ASSERT_TRUE(QFile::link(folder.path(), folder.path() + QStringLiteral("-odkaz")));
    second.start(QStringLiteral(CHICHOTEK_BINARY),
                 {QStringLiteral("--folder"), folder.path() + QStringLiteral("-odkaz")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000))
        << "the second program did not end";
    QFile::remove(folder.path() + QStringLiteral("-odkaz"));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(raised, 1);
    EXPECT_FALSE(folder.exists(QStringLiteral("chichotek.lock")));

    TestFolder other;
    other.makeProgramFolder();
    EXPECT_FALSE(SingleWindow::handOver(other.path(), QString(), 200));
}

// Told by the system to end (a logout, a closed terminal, Ctrl+C), the
// program ends as closing it does, without its questions: its lock goes.
TEST_F(Process, TheSystemsSignalsEndItAsClosingDoesWithoutQuestions)
{
    folder.makeProgramFolder();
    folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Ťukání")});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), folder.absolute(QStringLiteral("home")));
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CHICHOTEK_BINARY),
                      {QStringLiteral("--folder"), folder.path()});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return folder.read(QStringLiteral("chichotek.lock"))
                    .startsWith(QByteArray::number(process.processId()) + '\n');
            },
            20000));
        ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            FAIL() << "the program did not end";
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_FALSE(folder.exists(QStringLiteral("chichotek.lock")));
    }
}

} // namespace

namespace {

// The main window comes first; the others, none of which its first paint
// needs, right after that paint.
TEST(StartUpWindows, TheOtherWindowsComeAfterTheMainWindowsFirstPaint)
{
    TestFolder folder;
    folder.makeProgramFolder();
    FakeServices services;
    createMainWindow(folder.path());
    ASSERT_NE(HLAVNI, nullptr);
    EXPECT_EQ(Formular, nullptr);
    EXPECT_EQ(AboutBox, nullptr);
    showMainWindow();
    EXPECT_TRUE(QTest::qWaitFor([] { return Formular && AboutBox && CelkemDetaily && look; }));
    const QPointer<TFormular> wizard = Formular;
    createOtherWindows(); // once only
    EXPECT_EQ(Formular, wizard.data());
    destroyWindows();
    EXPECT_TRUE(wizard.isNull());
    EXPECT_EQ(services.unscripted, 0);
}

} // namespace
