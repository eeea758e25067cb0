#include "Unit2.h"

#include "Authoring.h"
#include "CopyAnimation.h"
#include "Host.h"
#include "JokeEditor.h"
#include "JokeList.h"
#include "Unit5.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// The joke file `Vtip` shows and saves to; it outlives the runs of the
// wizard.
std::optional<store::DbPath> SouborVtipu;

const QString kCrLf = QStringLiteral("\r\n");
const QString kDalsi = QStringLiteral("&Další");
const QString kDokoncit = QStringLiteral("&Dokončit");

// The colours the confirmation box takes as it is turned on and off.
const QColor kMenuColour(0xFF, 0xFF, 0xFF);
const QColor kScrollBarColour(0xD4, 0xD0, 0xC8);

// Password boxes show a "*" for each character.
const QString kMaskedWithStars = QStringLiteral("QLineEdit { lineedit-password-character: 42; }");

QLabel *label(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

// The ground of an edit box, with black text on it.
void setBaseColour(QWidget *w, const QColor &colour)
{
    colours::setGround(w, QPalette::Base, colour, QPalette::Text);
}

QFont styled(QFont font, int pixelSize, bool bold)
{
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A memo of one or more lines, as the library's text files take it.
QPlainTextEdit *memo(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setTabChangesFocus(true);
    box->document()->setDocumentMargin(1);
    return box;
}

// A memo's text as a text file holds it: its lines separated by CR LF, with a
// break after the last one only when the text ends with one.
QString memoText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return store::normaliseBreaks(text);
}

// The three pictures of the password page.
QImage padlockPicture()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(13, 4, 22, 28), 0, 180 * 16);
    p.drawLine(QPointF(13, 18), QPointF(13, 24));
    p.drawLine(QPointF(35, 18), QPointF(35, 24));
    p.setPen(QPen(QColor(0x80, 0x50, 0x00), 1.5));
    p.setBrush(QColor(0xE0, 0xB0, 0x20));
    p.drawRoundedRect(QRectF(7, 22, 34, 23), 3, 3);
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(21, 28, 6, 6));
    p.drawRect(QRectF(22.5, 32, 3, 8));
    return image;
}

QImage keyPicture()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(24, 24);
    p.rotate(-40);
    p.setPen(QPen(QColor(0x70, 0x50, 0x00), 1.5));
    p.setBrush(QColor(0xF0, 0xC8, 0x30));
    QPainterPath key;
    key.addEllipse(QRectF(-21, -8, 16, 16));
    key.addRect(QRectF(-6, -2.5, 26, 5));
    key.addRect(QRectF(12, 2, 3, 6));
    key.addRect(QRectF(17, 2, 3, 8));
    key.setFillRule(Qt::WindingFill);
    p.drawPath(key.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(-16, -3, 6, 6));
    return image;
}

QImage shieldPicture()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(24, 3);
    shield.lineTo(42, 9);
    shield.cubicTo(42, 28, 34, 38, 24, 45);
    shield.cubicTo(14, 38, 6, 28, 6, 9);
    shield.closeSubpath();
    p.setPen(QPen(QColor(0x00, 0x00, 0x60), 1.5));
    p.setBrush(QColor(0x20, 0x50, 0xC0));
    p.drawPath(shield);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(15, 23), QPointF(22, 30), QPointF(33, 16)}));
    return image;
}

// The tool bar's undo picture: an arrow bending back to the left.
QIcon undoIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 2));
    QPainterPath arc;
    arc.moveTo(4, 7);
    arc.cubicTo(8, 2, 15, 4, 13, 11);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawPolygon(QPolygonF({QPointF(1, 4), QPointF(7, 3), QPointF(4, 10)}));
    return QIcon(pixmap);
}

QToolButton *styleButton(QToolBar *bar, const char *name, const QString &text, const QFont &font,
                         const QString &hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setFont(font);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    // The letter stands flat on the window's face.
    colours::setBlackText(button, QPalette::ButtonText);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(23, 22);
    bar->addWidget(button);
    return button;
}

} // namespace

