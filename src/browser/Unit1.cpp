#include "Unit1.h"

#include "Celkem.h"
#include "Details.h"
#include "HelpWindow.h"
#include "Hledat.h"
#include "Program.h"
#include "TextSearch.h"
#include "Unit4.h"
#include "authoring/Authoring.h"
#include "authoring/JokeEditor.h"
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
#include "store/recovery.h"
#include "store/richclipboard.h"
#include "store/rtfsink.h"
#include "store/rtfwriter.h"
#include "store/searchindex.h"
#include "store/settings.h"
#include "store/watcher.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCollator>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
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
#include <limits>
#include <optional>

unsigned char Rezim = RezimNone;
QString SlozkaProgramu;
unsigned char IkonkaCount = 0;

namespace {

// How long a big joke is read before its start is shown (more than a
// screenful), and then each time the window has nothing else to do.
constexpr std::chrono::milliseconds kJokeFirstPart{5};
constexpr std::chrono::milliseconds kJokePart{8};

const QColor kSilver(0xC0, 0xC0, 0xC0);
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
    connect(Nedavne, &QMenu::aboutToShow, this, [this] { fillRecentFolders(); });
    fillRecentFolders();

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

void THLAVNI::FormCreate()
{
    // 1. The program's folder becomes the working directory.
    QString folder = m_programFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    SlozkaProgramu = QDir::toNativeSeparators(QDir(folder).absolutePath());
    if (!SlozkaProgramu.endsWith(QDir::separator()))
        SlozkaProgramu += QDir::separator();
    if (!QDir::setCurrent(folder)) {
        platform::services().error(
            QStringLiteral("Složka programu „%1“ nelze otevřít.").arg(SlozkaProgramu));
        return;
    }
    // One window of the program writes the database at a time: a second one
    // on the same folder may only read it, or not start.
    if (!lockDatabase())
        return;
    // What other programs change in the database is followed from now on.
    m_watcher = new store::FolderWatcher(this);
    connect(m_watcher, &store::FolderWatcher::changed, this,
            [this](const QStringList &paths, bool everything) { followDisk(paths, everything); });
    m_watcher->watch(store::resolvePath(QStringLiteral("DataBase")));
    // 2.
    IkonkaCount = 0;
    // 3.
    Najit->setEnabled(false);
    // 4. The background picture. A folder without it (a database copied
    // alone) and one whose settings cannot be read go on without them, on
    // the window's plain ground and with the settings the window starts
    // with; both are said in one message at the end.
    QString error;
    QStringList problems;
    if (const std::optional<QImage> background = store::readBackground(&error))
        Pozadi->setImage(*background);
    else
        problems << error + QStringLiteral(" Okno bude bez obrázku pozadí.");
    // 5.
    Rezim = RezimKnihovny;
    // 6. The list of libraries.
    if (!loadLibraries(&error)) {
        problems << error;
        platform::services().error(problems.join(u'\n'));
        return;
    }
    Seznam->setItems(m_libraries.entries);
    // 7.
    FontDialogFont = Vtip->font();
    // 8. The settings.
    if (const std::optional<QStringList> settings =
            store::readList(store::settingsFile(), &error)) {
        Nastaveni = *settings;
        applySettings();
    } else {
        problems << error + QStringLiteral(" Platí výchozí nastavení.");
    }
    if (!problems.isEmpty())
        platform::services().error(problems.join(u'\n'));
}

bool THLAVNI::lockDatabase()
{
    m_lock = std::make_unique<store::DatabaseLock>();
    m_readOnly = false;
    store::setReadOnly(false);
    using Status = store::DatabaseLock::Status;
    const Status status = m_lock->take();
    // A lock left behind tells of a program that did not end: what its saves
    // cut short left goes. (A program that ends removes its lock, so an
    // ordinary start need not look through every library's folder.)
    if (status == Status::Taken) {
        if (m_lock->leftBehind())
            store::removeLeftovers();
        return true;
    }
    const store::DatabaseLock::Holder &holder = m_lock->holder();
    const QString since = holder.since.isValid()
                              ? QStringLiteral(" (od %1)").arg(store::czechDateTime(holder.since))
                              : QString();
    if (status == Status::HeldHere) {
        // Two windows of this computer never both write.
        const platform::Button answer = platform::services().messageBox(
            platform::applicationTitle(),
            QStringLiteral("Databáze je právě otevřená v jiném okně programu Chichotek%1.\n\n"
                           "Chcete ji otevřít jen pro čtení? Změny pak nebude možné ukládat. "
                           "Jinak se program ukončí.")
                .arg(since),
            platform::MessageKind::Warning, platform::Yes | platform::No);
        if (answer != platform::Yes) {
            m_quitAtOnce = true;
            return false;
        }
        becomeReadOnly();
        return true;
    }
    const QString text =
        status == Status::HeldElsewhere
            ? QStringLiteral("Databázi má otevřenou program Chichotek na počítači „%1“%2.\n\n"
                             "Pokud tam už neběží (spadl, nebo byl počítač vypnut), můžete ji "
                             "otevřít i pro úpravy. Jinak ji otevřete jen pro čtení, aby si "
                             "změny obou počítačů nepřekážely.")
                  .arg(holder.host, since)
            : QStringLiteral("Zámek databáze (soubor „chichotek.lock“) je prázdný nebo "
                             "poškozený%1, nejspíš proto, že program skončil dřív, než ho stihl "
                             "zapsat.\n\nPokud databázi nemá otevřenou program na jiném "
                             "počítači, můžete ji otevřít i pro úpravy.")
                  .arg(since);
    switch (
        platform::services().choose(text,
                                    {QStringLiteral("Otevřít pro úpravy"),
                                     QStringLiteral("Jen pro čtení"), QStringLiteral("Ukončit")},
                                    platform::MessageKind::Warning)) {
    case 0:
        m_lock->takeOver();
        store::removeLeftovers();
        return true;
    case 1:
        becomeReadOnly();
        return true;
    default:
        m_quitAtOnce = true;
        return false;
    }
}

void THLAVNI::becomeReadOnly()
{
    // The lock is another's: this window lets its own go and writes nothing.
    m_lock->release();
    m_readOnly = true;
    store::setReadOnly(true);
    setWindowTitle(windowTitle() + QStringLiteral(" (jen pro čtení)"));
    // Every command that writes stays disabled, whatever enables it later.
    for (QAction *writer :
         {Vytvor, Uprav, Pridat, OdstrU, Odstr, Sthnoutvtipy1, Setrit, PrNah, PrDol, Obrzek1}) {
        writer->setEnabled(false);
        connect(writer, &QAction::changed, this, [writer] {
            if (writer->isEnabled())
                writer->setEnabled(false);
        });
    }
}

void THLAVNI::applySettings()
{
    if (store::settingsLineIsOff(Nastaveni, store::StretchBackground)) {
        Roz->setChecked(false);
        Pozadi->setStretch(false);
    }
    if (store::settingsLineIsOff(Nastaveni, store::CentreBackground)) {
        Pozadi->setCenter(false);
        Centr->setChecked(false);
    }
    const std::pair<QAction *, QWidget *> buttons[] = {
        {UlozZobr, RychUloz}, {ZobTisk, RychTisk}, {ZobCopyVtip, VtipCopy}, {ZobPismo, RychPismo}};
    for (int i = 0; i < 4; ++i) {
        if (store::settingsLineIsOff(Nastaveni, store::ShowSaveButton + i)) {
            buttons[i].first->setChecked(false);
            buttons[i].second->hide();
        }
    }
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
    KopVtip->setEnabled(false);
    Vytvor->setEnabled(true);
    Pridat->setEnabled(true);
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

void THLAVNI::enableJokeOutput(bool on)
{
    for (QAction *output : {KopVtip, Tisk, UlozVtip, Koprovatdoschrnky1, Vytisknout1, Uloitjako1})
        output->setEnabled(on);
    for (QToolButton *output : {RychUloz, RychTisk, VtipCopy})
        output->setEnabled(on);
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
    } else if (!store::RtfDocumentLoad(*bytes, fresh).step(QDeadlineTimer(kJokeFirstPart))) {
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

bool THLAVNI::loadLibraries(QString *error)
{
    return store::readList(store::DbPath::listFile(), m_libraries, error);
}

void THLAVNI::showLibraries(const QString &selected, int row)
{
    Seznam->showItems(m_libraries.entries,
                      row < 0 ? -1 : store::entryRow(m_libraries.entries, selected, row));
}

store::ListEdit THLAVNI::changeLibraries(const QString &library,
                                         const std::function<bool(QStringList &)> &change,
                                         bool quiet)
{
    // Made to the list as its file holds it now: libraries added or removed
    // from outside (a sync tool, another computer) stay.
    bool gone = false;
    QString error;
    const store::ListEdit result = store::editList(
        store::DbPath::listFile(), m_libraries,
        [&](QStringList &entries) {
            gone = !library.isNull() && !entries.contains(library);
            return !gone && change(entries);
        },
        &error);
    if (gone)
        platform::services().message(
            QStringLiteral("Seznam knihoven se mezitím změnil na disku (jiným programem nebo na "
                           "jiném počítači): knihovna „%1“ v něm už není.")
                .arg(library));
    else if (result == store::ListEdit::Failed && !quiet)
        platform::services().error(error);
    return result;
}

bool THLAVNI::listIsIntact()
{
    QString error;
    if (!store::hidesDataAfterNul(store::DbPath::listFile(), &error))
        return true;
    platform::services().error(error);
    return false;
}

void THLAVNI::PridatClick()
{
    if (!listIsIntact())
        return;
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Zadej název databáze...");
    dialog.filter = QStringLiteral("Vtipy (*.vtp)|*.vtp");
    dialog.folder = QFileInfo(store::resolvePath(QStringLiteral("DataBase"))).absoluteFilePath();
    dialog.fileName = QStringLiteral("*.vtp");
    dialog.mustExist = true;
    const platform::FileChoice choice = platform::services().openFile(this, dialog);
    if (!choice.accepted())
        return;
    QString error;
    const std::optional<QStringList> lines = store::readExternalList(choice.fileName, &error);
    if (!lines) {
        platform::services().error(error);
        return;
    }
    Odloz = *lines;
    const QString name = Odloz.isEmpty() ? QStringLiteral("") : Odloz.first();
    Odloz.clear();
    const int row = Seznam->itemIndex();
    const QString selected = row >= 0 ? Seznam->item(row) : QString();
    changeLibraries(QString(), [&name](QStringList &entries) {
        entries.append(name);
        return true;
    });
    showLibraries(selected, row);
}

void THLAVNI::OdstrClick()
{
    if (!listIsIntact())
        return;
    Odstr->setEnabled(false);
    OdstrU->setEnabled(false);
    Uprav->setEnabled(false);
    setEditText(QString());
    Autor->clear();
    PopisText->clear();
    PocPod->clear();
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    const QString name = Seznam->item(row);
    changeLibraries(name, [&](QStringList &entries) {
        entries.removeAt(store::entryRow(entries, name, row));
        return true;
    });
    showLibraries(QString(), -1);
}

void THLAVNI::OdstrUClick()
{
    if (!listIsIntact())
        return;
    const QString library = Edit->text();
    const QString failed = QStringLiteral("Nepodařilo se vymazat!!!");
    // An empty or refused name would point at the database itself or outside
    // it, and a folder that is a link anywhere: nothing is touched.
    const store::DbPath folder = store::DbPath::libraryFolder(library);
    const std::optional<QStringList> contents = store::folderEntries(folder);
    if (!contents) {
        platform::services().message(failed);
        return;
    }
    // The folder's contents go to the trash; an empty folder is no error.
    QString error;
    if (!contents->isEmpty() && !platform::services().moveToTrash(*contents, &error)) {
        platform::services().message(failed);
        return;
    }
    const QString infoFailed = QStringLiteral("Nepodařilo se vymazat informační soubory...");
    for (const char *extension : {".da1", ".da2", ".da3", ".ico", ".vtp"}) {
        if (!store::deleteFile(
                store::DbPath::libraryFile(library, QString::fromLatin1(extension)))) {
            platform::services().message(infoFailed);
            return;
        }
    }
    if (!store::removeFolder(folder)) {
        platform::services().message(infoFailed);
        return;
    }
    platform::services().message(QStringLiteral("Vymazáno!!!"));
    // The list leaves the library whose files are gone: after a sort the
    // selected row can hold another name than the name box.
    if (Seznam->itemIndex() < 0 || Seznam->item(Seznam->itemIndex()) != library) {
        const QStringList names = Seznam->items();
        Seznam->setItemIndex(int(names.indexOf(library)));
    }
    OdstrClick();
}

void THLAVNI::moveSelected(int by)
{
    const int row = Seznam->itemIndex();
    if (row < 0 || row + by < 0 || row + by >= Seznam->count() || !listIsIntact())
        return;
    const QString name = Seznam->item(row);
    int moved = row;
    // A failure to write is not reported; the list shows the move all the
    // same, and the next command writes it.
    changeLibraries(
        name,
        [&](QStringList &entries) {
            const int at = store::entryRow(entries, name, row);
            if (at + by < 0 || at + by >= entries.size())
                return false; // at the end of the list as it is now
            entries.move(at, at + by);
            moved = at + by;
            return true;
        },
        true);
    showLibraries(name, moved);
}

void THLAVNI::PrNahClick()
{
    moveSelected(-1);
}

void THLAVNI::PrDolClick()
{
    moveSelected(+1);
}

void THLAVNI::SetritClick()
{
    SetriditO->Execute(QStringLiteral("Setřídění se zruší vaše vlastní uspořádání!!!"),
                       QStringLiteral("Varování"), TZpravy::Kind::Warning,
                       TZpravy::OK | TZpravy::Cancel);
}

void THLAVNI::SetriditOOK()
{
    if (!listIsIntact())
        return;
    const int row = Seznam->itemIndex();
    // The user's language decides the order; a system that names none (the
    // C and POSIX locales) gets Czech, the language of the program.
    QLocale locale;
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        locale = QLocale(QLocale::Czech, QLocale::Czechia);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    changeLibraries(QString(), [&collator](QStringList &names) {
        std::stable_sort(
            names.begin(), names.end(),
            [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        return true;
    });
    // The selection stays at its place, which may now hold another name.
    Seznam->showItems(m_libraries.entries, row);
}

void THLAVNI::SetriditOCancel()
{}

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

QString THLAVNI::selectedLibrary() const
{
    return Edit->text();
}

void THLAVNI::reloadLibraries()
{
    QString error;
    if (!loadLibraries(&error)) {
        platform::services().error(error);
        return;
    }
    Seznam->setItems(m_libraries.entries);
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

// --- Files changed from outside, and what a start finds ---

void THLAVNI::followDisk(const QStringList &paths, bool everything)
{
    // The walk goes through the list as it was: what changed is taken in
    // after it.
    if (m_walking) {
        m_followPending = true;
        return;
    }
    m_followPending = false;
    if (Rezim == RezimKnihovny) {
        const store::DbPath list = store::DbPath::listFile();
        if (store::changedSince(list, m_libraries.version)) {
            const int row = Seznam->itemIndex();
            const QString selected = row >= 0 ? Seznam->item(row) : QString();
            if (loadLibraries(nullptr))
                showLibraries(selected, row);
        }
        // The description of the library in the name box, read anew when one
        // of its files changed; quietly, as nobody asked for it.
        const QString name = Edit->text();
        bool described = everything;
        for (const QString &path : paths) {
            const QString file = QFileInfo(path).fileName();
            described = described || (file.startsWith(name, Qt::CaseInsensitive) &&
                                      file.size() == name.size() + 4);
        }
        if (!name.isEmpty() && described)
            loadDescription(name);
    } else if (Rezim == RezimVtipy) {
        if (store::changedSince(store::DbPath::jokeList(m_openLibrary), m_jokes.version)) {
            const int row = Seznam->itemIndex();
            const QString selected = row >= 0 ? Seznam->item(row) : QString();
            if (store::readList(store::DbPath::jokeList(m_openLibrary), m_jokes))
                Seznam->showItems(m_jokes.entries,
                                  row < 0 ? -1 : store::entryRow(m_jokes.entries, selected, row));
        }
        const store::DbPath joke = store::DbPath::jokeFile(m_openLibrary, Edit->text());
        if (m_jokeShown && store::changedSince(joke, m_shownVersion)) {
            // Shown anew where the user was reading; a joke deleted leaves
            // the view empty.
            const int scrolled = Vtip->verticalScrollBar()->value();
            if (showJoke(joke)) {
                finishJoke();
                Vtip->verticalScrollBar()->setValue(scrolled);
            } else
                emptyJoke();
        }
    }
}

void THLAVNI::checkAfterStart()
{
    if (m_readOnly || Rezim != RezimKnihovny)
        return;
    offerRecovered();
    // Libraries that only a sync tool's copy of the list names.
    for (const store::ConflictCopy &copy : store::conflictCopies(store::DbPath::databaseFolder())) {
        if (copy.original.compare(QStringLiteral("seznam.dat"), Qt::CaseInsensitive) != 0 ||
            m_conflictsLetBe.contains(copy.fileName))
            continue;
        const std::optional<QStringList> listed =
            store::readList(store::DbPath::databaseFile(copy.fileName));
        QStringList missing;
        for (const QString &library : listed.value_or(QStringList())) {
            if (!m_libraries.entries.contains(library) && !missing.contains(library) &&
                store::DbPath::libraryFolder(library).isValid() &&
                QFileInfo(store::DbPath::libraryFolder(library).path()).isDir())
                missing << library;
        }
        if (missing.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("Synchronizační program nechal ve složce DataBase kopii seznamu "
                           "knihoven („%1“), protože se seznam změnil na dvou počítačích "
                           "zároveň. Jsou v ní knihovny, které v seznamu nejsou: %2.\n\n"
                           "Přidat je do seznamu? (Kopie zůstane, kde je.)")
                .arg(copy.fileName, missing.join(QStringLiteral(", "))),
            {QStringLiteral("Přidat do seznamu"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(copy.fileName);
            continue;
        }
        changeLibraries(QString(), [&missing](QStringList &entries) {
            return store::appendMissing(entries, missing);
        });
        showLibraries(QString(), -1);
    }
}

void THLAVNI::offerConflictCopies(const QString &library,
                                  const std::vector<store::ConflictCopy> &copies)
{
    if (m_readOnly)
        return;
    bool changed = false;
    // Jokes that only a sync tool's copy of the joke list names.
    for (const store::ConflictCopy &copy : copies) {
        const QString key = library + u'/' + copy.fileName;
        if (copy.original.compare(QStringLiteral("Vtipy.sez"), Qt::CaseInsensitive) != 0 ||
            m_conflictsLetBe.contains(key))
            continue;
        QStringList missing;
        for (const QString &joke :
             store::readList(store::DbPath::libraryFolderFile(library, copy.fileName))
                 .value_or(QStringList())) {
            if (!m_jokes.entries.contains(joke) && !missing.contains(joke))
                missing << joke;
        }
        if (missing.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("V knihovně „%1“ je kopie seznamu vtipů („%2“), kterou nechal "
                           "synchronizační program, když se seznam změnil na dvou počítačích "
                           "zároveň. Jsou v ní vtipy, které v seznamu nejsou: %3.\n\n"
                           "Přidat je do knihovny? (Kopie zůstane, kde je.)")
                .arg(library, copy.fileName, missing.join(QStringLiteral(", "))),
            {QStringLiteral("Přidat do knihovny"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(key);
            continue;
        }
        QString error;
        if (store::editList(
                store::DbPath::jokeList(library), m_jokes,
                [&missing](QStringList &entries) { return store::appendMissing(entries, missing); },
                &error) == store::ListEdit::Failed)
            platform::services().error(error);
        changed = true;
    }
    // Jokes a sync tool kept in a copy: each may become a joke of its own,
    // under a name that says what it is.
    for (const store::ConflictCopy &copy : copies) {
        const QString key = library + u'/' + copy.fileName;
        if (!copy.original.endsWith(QLatin1String(".vti"), Qt::CaseInsensitive) ||
            m_conflictsLetBe.contains(key))
            continue;
        const QString joke = copy.original.chopped(4);
        const QString name =
            store::freeJokeName(library, m_jokes.entries, joke, QStringLiteral("jiná verze"));
        if (name.isEmpty())
            continue;
        const int answer = platform::services().choose(
            QStringLiteral("V knihovně „%1“ je kopie vtipu „%2“ („%3“), kterou nechal "
                           "synchronizační program, když se vtip změnil na dvou počítačích "
                           "zároveň.\n\nPřidat ji do knihovny jako samostatný vtip „%4“?")
                .arg(library, joke, copy.fileName, name),
            {QStringLiteral("Přidat jako vtip"), QStringLiteral("Nechat být")});
        if (answer != 0) {
            m_conflictsLetBe.insert(key);
            continue;
        }
        QString error;
        if (!store::renameFile(store::DbPath::libraryFolderFile(library, copy.fileName),
                               store::DbPath::jokeFile(library, name), &error) ||
            store::editList(
                store::DbPath::jokeList(library), m_jokes,
                [&name](QStringList &entries) { return store::appendMissing(entries, {name}); },
                &error) == store::ListEdit::Failed)
            platform::services().error(error);
        changed = true;
    }
    if (changed && Rezim == RezimVtipy && m_openLibrary == library)
        Seznam->showItems(m_jokes.entries, -1);
}

void THLAVNI::offerRecovered()
{
    for (const store::Recovered &kept : store::recoveries(QDir::currentPath())) {
        const QString when = kept.kept.isValid()
                                 ? QStringLiteral(" (%1)").arg(store::czechDateTime(kept.kept))
                                 : QString();
        const int answer = platform::services().choose(
            QStringLiteral("Program minule skončil dřív, než uložil, co jste napsali do vtipu "
                           "„%1“ v knihovně „%2“%3.\n\nChcete ten text obnovit?")
                .arg(kept.joke, kept.library, when),
            {QStringLiteral("Obnovit"), QStringLiteral("Zahodit"), QStringLiteral("Později")});
        if (answer == 2 || answer < 0)
            continue;
        if (answer == 1) {
            store::dropRecovery(kept.programFolder, kept.library, kept.joke);
            continue;
        }
        // The joke takes the text where its file is still what the typing
        // started from; otherwise the text becomes a joke of its own beside it.
        const store::DbPath file = store::DbPath::jokeFile(kept.library, kept.joke);
        store::FileVersion now;
        store::readBytes(file, store::kJokeLimit, nullptr, &now);
        const bool unchanged = now.isUnreadable() ? false
                               : kept.base.isEmpty()
                                   ? now.state() == store::FileVersion::State::Missing
                                   : now.contentHash() == kept.base;
        QString error;
        QString where = kept.joke;
        bool saved = false;
        if (unchanged) {
            saved = store::writeBytes(file, kept.rtf, &error, &now);
        } else {
            const store::DbPath list = store::DbPath::jokeList(kept.library);
            store::ListCopy jokes;
            store::FileVersion none = store::FileVersion::missing();
            saved = store::readList(list, jokes, &error);
            where = saved ? store::freeJokeName(kept.library, jokes.entries, kept.joke,
                                                QStringLiteral("obnovená verze"))
                          : QString();
            saved = saved && !where.isEmpty() &&
                    store::writeBytes(store::DbPath::jokeFile(kept.library, where), kept.rtf,
                                      &error, &none) &&
                    store::editList(
                        list, jokes,
                        [&where](QStringList &entries) {
                            return store::appendMissing(entries, {where});
                        },
                        &error) == store::ListEdit::Written;
        }
        if (!saved) {
            // Kept for the next start.
            platform::services().error(error);
            continue;
        }
        store::dropRecovery(kept.programFolder, kept.library, kept.joke);
        platform::services().message(
            where == kept.joke
                ? QStringLiteral("Text vtipu „%1“ v knihovně „%2“ byl obnoven.")
                      .arg(where, kept.library)
                : QStringLiteral("Vtip „%1“ se mezitím změnil, obnovený text je proto v "
                                 "knihovně „%2“ jako samostatný vtip „%3“.")
                      .arg(kept.joke, kept.library, where));
    }
}

void THLAVNI::endWithoutQuestions()
{
    if (!m_readOnly) {
        JokeEditor::saveAllForExit();
        saveSettings(nullptr);
        // Nothing more is written, whatever the windows still do on their way
        // out.
        store::setReadOnly(true);
    }
    if (m_lock)
        m_lock->release();
    QCoreApplication::exit(0);
}

// --- Totals, search, about box and eggs ---

namespace {

// The joke count of a count file's first line: a decimal whole number from 0
// up to the largest int, blanks around it allowed.
std::optional<int> jokeCount(const QString &line)
{
    const QString digits = line.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const qint64 count = digits.toLongLong();
    if (count > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(count);
}

} // namespace

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

void THLAVNI::celkovyClick()
{
    if (m_walking)
        return;
    if (CelkemDetaily)
        CelkemDetaily->clearLines();
    m_walkSelection = Seznam->itemIndex();
    m_walkLast = Seznam->count() - 1;
    m_walkPosition = -1;
    m_walkTotal = 0;
    m_walkLibraries = 0;
    Seznam->setItemIndex(-1);
    Seznam->setEnabled(false);
    lockForWalk(true);
    m_walking = true;
    Pocitej->start();
}

void THLAVNI::PocitejTimer()
{
    // A step waiting for the user in a message box holds the walk: the timer
    // stays stopped until the step is done, and nothing runs inside it.
    if (!m_walking || m_walkStepRunning)
        return;
    if (m_walkPosition >= m_walkLast || m_walkPosition + 1 >= Seznam->count()) {
        Pocitej->stop();
        finishWalk();
        return;
    }
    m_walkStepRunning = true;

    // The walk keeps its own place, so that a selection made meanwhile (by
    // the find window) cannot send it back or past the end.
    ++m_walkPosition;
    Seznam->setItemIndex(m_walkPosition);
    const QString name = Seznam->item(m_walkPosition);
    // The panel shows every library of the walk, and every library that
    // cannot be loaded is reported, also the one already in `Edit`.
    if (Edit->text() == name)
        EditChange();
    else
        Edit->setText(name);
    // The count was loaded into the panel a moment ago, unless the panel's
    // load stopped before it.
    const store::DbPath countFile = store::DbPath::libraryFile(name, QStringLiteral(".da2"));
    Soubor = countFile.display();
    const bool loaded = m_countShownFor == name || loadRichBox(PocPod, countFile);
    ++m_walkLibraries;
    // A count that cannot be loaded adds nothing: the panel's load has
    // reported it, and the count still in `PocPod` is another library's.
    if (loaded) {
        const QString first = store::firstLine(PocPod->toPlainText());
        if (const std::optional<int> count = jokeCount(first)) {
            m_walkTotal += *count;
            if (CelkemDetaily)
                CelkemDetaily->addLine(
                    QStringLiteral("Knihovna \"") + name + QStringLiteral("\" má ") + first +
                    QStringLiteral(" podložek, zatím napočítáno ") + QString::number(m_walkTotal) +
                    QStringLiteral(" vtipů ve ") + QString::number(m_walkLibraries) +
                    QStringLiteral(". knihovně. ;     "));
        } else {
            holdWalk();
            platform::services().error(QStringLiteral("„%1“ není platné celé číslo.").arg(first));
        }
    }

    m_walkStepRunning = false;
    // A step that waited for the user goes on a tick after it.
    if (m_walking && !Pocitej->isActive())
        Pocitej->start();
}

void THLAVNI::holdWalk()
{
    // No tick comes while a step waits for the user.
    if (m_walking)
        Pocitej->stop();
}

void THLAVNI::finishWalk()
{
    m_walking = false;
    const QString total = QString::number(m_walkTotal);
    const QString libraries = QString::number(m_walkLibraries);
    if (CelkemDetaily) {
        CelkemDetaily->addLine(QString());
        CelkemDetaily->addLine(QStringLiteral("Celkem ") + total + QStringLiteral(" vtipů v ") +
                               libraries + QStringLiteral(". knihovnách."));
        CelkemDetaily->showLines();
    }
    if (CelkemVtipu) {
        CelkemVtipu->PocetVtipu->setText(total);
        CelkemVtipu->Knihovnach->setText(libraries);
        CelkemVtipu->exec();
    }
    Seznam->setItemIndex(m_walkSelection);
    Seznam->setEnabled(true);
    lockForWalk(false);
    const int row = Seznam->itemIndex();
    if (row >= 0)
        setEditText(Seznam->item(row));
    if (m_followPending)
        followDisk({}, true);
}

void THLAVNI::lockForWalk(bool lock)
{
    if (lock) {
        m_walkLocked.clear();
        for (QAction *command :
             {OtevriAkce, Vytvor, Uprav, Pridat, Odstr, OdstrU, Setrit, PrNah, PrDol, celkovy}) {
            m_walkLocked.append({command, command->isEnabled()});
            command->setEnabled(false);
        }
        m_walkTlacEnabled = Tlac->isEnabled();
        Tlac->setEnabled(false);
        return;
    }
    for (const auto &[command, enabled] : std::as_const(m_walkLocked))
        command->setEnabled(enabled);
    m_walkLocked.clear();
    Tlac->setEnabled(m_walkTlacEnabled);
}

void THLAVNI::NajitClick()
{
    if (!look || look->isVisible())
        return;
    platform::services().message(QStringLiteral("Bohužel musíte zadat celý název vtipu!!!"));
    look->show();
}

void THLAVNI::HledatVTextClick()
{
    if (!m_textSearch)
        m_textSearch = new THledani(store::searchCacheFile(QDir::currentPath()), this);
    m_textSearch->open();
}

bool THLAVNI::showFoundJoke(const QString &library, const QString &joke, QString *why)
{
    const auto rowOf = [this](const QString &name) {
        for (int i = 0; i < Seznam->count(); ++i) {
            if (Seznam->item(i) == name)
                return i;
        }
        return -1;
    };
    if (m_walking || QApplication::activeModalWidget()) {
        *why = QStringLiteral("Hlavní okno je zaneprázdněné, zkuste to za chvíli.");
        return false;
    }
    if (Rezim != RezimVtipy || m_openLibrary != library) {
        if (Rezim == RezimVtipy)
            OtevriAkceExecute(); // back to the libraries
        const int row = rowOf(library);
        if (Rezim != RezimKnihovny || row < 0) {
            *why = QStringLiteral("Knihovna „%1“ už v seznamu není.").arg(library);
            return false;
        }
        Seznam->setItemIndex(row);
        SeznamClick();
        OtevriAkceExecute();
        if (Rezim != RezimVtipy || m_openLibrary != library) {
            *why = QStringLiteral("Knihovnu „%1“ nelze otevřít.").arg(library);
            return false;
        }
    }
    const int row = rowOf(joke);
    if (row < 0) {
        *why = QStringLiteral("Vtip „%1“ už v knihovně „%2“ není.").arg(joke, library);
        return false;
    }
    Seznam->setItemIndex(row);
    SeznamClick();
    return true;
}

void THLAVNI::Oaplikaci1Click()
{
    if (AboutBox)
        AboutBox->exec();
}

void THLAVNI::Sthnoutvtipy1Click()
{
    platform::services().message(QStringLiteral("Změna se projeví až po restartování programu!!!"));
    // The updater runs on its own; whether it starts is its own affair.
    platform::services().startProgram(SlozkaProgramu + QStringLiteral("Aktualizace.exe"));
}

void THLAVNI::Publikovatknihovnu1Click()
{
    platform::services().message(
        QStringLiteral("Zabalte vaši knihovnu se vším všudy a pošlete mi ji na Email ") +
        MaintainerEmail + u'.');
}

void THLAVNI::IkonkaDblClick()
{
    ++IkonkaCount;
    if (IkonkaCount < 3) {
        platform::services().message(QStringLiteral("Máš problém?"));
    } else if (IkonkaCount == 3) {
        napoveda->show();
        napoveda->setActive(true);
    } else {
        napoveda->hide();
        napoveda->setActive(false);
        IkonkaCount = 0;
    }
}

void THLAVNI::EggExecute()
{
    if (!Odemk->isChecked()) {
        Panel->resize(Panel->width() + 4, Panel->height());
        Odemk->setChecked(true);
        return;
    }
    // Locked again, the panel goes back to its place.
    if (m_panelFrame)
        m_panelFrame->hide();
    m_panelPressed = false;
    m_panelDragging = false;
    if (Panel->isWindow())
        dockPanel();
    Panel->resize(Panel->width() - 4, Panel->height());
    Odemk->setChecked(false);
}

void THLAVNI::OdemkClick()
{
    Egg->trigger();
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
    // Keys select and move in the whole joke.
    if (Vtip && watched == Vtip && event->type() == QEvent::KeyPress)
        finishJoke();
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
