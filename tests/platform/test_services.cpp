#include "platform/fontdialog.h"
#include "platform/qtservices.h"
#include "support/fakeservices.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QListWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;

TEST(FileFilters, ShowEachPatternOnce)
{
    // A name that shows its patterns already stays as it is; any other gets
    // them after it, in lower case.
    EXPECT_EQ(
        QtServices::qtFilters(QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT")),
        (QStringList{"RTF Dokument (*.rtf)", "Textový dokument (*.txt)"}));
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Ikonky (*.ico)|*.ico")),
              QStringList{"Ikonky (*.ico)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Obrázky (*.JPG;*.bmp)|*.bmp;*.jpg")),
              QStringList{"Obrázky (*.JPG;*.bmp)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Obrázky|*.bmp;*.JPG;*.jpg")),
              QStringList{"Obrázky (*.bmp *.jpg)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Vše|*")), QStringList{"Vše (*)"});
    EXPECT_TRUE(QtServices::qtFilters(QString()).isEmpty());
}

TEST(FileFilters, NameShowingOtherPatternsGetsTheRightOnes)
{
    // Only the patterns at the end count: Qt's dialog matches those.
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Text (*.txt)|*.txt;*.asc")),
              QStringList{"Text (*.txt) (*.txt *.asc)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Staré (verze 4)|*.da1")),
              QStringList{"Staré (verze 4) (*.da1)"});
}

namespace {

// The names the file dialog lists in its folder, once it has read the folder,
// in order and separated by blanks.
std::string listedFiles(QFileDialog &dialog, int atLeast)
{
    auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    if (!view)
        return "<no list>";
    const auto names = [view] {
        QStringList out;
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, view->rootIndex());
            if (model->flags(index) & Qt::ItemIsEnabled)
                out << index.data().toString();
        }
        out.sort();
        return out;
    };
    // A list that stays short is what the test reports.
    (void)QTest::qWaitFor([&] { return names().size() >= atLeast; }, 5000);
    // Whatever else would come in comes now.
    QTest::qWait(50);
    return names().join(u' ').toStdString();
}

} // namespace

TEST(FileDialog, ListsTheFilesOfTheFilterWhateverTheirLetterCase)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char *name : {"A.TXT", "b.txt", "c.Txt", "d.rtf", "E.RTF", "f.doc"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    FileDialog options;
    options.filter = QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT");
    options.filterIndex = 2;
    options.folder = folder.path();
    options.mustExist = false;
    const std::unique_ptr<QFileDialog> dialog = QtServices::fileDialog(nullptr, options, true);
    ASSERT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{"RTF Dokument (*.rtf)", "Textový dokument (*.txt)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Textový dokument (*.txt)"));
    dialog->show();
    EXPECT_EQ(listedFiles(*dialog, 3), "A.TXT b.txt c.Txt");

    dialog->selectNameFilter(dialog->nameFilters().first());
    EXPECT_EQ(listedFiles(*dialog, 2), "E.RTF d.rtf");
    dialog->close();
}

TEST(FileDialog, TellsTheChosenFilterByItsPlaceInTheList)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    FileDialog options;
    options.filter = QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT");
    options.filterIndex = 2;
    options.folder = folder.path();
    options.mustExist = false;
    const QString chosen = folder.filePath(QStringLiteral("vtip"));
    QtServices desktop;
    // The user picks the first filter and a name; a dialog that does not open,
    // or does not close on the answer, fails the test and is closed.
    auto *answer = new QTimer;
    const QDeadlineTimer deadline(10000);
    QObject::connect(answer, &QTimer::timeout, answer, [=] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog && !deadline.hasExpired())
            return;
        answer->stop();
        answer->deleteLater();
        if (!dialog) {
            ADD_FAILURE() << "the file dialog did not open";
            return;
        }
        dialog->selectNameFilter(dialog->nameFilters().first());
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the file dialog stayed open";
            dialog->reject();
        }
    });
    answer->start(5);
    const FileChoice choice = desktop.saveFile(nullptr, options);
    EXPECT_EQ(choice.filterIndex, 1);
    EXPECT_EQ(QFileInfo(choice.fileName).fileName(), QStringLiteral("vtip"));
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
    auto *sizes = dialog.findChild<QListWidget *>(QStringLiteral("Velikost"));
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
