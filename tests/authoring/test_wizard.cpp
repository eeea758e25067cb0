#include "authoring/CopyAnimation.h"
#include "controls/picturebox.h"
#include "store/files.h"
#include "wizardfixture.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {

using WizardTest = WizardFixture;

const QString kExists = QStringLiteral("Databáze již existuje!!!");

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

// The text of a joke file as the rich-text reader gives it back.
QString jokeText(const QString &library, const QString &joke)
{
    QTextDocument document;
    if (!store::readRichText(store::DbPath::jokeFile(library, joke), &document))
        return QStringLiteral("<missing>");
    return document.toPlainText();
}

} // namespace

TEST_F(WizardTest, CreatesEveryFileOfTheLibraryByteForByte)
{
    fill(QStringLiteral("Zvířata"), QStringLiteral("Kroužek humoru"), QStringLiteral("2"),
         QStringLiteral("Vtipy o zvířatech.\nPro malé i velké."));
    passPassword(QStringLiteral("tajné heslo "));
    // Nothing is written before the timer's tick.
    EXPECT_FALSE(inDb(u"Zvířata"_qs));
    create();

    EXPECT_EQ(db(u"Zvířata.da1"_qs), ansi(QStringLiteral("Vtipy o zvířatech.⏎Pro malé i velké.")));
    EXPECT_EQ(db(u"Zvířata.da2"_qs), QByteArray("2"));
    EXPECT_EQ(db(u"Zvířata.da3"_qs), ansi(QStringLiteral("Kroužek humoru")));
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(QStringLiteral("tajné heslo ⏎")));
    EXPECT_EQ(db(u"Zvířata.vtp"_qs), ansi(QStringLiteral("Zvířata⏎")));
    EXPECT_EQ(db(u"seznam.dat"_qs), ansi(QStringLiteral("Zvířata⏎")));
    // An empty joke list, so that the library opens before it has any joke.
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), QByteArray(""));

    const QByteArray ico = db(u"Zvířata.ico"_qs);
    EXPECT_EQ(ico.size(), 766);
    EXPECT_EQ(ico, TFormular::defaultIconBytes());
    const store::Icon icon = store::iconFromBytes(ico);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.image.size(), QSize(32, 32));

    EXPECT_EQ(page(), TFormular::PageJokes);
    EXPECT_TRUE(wizard->Button1->isEnabled());
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(WizardTest, AppendsToTheListOfLibrariesAsATextBoxDoes)
{
    struct Case
    {
        QByteArray before;
        QString name;
        QByteArray after;
    };
    const Case cases[] = {
        {"", QStringLiteral("Prvni"), "Prvni\r\n"},
        {"Klasika\r\n", QStringLiteral("Druha"), "Klasika\r\nDruha\r\n"},
        {"Klasika", QStringLiteral("Treti"), "Klasika\r\nTreti"},
        {"Klasika\nSkola\n", QStringLiteral("Ctvrta"), "Klasika\r\nSkola\r\nCtvrta\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        folder.write(QStringLiteral("DataBase/seznam.dat"), c.before);
        wizard->hide();
        wizard->show();
        toJokesPage(c.name);
        EXPECT_EQ(db(u"seznam.dat"_qs), c.after);
    }
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(WizardTest, TheCreationRunsOnTheTimerAndCountBoxRulesApply)
{
    // A count box of three or more lines gets "0" as its third line; an empty
    // count gives an empty file.
    fill(QStringLiteral("Čísla"), QString(), QStringLiteral("1\n2\n3\n4\n"));
    passPassword();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page() == TFormular::PageJokes; }, 5000));
    EXPECT_EQ(db(u"Čísla.da2"_qs), QByteArray("1\r\n2\r\n0\r\n4\r\n"));
    EXPECT_EQ(db(u"Čísla.da3"_qs), QByteArray(""));
    EXPECT_EQ(db(u"Čísla.da4"_qs), QByteArray("\r\n"));
    EXPECT_FALSE(wizard->Timer1->isActive());
}

TEST_F(WizardTest, AnExistingFolderOrARefusedNameWritesNothing)
{
    folder.makeLibrary(QStringLiteral("Zvířata"), {QStringLiteral("Slon")});
    for (const QString &name :
         {QStringLiteral("Zvířata"), QStringLiteral("ZVÍŘATA"), QStringLiteral("zvířata"),
          QStringLiteral("Ano/Ne"), QStringLiteral("Proč?"), QStringLiteral("..")}) {
        SCOPED_TRACE(name.toStdString());
        const auto before = folder.snapshot();
        services.shown.clear();
        wizard->show();
        fill(name, QStringLiteral("Autor"), QStringLiteral("1"), QStringLiteral("Popis"));
        passPassword();
        create();
        EXPECT_EQ(services.texts(), QStringList{kExists});
        EXPECT_FALSE(wizard->isVisible());
        EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
        EXPECT_FALSE(wizard->Timer1->isActive());
        EXPECT_EQ(folder.snapshot(), before);
        EXPECT_EQ(services.beeps, 0); // closed without asking
    }
}

