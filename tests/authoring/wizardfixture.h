#pragma once

#include "authoring/Unit2.h"
#include "authoring/Unit5.h"
#include "authoringtest.h"

#include <QStackedWidget>

// An empty list of libraries, and the wizard and its joke name prompt as the
// program's instances, the wizard opened for a run.
class WizardFixture : public AuthoringFixture
{
protected:
    void SetUp() override
    {
        AuthoringFixture::SetUp();
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
    void next() { wizard->Button1->click(); }
    void clickRow(int row) { ::clickRow(wizard->Seznam, row); }
    QString view() const { return jokeView(wizard->Seznam, wizard->Edit, wizard->Vtip); }

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

    // A new library `name` created with these jokes added, on the jokes page.
    void toJokesPage(const QStringList &jokes = {}, const QString &name = u"Zvířata"_qs)
    {
        fill(name);
        passPassword();
        create();
        ASSERT_EQ(page(), TFormular::PageJokes);
        for (const QString &joke : jokes)
            addJoke(joke);
    }

    // "Přidat..." with `name` typed and "OK" pressed.
    void addJoke(const QString &name)
    {
        whenModal(prompt.get(), [&] {
            prompt->JmenoVtipu->setText(name);
            prompt->Button2->click();
        });
        wizard->Button3->click();
    }

    std::unique_ptr<TFormular> wizard;
    std::unique_ptr<TPridat> prompt;
};
