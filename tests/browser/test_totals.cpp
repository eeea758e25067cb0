#include "browser/Celkem.h"
#include "browser/Details.h"
#include "support/mainwindowfixture.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace {

QString detailLine(const QString &name, int count, int total, int library)
{
    return QStringLiteral("Knihovna \"%1\" má %2 podložek, zatím napočítáno %3 vtipů ve %4. "
                          "knihovně. ;     ")
        .arg(name, QString::number(count), QString::number(total), QString::number(library));
}

const QString kClosing12 = QStringLiteral("Celkem 12 vtipů v 3. knihovnách.");
const QString kNoDescription = QStringLiteral("Nemohu načíst popis!!!");

class Totals : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        // Three libraries with the counts 5, 0 and 7.
        folder.write(QStringLiteral("DataBase/seznam.dat"), "");
        for (const auto &[name, count] :
             {std::pair{"Anekdoty", 5}, {"Blondýnky", 0}, {"Cestování", 7}})
            folder.makeLibrary(QString::fromUtf8(name), QStringList(count, QStringLiteral("Vtip")));
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

TEST_F(Totals, CountsEveryLibraryLineByLineAndRestoresTheSelection)
{
    THLAVNI &w = startAll();
    // The details open over the totals at their places and close back to them.
    QWidget *afterDetails = nullptr;
    const auto openDetails = [&] {
        EXPECT_EQ(QRect(CelkemVtipu->pos(), CelkemVtipu->size()), QRect(305, 187, 180, 147));
        const auto check = [](QWidget *modal) {
            EXPECT_EQ(modal, CelkemDetaily);
            EXPECT_EQ(QRect(modal->pos(), modal->size()), QRect(286, 181, 360, 219));
        };
        onNextModal(check, CelkemVtipu);
        QTest::mouseClick(CelkemVtipu->Image2, Qt::LeftButton);
        afterDetails = QApplication::activeModalWidget();
    };
    EXPECT_EQ(walk(openDetails), (QStringList{"12", "3"}));
    EXPECT_EQ(afterDetails, CelkemVtipu);
    EXPECT_EQ(
        details(),
        (QStringList{"Knihovna \"Anekdoty\" má 5 podložek, zatím napočítáno 5 vtipů ve 1. "
                     "knihovně. ;     ",
                     detailLine(QStringLiteral("Blondýnky"), 0, 5, 2),
                     detailLine(QStringLiteral("Cestování"), 7, 12, 3), QString(), kClosing12}));
    EXPECT_TRUE(services.shown.isEmpty());
    // No selection before: none after, and the last library stays shown.
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(description(), describing(QStringLiteral("Cestování"), QStringLiteral("7")));

    // The next walk starts afresh; the selection before it is selected and
    // shown again, and the commands held during it are as they were.
    setCount(QStringLiteral("Blondýnky"), "30\r\n");
    clickRow(1);
    EXPECT_EQ(walk([&] { EXPECT_FALSE(w.Seznam->isEnabled()); }), (QStringList{"42", "3"}));
    EXPECT_EQ(details().size(), 5);
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(description(), describing(QStringLiteral("Blondýnky"), QStringLiteral("30")));
    EXPECT_TRUE(w.Odstr->isEnabled() && w.OdstrU->isEnabled() && w.Uprav->isEnabled());
    EXPECT_TRUE(w.Tlac->isEnabled() && w.OtevriAkce->isEnabled() && w.Pridat->isEnabled());
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

TEST_F(Totals, CountThatIsNoNumberOrMissingIsReportedOnceAndAddsNothing)
{
    THLAVNI &w = startAll();
    const QString blondes = QStringLiteral("Blondýnky");
    // The last is no count file at all.
    const QByteArray bad[] = {
        "12abc\r\n", "", "-5\r\n", "99999999999\r\n", {"\x01\x02\xff\x00\x35", 5}, QByteArray()};
    for (const QByteArray &bytes : bad) {
        SCOPED_TRACE(bytes.isNull() ? "none" : bytes.toHex().toStdString());
        services.shown.clear();
        if (bytes.isNull())
            QFile::remove(folder.absolute(QStringLiteral("DataBase/Blondýnky.da2")));
        else
            setCount(blondes, bytes);
        // 12, not 17: the count of the library before it is not taken again.
        EXPECT_EQ(walk(), (QStringList{"12", "3"}));
        if (bytes.isNull())
            EXPECT_EQ(services.texts(), QStringList{kNoDescription});
        else
            EXPECT_TRUE(oneError(QStringLiteral("není platné celé číslo")));
        EXPECT_EQ(details(), (QStringList{detailLine(QStringLiteral("Anekdoty"), 5, 5, 1),
                                          detailLine(QStringLiteral("Cestování"), 7, 12, 3),
                                          QString(), kClosing12}));
    }
    // Also when the broken library is the one in `Edit` before the walk.
    clickRow(1);
    services.shown.clear();
    EXPECT_EQ(walk(), (QStringList{"12", "3"}));
    EXPECT_EQ(services.texts(), (QStringList{kNoDescription, kNoDescription}));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);

    // Blanks around the number are no fault.
    services.shown.clear();
    setCount(blondes, " 4 \r\n");
    EXPECT_EQ(walk(), (QStringList{"16", "3"}));
    EXPECT_TRUE(services.shown.isEmpty());
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
