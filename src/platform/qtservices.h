#pragma once

#include "platform.h"

#include <memory>

class QPrinter;

namespace platform {

// The services of a real desktop, through Qt.
class QtServices final : public Services
{
public:
    QtServices();
    ~QtServices() override;

    void message(const QString &text) override;
    void error(const QString &text) override;
    bool confirm(const QString &text) override;
    Button messageBox(const QString &caption, const QString &text, MessageKind kind,
                      Buttons buttons) override;
    FileChoice openFile(QWidget *parent, const FileDialog &dialog) override;
    FileChoice saveFile(QWidget *parent, const FileDialog &dialog) override;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontDialog &dialog) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    QString chooseFolder(QWidget *parent, const QString &title, const QString &folder) override;
    bool printerSetup(QWidget *parent) override;
    bool print(const QTextDocument &document, const QString &jobTitle, QString *error) override;
    bool moveToTrash(const QStringList &paths, QString *error) override;
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &program) override;
    void beep() override;
    MemoryStatus memoryStatus() override;
    void setClipboard(QMimeData *data) override;
    const QMimeData *clipboardData() override;

    // "Name|*.a;*.b|Other|*.c" as Qt's file dialog writes filters, each
    // pattern also in the other letter case.
    static QStringList qtFilters(const QString &filter);

    // The printer the print dialogs choose and prints go to.
    QPrinter &printer();

private:
    std::unique_ptr<QPrinter> m_printer;
};

// Reads the memory figures from the text of /proc/meminfo.
MemoryStatus parseMemInfo(const QByteArray &meminfo);

} // namespace platform
