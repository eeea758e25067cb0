#include "store/book.h"
#include "store/files.h"
#include "support/testfolder.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cerrno>

#include <signal.h>
#include <unistd.h>

using namespace store;

namespace {

const QString kAnimals = u"Zvířata"_qs;
const QString kParrot = u"Papoušek"_qs;
const QString kFairyTales = u"Pohádky"_qs;
const QString kUnwritten = u"Perníková chaloupka"_qs;
const QString kNotWrittenNote = u"Vtip nebyl dosud napsán nebo nelze nalézt!!!"_qs;

// The sample collection copied into the test's program folder.
void copySample(const TestFolder &folder)
{
    const QDir sample(QStringLiteral(CHICHOTEK_SAMPLE));
    QDirIterator it(sample.filePath(u"DataBase"_qs), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        folder.write(sample.relativeFilePath(file), f.readAll());
    }
}

QStringList sampleLibraries()
{
    const std::optional<QStringList> list = readList(DbPath::listFile());
    EXPECT_TRUE(list.has_value());
    return list.value_or(QStringList());
}

struct Library
{
    QString name;
    QString description;
    QString author;
    QStringList jokes;
};

Library sampleLibrary(const QString &name)
{
    Library library;
    library.name = name;
    library.description = readText(DbPath::libraryFile(name, u".da1"_qs)).value_or(QString());
    library.author = readText(DbPath::libraryFile(name, u".da3"_qs)).value_or(QString()).trimmed();
    library.jokes = readList(DbPath::jokeList(name)).value_or(QStringList());
    return library;
}

// A joke's text as the book must show it: its plain text, or the note.
QString jokeText(const QString &library, const QString &joke)
{
    return readJokeText(DbPath::jokeFile(library, joke)).value_or(kNotWrittenNote);
}

// Text with no white space and no list bullets: what stays the same however
// a program breaks lines and sets lists.
QString squeezed(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isSpace() || c == QChar(0x2022) || c == QChar(0x25CF) || c == QChar(0xB7) ||
            c == QChar(0x25E6) || c == QChar(0xAD) || c == QChar(0xFEFF))
            continue;
        out += c;
    }
    return out;
}

// Runs a program to its end; its standard output, or why it failed.
bool run(const QString &program, const QStringList &arguments, QByteArray *output,
         int timeoutMs = 100000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own, so that what it starts (LibreOffice's real
    // program) goes with it when it is stopped.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        if (process.processId() > 0)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        *output = "did not run: " + program.toUtf8();
        return false;
    }
    *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Checks that the jokes of every library are in `text` in order, each name
// right before its text, each library's name before its jokes.
void expectJokesInOrder(const QString &text, const QStringList &libraries)
{
    const QString all = squeezed(text);
    qsizetype at = 0;
    for (const QString &name : libraries) {
        const Library library = sampleLibrary(name);
        const qsizetype title = all.indexOf(squeezed(library.name + library.description), at);
        ASSERT_GE(title, at) << "library " << name.toStdString() << " missing or out of order";
        at = title;
        for (const QString &joke : library.jokes) {
            const QString wanted = squeezed(joke + jokeText(name, joke));
            const qsizetype found = all.indexOf(wanted, at);
            ASSERT_GE(found, at) << "joke " << joke.toStdString() << " of " << name.toStdString()
                                 << " missing or out of order";
            at = found + wanted.size();
        }
    }
}

// Adds a picture to a joke's document as the book reads it, while it lives.
class PictureInJoke
{
public:
    PictureInJoke(const QString &library, const QString &joke, const QImage &picture)
    {
        store::testing::setBookJokeHook(
            [=](const QString &l, const QString &j, QTextDocument *doc) {
                if (l != library || j != joke)
                    return;
                doc->addResource(QTextDocument::ImageResource, QUrl(u"obrazek"_qs), picture);
                QTextCursor cursor(doc);
                cursor.movePosition(QTextCursor::End);
                cursor.insertBlock();
                QTextImageFormat format;
                format.setName(u"obrazek"_qs);
                cursor.insertImage(format);
            });
    }
    ~PictureInJoke() { store::testing::setBookJokeHook({}); }
    PictureInJoke(const PictureInJoke &) = delete;
    PictureInJoke &operator=(const PictureInJoke &) = delete;
};

QImage parrotPicture()
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0xA0, 0x40));
    for (int x = 0; x < 48; ++x)
        image.setPixel(x, x * 32 / 48, qRgb(0xE0, 0x30, 0x10));
    return image;
}

} // namespace

