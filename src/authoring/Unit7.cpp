#include "Unit7.h"

#include "Authoring.h"
#include "Host.h"
#include "JokeEditor.h"
#include "JokeList.h"
#include "Pictures.h"
#include "Unit8.h"
#include "Unit9.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"
#include "store/files.h"
#include "store/jokeimport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontComboBox>
#include <QFrame>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <tuple>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kNavy(0x00, 0x00, 0x80);

QFont msSansSerif(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// The font of the joke text: text typed into an empty box, and a joke file
// of plain text, take it.
QFont jokeFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(true);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top,
              const QFont &font, const QColor &colour = QColor())
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    if (colour.isValid()) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, colour);
        l->setPalette(palette);
    }
    l->move(left, top);
    l->resize(l->sizeHint());
    return l;
}

QPlainTextEdit *memo(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setGeometry(geometry);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->document()->setDocumentMargin(1);
    return m;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

// A flat button with a picture, its hint, and the name a screen reader says
// for it.
QToolButton *toolButton(QWidget *parent, const char *name, pictures::Tool picture,
                        const QRect &geometry, bool toggle, const QString &hint,
                        const QString &spokenName)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setIcon(pictures::tool(picture));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setCheckable(toggle);
    b->setToolTip(hint);
    b->setAccessibleName(spokenName);
    // A caption beside the picture stands on the window's face.
    colours::setBlackText(b, QPalette::ButtonText);
    // The text keeps the keyboard focus and its selection while the user
    // formats it.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// Two sheets of text and a plus: jokes added from files. Drawn when the
// window is first shown, as the other pictures are.
QIcon filesPicture()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor ink(0x20, 0x20, 0x20);
    for (const QRectF &r : {QRectF(1.5, 0.5, 8, 10), QRectF(4.5, 3.5, 8, 10)}) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.drawRect(QRectF(11, 8, 2, 8));
    p.drawRect(QRectF(8, 11, 8, 2));
    return QIcon(pixmap);
}

PictureBox *picture(QWidget *parent, const char *name, const QRect &geometry, const QImage &image)
{
    auto *p = new PictureBox(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setGeometry(geometry);
    p->setStretch(true);
    p->setImage(image);
    return p;
}

// A memo's text as a text box holds it: lines separated by CR LF.
QString memoText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (const QChar c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            out += kCrLf;
        else
            out += c;
    }
    return out;
}

// The memo's lines joined by "\n", as the main window's boxes take them.
QString memoLines(const QPlainTextEdit *box)
{
    QString text = memoText(box);
    text.replace(kCrLf, QStringLiteral("\n"));
    return text;
}

void setMemoText(QPlainTextEdit *box, QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    box->setPlainText(text);
}

// A password is one line of its file: a line break pasted into a password
// box ends the text there, as in a one-line edit of the home platform.
void keepOneLine(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString &text) {
        const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
        if (end >= 0)
            box->setText(text.left(end));
    });
}

// A read-only name box that keeps the caret where it is when it gets the
// focus instead of selecting its whole text.
class NameBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        deselect();
    }
};

} // namespace

TUprava::TUprava(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Uprava"));
    setWindowTitle(QStringLiteral("Úprava..."));
    setFont(msSansSerif(11));
    setFixedSize(442, 303);
    move(244, 132);
    // The coloured captions, and the dark pictures of the tool bar, read on
    // the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 442, 303);
    PageControl1->tabBar()->setCursor(Qt::PointingHandCursor);
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setAccessibleName(QStringLiteral("Úprava knihovny"));

    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet4, pictures::tool(pictures::Tool::Jokes), QStringLiteral("Vtipy"));
    PageControl1->addTab(TabSheet2, pictures::tool(pictures::Tool::Information),
                         QStringLiteral("Informace"));
    PageControl1->addTab(TabSheet1, pictures::tool(pictures::Tool::Password),
                         QStringLiteral("Heslo"));

    createJokesPage();
    createInformationPage();
    createPasswordPage();

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) { pageChanged(i); });

    clearJokeText();
    FormCreate();
}

TUprava::~TUprava() = default;

