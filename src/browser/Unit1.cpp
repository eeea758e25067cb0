#include "Unit1.h"

#include "HelpWindow.h"
#include "Program.h"
#include "Unit1Parts.h"
#include "authoring/Authoring.h"
#include "authoring/Unit2.h"
#include "authoring/Unit6.h"
#include "controls/BLabel.h"
#include "controls/Zpravy.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"
#include "store/conflicts.h"
#include "store/databaselock.h"
#include "store/files.h"
#include "store/programfolder.h"
#include "store/rtfsink.h"
#include "store/settings.h"
#include "store/watcher.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <optional>

unsigned char Rezim = RezimNone;
QString SlozkaProgramu;
unsigned char IkonkaCount = 0;

namespace {

// How long a big joke is read before its start is shown, and then each time
// the window has nothing else to do; the start shown has at least so many
// paragraphs, more than a screenful, however busy the computer.
constexpr std::chrono::milliseconds kJokeFirstPart{5};
constexpr int kJokeFirstParagraphs = 200;
constexpr std::chrono::milliseconds kJokePart{8};

const QColor kScrollBar(0xD4, 0xD0, 0xC8);

QFont msSansSerif(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// A box of the description panel: black on white, as the panel's light
// ground wants it.
QTextEdit *readOnlyRichBox(QWidget *parent, const QRect &geometry)
{
    auto *box = new QTextEdit(parent);
    colours::setGround(box, QPalette::Base, Qt::white, QPalette::Text);
    box->setGeometry(geometry);
    box->setReadOnly(true);
    box->setUndoRedoEnabled(false);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->document()->setDocumentMargin(1);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

// A text just shown starts at its first line's first letter, whatever the
// user scrolled to in the text before.
void fromTheStart(QTextEdit *box)
{
    box->moveCursor(QTextCursor::Start);
    box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->minimum());
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->minimum());
}

QAction *menuItem(QMenu *menu, const char *name, const QString &caption, bool enabled = true)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    return action;
}

QAction *checkItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menuItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(true);
    return action;
}

// A button of the quick panel: a picture, a hint, and the name a screen
// reader says for it.
QToolButton *quickButton(QWidget *panel, const char *name, int left, int width,
                         QStyle::StandardPixmap picture, const QString &hint,
                         const QString &spokenName)
{
    auto *button = new QToolButton(panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(spokenName);
    button->setGeometry(left, 1, width, 25);
    button->setAutoRaise(true);
    button->setIcon(panel->style()->standardIcon(picture));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

THLAVNI::THLAVNI(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("HLAVNI"));
    setWindowTitle(platform::applicationTitle());
    m_programIcon = programIcon();
    setWindowIcon(m_programIcon);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(msSansSerif(11));
    colours::setGround(this, QPalette::Window, kSilver, QPalette::WindowText);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(359, 313);
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    createControls(client);
    createMenus();
    createPopupMenus();
    bindExtras();
    bindTravel();
    setAcceptDrops(true);
    setFixedSize(359, 313 + menuBar()->sizeHint().height());

    Rezim = RezimNone;
    FormCreate();
}

THLAVNI::~THLAVNI()
{
    if (m_readOnly)
        store::setReadOnly(false);
}

QIcon THLAVNI::programIcon()
{
    // A laughing face: the program's own picture.
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x50, 0x00), 1.5));
    p.setBrush(QColor(0xFF, 0xD7, 0x00));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setBrush(QColor(0x30, 0x20, 0x00));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(9, 9, 4, 5));
    p.drawEllipse(QRectF(19, 9, 4, 5));
    p.setBrush(QColor(0xA0, 0x10, 0x10));
    QPainterPath mouth;
    mouth.moveTo(7, 17);
    mouth.quadTo(16, 31, 25, 17);
    mouth.closeSubpath();
    p.drawPath(mouth);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

