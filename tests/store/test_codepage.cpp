#include "store/codepage.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

using namespace store;

TEST(CodePage, EveryByteReadsAndWritesBackUnchanged)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    bool ok = false;
    EXPECT_EQ(encode1250(decode1250(all), &ok), all);
    EXPECT_TRUE(ok);
}

TEST(CodePage, DefinedBytesDecodeAsQtsWindows1250)
{
    QStringDecoder qt("windows-1250");
    ASSERT_TRUE(qt.isValid());
    for (int b = 0; b < 256; ++b) {
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)
            continue;
        const QByteArray one(1, char(b));
        EXPECT_EQ(decode1250(one), QString(qt(one))) << "byte " << b;
    }
}

TEST(CodePage, CzechLettersHaveTheirBytes)
{
    EXPECT_EQ(encode1250(u"Žluťoučký kůň úpěl ďábelské ódy"),
              QByteArray("\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
                         "belsk\xE9 \xF3"
                         "dy"));
    EXPECT_EQ(decode1250("\x8A\x9A\xC8\xE8\xD8\xF8"), QStringLiteral("ŠšČčŘř"));
}

TEST(CodePage, CharactersOutsideTheCodePageAreReported)
{
    bool ok = true;
    EXPECT_EQ(encode1250(u"a\u20ACb\u0416c", &ok), QByteArray("a\x80"
                                                              "b?c"));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(isRepresentable1250(u"\U0001F600"));
    EXPECT_TRUE(isRepresentable1250(u"Příliš žluťoučký"));
}
