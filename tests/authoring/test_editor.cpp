#include "editorfixture.h"

#include "authoring/JokeFind.h"
#include "authoring/Unit8.h"
#include "controls/picturebox.h"
#include "support/looks.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFontComboBox>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QTextBlock>

namespace {

const QString kEdited = QStringLiteral("Vaše knihovna byla úspěšně upravena!!!");
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
    ListBox *list() { return editor->Seznam; }
    // The tool buttons that are down: Bold, Italic, Underline, * bullets,
    // Left, Centre, Right.
    static QString buttons(const TUprava &e)
    {
        return down("BIU*LCR", {e.Tucne, e.Kurziva, e.podtrh, e.Odrazky, e.ZarL, e.ZarS, e.ZarP});
    }
};

TEST_F(EditorTest, OpensWithNoJokeOpenAndWritesTheTextAtItsSavingPoints)
{
    folder.write(u"DataBase/Zvířata.da2"_qs, "7\r\n");
    open();
    EXPECT_EQ(editor->PageControl1->currentWidget(), editor->TabSheet4);
    EXPECT_EQ(list()->items(), QStringList({u"Slon"_qs, u"Žirafa"_qs, u"Opice"_qs}));
    EXPECT_EQ(view(), u"-1||off|"_qs);
    EXPECT_FALSE(editor->Presun->isEnabled());
    EXPECT_EQ(db(u"Zvířata.da2"_qs), "3\r\n") << "counted at the activation";
    EXPECT_EQ(editor->PocPod->toPlainText(), u"3"_qs);

    // Selecting writes nothing: a joke not written yet gets its file only
    // when something is written into it.
    clickRow(list(), 2);
    EXPECT_EQ(view(), u"2|Opice|on|"_qs);
    EXPECT_TRUE(editor->Presun->isEnabled());
    EXPECT_FALSE(inDb(u"Zvířata/Opice.vti"_qs));
    clickRow(list(), 2);
    EXPECT_FALSE(inDb(u"Zvířata/Opice.vti"_qs));

    // Going from the text to the list writes it, before any selection.
    clickRow(list(), 0);
    type(u" a dost"_qs);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(70, 170));
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost"_qs);
    EXPECT_EQ(editor->Edit->text(), u"Slon"_qs);

    type(u" a dost"_qs);
    clickRow(list(), 1);
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost a dost"_qs);
    EXPECT_EQ(view(), u"1|Žirafa|on|Žirafa"_qs);

    // Selecting the open joke again keeps and writes its edited text.
    type(u"!"_qs);
    clickRow(list(), 1);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa!"_qs);
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa!"_qs);

    // Closing writes the open joke, beeps and reports.
    type(u" konec"_qs);
    editor->close();
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa! konec"_qs);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(services.texts(), QStringList{kEdited});
}

TEST_F(EditorTest, CountFollowsClicksButNotAddingOrRemoving)
{
    open();
    TPridat2 prompt(&host, nullptr);
    Pridat2 = &prompt;
    whenModal(&prompt, [&] {
        prompt.JmenoVtipu->setText(u"slon"_qs);
        prompt.Button2->click();
    });
    editor->Button3->click();
    Pridat2 = nullptr;
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎slon⏎"_qs));
    EXPECT_EQ(list()->itemIndex(), -1);
    EXPECT_EQ(db(u"Zvířata.da2"_qs), "3\r\n");
    EXPECT_EQ(editor->PocPod->toPlainText(), u"3"_qs);
    clickRow(list(), 3);
    EXPECT_EQ(db(u"Zvířata.da2"_qs), "4\r\n");
    EXPECT_EQ(editor->PocPod->toPlainText(), u"4"_qs);

    // Entries of the same name (letter case aside) share one file: it goes
    // only with the last of them, and the text closes.
    editor->Button4->click();
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎"_qs));
    EXPECT_TRUE(inDb(u"Zvířata/Slon.vti"_qs));
    EXPECT_EQ(db(u"Zvířata.da2"_qs), "4\r\n") << "the count waits for the next click";
    clickRow(list(), 0);
    EXPECT_EQ(db(u"Zvířata.da2"_qs), "3\r\n");
    editor->Button4->click();
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎Opice⏎"_qs));
    EXPECT_EQ(view(), u"-1|Slon|off|Slon"_qs);
}