TEST_F(WizardTest, AFailingWriteIsReportedAndLeavesTheLibraryUnlisted)
{
    // The list of libraries cannot be read: every file but the listing is
    // written, and the failure is told as what it is.
    QFile::remove(folder.absolute(QStringLiteral("DataBase/seznam.dat")));
    fill(QStringLiteral("Zvířata"));
    passPassword();
    create();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("seznam.dat")));
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
    // No second tick to report the half-made library as an existing one.
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_FALSE(inDb(u"seznam.dat"_qs));
}

TEST_F(WizardTest, NameAndPasswordChecks)
{
    next();
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Musíte zadat název knihovny!!!")});
    EXPECT_EQ(page(), TFormular::PageData);
    // Spaces are a name.
    wizard->Nazev->setText(QStringLiteral("  "));
    next();
    EXPECT_EQ(page(), TFormular::PagePassword);
    EXPECT_FALSE(wizard->Button1->isEnabled());
    services.shown.clear();

    wizard->Heslo->setText(QStringLiteral("Heslo"));
    wizard->Potvrzeni->setText(QStringLiteral("heslo"));
    wizard->Porov->click();
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Hesla si neodpovídaj!!!")});
    EXPECT_FALSE(wizard->Button1->isEnabled());

    wizard->Potvrzeni->setText(QStringLiteral("Heslo"));
    wizard->Porov->click();
    EXPECT_TRUE(wizard->Button1->isEnabled());
    EXPECT_EQ(services.shown.size(), 1);
    // A later change is not compared again.
    wizard->Potvrzeni->setText(QStringLiteral("jiné"));
    EXPECT_TRUE(wizard->Button1->isEnabled());
}

TEST_F(WizardTest, ShowingThePasswordNeedsNoConfirmationAndCarriesOver)
{
    fill(QStringLiteral("Zvířata"));
    next();
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Password);
    wizard->Skryt->click();
    EXPECT_FALSE(wizard->Skryt->isChecked());
    EXPECT_EQ(wizard->Heslo->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(wizard->Button1->isEnabled());
    EXPECT_FALSE(wizard->Potvrzeni->isEnabled());
    EXPECT_FALSE(wizard->Porov->isEnabled());
    wizard->Heslo->setText(QStringLiteral("viditelné"));
    next();
    create();
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(QStringLiteral("viditelné⏎")));

    // The next run starts with the password shown, and the way on is to
    // tick and untick.
    wizard->hide();
    wizard->show();
    fill(QStringLiteral("Škola"));
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
}

TEST_F(WizardTest, ALoadedIconIsWrittenAsItsFileAndStaysForTheNextRun)
{
    QByteArray loaded = sampleIcon();
    folder.write(QStringLiteral("moje.ico"), loaded);
    folder.write(QStringLiteral("obrazek.ico"), "not an icon at all");
    services.setNextFileName(folder.absolute(QStringLiteral("obrazek.ico")));
    services.setNextFileName(folder.absolute(QStringLiteral("moje.ico")));
    wizard->Button2->click();
    // A file that is no icon is refused; the icon stays the built-in one.
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_EQ(services.shown[0].text,
              QStringLiteral("Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."));
    EXPECT_EQ(services.shown[1].kind, QStringLiteral("error"));
    EXPECT_EQ(wizard->icon().bytes, TFormular::defaultIconBytes());
    // A click on the picture opens the dialog too.
    QTest::mouseClick(wizard->Ikonka, Qt::LeftButton);
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(wizard->Ikonka->image().size(), QSize(32, 32));

    wizard->hide();
    wizard->show();
    fill(QStringLiteral("Zvířata"));
    passPassword();
    create();
    EXPECT_EQ(db(u"Zvířata.ico"_qs), loaded);
}

