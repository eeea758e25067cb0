#pragma once

#include "platform/platform.h"

#include <QList>
#include <QMimeData>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

// A scripted stand-in for the desktop services: it records every message and
// answers every question and dialog from its script. While it lives it is the
// program's services.
class FakeServices : public platform::Services
{
public:
    struct Shown
    {
        QString kind; // "message", "error", "confirm" or "box"
        QString text;
        QString caption;
    };

    FakeServices();
    ~FakeServices() override;

    // Answers of the next questions, in order.
    void setNextAnswer(bool ok);
    void setNextButton(platform::Button button);
    // The answer of the next choice: the index of the choice (-1: closed).
    void setNextChoice(int choice);
    // The next open or save dialog returns this file (empty: cancelled).
    void setNextFileName(const QString &fileName, int filterIndex = 1);
    void setNextFont(const std::optional<platform::FontChoice> &font);
    void setNextColour(const std::optional<QColor> &colour);
    void setNextPrinterSetup(bool ok);
    // The next dialog for several files returns these (none: cancelled).
    void setNextFileNames(const QStringList &fileNames);
    // The text the user types at the next prompt (none: cancelled).
    void setNextText(const std::optional<QString> &text);
    // The labels of the prompts shown, in order.
    QStringList prompts;
    // Whether the user prints from the next print preview (else closes it).
    void setNextPreview(bool print);
    // The next folder dialog returns this folder (empty: cancelled).
    void setNextFolder(const QString &folder);

    // The texts of everything shown, in order.
    QStringList texts() const;
    QList<Shown> shown;
    QList<platform::FileDialog> fileDialogs;
    // The starting folders of the folder dialogs shown.
    QStringList folderDialogs;
    int beeps = 0;
    int printed = 0;
    // Every print preview shown, and the last pages printed from one, as a
    // PDF painted by the program's own painting.
    int previews = 0;
    QByteArray previewPdf;
    QStringList trashed;
    // The trash is the desktop's (in the run's own data folder) instead of a
    // deletion.
    bool realTrash = false;
    QStringList urls;
    QStringList programs;
    std::unique_ptr<QMimeData> clipboard;
    platform::MemoryStatus memory;
    // Called with every message as it is shown, for checks of what the
    // program shows at that moment.
    std::function<void(const Shown &)> whenShown;
    // Questions or dialogs that came with no answer scripted.
    int unscripted = 0;

    void message(const QString &text) override;
    void error(const QString &text) override;
    bool confirm(const QString &text) override;
    platform::Button messageBox(const QString &caption, const QString &text,
                                platform::MessageKind kind, platform::Buttons buttons) override;
    int choose(const QString &text, const QStringList &choices,
               platform::MessageKind kind) override;
    // The choices of each choice shown, in order.
    QList<QStringList> choices;
    platform::FileChoice openFile(QWidget *parent, const platform::FileDialog &dialog) override;
    platform::FileChoice saveFile(QWidget *parent, const platform::FileDialog &dialog) override;
    QStringList openFiles(QWidget *parent, const platform::FileDialog &dialog) override;
    std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label,
                                   const QString &text) override;
    std::optional<platform::FontChoice> chooseFont(QWidget *parent,
                                                   const platform::FontDialog &dialog) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    QString chooseFolder(QWidget *parent, const QString &title, const QString &folder) override;
    bool printerSetup(QWidget *parent) override;
    bool print(const QTextDocument &document, const QString &jobTitle, QString *error) override;
    bool printPreview(QWidget *parent, const QString &jobTitle, const PaintPages &paint,
                      QString *error) override;
    bool moveToTrash(const QStringList &paths, QString *error) override;
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &program) override;
    void beep() override;
    platform::MemoryStatus memoryStatus() override;
    void setClipboard(QMimeData *data) override;
    const QMimeData *clipboardData() override { return clipboard.get(); }

private:
    void record(const QString &kind, const QString &text, const QString &caption);
    platform::FileChoice nextFile(const platform::FileDialog &dialog);

    std::deque<platform::Button> m_buttons;
    std::deque<int> m_choices;
    std::deque<platform::FileChoice> m_files;
    std::deque<std::optional<platform::FontChoice>> m_fonts;
    std::deque<std::optional<QColor>> m_colours;
    std::deque<bool> m_printerSetups;
    std::deque<QStringList> m_fileLists;
    std::deque<bool> m_previews;
    std::deque<QString> m_texts; // null: cancelled
    std::deque<QString> m_folders;
};