void TUprava::createJokesPage()
{
    QWidget *page = TabSheet4;

    Seznam = new ListBox(page);
    Seznam->setObjectName(QStringLiteral("Seznam"));
    Seznam->setGeometry(8, 24, 145, 177);
    Seznam->setItemHeight(13);
    Seznam->installEventFilter(this);
    connect(Seznam, &ListBox::userSelected, this, [this] { SeznamClick(); });
    Seznam->setAccessibleName(QStringLiteral("Seznam vtipů"));
    m_jokes = std::make_unique<JokeList>(Seznam);

    Edit = new NameBox(page);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(8, 201, 145, 21);
    Edit->setReadOnly(true);
    Edit->setFont(msSansSerif(11, true));
    Edit->setAccessibleName(QStringLiteral("Vybraný vtip"));
    connect(Edit, &QLineEdit::textChanged, this, [this] { EditChange(); });

    Vtip = new QTextEdit(page);
    Vtip->setObjectName(QStringLiteral("Vtip"));
    Vtip->setGeometry(160, 24, 273, 235);
    Vtip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->viewport()->setCursor(Qt::IBeamCursor);
    Vtip->setFont(jokeFont());
    Vtip->setAcceptRichText(true);
    Vtip->setContextMenuPolicy(Qt::CustomContextMenu);
    Vtip->setAccessibleName(QStringLiteral("Text vtipu"));
    colours::setJokePaper(Vtip);
    m_joke = new JokeEditor(Vtip, &SouborVtipu, this, this);
    connect(Vtip, &QTextEdit::cursorPositionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::selectionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::currentCharFormatChanged, this, [this] { VtipSelectionChange(); });

    Button3 = button(page, "Button3", QStringLiteral("Přidat..."), QRect(16, 226, 65, 17));
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    Button4 = button(page, "Button4", QStringLiteral("Odebrat"), QRect(80, 226, 65, 17));
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    // Beside the move bar and as large as its buttons: the page has no room
    // for another push button. The list's pop-up menu has the command too,
    // and files dropped on the list are added the same way.
    PridatSoubory = new QToolButton(page);
    PridatSoubory->setObjectName(QStringLiteral("PridatSoubory"));
    PridatSoubory->setGeometry(124, 245, 25, 25);
    PridatSoubory->setIconSize(QSize(16, 16));
    PridatSoubory->setAutoRaise(true);
    colours::setBlackText(PridatSoubory, QPalette::ButtonText);
    PridatSoubory->setToolTip(QStringLiteral("Přidat vtipy ze souborů... (nebo soubory "
                                             "přetáhněte na seznam vtipů)"));
    PridatSoubory->setAccessibleName(QStringLiteral("Přidat vtipy ze souborů"));
    PridatSoubory->setFocusPolicy(Qt::NoFocus);
    connect(PridatSoubory, &QToolButton::clicked, this, [this] { PridatSouboryClick(); });

    NabidkaSeznamu = new QMenu(this);
    NabidkaSeznamu->setObjectName(QStringLiteral("NabidkaSeznamu"));
    Pridat1 = NabidkaSeznamu->addAction(QStringLiteral("Přidat..."));
    Pridat1->setObjectName(QStringLiteral("Pridat1"));
    connect(Pridat1, &QAction::triggered, this, [this] { Button3Click(); });
    PridatSoubory1 = NabidkaSeznamu->addAction(QStringLiteral("Přidat ze souborů..."));
    PridatSoubory1->setObjectName(QStringLiteral("PridatSoubory1"));
    connect(PridatSoubory1, &QAction::triggered, this, [this] { PridatSouboryClick(); });
    Seznam->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Seznam, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        NabidkaSeznamu->popup(Seznam->viewport()->mapToGlobal(at));
    });
    // Files dropped from a file manager; the list's own drag and drop stays
    // off.
    Seznam->setAcceptDrops(true);
    Seznam->viewport()->setAcceptDrops(true);
    Seznam->viewport()->installEventFilter(this);

    Pocty = new QLabel(page);
    Pocty->setObjectName(QStringLiteral("Pocty"));
    Pocty->setGeometry(160, 261, 273, 13);
    Pocty->setAccessibleName(QStringLiteral("Počet slov a znaků"));

    createToolBar();

    PolohaBar = new QFrame(page);
    PolohaBar->setObjectName(QStringLiteral("PolohaBar"));
    PolohaBar->setGeometry(40, 243, 77, 29);
    PolohaBar->setFrameShape(QFrame::Panel);
    PolohaBar->setFrameShadow(QFrame::Raised);
    SpeedButton2 = toolButton(
        PolohaBar, "SpeedButton2", pictures::Tool::MoveUp, QRect(0, 2, 25, 25), false,
        QStringLiteral("Přesune vtip o podlužku víš."), QStringLiteral("Posunout vtip nahoru"));
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { Aktualizovat(); });
    Presun = toolButton(PolohaBar, "Presun", pictures::Tool::MoveTo, QRect(25, 2, 25, 25), false,
                        QStringLiteral("Přesunout vtip na..."),
                        QStringLiteral("Přesunout vtip na jiné místo"));
    connect(Presun, &QToolButton::clicked, this, [this] { PresunClick(); });
    SpeedButton3 = toolButton(
        PolohaBar, "SpeedButton3", pictures::Tool::MoveDown, QRect(50, 2, 27, 25), false,
        QStringLiteral("Posune vtip o políčko dolu."), QStringLiteral("Posunout vtip dolů"));
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { Image5Click(); });

    Nabidka = new QMenu(this);
    Nabidka->setObjectName(QStringLiteral("Nabidka"));
    Vyjmout1 = Nabidka->addAction(pictures::tool(pictures::Tool::Cut), QStringLiteral("Vyjmout"));
    Vyjmout1->setObjectName(QStringLiteral("Vyjmout1"));
    connect(Vyjmout1, &QAction::triggered, this, [this] { Vyjmout1Click(); });
    Koprovat1 =
        Nabidka->addAction(pictures::tool(pictures::Tool::Copy), QStringLiteral("Kopírovat"));
    Koprovat1->setObjectName(QStringLiteral("Koprovat1"));
    connect(Koprovat1, &QAction::triggered, this, [this] { Koprovat1Click(); });
    Vlozit = Nabidka->addAction(pictures::tool(pictures::Tool::Paste), QStringLiteral("Vložit"));
    Vlozit->setObjectName(QStringLiteral("Vlozit"));
    connect(Vlozit, &QAction::triggered, this, [this] { VlozitClick(); });
    Nabidka->addSeparator();
    Zpet1 = Nabidka->addAction(pictures::tool(pictures::Tool::Undo), QStringLiteral("Zpět"));
    Zpet1->setObjectName(QStringLiteral("Zpet1"));
    Zpet1->setShortcut(QKeySequence::Undo);
    connect(Zpet1, &QAction::triggered, this, [this] { ToolButton1Click(); });
    Znovu1 = Nabidka->addAction(pictures::tool(pictures::Tool::Redo), QStringLiteral("Znovu"));
    Znovu1->setObjectName(QStringLiteral("Znovu1"));
    Znovu1->setShortcut(QKeySequence::Redo);
    connect(Znovu1, &QAction::triggered, this, [this] { m_joke->redo(); });
    // The pop-up menu, with a misspelt word's suggestions before it.
    connect(Vtip, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        m_joke->contextMenu(at, Nabidka->actions())->popup(Vtip->viewport()->mapToGlobal(at));
    });
}

