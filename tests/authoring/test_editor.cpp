#include "editorfixture.h"

#include "authoring/Unit8.h"
#include "controls/picturebox.h"

#include <QClipboard>
#include <QFile>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextList>
#include <QToolButton>

namespace {

const QByteArray kFormatted =
    "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
    "\\pard\\f0\\fs20 obycejny \\b tucny\\b0  \\i\\ul sikmy\\i0\\ulnone\\par\r\n"
    "\\pard\\qr vpravo\\par\r\n\\pard\\qc na stred\\par\r\n}\r\n";

class EditorTest : public EditorFixture
{
protected:
    // Selects the first occurrence of `text` in the joke text.
    void select(const QString &text)
    {
        QTextCursor found = editor->Vtip->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        editor->Vtip->setTextCursor(found);
    }
    QTextCharFormat formatOf(const QString &text)
    {
        QTextCursor found = editor->Vtip->document()->find(text);
        QTextCursor at(editor->Vtip->document());
        at.setPosition(found.selectionStart() + 1);
        return at.charFormat();
    }
    QTextBlock blockOf(const QString &text) { return editor->Vtip->document()->find(text).block(); }
    ListBox *list() { return editor->Seznam; }
};

TEST_F(EditorTest, OpensOnTheLibraryWithNoJokeOpenAndCountsItsJokes)
{
    folder.write(QStringLiteral("DataBase/Zvířata.da2"), "7\r\n");
    open();
    EXPECT_EQ(editor->PageControl1->currentWidget(), editor->TabSheet4);
    EXPECT_EQ(list()->items(), QStringList({u"Slon"_qs, u"Žirafa"_qs, u"Opice"_qs}));
    EXPECT_EQ(list()->itemIndex(), -1);
    EXPECT_TRUE(editor->Edit->text().isEmpty());
    EXPECT_FALSE(editor->Vtip->isEnabled());
    EXPECT_TRUE(editor->Vtip->document()->isEmpty());
    EXPECT_FALSE(editor->Presun->isEnabled());
    EXPECT_EQ(file(u"Zvířata.da2"_qs), "3\r\n");
    EXPECT_EQ(editor->PocPod->toPlainText(), u"3"_qs);
}

TEST_F(EditorTest, TextIsWrittenWhenTheListIsEnteredAndTheNextJokeLoaded)
{
    open();
    const QByteArray slon = jokeFile(u"Slon"_qs);
    clickRow(list(), 0);
    EXPECT_EQ(jokeFile(u"Slon"_qs), slon) << "the first selection writes nothing";
    EXPECT_TRUE(editor->Vtip->isEnabled());
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Slon"_qs);
    EXPECT_TRUE(editor->Presun->isEnabled());

    type(QStringLiteral(" a dost"));
    // Going from the text to the list writes it, before any selection.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(70, 170));
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost"_qs);
    EXPECT_EQ(editor->Edit->text(), u"Slon"_qs);

    type(QStringLiteral(" a dost"));
    clickRow(list(), 1);
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost a dost"_qs);
    EXPECT_EQ(editor->Edit->text(), u"Žirafa"_qs);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa"_qs);

    // Selecting the open joke again keeps and writes its edited text.
    type(QStringLiteral("!"));
    clickRow(list(), 1);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa!"_qs);
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa!"_qs);
}

TEST_F(EditorTest, AJokeNotWrittenYetGetsItsFileAtItsSecondSelection)
{
    open();
    clickRow(list(), 2);
    EXPECT_TRUE(editor->Vtip->isEnabled());
    EXPECT_TRUE(editor->Vtip->document()->isEmpty());
    EXPECT_FALSE(folder.exists(u"DataBase/Zvířata/Opice.vti"_qs));
    clickRow(list(), 2);
    EXPECT_EQ(jokeText(u"Opice"_qs), QString());
}

TEST_F(EditorTest, CountFollowsClicksButNotAdding)
{
    open();
    TPridat2 prompt(&host, nullptr);
    Pridat2 = &prompt;
    whenModal(&prompt, [&] {
        prompt.JmenoVtipu->setText(u"Nový"_qs);
        prompt.Button2->click();
    });
    editor->Button3->click();
    Pridat2 = nullptr;
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Nový⏎"_qs));
    EXPECT_EQ(list()->itemIndex(), -1);
    EXPECT_EQ(file(u"Zvířata.da2"_qs), "3\r\n");
    EXPECT_EQ(editor->PocPod->toPlainText(), u"3"_qs);

    clickRow(list(), 3);
    EXPECT_EQ(file(u"Zvířata.da2"_qs), "4\r\n");
    EXPECT_EQ(editor->PocPod->toPlainText(), u"4"_qs);
}

TEST_F(EditorTest, RemovingDeletesTheJokeFileAndClosesItsText)
{
    open();
    clickRow(list(), 0);
    editor->Button4->click();
    EXPECT_FALSE(folder.exists(u"DataBase/Zvířata/Slon.vti"_qs));
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎Opice⏎"_qs));
    EXPECT_EQ(list()->itemIndex(), -1);
    EXPECT_FALSE(editor->Vtip->isEnabled());
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Slon"_qs);
    EXPECT_EQ(editor->Edit->text(), u"Slon"_qs);
    EXPECT_EQ(file(u"Zvířata.da2"_qs), "3\r\n") << "the count waits for the next click";
}

TEST_F(EditorTest, RemovingOneOfTwoEntriesOfTheSameNameKeepsTheirFile)
{
    folder.write(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Žirafa⏎slon⏎"_qs));
    open();
    clickRow(list(), 2);
    editor->Button4->click();
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎"_qs));
    EXPECT_TRUE(folder.exists(u"DataBase/Zvířata/Slon.vti"_qs));
    clickRow(list(), 0);
    editor->Button4->click();
    EXPECT_FALSE(folder.exists(u"DataBase/Zvířata/Slon.vti"_qs));
}

TEST_F(EditorTest, RemovingWithNothingSelectedKeepsTheOpenJokeAndItsChanges)
{
    open();
    clickRow(list(), 1);
    editor->SpeedButton2->click(); // moves it up: nothing selected afterwards
    type(QStringLiteral(" dlouhokrka"));
    editor->Button4->click();
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎Slon⏎Opice⏎"_qs));
    EXPECT_TRUE(editor->Vtip->isEnabled());
    editor->close();
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa dlouhokrka"_qs);
}

TEST_F(EditorTest, MovingUpAndDown)
{
    open();
    clickRow(list(), 0);
    editor->SpeedButton2->click();
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎Opice⏎Slon⏎"_qs)) << "the first goes last";
    EXPECT_EQ(list()->itemIndex(), -1);
    EXPECT_EQ(editor->Edit->text(), u"Slon"_qs);
    EXPECT_TRUE(editor->Vtip->isEnabled());

    editor->SpeedButton2->click();
    EXPECT_EQ(services.beeps, 1) << "a second move needs a new selection";

    clickRow(list(), 2);
    editor->SpeedButton3->click();
    EXPECT_EQ(services.beeps, 2) << "the last cannot go down";
    EXPECT_EQ(list()->itemIndex(), 2);

    clickRow(list(), 0);
    editor->SpeedButton3->click();
    EXPECT_EQ(listBytes(), ansi(u"Opice⏎Žirafa⏎Slon⏎"_qs));
    EXPECT_EQ(services.beeps, 2);
}

TEST_F(EditorTest, ToolBarFollowsTheSelection)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs, kFormatted);
    open();
    clickRow(list(), 0);

