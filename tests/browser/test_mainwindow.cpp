#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/BLabel.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kBroken = QStringLiteral("Knihovna je vadná!!! Doporučujeme odebrat!!!");

using MainWindowTest = MainWindowFixture;

QStringList enabledOf(const std::initializer_list<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions) {
        if (a->isEnabled())
            out << a->objectName();
    }
    return out;
}

} // namespace

TEST_F(MainWindowTest, StartsInLibraryModeWithTheLibrariesListed)
{
    THLAVNI &w = start();
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Chichotek v 5.1"));
    EXPECT_EQ(w.centralWidget()->size(), QSize(359, 313));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(SlozkaProgramu.endsWith(u'/') || SlozkaProgramu.endsWith(u'\\'));
    EXPECT_EQ(w.Tlac->text(), QStringLiteral("Otevřít"));
    EXPECT_EQ(w.Seznam->geometry(), QRect(16, 16, 185, 238));
    EXPECT_EQ(w.Edit->geometry(), QRect(16, 264, 185, 21));
    EXPECT_EQ(w.Tlac->geometry(), QRect(88, 288, 41, 17));
    EXPECT_EQ(w.Popis->geometry(), QRect(216, 24, 137, 177));
    EXPECT_EQ(w.Vtip->geometry(), QRect(160, 16, 193, 241));
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 99, 27));
    EXPECT_TRUE(w.Vtip->isHidden());
    EXPECT_TRUE(w.Panel->isHidden());
    EXPECT_TRUE(w.napoveda->isHidden());
    EXPECT_EQ(w.PocPod->toPlainText(), QStringLiteral("0"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("(Neznámý)"));

    // Items disabled at start.
    EXPECT_EQ(enabledOf({w.UlozVtip, w.Tisk, w.KopVtip, w.Uprav, w.OdstrU, w.Odstr, w.Najit,
                         w.Sthnoutvtipy1}),
              QStringList{});
    EXPECT_EQ(
        enabledOf({w.Konec1, w.Vytvor, w.Pridat, w.Publikovatknihovnu1, w.Setrit, w.PrNah, w.PrDol,
                   w.celkovy, w.Psmo1, w.Tiskrny1, w.Obrzek1, w.Roz, w.Centr, w.Oaplikaci1})
            .size(),
        14);
    EXPECT_TRUE(w.Roz->isChecked() && w.Centr->isChecked());
    EXPECT_EQ(w.PrNah->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(w.PrDol->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(w.Egg->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(MainWindowTest, StartUpWritesNoFile)
{
    const auto before = folder.snapshot();
    start();
    EXPECT_EQ(folder.snapshot(), before);
}

TEST_F(MainWindowTest, StartUpStopsAtAMissingBackground)
{
    folder.write(QStringLiteral("chichotek.cfg"), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    QFile::remove(folder.absolute(QStringLiteral("pozadi.bmp")));
    THLAVNI &w = start();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("pozadi.bmp")));
    EXPECT_EQ(Rezim, RezimNone);
    EXPECT_EQ(w.Seznam->count(), 0);
    EXPECT_TRUE(w.Roz->isChecked());
    EXPECT_FALSE(w.Najit->isEnabled());

    // In the unset mode the command returns to the library list.
    w.Edit->setText(QStringLiteral("Zvířata"));
    w.Tlac->click();
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, StartUpStopsAtAMissingListAndLeavesSettingsUnapplied)
{
    folder.write(QStringLiteral("chichotek.cfg"), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    QFile::remove(folder.absolute(QStringLiteral("DataBase/seznam.dat")));
    THLAVNI &w = start();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("seznam.dat")));
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->count(), 0);
    EXPECT_TRUE(w.Roz->isChecked());
    EXPECT_FALSE(w.RychUloz->isHidden());
}

TEST_F(MainWindowTest, StartUpWithoutSettingsKeepsEveryFlagOn)
{
    QFile::remove(folder.absolute(QStringLiteral("chichotek.cfg")));
    THLAVNI &w = start();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("chichotek.cfg")));
    EXPECT_EQ(w.Seznam->count(), 2);
    for (QAction *a : {w.Roz, w.Centr, w.UlozZobr, w.ZobTisk, w.ZobCopyVtip, w.ZobPismo})
        EXPECT_TRUE(a->isChecked()) << a->objectName().toStdString();
}