void TUprava::createToolBar()
{
    ToolBar = new QFrame(TabSheet4);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFrameShape(QFrame::NoFrame);
    ToolBar->setGeometry(0, 0, 442, 22);

    constexpr int kButton = 23;
    constexpr int kSeparator = 8;
    int left = 0;
    const auto next = [&left](int width) {
        const QRect r(left, 0, width, 22);
        left += width;
        return r;
    };
    const auto separator = [&left, this] {
        auto *line = new QFrame(ToolBar);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(left + kSeparator / 2 - 1, 2, 2, 18);
        left += kSeparator;
    };

    using pictures::Tool;
    Tucne = toolButton(ToolBar, "Tucne", Tool::Bold, next(kButton), true, QStringLiteral("Tučně"),
                       QStringLiteral("Tučně"));
    connect(Tucne, &QToolButton::clicked, this, [this] { TucneClick(); });
    Kurziva = toolButton(ToolBar, "Kurziva", Tool::Italic, next(kButton), true,
                         QStringLiteral("Kurzíva"), QStringLiteral("Kurzíva"));
    connect(Kurziva, &QToolButton::clicked, this, [this] { KurzivaClick(); });
    podtrh = toolButton(ToolBar, "podtrh", Tool::Underline, next(kButton), true,
                        QStringLiteral("Podtržení"), QStringLiteral("Podtržení"));
    connect(podtrh, &QToolButton::clicked, this, [this] { podtrhClick(); });
    separator();

    SpeedButton1 =
        toolButton(ToolBar, "SpeedButton1", Tool::Colour, next(62), false, QString(), QString());
    SpeedButton1->setText(QStringLiteral("Barva..."));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

    VelikostPisma = new JokeSizeBox(ToolBar);
    VelikostPisma->setObjectName(QStringLiteral("VelikostPisma"));
    VelikostPisma->setGeometry(next(33).adjusted(0, 1, 0, -1));
    VelikostPisma->setToolTip(QStringLiteral("Nastavení velikosti písma."));
    VelikostPisma->setAccessibleName(QStringLiteral("Velikost písma"));
    connect(VelikostPisma, &JokeSizeBox::sizeChosen, this, [this] { VelikostPismaChange(); });

    m_fontBoxGeometry = next(110).adjusted(0, 1, 0, -1);

    ToolButton1 = toolButton(ToolBar, "ToolButton1", Tool::Undo, next(kButton), false,
                             QStringLiteral("Zpět"), QStringLiteral("Zpět"));
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    ToolButton2 = toolButton(ToolBar, "ToolButton2", Tool::Redo, next(kButton), false,
                             QStringLiteral("Znovu"), QStringLiteral("Znovu"));
    connect(ToolButton2, &QToolButton::clicked, this, [this] { m_joke->redo(); });
    separator();
    Odrazky = toolButton(ToolBar, "Odrazky", Tool::Bullets, next(kButton), true,
                         QStringLiteral("Vložit odrážky"), QStringLiteral("Odrážky"));
    connect(Odrazky, &QToolButton::clicked, this, [this] { OdrazkyClick(); });
    separator();
    ZarL = toolButton(ToolBar, "ZarL", Tool::AlignLeft, next(kButton), true,
                      QStringLiteral("Zarovnat do leva"), QStringLiteral("Zarovnat doleva"));
    ZarL->setProperty("tag", 0);
    ZarL->setChecked(true);
    connect(ZarL, &QToolButton::clicked, this, [this] { ZarLClick(); });
    ZarS = toolButton(ToolBar, "ZarS", Tool::AlignCentre, next(kButton), true,
                      QStringLiteral("Zarovnat na střed"), QStringLiteral("Zarovnat na střed"));
    ZarS->setProperty("tag", 2);
    connect(ZarS, &QToolButton::clicked, this, [this] { ZarSClick(); });
    ZarP = toolButton(ToolBar, "ZarP", Tool::AlignRight, next(kButton), true,
                      QStringLiteral("Zarovnat doprava"), QStringLiteral("Zarovnat doprava"));
    ZarP->setProperty("tag", 1);
    connect(ZarP, &QToolButton::clicked, this, [this] { ZarPClick(); });

    JokeEditor::Tools tools;
    tools.bold = Tucne;
    tools.italic = Kurziva;
    tools.underline = podtrh;
    tools.size = VelikostPisma;
    tools.sizeFollows = true;
    tools.bullets = Odrazky;
    tools.alignLeft = ZarL;
    tools.alignCentre = ZarS;
    tools.alignRight = ZarP;
    tools.undo = ToolButton1;
    tools.redo = ToolButton2;
    tools.counts = Pocty;
    m_joke->setTools(tools);
}