TFormular::TFormular(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host), m_icon(store::iconFromBytes(defaultIconBytes()))
{
    setObjectName(QStringLiteral("Formular"));
    setWindowTitle(QStringLiteral("Průvodce novou knihovnou"));
    setFixedSize(395, 244);
    // The coloured captions read on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 395, 209);
    PageControl1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PageControl1->setLineWidth(2);
    createDataPage();
    createPasswordPage();
    createCreationPage();
    createJokesPage();
    createFinishedPage();

    Button1 = new QPushButton(kDalsi, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(312, 214, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1200);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // No button is pressed by Enter from another control, none by Escape.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    Stav = StavBezi;
    PageControl1->setCurrentIndex(PageData);
    Vtip->setEnabled(false);
}

TFormular::~TFormular() = default;

void TFormular::createDataPage()
{
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addWidget(TabSheet1);

    QLabel *nameLabel =
        label(TabSheet1, QStringLiteral("Zadejte název knihovny:"), QRect(8, 6, 180, 13));
    Nazev = new QLineEdit(TabSheet1);
    Nazev->setObjectName(QStringLiteral("Nazev"));
    Nazev->setGeometry(8, 21, 180, 21);
    Nazev->setToolTip(QStringLiteral("Nesmí obsahovat žádné znaky jako např. /\\,. ap."));
    nameByLabel(nameLabel, Nazev);

    QLabel *authorLabel = label(TabSheet1, QStringLiteral("Jméno autora:"), QRect(8, 48, 180, 13));
    Autor = memo(TabSheet1, "Autor", QRect(8, 63, 180, 21));
    Autor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Autor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    nameByLabel(authorLabel, Autor);

    QLabel *countLabel = label(TabSheet1, QStringLiteral("Počet podložek:"), QRect(8, 90, 180, 13));
    PocPod = memo(TabSheet1, "PocPod", QRect(8, 105, 57, 21));
    PocPod->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PocPod->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    nameByLabel(countLabel, PocPod);

    Ikonka = new PictureBox(TabSheet1);
    Ikonka->setObjectName(QStringLiteral("Ikonka"));
    Ikonka->setGeometry(20, 144, 32, 32);
    Ikonka->setCenter(true);
    Ikonka->setToolTip(QStringLiteral("Náhled vaší ikonky, která bude zobrazena v levém horním "
                                      "rohu okna a v popisu knihovny!!!"));
    Ikonka->setCursor(Qt::PointingHandCursor);
    Ikonka->setAccessibleName(QStringLiteral("Ikonka knihovny"));
    Ikonka->setImage(m_icon.image);
    Ikonka->installEventFilter(this);

    Button2 = new QPushButton(QStringLiteral("Nahrát..."), TabSheet1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(68, 148, 75, 25);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    QLabel *descriptionLabel = label(TabSheet1, QStringLiteral("Popis:"), QRect(204, 6, 180, 13));
    Popis = memo(TabSheet1, "Popis", QRect(204, 21, 179, 176));
    Popis->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    nameByLabel(descriptionLabel, Popis);
}

void TFormular::createPasswordPage()
{
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addWidget(TabSheet3);

    Label5 = label(TabSheet3, QStringLiteral("Heslo:"), QRect(8, 4, 180, 22));
    Label5->setFont(styled(Label5->font(), 19, true));
    setTextColour(Label5, Qt::red);
    Heslo = new QLineEdit(TabSheet3);
    Heslo->setObjectName(QStringLiteral("Heslo"));
    Heslo->setGeometry(8, 28, 180, 21);
    Heslo->setEchoMode(QLineEdit::Password);
    Heslo->setStyleSheet(kMaskedWithStars);
    nameByLabel(Label5, Heslo);

    Label6 = label(TabSheet3, QStringLiteral("Potvrzení hesla:"), QRect(8, 56, 180, 13));
    setTextColour(Label6, QColor(0x00, 0x00, 0x80));
    Potvrzeni = new QLineEdit(TabSheet3);
    Potvrzeni->setObjectName(QStringLiteral("Potvrzeni"));
    Potvrzeni->setGeometry(8, 71, 180, 21);
    Potvrzeni->setEchoMode(QLineEdit::Password);
    Potvrzeni->setStyleSheet(kMaskedWithStars);
    setBaseColour(Potvrzeni, kMenuColour);
    nameByLabel(Label6, Potvrzeni);

    Porov = new QPushButton(QStringLiteral("Porovnat hesla"), TabSheet3);
    Porov->setObjectName(QStringLiteral("Porov"));
    Porov->setGeometry(8, 100, 97, 25);
    connect(Porov, &QPushButton::clicked, this, [this] { PorovClick(); });

    Skryt = new QCheckBox(QStringLiteral("Skrýt heslo"), TabSheet3);
    Skryt->setObjectName(QStringLiteral("Skryt"));
    Skryt->setGeometry(116, 104, 90, 17);
    Skryt->setChecked(true);
    connect(Skryt, &QCheckBox::clicked, this, [this] { SkrytClick(); });

    Label7 = label(TabSheet3,
                   QStringLiteral("Pro zajištění toho, že vám nikdo nebude upravovat vaši "
                                  "knihovnu si zvolte heslo, které budete používat pro přístup "
                                  "k úpravám knihovny."),
                   QRect(8, 136, 375, 60));
    Label7->setFont(styled(Label7->font(), 0, true));
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const QImage pictures[] = {padlockPicture(), keyPicture(), shieldPicture()};
    for (int i = 0; i < 3; ++i) {
        auto *picture = new PictureBox(TabSheet3);
        picture->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        picture->setGeometry(210 + i * 58, 36, 48, 48);
        picture->setImage(pictures[i]);
    }
}

void TFormular::createCreationPage()
{
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet2->setCursor(Qt::BusyCursor);
    PageControl1->addWidget(TabSheet2);

    Label8 = label(TabSheet2, QStringLiteral("Počkejte, než se vytvoří databáze....."),
                   QRect(8, 40, 375, 16));
    Label8->setAlignment(Qt::AlignCenter);
    setTextColour(Label8, Qt::red);

    Animate1 = new CopyAnimation(TabSheet2);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setGeometry(60, 80, 272, 60);
}

void TFormular::createJokesPage()
{
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addWidget(TabSheet4);

    Seznam = new ListBox(TabSheet4);
    Seznam->setObjectName(QStringLiteral("Seznam"));
    Seznam->setGeometry(6, 6, 121, 125);
    Seznam->installEventFilter(this);
    connect(Seznam, &ListBox::userSelected, this, [this] { SeznamClick(); });
    Seznam->setAccessibleName(QStringLiteral("Seznam vtipů"));
    m_jokes = std::make_unique<JokeList>(Seznam);

    Edit = new QLineEdit(TabSheet4);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(6, 135, 121, 21);
    Edit->setReadOnly(true);
    Edit->setAccessibleName(QStringLiteral("Vybraný vtip"));
    QFont editFont = Edit->font();
    editFont.setBold(true);
    editFont.setItalic(true);
    Edit->setFont(editFont);

    Button3 = new QPushButton(QStringLiteral("Přidat..."), TabSheet4);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(6, 162, 58, 25);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });

    Button4 = new QPushButton(QStringLiteral("Odebrat"), TabSheet4);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->setGeometry(69, 162, 58, 25);
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    ToolBar = new QToolBar(TabSheet4);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setGeometry(133, 4, 252, 26);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    const QFont barFont = styled(font(), 13, true);
    QFont italicFont = barFont;
    italicFont.setItalic(true);
    QFont underlineFont = barFont;
    underlineFont.setUnderline(true);
    Tucne = styleButton(ToolBar, "Tucne", QStringLiteral("B"), barFont, QStringLiteral("Tučně"));
    connect(Tucne, &QToolButton::clicked, this, [this] { TucneClick(); });
    Kurziva =
        styleButton(ToolBar, "Kurziva", QStringLiteral("I"), italicFont, QStringLiteral("Kurzíva"));
    connect(Kurziva, &QToolButton::clicked, this, [this] { KurzivaClick(); });
    podtrh = styleButton(ToolBar, "podtrh", QStringLiteral("U"), underlineFont,
                         QStringLiteral("Podtržení"));
    connect(podtrh, &QToolButton::clicked, this, [this] { podtrhClick(); });
    ToolBar->addSeparator();

    SpeedButton1 = new QToolButton(ToolBar);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Písmo..."));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    colours::setBlackText(SpeedButton1, QPalette::ButtonText);
    ToolBar->addWidget(SpeedButton1);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

    VelikostPisma = new JokeSizeBox(ToolBar);
    VelikostPisma->setObjectName(QStringLiteral("VelikostPisma"));
    VelikostPisma->setToolTip(QStringLiteral("Nastavení velikosti písma."));
    VelikostPisma->setAccessibleName(QStringLiteral("Velikost písma"));
    VelikostPisma->setFixedSize(40, 21);
    ToolBar->addWidget(VelikostPisma);
    connect(VelikostPisma, &JokeSizeBox::sizeChosen, this, [this] { VelikostPismaChange(); });
    ToolBar->addSeparator();

    ToolButton1 = new QToolButton(ToolBar);
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    ToolButton1->setIcon(undoIcon());
    ToolButton1->setToolTip(QStringLiteral("Zpět"));
    ToolButton1->setAccessibleName(QStringLiteral("Zpět"));
    ToolButton1->setAutoRaise(true);
    ToolButton1->setFocusPolicy(Qt::NoFocus);
    ToolBar->addWidget(ToolButton1);
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    ToolButton2 = new QToolButton(ToolBar);
    ToolButton2->setObjectName(QStringLiteral("ToolButton2"));
    ToolButton2->setIcon(
        QPixmap::fromImage(undoIcon().pixmap(16, 16).toImage().mirrored(true, false)));
    ToolButton2->setToolTip(QStringLiteral("Znovu"));
    ToolButton2->setAccessibleName(QStringLiteral("Znovu"));
    ToolButton2->setAutoRaise(true);
    ToolButton2->setFocusPolicy(Qt::NoFocus);
    ToolBar->addWidget(ToolButton2);
    connect(ToolButton2, &QToolButton::clicked, this, [this] { m_joke->redo(); });
    ToolBar->addSeparator();

    Vtip = new QTextEdit(TabSheet4);
    Vtip->setObjectName(QStringLiteral("Vtip"));
    Vtip->setGeometry(133, 32, 252, 165);
    Vtip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setLineWrapMode(QTextEdit::NoWrap);
    Vtip->setTabChangesFocus(true);
    Vtip->setAccessibleName(QStringLiteral("Text vtipu"));
    colours::setJokePaper(Vtip);
    QFont vtipFont(QStringLiteral("MS Sans Serif"));
    vtipFont.setPointSize(8);
    Vtip->setFont(vtipFont);
    Vtip->document()->setDocumentMargin(1);
    m_joke = new JokeEditor(Vtip, &SouborVtipu, this, this);
    // The pop-up menu: a misspelt word's suggestions, the clipboard, undo.
    Vtip->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Vtip, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        m_joke->contextMenu(at)->popup(Vtip->viewport()->mapToGlobal(at));
    });
    JokeEditor::Tools tools;
    tools.bold = Tucne;
    tools.italic = Kurziva;
    tools.underline = podtrh;
    tools.size = VelikostPisma;
    tools.undo = ToolButton1;
    tools.redo = ToolButton2;
    // Below the pages, beside the button that goes on; shown with the jokes.
    Pocty = new QLabel(this);
    Pocty->setObjectName(QStringLiteral("Pocty"));
    Pocty->setGeometry(8, 219, 290, 16);
    Pocty->setAccessibleName(QStringLiteral("Počet slov a znaků"));
    Pocty->hide();
    tools.counts = Pocty;
    m_joke->setTools(tools);
    connect(Vtip, &QTextEdit::cursorPositionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::selectionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::currentCharFormatChanged, this, [this] { VtipSelectionChange(); });
}

