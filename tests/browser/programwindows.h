#pragma once

#include "authoring/Unit6.h"
#include "authoring/Unit7.h"
#include "browser/TextSearch.h"
#include "support/mainwindowfixture.h"

#include <QFontComboBox>

// Every window of the program, as the program makes them at start on a folder
// with two libraries, for checks that go through all of their controls.
class ProgramWindows : public MainWindowFixture
{
protected:
    // Starts every window and shows each once, as the user first sees it: the
    // library editor makes its font box then, and tool bars lay out their
    // buttons.
    void startProgram()
    {
        startAll();
        HLAVNI->show();
        clickRow(0);
        ASSERT_TRUE(Upravit->prepareEditor());
        // The search window is made when first asked for.
        HLAVNI->HledatVText->trigger();
        for (QWidget *window : windows()) {
            if (qobject_cast<QDialog *>(window))
                showOnce(window);
        }
        ASSERT_NE(Uprava->FontSeznam, nullptr);
    }

    static void showOnce(QWidget *window)
    {
        window->show();
        QApplication::processEvents();
        window->hide();
    }

    // The main window in joke mode with a joke shown, so that the joke view
    // and the quick panel are there too.
    void showJoke()
    {
        openLibrary(0);
        clickRow(0);
        ASSERT_FALSE(HLAVNI->Vtip->isHidden());
        ASSERT_FALSE(HLAVNI->Panel->isHidden());
    }

public:
    // The main window first, then every window it owns: the dialogs and the
    // menus.
    static QList<QWidget *> windows()
    {
        QList<QWidget *> out{HLAVNI};
        for (QWidget *w : HLAVNI->findChildren<QWidget *>()) {
            if (w->isWindow())
                out << w;
        }
        return out;
    }

    // The controls of `window`, not those of the windows it owns.
    static QList<QWidget *> controlsOf(QWidget *window)
    {
        QList<QWidget *> out;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() == window)
                out << w;
        }
        return out;
    }

    // "window/control" for messages; a control without a name of its own is
    // given by its class within its parent.
    static std::string where(const QWidget *control)
    {
        const auto name = [](const QObject *o) {
            return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                             : o->objectName();
        };
        QString path = name(control->window());
        if (control != control->window()) {
            if (control->objectName().isEmpty() && control->parentWidget() != control->window())
                path += u'/' + name(control->parentWidget());
            path += u'/' + name(control);
        }
        return path.toStdString();
    }
};
