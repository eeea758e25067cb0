#pragma once

#include "platform.h"

#include <memory>

class QFileDialog;
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
    int choose(const QString &text, const QStringList &choices, MessageKind kind) override;
    FileChoice openFile(QWidget *parent, const FileDialog &dialog) override;
    FileChoice saveFile(QWidget *parent, const FileDialog &dialog) override;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontDialog &dialog) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    QString chooseFolder(QWidget *parent, const QString &title, const QString &folder) override;
    bool printerSetup(QWidget *parent) override;
    bool print(const QTextDocument &document, const QString &jobTitle, QString *error) override;
    bool printPreview(QWidget *parent, const QString &jobTitle, const PaintPages &paint,
                      QString *error) override;
    QStringList openFiles(QWidget *parent, const FileDialog &dialog) override;
    std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label,
                                   const QString &text) override;
    bool moveToTrash(const QStringList &paths, QString *error) override;
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &program) override;
    void beep() override;
    MemoryStatus memoryStatus() override;
    void setClipboard(QMimeData *data) override;
    const QMimeData *clipboardData() override;

    // "Name|*.a;*.b|Other|*.c" as Qt's file dialog writes filters: each
    // name followed by its patterns once, in lower case ("Name (*.a *.b)"),
    // or left as it is when it shows its patterns already, whatever their
    // letter case ("Text (*.txt)|*.TXT" stays "Text (*.txt)").
    static QStringList qtFilters(const QString &filter);
    // The open or save dialog that openFile() and saveFile() show, set up
    // but not shown yet. It is Qt's own dialog, whatever the desktop's, so
    // that a filter lists its files whatever their letter case, as on the
    // home platform.
    static std::unique_ptr<QFileDialog> fileDialog(QWidget *parent, const FileDialog &dialog,
                                                   bool save);

    // The printer the print dialogs choose and prints go to.
    QPrinter &printer();

private:
    std::unique_ptr<QPrinter> m_printer;
};

// Reads the memory figures from the text of /proc/meminfo.
MemoryStatus parseMemInfo(const QByteArray &meminfo);

} // namespace platform
