#include "authoring/Unit8.h"
#include "editorfixture.h"
#include "store/codepage.h"

#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentWriter>
#include <QTextList>
#include <QUrl>

#include <iostream>

namespace {

const QString kTitle = QStringLiteral("Přidat vtipy ze souborů...");
const QString kFilter = QStringLiteral("Vtipy a texty (*.rtf;*.txt;*.html;*.htm;*.odt;*.md)|"
                                       "*.rtf;*.txt;*.html;*.htm;*.odt;*.md|Všechny soubory (*)|*");
// The head of every joke file the program writes.
const QByteArray kRtfHead = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl";

// Fails the test when a modal window stays open with nothing to answer it
// (one the test did not expect), and closes it, so that the test goes on.
// The windows a test expects are answered at once (whenModal()).
class ModalWatchdog
{
public:
    ModalWatchdog()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            QWidget *open = QApplication::activeModalWidget();
            if (!open || open != m_seen) {
                m_seen = open;
                m_ticks = 0;
                return;
            }
            if (++m_ticks < 40)
                return;
            ADD_FAILURE() << "an unexpected modal window stayed open: "
                          << open->objectName().toStdString();
            if (auto *dialog = qobject_cast<QDialog *>(open))
                dialog->reject();
            else
                open->hide();
            m_ticks = 0;
        });
        m_timer.start(50);
    }

private:
    QTimer m_timer;
    QPointer<QWidget> m_seen;
    int m_ticks = 0;
};

// The editor on "Zvířata" (Slon, Žirafa, Opice), its name prompt, and a
// folder outside the program's with the files the user adds.
class JokesFromFilesTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
        prompt = std::make_unique<TPridat2>(&host, nullptr);
        Pridat2 = prompt.get();
    }

    void TearDown() override
    {
        store::testing::setSaveFault(std::nullopt);
        store::setReadOnly(false);
        QFile::setPermissions(folder.absolute(u"DataBase/Zvířata/Vtipy.sez"_qs),
                              QFile::ReadOwner | QFile::WriteOwner);
        Pridat2 = nullptr;
        prompt->hide();
        EditorFixture::TearDown();
    }

    // Writes a file of the user's; its full path.
    QString put(const QString &name, const QByteArray &bytes) const
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
        return path;
    }

    // An OpenDocument text that Qt's own writer writes: a paragraph with a
    // bold and an italic word, a bulleted list of two items, and a paragraph
    // with a line break and a tab.
    QString qtOdt(const QString &name) const
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QTextCharFormat italic;
        italic.setFontItalic(true);
        c.insertText(u"Obyčejný "_qs, QTextCharFormat());
        c.insertText(u"tučný"_qs, bold);
        c.insertText(u" a "_qs, QTextCharFormat());
        c.insertText(u"šikmý"_qs, italic);
        c.insertBlock();
        c.createList(QTextListFormat::ListDisc);
        c.insertText(u"jedna"_qs, QTextCharFormat());
        c.insertBlock();
        c.insertText(u"dvě"_qs);
        c.insertBlock(QTextBlockFormat());
        c.insertText(u"řádek"_qs + QChar(0x2028) + u"druhý\ttab"_qs);
        const QString path = m_files.filePath(name);
        QTextDocumentWriter writer(path, "odf");
        EXPECT_TRUE(writer.write(&doc));
        return path;
    }

    // An OpenDocument text that LibreOffice writes of `html`, in a profile
    // of its own; empty when LibreOffice is not installed.
    QString libreOfficeOdt(const QString &name, const QByteArray &html) const
    {
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_qs);
        if (soffice.isEmpty())
            return {};
        QTemporaryDir work;
        EXPECT_TRUE(work.isValid());
        const QString source = work.filePath(QFileInfo(name).completeBaseName() + u".html"_qs);
        QFile file(source);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
        file.close();
        QProcess office;
        office.setProcessChannelMode(QProcess::MergedChannels);
        office.start(
            soffice,
            {u"-env:UserInstallation="_qs +
                 QUrl::fromLocalFile(work.filePath(u"profile"_qs)).toString(QUrl::FullyEncoded),
             u"--headless"_qs, u"--infilter=HTML (StarWriter)"_qs, u"--convert-to"_qs,
             u"odt:writer8"_qs, u"--outdir"_qs, m_files.path(), source});
        const bool finished = office.waitForFinished(100'000);
        if (!finished) {
            office.kill();
            office.waitForFinished();
        }
        EXPECT_TRUE(finished && office.exitCode() == 0) << office.readAll().toStdString();
        const QString path = m_files.filePath(name);
        EXPECT_TRUE(QFileInfo::exists(path)) << office.readAll().toStdString();
        return path;
    }

    // A joke's file as the program reads it; its head is the program's own.
    std::unique_ptr<QTextDocument> joke(const QString &name) const
    {
        auto doc = std::make_unique<QTextDocument>();
        const QByteArray bytes = db(library() + u'/' + name + u".vti"_qs);
        EXPECT_TRUE(bytes.startsWith(kRtfHead)) << name.toStdString();
        store::richTextFromBytes(bytes, doc.get());
        return doc;
    }

    // The format of the first letter of `word`.
    static QTextCharFormat formatOf(const QTextDocument &doc, const QString &word)
    {
        const QTextCursor found = doc.find(word);
        EXPECT_FALSE(found.isNull()) << word.toStdString();
        if (found.isNull())
            return {};
        QTextCursor at(found);
        at.setPosition(found.selectionStart() + 1);
        return at.charFormat();
    }

    static bool isBold(const QTextCharFormat &f) { return f.fontWeight() >= QFont::Bold; }

    // A drag of these files over the joke list; whether the list takes it.
    bool dragOver(QMimeData *data)
    {
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(editor->Seznam->viewport(), &enter);
        return enter.isAccepted();
    }

    QTemporaryDir m_files;
    std::unique_ptr<TPridat2> prompt;
    ModalWatchdog watchdog;
};