void TUprava::createFontBox()
{
    FontSeznam = new QFontComboBox(ToolBar);
    FontSeznam->setObjectName(QStringLiteral("FontSeznam"));
    FontSeznam->setGeometry(m_fontBoxGeometry);
    FontSeznam->setEditable(true);
    FontSeznam->setInsertPolicy(QComboBox::NoInsert);
    FontSeznam->setAccessibleName(QStringLiteral("Písmo"));
    FontSeznam->show();
    setTabOrder(VelikostPisma, FontSeznam);
    connect(FontSeznam, &QComboBox::activated, this, [this](int i) { FontSeznamChange(i); });
    m_joke->setFamilyBox(FontSeznam);
}

void TUprava::createInformationPage()
{
    QWidget *page = TabSheet2;
    const QFont normal = msSansSerif(11);

    Label14 = label(page, "Label14", QStringLiteral("Jméno autora:"), 16, 24, normal);
    Autor = memo(page, "Autor", QRect(88, 24, 137, 17));
    nameByLabel(Label14, Autor);
    Label15 = label(page, "Label15", QStringLiteral("Počet podložek:"), 8, 48, normal);
    PocPod = memo(page, "PocPod", QRect(88, 48, 33, 17));
    PocPod->setReadOnly(true);
    PocPod->setPlainText(QStringLiteral("0"));
    QPalette parentColour = PocPod->palette();
    parentColour.setColor(QPalette::Base, page->palette().color(QPalette::Window));
    PocPod->setPalette(parentColour);
    colours::setBlackText(PocPod, QPalette::Text);
    nameByLabel(Label15, PocPod);
    Label9 = label(page, "Label9", QStringLiteral("Popis:"), 56, 72, normal);
    Popis = memo(page, "Popis", QRect(88, 72, 161, 97));
    nameByLabel(Label9, Popis);

    Ikonka = new PictureBox(page);
    Ikonka->setObjectName(QStringLiteral("Ikonka"));
    Ikonka->setGeometry(320, 64, 32, 32);
    Ikonka->setStretch(true);
    Ikonka->setCenter(true);
    Ikonka->setToolTip(
        QStringLiteral("Bude zobrazena v popisu knihovny a v levém horním rohu okna."));
    Ikonka->setAccessibleName(QStringLiteral("Ikonka knihovny"));
    Ikonka->installEventFilter(this);

    Button2 = button(page, "Button2", QStringLiteral("Nahrát..."), QRect(312, 96, 51, 17));
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    Apply = button(page, "Apply", QStringLiteral("Změnit"), QRect(184, 192, 75, 25));
    Apply->setIcon(pictures::tool(pictures::Tool::Ok));
    Apply->setFont(msSansSerif(11, true));
    QPalette maroon = Apply->palette();
    maroon.setColor(QPalette::ButtonText, kMaroon);
    // The maroon reads on the face of the home platform's buttons.
    maroon.setColor(QPalette::Button, colours::face());
    Apply->setPalette(maroon);
    // Enter acts as "Změnit" while this page is shown (a hidden button is
    // not the dialog's default).
    Apply->setDefault(true);
    connect(Apply, &QPushButton::clicked, this, [this] { ApplyClick(); });
}

