#include "rtfreader.h"
#include "rtfsink.h"

#include "codepage.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QTextListFormat>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace store {
namespace {

// ---------------------------------------------------------------------------
// Tokens

struct Token
{
    enum Kind : std::uint8_t {
        End,
        GroupOpen,
        GroupClose,
        Word,   // \name or \nameN; `text` is the name
        Symbol, // \x for a non-letter x
        Byte,   // \'hh
        Text,   // a run of plain bytes; `text` holds them
    };
    Kind kind = End;
    bool hasParam = false;
    char symbol = 0;
    unsigned char byte = 0;
    int param = 0;
    std::string_view text;
};

constexpr qsizetype kMaxWordLength = 32;
constexpr std::int64_t kMaxParam = 0x7fffffff;

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Lexer
{
public:
    explicit Lexer(QByteArrayView in) : m_data(in.data()), m_size(in.size()) {}

    Token next();

    // Skips up to `n` raw bytes (the data of \binN).
    void skipRaw(std::int64_t n)
    {
        m_pos += qsizetype(std::clamp<std::int64_t>(n, 0, m_size - m_pos));
    }

private:
    Token controlWord();

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

Token Lexer::next()
{
    Token t;
    while (m_pos < m_size) {
        const char c = m_data[m_pos];
        switch (c) {
        case '\r':
        case '\n':
            ++m_pos;
            continue;
        case '{':
            ++m_pos;
            t.kind = Token::GroupOpen;
            return t;
        case '}':
            ++m_pos;
            t.kind = Token::GroupClose;
            return t;
        case '\\': {
            if (m_pos + 1 >= m_size) {
                m_pos = m_size;
                return t;
            }
            const char d = m_data[m_pos + 1];
            if (isLetter(d)) {
                ++m_pos;
                return controlWord();
            }
            m_pos += 2;
            if (d == '\'') {
                int value = 0;
                int digits = 0;
                while (digits < 2 && m_pos < m_size && hexValue(m_data[m_pos]) >= 0) {
                    value = value * 16 + hexValue(m_data[m_pos]);
                    ++m_pos;
                    ++digits;
                }
                if (digits == 0)
                    continue;
                t.kind = Token::Byte;
                t.byte = static_cast<unsigned char>(value);
                return t;
            }
            if (d == '\r' || d == '\n') {
                // A backslash that ends a line is an old way of writing \par.
                t.kind = Token::Word;
                t.text = "par";
                return t;
            }
            t.kind = Token::Symbol;
            t.symbol = d;
            return t;
        }
        default: {
            const qsizetype start = m_pos;
            while (m_pos < m_size) {
                const char e = m_data[m_pos];
                if (e == '\\' || e == '{' || e == '}' || e == '\r' || e == '\n')
                    break;
                ++m_pos;
            }
            t.kind = Token::Text;
            t.text = std::string_view(m_data + start, size_t(m_pos - start));
            return t;
        }
        }
    }
    return t;
}

// m_pos is at the first letter of the name.
Token Lexer::controlWord()
{
    Token t;
    t.kind = Token::Word;
    const qsizetype start = m_pos;
    while (m_pos < m_size && isLetter(m_data[m_pos]))
        ++m_pos;
    // An over-long name matches no known word.
    if (m_pos - start <= kMaxWordLength)
        t.text = std::string_view(m_data + start, size_t(m_pos - start));

    // A hyphen always starts the parameter, even when no digit follows.
    bool negative = false;
    if (m_pos < m_size && m_data[m_pos] == '-') {
        negative = true;
        ++m_pos;
    }
    if (m_pos < m_size && isDigit(m_data[m_pos])) {
        std::int64_t value = 0;
        while (m_pos < m_size && isDigit(m_data[m_pos])) {
            value = std::min(value * 10 + (m_data[m_pos] - '0'), kMaxParam);
            ++m_pos;
        }
        t.hasParam = true;
        t.param = int(negative ? -value : value);
    }
    if (m_pos < m_size && m_data[m_pos] == ' ')
        ++m_pos;
    return t;
}

// ---------------------------------------------------------------------------
// Control words the reader knows

// What a control word does. SkipDest: the group holds no running text; Char:
// the word stands for the character in Entry::ch.
enum class Kw : std::uint8_t {
    Unknown,
    SkipDest,
    FontTable,
    ColorTable,
    Pn,
    ListTable,
    ListOverrideTable,
    FldRslt,
    ListText,
    Upr,
    Ud,
    Chftn,
    StyleSheet,
    S,
    SBasedOn,
    FldInst,
    LevelStartAt,
    LevelText,
    PnStart,
    PnF,
    PnTxtA,
    PnTxtB,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    U,
    Bin,
    // font and colour tables
    F,
    FCharset,
    Cpg,
    Red,
    Green,
    Blue,
    // characters
    Char,
    Plain,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Hidden,
    Fs,
    Cf,
    Cb,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Dn,
    // paragraphs
    Par,
    Pard,
    Line,
    Tab,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    Sl,
    SlMult,
    Tx,
    Tqr,
    Tqc,
    Tqdec,
    Intbl,
    Cell,
    Row,
    Ls,
    Ilvl,
    // list and list override tables
    List,
    ListLevel,
    LevelNfc,
    ListId,
    ListOverride,
    // paragraph numbering
    PnLvlBlt,
    PnLvlBody,
    PnLvl,
    PnLvlCont,
    PnDec,
    PnLcLtr,
    PnUcLtr,
    PnLcRm,
    PnUcRm,
};

struct Entry
{
    std::string_view name;
    Kw kw;
    char16_t ch = 0;
};

// Groups that hold no running text: pictures, objects, document information,
// headers, footers and footnotes, style and list tables, field instructions.
constexpr std::string_view kSkipped =
    "annotation atnauthor atndate atnid atnparent atnref atntime atrfend atrfstart author "
    "background bkmkend bkmkstart buptim colorschememapping comment creatim datafield "
    "datastore defchp defpap do doccomm docvar falt fchars ffdeftext ffentrymcr ffexitmcr "
    "ffformat ffhelptext ffl ffname ffstattext file filetbl fname fontemb fontfile "
    "footer footerf footerl footerr footnote formfield ftncn ftnsep ftnsepc generator header "
    "headerf headerl headerr info keywords latentstyles lchars "
    "mmathPr nesttableprops nonesttables nonshppict objdata object operator panose "
    "pgdsctbl pict pnseclvl pntext printim private protusertbl result revtbl "
    "revtim rsidtbl rxe shp shpgrp shpinst shppict shprslt shptxt sn sp subject sv "
    "tc template themedata title txe userprops xe xmlnstbl";

constexpr std::size_t wordCount(std::string_view words)
{
    return std::size_t(std::count(words.begin(), words.end(), ' ')) + 1;
}

// Every kind of underline reads as a plain one.
constexpr std::string_view kUnderlines[] = {
    "ul",        "uld",        "uldash",    "uldashd",    "uldashdd", "uldb",
    "ulhair",    "ulhwave",    "ulldash",   "ulth",       "ulthd",    "ulthdash",
    "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",      "ulwave"};

constexpr Entry kOthers[] = {{"fonttbl", Kw::FontTable},
                             {"colortbl", Kw::ColorTable},
                             {"pn", Kw::Pn},
                             {"listtable", Kw::ListTable},
                             {"listoverridetable", Kw::ListOverrideTable},
                             {"fldrslt", Kw::FldRslt},
                             {"listtext", Kw::ListText},
                             {"upr", Kw::Upr},
                             {"ud", Kw::Ud},
                             {"chftn", Kw::Chftn},
                             {"stylesheet", Kw::StyleSheet},
                             {"fldinst", Kw::FldInst},
                             {"levelstartat", Kw::LevelStartAt},
                             {"leveltext", Kw::LevelText},
                             {"pnstart", Kw::PnStart},
                             {"pnf", Kw::PnF},
                             {"pntxta", Kw::PnTxtA},
                             {"pntxtb", Kw::PnTxtB},
                             {"s", Kw::S},
                             {"sbasedon", Kw::SBasedOn},
                             {"ansi", Kw::Ansi},
                             {"mac", Kw::Mac},
                             {"pc", Kw::Pc},
                             {"pca", Kw::Pca},
                             {"ansicpg", Kw::AnsiCpg},
                             {"deff", Kw::Deff},
                             {"uc", Kw::Uc},
                             {"u", Kw::U},
                             {"bin", Kw::Bin},
                             {"f", Kw::F},
                             {"fcharset", Kw::FCharset},
                             {"cpg", Kw::Cpg},
                             {"red", Kw::Red},
                             {"green", Kw::Green},
                             {"blue", Kw::Blue},
                             {"bullet", Kw::Char, u'\u2022'},
                             {"emdash", Kw::Char, u'\u2014'},
                             {"emspace", Kw::Char, u'\u2003'},
                             {"endash", Kw::Char, u'\u2013'},
                             {"enspace", Kw::Char, u'\u2002'},
                             {"ldblquote", Kw::Char, u'\u201C'},
                             {"lquote", Kw::Char, u'\u2018'},
                             {"ltrmark", Kw::Char, u'\u200E'},
                             {"qmspace", Kw::Char, u'\u2005'},
                             {"rdblquote", Kw::Char, u'\u201D'},
                             {"rquote", Kw::Char, u'\u2019'},
                             {"rtlmark", Kw::Char, u'\u200F'},
                             {"zwj", Kw::Char, u'\u200D'},
                             {"zwnj", Kw::Char, u'\u200C'},
                             {"plain", Kw::Plain},
                             {"b", Kw::B},
                             {"i", Kw::I},
                             {"ulnone", Kw::UlNone},
                             {"strike", Kw::Strike},
                             {"striked", Kw::Strike},
                             {"v", Kw::Hidden},
                             {"fs", Kw::Fs},
                             {"cf", Kw::Cf},
                             {"cb", Kw::Cb},
                             {"chcbpat", Kw::Cb},
                             {"highlight", Kw::Cb},
                             {"super", Kw::Super},
                             {"sub", Kw::Sub},
                             {"nosupersub", Kw::NoSuperSub},
                             {"up", Kw::Up},
                             {"dn", Kw::Dn},
                             {"par", Kw::Par},
                             {"sect", Kw::Par},
                             {"page", Kw::Par},
                             {"pard", Kw::Pard},
                             {"line", Kw::Line},
                             {"tab", Kw::Tab},
                             {"ql", Kw::Ql},
                             {"qc", Kw::Qc},
                             {"qr", Kw::Qr},
                             {"qj", Kw::Qj},
                             {"qd", Kw::Qj},
                             {"li", Kw::Li},
                             {"ri", Kw::Ri},
                             {"fi", Kw::Fi},
                             {"sb", Kw::Sb},
                             {"sa", Kw::Sa},
                             {"sl", Kw::Sl},
                             {"slmult", Kw::SlMult},
                             {"tx", Kw::Tx},
                             {"tqr", Kw::Tqr},
                             {"tqc", Kw::Tqc},
                             {"tqdec", Kw::Tqdec},
                             {"intbl", Kw::Intbl},
                             {"cell", Kw::Cell},
                             {"nestcell", Kw::Cell},
                             {"row", Kw::Row},
                             {"nestrow", Kw::Row},
                             {"ls", Kw::Ls},
                             {"ilvl", Kw::Ilvl},
                             {"list", Kw::List},
                             {"listlevel", Kw::ListLevel},
                             {"levelnfc", Kw::LevelNfc},
                             {"levelnfcn", Kw::LevelNfc},
                             {"listid", Kw::ListId},
                             {"listoverride", Kw::ListOverride},
                             {"pnlvlblt", Kw::PnLvlBlt},
                             {"pnlvlbody", Kw::PnLvlBody},
                             {"pnlvl", Kw::PnLvl},
                             {"pnlvlcont", Kw::PnLvlCont},
                             {"pndec", Kw::PnDec},
                             {"pnlcltr", Kw::PnLcLtr},
                             {"pnucltr", Kw::PnUcLtr},
                             {"pnlcrm", Kw::PnLcRm},
                             {"pnucrm", Kw::PnUcRm}};

constexpr auto kWords = [] {
    std::array<Entry, wordCount(kSkipped) + std::size(kUnderlines) + std::size(kOthers)> words{};
    auto out = words.begin();
    for (std::size_t start = 0; start < kSkipped.size();) {
        const std::size_t end = std::min(kSkipped.find(' ', start), kSkipped.size());
        *out++ = {kSkipped.substr(start, end - start), Kw::SkipDest};
        start = end + 1;
    }
    for (const std::string_view name : kUnderlines)
        *out++ = {name, Kw::Ul};
    std::copy(std::begin(kOthers), std::end(kOthers), out);
    std::sort(words.begin(), words.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return words;
}();

static_assert(std::adjacent_find(kWords.begin(), kWords.end(),
                                 [](const Entry &a, const Entry &b) { return a.name == b.name; }) ==
                  kWords.end(),
              "a control word is listed twice");

// Where the words of each initial letter begin in kWords.
constexpr auto kLetterStart = [] {
    std::array<std::size_t, 27> start{};
    std::size_t i = 0;
    for (std::size_t letter = 0; letter < start.size(); ++letter) {
        while (i < kWords.size() && std::size_t(kWords[i].name[0] - 'a') < letter)
            ++i;
        start[letter] = i;
    }
    return start;
}();

const Entry *lookup(std::string_view name)
{
    if (name.empty() || name[0] < 'a' || name[0] > 'z')
        return nullptr;
    const std::size_t letter = std::size_t(name[0] - 'a');
    const auto first = kWords.begin() + kLetterStart[letter];
    const auto last = kWords.begin() + kLetterStart[letter + 1];
    const auto it = std::lower_bound(first, last, name,
                                     [](const Entry &e, std::string_view n) { return e.name < n; });
    return it != last && it->name == name ? &*it : nullptr;
}

// ---------------------------------------------------------------------------
// Code pages

// Code page of text in a symbol font: the bullet that lists use, Latin-1 else.
constexpr int kSymbolCodePage = -2;
constexpr int kDefaultCodePage = 1250;

// 0 for "the document's code page".
int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 78:
        return 10001; // Mac Japanese
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return 0;
    }
}

// Code pages where a character may take two bytes.
bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 10001;
}

