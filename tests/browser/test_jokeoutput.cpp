#include "store/rtfreader.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

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
};

TEST_F(JokeOutput, JokeIsShownWithItsFormats)
{
    QTextDocument *doc = window->Vtip->document();
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Slon\nŽádný vtip."));
    EXPECT_EQ(doc->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc->begin().next().begin().fragment().charFormat().foreground().color(),
              QColor(Qt::red));
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
    EXPECT_FALSE(window->Vtip->isHidden());
}

TEST_F(JokeOutput, SavingAsTextWritesWindows1250WithCrLf)
{
    const QString target = folder.absolute(QStringLiteral("Slon"));
    services.setNextFileName(target, 2);
    window->UlozVtip->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 1);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Uložit vtip jako..."));
    EXPECT_EQ(services.fileDialogs[0].filter,
              QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT"));
    EXPECT_EQ(services.fileDialogs[0].filterIndex, 2);
    EXPECT_EQ(services.fileDialogs[0].fileName, QStringLiteral("Slon"));
    EXPECT_EQ(folder.read(QStringLiteral("Slon.txt")), ansi(u"Slon⏎Žádný vtip.⏎"_qs));
}

TEST_F(JokeOutput, SavingAsRtfAppendsTheExtensionAndRemembersTheFilter)
{
    services.setNextFileName(folder.absolute(QStringLiteral("x.rtf")), 1);
    window->RychUloz->click();
    const QByteArray rtf = folder.read(QStringLiteral("x.rtf.rtf"));
    ASSERT_TRUE(rtf.startsWith("{\\rtf1"));
    QTextDocument back;
    ASSERT_TRUE(store::readRtf(rtf, &back));
    EXPECT_EQ(back.toPlainText(), QStringLiteral("Slon\nŽádný vtip."));

    services.setNextFileName(QString());
    window->Uloitjako1->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(services.fileDialogs[1].filterIndex, 1);
    EXPECT_FALSE(folder.exists(QStringLiteral("x.rtf")));
}

TEST_F(JokeOutput, FailedSaveIsReported)
{
    folder.mkdir(QStringLiteral("obsazeno.txt"));
    services.setNextFileName(folder.absolute(QStringLiteral("obsazeno")), 2);
    window->UlozVtip->trigger();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
}

TEST_F(JokeOutput, PrintingAsksForThePrinterFirst)
{
    services.setNextPrinterSetup(false);
    window->Tisk->trigger();
    EXPECT_EQ(services.printed, 0);
    services.setNextPrinterSetup(true);
    window->RychTisk->click();
    EXPECT_EQ(services.printed, 1);
}

TEST_F(JokeOutput, CopiesTheWholeJokeOrTheSelectionInThreeFormats)
{
    window->VtipCopy->click();
    ASSERT_TRUE(services.clipboard);
    EXPECT_EQ(services.clipboard->text(), QStringLiteral("Slon\nŽádný vtip."));
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
    EXPECT_EQ(services.clipboard->text(), QStringLiteral("Slon\nŽádný vtip."));
}

TEST_F(JokeOutput, FontCommandWarnsFirstAndOffersFourToSeventeenPoints)
{
    services.setNextFont(std::nullopt);
    window->Psmo1->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Nedoporučujeme měnit!!!"});
    const QFont before = window->Vtip->font();
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
    for (QWidget *b : {static_cast<QWidget *>(window->RychUloz), static_cast<QWidget *>(window->RychTisk),
                       static_cast<QWidget *>(window->VtipCopy), static_cast<QWidget *>(window->RychPismo)})
        EXPECT_TRUE(b->isHidden());
    clickRow(0);
    EXPECT_FALSE(window->Panel->isHidden());
}
