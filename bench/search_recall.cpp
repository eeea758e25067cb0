// How often the search finds a word in another form than the one in the
// joke: pairs of forms of one word made by the Czech dictionary's own suffix
// rules (its .aff file applied to its .dic entries), a joke with a sentence
// holding one form, and a query with the other. Prints the share of queries
// whose joke comes first (and is found at all), with the word forms and with
// the form typed only (what the search did before it knew forms), once as
// typed and once typed without diacritics.
//
//   bench_search_recall [PAIRS]     (default 300)
//
// The words are drawn from the dictionary with a fixed seed: entries in small
// letters with suffix rules that give at least four forms. Needs the Czech
// dictionary (hunspell-cs).

#include "store/codepage.h"
#include "store/dictionary.h"
#include "store/files.h"
#include "store/rtfwriter.h"
#include "store/searchindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <random>
#include <vector>

namespace {

struct Rule
{
    QString strip;
    QString add;
    QRegularExpression condition; // on the end of the word
};

// The suffix rules of a Hunspell .aff file, by flag.
QHash<QChar, std::vector<Rule>> suffixRules(const QString &affText)
{
    QHash<QChar, std::vector<Rule>> rules;
    for (const QString &line : affText.split(u'\n')) {
        const QStringList f = line.simplified().split(u' ');
        if (f.size() < 5 || f[0] != u"SFX" || f[1].size() != 1)
            continue;
        QString add = f[3].section(u'/', 0, 0);
        if (add == u"0")
            add.clear();
        const QString strip = f[2] == u"0" ? QString() : f[2];
        rules[f[1][0]].push_back(
            {strip, add,
             QRegularExpression(f[4] == u"." ? QStringLiteral("$") : f[4] + QStringLiteral("$"))});
    }
    return rules;
}

QStringList formsOf(const QString &word, const QString &flags,
                    const QHash<QChar, std::vector<Rule>> &rules)
{
    QSet<QString> forms{word};
    for (const QChar flag : flags) {
        for (const Rule &rule : rules.value(flag)) {
            if (!word.endsWith(rule.strip) || !rule.condition.match(word).hasMatch())
                continue;
            const QString form = word.left(word.size() - rule.strip.size()) + rule.add;
            if (form.size() >= 2)
                forms.insert(form);
        }
    }
    QStringList out(forms.begin(), forms.end());
    out.sort();
    return out;
}

QString withoutDiacritics(const QString &word)
{
    QString out = word.normalized(QString::NormalizationForm_D);
    out.removeIf([](QChar c) { return c.isMark(); });
    return out;
}

struct Pair
{
    QString lemma;
    QString inJoke;
    QString typed;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    store::CzechDictionary::useFolders({});
    if (!store::SearchIndex::wordFormsKnown()) {
        std::fprintf(stderr, "no Czech dictionary (hunspell-cs)\n");
        return 1;
    }
    const QString dictionary = QStringLiteral("/usr/share/hunspell/cs_CZ");
    QFile aff(dictionary + QStringLiteral(".aff"));
    QFile dic(dictionary + QStringLiteral(".dic"));
    if (!aff.open(QIODevice::ReadOnly) || !dic.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s.aff/.dic\n", qPrintable(dictionary));
        return 1;
    }
    const auto rules = suffixRules(QString::fromUtf8(aff.readAll()));
    const QStringList entries = QString::fromUtf8(dic.readAll()).split(u'\n');

    // Words drawn with a fixed seed; one pair each, so that no two jokes
    // share a word.
    std::mt19937 random(20261209);
    std::vector<Pair> pairs;
    QSet<QString> used;
    const QRegularExpression plainWord(QStringLiteral("^[a-záčďéěíňóřšťúůýž]{3,}$"));
    while (int(pairs.size()) < wanted) {
        const QString entry = entries[qsizetype(random() % quint32(entries.size()))].trimmed();
        const QString word = entry.section(u'/', 0, 0);
        const QString flags = entry.section(u'/', 1);
        if (flags.isEmpty() || !plainWord.match(word).hasMatch() || used.contains(word))
            continue;
        const QStringList forms = formsOf(word, flags, rules);
        if (forms.size() < 4)
            continue;
        used.insert(word);
        const QString inJoke = forms[qsizetype(random() % quint32(forms.size()))];
        QString typed;
        do
            typed = forms[qsizetype(random() % quint32(forms.size()))];
        while (typed == inJoke);
        pairs.push_back({word, inJoke, typed});
    }