void TUprava::createPasswordPage()
{
    QWidget *page = TabSheet1;

    Label3 = label(page, "Label3", QStringLiteral("Heslo:"), 72, 24, msSansSerif(19), Qt::red);
    Heslo = new QLineEdit(page);
    Heslo->setObjectName(QStringLiteral("Heslo"));
    Heslo->setGeometry(128, 24, 129, 21);
    Heslo->setEchoMode(QLineEdit::Password);
    Heslo->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    connect(Heslo, &QLineEdit::textEdited, this, [this] { HesloChange(); });
    keepOneLine(Heslo);
    nameByLabel(Label3, Heslo);

    Label4 =
        label(page, "Label4", QStringLiteral("Potvrzení hesla:"), 8, 56, msSansSerif(16), kNavy);
    Potvrzeni = new QLineEdit(page);
    Potvrzeni->setObjectName(QStringLiteral("Potvrzeni"));
    Potvrzeni->setGeometry(128, 56, 129, 21);
    Potvrzeni->setEchoMode(QLineEdit::Password);
    Potvrzeni->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    keepOneLine(Potvrzeni);
    nameByLabel(Label4, Potvrzeni);

    Porov = button(page, "Porov", QStringLiteral("Změnit heslo"), QRect(152, 88, 75, 17));
    Porov->setEnabled(false);
    connect(Porov, &QPushButton::clicked, this, [this] { PorovClick(); });

    Image1 = picture(page, "Image1", QRect(136, 88, 17, 17), pictures::key(17, 17));
    Image3 = picture(page, "Image3", QRect(224, 88, 17, 17), pictures::key(17, 17));
    Image2 = picture(page, "Image2", QRect(312, 16, 49, 49), pictures::padlock(49, 49));

    Label5 = new QLabel(QStringLiteral("Pro zajištění toho, že vám nikdo nebude upravovat vaši "
                                       "knihovnu si zvolte heslo, které budete používat pro "
                                       "přístup k úpravám knihovny."),
                        page);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(msSansSerif(11, true));
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label5->setGeometry(8, 128, 377, 39);

    Label1 = label(page, "Label1", QStringLiteral("TIP:"), 72, 184, msSansSerif(16, true), Qt::red);
    Label2 = label(page, "Label2", QStringLiteral("Kliknutím na mě můžete deaktivovat heslo!!!"),
                   108, 188, msSansSerif(11, true), kNavy);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setToolTip(QStringLiteral("Potom ho můžete aktivovat změněním hesla!!!"));
    Label2->installEventFilter(this);
}

JokeList *TUprava::jokes()
{
    return m_jokes.get();
}

void TUprava::clearJokeText()
{
    m_joke->clear();
}

bool TUprava::updateCount()
{
    QStringList lines = store::splitLines(memoText(PocPod));
    if (lines.isEmpty())
        lines.append(QString());
    lines[0] = QString::number(Seznam->count());
    PocPod->setPlainText(lines.join(u'\n'));
    // The count file is written only when it says something else: in a
    // synced folder every write is a new version on the other computers.
    const store::DbPath file = store::DbPath::libraryFile(Nazev, QStringLiteral(".da2"));
    const QString text = lines.join(kCrLf) + kCrLf;
    store::FileVersion version;
    if (store::readText(file, nullptr, &version) == text)
        return true;
    QString error;
    if (!store::writeText(file, text, &error, &version)) {
        platform::services().error(error);
        return false;
    }
    return true;
}

void TUprava::FormCreate()
{
    PageControl1->setCurrentIndex(0);
    Vtip->setEnabled(false);
}

void TUprava::FormShow()
{
    PageControl1->setCurrentIndex(0);
    Vtip->setEnabled(false);
    // The font box lists the installed families (it follows the font
    // database itself); its text names the font of the selection.
    if (!FontSeznam)
        createFontBox();
    if (PridatSoubory->icon().isNull())
        PridatSoubory->setIcon(filesPicture());
    VtipSelectionChange();
    Presun->setEnabled(false);
    // The window opens with the focus on its tabs, not in the list.
    PageControl1->tabBar()->setFocus(Qt::OtherFocusReason);
}

void TUprava::FormActivate()
{
    updateCount();
}

void TUprava::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // The library's files are followed while the window is shown.
    if (!m_watcher) {
        m_watcher = new store::FolderWatcher(this);
        connect(m_watcher, &store::FolderWatcher::changed, this, [this] { followDisk(); });
    }
    m_watcher->watch(store::resolvePath(QStringLiteral("DataBase")));
    m_watcher->watch(store::DbPath::libraryFolder(Nazev).path());
    FormShow();
    FormActivate();
}

void TUprava::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous() && m_watcher)
        m_watcher->unwatchAll();
    QDialog::hideEvent(event);
}

void TUprava::followDisk()
{
    if (!isVisible())
        return;
    m_jokes->followDisk();
    m_joke->followDisk();
    // The information page shows a file anew where the user has not
    // changed it.
    if (PageControl1->currentWidget() != TabSheet2)
        return;
    using store::DbPath;
    const std::tuple<QPlainTextEdit *, store::FileVersion *, QString *> memos[] = {
        {Popis, &m_descriptionVersion, &m_descriptionRead},
        {Autor, &m_authorVersion, &m_authorRead}};
    const QString extensions[] = {QStringLiteral(".da1"), QStringLiteral(".da3")};
    for (int i = 0; i < 2; ++i) {
        auto [memo, version, read] = memos[i];
        const DbPath file = DbPath::libraryFile(Nazev, extensions[i]);
        if (memoText(memo) != *read || !store::changedSince(file, *version))
            continue;
        if (const std::optional<QString> text = store::readText(file, nullptr, version)) {
            setMemoText(memo, *text);
            *read = memoText(memo);
        }
    }
}

