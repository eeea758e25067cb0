// Converts a joke file through the program's own RTF codec:
//
//   chichotek-rtfconv to-text IN OUT   the document's plain text, UTF-8, LF line ends
//   chichotek-rtfconv to-rtf  IN OUT   the document written back as RTF
//   chichotek-rtfconv to-html IN OUT   the document as Qt's HTML
//
// IN is read as the program reads a joke: RTF when it starts with "{\rtf",
// Windows-1250 text otherwise. The document is never laid out.

#include "store/codepage.h"
#include "store/files.h"
#include "store/rtfreader.h"
#include "store/rtfwriter.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
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
    std::fprintf(stderr, "usage: chichotek-rtfconv to-text|to-rtf|to-html IN OUT\n");
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

// Files are read and written as the program reads and writes its own: regular
// files only, and an output replaced whole or not at all.
std::optional<QByteArray> readFile(const QString &name)
{
    QString error;
    std::optional<QByteArray> bytes = store::readExternal(name, store::kJokeLimit, &error);
    if (!bytes)
        fail(error);
    return bytes;
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QString error;
    if (!store::writeExternal(name, bytes, &error)) {
        fail(error);
        return false;
    }
    return true;
}

void load(const QByteArray &bytes, QTextDocument *document)
{
    if (!store::readRtf(bytes, document))
        document->setPlainText(store::splitLines(store::decode1250(bytes)).join(u'\n'));
}

QByteArray plainText(const QTextDocument &document)
{
    // Paragraph and line separators come out as LF.
    QString text = document.toPlainText();
    if (!text.isEmpty())
        text += u'\n';
    return text.toUtf8();
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
    const std::optional<QByteArray> bytes = readFile(in);
    if (!bytes)
        return 1;

    QTextDocument document;
    document.setUndoRedoEnabled(false);
    load(*bytes, &document);

    QByteArray result;
    switch (*mode) {
    case Mode::Text:
        result = plainText(document);
        break;
    case Mode::Rtf:
        result = store::writeRtf(document);
        break;
    case Mode::Html:
        result = document.toHtml().toUtf8();
        break;
    }
    return writeFile(out, result) ? 0 : 1;
}