TEST_F(MainWindowTest, SettingsTurnTheirItemsAndButtonsOff)
{
    folder.write(QStringLiteral("chichotek.cfg"), "0\r\n0\r\n0\r\n0\r\n0\r\n");
    THLAVNI &w = start();
    EXPECT_FALSE(w.Roz->isChecked());
    EXPECT_FALSE(w.Pozadi->stretch());
    EXPECT_FALSE(w.Centr->isChecked());
    EXPECT_FALSE(w.Pozadi->center());
    EXPECT_FALSE(w.UlozZobr->isChecked());
    EXPECT_TRUE(w.RychUloz->isHidden());
    EXPECT_TRUE(w.RychTisk->isHidden());
    EXPECT_TRUE(w.VtipCopy->isHidden());
    EXPECT_TRUE(w.ZobPismo->isChecked());
    EXPECT_FALSE(w.RychPismo->isHidden());
    // A hidden button leaves its place; the others do not move.
    EXPECT_EQ(w.RychPismo->geometry(), QRect(73, 1, 25, 25));
}

TEST_F(MainWindowTest, SelectingALibraryShowsItsDescription)
{
    THLAVNI &w = start();
    clickRow(1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Škola"));
    EXPECT_EQ(w.PopisText->toPlainText(), QStringLiteral("Popis knihovny Škola"));
    EXPECT_EQ(w.PocPod->toPlainText(), QStringLiteral("1"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("Autor Škola"));
    EXPECT_EQ(w.Ikonka->image().size(), QSize(32, 32));
    EXPECT_EQ(enabledOf({w.Odstr, w.OdstrU, w.Uprav}).size(), 3);

    // The arrow keys select as a click does.
    key(Qt::Key_Up);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("Autor Zvířata"));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(MainWindowTest, FocusAloneSelectsNothing)
{
    THLAVNI &w = start();
    w.show();
    w.activateWindow();
    w.Seznam->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(w.Edit->text().isEmpty());
    EXPECT_FALSE(w.Uprav->isEnabled());
}

TEST_F(MainWindowTest, LibraryWithAMissingFileReportsItOnce)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Škola.da3")));
    THLAVNI &w = start();
    clickRow(1);
    EXPECT_EQ(services.texts(), QStringList{"Nemohu načíst popis!!!"});
    EXPECT_EQ(w.PopisText->toPlainText(), QStringLiteral("Popis knihovny Škola"));
    EXPECT_EQ(w.Autor->toPlainText(), QStringLiteral("(Neznámý)"));
    // Selecting the same name again loads nothing again.
    clickRow(1);
    EXPECT_EQ(services.shown.size(), 1);
}

TEST_F(MainWindowTest, OpeningAndClosingFollowTheModeTable)
{
    THLAVNI &w = start();
    openLibrary(0);
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Slon", "Žirafa"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));
    EXPECT_EQ(w.Seznam->width(), 137);
    EXPECT_EQ(w.Edit->width(), 137);
    EXPECT_EQ(w.Tlac->text(), QStringLiteral("Zavřít"));
    EXPECT_TRUE(w.Popis->isHidden());
    EXPECT_EQ(w.Kategorie, QStringLiteral("DataBase\\Zvířata\\"));
    EXPECT_EQ(w.PredOdchod, QStringLiteral("Zvířata"));
    EXPECT_EQ(enabledOf({w.Vytvor, w.Pridat, w.celkovy, w.PrNah, w.PrDol, w.Setrit, w.Odstr,
                         w.OdstrU, w.Uprav, w.UlozVtip, w.Tisk, w.KopVtip}),
              QStringList{});
    EXPECT_FALSE(w.Presun->isEnabled());
    EXPECT_TRUE(w.Najit->isEnabled());
    EXPECT_FALSE(w.windowIcon().cacheKey() == THLAVNI::programIcon().cacheKey());

    // Selecting a joke shows it with the quick panel.
    clickRow(0);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Slon"));
    EXPECT_EQ(w.Vtip->toPlainText(), QStringLiteral("Slon"));
    EXPECT_FALSE(w.Vtip->isHidden());
    EXPECT_FALSE(w.Panel->isHidden());
    EXPECT_EQ(enabledOf({w.UlozVtip, w.Tisk, w.KopVtip}).size(), 3);

    w.Tlac->click();
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));
    EXPECT_EQ(w.Seznam->width(), 185);
    EXPECT_EQ(w.Tlac->text(), QStringLiteral("Otevřít"));
    EXPECT_EQ(w.Kategorie, QStringLiteral("."));
    EXPECT_FALSE(w.Popis->isHidden());
    EXPECT_TRUE(w.Vtip->isHidden());
    EXPECT_TRUE(w.Panel->isHidden());
    EXPECT_EQ(enabledOf({w.Vytvor, w.Pridat, w.celkovy, w.PrNah, w.PrDol, w.Setrit}).size(), 6);
    EXPECT_EQ(enabledOf({w.Najit, w.UlozVtip, w.Tisk, w.KopVtip, w.Odstr, w.OdstrU}),
              QStringList{});
    EXPECT_TRUE(w.Presun->isEnabled());
    EXPECT_TRUE(services.shown.isEmpty());

    // "Otevřít" at once reopens the library that was open.
    w.Tlac->click();
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, JokeNotWrittenYetIsReportedThenShown)
{
    THLAVNI &w = start();
    openLibrary(0);
    clickRow(0);
    clickRow(1);
    EXPECT_EQ(services.texts(), QStringList{"Vtip nebyl dosud napsán nebo nelze nalézt!!!"});
    EXPECT_FALSE(w.Vtip->isHidden());
    EXPECT_FALSE(w.Panel->isHidden());
}