TEST_F(EditorTest, MovingUpAndDownAndRemovingWithNothingSelected)
{
    open();
    clickRow(list(), 0);
    editor->SpeedButton2->click();
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎Opice⏎Slon⏎"_qs)) << "the first goes last";
    EXPECT_EQ(view(), u"-1|Slon|on|Slon"_qs);
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

    // With nothing selected, removing keeps the open joke and its changes.
    type(u" dlouhokrka"_qs);
    editor->Button4->click();
    EXPECT_EQ(listBytes(), ansi(u"Opice⏎Žirafa⏎Slon⏎"_qs));
    EXPECT_TRUE(editor->Vtip->isEnabled());
    editor->close();
    EXPECT_EQ(jokeText(u"Žirafa"_qs), u"Žirafa dlouhokrka"_qs);
}

TEST_F(EditorTest, ToolBarFollowsAndFormatsTheSelectionAndCopyingKeepsTheFormat)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs, kFormatted);
    open();
    clickRow(list(), 0);
    select(u"tucny"_qs);
    EXPECT_EQ(editor->FontSeznam->currentText(), u"Arial"_qs);
    EXPECT_EQ(editor->VelikostPisma->value(), 10);
    // "obycejny tucny" is bold only in part.
    const std::pair<QString, QString> following[] = {{u"tucny"_qs, u"BL"_qs},
                                                     {u"sikmy"_qs, u"IUL"_qs},
                                                     {u"obycejny tucny"_qs, u"L"_qs},
                                                     {u"vpravo"_qs, u"R"_qs},
                                                     {u"na stred"_qs, u"C"_qs}};
    for (const auto &[text, pressed] : following) {
        SCOPED_TRACE(text.toStdString());
        select(text);
        EXPECT_EQ(buttons(*editor), pressed);
    }

    // A style button toggles its own style only; undo takes back each step.
    select(u"obycejny tucny"_qs);
    editor->Tucne->click();
    EXPECT_EQ(buttons(*editor), u"BL"_qs);
    EXPECT_EQ(styles(formatOf(u"obycejny"_qs)), u"B"_qs);
    editor->Tucne->click();
    EXPECT_EQ(buttons(*editor), u"L"_qs);
    EXPECT_EQ(styles(formatOf(u"tucny"_qs)), QString());
    select(u"sikmy"_qs);
    editor->Kurziva->click();
    EXPECT_EQ(styles(formatOf(u"sikmy"_qs)), u"U"_qs);
    editor->ToolButton1->click();
    EXPECT_EQ(styles(formatOf(u"sikmy"_qs)), u"IU"_qs);
    editor->ToolButton1->click();
    EXPECT_EQ(styles(formatOf(u"obycejny"_qs)) + styles(formatOf(u"tucny"_qs)), u"BB"_qs);

    // Copy and paste keep the format.
    select(u"tucny"_qs);
    editor->Koprovat1->trigger();
    ASSERT_TRUE(services.clipboard);
    EXPECT_EQ(services.clipboard->text(), u"tucny"_qs);
    select(u"vpravo"_qs);
    editor->Vlozit->trigger();
    QTextDocument *doc = editor->Vtip->document();
    EXPECT_EQ(doc->findBlockByNumber(0).text(), u"obycejny tucny sikmy"_qs);
    EXPECT_EQ(doc->findBlockByNumber(1).text(), u"tucny"_qs);
    QTextCursor pasted(doc->findBlockByNumber(1));
    pasted.setPosition(pasted.position() + 1);
    EXPECT_EQ(pasted.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(EditorTest, SizeColourAndFontApplyToTheSelectionAndAreWritten)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs,
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs40 Velky vtip\\par}");
    open();
    clickRow(list(), 0);
    editor->Vtip->selectAll();
    EXPECT_EQ(editor->VelikostPisma->value(), 16);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 20);
    editor->close();
    EXPECT_TRUE(db(u"Zvířata/Slon.vti"_qs).contains("\\fs40 Velky vtip"));

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
    editor->VelikostPisma->setValue(15); // as the box follows the text: applies nothing
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 6);
    editor->VelikostPisma->stepUp();
    editor->VelikostPisma->stepUp();
    EXPECT_EQ(editor->VelikostPisma->value(), 16);
    EXPECT_EQ(formatOf(u"Velky"_qs).fontPointSize(), 16) << "the arrows apply, within 6..16";

    // Colour and font applied with the list focused (the tool bar does not
    // take the focus) are written before another joke is loaded.
    clickRow(list(), 0);
    editor->Vtip->selectAll();
    services.setNextColour(QColor(Qt::red));
    editor->SpeedButton1->click();
    const int family = editor->FontSeznam->currentIndex() == 0 ? 1 : 0;
    const QString familyName = editor->FontSeznam->itemText(family);
    emit editor->FontSeznam->activated(family);
    services.setNextColour(std::nullopt);
    editor->SpeedButton1->click();
    EXPECT_EQ(formatOf(u"Velky"_qs).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatOf(u"Velky"_qs).fontFamilies().toStringList().value(0), familyName);
    clickRow(list(), 1);
    QTextDocument reread;
    ASSERT_TRUE(store::readRichText(store::DbPath::jokeFile(library(), u"Slon"_qs), &reread));
    QTextCursor at(&reread);
    at.setPosition(1);
    EXPECT_EQ(at.charFormat().foreground().color(), QColor(Qt::red));
}

