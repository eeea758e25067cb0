#pragma once

#include <QByteArray>

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The words of the search index's full-text table, as one connection to the
// index sees them: the tokenizer "chichotek" (SQLite's unicode61, letter case
// and diacritics folded) that gives the other forms of a query's words as
// synonyms at the word's place, so that a phrase matches forms word by word.
namespace store::searchwords {

struct TextHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

using Forms = std::unordered_map<std::string, std::vector<std::string>, TextHash, std::equal_to<>>;

// The words of a text (UTF-8) as the tokenizer gives them, found beforehand
// on another thread: the table takes them when it is given that text.
struct Tokens
{
    struct Token
    {
        int start; // of the word in the text, in bytes
        int end;
        int at; // of the folded word in `folded`
        int size;
    };
    std::vector<Token> list;
    std::string folded;
};

class Words;

// A tokenizer of one's own, for another thread than the connection's.
class Tokenizer
{
public:
    explicit Tokenizer(const Words &words);
    ~Tokenizer();
    Tokenizer(const Tokenizer &) = delete;
    Tokenizer &operator=(const Tokenizer &) = delete;
    void tokenize(const QByteArray &text, Tokens &out);

private:
    const Words &m_words;
    Fts5Tokenizer *m_unicode = nullptr;
};

class Words
{
public:
    Words() = default;
    ~Words();
    Words(const Words &) = delete;
    Words &operator=(const Words &) = delete;

    // Registers the tokenizer on `db`, whose tables then need this to live.
    bool registerOn(sqlite3 *db);

    // A word as the tokenizer keeps it (UTF-8, folded); empty when `word` is
    // not one word.
    std::string fold(std::string_view word) const;

    // The other forms of each folded word of the query being run.
    Forms synonyms;
    // The words of the text being indexed, when they were found beforehand.
    const QByteArray *readyText = nullptr;
    const Tokens *readyTokens = nullptr;

private:
    static int create(void *context, const char **args, int count, Fts5Tokenizer **out);
    static void destroy(Fts5Tokenizer *tokenizer);
    static int tokenize(Fts5Tokenizer *tokenizer, void *context, int flags, const char *text,
                        int size, int (*token)(void *, int, const char *, int, int, int));

    friend class Tokenizer;
    fts5_tokenizer m_unicode{};
    void *m_unicodeData = nullptr;
    Fts5Tokenizer *m_folder = nullptr; // a unicode61 of our own, for fold()
};

} // namespace store::searchwords
