#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <stdexcept>

// A non-visual component that asks a question in a modal message box and
// turns the answer into one of its events, so a window wires the outcomes of
// a question as ordinary handlers.
class TZpravy : public QObject
{
    Q_OBJECT
public:
    // Kinds of message box; each but Custom shows the system icon of its kind.
    enum class Kind { Warning, Error, Information, Confirmation, Custom };

    // Buttons, in the order they are shown.
    enum Button : unsigned {
        Yes = 1u << 0,
        No = 1u << 1,
        OK = 1u << 2,
        Cancel = 1u << 3,
        Abort = 1u << 4,
        Retry = 1u << 5,
        Ignore = 1u << 6,
        All = 1u << 7,
        NoToAll = 1u << 8,
        YesToAll = 1u << 9,
        Help = 1u << 10,
    };
    using Buttons = unsigned;

    // Shows a box and returns the button pressed: Enter presses OK, else Yes,
    // else Retry; Esc presses Cancel, else No, else OK; the close box answers
    // Cancel.
    using Show = std::function<Button(const QString &title, const QString &text, Kind kind,
                                      Buttons buttons)>;

    // A text with a conversion specifier other than "%%".
    class FormatError : public std::invalid_argument
    {
    public:
        using std::invalid_argument::invalid_argument;
    };

    explicit TZpravy(QObject *parent = nullptr);

    int Tag = 0;

    // Shows the box and then runs at most one event: OK → OnOK, Cancel →
    // OnCancel, Yes → OnYes, No → OnNo; other answers run nothing. Throws
    // FormatError, before any box is shown, for a bad text.
    void Execute(const QString &text, const QString &title, Kind kind, Buttons buttons);

    // The text as the box shows it: "%%" becomes "%"; any other "%" is a
    // conversion specifier without an argument and throws FormatError.
    static QString formatText(const QString &text);

    // How every TZpravy shows its box; the default is a plain Qt message box.
    static void setShow(Show show);

signals:
    void OnYes(TZpravy *sender);
    void OnNo(TZpravy *sender);
    void OnOK(TZpravy *sender);
    void OnCancel(TZpravy *sender);
};