void THLAVNI::createControls(QWidget *client)
{
    Pozadi = new PictureBox(client);
    Pozadi->setObjectName(QStringLiteral("Pozadi"));
    Pozadi->setGeometry(0, 0, 359, 313);
    Pozadi->setStretch(true);
    Pozadi->setCenter(true);

    Seznam = new ListBox(client);
    Seznam->setObjectName(QStringLiteral("Seznam"));
    Seznam->setGeometry(16, 16, 185, 238);
    Seznam->setItemHeight(13);
    connect(Seznam, &ListBox::userSelected, this, [this] { SeznamClick(); });
    connect(Seznam, &ListBox::doubleClickedList, this, [this] { TlacClick(); });
    connect(Seznam, &ListBox::keyDown, this, [this](QKeyEvent *e) { SeznamKeyDown(e); });

    Edit = new QLineEdit(client);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(16, 264, 185, 21);
    Edit->setReadOnly(true);
    connect(Edit, &QLineEdit::textChanged, this, [this] { EditChange(); });

    Tlac = new QPushButton(QStringLiteral("Otevřít"), client);
    Tlac->setObjectName(QStringLiteral("Tlac"));
    Tlac->setGeometry(88, 288, 41, 17);
    connect(Tlac, &QPushButton::clicked, this, [this] { TlacClick(); });

    Popis = new QGroupBox(QStringLiteral("Popis"), client);
    Popis->setObjectName(QStringLiteral("Popis"));
    Popis->setGeometry(216, 24, 137, 177);
    Popis->setAutoFillBackground(true);
    colours::setGround(Popis, QPalette::Window, kScrollBar, QPalette::WindowText);
    // The style draws the panel's title in the colour of text.
    colours::setBlackText(Popis, QPalette::Text);
    const QPalette popisPalette = Popis->palette();

    PopisText = readOnlyRichBox(Popis, QRect(8, 16, 121, 65));
    PopisText->setObjectName(QStringLiteral("PopisText"));
    PopisText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PopisText->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Lines are not wrapped: a long one scrolls with the bar. They read from
    // the left edge, as the box does on a system that writes left to right.
    PopisText->setLineWrapMode(QTextEdit::NoWrap);
    PopisText->setAccessibleName(QStringLiteral("Popis"));

    Label1 = new QLabel(QStringLiteral("Počet podložek:"), Popis);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 88, 84, 13);

    PocPod = readOnlyRichBox(Popis, QRect(96, 86, 25, 17));
    PocPod->setObjectName(QStringLiteral("PocPod"));
    PocPod->setPlainText(QStringLiteral("0"));
    nameByLabel(Label1, PocPod);

    Label2 = new QLabel(QStringLiteral("Autor:"), Popis);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 106, 60, 13);

    Autor = readOnlyRichBox(Popis, QRect(8, 120, 121, 17));
    Autor->setObjectName(QStringLiteral("Autor"));
    Autor->setPlainText(QStringLiteral("(Neznámý)"));
    Autor->setAlignment(Qt::AlignHCenter);
    nameByLabel(Label2, Autor);

    Ikonka = new PictureBox(Popis);
    Ikonka->setObjectName(QStringLiteral("Ikonka"));
    Ikonka->setGeometry(52, 140, 32, 32);
    Ikonka->setStretch(true);
    Ikonka->setCenter(true);
    Ikonka->setToolTip(QStringLiteral("Ikonka přiložená ke knihovně!!!"));
    Ikonka->setAccessibleName(QStringLiteral("Ikonka knihovny"));

    Vtip = new QTextEdit(client);
    Vtip->setObjectName(QStringLiteral("Vtip"));
    Vtip->setGeometry(160, 16, 193, 241);
    Vtip->setReadOnly(true);
    Vtip->setUndoRedoEnabled(false);
    Vtip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setFont(msSansSerif(13, true));
    Vtip->viewport()->setCursor(Qt::IBeamCursor);
    // Links of a joke are followed by a click (see followLink()).
    Vtip->viewport()->setMouseTracking(true);
    Vtip->viewport()->installEventFilter(this);
    Vtip->installEventFilter(this);
    colours::setGround(Vtip, QPalette::Base, QColor(0xF0, 0xF0, 0xF0), QPalette::Text);
    colours::keepArrowsVisible(Vtip->verticalScrollBar());
    colours::keepArrowsVisible(Vtip->horizontalScrollBar());
    Vtip->setAccessibleName(QStringLiteral("Text vtipu"));
    Vtip->setContextMenuPolicy(Qt::CustomContextMenu);
    Vtip->hide();

    Panel = new QFrame(client);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setGeometry(200, 264, 99, 27);
    Panel->setFrameShape(QFrame::Panel);
    Panel->setFrameShadow(QFrame::Raised);
    Panel->setAutoFillBackground(true);
    Panel->setPalette(popisPalette);
    // The buttons are flat on the panel's ground.
    colours::setBlackText(Panel, QPalette::ButtonText);
    Panel->setToolTip(QStringLiteral("Uloží vtip jako..."));
    Panel->setContextMenuPolicy(Qt::CustomContextMenu);
    RychUloz = quickButton(Panel, "RychUloz", 1, 23, QStyle::SP_DialogSaveButton,
                           QStringLiteral("Uloží vtip jako..."), QStringLiteral("Uložit vtip"));
    RychTisk = quickButton(Panel, "RychTisk", 25, 23, QStyle::SP_FileDialogDetailedView,
                           QStringLiteral("Vytiskne vtip..."), QStringLiteral("Vytisknout vtip"));
    VtipCopy = quickButton(Panel, "VtipCopy", 49, 25, QStyle::SP_FileDialogContentsView,
                           QStringLiteral("Zkopíruje celý vtip do schránky."),
                           QStringLiteral("Kopírovat vtip"));
    RychPismo = quickButton(Panel, "RychPismo", 73, 25, QStyle::SP_FileDialogInfoView,
                            QStringLiteral("Nastavení písma."), QStringLiteral("Písmo"));
    Panel->hide();

    napoveda = new TBLabel(client);
    napoveda->setObjectName(QStringLiteral("napoveda"));
    napoveda->setGeometry(208, 208, 145, 13);
    napoveda->setActive(false);
    napoveda->setSpeed(150);
    napoveda->setFont(msSansSerif(11, true));
    QPalette hintPalette = napoveda->palette();
    hintPalette.setColor(QPalette::WindowText, Qt::red);
    napoveda->setPalette(hintPalette);
    napoveda->setText(QStringLiteral("Zkus to udělat v nápovědě na ikonku programu!!!          "));
    napoveda->hide();

    Uloz = new QTextEdit(client);
    Uloz->setObjectName(QStringLiteral("Uloz"));
    Uloz->hide();

    m_jokeLoading = new QTimer(this);
    connect(m_jokeLoading, &QTimer::timeout, this, [this] {
        if (m_jokeLoad && m_jokeLoad->step(QDeadlineTimer(kJokePart)))
            takeWholeJoke();
    });
    Pocitej = new QTimer(this);
    Pocitej->setObjectName(QStringLiteral("Pocitej"));
    Pocitej->setInterval(1);
    // The walk keeps the timer's rhythm: a tick every millisecond from the
    // last one, not from the end of the step it started.
    Pocitej->setTimerType(Qt::PreciseTimer);

    SetriditO = new TZpravy(this);
    SetriditO->setObjectName(QStringLiteral("SetriditO"));
    connect(SetriditO, &TZpravy::OnOK, this, [this] { SetriditOOK(); });
    connect(SetriditO, &TZpravy::OnCancel, this, [this] { SetriditOCancel(); });

    nameForMode();
    Seznam->setFocus();
}

