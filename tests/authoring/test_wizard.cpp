#include "authoring/CopyAnimation.h"
#include "controls/picturebox.h"
#include "wizardfixture.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>

namespace {

using WizardTest = WizardFixture;

// The format of the character at `position` of the box's text.
QTextCharFormat formatAt(QTextEdit *box, int position)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

void select(QTextEdit *box, int from, int to)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

} // namespace

TEST_F(WizardTest, CreatesEveryFileOfTheLibraryByteForByte)
{
    fill(u"Zvířata"_qs, u"Kroužek humoru"_qs, u"2"_qs, u"Vtipy o zvířatech.\nPro malé i velké."_qs);
    passPassword(u"tajné heslo "_qs);
    EXPECT_FALSE(inDb(u"Zvířata"_qs)) << "nothing is written before the timer's tick";
    create();

    EXPECT_EQ(db(u"Zvířata.da1"_qs), ansi(u"Vtipy o zvířatech.⏎Pro malé i velké."_qs));
    EXPECT_EQ(db(u"Zvířata.da2"_qs), QByteArray("2"));
    EXPECT_EQ(db(u"Zvířata.da3"_qs), ansi(u"Kroužek humoru"_qs));
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(u"tajné heslo ⏎"_qs));
    EXPECT_EQ(db(u"Zvířata.vtp"_qs), ansi(u"Zvířata⏎"_qs));
    EXPECT_EQ(db(u"seznam.dat"_qs), ansi(u"Zvířata⏎"_qs));
    // An empty joke list, so that the library opens before it has any joke.
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), QByteArray(""));

    const QByteArray ico = db(u"Zvířata.ico"_qs);
    EXPECT_EQ(ico.size(), 766);
    EXPECT_EQ(ico, TFormular::defaultIconBytes());
    const store::Icon icon = store::iconFromBytes(ico);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.image.size(), QSize(32, 32));
}