TEST_F(MainWindowTest, LibraryWithoutItsIconCannotBeOpened)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Škola.ico")));
    THLAVNI &w = start();
    openLibrary(1);
    EXPECT_EQ(services.texts().last(), kBroken);
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Škola"));
    EXPECT_EQ(w.Tlac->text(), QStringLiteral("Otevřít"));
    EXPECT_FALSE(w.Popis->isHidden());
    EXPECT_EQ(w.windowIcon().cacheKey(), w.windowIcon().cacheKey());
}

TEST_F(MainWindowTest, LibraryWithoutItsJokeListCannotBeOpened)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Zvířata/Vtipy.sez")));
    THLAVNI &w = start();
    openLibrary(0);
    EXPECT_EQ(services.texts(), QStringList{kBroken});
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, LibraryListedUnderAnotherLetterCaseOpens)
{
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(u"ZVÍŘATA⏎"_qs));
    QDir(folder.path()).rename(QStringLiteral("DataBase"), QStringLiteral("database"));
    QFile::rename(folder.absolute(QStringLiteral("database/Zvířata/Vtipy.sez")),
                  folder.absolute(QStringLiteral("database/Zvířata/vtipy.sez")));
    THLAVNI &w = start();
    openLibrary(0);
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Slon", "Žirafa"}));
}

TEST_F(MainWindowTest, CommandWithAnEmptyNameOnlyDisablesRemoval)
{
    THLAVNI &w = start();
    w.Odstr->setEnabled(true);
    w.OdstrU->setEnabled(true);
    w.OtevriAkce->trigger();
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_FALSE(w.Odstr->isEnabled());
    EXPECT_FALSE(w.OdstrU->isEnabled());
    EXPECT_TRUE(w.Setrit->isEnabled());
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, EnterOpensAndEscapeClosesOnlyInTheirModes)
{
    THLAVNI &w = start();
    clickRow(0);
    key(Qt::Key_Escape);
    EXPECT_EQ(Rezim, RezimKnihovny);
    key(Qt::Key_Return);
    EXPECT_EQ(Rezim, RezimVtipy);
    key(Qt::Key_Return);
    EXPECT_EQ(Rezim, RezimVtipy);
    key(Qt::Key_Escape);
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, DoubleClickOpensTheClickedLibraryAndClosesFromAJoke)
{
    THLAVNI &w = start();
    ListBox *list = w.Seznam;
    const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.PredOdchod, QStringLiteral("Škola"));

    const QPoint joke = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, joke);
    EXPECT_EQ(w.Vtip->toPlainText(), QStringLiteral("Ťukání"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, joke);
    EXPECT_EQ(Rezim, RezimKnihovny);
}