std::unique_ptr<QMimeData> urls(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString &path : paths)
        list << (path.contains(u"://"_qs) ? QUrl(path) : QUrl::fromLocalFile(path));
    data->setUrls(list);
    return data;
}

} // namespace

TEST_F(JokesFromFilesTest, OneRunAddsAJokeOfEachKindAndLeavesOutWhatItCannot)
{
    QStringList files;
    files << put(u"Vtip z RTF.rtf"_qs,
                 "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                 "\\pard\\f0\\fs24 Ahoj \\b tu\\'e8n\\'fd\\b0  sv\\'ecte\\par}");
    files << put(u"Kočka 1250.txt"_qs,
                 store::encode1250(u"Příliš žluťoučký kůň\r\núpěl ďábelské ódy.\r\n"_qs));
    files << put(u"Pes s BOM.txt"_qs, "\xEF\xBB\xBF" + u"Pes říká: haf!\nKonec."_qs.toUtf8());
    files << put(u"Pes bez BOM.txt"_qs, u"Čau, šéfe!\rDruhý\nTřetí\r\n"_qs.toUtf8());
    files << put(u"Stránka.html"_qs,
                 u"<html><head><meta charset=\"utf-8\"></head><body>"
                 "<p>Obyčejný <b>tučný</b> <span style=\"color:#ff0000\">červený</span>"
                 "<img src=\"http://example.com/obrazek.png\"><img src=\"obrazek.png\"></p>"
                 "</body></html>"_qs.toUtf8());
    put(u"obrazek.png"_qs, "\x89PNG not really");
    files << qtOdt(u"Qt dokument.odt"_qs);
    const QString office = libreOfficeOdt(
        u"LibreOffice.odt"_qs,
        u"<html><head><meta charset=\"utf-8\"></head><body>"
        "<p>Obyčejný <b>tučný</b> a <i>šikmý</i> <span style=\"color:#ff0000\">červený</span></p>"
        "<ul><li>chleba</li><li>mléko</li></ul>"
        "<p align=\"center\">Uprostřed</p><h1>Nadpis</h1></body></html>"_qs.toUtf8());
    if (!office.isEmpty())
        files << office;
    files << put(u"Markdown.md"_qs, u"Jen **tučně** a *kurzívou*.\n"_qs.toUtf8());
    files << put(u"SLON.txt"_qs, "Druhy slon");
    files << put(u"Proč?.txt"_qs, "Proto.");
    files << put(u"Rozbitý.odt"_qs, "Tohle není zip.");
    files << put(u"Binární.txt"_qs, QByteArray("MZ\x00\x01\x02", 5));

    open();
    // The joke being written is saved first.
    clickRow(editor->Seznam, 0);
    type(u" a dost"_qs);

    // A name the library has (letter case aside): the prompt asks with it
    // filled in, and takes only a name that will do. A name no file can
    // have: "Storno" leaves the file out.
    whenModal(prompt.get(), [&] {
        EXPECT_EQ(prompt->JmenoVtipu->text(), u"SLON"_qs);
        EXPECT_TRUE(prompt->Label1->text().contains(u"„SLON.txt“"_qs));
        EXPECT_TRUE(prompt->Label1->text().contains(u"Vtip „SLON“ už v knihovně je."_qs));
        prompt->JmenoVtipu->setText(u"žirafa"_qs);
        prompt->Button2->click();
        EXPECT_TRUE(prompt->isVisible());
        EXPECT_TRUE(prompt->Label1->text().contains(u"Vtip „žirafa“ už v knihovně je."_qs));
        prompt->JmenoVtipu->setText(u"Slon ze souboru"_qs);
        prompt->Button2->click();
        whenModal(prompt.get(), [&] {
            EXPECT_EQ(prompt->JmenoVtipu->text(), u"Proč?"_qs);
            EXPECT_TRUE(prompt->Label1->text().contains(
                u"Název „Proč?“ nelze použít jako název souboru."_qs));
            prompt->Button1->click();
        });
    });
    services.setNextFileNames(files);
    editor->PridatSoubory->click();

    ASSERT_EQ(services.fileDialogs.size(), 1);
    EXPECT_EQ(services.fileDialogs[0].title, kTitle);
    EXPECT_EQ(services.fileDialogs[0].filter, kFilter);
    EXPECT_EQ(jokeText(u"Slon"_qs), u"Slon a dost"_qs);

    // One list write with every new name, in the order of the files.
    const QString fromOffice = office.isEmpty() ? QString() : u"LibreOffice⏎"_qs;
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Vtip z RTF⏎Kočka 1250⏎Pes s BOM⏎"
                                "Pes bez BOM⏎Stránka⏎Qt dokument⏎"_qs +
                                fromOffice + u"Markdown⏎Slon ze souboru⏎"_qs));
    EXPECT_FALSE(inDb(u"Zvířata/Proč?.vti"_qs));
    // The first new joke is selected and open.
    EXPECT_EQ(view(), u"3|Vtip z RTF|on|Ahoj tučný světe"_qs);
    // One message names the files that could not be read.
    ASSERT_TRUE(oneError(services, u"Rozbitý.odt"_qs));
    EXPECT_TRUE(services.shown[0].text.contains(u"Binární.txt"_qs));

    {
        const auto doc = joke(u"Vtip z RTF"_qs);
        EXPECT_TRUE(isBold(formatOf(*doc, u"tučný"_qs)));
        EXPECT_FALSE(isBold(formatOf(*doc, u"světe"_qs)));
    }
    {
        // Plain text takes the joke box's font, as a joke typed there does;
        // its letters go into the file in the program's code page.
        const QByteArray rtf = db(u"Zvířata/Kočka 1250.vti"_qs);
        EXPECT_TRUE(rtf.contains("P\\'f8\\'edli\\'9a \\'9elu\\'9dou\\'e8k\\'fd k\\'f9\\'f2\\par"));
        const auto doc = joke(u"Kočka 1250"_qs);
        EXPECT_EQ(doc->toPlainText(), u"Příliš žluťoučký kůň\núpěl ďábelské ódy."_qs);
        const QTextCharFormat f = formatOf(*doc, u"kůň"_qs);
        EXPECT_EQ(f.fontFamilies().toStringList().value(0), editor->Vtip->font().family());
        EXPECT_EQ(isBold(f), editor->Vtip->font().bold());
    }
    EXPECT_EQ(joke(u"Pes s BOM"_qs)->toPlainText(), u"Pes říká: haf!\nKonec."_qs);
    EXPECT_EQ(joke(u"Pes bez BOM"_qs)->toPlainText(), u"Čau, šéfe!\nDruhý\nTřetí"_qs);
    {
        // The page's pictures are not kept: a joke holds text only.
        const auto doc = joke(u"Stránka"_qs);
        EXPECT_EQ(doc->toPlainText(), u"Obyčejný tučný červený"_qs);
        EXPECT_FALSE(isBold(formatOf(*doc, u"Obyčejný"_qs)));
        EXPECT_TRUE(isBold(formatOf(*doc, u"tučný"_qs)));
        EXPECT_EQ(formatOf(*doc, u"červený"_qs).foreground().color(), QColor(Qt::red));
    }
    {
        // Qt's writer puts a tab before each line break: it is not text.
        const auto doc = joke(u"Qt dokument"_qs);
        EXPECT_EQ(doc->toPlainText(), u"Obyčejný tučný a šikmý\njedna\ndvě\nřádek\ndruhý\ttab"_qs);
        EXPECT_TRUE(isBold(formatOf(*doc, u"tučný"_qs)));
        EXPECT_TRUE(formatOf(*doc, u"šikmý"_qs).fontItalic());
        EXPECT_FALSE(isBold(formatOf(*doc, u"Obyčejný"_qs)) ||
                     formatOf(*doc, u"Obyčejný"_qs).fontItalic());
        const QTextBlock item = doc->findBlockByNumber(1);
        ASSERT_TRUE(item.textList());
        EXPECT_EQ(item.textList()->format().style(), QTextListFormat::ListDisc);
        EXPECT_EQ(item.textList(), item.next().textList());
        EXPECT_FALSE(item.next().next().textList());
    }
    if (!office.isEmpty()) {
        const auto doc = joke(u"LibreOffice"_qs);
        EXPECT_EQ(doc->toPlainText(),
                  u"Obyčejný tučný a šikmý červený\nchleba\nmléko\nUprostřed\nNadpis"_qs);
        EXPECT_TRUE(isBold(formatOf(*doc, u"tučný"_qs)));
        EXPECT_TRUE(formatOf(*doc, u"šikmý"_qs).fontItalic());
        EXPECT_EQ(formatOf(*doc, u"červený"_qs).foreground().color(), QColor(Qt::red));
        EXPECT_FALSE(isBold(formatOf(*doc, u"Obyčejný"_qs)));
        ASSERT_TRUE(doc->findBlockByNumber(1).textList());
        EXPECT_EQ(doc->findBlockByNumber(1).textList(), doc->findBlockByNumber(2).textList());
        EXPECT_EQ(doc->findBlockByNumber(3).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter);
        EXPECT_TRUE(isBold(formatOf(*doc, u"Nadpis"_qs)));
    } else {
        std::cout << "[   INFO   ] LibreOffice (soffice) is not installed: its .odt is not tried\n";
    }
    {
        const auto doc = joke(u"Markdown"_qs);
        EXPECT_EQ(doc->toPlainText(), u"Jen tučně a kurzívou."_qs);
        EXPECT_TRUE(isBold(formatOf(*doc, u"tučně"_qs)));
        EXPECT_FALSE(isBold(formatOf(*doc, u"Jen"_qs)));
        EXPECT_TRUE(formatOf(*doc, u"kurzívou"_qs).fontItalic());
    }
    EXPECT_EQ(joke(u"Slon ze souboru"_qs)->toPlainText(), u"Druhy slon"_qs);

    // The prompt is itself again for "Přidat...".
    EXPECT_EQ(prompt->size(), QSize(184, 86));
    EXPECT_EQ(prompt->Label1->text(), u"Zadejte název nového vtipu:"_qs);
    EXPECT_EQ(services.unscripted, 0);
}

