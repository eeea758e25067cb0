// libFuzzer target for the parts of the store that read what comes from
// outside: the RTF reader, the list reader, the code page, the icon reader,
// the check of names that become file names, the search query builder and
// the import of a library's zip file.
//
// The first byte of an input picks the mode (its value modulo the number of
// modes), the rest is the mode's input; scripts/fuzz.sh gives every seed of
// fuzz/corpus/MODE/ the byte of its folder. Apart from the RTF reader, which
// must only read any bytes without a fault, every mode compares the result
// with a model written here from the rule the code follows; a difference
// aborts with a description, and libFuzzer saves the input.
//
// At exit the runs and the time spent in each mode are printed.

#include "store/codepage.h"
#include "store/files.h"
#include "store/librarypackage.h"
#include "store/paths.h"
#include "store/rtfhtml.h"
#include "store/rtfreadahead.h"
#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "store/searchindex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

// In the order of the folder names in scripts/fuzz.sh.
enum Mode { Rtf, List, CodePage, Icon, Name, Query, Zip };
constexpr int kModes = 7;
const char *const kModeNames[kModes] = {"rtf", "list", "codepage", "icon", "name", "query", "zip"};

[[noreturn]] void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "store_fuzzer: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", qPrintable(detail));
    std::abort();
}

void check(bool condition, const char *what)
{
    if (!condition)
        fail(what);
}

// `detail` gives the description of a failure, made only when there is one.
template <class Detail> void check(bool condition, const char *what, Detail detail)
{
    if (!condition)
        fail(what, detail());
}

// A text with its characters as hexadecimal numbers, for a failure report.
QString hex(QStringView text)
{
    QString out;
    for (QChar c : text.first(std::min<qsizetype>(text.size(), 64)))
        out += QString::number(c.unicode(), 16).rightJustified(4, u'0') + u' ';
    if (text.size() > 64)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return out;
}

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

bool same(QStringView actual, std::u16string_view expected)
{
    return actual == QStringView(expected.data(), qsizetype(expected.size()));
}

// ---------------------------------------------------------------------------
// Windows-1250 as the code page's table has it: the characters of the bytes
// 0x80 to 0xFF (below them a byte is its own character). The five bytes the
// code page leaves undefined stand for the C1 controls of the same value.

constexpr std::array<char16_t, 128> kHigh1250 = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

char16_t modelChar(std::uint8_t byte)
{
    return byte < 0x80 ? char16_t(byte) : kHigh1250[byte - 0x80];
}

// The byte of a character, or -1 when the code page has none.
int modelByte(char16_t c)
{
    static const std::vector<std::int16_t> bytes = [] {
        std::vector<std::int16_t> table(0x10000, -1);
        for (int b = 0; b < 256; ++b)
            table[modelChar(std::uint8_t(b))] = std::int16_t(b);
        return table;
    }();
    return bytes[c];
}

std::u16string modelDecode(QByteArrayView bytes)
{
    std::u16string text;
    text.reserve(std::size_t(bytes.size()));
    for (char b : bytes)
        text += modelChar(std::uint8_t(b));
    return text;
}

// UTF-16 text from pairs of bytes, least significant first.
QString wideText(QByteArrayView in)
{
    QString text;
    for (qsizetype i = 0; i + 1 < in.size(); i += 2)
        text += QChar(char16_t(std::uint8_t(in[i]) | std::uint8_t(in[i + 1]) << 8));
    return text;
}

// UTF-16 text from pairs of bytes too, but the first byte of a pair picks one
// of the pages where the code page has characters, or a surrogate page, so
// that the characters that matter come up often.
QString pagedText(QByteArrayView in)
{
    static constexpr char16_t kPages[8] = {0x00, 0x01, 0x02, 0x03, 0x20, 0x21, 0xD8, 0xDC};
    QString text;
    for (qsizetype i = 0; i + 1 < in.size(); i += 2)
        text += QChar(char16_t(kPages[std::uint8_t(in[i]) % 8] << 8 | std::uint8_t(in[i + 1])));
    return text;
}

// ---------------------------------------------------------------------------
// RTF reader: any bytes read without a crash, a sanitizer report or a hang,
// and leave a document that Qt can walk. The plain text read without a
// document is the document's.

