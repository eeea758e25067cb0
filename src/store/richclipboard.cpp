#include "richclipboard.h"

#include "rtfwriter.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace store {

QMimeData *selectionMimeData(const QTextCursor &cursor)
{
    if (!cursor.hasSelection())
        return nullptr;
    QTextDocument part;
    part.setDefaultFont(cursor.document()->defaultFont());
    QTextCursor(&part).insertFragment(cursor.selection());
    auto *data = new QMimeData;
    const QByteArray rtf = writeRtf(part);
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    data->setHtml(part.toHtml());
    data->setText(part.toPlainText());
    return data;
}

} // namespace store
