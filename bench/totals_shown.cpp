// The totals walk as the user waits for it: from the command to the window
// with the total, over 1,000 libraries, in the shown main window, against a
// chain of 1,000 timer ticks of 1 ms (what the walk's timer alone costs). The
// two take turns run by run; medians and minimums are printed with their
// ratio. Meant for the X11 platform under Xvfb (bench/user_waits.sh).
//
//   bench_totals_shown [RUNS]      default 7

#include "benchfolder.h"
#include "browser/Celkem.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "waits.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kLibraries = 1000;

// Milliseconds from the command until the closing window opens (which is then
// closed).
double walk()
{
    QElapsedTimer clock;
    clock.start();
    double ms = 0;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (QApplication::activeModalWidget() == CelkemVtipu) {
            ms = double(clock.nsecsElapsed()) / 1e6;
            CelkemVtipu->close();
            poll.stop();
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
    });
    poll.start(0);
    QTimer::singleShot(0, HLAVNI, [] { HLAVNI->celkovyClick(); });
    loop.exec();
    return ms;
}

double ticks()
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(1);
    int left = kLibraries;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timer.stop();
        if (--left == 0)
            loop.quit();
        else
            timer.start();
    });
    timer.start();
    loop.exec();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setupApplication(app);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir dir;
    if (!dir.isValid() || !bench::makeProgramFolder(dir.path(), kLibraries, 8)) {
        std::fprintf(stderr, "cannot write the program folder\n");
        return 1;
    }
    bench::QuietServices services;
    platform::setServices(&services);
    createWindows(dir.path());
    HLAVNI->show();
    QApplication::processEvents();

    bench::Figures ours, theirs;
    for (int run = 0; run < runs; ++run) {
        ours.add(walk());
        theirs.add(ticks());
    }
    if (services.raised() > 0)
        return 1;
    std::printf("platform %s, %d runs\n\n", qPrintable(QGuiApplication::platformName()), runs);
    bench::printAgainst(QStringLiteral("totals walk, %1 libraries, shown").arg(kLibraries), ours,
                        QStringLiteral("  %1 timer ticks of 1 ms").arg(kLibraries), theirs);
    destroyWindows();
    platform::setServices(nullptr);
    return 0;
}