void THLAVNI::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("HlavniMenu"));

    SaveVtip = bar->addMenu(QStringLiteral("&Soubor"));
    SaveVtip->setObjectName(QStringLiteral("SaveVtip"));
    UlozVtip = menuItem(SaveVtip, "UlozVtip", QStringLiteral("&Uložit vtip jako..."), false);
    SaveVtip->addSeparator();
    Tisk = menuItem(SaveVtip, "Tisk", QStringLiteral("&Vytisknout vtip..."), false);
    NahledTisku = menuItem(SaveVtip, "NahledTisku", QStringLiteral("Ná&hled tisku..."), false);
    KopVtip = menuItem(SaveVtip, "KopVtip", QStringLiteral("Kopírovat vtip do &schránky"), false);
    SaveVtip->addSeparator();
    Konec1 = menuItem(SaveVtip, "Konec1", QStringLiteral("&Konec"));
    Konec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(Konec1, &QAction::triggered, this, [this] { Konec1Click(); });

    Databze1 = bar->addMenu(QStringLiteral("&Databáze"));
    Databze1->setObjectName(QStringLiteral("Databze1"));
    Databze1->setToolTipsVisible(true);
    Vytvor = menuItem(Databze1, "Vytvor", QStringLiteral("&Vytvořit novou..."));
    Uprav = menuItem(Databze1, "Uprav", QStringLiteral("&Upravit..."), false);
    Databze1->addSeparator();
    Pridat = menuItem(Databze1, "Pridat", QStringLiteral("&Přidat do seznamu..."));
    Pridat->setToolTip(QStringLiteral("Přidá knihovnu do seznamu dostupních knihoven."));
    OdstrU = menuItem(Databze1, "OdstrU", QStringLiteral("&Odstranit úplně..."), false);
    OdstrU->setToolTip(QStringLiteral("Odstraní knihovny úplně..."));
    Odstr = menuItem(Databze1, "Odstr", QStringLiteral("Odstranit &ze seznamu"), false);
    Odstr->setToolTip(QStringLiteral("Odstraní knihovnu pouze ze seznamu dostupních knihoven."));
    Databze1->addSeparator();
    Importovat = menuItem(Databze1, "Importovat", QStringLiteral("I&mportovat knihovnu..."));
    Importovat->setToolTip(QStringLiteral("Přidá do seznamu knihovnu ze souboru .zip."));
    Exportovat = menuItem(Databze1, "Exportovat", QStringLiteral("E&xportovat knihovnu..."));
    Exportovat->setToolTip(
        QStringLiteral("Uloží knihovnu do jednoho souboru .zip, který lze poslat nebo přenést."));
    ExportKniha = menuItem(Databze1, "ExportKniha", QStringLiteral("Exportovat jako &knihu..."));
    ExportKniha->setToolTip(
        QStringLiteral("Uloží knihovnu nebo všechny knihovny jako knihu: HTML, PDF, ODT, EPUB."));
    TiskKnihovny = menuItem(Databze1, "TiskKnihovny", QStringLiteral("&Tisk knihovny..."));
    Databze1->addSeparator();
    Najit = menuItem(Databze1, "Najit", QStringLiteral("&Najít vtip..."), false);
    HledatVText = menuItem(Databze1, "HledatVText", QStringLiteral("&Hledat v textech vtipů..."));
    HledatVText->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    Databze1->addSeparator();
    Internet1 = Databze1->addMenu(QStringLiteral("&Internet"));
    Internet1->setObjectName(QStringLiteral("Internet1"));
    Sthnoutvtipy1 =
        menuItem(Internet1, "Sthnoutvtipy1", QStringLiteral("&Stáhnout vtipy..."), false);
    Publikovatknihovnu1 =
        menuItem(Internet1, "Publikovatknihovnu1", QStringLiteral("&Publikovat knihovnu..."));
    Databze1->addSeparator();
    Setrit = menuItem(Databze1, "Setrit", QStringLiteral("&Setřídit podle názvu..."));
    Presun = Databze1->addMenu(QStringLiteral("Př&esunout"));
    Presun->setObjectName(QStringLiteral("Presun"));
    PrNah = menuItem(Presun, "PrNah", QStringLiteral("&Nahoru"));
    PrNah->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    PrDol = menuItem(Presun, "PrDol", QStringLiteral("&Dolu"));
    PrDol->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    Databze1->addSeparator();
    celkovy = menuItem(Databze1, "celkovy", QStringLiteral("&Celkový počet vtipů..."));
    Databze1->addSeparator();
    Nedavne = Databze1->addMenu(QStringLiteral("Ne&dávné složky"));
    Nedavne->setObjectName(QStringLiteral("Nedavne"));
    // Filled as it opens: a folder on a disk that is away is looked at only
    // then, never on the way to the first paint.
    connect(Nedavne, &QMenu::aboutToShow, this, [this] { fillRecentFolders(); });
    Nedavne->addAction(QStringLiteral("(žádné)"))->setEnabled(false);

    Nastaven1 = bar->addMenu(QStringLiteral("&Nastavení"));
    Nastaven1->setObjectName(QStringLiteral("Nastaven1"));
    Psmo1 = menuItem(Nastaven1, "Psmo1", QStringLiteral("&Písmo..."));
    Tiskrny1 = menuItem(Nastaven1, "Tiskrny1", QStringLiteral("&Tiskárny..."));
    Obrzekpozad1 = Nastaven1->addMenu(QStringLiteral("&Obrázek pozadí"));
    Obrzekpozad1->setObjectName(QStringLiteral("Obrzekpozad1"));
    Obrzek1 = menuItem(Obrzekpozad1, "Obrzek1", QStringLiteral("&Nahrát..."));
    connect(Obrzek1, &QAction::triggered, this, [this] { Obrzek1Click(); });
    connect(Psmo1, &QAction::triggered, this, [this] { Psmo1Click(); });
    connect(Tiskrny1, &QAction::triggered, this, [this] { Tiskrny1Click(); });
    Obrzekpozad1->addSeparator();
    Roz = checkItem(Obrzekpozad1, "Roz", QStringLiteral("&Roztáhnout"));
    Centr = checkItem(Obrzekpozad1, "Centr", QStringLiteral("&Centrovat"));

    connect(Vytvor, &QAction::triggered, this, [] { Formular->exec(); });
    connect(Uprav, &QAction::triggered, this, [] { Upravit->exec(); });
    connect(UlozVtip, &QAction::triggered, this, [this] { UlozVtipClick(); });
    connect(Tisk, &QAction::triggered, this, [this] { RychTiskClick(); });
    connect(KopVtip, &QAction::triggered, this, [this] { KopVtipClick(); });
    connect(Pridat, &QAction::triggered, this, [this] { PridatClick(); });
    connect(Odstr, &QAction::triggered, this, [this] { OdstrClick(); });
    connect(OdstrU, &QAction::triggered, this, [this] { OdstrUClick(); });
    connect(PrNah, &QAction::triggered, this, [this] { PrNahClick(); });
    connect(PrDol, &QAction::triggered, this, [this] { PrDolClick(); });
    connect(Setrit, &QAction::triggered, this, [this] { SetritClick(); });

    Npovda1 = bar->addMenu(QStringLiteral("Ná&pověda"));
    Npovda1->setObjectName(QStringLiteral("Npovda1"));
    Prirucka = menuItem(Npovda1, "Prirucka", QStringLiteral("&Příručka"));
    Prirucka->setShortcut(QKeySequence(Qt::Key_F1));
    connect(Prirucka, &QAction::triggered, this, [this] { showGuide(this); });
    Npovda1->addSeparator();
    Oaplikaci1 = menuItem(Npovda1, "Oaplikaci1", QStringLiteral("&O aplikaci..."));

    OtevriAkce = new QAction(QStringLiteral("OtevriAkce"), this);
    OtevriAkce->setObjectName(QStringLiteral("OtevriAkce"));
    connect(OtevriAkce, &QAction::triggered, this, [this] { OtevriAkceExecute(); });

    Egg = new QAction(QStringLiteral("Egg"), this);
    Egg->setObjectName(QStringLiteral("Egg"));
    Egg->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(Egg);
}

