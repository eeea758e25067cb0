// The shown joke out of the main window: saved, printed or copied; and the font
// of the joke view.

#include "Unit1.h"

#include "platform/platform.h"
#include "store/files.h"
#include "store/richclipboard.h"
#include "store/rtfwriter.h"

#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include <optional>

void THLAVNI::enableJokeOutput(bool on)
{
    for (QAction *output :
         {KopVtip, Tisk, NahledTisku, UlozVtip, Koprovatdoschrnky1, Vytisknout1, Uloitjako1})
        output->setEnabled(on);
    for (QToolButton *output : {RychUloz, RychTisk, VtipCopy})
        output->setEnabled(on);
}

void THLAVNI::UlozVtipClick()
{
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Uložit vtip jako...");
    dialog.filter = QStringLiteral("RTF Dokument|*.RTF|Textový dokument (*.txt)|*.TXT");
    dialog.filterIndex = m_saveFilter;
    dialog.fileName = Edit->text();
    dialog.mustExist = false;
    dialog.askOverwrite = true;
    const platform::FileChoice choice = platform::services().saveFile(this, dialog);
    if (!choice.accepted())
        return;
    finishJoke();
    m_saveFilter = choice.filterIndex;
    QString error;
    bool written = true;
    if (m_saveFilter == 1) {
        written = store::writeExternal(choice.fileName + QStringLiteral(".rtf"),
                                       store::writeRtf(*Vtip->document()), &error);
    } else if (m_saveFilter == 2) {
        Odloz = Vtip->document()->toPlainText().split(u'\n');
        written = store::writeExternal(choice.fileName + QStringLiteral(".txt"),
                                       store::writePlainText(*Vtip->document()), &error);
        Odloz.clear();
    }
    if (!written)
        platform::services().error(error);
}

void THLAVNI::RychTiskClick()
{
    if (!platform::services().printerSetup(this))
        return;
    finishJoke();
    QString error;
    if (!platform::services().print(*Vtip->document(), Edit->text(), &error))
        platform::services().error(error);
}

void THLAVNI::Tiskrny1Click()
{
    platform::services().printerSetup(this);
}

void THLAVNI::copyJoke(bool whole)
{
    finishJoke();
    if (whole)
        Vtip->selectAll();
    if (QMimeData *data = store::selectionMimeData(Vtip->textCursor()))
        platform::services().setClipboard(data);
}

void THLAVNI::VtipCopyClick()
{
    copyJoke(true);
}

void THLAVNI::Koprovatdoschrnky1Click()
{
    copyJoke(false);
}

void THLAVNI::KopVtipClick()
{
    copyJoke(true);
}

void THLAVNI::Psmo1Click()
{
    platform::services().message(QStringLiteral("Nedoporučujeme měnit!!!"));
    finishJoke();
    Vtip->selectAll();
    FontDialogFont = Vtip->font();
    platform::FontDialog dialog;
    dialog.font = FontDialogFont;
    dialog.colour = Vtip->palette().color(QPalette::Text);
    dialog.effects = true;
    dialog.minSize = 4;
    dialog.maxSize = 17;
    const std::optional<platform::FontChoice> choice =
        platform::services().chooseFont(this, dialog);
    if (!choice)
        return;
    Vtip->setFont(choice->font);
    QPalette palette = Vtip->palette();
    palette.setColor(QPalette::Text, choice->colour);
    Vtip->setPalette(palette);
}
