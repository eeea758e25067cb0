#include "controls/BLabel.h"
#include "support/mainwindowfixture.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QImageWriter>
#include <QMenu>
#include <QScrollBar>
#include <QSet>
#include <QSysInfo>
#include <QTextBlock>

namespace {

const QString kBroken = QStringLiteral("Knihovna je vadná!!! Doporučujeme odebrat!!!");
const QString kNoDescription = QStringLiteral("Nemohu načíst popis!!!");

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

// What the mode table sets: the mode, the button's caption, the widths of the
// list and the name box, the panels shown and the commands enabled.
QString modeState(const THLAVNI &w)
{
    QStringList state{QString::number(Rezim), w.Tlac->text(), QString::number(w.Seznam->width()),
                      QString::number(w.Edit->width())};
    for (QWidget *panel : std::initializer_list<QWidget *>{w.Popis, w.Vtip, w.Panel}) {
        if (!panel->isHidden())
            state << panel->objectName();
    }
    state << enabledOf({w.Vytvor, w.Uprav, w.Pridat, w.OdstrU, w.Odstr, w.Najit, w.Setrit, w.PrNah,
                        w.PrDol, w.celkovy, w.UlozVtip, w.Tisk, w.KopVtip});
    if (w.Presun->isEnabled())
        state << QStringLiteral("Presun");
    return state.join(u' ');
}

const QString kLibraryMode =
    QStringLiteral("1 Otevřít 185 185 Popis Vytvor Pridat Setrit PrNah PrDol celkovy Presun");

bool hasProgramIcon(const THLAVNI &w)
{
    return w.windowIcon().pixmap(32).toImage() == THLAVNI::programIcon().pixmap(32).toImage();
}

} // namespace

TEST_F(MainWindowTest, StartsInLibraryModeWithEveryWindowCreatedOnceAndWritesNoFile)
{
    const auto before = folder.snapshot();
    THLAVNI &w = startAll();
    EXPECT_EQ(folder.snapshot(), before);
    // Every window is created once; only the main window is to show.
    QStringList dialogs;
    for (QDialog *d : w.findChildren<QDialog *>(Qt::FindDirectChildrenOnly)) {
        dialogs << QString::fromLatin1(d->metaObject()->className());
        EXPECT_FALSE(d->isVisible());
    }
    EXPECT_EQ(dialogs, (QStringList{"TFormular", "TAboutBox", "TPlumoNasral", "TPridat", "TUpravit",
                                    "TUprava", "TPridat2", "TPresunOkno", "Tlook", "TCelkemVtipu",
                                    "TCelkemDetaily"}));
    EXPECT_TRUE(services.shown.isEmpty());
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_TRUE(SlozkaProgramu.endsWith(u'/') || SlozkaProgramu.endsWith(u'\\'));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Chichotek v 5.1"));
    EXPECT_EQ(w.centralWidget()->size(), QSize(359, 313));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ((QList{w.Seznam->geometry(), w.Edit->geometry(), w.Tlac->geometry(),
                     w.Popis->geometry(), w.Vtip->geometry()}),
              (QList{QRect(16, 16, 185, 238), QRect(16, 264, 185, 21), QRect(88, 288, 41, 17),
                     QRect(216, 24, 137, 177), QRect(160, 16, 193, 241)}));
    EXPECT_EQ(modeState(w), kLibraryMode);
    EXPECT_EQ(description(), QStringLiteral("||0|(Neznámý)"));
    EXPECT_EQ(enabledOf({w.Konec1, w.Publikovatknihovnu1, w.Psmo1, w.Tiskrny1, w.Obrzek1, w.Roz,
                         w.Centr, w.Oaplikaci1})
                  .size(),
              8);
}

