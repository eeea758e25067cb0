#pragma once

#include <QLabel>

class QTimer;

// A label whose caption scrolls like a marquee: at every tick of its own timer
// "Casovac" the first character of the caption moves to its end. A caption
// ending in a run of blanks thus slides to the left with a gap before it comes
// round again. The caption itself is rotated; whoever wants the starting text
// back sets it again.
//
// A "character" is what the reader sees as one: a letter with its combining
// marks and a character outside the basic plane are never split.
//
// The caption is plain text: a rotation must never turn it into markup.
class TBLabel : public QLabel
{
    Q_OBJECT
public:
    // Created running, with a period of 500 ms.
    explicit TBLabel(QWidget *parent = nullptr);

    // Whether the label scrolls. Stays true with a speed of 0, although no tick
    // arrives then.
    bool active() const { return m_active; }
    // Writing a new value restarts the period from now; the current value
    // changes nothing.
    void setActive(bool on);

    // The period of the ticks in milliseconds; 0 means no ticks.
    unsigned speed() const { return m_speed; }
    // Writing a new value restarts the period from now; the current value
    // changes nothing. Periods beyond what the timer can hold run at its
    // longest period.
    void setSpeed(unsigned milliseconds);

    // The timer "Casovac" that drives the label, owned by it. Drive the label
    // through setActive() and setSpeed(), not through the timer.
    QTimer *timer() const { return m_timer; }

protected:
    // One tick: the first character of the caption moves to its end.
    void tick();

private:
    void restartTimer();

    QTimer *m_timer;
    bool m_active = true;
    unsigned m_speed = 500;
};
