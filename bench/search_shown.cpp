// Searching as the user waits for it: in the shown search window over a
// program folder of 100,000 jokes, from the key press of a query's last
// letter until the result list is painted with its results (the pause after
// typing included), for the 20 queries of bench::searchQueries(). Against a
// reference in the same run: a bare line edit and list view that show the
// same rows, made beforehand, at once on the same key. Meant for the X11
// platform under Xvfb (bench/user_waits.sh --search).
//
//   bench_search_shown [--libraries N] [--jokes M] [FOLDER]
//
// The index lives where the program keeps it ($XDG_CACHE_HOME/chichotek);
// its first making (about a minute at full size) is timed and printed.

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/TextSearch.h"
#include "browser/Unit1.h"
#include "paintwatch.h"
#include "searchqueries.h"
#include "waits.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace {

// Processes events for `ms` milliseconds.
void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Milliseconds from the key press of the last letter of `query` in `box`
// until `list` is painted after its model was reset.
double lastKeyToPaintedList(QLineEdit *box, QListView *list, const QString &query)
{
    box->setText(query.chopped(1));
    settle(150);
    PaintWatch paints(list->viewport());
    int paintsAtReset = -1;
    const QMetaObject::Connection reset = QObject::connect(
        list->model(), &QAbstractItemModel::modelReset, [&] { paintsAtReset = paints.paints(); });
    const QString last = query.right(1);
    QElapsedTimer clock;
    clock.start();
    QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, last);
    QApplication::sendEvent(box, &down);
    QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, last);
    QApplication::sendEvent(box, &up);
    while ((paintsAtReset < 0 || paints.paints() <= paintsAtReset) && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(reset);
    if (box->text() != query)
        std::fprintf(stderr, "the box holds %s\n", qPrintable(box->text()));
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setupApplication(app);
    const std::optional<bench::SearchFolder> made = bench::madeSearchFolder(app.arguments());
    if (!made)
        return 1;
    const int jokes = made->libraries * made->jokesPerLibrary;
    bench::QuietServices services;
    platform::setServices(&services);
    createWindows(made->path);
    HLAVNI->show();
    settle(100);

    QElapsedTimer clock;
    clock.start();
    HLAVNI->HledatVText->trigger();
    THledani *search = HLAVNI->textSearch();
    while (search->refreshing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("platform %s, %d jokes in %d libraries; the index ready after %.1f s\n\n",
                qPrintable(QGuiApplication::platformName()), jokes, made->libraries,
                double(clock.elapsed()) / 1000);

    // The reference shows, at once, the rows our window shows for the query.
    std::map<QString, QStringList> rows;
    // The 20 queries, and five that end in one to three letters that very
    // many words begin with, as while the user is still typing.
    QStringList queries = bench::searchQueries();
    queries << queries.front() + QStringLiteral(" m") << QStringLiteral("ko")
            << queries[3] + QStringLiteral(" ny") << QStringLiteral("kop")
            << queries[6] + QStringLiteral(" muž");
    for (const QString &query : queries) {
        search->Hledany->setText(query);
        search->searchNow();
        QStringList shown;
        const QAbstractItemModel *model = search->Vysledky->model();
        for (int i = 0; i < model->rowCount(); ++i)
            shown << model->index(i, 0).data().toString();
        rows[query] = shown;
    }
    QDialog bare;
    bare.setWindowTitle(QStringLiteral("reference"));
    auto *layout = new QVBoxLayout(&bare);
    auto *box = new QLineEdit(&bare);
    auto *list = new QListView(&bare);
    auto *model = new QStringListModel(&bare);
    list->setModel(model);
    layout->addWidget(box);
    layout->addWidget(list);
    bare.resize(search->size());
    QObject::connect(box, &QLineEdit::textChanged, model, [&](const QString &text) {
        const auto it = rows.find(text);
        model->setStringList(it == rows.end() ? QStringList() : it->second);
    });
    bare.show();
    settle(200);

    bench::Figures ours, theirs;
    for (const QString &query : queries) {
        ours.add(lastKeyToPaintedList(search->Hledany, search->Vysledky, query));
        theirs.add(lastKeyToPaintedList(box, list, query));
        std::printf("  %-40s %5zu rows  %7.2f ms  (reference %6.2f ms)\n", qPrintable(query),
                    std::size_t(rows[query].size()), ours.ms.back(), theirs.ms.back());
    }
    std::printf("\n");
    bench::printAgainst(QStringLiteral("last key -> painted results, %1 jokes").arg(jokes), ours,
                        QStringLiteral("  bare line edit and list of the same rows"), theirs);
    std::vector<double> sorted = ours.ms;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t p95 = std::min(sorted.size() - 1, (sorted.size() * 95 + 99) / 100 - 1);
    std::printf("last key -> painted results: 95th percentile %.2f ms, slowest %.2f ms\n",
                sorted[p95], sorted.back());
    std::printf("(the window waits %d ms after a key before it searches)\n", THledani::kPauseMs);
    destroyWindows();
    platform::setServices(nullptr);
    return services.raised() > 0 ? 1 : 0;
}