    select(u"tucny"_qs);
    EXPECT_TRUE(editor->Tucne->isChecked());
    EXPECT_FALSE(editor->Kurziva->isChecked());
    EXPECT_TRUE(editor->ZarL->isChecked());
    EXPECT_EQ(editor->FontSeznam->currentText(), u"Arial"_qs);
    EXPECT_EQ(editor->VelikostPisma->value(), 10);

    select(u"sikmy"_qs);
    EXPECT_FALSE(editor->Tucne->isChecked());
    EXPECT_TRUE(editor->Kurziva->isChecked());
    EXPECT_TRUE(editor->podtrh->isChecked());

    select(u"obycejny tucny"_qs);
    EXPECT_FALSE(editor->Tucne->isChecked()) << "only part of it is bold";

    select(u"vpravo"_qs);
    EXPECT_TRUE(editor->ZarP->isChecked());
    EXPECT_FALSE(editor->ZarL->isChecked());
    select(u"na stred"_qs);
    EXPECT_TRUE(editor->ZarS->isChecked());
    EXPECT_FALSE(editor->ZarP->isChecked());
    EXPECT_FALSE(editor->Odrazky->isChecked());
}

TEST_F(EditorTest, StyleButtonsToggleTheirOwnStyleAndUndoTakesEachBack)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs, kFormatted);
    open();
    clickRow(list(), 0);

    select(u"obycejny tucny"_qs);
    editor->Tucne->click();
    EXPECT_TRUE(editor->Tucne->isChecked());
    EXPECT_EQ(formatOf(u"obycejny"_qs).fontWeight(), QFont::Bold);
    editor->Tucne->click();
    EXPECT_FALSE(editor->Tucne->isChecked());
    EXPECT_NE(formatOf(u"tucny"_qs).fontWeight(), QFont::Bold);

    select(u"sikmy"_qs);
    editor->Kurziva->click();
    EXPECT_FALSE(formatOf(u"sikmy"_qs).fontItalic());
    EXPECT_TRUE(formatOf(u"sikmy"_qs).fontUnderline()) << "underline stays";

    editor->ToolButton1->click();
    EXPECT_TRUE(formatOf(u"sikmy"_qs).fontItalic());
    editor->ToolButton1->click();
    EXPECT_EQ(formatOf(u"obycejny"_qs).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(u"tucny"_qs).fontWeight(), QFont::Bold);
}