void THLAVNI::createPopupMenus()
{
    PanelMenu = new QMenu(this);
    PanelMenu->setObjectName(QStringLiteral("PanelMenu"));
    UlozZobr = checkItem(PanelMenu, "UlozZobr", QStringLiteral("&Uložení vtipu"));
    ZobTisk = checkItem(PanelMenu, "ZobTisk", QStringLiteral("&Vytisknutí vtipu"));
    ZobCopyVtip = checkItem(PanelMenu, "ZobCopyVtip", QStringLiteral("&Kopírování vtipu"));
    ZobPismo = checkItem(PanelMenu, "ZobPismo", QStringLiteral("Nastavení &písma"));
    PanelMenu->addSeparator();
    Odemk = menuItem(PanelMenu, "Odemk", QStringLiteral("&Odemknout"));
    Odemk->setCheckable(true);
    Odemk->setChecked(false);
    connect(Panel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PanelMenu->popup(Panel->mapToGlobal(at)); });

    // A check item's handler decides the new mark itself, so the mark Qt has
    // already flipped on the click is put back first.
    const auto bind = [this](QAction *item, void (THLAVNI::*handler)()) {
        connect(item, &QAction::triggered, this, [this, item, handler] {
            item->setChecked(!item->isChecked());
            (this->*handler)();
        });
    };
    bind(Roz, &THLAVNI::RozClick);
    bind(Centr, &THLAVNI::CentrClick);
    bind(UlozZobr, &THLAVNI::UlozZobrClick);
    bind(ZobTisk, &THLAVNI::ZobTiskClick);
    bind(ZobCopyVtip, &THLAVNI::ZobCopyVtipClick);
    bind(ZobPismo, &THLAVNI::ZobPismoClick);

    MenuVtipu = new QMenu(this);
    MenuVtipu->setObjectName(QStringLiteral("MenuVtipu"));
    MenuVtipu->setToolTipsVisible(true);
    Koprovatdoschrnky1 = menuItem(MenuVtipu, "Koprovatdoschrnky1", QStringLiteral("&Kopírovat"));
    Koprovatdoschrnky1->setToolTip(QStringLiteral("Zkopíruje vybranou část vtipu do schránky."));
    Vytisknout1 = menuItem(MenuVtipu, "Vytisknout1", QStringLiteral("&Vytisknout..."));
    Vytisknout1->setToolTip(QStringLiteral("Vytiskne vtip!!!"));
    Uloitjako1 = menuItem(MenuVtipu, "Uloitjako1", QStringLiteral("&Uložit jako..."));
    Uloitjako1->setToolTip(QStringLiteral("Uloží vtip jako..."));
    connect(Koprovatdoschrnky1, &QAction::triggered, this, [this] { Koprovatdoschrnky1Click(); });
    connect(Vytisknout1, &QAction::triggered, this, [this] { RychTiskClick(); });
    connect(Uloitjako1, &QAction::triggered, this, [this] { UlozVtipClick(); });
    connect(RychUloz, &QToolButton::clicked, this, [this] { UlozVtipClick(); });
    connect(RychTisk, &QToolButton::clicked, this, [this] { RychTiskClick(); });
    connect(VtipCopy, &QToolButton::clicked, this, [this] { VtipCopyClick(); });
    connect(RychPismo, &QToolButton::clicked, this, [this] { Psmo1Click(); });
    connect(Vtip, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        finishJoke();
        MenuVtipu->popup(Vtip->viewport()->mapToGlobal(at));
    });
}