TEST_F(WizardTest, AppendsToTheListOfLibrariesAsATextBoxDoesOnTheTimersTick)
{
    const std::tuple<QByteArray, QString, QByteArray> cases[] = {
        {"Klasika\r\n", u"Druha"_qs, "Klasika\r\nDruha\r\n"},
        {"Klasika", u"Treti"_qs, "Klasika\r\nTreti"},
        {"Klasika\nSkola\n", u"Ctvrta"_qs, "Klasika\r\nSkola\r\nCtvrta\r\n"},
    };
    for (const auto &[before, name, after] : cases) {
        SCOPED_TRACE(name.toStdString());
        folder.write(u"DataBase/seznam.dat"_qs, before);
        wizard->hide();
        wizard->show();
        // A count of three or more lines gets "0" as its third line; no
        // author gives an empty file, two empty passwords a line break.
        fill(name, QString(), u"1\n2\n3\n4\n"_qs);
        passPassword();
        ASSERT_TRUE(QTest::qWaitFor([&] { return page() == TFormular::PageJokes; }, 5000));
        EXPECT_FALSE(wizard->Timer1->isActive());
        EXPECT_EQ(db(u"seznam.dat"_qs), after);
        EXPECT_EQ(db(name + u".da2"_qs), QByteArray("1\r\n2\r\n0\r\n4\r\n"));
        EXPECT_EQ(db(name + u".da3"_qs), QByteArray(""));
        EXPECT_EQ(db(name + u".da4"_qs), QByteArray("\r\n"));
    }
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(WizardTest, AnExistingFolderOrARefusedNameWritesNothing)
{
    folder.makeLibrary(u"Zvířata"_qs, {u"Slon"_qs});
    for (const QString &name :
         {u"Zvířata"_qs, u"ZVÍŘATA"_qs, u"zvířata"_qs, u"Ano/Ne"_qs, u"Proč?"_qs, u".."_qs}) {
        SCOPED_TRACE(name.toStdString());
        const auto before = folder.snapshot();
        services.shown.clear();
        wizard->show();
        fill(name, u"Autor"_qs, u"1"_qs, u"Popis"_qs);
        passPassword();
        create();
        EXPECT_EQ(services.texts(), QStringList{u"Databáze již existuje!!!"_qs});
        EXPECT_FALSE(wizard->isVisible());
        EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
        EXPECT_FALSE(wizard->Timer1->isActive());
        EXPECT_EQ(folder.snapshot(), before);
        EXPECT_EQ(services.beeps, 0); // closed without asking
    }
}

TEST_F(WizardTest, AFailingWriteIsReportedAndTheNextTickEndsTheRun)
{
    // Every file but the list of libraries is written; the failure is told,
    // and the run goes on to the timer's next tick, which finds the folder.
    QFile::remove(folder.absolute(u"DataBase/seznam.dat"_qs));
    fill(u"Zvířata"_qs);
    passPassword();
    bool tickingUnderTheError = true;
    services.whenShown = [&](const FakeServices::Shown &) {
        tickingUnderTheError = wizard->Timer1->isActive();
    };
    create();
    EXPECT_TRUE(oneError(services, u"seznam.dat"_qs));
    EXPECT_FALSE(tickingUnderTheError) << "no tick may come while the error is shown";
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(page(), TFormular::PageCreation);
    ASSERT_TRUE(wizard->Timer1->isActive());
    EXPECT_EQ(wizard->Timer1->interval(), 1200);

    create();
    EXPECT_EQ(services.texts(),
              (QStringList{services.shown[0].text, u"Databáze již existuje!!!"_qs}));
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_EQ(services.beeps, 0); // closed without asking
    EXPECT_FALSE(inDb(u"seznam.dat"_qs));
    EXPECT_TRUE(inDb(u"Zvířata.da1"_qs));
}

TEST_F(WizardTest, NameAndPasswordChecks)
{
    next();
    EXPECT_EQ(services.texts(), QStringList{u"Musíte zadat název knihovny!!!"_qs});
    EXPECT_EQ(page(), TFormular::PageData);
    wizard->Nazev->setText(u"  "_qs); // spaces are a name
    next();
    EXPECT_EQ(page(), TFormular::PagePassword);
    EXPECT_FALSE(wizard->Button1->isEnabled());
    services.shown.clear();

    wizard->Heslo->setText(u"Heslo"_qs);
    wizard->Potvrzeni->setText(u"heslo"_qs);
    wizard->Porov->click();
    EXPECT_EQ(services.texts(), QStringList{u"Hesla si neodpovídaj!!!"_qs});
    EXPECT_FALSE(wizard->Button1->isEnabled());

    wizard->Potvrzeni->setText(u"Heslo"_qs);
    wizard->Porov->click();
    EXPECT_TRUE(wizard->Button1->isEnabled());
    EXPECT_EQ(services.shown.size(), 1);
    // A later change is not compared again.
    wizard->Potvrzeni->setText(u"jiné"_qs);
    EXPECT_TRUE(wizard->Button1->isEnabled());
}

TEST_F(WizardTest, ALoadedIconAndAShownPasswordAreWrittenAndCarryOverToTheNextRun)
{
    folder.write(u"moje.ico"_qs, sampleIcon());
    folder.write(u"obrazek.ico"_qs, "not an icon at all");
    services.setNextFileName(folder.absolute(u"obrazek.ico"_qs));
    services.setNextFileName(folder.absolute(u"moje.ico"_qs));
    wizard->Button2->click();
    // A file that is no icon is refused; the icon stays the built-in one.
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_EQ(services.shown[0].text, u"Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."_qs);
    EXPECT_EQ(services.shown[1].kind, u"error"_qs);
    EXPECT_EQ(wizard->icon().bytes, TFormular::defaultIconBytes());
    // A click on the picture opens the dialog too.
    QTest::mouseClick(wizard->Ikonka, Qt::LeftButton);
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(wizard->Ikonka->image().size(), QSize(32, 32));

    // With the password in sight no confirmation is needed.
    fill(u"Zvířata"_qs);
    next();
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Password);
    wizard->Skryt->click();
    EXPECT_FALSE(wizard->Skryt->isChecked());
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(wizard->Button1->isEnabled());
    EXPECT_FALSE(wizard->Potvrzeni->isEnabled() || wizard->Porov->isEnabled());
    wizard->Heslo->setText(u"viditelné"_qs);
    next();
    create();
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(u"viditelné⏎"_qs));
    EXPECT_EQ(db(u"Zvířata.ico"_qs), sampleIcon());

    // The next run starts with the password shown, the way on being to tick
    // and untick, and with the icon loaded.
    wizard->hide();
    wizard->show();
    fill(u"Škola"_qs);
    next();
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(wizard->Heslo->text().isEmpty());
    EXPECT_FALSE(wizard->Button1->isEnabled());
    wizard->Skryt->click();
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(wizard->Potvrzeni->isEnabled());
    EXPECT_FALSE(wizard->Button1->isEnabled());
    wizard->Skryt->click();
    EXPECT_TRUE(wizard->Button1->isEnabled());
    next();
    create();
    EXPECT_EQ(db(u"Škola.ico"_qs), sampleIcon());
}