// The sample's every library as a PDF: the title, each library's title page
// and contents, every joke headed by its name and followed by its text in
// the library's order (a joke not written yet with the note), the contents'
// page numbers those of the headings, a number on every page, the fonts in
// the file.
TEST(Book, EveryLibraryAsPdfHasEveryJokeAtThePageItsContentsSays)
{
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_qs);
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TestFolder folder;
    copySample(folder);
    const QStringList libraries = sampleLibraries();
    ASSERT_GE(libraries.size(), 2);

    const QString pdf = folder.absolute(u"kniha.pdf"_qs);
    QString error;
    ASSERT_EQ(bookFormatFor(u"Kniha.PDF"_qs), BookFormat::Pdf);
    ASSERT_TRUE(writeBook(libraries, pdf, BookFormat::Pdf, &error)) << error.toStdString();

    QByteArray output;
    ASSERT_TRUE(run(pdftotext, {u"-layout"_qs, pdf, u"-"_qs}, &output)) << output.toStdString();
    QStringList pages = QString::fromUtf8(output).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    ASSERT_GE(pages.size(), 2 * libraries.size() + 2);

    // Each page ends with its number, which goes before the text is joined.
    QList<QStringList> lines;
    QString text;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        QStringList pageLines = pages[p].split(u'\n');
        while (!pageLines.isEmpty() && pageLines.last().trimmed().isEmpty())
            pageLines.removeLast();
        ASSERT_FALSE(pageLines.isEmpty()) << "page " << p + 1 << " is empty";
        EXPECT_EQ(pageLines.last().trimmed(), QString::number(p + 1)) << "page " << p + 1;
        pageLines.removeLast();
        lines += pageLines;
        text += pageLines.join(u'\n') + u'\n';
    }
    ASSERT_TRUE(lines[0].join(u'\n').contains(u"Chichotek"_qs));
    expectJokesInOrder(text, libraries);

    // A contents line: the name, leader dots, a page number.
    const auto contentsPage = [&](const QString &name, qsizetype from, qsizetype to) {
        for (qsizetype p = from; p < to; ++p) {
            for (const QString &line : lines[p]) {
                static const QRegularExpression entry(u"^\\s*(.+?)[\\s.]*\\s(\\d+)\\s*$"_qs);
                const QRegularExpressionMatch m = entry.match(line);
                if (m.hasMatch() && m.captured(1) == name)
                    return m.captured(2).toInt() - 1;
            }
        }
        return -1;
    };
    // The first page from `from` with a line that is only `name`.
    const auto headingPage = [&](const QString &name, qsizetype from) {
        for (qsizetype p = from; p < lines.size(); ++p) {
            for (const QString &line : lines[p]) {
                if (line.trimmed() == name)
                    return p;
            }
        }
        return qsizetype(-1);
    };

    std::vector<qsizetype> titles;
    for (const QString &name : libraries) {
        const Library library = sampleLibrary(name);
        const qsizetype title =
            headingPage(u"Autor: "_qs + library.author, titles.empty() ? 0 : titles.back() + 1);
        ASSERT_GE(title, 1) << name.toStdString();
        EXPECT_TRUE(lines[title].join(u'\n').contains(name)) << name.toStdString();
        EXPECT_EQ(contentsPage(name, 0, 1), title) << "front contents of " << name.toStdString();
        titles.push_back(title);
    }
    titles.push_back(lines.size());
    for (qsizetype l = 0; l < libraries.size(); ++l) {
        const Library library = sampleLibrary(libraries[l]);
        const qsizetype contents = titles[l] + 1;
        ASSERT_TRUE(lines[contents].join(u'\n').contains(u"Obsah"_qs))
            << library.name.toStdString();
        for (const QString &joke : library.jokes) {
            const qsizetype page = contentsPage(joke, contents, contents + 1);
            ASSERT_GT(page, contents) << joke.toStdString();
            EXPECT_EQ(headingPage(joke, contents + 1), page) << joke.toStdString();
            EXPECT_LT(page, titles[l + 1]) << joke.toStdString();
        }
    }

    // A joke not written yet is listed and says so.
    EXPECT_TRUE(squeezed(text).contains(squeezed(kUnwritten + kNotWrittenNote)));

    // The Czech letters come from fonts in the file.
    const QString pdffonts = QStandardPaths::findExecutable(u"pdffonts"_qs);
    if (!pdffonts.isEmpty()) {
        ASSERT_TRUE(run(pdffonts, {pdf}, &output)) << output.toStdString();
        const QStringList fontLines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_GE(fontLines.size(), 3);
        for (const QString &line : fontLines.mid(2)) {
            const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
            ASSERT_GE(columns.size(), 5) << line.toStdString();
            EXPECT_EQ(columns[columns.size() - 5], u"yes")
                << "not embedded: " << line.toStdString();
        }
    }
}