TEST_F(EditorTest, SizeBoxShowsUsualSizesAndAppliesTypedOnes)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs,
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs40 Velky vtip\\par}");
    open();
    clickRow(list(), 0);
    editor->Vtip->selectAll();
    EXPECT_EQ(editor->VelikostPisma->value(), 16);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 20);
    editor->close();
    EXPECT_TRUE(jokeFile(u"Slon"_qs).contains("\\fs40 Velky vtip"));

    open();
    clickRow(list(), 0);
    select(u"Velky"_qs);
    editor->VelikostPisma->selectAll();
    QTest::keyClick(editor->VelikostPisma, Qt::Key_1);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 1) << "applied digit by digit";
    QTest::keyClick(editor->VelikostPisma, Qt::Key_2);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 12);
    EXPECT_EQ(formatOf(u"vtip"_qs).fontPointSize(), 20);
    QTest::keyClick(editor->VelikostPisma, Qt::Key_Backspace);
    QTest::keyClick(editor->VelikostPisma, Qt::Key_Backspace);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 6) << "no number applies 6";
}

TEST_F(EditorTest, ColourFontAndChangesMadeWithTheListFocusedAreKept)
{
    open();
    clickRow(list(), 0);
    // The list keeps the focus: the tool bar does not take it.
    editor->Vtip->selectAll();
    services.setNextColour(QColor(Qt::red));
    editor->SpeedButton1->click();
    const int family = editor->FontSeznam->currentIndex() == 0 ? 1 : 0;
    const QString familyName = editor->FontSeznam->itemText(family);
    emit editor->FontSeznam->activated(family);
    services.setNextColour(std::nullopt);
    editor->SpeedButton1->click();
    EXPECT_EQ(formatOf(u"Slon"_qs).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatOf(u"Slon"_qs).fontFamilies().toStringList().value(0), familyName);

    clickRow(list(), 1);
    QTextDocument reread;
    ASSERT_TRUE(store::readRichText(store::DbPath::jokeFile(library(), u"Slon"_qs), &reread));
    QTextCursor at(&reread);
    at.setPosition(1);
    EXPECT_EQ(at.charFormat().foreground().color(), QColor(Qt::red));
}

