#pragma once

#include "authoring/Unit6.h"
#include "authoring/Unit7.h"
#include "authoring/Unit9.h"
#include "authoringtest.h"

#include <QLabel>
#include <QTabWidget>

// The library "Zvířata" of three jokes, two of them written, and the editor,
// the gate and the move dialog as the program's instances.
class EditorFixture : public AuthoringFixture
{
protected:
    static QString library() { return QStringLiteral("Zvířata"); }

    void SetUp() override
    {
        AuthoringFixture::SetUp();
        folder.makeLibrary(library(), {u"Slon"_qs, u"Žirafa"_qs, u"Opice"_qs}, 2);
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
        for (QWidget *w : std::initializer_list<QWidget *>{mover.get(), gate.get(), editor.get()})
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

    // Puts the keyboard focus into the joke text and types there.
    void type(const QString &ascii)
    {
        QTest::mouseClick(editor->Vtip->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QTest::keyClicks(editor->Vtip, ascii);
    }

    QString view() const { return jokeView(editor->Seznam, editor->Edit, editor->Vtip); }
    QString jokeText(const QString &joke) const { return ::jokeText(library(), joke); }
    QByteArray listBytes() const { return db(library() + u"/Vtipy.sez"_qs); }

    std::unique_ptr<TUprava> editor;
    std::unique_ptr<TUpravit> gate;
    std::unique_ptr<TPresunOkno> mover;
};