void readRtf(QByteArrayView bytes)
{
    QTextDocument document;
    const bool read = store::readRtf(bytes, &document);
    const std::optional<QString> text = store::rtfToText(bytes);
    check(text.has_value() == read, "the text sink and the document read the same input");
    // Read on a thread of its own, the document comes out the same.
    {
        QTextDocument ahead;
        const qsizetype from = store::readAheadFrom();
        store::setReadAheadFrom(0);
        const bool readAhead = store::readRtf(bytes, &ahead);
        store::setReadAheadFrom(from);
        check(readAhead == read, "the reader on its own thread reads the same input");
        check(ahead.toHtml() == document.toHtml(),
              "the reader on its own thread gives the same document");
    }
    if (text) {
        const QString expected = document.toPlainText();
        check(*text == expected, "the text sink gives the document's text",
              [&] { return hex(*text) + QStringLiteral("\n  expected ") + hex(expected); });
    }
    // The HTML sink reads the same input and writes whole UTF-8.
    QByteArray html;
    const bool wroteHtml = store::rtfToHtml(bytes, [&](QByteArrayView piece) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(piece);
        check(!utf8.hasError(), "the HTML sink writes each piece as valid UTF-8");
        html += piece;
    });
    check(wroteHtml == read, "the HTML sink and the document read the same input");
    check(!read || html.endsWith("</html>"), "the HTML sink ends its document");
    // Every fragment and list of the result, as the editor and the writer
    // would go through them.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (QTextList *list = block.textList())
            list->itemNumber(block);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            it.fragment().text();
    }
}

void fuzzRtf(QByteArrayView bytes)
{
    readRtf(bytes);
    // Input that is not RTF is refused at once; read it after an RTF header
    // too, so that every input reaches the parser.
    if (!store::looksLikeRtf(bytes))
        readRtf(QByteArray("{\\rtf1 ") + bytes.toByteArray());
}

// ---------------------------------------------------------------------------
// List reader. The text ends at the first NUL; every line break (CR LF, a lone
// CR, a lone LF) ends an entry; a break at the very end gives no empty last
// entry, an empty line between others is an empty entry, and nothing is
// trimmed.

std::u16string untilNul(std::u16string_view text)
{
    return std::u16string(text.substr(0, text.find(u'\0')));
}

// The text up to NUL with every line break as a lone LF.
std::u16string breaksAsLf(std::u16string_view text)
{
    std::u16string out;
    const std::u16string cut = untilNul(text);
    for (std::size_t i = 0; i < cut.size(); ++i) {
        if (cut[i] == u'\r' && i + 1 < cut.size() && cut[i + 1] == u'\n')
            continue; // the LF that follows stands for the pair
        out += cut[i] == u'\r' ? u'\n' : cut[i];
    }
    return out;
}