void TFormular::createFinishedPage()
{
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1->addWidget(TabSheet5);

    QLabel *title = label(TabSheet5, QStringLiteral("Blahopřeji!!!"), QRect(8, 30, 375, 40));
    title->setFont(styled(title->font(), 32, true));
    title->setAlignment(Qt::AlignCenter);
    setTextColour(title, QColor(0x00, 0x80, 0x00));

    QLabel *done = label(TabSheet5, QStringLiteral("Vaše knihovna vtipů byla úspěšně vytvořena!!!"),
                         QRect(8, 92, 375, 16));
    done->setFont(styled(done->font(), 0, true));
    done->setAlignment(Qt::AlignCenter);

    Napoveda = label(TabSheet5, QStringLiteral("Pro přidání vtipů zvol databáze a Upravit....."),
                     QRect(8, 150, 375, 13));
    Napoveda->setObjectName(QStringLiteral("Napoveda"));
    Napoveda->setAlignment(Qt::AlignCenter);
}

JokeList *TFormular::jokes()
{
    return m_jokes.get();
}

void TFormular::reset()
{
    // A creation left waiting by an abandoned run must not run with the new
    // run's name.
    Timer1->stop();
    Animate1->stop();
    Stav = StavBezi;
    setPage(PageData);
    Vtip->setEnabled(false);
    for (QLineEdit *box : {Nazev, Heslo, Potvrzeni, Edit})
        box->clear();
    for (QPlainTextEdit *box : {Autor, PocPod, Popis})
        box->clear();
    m_jokes->open(QString(), {});
    m_joke->clear();
    Button1->setEnabled(true);
    Button1->setText(kDalsi);
    Nazev->setFocus();
}