TEST_F(MainWindowTest, ClosingSavesTheSettingsBeforeAskingEvenOnCancel)
{
    THLAVNI &w = start();
    w.show();
    w.Roz->trigger();
    EXPECT_FALSE(w.Roz->isChecked());
    EXPECT_FALSE(w.Pozadi->stretch());
    w.ZobTisk->trigger();
    EXPECT_TRUE(w.RychTisk->isHidden());

    services.setNextAnswer(false);
    w.Konec1->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(services.texts(), QStringList{"Opravdu ukončit program?"});
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(folder.read(QStringLiteral("chichotek.cfg")),
              QByteArray("0\r\n1\r\n1\r\n0\r\n1\r\n1\r\n"));

    services.setNextAnswer(true);
    w.Konec1->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(services.beeps, 2);
}

TEST_F(MainWindowTest, UnwritableSettingsAreReportedAndTheUserCanStillQuit)
{
    THLAVNI &w = start();
    w.show();
    QFile::remove(folder.absolute(QStringLiteral("chichotek.cfg")));
    folder.mkdir(QStringLiteral("chichotek.cfg"));
    services.setNextAnswer(true);
    w.close();
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("chichotek.cfg")));
    EXPECT_EQ(services.shown[1].text, QStringLiteral("Opravdu ukončit program?"));
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, LoadedBackgroundIsStoredAsABitmapForTheNextStart)
{
    QImage jpeg(40, 30, QImage::Format_RGB32);
    jpeg.fill(QColor(0, 0, 200));
    ASSERT_TRUE(jpeg.save(folder.absolute(QStringLiteral("obrazek.jpg")), "JPEG"));
    THLAVNI &w = start();
    w.Roz->trigger();

    services.setNextFileName(QString());
    w.Obrzek1->trigger();
    EXPECT_EQ(w.Pozadi->image().size(), QSize(8, 8));

    services.setNextFileName(folder.absolute(QStringLiteral("obrazek.jpg")));
    w.Obrzek1->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Nahraj obrázek....."));
    EXPECT_EQ(w.Pozadi->image().size(), QSize(40, 30));
    EXPECT_FALSE(w.Pozadi->stretch());
    EXPECT_TRUE(folder.read(QStringLiteral("pozadi.bmp")).startsWith("BM"));
    EXPECT_TRUE(services.shown.isEmpty());

    window.reset();
    THLAVNI &again = start();
    EXPECT_EQ(again.Pozadi->image().size(), QSize(40, 30));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(MainWindowTest, PictureThatCannotBeLoadedChangesNothing)
{
    folder.write(QStringLiteral("rozbity.jpg"), "not a picture");
    THLAVNI &w = start();
    const QByteArray before = folder.read(QStringLiteral("pozadi.bmp"));
    services.setNextFileName(folder.absolute(QStringLiteral("rozbity.jpg")));
    w.Obrzek1->trigger();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_EQ(w.Pozadi->image().size(), QSize(8, 8));
    EXPECT_EQ(folder.read(QStringLiteral("pozadi.bmp")), before);
}

TEST_F(MainWindowTest, EveryWindowIsCreatedOnceAndOnlyTheMainWindowShows)
{
    createWindows(folder.path());
    ASSERT_NE(HLAVNI, nullptr);
    const QList<QDialog *> dialogs = HLAVNI->findChildren<QDialog *>(Qt::FindDirectChildrenOnly);
    QStringList names;
    for (QDialog *d : dialogs) {
        names << QString::fromLatin1(d->metaObject()->className());
        EXPECT_FALSE(d->isVisible());
    }
    EXPECT_EQ(names, (QStringList{"TFormular", "TAboutBox", "TPlumoNasral", "TPridat", "TUpravit",
                                  "TUprava", "TPridat2", "TPresunOkno", "Tlook", "TCelkemVtipu",
                                  "TCelkemDetaily"}));
    destroyWindows();
}