TEST_F(JokesFromFilesTest, FilesDroppedOnTheListAreAddedTheSameWay)
{
    const QString vlk = put(u"Vlk.txt"_qs, "Vlk a sedm kozlatek");
    const QString vlk2 = put(u"vlk.md"_qs, "Vlk **podruhé**");
    const QString picture = put(u"Obrázek.png"_qs, "\x89PNG");
    open();

    // Only local files of the kinds jokes are made of.
    EXPECT_FALSE(dragOver(urls({vlk, picture}).get()));
    EXPECT_FALSE(dragOver(urls({vlk, u"https://example.com/vtip.txt"_qs}).get()));
    QMimeData text;
    text.setText(vlk);
    EXPECT_FALSE(dragOver(&text));

    const std::unique_ptr<QMimeData> data = urls({vlk, vlk2});
    EXPECT_TRUE(dragOver(data.get()));
    // Two files of one name: the second one's name goes to the prompt.
    whenModal(prompt.get(), [&] {
        EXPECT_EQ(prompt->JmenoVtipu->text(), u"vlk"_qs);
        prompt->JmenoVtipu->setText(u"Vlk podruhé"_qs);
        prompt->Button2->click();
    });
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(editor->Seznam->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the files stay where they are";
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->Seznam->count() == 5; }, 5000));

    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Žirafa⏎Opice⏎Vlk⏎Vlk podruhé⏎"_qs));
    EXPECT_EQ(view(), u"3|Vlk|on|Vlk a sedm kozlatek"_qs);
    EXPECT_EQ(joke(u"Vlk podruhé"_qs)->toPlainText(), u"Vlk podruhé"_qs);
    EXPECT_TRUE(isBold(formatOf(*joke(u"Vlk podruhé"_qs), u"podruhé"_qs)));
    EXPECT_TRUE(QFileInfo::exists(vlk)) << "dropped files are copied, not moved";
    EXPECT_TRUE(services.shown.isEmpty()) << services.texts().join(u" / "_qs).toStdString();
}

