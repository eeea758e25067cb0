// Converts a joke file through the program's own RTF codec:
//
//   chichotek-rtfconv to-text IN OUT   the document's plain text, UTF-8, LF line ends
//   chichotek-rtfconv to-rtf  IN OUT   the document written back as RTF
//   chichotek-rtfconv to-html IN OUT   the joke as an HTML5 document, UTF-8
//
// IN is read as the program reads a joke: RTF when it starts with "{\rtf",
// Windows-1250 text otherwise. "-" as IN is the standard input, as OUT the
// standard output, so the tool works in a pipe. An input file is mapped, not
// read into memory. Plain text and HTML are read straight from the RTF and
// written as they are read, to the standard output as to a file (whose save
// fills its temporary file piece by piece); RTF goes through a document,
// which is never laid out.

#include "store/codepage.h"
#include "store/files.h"
#include "store/rtfhtml.h"
#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "store/rtfwriter.h"

#include <version.h>

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QStringEncoder>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace {

enum class Mode { Text, Rtf, Html };

void fail(const QString &message)
{
    std::fprintf(stderr, "chichotek-rtfconv: %s\n", qUtf8Printable(message));
}

constexpr const char *kUsage =
    "Použití: chichotek-rtfconv to-text|to-rtf|to-html VSTUP VÝSTUP\n"
    "Převede soubor vtipu tak, jak jej čte a zapisuje program Chichotek.\n"
    "\n"
    "  to-text   prostý text vtipu, UTF-8, řádky zakončené LF\n"
    "  to-rtf    vtip zapsaný znovu jako RTF\n"
    "  to-html   vtip jako dokument HTML5, UTF-8\n"
    "\n"
    "VSTUP se čte jako vtip: RTF, začíná-li „{\\rtf“, jinak text ve Windows-1250.\n"
    "„-“ místo VSTUPU je standardní vstup, místo VÝSTUPU standardní výstup.\n"
    "\n"
    "  -h, --help       vypíše tuto nápovědu\n"
    "  -v, --version    vypíše verzi\n"
    "\n"
    "Návratový kód: 0 převedeno, 1 soubor nelze přečíst nebo zapsat, 2 chybné\n"
    "použití.\n";

int usage()
{
    std::fputs("chichotek-rtfconv: chybné použití. Nápovědu vypíše --help.\n", stderr);
    return 2;
}

std::optional<Mode> modeOf(const char *name)
{
    if (std::strcmp(name, "to-text") == 0)
        return Mode::Text;
    if (std::strcmp(name, "to-rtf") == 0)
        return Mode::Rtf;
    if (std::strcmp(name, "to-html") == 0)
        return Mode::Html;
    return std::nullopt;
}

bool isStandard(const QString &name)
{
    return name == u"-";
}

// The input, mapped: a file, or the standard input kept in a file of its own.
struct Input
{
    std::optional<store::MappedFile> file;
    QByteArrayView bytes() const { return file ? file->bytes() : QByteArrayView(); }
    // Output is made as the input is read, once: each piece of it is a
    // moment to give back the pages of the file read so far.
    void pieceMade() const
    {
        if (file)
            file->dropPages();
    }
};

// Files are read and written as the program reads and writes its own: regular
// files only, and an output replaced whole or not at all. The standard input
// and output are read and written as they come.
std::optional<Input> readInput(const QString &name)
{
    Input input;
    if (!isStandard(name)) {
        QString error;
        input.file = store::mapExternal(name, store::kJokeLimit, &error);
        if (!input.file) {
            fail(error);
            return std::nullopt;
        }
        return input;
    }
    QString error;
    input.file = store::mapStandardInput(store::kJokeLimit, &error);
    if (!input.file) {
        fail(error);
        return std::nullopt;
    }
    return input;
}

bool writeStandard(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return true;
    return std::fwrite(bytes.data(), 1, std::size_t(bytes.size()), stdout) ==
           std::size_t(bytes.size());
}

bool finishStandard(bool written)
{
    if (written && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    fail(QStringLiteral("na standardní výstup nelze zapisovat"));
    return false;
}

// A file is written as it is made: the save routine takes the pieces.
bool writeOutput(const QString &name, const store::Producer &produce)
{
    QString error;
    if (!store::writeExternal(name, produce, &error)) {
        fail(error);
        return false;
    }
    return true;
}

bool writeOutput(const QString &name, const QByteArray &bytes)
{
    if (isStandard(name))
        return finishStandard(writeStandard(bytes));
    return writeOutput(name,
                       [&](const std::function<void(QByteArrayView)> &write) { write(bytes); });
}

// A joke file that is not RTF: Windows-1250 text.
QString plainJoke(QByteArrayView bytes)
{
    return store::splitLines(store::decode1250(bytes)).join(u'\n');
}

void load(QByteArrayView bytes, QTextDocument *document)
{
    if (!store::readRtf(bytes, document))
        document->setPlainText(plainJoke(bytes));
}

// The text as the document of the joke gives it, with LF for the paragraph
// and line ends, and one after the last line, handed to `write` in pieces.
void plainText(const Input &input, const std::function<void(QStringView)> &write)
{
    const QByteArrayView bytes = input.bytes();
    bool any = false;
    const auto piece = [&](QStringView text) {
        any = any || !text.isEmpty();
        write(text);
        input.pieceMade();
    };
    if (!store::rtfToText(bytes, piece))
        piece(store::documentText(plainJoke(bytes)));
    if (any)
        write(u"\n");
}

// Plain text to the standard output, written as it is read.
bool streamText(const Input &input)
{
    QStringEncoder utf8(QStringEncoder::Utf8);
    bool written = true;
    plainText(input, [&](QStringView text) {
        written = written && writeStandard(QByteArray(utf8.encode(text)));
    });
    return finishStandard(written);
}

// The joke as an HTML document, handed to `write` in pieces.
void html(const Input &input, const std::function<void(QByteArrayView)> &write)
{
    const QByteArrayView bytes = input.bytes();
    const auto piece = [&](QByteArrayView html) {
        write(html);
        input.pieceMade();
    };
    if (!store::rtfToHtml(bytes, piece))
        store::textToHtml(plainJoke(bytes), piece);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "-v") == 0 || std::strcmp(argv[1], "--version") == 0)) {
        std::printf("chichotek-rtfconv %s\n", CHICHOTEK_VERSION);
        return 0;
    }
    if (argc != 4)
        return usage();
    const std::optional<Mode> mode = modeOf(argv[1]);
    if (!mode)
        return usage();

    // RTF names the document's default font, which only the font database of
    // a GUI application knows; plain text and HTML need none of it.
    std::unique_ptr<QGuiApplication> app;
    if (*mode == Mode::Rtf) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    const QString in = QFile::decodeName(argv[2]);
    const QString out = QFile::decodeName(argv[3]);
    const std::optional<Input> input = readInput(in);
    if (!input)
        return 1;
    const QByteArrayView bytes = input->bytes();

    switch (*mode) {
    case Mode::Text:
        if (isStandard(out))
            return streamText(*input) ? 0 : 1;
        return writeOutput(out,
                           [&](const std::function<void(QByteArrayView)> &write) {
                               QStringEncoder utf8(QStringEncoder::Utf8);
                               plainText(*input, [&](QStringView text) {
                                   write(QByteArray(utf8.encode(text)));
                               });
                           })
                   ? 0
                   : 1;
    case Mode::Html:
        if (isStandard(out)) {
            bool written = true;
            html(*input, [&](QByteArrayView piece) { written = written && writeStandard(piece); });
            return finishStandard(written) ? 0 : 1;
        }
        return writeOutput(
                   out,
                   [&](const std::function<void(QByteArrayView)> &write) { html(*input, write); })
                   ? 0
                   : 1;
    case Mode::Rtf:
        break;
    }

    QTextDocument document;
    document.setUndoRedoEnabled(false);
    load(bytes, &document);
    return writeOutput(out, store::writeRtf(document)) ? 0 : 1;
}