TEST_F(MainWindowTest, StartUpAppliesTheSettingsLinesButStopsAtTheFirstFailingStep)
{
    // A missing line leaves its setting on.
    for (const QByteArray cfg : {"1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n", "0\r\n0\r\n0\r\n0\r\n0\r\n"}) {
        folder.write(QStringLiteral("chichotek.cfg"), cfg);
        EXPECT_EQ(settingsState(start()), cfg.startsWith('1') ? "111111" : "000001");
    }
    // A hidden button leaves its place; the others do not move.
    EXPECT_EQ(window->RychPismo->geometry(), QRect(73, 1, 25, 25));

    // Settings that turn everything off, so that applying them would show.
    // A folder without its picture (a DataBase copied alone) starts on the
    // window's plain ground, and says so once.
    folder.write(QStringLiteral("chichotek.cfg"), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    for (const auto &[missing, mode, listed] : {std::tuple{"chichotek.cfg", RezimKnihovny, 2},
                                                {"DataBase/seznam.dat", RezimKnihovny, 0},
                                                {"pozadi.bmp", RezimKnihovny, 2}}) {
        SCOPED_TRACE(missing);
        const QString file = QString::fromUtf8(missing);
        const QByteArray bytes = folder.read(file);
        QFile::remove(folder.absolute(file));
        services.shown.clear();
        THLAVNI &w = start();
        EXPECT_TRUE(oneError(QFileInfo(file).fileName()));
        EXPECT_EQ(Rezim, mode);
        EXPECT_EQ(w.Seznam->count(), listed);
        EXPECT_EQ(settingsState(w),
                  missing == QLatin1String("pozadi.bmp") ? "000000" : QStringLiteral("111111"));
        EXPECT_FALSE(w.Najit->isEnabled());
        folder.write(file, bytes);
    }
    // Neither picture nor settings: one message for both.
    QFile::remove(folder.absolute(QStringLiteral("pozadi.bmp")));
    QFile::remove(folder.absolute(QStringLiteral("chichotek.cfg")));
    ASSERT_TRUE(QDir().mkdir(folder.absolute(QStringLiteral("chichotek.cfg"))));
    services.shown.clear();
    EXPECT_EQ(start().Seznam->count(), 2);
    EXPECT_TRUE(oneError(QStringLiteral("pozadi.bmp")));
    EXPECT_TRUE(oneError(QStringLiteral("chichotek.cfg")));
    // In the unset mode (of a start that could not enter its folder) the
    // command returns to the library list.
    Rezim = RezimNone;
    window->Edit->setText(QStringLiteral("Zvířata"));
    window->Tlac->click();
    EXPECT_EQ(Rezim, RezimKnihovny);
    EXPECT_EQ(window->Seznam->count(), 2);
}

TEST_F(MainWindowTest, SelectingALibraryShowsItsDescriptionUpToTheFirstFailedLoad)
{
    THLAVNI &w = start();
    // Taking the focus selects nothing.
    w.show();
    w.activateWindow();
    w.Seznam->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(w.Edit->text().isEmpty());
    EXPECT_FALSE(w.Uprav->isEnabled());

    clickRow(1);
    EXPECT_EQ(description(), describing(QStringLiteral("Škola"), QStringLiteral("1")));
    EXPECT_EQ(w.Ikonka->image().size(), QSize(32, 32));
    EXPECT_EQ(enabledOf({w.Odstr, w.OdstrU, w.Uprav}).size(), 3);
    // The arrow keys select as a click does.
    key(Qt::Key_Up);
    EXPECT_EQ(description(), describing(QStringLiteral("Zvířata"), QStringLiteral("2")));
    EXPECT_TRUE(services.shown.isEmpty());

    // A file that cannot be loaded is reported once; the boxes from it on
    // keep what they had.
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Škola.da3")));
    clickRow(1);
    EXPECT_EQ(services.texts(), QStringList{kNoDescription});
    EXPECT_EQ(description(), QStringLiteral("Škola|Popis knihovny Škola|1|Autor Zvířata"));
    clickRow(1); // the same name again loads nothing again
    EXPECT_EQ(services.shown.size(), 1);
}

// Every line of a description that fits the box reads whole, from its first
// letter, without scrolling; a longer one scrolls with the bar.
TEST_F(MainWindowTest, DescriptionReadsFromTheLeftEdge)
{
    folder.write(
        QStringLiteral("DataBase/Škola.da1"),
        ansi(u"Vtipy o škole, učitelích, žácích, přestávkách a vysvědčení⏎Krátký řádek"_qs));
    THLAVNI &w = start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (int round = 0; round < 2; ++round) {
        clickRow(1);
        QApplication::processEvents();
        QTextEdit *box = w.PopisText;
        ASSERT_EQ(box->document()->blockCount(), 2);
        QScrollBar *bar = box->horizontalScrollBar();
        EXPECT_GT(bar->maximum(), bar->minimum()) << "the long line scrolls";
        EXPECT_EQ(bar->value(), bar->minimum());
        const QTextBlock shortLine = box->document()->lastBlock();
        QTextCursor at(shortLine);
        EXPECT_GE(box->cursorRect(at).left(), 0);
        at.movePosition(QTextCursor::EndOfBlock);
        EXPECT_LE(box->cursorRect(at).right(), box->viewport()->width());
        EXPECT_GE(box->cursorRect(QTextCursor(box->document()->firstBlock())).left(), 0);
        // The user scrolls away; the next showing starts at the left again.
        bar->setValue(bar->maximum());
        clickRow(0);
    }
}

TEST_F(MainWindowTest, OpeningAndClosingFollowTheModeTable)
{
    THLAVNI &w = start();
    // With an empty name the command only disables the removal.
    w.Odstr->setEnabled(true);
    w.OdstrU->setEnabled(true);
    w.OtevriAkce->trigger();
    EXPECT_EQ(modeState(w), kLibraryMode);

    openLibrary(0);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Slon", "Žirafa"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));
    EXPECT_EQ(modeState(w), QStringLiteral("2 Zavřít 137 137 Najit"));
    EXPECT_EQ(w.Kategorie, QStringLiteral("DataBase\\Zvířata\\"));
    EXPECT_EQ(w.PredOdchod, QStringLiteral("Zvířata"));
    EXPECT_FALSE(hasProgramIcon(w)); // the library's icon

    // Selecting a joke shows it with the quick panel.
    clickRow(0);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Slon"));
    EXPECT_EQ(w.Vtip->toPlainText(), QStringLiteral("Slon"));
    EXPECT_EQ(modeState(w),
              QStringLiteral("2 Zavřít 137 137 Vtip Panel Najit UlozVtip Tisk KopVtip"));

    w.Tlac->click();
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));
    EXPECT_EQ(modeState(w), kLibraryMode);
    EXPECT_EQ(w.Kategorie, QStringLiteral("."));
    EXPECT_TRUE(hasProgramIcon(w));
    EXPECT_TRUE(services.shown.isEmpty());

    // "Otevřít" at once reopens the library that was open.
    w.Tlac->click();
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(MainWindowTest, OpeningAndClosingAgainSetTheSameWindowIcons)
{
    // The X11 window asks every icon it is given for its pixmaps, and Qt's
    // pixmap cache keeps each under the key of that icon's own pixmap. Icons
    // made anew at every opening and closing would leave one more cached
    // pixmap behind each time; the same two icons leave two in all.
    THLAVNI &w = start();
    QSet<qint64> pixmaps;
    const auto windowAsks = [&] { pixmaps << w.windowIcon().pixmap(32).cacheKey(); };
    windowAsks();
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        openLibrary(0);
        windowAsks();
        EXPECT_FALSE(hasProgramIcon(w));
        w.Tlac->click();
        windowAsks();
        EXPECT_TRUE(hasProgramIcon(w));
    }
    EXPECT_EQ(pixmaps.size(), 2);

    // A library whose icon file changed shows the new picture.
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(QColor(0x20, 0x80, 0xC0));
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "ico").write(picture));
    folder.write(QStringLiteral("DataBase/Zvířata.ico"), ico);
    openLibrary(0);
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();
    EXPECT_EQ(w.windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32), picture);
}

