#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Joke files for the RTF benchmarks, written as the Windows rich-edit control
// saves them: Czech text with \'hh escapes, bold, italic and coloured runs,
// centred titles and bulleted lists in the \pntext/\pn form, CR LF after each
// \par. The same seed gives the same bytes.
namespace bench {

// One file of at least `bytes` bytes (a few hundred more at most).
QByteArray makeRichEditRtf(std::int64_t bytes, std::uint32_t seed = 1);

// `count` jokes of 2 to 8 KB each, sizes spread evenly.
std::vector<QByteArray> makeJokes(int count, std::uint32_t seed = 1);

// The same, but with words from a vocabulary of kVocabulary words where the
// word of rank r comes about 1/r as often as the commonest, as in real text:
// for benchmarks of searching, where what a word matches matters.
constexpr int kVocabulary = 60000;
std::vector<QByteArray> makeWordyJokes(int count, std::uint32_t seed = 1);
// The word of that rank (1 is the commonest).
QString vocabularyWord(int rank);

// How the items of a list are marked.
enum class ListForm {
    // Bullets as the rich-edit control writes them: {\*\pn ...} on the first
    // item, {\pntext ...} before each; all items are one list.
    RichEdit,
    // \ls1 with the list table, as Word writes it: numbered items, every
    // tenth a bullet one level deeper, an ordinary paragraph after every
    // hundredth, which the numbers go on past.
    ListTable,
};

// A joke that is a title and a list of `items` short items (55 to 85 bytes of
// RTF each).
QByteArray makeListRtf(int items, ListForm form, std::uint32_t seed = 1);

} // namespace bench