QString decodeSymbol(QByteArrayView bytes)
{
    QString out = QString::fromLatin1(bytes);
    out.replace(QChar(0xB7), QChar(0x2022));
    return out;
}

// ---------------------------------------------------------------------------
// Reader state

constexpr std::size_t kMaxDepth = 1024;
constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch
constexpr int kMaxTwips = 31680;        // 22 inches
constexpr int kMaxHalfPoints = 3276;
// Text without \fs is 12 points.
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxFallback = 1024;
constexpr std::size_t kMaxFormats = 32;
constexpr int kListLevels = 9;

enum class Dest : std::uint8_t {
    Text,
    Skip,
    FontTable,
    ColorTable,
    ListDef,           // {\*\pn ...}: how the paragraph is numbered
    ListTable,         // {\*\listtable ...}: the lists that \ls refers to
    ListOverrideTable, // {\*\listoverridetable ...}: which list each \ls number is
    ListText,          // {\listtext ...}: a list item's marker, up to its tab
    StyleSheet,        // {\stylesheet ...}: the formatting of each paragraph style
    FieldInst,         // {\*\fldinst ...}: what a field is; a link's address
    LevelText,         // {\leveltext ...}: a list level's number or bullet
    PnText,            // {\pntxtb ...}, {\pntxta ...}: the text before or after a number
};

