#include "store/codepage.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

using namespace store;

// Every byte survives a round trip; those Windows-1250 defines decode as Qt's
// codec decodes them (so Czech letters have their bytes).
TEST(CodePage, EveryByteReadsAndWritesBackUnchangedAndOtherCharactersAreReported)
{
    QStringDecoder qt("windows-1250");
    ASSERT_TRUE(qt.isValid());
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(char(b));
        if (b != 0x81 && b != 0x83 && b != 0x88 && b != 0x90 && b != 0x98) {
            EXPECT_EQ(decode1250(all.right(1)), QString(qt(all.right(1)))) << "byte " << b;
        }
    }
    bool ok = false;
    EXPECT_EQ(encode1250(decode1250(all), &ok), all);
    EXPECT_TRUE(ok);

    // Characters outside the code page become "?" and are reported.
    EXPECT_EQ(encode1250(u"a\u20ACb\u0416c", &ok), QByteArray("a\x80"
                                                              "b?c"));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(isRepresentable1250(u"\U0001F600"));
    EXPECT_TRUE(isRepresentable1250(u"Příliš žluťoučký"));
}
