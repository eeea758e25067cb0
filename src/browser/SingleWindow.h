#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One window for each program folder: a program started on a folder that a
// window of this user already has open asks that window to come to the front
// and ends. A window that does not answer (it hangs, or it is on another
// computer) is left to the database's lock, which asks the user.
class SingleWindow : public QObject
{
public:
    explicit SingleWindow(QObject *parent = nullptr);

    // Asks the window of `folder`, if one answers within `waitMs`, to come to
    // the front; true when it did.
    static bool handOver(const QString &folder, int waitMs = 3000);

    // Answers for `folder` from now on (and no longer for the folder before):
    // `raise` runs for each program that hands over.
    void answerFor(const QString &folder, std::function<void()> raise);

private:
    QLocalServer *m_server = nullptr;
};