// Where running text goes: into the document, or into a list item's marker.
bool readsText(Dest dest)
{
    return dest == Dest::Text || dest == Dest::ListText;
}

enum class VAlign : std::uint8_t { Normal, Super, Sub };

struct CharProps
{
    int font = -1;      // -1: \deff
    int halfPoints = 0; // 0: the document's default size
    int fg = 0;
    int bg = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    VAlign valign = VAlign::Normal;
    int link = 0; // the address of the link the text is, 1 + its index in m_links; 0: none

    bool operator==(const CharProps &) const = default;
};

enum class ListKind : std::uint8_t { None, Bullet, Numbered };

struct ParaProps
{
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0;
    int ri = 0;
    int fi = 0;
    int sb = 0;
    int sa = 0;
    int sl = 0;
    bool slMult = false;
    ListKind list = ListKind::None;
    QTextListFormat::Style numberStyle = QTextListFormat::ListDecimal;
    // Of {\*\pn ...}: the text before and after the number (or the bullet),
    // the first number, the font of the text.
    QString pnBefore;
    QString pnAfter;
    int pnStart = 1;
    int pnFont = -1;
    int ls = 0;   // \ls: an entry of the list override table, 0 for none
    int ilvl = 0; // \ilvl: the level in that list
    bool inTable = false;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    QList<QTextOption::Tab> tabs;
};

// Character and paragraph properties both belong to the group: a paragraph
// written as {\pard\qc ...\par} leaves the following ones as they were.
struct GroupState
{
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Text;
    int uc = 1;
    // Inside {\upr {ANSI text}{\*\ud {Unicode text}}}: the ANSI text is
    // skipped, and the \ud group reads into this.
    Dest uprDest = Dest::Skip;
    bool inUpr = false;
};

// A list of the list table: the number format (\levelnfc) of each level.
struct LevelDef
{
    int nfc = 0;   // \levelnfc
    int start = 1; // \levelstartat
    QString text;  // \leveltext: its length, then the text, \'00 to \'08 for the numbers
};
using ListLevels = std::vector<LevelDef>;

struct Font
{
    QString name;
    int codePage = 0; // 0: the document's
};

bool flag(const Token &t)
{
    return !t.hasParam || t.param != 0;
}

int twips(const Token &t, int min = 0)
{
    return std::clamp(t.param, min, kMaxTwips);
}

qreal pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// The address of a HYPERLINK field's instruction: HYPERLINK "address", its
// place in the document after \l ("#place"); empty for any other field.
QString hyperlinkAddress(const QString &instruction)
{
    const QString text = instruction.trimmed();
    if (!text.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString address;
    QString place;
    bool placeNext = false;
    bool switchNext = false;
    qsizetype i = 9;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QString token;
        if (c == u'"') {
            const qsizetype end = text.indexOf(u'"', i + 1);
            token = text.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? text.size() : end + 1;
        } else {
            qsizetype end = i;
            while (end < text.size() && !text[end].isSpace())
                ++end;
            token = text.mid(i, end - i);
            i = end;
            if (token.startsWith(u'\\')) {
                placeNext = token.compare(QLatin1String("\\l"), Qt::CaseInsensitive) == 0;
                // Switches with an argument: the tooltip, the target frame.
                switchNext =
                    !placeNext && (token.compare(QLatin1String("\\o"), Qt::CaseInsensitive) == 0 ||
                                   token.compare(QLatin1String("\\t"), Qt::CaseInsensitive) == 0);
                continue;
            }
        }
        if (placeNext)
            place = token;
        else if (!switchNext && address.isEmpty())
            address = token;
        placeNext = switchNext = false;
    }
    // Word doubles the backslashes of a path.
    address.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    if (!place.isEmpty())
        address += u'#' + place;
    return address;
}

class Reader
{
public:
    Reader(QByteArrayView rtf, RtfSink &sink) : m_lexer(rtf), m_sink(sink) {}

    void run();

private:
    GroupState &state() { return m_stack.back(); }

    void openGroup();
    bool closeGroup();
    void word(const Token &t, bool ignorable);
    void textWord(Kw kw, const Entry *entry, const Token &t);
    void listTextWord(Kw kw, const Entry *entry, const Token &t);
    void listWord(Kw kw);
    void listTableWord(Kw kw, const Token &t);
    void listOverrideWord(Kw kw, const Token &t);
    void fontTableWord(Kw kw, const Token &t);
    void colorTableWord(Kw kw, const Token &t);
    void styleSheetWord(Kw kw, const Entry *entry, const Token &t);
    struct Style;
    static void applyStyle(const Style &style, ParaProps &para, CharProps &c);
    void inheritStyles();
    void symbol(char c);
    void byte(unsigned char b);
    void text(std::string_view run);
    void unicode(int value);

    int documentCodePage() const;
    int codePageOfFont(int font) const;
    QString decode(QByteArrayView bytes, int codePage);
    void flushBytes();
    void commitFont();
    void commitColor();

    void appendText(QStringView s);
    void appendChar(char16_t c) { appendText(QStringView(&c, 1)); }
    void flushRun();
    void endParagraph();
    void applyParagraph();
    struct ListPlace
    {
        QTextListFormat::Style style = QTextListFormat::ListStyleUndefined; // undefined: none
        int level = 0;
        int ls = 0;     // the list of the list table, 0 for a list made up by the paragraphs
        QString prefix; // of a number
        QString suffix;
        int start = 1;
    };
    ListPlace listPlace(const ParaProps &p) const;
    void finish();
    const RtfCharFormat &charFormat(const CharProps &p);

    Lexer m_lexer;
    RtfSink &m_sink;

    std::vector<GroupState> m_stack;
    std::size_t m_overflow = 0; // groups opened beyond kMaxDepth
    bool m_ignorable = false;   // after \*
    int m_skip = 0;             // \uN fallback characters still to drop

    int m_ansiCodePage = 0;
    int m_charsetCodePage = 0; // \mac, \pc, \pca
    int m_deff = 0;            // \deff; font 0 in a file without one
    std::map<int, QStringDecoder> m_decoders;
    std::string m_bytes; // text bytes not yet decoded (a byte at a time is cheap here)

    std::map<int, Font> m_fonts;
    int m_fontNo = -1; // entry being read from the font table
    int m_fontCharsetCp = 0;
    int m_fontCpg = 0;
    QString m_fontName;

    std::vector<QColor> m_colors;
    int m_rgb[3] = {0, 0, 0};
    bool m_colorSeen = false;

    std::map<int, ListLevels> m_listDefs; // by \listid
    std::map<int, int> m_overrides;       // \listid by \ls
    ListLevels m_defLevels;               // list being read from the list table
    int m_defId = 0;
    int m_defLevel = -1;        // index of its level being read
    std::size_t m_defDepth = 0; // depth of its group; 0: none
    int m_overrideId = 0;       // override being read
    int m_overrideLs = 0;
    std::size_t m_overrideDepth = 0;

