#include "Unit3.h"

#include "controls/BLabel.h"
#include "controls/Shapes.h"
#include "controls/colours.h"
#include "controls/picturebox.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

const QString kQuestion =
    QStringLiteral("Líbilo by se ti kdyby ti někdo mlátil do ikonky tvého programu?");

// The sixteen colours of the classic palette.
QList<QRgb> sixteenColours()
{
    return {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
            0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
            0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
}

// A red cartoon face with frowning brows, gritted teeth and steam from its
// ears: a 32 × 32 bitmap in sixteen colours.
QImage angryFace()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::red);
    p.drawEllipse(QRect(4, 4, 23, 24));
    // Steam.
    p.setPen(Qt::white);
    p.drawLine(1, 10, 3, 12);
    p.drawLine(0, 14, 3, 15);
    p.drawLine(28, 12, 30, 10);
    p.drawLine(28, 15, 31, 14);
    // Brows pulled down to the nose.
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(8, 10, 14, 13);
    p.drawLine(23, 10, 17, 13);
    // Eyes.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(9, 13, 4, 3);
    p.drawRect(18, 13, 4, 3);
    p.setBrush(Qt::black);
    p.drawRect(11, 14, 1, 1);
    p.drawRect(19, 14, 1, 1);
    // Gritted teeth.
    p.setBrush(Qt::white);
    p.drawRect(9, 20, 13, 4);
    for (int x = 12; x < 22; x += 3)
        p.drawLine(x, 20, x, 24);
    p.drawLine(9, 22, 22, 22);
    p.end();
    QImage bitmap = image.convertToFormat(QImage::Format_Indexed8, sixteenColours(),
                                          Qt::ThresholdDither | Qt::AvoidDither);
    // The silver around the face lets the dialog show through.
    bitmap.setColor(7, qRgba(0xC0, 0xC0, 0xC0, 0));
    return bitmap;
}

TBubbleShape *bubble(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *shape = new TBubbleShape(parent);
    shape->setObjectName(QString::fromLatin1(name));
    shape->setGeometry(geometry);
    shape->setShadow(true);
    shape->setShadowOffset(2);
    return shape;
}

} // namespace

TPlumoNasral::TPlumoNasral(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("PlumoNasral"));
    setWindowTitle(QStringLiteral("Teď si mně nasral!!!"));
    setFixedSize(248, 85);

    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 97, 89);
    Image1->setStretch(true);
    Image1->setImage(angryFace());
    Image1->installEventFilter(this);
    Image1->setAccessibleName(QStringLiteral("Naštvaný obličej"));

    BubbleShape1 = bubble(this, "BubbleShape1", QRect(24, 8, 153, 65));

    Text = new TBLabel(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setActive(false);
    Text->setSpeed(225);
    Text->setGeometry(32, 16, 137, 13);
    Text->setText(question());
    Text->setToolTip(kQuestion);
    // Black on the bubble's white.
    colours::setBlackText(Text, QPalette::WindowText);

    BubbleShape2 = bubble(this, "BubbleShape2", QRect(176, 32, 57, 62));

    Odpoved = new QCheckBox(QStringLiteral("Jo"), this);
    Odpoved->setObjectName(QStringLiteral("Odpoved"));
    Odpoved->setGeometry(188, 38, 33, 17);
    Odpoved->setChecked(true);
    Odpoved->setToolTip(QStringLiteral("Proč ne?"));
    Odpoved->setAutoFillBackground(true);
    // Its ground is the white below, not the face of a button.
    Odpoved->setBackgroundRole(QPalette::Window);
    QPalette palette = Odpoved->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x00));
    Odpoved->setPalette(palette);
    QFont bold = Odpoved->font();
    bold.setBold(true);
    Odpoved->setFont(bold);
}

QString TPlumoNasral::question()
{
    return kQuestion + QString(12, u' ');
}

void TPlumoNasral::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        // Centred on the desktop.
        if (const QScreen *shown = parentWidget() ? parentWidget()->screen() : screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(shown->virtualGeometry().center());
            move(frame.topLeft());
        }
        FormShow();
    }
    QDialog::showEvent(event);
}

void TPlumoNasral::FormShow()
{
    Text->setActive(true);
}

bool TPlumoNasral::FormCloseQuery()
{
    platform::services().message(Odpoved->isChecked() ? QStringLiteral("Mně ani ne!")
                                                      : QStringLiteral("Také si myslím!"));
    return true;
}

void TPlumoNasral::FormClose()
{
    Text->setText(question());
    Text->setActive(false);
}

void TPlumoNasral::done(int result)
{
    // Every way of closing passes here: the close box, Esc and close().
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
    FormClose();
}

void TPlumoNasral::Image1Click()
{
    if (!Odpoved->isChecked())
        platform::services().message(
            QStringLiteral("Obličej i otázku vymyslel a nakreslil tým Chichotku."));
}

void TPlumoNasral::Image1DblClick()
{
    platform::services().message(QStringLiteral("To bolí ;-<("));
}

bool TPlumoNasral::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1) {
        const auto *mouse = dynamic_cast<const QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton)
                m_pressed = watched;
            break;
        case QEvent::MouseButtonDblClick:
            // The second press of a double-click makes no click of its own.
            m_pressed = nullptr;
            if (mouse->button() == Qt::LeftButton) {
                Image1DblClick();
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: {
            const bool click = mouse->button() == Qt::LeftButton && m_pressed == watched &&
                               Image1->rect().contains(mouse->position().toPoint());
            m_pressed = nullptr;
            if (click) {
                Image1Click();
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
