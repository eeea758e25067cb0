#include "qtservices.h"

#include "trash.h"

#include "fontdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

#include <utility>

namespace platform {
namespace {

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Question:
        return QMessageBox::Question;
    case MessageKind::Plain:
    case MessageKind::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

// Our buttons with Qt's and the Czech captions the program shows.
struct ButtonInfo
{
    Button button;
    QMessageBox::StandardButton qt;
    const char *caption;
};

constexpr ButtonInfo kButtons[] = {
    {Yes, QMessageBox::Yes, "&Ano"},
    {No, QMessageBox::No, "&Ne"},
    {Ok, QMessageBox::Ok, "OK"},
    {Cancel, QMessageBox::Cancel, "Storno"},
    {Abort, QMessageBox::Abort, "&Přerušit"},
    {Retry, QMessageBox::Retry, "&Opakovat"},
    {Ignore, QMessageBox::Ignore, "&Ignorovat"},
    {All, QMessageBox::SaveAll, "&Vše"},
    {NoToAll, QMessageBox::NoToAll, "N&e všem"},
    {YesToAll, QMessageBox::YesToAll, "A&no všem"},
    {Help, QMessageBox::Help, "&Nápověda"},
};

Button showBox(const QString &caption, const QString &text, MessageKind kind, Buttons buttons)
{
    QMessageBox box(iconOf(kind), caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<std::pair<QPushButton *, Button>> added;
    for (const ButtonInfo &info : kButtons) {
        if (buttons & info.button) {
            QPushButton *b = box.addButton(info.qt);
            b->setText(QString::fromUtf8(info.caption));
            added.emplace_back(b, info.button);
        }
    }
    if (added.empty()) {
        QPushButton *b = box.addButton(QMessageBox::Ok);
        added.emplace_back(b, Ok);
    }
    const auto find = [&added](Button wanted) -> QPushButton * {
        for (const auto &[pushButton, button] : added) {
            if (button == wanted)
                return pushButton;
        }
        return nullptr;
    };
    // Enter presses OK, else Yes, else Retry; Esc presses Cancel, else No,
    // else OK.
    for (Button b : {Ok, Yes, Retry}) {
        if (QPushButton *pushButton = find(b)) {
            box.setDefaultButton(pushButton);
            break;
        }
    }
    for (Button b : {Cancel, No, Ok}) {
        if (QPushButton *pushButton = find(b)) {
            box.setEscapeButton(pushButton);
            break;
        }
    }
    box.exec();
    for (const auto &[pushButton, button] : added) {
        if (box.clickedButton() == pushButton)
            return button;
    }
    // Closed with Escape or the title bar: the cancelling answer.
    if (buttons & Cancel)
        return Cancel;
    if (buttons & No)
        return No;
    return added.front().second;
}

// The patterns a filter name shows in parentheses at its end: "Text (*.txt)"
// shows "*.txt".
QStringList shownPatterns(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (!trimmed.endsWith(u')'))
        return {};
    const qsizetype open = trimmed.lastIndexOf(u'(');
    if (open < 0)
        return {};
    const QString inside = trimmed.mid(open + 1, trimmed.size() - open - 2);
    return inside.split(QRegularExpression(QStringLiteral("[ ;]")), Qt::SkipEmptyParts);
}

// The patterns in lower case, each once, in their order.
QStringList distinctLower(const QStringList &patterns)
{
    QStringList out;
    for (const QString &p : patterns) {
        const QString lower = p.trimmed().toLower();
        if (!lower.isEmpty() && !out.contains(lower))
            out << lower;
    }
    return out;
}

} // namespace

QtServices::QtServices() = default;
QtServices::~QtServices() = default;

void QtServices::message(const QString &text)
{
    showBox(applicationTitle(), text, MessageKind::Plain, Ok);
}

void QtServices::error(const QString &text)
{
    showBox(applicationTitle(), text, MessageKind::Error, Ok);
}

bool QtServices::confirm(const QString &text)
{
    return showBox(applicationTitle(), text, MessageKind::Question, Ok | Cancel) == Ok;
}

Button QtServices::messageBox(const QString &caption, const QString &text, MessageKind kind,
                              Buttons buttons)
{
    return showBox(caption, text, kind, buttons);
}

int QtServices::choose(const QString &text, const QStringList &choices, MessageKind kind)
{
    QMessageBox box(iconOf(kind), applicationTitle(), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<QPushButton *> buttons;
    for (const QString &choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (!buttons.isEmpty())
        box.setDefaultButton(buttons.first());
    box.exec();
    return int(buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
}

QStringList QtServices::qtFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &name = parts[i];
        const QStringList patterns = distinctLower(parts[i + 1].split(u';', Qt::SkipEmptyParts));
        // Qt's dialog matches the patterns whatever the letter case of the
        // files and of the patterns, so one spelling of each is enough.
        QStringList shown = distinctLower(shownPatterns(name));
        shown.sort();
        QStringList sorted = patterns;
        sorted.sort();
        if (!shown.isEmpty() && shown == sorted)
            out << name;
        else
            out << QStringLiteral("%1 (%2)").arg(name, patterns.join(u' '));
    }
    return out;
}

std::unique_ptr<QFileDialog> QtServices::fileDialog(QWidget *parent, const FileDialog &d, bool save)
{
    auto dialog = std::make_unique<QFileDialog>(parent, d.title, d.folder);
    // Qt's dialog matches the filters ignoring letter case; a desktop's
    // dialog may not (GTK's takes the patterns as written).
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !d.askOverwrite);
    const QStringList filters = qtFilters(d.filter);
    dialog->setNameFilters(filters);
    if (d.filterIndex >= 1 && d.filterIndex <= filters.size())
        dialog->selectNameFilter(filters[d.filterIndex - 1]);
    if (!d.fileName.isEmpty())
        dialog->selectFile(d.fileName);
    return dialog;
}

static FileChoice runFileDialog(QWidget *parent, const FileDialog &d, bool save)
{
    const std::unique_ptr<QFileDialog> dialog = QtServices::fileDialog(parent, d, save);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    const int index = int(dialog->nameFilters().indexOf(dialog->selectedNameFilter())) + 1;
    return FileChoice{dialog->selectedFiles().first(), index > 0 ? index : d.filterIndex};
}

FileChoice QtServices::openFile(QWidget *parent, const FileDialog &dialog)
{
    return runFileDialog(parent, dialog, false);
}

std::optional<QString> QtServices::askText(QWidget *parent, const QString &caption,
                                           const QString &label, const QString &text)
{
    bool ok = false;
    const QString typed =
        QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return typed;
}

QStringList QtServices::openFiles(QWidget *parent, const FileDialog &d)
{
    const std::unique_ptr<QFileDialog> dialog = QtServices::fileDialog(parent, d, false);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles();
}

FileChoice QtServices::saveFile(QWidget *parent, const FileDialog &dialog)
{
    return runFileDialog(parent, dialog, true);
}

std::optional<FontChoice> QtServices::chooseFont(QWidget *parent, const FontDialog &d)
{
    FontDialogWindow dialog(d, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

QString QtServices::chooseFolder(QWidget *parent, const QString &title, const QString &folder)
{
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

std::optional<QColor> QtServices::chooseColour(QWidget *parent, const QColor &initial)
{
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

QPrinter &QtServices::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

bool QtServices::printerSetup(QWidget *parent)
{
    QPrintDialog dialog(&printer(), parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtServices::print(const QTextDocument &document, const QString &jobTitle, QString *error)
{
    printer().setDocName(jobTitle);
    document.print(&printer());
    if (printer().printerState() == QPrinter::Error) {
        if (error)
            *error = QStringLiteral("Tisk se nezdařil.");
        return false;
    }
    return true;
}

bool QtServices::printPreview(QWidget *parent, const QString &jobTitle, const PaintPages &paint,
                              QString *error)
{
    printer().setDocName(jobTitle);
    QPrintPreviewDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Náhled tisku – %1").arg(jobTitle));
    // The preview paints on pictures of the pages, printing (which closes
    // the dialog as accepted) on the printer itself.
    QString failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        QString why;
        if (!paint(target, &why))
            failure = why;
        else if (target->printerState() == QPrinter::Error)
            failure = QStringLiteral("Tisk se nezdařil.");
    });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return false;
    }
    return accepted;
}

bool QtServices::moveToTrash(const QStringList &paths, QString *error)
{
    return platform::moveToTrash(paths, error);
}

bool QtServices::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

bool QtServices::startProgram(const QString &program)
{
    return QProcess::startDetached(program, {});
}

void QtServices::beep()
{
    QApplication::beep();
}

MemoryStatus parseMemInfo(const QByteArray &meminfo)
{
    quint64 total = 0;
    quint64 available = 0;
    for (const QByteArray &line : meminfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        if (fields[0] == "MemTotal:")
            total = fields[1].toULongLong();
        else if (fields[0] == "MemAvailable:")
            available = fields[1].toULongLong();
    }
    MemoryStatus status;
    status.totalPhysicalKb = total;
    if (total > 0 && available <= total)
        status.memoryLoadPercent = int((total - available) * 100 / total);
    return status;
}

MemoryStatus QtServices::memoryStatus()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMemInfo(file.readAll());
}

void QtServices::setClipboard(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

const QMimeData *QtServices::clipboardData()
{
    return QGuiApplication::clipboard()->mimeData();
}

} // namespace platform
