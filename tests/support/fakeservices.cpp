#include "fakeservices.h"

#include "platform/trash.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>

using namespace platform;

FakeServices::FakeServices()
{
    setServices(this);
}

FakeServices::~FakeServices()
{
    setServices(nullptr);
}

void FakeServices::setNextAnswer(bool ok)
{
    m_buttons.push_back(ok ? Ok : Cancel);
}

void FakeServices::setNextButton(Button button)
{
    m_buttons.push_back(button);
}

void FakeServices::setNextFileName(const QString &fileName, int filterIndex)
{
    m_files.push_back(FileChoice{fileName, filterIndex});
}

void FakeServices::setNextFont(const std::optional<FontChoice> &font)
{
    m_fonts.push_back(font);
}

void FakeServices::setNextColour(const std::optional<QColor> &colour)
{
    m_colours.push_back(colour);
}

void FakeServices::setNextPrinterSetup(bool ok)
{
    m_printerSetups.push_back(ok);
}

QStringList FakeServices::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out << s.text;
    return out;
}

void FakeServices::record(const QString &kind, const QString &text, const QString &caption)
{
    shown.append({kind, text, caption});
    if (whenShown)
        whenShown(shown.last());
}

void FakeServices::message(const QString &text)
{
    record(QStringLiteral("message"), text, applicationTitle());
}

void FakeServices::error(const QString &text)
{
    record(QStringLiteral("error"), text, applicationTitle());
}

bool FakeServices::confirm(const QString &text)
{
    record(QStringLiteral("confirm"), text, applicationTitle());
    if (m_buttons.empty()) {
        ++unscripted;
        return false;
    }
    const Button answer = m_buttons.front();
    m_buttons.pop_front();
    return answer == Ok;
}

Button FakeServices::messageBox(const QString &caption, const QString &text, MessageKind,
                                Buttons buttons)
{
    record(QStringLiteral("box"), text, caption);
    if (m_buttons.empty()) {
        ++unscripted;
        return (buttons & Cancel) ? Cancel : (buttons & No) ? No : Ok;
    }
    const Button answer = m_buttons.front();
    m_buttons.pop_front();
    return answer;
}

void FakeServices::setNextChoice(int choice)
{
    m_choices.push_back(choice);
}

int FakeServices::choose(const QString &text, const QStringList &offered, MessageKind)
{
    record(QStringLiteral("choose"), text, applicationTitle());
    choices.append(offered);
    if (m_choices.empty()) {
        ++unscripted;
        return -1;
    }
    const int answer = m_choices.front();
    m_choices.pop_front();
    return answer;
}

FileChoice FakeServices::nextFile(const FileDialog &dialog)
{
    fileDialogs.append(dialog);
    if (m_files.empty()) {
        ++unscripted;
        return {};
    }
    FileChoice choice = m_files.front();
    m_files.pop_front();
    return choice;
}

FileChoice FakeServices::openFile(QWidget *, const FileDialog &dialog)
{
    return nextFile(dialog);
}

void FakeServices::setNextText(const std::optional<QString> &text)
{
    m_texts.push_back(text ? (text->isNull() ? QStringLiteral("") : *text) : QString());
}

std::optional<QString> FakeServices::askText(QWidget *, const QString &, const QString &label,
                                             const QString &)
{
    prompts << label;
    if (m_texts.empty()) {
        ++unscripted;
        return std::nullopt;
    }
    const QString text = m_texts.front();
    m_texts.pop_front();
    if (text.isNull())
        return std::nullopt;
    return text;
}

void FakeServices::setNextFileNames(const QStringList &fileNames)
{
    m_fileLists.push_back(fileNames);
}

QStringList FakeServices::openFiles(QWidget *, const FileDialog &dialog)
{
    fileDialogs << dialog;
    if (m_fileLists.empty()) {
        ++unscripted;
        return {};
    }
    QStringList files = m_fileLists.front();
    m_fileLists.pop_front();
    return files;
}

FileChoice FakeServices::saveFile(QWidget *, const FileDialog &dialog)
{
    return nextFile(dialog);
}

std::optional<FontChoice> FakeServices::chooseFont(QWidget *, const FontDialog &)
{
    if (m_fonts.empty()) {
        ++unscripted;
        return std::nullopt;
    }
    auto font = m_fonts.front();
    m_fonts.pop_front();
    return font;
}

void FakeServices::setNextFolder(const QString &folder)
{
    m_folders.push_back(folder);
}

QString FakeServices::chooseFolder(QWidget *, const QString &, const QString &folder)
{
    folderDialogs << folder;
    if (m_folders.empty()) {
        ++unscripted;
        return {};
    }
    QString chosen = m_folders.front();
    m_folders.pop_front();
    return chosen;
}

std::optional<QColor> FakeServices::chooseColour(QWidget *, const QColor &)
{
    if (m_colours.empty()) {
        ++unscripted;
        return std::nullopt;
    }
    auto colour = m_colours.front();
    m_colours.pop_front();
    return colour;
}

bool FakeServices::printerSetup(QWidget *)
{
    if (m_printerSetups.empty()) {
        ++unscripted;
        return false;
    }
    const bool ok = m_printerSetups.front();
    m_printerSetups.pop_front();
    return ok;
}

bool FakeServices::print(const QTextDocument &, const QString &, QString *)
{
    ++printed;
    return true;
}

void FakeServices::setNextPreview(bool print)
{
    m_previews.push_back(print);
}

bool FakeServices::printPreview(QWidget *, const QString &, const PaintPages &paint, QString *error)
{
    ++previews;
    if (m_previews.empty()) {
        ++unscripted;
        return false;
    }
    const bool print = m_previews.front();
    m_previews.pop_front();
    if (!print)
        return false;
    QBuffer buffer(&previewPdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    if (!paint(&writer, error))
        return false;
    ++printed;
    return true;
}

bool FakeServices::moveToTrash(const QStringList &paths, QString *error)
{
    if (realTrash && !platform::moveToTrash(paths, error))
        return false;
    for (const QString &path : paths) {
        QFile::remove(path);
        trashed << path;
    }
    return true;
}

bool FakeServices::openUrl(const QString &url)
{
    urls << url;
    return true;
}

bool FakeServices::startProgram(const QString &program)
{
    programs << program;
    return true;
}

void FakeServices::beep()
{
    ++beeps;
}

MemoryStatus FakeServices::memoryStatus()
{
    return memory;
}

void FakeServices::setClipboard(QMimeData *data)
{
    clipboard.reset(data);
}
