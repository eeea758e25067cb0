#include "rtftext.h"

#include "rtfsink.h"

namespace store {
namespace {

// Text is handed on in pieces of about this many characters.
constexpr qsizetype kPiece = 32 * 1024;

// Appends what QTextDocument::toPlainText() makes of `text` inserted in one
// QTextCursor::insertText(): a CR LF pair is one paragraph break, as are CR,
// LF, U+2029 and the frame marks; line and paragraph breaks come out as LF,
// a no-break space as a space.
void appendDocumentText(QString &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    QChar *to = out.data() + start;
    const QChar *from = text.data();
    const QChar *const end = from + text.size();
    for (; from != end; ++from) {
        switch (from->unicode()) {
        case u'\r':
            if (from + 1 != end && from[1] == u'\n')
                ++from;
            *to++ = u'\n';
            break;
        case u'\n':
        case 0x2028:
        case 0x2029:
        case 0xFDD0:
        case 0xFDD1:
            *to++ = u'\n';
            break;
        case 0x00A0:
            *to++ = u' ';
            break;
        default:
            *to++ = *from;
            break;
        }
    }
    out.resize(to - out.data());
}

// The text kept whole, or handed to `write` in pieces when there is one.
class TextSink final : public RtfSink
{
public:
    explicit TextSink(const std::function<void(QStringView)> *write = nullptr) : m_write(write) {}

    void text(const QString &text, const RtfCharFormat &) override
    {
        appendDocumentText(out, text);
        if (m_write && out.size() >= kPiece)
            flush();
    }
    void newParagraph() override { out.append(u'\n'); }
    void paragraphFormat(const RtfParagraphFormat &, const RtfCharFormat &) override {}

    void flush()
    {
        if (out.isEmpty())
            return;
        (*m_write)(out);
        out.resize(0); // keeps the buffer
    }

    QString out;

private:
    const std::function<void(QStringView)> *m_write;
};

} // namespace

std::optional<QString> rtfToText(QByteArrayView rtf)
{
    TextSink sink;
    if (!readRtf(rtf, sink))
        return std::nullopt;
    return std::move(sink.out);
}

bool rtfToText(QByteArrayView rtf, const std::function<void(QStringView)> &write)
{
    TextSink sink(&write);
    if (!readRtf(rtf, sink))
        return false;
    sink.flush();
    return true;
}

QString documentText(QStringView text)
{
    QString out;
    appendDocumentText(out, text);
    return out;
}

} // namespace store
