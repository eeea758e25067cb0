#include "Unit4.h"

#include "Program.h"
#include "Unit1.h"
#include "Unit3.h"
#include "controls/colours.h"
#include "controls/picturebox.h"
#include "platform/platform.h"
#include "version.h"

#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

const QString MaintainerWeb = QStringLiteral("http://chichotek.example.org");
const QString MaintainerEmail = QStringLiteral("chichotek@example.org");

namespace {

QLabel *label(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(geometry);
    return l;
}

void colour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void bold(QLabel *label, int pixelSize = 0)
{
    QFont font = label->font();
    font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    label->setFont(font);
}

void link(QLabel *label, const QColor &textColour, const QString &hint)
{
    colour(label, textColour);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(hint);
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("O aplikaci..."));
    setWindowIcon(THLAVNI::programIcon());
    setFixedSize(239, 137);
    // The coloured captions and addresses read on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(4, 4, 231, 101);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    PodIkonka = new QFrame(Panel1);
    PodIkonka->setObjectName(QStringLiteral("PodIkonka"));
    PodIkonka->setGeometry(8, 8, 49, 49);
    PodIkonka->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PodIkonka->setLineWidth(2);

    ProgramIcon = new PictureBox(PodIkonka);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(2, 2, 45, 45);
    ProgramIcon->setStretch(true);
    ProgramIcon->setImage(THLAVNI::programIcon().pixmap(32, 32).toImage());
    ProgramIcon->setCursor(Qt::PointingHandCursor);
    connect(ProgramIcon, &PictureBox::doubleClicked, this, [this] { ProgramIconDblClick(); });
    ProgramIcon->setAccessibleName(QStringLiteral("Ikonka programu"));

    Label1 = label(Panel1, "Label1", QRect(62, 8, 162, 24), QStringLiteral("Chichotek"));
    bold(Label1, 20);
    colour(Label1, Qt::red);

    Version = label(Panel1, "Version", QRect(62, 38, 40, 13), QStringLiteral("Verze:"));
    bold(Version);
    Label2 = label(Panel1, "Label2", QRect(104, 38, 40, 13), QStringLiteral(CHICHOTEK_VERSION));
    // The figures stand at the right edge, so that long numbers of large
    // memories keep clear of their captions.
    Vol = label(Panel1, "Vol", QRect(62, 38, 100, 13), QStringLiteral("Celková paměť:"));
    PhysMem = label(Panel1, "PhysMem", QRect(126, 38, 98, 13), QStringLiteral("0"));
    Pouz = label(Panel1, "Pouz", QRect(62, 52, 100, 13), QStringLiteral("Používaná paměť:"));
    FreeRes = label(Panel1, "FreeRes", QRect(160, 52, 64, 13), QStringLiteral("0"));
    for (QLabel *figure : {PhysMem, FreeRes})
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *figure : {Vol, PhysMem, Pouz, FreeRes})
        figure->hide();
    for (QLabel *version : {Version, Label2})
        version->installEventFilter(this);

    Label6 = label(Panel1, "Label6", QRect(8, 66, 36, 13), QStringLiteral("Web:"));
    Label4 = label(Panel1, "Label4", QRect(8, 82, 36, 13), QStringLiteral("Email:"));
    for (QLabel *caption : {Label6, Label4}) {
        bold(caption);
        colour(caption, Qt::red);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Label3 = label(Panel1, "Label3", QRect(50, 66, 176, 13), MaintainerWeb);
    link(Label3, Qt::blue, QStringLiteral("Kliknutím otevři webovou stránku..."));
    Label5 = label(Panel1, "Label5", QRect(50, 82, 176, 13), MaintainerEmail);
    link(Label5, QColor(0x00, 0x00, 0x80), QStringLiteral("Kliknutím pošli Email..."));
    for (QLabel *address : {Label3, Label5}) {
        address->adjustSize();
        address->installEventFilter(this);
    }

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(82, 110, 75, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    FormCreate();
}

void TAboutBox::FormCreate()
{
    fillMemoryFigures();
}

void TAboutBox::fillMemoryFigures()
{
    const platform::MemoryStatus memory = platform::services().memoryStatus();
    PhysMem->setText(QLocale().toString(qulonglong(memory.totalPhysicalKb)) +
                     QStringLiteral(" KB"));
    FreeRes->setText(QString::number(memory.memoryLoadPercent) + QStringLiteral(" %"));
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        // Centred on the screen, whatever the main window's place.
        if (const QScreen *shown = parentWidget() ? parentWidget()->screen() : screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(shown->geometry().center());
            move(frame.topLeft());
        }
        FormShow();
    }
    QDialog::showEvent(event);
}

void TAboutBox::FormShow()
{
    Version->show();
    Label2->show();
    for (QLabel *figure : {Vol, Pouz, PhysMem, FreeRes})
        figure->hide();
    Timer1->start();
}

void TAboutBox::VersionClick()
{
    Version->hide();
    Label2->hide();
    for (QLabel *figure : {Vol, Pouz, FreeRes, PhysMem})
        figure->show();
}

void TAboutBox::Timer1Timer()
{
    fillMemoryFigures();
}

bool TAboutBox::FormCloseQuery()
{
    Timer1->stop();
    return true;
}

void TAboutBox::done(int result)
{
    // Every way of closing passes here: the OK button, Esc and close().
    if (FormCloseQuery())
        QDialog::done(result);
}

void TAboutBox::OKButtonClick()
{
    close();
}

void TAboutBox::Label3Click()
{
    platform::services().openUrl(Label3->text());
}

void TAboutBox::Label5Click()
{
    platform::services().openUrl(QStringLiteral("mailto:") + Label5->text());
}

void TAboutBox::ProgramIconDblClick()
{
    if (ProgramIconCount == 0) {
        ProgramIconCount = 1;
        return;
    }
    ProgramIconCount = 0;
    if (PlumoNasral)
        PlumoNasral->exec();
}

void TAboutBox::clicked(QObject *control)
{
    if (control == Version || control == Label2)
        VersionClick();
    else if (control == Label3)
        Label3Click();
    else if (control == Label5)
        Label5Click();
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Version || watched == Label2 || watched == Label3 || watched == Label5) {
        const auto *mouse = dynamic_cast<const QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton)
                m_pressed = watched;
            break;
        case QEvent::MouseButtonDblClick:
            m_pressed = nullptr;
            break;
        case QEvent::MouseButtonRelease: {
            const bool click =
                mouse->button() == Qt::LeftButton && m_pressed == watched &&
                static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
            m_pressed = nullptr;
            if (click) {
                clicked(watched);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