TEST_F(MainWindowTest, BrokenLibraryFailsToOpenAndReturnsToTheList)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Zvířata/Vtipy.sez")));
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Škola.ico")));
    THLAVNI &w = start();
    // Without its joke list; without its icon, which its description reports.
    const QStringList expected[] = {{kBroken}, {kNoDescription, kBroken}};
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        services.shown.clear();
        openLibrary(row);
        EXPECT_EQ(services.texts(), expected[row]);
        EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
        EXPECT_EQ(w.Edit->text(), w.Seznam->item(row));
        EXPECT_EQ(modeState(w), kLibraryMode);
        EXPECT_TRUE(hasProgramIcon(w));
    }
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

TEST_F(MainWindowTest, EnterAndDoubleClickOpenEscapeAndDoubleClickClose)
{
    THLAVNI &w = start();
    clickRow(0);
    // Each key works only in its mode.
    for (const auto &[k, mode] : {std::pair{Qt::Key_Escape, RezimKnihovny},
                                  {Qt::Key_Return, RezimVtipy},
                                  {Qt::Key_Return, RezimVtipy},
                                  {Qt::Key_Escape, RezimKnihovny}}) {
        key(k);
        EXPECT_EQ(Rezim, mode) << k;
    }
    clickRow(1, true);
    EXPECT_EQ(Rezim, RezimVtipy);
    EXPECT_EQ(w.PredOdchod, QStringLiteral("Škola"));
    clickRow(0);
    EXPECT_EQ(w.Vtip->toPlainText(), QStringLiteral("Ťukání"));
    clickRow(0, true);
    EXPECT_EQ(Rezim, RezimKnihovny);
}

