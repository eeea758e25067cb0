// A library as a book: the largest library of the folder of 100,000 jokes
// of 2 to 8 KB (searchqueries.h; `--libraries N --jokes M FOLDER` for
// another) written as a PDF, against what the user already waits for in the
// same run: every joke of that library read into a document, as the program
// reads a joke to show it. The HTML, OpenDocument and EPUB files of the same
// library are timed too.
//
//   bench_book_export [--libraries N] [--jokes M] [FOLDER] [benchmark options]

#include "benchfolder.h"
#include "searchqueries.h"
#include "store/book.h"
#include "store/files.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct Largest
{
    QString library;
    QStringList jokes;
};

// The library with the most jokes (the first of them when several have as
// many), in the program folder that is the working directory.
Largest largestLibrary()
{
    Largest largest;
    for (const QString &library :
         store::readList(store::DbPath::listFile()).value_or(QStringList())) {
        const QStringList jokes =
            store::readList(store::DbPath::jokeList(library)).value_or(QStringList());
        if (jokes.size() > largest.jokes.size())
            largest = {library, jokes};
    }
    return largest;
}

qint64 rtfBytes(const Largest &largest)
{
    qint64 bytes = 0;
    for (const QString &joke : largest.jokes)
        bytes += QFileInfo(store::DbPath::jokeFile(largest.library, joke).path()).size();
    return bytes;
}

void exportBook(benchmark::State &state, const Largest &largest, store::BookFormat format,
                const QString &file)
{
    QString error;
    for (auto _ : state) {
        if (!store::writeBook({largest.library}, file, format, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    state.counters["jokes"] = double(largest.jokes.size());
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
    state.counters["peak_rss_MB"] = double(bench::peakResidentKb()) / 1024.0;
}

// What the program does to show each joke, for every joke of the library.
void readJokes(benchmark::State &state, const Largest &largest)
{
    for (auto _ : state) {
        for (const QString &joke : largest.jokes) {
            QTextDocument doc;
            doc.setUndoRedoEnabled(false);
            store::readRichText(store::DbPath::jokeFile(largest.library, joke), &doc);
            benchmark::DoNotOptimize(doc.characterCount());
        }
    }
    state.counters["jokes"] = double(largest.jokes.size());
    state.counters["rtf_MB"] = double(rtfBytes(largest)) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    const std::optional<bench::SearchFolder> folder =
        bench::madeSearchFolder(QCoreApplication::arguments());
    if (!folder)
        return 1;
    QDir::setCurrent(folder->path);
    const Largest largest = largestLibrary();
    if (largest.jokes.isEmpty()) {
        std::fprintf(stderr, "no library with jokes in %s\n", qPrintable(folder->path));
        return 1;
    }
    QTemporaryDir out;
    if (!out.isValid())
        return 1;
    std::printf("%s: %lld jokes, %.1f MB of RTF\n", qPrintable(largest.library),
                static_cast<long long>(largest.jokes.size()),
                double(rtfBytes(largest)) / (1024.0 * 1024.0));

    // The PDF first: its peak memory is then its own.
    benchmark::RegisterBenchmark("BM_BookPdf", [&](benchmark::State &state) {
        exportBook(state, largest, store::BookFormat::Pdf, out.filePath(u"kniha.pdf"_qs));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadJokes", [&](benchmark::State &state) {
        readJokes(state, largest);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_BookHtml", [&](benchmark::State &state) {
        exportBook(state, largest, store::BookFormat::Html, out.filePath(u"kniha.html"_qs));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_BookOdt", [&](benchmark::State &state) {
        exportBook(state, largest, store::BookFormat::Odt, out.filePath(u"kniha.odt"_qs));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_BookEpub", [&](benchmark::State &state) {
        exportBook(state, largest, store::BookFormat::Epub, out.filePath(u"kniha.epub"_qs));
    })->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
