// The main window's look: the background picture, the buttons of the quick
// panel, and the panel taken out of the window and put back.

#include "Unit1.h"

#include "Unit1Parts.h"
#include "controls/picturebox.h"
#include "platform/platform.h"
#include "store/settings.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QImageReader>
#include <QToolButton>

void THLAVNI::Obrzek1Click()
{
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Nahraj obrázek.....");
    dialog.filter = QStringLiteral(
        "Všechny obrázky (*.bmp;*.jpg;*.jpeg;*.ico;*.emf;*.wmf)|*.bmp;*.jpg;*.jpeg;*.ico;*.emf;"
        "*.wmf|Bitmapy (*.bmp)|*.bmp|Obrázky JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|Ikonky (*.ico)|*.ico|"
        "Rozšířené metasoubory (*.emf)|*.emf|Metasoubory (*.wmf)|*.wmf");
    dialog.mustExist = true;
    dialog.picturePreview = true;
    const platform::FileChoice choice = platform::services().openFile(this, dialog);
    if (!choice.accepted())
        return;
    QImageReader reader(choice.fileName);
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        platform::services().error(QStringLiteral("Obrázek „%1“ nelze načíst.")
                                       .arg(QDir::toNativeSeparators(choice.fileName)));
        return;
    }
    Pozadi->setImage(picture);
    QString error;
    if (!store::writeBackground(picture, kSilver, &error))
        platform::services().error(error);
}

void THLAVNI::toggle(QAction *item, QWidget *button)
{
    const bool on = !item->isChecked();
    button->setVisible(on);
    item->setChecked(on);
}

void THLAVNI::RozClick()
{
    const bool on = !Roz->isChecked();
    Pozadi->setStretch(on);
    Roz->setChecked(on);
}

void THLAVNI::CentrClick()
{
    const bool on = !Centr->isChecked();
    Pozadi->setCenter(on);
    Centr->setChecked(on);
}

void THLAVNI::UlozZobrClick()
{
    toggle(UlozZobr, RychUloz);
}

void THLAVNI::ZobTiskClick()
{
    toggle(ZobTisk, RychTisk);
}

void THLAVNI::ZobCopyVtipClick()
{
    toggle(ZobCopyVtip, VtipCopy);
}

void THLAVNI::ZobPismoClick()
{
    toggle(ZobPismo, RychPismo);
}

void THLAVNI::floatPanel(const QPoint &topLeft)
{
    const bool shown = !Panel->isHidden();
    m_panelHome = Panel->pos();
    Panel->setParent(this, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::CustomizeWindowHint);
    Panel->setGeometry(QRect(topLeft, Panel->size()));
    Panel->setVisible(shown);
}

void THLAVNI::dockPanel()
{
    if (!Panel->isWindow())
        return;
    const bool shown = !Panel->isHidden();
    Panel->setParent(centralWidget(), Qt::Widget);
    Panel->move(m_panelHome);
    Panel->setVisible(shown);
}

void THLAVNI::dropPanel(const QPoint &topLeft)
{
    const QPoint home = Panel->isWindow() ? m_panelHome : Panel->pos();
    const QRect place(centralWidget()->mapToGlobal(home), Panel->size());
    // Dropped over its place, the panel docks there; anywhere else it floats.
    if (QRect(topLeft, Panel->size()).intersects(place)) {
        dockPanel();
        return;
    }
    if (Panel->isWindow())
        Panel->setGeometry(QRect(topLeft, Panel->size()));
    else
        floatPanel(topLeft);
}
