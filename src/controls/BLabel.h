#pragma once

#include <QLabel>

class QTimer;

// A label whose caption scrolls like a marquee: at every tick of its own timer
// "Casovac" the first character of the caption moves to its end.
class TBLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TBLabel(QWidget *parent = nullptr);

    bool active() const;
    void setActive(bool on);
    unsigned speed() const;
    void setSpeed(unsigned milliseconds);
    QTimer *timer() const { return m_timer; }

private:
    void tick();

    QTimer *m_timer;
};