void TUprava::keyPressEvent(QKeyEvent *event)
{
    // The editor has no cancel key: it closes through its close button or
    // "Změnit".
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TUprava::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Seznam->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)) {
        // QDragEnterEvent is a QDragMoveEvent.
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedFiles(drag->mimeData()).isEmpty()) {
            drag->ignore();
        } else {
            if (drag->possibleActions() & Qt::CopyAction)
                drag->setDropAction(Qt::CopyAction);
            drag->accept();
        }
        return true;
    }
    if (watched == Seznam->viewport() && event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = droppedFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        if (drop->possibleActions() & Qt::CopyAction)
            drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Once the drop is over: the file manager the files come from is not
        // kept waiting while the name prompt asks.
        QTimer::singleShot(0, this, [this, files] { addJokesFromFiles(files); });
        return true;
    }
    if (watched == Seznam->viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        // The right button opens the list's pop-up menu and leaves the
        // selection where it is: the joke selected stays the one shown.
        return true;
    }
    if (watched == Seznam && event->type() == QEvent::FocusIn) {
        // Only the focus moving within the window enters the list; the window
        // becoming active again (after a message or a dialog) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            SeznamEnter();
    } else if ((watched == Ikonka || watched == Label2) &&
               event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *widget = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            if (watched == Ikonka)
                Button2Click();
            else
                Label2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TUprava::done(int result)
{
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
}

bool TUprava::FormCloseQuery()
{
    // A joke that cannot be written keeps the window open, with its text.
    if (Vtip->isEnabled() && !m_joke->saveChanges())
        return false;
    platform::services().beep();
    platform::services().message(QStringLiteral("Vaše knihovna byla úspěšně upravena!!!"));
    return true;
}

void TUprava::SeznamClick()
{
    if (!updateCount())
        return;
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    const QString name = Seznam->item(row);
    // The open joke's changes that are not in its file yet are written
    // before another joke is loaded over them, and when the open joke is
    // selected again; a joke that cannot be written stays open. A joke only
    // looked at is not written.
    if (!m_joke->saveChanges()) {
        if (name != Edit->text())
            Seznam->setItemIndex(-1);
        return;
    }
    Edit->setText(name);
    if (!Vtip->isEnabled())
        Vtip->setEnabled(true);
}

void TUprava::EditChange()
{
    const QString name = Edit->text();
    if (name.isEmpty())
        return;
    m_joke->load(store::DbPath::jokeFile(Nazev, name));
}

void TUprava::SeznamEnter()
{
    if (!m_joke->saveChanges(true))
        return;
    Presun->setEnabled(true);
}

void TUprava::Button3Click()
{
    if (Pridat2)
        Pridat2->exec();
}

void TUprava::PridatSouboryClick()
{
    if (store::isReadOnly()) {
        platform::services().error(
            QStringLiteral("Databáze je otevřená jen pro čtení, vtipy nelze přidat."));
        return;
    }
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Přidat vtipy ze souborů...");
    dialog.filter = QStringLiteral("Vtipy a texty (*.rtf;*.txt;*.html;*.htm;*.odt;*.md)|"
                                   "*.rtf;*.txt;*.html;*.htm;*.odt;*.md|Všechny soubory (*)|*");
    dialog.folder = m_filesFolder.isEmpty() ? QDir::homePath() : m_filesFolder;
    dialog.mustExist = true;
    const QStringList files = platform::services().openFiles(this, dialog);
    if (files.isEmpty())
        return;
    m_filesFolder = QFileInfo(files.first()).absolutePath();
    addJokesFromFiles(files);
}

QStringList TUprava::droppedFiles(const QMimeData *data) const
{
    if (!data || !data->hasUrls() || store::isReadOnly() || !isVisible())
        return {};
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || !store::isJokeSourceFile(url.toLocalFile()))
            return {};
        files << url.toLocalFile();
    }
    return files;
}

QString TUprava::nameProblem(const QString &name, const QStringList &taken) const
{
    if (name.isEmpty())
        return QStringLiteral("Vtip musí mít název.");
    const store::DbPath file = store::DbPath::jokeFile(Nazev, name);
    if (!file.isValid())
        return QStringLiteral("Název „%1“ nelze použít jako název souboru.").arg(name);
    // A joke's file serves every entry of its name, letter case aside; a
    // file of the name that the list does not hold is not written over.
    if (m_jokes->entries().contains(name, Qt::CaseInsensitive) ||
        taken.contains(name, Qt::CaseInsensitive) || store::exists(file))
        return QStringLiteral("Vtip „%1“ už v knihovně je.").arg(name);
    return {};
}

