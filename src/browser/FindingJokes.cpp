// Finding jokes from the main window: the find window, the search in the texts
// of all jokes, and a joke found shown in the window.

#include "Unit1.h"

#include "Hledat.h"
#include "Program.h"
#include "TextSearch.h"
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/searchindex.h"

#include <QApplication>
#include <QDir>

void THLAVNI::NajitClick()
{
    if (!look || look->isVisible())
        return;
    platform::services().message(QStringLiteral("Bohužel musíte zadat celý název vtipu!!!"));
    look->show();
}

void THLAVNI::HledatVTextClick()
{
    if (!m_textSearch)
        m_textSearch = new THledani(store::searchCacheFile(QDir::currentPath()), this);
    m_textSearch->open();
}

bool THLAVNI::showFoundJoke(const QString &library, const QString &joke, QString *why)
{
    const auto rowOf = [this](const QString &name) {
        for (int i = 0; i < Seznam->count(); ++i) {
            if (Seznam->item(i) == name)
                return i;
        }
        return -1;
    };
    if (m_walking || QApplication::activeModalWidget()) {
        *why = QStringLiteral("Hlavní okno je zaneprázdněné, zkuste to za chvíli.");
        return false;
    }
    if (Rezim != RezimVtipy || m_openLibrary != library) {
        if (Rezim == RezimVtipy)
            OtevriAkceExecute(); // back to the libraries
        const int row = rowOf(library);
        if (Rezim != RezimKnihovny || row < 0) {
            *why = QStringLiteral("Knihovna „%1“ už v seznamu není.").arg(library);
            return false;
        }
        Seznam->setItemIndex(row);
        SeznamClick();
        OtevriAkceExecute();
        if (Rezim != RezimVtipy || m_openLibrary != library) {
            *why = QStringLiteral("Knihovnu „%1“ nelze otevřít.").arg(library);
            return false;
        }
    }
    const int row = rowOf(joke);
    if (row < 0) {
        *why = QStringLiteral("Vtip „%1“ už v knihovně „%2“ není.").arg(joke, library);
        return false;
    }
    Seznam->setItemIndex(row);
    SeznamClick();
    return true;
}
