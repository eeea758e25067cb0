#include "TextSearch.h"

#include "Unit1.h"
#include "controls/colours.h"
#include "controls/spokennames.h"
#include "store/dictionary.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/watcher.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

enum Role { LibraryRole = Qt::UserRole + 1, JokeRole, SnippetRole };

// "1 vtip", "2 vtipy", "5 vtipů": a count with the noun in its Czech form.
QString counted(int n, const char *one, const char *few, const char *many)
{
    const char *form = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QString::number(n) + u' ' + QString::fromUtf8(form);
}

// "v 5", "ve 2": the preposition "v" as it is said before the number.
QString inNumber(int n)
{
    int lead = n;
    while (lead >= 1000)
        lead /= 1000;
    bool ve = false;
    if (lead >= 100)
        ve = lead / 100 <= 4; // sto, dvě stě, tři sta, čtyři sta
    else if (lead >= 10)
        ve = (lead >= 12 && lead <= 14) || (lead / 10 >= 2 && lead / 10 <= 4);
    else
        ve = lead >= 2 && lead <= 4;
    return (ve ? QStringLiteral("ve ") : QStringLiteral("v ")) + QString::number(n);
}

} // namespace

// The results: library and joke of each, and the text around the match,
// made only for the rows that are shown.
class HitModel : public QAbstractListModel
{
public:
    HitModel(const store::SearchIndex *index, QObject *parent)
        : QAbstractListModel(parent), m_index(index)
    {
        // Snippets are made one at a time beside the window, never while
        // the list paints.
        m_pool.setMaxThreadCount(1);
    }
    ~HitModel() override { stopSnippets(); }

    // Drops the snippets asked for and waits for the one being made: the
    // index goes before the model does.
    void stopSnippets()
    {
        ++m_generation;
        m_pool.clear();
        m_pool.waitForDone();
    }

    void setResult(const std::vector<store::SearchHit> &hits, const QString &query, bool allForms)
    {
        beginResetModel();
        ++m_generation;
        m_pool.clear();
        m_hits = hits;
        m_query = query;
        m_allForms = allForms;
        m_snippets.assign(hits.size(), QString());
        m_asked.assign(hits.size(), false);
        endResetModel();
    }
    const store::SearchHit *hit(int row) const
    {
        return row >= 0 && row < int(m_hits.size()) ? &m_hits[std::size_t(row)] : nullptr;
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_hits.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const store::SearchHit *h = hit(index.row());
        if (!h)
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return h->library + QStringLiteral(" – ") + h->joke;
        case LibraryRole:
            return h->library;
        case JokeRole:
            return h->joke;
        case SnippetRole: {
            // Empty until made; the row is painted again then.
            const auto row = std::size_t(index.row());
            if (!m_asked[row]) {
                m_asked[row] = true;
                ask(index.row(), h->id);
            }
            return m_snippets[row];
        }
        default:
            return {};
        }
    }

private:
    void ask(int row, qint64 id) const
    {
        auto *self = const_cast<HitModel *>(this);
        const quint64 generation = m_generation;
        const QString query = m_query;
        const bool allForms = m_allForms;
        const store::SearchIndex *index = m_index;
        m_pool.start([self, generation, row, id, query, allForms, index] {
            QString snippet = index->snippet(id, query, true, allForms);
            for (QChar &c : snippet) {
                if (c == u'\n' || c == u'\t' || c == QChar(0x2028))
                    c = u' ';
            }
            snippet = snippet.simplified();
            // Dropped when the model has gone by then (it waits for this).
            QMetaObject::invokeMethod(
                self, [self, generation, row, snippet] { self->took(generation, row, snippet); },
                Qt::QueuedConnection);
        });
    }
    void took(quint64 generation, int row, const QString &snippet)
    {
        if (generation != m_generation || row >= int(m_hits.size()))
            return;
        m_snippets[std::size_t(row)] = snippet;
        const QModelIndex at = index(row);
        emit dataChanged(at, at, {SnippetRole});
    }

    const store::SearchIndex *m_index;
    std::vector<store::SearchHit> m_hits;
    QString m_query;
    bool m_allForms = true;
    mutable std::vector<QString> m_snippets;
    mutable std::vector<bool> m_asked;
    quint64 m_generation = 0;
    mutable QThreadPool m_pool;
};

