#include "colours.h"

#include <QWidget>

namespace colours {

QColor face()
{
    return {0xF0, 0xF0, 0xF0};
}

void setGround(QWidget *widget, QPalette::ColorRole ground, const QColor &colour,
               QPalette::ColorRole text)
{
    QPalette palette = widget->palette();
    palette.setColor(ground, colour);
    widget->setPalette(palette);
    setBlackText(widget, text);
}

void setBlackText(QWidget *widget, QPalette::ColorRole text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, text, Qt::black);
    palette.setColor(QPalette::Inactive, text, Qt::black);
    // The home platform's grey of disabled text.
    palette.setColor(QPalette::Disabled, text, QColor(0x80, 0x80, 0x80));
    widget->setPalette(palette);
}

void setJokePaper(QWidget *box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Active, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Base, face());
    box->setPalette(palette);
    setBlackText(box, QPalette::Text);
}

} // namespace colours