    QString m_marker; // text of a {\listtext ...} group so far
    QString m_run;    // text not yet inserted, all in m_runProps
    CharProps m_runProps;
    // Formats made so far; a joke uses only a few.
    std::vector<std::pair<CharProps, RtfCharFormat>> m_formats;
    int m_lastFormatId = 0;

    int m_footnotes = 0; // automatic footnote marks so far
    // Paragraph styles by \sN: their character and paragraph formatting.
    struct Style
    {
        CharProps chr;
        ParaProps para;
        int basedOn = -1; // \sbasedon: the style it takes what it leaves open from
    };
    std::map<int, Style> m_styles;
    std::size_t m_sheetDepth = 0;     // depth of the style sheet's group; 0: none
    int m_styleNo = -1;               // style being read from it
    int m_basedOn = -1;               // and the style it is based on
    QByteArray m_fieldInst;           // the field instruction being read
    std::size_t m_fieldInstDepth = 0; // depth of its group; 0: none
    std::vector<QString> m_links;     // addresses of the links, by CharProps::link - 1
    QString m_listText;               // of {\leveltext ...} or {\pntxta ...} so far
    std::size_t m_listTextDepth = 0;  // depth of its group
    bool m_pnAfter = false;           // {\pntxta ...}, not {\pntxtb ...}
    int m_lastParam = 0;              // of the control word being handled
    bool m_breakPending = false;      // a paragraph ended, the next not begun
    bool m_paraHasText = false;
    int m_pendingTabs = 0;    // cells ended; written only when more text follows
    bool m_cellBreak = false; // a paragraph inside a cell ended, the cell not
    // The list continued at each level; deeper ones end when a shallower item
    // comes. Lists without a list table end with any other paragraph; those of
    // the table go on where their next item is, numbering and all.
    // A list is its number in RtfParagraphFormat::list, 0 for none.
    using LevelLists = std::array<int, kListLevels>;
    LevelLists m_lists{};
    std::map<int, LevelLists> m_tableLists;           // by \ls
    std::vector<QTextListFormat::Style> m_listStyles; // of list n at n - 1
};