// Whatever way the focus comes to the list (here with the window coming back
// to the front after a dialog, which is no move of the user's into the list),
// the joke being left is written before another one is loaded.
TEST_F(EditorTest, AnEditIsWrittenBeforeAnotherJokeWhateverWayTheListGotTheFocus)
{
    open();
    clickRow(list(), 0);
    type(u" a kost"_qs);
    services.setNextColour(std::nullopt);
    editor->SpeedButton1->click();
    list()->setFocus(Qt::ActiveWindowFocusReason);
    clickRow(list(), 1);
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a kost"_qs);
    EXPECT_EQ(view(), u"1|Žirafa|on|Žirafa"_qs);

    // A joke that cannot be written is not replaced: its text stays open.
    type(u" krk"_qs);
    QFile::remove(folder.absolute(u"DataBase/Zvířata/Žirafa.vti"_qs));
    folder.mkdir(u"DataBase/Zvířata/Žirafa.vti"_qs);
    list()->setFocus(Qt::ActiveWindowFocusReason);
    clickRow(list(), 0);
    EXPECT_TRUE(oneError(services, u"Žirafa"_qs));
    EXPECT_EQ(view(), u"-1|Žirafa|on|Žirafa krk"_qs);
    clickRow(list(), 0); // reported already: only a beep
    EXPECT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa krk"_qs);
}

