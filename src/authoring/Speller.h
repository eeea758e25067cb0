#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// Czech spell checking with Hunspell and the Czech dictionary of the system
// (Debian's hunspell-cs), shared by every box in which jokes are written.
// Words the user adds go to a word list of their own,
// $XDG_CONFIG_HOME/chichotek/slovnik.txt (UTF-8, a word a line), and the
// switch that turns spell checking off is kept beside it (pravopis.cfg).
// Without a dictionary there is no spell checking, and why() says so.
namespace store {
class CzechDictionary;
}

class Speller : public QObject
{
    Q_OBJECT
public:
    static Speller &instance();
    ~Speller() override;

    // Whether a dictionary was found.
    bool available() const;
    // Why there is no spell checking, in words a user knows; empty when
    // there is.
    QString why() const;
    // Whether spell checking is on: a dictionary, and the user's switch.
    bool enabled() const { return available() && m_enabled; }
    void setEnabled(bool on);

    // Whether a word (letters only) is spelt right; remembered.
    bool isCorrect(const QString &word);
    // What the word may have been meant to be, best first.
    QStringList suggestions(const QString &word, int most = 6);
    // Adds a word to the user's own word list.
    bool addWord(const QString &word);

    // Where the user's word list and switch are.
    static QString userFolder();
    // Looks for the dictionary in `folders` instead of the system's (empty:
    // the system's) and reads the user's files again. For tests.
    static void reload(const QStringList &folders = {});

signals:
    // The switch was turned, or a word was added: what was marked may have
    // changed.
    void changed();

private:
    Speller();
    // The shared dictionary, with the user's own words added to it once.
    store::CzechDictionary *dictionary();

    QHash<QString, bool> m_known;
    bool m_ownWordsAdded = false;
    bool m_enabled = true;
};