TEST_F(WizardTest, JokesAreListedAndWrittenAsTheyAreSelected)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎"_qs));
    addJoke(QStringLiteral("Žirafa"));
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎Žirafa⏎"_qs));
    EXPECT_EQ(wizard->Seznam->itemIndex(), -1);
    EXPECT_FALSE(wizard->Vtip->isEnabled());

    // The first selection only shows the joke.
    clickRow(0);
    EXPECT_EQ(wizard->Edit->text(), QStringLiteral("Slon"));
    EXPECT_TRUE(wizard->Vtip->isEnabled());
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));

    // Selecting it again does not reload it: it writes what the box holds.
    wizard->Vtip->setPlainText(QStringLiteral("Slon v porcelánu"));
    clickRow(0);
    EXPECT_EQ(jokeText(QStringLiteral("Zvířata"), QStringLiteral("Slon")),
              QStringLiteral("Slon v porcelánu"));

    // Another joke is loaded and written at once, empty as it is.
    clickRow(1);
    EXPECT_EQ(wizard->Edit->text(), QStringLiteral("Žirafa"));
    EXPECT_TRUE(wizard->Vtip->toPlainText().isEmpty());
    EXPECT_EQ(jokeText(QStringLiteral("Zvířata"), QStringLiteral("Žirafa")), QString());

    // Going on saves the joke being written.
    wizard->Vtip->setPlainText(QStringLiteral("Dlouhý krk"));
    next();
    EXPECT_EQ(jokeText(QStringLiteral("Zvířata"), QStringLiteral("Žirafa")),
              QStringLiteral("Dlouhý krk"));
    EXPECT_EQ(page(), TFormular::PageFinished);
    EXPECT_TRUE(services.shown.isEmpty());

    next();
    EXPECT_EQ(host.reloads, 1);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->Stav, TFormular::StavKonec);
    EXPECT_EQ(page(), TFormular::PageData);
}

TEST_F(WizardTest, MovingFromTheTextToTheListSavesTheJoke)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    addJoke(QStringLiteral("Žirafa"));
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
    clickRow(0);
    wizard->Vtip->setFocus();
    wizard->Vtip->setPlainText(QStringLiteral("Chobot"));
    // Before the click on the other joke loads it, the list takes the focus
    // and the joke being left is stored.
    clickRow(1);
    EXPECT_EQ(jokeText(QStringLiteral("Zvířata"), QStringLiteral("Slon")),
              QStringLiteral("Chobot"));
    EXPECT_EQ(wizard->Edit->text(), QStringLiteral("Žirafa"));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(WizardTest, RemovingAJoke)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    addJoke(QStringLiteral("Žirafa"));
    clickRow(0);
    clickRow(0); // writes Slon.vti
    ASSERT_TRUE(inDb(u"Zvířata/Slon.vti"_qs));

    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{QStringLiteral("Žirafa")});
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Žirafa⏎"_qs));
    EXPECT_FALSE(wizard->Vtip->isEnabled());
    EXPECT_EQ(wizard->Edit->text(), QStringLiteral("Slon"));
    EXPECT_TRUE(inDb(u"Zvířata/Slon.vti"_qs));

    // Nothing selected: nothing removed.
    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{QStringLiteral("Žirafa")});

    // A list that cannot be written keeps showing what its file holds.
    QDir(folder.absolute(QStringLiteral("DataBase/Zvířata"))).removeRecursively();
    clickRow(0);
    wizard->Button4->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{QStringLiteral("Žirafa")});
    ASSERT_FALSE(services.shown.isEmpty());
    EXPECT_EQ(services.shown.last().kind, QStringLiteral("error"));
}

TEST_F(WizardTest, AJokeThatCannotBeStoredStopsTheWizardWithTheError)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Proč?"));
    EXPECT_EQ(db(u"Zvířata/Vtipy.sez"_qs), ansi(u"Proč?⏎"_qs));
    clickRow(0);
    ASSERT_TRUE(wizard->Vtip->isEnabled());
    wizard->Vtip->setPlainText(QStringLiteral("Protože."));
    next();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("Proč?")));
    EXPECT_EQ(page(), TFormular::PageJokes);
}