TEST_F(WizardTest, JokesAreListedAndWrittenAsTheyAreSelected)
{
    toJokesPage({u"Slon"_qs});
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎"_qs));
    addJoke(u"Žirafa"_qs);
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎Žirafa⏎"_qs));
    EXPECT_EQ(view(), u"-1||off|"_qs);
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));

    // The first selection only shows the joke.
    clickRow(0);
    EXPECT_EQ(view(), u"0|Slon|on|"_qs);
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
    // Selecting it again does not reload it: it writes what the box holds.
    retype(wizard->Vtip, u"Slon v porcelánu"_qs);
    clickRow(0);
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Slon v porcelánu"_qs);

    // Going from the text into the list stores the joke being left, before
    // the click loads another, which gets no file until it is written.
    wizard->Vtip->setFocus();
    retype(wizard->Vtip, u"Chobot"_qs);
    clickRow(1);
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Chobot"_qs);
    EXPECT_EQ(view(), u"1|Žirafa|on|"_qs);
    EXPECT_FALSE(inDb(u"Zvířata/Žirafa.vti"_qs));

    // Going on saves the joke being written.
    retype(wizard->Vtip, u"Dlouhý krk"_qs);
    next();
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Žirafa"_qs), u"Dlouhý krk"_qs);
    EXPECT_EQ(page(), TFormular::PageFinished);
    EXPECT_TRUE(services.shown.isEmpty());

    next();
    EXPECT_EQ(host.reloads, 1);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
    EXPECT_EQ(page(), TFormular::PageData);
}

