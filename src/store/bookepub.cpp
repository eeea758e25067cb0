// The book as an EPUB 3 file: a zip whose first entry is its media type,
// stored; then the container that points to the package document, which
// lists every file (the navigation document, the style sheet, a page for
// each library and every picture) and the order to read the pages in.

#include "bookparts.h"
#include "bookxhtml.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QUuid>

#include <zip.h>

#include <vector>

namespace store::bookparts {
namespace {

struct Entry
{
    QString name;
    QByteArray bytes;
};

// The package's own namespace for its identifiers: the same content gets
// the same identifier.
const QUuid kBookNamespace(u"a3f1c9e2-5b7d-4e08-9c61-2d4f8b0e7a15"_qs);

QString chapterName(int library)
{
    return u"knihovna-%1.xhtml"_qs.arg(library);
}

QString escaped(const QString &text)
{
    QString out;
    appendEscaped(out, text);
    return out;
}

QString stylesheetLink()
{
    return u"<link rel=\"stylesheet\" type=\"text/css\" href=\"styl.css\"/>\n"_qs;
}

QString navigation(const std::vector<Library> &libraries)
{
    QString out = pageStart(u"Obsah"_qs, stylesheetLink(), true);
    out += u"<nav epub:type=\"toc\" id=\"toc\" class=\"obsah\"><h1>Obsah</h1>\n<ol>\n";
    for (std::size_t l = 0; l < libraries.size(); ++l) {
        const int number = int(l) + 1;
        const Library &library = libraries[l];
        out += u"<li><a href=\""_qs + chapterName(number) + u'#' + libraryAnchor(number) +
               u"\">"_qs + escaped(library.name) + u"</a>"_qs;
        if (!library.jokes.isEmpty()) {
            out += u"\n<ol>\n";
            for (qsizetype j = 0; j < library.jokes.size(); ++j) {
                out += u"<li><a href=\""_qs + chapterName(number) + u'#' +
                       jokeAnchor(number, int(j) + 1) + u"\">"_qs + escaped(library.jokes[j]) +
                       u"</a></li>\n"_qs;
            }
            out += u"</ol>\n";
        }
        out += u"</li>\n";
    }
    out += u"</ol>\n</nav>\n";
    out += pageEnd();
    return out;
}

// The zip of the entries, in their order, the first one stored.
std::optional<QByteArray> zipped(const std::vector<Entry> &entries, QString *error)
{
    const auto fail = [error](const char *what) {
        if (error)
            *error = u"Soubor EPUB nelze sestavit (%1)."_qs.arg(QString::fromUtf8(what));
        return std::nullopt;
    };
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    if (!target) {
        const std::optional<QByteArray> none = fail(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        return none;
    }
    zip_source_keep(target); // it outlives the archive: the bytes are in it
    zip_t *archive = zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &zipError);
    if (!archive) {
        const std::optional<QByteArray> none = fail(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        zip_source_free(target);
        return none;
    }
    zip_error_fini(&zipError);
    bool first = true;
    for (const Entry &entry : entries) {
        zip_source_t *source = zip_source_buffer(archive, entry.bytes.constData(),
                                                 zip_uint64_t(entry.bytes.size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, entry.name.toUtf8().constData(),
                                                        source, ZIP_FL_ENC_UTF_8)
                                         : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            const std::optional<QByteArray> none = fail(zip_strerror(archive));
            zip_discard(archive);
            zip_source_free(target);
            return none;
        }
        zip_set_file_compression(archive, zip_uint64_t(index),
                                 first ? ZIP_CM_STORE : ZIP_CM_DEFLATE, first ? 0 : 9);
        first = false;
    }
    if (zip_close(archive) != 0) {
        const std::optional<QByteArray> none = fail(zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(target);
        return none;
    }
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_source_stat(target, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(target) != 0) {
        zip_source_free(target);
        return fail("read back");
    }
    bytes.resize(qsizetype(stat.size));
    const zip_int64_t read = zip_source_read(target, bytes.data(), stat.size);
    zip_source_close(target);
    zip_source_free(target);
    if (read != zip_int64_t(stat.size))
        return fail("read back");
    return bytes;
}

} // namespace

std::optional<QByteArray> epubBytes(const std::vector<Library> &libraries, QString *error)
{
    std::vector<Entry> entries;
    entries.push_back({u"mimetype"_qs, "application/epub+zip"});
    entries.push_back({u"META-INF/container.xml"_qs,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<container version=\"1.0\" "
                       "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                       "<rootfiles><rootfile full-path=\"EPUB/package.opf\" "
                       "media-type=\"application/oebps-package+xml\"/></rootfiles>\n"
                       "</container>\n"});

    // Pages and pictures, in the order they are read; a picture that comes
    // twice is one file.
    std::vector<Entry> content;
    QString manifest;
    QString spine;
    QHash<QByteArray, QString> pictureFiles;
    const PictureAddress toFile = [&](const Picture &picture) {
        const QByteArray hash = QCryptographicHash::hash(picture.bytes, QCryptographicHash::Sha1);
        QString &file = pictureFiles[hash];
        if (file.isEmpty()) {
            const QString id = u"obrazek-%1"_qs.arg(pictureFiles.size());
            file = u"obrazky/"_qs + id + u'.' + picture.suffix;
            content.push_back({u"EPUB/"_qs + file, picture.bytes});
            manifest += u"<item id=\""_qs + id + u"\" href=\""_qs + file + u"\" media-type=\""_qs +
                        picture.mediaType + u"\"/>\n"_qs;
        }
        return file;
    };
    const auto addPage = [&](const QString &id, const QString &file, const QString &page) {
        content.push_back({u"EPUB/"_qs + file, page.toUtf8()});
        manifest += u"<item id=\""_qs + id + u"\" href=\""_qs + file +
                    u"\" media-type=\"application/xhtml+xml\"/>\n"_qs;
        spine += u"<itemref idref=\""_qs + id + u"\"/>\n"_qs;
    };
    if (libraries.size() > 1) {
        QString page = pageStart(bookTitle(libraries), stylesheetLink(), true);
        appendBookTitle(page, libraries, chapterName);
        page += pageEnd();
        addPage(u"uvod"_qs, u"uvod.xhtml"_qs, page);
    }
    for (std::size_t l = 0; l < libraries.size(); ++l) {
        const int number = int(l) + 1;
        QString page = pageStart(libraries[l].name, stylesheetLink(), true);
        appendLibrary(page, libraries[l], number, toFile, [](QString &) {});
        page += pageEnd();
        addPage(u"knihovna-%1"_qs.arg(number), chapterName(number), page);
    }

    // The identifier comes from what the book holds, not from when it was
    // made: the same libraries make the same book.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const Entry &entry : content) {
        hash.addData(entry.name.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
        hash.addData(entry.bytes);
    }
    const QString identifier =
        u"urn:uuid:"_qs +
        QUuid::createUuidV5(kBookNamespace, hash.result()).toString(QUuid::WithoutBraces);

    QString package = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      u"<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                      u"unique-identifier=\"kniha-id\" xml:lang=\"cs\">\n"
                      u"<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                      u"<dc:identifier id=\"kniha-id\">"_qs +
                      identifier + u"</dc:identifier>\n<dc:title>"_qs +
                      escaped(bookTitle(libraries)) +
                      u"</dc:title>\n<dc:language>cs</dc:language>\n"_qs;
    QStringList authors;
    for (const Library &library : libraries) {
        if (!library.author.isEmpty() && !authors.contains(library.author))
            authors += library.author;
    }
    for (const QString &author : authors)
        package += u"<dc:creator>"_qs + escaped(author) + u"</dc:creator>\n"_qs;
    package += u"<meta property=\"dcterms:modified\">"_qs +
               QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-ddTHH:mm:ssZ"_qs) +
               u"</meta>\n</metadata>\n<manifest>\n"
               u"<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
               u"properties=\"nav\"/>\n"
               u"<item id=\"styl\" href=\"styl.css\" media-type=\"text/css\"/>\n"_qs +
               manifest + u"</manifest>\n<spine>\n"_qs + spine + u"</spine>\n</package>\n"_qs;

    entries.push_back({u"EPUB/package.opf"_qs, package.toUtf8()});
    entries.push_back({u"EPUB/nav.xhtml"_qs, navigation(libraries).toUtf8()});
    entries.push_back({u"EPUB/styl.css"_qs, styleSheet().toUtf8()});
    for (Entry &entry : content)
        entries.push_back(std::move(entry));
    return zipped(entries, error);
}

} // namespace store::bookparts
