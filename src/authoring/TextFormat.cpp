#include "TextFormat.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace textformat {

bool isBold(const QTextCharFormat &f)
{
    return f.fontWeight() >= QFont::DemiBold;
}

bool isItalic(const QTextCharFormat &f)
{
    return f.fontItalic();
}

bool isUnderlined(const QTextCharFormat &f)
{
    return f.fontUnderline();
}

void setBold(QTextCharFormat &f, bool on)
{
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
}

void setItalic(QTextCharFormat &f, bool on)
{
    f.setFontItalic(on);
}

void setUnderlined(QTextCharFormat &f, bool on)
{
    f.setFontUnderline(on);
}

bool wholeSelection(const QTextCursor &cursor, Has has)
{
    if (!cursor.hasSelection())
        return has(cursor.charFormat());
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool any = false;
    for (QTextBlock block = cursor.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
                continue;
            if (!has(fragment.charFormat()))
                return false;
            any = true;
        }
    }
    return any || has(cursor.charFormat());
}

QTextCharFormat firstFormat(const QTextCursor &cursor)
{
    if (!cursor.hasSelection())
        return cursor.charFormat();
    QTextCursor first(cursor.document());
    first.setPosition(cursor.selectionStart() + 1);
    return first.charFormat();
}

} // namespace textformat
