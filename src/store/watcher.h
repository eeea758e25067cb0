#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

// Tells of the files that change in watched folders of the database, whoever
// changes them: a sync tool (which writes a file of its own and renames it
// over the old one), the program on another computer, the user, or this
// program itself. Whether a file really is another version than the one a
// window shows is the window's to tell (store::changedSince), so a change the
// program made itself costs no more than a look at the file.
//
// Changes come in bursts (a sync tool writes many files at once, an editor
// writes a file in pieces): they are told together once the folder has been
// quiet for a moment, and at least once a second while it is not.
namespace store {

class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kQuietMs = 250;
    static constexpr int kLongestWaitMs = 1000;

    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    // Watches a folder, given as the program forms its paths (relative to
    // the working directory, "/" between names). A folder that is not there
    // is not watched; watching one again after it was replaced (deleted and
    // made anew) watches the new one.
    void watch(const QString &folder);
    void unwatch(const QString &folder);
    void unwatchAll();
    // The folders asked for, each watched anew.
    void rewatch();
    QStringList folders() const { return m_asked.values(); }

signals:
    // The files that changed, each as its folder was given + "/" + its name,
    // and a watched folder itself when it went. `everything` when the system
    // lost count of them: any file of the watched folders may have changed.
    void changed(const QStringList &paths, bool everything);

private:
    void readEvents();
    void tell();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QSet<QString> m_asked;
    QHash<int, QString> m_folders; // watch descriptor -> folder
    QSet<QString> m_pending;
    bool m_everything = false;
    QTimer m_quiet;
    QElapsedTimer m_waiting;
};

} // namespace store