std::vector<std::u16string> modelEntries(std::u16string_view text)
{
    const std::u16string lf = breaksAsLf(text);
    std::vector<std::u16string> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = lf.find(u'\n', start);
        entries.emplace_back(lf.substr(start, end == std::u16string::npos ? end : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
    // What follows the last break, when nothing does, is no entry.
    if (entries.back().empty())
        entries.pop_back();
    return entries;
}

std::u16string modelNormalised(std::u16string_view text)
{
    std::u16string out;
    for (char16_t c : breaksAsLf(text)) {
        if (c == u'\n')
            out += u'\r';
        out += c;
    }
    return out;
}

void compareEntries(const QStringList &actual, const std::vector<std::u16string> &expected,
                    const char *what)
{
    if (actual.size() != qsizetype(expected.size()))
        fail(what,
             QStringLiteral("%1 entries instead of %2").arg(actual.size()).arg(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!same(actual[qsizetype(i)], expected[i]))
            fail(what, QStringLiteral("entry %1 is [%2] instead of [%3]")
                           .arg(i)
                           .arg(hex(actual[qsizetype(i)]), hex(toQString(expected[i]))));
    }
}

void checkLines(const QString &text, std::u16string_view model)
{
    const std::vector<std::u16string> expected = modelEntries(model);
    const QStringList entries = store::splitLines(text);
    compareEntries(entries, expected, "splitLines differs from the model");

    const QString normal = store::normaliseBreaks(text);
    check(same(normal, modelNormalised(model)), "normaliseBreaks differs from the model",
          [&] { return hex(normal); });

    const QString first = store::firstLine(text);
    check(!first.isNull(), "firstLine gives a null string");
    check(same(first, expected.empty() ? std::u16string() : expected.front()),
          "firstLine is not the first entry", [&] { return hex(first); });

    // Written back as the list writer writes it (every entry followed by
    // CR LF), the entries read back the same.
    QString written;
    for (const QString &entry : entries)
        written += entry + QStringLiteral("\r\n");
    compareEntries(store::splitLines(written), expected, "the written entries read back changed");
}

void fuzzList(QByteArrayView bytes)
{
    // As a list file is read: 8-bit text up to its first NUL byte.
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView file = nul < 0 ? bytes : bytes.first(nul);
    checkLines(store::decode1250(file), modelDecode(file));
    // The NUL left in the decoded text ends it just the same.
    checkLines(store::decode1250(bytes), modelDecode(bytes));
    // Text from elsewhere, any UTF-16 characters.
    const QString wide = wideText(bytes);
    checkLines(wide, std::u16string_view(reinterpret_cast<const char16_t *>(wide.utf16()),
                                         std::size_t(wide.size())));
}

// ---------------------------------------------------------------------------
// Code page. Every byte string decodes character by character through the
// table and encodes back to the very same bytes. Any text encodes character
// by character, '?' for a character the code page has no byte for; `ok` and
// isRepresentable1250() tell whether there was none such, which is exactly
// when decoding gives the text back.

void checkEncode(const QString &text)
{
    bool ok = false;
    const QByteArray bytes = store::encode1250(text, &ok);
    check(bytes.size() == text.size(), "encode1250 gives a byte count unlike the text's length",
          [&] { return hex(text); });
    bool representable = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int expected = modelByte(c);
        check(store::encode1250Char(c) == expected, "encode1250Char differs from the table",
              [&] { return hex(QStringView(text).sliced(i, 1)); });
        if (expected < 0)
            representable = false;
        check(std::uint8_t(bytes[i]) == (expected < 0 ? '?' : expected),
              "encode1250 differs from the table",
              [&] { return hex(QStringView(text).sliced(i, 1)); });
    }
    check(ok == representable, "encode1250 sets ok wrongly", [&] { return hex(text); });
    // `ok` must be written whatever its value was.
    bool stale = !representable;
    store::encode1250(text, &stale);
    check(stale == representable, "encode1250 leaves ok unset", [&] { return hex(text); });
    check(store::encode1250(text) == bytes, "encode1250 depends on being asked about ok");
    check(store::isRepresentable1250(text) == representable, "isRepresentable1250 is wrong",
          [&] { return hex(text); });
    check((store::decode1250(bytes) == text) == representable,
          "decoding the encoded text gives it back unless something was lost",
          [&] { return hex(text); });
}

void fuzzCodePage(QByteArrayView bytes)
{
    const QString text = store::decode1250(bytes);
    check(same(text, modelDecode(bytes)), "decode1250 differs from the table",
          [&] { return hex(text); });
    bool ok = false;
    check(store::encode1250(text, &ok) == bytes, "bytes do not survive decoding and encoding");
    check(ok, "decoded bytes are reported unrepresentable");
    checkEncode(text);
    checkEncode(wideText(bytes));
    checkEncode(pagedText(bytes));
}

// ---------------------------------------------------------------------------
// Icon reader: no fault on any bytes; only bytes starting with the icon
// file's header 00 00 01 00 are an icon, which then keeps exactly those bytes
// and has an image no larger than an icon file can hold. An icon with any byte
// of its header changed (the cursor file's 00 00 02 00 among them, which
// Qt's reader takes as well) is refused.

void fuzzIcon(QByteArrayView in)
{
    QByteArray bytes = in.toByteArray();
    // The count of images (bytes 4 and 5) is cut to one more than the entries
    // of 16 bytes after the header that the bytes can hold: a file claiming
    // 65535 images would otherwise spend the time of thousands of runs on the
    // same failing reads of entries that are not there.
    if (bytes.size() >= 6) {
        const int count = std::uint8_t(bytes[4]) | std::uint8_t(bytes[5]) << 8;
        const int held = int(std::min<qsizetype>((bytes.size() - 6) / 16 + 1, 0xFFFF));
        if (count > held) {
            bytes[4] = char(held & 0xFF);
            bytes[5] = char(held >> 8);
        }
    }
    const store::Icon icon = store::iconFromBytes(bytes);
    if (icon.isNull()) {
        check(icon.image.isNull(), "a refused icon has an image");
        return;
    }
    check(bytes.startsWith(QByteArrayView("\0\0\1\0", 4)), "bytes without the header are an icon");
    check(icon.bytes == bytes, "the icon's bytes are not those read");
    check(!icon.image.isNull(), "an icon has no image");
    check(icon.image.width() <= 256 && icon.image.height() <= 256,
          "an icon's image is larger than 256 by 256", [&] {
              return QStringLiteral("%1 x %2").arg(icon.image.width()).arg(icon.image.height());
          });
    for (int i = 0; i < 4; ++i) {
        QByteArray changed = bytes;
        changed[i] = char(changed[i] + 1);
        check(store::iconFromBytes(changed).isNull(), "bytes with a changed header are an icon",
              [&] { return QString::fromLatin1(changed.first(4).toHex(' ')); });
    }
}

// ---------------------------------------------------------------------------
// Names. A name is acceptable when it is not empty, not "." or "..", has no
// character below U+0020, no DEL, no C1 control (U+0080 to U+009F), none of
// / \ < > : " | ? *, and only characters of the code page. A file name is an
// acceptable name that does not end in a dot or a blank and whose part before
// the first dot (or whole self, without one) is, in any letter case, none of
// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.

bool modelName(std::u16string_view name)
{
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F))
            return false;
        if (std::u16string_view(u"/\\<>:\"|?*").find(c) != std::u16string_view::npos)
            return false;
        if (modelByte(c) < 0)
            return false;
    }
    return true;
}