void THLAVNI::TlacClick()
{
    OtevriAkce->trigger();
}

void THLAVNI::OtevriAkceExecute()
{
    Odstr->setEnabled(false);
    OdstrU->setEnabled(false);
    if (Edit->text().isEmpty())
        return;
    if (Rezim == RezimKnihovny)
        openLibrary();
    else
        closeLibrary();
}

void THLAVNI::openLibrary()
{
    const QString library = Edit->text();
    Rezim = RezimVtipy;
    nameForMode();
    Kategorie = QStringLiteral("DataBase\\") + library + u'\\';
    PredOdchod = library;
    m_openLibrary = library;
    Tlac->setText(QStringLiteral("Zavřít"));
    Seznam->resize(137, Seznam->height());
    Edit->resize(137, Edit->height());
    Odstr->setEnabled(false);
    OdstrU->setEnabled(false);
    Popis->hide();
    KopVtip->setEnabled(false);
    Uprav->setEnabled(false);
    Vytvor->setEnabled(false);
    Pridat->setEnabled(false);
    Importovat->setEnabled(false);
    celkovy->setEnabled(false);
    Najit->setEnabled(true);
    Presun->setEnabled(false);
    PrDol->setEnabled(false);
    PrNah->setEnabled(false);
    Setrit->setEnabled(false);

    const store::DbPath jokes = store::DbPath::jokeList(library);
    Soubor = jokes.display();
    m_jokes = {};
    const bool listed = store::readList(jokes, m_jokes);
    std::optional<store::Icon> icon;
    if (listed) {
        Seznam->setItems(m_jokes.entries);
        icon = store::readIcon(store::DbPath::libraryFile(library, QStringLiteral(".ico")));
    }
    if (!listed || !icon) {
        platform::services().message(
            QStringLiteral("Knihovna je vadná!!! Doporučujeme odebrat!!!"));
        OtevriAkce->trigger();
        return;
    }
    if (m_libraryIcon.isNull() || icon->image != m_libraryPicture) {
        m_libraryPicture = icon->image;
        m_libraryIcon = QIcon(QPixmap::fromImage(m_libraryPicture));
    }
    setWindowIcon(m_libraryIcon);
    if (m_watcher)
        m_watcher->watch(store::DbPath::libraryFolder(library).path());
    // The copies a sync tool left are looked for once the list is shown, on
    // a thread of their own (a library's folder may hold tens of thousands
    // of files).
    QTimer::singleShot(kOffersAfterMs, this, [this, library] {
        const QPointer<THLAVNI> window(this);
        const store::DbPath folder = store::DbPath::libraryFolder(library);
        QThreadPool::globalInstance()->start([window, library, folder] {
            std::vector<store::ConflictCopy> copies = store::conflictCopies(folder);
            if (copies.empty())
                return;
            QMetaObject::invokeMethod(
                qApp,
                [window, library, copies = std::move(copies)] {
                    if (window && Rezim == RezimVtipy && window->m_openLibrary == library)
                        window->offerConflictCopies(library, copies);
                },
                Qt::QueuedConnection);
        });
    });
}