void TFormular::setPage(int index)
{
    if (PageControl1->currentIndex() == PageCreation && index != PageCreation)
        Animate1->stop();
    PageControl1->setCurrentIndex(index);
    Pocty->setVisible(index == PageJokes);
    switch (index) {
    case PagePassword:
        Button1->setEnabled(false);
        break;
    case PageCreation:
        Button1->setEnabled(false);
        Animate1->play();
        Timer1->start();
        break;
    default:
        break;
    }
}

void TFormular::Button1Click()
{
    if (Nazev->text().isEmpty()) {
        platform::services().message(QStringLiteral("Musíte zadat název knihovny!!!"));
        return;
    }
    const int page = PageControl1->currentIndex();
    if (page == PageFinished) {
        Stav = StavKonec;
        m_host->reloadLibraries();
        close();
    }
    if (page == PageJokes && Vtip->isEnabled() && !m_joke->saveChanges())
        return;
    const int next = (page + 1) % PageControl1->count();
    setPage(next);
    if (next == PageData)
        Button1->setText(kDalsi);
    else if (next == PageFinished)
        Button1->setText(kDokoncit);
}

void TFormular::Button2Click()
{
    platform::services().message(
        QStringLiteral("Doporučujeme ikonku o rozměrech 32x32 nebo 16x16."));
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Nahrávání ikonky...");
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
    // Only an icon file can be shown again by the library view and the main
    // window, so any other picture is refused here rather than written into
    // the library's .ico.
    store::Icon icon = store::iconFromBytes(*bytes);
    if (icon.isNull()) {
        platform::services().error(QStringLiteral("Soubor „%1“ neobsahuje platnou ikonku.")
                                       .arg(QDir::toNativeSeparators(choice.fileName)));
        return;
    }
    m_icon = std::move(icon);
    Ikonka->setImage(m_icon.image);
}

