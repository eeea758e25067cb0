#include "book.h"

#include "bookparts.h"
#include "bookxhtml.h"
#include "files.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextDocumentWriter>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <vector>

namespace store {

using namespace bookparts;

namespace {

// What the save routine hands its writes to, as a device for Qt's writers:
// the bytes go on in pieces of a good size, not as the writer makes them.
class ProducerDevice final : public QIODevice
{
public:
    explicit ProducerDevice(const std::function<void(QByteArrayView)> &write) : m_write(write) {}
    ~ProducerDevice() override { ProducerDevice::close(); }

    bool isSequential() const override { return true; }
    void close() override
    {
        if (!isOpen())
            return;
        pass();
        QIODevice::close();
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_buffer.append(data, size);
        if (m_buffer.size() >= kPiece)
            pass();
        return size;
    }

private:
    static constexpr qsizetype kPiece = 256 * 1024;

    void pass()
    {
        if (!m_buffer.isEmpty())
            m_write(m_buffer);
        m_buffer.clear();
    }

    const std::function<void(QByteArrayView)> &m_write;
    QByteArray m_buffer;
};

bool writeHtml(const std::vector<Library> &libraries, const QString &fileName, QString *error)
{
    const Producer produce = [&](const std::function<void(QByteArrayView)> &write) {
        QString out = pageStart(bookTitle(libraries),
                                u"<style>\n"_qs + styleSheet() + u"</style>\n"_qs, false);
        const auto flush = [&](QString &text) {
            if (text.size() < 64 * 1024)
                return;
            write(text.toUtf8());
            text.clear();
        };
        // The pictures go into the page itself: one file holds the whole book.
        const PictureAddress dataUri = [](const Picture &picture) {
            return u"data:"_qs + picture.mediaType + u";base64,"_qs +
                   QString::fromLatin1(picture.bytes.toBase64());
        };
        if (libraries.size() > 1)
            appendBookTitle(out, libraries, [](int) { return QString(); });
        for (std::size_t l = 0; l < libraries.size(); ++l)
            appendLibrary(out, libraries[l], int(l) + 1, dataUri, flush);
        out += pageEnd();
        write(out.toUtf8());
    };
    return writeExternal(fileName, produce, error);
}

bool writePdf(const std::vector<Library> &libraries, const QString &fileName, QString *error)
{
    bool painted = false;
    QString paintError;
    const Producer produce = [&](const std::function<void(QByteArrayView)> &write) {
        ProducerDevice device(write);
        device.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&device);
        pdf.setTitle(bookTitle(libraries));
        pdf.setCreator(u"Chichotek"_qs);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 18, 20, 12), QPageLayout::Millimeter));
        painted = paintPages(libraries, &pdf, &paintError);
    };
    if (!writeExternal(fileName, produce, error))
        return false;
    if (!painted && error)
        *error = paintError;
    return painted;
}

// Entries of a contents, one paragraph each, put in at once.
void addEntries(QTextCursor &cursor, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    cursor.insertBlock(blockFormat(Style::ContentsEntry), charFormat(Style::ContentsEntry));
    QString text = entries.join(QChar::ParagraphSeparator);
    text.replace(QChar::LineSeparator, u' ');
    cursor.insertText(text, charFormat(Style::ContentsEntry));
}

// Qt's OpenDocument writer takes a run's font from the single family of old
// (any other run gets "Sans"), which documents no longer set: each run gets
// it from its list of families, or from the document's font.
void nameFamilies(QTextDocument *doc)
{
    const QString fallback = doc->defaultFont().families().value(0, doc->defaultFont().family());
    struct Run
    {
        int position;
        int length;
        QString family;
    };
    std::vector<Run> runs;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() || format.hasProperty(QTextFormat::OldFontFamily))
                continue;
            const QString family = format.fontFamilies().toStringList().value(0);
            runs.push_back(
                {fragment.position(), fragment.length(), family.isEmpty() ? fallback : family});
        }
    }
    QTextCursor cursor(doc);
    for (const Run &run : runs) {
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        QTextCharFormat family;
        family.setFontFamilies({run.family});
        family.setProperty(QTextFormat::OldFontFamily, run.family);
        cursor.mergeCharFormat(family);
    }
}

