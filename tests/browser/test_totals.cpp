#include "browser/Celkem.h"
#include "browser/Details.h"
#include "browser/Program.h"
#include "controls/picturebox.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>

namespace {

// Runs `check` on the next modal window above `under` once it opens, then
// closes that window.
void onNextModal(std::function<void(QWidget *)> check, QWidget *under = nullptr)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == under)
            return;
        poll->stop();
        poll->deleteLater();
        check(modal);
        modal->close();
    });
    poll->start(1);
}

QString detailLine(const QString &name, int count, int total, int library)
{
    return QStringLiteral("Knihovna \"%1\" má %2 podložek, zatím napočítáno %3 vtipů ve %4. "
                          "knihovně. ;     ")
        .arg(name)
        .arg(count)
        .arg(total)
        .arg(library);
}

const QString kClosing12 = QStringLiteral("Celkem 12 vtipů v 3. knihovnách.");

class Totals : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        // Three libraries with the counts 5, 0 and 7.
        folder.write(QStringLiteral("DataBase/seznam.dat"), "");
        for (const char *name : {"Anekdoty", "Blondýnky", "Cestování"})
            folder.makeLibrary(QString::fromUtf8(name), {QStringLiteral("Vtip")});
        setCount(QStringLiteral("Anekdoty"), "5\r\n");
        setCount(QStringLiteral("Blondýnky"), "0\r\n");
        setCount(QStringLiteral("Cestování"), "7\r\n");
    }

    void TearDown() override
    {
        (void)window.release();
        destroyWindows();
    }

    THLAVNI &startAll()
    {
        createWindows(folder.path());
        window.reset(HLAVNI);
        return *HLAVNI;
    }

    void setCount(const QString &library, const QByteArray &bytes)
    {
        folder.write(QStringLiteral("DataBase/") + library + QStringLiteral(".da2"), bytes);
    }

    // Runs a walk on the main window's timer to its end and returns what the
    // totals window showed; `whileOpen` runs while it is open.
    QStringList walk(std::function<void()> whileOpen = {})
    {
        THLAVNI &w = *window;
        QStringList shown;
        onNextModal([&](QWidget *modal) {
            EXPECT_EQ(modal, CelkemVtipu);
            EXPECT_FALSE(w.walking() || w.Pocitej->isActive());
            shown << CelkemVtipu->PocetVtipu->text() << CelkemVtipu->Knihovnach->text();
            if (whileOpen)
                whileOpen();
        });
        w.celkovy->trigger();
        EXPECT_TRUE(w.walking());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty() && w.Seznam->isEnabled(); }));
        return shown;
    }

    QStringList details() const { return CelkemDetaily->Detaily->toPlainText().split(u'\n'); }
};

} // namespace

TEST_F(Totals, CountsEveryLibraryLineByLine)
{
    THLAVNI &w = startAll();
    EXPECT_EQ(walk(), (QStringList{"12", "3"}));
    EXPECT_EQ(
        details(),
        (QStringList{"Knihovna \"Anekdoty\" má 5 podložek, zatím napočítáno 5 vtipů ve 1. "
                     "knihovně. ;     ",
                     detailLine(QStringLiteral("Blondýnky"), 0, 5, 2),
                     detailLine(QStringLiteral("Cestování"), 7, 12, 3), QString(), kClosing12}));
    EXPECT_TRUE(services.shown.isEmpty());
    // No selection before: none after, and the last library stays shown.
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Cestování"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("Autor Cestování"));

    // The next walk starts afresh.
    setCount(QStringLiteral("Blondýnky"), "30\r\n");
    EXPECT_EQ(walk(), (QStringList{"42", "3"}));
    EXPECT_EQ(details().size(), 5);
}

TEST_F(Totals, EmptyListEndsOnTheFirstTick)
{
    folder.write(QStringLiteral("DataBase/seznam.dat"), "");
    THLAVNI &w = startAll();
    QStringList shown;
    onNextModal([&](QWidget *) {
        shown << CelkemVtipu->PocetVtipu->text() << CelkemVtipu->Knihovnach->text();
    });
    w.celkovyClick();
    w.PocitejTimer();
    EXPECT_FALSE(w.walking());
    EXPECT_EQ(shown, (QStringList{"0", "0"}));
    EXPECT_EQ(details(), (QStringList{QString(), "Celkem 0 vtipů v 0. knihovnách."}));
}

TEST_F(Totals, SelectionBeforeTheWalkIsSelectedAndShownAgain)
{
    THLAVNI &w = startAll();
    clickRow(1);
    walk([&] { EXPECT_FALSE(w.Seznam->isEnabled()); });
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Blondýnky"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("Autor Blondýnky"));
    EXPECT_EQ(w.PocPod->toPlainText(), QStringLiteral("0"));
    // The commands held during the walk are as they were.
    EXPECT_TRUE(w.Odstr->isEnabled() && w.OdstrU->isEnabled() && w.Uprav->isEnabled());
    EXPECT_TRUE(w.Tlac->isEnabled() && w.OtevriAkce->isEnabled() && w.Pridat->isEnabled());
}

