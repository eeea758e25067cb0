#pragma once

#include <QString>
#include <QStringList>

// The desktop's trash as freedesktop.org describes it, which every Linux
// file manager shows and restores from: the user's own ($XDG_DATA_HOME/Trash)
// for files on the disk of the home folder, "$top/.Trash/$uid" or
// "$top/.Trash-$uid" on another disk.
namespace platform {

// Moves files and folders to the trash, all or nothing: each one's record
// (its ".trashinfo", which says where it came from) is written and synced
// before it moves, and when one cannot go (a full disk, a trash that cannot be
// made), those moved before it come back to where they were. False, with the
// reason in words a user knows, when nothing went.
bool moveToTrash(const QStringList &paths, QString *error = nullptr);

namespace testing {
// Makes the trash's records after the first `records` fail as on a full disk
// (-1 turns it off). For tests of a deletion that cannot finish.
void failTrashRecordsAfter(int records);
} // namespace testing

} // namespace platform