namespace {

// Two lines a result: the joke's name in bold after its library, and the
// text around the match with the matched words in bold.
class HitDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const int line = option.fontMetrics.height();
        return {200, 2 * line + 6};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);

        const bool selected = option.state & QStyle::State_Selected;
        const QColor text = selected ? option.palette.color(QPalette::HighlightedText)
                                     : option.palette.color(QPalette::Text);
        // The list's ground is fixed white: a fixed grey on it.
        const QColor quiet = selected ? text : QColor(0x55, 0x55, 0x55);
        const QRect box = option.rect.adjusted(4, 3, -4, -3);
        const int line = option.fontMetrics.height();
        QFont bold = option.font;
        bold.setBold(true);

        painter->save();
        painter->setClipRect(box);
        // Line 1: library, then the joke's name.
        const QString library = index.data(LibraryRole).toString() + QStringLiteral(" › ");
        painter->setFont(option.font);
        painter->setPen(quiet);
        QRect first(box.left(), box.top(), box.width(), line);
        painter->drawText(first, Qt::AlignLeft | Qt::AlignVCenter, library);
        first.setLeft(first.left() + option.fontMetrics.horizontalAdvance(library));
        painter->setFont(bold);
        painter->setPen(text);
        painter->drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(bold).elidedText(index.data(JokeRole).toString(),
                                                        Qt::ElideRight, first.width()));
        // Line 2: the snippet, the matched words in bold.
        drawSnippet(painter, QRect(box.left(), box.top() + line, box.width(), line),
                    index.data(SnippetRole).toString(), option.font, bold, text);
        painter->restore();
    }

private:
    static void drawSnippet(QPainter *painter, const QRect &rect, const QString &snippet,
                            const QFont &normal, const QFont &bold, const QColor &colour)
    {
        painter->setPen(colour);
        int x = rect.left();
        bool inMatch = false;
        qsizetype at = 0;
        // The first match within the first third of the line: the words
        // before it that do not fit give way to an ellipsis.
        const qsizetype first = snippet.indexOf(store::kMatchStart);
        if (first > 0) {
            const QFontMetrics metrics(normal);
            const int room = rect.width() / 3;
            qsizetype from = 0;
            while (from < first &&
                   metrics.horizontalAdvance(snippet.mid(from, first - from)) > room) {
                const qsizetype blank = snippet.indexOf(u' ', from + 1);
                from = blank < 0 || blank >= first ? first : blank;
            }
            if (from > 0) {
                const QString lead = QStringLiteral("…");
                painter->setFont(normal);
                painter->drawText(QRect(x, rect.top(), rect.width(), rect.height()),
                                  Qt::AlignLeft | Qt::AlignVCenter, lead);
                x += metrics.horizontalAdvance(lead);
                at = from;
            }
        }
        while (at < snippet.size()) {
            qsizetype end = at;
            while (end < snippet.size() && snippet[end] != store::kMatchStart &&
                   snippet[end] != store::kMatchEnd)
                ++end;
            const QString piece = snippet.mid(at, end - at);
            const QFont &font = inMatch ? bold : normal;
            const QFontMetrics metrics(font);
            painter->setFont(font);
            const int width = metrics.horizontalAdvance(piece);
            if (x + width > rect.right()) {
                painter->drawText(QRect(x, rect.top(), rect.right() - x, rect.height()),
                                  Qt::AlignLeft | Qt::AlignVCenter,
                                  metrics.elidedText(piece, Qt::ElideRight, rect.right() - x));
                return;
            }
            painter->drawText(QRect(x, rect.top(), width + 1, rect.height()),
                              Qt::AlignLeft | Qt::AlignVCenter, piece);
            x += width;
            if (end < snippet.size())
                inMatch = snippet[end] == store::kMatchStart;
            at = end + 1;
        }
    }
};

} // namespace

