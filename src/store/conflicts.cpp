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

std::vector<ConflictCopy> conflictCopies(const DbPath &folder, const QString &extension)
{
    std::vector<ConflictCopy> copies;
    const std::optional<std::vector<FileStamp>> files = folderStamps(folder);
    if (!files)
        return copies;
    for (const FileStamp &file : *files) {
        const QString original = conflictOriginal(file.name);
        if (!original.isEmpty() && original.endsWith(extension, Qt::CaseInsensitive))
            copies.push_back({file.name, original});
    }
    std::sort(copies.begin(), copies.end(),
              [](const ConflictCopy &a, const ConflictCopy &b) { return a.fileName < b.fileName; });
    return copies;
}

} // namespace store
