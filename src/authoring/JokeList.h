#pragma once

#include "store/files.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class ListBox;

// The joke list of a library as a window edits it: the list box that shows
// it, and the list file ("Vtipy.sez") it is a copy of. Each change the user
// makes is made to what the file holds at that moment, so that jokes added,
// removed or moved from outside (a sync tool, the program on another
// computer) stay; the box then shows the list as written. Where a change no
// longer applies (its joke is gone from the file), the box shows the list as
// the file has it, and says so.
class JokeList
{
public:
    enum class Outcome {
        Done,
        Unchanged, // the change would change nothing (the last joke down)
        Gone,      // its joke is no longer in the list file
        Failed,    // reported
    };

    explicit JokeList(ListBox *box);

    // The library's list, as read with its version.
    void open(const QString &library, store::ListCopy copy);

    // Appends a joke; with `rtf`, its file is written first (as a new file
    // only). False, after saying why, when the list file was not written;
    // the box then shows the list without it.
    bool add(const QString &name, const QByteArray *rtf = nullptr);
    // Appends jokes made elsewhere, each a name with its RTF, all or none:
    // every joke's file is written first, as a new file only, then the list
    // file once with all the names. When something cannot be written, the
    // files written so far go again, the box shows the list as the file has
    // it, and the user is told that nothing was added and why. Returns the
    // box's row of the first new joke, or -1 when none was added. Nothing
    // is selected afterwards.
    int addAll(const QList<std::pair<QString, QByteArray>> &jokes);
    // The entries of the list file as last read or written.
    const QStringList &entries() const { return m_copy.entries; }
    // Removes the joke of the box's `row`; with `deleteFile` its file goes
    // too (only the version `seen`, when given), unless another entry of the
    // same name shares it. Nothing is selected afterwards; when the list file
    // cannot be written, the box shows what it holds.
    Outcome remove(int row, bool deleteFile, const store::FileVersion *seen = nullptr);
    // Moves the joke of the box's `row`: `target` gives its new row in the
    // list without it from its row in the list and the list's length, or -1
    // where it does not move. Nothing is selected afterwards; when the list
    // file cannot be written, the box keeps the new order, which the next
    // change writes.
    Outcome move(int row, const std::function<int(int at, int count)> &target);

    // Brings the box in line with the file when it changed from outside; the
    // selected joke stays selected. True when the list changed.
    bool followDisk();

    // A name for another version of `joke` that neither the list nor the
    // library's folder has yet: "Název (jiná verze)", "Název (jiná verze 2)".
    QString freeName(const QString &joke, const QString &what) const;

private:
    // Shows the copy; `selected` (with the row it was at) stays selected.
    void show(const QString &selected, int row);
    // Shows the list after a removal or a move of `joke`, and says what kept
    // the change from being written.
    Outcome finish(store::ListEdit result, bool gone, const QString &joke, const QString &error);

    ListBox *m_box;
    QString m_library;
    store::ListCopy m_copy;
};
