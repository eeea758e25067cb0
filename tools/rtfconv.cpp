// Converts a joke file through the program's own RTF codec:
//
//   chichotek-rtfconv to-text IN OUT   the document's plain text, UTF-8, LF line ends
//   chichotek-rtfconv to-rtf  IN OUT   the document written back as RTF
//   chichotek-rtfconv to-html IN OUT   the document as Qt's HTML
//
// IN is read as the program reads a joke: RTF when it starts with "{\rtf",
// Windows-1250 text otherwise. "-" as IN is the standard input, as OUT the
// standard output, so the tool works in a pipe. Plain text is read straight
// from the RTF and written as it is read when it goes to the standard output;
// RTF and HTML go through a document, which is never laid out.

#include "store/codepage.h"
#include "store/files.h"
#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "store/rtfwriter.h"

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

int usage()
{
    std::fprintf(stderr, "usage: chichotek-rtfconv to-text|to-rtf|to-html IN OUT\n"
                         "       IN or OUT \"-\": the standard input or output\n");
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

// Files are read and written as the program reads and writes its own: regular
// files only, and an output replaced whole or not at all. The standard input
// and output are read and written as they come.
std::optional<QByteArray> readInput(const QString &name)
{
    if (!isStandard(name)) {
        QString error;
        std::optional<QByteArray> bytes = store::readExternal(name, store::kJokeLimit, &error);
        if (!bytes)
            fail(error);
        return bytes;
    }
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        bytes.append(buffer, qsizetype(n));
        if (bytes.size() > store::kJokeLimit) {
            fail(QStringLiteral("standardní vstup je příliš velký (nad %1 MB), nelze ho načíst.")
                     .arg(store::kJokeLimit >> 20));
            return std::nullopt;
        }
        if (n < sizeof buffer)
            break;
    }
    if (std::ferror(stdin)) {
        fail(QStringLiteral("standardní vstup nelze číst"));
        return std::nullopt;
    }
    return bytes;
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

bool writeOutput(const QString &name, const QByteArray &bytes)
{
    if (isStandard(name))
        return finishStandard(writeStandard(bytes));
    QString error;
    if (!store::writeExternal(name, bytes, &error)) {
        fail(error);
        return false;
    }
    return true;
}

// A joke file that is not RTF: Windows-1250 text.
QString plainJoke(const QByteArray &bytes)
{
    return store::splitLines(store::decode1250(bytes)).join(u'\n');
}

void load(const QByteArray &bytes, QTextDocument *document)
{
    if (!store::readRtf(bytes, document))
        document->setPlainText(plainJoke(bytes));
}

// The text as the document of the joke gives it, with LF for the paragraph
// and line ends, and one after the last line, handed to `write` in pieces.
void plainText(const QByteArray &bytes, const std::function<void(QStringView)> &write)
{
    bool any = false;
    const auto piece = [&](QStringView text) {
        any = any || !text.isEmpty();
        write(text);
    };
    if (!store::rtfToText(bytes, piece))
        piece(store::documentText(plainJoke(bytes)));
    if (any)
        write(u"\n");
}

// Plain text to the standard output, written as it is read.
bool streamText(const QByteArray &bytes)
{
    QStringEncoder utf8(QStringEncoder::Utf8);
    bool written = true;
    plainText(bytes, [&](QStringView text) {
        written = written && writeStandard(QByteArray(utf8.encode(text)));
    });
    return finishStandard(written);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return usage();
    const std::optional<Mode> mode = modeOf(argv[1]);
    if (!mode)
        return usage();

    // RTF and HTML name the document's default font, which only the font
    // database of a GUI application knows; plain text needs none of it.
    std::unique_ptr<QGuiApplication> app;
    if (*mode != Mode::Text) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    const QString in = QFile::decodeName(argv[2]);
    const QString out = QFile::decodeName(argv[3]);
    const std::optional<QByteArray> bytes = readInput(in);
    if (!bytes)
        return 1;

    if (*mode == Mode::Text) {
        if (isStandard(out))
            return streamText(*bytes) ? 0 : 1;
        QString text;
        plainText(*bytes, [&](QStringView piece) { text += piece; });
        return writeOutput(out, text.toUtf8()) ? 0 : 1;
    }

    QTextDocument document;
    document.setUndoRedoEnabled(false);
    load(*bytes, &document);
    const QByteArray result =
        *mode == Mode::Rtf ? store::writeRtf(document) : document.toHtml().toUtf8();
    return writeOutput(out, result) ? 0 : 1;
}
