// The total of jokes over all libraries: the main window walks its list, a
// library a tick, and adds up their counts.

#include "Unit1.h"

#include "Celkem.h"
#include "Details.h"
#include "Program.h"
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/files.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <limits>
#include <optional>
#include <utility>

namespace {

// The joke count of a count file's first line: a decimal whole number from 0
// up to the largest int, blanks around it allowed.
std::optional<int> jokeCount(const QString &line)
{
    const QString digits = line.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const qint64 count = digits.toLongLong();
    if (count > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(count);
}

} // namespace

void THLAVNI::celkovyClick()
{
    if (m_walking)
        return;
    if (CelkemDetaily)
        CelkemDetaily->clearLines();
    m_walkSelection = Seznam->itemIndex();
    m_walkLast = Seznam->count() - 1;
    m_walkPosition = -1;
    m_walkTotal = 0;
    m_walkLibraries = 0;
    Seznam->setItemIndex(-1);
    Seznam->setEnabled(false);
    lockForWalk(true);
    m_walking = true;
    Pocitej->start();
}

void THLAVNI::PocitejTimer()
{
    // A step waiting for the user in a message box holds the walk: the timer
    // stays stopped until the step is done, and nothing runs inside it.
    if (!m_walking || m_walkStepRunning)
        return;
    if (m_walkPosition >= m_walkLast || m_walkPosition + 1 >= Seznam->count()) {
        Pocitej->stop();
        finishWalk();
        return;
    }
    m_walkStepRunning = true;

    // The walk keeps its own place, so that a selection made meanwhile (by
    // the find window) cannot send it back or past the end.
    ++m_walkPosition;
    Seznam->setItemIndex(m_walkPosition);
    const QString name = Seznam->item(m_walkPosition);
    // The panel shows every library of the walk, and every library that
    // cannot be loaded is reported, also the one already in `Edit`.
    if (Edit->text() == name)
        EditChange();
    else
        Edit->setText(name);
    // The count was loaded into the panel a moment ago, unless the panel's
    // load stopped before it.
    const store::DbPath countFile = store::DbPath::libraryFile(name, QStringLiteral(".da2"));
    Soubor = countFile.display();
    const bool loaded = m_countShownFor == name || loadRichBox(PocPod, countFile);
    ++m_walkLibraries;
    // A count that cannot be loaded adds nothing: the panel's load has
    // reported it, and the count still in `PocPod` is another library's.
    if (loaded) {
        const QString first = store::firstLine(PocPod->toPlainText());
        if (const std::optional<int> count = jokeCount(first)) {
            m_walkTotal += *count;
            if (CelkemDetaily)
                CelkemDetaily->addLine(
                    QStringLiteral("Knihovna \"") + name + QStringLiteral("\" má ") + first +
                    QStringLiteral(" podložek, zatím napočítáno ") + QString::number(m_walkTotal) +
                    QStringLiteral(" vtipů ve ") + QString::number(m_walkLibraries) +
                    QStringLiteral(". knihovně. ;     "));
        } else {
            holdWalk();
            platform::services().error(QStringLiteral("„%1“ není platné celé číslo.").arg(first));
        }
    }

    m_walkStepRunning = false;
    // A step that waited for the user goes on a tick after it.
    if (m_walking && !Pocitej->isActive())
        Pocitej->start();
}

void THLAVNI::holdWalk()
{
    // No tick comes while a step waits for the user.
    if (m_walking)
        Pocitej->stop();
}

void THLAVNI::finishWalk()
{
    m_walking = false;
    const QString total = QString::number(m_walkTotal);
    const QString libraries = QString::number(m_walkLibraries);
    if (CelkemDetaily) {
        CelkemDetaily->addLine(QString());
        CelkemDetaily->addLine(QStringLiteral("Celkem ") + total + QStringLiteral(" vtipů v ") +
                               libraries + QStringLiteral(". knihovnách."));
        CelkemDetaily->showLines();
    }
    if (CelkemVtipu) {
        CelkemVtipu->PocetVtipu->setText(total);
        CelkemVtipu->Knihovnach->setText(libraries);
        CelkemVtipu->exec();
    }
    Seznam->setItemIndex(m_walkSelection);
    Seznam->setEnabled(true);
    lockForWalk(false);
    const int row = Seznam->itemIndex();
    if (row >= 0)
        setEditText(Seznam->item(row));
    if (m_followPending)
        followDisk({}, true);
}

void THLAVNI::lockForWalk(bool lock)
{
    if (lock) {
        m_walkLocked.clear();
        for (QAction *command :
             {OtevriAkce, Vytvor, Uprav, Pridat, Odstr, OdstrU, Setrit, PrNah, PrDol, celkovy}) {
            m_walkLocked.append({command, command->isEnabled()});
            command->setEnabled(false);
        }
        m_walkTlacEnabled = Tlac->isEnabled();
        Tlac->setEnabled(false);
        return;
    }
    for (const auto &[command, enabled] : std::as_const(m_walkLocked))
        command->setEnabled(enabled);
    m_walkLocked.clear();
    Tlac->setEnabled(m_walkTlacEnabled);
}
