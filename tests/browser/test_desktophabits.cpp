// What users of a Linux desktop program expect of its windows: menus by
// keyboard, a guide on F1, and the program folders opened last a click away.

#include "browser/Program.h"
#include "store/programfolder.h"
#include "support/mainwindowfixture.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTextBrowser>

namespace {

using DesktopHabits = MainWindowFixture;

// Each item of `menu` and of its submenus: "menu > item" for the ones
// without a letter to press or with one another item of the menu has.
QStringList mnemonicFaults(QMenu *menu, QList<QAction *> &items)
{
    emit menu->aboutToShow(); // a menu filled as it opens
    QStringList faults;
    QSet<QChar> letters;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() || !action->isEnabled())
            continue;
        items << action;
        const QString text = action->text();
        const QString where = menu->title() + QStringLiteral(" > ") + text;
        const qsizetype at = text.indexOf(u'&');
        if (at < 0 || at + 1 >= text.size() || text[at + 1] == u'&')
            faults << where + QStringLiteral(": no letter");
        else if (const QChar letter = text[at + 1].toLower(); letters.contains(letter))
            faults << where + QStringLiteral(": a letter taken");
        else
            letters.insert(letter);
        if (action->menu())
            faults << mnemonicFaults(action->menu(), items);
    }
    return faults;
}

TEST_F(DesktopHabits, MenusByKeyboardAndTheGuideOnF1)
{
    THLAVNI &w = startAll();
    QStringList faults;
    QList<QAction *> items = w.actions();
    QSet<QChar> bar;
    for (QAction *menu : w.menuBar()->actions()) {
        const qsizetype at = menu->text().indexOf(u'&');
        ASSERT_GE(at, 0) << menu->text().toStdString();
        EXPECT_FALSE(bar.contains(menu->text()[at + 1].toLower()));
        bar.insert(menu->text()[at + 1].toLower());
        faults << mnemonicFaults(menu->menu(), items);
    }
    EXPECT_EQ(bar, (QSet<QChar>{u's', u'd', u'n', u'p'}));
    faults << mnemonicFaults(w.PanelMenu, items) << mnemonicFaults(w.MenuVtipu, items);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();

    // The keys the menus name, and no key for two commands.
    const QList<std::pair<QAction *, QKeySequence>> keys = {
        {w.Konec1, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {w.PrNah, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {w.PrDol, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {w.HledatVText, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {w.Egg, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {w.Prirucka, QKeySequence(Qt::Key_F1)}};
    for (const auto &[action, key] : keys)
        EXPECT_EQ(action->shortcut(), key) << action->objectName().toStdString();
    QSet<QKeySequence> taken;
    for (const QAction *action : std::as_const(items)) {
        if (action->shortcut().isEmpty())
            continue;
        EXPECT_FALSE(taken.contains(action->shortcut())) << action->objectName().toStdString();
        taken.insert(action->shortcut());
    }

    // Ctrl+Q closes the window as its close button does: the question first.
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    services.setNextAnswer(false);
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_FALSE(services.shown.isEmpty());
    EXPECT_EQ(services.shown.last().kind, QStringLiteral("confirm"));
    EXPECT_EQ(services.shown.last().text, QStringLiteral("Opravdu ukončit program?"));
    EXPECT_TRUE(w.isVisible());

    // F1 opens the guide, with the keys in it; a second F1 brings the same
    // window back.
    QTest::keyClick(&w, Qt::Key_F1);
    QWidget *guide = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("Prirucka") && top->isVisible())
            guide = top;
    }
    ASSERT_TRUE(guide);
    const auto *text = guide->findChild<QTextBrowser *>();
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("Klávesové zkratky")));
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("Ctrl+Q")));
    QTest::keyClick(&w, Qt::Key_F1);
    int guides = 0;
    for (const QWidget *top : QApplication::topLevelWidgets())
        guides += top->objectName() == QStringLiteral("Prirucka");
    EXPECT_EQ(guides, 1);
    guide->close();
}

// The folders opened last are kept with the user's settings, never in the
// program folder (which the home platform shares); opening one of them is
// a fresh start on it: the folder left keeps its settings and loses its lock.
TEST_F(DesktopHabits, RecentFoldersOpenAsAFreshStartWould)
{
    QFile::remove(store::configFolder() + QStringLiteral("/nedavne-slozky"));
    TestFolder other;
    other.makeProgramFolder();
    other.makeLibrary(QStringLiteral("Doprava"), {QStringLiteral("Auto")});
    const QByteArray settings = folder.read(QStringLiteral("chichotek.cfg"));

    openFolder(folder.path());
    openFolder(other.path());
    ASSERT_TRUE(HLAVNI);
    EXPECT_EQ(HLAVNI->programFolder(), other.path());
    EXPECT_EQ(HLAVNI->Seznam->items(), QStringList{QStringLiteral("Doprava")});
    EXPECT_FALSE(folder.exists(QStringLiteral("chichotek.lock")));
    EXPECT_TRUE(other.exists(QStringLiteral("chichotek.lock")));
    EXPECT_EQ(store::recentFolders(), (QStringList{other.path(), folder.path()}));
    EXPECT_EQ(folder.read(QStringLiteral("chichotek.cfg")), settings);

    // The menu lists the other folders, and one more to choose.
    QMenu *recent = HLAVNI->Nedavne;
    emit recent->aboutToShow();
    QStringList items;
    for (const QAction *action : recent->actions())
        items << action->text();
    EXPECT_EQ(items,
              (QStringList{u"&1 "_qs + folder.path(), QString(), u"&Otevřít jinou složku..."_qs}));
    recent->actions().constFirst()->trigger();
    QTest::qWait(1);
    ASSERT_TRUE(HLAVNI);
    EXPECT_EQ(HLAVNI->programFolder(), folder.path());
    EXPECT_EQ(HLAVNI->Seznam->count(), 2);
    EXPECT_FALSE(other.exists(QStringLiteral("chichotek.lock")));

    services.setNextFolder(other.path());
    emit HLAVNI->Nedavne->aboutToShow();
    HLAVNI->Nedavne->actions().constLast()->trigger();
    QTest::qWait(1);
    EXPECT_EQ(HLAVNI->programFolder(), other.path());
    EXPECT_EQ(store::recentFolders(), (QStringList{other.path(), folder.path()}));
    destroyWindows();
}

} // namespace
