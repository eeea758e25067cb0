#include "BLabel.h"

#include <QTextBoundaryFinder>
#include <QTimer>

#include <algorithm>
#include <limits>

TBLabel::TBLabel(QWidget *parent) : QLabel(parent), m_timer(new QTimer(this))
{
    setTextFormat(Qt::PlainText);
    m_timer->setObjectName(QStringLiteral("Casovac"));
    connect(m_timer, &QTimer::timeout, this, &TBLabel::tick);
    restartTimer();
}

void TBLabel::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    restartTimer();
}

void TBLabel::setSpeed(unsigned milliseconds)
{
    if (milliseconds == m_speed)
        return;
    m_speed = milliseconds;
    restartTimer();
}

void TBLabel::restartTimer()
{
    // A QTimer with a zero interval fires at every pass of the event loop, so a
    // speed of 0 keeps the timer stopped instead.
    if (!m_active || m_speed == 0) {
        m_timer->stop();
        return;
    }
    constexpr unsigned longest = unsigned(std::numeric_limits<int>::max());
    m_timer->start(int(std::min(m_speed, longest)));
}

void TBLabel::tick()
{
    const QString s = text();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, s);
    const qsizetype first = graphemes.toNextBoundary();
    if (first <= 0 || first >= s.size())
        return; // empty, or a single character: the rotation changes nothing
    setText(s.mid(first) + s.left(first));
}