void THLAVNI::closeLibrary()
{
    Tlac->setText(QStringLiteral("Otevřít"));
    Kategorie = QStringLiteral(".");
    if (m_watcher && !m_openLibrary.isNull())
        m_watcher->unwatch(store::DbPath::libraryFolder(m_openLibrary).path());
    m_openLibrary.clear();
    m_jokes = {};
    emptyJoke();
    Seznam->resize(185, Seznam->height());
    Edit->resize(185, Edit->height());
    UlozVtip->setEnabled(false);
    Popis->show();
    Vtip->hide();
    Panel->hide();
    Tisk->setEnabled(false);
    NahledTisku->setEnabled(false);
    KopVtip->setEnabled(false);
    Vytvor->setEnabled(true);
    Pridat->setEnabled(true);
    Importovat->setEnabled(true);
    Najit->setEnabled(false);
    celkovy->setEnabled(true);
    Presun->setEnabled(true);
    PrDol->setEnabled(true);
    PrNah->setEnabled(true);
    Setrit->setEnabled(true);
    Rezim = RezimKnihovny;
    nameForMode();

    QString error;
    if (!loadLibraries(&error)) {
        Seznam->setItems({});
        platform::services().error(error);
        return;
    }
    Seznam->setItems(m_libraries.entries);
    setEditText(PredOdchod);
    setWindowIcon(m_programIcon);
}

void THLAVNI::nameForMode()
{
    // The list and the name box hold the libraries, or the jokes of the open
    // one; a screen reader says which.
    const bool jokes = Rezim == RezimVtipy;
    Seznam->setAccessibleName(jokes ? QStringLiteral("Seznam vtipů")
                                    : QStringLiteral("Seznam knihoven"));
    Edit->setAccessibleName(jokes ? QStringLiteral("Vybraný vtip")
                                  : QStringLiteral("Vybraná knihovna"));
}

void THLAVNI::SeznamKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (Rezim == RezimKnihovny) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            OtevriAkce->trigger();
    } else if (key == Qt::Key_Escape) {
        OtevriAkce->trigger();
    }
}

void THLAVNI::SeznamClick()
{
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    setEditText(Seznam->item(row));
    FontDialogFont = Vtip->font();
    if (Rezim == RezimKnihovny) {
        Odstr->setEnabled(true);
        OdstrU->setEnabled(true);
        Uprav->setEnabled(true);
    } else if (Rezim == RezimVtipy) {
        // The joke's output only for a joke really shown.
        enableJokeOutput(m_jokeShown);
        Vtip->show();
        Panel->show();
    }
}

void THLAVNI::setEditText(const QString &text)
{
    if (Edit->text() != text)
        Edit->setText(text);
}

bool THLAVNI::loadRichBox(QTextEdit *box, const store::DbPath &path)
{
    Soubor = path.display();
    return store::readRichText(path, box->document());
}

QTextDocument *THLAVNI::newJokeDocument()
{
    // Each joke comes in a document of its own, which the view then takes:
    // the view lays out a new document a screenful at a time, but the changes
    // of one it shows all at once, a whole big joke before the first paint.
    QTextDocument *shown = Vtip->document();
    auto *fresh = new QTextDocument(Vtip);
    fresh->setDefaultFont(shown->defaultFont());
    fresh->setDefaultTextOption(shown->defaultTextOption());
    fresh->setDocumentMargin(shown->documentMargin());
    fresh->setIndentWidth(shown->indentWidth());
    fresh->setUseDesignMetrics(shown->useDesignMetrics());
    fresh->setUndoRedoEnabled(false);
    return fresh;
}

namespace {

// Reads the start of a joke into `document`, at least a screenful; true when
// that is all of it.
bool startOf(const QByteArray &rtf, QTextDocument *document)
{
    store::RtfDocumentLoad start(rtf, document);
    bool whole = start.step(QDeadlineTimer(kJokeFirstPart));
    while (!whole && start.paragraphs() < kJokeFirstParagraphs)
        whole = start.step(QDeadlineTimer(kJokeFirstPart));
    return whole;
}

} // namespace

bool THLAVNI::showJoke(const store::DbPath &joke)
{
    dropJokeLoad();
    store::FileVersion version;
    const std::optional<QByteArray> bytes =
        store::readBytes(joke, store::kJokeLimit, nullptr, &version);
    if (!bytes)
        return false;
    QTextDocument *fresh = newJokeDocument();
    if (!store::looksLikeRtf(*bytes)) {
        store::richTextFromBytes(*bytes, fresh);
    } else if (!startOf(*bytes, fresh)) {
        // A big joke: its start is shown at once, and the whole of it is
        // read into another document between the window's other work. Read
        // into the document shown, each part would be laid out as it came.
        m_wholeJoke = newJokeDocument();
        m_jokeLoad = std::make_unique<store::RtfDocumentLoad>(*bytes, m_wholeJoke);
        m_jokeLoading->start();
    }
    m_shownVersion = version;
    m_jokeShown = true;
    replaceJokeDocument(fresh);
    return true;
}

void THLAVNI::dropJokeLoad()
{
    m_jokeLoading->stop();
    m_jokeLoad.reset();
    delete m_wholeJoke;
}

void THLAVNI::finishJoke()
{
    if (!m_jokeLoad)
        return;
    m_jokeLoad->finish();
    takeWholeJoke();
}