TEST_F(MainWindowTest, ClosingSavesTheSettingsBeforeAskingEvenOnCancelOrFailure)
{
    THLAVNI &w = start();
    w.show();
    w.Roz->trigger();
    w.ZobTisk->trigger();
    EXPECT_EQ(settingsState(w), QStringLiteral("011011"));
    services.setNextAnswer(false);
    w.Konec1->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(services.texts(), QStringList{"Opravdu ukončit program?"});
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(folder.read(QStringLiteral("chichotek.cfg")),
              QByteArray("0\r\n1\r\n1\r\n0\r\n1\r\n1\r\n"));

    // Settings that cannot be written are reported, and the user can quit.
    QFile::remove(folder.absolute(QStringLiteral("chichotek.cfg")));
    folder.mkdir(QStringLiteral("chichotek.cfg"));
    services.shown.clear();
    services.setNextAnswer(true);
    w.close();
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("chichotek.cfg")));
    EXPECT_EQ(services.shown[1].text, QStringLiteral("Opravdu ukončit program?"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(services.beeps, 2);
}

TEST_F(MainWindowTest, LoadedBackgroundIsStoredAsABitmapForTheNextStart)
{
    QImage jpeg(40, 30, QImage::Format_RGB32);
    jpeg.fill(QColor(0, 0, 200));
    ASSERT_TRUE(jpeg.save(folder.absolute(QStringLiteral("obrazek.jpg")), "JPEG"));
    folder.write(QStringLiteral("rozbity.jpg"), "not a picture");
    const QByteArray bitmap = folder.read(QStringLiteral("pozadi.bmp"));
    THLAVNI &w = start();
    w.Roz->trigger();

    // Cancelled, or a file that is no picture: nothing changes.
    services.setNextFileName(QString());
    services.setNextFileName(folder.absolute(QStringLiteral("rozbity.jpg")));
    w.Obrzek1->trigger();
    w.Obrzek1->trigger();
    EXPECT_TRUE(oneError());
    EXPECT_EQ(w.Pozadi->image().size(), QSize(8, 8));
    EXPECT_EQ(folder.read(QStringLiteral("pozadi.bmp")), bitmap);

    services.shown.clear();
    services.setNextFileName(folder.absolute(QStringLiteral("obrazek.jpg")));
    w.Obrzek1->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 3);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Nahraj obrázek....."));
    EXPECT_EQ(w.Pozadi->image().size(), QSize(40, 30));
    EXPECT_FALSE(w.Pozadi->stretch());
    EXPECT_TRUE(folder.read(QStringLiteral("pozadi.bmp")).startsWith("BM"));
    EXPECT_TRUE(services.shown.isEmpty());

    window.reset();
    EXPECT_EQ(start().Pozadi->image().size(), QSize(40, 30));
    EXPECT_TRUE(services.shown.isEmpty());
}

