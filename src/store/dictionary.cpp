#include "dictionary.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

#include <string>
#include <vector>

namespace store {

namespace {

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

QStringList g_folders;

} // namespace

CzechDictionary &CzechDictionary::shared()
{
    static CzechDictionary dictionary(g_folders.isEmpty() ? systemFolders() : g_folders);
    return dictionary;
}

void CzechDictionary::useFolders(const QStringList &folders)
{
    g_folders = folders;
    CzechDictionary &dictionary = shared();
    const CzechDictionary found(folders.isEmpty() ? systemFolders() : folders);
    const std::lock_guard lock(dictionary.m_lock);
    dictionary.m_aff = found.m_aff;
    dictionary.m_dic = found.m_dic;
    dictionary.m_hunspell.reset();
}

CzechDictionary::CzechDictionary(const QStringList &folders)
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
}

bool CzechDictionary::available() const
{
    const std::lock_guard lock(m_lock);
    return !m_aff.isEmpty();
}

QString CzechDictionary::stamp() const
{
    const std::lock_guard lock(m_lock);
    if (m_aff.isEmpty())
        return {};
    QStringList parts;
    for (const QString &file : {m_aff, m_dic}) {
        const QFileInfo info(file);
        parts << info.absoluteFilePath() << QString::number(info.size())
              << QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    return parts.join(u'|');
}

void CzechDictionary::load()
{
    const std::lock_guard lock(m_lock);
    hunspell();
}

Hunspell *CzechDictionary::hunspell()
{
    if (!m_hunspell && !m_aff.isEmpty()) {
        m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(m_aff).constData(),
                                                QFile::encodeName(m_dic).constData());
        // Dictionaries of other systems and older ones are in ISO 8859-2;
        // Hunspell takes and gives words in the dictionary's own encoding.
        QByteArray encoding = QByteArray::fromStdString(m_hunspell->get_dict_encoding());
        if (encoding.startsWith("ISO") && !encoding.startsWith("ISO-"))
            encoding.insert(3, '-');
        m_encoding = encoding;
    }
    return m_hunspell.get();
}

std::string CzechDictionary::encoded(const QString &word) const
{
    if (m_encoding == "UTF-8")
        return word.toStdString();
    QStringEncoder encode(m_encoding.constData());
    const QByteArray bytes = encode.isValid() ? QByteArray(encode(word)) : word.toUtf8();
    return bytes.toStdString();
}

QString CzechDictionary::decoded(const std::string &word) const
{
    if (m_encoding == "UTF-8")
        return QString::fromStdString(word);
    QStringDecoder decode(m_encoding.constData());
    const QByteArray bytes = QByteArray::fromStdString(word);
    return decode.isValid() ? QString(decode(bytes)) : QString::fromUtf8(bytes);
}

bool CzechDictionary::spell(const QString &word)
{
    const std::lock_guard lock(m_lock);
    Hunspell *dictionary = hunspell();
    return !dictionary || dictionary->spell(encoded(word));
}

QStringList CzechDictionary::stems(const QString &word)
{
    const std::lock_guard lock(m_lock);
    QStringList out;
    if (Hunspell *dictionary = hunspell()) {
        for (const std::string &stem : dictionary->stem(encoded(word)))
            out << decoded(stem);
    }
    return out;
}

QStringList CzechDictionary::suggestions(const QString &word, int most)
{
    const std::lock_guard lock(m_lock);
    QStringList out;
    if (Hunspell *dictionary = hunspell()) {
        for (const std::string &s : dictionary->suggest(encoded(word))) {
            out << decoded(s);
            if (out.size() >= most)
                break;
        }
    }
    return out;
}

void CzechDictionary::add(const QString &word)
{
    const std::lock_guard lock(m_lock);
    if (Hunspell *dictionary = hunspell())
        dictionary->add(encoded(word));
}

} // namespace store