void TFormular::PorovClick()
{
    if (Potvrzeni->text() != Heslo->text()) {
        platform::services().message(QStringLiteral("Hesla si neodpovídaj!!!"));
        return;
    }
    Button1->setEnabled(true);
}

void TFormular::SkrytClick()
{
    if (Heslo->echoMode() == QLineEdit::Password) {
        // With the password in sight no confirmation is needed.
        Heslo->setEchoMode(QLineEdit::Normal);
        Potvrzeni->setEnabled(false);
        setBaseColour(Potvrzeni, kMenuColour);
        Potvrzeni->unsetCursor();
        Porov->setEnabled(false);
        Button1->setEnabled(true);
    } else {
        Heslo->setEchoMode(QLineEdit::Password);
        Heslo->setStyleSheet(kMaskedWithStars);
        Potvrzeni->setEnabled(true);
        setBaseColour(Potvrzeni, kScrollBarColour);
        Potvrzeni->setCursor(Qt::ForbiddenCursor);
        Porov->setEnabled(true);
        Button1->setEnabled(false);
    }
}

bool TFormular::writeLibrary(const QString &library, QString *error)
{
    using store::DbPath;
    // A count box of three or more lines gets "0" as its third line.
    const QString count = memoText(PocPod);
    QStringList countLines = store::splitLines(count);
    if (countLines.size() >= 3) {
        countLines[2] = QStringLiteral("0");
        QString text = countLines.join(kCrLf);
        if (count.endsWith(kCrLf))
            text += kCrLf;
        PocPod->setPlainText(text);
    }
    if (!store::writeText(DbPath::libraryFile(library, QStringLiteral(".da1")), memoText(Popis),
                          error) ||
        !store::writeText(DbPath::libraryFile(library, QStringLiteral(".da3")), memoText(Autor),
                          error) ||
        !store::writeText(DbPath::libraryFile(library, QStringLiteral(".da2")), memoText(PocPod),
                          error))
        return false;
    if (!m_icon.isNull() &&
        !store::writeIcon(DbPath::libraryFile(library, QStringLiteral(".ico")), m_icon, error))
        return false;
    if (!store::writeText(DbPath::libraryFile(library, QStringLiteral(".da4")),
                          Heslo->text() + kCrLf, error) ||
        !store::writeText(DbPath::libraryFile(library, QStringLiteral(".vtp")), library + kCrLf,
                          error))
        return false;
    // The library gets an empty joke list right away: the main window and
    // the editor cannot open a library without one, and a library may well
    // be finished before it has any joke.
    store::ListCopy jokes;
    jokes.version = store::FileVersion::missing();
    if (!store::writeList(DbPath::jokeList(library), {}, error, &jokes.version))
        return false;
    m_jokes->open(library, std::move(jokes));
    // Listed last of all, so that a library that could not be written whole
    // never appears in the list.
    return store::appendLine(DbPath::listFile(), library, error);
}

