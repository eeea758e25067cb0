// Typing into a 1 MB joke in the library editor's box as the user waits for
// it: a key press until the box is painted, with spell checking on against
// the same box with it off (the switch turned between runs, each run once
// the box has looked at the whole text). Meant for the X11 platform under
// Xvfb (bench/user_waits.sh); any platform works.
//
//   bench_typing [RUNS]      default 15

#include "authoring/JokeEditor.h"
#include "authoring/SpellMarker.h"
#include "authoring/Speller.h"
#include "benchfolder.h"
#include "browser/Program.h"
#include "paintwatch.h"
#include "rtfgen.h"
#include "store/paths.h"
#include "waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

void press(QWidget *widget, int key, const QString &text)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &up);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setupApplication(app);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    if (!Speller::instance().available()) {
        std::fprintf(stderr, "no Czech dictionary: %s\n", qPrintable(Speller::instance().why()));
        return 1;
    }

    QTemporaryDir dir;
    if (!dir.isValid() || !bench::makeProgramFolder(dir.path(), 1, 1)) {
        std::fprintf(stderr, "cannot write the program folder\n");
        return 1;
    }
    const QByteArray big = bench::makeRichEditRtf(1 << 20);
    QFile file(dir.path() + QStringLiteral("/DataBase/") + bench::libraryName(1) + u'/' +
               bench::jokeName(1) + QStringLiteral(".vti"));
    if (!file.open(QIODevice::WriteOnly) || file.write(big) != big.size()) {
        std::fprintf(stderr, "cannot write the joke\n");
        return 1;
    }
    file.close();
    QDir::setCurrent(dir.path());

    // The box as the editor has it.
    QTextEdit box;
    box.resize(273, 235);
    std::optional<store::DbPath> current;
    JokeEditor joke(&box, &current, nullptr);
    joke.load(store::DbPath::jokeFile(bench::libraryName(1), bench::jokeName(1)));
    box.show();
    box.setFocus();
    box.moveCursor(QTextCursor::Start);
    box.moveCursor(QTextCursor::EndOfBlock);
    PaintWatch painted(box.viewport());
    painted.waitForPaint();
    SpellMarker *marker = joke.spellMarker();
    const auto settle = [&] {
        QElapsedTimer waited;
        waited.start();
        while (!marker->done() && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
    };
    const auto type = [&] {
        QElapsedTimer clock;
        clock.start();
        const int before = painted.paints();
        press(&box, Qt::Key_A, QStringLiteral("a"));
        if (painted.paints() == before && !painted.waitForPaint()) {
            std::fprintf(stderr, "nothing was painted\n");
            std::exit(1);
        }
        return double(clock.nsecsElapsed()) / 1e6;
    };

    bench::Figures on;
    bench::Figures off;
    for (int run = 0; run < runs; ++run) {
        Speller::instance().setEnabled(true);
        settle();
        on.add(type());
        Speller::instance().setEnabled(false);
        settle();
        off.add(type());
    }
    std::printf("platform %s, %d runs\n\n", qPrintable(QGuiApplication::platformName()), runs);
    bench::printAgainst(QStringLiteral("1 MB joke: key -> painted, spell checking"), on,
                        QStringLiteral("  the same without spell checking"), off);
    return 0;
}