    // One joke a pair, in one library.
    QTemporaryDir temp;
    const QString folder = temp.path();
    QDir().mkpath(folder + QStringLiteral("/DataBase/Věty"));
    QByteArray list;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const QString name = QStringLiteral("Věta %1").arg(i + 1);
        list += store::encode1250(name) + "\r\n";
        QTextDocument document(
            QStringLiteral("Ve větě stojí slovo %1 a nic víc.").arg(pairs[i].inJoke));
        QFile file(folder + QStringLiteral("/DataBase/Věty/") + name + QStringLiteral(".vti"));
        if (!file.open(QIODevice::WriteOnly) || file.write(store::writeRtf(document)) < 0)
            return 1;
    }
    {
        QFile sez(folder + QStringLiteral("/DataBase/Věty/Vtipy.sez"));
        QFile seznam(folder + QStringLiteral("/DataBase/seznam.dat"));
        if (!sez.open(QIODevice::WriteOnly) || sez.write(list) < 0 ||
            !seznam.open(QIODevice::WriteOnly) ||
            seznam.write(store::encode1250(u"Věty"_qs) + "\r\n") < 0)
            return 1;
    }
    QDir::setCurrent(folder);
    std::printf("%zu pairs of forms of one word (%s), e.g.:\n", pairs.size(),
                qPrintable(dictionary + QStringLiteral(".aff")));
    for (std::size_t i = 0; i < 5 && i < pairs.size(); ++i)
        std::printf("  %-16s joke: %-18s query: %s\n", qPrintable(pairs[i].lemma),
                    qPrintable(pairs[i].inJoke), qPrintable(pairs[i].typed));
    std::printf("%-34s %10s %10s\n", "", "first", "found");
    for (const bool plain : {false, true}) {
        // An index of its own: what the dictionary told of the words typed
        // as written is kept in it, and would answer those typed without
        // diacritics.
        store::SearchIndex index{QString()};
        const store::RefreshReport report = index.refresh();
        if (!report.problem.isEmpty() || report.read != int(pairs.size())) {
            std::fprintf(stderr, "indexing failed: %s\n", qPrintable(report.problem));
            return 1;
        }
        for (const bool allForms : {false, true}) {
            int first = 0;
            int found = 0;
            QStringList missed;
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                const QString typed = plain ? withoutDiacritics(pairs[i].typed) : pairs[i].typed;
                const store::SearchResult result = index.search(typed, 500, false, allForms);
                const QString joke = QStringLiteral("Věta %1").arg(i + 1);
                for (std::size_t h = 0; h < result.hits.size(); ++h) {
                    if (result.hits[h].joke == joke) {
                        ++found;
                        first += h == 0;
                        break;
                    }
                }
                if (allForms && (result.hits.empty() || result.hits[0].joke != joke) &&
                    missed.size() < 8)
                    missed << pairs[i].inJoke + u'/' + typed;
            }
            const QString label =
                QStringLiteral("%1, %2").arg(allForms ? u"every form"_qs : u"form typed only"_qs,
                                             plain ? u"without diacritics"_qs : u"as written"_qs);
            std::printf("%-34s %9.1f%% %9.1f%%\n", qPrintable(label),
                        100.0 * first / double(pairs.size()), 100.0 * found / double(pairs.size()));
            if (!missed.isEmpty())
                std::printf("  not first, e.g. (joke/query): %s\n", qPrintable(missed.join(u", ")));
        }
    }
    return 0;
}
