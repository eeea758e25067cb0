// libFuzzer target for the RTF reader: any bytes must read without a crash,
// a sanitizer report or a hang, and leave a document that Qt can walk.

#include "store/rtfreader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cstddef>
#include <cstdint>

namespace {

void read(QByteArrayView bytes)
{
    QTextDocument document;
    store::readRtf(bytes, &document);
    // Every fragment and list of the result, as the editor and the writer
    // would go through them.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (QTextList *list = block.textList())
            list->itemNumber(block);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            it.fragment().text();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    read(bytes);
    // Input that is not RTF is refused at once; read it after an RTF header
    // too, so that every input reaches the parser.
    if (!store::looksLikeRtf(bytes))
        read(QByteArray("{\\rtf1 ") + bytes.toByteArray());
    return 0;
}
