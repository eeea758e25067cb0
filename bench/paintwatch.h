#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Counts the paint events of a widget and of the children in its window.
// Header-only, so that the empty-window executable links nothing but Qt.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) : m_widget(widget)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    int paints() const { return m_paints; }

    // Makes the event loop quit once the first paint is done. Exits the loop
    // rather than quitting the application, which would close the windows
    // (and ask the user first).
    void quitAfterFirstPaint() { m_quit = true; }

    // Processes events until one more paint happens; false when none came
    // within `timeoutMs`.
    bool waitForPaint(int timeoutMs = 10000)
    {
        const int before = m_paints;
        QElapsedTimer clock;
        clock.start();
        while (m_paints == before) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && m_widget) {
            auto *w = static_cast<QWidget *>(watched);
            if (w == m_widget || m_widget->isAncestorOf(w)) {
                // The rest of the window is painted in the same pass; the
                // zero timer runs after it and after the flush to the screen.
                if (m_paints++ == 0 && m_quit)
                    QTimer::singleShot(0, QCoreApplication::instance(),
                                       [] { QCoreApplication::exit(0); });
            }
        }
        return false;
    }

private:
    QPointer<QWidget> m_widget;
    int m_paints = 0;
    bool m_quit = false;
};