bool modelFileName(std::u16string_view name)
{
    if (!modelName(name) || name.back() == u'.' || name.back() == u' ')
        return false;
    std::u16string stem(name.substr(0, name.find(u'.')));
    for (char16_t &c : stem) {
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    }
    static const std::vector<std::u16string> kDevices = [] {
        std::vector<std::u16string> devices = {u"CON", u"PRN", u"AUX", u"NUL"};
        for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
            devices.push_back(std::u16string(u"COM") + digit);
            devices.push_back(std::u16string(u"LPT") + digit);
        }
        return devices;
    }();
    return std::find(kDevices.begin(), kDevices.end(), stem) == kDevices.end();
}

// A valid path shows exactly its names joined by its own separators, so that
// a name stays one component.
void checkPath(const store::DbPath &path, bool valid, const QString &expected, int separators,
               const char *what)
{
    check(path.isValid() == valid, what, [&] { return hex(expected); });
    if (!valid) {
        check(!path.refusedName().isNull(), "a refused path names no refused name");
        check(path.path().isEmpty(), "a refused path has a path");
        return;
    }
    const QString shown = path.display();
    check(shown == expected, "a path is not made of its names", [&] { return hex(shown); });
    check(shown.count(u'\\') == separators && !shown.contains(u'/'),
          "a name adds a component to a path", [&] { return hex(shown); });
}

void fuzzName(QByteArrayView in)
{
    QString name;
    if (!in.isEmpty()) {
        const QByteArrayView rest = in.sliced(1);
        switch (std::uint8_t(in[0]) % 3) {
        case 0:
            name = toQString(modelDecode(rest));
            break;
        case 1:
            name = pagedText(rest);
            break;
        default:
            name = wideText(rest);
            break;
        }
    }
    const std::u16string model(reinterpret_cast<const char16_t *>(name.utf16()),
                               std::size_t(name.size()));
    const bool acceptable = modelName(model);
    const bool fileName = modelFileName(model);
    check(store::isAcceptableName(name) == acceptable, "isAcceptableName differs from the rule",
          [&] { return hex(name); });
    check(store::isAcceptableFileName(name) == fileName,
          "isAcceptableFileName differs from the rule", [&] { return hex(name); });

    checkPath(store::DbPath::jokeFile(QStringLiteral("Zoo"), name),
              acceptable && modelFileName(model + u".vti"),
              QStringLiteral("DataBase\\Zoo\\") + name + QStringLiteral(".vti"), 2,
              "a joke's path is valid against the rule");
    checkPath(store::DbPath::jokeFile(name, QStringLiteral("Slon")), fileName,
              QStringLiteral("DataBase\\") + name + QStringLiteral("\\Slon.vti"), 2,
              "the path of a library's joke is valid against the rule");
    // The library's folder and its file must both be possible.
    checkPath(store::DbPath::libraryFile(name, QStringLiteral(".da1")),
              fileName && modelFileName(model + u".da1"),
              QStringLiteral("DataBase\\") + name + QStringLiteral(".da1"), 1,
              "a library file's path is valid against the rule");
}

