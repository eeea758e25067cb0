// Writes a program folder for the benchmarks:
//   bench_make_folder FOLDER LIBRARIES JOKES_PER_LIBRARY

#include "benchfolder.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool librariesOk = false;
    bool jokesOk = false;
    const int libraries = args.value(2).toInt(&librariesOk);
    const int jokes = args.value(3).toInt(&jokesOk);
    if (args.size() != 4 || !librariesOk || !jokesOk || libraries < 1 || jokes < 0) {
        std::fprintf(stderr, "usage: bench_make_folder FOLDER LIBRARIES JOKES_PER_LIBRARY\n");
        return 2;
    }
    QString error;
    if (!bench::makeProgramFolder(args[1], libraries, jokes, &error)) {
        std::fprintf(stderr, "bench_make_folder: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