// A joke's RTF shows as its file says in the editor's bold box; a joke of
// plain text takes the box's font and is written with it.
TEST_F(EditorTest, RichTextShowsAsItsFileSaysAndPlainTextInTheBoxFont)
{
    folder.write(u"DataBase/Zvířata/Slon.vti"_qs,
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20\\b Tu\\'e8n\\'e9\\b0\\par "
                 "Oby\\'e8ejn\\'e9\\par}");
    folder.write(u"DataBase/Zvířata/Žirafa.vti"_qs, ansi(u"Jen text⏎druhý řádek⏎"_qs));
    open();
    ASSERT_TRUE(editor->Vtip->font().bold());
    clickRow(list(), 0);
    QTextDocument *doc = editor->Vtip->document();
    const auto shown = [doc](const QString &text) {
        QTextCursor at(doc);
        at.setPosition(doc->find(text).selectionStart() + 1);
        return at.charFormat().font().resolve(doc->defaultFont());
    };
    EXPECT_TRUE(shown(u"Tučné"_qs).bold());
    EXPECT_FALSE(shown(u"Obyčejné"_qs).bold());
    EXPECT_EQ(shown(u"Obyčejné"_qs).family(), u"Arial"_qs);
    EXPECT_EQ(shown(u"Obyčejné"_qs).pointSize(), 10);

    clickRow(list(), 1);
    EXPECT_TRUE(shown(u"druhý"_qs).bold());
    EXPECT_EQ(shown(u"druhý"_qs).family(), editor->Vtip->font().family());
    // Only looked at, the file stays as it is; written, it takes the font.
    clickRow(list(), 1);
    EXPECT_EQ(db(u"Zvířata/Žirafa.vti"_qs), ansi(u"Jen text⏎druhý řádek⏎"_qs));
    type(u"!"_qs);
    clickRow(list(), 1);
    EXPECT_TRUE(db(u"Zvířata/Žirafa.vti"_qs).contains("\\b\\f0\\fs16 Jen text\\par"))
        << db(u"Zvířata/Žirafa.vti"_qs).data();
}

// What LibreOffice puts on the clipboard (tests/authoring/clipboard), pasted
// with Ctrl+V as "Vložit" pastes it (RTF first): the joke looks the same once
// it is saved and read again, and what showed on the paper is not written
// as a black bar. Ctrl+C and Ctrl+X are the menu's copy and cut.
TEST_F(EditorTest, PasteFromLibreOfficeLooksTheSameOnceSavedAndTheKeysAreTheMenus)
{
    open();
    for (const char *file : {"libreoffice.html", "libreoffice.rtf"}) {
        SCOPED_TRACE(file);
        QFile source(QStringLiteral(QT_TESTCASE_SOURCEDIR "/authoring/clipboard/") +
                     QLatin1String(file));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        auto *data = new QMimeData;
        if (QByteArray(file).endsWith(".html"))
            data->setHtml(QString::fromUtf8(bytes));
        else
            data->setData(QStringLiteral("text/rtf"), bytes);
        services.clipboard.reset(data);
        clickRow(list(), 0);
        editor->Vtip->setFocus();
        editor->Vtip->selectAll();
        QTest::keyClick(editor->Vtip, Qt::Key_V, Qt::ControlModifier);
        ASSERT_TRUE(editor->Vtip->toPlainText().contains(u"Podepsán Pepíček"_qs))
            << editor->Vtip->toPlainText().toStdString();
        const std::vector<std::string> pasted = looks(*editor->Vtip->document());
        clickRow(list(), 1);
        clickRow(list(), 0);
        EXPECT_EQ(looks(*editor->Vtip->document()), pasted);
        EXPECT_FALSE(db(u"Zvířata/Slon.vti"_qs).contains("\\highlight"));
    }
    select(u"Pepíček"_qs);
    QTest::keyClick(editor->Vtip, Qt::Key_X, Qt::ControlModifier);
    ASSERT_TRUE(services.clipboard);
    EXPECT_TRUE(services.clipboard->hasFormat(QStringLiteral("text/rtf")));
    EXPECT_FALSE(editor->Vtip->toPlainText().contains(u"Pepíček"_qs));
    select(u"babičku"_qs);
    QTest::keyClick(editor->Vtip, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(services.clipboard->text(), u"babičku"_qs);
}

// What an author does with a joke besides typing it: counts that follow the
// typing, finding (whatever the letter case and diacritics, or whole words
// only), replacing everything in one step of undo, and redo.
TEST_F(EditorTest, FindReplaceCountsAndRedoAsAnAuthorUsesThem)
{
    open();
    clickRow(list(), 0);
    retype(editor->Vtip, u"Žirafa a žirafa, ŽIRAFÁK\nžirafa."_qs);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return editor->Pocty->text() == u"Slov: 5, znaků: 31"_qs; }, 2000))
        << editor->Pocty->text().toStdString();

    QTest::keyClick(editor.get(), Qt::Key_F, Qt::ControlModifier);
    JokeFind *find = editor->findChild<JokeFind *>();
    ASSERT_TRUE(find && find->isVisible());
    find->Hledat->setText(u"zirafa"_qs);
    const auto selected = [&] { return editor->Vtip->textCursor().selectedText(); };
    QStringList found;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(find->findNext());
        found << selected();
    }
    EXPECT_EQ(found,
              (QStringList{u"Žirafa"_qs, u"žirafa"_qs, u"ŽIRAFÁ"_qs, u"žirafa"_qs, u"Žirafa"_qs}));
    EXPECT_EQ(find->Stav->text(), u"Hledání pokračovalo od začátku."_qs);
    find->Diakritika->setChecked(true);
    EXPECT_FALSE(find->findNext());
    find->Diakritika->setChecked(false);

    QTest::keyClick(editor.get(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(find->focusWidget(), find->Nahradit);
    find->Nahradit->setText(u"slon"_qs);
    find->CelaSlova->setChecked(true);
    EXPECT_EQ(find->replaceAll(), 3);
    const QString replaced = u"slon a slon, ŽIRAFÁK\nslon."_qs;
    EXPECT_EQ(editor->Vtip->toPlainText(), replaced);
    editor->ToolButton1->click();
    EXPECT_EQ(editor->Vtip->toPlainText(), u"Žirafa a žirafa, ŽIRAFÁK\nžirafa."_qs)
        << "one step of undo";
    ASSERT_TRUE(editor->ToolButton2->isEnabled());
    QTest::keyClick(editor->Vtip, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor->Vtip->toPlainText(), replaced);
    EXPECT_FALSE(editor->ToolButton2->isEnabled());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return editor->Pocty->text() == u"Slov: 5, znaků: 25"_qs; }, 2000))
        << editor->Pocty->text().toStdString();
    editor->close();
    EXPECT_EQ(jokeText(u"Slon"_qs), replaced);
}

