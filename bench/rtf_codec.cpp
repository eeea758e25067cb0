// Throughput of the RTF reader and writer on rich-edit files: one of 1 MB and
// one of 10 MB, and 10,000 jokes of 2 to 8 KB each. Reading is timed from the
// bytes to the filled document, writing from the document to the bytes; the
// byte rates are those of the RTF read or written. Reading a joke that is one
// long list shows whether the time grows with the number of items alone.

#include "rtfgen.h"
#include "store/rtfreader.h"
#include "store/rtfwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int kJokes = 10'000;

const QByteArray &bigFile(std::int64_t bytes)
{
    static std::map<std::int64_t, QByteArray> files;
    QByteArray &file = files[bytes];
    if (file.isEmpty())
        file = bench::makeRichEditRtf(bytes);
    return file;
}

const std::vector<QByteArray> &jokes()
{
    static const std::vector<QByteArray> all = bench::makeJokes(kJokes);
    return all;
}

qsizetype totalSize(const std::vector<QByteArray> &files)
{
    qsizetype total = 0;
    for (const QByteArray &f : files)
        total += f.size();
    return total;
}

void perJoke(benchmark::State &state)
{
    state.counters["jokes"] = kJokes;
    state.counters["per_joke"] = benchmark::Counter(
        kJokes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A new document for every read; making and destroying it is not timed.
void BM_Read(benchmark::State &state)
{
    const QByteArray &rtf = bigFile(state.range(0) << 20);
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<QTextDocument>();
        state.ResumeTiming();
        if (!store::readRtf(rtf, document.get())) {
            state.SkipWithError("not read as RTF");
            break;
        }
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

// As BM_Read, into a document with a layout of the width of the main
// window's box, as a joke is read for showing: the time includes laying the
// text out. `plain_ms` is the time of setPlainText() of the same text into
// such a document, the least that showing the joke can take.
void BM_ReadLaidOut(benchmark::State &state)
{
    const QByteArray &rtf = bigFile(state.range(0) << 20);
    const auto laidOut = [] {
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        document->setTextWidth(193);
        document->documentLayout();
        return document;
    };
    for (auto _ : state) {
        state.PauseTiming();
        auto document = laidOut();
        state.ResumeTiming();
        if (!store::readRtf(rtf, document.get())) {
            state.SkipWithError("not read as RTF");
            break;
        }
        benchmark::DoNotOptimize(document->size());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());

    QTextDocument read;
    store::readRtf(rtf, &read);
    const QString text = read.toPlainText();
    auto document = laidOut();
    const auto start = std::chrono::steady_clock::now();
    document->setPlainText(text);
    benchmark::DoNotOptimize(document->size());
    state.counters["plain_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_Write(benchmark::State &state)
{
    QTextDocument document;
    store::readRtf(bigFile(state.range(0) << 20), &document);
    qsizetype written = 0;
    for (auto _ : state) {
        const QByteArray rtf = store::writeRtf(document);
        written = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(state.iterations() * written);
}

// Every joke in turn into the same document, which readRtf() clears first.
void BM_ReadJokes(benchmark::State &state)
{
    const std::vector<QByteArray> &all = jokes();
    QTextDocument document;
    for (auto _ : state) {
        for (const QByteArray &rtf : all)
            store::readRtf(rtf, &document);
    }
    state.SetBytesProcessed(state.iterations() * totalSize(all));
    perJoke(state);
}

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Each joke read into a document untimed, then written. The time is the CPU
// time of the writes, as the other benchmarks' rates are of CPU time.
void BM_WriteJokes(benchmark::State &state)
{
    const std::vector<QByteArray> &all = jokes();
    QTextDocument document;
    qsizetype written = 0;
    for (auto _ : state) {
        double elapsed = 0;
        written = 0;
        for (const QByteArray &rtf : all) {
            store::readRtf(rtf, &document);
            const double start = threadSeconds();
            const QByteArray out = store::writeRtf(document);
            elapsed += threadSeconds() - start;
            written += out.size();
        }
        state.SetIterationTime(elapsed);
    }
    state.SetBytesProcessed(state.iterations() * written);
    perJoke(state);
}

// A joke of range(0) list items read into a new document (made and destroyed
// untimed). `per_item` is the CPU time of one item; `vs_5000` is the time of
// the whole read over that of 5,000 items of the same form, so 2, 4 and 8 for
// 10,000, 20,000 and 40,000 items when the time grows as the list does.
void BM_ReadList(benchmark::State &state, bench::ListForm form)
{
    const int items = int(state.range(0));
    const QByteArray rtf = bench::makeListRtf(items, form);
    double elapsed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<QTextDocument>();
        state.ResumeTiming();
        const double start = threadSeconds();
        if (!store::readRtf(rtf, document.get())) {
            state.SkipWithError("not read as RTF");
            break;
        }
        elapsed += threadSeconds() - start;
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    if (state.iterations() == 0)
        return;
    // Each form's smallest list runs first and is the yardstick of the others.
    static std::map<std::pair<bench::ListForm, int>, double> perRead;
    const double read = elapsed / double(state.iterations());
    perRead[{form, items}] = read;
    const auto smallest = perRead.find({form, 5'000});
    if (smallest != perRead.end())
        state.counters["vs_5000"] = read / smallest->second;
    state.counters["per_item"] = benchmark::Counter(
        items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

BENCHMARK(BM_Read)->Name("BM_Read/MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLaidOut)->Name("BM_ReadLaidOut/MB")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write)->Name("BM_Write/MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadJokes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJokes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadList, bullets, bench::ListForm::RichEdit)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadList, listtable, bench::ListForm::ListTable)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The program runs as a GUI application: the document's default font
    // comes from its font database.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
