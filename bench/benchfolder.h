#pragma once

#include "platform/platform.h"

#include <QString>

// What the benchmarks share: program folders of a chosen size, and desktop
// services that never block, so a run cannot stop on a message box.
namespace bench {

// "Knihovna číslo 0007": the name of the `index`-th library of a folder.
QString libraryName(int index);
// "Vtip číslo 12345".
QString jokeName(int index);

// Fills `folder` (created when missing) with what the program reads from its
// folder: "pozadi.bmp", "chichotek.cfg" and "DataBase" with `libraries`
// complete libraries of `jokesPerLibrary` jokes each, listed in "seznam.dat".
// Joke texts are not written; only the lists are. False with a description
// when a file cannot be written.
bool makeProgramFolder(const QString &folder, int libraries, int jokesPerLibrary,
                       QString *error = nullptr);

// Services that answer without showing anything. A message or an error is
// printed to stderr and remembered, so a benchmark can tell that the program
// did not take its normal path.
class QuietServices : public platform::Services
{
public:
    QuietServices();
    ~QuietServices() override;
    QuietServices(const QuietServices &) = delete;
    QuietServices &operator=(const QuietServices &) = delete;

    // Messages and errors raised so far.
    int raised() const { return m_raised; }

    void message(const QString &text) override;
    void error(const QString &text) override;
    bool confirm(const QString &text) override;
    platform::Button messageBox(const QString &caption, const QString &text,
                                platform::MessageKind kind, platform::Buttons buttons) override;
    int choose(const QString &text, const QStringList &choices,
               platform::MessageKind kind) override;
    platform::FileChoice openFile(QWidget *parent, const platform::FileDialog &dialog) override;
    platform::FileChoice saveFile(QWidget *parent, const platform::FileDialog &dialog) override;
    std::optional<platform::FontChoice> chooseFont(QWidget *parent,
                                                   const platform::FontDialog &dialog) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    QString chooseFolder(QWidget *, const QString &, const QString &) override { return {}; }
    QStringList openFiles(QWidget *, const platform::FileDialog &) override { return {}; }
    std::optional<QString> askText(QWidget *, const QString &, const QString &,
                                   const QString &) override
    {
        return std::nullopt;
    }
    bool printPreview(QWidget *, const QString &, const PaintPages &, QString *) override
    {
        return false;
    }
    bool printerSetup(QWidget *parent) override;
    bool print(const QTextDocument &document, const QString &jobTitle, QString *error) override;
    bool moveToTrash(const QStringList &paths, QString *error) override;
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &program) override;
    void beep() override;
    platform::MemoryStatus memoryStatus() override;
    void setClipboard(QMimeData *data) override;
    const QMimeData *clipboardData() override { return nullptr; }

private:
    void report(const char *kind, const QString &text);

    int m_raised = 0;
};

// Peak resident memory of this process so far, in kilobytes.
long peakResidentKb();

} // namespace bench
