// The totals walk over 1,000 libraries: the work of one step (one library:
// its description panel loaded and its count added), which has to stay well
// under the walk's 1 ms timer.

#include "benchfolder.h"
#include "browser/Program.h"
#include "browser/Unit1.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLibraries = 1000;

void BM_TotalsStep(benchmark::State &state)
{
    static QTemporaryDir dir;
    static const bool made = dir.isValid() && bench::makeProgramFolder(dir.path(), kLibraries, 8);
    if (!made) {
        state.SkipWithError("cannot write the program folder");
        return;
    }
    bench::QuietServices services;
    platform::setServices(&services);
    createWindows(dir.path());
    HLAVNI->celkovyClick();
    // One step per iteration; the last library is left, so the walk never
    // reaches its closing window.
    for (auto _ : state)
        HLAVNI->PocitejTimer();
    if (services.raised() > 0)
        state.SkipWithError("a step reported an error");
    destroyWindows();
    platform::setServices(nullptr);
}
BENCHMARK(BM_TotalsStep)->Iterations(kLibraries - 1)->Repetitions(3)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setupApplication(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