void TFormular::Timer1Timer()
{
    // No tick may come while a message of this one is shown.
    Timer1->stop();
    const QString library = Nazev->text();
    QString error;
    if (!store::createLibraryFolder(library, &error)) {
        platform::services().message(QStringLiteral("Databáze již existuje!!!"));
        Stav = StavKonec;
        close();
        return;
    }
    if (!writeLibrary(library, &error)) {
        // The steps after the failure do not run, and the library is not
        // listed. The timer goes on: its next tick finds the folder made and
        // ends the run as for any existing library.
        platform::services().error(error);
        Timer1->start();
        return;
    }
    Button1->setEnabled(true);
    setPage(PageJokes);
}

void TFormular::Button3Click()
{
    if (Pridat)
        Pridat->exec();
}

void TFormular::Button4Click()
{
    // The removed joke's file stays where it is.
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    if (m_jokes->remove(row, false) != JokeList::Outcome::Failed)
        Vtip->setEnabled(false);
}

void TFormular::SeznamClick()
{
    const int row = Seznam->itemIndex();
    if (row < 0)
        return;
    const QString name = Seznam->item(row);
    // The joke being left keeps what was written into it, however the user
    // came to the list, and so does the open joke selected again; one that
    // cannot be written stays open. A joke only looked at is not written.
    if (!m_joke->saveChanges()) {
        if (Edit->text() != name)
            Seznam->setItemIndex(-1);
        return;
    }
    if (Edit->text() != name) {
        Edit->setText(name);
        EditChange();
    }
    Vtip->setEnabled(true);
}

void TFormular::SeznamEnter()
{
    m_joke->saveChanges(true);
}

void TFormular::EditChange()
{
    // A joke not written yet shows as an empty text.
    m_joke->load(store::DbPath::jokeFile(Nazev->text(), Edit->text()));
}

void TFormular::TucneClick()
{
    m_joke->toggleBold();
}

void TFormular::KurzivaClick()
{
    m_joke->toggleItalic();
}

void TFormular::podtrhClick()
{
    m_joke->toggleUnderline();
}

void TFormular::SpeedButton1Click()
{
    m_joke->chooseFont(this);
}

void TFormular::VelikostPismaChange()
{
    m_joke->applySize();
}

void TFormular::ToolButton1Click()
{
    m_joke->undo();
}

void TFormular::VtipSelectionChange()
{
    m_joke->followSelection();
}