void TUprava::addJokesFromFiles(const QStringList &files)
{
    if (files.isEmpty())
        return;
    if (store::isReadOnly()) {
        platform::services().error(
            QStringLiteral("Databáze je otevřená jen pro čtení, vtipy nelze přidat."));
        return;
    }
    // As before another joke is opened: the open joke's changes are written
    // first, and a joke that cannot be written keeps the window as it is.
    if (!m_joke->saveChanges())
        return;
    m_jokes->followDisk();

    QList<std::pair<QString, QByteArray>> jokes;
    QStringList names; // of the new jokes so far
    QStringList failures;
    for (const QString &file : files) {
        QString error;
        const std::optional<QByteArray> rtf = store::jokeFromFile(file, &error, Vtip->font());
        if (!rtf) {
            failures << error;
            continue;
        }
        QString name = store::jokeNameForFile(file);
        if (!nameProblem(name, names).isEmpty()) {
            if (!Pridat2)
                continue;
            const QString fileName = QFileInfo(file).fileName();
            const auto caption = [&](const QString &why) {
                return QStringLiteral("%1 Zadejte pro vtip ze souboru „%2“ jiný název, nebo "
                                      "soubor vynechte tlačítkem Storno.")
                    .arg(why, fileName);
            };
            const std::optional<QString> other = Pridat2->askName(
                name, caption(nameProblem(name, names)), [&](const QString &typed) {
                    const QString why = nameProblem(typed, names);
                    return why.isEmpty() ? QString() : caption(why);
                });
            if (!other)
                continue;
            name = *other;
        }
        names << name;
        jokes.push_back({name, *rtf});
    }

    if (!jokes.isEmpty()) {
        const int first = m_jokes->addAll(jokes);
        if (first >= 0) {
            // The first new joke selected and open, as a click opens it.
            const bool again = Edit->text() == Seznam->item(first);
            Seznam->setItemIndex(first);
            SeznamClick();
            if (again)
                EditChange();
        }
    }
    if (!failures.isEmpty()) {
        platform::services().error(
            QStringLiteral("Tyto soubory se nepodařilo přidat:\n\n%1").arg(failures.join(u'\n')));
    }
}

void TUprava::Button4Click()
{
    const int row = Seznam->itemIndex();
    if (row < 0)
        return; // nothing to remove: the open joke stays open with its changes
    // The open joke's file goes only as the version the window read.
    const bool open = SouborVtipu && Seznam->item(row) == Edit->text();
    const JokeList::Outcome outcome =
        m_jokes->remove(row, true, open ? &m_joke->version() : nullptr);
    // The removed joke's text is no longer written anywhere.
    if (outcome == JokeList::Outcome::Done || outcome == JokeList::Outcome::Gone)
        Vtip->setEnabled(false);
}

void TUprava::moveSelected(bool up)
{
    const int row = Seznam->itemIndex();
    const JokeList::Outcome outcome = m_jokes->move(row, [up](int at, int count) {
        if (up)
            return at == 0 ? count - 1 : at - 1; // the first goes last
        return at == count - 1 ? -1 : at + 1;
    });
    if (outcome == JokeList::Outcome::Unchanged)
        platform::services().beep();
}

void TUprava::Aktualizovat()
{
    moveSelected(true);
}

void TUprava::Image5Click()
{
    moveSelected(false);
}

void TUprava::PresunClick()
{
    if (PresunOkno)
        PresunOkno->exec();
}

void TUprava::VtipSelectionChange()
{
    m_joke->followSelection();
}

void TUprava::TucneClick()
{
    m_joke->toggleBold();
}

void TUprava::KurzivaClick()
{
    m_joke->toggleItalic();
}

void TUprava::podtrhClick()
{
    m_joke->toggleUnderline();
}

void TUprava::SpeedButton1Click()
{
    m_joke->chooseColour(this);
}

void TUprava::VelikostPismaChange()
{
    m_joke->applySize();
}

void TUprava::FontSeznamChange(int index)
{
    m_joke->applyFamily(index);
}

void TUprava::ToolButton1Click()
{
    m_joke->undo();
}

void TUprava::OdrazkyClick()
{
    m_joke->applyBullets();
}

void TUprava::ZarLClick()
{
    m_joke->align(ZarL);
}

void TUprava::ZarSClick()
{
    m_joke->align(ZarS);
}

void TUprava::ZarPClick()
{
    m_joke->align(ZarP);
}

void TUprava::Vyjmout1Click()
{
    m_joke->copy(true);
}

void TUprava::Koprovat1Click()
{
    m_joke->copy(false);
}

void TUprava::VlozitClick()
{
    m_joke->paste();
}

// --- Pages "Informace" and "Heslo".

void TUprava::pageChanged(int index)
{
    if (PageControl1->widget(index) == TabSheet2)
        TabSheet2Show();
    else if (PageControl1->widget(index) == TabSheet1)
        TabSheet1Show();
}

void TUprava::TabSheet2Show()
{
    // Each file is read on its own. A box whose file cannot be read is
    // emptied, so that nothing of another library (the window is reused)
    // can be written into this one by "Změnit".
    using store::DbPath;
    QStringList failures;
    QString error;
    if (const std::optional<QString> description = store::readText(
            DbPath::libraryFile(Nazev, QStringLiteral(".da1")), &error, &m_descriptionVersion)) {
        setMemoText(Popis, *description);
    } else {
        Popis->clear();
        failures << error;
    }
    if (const std::optional<QString> author = store::readText(
            DbPath::libraryFile(Nazev, QStringLiteral(".da3")), &error, &m_authorVersion)) {
        setMemoText(Autor, *author);
    } else {
        Autor->clear();
        failures << error;
    }
    m_descriptionRead = memoText(Popis);
    m_authorRead = memoText(Autor);
    if (const std::optional<store::Icon> icon =
            store::readIcon(DbPath::libraryFile(Nazev, QStringLiteral(".ico")), &error)) {
        Ikonka->setImage(icon->image);
    } else {
        Ikonka->setImage(QImage());
        failures << error;
    }
    if (!failures.isEmpty())
        platform::services().error(failures.join(u'\n'));
}

