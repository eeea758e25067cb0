#include "Speller.h"

#include "store/dictionary.h"
#include "store/files.h"
#include "store/programfolder.h"

#include <QDir>

namespace {

Speller *g_instance = nullptr;

QString wordListFile()
{
    return Speller::userFolder() + QStringLiteral("/slovnik.txt");
}

QString switchFile()
{
    return Speller::userFolder() + QStringLiteral("/pravopis.cfg");
}

} // namespace

Speller &Speller::instance()
{
    if (!g_instance)
        g_instance = new Speller();
    return *g_instance;
}

void Speller::reload(const QStringList &folders)
{
    store::CzechDictionary::useFolders(folders);
    Speller &speller = instance();
    const Speller fresh;
    speller.m_known.clear();
    speller.m_ownWordsAdded = false;
    speller.m_enabled = fresh.m_enabled;
    emit speller.changed();
}

Speller::Speller()
{
    if (const std::optional<QByteArray> bytes = store::readExternal(switchFile(), 64))
        m_enabled = !bytes->trimmed().startsWith('0');
}

Speller::~Speller() = default;

bool Speller::available() const
{
    return store::CzechDictionary::shared().available();
}

store::CzechDictionary *Speller::dictionary()
{
    store::CzechDictionary &dictionary = store::CzechDictionary::shared();
    if (!dictionary.available())
        return nullptr;
    if (!m_ownWordsAdded) {
        m_ownWordsAdded = true;
        const QByteArray list = store::readExternal(wordListFile(), 1 << 20).value_or(QByteArray());
        for (const QByteArray &line : list.split('\n')) {
            if (!line.trimmed().isEmpty())
                dictionary.add(QString::fromUtf8(line.trimmed()));
        }
    }
    return &dictionary;
}

QString Speller::userFolder()
{
    return store::configFolder();
}

QString Speller::why() const
{
    if (available())
        return {};
    return QStringLiteral("není nainstalován český slovník (balíček hunspell-cs)");
}

void Speller::setEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    if (QDir().mkpath(userFolder()))
        store::writeExternal(switchFile(), on ? "1\n" : "0\n");
    emit changed();
}

bool Speller::isCorrect(const QString &word)
{
    const auto known = m_known.constFind(word);
    if (known != m_known.constEnd())
        return *known;
    store::CzechDictionary *czech = dictionary();
    if (!czech)
        return true;
    const bool correct = czech->spell(word);
    m_known.insert(word, correct);
    return correct;
}

QStringList Speller::suggestions(const QString &word, int most)
{
    store::CzechDictionary *czech = dictionary();
    return czech ? czech->suggestions(word, most) : QStringList();
}

bool Speller::addWord(const QString &word)
{
    store::CzechDictionary *czech = dictionary();
    if (!czech || word.isEmpty())
        return false;
    czech->add(word);
    m_known.insert(word, true);
    QByteArray list;
    if (const std::optional<QByteArray> old = store::readExternal(wordListFile(), 1 << 20))
        list = *old;
    if (!list.isEmpty() && !list.endsWith('\n'))
        list += '\n';
    list += word.toUtf8() + '\n';
    const bool written = QDir().mkpath(userFolder()) && store::writeExternal(wordListFile(), list);
    emit changed();
    return written;
}
