#include "searchwords.h"

#include <cstring>

namespace store::searchwords {

namespace {

// unicode61 as the index has always folded words.
const char *const kUnicodeArgs[] = {"remove_diacritics", "2"};

// One instance of the tokenizer in a table: unicode61 inside.
struct Instance
{
    Words *words;
    Fts5Tokenizer *unicode;
};

// What a call of tokenize() passes to each token unicode61 finds.
struct Pass
{
    Words *words;
    void *context;
    int (*token)(void *, int, const char *, int, int, int);
    int flags;
};

int onToken(void *data, int tflags, const char *token, int size, int start, int end)
{
    auto *pass = static_cast<Pass *>(data);
    int rc = pass->token(pass->context, tflags, token, size, start, end);
    if (rc != SQLITE_OK)
        return rc;
    Words &words = *pass->words;
    if ((pass->flags & FTS5_TOKENIZE_QUERY) && !(pass->flags & FTS5_TOKENIZE_PREFIX) &&
        !words.synonyms.empty()) {
        const auto forms = words.synonyms.find(std::string_view(token, std::size_t(size)));
        if (forms != words.synonyms.end()) {
            for (const std::string &form : forms->second) {
                rc = pass->token(pass->context, FTS5_TOKEN_COLOCATED, form.data(), int(form.size()),
                                 start, end);
                if (rc != SQLITE_OK)
                    return rc;
            }
        }
    }
    return SQLITE_OK;
}

} // namespace

Words::~Words()
{
    if (m_folder)
        m_unicode.xDelete(m_folder);
}

bool Words::registerOn(sqlite3 *db)
{
    fts5_api *api = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_pointer(statement, 1, static_cast<void *>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (!api || api->iVersion < 2)
        return false;
    if (!m_folder) {
        if (api->xFindTokenizer(api, "unicode61", &m_unicodeData, &m_unicode) != SQLITE_OK ||
            m_unicode.xCreate(m_unicodeData, const_cast<const char **>(kUnicodeArgs), 2,
                              &m_folder) != SQLITE_OK)
            return false;
    }
    static fts5_tokenizer ours = {create, destroy, tokenize};
    return api->xCreateTokenizer(api, "chichotek", this, &ours, nullptr) == SQLITE_OK;
}

int Words::create(void *context, const char **, int, Fts5Tokenizer **out)
{
    auto *words = static_cast<Words *>(context);
    Fts5Tokenizer *unicode = nullptr;
    const int rc = words->m_unicode.xCreate(words->m_unicodeData,
                                            const_cast<const char **>(kUnicodeArgs), 2, &unicode);
    if (rc != SQLITE_OK)
        return rc;
    *out = reinterpret_cast<Fts5Tokenizer *>(new Instance{words, unicode});
    return SQLITE_OK;
}

void Words::destroy(Fts5Tokenizer *tokenizer)
{
    auto *ours = reinterpret_cast<Instance *>(tokenizer);
    ours->words->m_unicode.xDelete(ours->unicode);
    delete ours;
}

int Words::tokenize(Fts5Tokenizer *tokenizer, void *context, int flags, const char *text, int size,
                    int (*token)(void *, int, const char *, int, int, int))
{
    auto *ours = reinterpret_cast<Instance *>(tokenizer);
    const Words &words = *ours->words;
    if ((flags & FTS5_TOKENIZE_DOCUMENT) && words.readyTokens && words.readyText->size() == size &&
        std::memcmp(words.readyText->constData(), text, std::size_t(size)) == 0) {
        for (const Tokens::Token &t : words.readyTokens->list) {
            const int rc =
                token(context, 0, words.readyTokens->folded.data() + t.at, t.size, t.start, t.end);
            if (rc != SQLITE_OK)
                return rc;
        }
        return SQLITE_OK;
    }
    Pass pass{ours->words, context, token, flags};
    return ours->words->m_unicode.xTokenize(ours->unicode, &pass, flags, text, size, onToken);
}

Tokenizer::Tokenizer(const Words &words) : m_words(words)
{
    if (words.m_folder)
        words.m_unicode.xCreate(words.m_unicodeData, const_cast<const char **>(kUnicodeArgs), 2,
                                &m_unicode);
}

Tokenizer::~Tokenizer()
{
    if (m_unicode)
        m_words.m_unicode.xDelete(m_unicode);
}

void Tokenizer::tokenize(const QByteArray &text, Tokens &out)
{
    out.list.clear();
    out.folded.clear();
    if (!m_unicode)
        return;
    m_words.m_unicode.xTokenize(
        m_unicode, &out, FTS5_TOKENIZE_DOCUMENT, text.constData(), int(text.size()),
        [](void *data, int, const char *token, int size, int start, int end) {
            auto *tokens = static_cast<Tokens *>(data);
            tokens->list.push_back({start, end, int(tokens->folded.size()), size});
            tokens->folded.append(token, std::size_t(size));
            return SQLITE_OK;
        });
}

std::string Words::fold(std::string_view word) const
{
    struct Found
    {
        std::string token;
        int count = 0;
    } found;
    if (!m_folder)
        return {};
    m_unicode.xTokenize(m_folder, &found, FTS5_TOKENIZE_DOCUMENT, word.data(), int(word.size()),
                        [](void *data, int, const char *token, int size, int, int) {
                            auto *f = static_cast<Found *>(data);
                            if (f->count++ == 0)
                                f->token.assign(token, std::size_t(size));
                            return SQLITE_OK;
                        });
    return found.count == 1 ? found.token : std::string();
}

} // namespace store::searchwords
