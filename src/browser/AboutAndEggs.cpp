// The main window's about box, its Internet commands and the eggs hidden in it.

#include "Unit1.h"

#include "Program.h"
#include "Unit4.h"
#include "controls/BLabel.h"
#include "platform/platform.h"

#include <QAction>
#include <QFrame>
#include <QRubberBand>

void THLAVNI::Oaplikaci1Click()
{
    if (AboutBox)
        AboutBox->exec();
}

void THLAVNI::Sthnoutvtipy1Click()
{
    platform::services().message(QStringLiteral("Změna se projeví až po restartování programu!!!"));
    // The updater runs on its own; whether it starts is its own affair.
    platform::services().startProgram(SlozkaProgramu + QStringLiteral("Aktualizace.exe"));
}

void THLAVNI::Publikovatknihovnu1Click()
{
    platform::services().message(
        QStringLiteral("Zabalte vaši knihovnu se vším všudy a pošlete mi ji na Email ") +
        MaintainerEmail + u'.');
}

void THLAVNI::IkonkaDblClick()
{
    ++IkonkaCount;
    if (IkonkaCount < 3) {
        platform::services().message(QStringLiteral("Máš problém?"));
    } else if (IkonkaCount == 3) {
        napoveda->show();
        napoveda->setActive(true);
    } else {
        napoveda->hide();
        napoveda->setActive(false);
        IkonkaCount = 0;
    }
}

void THLAVNI::EggExecute()
{
    if (!Odemk->isChecked()) {
        Panel->resize(Panel->width() + 4, Panel->height());
        Odemk->setChecked(true);
        return;
    }
    // Locked again, the panel goes back to its place.
    if (m_panelFrame)
        m_panelFrame->hide();
    m_panelPressed = false;
    m_panelDragging = false;
    if (Panel->isWindow())
        dockPanel();
    Panel->resize(Panel->width() - 4, Panel->height());
    Odemk->setChecked(false);
}

void THLAVNI::OdemkClick()
{
    Egg->trigger();
}
