#include "spokennames.h"

#include <QLabel>

void nameByLabel(QLabel *label, QWidget *box)
{
    QString caption = label->text();
    caption.remove(u'&');
    caption = caption.trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    label->setBuddy(box);
    box->setAccessibleName(caption);
}
