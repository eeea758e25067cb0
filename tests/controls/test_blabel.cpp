#include "controls/BLabel.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>

namespace {

struct HandTicked : TBLabel
{
    using TBLabel::tick;
};

} // namespace

TEST(BLabel, RunsAt500msOnItsOwnTimerAndOnlyANewSpeedRestartsThePeriodOr0StopsIt)
{
    TBLabel label;
    EXPECT_EQ(label.findChild<QTimer *>(QStringLiteral("Casovac")), label.timer());
    EXPECT_TRUE(label.active() && label.timer()->isActive());
    EXPECT_EQ(label.speed(), 500u);
    EXPECT_EQ(label.timer()->interval(), 500);
    EXPECT_EQ(label.textFormat(), Qt::PlainText); // a rotation never turns into markup

    label.timer()->setTimerType(Qt::PreciseTimer); // exact remaining times
    label.setSpeed(10000);
    const auto remaining = [&] { return label.timer()->remainingTime(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return remaining() <= 9800; }));
    const int before = remaining();
    label.setSpeed(10000);
    label.setActive(true);
    EXPECT_LE(remaining(), before);
    label.setSpeed(10001);
    EXPECT_GT(remaining(), 9900);

    // Beyond the timer's range: the value is kept and the timer runs its longest.
    label.setSpeed(UINT_MAX);
    EXPECT_EQ(label.speed(), UINT_MAX);
    EXPECT_EQ(label.timer()->interval(), INT_MAX);

    // At speed 0 no tick arrives, though the label stays active.
    TBLabel clock;
    label.setText(QStringLiteral("ab"));
    label.setSpeed(0);
    clock.setSpeed(1);
    QSignalSpy ticks(clock.timer(), &QTimer::timeout);
    QSignalSpy zeroTicks(label.timer(), &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 5; }));
    EXPECT_TRUE(label.active());
    EXPECT_EQ(zeroTicks.count(), 0);
    label.setSpeed(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return label.text() == QStringLiteral("ba"); }));
}

TEST(BLabel, EachTickMovesTheFirstVisibleCharacterToTheEnd)
{
    HandTicked label;
    label.setText(QStringLiteral("abc  "));
    for (const char *expected : {"bc  a", "c  ab", "  abc", " abc ", "abc  "}) {
        label.tick();
        EXPECT_EQ(label.text(), QLatin1String(expected));
    }

    // Combining marks, characters beyond the basic plane and CR LF stay whole.
    label.setText(QStringLiteral("e\u030Cx\U0001F600a\u0301\u0323\r\n"));
    label.tick();
    EXPECT_EQ(label.text(), QStringLiteral("x\U0001F600a\u0301\u0323\r\ne\u030C"));
    label.tick();
    label.tick();
    EXPECT_EQ(label.text(), QStringLiteral("a\u0301\u0323\r\ne\u030Cx\U0001F600"));
    // Texts the rotation leaves as they are.
    for (const QString &still : {QString(), QStringLiteral("aaa"), QStringLiteral("z\u030C")}) {
        label.setText(still);
        label.tick();
        EXPECT_EQ(label.text(), still);
    }

    // 75 characters, whether the letters are precomposed or not.
    const QString question = QStringLiteral(
        "Líbilo by se ti kdyby ti někdo mlátil do ikonky tvého programu?            ");
    for (const QString &start : {question, question.normalized(QString::NormalizationForm_D)}) {
        label.setText(start);
        for (int ticks = 1; ticks < 75; ++ticks) {
            label.tick();
            ASSERT_NE(label.text(), start) << ticks;
        }
        label.tick();
        EXPECT_EQ(label.text(), start);
    }
}
