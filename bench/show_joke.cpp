// Showing a joke as the user waits for it: a key press in the list of jokes
// until the joke view is painted, for a 1 MB rich-edit joke and for a small
// one, against a bare QTextEdit shown the same text with setPlainText; for the
// big joke also until all of it is in the view (its start is shown first and
// the rest follows while the window goes on). The
// two take turns run by run; medians and minimums are printed with their
// ratio. Meant for the X11 platform under Xvfb (bench/user_waits.sh); any
// platform works.
//
//   bench_show_joke [RUNS]      default 9

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "paintwatch.h"
#include "rtfgen.h"
#include "store/rtftext.h"
#include "waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

void press(QWidget *widget, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &up);
}

// Milliseconds from `act` until `watch` saw one more paint.
double untilPainted(PaintWatch &watch, const std::function<void()> &act)
{
    QElapsedTimer clock;
    clock.start();
    const int before = watch.paints();
    act();
    if (watch.paints() == before && !watch.waitForPaint()) {
        std::fprintf(stderr, "nothing was painted\n");
        std::exit(1);
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setupApplication(app);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;

    QTemporaryDir dir;
    if (!dir.isValid() || !bench::makeProgramFolder(dir.path(), 1, 2)) {
        std::fprintf(stderr, "cannot write the program folder\n");
        return 1;
    }
    // The library's first joke is big, its second small.
    const QByteArray big = bench::makeRichEditRtf(1 << 20);
    const QByteArray small = bench::makeJokes(1, 7).front();
    const QString library = dir.path() + QStringLiteral("/DataBase/") + bench::libraryName(1);
    for (const auto &[index, bytes] : {std::pair{1, big}, std::pair{2, small}}) {
        QFile file(library + u'/' + bench::jokeName(index) + QStringLiteral(".vti"));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write a joke\n");
            return 1;
        }
    }

    bench::QuietServices services;
    platform::setServices(&services);
    createWindows(dir.path());
    HLAVNI->show();
    HLAVNI->Edit->setText(bench::libraryName(1));
    HLAVNI->OtevriAkceExecute();
    if (HLAVNI->Seznam->count() != 2 || services.raised() > 0) {
        std::fprintf(stderr, "the library did not open\n");
        return 1;
    }
    PaintWatch view(HLAVNI->Vtip);
    // The small joke first, so that each Up shows the big one and each Down
    // the small one.
    HLAVNI->Seznam->setFocus();
    press(HLAVNI->Seznam, Qt::Key_Down);
    press(HLAVNI->Seznam, Qt::Key_Down);
    view.waitForPaint();

    QTextEdit bare;
    bare.setWindowTitle(QStringLiteral("reference"));
    bare.resize(HLAVNI->Vtip->size());
    bare.show();
    PaintWatch reference(&bare);
    reference.waitForPaint();
    const QString bigText = *store::rtfToText(big);
    const QString smallText = *store::rtfToText(small);

    const int bigBlocks = int(bigText.count(u'\n')) + 1;
    bench::Figures bigOurs, bigWhole, bigBare, smallOurs, smallBare;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        bigOurs.add(untilPainted(view, [] { press(HLAVNI->Seznam, Qt::Key_Up); }));
        while (HLAVNI->Vtip->document()->blockCount() < bigBlocks)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        bigWhole.add(double(clock.nsecsElapsed()) / 1e6);
        bigBare.add(untilPainted(reference, [&] { bare.setPlainText(bigText); }));
        smallOurs.add(untilPainted(view, [] { press(HLAVNI->Seznam, Qt::Key_Down); }));
        smallBare.add(untilPainted(reference, [&] { bare.setPlainText(smallText); }));
    }
    if (services.raised() > 0)
        return 1;
    std::printf("platform %s, %d runs\n\n", qPrintable(QGuiApplication::platformName()), runs);
    bench::printAgainst(QStringLiteral("1 MB joke: key -> painted view"), bigOurs,
                        QStringLiteral("  bare QTextEdit::setPlainText -> painted"), bigBare);
    bench::printAgainst(QStringLiteral("1 MB joke: key -> all of it in the view"), bigWhole,
                        QStringLiteral("  bare QTextEdit::setPlainText -> painted"), bigBare);
    bench::printAgainst(QStringLiteral("%1 KB joke: key -> painted view").arg(small.size() / 1024),
                        smallOurs, QStringLiteral("  bare QTextEdit::setPlainText -> painted"),
                        smallBare);
    destroyWindows();
    platform::setServices(nullptr);
    return 0;
}