void Reader::run()
{
    for (;;) {
        const Token t = m_lexer.next();
        if (m_stack.empty() && t.kind != Token::GroupOpen) {
            if (t.kind == Token::End)
                break;
            continue;
        }
        // Bytes are decoded together, so that the two bytes of a character of
        // a double-byte code page make one; an escaped brace or backslash
        // may be such a byte (see symbol()).
        if (t.kind != Token::Byte && t.kind != Token::Text &&
            !(t.kind == Token::Symbol && (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}')))
            flushBytes();
        const bool ignorable = m_ignorable;
        m_ignorable = false;

        if (t.kind == Token::End)
            break;
        if (t.kind == Token::GroupOpen) {
            m_skip = 0;
            openGroup();
            continue;
        }
        if (t.kind == Token::GroupClose) {
            m_skip = 0;
            if (!closeGroup())
                break;
            continue;
        }
        if (t.kind == Token::Word) {
            word(t, ignorable);
            continue;
        }
        if (m_skip > 0 && t.kind != Token::Text) {
            --m_skip;
            continue;
        }
        if (t.kind == Token::Symbol)
            symbol(t.symbol);
        else if (t.kind == Token::Byte)
            byte(t.byte);
        else
            text(t.text);
    }
    finish();
}

void Reader::openGroup()
{
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

// False when the outermost group has ended.
bool Reader::closeGroup()
{
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    const Dest dest = state().dest;
    if (dest == Dest::FontTable) {
        commitFont();
    } else if (dest == Dest::ColorTable && m_colorSeen) {
        commitColor();
    } else if (dest == Dest::ListTable && m_stack.size() == m_defDepth) {
        m_listDefs[m_defId] = m_defLevels;
        m_defDepth = 0;
    } else if (dest == Dest::ListOverrideTable && m_stack.size() == m_overrideDepth) {
        if (m_overrideLs > 0)
            m_overrides[m_overrideLs] = m_overrideId;
        m_overrideDepth = 0;
    }
    if (dest == Dest::ListText)
        m_marker.clear(); // a marker and nothing more
    if (dest == Dest::StyleSheet) {
        if (m_stack.size() == m_sheetDepth + 1 && m_styleNo >= 0) {
            m_styles[m_styleNo] = Style{state().chr, state().para, m_basedOn};
            m_styleNo = -1;
            m_basedOn = -1;
        } else if (m_stack.size() == m_sheetDepth) {
            m_sheetDepth = 0;
            inheritStyles();
        }
    }
    if (m_stack.size() == 1)
        return false;
    // {\*\pn ...} numbers the paragraph it stands in, not just its own group.
    GroupState &outer = m_stack[m_stack.size() - 2];
    // A link's address goes to the field's group, whose result then is the
    // link's text.
    if (dest == Dest::LevelText && m_stack.size() == m_listTextDepth && !m_defLevels.empty())
        m_defLevels.back().text = m_listText;
    if (dest == Dest::PnText && m_stack.size() == m_listTextDepth)
        (m_pnAfter ? outer.para.pnAfter : outer.para.pnBefore) = m_listText;
    if (dest == Dest::FieldInst && m_stack.size() == m_fieldInstDepth) {
        m_fieldInstDepth = 0;
        const QString address = hyperlinkAddress(QString::fromLatin1(m_fieldInst));
        if (!address.isEmpty()) {
            m_links.push_back(address);
            outer.chr.link = int(m_links.size());
        }
    }
    if (dest == Dest::ListDef && outer.dest != Dest::Skip) {
        outer.para.list = state().para.list;
        outer.para.numberStyle = state().para.numberStyle;
        outer.para.pnBefore = state().para.pnBefore;
        outer.para.pnAfter = state().para.pnAfter;
        outer.para.pnStart = state().para.pnStart;
        outer.para.pnFont = state().para.pnFont;
    }
    m_stack.pop_back();
    return true;
}

void Reader::word(const Token &t, bool ignorable)
{
    const Entry *entry = lookup(t.text);
    const Kw kw = entry ? entry->kw : Kw::Unknown;
    if (kw == Kw::Bin) {
        m_lexer.skipRaw(t.hasParam ? t.param : 0);
        if (m_skip > 0)
            --m_skip;
        return;
    }
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    m_lastParam = t.param;
    GroupState &s = state();
    // The Unicode alternative of \upr is read where the \upr stands.
    if (kw == Kw::Ud && s.inUpr) {
        s.dest = s.uprDest;
        s.inUpr = false;
        return;
    }
    if (s.dest == Dest::Skip)
        return;

    // Destinations open their own group; in the outermost group they would
    // take the whole document with them. Of the ignorable ones (\*) this
    // reader knows a few; AbiWord marks even a field's result so.
    const bool nested = m_stack.size() > 1;
    if (nested && ignorable && kw != Kw::Pn && kw != Kw::ListTable && kw != Kw::ListOverrideTable &&
        kw != Kw::FldRslt && kw != Kw::FldInst) {
        s.dest = Dest::Skip;
        return;
    }
    switch (kw) {
    case Kw::SkipDest:
        if (nested)
            s.dest = Dest::Skip;
        return;
    case Kw::FontTable:
        if (nested) {
            s.dest = Dest::FontTable;
            m_fontNo = -1;
        }
        return;
    case Kw::ColorTable:
        if (nested) {
            s.dest = Dest::ColorTable;
            m_colors.clear();
            m_colorSeen = false;
            m_rgb[0] = m_rgb[1] = m_rgb[2] = 0;
        }
        return;
    case Kw::Pn:
        if (nested)
            s.dest = Dest::ListDef;
        return;
    case Kw::ListTable:
        if (nested)
            s.dest = Dest::ListTable;
        return;
    case Kw::ListOverrideTable:
        if (nested)
            s.dest = Dest::ListOverrideTable;
        return;
    case Kw::ListText:
        if (nested) {
            s.dest = Dest::ListText;
            m_marker.clear();
        }
        return;
    case Kw::LevelText:
        if (nested && s.dest == Dest::ListTable && m_defDepth != 0 && m_defLevel >= 0 &&
            m_defLevel < kListLevels) {
            s.dest = Dest::LevelText;
            m_listText.clear();
            m_listTextDepth = m_stack.size();
        }
        return;
    case Kw::PnTxtA:
    case Kw::PnTxtB:
        if (nested && s.dest == Dest::ListDef) {
            s.dest = Dest::PnText;
            m_listText.clear();
            m_listTextDepth = m_stack.size();
            m_pnAfter = kw == Kw::PnTxtA;
        } else if (nested) {
            s.dest = Dest::Skip;
        }
        return;
    case Kw::FldInst:
        if (nested && s.dest == Dest::Text) {
            s.dest = Dest::FieldInst;
            m_fieldInst.clear();
            m_fieldInstDepth = m_stack.size();
        } else if (nested) {
            s.dest = Dest::Skip;
        }
        return;
    case Kw::StyleSheet:
        if (nested) {
            // Styles say what they change from the plain formatting.
            s.dest = Dest::StyleSheet;
            s.chr = CharProps();
            s.para = ParaProps();
            m_sheetDepth = m_stack.size();
            m_styleNo = -1;
        }
        return;
    case Kw::Upr:
        if (nested && readsText(s.dest)) {
            s.uprDest = s.dest;
            s.inUpr = true;
            s.dest = Dest::Skip;
        }
        return;
    case Kw::Uc:
        s.uc = std::clamp(t.param, 0, kMaxFallback);
        return;
    case Kw::U:
        unicode(t.param);
        m_skip = s.uc;
        return;
    default:
        break;
    }

    switch (s.dest) {
    case Dest::Text:
        textWord(kw, entry, t);
        break;
    case Dest::ListText:
        listTextWord(kw, entry, t);
        break;
    case Dest::ListDef:
        listWord(kw);
        break;
    case Dest::FontTable:
        fontTableWord(kw, t);
        break;
    case Dest::ColorTable:
        colorTableWord(kw, t);
        break;
    case Dest::ListTable:
        listTableWord(kw, t);
        break;
    case Dest::ListOverrideTable:
        listOverrideWord(kw, t);
        break;
    case Dest::StyleSheet:
        styleSheetWord(kw, entry, t);
        break;
    case Dest::FieldInst:
    case Dest::LevelText:
    case Dest::PnText:
    case Dest::Skip:
        break;
    }
}

namespace {

template <class T> void fill(T &value, const T &styled, const T &plain)
{
    if (value == plain)
        value = styled;
}

} // namespace

void Reader::applyStyle(const Style &style, ParaProps &para, CharProps &c)
{
    const ParaProps plainPara;
    fill(para.align, style.para.align, plainPara.align);
    fill(para.li, style.para.li, plainPara.li);
    fill(para.ri, style.para.ri, plainPara.ri);
    fill(para.fi, style.para.fi, plainPara.fi);
    fill(para.sb, style.para.sb, plainPara.sb);
    fill(para.sa, style.para.sa, plainPara.sa);
    if (para.sl == plainPara.sl) {
        para.sl = style.para.sl;
        para.slMult = style.para.slMult;
    }
    fill(para.tabs, style.para.tabs, plainPara.tabs);
    const CharProps plain;
    fill(c.font, style.chr.font, plain.font);
    fill(c.halfPoints, style.chr.halfPoints, plain.halfPoints);
    fill(c.fg, style.chr.fg, plain.fg);
    fill(c.bg, style.chr.bg, plain.bg);
    fill(c.bold, style.chr.bold, plain.bold);
    fill(c.italic, style.chr.italic, plain.italic);
    fill(c.underline, style.chr.underline, plain.underline);
    fill(c.strike, style.chr.strike, plain.strike);
    fill(c.hidden, style.chr.hidden, plain.hidden);
    fill(c.valign, style.chr.valign, plain.valign);
}

// Each style takes what it leaves open from the style it is based on, and
// that one from its own, in any order the sheet lists them (a chain that
// comes back to a style it passed ends there).
void Reader::inheritStyles()
{
    std::map<int, Style> resolved;
    for (const auto &[number, style] : m_styles) {
        Style whole = style;
        std::set<int> seen{number};
        for (int base = style.basedOn; base >= 0 && seen.insert(base).second;) {
            const auto it = m_styles.find(base);
            if (it == m_styles.end())
                break;
            applyStyle(it->second, whole.para, whole.chr);
            base = it->second.basedOn;
        }
        resolved[number] = whole;
    }
    m_styles.swap(resolved);
}

// An entry of the style sheet: {\sN formatting name;}. Only what formats
// counts; the name and anything that would make text are passed over.
void Reader::styleSheetWord(Kw kw, const Entry *entry, const Token &t)
{
    if (m_stack.size() != m_sheetDepth + 1)
        return;
    switch (kw) {
    case Kw::S:
        m_styleNo = std::max(t.param, 0);
        break;
    case Kw::SBasedOn:
        m_basedOn = std::max(t.param, 0);
        break;
    case Kw::Par:
    case Kw::Line:
    case Kw::Tab:
    case Kw::Char:
    case Kw::Chftn:
    case Kw::Cell:
    case Kw::Row:
    case Kw::Intbl:
    case Kw::Ls:
    case Kw::Ilvl:
    case Kw::Ansi:
    case Kw::Mac:
    case Kw::Pc:
    case Kw::Pca:
    case Kw::AnsiCpg:
    case Kw::Deff:
        break;
    default:
        textWord(kw, entry, t);
        break;
    }
}

void Reader::unicode(int value)
{
    if (value < 0)
        value += 65536;
    // Line and paragraph breaks come only from \line and \par.
    if (value <= 0 || (value < 0x20 && value != '\t'))
        return;
    if (value == 0x2029)
        value = 0x2028;
    char16_t units[2];
    qsizetype n = 1;
    if (value <= 0xFFFF) {
        units[0] = char16_t(value);
    } else if (value <= 0x10FFFF) {
        units[0] = QChar::highSurrogate(char32_t(value));
        units[1] = QChar::lowSurrogate(char32_t(value));
        n = 2;
    } else {
        units[0] = QChar::ReplacementCharacter;
    }
    if (readsText(state().dest))
        appendText(QStringView(units, n));
    else if (state().dest == Dest::LevelText || state().dest == Dest::PnText)
        m_listText.append(QStringView(units, n));
    else if (state().dest == Dest::FontTable && m_fontNo >= 0)
        m_fontName.append(QStringView(units, n));
}

void Reader::textWord(Kw kw, const Entry *entry, const Token &t)
{
    CharProps &c = state().chr;
    ParaProps &para = state().para;
    switch (kw) {
    case Kw::Ansi:
        m_charsetCodePage = 0;
        break;
    case Kw::Mac:
        m_charsetCodePage = 10000;
        break;
    case Kw::Pc:
        m_charsetCodePage = 437;
        break;
    case Kw::Pca:
        m_charsetCodePage = 850;
        break;
    case Kw::AnsiCpg:
        m_ansiCodePage = std::max(t.param, 0);
        break;
    case Kw::Deff:
        m_deff = std::max(t.param, 0);
        break;

    case Kw::Char:
        appendChar(entry->ch);
        break;
    case Kw::Chftn: {
        // The automatic number of a footnote, where it is referred to (the
        // footnote's own text is skipped with its group): raised, as the
        // mark of a footnote is.
        const VAlign was = c.valign;
        c.valign = VAlign::Super;
        appendText(QString::number(++m_footnotes));
        c.valign = was;
        break;
    }
    case Kw::Plain:
        c = CharProps();
        break;
    case Kw::F:
        c.font = std::max(t.param, 0);
        break;
    case Kw::Fs:
        c.halfPoints = std::clamp(t.param, 0, kMaxHalfPoints);
        break;
    case Kw::B:
        c.bold = flag(t);
        break;
    case Kw::I:
        c.italic = flag(t);
        break;
    case Kw::Ul:
        c.underline = flag(t);
        break;
    case Kw::UlNone:
        c.underline = false;
        break;
    case Kw::Strike:
        c.strike = flag(t);
        break;
    case Kw::Hidden:
        c.hidden = flag(t);
        break;
    case Kw::Cf:
        c.fg = std::max(t.param, 0);
        break;
    case Kw::Cb:
        c.bg = std::max(t.param, 0);
        break;
    case Kw::Super:
        c.valign = VAlign::Super;
        break;
    case Kw::Sub:
        c.valign = VAlign::Sub;
        break;
    case Kw::NoSuperSub:
        c.valign = VAlign::Normal;
        break;
    case Kw::Up:
        c.valign = flag(t) ? VAlign::Super : VAlign::Normal;
        break;
    case Kw::Dn:
        c.valign = flag(t) ? VAlign::Sub : VAlign::Normal;
        break;

    case Kw::Par:
        // Cells read as one paragraph, so a paragraph mark inside a cell
        // breaks only the line, and only when more of the cell follows.
        if (para.inTable)
            m_cellBreak = true;
        else
            endParagraph();
        break;
    case Kw::Pard:
        para = ParaProps();
        break;
    case Kw::Line:
        appendChar(u'\u2028');
        break;
    case Kw::Tab:
        appendChar(u'\t');
        break;
    case Kw::Ql:
        para.align = Qt::AlignLeft;
        break;
    case Kw::Qc:
        para.align = Qt::AlignHCenter;
        break;
    case Kw::Qr:
        para.align = Qt::AlignRight;
        break;
    case Kw::Qj:
        para.align = Qt::AlignJustify;
        break;
    case Kw::Li:
        para.li = twips(t, -kMaxTwips);
        break;
    case Kw::Ri:
        para.ri = twips(t, -kMaxTwips);
        break;
    case Kw::Fi:
        para.fi = twips(t, -kMaxTwips);
        break;
    case Kw::Sb:
        para.sb = twips(t);
        break;
    case Kw::Sa:
        para.sa = twips(t);
        break;
    case Kw::Sl:
        para.sl = twips(t, -kMaxTwips);
        break;
    case Kw::SlMult:
        para.slMult = flag(t);
        break;
    case Kw::Tqr:
        para.nextTabType = QTextOption::RightTab;
        break;
    case Kw::Tqc:
        para.nextTabType = QTextOption::CenterTab;
        break;
    case Kw::Tqdec:
        para.nextTabType = QTextOption::DelimiterTab;
        break;
    case Kw::Tx: {
        QTextOption::Tab tab(pixels(twips(t)), para.nextTabType);
        if (tab.type == QTextOption::DelimiterTab)
            tab.delimiter = QLatin1Char('.');
        para.tabs.append(tab);
        para.nextTabType = QTextOption::LeftTab;
        break;
    }
    case Kw::Intbl:
        para.inTable = true;
        break;
    case Kw::Cell:
        m_cellBreak = false;
        ++m_pendingTabs;
        break;
    case Kw::Row:
        m_pendingTabs = 0;
        endParagraph();
        para.inTable = false;
        break;
    case Kw::S:
        // A paragraph style gives what the paragraph does not say itself,
        // before or after the \s: writers put it on either side.
        if (const auto style = m_styles.find(std::max(t.param, 0)); style != m_styles.end())
            applyStyle(style->second, para, c);
        break;
    case Kw::Ls:
        para.ls = std::max(t.param, 0);
        break;
    case Kw::Ilvl:
        para.ilvl = std::clamp(t.param, 0, kListLevels - 1);
        break;

    default:
        listWord(kw);
        break;
    }
}

// A list item's marker ends at its tab, and the list shows the marker itself.
// Some word processors go on with the item's own text inside the same group:
// what follows the tab, or all of it when a paragraph mark comes before any
// tab, is the paragraph's text, formatted as the paragraph and not as the
// marker.
void Reader::listTextWord(Kw kw, const Entry *entry, const Token &t)
{
    if (kw != Kw::Tab && kw != Kw::Par) {
        textWord(kw, entry, t);
        return;
    }
    GroupState &s = state();
    const GroupState &outer = m_stack[m_stack.size() - 2];
    s.chr = outer.chr;
    s.para = outer.para;
    s.dest = Dest::Text;
    const QString text = std::exchange(m_marker, QString());
    if (kw == Kw::Par) {
        appendText(text);
        textWord(kw, entry, t);
    }
}

void Reader::listWord(Kw kw)
{
    ParaProps &para = state().para;
    switch (kw) {
    case Kw::PnLvlBlt:
        para.list = ListKind::Bullet;
        break;
    case Kw::PnLvlBody:
    case Kw::PnLvl:
        para.list = ListKind::Numbered;
        break;
    case Kw::PnLvlCont:
        para.list = ListKind::None;
        break;
    case Kw::PnDec:
        para.numberStyle = QTextListFormat::ListDecimal;
        break;
    case Kw::PnLcLtr:
        para.numberStyle = QTextListFormat::ListLowerAlpha;
        break;
    case Kw::PnUcLtr:
        para.numberStyle = QTextListFormat::ListUpperAlpha;
        break;
    case Kw::PnLcRm:
        para.numberStyle = QTextListFormat::ListLowerRoman;
        break;
    case Kw::PnUcRm:
        para.numberStyle = QTextListFormat::ListUpperRoman;
        break;
    case Kw::PnStart:
        para.pnStart = std::clamp(m_lastParam, 0, 32767);
        break;
    case Kw::PnF:
        para.pnFont = std::max(m_lastParam, 0);
        break;
    default:
        break;
    }
}

void Reader::listTableWord(Kw kw, const Token &t)
{
    switch (kw) {
    case Kw::List:
        m_defLevels.clear();
        m_defId = 0;
        m_defDepth = m_stack.size();
        m_defLevel = -1;
        break;
    case Kw::ListLevel:
        // Levels past the ninth are not used.
        if (m_defDepth != 0 && ++m_defLevel < kListLevels)
            m_defLevels.push_back(LevelDef());
        break;
    case Kw::LevelNfc:
        if (m_defDepth != 0 && m_defLevel >= 0 && m_defLevel < kListLevels)
            m_defLevels.back().nfc = t.param;
        break;
    case Kw::LevelStartAt:
        if (m_defDepth != 0 && m_defLevel >= 0 && m_defLevel < kListLevels)
            m_defLevels.back().start = std::clamp(t.param, 0, 32767);
        break;
    case Kw::ListId:
        m_defId = t.param;
        break;
    default:
        break;
    }
}

void Reader::listOverrideWord(Kw kw, const Token &t)
{
    switch (kw) {
    case Kw::ListOverride:
        m_overrideId = 0;
        m_overrideLs = 0;
        m_overrideDepth = m_stack.size();
        break;
    case Kw::ListId:
        m_overrideId = t.param;
        break;
    case Kw::Ls:
        m_overrideLs = t.param;
        break;
    default:
        break;
    }
}

void Reader::fontTableWord(Kw kw, const Token &t)
{
    switch (kw) {
    case Kw::F:
        commitFont();
        m_fontNo = std::max(t.param, 0);
        m_fontCharsetCp = 0;
        m_fontCpg = 0;
        m_fontName.clear();
        break;
    case Kw::FCharset:
        m_fontCharsetCp = codePageOfCharset(t.param);
        break;
    case Kw::Cpg:
        m_fontCpg = std::max(t.param, 0);
        break;
    default:
        break;
    }
}

void Reader::colorTableWord(Kw kw, const Token &t)
{
    const int value = std::clamp(t.param, 0, 255);
    switch (kw) {
    case Kw::Red:
        m_rgb[0] = value;
        break;
    case Kw::Green:
        m_rgb[1] = value;
        break;
    case Kw::Blue:
        m_rgb[2] = value;
        break;
    default:
        return;
    }
    m_colorSeen = true;
}

void Reader::symbol(char c)
{
    if (c == '*') {
        m_ignorable = true;
        return;
    }
    if (state().dest == Dest::FieldInst) {
        if (c == '\\' || c == '{' || c == '}')
            m_fieldInst.append(c);
        return;
    }
    if (!readsText(state().dest))
        return;
    switch (c) {
    case '~':
        appendChar(u'\u00A0');
        break;
    case '_':
        appendChar(u'\u2011');
        break;
    case '-': // optional hyphen: the line may break there
        appendChar(u'\u00AD');
        break;
    case '{':
    case '}':
    case '\\':
        // In a double-byte code page it may be the second byte of a
        // character whose first came just before.
        if (isDoubleByte(codePageOfFont(state().chr.font))) {
            m_bytes.push_back(c);
        } else {
            flushBytes();
            appendChar(char16_t(c));
        }
        break;
    default:
        break; // \| \: and the rest
    }
}

void Reader::byte(unsigned char b)
{
    const Dest dest = state().dest;
    if (dest == Dest::FieldInst) {
        m_fieldInst.append(char(b));
        return;
    }
    // A level's text holds its numbers as bytes below a blank.
    if (dest == Dest::LevelText || dest == Dest::PnText) {
        m_bytes.push_back(char(b));
        return;
    }
    if ((readsText(dest) && (b >= 0x20 || b == '\t')) ||
        (dest == Dest::FontTable && m_fontNo >= 0)) {
        m_bytes.push_back(char(b));
    }
}

void Reader::text(std::string_view run)
{
    const auto dropped = std::min<std::size_t>(std::size_t(m_skip), run.size());
    m_skip -= int(dropped);
    run.remove_prefix(dropped);
    if (run.empty())
        return;

    switch (state().dest) {
    case Dest::Text:
    case Dest::ListText: {
        // Control characters other than the tab are no text.
        std::size_t start = 0;
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (static_cast<unsigned char>(run[i]) < 0x20 && run[i] != '\t') {
                m_bytes.append(run.data() + start, i - start);
                start = i + 1;
            }
        }
        m_bytes.append(run.data() + start, run.size() - start);
        break;
    }
    case Dest::FontTable:
        for (const char c : run) {
            if (c == ';') {
                flushBytes();
                commitFont();
            } else if (m_fontNo >= 0) {
                m_bytes.push_back(c);
            }
        }
        break;
    case Dest::ColorTable:
        for (const char c : run) {
            if (c == ';')
                commitColor();
        }
        break;
    case Dest::FieldInst:
        m_fieldInst.append(run.data(), qsizetype(run.size()));
        break;
    case Dest::LevelText:
    case Dest::PnText:
        m_bytes.append(run.data(), run.size());
        break;
    case Dest::Skip:
    case Dest::ListDef:
    case Dest::ListTable:
    case Dest::ListOverrideTable:
    case Dest::StyleSheet:
        break;
    }
}

int Reader::documentCodePage() const
{
    if (m_ansiCodePage > 0)
        return m_ansiCodePage;
    if (m_charsetCodePage > 0)
        return m_charsetCodePage;
    return kDefaultCodePage;
}

int Reader::codePageOfFont(int font) const
{
    const auto it = m_fonts.find(font >= 0 ? font : m_deff);
    if (it != m_fonts.end() && it->second.codePage != 0)
        return it->second.codePage;
    return documentCodePage();
}

QString Reader::decode(QByteArrayView bytes, int codePage)
{
    if (codePage == kSymbolCodePage)
        return decodeSymbol(bytes);
    if (codePage != kDefaultCodePage) {
        auto it = m_decoders.find(codePage);
        if (it == m_decoders.end()) {
            const QByteArray number = QByteArray::number(codePage);
            // Mac Japanese is Shift-JIS with a few more characters.
            const QByteArray name = codePage == 10000   ? QByteArray("macintosh")
                                    : codePage == 10001 ? QByteArray("Shift_JIS")
                                                        : QByteArray("windows-") + number;
            QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
            if (!decoder.isValid())
                decoder =
                    QStringDecoder(("cp" + number).constData(), QStringConverter::Flag::Stateless);
            it = m_decoders.emplace(codePage, std::move(decoder)).first;
        }
        if (it->second.isValid())
            return it->second.decode(bytes);
    }
    return decode1250(bytes);
}

void Reader::flushBytes()
{
    if (m_bytes.empty() || m_stack.empty())
        return;
    if (state().dest == Dest::FontTable) {
        const int cp = m_fontCpg         ? m_fontCpg
                       : m_fontCharsetCp ? m_fontCharsetCp
                                         : documentCodePage();
        m_fontName += decode(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())), cp);
    } else if (state().dest == Dest::LevelText || state().dest == Dest::PnText) {
        const int font = state().dest == Dest::PnText ? state().para.pnFont : state().chr.font;
        m_listText +=
            decode(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())), codePageOfFont(font));
    } else {
        appendText(decode(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())),
                          codePageOfFont(state().chr.font)));
    }
    m_bytes.clear(); // keeps the buffer
}

