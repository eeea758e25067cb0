#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QMimeData;
class QPagedPaintDevice;
class QTextDocument;
class QWidget;

// The services of the desktop the program runs on: message boxes, the
// standard dialogs, the recycle bin, the shell, the beep, the memory figures,
// printing and the clipboard. Windows reach them only through `services()`,
// so tests can put a scripted stand-in in their place.
namespace platform {

// The kind of a message box: its icon and the default caption.
enum class MessageKind { Plain, Information, Warning, Error, Question, Custom };

// Buttons of a message box; also the answer (the button pressed).
enum Button : unsigned {
    NoButton = 0,
    Ok = 1u << 0,
    Cancel = 1u << 1,
    Yes = 1u << 2,
    No = 1u << 3,
    Abort = 1u << 4,
    Retry = 1u << 5,
    Ignore = 1u << 6,
    All = 1u << 7,
    NoToAll = 1u << 8,
    YesToAll = 1u << 9,
    Help = 1u << 10,
};
using Buttons = unsigned;

// An open or save dialog. Filters in the form "RTF Dokument|*.RTF|Text|*.TXT";
// `filterIndex` counts from 1, as the filter list is written.
struct FileDialog
{
    QString title;
    QString filter;
    int filterIndex = 1;
    QString folder;
    QString fileName;
    bool mustExist = true;
    bool askOverwrite = false;
    bool picturePreview = false;
};

// The answer of an open or save dialog: the chosen file (empty when the user
// cancelled) and the filter chosen last.
struct FileChoice
{
    QString fileName;
    int filterIndex = 1;
    bool accepted() const { return !fileName.isEmpty(); }
};

struct FontDialog
{
    QFont font;
    QColor colour;
    bool effects = true;
    int minSize = 0;
    int maxSize = 0;
};

struct FontChoice
{
    QFont font;
    QColor colour;
};

struct MemoryStatus
{
    quint64 totalPhysicalKb = 0;
    int memoryLoadPercent = 0;
};

class Services
{
public:
    virtual ~Services();

    // A modal box with the text, one OK button and no icon, captioned with the
    // application title.
    virtual void message(const QString &text) = 0;
    // The last-resort report of a failure: an error box captioned with the
    // application title.
    virtual void error(const QString &text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString &text) = 0;
    // A box of the given kind and buttons; returns the button pressed.
    virtual Button messageBox(const QString &caption, const QString &text, MessageKind kind,
                              Buttons buttons) = 0;
    // A question answered by one of `choices`, the captions of its buttons
    // (the first is the default), captioned with the application title;
    // returns the index of the choice, or -1 when the box was closed without
    // one.
    virtual int choose(const QString &text, const QStringList &choices,
                       MessageKind kind = MessageKind::Question) = 0;

    // A line of text the user types, starting as `text`; none when
    // cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &caption,
                                           const QString &label, const QString &text) = 0;
    virtual FileChoice openFile(QWidget *parent, const FileDialog &dialog) = 0;
    // Several existing files chosen at once; none when cancelled.
    virtual QStringList openFiles(QWidget *parent, const FileDialog &dialog) = 0;
    virtual FileChoice saveFile(QWidget *parent, const FileDialog &dialog) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget *parent, const FontDialog &dialog) = 0;
    virtual std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) = 0;
    // A folder chosen by the user, starting at `folder`; empty when cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &title, const QString &folder) = 0;

    // The printer-setup dialog; true when the user confirmed it.
    virtual bool printerSetup(QWidget *parent) = 0;
    // Prints the document on the printer chosen last; false with a
    // description on failure.
    virtual bool print(const QTextDocument &document, const QString &jobTitle, QString *error) = 0;
    // Paints pages on a printer or a preview of one; false with a
    // description when it cannot.
    using PaintPages = std::function<bool(QPagedPaintDevice *device, QString *error)>;
    // The print preview of what `paint` paints, on the printer chosen last;
    // the user prints from it or closes it. True when printed; false when
    // closed, or with a description in `error` when printing failed.
    virtual bool printPreview(QWidget *parent, const QString &jobTitle, const PaintPages &paint,
                              QString *error) = 0;

    // Moves the files to the recycle bin; false with a description on failure.
    virtual bool moveToTrash(const QStringList &paths, QString *error) = 0;
    // Hands a web or "mailto:" address to the system's handler.
    virtual bool openUrl(const QString &url) = 0;
    // Starts a program without waiting for it.
    virtual bool startProgram(const QString &program) = 0;
    virtual void beep() = 0;
    virtual MemoryStatus memoryStatus() = 0;
    // Takes ownership of `data`.
    virtual void setClipboard(QMimeData *data) = 0;
    // What the clipboard holds; null when nothing.
    virtual const QMimeData *clipboardData() = 0;
};

// The program-wide services. Until `setServices` is called they are the real
// desktop ones.
Services &services();
// Puts `replacement` in place of the services (not owned); nullptr restores
// the desktop ones.
void setServices(Services *replacement);

// The application title that captions plain messages.
QString applicationTitle();

} // namespace platform