// The HTML of every library: well-formed XML; a contents link for every joke
// to an anchor that heads that joke; the jokes in order with their
// formatting; a picture inside the page as a data: URI.
TEST(Book, HtmlLinksEveryJokeAndHoldsItsPictures)
{
    TestFolder folder;
    copySample(folder);
    // A joke whose name and text hold what markup is made of.
    const QString markup = u"Kočka & pes"_qs;
    folder.write(u"DataBase/Zvířata/Kočka & pes.vti"_qs,
                 "{\\rtf1\\ansi\\ansicpg1250 Kdo vyhraje: <ko\\'e8ka> & \"pes\"? "
                 "]]> &amp; <![CDATA[\\par}");
    QStringList animals = readList(DbPath::jokeList(kAnimals)).value_or(QStringList());
    animals.insert(1, markup);
    ASSERT_TRUE(writeList(DbPath::jokeList(kAnimals), animals));
    const QStringList libraries = sampleLibraries();
    const QImage picture = parrotPicture();
    PictureInJoke parrot(kAnimals, kParrot, picture);

    const QString file = folder.absolute(u"kniha.html"_qs);
    QString error;
    ASSERT_TRUE(writeBook(libraries, file, BookFormat::Html, &error)) << error.toStdString();
    const QByteArray bytes = folder.read(u"kniha.html"_qs);

    // Every link, every anchor with the text of its element, and the images.
    QMap<QString, QString> links; // href -> text
    QStringList linkOrder;
    QMap<QString, QString> headings; // id of a joke's heading -> its text
    QStringList images;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"h2" && attributes.hasAttribute(u"id"_qs)) {
            headings[attributes.value(u"id"_qs).toString()] =
                xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == u"a") {
            const QString href = attributes.value(u"href"_qs).toString();
            const QString linkText = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            links[href] = linkText;
            linkOrder += href;
        } else if (xml.name() == u"img") {
            images += attributes.value(u"src"_qs).toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line "
                                 << xml.lineNumber();

    QStringList expectedLinks;
    for (const QString &name : libraries) {
        const Library library = sampleLibrary(name);
        for (const QString &joke : library.jokes) {
            // The contents link to it, and the anchor it links to heads it.
            QString href;
            for (const QString &h : linkOrder) {
                if (links[h] == joke && !expectedLinks.contains(h)) {
                    href = h;
                    break;
                }
            }
            ASSERT_TRUE(href.startsWith(u'#')) << "no contents link to " << joke.toStdString();
            EXPECT_EQ(headings.value(href.mid(1)), joke) << href.toStdString();
            expectedLinks += href;
        }
    }
    // The contents link in the library's order.
    qsizetype last = -1;
    for (const QString &href : expectedLinks) {
        const qsizetype at = linkOrder.indexOf(href);
        EXPECT_GT(at, last) << href.toStdString();
        last = at;
    }

    QTextDocument plain;
    plain.setHtml(QString::fromUtf8(bytes));
    expectJokesInOrder(plain.toPlainText(), libraries);
    EXPECT_TRUE(squeezed(plain.toPlainText()).contains(squeezed(kUnwritten + kNotWrittenNote)));

    // The red words of "Pes v kině" stay red, the program's code stays in
    // its font.
    const QString html = QString::fromUtf8(bytes);
    EXPECT_TRUE(html.contains(u"color:#ff0000;\">„Knížka se mu vůbec nelíbila.“"_qs));
    EXPECT_TRUE(html.contains(u"font-family:'Courier New'"_qs));

    ASSERT_EQ(images.size(), 1);
    const QString prefix = u"data:image/png;base64,"_qs;
    ASSERT_TRUE(images[0].startsWith(prefix));
    const QImage shown =
        QImage::fromData(QByteArray::fromBase64(images[0].mid(prefix.size()).toLatin1()));
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), picture);
}