void Reader::commitFont()
{
    if (m_fontNo < 0)
        return;
    Font &font = m_fonts[m_fontNo];
    font.name = m_fontName.trimmed();
    font.codePage = m_fontCpg ? m_fontCpg : m_fontCharsetCp;
    m_fontNo = -1;
    m_fontName.clear();
    m_formats.clear();
}

void Reader::commitColor()
{
    m_colors.push_back(m_colorSeen ? QColor(m_rgb[0], m_rgb[1], m_rgb[2]) : QColor());
    m_rgb[0] = m_rgb[1] = m_rgb[2] = 0;
    m_colorSeen = false;
    m_formats.clear();
}

// ---------------------------------------------------------------------------
// Output

const RtfCharFormat &Reader::charFormat(const CharProps &p)
{
    for (const auto &[props, format] : m_formats) {
        if (props == p)
            return format;
    }
    if (m_formats.size() >= kMaxFormats)
        m_formats.clear();
    RtfCharFormat f;
    f.id = ++m_lastFormatId;
    const auto font = m_fonts.find(p.font >= 0 ? p.font : m_deff);
    if (font != m_fonts.end())
        f.family = font->second.name;
    f.points = (p.halfPoints > 0 ? p.halfPoints : kDefaultHalfPoints) / 2.0;
    f.bold = p.bold;
    f.italic = p.italic;
    f.underline = p.underline;
    f.strike = p.strike;
    const auto color = [this](int index) {
        return index > 0 && std::size_t(index) < m_colors.size() ? m_colors[index] : QColor();
    };
    f.foreground = color(p.fg);
    f.background = color(p.bg);
    if (p.link > 0 && std::size_t(p.link) <= m_links.size())
        f.anchor = m_links[std::size_t(p.link - 1)];
    f.valign = p.valign == VAlign::Super ? RtfVAlign::Super
               : p.valign == VAlign::Sub ? RtfVAlign::Sub
                                         : RtfVAlign::Normal;
    m_formats.emplace_back(p, f);
    return m_formats.back().second;
}