// The whole book as one document, for Qt's OpenDocument writer: each joke's
// document goes in whole, headed by its name, its pictures with it.
QByteArray odtBytes(const std::vector<Library> &libraries)
{
    QTextDocument book;
    prepareDocument(&book);
    QTextCursor cursor(&book);
    Paragraphs paragraphs(cursor);
    bool newPage = false;
    if (libraries.size() > 1) {
        paragraphs.add(Style::BookTitle, u"Chichotek"_qs, false, 120);
        paragraphs.add(Style::ContentsTitle, u"Knihovny"_qs, false, 36);
        QStringList names;
        for (const Library &library : libraries)
            names += library.name;
        addEntries(cursor, names);
        newPage = true;
    }
    int pictures = 0;
    QTextDocument joke;
    for (const Library &library : libraries) {
        addTitlePage(paragraphs, library, 160, newPage);
        newPage = true;
        paragraphs.add(Style::ContentsTitle, u"Obsah"_qs, true);
        addEntries(cursor, library.jokes);
        for (qsizetype j = 0; j < library.jokes.size(); ++j) {
            prepareDocument(&joke);
            readJoke(library.name, library.jokes[j], &joke);
            addHeading(&joke, library.jokes[j]);
            // An A4 page's text is 17 cm wide.
            fitPictures(&joke, QSizeF(640, 860));
            forEachImage(&joke, [&](QTextImageFormat &format) {
                const std::optional<Picture> picture = pictureOf(joke, format);
                if (!picture)
                    return;
                const QString name = u"obrazek-%1"_qs.arg(++pictures);
                book.addResource(QTextDocument::ImageResource, QUrl(name),
                                 QImage::fromData(picture->bytes));
                if (!format.hasProperty(QTextFormat::ImageWidth))
                    format.setWidth(picture->size.width());
                if (!format.hasProperty(QTextFormat::ImageHeight))
                    format.setHeight(picture->size.height());
                format.setName(name);
            });
            // The heading's block here, its text from the joke's document:
            // a fragment's first block takes the format of the block it
            // goes into.
            QTextBlockFormat heading = blockFormat(Style::Heading);
            if (j == 0)
                heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.insertBlock(heading, charFormat(Style::Heading));
            cursor.insertFragment(QTextDocumentFragment(&joke));
        }
    }
    nameFamilies(&book);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, "odf");
    writer.write(&book);
    return bytes;
}

} // namespace

std::optional<BookFormat> bookFormatFor(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"html" || suffix == u"htm")
        return BookFormat::Html;
    if (suffix == u"pdf")
        return BookFormat::Pdf;
    if (suffix == u"odt")
        return BookFormat::Odt;
    if (suffix == u"epub")
        return BookFormat::Epub;
    return std::nullopt;
}

bool writeBook(const QStringList &libraries, const QString &fileName, BookFormat format,
               QString *error)
{
    const std::optional<std::vector<Library>> read = readLibraries(libraries, error);
    if (!read)
        return false;
    switch (format) {
    case BookFormat::Html:
        return writeHtml(*read, fileName, error);
    case BookFormat::Pdf:
        return writePdf(*read, fileName, error);
    case BookFormat::Odt:
        return writeExternal(fileName, odtBytes(*read), error);
    case BookFormat::Epub: {
        const std::optional<QByteArray> bytes = epubBytes(*read, error);
        return bytes && writeExternal(fileName, *bytes, error);
    }
    }
    return false;
}

bool paintBook(const QStringList &libraries, QPagedPaintDevice *device, QString *error)
{
    const std::optional<std::vector<Library>> read = readLibraries(libraries, error);
    return read && paintPages(*read, device, error);
}

} // namespace store
