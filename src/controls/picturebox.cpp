#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{}

void PictureBox::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void PictureBox::setStretch(bool on)
{
    if (m_stretch != on) {
        m_stretch = on;
        update();
    }
}

void PictureBox::setCenter(bool on)
{
    if (m_center != on) {
        m_center = on;
        update();
    }
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    if (m_stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), m_image);
        return;
    }
    QPoint at(0, 0);
    if (m_center)
        at = QPoint((width() - m_image.width()) / 2, (height() - m_image.height()) / 2);
    painter.drawImage(at, m_image);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
