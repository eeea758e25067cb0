#include "platform/fontdialog.h"
#include "platform/qtservices.h"
#include "support/fakeservices.h"

#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace platform;

TEST(FileFilters, AreTranslatedWithBothLetterCases)
{
    EXPECT_EQ(
        QtServices::qtFilters(QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT")),
        (QStringList{"RTF Dokument (*.RTF *.rtf)", "Textový dokument (*.txt) (*.TXT *.txt)"}));
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Obrázky|*.bmp;*.jpg")),
              QStringList{"Obrázky (*.bmp *.BMP *.jpg *.JPG)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Vše|*")), QStringList{"Vše (*)"});
    EXPECT_TRUE(QtServices::qtFilters(QString()).isEmpty());
}

TEST(MemoryFigures, AreReadFromTheSystemsTable)
{
    const MemoryStatus status = parseMemInfo("MemTotal:        523760 kB\n"
                                             "MemFree:          10000 kB\n"
                                             "MemAvailable:    225000 kB\n");
    EXPECT_EQ(status.totalPhysicalKb, 523760u);
    EXPECT_EQ(status.memoryLoadPercent, 57);
    EXPECT_EQ(parseMemInfo("garbage\n\n").totalPhysicalKb, 0u);
    EXPECT_EQ(parseMemInfo("MemTotal: 100 kB\nMemAvailable: 500 kB\n").memoryLoadPercent, 0);
}

TEST(ServicesSeam, StandInReplacesTheDesktopWhileItLives)
{
    Services *desktop = &services();
    {
        FakeServices fake;
        EXPECT_EQ(&services(), &fake);
        fake.setNextAnswer(true);
        EXPECT_TRUE(services().confirm(QStringLiteral("Opravdu?")));
        EXPECT_FALSE(services().confirm(QStringLiteral("A znovu?")));
        EXPECT_EQ(fake.unscripted, 1);
        EXPECT_EQ(fake.shown[0].caption, QStringLiteral("Chichotek v 5.1"));
    }
    EXPECT_EQ(&services(), desktop);
}

TEST(Printing, FormattedJokeGoesToTheChosenPrinter)
{
    QTemporaryDir dir;
    QtServices desktop;
    desktop.printer().setOutputFormat(QPrinter::PdfFormat);
    desktop.printer().setOutputFileName(dir.filePath(QStringLiteral("vtip.pdf")));
    QTextDocument joke;
    joke.setHtml(QStringLiteral("<p align=center><b>Žirafa</b></p><p>Dlouhý krk.</p>"));
    QString error;
    ASSERT_TRUE(desktop.print(joke, QStringLiteral("Žirafa"), &error)) << error.toStdString();
    QFile pdf(dir.filePath(QStringLiteral("vtip.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(FontDialog, OffersOnlyTheAllowedSizes)
{
    FontDialog options;
    options.font = QFont(QStringLiteral("Liberation Sans"), 20);
    options.minSize = 4;
    options.maxSize = 17;
    FontDialogWindow dialog(options);
    const QList<int> sizes = dialog.sizes();
    ASSERT_FALSE(sizes.isEmpty());
    EXPECT_EQ(sizes.first(), 4);
    EXPECT_EQ(sizes.last(), 17);
    EXPECT_EQ(dialog.choice().font.pointSize(), 17);
}

// The main window's joke view has its font in pixels: the dialog shows that
// font in points, and OK without a change gives it back unchanged.
TEST(FontDialog, ShowsAFontInPixelsInPointsAndKeepsWhatIsNotChanged)
{
    FontDialog options;
    options.font = QFont(QStringLiteral("Liberation Sans"));
    options.font.setPixelSize(13);
    options.font.setBold(true);
    options.colour = QColor(Qt::black);
    options.minSize = 4;
    options.maxSize = 17;
    FontDialogWindow dialog(options);
    auto *sizes = dialog.findChild<QListWidget *>();
    ASSERT_TRUE(sizes && sizes->currentItem());
    EXPECT_EQ(sizes->currentItem()->text().toInt(), qRound(13 * 72.0 / dialog.logicalDpiY()));

    FontChoice unchanged = dialog.choice();
    EXPECT_EQ(unchanged.font, options.font);
    EXPECT_EQ(unchanged.font.pixelSize(), 13);
    EXPECT_EQ(unchanged.colour, options.colour);

    sizes->setCurrentRow(sizes->currentRow() + 2);
    EXPECT_EQ(dialog.choice().font.pointSize(), sizes->currentItem()->text().toInt());
    EXPECT_TRUE(dialog.choice().font.bold());
}