// Pasted rich text keeps the alignment, indent and bullets of every pasted
// paragraph, also of the first when it joins the text before the caret.
TEST_F(EditorTest, PastingKeepsTheFormatOfEveryParagraph)
{
    open();
    clickRow(list(), 0);
    const auto paste = [&](const QByteArray &rtf, int at) {
        auto *data = new QMimeData;
        data->setData(u"text/rtf"_qs, rtf);
        services.setClipboard(data);
        QTextCursor cursor(editor->Vtip->document());
        cursor.setPosition(at);
        editor->Vtip->setTextCursor(cursor);
        editor->Vlozit->trigger();
    };
    paste("{\\rtf1\\pard\\qc\\li300 Nadpis\\par\\pard\\qr vpravo\\par}", 4); // "Slon|"
    QTextDocument *doc = editor->Vtip->document();
    ASSERT_EQ(doc->blockCount(), 2);
    EXPECT_EQ(doc->firstBlock().text(), u"SlonNadpis"_qs);
    EXPECT_EQ(doc->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc->firstBlock().blockFormat().leftMargin(), 20);
    EXPECT_EQ(doc->lastBlock().text(), u"vpravo"_qs);
    EXPECT_EQ(doc->lastBlock().blockFormat().alignment(), Qt::AlignRight);

    paste("{\\rtf1{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\qc jedna\\par"
          "{\\pntext\\'b7\\tab}dva\\par}",
          2);
    const QTextBlock one = doc->findBlock(doc->find(u"jedna"_qs).selectionStart());
    ASSERT_NE(one.textList(), nullptr);
    EXPECT_EQ(one.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc->findBlock(doc->find(u"dva"_qs).selectionStart()).textList(), one.textList());

    // A piece of one paragraph takes the paragraph it is pasted into.
    paste("{\\rtf1\\pard\\qr kus\\par}", doc->find(u"vpravo"_qs).selectionStart() + 2);
    EXPECT_EQ(doc->lastBlock().text(), u"vpkusravo"_qs);
    EXPECT_EQ(doc->lastBlock().blockFormat().alignment(), Qt::AlignRight);
    editor->ToolButton1->click();
    EXPECT_EQ(doc->lastBlock().text(), u"vpravo"_qs) << "one paste, one step of undo";
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
    editor->Tucne->click();
    editor->Kurziva->click();
    select(u"kůň"_qs);
    services.setNextColour(QColor(0x00, 0x80, 0x00));
    editor->SpeedButton1->click();
    editor->ZarS->click();
    select(u"ďábelské"_qs);
    editor->Odrazky->click();
    editor->close();

    TUprava second(&host, nullptr);
    Uprava = &second;
    ASSERT_TRUE(gate->prepareEditor());
    second.show();
    clickRow(second.Seznam, 2);
    QTextDocument *doc = second.Vtip->document();
    EXPECT_EQ(doc->toPlainText(), u"Žluťoučký kůň\núpěl ďábelské ódy\nKonec"_qs);
    const auto at = [&](const QString &text) {
        QTextCursor c(doc);
        c.setPosition(doc->find(text).selectionStart() + 1);
        second.Vtip->setTextCursor(c);
        return c;
    };
    EXPECT_EQ(at(u"kůň"_qs).charFormat().foreground().color(), QColor(0x00, 0x80, 0x00));
    EXPECT_EQ(buttons(second), u"BC"_qs);
    at(u"Žluťoučký"_qs);
    EXPECT_EQ(buttons(second), u"IC"_qs);
    at(u"ďábelské"_qs);
    EXPECT_EQ(buttons(second), u"B*L"_qs);
    at(u"Konec"_qs);
    EXPECT_EQ(buttons(second), u"BL"_qs);
    second.hide();
}

