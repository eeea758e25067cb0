#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One window for each program folder: a program started on a folder that a
// window of this user already has open asks that window to come to the front
// and ends; a file it was given to open (a library file from the file
// manager) goes to that window. A window that does not answer (it hangs, or it is on another
// computer) is left to the database's lock, which asks the user.
class SingleWindow : public QObject
{
public:
    explicit SingleWindow(QObject *parent = nullptr);

    // Asks the window of `folder`, if one answers within `waitMs`, to come to
    // the front, and to open `file` when one is given; true when it did.
    static bool handOver(const QString &folder, const QString &file = QString(), int waitMs = 3000);

    // Answers for `folder` from now on (and no longer for the folder before):
    // `raise` runs for each program that hands over, with the absolute path
    // of the file it was given (empty: none).
    void answerFor(const QString &folder, std::function<void(const QString &file)> raise);

private:
    QLocalServer *m_server = nullptr;
};
