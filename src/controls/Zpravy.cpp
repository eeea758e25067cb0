#include "Zpravy.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {

struct ButtonOfBox
{
    TZpravy::Button button;
    QMessageBox::StandardButton qt;
};

// In the order the buttons are shown.
constexpr ButtonOfBox kButtons[] = {
    {TZpravy::Yes, QMessageBox::Yes},         {TZpravy::No, QMessageBox::No},
    {TZpravy::OK, QMessageBox::Ok},           {TZpravy::Cancel, QMessageBox::Cancel},
    {TZpravy::Abort, QMessageBox::Abort},     {TZpravy::Retry, QMessageBox::Retry},
    {TZpravy::Ignore, QMessageBox::Ignore},   {TZpravy::All, QMessageBox::SaveAll},
    {TZpravy::NoToAll, QMessageBox::NoToAll}, {TZpravy::YesToAll, QMessageBox::YesToAll},
    {TZpravy::Help, QMessageBox::Help},
};

TZpravy::Button showQtBox(const QString &title, const QString &text, TZpravy::Kind kind,
                          TZpravy::Buttons buttons)
{
    static const QMessageBox::Icon icons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                              QMessageBox::Information, QMessageBox::Question,
                                              QMessageBox::NoIcon};
    QMessageBox box(icons[int(kind)], title, text);
    std::vector<std::pair<QAbstractButton *, TZpravy::Button>> shown;
    for (const ButtonOfBox &b : kButtons) {
        if (buttons & b.button)
            shown.emplace_back(box.addButton(b.qt), b.button);
    }
    const auto find = [&](TZpravy::Button wanted) -> QAbstractButton * {
        for (const auto &[pushButton, button] : shown) {
            if (button == wanted)
                return pushButton;
        }
        return nullptr;
    };
    for (TZpravy::Button b : {TZpravy::OK, TZpravy::Yes, TZpravy::Retry}) {
        if (auto *pushButton = qobject_cast<QPushButton *>(find(b))) {
            box.setDefaultButton(pushButton);
            break;
        }
    }
    for (TZpravy::Button b : {TZpravy::Cancel, TZpravy::No, TZpravy::OK}) {
        if (QAbstractButton *pushButton = find(b)) {
            box.setEscapeButton(pushButton);
            break;
        }
    }
    box.exec();
    for (const auto &[pushButton, button] : shown) {
        if (box.clickedButton() == pushButton)
            return button;
    }
    return TZpravy::Cancel;
}

TZpravy::Show &currentShow()
{
    static TZpravy::Show show = showQtBox;
    return show;
}

} // namespace

TZpravy::TZpravy(QObject *parent) : QObject(parent)
{}

void TZpravy::setShow(Show show)
{
    currentShow() = show ? std::move(show) : Show(showQtBox);
}

QString TZpravy::formatText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        throw FormatError("Format '" + text.toStdString() +
                          "' invalid or incompatible with argument");
    }
    return out;
}

void TZpravy::Execute(const QString &text, const QString &title, Kind kind, Buttons buttons)
{
    const QString shownText = formatText(text);
    switch (currentShow()(title, shownText, kind, buttons)) {
    case OK:
        emit OnOK(this);
        break;
    case Cancel:
        emit OnCancel(this);
        break;
    case Yes:
        emit OnYes(this);
        break;
    case No:
        emit OnNo(this);
        break;
    default:
        break;
    }
}
