// Opening a library of many jokes in the main window: the time from choosing
// the library (its name put into the edit box) to its jokes being in the
// list, and, in the "Painted" variant, until the list is on the screen too.
// Closing back to the list of libraries runs untimed between iterations.

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "paintwatch.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// A program folder with one library of `jokes` jokes, made once per run.
QString folderWith(int jokes)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir> &dir = folders[jokes];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        if (!dir->isValid() || !bench::makeProgramFolder(dir->path(), 1, jokes))
            return {};
    }
    return dir->path();
}

void openLibrary(benchmark::State &state, bool painted)
{
    const int jokes = int(state.range(0));
    const QString folder = folderWith(jokes);
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the program folder");
        return;
    }
    bench::QuietServices services;
    platform::setServices(&services);
    createWindows(folder);
    const QString library = bench::libraryName(1);
    PaintWatch list(HLAVNI->Seznam->viewport());
    if (painted) {
        HLAVNI->show();
        list.waitForPaint();
    }

    for (auto _ : state) {
        HLAVNI->Edit->setText(library);
        HLAVNI->OtevriAkceExecute();
        if (painted && !list.waitForPaint()) {
            state.SkipWithError("the list was not painted");
            break;
        }

        state.PauseTiming();
        if (HLAVNI->Seznam->count() != jokes || services.raised() > 0) {
            state.SkipWithError("the library did not open");
            break;
        }
        HLAVNI->OtevriAkceExecute();
        HLAVNI->Edit->clear();
        if (painted)
            list.waitForPaint();
        state.ResumeTiming();
    }
    state.counters["jokes"] = jokes;

    destroyWindows();
    platform::setServices(nullptr);
}

void BM_OpenLibrary(benchmark::State &state)
{
    openLibrary(state, false);
}

void BM_OpenLibraryPainted(benchmark::State &state)
{
    openLibrary(state, true);
}

BENCHMARK(BM_OpenLibrary)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLibraryPainted)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    setupApplication(app);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