void Reader::appendText(QStringView s)
{
    if (state().dest == Dest::ListText) {
        m_marker.append(s);
        return;
    }
    const CharProps &p = state().chr;
    if (s.isEmpty() || p.hidden)
        return;
    if (m_breakPending) {
        m_sink.newParagraph();
        m_breakPending = false;
    }
    if (p != m_runProps && !m_run.isEmpty())
        flushRun();
    m_runProps = p;
    if (m_pendingTabs > 0) {
        m_run.append(QString(m_pendingTabs, QLatin1Char('\t')));
        m_pendingTabs = 0;
    }
    if (m_cellBreak) {
        m_run.append(QChar(0x2028));
        m_cellBreak = false;
    }
    m_run.append(s);
    m_paraHasText = true;
}

void Reader::flushRun()
{
    if (m_run.isEmpty())
        return;
    m_sink.text(m_run, charFormat(m_runProps));
    m_run.resize(0);
}

void Reader::endParagraph()
{
    if (m_breakPending)
        m_sink.newParagraph();
    flushRun();
    applyParagraph();
    m_breakPending = true;
    m_paraHasText = false;
    m_pendingTabs = 0;
    m_cellBreak = false;
}

QTextListFormat::Style styleOfNumberFormat(int nfc)
{
    switch (nfc) {
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
        return QTextListFormat::ListDisc;
    case 255: // no number at all: an indented paragraph
        return QTextListFormat::ListStyleUndefined;
    default: // decimal and the kinds a QTextList cannot show
        return QTextListFormat::ListDecimal;
    }
}

