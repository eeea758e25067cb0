#include "JokeList.h"

#include "controls/listbox.h"
#include "platform/platform.h"

#include <QFileInfo>

#include <vector>

JokeList::JokeList(ListBox *box) : m_box(box)
{}

void JokeList::open(const QString &library, store::ListCopy copy)
{
    m_library = library;
    m_copy = std::move(copy);
    m_box->setItems(m_copy.entries);
}

void JokeList::show(const QString &selected, int row)
{
    m_box->showItems(m_copy.entries, row < 0 ? -1 : store::entryRow(m_copy.entries, selected, row));
}

bool JokeList::add(const QString &name, const QByteArray *rtf)
{
    const int row = m_box->itemIndex();
    const QString selected = row >= 0 ? m_box->item(row) : QString();
    QString error;
    if (rtf) {
        store::FileVersion none = store::FileVersion::missing();
        if (!store::writeBytes(store::DbPath::jokeFile(m_library, name), *rtf, &error, &none)) {
            platform::services().error(error);
            return false;
        }
    }
    QStringList held = m_copy.entries;
    const store::ListEdit result = store::editList(
        store::DbPath::jokeList(m_library), m_copy,
        [&](QStringList &entries) {
            held = entries;
            entries.append(name);
            return true;
        },
        &error);
    if (result == store::ListEdit::Failed) {
        // The box stays what the file holds, so that another try does not
        // add the name twice.
        m_copy.entries = held;
        m_copy.pending = false;
        show(selected, row);
        platform::services().error(error);
        return false;
    }
    show(selected, row);
    return true;
}

int JokeList::addAll(const QList<std::pair<QString, QByteArray>> &jokes)
{
    if (jokes.isEmpty())
        return -1;
    struct Written
    {
        store::DbPath path;
        store::FileVersion version;
    };
    std::vector<Written> written;
    QString error;
    // Takes back the files written so far: the folder is as it was.
    const auto fail = [&] {
        QStringList left;
        for (const Written &file : written) {
            QString why;
            if (!store::deleteFile(file.path, &why, &file.version))
                left << why;
        }
        QString text = QStringLiteral("Vtipy ze souborů se nepodařilo přidat, knihovna zůstala "
                                      "beze změny.\n\n%1")
                           .arg(error);
        if (!left.isEmpty())
            text += QStringLiteral("\n\nTyto soubory vtipů, které už byly uložené, se nepodařilo "
                                   "znovu smazat:\n%1")
                        .arg(left.join(u'\n'));
        platform::services().error(text);
        return -1;
    };
    for (const auto &[name, rtf] : jokes) {
        const store::DbPath path = store::DbPath::jokeFile(m_library, name);
        store::FileVersion version = store::FileVersion::missing();
        if (!store::writeBytes(path, rtf, &error, &version))
            return fail();
        written.push_back({path, version});
    }
    int first = -1;
    QStringList held = m_copy.entries;
    const store::ListEdit result = store::editList(
        store::DbPath::jokeList(m_library), m_copy,
        [&](QStringList &entries) {
            held = entries;
            first = int(entries.size());
            for (const auto &joke : jokes)
                entries.append(joke.first);
            return true;
        },
        &error);
    if (result != store::ListEdit::Written) {
        // The box shows what the file holds: the jokes are not in it.
        m_copy.entries = held;
        m_copy.pending = false;
        show(QString(), -1);
        return fail();
    }
    show(QString(), -1);
    return first;
}

JokeList::Outcome JokeList::remove(int row, bool deleteFile, const store::FileVersion *seen)
{
    if (row < 0 || row >= m_box->count())
        return Outcome::Unchanged;
    const QString name = m_box->item(row);
    bool gone = false;
    QString error;
    QStringList held;
    const store::ListEdit result = store::editList(
        store::DbPath::jokeList(m_library), m_copy,
        [&](QStringList &entries) {
            held = entries;
            const int at = store::entryRow(entries, name, row);
            if (at < 0) {
                gone = true;
                return false;
            }
            if (deleteFile) {
                // Entries of the same name (letter case aside) share one
                // file: it goes only with the last of them.
                bool shared = false;
                for (int i = 0; i < entries.size() && !shared; ++i)
                    shared = i != at && entries[i].compare(name, Qt::CaseInsensitive) == 0;
                const store::DbPath file = store::DbPath::jokeFile(m_library, name);
                if (!shared && file.isValid() && store::exists(file) &&
                    !store::deleteFile(file, &error, seen))
                    return false;
            }
            entries.removeAt(at);
            return true;
        },
        &error);
    // Not written, the box shows what the file holds.
    if (result == store::ListEdit::Failed) {
        m_copy.entries = held;
        m_copy.pending = false;
    }
    return finish(result, gone, name, error);
}

JokeList::Outcome JokeList::move(int row, const std::function<int(int at, int count)> &target)
{
    if (row < 0 || row >= m_box->count())
        return Outcome::Unchanged;
    const QString name = m_box->item(row);
    bool gone = false;
    bool unchanged = false;
    QString error;
    const store::ListEdit result = store::editList(
        store::DbPath::jokeList(m_library), m_copy,
        [&](QStringList &entries) {
            const int at = store::entryRow(entries, name, row);
            gone = at < 0;
            const int to = gone ? -1 : target(at, int(entries.size()));
            if (to < 0) {
                unchanged = !gone;
                return false;
            }
            entries.removeAt(at);
            entries.insert(std::min<qsizetype>(to, entries.size()), name);
            return true;
        },
        &error);
    if (unchanged) {
        show(name, row);
        return Outcome::Unchanged;
    }
    return finish(result, gone, name, error);
}

JokeList::Outcome JokeList::finish(store::ListEdit result, bool gone, const QString &joke,
                                   const QString &error)
{
    show(QString(), -1);
    if (gone) {
        platform::services().message(
            QStringLiteral("Seznam vtipů se mezitím změnil na disku (jiným programem nebo na "
                           "jiném počítači): vtip „%1“ v něm už není.")
                .arg(joke));
        return Outcome::Gone;
    }
    if (result != store::ListEdit::Written) {
        platform::services().error(error);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool JokeList::followDisk()
{
    const store::DbPath file = store::DbPath::jokeList(m_library);
    if (m_library.isNull() || !store::changedSince(file, m_copy.version))
        return false;
    store::ListCopy fresh;
    if (!store::readList(file, fresh))
        return false; // what it shows stays; the next change says why
    const int row = m_box->itemIndex();
    const QString selected = row >= 0 ? m_box->item(row) : QString();
    m_copy = std::move(fresh);
    show(selected, row);
    return true;
}

QString JokeList::freeName(const QString &joke, const QString &what) const
{
    return store::freeJokeName(m_library, m_copy.entries, joke, what);
}