THledani::THledani(const QString &cacheFile, QWidget *parent)
    : QDialog(parent), m_index(std::make_unique<store::SearchIndex>(cacheFile))
{
    setObjectName(QStringLiteral("Hledani"));
    setWindowTitle(QStringLiteral("Hledat v textech vtipů"));
    setModal(false);
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    auto *label = new QLabel(QStringLiteral("Hledaná slova:"), this);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);

    Hledany = new QLineEdit(this);
    Hledany->setObjectName(QStringLiteral("Hledany"));
    Hledany->setPlaceholderText(QStringLiteral("slova v libovolném pořadí, \"přesná slova\""));
    Hledany->setClearButtonEnabled(true);
    Hledany->installEventFilter(this);
    nameByLabel(label, Hledany);

    JenTvar = new QCheckBox(QStringLiteral("Jen přesně tento tvar"), this);
    JenTvar->setObjectName(QStringLiteral("JenTvar"));
    JenTvar->setToolTip(QStringLiteral("Bez zaškrtnutí najde slovo v kterémkoli tvaru: "
                                       "„žirafa“ najde i „žirafu“ a „žirafě“."));
    connect(JenTvar, &QCheckBox::toggled, this, [this] { searchSoon(); });

    Prubeh = new QProgressBar(this);
    Prubeh->setObjectName(QStringLiteral("Prubeh"));
    Prubeh->setAccessibleName(QStringLiteral("Příprava rejstříku"));
    Prubeh->setTextVisible(false);
    Prubeh->setMaximumHeight(8);
    Prubeh->hide();

    Vysledky = new QListView(this);
    Vysledky->setObjectName(QStringLiteral("Vysledky"));
    Vysledky->setAccessibleName(QStringLiteral("Nalezené vtipy"));
    Vysledky->setUniformItemSizes(true);
    Vysledky->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Vysledky->setSelectionMode(QAbstractItemView::SingleSelection);
    Vysledky->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Vysledky->setItemDelegate(new HitDelegate(Vysledky));
    Vysledky->installEventFilter(this);
    colours::setGround(Vysledky, QPalette::Base, Qt::white, QPalette::Text);
    m_model = new HitModel(m_index.get(), this);
    Vysledky->setModel(m_model);
    connect(Vysledky, &QListView::activated, this,
            [this](const QModelIndex &index) { openResult(index.row()); });

    Stav = new QLabel(this);
    Stav->setObjectName(QStringLiteral("Stav"));
    Stav->setWordWrap(true);
    Stav->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addWidget(Hledany);
    layout->addWidget(JenTvar);
    layout->addWidget(Prubeh);
    layout->addWidget(Vysledky, 1);
    layout->addWidget(Stav);

    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    m_searcher.setMaxThreadCount(1);
    connect(&m_pause, &QTimer::timeout, this, [this] { searchSoon(); });
    connect(Hledany, &QLineEdit::textChanged, this, [this] { m_pause.start(); });

    store::setChangeListener([this](const store::DbPath &path) { changed(path); });
    showStatus();
}

