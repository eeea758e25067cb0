#include "store/rtfreader.h"
#include "support/mainwindowfixture.h"

#include <QAbstractTextDocumentLayout>
#include <QFrame>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>

class JokeOutput : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder.write(QStringLiteral("DataBase/Zvířata/Slon.vti"),
                     "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
                     "Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\qc\\b\\f0\\fs20 "
                     "Slon\\b0\\par\r\n\\pard\\cf1 \\'8e\\'e1dn\\'fd vtip.\\cf0\\par\r\n}\r\n");
        start();
        openLibrary(0);
        clickRow(0);
    }

    const QString kJoke = QStringLiteral("Slon\nŽádný vtip.");
};

TEST_F(JokeOutput, JokeIsShownWithItsFormatsAndCopiedWholeOrInPartInThreeFormats)
{
    QTextDocument *doc = window->Vtip->document();
    EXPECT_EQ(doc->toPlainText(), kJoke);
    EXPECT_EQ(doc->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc->begin().next().begin().fragment().charFormat().foreground().color(),
              QColor(Qt::red));

    window->VtipCopy->click();
    ASSERT_TRUE(services.clipboard);
    EXPECT_EQ(services.clipboard->text(), kJoke);
    EXPECT_TRUE(services.clipboard->hasHtml());
    EXPECT_TRUE(services.clipboard->data(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
    EXPECT_TRUE(window->Vtip->textCursor().hasSelection());

    QTextCursor cursor(window->Vtip->document());
    cursor.setPosition(5);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    window->Vtip->setTextCursor(cursor);
    window->Koprovatdoschrnky1->trigger();
    EXPECT_EQ(services.clipboard->text(), QStringLiteral("Žádný"));

    window->KopVtip->trigger();
    EXPECT_EQ(services.clipboard->text(), kJoke);
}

// The view's own font is bold; a joke in RTF shows as its file says all the
// same: the same words, bold on the first line and plain on the second, are
// drawn with less ink on the second.
TEST_F(JokeOutput, PlainTextOfARichTextJokeIsDrawnPlainInTheBoldView)
{
    folder.write(
        QStringLiteral("DataBase/Zvířata/Žirafa.vti"),
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
        "Arial;}}\\pard\\b\\f0\\fs20 Pes a ko\\'e8ka\\b0\\par\r\nPes a ko\\'e8ka\\par\r\n}");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    clickRow(1);
    ASSERT_TRUE(window->Vtip->font().bold());
    const QImage drawn = window->Vtip->viewport()->grab().toImage();
    QTextDocument *doc = window->Vtip->document();
    ASSERT_EQ(doc->blockCount(), 2);
    const auto ink = [&](const QTextBlock &block) {
        const QRect line = doc->documentLayout()->blockBoundingRect(block).toAlignedRect();
        int dark = 0;
        for (int y = std::max(line.top(), 0); y <= std::min(line.bottom(), drawn.height() - 1);
             ++y) {
            for (int x = std::max(line.left(), 0); x <= std::min(line.right(), drawn.width() - 1);
                 ++x)
                dark += qGray(drawn.pixel(x, y)) < 128;
        }
        return dark;
    };
    const int bold = ink(doc->firstBlock());
    const int plain = ink(doc->lastBlock());
    EXPECT_GT(plain, 0);
    EXPECT_LT(plain * 10, bold * 9) << "bold line " << bold << ", plain line " << plain;

    // Printed, copied and saved, the second line is plain too.
    const QFont second =
        doc->lastBlock().begin().fragment().charFormat().font().resolve(doc->defaultFont());
    EXPECT_FALSE(second.bold());
    EXPECT_EQ(second.pointSize(), 10);
    window->VtipCopy->click();
    ASSERT_TRUE(services.clipboard);
    const QByteArray rtf = services.clipboard->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(rtf.contains("\\b0 ")) << rtf.data();
}

TEST_F(JokeOutput, MissingJokeMessageComesBeforeTheViewIsShown)
{
    openLibrary(0); // back to the libraries
    openLibrary(0);
    bool viewHidden = false;
    services.whenShown = [&](const FakeServices::Shown &) {
        viewHidden = window->Vtip->isHidden() && window->Panel->isHidden();
    };
    clickRow(1);
    EXPECT_EQ(services.texts(), QStringList{"Vtip nebyl dosud napsán nebo nelze nalézt!!!"});
    EXPECT_TRUE(viewHidden);
    EXPECT_FALSE(window->Vtip->isHidden() || window->Panel->isHidden());
}

TEST_F(JokeOutput, SavingWritesTextOrRtfAndRemembersTheFilter)
{
    folder.mkdir(QStringLiteral("obsazeno.txt"));
    services.setNextFileName(folder.absolute(QStringLiteral("Pes")), 2);
    services.setNextFileName(folder.absolute(QStringLiteral("obsazeno")), 2);
    window->UlozVtip->trigger();
    window->UlozVtip->trigger();
    EXPECT_EQ(folder.read(QStringLiteral("Pes.txt")), ansi(u"Slon⏎Žádný vtip.⏎"_qs));
    EXPECT_TRUE(oneError()); // the second
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Uložit vtip jako..."));
    EXPECT_EQ(services.fileDialogs[0].filter,
              QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT"));
    EXPECT_EQ(services.fileDialogs[0].filterIndex, 2);
    EXPECT_EQ(services.fileDialogs[0].fileName, QStringLiteral("Slon"));

    // RTF gets its extension even after one of its own.
    services.setNextFileName(folder.absolute(QStringLiteral("x.rtf")), 1);
    window->RychUloz->click();
    const QByteArray rtf = folder.read(QStringLiteral("x.rtf.rtf"));
    ASSERT_TRUE(rtf.startsWith("{\\rtf1"));
    QTextDocument back;
    ASSERT_TRUE(store::readRtf(rtf, &back));
    EXPECT_EQ(back.toPlainText(), kJoke);
    services.setNextFileName(QString());
    window->Uloitjako1->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 4);
    EXPECT_EQ(services.fileDialogs[3].filterIndex, 1);
    EXPECT_FALSE(folder.exists(QStringLiteral("x.rtf")));
}

TEST_F(JokeOutput, PrintingAsksForThePrinterAndTheFontCommandWarnsFirst)
{
    services.setNextPrinterSetup(false);
    window->Tisk->trigger();
    EXPECT_EQ(services.printed, 0);
    services.setNextPrinterSetup(true);
    window->RychTisk->click();
    EXPECT_EQ(services.printed, 1);

    const QFont before = window->Vtip->font();
    services.setNextFont(std::nullopt);
    window->Psmo1->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Nedoporučujeme měnit!!!"});
    EXPECT_EQ(window->Vtip->font(), before);

    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPointSize(15);
    services.setNextFont(platform::FontChoice{chosen, QColor(Qt::blue)});
    window->RychPismo->click();
    EXPECT_EQ(window->Vtip->font().pointSize(), 15);
    EXPECT_EQ(window->Vtip->palette().color(QPalette::Text), QColor(Qt::blue));
    EXPECT_TRUE(window->Vtip->textCursor().hasSelection());
}

TEST_F(JokeOutput, HiddenQuickButtonsLeaveAnEmptyPanelShown)
{
    for (QAction *item : {window->UlozZobr, window->ZobTisk, window->ZobCopyVtip, window->ZobPismo})
        item->trigger();
    EXPECT_EQ(settingsState(*window), QStringLiteral("110000"));
    clickRow(0);
    EXPECT_FALSE(window->Panel->isHidden());
}

// Each joke comes in a document of its own that the view takes: the one it
// showed before goes, and a plain-text joke still takes the view's font. A
// joke whose file is gone shows no other joke's text under its name: the view
// is empty, and nothing can be saved, printed or copied until a joke is shown.
TEST_F(JokeOutput, EachJokeReplacesTheViewsDocumentAndPlainTextTakesTheViewsFont)
{
    folder.write(QStringLiteral("DataBase/Zvířata/Žirafa.vti"), ansi(u"Dlouhý krk⏎"_qs));
    QTextEdit *view = window->Vtip;
    for (int round = 0; round < 5; ++round) {
        clickRow(1);
        ASSERT_EQ(view->document()->toPlainText(), QStringLiteral("Dlouhý krk"));
        EXPECT_EQ(view->document()->defaultFont(), view->font());
        EXPECT_TRUE(QTextCursor(view->document()).charFormat().font().bold());
        clickRow(0);
        ASSERT_EQ(view->document()->toPlainText(), kJoke);
    }
    EXPECT_LE(view->findChildren<QTextDocument *>(Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_FALSE(view->document()->isUndoRedoEnabled());

    QFile::remove(folder.absolute(QStringLiteral("DataBase/Zvířata/Žirafa.vti")));
    clickRow(1);
    EXPECT_EQ(view->document()->toPlainText(), QString());
    EXPECT_EQ(services.texts(),
              QStringList{QStringLiteral("Vtip nebyl dosud napsán nebo nelze nalézt!!!")});
    EXPECT_FALSE(view->isHidden());
    const std::initializer_list<QAction *> outputs = {
        window->UlozVtip,           window->Tisk,        window->KopVtip,
        window->Koprovatdoschrnky1, window->Vytisknout1, window->Uloitjako1};
    for (const QAction *output : outputs)
        EXPECT_FALSE(output->isEnabled()) << output->objectName().toStdString();
    EXPECT_FALSE(window->RychUloz->isEnabled() || window->VtipCopy->isEnabled());
    clickRow(0);
    EXPECT_EQ(view->document()->toPlainText(), kJoke);
    for (const QAction *output : outputs)
        EXPECT_TRUE(output->isEnabled()) << output->objectName().toStdString();
}

// A big joke shows from its start at once and the rest follows while the
// window goes on: whatever needs the whole joke gets it whole, another joke
// chosen meanwhile is not added to, and in the end the joke is all there.
TEST_F(JokeOutput, BigJokeShowsItsStartAtOnceAndTheRestFollows)
{
    constexpr int kLines = 60000;
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
                     "Arial;}}\\f0\\fs20 ";
    QString text;
    for (int i = 0; i < kLines; ++i) {
        rtf += (i % 2 ? "\\b " : "\\b0 ") + QByteArray::number(i) + " \\'e8\\'e1st\\par\r\n";
        text += QString::number(i) + u" část\n"_qs;
    }
    rtf += "}";
    text.chop(1);
    folder.write(QStringLiteral("DataBase/Zvířata/Žirafa.vti"), rtf);
    QTextEdit *view = window->Vtip;

    clickRow(1);
    EXPECT_LT(view->document()->blockCount(), kLines);
    clickRow(0);
    QTest::qWait(50);
    EXPECT_EQ(view->document()->toPlainText(), kJoke);

    clickRow(1);
    window->KopVtip->trigger();
    ASSERT_TRUE(services.clipboard);
    EXPECT_EQ(services.clipboard->text(), text);

    // Reading on in the start does not wait; going to the end does.
    clickRow(0);
    clickRow(1);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_LT(view->document()->blockCount(), kLines);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->document()->blockCount(), kLines);

    // What the user selected and where they read stay as the rest comes.
    clickRow(0);
    clickRow(1);
    QTextCursor selection(view->document());
    selection.setPosition(8);
    selection.setPosition(14, QTextCursor::KeepAnchor);
    view->setTextCursor(selection);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const int top = view->cursorForPosition(QPoint(0, 0)).position();
    ASSERT_GT(top, 0);
    for (int waited = 0; view->document()->blockCount() < kLines && waited < 30000; waited += 20)
        QTest::qWait(20);
    QTextDocument *doc = view->document();
    EXPECT_EQ(doc->toPlainText(), text);
    EXPECT_EQ(view->cursorForPosition(QPoint(0, 0)).position(), top);
    window->Koprovatdoschrnky1->trigger();
    EXPECT_EQ(services.clipboard->text(), text.mid(8, 6));
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->isUndoRedoEnabled());
    EXPECT_TRUE(doc->findBlockByNumber(kLines - 1).begin().fragment().charFormat().font().bold());
}

namespace {

using JokeLinks = MainWindowFixture;

// A click on a link of a shown joke opens its address; a link to anything
// but the web or e-mail is not followed, and neither is a drag over a link.
TEST_F(JokeLinks, ClickOnAWebLinkOpensIt)
{
    folder.write(
        QStringLiteral("DataBase/Zvířata/Slon.vti"),
        "{\\rtf1\\ansi\\ansicpg1250 {\\field{\\*\\fldinst{HYPERLINK "
        "\"https://vtipy.example.cz/slon\"}}{\\fldrslt Slon}}\\par "
        "{\\field{\\*\\fldinst{HYPERLINK \"file:///etc/passwd\"}}{\\fldrslt Soubor}}\\par}");
    start();
    window->show();
    openLibrary(0);
    clickRow(0);
    ASSERT_TRUE(window->Vtip->isVisible());
    QWidget *view = window->Vtip->viewport();
    const auto pointAt = [&](const QString &word) {
        QTextCursor found = window->Vtip->document()->find(word);
        EXPECT_FALSE(found.isNull());
        found.setPosition(found.selectionStart() + 1);
        return window->Vtip->cursorRect(found).center();
    };
    QTest::mouseClick(view, Qt::LeftButton, {}, pointAt(QStringLiteral("Slon")));
    EXPECT_EQ(services.urls, QStringList{QStringLiteral("https://vtipy.example.cz/slon")});
    QTest::mouseClick(view, Qt::LeftButton, {}, pointAt(QStringLiteral("Soubor")));
    EXPECT_EQ(services.urls.size(), 1) << "a file is not opened from a joke";
    // A press on the link and a release elsewhere selects; nothing opens.
    QTest::mousePress(view, Qt::LeftButton, {}, pointAt(QStringLiteral("Slon")));
    QTest::mouseRelease(view, Qt::LeftButton, {}, pointAt(QStringLiteral("Soubor")));
    EXPECT_EQ(services.urls.size(), 1);
}

} // namespace
