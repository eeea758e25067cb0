#include "editorfixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

class GateTest : public EditorFixture
{
protected:
    void setPassword(const QByteArray &bytes)
    {
        folder.write(QStringLiteral("DataBase/Zvířata.da4"), bytes);
    }
    // One attempt with the typed text; returns the last thing shown.
    QString attempt(const QString &typed)
    {
        gate->Heslo->setText(typed);
        gate->Button1->click();
        return services.texts().value(services.texts().size() - 1);
    }
};

TEST_F(GateTest, LibraryWithoutPasswordOpensTheEditorUnseen)
{
    for (const QByteArray &stored : {QByteArray("\r\n"), QByteArray("")}) {
        setPassword(stored);
        bool edited = false;
        whenModal(editor.get(), [&] {
            edited = true;
            EXPECT_FALSE(gate->isVisible());
            EXPECT_EQ(editor->Nazev, library());
            EXPECT_EQ(editor->Seznam->count(), 3);
            editor->close();
        });
        gate->exec();
        EXPECT_TRUE(edited) << stored.toStdString();
        EXPECT_FALSE(gate->isVisible());
    }
}

TEST_F(GateTest, PasswordMustMatchExactly)
{
    setPassword(ansi(u"Tajné Heslo  ⏎"_qs));
    whenModal(gate.get(), [&] {
        for (const QString &wrong : {u"tajné heslo  "_qs, u"Tajné Heslo"_qs, u"Tajné Heslo "_qs,
                                     u"Tajné Heslo   "_qs, u"Tajne Heslo  "_qs}) {
            EXPECT_EQ(attempt(wrong), u"Špatný heslo!!!"_qs) << wrong.toStdString();
            EXPECT_EQ(gate->Heslo->text(), wrong);
            EXPECT_TRUE(gate->isVisible());
        }
        // Enter in the box is the same attempt as "OK"; Escape does nothing.
        QTest::keyClick(gate->Heslo, Qt::Key_Escape);
        EXPECT_TRUE(gate->isVisible());
        gate->Heslo->setText(u"Tajné Heslo  "_qs);
        whenModal(editor.get(), [&] { editor->close(); });
        QTest::keyClick(gate->Heslo, Qt::Key_Return);
    });
    gate->exec();
    EXPECT_EQ(services.texts().count(u"Špatný heslo!!!"_qs), 5);
    EXPECT_EQ(services.texts().last(), u"Vaše knihovna byla úspěšně upravena!!!"_qs);
    EXPECT_FALSE(gate->isVisible());
    EXPECT_TRUE(gate->Heslo->text().isEmpty());
}

TEST_F(GateTest, PasswordFileIsReadAtEveryAttemptAndComparedInFull)
{
    const QString longPassword = QString(300, u'x') + u"ř"_qs;
    setPassword("stare\r\n");
    whenModal(gate.get(), [&] {
        setPassword(ansi(longPassword + u"⏎"_qs));
        EXPECT_EQ(attempt(u"stare"_qs), u"Špatný heslo!!!"_qs);
        EXPECT_EQ(attempt(QString(300, u'x') + u"r"_qs), u"Špatný heslo!!!"_qs);
        whenModal(editor.get(), [&] { editor->close(); });
        attempt(longPassword);
    });
    gate->exec();
    EXPECT_FALSE(gate->isVisible());
}

TEST_F(GateTest, ClosingForgetsTheTypedPassword)
{
    setPassword("abc\r\n");
    whenModal(gate.get(), [&] {
        gate->Heslo->setText(u"ab"_qs);
        gate->close();
    });
    gate->exec();
    EXPECT_TRUE(gate->Heslo->text().isEmpty());
    whenModal(gate.get(), [&] {
        EXPECT_TRUE(gate->Heslo->text().isEmpty());
        gate->close();
    });
    gate->exec();
    EXPECT_TRUE(services.texts().isEmpty());
}

TEST_F(GateTest, UnreadableFilesAreReportedAndOpenNothing)
{
    QFile::remove(folder.absolute(u"DataBase/Zvířata.da4"_qs));
    whenModal(gate.get(), [&] {
        ASSERT_EQ(services.shown.size(), 1);
        EXPECT_EQ(services.shown[0].kind, u"error"_qs);
        attempt(QString());
        EXPECT_EQ(services.shown.size(), 2);
        gate->close();
    });
    gate->exec();

    // Without a joke list the editor cannot open, password or not.
    setPassword("\r\n");
    QFile::remove(folder.absolute(u"DataBase/Zvířata/Vtipy.sez"_qs));
    services.shown.clear();
    whenModal(gate.get(), [&] {
        ASSERT_EQ(services.shown.size(), 1);
        attempt(QString());
        EXPECT_EQ(services.shown.size(), 2);
        EXPECT_EQ(services.shown[1].kind, u"error"_qs);
        gate->close();
    });
    gate->exec();
    EXPECT_FALSE(services.texts().contains(u"Vaše knihovna byla úspěšně upravena!!!"_qs));
}

TEST_F(GateTest, NextLibraryOpensWithNoJokeOfThePreviousOne)
{
    folder.makeLibrary(u"Škola"_qs, {u"Ťukání"_qs});
    whenModal(editor.get(), [&] {
        clickRow(editor->Seznam, 0);
        EXPECT_TRUE(editor->Vtip->isEnabled());
        editor->close();
    });
    gate->exec();

    host.library = u"Škola"_qs;
    whenModal(editor.get(), [&] {
        EXPECT_EQ(editor->Nazev, u"Škola"_qs);
        EXPECT_EQ(editor->Seznam->items(), QStringList{u"Ťukání"_qs});
        EXPECT_TRUE(editor->Edit->text().isEmpty());
        EXPECT_TRUE(editor->Vtip->document()->isEmpty());
        EXPECT_FALSE(editor->Vtip->isEnabled());
        EXPECT_FALSE(editor->SouborVtipu.has_value());
        editor->close();
    });
    gate->exec();
    EXPECT_EQ(folder.read(u"DataBase/Škola.da2"_qs), "1\r\n");
}

} // namespace
