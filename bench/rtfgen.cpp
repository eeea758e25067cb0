#include "rtfgen.h"

#include "store/codepage.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace bench {
namespace {

// A fixed generator, so that every machine writes the same files.
class Random
{
public:
    explicit Random(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}

    // 0 .. n-1
    int below(int n)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return int((m_state >> 33) % std::uint64_t(n));
    }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::uint64_t m_state;
};

constexpr std::array<std::u16string_view, 96> kWords = {
    u"přijde",    u"muž",     u"do",      u"hospody",  u"a",          u"říká",     u"hostinskému",
    u"že",        u"už",      u"nikdy",   u"nebude",   u"pít",        u"pivo",     u"který",
    u"čeká",      u"na",      u"ženu",    u"doktor",   u"pacient",    u"učitelka", u"Pepíčku",
    u"proč",      u"nemáš",   u"úkol",    u"dědeček",  u"babička",    u"kůň",      u"žirafa",
    u"šťastný",   u"večer",   u"ráno",    u"příště",   u"ještě",      u"opravdu",  u"člověk",
    u"řekl",      u"ďábel",   u"ťuká",    u"v",        u"úterý",      u"své",      u"děti",
    u"škola",     u"zvířata", u"počítač", u"myš",      u"klávesnice", u"hasič",    u"policajt",
    u"blondýnka", u"Franta",  u"s",       u"bažinou",  u"kocour",     u"pes",      u"slepice",
    u"vejce",     u"koláč",   u"chléb",   u"sýr",      u"jde",        u"lesem",    u"potká",
    u"medvěda",   u"zajíc",   u"vlk",     u"Karkulka", u"maminka",    u"tatínek",  u"sedí",
    u"u",         u"stolu",   u"kolik",   u"to",       u"stojí",      u"korun",    u"nevím",
    u"jestli",    u"pane",    u"vrchní",  u"polévka",  u"moucha",     u"plave",    u"kraul",
    u"zubař",     u"bolí",    u"zub",     u"trhá",     u"ředitel",    u"účetní",   u"prodavač",
    u"zákazník",  u"obchod",  u"fronta",  u"čtvrtek",  u"náhodou"};

// A vocabulary of many words, some much more common than others, as in real
// text: the word of rank r (from 1) comes about 1/r as often as the commonest.
// Each word is two to five syllables of two letters.
class Vocabulary
{
public:
    explicit Vocabulary(int size)
    {
        static constexpr std::u16string_view kSyllables[] = {
            u"ko", u"pa", u"ře", u"ší", u"mu", u"dě", u"la", u"vo", u"ny", u"tů",
            u"če", u"ja", u"bu", u"zi", u"há", u"ro", u"sy", u"ži", u"ma", u"pě"};
        constexpr int kCount = int(std::size(kSyllables));
        m_words.reserve(std::size_t(size));
        for (int i = 0; i < size; ++i) {
            std::u16string word(kSyllables[std::size_t(i % kCount)]);
            for (int rest = i / kCount + 1; rest > 0; rest /= kCount)
                word += kSyllables[std::size_t(rest % kCount)];
            m_words.push_back(std::move(word));
        }
    }
    int size() const { return int(m_words.size()); }
    const std::u16string &word(int rank) const { return m_words[std::size_t(rank - 1)]; }
    int pickRank(int below1M) const
    {
        // size ^ u for u evenly in [0, 1): rank r with a chance of about 1/r.
        const double u = below1M / double(1 << 20);
        return std::clamp(int(std::pow(double(size()), u)), 1, size());
    }

private:
    std::vector<std::u16string> m_words;
};

// While set, jokes take their words from it (see makeWordyJokes()).
const Vocabulary *g_vocabulary = nullptr;

constexpr std::array<std::u16string_view, 4> kEnds = {u".", u"!", u"?", u"…"};

void append(QByteArray &out, std::u16string_view text)
{
    for (const char c : store::encode1250(QStringView(text.data(), qsizetype(text.size())))) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\'%02x", b);
            out.append(escape, 4);
        } else {
            out.append(c);
        }
    }
}

// Rich-edit header: a text font, the symbol font of bullets, three colours;
// `tables` (a list table, say) after them.
void header(QByteArray &out, const char *tables = "")
{
    out += "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl{\\f0\\fswiss\\fcharset238 "
           "Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;\\red0\\green128\\blue0;}"
           "\r\n";
    out += tables;
    out += "\\viewkind4\\uc1\\pard\\lang1029\\f0\\fs20 ";
}

