#include "authoring/Unit7.h"
#include "authoring/Unit8.h"
#include "store/files.h"
#include "wizardfixture.h"

namespace {

const QString kNoName = QStringLiteral("Musíte zadat název!!!");

// The wizard on a library whose folder exists, and its prompt shown.
class PromptTest : public WizardFixture
{
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        folder.mkdir(QStringLiteral("DataBase/Zvířata"));
        wizard->Nazev->setText(QStringLiteral("Zvířata"));
        wizard->PageControl1->setCurrentIndex(TFormular::PageJokes);
    }

    void enter(const QString &name)
    {
        prompt->show();
        prompt->JmenoVtipu->setText(name);
        prompt->Button2->click();
    }

    QByteArray listBytes() const { return db(u"Zvířata/Vtipy.sez"_qs); }
};

// The widgets that Tab goes through, starting with `first`.
QStringList tabChain(QWidget *first)
{
    QStringList names;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    return names;
}

} // namespace

TEST_F(PromptTest, AppendsTheNameAndWritesTheWholeList)
{
    enter(QStringLiteral("Slon"));
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(wizard->Seznam->items(), QStringList{QStringLiteral("Slon")});
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎"_qs));

    // The same name again, and a name of spaces: both appended as typed.
    enter(QStringLiteral("Slon"));
    enter(QStringLiteral("  "));
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Slon⏎  ⏎"_qs));
    EXPECT_EQ(wizard->Seznam->itemIndex(), -1);
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
    EXPECT_TRUE(services.shown.isEmpty());

    // Each showing starts with an empty box.
    prompt->JmenoVtipu->setText(QStringLiteral("rozepsané"));
    prompt->Button1->click();
    prompt->show();
    EXPECT_TRUE(prompt->JmenoVtipu->text().isEmpty());
}

TEST_F(PromptTest, AnEmptyNameIsRefusedByOkAndByEnter)
{
    prompt->show();
    prompt->Button2->click();
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Return);
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Enter);
    EXPECT_EQ(services.texts(), (QStringList{kNoName, kNoName, kNoName}));
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_FALSE(inDb(u"Zvířata/Vtipy.sez"_qs));

    // Escape does nothing; Enter with a name accepts it.
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Escape);
    EXPECT_TRUE(prompt->isVisible());
    prompt->JmenoVtipu->setText(QStringLiteral("Žirafa"));
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Return);
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎"_qs));
}

TEST_F(PromptTest, StornoChangesNothing)
{
    prompt->show();
    prompt->JmenoVtipu->setText(QStringLiteral("Slon"));
    prompt->Button1->click();
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(wizard->Seznam->count(), 0);
    EXPECT_FALSE(inDb(u"Zvířata/Vtipy.sez"_qs));
}

TEST_F(PromptTest, AListThatCannotBeWrittenStaysAsItsFile)
{
    wizard->Seznam->setItems({QStringLiteral("Slon")});
    QDir(folder.absolute(QStringLiteral("DataBase/Zvířata"))).removeRecursively();
    enter(QStringLiteral("Žirafa"));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(prompt->isVisible());
    // A second try does not leave the name twice on screen.
    prompt->Button2->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{QStringLiteral("Slon")});
}

TEST_F(PromptTest, TheListShowsTheNameAsStored)
{
    enter(QStringLiteral("Smích \u263A"));
    const std::optional<QStringList> stored =
        store::readList(store::DbPath::jokeList(QStringLiteral("Zvířata")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(wizard->Seznam->items(), *stored);
    EXPECT_EQ(stored->value(0), QStringLiteral("Smích ?"));
}

TEST_F(PromptTest, TheTwinsDifferInSizeAndTabOrder)
{
    TPridat2 twin(&host, nullptr);
    EXPECT_EQ(prompt->size(), QSize(186, 85));
    EXPECT_EQ(twin.size(), QSize(184, 86));
    // Neither button is pressed by Enter from elsewhere.
    for (QPushButton *b : {prompt->Button1, prompt->Button2, twin.Button1, twin.Button2})
        EXPECT_FALSE(b->isDefault() || b->autoDefault());
    EXPECT_EQ(tabChain(prompt->JmenoVtipu),
              (QStringList{"JmenoVtipu", "Button1", "Button2"})); // "Storno", "OK"
    EXPECT_EQ(tabChain(twin.JmenoVtipu),
              (QStringList{"JmenoVtipu", "Button2", "Button1"})); // "OK", "Storno"
}

TEST_F(PromptTest, TheEditorsPromptAppendsToTheEditorsList)
{
    TUprava editor(&host, nullptr);
    TPridat2 twin(&host, nullptr);
    Uprava = &editor;
    Pridat2 = &twin;
    folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Ťukání")});
    editor.Nazev = QStringLiteral("Škola");
    editor.jokeList()->setItems({QStringLiteral("Ťukání")});

    twin.show();
    twin.JmenoVtipu->setText(QStringLiteral("Přestávka"));
    twin.Button2->click();
    EXPECT_FALSE(twin.isVisible());
    EXPECT_EQ(editor.jokeList()->items(),
              (QStringList{QStringLiteral("Ťukání"), QStringLiteral("Přestávka")}));
    EXPECT_EQ(db(u"Škola/Vtipy.sez"_qs), ansi(u"Ťukání⏎Přestávka⏎"_qs));
    EXPECT_EQ(wizard->Seznam->count(), 0);
    Uprava = nullptr;
    Pridat2 = nullptr;
}
