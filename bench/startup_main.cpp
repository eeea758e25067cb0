// Starts the way the program does, on the program folder given on the
// command line, and quits once the main window has been painted. Exits with 1
// when the program raised a message on the way (a broken folder).

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "paintwatch.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_startup_main PROGRAM_FOLDER\n");
        return 2;
    }
    bench::QuietServices services;
    platform::setServices(&services);
    setupApplication(app);
    // As the program does up to the first paint: the main window alone,
    // centred on the screen (the program creates the other windows after
    // the paint).
    createMainWindow(args[1]);
    if (const QScreen *screen = HLAVNI->screen()) {
        QRect frame = HLAVNI->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        HLAVNI->move(frame.topLeft());
    }
    PaintWatch watch(HLAVNI);
    watch.quitAfterFirstPaint();
    HLAVNI->show();
    const int result = QApplication::exec();
    destroyWindows();
    platform::setServices(nullptr);
    return services.raised() > 0 ? 1 : result;
}