// What saves cut short left beside the files goes when the program starts
// after a program that did not end (its lock is still there): the program's
// own temporary files, and nothing of the user's that looks like them.
TEST_F(MainWindowTest, StartAfterAKillRemovesLeftoversOfCutSaves)
{
    folder.write(QStringLiteral("chichotek.lock"),
                 "999999999\nchichotek\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    folder.write(QStringLiteral("DataBase/.chichotek-k9Xy2Q"), "");
    folder.write(QStringLiteral("DataBase/Zvířata/.chichotek-AbCdEf"), "{\\rtf1 poloviční");
    const QStringList users = {u"DataBase/seznam.dat.zaloha"_qs, u"DataBase/Vtipy.sez.backup"_qs,
                               u"DataBase/Zvířata.da1.kopie1"_qs, u"DataBase/seznam.dat.k9Xy2Q"_qs,
                               u"DataBase/Zvířata/Slon.vti.AbCdEf"_qs};
    for (const QString &file : users)
        folder.write(file, "moje");
    start();
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/.chichotek-k9Xy2Q")));
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/Zvířata/.chichotek-AbCdEf")));
    for (const QString &file : users)
        EXPECT_EQ(folder.read(file), QByteArray("moje")) << file.toStdString();
}

// A second window on the same program folder asks: read only, or quit. Read
// only, no command writes and nothing is written, also at closing; a lock
// left by a program that is gone is taken over; another folder is free.
TEST_F(MainWindowTest, SecondWindowOnOneDatabaseOnlyReadsOrQuits)
{
    THLAVNI &first = start();
    EXPECT_FALSE(first.readOnly());
    EXPECT_TRUE(services.shown.isEmpty());

    services.setNextButton(platform::No);
    THLAVNI quitting(folder.path());
    EXPECT_TRUE(quitting.quitAtOnce());
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("jiném okně")));

    services.setNextButton(platform::Yes);
    THLAVNI second(folder.path());
    EXPECT_FALSE(second.quitAtOnce());
    EXPECT_TRUE(second.readOnly());
    EXPECT_TRUE(second.windowTitle().contains(QStringLiteral("jen pro čtení")));
    EXPECT_EQ(second.Seznam->count(), 2) << "it shows the database";
    const auto before = folder.snapshot();
    const QAction *writers[] = {second.Vytvor, second.Uprav, second.Pridat,
                                second.OdstrU, second.Odstr, second.Setrit,
                                second.PrNah,  second.PrDol, second.Obrzek1};
    // Selecting a library enables the removal commands elsewhere; not here.
    second.Edit->setText(QStringLiteral("Škola"));
    second.SeznamClick();
    for (const QAction *writer : writers)
        EXPECT_FALSE(writer->isEnabled()) << writer->objectName().toStdString();
    services.shown.clear();
    services.setNextAnswer(true);
    EXPECT_TRUE(second.FormCloseQuery());
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Opravdu ukončit program?")});
    EXPECT_EQ(folder.snapshot(), before);
}

TEST_F(MainWindowTest, LockOfAProgramThatIsGoneIsTakenOver)
{
    // The lock as a program that crashed left it: its process is gone.
    folder.write(QStringLiteral("chichotek.lock"),
                 "999999999\nchichotek\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    THLAVNI &w = start();
    EXPECT_FALSE(w.readOnly());
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();

    TestFolder other;
    other.makeProgramFolder();
    THLAVNI elsewhere(other.path());
    EXPECT_FALSE(elsewhere.readOnly());
    EXPECT_TRUE(services.shown.isEmpty());
    QDir::setCurrent(folder.path());
}

// Qt's own dialogs and menus are Czech whatever the system's language.
TEST(Application, QtsOwnTextsAreCzech)
{
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Otevřít"));
    EXPECT_EQ(QCoreApplication::translate("QWidgetTextControl", "&Copy"),
              QStringLiteral("&Kopírovat"));
}