TEST_F(EditorTest, FormattedJokeReadsBackInANewEditor)
{
    open();
    clickRow(list(), 2);
    QTextCursor cursor = editor->Vtip->textCursor();
    cursor.insertText(u"Žluťoučký kůň"_qs);
    cursor.insertBlock();
    cursor.insertText(u"úpěl ďábelské ódy"_qs);
    cursor.insertBlock();
    cursor.insertText(u"Konec"_qs);
    // Text typed into an empty joke has the editor's bold font.
    select(u"Žluťoučký"_qs);
    EXPECT_TRUE(editor->Tucne->isChecked());
    editor->Tucne->click();
    editor->Kurziva->click();
    select(u"kůň"_qs);
    services.setNextColour(QColor(0x00, 0x80, 0x00));
    editor->SpeedButton1->click();
    editor->ZarS->click();
    select(u"ďábelské"_qs);
    editor->Odrazky->click();
    EXPECT_TRUE(editor->Odrazky->isChecked());
    editor->close();

    TUprava second(&host, nullptr);
    Uprava = &second;
    ASSERT_TRUE(gate->prepareEditor());
    second.show();
    clickRow(second.Seznam, 2);
    QTextDocument *doc = second.Vtip->document();
    EXPECT_EQ(doc->toPlainText(), u"Žluťoučký kůň\núpěl ďábelské ódy\nKonec"_qs);
    const auto at = [doc](const QString &text) {
        QTextCursor c(doc);
        c.setPosition(doc->find(text).selectionStart() + 1);
        return c;
    };
    EXPECT_NE(at(u"Žluťoučký"_qs).charFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(at(u"Žluťoučký"_qs).charFormat().fontItalic());
    EXPECT_EQ(at(u"kůň"_qs).charFormat().fontWeight(), QFont::Bold);
    EXPECT_FALSE(at(u"kůň"_qs).charFormat().fontItalic());
    EXPECT_EQ(at(u"kůň"_qs).charFormat().foreground().color(), QColor(0x00, 0x80, 0x00));
    EXPECT_EQ(at(u"kůň"_qs).block().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_NE(at(u"ďábelské"_qs).block().textList(), nullptr);
    EXPECT_EQ(at(u"Konec"_qs).block().textList(), nullptr);

    second.Vtip->setTextCursor(at(u"Žluťoučký"_qs));
    EXPECT_FALSE(second.Tucne->isChecked());
    EXPECT_TRUE(second.Kurziva->isChecked());
    EXPECT_TRUE(second.ZarS->isChecked());
    second.Vtip->setTextCursor(at(u"ďábelské"_qs));
    EXPECT_TRUE(second.Odrazky->isChecked());
    second.hide();
}

TEST_F(EditorTest, ClosingWritesTheOpenJokeBeepsAndReports)
{
    open();
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(services.texts(), QStringList{u"Vaše knihovna byla úspěšně upravena!!!"_qs});
}

TEST_F(EditorTest, AJokeThatCannotBeWrittenKeepsItsTextAndTheWindowOpen)
{
    folder.write(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Co?⏎"_qs));
    open();
    clickRow(list(), 1);
    type(QStringLiteral("Nic"));
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(services.beeps, 0);
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, u"error"_qs);

    // Another joke is not loaded over the text that could not be stored.
    clickRow(list(), 0);
    EXPECT_EQ(editor->Edit->text(), u"Co?"_qs);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Nic"_qs);
    EXPECT_EQ(services.beeps, 1);

    // Removing that joke lets the window close.
    clickRow(list(), 1);
    editor->Button4->click();
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎"_qs));
}

TEST_F(EditorTest, CopyAndPasteKeepTheFormat)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs, kFormatted);
    open();
    clickRow(list(), 0);
    select(u"tucny"_qs);
    editor->Koprovat1->trigger();
    ASSERT_TRUE(services.clipboard);
    EXPECT_EQ(services.clipboard->text(), u"tucny"_qs);
    QGuiApplication::clipboard()->setMimeData(services.clipboard.release());

    select(u"vpravo"_qs);
    editor->Vlozit->trigger();
    EXPECT_EQ(blockOf(u"tucny"_qs).text(), u"obycejny tucny sikmy"_qs);
    EXPECT_EQ(editor->Vtip->document()->findBlockByNumber(1).text(), u"tucny"_qs);
    QTextCursor pasted(editor->Vtip->document()->findBlockByNumber(1));
    pasted.setPosition(pasted.position() + 1);
    EXPECT_EQ(pasted.charFormat().fontWeight(), QFont::Bold);
}

