#include "BLabel.h"

#include <QTimer>

TBLabel::TBLabel(QWidget *parent) : QLabel(parent), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("Casovac"));
    connect(m_timer, &QTimer::timeout, this, &TBLabel::tick);
    m_timer->setInterval(500);
    m_timer->start();
}

bool TBLabel::active() const
{
    return m_timer->isActive();
}

void TBLabel::setActive(bool on)
{
    if (on == active())
        return;
    if (on)
        m_timer->start();
    else
        m_timer->stop();
}

unsigned TBLabel::speed() const
{
    return unsigned(m_timer->interval());
}

void TBLabel::setSpeed(unsigned milliseconds)
{
    if (milliseconds != speed())
        m_timer->setInterval(int(milliseconds));
}

void TBLabel::tick()
{
    const QString s = text();
    if (s.isEmpty())
        return;
    setText(s.mid(1) + s.left(1));
}
