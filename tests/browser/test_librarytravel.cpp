// A library leaves the window as one file and comes back through it: the
// menu commands, a file dropped on the window, a file handed over by a
// second start, and the book and its print preview.
#include "browser/Program.h"
#include "browser/SingleWindow.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "store/files.h"
#include "store/librarypackage.h"
#include "support/fakeservices.h"
#include "support/mainwindowfixture.h"
#include "support/testfolder.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class LibraryTravel : public MainWindowFixture
{
protected:
    // Drops a file on the main window as a file manager does; true when the
    // window took it.
    bool drop(const QString &file)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &dropped);
        QCoreApplication::processEvents(); // the import runs once the drop is done
        return dropped.isAccepted();
    }

    // Every file of the library as it lies in `DataBase`.
    QMap<QString, QByteArray> libraryFiles(const QString &library) const
    {
        QMap<QString, QByteArray> files;
        for (const auto &[path, bytes] : folder.snapshot().asKeyValueRange()) {
            if (path.startsWith(QStringLiteral("DataBase/") + library + u'.') ||
                path.startsWith(QStringLiteral("DataBase/") + library + u'/'))
                files.insert(path.mid(9 + library.size()), bytes);
        }
        return files;
    }

    QTemporaryDir outside;
};

} // namespace

// Exported from the window, the library comes back under another name with
// the same bytes; a hostile file dropped on the window changes nothing; a
// good one dropped is listed at once.
TEST_F(LibraryTravel, ALibraryGoesOutAsOneFileAndComesBackWhole)
{
    start();
    clickRow(0); // Zvířata
    ASSERT_EQ(window->Edit->text(), QStringLiteral("Zvířata"));
    const QString zip = outside.filePath(QStringLiteral("Zvířata.chichotek.zip"));
    services.setNextFileName(zip);
    window->Exportovat->trigger();
    ASSERT_EQ(services.fileDialogs.size(), 1);
    EXPECT_EQ(services.fileDialogs.last().fileName, QStringLiteral("Zvířata.chichotek.zip"));
    ASSERT_TRUE(QFileInfo(zip).isFile()) << services.texts().join(u'|').toStdString();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("Zvířata.chichotek.zip")));
    services.shown.clear();

    // The name is taken: first a name the wizard refuses too, then a free one.
    const QByteArray listBefore = listBytes();
    services.setNextFileName(zip);
    services.setNextChoice(0); // "Importovat pod jiným názvem..."
    services.setNextText(QStringLiteral("zvířata"));
    services.setNextText(QStringLiteral("Zvířata z výletu"));
    window->Importovat->trigger();
    EXPECT_EQ(services.prompts.size(), 2);
    EXPECT_EQ(services.texts(), (QStringList{QStringLiteral("Knihovna „Zvířata“ už v databázi je."),
                                             QStringLiteral("Databáze již existuje!!!")}));
    EXPECT_EQ(listBytes(), listBefore + ansi(QStringLiteral("Zvířata z výletu⏎")));
    EXPECT_EQ(window->Seznam->items().last(), QStringLiteral("Zvířata z výletu"));
    EXPECT_EQ(window->Edit->text(), QStringLiteral("Zvířata z výletu"));
    QMap<QString, QByteArray> copy = libraryFiles(QStringLiteral("Zvířata z výletu"));
    const QMap<QString, QByteArray> original = libraryFiles(QStringLiteral("Zvířata"));
    ASSERT_EQ(copy.size(), original.size());
    EXPECT_EQ(copy.take(QStringLiteral(".vtp")), ansi(QStringLiteral("Zvířata z výletu⏎")));
    for (const auto &[name, bytes] : copy.asKeyValueRange())
        EXPECT_EQ(bytes, original.value(name)) << name.toStdString();
    EXPECT_EQ(services.unscripted, 0);

    // A zip of two libraries is refused whole.
    services.shown.clear();
    const QString hostile = outside.filePath(QStringLiteral("dve.zip"));
    {
        TestFolder maker;
        maker.makeProgramFolder();
        maker.makeLibrary(QStringLiteral("Jedna"), {QStringLiteral("Vtip")});
        maker.makeLibrary(QStringLiteral("Druhá"), {QStringLiteral("Vtip")});
        QProcess zipper;
        zipper.setWorkingDirectory(maker.absolute(QStringLiteral("DataBase")));
        zipper.start(QStringLiteral("zip"), {QStringLiteral("-qr"), hostile, QStringLiteral(".")});
        ASSERT_TRUE(zipper.waitForFinished(10000));
        ASSERT_EQ(zipper.exitCode(), 0) << zipper.readAllStandardError().toStdString();
    }
    const QMap<QString, QByteArray> before = folder.snapshot();
    EXPECT_TRUE(drop(hostile));
    EXPECT_TRUE(oneError());
    EXPECT_EQ(folder.snapshot(), before);

    // A good one dropped is imported without a question.
    services.shown.clear();
    TestFolder elsewhere;
    elsewhere.makeProgramFolder();
    elsewhere.makeLibrary(QStringLiteral("Hospoda"), {QStringLiteral("Pivo")});
    const QString good = outside.filePath(QStringLiteral("hospoda.zip"));
    QString error;
    ASSERT_TRUE(store::exportLibrary(QStringLiteral("Hospoda"), good, &error))
        << error.toStdString();
    QDir::setCurrent(folder.path());
    EXPECT_TRUE(drop(good));
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u'|').toStdString();
    EXPECT_EQ(window->Seznam->items().last(), QStringLiteral("Hospoda"));
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Hospoda/Pivo.vti")));
    EXPECT_FALSE(drop(outside.filePath(QStringLiteral("kniha.pdf")))); // not a library file
}

