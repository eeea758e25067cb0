#include "controls/Zpravy.h"

#include <gtest/gtest.h>

namespace {

// Answers every box with `answer` and logs each box ("title|text|kind|buttons")
// and each event of `z`.
struct Scripted
{
    Scripted(TZpravy &z, TZpravy::Button answer)
    {
        TZpravy::setShow([this, answer](const QString &title, const QString &text,
                                        TZpravy::Kind kind, TZpravy::Buttons buttons) {
            log << QStringLiteral("%1|%2|%3|%4").arg(title, text).arg(int(kind)).arg(buttons);
            return answer;
        });
        const std::pair<void (TZpravy::*)(TZpravy *), QString> events[] = {
            {&TZpravy::OnYes, "yes"},
            {&TZpravy::OnNo, "no"},
            {&TZpravy::OnOK, "ok"},
            {&TZpravy::OnCancel, "cancel"}};
        for (const auto &[event, name] : events) {
            QObject::connect(&z, event, [this, &z, name](TZpravy *sender) {
                log << (sender == &z ? name : name + QStringLiteral(" from another"));
            });
        }
    }
    ~Scripted() { TZpravy::setShow(nullptr); }
    QStringList log;
};

} // namespace

TEST(Zpravy, EachAnswerRunsAtMostItsOwnEvent)
{
    const std::pair<TZpravy::Button, QStringList> cases[] = {
        {TZpravy::OK, {"ok"}},  {TZpravy::Cancel, {"cancel"}}, {TZpravy::Yes, {"yes"}},
        {TZpravy::No, {"no"}},  {TZpravy::Abort, {}},          {TZpravy::Retry, {}},
        {TZpravy::YesToAll, {}}};
    for (const auto &[answer, events] : cases) {
        SCOPED_TRACE(answer);
        TZpravy z;
        Scripted box(z, answer);
        z.Execute(QStringLiteral("Otázka"), QStringLiteral("Titulek"), TZpravy::Kind::Warning,
                  TZpravy::OK | TZpravy::Cancel);
        EXPECT_EQ(box.log, QStringList{"Titulek|Otázka|0|12"} + events); // Warning, OK | Cancel
    }
}

TEST(Zpravy, TextIsFormattedBeforeTheBoxIsShown)
{
    TZpravy z;
    Scripted box(z, TZpravy::OK);
    z.Execute(QStringLiteral("100%% jistě"), QStringLiteral("Varování"), TZpravy::Kind::Error,
              TZpravy::Yes | TZpravy::No);
    // A bad text shows no box and runs no event.
    for (const char *bad : {"50 %", "%s", "konec %", "%d%%"}) {
        EXPECT_THROW(
            z.Execute(QString::fromUtf8(bad), QString(), TZpravy::Kind::Warning, TZpravy::OK),
            TZpravy::FormatError)
            << bad;
    }
    EXPECT_EQ(box.log, (QStringList{"Varování|100% jistě|1|3", "ok"})); // Error, Yes | No
}
