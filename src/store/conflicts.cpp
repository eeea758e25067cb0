#include "conflicts.h"

#include "files.h"

#include <QRegularExpression>

#include <algorithm>

namespace store {

QString conflictOriginal(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(.+?)(?:\\.sync-conflict-\\d{8}-\\d{6}-[A-Za-z0-9]+"
                       "| \\([^()]*(?:conflicted copy|konfliktní kopie)[^()]*\\)"
                       "|_conflict-\\d{8}-\\d{6})(\\.[^.]*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return {};
    return match.captured(1) + match.captured(2);
}

std::vector<ConflictCopy> conflictCopies(const DbPath &folder)
{
    std::vector<ConflictCopy> copies;
    // A library's folder may hold tens of thousands of jokes: only names
    // that can be a copy's are looked at closely.
    for (const QString &name : folderFileNames(folder).value_or(QStringList())) {
        if (!name.contains(QLatin1String("onflict"), Qt::CaseInsensitive) &&
            !name.contains(QLatin1String("konfliktn"), Qt::CaseInsensitive))
            continue;
        const QString original = conflictOriginal(name);
        if (!original.isEmpty())
            copies.push_back({name, original});
    }
    std::sort(copies.begin(), copies.end(),
              [](const ConflictCopy &a, const ConflictCopy &b) { return a.fileName < b.fileName; });
    return copies;
}

} // namespace store
