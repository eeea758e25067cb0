#include "Speller.h"

#include "store/files.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

#include <string>
#include <vector>

namespace {

QStringList g_folders;
Speller *g_instance = nullptr;

QStringList systemFolders()
{
    QStringList folders;
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dataDirs.split(u':', Qt::SkipEmptyParts))
        folders << dir + QStringLiteral("/hunspell") << dir + QStringLiteral("/myspell/dicts")
                << dir + QStringLiteral("/myspell");
    return folders;
}

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
        g_instance = new Speller(g_folders.isEmpty() ? systemFolders() : g_folders);
    return *g_instance;
}

void Speller::reload(const QStringList &folders)
{
    g_folders = folders;
    Speller &speller = instance();
    Speller fresh(g_folders.isEmpty() ? systemFolders() : g_folders);
    speller.m_aff = fresh.m_aff;
    speller.m_dic = fresh.m_dic;
    speller.m_hunspell.reset();
    speller.m_known.clear();
    speller.m_enabled = fresh.m_enabled;
    emit speller.changed();
}

Speller::Speller(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString aff = folder + QStringLiteral("/cs_CZ.aff");
        const QString dic = folder + QStringLiteral("/cs_CZ.dic");
        if (QFileInfo::exists(aff) && QFileInfo::exists(dic)) {
            m_aff = aff;
            m_dic = dic;
            break;
        }
    }
    if (const std::optional<QByteArray> bytes = store::readExternal(switchFile(), 64))
        m_enabled = !bytes->trimmed().startsWith('0');
}

Hunspell *Speller::hunspell()
{
    if (!m_hunspell && available()) {
        m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(m_aff).constData(),
                                                QFile::encodeName(m_dic).constData());
        // Dictionaries of other systems and older ones are in ISO 8859-2;
        // Hunspell takes and gives words in the dictionary's own encoding.
        QByteArray encoding = QByteArray::fromStdString(m_hunspell->get_dict_encoding());
        if (encoding.startsWith("ISO") && !encoding.startsWith("ISO-"))
            encoding.insert(3, '-');
        m_encoding = encoding;
        const QByteArray list = store::readExternal(wordListFile(), 1 << 20).value_or(QByteArray());
        for (const QByteArray &line : list.split('\n')) {
            if (!line.trimmed().isEmpty())
                m_hunspell->add(encoded(QString::fromUtf8(line.trimmed())));
        }
    }
    return m_hunspell.get();
}

Speller::~Speller() = default;

std::string Speller::encoded(const QString &word) const
{
    if (m_encoding == "UTF-8")
        return word.toStdString();
    QStringEncoder encode(m_encoding.constData());
    const QByteArray bytes = encode.isValid() ? QByteArray(encode(word)) : word.toUtf8();
    return bytes.toStdString();
}

QString Speller::decoded(const std::string &word) const
{
    if (m_encoding == "UTF-8")
        return QString::fromStdString(word);
    QStringDecoder decode(m_encoding.constData());
    const QByteArray bytes = QByteArray::fromStdString(word);
    return decode.isValid() ? QString(decode(bytes)) : QString::fromUtf8(bytes);
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
    Hunspell *dictionary = hunspell();
    if (!dictionary)
        return true;
    const bool correct = dictionary->spell(encoded(word));
    m_known.insert(word, correct);
    return correct;
}

QStringList Speller::suggestions(const QString &word, int most)
{
    QStringList out;
    Hunspell *dictionary = hunspell();
    if (!dictionary)
        return out;
    for (const std::string &s : dictionary->suggest(encoded(word))) {
        out << decoded(s);
        if (out.size() >= most)
            break;
    }
    return out;
}

bool Speller::addWord(const QString &word)
{
    Hunspell *dictionary = hunspell();
    if (!dictionary || word.isEmpty())
        return false;
    dictionary->add(encoded(word));
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