// The kind of bullet a glyph is: a circle (Word's "o" in Courier New), a
// square (its "§" in Wingdings), else a disc.
QTextListFormat::Style bulletStyle(const QString &glyph)
{
    const QString g = glyph.trimmed();
    if (g.isEmpty())
        return QTextListFormat::ListDisc;
    switch (g.front().unicode()) {
    case u'o':
    case 0x25E6: // ◦
    case 0x25CB: // ○
    case 0xF06F: // "o" of a symbol font
        return QTextListFormat::ListCircle;
    case 0xA7: // Wingdings' square
    case 0xF0A7:
    case 0x25AA: // ▪
    case 0x25A0: // ■
    case 0x25FE:
    case 0x25FC:
        return QTextListFormat::ListSquare;
    default:
        return QTextListFormat::ListDisc;
    }
}

// \ls with its list in the list table decides; then {\*\pn ...}; an \ls
// that the file does not define is a bullet.
Reader::ListPlace Reader::listPlace(const ParaProps &p) const
{
    ListPlace place;
    if (p.ls > 0) {
        place.level = p.ilvl;
        const auto override = m_overrides.find(p.ls);
        const auto list =
            override != m_overrides.end() ? m_listDefs.find(override->second) : m_listDefs.end();
        if (list != m_listDefs.end()) {
            const ListLevels &levels = list->second;
            place.ls = p.ls;
            const LevelDef level = levels.empty()
                                       ? LevelDef()
                                       : levels[std::min(std::size_t(p.ilvl), levels.size() - 1)];
            place.style = styleOfNumberFormat(level.nfc);
            place.start = level.start;
            // The text: its length first, then the text with a byte below
            // 9 for each level's number.
            const QString text =
                level.text.mid(1, level.text.isEmpty() ? 0 : level.text[0].unicode());
            if (place.style == QTextListFormat::ListDisc) {
                place.style = bulletStyle(text);
            } else if (place.style != QTextListFormat::ListStyleUndefined) {
                qsizetype first = -1;
                qsizetype last = -1;
                for (qsizetype i = 0; i < text.size(); ++i) {
                    if (text[i].unicode() < 9) {
                        if (first < 0)
                            first = i;
                        last = i;
                    }
                }
                // The numbers of the outer levels before the own one are not
                // shown: only what stands around the own one.
                if (first >= 0) {
                    qsizetype before = last;
                    while (before > 0 && text[before - 1].unicode() >= 9 &&
                           text[before - 1] != u'.')
                        --before;
                    place.prefix = text.mid(before, last - before);
                    place.suffix = text.mid(last + 1);
                } else {
                    place.suffix = QStringLiteral(".");
                }
            }
            return place;
        }
    }
    if (p.list == ListKind::Bullet) {
        place.style = bulletStyle(p.pnBefore);
    } else if (p.list == ListKind::Numbered) {
        place.style = p.numberStyle;
        place.prefix = p.pnBefore;
        place.suffix = p.pnAfter;
        place.start = p.pnStart;
    } else if (p.ls > 0) {
        place.style = QTextListFormat::ListDisc;
    }
    return place;
}

void Reader::applyParagraph()
{
    const ParaProps &p = state().para;
    const ListPlace place = listPlace(p);
    RtfParagraphFormat f;
    f.align = p.align;
    f.li = p.li;
    f.ri = p.ri;
    f.fi = p.fi;
    f.sb = p.sb;
    f.sa = p.sa;
    f.sl = p.sl;
    f.slMult = p.slMult;
    f.tabs = p.tabs;
    if (place.style == QTextListFormat::ListStyleUndefined) {
        m_lists.fill(0);
        m_sink.paragraphFormat(f, charFormat(state().chr));
        return;
    }
    LevelLists *lists = &m_lists;
    if (place.ls > 0) {
        m_lists.fill(0);
        lists = &m_tableLists[place.ls];
    }
    std::fill(lists->begin() + place.level + 1, lists->end(), 0);
    int &list = (*lists)[std::size_t(place.level)];
    f.listStarts = list == 0 || m_listStyles[std::size_t(list - 1)] != place.style;
    if (f.listStarts) {
        m_listStyles.push_back(place.style);
        list = int(m_listStyles.size());
    }
    f.list = list;
    f.listStyle = place.style;
    f.listLevel = place.level;
    f.listPrefix = place.prefix;
    f.listSuffix = place.suffix;
    f.listStart = place.start;
    m_sink.paragraphFormat(f, charFormat(state().chr));
}

void Reader::finish()
{
    if (m_stack.empty())
        return;
    flushBytes();
    // The paragraph mark that closes a file leaves no empty paragraph behind.
    if (!m_breakPending && (m_paraHasText || !m_run.isEmpty())) {
        flushRun();
        applyParagraph();
    }
}

} // namespace

bool looksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                                bytes[i] == '\n' || bytes[i] == '\f' || bytes[i] == '\v'))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

bool readRtf(QByteArrayView rtf, RtfSink &sink)
{
    if (!looksLikeRtf(rtf))
        return false;
    Reader(rtf, sink).run();
    return true;
}

} // namespace store
