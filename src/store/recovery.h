#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// What the user typed into a joke and the program has not saved yet, kept
// outside the database, in the user's state folder
// ($XDG_STATE_HOME/chichotek/, ~/.local/state/chichotek/), so that a crash, a
// kill or a power cut loses none of it. At the next start it is offered;
// nothing is written into the database behind the user's back.
namespace store {

struct Recovered
{
    QString file;          // where it is kept
    QString programFolder; // absolute
    QString library;
    QString joke;
    // The fingerprint of the joke file the typing started from (its content
    // hash); empty when there was no file.
    QByteArray base;
    QDateTime kept;
    QByteArray rtf; // the text as the joke's file would hold it
};

// The folder of the kept texts: $XDG_STATE_HOME/chichotek, or
// ~/.local/state/chichotek when that variable names no absolute folder.
QString recoveryFolder();

// Keeps the typed text of a joke of a program folder, in place of what was
// kept of it before; false when it cannot be written.
bool keepForRecovery(const QString &programFolder, const QString &library, const QString &joke,
                     const QByteArray &base, const QByteArray &rtf);
// Forgets the text kept of a joke (it was saved, or let go).
void dropRecovery(const QString &programFolder, const QString &library, const QString &joke);
// What is kept for a program folder, oldest first.
std::vector<Recovered> recoveries(const QString &programFolder);

} // namespace store
