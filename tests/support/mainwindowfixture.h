#pragma once

#include "browser/Program.h"
#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs `check` on the next modal window other than `under` once it opens, then
// closes that window. A window that does not open within 10 s is a failure.
inline void onNextModal(std::function<void(QWidget *)> check, QWidget *under = nullptr)
{
    auto *poll = new QTimer;
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if ((!modal || modal == under) && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (!modal || modal == under) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        check(modal);
        modal->close();
    });
    poll->start(1);
}

// A double-click as the mouse makes it: press, release, double-click, release.
inline void doubleClick(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

// A program folder with two libraries, the scripted desktop, and the main
// window started on them when a test asks for it.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.makeProgramFolder();
        folder.makeLibrary(QStringLiteral("Zvířata"),
                           {QStringLiteral("Slon"), QStringLiteral("Žirafa")}, 1);
        folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Ťukání")});
    }

    void TearDown() override
    {
        if (m_allWindows) {
            (void)window.release();
            destroyWindows();
        }
        QLocale::setDefault(m_locale);
    }

    THLAVNI &start()
    {
        // One window at a time holds the folder's lock.
        window.reset();
        window = std::make_unique<THLAVNI>(folder.path());
        return *window;
    }

    // Every window of the program, as it starts; destroyed after the test.
    THLAVNI &startAll()
    {
        createWindows(folder.path());
        window.reset(HLAVNI);
        m_allWindows = true;
        return *HLAVNI;
    }

    // Clicks, or double-clicks, the row of the list as the user does.
    void clickRow(int row, bool twice = false)
    {
        ListBox *list = window->Seznam;
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    void key(Qt::Key k) { QTest::keyClick(window->Seznam, k); }

    void openLibrary(int row)
    {
        clickRow(row);
        window->Tlac->click();
    }

    // The name box and the description panel: "name|description|count|author".
    QString description() const
    {
        return QStringList{window->Edit->text(), window->PopisText->toPlainText(),
                           window->PocPod->toPlainText(), window->Autor->toPlainText()}
            .join(u'|');
    }
    // description() for a library made by TestFolder::makeLibrary().
    static QString describing(const QString &library, const QString &count)
    {
        return library + QStringLiteral("|Popis knihovny ") + library + u'|' + count +
               QStringLiteral("|Autor ") + library;
    }

    QByteArray listBytes() const { return folder.read(QStringLiteral("DataBase/seznam.dat")); }

    // Exactly one thing was shown: an error whose text contains `words`.
    ::testing::AssertionResult oneError(const QString &words = QString()) const
    {
        if (services.shown.size() == 1 && services.shown[0].kind == QLatin1String("error") &&
            services.shown[0].text.contains(words))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "shown: " << services.texts().join(u'|').toStdString();
    }

    // The six settings in the order of chichotek.cfg: '1' when the item is
    // checked and its effect shows, '0' when neither, '?' when they disagree.
    static QString settingsState(const THLAVNI &w)
    {
        const QAction *items[] = {w.Roz, w.Centr, w.UlozZobr, w.ZobTisk, w.ZobCopyVtip, w.ZobPismo};
        const bool effects[] = {w.Pozadi->stretch(),     w.Pozadi->center(),
                                !w.RychUloz->isHidden(), !w.RychTisk->isHidden(),
                                !w.VtipCopy->isHidden(), !w.RychPismo->isHidden()};
        QString state;
        for (int i = 0; i < 6; ++i)
            state += items[i]->isChecked() != effects[i] ? u'?' : effects[i] ? u'1' : u'0';
        return state;
    }

    static void setCzechLocale() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

    TestFolder folder;
    FakeServices services;
    std::unique_ptr<THLAVNI> window;

private:
    bool m_allWindows = false;
    const QLocale m_locale;
};
