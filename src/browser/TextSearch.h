#pragma once

#include "store/searchindex.h"

#include <QDialog>
#include <QHash>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class HitModel;
namespace store {
class DbPath;
class FolderWatcher;
} // namespace store

// The window that searches the words of every joke of every library: a
// search box, the jokes that match, best first, with the text around the
// match, and a status line. Words are found in any of their forms unless
// "Jen přesně tento tvar" is checked. Results follow the typing: each key
// searches beside the window (the jokes with a last word as a whole word
// first, then also those with longer words it begins); Enter or a double
// click opens the joke in the main window.
//
// It keeps the search index (store/searchindex.h) of the program's folder:
// each time the window opens, the index is brought in line with the files on
// a thread of its own while the user can type already, every change the
// program makes to a library while it lives is taken in at once, and so is
// every change made from outside (a sync tool, another computer) while the
// window is shown.
class THledani : public QDialog
{
    Q_OBJECT
public:
    // `cacheFile` is the index's file (store::searchCacheFile()); empty keeps
    // it in memory.
    explicit THledani(const QString &cacheFile, QWidget *parent = nullptr);
    ~THledani() override;

    QLineEdit *Hledany;
    // Checked: the words in the form typed only, not in their other forms.
    QCheckBox *JenTvar;
    QProgressBar *Prubeh;
    QListView *Vysledky;
    QLabel *Stav;

    // Shows the window beside the main window and re-checks the index.
    void open();
    // Searches for what the box holds now and shows it, waiting for it.
    void searchNow();
    // Searches for what the box holds beside the window; a search still
    // running is stopped first. The results are shown when they come.
    void searchSoon();
    // Whether results are on their way.
    bool searching() const { return m_pause.isActive() || m_searching != 0; }
    // Opens the joke of the result row in the main window.
    void openResult(int row);
    // Whether the index is being brought in line with the files.
    bool refreshing() const { return m_worker.joinable(); }

    static constexpr int kPauseMs = 0;    // after a key, before searching (the
                                          // keys of one moment search once)
    static constexpr int kMostRows = 200; // of the results shown

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void changed(const store::DbPath &path);
    // Watches the database's folder and every library's.
    void watchLibraries();
    void changedOutside(const QStringList &paths, bool everything);
    void startRefresh();
    void startRefreshWhole();
    void refreshed(const store::RefreshReport &report);
    void startSearch();
    // `partial`: the last word only as a word, before it is also a beginning.
    void showResult(const QString &query, bool allForms, const store::SearchResult &result,
                    bool partial);
    void showStatus();
    void placeBesideMainWindow();

    std::unique_ptr<store::SearchIndex> m_index;
    store::FolderWatcher *m_watcher = nullptr;
    QString m_database; // the database's folder, as watched
    // The folder of each library, as watched, and the names it is listed by.
    QHash<QString, QStringList> m_folderLibraries;
    HitModel *m_model;
    QTimer m_pause;
    // The searches made beside the window, one at a time: the number of the
    // last one asked for, of the one running (0: none), and whether another
    // is to follow it.
    QThreadPool m_searcher;
    std::atomic<quint64> m_searchAsked{0};
    quint64 m_searching = 0;
    bool m_searchWaiting = false;
    bool m_partial = false; // the results shown are a search's first part
    QString m_shownQuery;
    store::SearchResult m_result;
    store::RefreshReport m_report;
    bool m_indexed = false; // a refresh has finished since the window opened
    QString m_openProblem;  // why the last result could not be opened

    // The refresh running on its thread, and what is to be refreshed after.
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    bool m_fullPending = false;
    QSet<QString> m_librariesPending;
    bool m_listPending = false;
};
