#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The conformance corpus, tests/store/corpus: RTF files as other programs
// write them, each beside the text it reads as (NAME.rtf, NAME.txt).
namespace corpus {

inline QString folder()
{
    return QStringLiteral(QT_TESTCASE_SOURCEDIR "/store/corpus");
}

// The bytes of a file of the corpus ("richedit_new.rtf").
inline QByteArray read(const QString &file)
{
    QFile f(folder() + u'/' + file);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << f.fileName().toStdString();
    return f.readAll();
}

// The names of its RTF files without ".rtf", for parameterised tests.
inline std::vector<std::string> names()
{
    std::vector<std::string> out;
    for (const QString &file :
         QDir(folder()).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
        out.push_back(file.chopped(4).toStdString());
    return out;
}

// Control characters and the separators Qt treats specially made visible in
// failure messages.
inline std::string shown(const QString &s)
{
    std::string out;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n') || u == 0xA0 || u == 0x2028 || u == 0x2029 || u == 0xFDD0 ||
            u == 0xFDD1)
            out += "<" + QString::number(u, 16).toStdString() + ">";
        else
            out += QString(c).toStdString();
    }
    return out;
}

} // namespace corpus