// --- Pages "Informace" and "Heslo".

TEST_F(EditorTest, ChangeWritesDescriptionAndAuthorUpdatesTheMainWindowAndCloses)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    EXPECT_EQ(editor->Popis->toPlainText(), u"Popis knihovny Zvířata"_qs);
    EXPECT_EQ(editor->Autor->toPlainText(), u"Autor Zvířata"_qs);
    EXPECT_FALSE(editor->Ikonka->image().isNull());
    EXPECT_EQ(editor->PocPod->toPlainText(), u"3"_qs);

    editor->Popis->setPlainText(u"Vtipy o zvířatech.\nPro malé i velké."_qs);
    editor->Autor->setPlainText(u"Kroužek humoru"_qs);
    editor->Apply->click();
    EXPECT_EQ(file(u"Zvířata.da1"_qs), ansi(u"Vtipy o zvířatech.⏎Pro malé i velké."_qs));
    EXPECT_EQ(file(u"Zvířata.da3"_qs), ansi(u"Kroužek humoru"_qs));
    EXPECT_EQ(host.description, QStringList({u"Vtipy o zvířatech.\nPro malé i velké."_qs, u"3"_qs,
                                             u"Kroužek humoru"_qs}));
    EXPECT_EQ(services.texts(), QStringList({u"Změny byly uloženy!!!"_qs,
                                             u"Vaše knihovna byla úspěšně upravena!!!"_qs}));
    EXPECT_EQ(services.beeps, 1);
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditorTest, InformationIsReadAgainAtEveryShowingOfItsPage)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    editor->Popis->setPlainText(u"Neuloženo"_qs);
    editor->PageControl1->setCurrentWidget(editor->TabSheet4);
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    EXPECT_EQ(editor->Popis->toPlainText(), u"Popis knihovny Zvířata"_qs);
}

TEST_F(EditorTest, UnreadableInformationIsNotTakenFromAnotherLibrary)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    editor->PageControl1->setCurrentWidget(editor->TabSheet4);
    folder.makeLibrary(u"Škola"_qs, {u"Ťukání"_qs});
    QFile::remove(folder.absolute(u"DataBase/Škola.da1"_qs));
    host.library = u"Škola"_qs;
    editor->hide();
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, u"error"_qs);
    EXPECT_TRUE(editor->Popis->toPlainText().isEmpty());
    EXPECT_EQ(editor->Autor->toPlainText(), u"Autor Škola"_qs);
}

TEST_F(EditorTest, FailedChangeKeepsTheWindowOpenWithTheText)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    QFile::remove(folder.absolute(u"DataBase/Zvířata.da1"_qs));
    folder.mkdir(u"DataBase/Zvířata.da1"_qs);
    editor->Popis->setPlainText(u"Nový popis"_qs);
    editor->Apply->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Popis->toPlainText(), u"Nový popis"_qs);
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, u"error"_qs);
    EXPECT_TRUE(host.description.isEmpty());
}