// A sentence of `least` to `least + spread - 1` words; now and then a word
// bold, italic or coloured.
void sentence(QByteArray &out, Random &random, int least = 5, int spread = 12)
{
    const int words = least + random.below(spread);
    const bool quoted = random.chance(15);
    if (quoted)
        append(out, u"„");
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            out += ' ';
        std::u16string_view word =
            g_vocabulary ? std::u16string_view(
                               g_vocabulary->word(g_vocabulary->pickRank(random.below(1 << 20))))
                         : kWords[std::size_t(random.below(int(kWords.size())))];
        const int style = random.below(100);
        if (i == 0) {
            // Capital first letter.
            QString first = QString::fromUtf16(word.data(), qsizetype(word.size()));
            first[0] = first[0].toUpper();
            append(out, std::u16string_view(reinterpret_cast<const char16_t *>(first.utf16()),
                                            std::size_t(first.size())));
        } else if (style < 6) {
            out += "\\b ";
            append(out, word);
            out += "\\b0 ";
        } else if (style < 9) {
            out += "\\i ";
            append(out, word);
            out += "\\i0 ";
        } else if (style < 13) {
            out += "\\cf" + QByteArray::number(1 + random.below(3)) + ' ';
            append(out, word);
            out += "\\cf0 ";
        } else {
            append(out, word);
        }
    }
    append(out, kEnds[std::size_t(random.below(int(kEnds.size())))]);
    if (quoted)
        append(out, u"“");
}

void paragraph(QByteArray &out, Random &random)
{
    const int sentences = 1 + random.below(4);
    for (int i = 0; i < sentences; ++i) {
        if (i > 0)
            out += ' ';
        sentence(out, random);
    }
    out += "\\par\r\n";
}

void title(QByteArray &out, Random &random)
{
    out += "\\pard\\qc\\b\\fs28 ";
    const int words = 2 + random.below(3);
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            out += ' ';
        append(out, kWords[std::size_t(random.below(int(kWords.size())))]);
    }
    out += "\\b0\\fs20\\par\r\n\\pard ";
}

void bullets(QByteArray &out, Random &random)
{
    const int items = 2 + random.below(4);
    out += "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
           "\\fi-200\\li200 ";
    for (int i = 0; i < items; ++i) {
        if (i > 0)
            out += "{\\pntext\\f1\\'b7\\tab}";
        sentence(out, random);
        out += "\\par\r\n";
    }
    out += "\\pard ";
}

void body(QByteArray &out, std::int64_t bytes, Random &random)
{
    title(out, random);
    while (out.size() < bytes) {
        const int kind = random.below(100);
        if (kind < 4)
            title(out, random);
        else if (kind < 12)
            bullets(out, random);
        else
            paragraph(out, random);
    }
    out += "}\r\n";
    out += '\0'; // as the control ends its files
}

// One list: rich-edit bullets, or items of \ls1 (see ListForm).
void list(QByteArray &out, int items, ListForm form, Random &random)
{
    if (form == ListForm::RichEdit)
        out += "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
               "\\fi-200\\li200 ";
    int number = 0;
    for (int i = 0; i < items; ++i) {
        if (form == ListForm::RichEdit) {
            if (i > 0)
                out += "{\\pntext\\f1\\'b7\\tab}";
        } else if (i % 10 == 9) {
            out += "\\pard{\\listtext\\f1\\'b7\\tab}\\ls1\\ilvl1\\fi-360\\li1440 ";
        } else {
            out += "\\pard{\\listtext " + QByteArray::number(++number) +
                   ".\\tab}\\ls1\\ilvl0\\fi-360\\li720 ";
        }
        sentence(out, random, 2, 3);
        out += "\\par\r\n";
        if (form == ListForm::ListTable && i % 100 == 99) {
            out += "\\pard ";
            sentence(out, random, 2, 3);
            out += "\\par\r\n";
        }
    }
    out += "\\pard ";
}

} // namespace

QByteArray makeRichEditRtf(std::int64_t bytes, std::uint32_t seed)
{
    Random random(seed);
    QByteArray out;
    out.reserve(qsizetype(bytes + 4096));
    header(out);
    body(out, bytes, random);
    return out;
}

QString vocabularyWord(int rank)
{
    static const Vocabulary vocabulary(kVocabulary);
    const std::u16string &word = vocabulary.word(std::clamp(rank, 1, kVocabulary));
    return QString::fromUtf16(word.data(), qsizetype(word.size()));
}

std::vector<QByteArray> makeWordyJokes(int count, std::uint32_t seed)
{
    static const Vocabulary vocabulary(kVocabulary);
    g_vocabulary = &vocabulary;
    std::vector<QByteArray> jokes = makeJokes(count, seed);
    g_vocabulary = nullptr;
    return jokes;
}

std::vector<QByteArray> makeJokes(int count, std::uint32_t seed)
{
    Random random(seed);
    std::vector<QByteArray> jokes;
    jokes.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        QByteArray joke;
        header(joke);
        // Ends a few hundred bytes past the size aimed at, so aim a little low.
        body(joke, 2048 + random.below(6144 - 400), random);
        jokes.push_back(std::move(joke));
    }
    return jokes;
}

QByteArray makeListRtf(int items, ListForm form, std::uint32_t seed)
{
    Random random(seed);
    QByteArray out;
    out.reserve(qsizetype(items) * 48 + 1024);
    header(out,
           form == ListForm::RichEdit
               ? ""
               : "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1"
                 "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}"
                 "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}"
                 "\\fi-360\\li1440}\\listid1}}\r\n"
                 "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n");
    title(out, random);
    list(out, items, form, random);
    out += "}\r\n";
    out += '\0';
    return out;
}

} // namespace bench