// The EPUB of every library, with a picture, passes epubcheck without an
// error or a warning.
TEST(Book, EpubPassesEpubcheck)
{
    const QString epubcheck = QStandardPaths::findExecutable(u"epubcheck"_qs);
    if (epubcheck.isEmpty())
        GTEST_SKIP() << "epubcheck is not installed";
    TestFolder folder;
    copySample(folder);
    PictureInJoke parrot(kAnimals, kParrot, parrotPicture());
    const QString file = folder.absolute(u"kniha.epub"_qs);
    QString error;
    ASSERT_TRUE(writeBook(sampleLibraries(), file, BookFormat::Epub, &error))
        << error.toStdString();

    // Debian installs epubcheck as the jar itself.
    QString program = epubcheck;
    QStringList arguments{file};
    QFile check(epubcheck);
    if (check.open(QIODevice::ReadOnly) && check.read(2) == "PK") {
        program = u"java"_qs;
        arguments = QStringList{u"-jar"_qs, epubcheck, file};
    }
    QByteArray output;
    EXPECT_TRUE(run(program, arguments, &output)) << output.toStdString();
    EXPECT_FALSE(output.contains("ERROR")) << output.toStdString();
    EXPECT_FALSE(output.contains("WARNING")) << output.toStdString();
    EXPECT_TRUE(output.contains("No errors or warnings detected")) << output.toStdString();
}

// The OpenDocument text, as LibreOffice reads it, holds every library's
// jokes in order, each under its name.
TEST(Book, OdtOpensInLibreOfficeWithEveryJoke)
{
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_qs);
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    TestFolder folder;
    copySample(folder);
    const QStringList libraries = sampleLibraries();
    const QString file = folder.absolute(u"kniha.odt"_qs);
    QString error;
    ASSERT_TRUE(writeBook(libraries, file, BookFormat::Odt, &error)) << error.toStdString();

    const QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());
    QByteArray output;
    ASSERT_TRUE(run(soffice,
                    {u"-env:UserInstallation="_qs +
                         QUrl::fromLocalFile(profile.path()).toString(QUrl::FullyEncoded),
                     u"--headless"_qs, u"--convert-to"_qs, u"txt:Text"_qs, u"--outdir"_qs,
                     folder.absolute(u"text"_qs), file},
                    &output))
        << output.toStdString();
    const QByteArray text = folder.read(u"text/kniha.txt"_qs);
    ASSERT_FALSE(text.isEmpty()) << output.toStdString();
    const QString converted = QString::fromUtf8(text);
    EXPECT_TRUE(converted.startsWith(u"Chichotek"_qs) ||
                converted.startsWith(u"\uFEFFChichotek"_qs));
    expectJokesInOrder(converted, libraries);
    EXPECT_TRUE(squeezed(converted).contains(squeezed(kUnwritten + kNotWrittenNote)));
}

// A save that fails says why and leaves the file there before as it was, in
// every format, with no file of the save's left behind.
TEST(Book, FailedSaveLeavesTheOldFile)
{
    TestFolder folder;
    copySample(folder);
    struct Reset
    {
        ~Reset() { store::testing::setSaveFault(std::nullopt); }
    } reset;
    for (const QString &name :
         {u"kniha.html"_qs, u"kniha.pdf"_qs, u"kniha.odt"_qs, u"kniha.epub"_qs}) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray old = "the book before";
        folder.write(name, old);
        const std::optional<BookFormat> format = bookFormatFor(name);
        ASSERT_TRUE(format.has_value());
        for (const SaveStep step : {SaveStep::Write, SaveStep::Rename}) {
            store::testing::setSaveFault(step, ENOSPC);
            QString error;
            EXPECT_FALSE(writeBook({kFairyTales}, folder.absolute(name), *format, &error));
            store::testing::setSaveFault(std::nullopt);
            EXPECT_TRUE(error.contains(name)) << error.toStdString();
            EXPECT_EQ(folder.read(name), old);
        }
    }
    const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left,
              QStringList({u"kniha.epub"_qs, u"kniha.html"_qs, u"kniha.odt"_qs, u"kniha.pdf"_qs}));

    // A library that cannot be read makes no book at all.
    QString error;
    EXPECT_FALSE(
        writeBook({u"Nikde"_qs}, folder.absolute(u"kniha.pdf"_qs), BookFormat::Pdf, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(folder.read(u"kniha.pdf"_qs), QByteArray("the book before"));
}