bool TFormular::FormCloseQuery()
{
    if (Stav != StavBezi)
        return true;
    platform::services().beep();
    // The joke being written is kept, as going to another joke keeps it; a
    // joke that cannot be stored keeps the window open.
    if (m_joke->hasChanges()) {
        return platform::services().confirm(
                   QStringLiteral("Opravdu chcete ukončit průvodce?\n\nRozepsaný vtip „%1“ se "
                                  "před ukončením uloží.")
                       .arg(Edit->text())) &&
               m_joke->saveChanges();
    }
    return platform::services().confirm(QStringLiteral("Opravdu chcete ukončit průvodce?"));
}

void TFormular::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reset();
    QDialog::showEvent(event);
}

void TFormular::hideEvent(QHideEvent *event)
{
    Animate1->stop();
    QDialog::hideEvent(event);
}

void TFormular::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormular::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // There is no cancel button: the title bar's close button abandons.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool TFormular::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Seznam && event->type() == QEvent::FocusIn) {
        // Only the user's move into the list, not the window coming back to
        // the front after a message.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            SeznamEnter();
    } else if (watched == Ikonka && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            Ikonka->rect().contains(mouse->position().toPoint()))
            Button2Click();
    }
    return QDialog::eventFilter(watched, event);
}

// The picture is a laughing face on a transparent ground, built pixel by
// pixel so that the file is the same on every machine.
QByteArray TFormular::defaultIconBytes()
{
    enum Colour { Black = 0, Maroon = 1, Red = 9, Yellow = 11, White = 15, None = -1 };
    static const QRgb palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                     0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                     0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    auto pixel = [](int x, int y) -> int {
        const double dx = x - 15.5;
        const double dy = y - 15.5;
        const double d2 = dx * dx + dy * dy;
        if (d2 > 15.3 * 15.3)
            return None;
        if (d2 > 13.8 * 13.8)
            return Black;
        for (const double eye : {10.5, 20.5}) {
            const double ex = (x - eye) / 2.0;
            const double ey = (y - 10.5) / 3.0;
            if (ex * ex + ey * ey <= 1.0)
                return Black;
        }
        const double my = y - 16.0;
        if (y >= 17 && dx * dx + my * my <= 9.0 * 9.0) {
            if (y <= 18)
                return White;
            const double ty = y - 26.5;
            return dx * dx + ty * ty <= 4.5 * 4.5 ? Red : Maroon;
        }
        return Yellow;
    };

    QByteArray ico;
    auto u8 = [&ico](int v) { ico.append(char(v & 0xFF)); };
    auto u16 = [&u8](int v) {
        u8(v);
        u8(v >> 8);
    };
    auto u32 = [&u16](int v) {
        u16(v & 0xFFFF);
        u16((v >> 16) & 0xFFFF);
    };
    constexpr int kImageBytes = 40 + 16 * 4 + 32 * 16 + 32 * 4;
    // ICONDIR: reserved, type 1 (icon), one image.
    u16(0);
    u16(1);
    u16(1);
    // ICONDIRENTRY: 32 × 32, 16 colours, 1 plane, 4 bits, size, offset.
    u8(32);
    u8(32);
    u8(16);
    u8(0);
    u16(1);
    u16(4);
    u32(kImageBytes);
    u32(6 + 16);
    // BITMAPINFOHEADER: the height counts the picture and its mask.
    u32(40);
    u32(32);
    u32(64);
    u16(1);
    u16(4);
    u32(0);
    u32(32 * 16 + 32 * 4);
    u32(0);
    u32(0);
    u32(0);
    u32(0);
    for (const QRgb rgb : palette) {
        u8(qBlue(rgb));
        u8(qGreen(rgb));
        u8(qRed(rgb));
        u8(0);
    }
    // Both bitmaps go from the bottom row up.
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 2) {
            const int left = std::max(pixel(x, y), 0);
            const int right = std::max(pixel(x + 1, y), 0);
            u8(left << 4 | right);
        }
    }
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 8) {
            int bits = 0;
            for (int i = 0; i < 8; ++i) {
                if (pixel(x + i, y) == None)
                    bits |= 0x80 >> i;
            }
            u8(bits);
        }
    }
    return ico;
}