void THLAVNI::takeWholeJoke()
{
    m_jokeLoading->stop();
    m_jokeLoad.reset();
    // The start shown is the start of the whole joke: the selection and the
    // place the user reads stay where they were.
    const QTextCursor shown = Vtip->textCursor();
    const int anchor = shown.anchor();
    const int position = shown.position();
    const int top = Vtip->cursorForPosition(QPoint(0, 0)).position();
    const int scrolledIn = Vtip->verticalScrollBar()->value() -
                           int(Vtip->document()
                                   ->documentLayout()
                                   ->blockBoundingRect(Vtip->document()->findBlock(top))
                                   .top());
    QTextDocument *whole = m_wholeJoke;
    m_wholeJoke = nullptr;
    replaceJokeDocument(whole);
    QTextCursor cursor(whole);
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    Vtip->setTextCursor(cursor);
    // The view lays out a new document from its start, a part at a time, and
    // can scroll only as far as it has: laid out up to the place read, and
    // told so, it scrolls there.
    QAbstractTextDocumentLayout *layout = whole->documentLayout();
    const QRectF block = layout->blockBoundingRect(whole->findBlock(top));
    emit layout->documentSizeChanged(QSizeF(whole->pageSize().width(), block.bottom()));
    Vtip->verticalScrollBar()->setValue(int(block.top()) + scrolledIn);
}

void THLAVNI::replaceJokeDocument(QTextDocument *fresh)
{
    // The view deletes its first document, its own, when it takes another;
    // the later ones are ours.
    const QPointer<QTextDocument> previous = Vtip->document();
    Vtip->setDocument(fresh);
    if (previous && previous->parent() == Vtip)
        delete previous;
}

void THLAVNI::emptyJoke()
{
    // A fresh empty document, as a joke shown is.
    dropJokeLoad();
    m_jokeShown = false;
    m_shownVersion = store::FileVersion();
    replaceJokeDocument(newJokeDocument());
    enableJokeOutput(false);
}

bool THLAVNI::loadDescription(const QString &name)
{
    using store::DbPath;
    m_countShownFor.clear();
    bool loaded = loadRichBox(PopisText, DbPath::libraryFile(name, QStringLiteral(".da1"))) &&
                  loadRichBox(PocPod, DbPath::libraryFile(name, QStringLiteral(".da2")));
    if (loaded)
        m_countShownFor = name;
    loaded = loaded && loadRichBox(Autor, DbPath::libraryFile(name, QStringLiteral(".da3")));
    if (loaded) {
        fromTheStart(PopisText);
        Autor->selectAll();
        Autor->setAlignment(Qt::AlignHCenter);
        Autor->moveCursor(QTextCursor::Start);
        const std::optional<store::Icon> icon =
            store::readIcon(DbPath::libraryFile(name, QStringLiteral(".ico")));
        if (icon)
            Ikonka->setImage(icon->image);
        loaded = icon.has_value();
    }
    return loaded;
}

void THLAVNI::EditChange()
{
    const QString name = Edit->text();
    if (Rezim == RezimKnihovny) {
        if (name.isEmpty())
            return;
        if (!loadDescription(name)) {
            holdWalk();
            platform::services().message(QStringLiteral("Nemohu načíst popis!!!"));
        }
    } else if (Rezim == RezimVtipy) {
        const store::DbPath joke = store::DbPath::jokeFile(m_openLibrary, name);
        Soubor = joke.display();
        // A joke that cannot be shown leaves no other joke's text under its
        // name: the view is emptied.
        if (!showJoke(joke)) {
            emptyJoke();
            platform::services().message(
                QStringLiteral("Vtip nebyl dosud napsán nebo nelze nalézt!!!"));
        }
    }
}

void THLAVNI::Konec1Click()
{
    close();
}

bool THLAVNI::saveSettings(QString *error)
{
    store::SettingsFlags flags{};
    const QAction *items[] = {Roz, Centr, UlozZobr, ZobTisk, ZobCopyVtip, ZobPismo};
    for (int i = 0; i < store::SettingsFlagCount; ++i)
        flags[i] = items[i]->isChecked();
    Nastaveni = store::settingsLines(flags);
    // A window that only reads leaves the settings to the other. Settings as
    // the file has them already are not written again.
    store::FileVersion version;
    return m_readOnly || store::readList(store::settingsFile(), nullptr, &version) == Nastaveni ||
           store::writeList(store::settingsFile(), Nastaveni, error, &version);
}

bool THLAVNI::FormCloseQuery()
{
    // A settings file that cannot be written is reported, and the user can
    // still quit.
    QString error;
    if (!saveSettings(&error))
        platform::services().error(error);
    platform::services().beep();
    return platform::services().confirm(QStringLiteral("Opravdu ukončit program?"));
}

void THLAVNI::leaveFolder()
{
    QString error;
    if (!saveSettings(&error))
        platform::services().error(error);
    if (m_lock)
        m_lock->release();
}

void THLAVNI::fillRecentFolders()
{
    Nedavne->clear();
    const QStringList folders = store::recentFolders();
    int number = 0;
    for (const QString &folder : folders) {
        if (folder == m_programFolder)
            continue;
        ++number;
        QString caption = QDir::toNativeSeparators(folder);
        caption.replace(u'&', QStringLiteral("&&"));
        if (number < 10)
            caption = QStringLiteral("&%1 %2").arg(number).arg(caption);
        connect(Nedavne->addAction(caption), &QAction::triggered, this,
                [folder] { openFolderLater(folder); });
    }
    if (number == 0)
        Nedavne->addAction(QStringLiteral("(žádné)"))->setEnabled(false);
    Nedavne->addSeparator();
    QAction *other = Nedavne->addAction(QStringLiteral("&Otevřít jinou složku..."));
    other->setObjectName(QStringLiteral("JinaSlozka"));
    connect(other, &QAction::triggered, this, [this] {
        const QString folder = platform::services().chooseFolder(
            this, QStringLiteral("Vyberte složku programu"), m_programFolder);
        if (!folder.isEmpty())
            openFolderLater(QDir::cleanPath(QDir(folder).absolutePath()));
    });
}

