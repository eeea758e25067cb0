#include "controls/Zpravy.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Answers every box with `answer` and remembers what it showed.
struct ScriptedBox
{
    explicit ScriptedBox(TZpravy::Button answer)
    {
        TZpravy::setShow([this, answer](const QString &title, const QString &text,
                                        TZpravy::Kind kind, TZpravy::Buttons buttons) {
            ++shown;
            lastTitle = title;
            lastText = text;
            lastKind = kind;
            lastButtons = buttons;
            return answer;
        });
    }
    ~ScriptedBox() { TZpravy::setShow(nullptr); }
    int shown = 0;
    QString lastTitle;
    QString lastText;
    TZpravy::Kind lastKind = TZpravy::Kind::Custom;
    TZpravy::Buttons lastButtons = 0;
};

struct Spies
{
    explicit Spies(TZpravy &z)
        : yes(&z, &TZpravy::OnYes), no(&z, &TZpravy::OnNo), ok(&z, &TZpravy::OnOK),
          cancel(&z, &TZpravy::OnCancel)
    {
    }
    QSignalSpy yes, no, ok, cancel;
};

} // namespace

TEST(Zpravy, EachAnswerRunsAtMostItsOwnEvent)
{
    const struct
    {
        TZpravy::Button answer;
        int yes, no, ok, cancel;
    } cases[] = {
        {TZpravy::OK, 0, 0, 1, 0},    {TZpravy::Cancel, 0, 0, 0, 1}, {TZpravy::Yes, 1, 0, 0, 0},
        {TZpravy::No, 0, 1, 0, 0},    {TZpravy::Abort, 0, 0, 0, 0},  {TZpravy::Retry, 0, 0, 0, 0},
        {TZpravy::YesToAll, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        ScriptedBox box(c.answer);
        TZpravy z;
        Spies s(z);
        z.Execute(QStringLiteral("Otázka"), QStringLiteral("Titulek"), TZpravy::Kind::Warning,
                  TZpravy::OK | TZpravy::Cancel);
        EXPECT_EQ(box.shown, 1);
        EXPECT_EQ(s.yes.count(), c.yes);
        EXPECT_EQ(s.no.count(), c.no);
        EXPECT_EQ(s.ok.count(), c.ok);
        EXPECT_EQ(s.cancel.count(), c.cancel);
        if (s.ok.count() == 1) {
            EXPECT_EQ(s.ok.first().at(0).value<TZpravy *>(), &z);
        }
    }
}

TEST(Zpravy, TextIsFormattedBeforeTheBoxIsShown)
{
    ScriptedBox box(TZpravy::OK);
    TZpravy z;
    z.Execute(QStringLiteral("100%% jistě"), QStringLiteral("Varování"), TZpravy::Kind::Error,
              TZpravy::Yes | TZpravy::No);
    EXPECT_EQ(box.lastText, QStringLiteral("100% jistě"));
    EXPECT_EQ(box.lastTitle, QStringLiteral("Varování"));
    EXPECT_EQ(box.lastKind, TZpravy::Kind::Error);
    EXPECT_EQ(box.lastButtons, TZpravy::Yes | TZpravy::No);

    Spies s(z);
    for (const char *bad : {"50 %", "%s", "konec %", "%d%%"}) {
        EXPECT_THROW(z.Execute(QString::fromUtf8(bad), QString(), TZpravy::Kind::Warning,
                               TZpravy::OK),
                     TZpravy::FormatError)
            << bad;
    }
    EXPECT_EQ(box.shown, 1);
    EXPECT_EQ(s.ok.count(), 0);
}
