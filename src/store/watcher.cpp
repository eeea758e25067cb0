#include "watcher.h"

#include "files.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <sys/inotify.h>
#include <unistd.h>

namespace store {
namespace {

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                             IN_DELETE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { tell(); });
    // Started with CHICHOTEK_NO_WATCH=1 (for a comparison in the
    // benchmarks), nothing is watched.
    if (qEnvironmentVariableIntValue("CHICHOTEK_NO_WATCH") == 1)
        return;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readEvents(); });
}

FolderWatcher::~FolderWatcher()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatcher::watch(const QString &folder)
{
    m_asked.insert(folder);
    if (m_fd < 0)
        return;
    const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), kEvents);
    if (wd >= 0)
        m_folders.insert(wd, folder);
}

void FolderWatcher::unwatch(const QString &folder)
{
    m_asked.remove(folder);
    for (auto it = m_folders.begin(); it != m_folders.end();) {
        if (it.value() == folder) {
            ::inotify_rm_watch(m_fd, it.key());
            it = m_folders.erase(it);
        } else {
            ++it;
        }
    }
}

void FolderWatcher::unwatchAll()
{
    for (const QString &folder : folders())
        unwatch(folder);
}

void FolderWatcher::rewatch()
{
    for (const QString &folder : std::as_const(m_asked))
        watch(folder);
}

void FolderWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                m_everything = true;
                continue;
            }
            const auto folder = m_folders.constFind(event->wd);
            if (folder == m_folders.constEnd())
                continue;
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                m_pending.insert(folder.value());
                if (event->mask & IN_IGNORED)
                    m_folders.remove(event->wd);
                continue;
            }
            if (event->len == 0)
                continue;
            const QString name = QFile::decodeName(event->name);
            // The program's own temporary files come and go within a save.
            if (isTemporaryName(name))
                continue;
            m_pending.insert(folder.value() + u'/' + name);
        }
    }
    if (m_pending.isEmpty() && !m_everything)
        return;
    if (!m_waiting.isValid())
        m_waiting.start();
    // Told once the folders are quiet, or after the longest wait.
    if (m_waiting.elapsed() < kLongestWaitMs - kQuietMs)
        m_quiet.start();
    else if (!m_quiet.isActive())
        m_quiet.start(0);
}

void FolderWatcher::tell()
{
    m_quiet.setInterval(kQuietMs);
    m_waiting.invalidate();
    const QStringList paths(m_pending.begin(), m_pending.end());
    const bool everything = m_everything;
    m_pending.clear();
    m_everything = false;
    // A folder replaced since it was watched is watched again.
    rewatch();
    emit changed(paths, everything);
}

} // namespace store
