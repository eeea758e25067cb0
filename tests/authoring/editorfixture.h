#pragma once

#include "authoring/Authoring.h"
#include "authoring/Unit6.h"
#include "authoring/Unit7.h"
#include "authoring/Unit9.h"
#include "controls/listbox.h"
#include "store/files.h"
#include "support/fakehost.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs `step` as soon as `window` is the application's active modal window,
// from the event loop that the window's exec() runs. If that never happens
// within the time allowed, the step is dropped and the test fails.
inline void whenModal(QWidget *window, std::function<void()> step)
{
    auto *timer = new QTimer;
    auto *waited = new int(0);
    QPointer<QWidget> target(window);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (target && QApplication::activeModalWidget() == target) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            step();
        } else if (++*waited > 1000) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            ADD_FAILURE() << "the expected modal window did not open";
        }
    });
    timer->start(5);
}

// A program folder with the library "Zvířata", the scripted desktop, and the
// editor, the gate and the move dialog as the program's instances.
class EditorFixture : public ::testing::Test
{
protected:
    static QString library() { return QStringLiteral("Zvířata"); }

    void SetUp() override
    {
        folder.makeProgramFolder();
        folder.makeLibrary(
            library(), {QStringLiteral("Slon"), QStringLiteral("Žirafa"), QStringLiteral("Opice")},
            2);
        host.library = library();
        editor = std::make_unique<TUprava>(&host, nullptr);
        gate = std::make_unique<TUpravit>(&host, nullptr);
        mover = std::make_unique<TPresunOkno>(&host, nullptr);
        Uprava = editor.get();
        Upravit = gate.get();
        PresunOkno = mover.get();
    }

    void TearDown() override
    {
        for (QWidget *w : {static_cast<QWidget *>(mover.get()), static_cast<QWidget *>(gate.get()),
                           static_cast<QWidget *>(editor.get())})
            w->hide();
        Uprava = nullptr;
        Upravit = nullptr;
        PresunOkno = nullptr;
    }

    // Opens the editor on the library as the gate does, but not modally, and
    // waits until it is the active window.
    void open()
    {
        ASSERT_TRUE(gate->prepareEditor());
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    }

    // Clicks the row of a list as the user does.
    static void clickRow(ListBox *list, int row)
    {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Puts the keyboard focus into the joke text and types there.
    void type(const QString &ascii)
    {
        QTest::mouseClick(editor->Vtip->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QTest::keyClicks(editor->Vtip, ascii);
    }

    QByteArray file(const QString &name) const
    {
        return folder.read(QStringLiteral("DataBase/") + name);
    }
    QByteArray jokeFile(const QString &joke) const
    {
        return file(library() + u'/' + joke + QStringLiteral(".vti"));
    }
    // The text of a joke file as the program reads it.
    QString jokeText(const QString &joke) const
    {
        QTextDocument doc;
        if (!store::readRichText(store::DbPath::jokeFile(library(), joke), &doc))
            return QStringLiteral("<missing>");
        return doc.toPlainText();
    }
    QByteArray listBytes() const { return file(library() + QStringLiteral("/Vtipy.sez")); }

    TestFolder folder;
    FakeServices services;
    FakeHost host;
    std::unique_ptr<TUprava> editor;
    std::unique_ptr<TUpravit> gate;
    std::unique_ptr<TPresunOkno> mover;
};
