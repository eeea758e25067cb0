#include "colours.h"

#include <QEvent>
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

namespace {

class ArrowColours : public QObject
{
public:
    explicit ArrowColours(QWidget *bar) : QObject(bar), m_bar(bar)
    {
        apply();
        bar->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange && !m_applying)
            apply();
        return false;
    }

private:
    void apply()
    {
        m_applying = true;
        // The arrows of a bar that cannot scroll are drawn in "mid" (which
        // nothing else of the bar uses) in the bar's current colour group.
        QPalette palette = m_bar->palette();
        const QWidget *parent = m_bar->parentWidget();
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor button = palette.color(group, QPalette::Button);
            const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
            if (button.lightness() < 128) {
                // Half way from the button to its text.
                palette.setColor(group, QPalette::Mid,
                                 QColor::fromRgbF((button.redF() + text.redF()) / 2,
                                                  (button.greenF() + text.greenF()) / 2,
                                                  (button.blueF() + text.blueF()) / 2));
            } else if (parent) {
                // The scheme's own.
                palette.setColor(group, QPalette::Mid,
                                 parent->palette().color(group, QPalette::Mid));
            }
        }
        m_bar->setPalette(palette);
        m_applying = false;
    }

    QWidget *m_bar;
    bool m_applying = false;
};

} // namespace

void keepArrowsVisible(QWidget *scrollBar)
{
    new ArrowColours(scrollBar);
}

} // namespace colours