TEST_F(JokesFromFilesTest, AFailingSaveLeavesTheLibraryAsItWasAndSaysSo)
{
    const QStringList files{put(u"Vlk.txt"_qs, "Vlk"), put(u"Liška.rtf"_qs, "{\\rtf1 Li\\'9aka}")};
    open();
    const QMap<QString, QByteArray> before = folder.snapshot();
    const QStringList shownList = editor->Seznam->items();

    // The disk is full: no joke file, no list.
    store::testing::setSaveFault(store::SaveStep::Write);
    services.setNextFileNames(files);
    editor->PridatSoubory->click();
    store::testing::setSaveFault(std::nullopt);
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_EQ(editor->Seznam->items(), shownList);
    ASSERT_TRUE(oneError(services, u"knihovna zůstala beze změny"_qs));
    EXPECT_TRUE(services.shown[0].text.contains(u"Na disku není místo."_qs))
        << services.shown[0].text.toStdString();

    // The list file cannot be replaced: the joke files written before it
    // go again.
    services.shown.clear();
    ASSERT_TRUE(QFile::setPermissions(folder.absolute(u"DataBase/Zvířata/Vtipy.sez"_qs),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    services.setNextFileNames(files);
    editor->PridatSoubory->click();
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_EQ(editor->Seznam->items(), shownList);
    ASSERT_TRUE(oneError(services, u"knihovna zůstala beze změny"_qs));
    EXPECT_TRUE(services.shown[0].text.contains(u"Vtipy.sez"_qs))
        << services.shown[0].text.toStdString();
    EXPECT_EQ(view(), u"-1||off|"_qs);

    // While the database is open for reading only, the command and drops
    // are refused as every write is.
    services.shown.clear();
    store::setReadOnly(true);
    editor->PridatSoubory->click();
    EXPECT_TRUE(oneError(services, u"jen pro čtení"_qs));
    const std::unique_ptr<QMimeData> data = urls(files);
    EXPECT_FALSE(dragOver(data.get()));
    store::setReadOnly(false);
    EXPECT_EQ(services.fileDialogs.size(), 2) << "no dialog while read-only";
    EXPECT_EQ(folder.snapshot(), before);
}