TEST_F(Totals, CountThatIsNoNumberIsReportedOnceAndAddsNothing)
{
    startAll();
    const QByteArray bad[] = {"12abc\r\n", "", "-5\r\n", "99999999999\r\n",
                              QByteArray("\x01\x02\xff\x00\x35", 5)};
    for (const QByteArray &bytes : bad) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        services.shown.clear();
        setCount(QStringLiteral("Blondýnky"), bytes);
        EXPECT_EQ(walk(), (QStringList{"12", "3"}));
        ASSERT_EQ(services.shown.size(), 1);
        EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
        EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("není platné celé číslo")));
        EXPECT_EQ(details(), (QStringList{detailLine(QStringLiteral("Anekdoty"), 5, 5, 1),
                                          detailLine(QStringLiteral("Cestování"), 7, 12, 3),
                                          QString(), kClosing12}));
    }
    // Blanks around the number are no fault.
    services.shown.clear();
    setCount(QStringLiteral("Blondýnky"), " 4 \r\n");
    EXPECT_EQ(walk(), (QStringList{"16", "3"}));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(Totals, LibraryWithoutCountFileAddsNothingAndIsReportedOnce)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Blondýnky.da2")));
    THLAVNI &w = startAll();
    // 12, not 17: the count of the library before it is not taken again.
    EXPECT_EQ(walk(), (QStringList{"12", "3"}));
    EXPECT_EQ(services.texts(), QStringList{"Nemohu načíst popis!!!"});
    EXPECT_EQ(details().size(), 4);
    EXPECT_EQ(details()[1], detailLine(QStringLiteral("Cestování"), 7, 12, 3));

    // Also when the broken library is the one in `Edit` before the walk.
    clickRow(1);
    services.shown.clear();
    EXPECT_EQ(walk(), (QStringList{"12", "3"}));
    EXPECT_EQ(services.texts(), (QStringList{"Nemohu načíst popis!!!", "Nemohu načíst popis!!!"}));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
}

TEST_F(Totals, MessageInsideAStepHoldsTheWalkAndTheCommands)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Anekdoty.da1")));
    THLAVNI &w = startAll();
    int boxes = 0;
    services.whenShown = [&](const FakeServices::Shown &) {
        ++boxes;
        // While the box is open no tick comes, and a tick that came anyway
        // would start no step inside this one.
        EXPECT_FALSE(w.Pocitej->isActive());
        const qsizetype lines = CelkemDetaily->lines().size();
        w.PocitejTimer();
        QCoreApplication::processEvents();
        EXPECT_EQ(CelkemDetaily->lines().size(), lines);
        EXPECT_EQ(w.Seznam->itemIndex(), 0);
        // Nothing may change the list or the mode under the walk.
        EXPECT_FALSE(w.Tlac->isEnabled() || w.Pridat->isEnabled() || w.Setrit->isEnabled() ||
                     w.PrDol->isEnabled() || w.celkovy->isEnabled() || w.Vytvor->isEnabled());
        w.OtevriAkce->trigger();
        EXPECT_EQ(Rezim, RezimKnihovny);
    };
    EXPECT_EQ(walk(), (QStringList{"12", "3"}));
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(details().size(), 5);
    EXPECT_TRUE(w.Pridat->isEnabled() && w.Setrit->isEnabled() && w.celkovy->isEnabled());
}

TEST_F(Totals, DetailsOpenOverTheTotalsAndCloseBackToThem)
{
    startAll();
    QString shown;
    QWidget *afterDetails = nullptr;
    walk([&] {
        EXPECT_EQ(QRect(CelkemVtipu->pos(), CelkemVtipu->size()), QRect(305, 187, 180, 147));
        onNextModal(
            [&](QWidget *modal) {
                EXPECT_EQ(modal, CelkemDetaily);
                EXPECT_EQ(QRect(CelkemDetaily->pos(), CelkemDetaily->size()),
                          QRect(286, 181, 360, 219));
                shown = CelkemDetaily->Detaily->toPlainText();
            },
            CelkemVtipu);
        QTest::mouseClick(CelkemVtipu->Image2, Qt::LeftButton);
        afterDetails = QApplication::activeModalWidget();
    });
    EXPECT_EQ(afterDetails, CelkemVtipu);
    EXPECT_TRUE(shown.endsWith(kClosing12));
}

TEST_F(Totals, ClosingTheWindowEndsTheWalk)
{
    THLAVNI &w = startAll();
    w.show();
    clickRow(2);
    w.celkovy->trigger();
    w.PocitejTimer();
    services.setNextAnswer(true);
    w.close();
    EXPECT_FALSE(w.walking() || w.Pocitej->isActive());
    w.PocitejTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(w.Seznam->isEnabled() && w.Tlac->isEnabled() && w.celkovy->isEnabled());
    EXPECT_EQ(w.Seznam->itemIndex(), 2);
}
