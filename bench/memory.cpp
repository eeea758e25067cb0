// Peak memory with a large library open: starts the way the program does on
// the folder given on the command line, opens the first library of the list,
// lets the list paint and prints the peak resident memory of the process.
// Exits with 1 when the program raised a message on the way.

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "paintwatch.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>

namespace {

void printPeak(const char *when)
{
    const long kb = bench::peakResidentKb();
    std::printf("%-28s peak resident %7ld KiB = %6.1f MiB\n", when, kb, kb / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_memory PROGRAM_FOLDER\n");
        return 2;
    }
    bench::QuietServices services;
    platform::setServices(&services);
    setupApplication(app);
    createWindows(args[1]);
    PaintWatch window(HLAVNI);
    HLAVNI->show();
    if (!window.waitForPaint()) {
        std::fprintf(stderr, "bench_memory: the main window was not painted\n");
        return 1;
    }
    printPeak("started:");

    const QString library = HLAVNI->Seznam->item(0);
    PaintWatch list(HLAVNI->Seznam->viewport());
    HLAVNI->Edit->setText(library);
    HLAVNI->OtevriAkceExecute();
    if (!list.waitForPaint()) {
        std::fprintf(stderr, "bench_memory: the list was not painted\n");
        return 1;
    }
    // Scrolling to the end lays out and paints the other end of the list too.
    HLAVNI->Seznam->scrollToBottom();
    list.waitForPaint(1000);
    std::printf("%d jokes listed from \"%s\"\n", HLAVNI->Seznam->count(), qPrintable(library));
    printPeak("library open and painted:");

    destroyWindows();
    platform::setServices(nullptr);
    return services.raised() > 0 ? 1 : 0;
}