void TUprava::Button2Click()
{
    platform::services().message(
        QStringLiteral("Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."));
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Nahraj ikonku ze souboru...");
    dialog.filter = QStringLiteral("Ikonky (*.ico)|*.ico");
    dialog.fileName = QStringLiteral("*.ico");
    dialog.mustExist = true;
    dialog.picturePreview = true;
    const platform::FileChoice choice = platform::services().openFile(this, dialog);
    if (!choice.accepted())
        return;
    QString error;
    const std::optional<QByteArray> bytes =
        store::readExternal(choice.fileName, store::kIconLimit, &error);
    if (!bytes) {
        platform::services().error(error);
        return;
    }
    // Only an icon file can be read back as the library's icon, so no other
    // picture is stored under its name.
    const store::Icon icon = store::iconFromBytes(*bytes);
    if (icon.isNull()) {
        platform::services().error(QStringLiteral("Soubor „%1“ neobsahuje platnou ikonku.")
                                       .arg(QDir::toNativeSeparators(choice.fileName)));
        return;
    }
    Ikonka->setImage(icon.image);
    if (!store::writeIcon(store::DbPath::libraryFile(Nazev, QStringLiteral(".ico")), icon, &error))
        platform::services().error(error);
}

bool TUprava::writeMemo(QPlainTextEdit *memo, const QString &extension, store::FileVersion &version,
                        QString &read)
{
    // Only what the user changed is written.
    if (memoText(memo) == read)
        return true;
    const store::DbPath file = store::DbPath::libraryFile(Nazev, extension);
    store::FileVersion replaced = version;
    if (store::changedSince(file, version)) {
        store::FileVersion disk;
        QString error;
        const std::optional<QString> text = store::readText(file, &error, &disk);
        if (!text && disk.state() != store::FileVersion::State::Missing) {
            // What is there cannot be looked at, so it is not replaced.
            platform::services().error(error);
            return false;
        }
        const QString what =
            memo == Popis ? QStringLiteral("Popis knihovny") : QStringLiteral("Jméno autora");
        const int answer = platform::services().choose(
            QStringLiteral("%1 se mezitím změnil na disku (jiným programem nebo na jiném "
                           "počítači), a vy jste ho tu také upravili.\n\nNa disku je nyní:\n%2")
                .arg(what, text ? text->left(300) : QStringLiteral("(nic)")),
            {QStringLiteral("Ponechat moji verzi"), QStringLiteral("Vzít verzi z disku")},
            platform::MessageKind::Warning);
        if (answer == 1) {
            // The disk's text in the box, for the user to see before closing.
            setMemoText(memo, text.value_or(QString()));
            read = memoText(memo);
            version = disk;
        }
        if (answer != 0)
            return false;
        replaced = disk;
    }
    QString error;
    if (!store::writeText(file, memoText(memo), &error, &replaced)) {
        // The window stays open with the text that could not be stored.
        platform::services().error(error);
        return false;
    }
    version = replaced;
    read = memoText(memo);
    return true;
}

void TUprava::ApplyClick()
{
    if (!writeMemo(Popis, QStringLiteral(".da1"), m_descriptionVersion, m_descriptionRead) ||
        !writeMemo(Autor, QStringLiteral(".da3"), m_authorVersion, m_authorRead))
        return;
    platform::services().message(QStringLiteral("Změny byly uloženy!!!"));
    if (m_host)
        m_host->showDescription(memoLines(Popis), memoLines(PocPod), memoLines(Autor));
    accept();
}

void TUprava::TabSheet1Show()
{
    Porov->setEnabled(false);
}

void TUprava::HesloChange()
{
    Porov->setEnabled(true);
}

void TUprava::PorovClick()
{
    if (Potvrzeni->text() != Heslo->text()) {
        platform::services().message(QStringLiteral("Hesla si neodpovídaj!!!"));
        return;
    }
    Heslo2 = QStringList{Heslo->text()};
    QString error;
    if (!store::writeList(store::DbPath::libraryFile(Nazev, QStringLiteral(".da4")), Heslo2,
                          &error)) {
        platform::services().error(error);
        return;
    }
    Heslo->clear();
    Potvrzeni->clear();
    Porov->setEnabled(false);
}

void TUprava::Label2Click()
{
    Heslo2 = QStringList{QString()};
    QString error;
    if (!store::writeList(store::DbPath::libraryFile(Nazev, QStringLiteral(".da4")), Heslo2,
                          &error)) {
        platform::services().error(error);
        return;
    }
    Porov->setEnabled(false);
    Heslo->clear();
    Potvrzeni->clear();
    platform::services().message(QStringLiteral("Heslo bylo deaktiváno!!!"));
}
