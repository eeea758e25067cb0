#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

class Hunspell;

namespace store {

// The Czech Hunspell dictionary of the system (Debian's hunspell-cs), one for
// the whole program: the spell checking of the jokes being written and the
// word forms of the search both ask it. It is read when first needed (that
// takes a quarter of a second), and it may be asked from any thread: one
// question at a time.
class CzechDictionary
{
public:
    static CzechDictionary &shared();
    // Looks for the dictionary in `folders` instead of the system's (empty:
    // the system's) from now on. For tests.
    static void useFolders(const QStringList &folders);

    // Whether a dictionary was found (it is not read for this).
    bool available() const;
    // What identifies the dictionary found: its files, their sizes and
    // times. Empty without one.
    QString stamp() const;
    // Reads the dictionary now, if it has not been read.
    void load();

    bool spell(const QString &word);
    // The base forms of a word ("ženu" gives "žena" and "hnát"), as the
    // dictionary writes them; none for a word it does not know.
    QStringList stems(const QString &word);
    // What the word may have been meant to be, best first.
    QStringList suggestions(const QString &word, int most);
    // Takes a word as known until the program ends.
    void add(const QString &word);

private:
    explicit CzechDictionary(const QStringList &folders);
    Hunspell *hunspell(); // with m_lock held
    std::string encoded(const QString &word) const;
    QString decoded(const std::string &word) const;

    mutable std::mutex m_lock;
    QString m_aff;
    QString m_dic;
    std::unique_ptr<Hunspell> m_hunspell;
    QByteArray m_encoding = "UTF-8";
};

} // namespace store