TEST_F(EditorTest, AJokeThatCannotBeWrittenKeepsItsTextAndTheWindowOpen)
{
    folder.write(u"DataBase/Zvířata/Vtipy.sez"_qs, ansi(u"Slon⏎Co?⏎"_qs));
    open();
    clickRow(list(), 1);
    type(u"Nic"_qs);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(services.beeps, 0);
    EXPECT_TRUE(oneError(services));

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

TEST_F(EditorTest, InformationIsReadAtEachShowingAndChangeWritesItAndUpdatesTheMainWindow)
{
    open();
    for (int showing = 0; showing < 2; ++showing) {
        editor->PageControl1->setCurrentWidget(editor->TabSheet2);
        EXPECT_EQ(editor->Popis->toPlainText(), u"Popis knihovny Zvířata"_qs);
        EXPECT_EQ(editor->Autor->toPlainText(), u"Autor Zvířata"_qs);
        EXPECT_FALSE(editor->Ikonka->image().isNull());
        editor->Popis->setPlainText(u"Neuloženo"_qs);
        editor->Autor->setPlainText(u"Neuloženo"_qs);
        editor->PageControl1->setCurrentWidget(editor->TabSheet4);
    }
    // A file that cannot be read empties its box: nothing of the library
    // shown before is left in it.
    folder.makeLibrary(u"Škola"_qs, {u"Ťukání"_qs});
    QFile::remove(folder.absolute(u"DataBase/Škola.da1"_qs));
    host.library = u"Škola"_qs;
    editor->hide();
    open();
    editor->PageControl1->setCurrentWidget(editor->TabSheet2);
    EXPECT_TRUE(oneError(services));
    EXPECT_TRUE(editor->Popis->toPlainText().isEmpty());
    EXPECT_EQ(editor->Autor->toPlainText(), u"Autor Škola"_qs);

    // A failed change keeps the window open with the text.
    services.shown.clear();
    folder.mkdir(u"DataBase/Škola.da1"_qs);
    editor->Popis->setPlainText(u"Nový popis"_qs);
    editor->Apply->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Popis->toPlainText(), u"Nový popis"_qs);
    EXPECT_TRUE(oneError(services));
    EXPECT_TRUE(host.description.isEmpty());

    services.shown.clear();
    QDir().rmdir(folder.absolute(u"DataBase/Škola.da1"_qs));
    editor->Popis->setPlainText(u"Vtipy o škole.\nPro malé i velké."_qs);
    editor->Autor->setPlainText(u"Kroužek humoru"_qs);
    editor->Apply->click();
    EXPECT_EQ(db(u"Škola.da1"_qs), ansi(u"Vtipy o škole.⏎Pro malé i velké."_qs));
    EXPECT_EQ(db(u"Škola.da3"_qs), ansi(u"Kroužek humoru"_qs));
    EXPECT_EQ(host.description, QStringList({u"Vtipy o škole.\nPro malé i velké."_qs, u"1"_qs,
                                             u"Kroužek humoru"_qs}));
    EXPECT_EQ(services.texts(), QStringList({u"Změny byly uloženy!!!"_qs, kEdited}));
    EXPECT_EQ(services.beeps, 1);
    EXPECT_FALSE(editor->isVisible());
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
    EXPECT_EQ(db(u"Zvířata.ico"_qs), sampleIcon());

    services.setNextFileName(QString());
    editor->Button2->click();
    EXPECT_EQ(db(u"Zvířata.ico"_qs), sampleIcon());

    // A click on the picture acts as "Nahrát...".
    services.setNextFileName(folder.absolute(u"nová.ico"_qs));
    QTest::mouseClick(editor->Ikonka, Qt::LeftButton);
    EXPECT_EQ(db(u"Zvířata.ico"_qs), icon);
    EXPECT_EQ(services.texts().count(u"Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."_qs), 3);
}

