#pragma once

#include <QByteArray>
#include <QString>

// Changes a program folder from outside, exactly as the tools that share a
// folder between computers change it, for tests of a running program:
//
// - Syncthing, Nextcloud and most others write a file of their own beside
//   the file and rename it over the file (a new file, often with the other
//   computer's modification time put on it);
// - some tools and the program on Windows overwrite the file in place;
// - files are deleted and added;
// - when a file changed on two computers at once, the other computer's
//   version is left beside it as a conflict copy;
// - the lock of the program on the other computer comes in like any file.
//
// Paths are relative to the folder given.
class SyncTool
{
public:
    explicit SyncTool(QString folder) : m_folder(std::move(folder)) {}

    // Written to a temporary file and renamed over the file, as Syncthing
    // does. With `keepTimes`, the new file gets the old file's modification
    // time (a version from another computer, written there at the same
    // second): only its place on the disk tells it from the old one.
    void replace(const QString &file, const QByteArray &bytes, bool keepTimes = false) const;
    // Truncated and written in place; with `keepTimes` the modification time
    // is put back.
    void overwrite(const QString &file, const QByteArray &bytes, bool keepTimes = false) const;
    void add(const QString &file, const QByteArray &bytes) const { replace(file, bytes); }
    void remove(const QString &file) const;
    // A Syncthing conflict copy of `file` holding `bytes`; returns its path.
    QString conflictCopy(const QString &file, const QByteArray &bytes) const;
    // The lock of the program on another computer, synced in over whatever
    // lock there is.
    void foreignLock(const QString &host) const;

    QString absolute(const QString &file) const { return m_folder + u'/' + file; }

private:
    QString m_folder;
};
