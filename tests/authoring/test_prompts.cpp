#include "authoring/JokeList.h"
#include "authoring/Unit8.h"
#include "wizardfixture.h"

namespace {

const QString kNoName = QStringLiteral("Musíte zadat název!!!");

// The wizard on a library whose folder exists, with no joke list yet.
class PromptTest : public WizardFixture
{
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        folder.mkdir(u"DataBase/Zvířata"_qs);
        wizard->Nazev->setText(u"Zvířata"_qs);
        wizard->jokes()->open(u"Zvířata"_qs, {});
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
    enter(u"Slon"_qs);
    EXPECT_EQ(wizard->Seznam->items(), QStringList{u"Slon"_qs});
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎"_qs));

    // The same name again, a name of spaces, and one with a character the
    // code page lacks: all appended as typed, and listed as stored.
    enter(u"Slon"_qs);
    enter(u"  "_qs);
    enter(u"Smích \u263A"_qs);
    EXPECT_EQ(listBytes(), ansi(u"Slon⏎Slon⏎  ⏎Smích ?⏎"_qs));
    EXPECT_EQ(wizard->Seznam->items(),
              (QStringList{u"Slon"_qs, u"Slon"_qs, u"  "_qs, u"Smích ?"_qs}));
    EXPECT_EQ(wizard->Seznam->itemIndex(), -1);
    EXPECT_FALSE(inDb(u"Zvířata/Slon.vti"_qs));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(PromptTest, EmptyNamesStornoAndUnwritableListsChangeNothing)
{
    prompt->show();
    prompt->Button2->click();
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Return);
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Enter);
    EXPECT_EQ(services.texts(), (QStringList{kNoName, kNoName, kNoName}));
    EXPECT_TRUE(prompt->isVisible());
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Escape);
    EXPECT_TRUE(prompt->isVisible()) << "Escape does nothing";

    prompt->JmenoVtipu->setText(u"Slon"_qs);
    prompt->Button1->click();
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(wizard->Seznam->count(), 0);
    EXPECT_FALSE(inDb(u"Zvířata/Vtipy.sez"_qs));

    // Each showing starts empty; Enter with a name accepts it.
    prompt->show();
    EXPECT_TRUE(prompt->JmenoVtipu->text().isEmpty());
    prompt->JmenoVtipu->setText(u"Žirafa"_qs);
    QTest::keyClick(prompt->JmenoVtipu, Qt::Key_Return);
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(listBytes(), ansi(u"Žirafa⏎"_qs));

    // A list that cannot be written stays as its file: the prompt stays open,
    // and a second try does not leave the name twice on screen.
    services.shown.clear();
    QDir(folder.absolute(u"DataBase/Zvířata"_qs)).removeRecursively();
    enter(u"Slon"_qs);
    EXPECT_TRUE(oneError(services));
    EXPECT_TRUE(prompt->isVisible());
    prompt->Button2->click();
    EXPECT_EQ(wizard->Seznam->items(), QStringList{u"Žirafa"_qs});
}

TEST_F(PromptTest, TheTwinsDifferInSizeAndTabOrder)
{
    TPridat2 twin(&host, nullptr);
    EXPECT_EQ(prompt->size(), QSize(186, 85));
    EXPECT_EQ(twin.size(), QSize(184, 86));
    // Neither button is pressed by Enter from elsewhere.
    for (QPushButton *b : {prompt->Button1, prompt->Button2, twin.Button1, twin.Button2})
        EXPECT_FALSE(b->isDefault() || b->autoDefault());
    // "Storno" (Button1) before "OK" in the wizard's, after it in the editor's.
    EXPECT_EQ(tabChain(prompt->JmenoVtipu), (QStringList{"JmenoVtipu", "Button1", "Button2"}));
    EXPECT_EQ(tabChain(twin.JmenoVtipu), (QStringList{"JmenoVtipu", "Button2", "Button1"}));
}