TEST_F(EditorTest, PasswordIsSetOnlyWhenConfirmedAndRemovedByTheTip)
{
    open();
    editor->Heslo->setText(u"zbytek"_qs);
    editor->PageControl1->setCurrentWidget(editor->TabSheet1);
    EXPECT_FALSE(editor->Porov->isEnabled()) << "disabled at every showing";
    QTest::keyClicks(editor->Potvrzeni, u"x"_qs);
    EXPECT_FALSE(editor->Porov->isEnabled());

    editor->Heslo->clear();
    QTest::keyClicks(editor->Heslo, u"Abc"_qs);
    EXPECT_TRUE(editor->Porov->isEnabled());
    editor->Potvrzeni->setText(u"abc"_qs);
    editor->Porov->click();
    EXPECT_EQ(services.texts(), QStringList{u"Hesla si neodpovídaj!!!"_qs});
    EXPECT_EQ(db(u"Zvířata.da4"_qs), "\r\n");
    EXPECT_EQ(editor->Heslo->text(), u"Abc"_qs);

    editor->Heslo->setText(u"Žluťoučký kůň "_qs);
    editor->Potvrzeni->setText(u"Žluťoučký kůň "_qs);
    editor->Porov->click();
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(u"Žluťoučký kůň ⏎"_qs));
    EXPECT_TRUE(editor->Heslo->text().isEmpty() && editor->Potvrzeni->text().isEmpty());
    EXPECT_FALSE(editor->Porov->isEnabled());
    EXPECT_EQ(services.texts().size(), 1) << "no message confirms it";

    // A pasted line break ends the password.
    QGuiApplication::clipboard()->setText(u"tajné\ndruhý řádek"_qs);
    editor->Heslo->paste();
    editor->Potvrzeni->paste();
    EXPECT_EQ(editor->Heslo->text(), u"tajné"_qs);
    editor->Porov->click();
    EXPECT_EQ(db(u"Zvířata.da4"_qs), ansi(u"tajné⏎"_qs));

    // "TIP" removes the password.
    QTest::keyClicks(editor->Heslo, u"nove"_qs);
    QTest::mouseClick(editor->Label2, Qt::LeftButton);
    EXPECT_EQ(db(u"Zvířata.da4"_qs), "\r\n");
    EXPECT_FALSE(editor->Porov->isEnabled());
    EXPECT_TRUE(editor->Heslo->text().isEmpty());
    EXPECT_EQ(services.texts(),
              QStringList({u"Hesla si neodpovídaj!!!"_qs, u"Heslo bylo deaktiváno!!!"_qs}));
}

} // namespace