TEST_F(EditorTest, LoadedIconIsStoredAtOnceAsTheChosenFile)
{
    QByteArray icon = sampleIcon();
    icon[200] = char(0x77);
    folder.write(u"nová.ico"_qs, icon);
    folder.write(u"obrázek.ico"_qs, "BM not an icon");
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);

    services.setNextFileName(folder.absolute(u"obrázek.ico"_qs));
    editor->Button2->click();
    EXPECT_EQ(services.shown.last().kind, u"error"_qs);
    EXPECT_EQ(file(u"Zvířata.ico"_qs), sampleIcon());

    services.setNextFileName(QString());
    editor->Button2->click();
    EXPECT_EQ(file(u"Zvířata.ico"_qs), sampleIcon());

    // A click on the picture acts as "Nahrát...".
    services.setNextFileName(folder.absolute(u"nová.ico"_qs));
    QTest::mouseClick(editor->Ikonka, Qt::LeftButton);
    EXPECT_EQ(file(u"Zvířata.ico"_qs), icon);
    EXPECT_EQ(services.texts().count(u"Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."_qs), 3);
    const platform::FileDialog &dialog = services.fileDialogs.last();
    EXPECT_EQ(dialog.title, u"Nahraj ikonku ze souboru..."_qs);
    EXPECT_EQ(dialog.filter, u"Ikonky (*.ico)|*.ico"_qs);
}

TEST_F(EditorTest, PasswordIsSetOnlyWhenConfirmed)
{
    open();
    editor->Heslo->setText(u"zbytek"_qs);
    editor->PageControl1->setCurrentWidget(editor->TabSheet1);
    EXPECT_FALSE(editor->Porov->isEnabled()) << "disabled at every showing";
    QTest::keyClicks(editor->Potvrzeni, QStringLiteral("x"));
    EXPECT_FALSE(editor->Porov->isEnabled());

    editor->Heslo->clear();
    QTest::keyClicks(editor->Heslo, QStringLiteral("Abc"));
    EXPECT_TRUE(editor->Porov->isEnabled());
    editor->Potvrzeni->setText(u"abc"_qs);
    editor->Porov->click();
    EXPECT_EQ(services.texts(), QStringList{u"Hesla si neodpovídaj!!!"_qs});
    EXPECT_EQ(file(u"Zvířata.da4"_qs), "\r\n");
    EXPECT_EQ(editor->Heslo->text(), u"Abc"_qs);

    editor->Heslo->setText(u"Žluťoučký kůň "_qs);
    editor->Potvrzeni->setText(u"Žluťoučký kůň "_qs);
    editor->Porov->click();
    EXPECT_EQ(file(u"Zvířata.da4"_qs), ansi(u"Žluťoučký kůň ⏎"_qs));
    EXPECT_TRUE(editor->Heslo->text().isEmpty());
    EXPECT_TRUE(editor->Potvrzeni->text().isEmpty());
    EXPECT_FALSE(editor->Porov->isEnabled());
    EXPECT_EQ(services.texts().size(), 1) << "no message confirms it";
}

TEST_F(EditorTest, PastedLineBreakEndsThePassword)
{
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet1);
    QGuiApplication::clipboard()->setText(u"tajné\ndruhý řádek"_qs);
    editor->Heslo->paste();
    editor->Potvrzeni->paste();
    EXPECT_EQ(editor->Heslo->text(), u"tajné"_qs);
    editor->Porov->click();
    EXPECT_EQ(file(u"Zvířata.da4"_qs), ansi(u"tajné⏎"_qs));
}

TEST_F(EditorTest, TipLabelRemovesThePassword)
{
    folder.write(u"DataBase/Zvířata.da4"_qs, "heslo\r\n");
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet1);
    QTest::keyClicks(editor->Heslo, QStringLiteral("nove"));
    QTest::mouseClick(editor->Label2, Qt::LeftButton);
    EXPECT_EQ(file(u"Zvířata.da4"_qs), "\r\n");
    EXPECT_FALSE(editor->Porov->isEnabled());
    EXPECT_TRUE(editor->Heslo->text().isEmpty());
    EXPECT_EQ(services.texts(), QStringList{u"Heslo bylo deaktiváno!!!"_qs});
}

} // namespace
