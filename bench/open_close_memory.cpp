// Memory kept by opening and closing a library again and again: starts the
// way the program does, opens and closes the first library of the folder 50
// times to warm up, then 200 times more and prints how much the memory of
// the process grew. For comparison it first does the same
// with a bare list box alone in a window, given the same names read from the
// same files, so the program's figure can be read against it.
//
//   bench_open_close_memory [FOLDER] [--cycles N] [--trim]
//
// Without FOLDER a temporary program folder with one library of 10,000 jokes
// is written. --trim gives the heap's free memory back to the system
// (malloc_trim) before each reading, which tells memory still held from
// memory merely left fragmented. Besides the resident memory it prints the
// heap in use (mallinfo2: allocated and not yet freed), which no
// fragmentation moves. Exits with 1 when the program raised a message on the
// way.

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "paintwatch.h"
#include "store/files.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kWarmUp = 50;

bool g_trim = false;

// VmRSS of /proc/self/status, in KiB.
long residentKb()
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    }
    std::fclose(status);
    return kb;
}

// Lets what was posted run: deferred deletions and the pending paints.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

struct Reading
{
    long resident = 0; // KiB
    long heap = 0;     // KiB allocated with malloc and not freed
};

Reading reading()
{
    settle();
    if (g_trim)
        malloc_trim(0);
    const struct mallinfo2 heap = mallinfo2();
    return {residentKb(), long((heap.uordblks + heap.hblkhd) / 1024)};
}

struct Growth
{
    Reading before;
    Reading after;
};

// Runs `cycle` a few times, then reads the memory before and after `cycles`
// more; false when a cycle failed.
bool measure(const char *name, int cycles, const std::function<bool()> &cycle, Growth *growth)
{
    for (int i = 0; i < kWarmUp; ++i) {
        if (!cycle()) {
            std::fprintf(stderr, "bench_open_close_memory: %s: warm-up cycle %d failed\n", name,
                         i + 1);
            return false;
        }
    }
    growth->before = reading();
    for (int i = 0; i < cycles; ++i) {
        if (!cycle()) {
            std::fprintf(stderr, "bench_open_close_memory: %s: cycle %d failed\n", name, i + 1);
            return false;
        }
    }
    growth->after = reading();
    return true;
}

void print(const char *name, int cycles, const Growth &g)
{
    const long rss = g.after.resident - g.before.resident;
    const long heap = g.after.heap - g.before.heap;
    std::printf("%-15s RSS  before %7ld KiB, after %7ld KiB: grew %6ld KiB = %5.2f MiB, "
                "%6.2f KiB a cycle\n",
                name, g.before.resident, g.after.resident, rss, rss / 1024.0, double(rss) / cycles);
    std::printf("%-15s heap before %7ld KiB, after %7ld KiB: grew %6ld KiB = %5.2f MiB, "
                "%6.2f KiB a cycle\n",
                "", g.before.heap, g.after.heap, heap, heap / 1024.0, double(heap) / cycles);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    args.removeFirst();
    int cycles = 200;
    QString folder;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QLatin1String("--trim"))
            g_trim = true;
        else if (args[i] == QLatin1String("--cycles") && i + 1 < args.size())
            cycles = args[++i].toInt(&ok);
        else if (folder.isEmpty() && !args[i].startsWith(u'-'))
            folder = args[i];
        else
            ok = false;
        if (!ok || cycles < 1) {
            std::fprintf(stderr, "usage: bench_open_close_memory [FOLDER] [--cycles N] [--trim]\n");
            return 2;
        }
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) {
        QString error;
        folder = temporary.path();
        if (!temporary.isValid() || !bench::makeProgramFolder(folder, 1, 10000, &error)) {
            std::fprintf(stderr, "bench_open_close_memory: %s\n", qPrintable(error));
            return 1;
        }
    }

    bench::QuietServices services;
    platform::setServices(&services);
    setupApplication(app);
    createWindows(folder);
    PaintWatch window(HLAVNI);
    HLAVNI->show();
    if (!window.waitForPaint()) {
        std::fprintf(stderr, "bench_open_close_memory: the main window was not painted\n");
        return 1;
    }
    const QString library = HLAVNI->Seznam->item(0);

    // The reference: a list box of the main list's size in a window of its
    // own, given the jokes of the library and then the list of libraries,
    // read from the same files each time.
    Growth bare;
    int jokes = 0;
    {
        QWidget frame;
        frame.resize(359, 313);
        auto *box = new ListBox(&frame);
        box->setGeometry(16, 16, 185, 238);
        box->setItemHeight(13);
        frame.show();
        PaintWatch painted(box->viewport());
        if (!painted.waitForPaint()) {
            std::fprintf(stderr, "bench_open_close_memory: the bare list was not painted\n");
            return 1;
        }
        const auto show = [&](const store::DbPath &path) {
            const std::optional<QStringList> names = store::readList(path);
            if (!names)
                return false;
            jokes = std::max(jokes, int(names->size()));
            box->setItems(*names);
            return painted.waitForPaint();
        };
        const auto cycle = [&] {
            return show(store::DbPath::jokeList(library)) && show(store::DbPath::listFile());
        };
        if (!measure("bare list box:", cycles, cycle, &bare))
            return 1;
    }
    settle();

    Growth program;
    {
        PaintWatch painted(HLAVNI->Seznam->viewport());
        const auto toggle = [&] {
            HLAVNI->Edit->setText(library);
            HLAVNI->OtevriAkceExecute();
            return painted.waitForPaint();
        };
        const auto cycle = [&] { return toggle() && toggle(); };
        if (!measure("main window:", cycles, cycle, &program))
            return 1;
    }

    std::printf("%d open+close cycles of a library of %d jokes%s (platform %s)\n", cycles, jokes,
                g_trim ? ", heap trimmed before each reading" : "",
                qPrintable(QGuiApplication::platformName()));
    print("bare list box:", cycles, bare);
    print("main window:", cycles, program);
    const long bareGrowth = bare.after.resident - bare.before.resident;
    if (bareGrowth > 0)
        std::printf("RSS growth, main window / bare list box: %.1f\n",
                    double(program.after.resident - program.before.resident) / bareGrowth);

    destroyWindows();
    platform::setServices(nullptr);
    return services.raised() > 0 ? 1 : 0;
}