// The list may get the focus with the window coming back to the front (after
// the "Písmo..." dialog, or from another window): that is no move of the
// user's into the list, but the joke being left is written all the same
// before another one is loaded.
TEST_F(WizardTest, AnEditIsWrittenBeforeAnotherJokeWhateverWayTheListGotTheFocus)
{
    toJokesPage({u"Slon"_qs, u"Žirafa"_qs});
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
    clickRow(0);
    QTest::mouseClick(wizard->Vtip->viewport(), Qt::LeftButton);
    QTest::keyClicks(wizard->Vtip, u"Chobot"_qs);
    services.setNextFont(std::nullopt);
    wizard->SpeedButton1->click();
    wizard->Seznam->setFocus(Qt::ActiveWindowFocusReason);
    clickRow(1);
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Chobot"_qs);
    EXPECT_EQ(view(), u"1|Žirafa|on|"_qs);
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(WizardTest, RemovingAJokeAndJokesThatCannotBeStored)
{
    toJokesPage({u"Slon"_qs, u"Žirafa"_qs});
    clickRow(0);
    retype(wizard->Vtip, u"Chobot"_qs);
    clickRow(0); // writes Slon.vti
    ASSERT_TRUE(inDb(u"Zvířata/Slon.vti"_qs));

    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{u"Žirafa"_qs});
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Žirafa⏎"_qs));
    EXPECT_EQ(view(), u"-1|Slon|off|Chobot"_qs);
    EXPECT_TRUE(inDb(u"Zvířata/Slon.vti"_qs));

    // Nothing selected: nothing removed.
    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{u"Žirafa"_qs});

    // A joke that cannot be stored stops the wizard with the error.
    addJoke(u"Proč?"_qs);
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Žirafa⏎Proč?⏎"_qs));
    clickRow(1);
    ASSERT_TRUE(wizard->Vtip->isEnabled());
    retype(wizard->Vtip, u"Protože."_qs);
    next();
    EXPECT_TRUE(oneError(services, u"Proč?"_qs));
    EXPECT_EQ(page(), TFormular::PageJokes);

    // A list that cannot be written keeps showing what its file holds.
    QDir(folder.absolute(u"DataBase/Zvířata"_qs)).removeRecursively();
    clickRow(1);
    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), (QStringList{u"Žirafa"_qs, u"Proč?"_qs}));
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_EQ(services.shown.last().kind, u"error"_qs);
}

TEST_F(WizardTest, ToolBarAndFontDialogFormatTheSelectionAndANewRunStartsFresh)
{
    toJokesPage({u"Slon"_qs});
    clickRow(0);
    QTextEdit *vtip = wizard->Vtip;
    vtip->setPlainText(u"Ahoj světe"_qs);
    vtip->document()->clearUndoRedoStacks();
    const auto buttons = [&] {
        return down("BIU", {wizard->Tucne, wizard->Kurziva, wizard->podtrh});
    };

    select(vtip, 0, 4);
    wizard->Tucne->click();
    EXPECT_TRUE(formatAt(vtip, 0).font().bold());
    EXPECT_FALSE(formatAt(vtip, 5).font().bold());
    EXPECT_EQ(buttons(), u"B"_qs);
    // A selection partly bold becomes bold all through; then loses it.
    select(vtip, 2, 10);
    EXPECT_EQ(buttons(), QString());
    wizard->Tucne->click();
    EXPECT_TRUE(formatAt(vtip, 9).font().bold());
    wizard->Tucne->click();
    EXPECT_FALSE(formatAt(vtip, 2).font().bold());
    EXPECT_TRUE(formatAt(vtip, 1).font().bold());
    EXPECT_EQ(buttons(), QString());
    wizard->Kurziva->click();
    wizard->podtrh->click();
    select(vtip, 0, 1);
    EXPECT_EQ(buttons(), u"B"_qs);

    // One undo takes back one change.
    select(vtip, 5, 10);
    wizard->VelikostPisma->setValue(13); // as the program sets it: nothing applied
    EXPECT_NE(formatAt(vtip, 6).fontPointSize(), 13);
    wizard->VelikostPisma->stepUp();
    EXPECT_EQ(formatAt(vtip, 6).fontPointSize(), 14);
    wizard->ToolButton1->click();
    EXPECT_NE(formatAt(vtip, 6).fontPointSize(), 14);
    EXPECT_EQ(styles(formatAt(vtip, 6)), u"IU"_qs);
    wizard->ToolButton1->click();
    EXPECT_EQ(styles(formatAt(vtip, 6)), u"I"_qs);

    // The font dialog: a size beyond the box's range shows as 16, and
    // showing it changes nothing.
    select(vtip, 0, 4);
    QFont chosen(u"Courier New"_qs);
    chosen.setPointSize(20);
    chosen.setBold(true);
    services.setNextFont(platform::FontChoice{chosen, QColor(Qt::red)});
    wizard->SpeedButton1->click();
    const QTextCharFormat f = formatAt(vtip, 1);
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), u"Courier New"_qs);
    EXPECT_EQ(f.foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(wizard->Tucne->isChecked());
    EXPECT_EQ(wizard->VelikostPisma->value(), 16);
    EXPECT_EQ(formatAt(vtip, 1).fontPointSize(), 20);
    // Cancelled: the box shows the size of the text box's own font.
    services.setNextFont(std::nullopt);
    wizard->SpeedButton1->click();
    EXPECT_EQ(wizard->VelikostPisma->value(), 8);
    EXPECT_EQ(formatAt(vtip, 1).fontPointSize(), 20);

    // Closed, and opened again: a new run starts fresh; the joke being
    // written was kept.
    services.setNextAnswer(true);
    wizard->close();
    ASSERT_FALSE(wizard->isVisible());
    wizard->show();
    EXPECT_EQ(wizard->Stav, TFormular::StavBezi);
    EXPECT_EQ(page(), TFormular::PageData);
    EXPECT_TRUE(wizard->Nazev->text().isEmpty());
    EXPECT_EQ(wizard->Seznam->count(), 0);
    EXPECT_EQ(view(), u"-1||off|"_qs);
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Ahoj světe"_qs);
}

