#include "editorfixture.h"

namespace {

const QString kWrong = QStringLiteral("Špatný heslo!!!");
const QString kEdited = QStringLiteral("Vaše knihovna byla úspěšně upravena!!!");

class GateTest : public EditorFixture
{
protected:
    void setPassword(const QByteArray &bytes) { folder.write(u"DataBase/Zvířata.da4"_qs, bytes); }
    // One attempt with the typed text; returns the last thing shown.
    QString attempt(const QString &typed)
    {
        gate->Heslo->setText(typed);
        gate->Button1->click();
        return services.texts().value(services.texts().size() - 1);
    }
};

TEST_F(GateTest, LibraryWithoutPasswordOpensTheEditorUnseenWithNoJokeOfThePreviousOne)
{
    setPassword("\r\n");
    whenModal(editor.get(), [&] {
        EXPECT_FALSE(gate->isVisible());
        EXPECT_EQ(editor->Nazev, library());
        EXPECT_EQ(editor->Seznam->count(), 3);
        clickRow(editor->Seznam, 0);
        EXPECT_TRUE(editor->Vtip->isEnabled());
        editor->close();
    });
    gate->exec();

    // An empty password file is no password either.
    folder.makeLibrary(u"Škola"_qs, {u"Ťukání"_qs});
    folder.write(u"DataBase/Škola.da4"_qs, "");
    host.library = u"Škola"_qs;
    whenModal(editor.get(), [&] {
        EXPECT_FALSE(gate->isVisible());
        EXPECT_EQ(editor->Nazev, u"Škola"_qs);
        EXPECT_EQ(editor->Seznam->items(), QStringList{u"Ťukání"_qs});
        EXPECT_EQ(view(), u"-1||off|"_qs);
        EXPECT_FALSE(editor->SouborVtipu.has_value());
        editor->close();
    });
    gate->exec();
    EXPECT_EQ(db(u"Škola.da2"_qs), "1\r\n");
}

TEST_F(GateTest, PasswordMustMatchTheFileInFullAtEveryAttempt)
{
    const QString longPassword = QString(300, u'x') + u"ř"_qs;
    setPassword(ansi(u"Tajné Heslo  ⏎"_qs));
    // Closing forgets the typed password.
    whenModal(gate.get(), [&] {
        gate->Heslo->setText(u"Tajné"_qs);
        gate->close();
    });
    gate->exec();
    EXPECT_TRUE(gate->Heslo->text().isEmpty());
    EXPECT_TRUE(services.texts().isEmpty());

    whenModal(gate.get(), [&] {
        EXPECT_TRUE(gate->Heslo->text().isEmpty());
        for (const QString &wrong : {u"tajné heslo  "_qs, u"Tajné Heslo"_qs, u"Tajné Heslo "_qs,
                                     u"Tajné Heslo   "_qs, u"Tajne Heslo  "_qs}) {
            EXPECT_EQ(attempt(wrong), kWrong) << wrong.toStdString();
            EXPECT_EQ(gate->Heslo->text(), wrong);
            EXPECT_TRUE(gate->isVisible());
        }
        QTest::keyClick(gate->Heslo, Qt::Key_Escape);
        EXPECT_TRUE(gate->isVisible()) << "Escape does nothing";

        // The file is read again at every attempt, and compared in full.
        setPassword(ansi(longPassword + u"⏎"_qs));
        EXPECT_EQ(attempt(u"Tajné Heslo  "_qs), kWrong);
        // Enter in the box is the same attempt as "OK".
        gate->Heslo->setText(QString(300, u'x') + u"r"_qs);
        QTest::keyClick(gate->Heslo, Qt::Key_Return);
        whenModal(editor.get(), [&] { editor->close(); });
        attempt(longPassword);
    });
    gate->exec();
    EXPECT_EQ(services.texts().count(kWrong), 7);
    EXPECT_EQ(services.texts().last(), kEdited);
    EXPECT_TRUE(gate->Heslo->text().isEmpty());
}

TEST_F(GateTest, UnreadableFilesAreReportedAndOpenNothing)
{
    QFile::remove(folder.absolute(u"DataBase/Zvířata.da4"_qs));
    // Then, without a joke list the editor cannot open, password or not.
    const auto tryOnce = [&] {
        services.shown.clear();
        whenModal(gate.get(), [&] {
            EXPECT_TRUE(oneError(services));
            attempt(QString());
            ASSERT_EQ(services.shown.size(), 2);
            EXPECT_EQ(services.shown[1].kind, u"error"_qs);
            gate->close();
        });
        gate->exec();
    };
    tryOnce();
    setPassword("\r\n");
    QFile::remove(folder.absolute(u"DataBase/Zvířata/Vtipy.sez"_qs));
    tryOnce();
    EXPECT_FALSE(services.texts().contains(kEdited));
}

} // namespace