// ---------------------------------------------------------------------------
// A library's zip file: any bytes looked at and imported into a program
// folder of their own. Nothing ever appears outside it; a zip refused or
// failed leaves it as it was, and one imported adds only the library's files
// and folder, under the name the import tells; no temporary folder stays.
// What the look before unpacking refuses, the import refuses alike.

// The names below a folder (folders with a "/"), links never followed.
QStringList treeOf(const QString &root)
{
    QStringList names;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = it.next();
        const QFileInfo info = it.fileInfo();
        names << QDir(root).relativeFilePath(name) +
                     (info.isDir() && !info.isSymLink() ? QStringLiteral("/") : QString());
    }
    names.sort();
    return names;
}

void fuzzZip(QByteArrayView in)
{
    // The sandbox: the zip file and the program folder side by side.
    static QTemporaryDir sandbox;
    check(sandbox.isValid(), "the sandbox folder is made");
    const QString zip = sandbox.filePath(QStringLiteral("library.zip"));
    const QString folder = sandbox.filePath(QStringLiteral("folder"));
    {
        QFile file(zip);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(in.data(), in.size()) == in.size(),
              "the zip file is written");
    }
    QDir(folder).removeRecursively();
    check(QDir().mkpath(folder + QStringLiteral("/DataBase")), "the program folder is made");
    {
        QFile list(folder + QStringLiteral("/DataBase/seznam.dat"));
        check(list.open(QIODevice::WriteOnly) && list.write("Les\r\n") == 5, "the list is written");
    }
    const QStringList before = treeOf(folder);
    const QStringList sandboxBefore = treeOf(sandbox.path());
    const QString previous = QDir::currentPath();
    check(QDir::setCurrent(folder), "the program folder is entered");

    const store::PackageCheck look = store::inspectPackage(zip);
    QString imported;
    QString error;
    const store::ImportOutcome outcome = store::importLibrary(zip, QString(), &imported, &error);
    QDir::setCurrent(previous);

    check(outcome != store::ImportOutcome::NameTaken, "an empty database has no name taken");
    check(look.outcome != store::PackageCheck::Outcome::Refused ||
              (outcome == store::ImportOutcome::Refused && error == look.message),
          "the import refuses what the look refused, alike",
          [&] { return look.message + QStringLiteral("\n  ") + error; });
    check((outcome == store::ImportOutcome::Imported) ==
              (look.outcome == store::PackageCheck::Outcome::Ready && error.isEmpty()),
          "a library is imported only after a look that found it ready",
          [&] { return look.message + QStringLiteral("\n  ") + error; });
    const QStringList after = treeOf(folder);
    if (outcome != store::ImportOutcome::Imported) {
        check(after == before, "a refused or failed import changes nothing",
              [&] { return after.join(u' '); });
    } else {
        check(imported == look.library, "the library is imported under its name");
        for (const QString &name : after) {
            if (before.contains(name))
                continue;
            const QString rest = name.mid(9); // after "DataBase/"
            check(name.startsWith(QStringLiteral("DataBase/")) &&
                      rest.startsWith(imported, Qt::CaseInsensitive) &&
                      !rest.contains(QStringLiteral(".chichotek-")),
                  "an import adds only the library's files", [&] { return name; });
        }
    }
    // Beside the program folder only the zip file, whatever was in it.
    QStringList sandboxAfter = treeOf(sandbox.path());
    sandboxAfter.removeIf([](const QString &name) { return name.startsWith(u"folder/"); });
    QStringList expected = sandboxBefore;
    expected.removeIf([](const QString &name) { return name.startsWith(u"folder/"); });
    check(sandboxAfter == expected, "nothing appears outside the program folder",
          [&] { return sandboxAfter.join(u' '); });
    check(!QFileInfo::exists(QStringLiteral("/tmp/evil.vti")), "nothing appears in /tmp");
}

// ---------------------------------------------------------------------------

struct Statistics
{
    std::size_t runs[kModes] = {};
    std::chrono::steady_clock::duration time[kModes] = {};

    ~Statistics()
    {
        std::fprintf(stderr, "store_fuzzer: runs per mode:");
        for (int m = 0; m < kModes; ++m) {
            const double seconds = std::chrono::duration<double>(time[m]).count();
            std::fprintf(stderr, " %s %zu (%.1f s)", kModeNames[m], runs[m], seconds);
        }
        std::fprintf(stderr, "\n");
    }
};