TEST_F(WizardTest, ClosingARunAsksFirstAndDropsACreationLeftWaiting)
{
    const auto before = folder.snapshot();
    fill(u"Zvířata"_qs);
    services.setNextAnswer(false);
    wizard->close();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(services.texts(), QStringList{u"Opravdu chcete ukončit průvodce?"_qs});
    EXPECT_EQ(services.shown[0].kind, u"confirm"_qs);
    EXPECT_EQ(services.beeps, 1);

    // Escape is no way out, and Enter in a box no way on.
    QTest::keyClick(wizard->Nazev, Qt::Key_Escape);
    QTest::keyClick(wizard->Nazev, Qt::Key_Return);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(page(), TFormular::PageData);
    EXPECT_EQ(services.shown.size(), 1);

    passPassword();
    services.setNextAnswer(true);
    wizard->close();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(services.beeps, 2);
    EXPECT_EQ(folder.snapshot(), before);
    // The creation is left waiting; a new run must not take it over with its
    // own, still empty name.
    EXPECT_TRUE(wizard->Timer1->isActive());
    wizard->show();
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_FALSE(wizard->Animate1->isPlaying());
    EXPECT_EQ(services.shown.size(), 2);
}

// A joke being written when the window is closed (its close button, the
// window manager) is kept, as going to another joke keeps it, and the
// question says so; one that cannot be stored keeps the window open.
TEST_F(WizardTest, ClosingTheWindowKeepsTheJokeBeingWritten)
{
    toJokesPage({u"Slon"_qs, u"Proč?"_qs});
    clickRow(0);
    retype(wizard->Vtip, u"Chobot"_qs);
    services.setNextAnswer(false);
    wizard->close();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(u"„Slon“ se před ukončením uloží"_qs))
        << services.shown[0].text.toStdString();

    clickRow(1);
    retype(wizard->Vtip, u"Protože."_qs);
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Chobot"_qs);
    services.setNextAnswer(true);
    wizard->close();
    EXPECT_TRUE(wizard->isVisible()) << "a joke that cannot be stored keeps the window open";
    EXPECT_TRUE(services.shown.last().kind == u"error"_qs);

    clickRow(1);
    retype(wizard->Vtip, QString());
    wizard->Button4->click();
    clickRow(0);
    retype(wizard->Vtip, u"Chobot a chobot"_qs);
    services.setNextAnswer(true);
    wizard->close();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(jokeText(u"Zvířata"_qs, u"Slon"_qs), u"Chobot a chobot"_qs);
}
