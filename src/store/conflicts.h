#pragma once

#include "paths.h"

#include <QString>

#include <vector>

// The copies a sync tool leaves beside a file that changed on two computers
// at once, each keeping one computer's version:
//
//   Syncthing            "Vtip.sync-conflict-20261208-101010-ABCDEFG.vti"
//   Nextcloud, Dropbox   "Vtip (conflicted copy 2026-12-08 101010).vti",
//                        "Vtip (Jan Novák's conflicted copy 2026-12-08).vti",
//                        "Vtip (konfliktní kopie ...).vti"
//   ownCloud             "Vtip_conflict-20261208-101010.vti"
//
// The program shows them to the user, who may take them in; none is ever
// deleted.
namespace store {

// The name of the file a conflict copy is a copy of ("Vtip.vti"); empty when
// `fileName` is no conflict copy.
QString conflictOriginal(const QString &fileName);

struct ConflictCopy
{
    QString fileName; // the copy's, as it is on disk
    QString original; // the file it is a copy of
};

// The conflict copies in a folder of the database, in the order of their
// names.
std::vector<ConflictCopy> conflictCopies(const DbPath &folder);

} // namespace store