THledani::~THledani()
{
    ++m_searchAsked;
    m_searcher.waitForDone();
    m_model->stopSnippets();
    store::setChangeListener({});
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void THledani::placeBesideMainWindow()
{
    QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
    constexpr int kNarrowest = 320;
    constexpr int kWidest = 480;
    if (!main) {
        resize(kWidest, 360);
        return;
    }
    const QRect frame = main->frameGeometry();
    const QRect screen =
        (main->screen() ? main->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int border = frame.width() - main->width();
    constexpr int kGap = 8;
    // On the side with more room, as wide as that room allows.
    const int right = screen.right() - frame.right() - kGap - border;
    const int left = frame.left() - screen.left() - kGap - border;
    const int width = std::clamp(std::max(left, right), kNarrowest, kWidest);
    resize(width, std::max(main->height(), 340));
    QPoint at(right >= left ? frame.right() + 1 + kGap : frame.left() - kGap - border - width,
              frame.top());
    // No room on either side: at the screen's edge, over the main window.
    at.setX(std::clamp(at.x(), screen.left(),
                       std::max(screen.left(), screen.right() + 1 - width - border)));
    move(at);
}

void THledani::open()
{
    if (!isVisible()) {
        if (!m_indexed && !m_worker.joinable())
            placeBesideMainWindow();
        show();
    }
    raise();
    activateWindow();
    Hledany->setFocus();
    Hledany->selectAll();
    m_fullPending = true;
    m_openProblem.clear();
    watchLibraries();
    startRefresh();
}

void THledani::hideEvent(QHideEvent *event)
{
    // While the window is not shown, its next opening brings the index in
    // line with the files.
    if (!event->spontaneous() && m_watcher)
        m_watcher->unwatchAll();
    QDialog::hideEvent(event);
}

void THledani::watchLibraries()
{
    if (!m_watcher) {
        m_watcher = new store::FolderWatcher(this);
        connect(m_watcher, &store::FolderWatcher::changed, this,
                [this](const QStringList &paths, bool everything) {
                    changedOutside(paths, everything);
                });
    }
    m_database = store::resolvePath(QStringLiteral("DataBase"));
    m_folderLibraries.clear();
    QSet<QString> folders{m_database};
    for (const QString &name : store::readList(store::DbPath::listFile()).value_or(QStringList())) {
        const store::DbPath folder = store::DbPath::libraryFolder(name);
        if (!folder.isValid())
            continue;
        const QString path = folder.path();
        folders.insert(path);
        m_folderLibraries[path] << name;
    }
    for (const QString &folder : m_watcher->folders()) {
        if (!folders.contains(folder))
            m_watcher->unwatch(folder);
    }
    for (const QString &folder : std::as_const(folders))
        m_watcher->watch(folder);
}

void THledani::changedOutside(const QStringList &paths, bool everything)
{
    if (!isVisible())
        return;
    if (everything)
        m_fullPending = true;
    for (const QString &path : paths) {
        const QString folder = QFileInfo(path).path();
        if (folder == m_database && QFileInfo(path).fileName().compare(QLatin1String("seznam.dat"),
                                                                       Qt::CaseInsensitive) == 0) {
            m_listPending = true;
            continue;
        }
        // A file of a library's folder, or the folder itself.
        for (const QString &library :
             m_folderLibraries.value(folder) + m_folderLibraries.value(path))
            m_librariesPending.insert(library);
    }
    // A new list may name other folders.
    if (m_listPending || everything)
        watchLibraries();
    startRefresh();
}

void THledani::changed(const store::DbPath &path)
{
    const QStringList &parts = path.parts();
    if (parts.size() < 2)
        return;
    if (parts.size() == 2 &&
        parts[1].compare(QLatin1String("seznam.dat"), Qt::CaseInsensitive) == 0)
        m_listPending = true;
    else if (parts.size() == 3) // a file of a library's folder
        m_librariesPending.insert(parts[1]);
    else
        return; // a library comes and goes with the list
    // Taken in once the program has done what it is doing.
    QTimer::singleShot(0, this, [this] { startRefresh(); });
}

void THledani::startRefreshWhole()
{
    m_fullPending = true;
    startRefresh();
}

void THledani::startRefresh()
{
    if (m_worker.joinable())
        return; // again when the one running is done
    const bool full = m_fullPending;
    const bool list = m_listPending;
    const QStringList libraries(m_librariesPending.begin(), m_librariesPending.end());
    if (!full && !list && libraries.isEmpty())
        return;
    // A damaged cache is started again, quietly, and filled whole.
    if (m_index->damaged()) {
        ++m_searchAsked;
        m_searcher.waitForDone();
        m_model->stopSnippets();
        m_index->makeAnew();
        m_model->setResult({}, QString(), true);
        return startRefreshWhole();
    }
    m_fullPending = m_listPending = false;
    m_librariesPending.clear();
    m_stop = false;
    if (full) {
        Prubeh->setRange(0, 0);
        Prubeh->show();
    }
    m_worker = std::thread([this, full, list, libraries] {
        // The dictionary takes a moment to read: here, not on the first key
        // whose word no joke has.
        store::CzechDictionary::shared().load();
        const auto progress = [this](int done, int total) {
            QMetaObject::invokeMethod(
                this,
                [this, done, total] {
                    Prubeh->setRange(0, total);
                    Prubeh->setValue(done);
                },
                Qt::QueuedConnection);
        };
        const store::RefreshReport report =
            full || list ? m_index->refresh(progress, &m_stop) : m_index->refresh(libraries, false);
        QMetaObject::invokeMethod(
            this, [this, report, full] { refreshed(full ? report : m_report); },
            Qt::QueuedConnection);
    });
    showStatus();
}

void THledani::refreshed(const store::RefreshReport &report)
{
    if (m_worker.joinable())
        m_worker.join();
    m_report = report;
    m_indexed = true;
    Prubeh->hide();
    // What is shown may have changed.
    if (!m_shownQuery.isEmpty() || !Hledany->text().isEmpty())
        searchSoon();
    showStatus();
    startRefresh();
}

void THledani::searchSoon()
{
    m_pause.stop();
    ++m_searchAsked;
    if (m_searching != 0) {
        // Its answer is of no use any more.
        m_searchWaiting = true;
        m_index->interrupt();
        return;
    }
    startSearch();
}

void THledani::startSearch()
{
    m_searchWaiting = false;
    m_searching = m_searchAsked;
    const quint64 number = m_searching;
    const QString query = Hledany->text();
    const bool allForms = !JenTvar->isChecked();
    const store::SearchIndex *index = m_index.get();
    m_searcher.start([this, index, number, query, allForms] {
        // (The window waits for this before it goes.)
        const auto post = [&](const store::SearchResult &result, bool whole) {
            QMetaObject::invokeMethod(
                this,
                [this, number, query, allForms, result, whole] {
                    if (whole && m_searching == number)
                        m_searching = 0;
                    if (number == m_searchAsked)
                        showResult(query, allForms, result, !whole);
                    else if (whole && m_searchWaiting && m_searching == 0)
                        startSearch();
                },
                Qt::QueuedConnection);
        };
        // A last word that is also the beginning of longer ones can be the
        // beginning of very many: the jokes with it as a word are shown
        // first, at once, and then all of them.
        if (store::ftsQuery(query, true).endsWith(u'*')) {
            post(index->search(query, kMostRows, false, allForms), false);
            if (number != m_searchAsked)
                return post({}, true);
        }
        post(index->search(query, kMostRows, true, allForms), true);
    });
}

void THledani::searchNow()
{
    m_pause.stop();
    ++m_searchAsked;
    m_searchWaiting = false;
    m_searcher.waitForDone();
    m_searching = 0;
    const QString query = Hledany->text();
    const bool allForms = !JenTvar->isChecked();
    showResult(query, allForms, m_index->search(query, kMostRows, true, allForms), false);
}

void THledani::showResult(const QString &query, bool allForms, const store::SearchResult &result,
                          bool partial)
{
    m_result = result;
    m_partial = partial;
    if (m_index->damaged())
        QTimer::singleShot(0, this, [this] { startRefreshWhole(); });
    m_shownQuery = query;
    m_model->setResult(m_result.hits, query, allForms);
    if (m_model->rowCount({}) > 0)
        Vysledky->setCurrentIndex(m_model->index(0));
    m_openProblem.clear();
    showStatus();
}

void THledani::showStatus()
{
    QStringList parts;
    const bool typed = !store::ftsQuery(m_shownQuery).isEmpty();
    if (!m_report.problem.isEmpty())
        parts << QStringLiteral("Vtipy nelze prohledat: ") + m_report.problem;
    else if (!m_result.problem.isEmpty())
        parts << QStringLiteral("Hledání se nezdařilo: ") + m_result.problem;
    else if (!typed)
        parts << QStringLiteral("Napište slova, která si z vtipu pamatujete.");
    else if (m_result.jokes == 0 && m_worker.joinable() && !m_indexed)
        parts << QStringLiteral("Zatím nic nenalezeno."); // the index is not whole yet
    else if (m_result.jokes == 0)
        parts << QStringLiteral("Žádný vtip tato slova neobsahuje.");
    else {
        parts << QStringLiteral("Nalezeno: %1 %2 %3.")
                     .arg(counted(m_result.jokes, "vtip", "vtipy", "vtipů"),
                          inNumber(m_result.libraries),
                          m_result.libraries == 1 ? QStringLiteral("knihovně")
                                                  : QStringLiteral("knihovnách"));
        if (m_result.jokes > int(m_result.hits.size()))
            parts << QStringLiteral("Ukázáno %1 nejlepších.").arg(m_result.hits.size());
    }
    if (typed && m_partial && m_result.problem.isEmpty())
        parts << QStringLiteral("Hledám i delší slova, která tak začínají…");
    if (typed && store::endsInShortBeginning(m_shownQuery))
        parts << QStringLiteral("Poslední slovo se hledá celé, jako začátek delšího až od %1 "
                                "písmen.")
                     .arg(store::kShortestBeginning);
    if (m_worker.joinable() && !m_indexed)
        parts << QStringLiteral("Rejstřík vtipů se připravuje…");
    if (m_report.unreadable > 0)
        parts << QStringLiteral("Nelze přečíst: %1.")
                     .arg(counted(m_report.unreadable, "soubor", "soubory", "souborů"));
    if (m_index->inMemory())
        parts << QStringLiteral("Rejstřík nelze uložit, je jen v paměti.");
    if (!store::SearchIndex::wordFormsKnown() && !JenTvar->isChecked())
        parts << QStringLiteral("Jiné tvary slov se nehledají: není nainstalován český slovník "
                                "(balíček hunspell-cs).");
    if (!m_openProblem.isEmpty())
        parts << m_openProblem;
    Stav->setText(parts.join(u' '));
}

void THledani::openResult(int row)
{
    const store::SearchHit *hit = m_model->hit(row);
    auto *main = qobject_cast<THLAVNI *>(parentWidget());
    if (!hit || !main)
        return;
    QString why;
    if (!main->showFoundJoke(hit->library, hit->joke, &why)) {
        m_openProblem = why;
        showStatus();
        return;
    }
    main->raise();
}

bool THledani::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == Hledany) {
            if (enter) {
                if (m_pause.isActive() || m_shownQuery != Hledany->text())
                    searchNow();
                openResult(Vysledky->currentIndex().isValid() ? Vysledky->currentIndex().row() : 0);
                return true;
            }
            if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up ||
                key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) {
                QApplication::sendEvent(Vysledky, event);
                return true;
            }
        } else if (watched == Vysledky && enter) {
            openResult(Vysledky->currentIndex().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
