#include "CopyAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

namespace {

// The sheet flies during these frames and rests in the target folder for the
// rest of the pass.
constexpr int kFlightFrames = 24;

void drawFolder(QPainter &p, const QRectF &r)
{
    const QColor edge(0x80, 0x60, 0x00);
    p.setPen(QPen(edge, 1));
    // The tab, then the body.
    p.setBrush(QColor(0xE8, 0xC0, 0x40));
    p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.4, 5));
    p.setBrush(QColor(0xFF, 0xDC, 0x60));
    p.drawRect(QRectF(r.left(), r.top() + 4, r.width(), r.height() - 4));
}

void drawSheet(QPainter &p, const QPointF &centre, qreal tilt)
{
    p.save();
    p.translate(centre);
    p.rotate(tilt);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(-8, -10, 16, 20));
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 1));
    for (int line = 0; line < 4; ++line)
        p.drawLine(QPointF(-5, -6 + line * 4), QPointF(5, -6 + line * 4));
    p.restore();
}

} // namespace

CopyAnimation::CopyAnimation(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kFrameInterval);
    connect(m_timer, &QTimer::timeout, this, &CopyAnimation::step);
}

void CopyAnimation::play()
{
    m_timer->start();
}

void CopyAnimation::stop()
{
    m_timer->stop();
}

bool CopyAnimation::isPlaying() const
{
    return m_timer->isActive();
}

void CopyAnimation::step()
{
    m_frame = (m_frame + 1) % kFrames;
    update();
}

void CopyAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();
    const QRectF from(8, h - 34, 44, 30);
    const QRectF to(w - 52, h - 34, 44, 30);
    drawFolder(p, from);
    drawFolder(p, to);

    // Along a flat arc from the mouth of one folder to the other.
    const qreal t = std::min(m_frame, kFlightFrames) / qreal(kFlightFrames);
    const qreal x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const qreal lift = (from.top() - 13) * 4 * t * (1 - t);
    const qreal y = from.top() - lift;
    if (m_frame < kFlightFrames)
        drawSheet(p, QPointF(x, y), -30 + 60 * t);
}
