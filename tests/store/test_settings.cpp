#include "store/files.h"
#include "store/settings.h"
#include "support/testfolder.h"

#include <QColor>

#include <gtest/gtest.h>

using namespace store;

namespace {

// The flags the settings file turns off.
std::vector<int> flagsOff(const QByteArray &bytes)
{
    TestFolder folder;
    folder.write(QStringLiteral("chichotek.cfg"), bytes);
    const auto lines = readList(settingsFile());
    EXPECT_TRUE(lines.has_value());
    std::vector<int> off;
    for (int flag = 0; flag < SettingsFlagCount; ++flag) {
        if (settingsLineIsOff(lines.value_or(QStringList()), flag))
            off.push_back(flag);
    }
    return off;
}

} // namespace

// Only a line that is exactly "0" turns a flag off; six lines of 18 bytes
// are written.
TEST(SettingsFile, OnlyALineThatIsExactlyZeroTurnsAFlagOff)
{
    EXPECT_EQ(flagsOff("1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n"), std::vector<int>{});
    EXPECT_EQ(flagsOff("0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(flagsOff("0\r\n0\r\n0\r\n0\r\n0\r\n"), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(flagsOff("1 \r\n\r\n0 \r\n 0\r\n00\r\n0"), (std::vector<int>{5}));
    EXPECT_EQ(flagsOff(""), std::vector<int>{});
    EXPECT_EQ(flagsOff("0\n1\n0\n"), (std::vector<int>{0, 2}));

    TestFolder folder;
    ASSERT_TRUE(writeList(settingsFile(), settingsLines({false, true, true, false, true, true})));
    EXPECT_EQ(folder.read(QStringLiteral("chichotek.cfg")),
              QByteArray("0\r\n1\r\n1\r\n0\r\n1\r\n1\r\n"));
}

// A picture is stored as a bitmap, transparency laid on the backdrop; a
// missing file or one that is not a bitmap is an error.
TEST(BackgroundFile, IsStoredAsABitmapThatReadsBack)
{
    TestFolder folder;
    QString error;
    EXPECT_FALSE(readBackground(&error).has_value());
    EXPECT_FALSE(error.isEmpty());

    QImage picture(20, 10, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixelColor(3, 4, Qt::red);
    ASSERT_TRUE(writeBackground(picture, QColor(0xC0, 0xC0, 0xC0)));
    EXPECT_TRUE(folder.read(QStringLiteral("pozadi.bmp")).startsWith("BM"));
    const auto back = readBackground();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->size(), QSize(20, 10));
    EXPECT_EQ(back->pixelColor(3, 4), QColor(Qt::red));
    EXPECT_EQ(back->pixelColor(0, 0), QColor(0xC0, 0xC0, 0xC0));

    folder.write(QStringLiteral("pozadi.bmp"), sampleIcon());
    EXPECT_FALSE(readBackground().has_value());
}
