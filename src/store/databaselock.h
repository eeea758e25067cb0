#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The lock of a program folder: one program at a time writes its database.
//
// On this computer the system keeps it (a lock on the program folder that
// goes with the program however it ends, also killed), so two windows here
// never both write, whether or not a lock file can be written. For the
// program on another computer that shares the folder (a sync tool, a network
// disk), the file "chichotek.lock" says which computer has the folder open
// and since when:
//
//   pid LF "chichotek" LF host name LF machine id LF time taken (ISO 8601, UTC) LF
//
// A lock file of this computer whose program is gone (a crash, a kill) is
// taken over without a word; one of another computer, or one that is empty
// or garbled (a program killed while writing it), only when the user says so.
namespace store {

class DatabaseLock
{
public:
    enum class Status {
        Taken,         // this program holds the lock
        HeldHere,      // another window of the program on this computer holds it
        HeldElsewhere, // the lock file names a program on another computer
        Damaged,       // the lock file is empty or garbled
    };

    // Who holds the lock, as the lock file says.
    struct Holder
    {
        QString host;    // empty when the file does not say
        QDateTime since; // invalid when not known
    };

    static constexpr const char *kFileName = "chichotek.lock";

    DatabaseLock() = default;
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock &) = delete;
    DatabaseLock &operator=(const DatabaseLock &) = delete;

    // Tries to take the lock of the program folder in the working directory.
    Status take();
    // Takes the lock whatever the lock file says (HeldElsewhere or Damaged,
    // once the user chose to open the folder for writing all the same).
    bool takeOver();

    bool isTaken() const { return m_taken; }
    const Holder &holder() const { return m_holder; }
    // Whether a lock file of a program of this computer that is gone was
    // found: what its saves cut short may have left.
    bool leftBehind() const { return m_leftBehind; }
    // Whether the lock file still is the one this program wrote.
    bool fileIsOurs() const;
    // Removes the lock file when it still is this program's own (a lock of
    // another computer synced in over it stays), and lets the lock go.
    void release();

private:
    bool writeFile();
    QByteArray readFile() const;

    QString m_path;    // of the lock file
    int m_folder = -1; // the program folder, locked on this computer
    bool m_local = false;
    bool m_taken = false;
    bool m_leftBehind = false;
    QByteArray m_written; // the lock file as this program wrote it
    Holder m_holder;
};

// "8. 12. 2026 10:10", in local time.
QString czechDateTime(const QDateTime &time);

} // namespace store