// One library or every one as a book, its print preview, and the preview of
// the joke shown.
TEST_F(LibraryTravel, BooksArePrintedThroughThePreview)
{
    start();
    clickRow(0);
    services.setNextChoice(1);                                              // every library
    services.setNextFileName(outside.filePath(QStringLiteral("kniha")), 1); // HTML
    window->ExportKniha->trigger();
    QFile book(outside.filePath(QStringLiteral("kniha.html")));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly)) << services.texts().join(u'|').toStdString();
    const QByteArray html = book.readAll();
    ASSERT_FALSE(html.isEmpty()) << services.texts().join(u'|').toStdString();
    const QString text = QString::fromUtf8(html);
    EXPECT_LT(text.indexOf(QStringLiteral("Slon")), text.indexOf(QStringLiteral("Ťukání")));

    services.setNextChoice(0); // the library selected
    services.setNextPreview(true);
    window->TiskKnihovny->trigger();
    EXPECT_EQ(services.previews, 1);
    EXPECT_TRUE(services.previewPdf.startsWith("%PDF"))
        << services.texts().join(u'|').toStdString();

    openLibrary(0);
    clickRow(0); // Slon
    ASSERT_TRUE(window->NahledTisku->isEnabled());
    services.previewPdf.clear();
    services.setNextPreview(true);
    window->NahledTisku->trigger();
    EXPECT_EQ(services.previews, 2);
    EXPECT_TRUE(services.previewPdf.startsWith("%PDF"));
    EXPECT_FALSE(window->Importovat->isEnabled()); // a library is open
    EXPECT_EQ(services.unscripted, 0);
}

// The file manager starts the program with a library file: a window of the
// folder that is open already gets it, and offers to import it.
TEST(LibraryFileHandedOver, GoesToTheWindowOfTheFolder)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.write(QStringLiteral("Vtipy.chichotek.zip"), "PK");
    const CommandLine line =
        readCommandLine({folder.path(), folder.absolute(QStringLiteral("Vtipy.chichotek.zip"))});
    EXPECT_EQ(line.action, CommandLine::Run);
    EXPECT_EQ(line.folder, folder.path());
    EXPECT_EQ(line.file, folder.absolute(QStringLiteral("Vtipy.chichotek.zip")));

    QStringList handed;
    SingleWindow first;
    first.answerFor(folder.path(), [&handed](const QString &file) { handed << file; });
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(folder.path());
    second.start(QStringLiteral(CHICHOTEK_BINARY), {QStringLiteral("--folder"), folder.path(),
                                                    QStringLiteral("Vtipy.chichotek.zip")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000))
        << "the second program did not end";
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(handed, QStringList{folder.absolute(QStringLiteral("Vtipy.chichotek.zip"))});
}