TEST_F(WizardTest, ToolBarFormatsTheSelectionInOneUndoStep)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    clickRow(0);
    QTextEdit *vtip = wizard->Vtip;
    vtip->setPlainText(QStringLiteral("Ahoj světe"));
    vtip->document()->clearUndoRedoStacks();

    select(vtip, 0, 4);
    wizard->Tucne->click();
    EXPECT_TRUE(formatAt(vtip, 0).font().bold());
    EXPECT_FALSE(formatAt(vtip, 5).font().bold());
    EXPECT_TRUE(wizard->Tucne->isChecked());

    // A selection only partly bold becomes bold all through.
    select(vtip, 2, 10);
    EXPECT_FALSE(wizard->Tucne->isChecked());
    wizard->Tucne->click();
    EXPECT_TRUE(formatAt(vtip, 9).font().bold());
    // ...and bold all through, it loses it.
    wizard->Tucne->click();
    EXPECT_FALSE(formatAt(vtip, 2).font().bold());
    EXPECT_TRUE(formatAt(vtip, 1).font().bold());
    EXPECT_FALSE(wizard->Tucne->isChecked());

    wizard->Kurziva->click();
    wizard->podtrh->click();
    // The buttons follow the selection.
    select(vtip, 0, 1);
    EXPECT_TRUE(wizard->Tucne->isChecked());
    EXPECT_FALSE(wizard->Kurziva->isChecked() || wizard->podtrh->isChecked());

    select(vtip, 5, 10);
    wizard->VelikostPisma->setValue(14);
    EXPECT_EQ(formatAt(vtip, 6).fontPointSize(), 14);
    // One undo takes back one change.
    wizard->ToolButton1->click();
    EXPECT_NE(formatAt(vtip, 6).fontPointSize(), 14);
    EXPECT_TRUE(formatAt(vtip, 6).font().underline());
    wizard->ToolButton1->click();
    EXPECT_FALSE(formatAt(vtip, 6).font().underline());
    EXPECT_TRUE(formatAt(vtip, 6).font().italic());
}

TEST_F(WizardTest, FontDialogAppliesToTheSelectionAndShowsItsSize)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    clickRow(0);
    QTextEdit *vtip = wizard->Vtip;
    vtip->setPlainText(QStringLiteral("Ahoj světe"));
    select(vtip, 0, 4);

    QFont chosen(QStringLiteral("Courier New"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    services.setNextFont(platform::FontChoice{chosen, QColor(Qt::red)});
    wizard->SpeedButton1->click();
    const QTextCharFormat f = formatAt(vtip, 1);
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), QStringLiteral("Courier New"));
    EXPECT_EQ(f.fontPointSize(), 20);
    EXPECT_EQ(f.foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(wizard->Tucne->isChecked());
    EXPECT_EQ(wizard->VelikostPisma->value(), 16);    // within the box's range
    EXPECT_EQ(formatAt(vtip, 1).fontPointSize(), 20); // showing it changed nothing

    // Cancelled: the box shows the size of the text box's own font.
    services.setNextFont(std::nullopt);
    wizard->SpeedButton1->click();
    EXPECT_EQ(wizard->VelikostPisma->value(), 8);
    EXPECT_EQ(formatAt(vtip, 1).fontPointSize(), 20);
}

TEST_F(WizardTest, ANewRunStartsFresh)
{
    toJokesPage(QStringLiteral("Zvířata"));
    addJoke(QStringLiteral("Slon"));
    clickRow(0);
    wizard->Vtip->setPlainText(QStringLiteral("Text"));
    services.setNextAnswer(true);
    wizard->close();
    ASSERT_FALSE(wizard->isVisible());

    wizard->show();
    EXPECT_EQ(wizard->Stav, TFormular::StavBezi);
    EXPECT_EQ(page(), TFormular::PageData);
    EXPECT_TRUE(wizard->Nazev->text().isEmpty() && wizard->Edit->text().isEmpty());
    EXPECT_EQ(wizard->Seznam->count(), 0);
    EXPECT_FALSE(wizard->Vtip->isEnabled());
    EXPECT_TRUE(wizard->Vtip->toPlainText().isEmpty());
    // Closing never saves the open joke.
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
}

TEST_F(WizardTest, ClosingARunAsksFirst)
{
    const auto before = folder.snapshot();
    fill(QStringLiteral("Zvířata"));
    services.setNextAnswer(false);
    wizard->close();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Opravdu chcete ukončit průvodce?")});
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("confirm"));
    EXPECT_EQ(services.beeps, 1);

    // Escape is no way out, and Enter in a box no way on.
    QTest::keyClick(wizard->Nazev, Qt::Key_Escape);
    QTest::keyClick(wizard->Nazev, Qt::Key_Return);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(page(), TFormular::PageData);
    EXPECT_EQ(services.shown.size(), 1);

    services.setNextAnswer(true);
    wizard->close();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(services.beeps, 2);
    EXPECT_EQ(folder.snapshot(), before);
}

TEST_F(WizardTest, ReopeningDropsACreationLeftWaiting)
{
    fill(QStringLiteral("Zvířata"));
    passPassword();
    services.setNextAnswer(true);
    wizard->close();
    ASSERT_FALSE(wizard->isVisible());
    // Closing leaves the creation waiting; a new run must not take it over
    // with its own, still empty name.
    EXPECT_TRUE(wizard->Timer1->isActive());
    wizard->show();
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_FALSE(wizard->Animate1->isPlaying());
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Opravdu chcete ukončit průvodce?")});
}
