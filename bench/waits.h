#pragma once

#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

// What the user waits for, against a reference timed in the same run: the
// figures of each are gathered run by run, the two taking turns, and printed
// as median and minimum with the ratio of the medians.
namespace bench {

struct Figures
{
    std::vector<double> ms;

    void add(double value) { ms.push_back(value); }
    double median() const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double minimum() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
};

inline void printAgainst(const QString &what, const Figures &ours, const QString &reference,
                         const Figures &theirs)
{
    std::printf("%-44s median %8.2f ms  min %8.2f ms\n", qPrintable(what), ours.median(),
                ours.minimum());
    std::printf("%-44s median %8.2f ms  min %8.2f ms\n", qPrintable(reference), theirs.median(),
                theirs.minimum());
    std::printf("%-44s %.2fx the reference (medians), %.2fx (minimums)\n\n", "  ratio",
                theirs.median() > 0 ? ours.median() / theirs.median() : 0,
                theirs.minimum() > 0 ? ours.minimum() / theirs.minimum() : 0);
    std::fflush(stdout);
}

} // namespace bench