void THLAVNI::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void THLAVNI::showDescription(const QString &description, const QString &count,
                              const QString &author)
{
    PopisText->setPlainText(description);
    fromTheStart(PopisText);
    PocPod->setPlainText(count);
    Autor->setPlainText(author);
    Autor->selectAll();
    Autor->setAlignment(Qt::AlignHCenter);
    Autor->moveCursor(QTextCursor::Start);
}

void THLAVNI::bindExtras()
{
    connect(Pocitej, &QTimer::timeout, this, [this] { PocitejTimer(); });
    connect(celkovy, &QAction::triggered, this, [this] { celkovyClick(); });
    connect(Najit, &QAction::triggered, this, [this] { NajitClick(); });
    connect(HledatVText, &QAction::triggered, this, [this] { HledatVTextClick(); });
    connect(Oaplikaci1, &QAction::triggered, this, [this] { Oaplikaci1Click(); });
    connect(Sthnoutvtipy1, &QAction::triggered, this, [this] { Sthnoutvtipy1Click(); });
    connect(Publikovatknihovnu1, &QAction::triggered, this, [this] { Publikovatknihovnu1Click(); });
    connect(Ikonka, &PictureBox::doubleClicked, this, [this] { IkonkaDblClick(); });
    connect(Egg, &QAction::triggered, this, [this] { EggExecute(); });
    // The mark Qt has already flipped on the click is put back: the egg
    // decides it.
    connect(Odemk, &QAction::triggered, this, [this] {
        Odemk->setChecked(!Odemk->isChecked());
        OdemkClick();
    });
    Panel->installEventFilter(this);
    installEventFilter(this);
}

bool THLAVNI::followLink(QWidget *viewport, QEvent *event)
{
    const auto linkAt = [this](QEvent *e) {
        const QString href = Vtip->anchorAt(static_cast<QMouseEvent *>(e)->position().toPoint());
        return store::isWebAddress(href) ? href : QString();
    };
    switch (event->type()) {
    case QEvent::MouseMove:
        // A pointing hand over a link that can be followed.
        viewport->setCursor(linkAt(event).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
        return false;
    case QEvent::MouseButtonPress:
        m_linkPressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
                            ? linkAt(event)
                            : QString();
        return false;
    case QEvent::MouseButtonRelease: {
        // A click on a link, not the end of a selection that began on it.
        const QString href = linkAt(event);
        const bool click =
            !href.isEmpty() && href == m_linkPressed && !Vtip->textCursor().hasSelection();
        m_linkPressed.clear();
        if (click)
            platform::services().openUrl(href);
        return false;
    }
    default:
        return false;
    }
}

bool THLAVNI::eventFilter(QObject *watched, QEvent *event)
{
    // A walk ends with the window: no totals come up after it has closed.
    if (watched == this) {
        if (event->type() == QEvent::Hide && !event->spontaneous() && m_walking) {
            m_walking = false;
            Pocitej->stop();
            Seznam->setItemIndex(m_walkSelection);
            Seznam->setEnabled(true);
            lockForWalk(false);
        }
        return QMainWindow::eventFilter(watched, event);
    }
    // The keys that reach the joke's end or take all of it wait for the
    // whole joke; reading on in its start does not.
    if (Vtip && watched == Vtip && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (const QKeySequence::StandardKey whole :
             {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::MoveToEndOfDocument,
              QKeySequence::SelectEndOfDocument}) {
            if (key->matches(whole))
                finishJoke();
        }
    }
    if (Vtip && watched == Vtip->viewport())
        return followLink(static_cast<QWidget *>(watched), event) ||
               QMainWindow::eventFilter(watched, event);
    if (watched != Panel)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!Odemk->isChecked() || mouse->button() != Qt::LeftButton)
            break;
        m_panelPressed = true;
        m_panelDragging = false;
        m_panelGrab = mouse->position().toPoint();
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_panelPressed)
            break;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        if (!m_panelDragging &&
            (at - m_panelGrab).manhattanLength() < QApplication::startDragDistance())
            return true;
        m_panelDragging = true;
        // While it is dragged, a frame shows where the panel would go.
        if (!m_panelFrame) {
            m_panelFrame = new QRubberBand(QRubberBand::Rectangle);
            m_panelFrame->setParent(this, Qt::ToolTip);
        }
        m_panelFrame->setGeometry(
            QRect(mouse->globalPosition().toPoint() - m_panelGrab, Panel->size()));
        m_panelFrame->show();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_panelPressed || mouse->button() != Qt::LeftButton)
            break;
        m_panelPressed = false;
        if (m_panelFrame)
            m_panelFrame->hide();
        if (m_panelDragging) {
            m_panelDragging = false;
            dropPanel(mouse->globalPosition().toPoint() - m_panelGrab);
        }
        return true;
    }
    case QEvent::Close:
        // Closing the floating panel puts it back in its place; it is docked
        // once its window has finished handling the close.
        if (Panel->isWindow()) {
            event->ignore();
            QMetaObject::invokeMethod(
                this, [this] { dockPanel(); }, Qt::QueuedConnection);
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
