#pragma once

#include "authoring/Authoring.h"
#include "authoring/JokeNamePrompt.h"
#include "authoring/Unit2.h"
#include "authoring/Unit5.h"
#include "controls/listbox.h"
#include "support/fakehost.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs `answer` on the joke name prompt as soon as it is the application's
// modal window, from inside its exec(); a prompt left open afterwards is
// closed so that the test goes on.
inline void answerPrompt(std::function<void(JokeNamePrompt *)> answer)
{
    auto *poll = new QTimer;
    auto *waited = new int(0);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto *prompt = qobject_cast<JokeNamePrompt *>(QApplication::activeModalWidget());
        if (!prompt && ++*waited < 2000)
            return;
        poll->stop();
        poll->deleteLater();
        delete waited;
        if (!prompt) {
            ADD_FAILURE() << "the joke name prompt did not open";
            return;
        }
        answer(prompt);
        if (prompt->isVisible()) {
            ADD_FAILURE() << "the joke name prompt stayed open";
            prompt->reject();
        }
    });
    poll->start(2);
}

// A program folder with an empty list of libraries, the scripted desktop, and
// the wizard and its joke name prompt as the program's instances, the wizard
// opened for a run.
class WizardFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.makeProgramFolder();
        wizard = std::make_unique<TFormular>(&host, nullptr);
        prompt = std::make_unique<TPridat>(&host, nullptr);
        Formular = wizard.get();
        Pridat = prompt.get();
        wizard->show();
    }

    void TearDown() override
    {
        Formular = nullptr;
        Pridat = nullptr;
    }

    int page() const { return wizard->PageControl1->currentIndex(); }
    QByteArray db(const QString &file) const { return folder.read(u"DataBase/"_qs + file); }
    bool inDb(const QString &file) const { return folder.exists(u"DataBase/"_qs + file); }
    void next() { wizard->Button1->click(); }

    void fill(const QString &name, const QString &author = QString(),
              const QString &count = QString(), const QString &description = QString())
    {
        wizard->Nazev->setText(name);
        wizard->Autor->setPlainText(author);
        wizard->PocPod->setPlainText(count);
        wizard->Popis->setPlainText(description);
    }

    // From the data page through the password page, the password typed twice
    // and compared.
    void passPassword(const QString &password = QString())
    {
        next();
        ASSERT_EQ(page(), TFormular::PagePassword);
        wizard->Heslo->setText(password);
        wizard->Potvrzeni->setText(password);
        wizard->Porov->click();
        next();
        ASSERT_EQ(page(), TFormular::PageCreation);
    }

    // The creation step, run as its timer runs it.
    void create()
    {
        ASSERT_TRUE(wizard->Timer1->isActive());
        wizard->Timer1Timer();
    }

    // A new library `name` created, the wizard on its jokes page.
    void toJokesPage(const QString &name)
    {
        fill(name);
        passPassword();
        create();
        ASSERT_EQ(page(), TFormular::PageJokes);
    }

    // "Přidat..." with `name` typed and "OK" pressed.
    void addJoke(const QString &name)
    {
        answerPrompt([name](JokeNamePrompt *p) {
            p->JmenoVtipu->setText(name);
            p->Button2->click();
        });
        wizard->Button3->click();
    }

    // A click on a row of the joke list, as the user makes it.
    void clickRow(int row)
    {
        ListBox *list = wizard->Seznam;
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    TestFolder folder;
    FakeServices services;
    FakeHost host;
    std::unique_ptr<TFormular> wizard;
    std::unique_ptr<TPridat> prompt;
};