Statistics g_statistics;

} // namespace

// ---------------------------------------------------------------------------
// Search queries: whatever the user types becomes an expression that the
// full-text module takes without a syntax error (its own operators and signs
// are only words), typed to the end or still being typed.

void fuzzQuery(QByteArrayView in)
{
    static sqlite3 *db = [] {
        sqlite3 *made = nullptr;
        if (sqlite3_open(":memory:", &made) != SQLITE_OK ||
            sqlite3_exec(made,
                         "CREATE VIRTUAL TABLE t USING fts5(name, text,"
                         " tokenize='unicode61 remove_diacritics 2');"
                         "INSERT INTO t VALUES('Žirafa', 'Přijde žirafa do baru.');",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("cannot make the full-text table");
        return made;
    }();
    const QString typed = !in.isEmpty() && std::uint8_t(in[0]) % 2 == 0
                              ? QString::fromUtf8(in.sliced(1))
                              : pagedText(in.isEmpty() ? in : in.sliced(1));
    for (const bool prefix : {true, false}) {
        const QString query = store::ftsQuery(typed, prefix);
        if (query.isEmpty())
            continue;
        const QByteArray utf8 = query.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        check(sqlite3_prepare_v2(db, "SELECT count(*) FROM t WHERE t MATCH ?", -1, &stmt,
                                 nullptr) == SQLITE_OK,
              "the query statement prepares");
        sqlite3_bind_text(stmt, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(stmt);
        const QString error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        check(rc == SQLITE_ROW, "the full-text module takes the query",
              [&] { return query + QStringLiteral("\n  ") + error; });
    }

    // The same through the index, with every form of each word (the words'
    // forms go to the full-text module as synonyms, a last word also as a
    // beginning): no problem, whatever is typed.
    static QTemporaryDir folder;
    static store::SearchIndex *index = [] {
        const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250 Jak dostane\\'9a do lednice "
                               "\\'9eirafu? Pep\\'ed\\'e8kovi dali pivo.\\par}";
        QDir(folder.path()).mkpath(QStringLiteral("DataBase/Zvirata"));
        const std::pair<const char *, QByteArray> files[] = {
            {"DataBase/seznam.dat", "Zvirata\r\n"},
            {"DataBase/Zvirata/Vtipy.sez", "Zirafa\r\n"},
            {"DataBase/Zvirata/Zirafa.vti", rtf}};
        for (const auto &[name, bytes] : files) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
                  "the search's folder is written");
        }
        QDir::setCurrent(folder.path());
        auto *made = new store::SearchIndex(QString());
        check(made->refresh().read == 1, "the search's folder is indexed");
        return made;
    }();
    if (typed.size() > 64)
        return; // a word is tried with its diacritics: a long one takes long
    for (const bool prefix : {true, false}) {
        const store::SearchResult result = index->search(typed, 10, prefix, true);
        check(result.problem.isEmpty(), "the index takes the query",
              [&] { return typed + QStringLiteral("\n  ") + result.problem; });
    }
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // An icon's image has at most 256 by 256 pixels, 512 KiB even at 16 bits a
    // channel. Qt refuses a PNG image inside an icon file that claims more
    // than this before decoding it, instead of filling up to its default limit
    // of 256 MiB, which under the sanitizers took most of the fuzzing time.
    QImageReader::setAllocationLimit(4);
    // Qt warns about every seek outside a damaged icon file, which can claim
    // 65535 images; that would fill the log and take much of the time. A fatal
    // message still aborts.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Mode mode = Mode(data[0] % kModes);
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));
    const auto start = std::chrono::steady_clock::now();
    switch (mode) {
    case Rtf:
        fuzzRtf(bytes);
        break;
    case List:
        fuzzList(bytes);
        break;
    case CodePage:
        fuzzCodePage(bytes);
        break;
    case Icon:
        fuzzIcon(bytes);
        break;
    case Name:
        fuzzName(bytes);
        break;
    case Query:
        fuzzQuery(bytes);
        break;
    case Zip:
        fuzzZip(bytes);
        break;
    }
    g_statistics.runs[mode] += 1;
    g_statistics.time[mode] += std::chrono::steady_clock::now() - start;
    return 0;
}
