// Writes a rich-edit RTF file of a given size for the RTF benchmarks:
//   bench_rtf_make OUT BYTES [SEED]

#include "rtfgen.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const long long bytes = argc >= 3 ? std::atoll(argv[2]) : 0;
    const long seed = argc == 4 ? std::atol(argv[3]) : 1;
    if (argc < 3 || argc > 4 || bytes <= 0 || seed <= 0) {
        std::fprintf(stderr, "usage: bench_rtf_make OUT BYTES [SEED]\n");
        return 2;
    }
    const QByteArray rtf = bench::makeRichEditRtf(bytes, std::uint32_t(seed));
    QFile file(QFile::decodeName(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size() || !file.flush()) {
        std::fprintf(stderr, "bench_rtf_make: cannot write %s: %s\n", argv[1],
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
