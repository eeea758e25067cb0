#include "platform/qtservices.h"
#include "support/fakeservices.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FileFilters, AreTranslatedWithBothLetterCases)
{
    EXPECT_EQ(
        QtServices::qtFilters(QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT")),
        (QStringList{"RTF Dokument (*.RTF *.rtf)", "Textový dokument (*.txt) (*.TXT *.txt)"}));
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Obrázky|*.bmp;*.jpg")),
              QStringList{"Obrázky (*.bmp *.BMP *.jpg *.JPG)"});
    EXPECT_EQ(QtServices::qtFilters(QStringLiteral("Vše|*")), QStringList{"Vše (*)"});
    EXPECT_TRUE(QtServices::qtFilters(QString()).isEmpty());
}

TEST(MemoryFigures, AreReadFromTheSystemsTable)
{
    const MemoryStatus status = parseMemInfo("MemTotal:        523760 kB\n"
                                             "MemFree:          10000 kB\n"
                                             "MemAvailable:    225000 kB\n");
    EXPECT_EQ(status.totalPhysicalKb, 523760u);
    EXPECT_EQ(status.memoryLoadPercent, 57);
    EXPECT_EQ(parseMemInfo("garbage\n\n").totalPhysicalKb, 0u);
    EXPECT_EQ(parseMemInfo("MemTotal: 100 kB\nMemAvailable: 500 kB\n").memoryLoadPercent, 0);
}

TEST(ServicesSeam, StandInReplacesTheDesktopWhileItLives)
{
    Services *desktop = &services();
    {
        FakeServices fake;
        EXPECT_EQ(&services(), &fake);
        fake.setNextAnswer(true);
        EXPECT_TRUE(services().confirm(QStringLiteral("Opravdu?")));
        EXPECT_FALSE(services().confirm(QStringLiteral("A znovu?")));
        EXPECT_EQ(fake.unscripted, 1);
        EXPECT_EQ(fake.shown[0].caption, QStringLiteral("Chichotek v 5.1"));
    }
    EXPECT_EQ(&services(), desktop);
}
