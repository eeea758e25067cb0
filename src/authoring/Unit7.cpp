#include "Unit7.h"

#include "TextFormat.h"
#include "store/richclipboard.h"

#include "Authoring.h"
#include "Host.h"
#include "Pictures.h"
#include "Unit8.h"
#include "Unit9.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "platform/platform.h"
#include "store/files.h"
#include "store/rtfreader.h"
#include "store/rtfwriter.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>

#include <algorithm>

using namespace textformat;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kNavy(0x00, 0x00, 0x80);

// The size range the size box steps through with its arrows.
constexpr int kMinSize = 6;
constexpr int kMaxSize = 16;
// The largest size a joke file can hold (RTF counts half points in 16 bits).
constexpr int kLargestSize = 1638;

QFont msSansSerif(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// The font of the joke text: text typed into an empty box, and a joke file
// of plain text, take it.
QFont jokeFont(bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(bold);
    return font;
}

QTextCharFormat jokeFormat()
{
    const QFont font = jokeFont(true);
    QTextCharFormat format;
    format.setFontFamilies(QStringList{font.family()});
    format.setFontPointSize(font.pointSizeF());
    format.setFontWeight(QFont::Bold);
    return format;
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

QToolButton *toolButton(QWidget *parent, const char *name, pictures::Tool picture,
                        const QRect &geometry, bool toggle, const QString &hint = QString())
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setIcon(pictures::tool(picture));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setCheckable(toggle);
    b->setToolTip(hint);
    // The text keeps the keyboard focus and its selection while the user
    // formats it.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
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

// Arrows step within the usual sizes; a typed size is taken as typed.
class SizeBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

    // The edit part: its text changes with every key, numbers or not.
    QLineEdit *editPart() const { return lineEdit(); }

    void stepBy(int steps) override { setValue(std::clamp(value() + steps, kMinSize, kMaxSize)); }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = StepNone;
        if (value() > kMinSize)
            enabled |= StepDownEnabled;
        if (value() < kMaxSize)
            enabled |= StepUpEnabled;
        return enabled;
    }
};

// --- The formats of the selection.

// The blocks that the selection touches, or the block of the caret.
QList<QTextBlock> selectedBlocks(const QTextCursor &cursor)
{
    QList<QTextBlock> blocks;
    const QTextDocument *doc = cursor.document();
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

bool isRtfFormat(const QString &format)
{
    return format == u"text/rtf" || format == u"application/rtf" || format == u"text/richtext";
}

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

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 442, 303);
    PageControl1->tabBar()->setCursor(Qt::PointingHandCursor);
    PageControl1->setUsesScrollButtons(false);

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

    Edit = new NameBox(page);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(8, 201, 145, 21);
    Edit->setReadOnly(true);
    Edit->setFont(msSansSerif(11, true));
    connect(Edit, &QLineEdit::textChanged, this, [this] { EditChange(); });

    Vtip = new QTextEdit(page);
    Vtip->setObjectName(QStringLiteral("Vtip"));
    Vtip->setGeometry(160, 24, 273, 249);
    Vtip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Vtip->viewport()->setCursor(Qt::IBeamCursor);
    Vtip->setFont(jokeFont(true));
    Vtip->setAcceptRichText(true);
    Vtip->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Vtip, &QTextEdit::cursorPositionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::selectionChanged, this, [this] { VtipSelectionChange(); });
    connect(Vtip, &QTextEdit::currentCharFormatChanged, this, [this] { VtipSelectionChange(); });

    Button3 = button(page, "Button3", QStringLiteral("Přidat..."), QRect(16, 226, 65, 17));
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    Button4 = button(page, "Button4", QStringLiteral("Odebrat"), QRect(80, 226, 65, 17));
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    createToolBar();

    PolohaBar = new QFrame(page);
    PolohaBar->setObjectName(QStringLiteral("PolohaBar"));
    PolohaBar->setGeometry(40, 243, 77, 29);
    PolohaBar->setFrameShape(QFrame::Panel);
    PolohaBar->setFrameShadow(QFrame::Raised);
    SpeedButton2 =
        toolButton(PolohaBar, "SpeedButton2", pictures::Tool::MoveUp, QRect(0, 2, 25, 25), false,
                   QStringLiteral("Přesune vtip o podlužku víš."));
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { Aktualizovat(); });
    Presun = toolButton(PolohaBar, "Presun", pictures::Tool::MoveTo, QRect(25, 2, 25, 25), false,
                        QStringLiteral("Přesunout vtip na..."));
    connect(Presun, &QToolButton::clicked, this, [this] { PresunClick(); });
    SpeedButton3 =
        toolButton(PolohaBar, "SpeedButton3", pictures::Tool::MoveDown, QRect(50, 2, 27, 25), false,
                   QStringLiteral("Posune vtip o políčko dolu."));
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
    connect(Vtip, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { Nabidka->popup(Vtip->viewport()->mapToGlobal(at)); });
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
    Tucne = toolButton(ToolBar, "Tucne", Tool::Bold, next(kButton), true);
    connect(Tucne, &QToolButton::clicked, this, [this] { TucneClick(); });
    Kurziva = toolButton(ToolBar, "Kurziva", Tool::Italic, next(kButton), true);
    connect(Kurziva, &QToolButton::clicked, this, [this] { KurzivaClick(); });
    podtrh = toolButton(ToolBar, "podtrh", Tool::Underline, next(kButton), true);
    connect(podtrh, &QToolButton::clicked, this, [this] { podtrhClick(); });
    separator();

    SpeedButton1 = toolButton(ToolBar, "SpeedButton1", Tool::Colour, next(62), false);
    SpeedButton1->setText(QStringLiteral("Barva..."));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

    auto *size = new SizeBox(ToolBar);
    VelikostPisma = size;
    VelikostPisma->setObjectName(QStringLiteral("VelikostPisma"));
    VelikostPisma->setGeometry(next(33).adjusted(0, 1, 0, -1));
    VelikostPisma->setRange(1, kLargestSize);
    VelikostPisma->setValue(8);
    VelikostPisma->setToolTip(QStringLiteral("Nastavení velikosti písma."));
    connect(size->editPart(), &QLineEdit::textChanged, this, [this] { VelikostPismaChange(); });

    m_fontBoxGeometry = next(121).adjusted(0, 1, 0, -1);

    ToolButton1 = toolButton(ToolBar, "ToolButton1", Tool::Undo, next(kButton), false);
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    separator();
    Odrazky = toolButton(ToolBar, "Odrazky", Tool::Bullets, next(kButton), true,
                         QStringLiteral("Vložit odrážky"));
    connect(Odrazky, &QToolButton::clicked, this, [this] { OdrazkyClick(); });
    separator();
    ZarL = toolButton(ToolBar, "ZarL", Tool::AlignLeft, next(kButton), true,
                      QStringLiteral("Zarovnat do leva"));
    ZarL->setProperty("tag", 0);
    ZarL->setChecked(true);
    connect(ZarL, &QToolButton::clicked, this, [this] { ZarLClick(); });
    ZarS = toolButton(ToolBar, "ZarS", Tool::AlignCentre, next(kButton), true,
                      QStringLiteral("Zarovnat na střed"));
    ZarS->setProperty("tag", 2);
    connect(ZarS, &QToolButton::clicked, this, [this] { ZarSClick(); });
    ZarP = toolButton(ToolBar, "ZarP", Tool::AlignRight, next(kButton), true);
    ZarP->setProperty("tag", 1);
    connect(ZarP, &QToolButton::clicked, this, [this] { ZarPClick(); });
}

void TUprava::createFontBox()
{
    FontSeznam = new QFontComboBox(ToolBar);
    FontSeznam->setObjectName(QStringLiteral("FontSeznam"));
    FontSeznam->setGeometry(m_fontBoxGeometry);
    FontSeznam->setEditable(true);
    FontSeznam->setInsertPolicy(QComboBox::NoInsert);
    FontSeznam->show();
    setTabOrder(VelikostPisma, FontSeznam);
    connect(FontSeznam, &QComboBox::activated, this, [this](int i) { FontSeznamChange(i); });
}

void TUprava::createInformationPage()
{
    QWidget *page = TabSheet2;
    const QFont normal = msSansSerif(11);

    Label14 = label(page, "Label14", QStringLiteral("Jméno autora:"), 16, 24, normal);
    Autor = memo(page, "Autor", QRect(88, 24, 137, 17));
    Label15 = label(page, "Label15", QStringLiteral("Počet podložek:"), 8, 48, normal);
    PocPod = memo(page, "PocPod", QRect(88, 48, 33, 17));
    PocPod->setReadOnly(true);
    PocPod->setPlainText(QStringLiteral("0"));
    QPalette parentColour = PocPod->palette();
    parentColour.setColor(QPalette::Base, page->palette().color(QPalette::Window));
    PocPod->setPalette(parentColour);
    Label9 = label(page, "Label9", QStringLiteral("Popis:"), 56, 72, normal);
    Popis = memo(page, "Popis", QRect(88, 72, 161, 97));

    Ikonka = new PictureBox(page);
    Ikonka->setObjectName(QStringLiteral("Ikonka"));
    Ikonka->setGeometry(320, 64, 32, 32);
    Ikonka->setStretch(true);
    Ikonka->setCenter(true);
    Ikonka->setToolTip(
        QStringLiteral("Bude zobrazena v popisu knihovny a v levém horním rohu okna."));
    Ikonka->installEventFilter(this);

    Button2 = button(page, "Button2", QStringLiteral("Nahrát..."), QRect(312, 96, 51, 17));
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    Apply = button(page, "Apply", QStringLiteral("Změnit"), QRect(184, 192, 75, 25));
    Apply->setIcon(pictures::tool(pictures::Tool::Ok));
    Apply->setFont(msSansSerif(11, true));
    QPalette maroon = Apply->palette();
    maroon.setColor(QPalette::ButtonText, kMaroon);
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

    Label4 =
        label(page, "Label4", QStringLiteral("Potvrzení hesla:"), 8, 56, msSansSerif(16), kNavy);
    Potvrzeni = new QLineEdit(page);
    Potvrzeni->setObjectName(QStringLiteral("Potvrzeni"));
    Potvrzeni->setGeometry(128, 56, 129, 21);
    Potvrzeni->setEchoMode(QLineEdit::Password);
    Potvrzeni->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    keepOneLine(Potvrzeni);

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

QString TUprava::jokeLibrary() const
{
    return Nazev;
}

ListBox *TUprava::jokeList()
{
    return Seznam;
}

void TUprava::clearJokeText()
{
    QTextDocument *doc = Vtip->document();
    Vtip->clear();
    // Text without a font of its own is plain text in the RTF sense; the
    // editor's own font goes explicitly onto the text typed into the empty box.
    doc->setDefaultFont(jokeFont(false));
    QTextCursor cursor(doc);
    cursor.setBlockCharFormat(jokeFormat());
    Vtip->setTextCursor(cursor);
    Vtip->setCurrentCharFormat(jokeFormat());
    doc->clearUndoRedoStacks();
    doc->setModified(false);
    m_saveFailed = false;
}

void TUprava::loadJoke(const store::DbPath &path)
{
    clearJokeText();
    QTextDocument *doc = Vtip->document();
    if (store::readRichText(path, doc)) {
        // A joke file of plain text shows in the editor's font, and is
        // written with it.
        bool formatted = false;
        for (QTextBlock block = doc->begin(); block.isValid() && !formatted; block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (!it.fragment().charFormat().properties().isEmpty()) {
                    formatted = true;
                    break;
                }
            }
        }
        if (!formatted) {
            QTextCursor all(doc);
            all.select(QTextCursor::Document);
            all.mergeCharFormat(jokeFormat());
            all.mergeBlockCharFormat(jokeFormat());
        }
    }
    doc->clearUndoRedoStacks();
    doc->setModified(false);
    QTextCursor start(doc);
    Vtip->setTextCursor(start);
}

bool TUprava::saveJoke()
{
    // Without a joke loaded the path is the empty name, which the file layer
    // refuses with its own message.
    const store::DbPath path = SouborVtipu.value_or(store::DbPath::jokeFile(Nazev, QString()));
    QString error;
    if (!store::writeRichText(path, *Vtip->document(), &error)) {
        platform::services().error(error);
        m_saveFailed = true;
        return false;
    }
    Vtip->document()->setModified(false);
    m_saveFailed = false;
    return true;
}

bool TUprava::updateCount()
{
    QStringList lines = store::splitLines(memoText(PocPod));
    if (lines.isEmpty())
        lines.append(QString());
    lines[0] = QString::number(Seznam->count());
    PocPod->setPlainText(lines.join(u'\n'));
    QString error;
    if (!store::writeText(store::DbPath::libraryFile(Nazev, QStringLiteral(".da2")),
                          lines.join(kCrLf) + kCrLf, &error)) {
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
    FormShow();
    FormActivate();
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
    if (Vtip->isEnabled() && !saveJoke())
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
    const bool wasEnabled = Vtip->isEnabled();
    if (wasEnabled && name != Edit->text() && Vtip->document()->isModified()) {
        // The open joke has changes that are not in its file yet (formatted
        // with the list focused, or its last write failed): they are written
        // before another joke is loaded over them, and a joke that cannot be
        // written stays open.
        if (m_saveFailed) {
            // Its failure has been reported already.
            platform::services().beep();
            Seznam->setItemIndex(-1);
            return;
        }
        if (!saveJoke()) {
            Seznam->setItemIndex(-1);
            return;
        }
    }
    Edit->setText(name);
    if (wasEnabled && !saveJoke())
        return;
    if (!Vtip->isEnabled())
        Vtip->setEnabled(true);
}

void TUprava::EditChange()
{
    const QString name = Edit->text();
    if (name.isEmpty())
        return;
    SouborVtipu = store::DbPath::jokeFile(Nazev, name);
    loadJoke(*SouborVtipu);
}

void TUprava::SeznamEnter()
{
    if (Vtip->isEnabled() && !saveJoke())
        return;
    Presun->setEnabled(true);
}

void TUprava::Button3Click()
{
    if (Pridat2)
        Pridat2->exec();
}

void TUprava::Button4Click()
{
    const int row = Seznam->itemIndex();
    QString error;
    if (row >= 0) {
        const QString name = Seznam->item(row);
        // Entries of the same name share one file (letter case aside): it
        // goes only with the last of them.
        bool shared = false;
        for (int i = 0; i < Seznam->count() && !shared; ++i)
            shared = i != row && Seznam->item(i).compare(name, Qt::CaseInsensitive) == 0;
        const store::DbPath file = store::DbPath::jokeFile(Nazev, name);
        if (!shared && file.isValid() && QFileInfo::exists(file.path()) &&
            !store::deleteFile(file, &error)) {
            platform::services().error(error);
            return;
        }
        Seznam->removeItem(row);
        Seznam->setItemIndex(-1);
    }
    if (!store::writeList(store::DbPath::jokeList(Nazev), Seznam->items(), &error)) {
        platform::services().error(error);
        return;
    }
    // The removed joke's text is no longer written anywhere. With nothing
    // removed, the open joke stays open with its changes.
    if (row >= 0)
        Vtip->setEnabled(false);
}

void TUprava::moveSelected(bool up)
{
    const int from = Seznam->itemIndex();
    const int count = Seznam->count();
    if (from < 0 || (!up && from == count - 1)) {
        platform::services().beep();
        return;
    }
    int to = up ? from - 1 : from + 1;
    if (up && from == 0)
        to = count - 1;
    const QString name = Seznam->item(from);
    Seznam->removeItem(from);
    Seznam->insertItem(to, name);
    Seznam->setItemIndex(-1);
    QString error;
    if (!store::writeList(store::DbPath::jokeList(Nazev), Seznam->items(), &error))
        platform::services().error(error);
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
    if (m_formatting)
        return;
    const QScopedValueRollback<bool> following(m_following, true);
    const QTextCursor cursor = Vtip->textCursor();
    const QTextCharFormat format = firstFormat(cursor);
    const QFont base = Vtip->document()->defaultFont();

    qreal size = base.pointSizeF();
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        size = format.fontPointSize();
    VelikostPisma->setValue(std::clamp(qRound(size), kMinSize, kMaxSize));

    QString family = base.family();
    if (const QStringList families = format.fontFamilies().toStringList(); !families.isEmpty())
        family = families.first();
    else if (format.hasProperty(QTextFormat::OldFontFamily))
        family = format.stringProperty(QTextFormat::OldFontFamily);
    if (FontSeznam) {
        const int entry = FontSeznam->findText(family, Qt::MatchFixedString);
        if (entry >= 0)
            FontSeznam->setCurrentIndex(entry);
        FontSeznam->setEditText(family);
    }

    Tucne->setChecked(wholeSelection(cursor, isBold));
    Kurziva->setChecked(wholeSelection(cursor, isItalic));
    podtrh->setChecked(wholeSelection(cursor, isUnderlined));

    const Qt::Alignment alignment = cursor.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    const bool centre = alignment & Qt::AlignHCenter;
    const bool right = !centre && (alignment & (Qt::AlignRight | Qt::AlignTrailing));
    const bool left = !centre && !right && !(alignment & Qt::AlignJustify);
    ZarL->setChecked(left);
    ZarS->setChecked(centre);
    ZarP->setChecked(right);

    Odrazky->setChecked(cursor.currentList() != nullptr);
}

void TUprava::mergeFormat(const QTextCharFormat &format)
{
    const QScopedValueRollback<bool> formatting(m_formatting, true);
    QTextCursor cursor = Vtip->textCursor();
    cursor.beginEditBlock();
    cursor.mergeCharFormat(format);
    cursor.endEditBlock();
    Vtip->setTextCursor(cursor);
}

void TUprava::toggleStyle(QToolButton *button, bool (*has)(const QTextCharFormat &),
                          void (*set)(QTextCharFormat &, bool))
{
    const bool on = !wholeSelection(Vtip->textCursor(), has);
    QTextCharFormat format;
    set(format, on);
    mergeFormat(format);
    button->setChecked(on);
}

void TUprava::TucneClick()
{
    toggleStyle(Tucne, isBold, setBold);
}

void TUprava::KurzivaClick()
{
    toggleStyle(Kurziva, isItalic, setItalic);
}

void TUprava::podtrhClick()
{
    toggleStyle(podtrh, isUnderlined, setUnderlined);
}

void TUprava::SpeedButton1Click()
{
    const QBrush brush = firstFormat(Vtip->textCursor()).foreground();
    const QColor initial =
        brush.style() == Qt::NoBrush ? Vtip->palette().color(QPalette::Text) : brush.color();
    const std::optional<QColor> colour = platform::services().chooseColour(this, initial);
    if (!colour)
        return;
    QTextCharFormat format;
    format.setForeground(*colour);
    mergeFormat(format);
}

void TUprava::VelikostPismaChange()
{
    if (m_following)
        return;
    // A typed size applies as typed, digit by digit; anything that is not a
    // size (no text, not a number, zero) applies the smallest usual size.
    bool ok = false;
    int size = VelikostPisma->cleanText().toInt(&ok);
    if (!ok || size <= 0)
        size = kMinSize;
    QTextCharFormat format;
    format.setFontPointSize(std::min(size, kLargestSize));
    mergeFormat(format);
}

void TUprava::FontSeznamChange(int index)
{
    if (m_following || index < 0)
        return;
    QTextCharFormat format;
    format.setFontFamilies(QStringList{FontSeznam->itemText(index)});
    mergeFormat(format);
}

void TUprava::ToolButton1Click()
{
    Vtip->undo();
}

void TUprava::OdrazkyClick()
{
    QTextCursor cursor = Vtip->textCursor();
    cursor.beginEditBlock();
    if (Odrazky->isChecked()) {
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDisc);
        list.setIndent(1);
        cursor.createList(list);
    } else {
        for (const QTextBlock &block : selectedBlocks(cursor)) {
            if (!block.textList())
                continue;
            QTextBlockFormat format = block.blockFormat();
            format.setObjectIndex(-1);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    Vtip->setTextCursor(cursor);
    VtipSelectionChange();
}

void TUprava::alignByTag(QToolButton *button)
{
    // The tags are the codes of the alignment: 0 left, 1 right, 2 centre.
    static const Qt::Alignment byTag[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    const int tag = std::clamp(button->property("tag").toInt(), 0, 2);
    QTextBlockFormat format;
    format.setAlignment(byTag[tag]);
    QTextCursor cursor = Vtip->textCursor();
    cursor.beginEditBlock();
    cursor.mergeBlockFormat(format);
    cursor.endEditBlock();
    Vtip->setTextCursor(cursor);
    for (QToolButton *b : {ZarL, ZarS, ZarP})
        b->setChecked(b == button);
}

void TUprava::ZarLClick()
{
    alignByTag(ZarL);
}

void TUprava::ZarSClick()
{
    alignByTag(ZarS);
}

void TUprava::ZarPClick()
{
    alignByTag(ZarP);
}

void TUprava::copySelection(bool cut)
{
    QTextCursor cursor = Vtip->textCursor();
    QMimeData *data = store::selectionMimeData(cursor);
    if (!data)
        return;
    platform::services().setClipboard(data);
    if (cut && !Vtip->isReadOnly()) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
        Vtip->setTextCursor(cursor);
    }
}

void TUprava::Vyjmout1Click()
{
    copySelection(true);
}

void TUprava::Koprovat1Click()
{
    copySelection(false);
}

void TUprava::VlozitClick()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    QTextCursor cursor = Vtip->textCursor();
    cursor.beginEditBlock();
    QString rtfFormat;
    for (const QString &format : data->formats()) {
        if (isRtfFormat(format)) {
            rtfFormat = format;
            break;
        }
    }
    QTextDocument part;
    part.setDefaultFont(Vtip->document()->defaultFont());
    if (!rtfFormat.isEmpty() && store::readRtf(data->data(rtfFormat), &part))
        cursor.insertFragment(QTextDocumentFragment(&part));
    else if (data->hasHtml())
        cursor.insertFragment(QTextDocumentFragment::fromHtml(data->html()));
    else if (data->hasText())
        cursor.insertText(data->text());
    cursor.endEditBlock();
    Vtip->setTextCursor(cursor);
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
    if (const std::optional<QString> description =
            store::readText(DbPath::libraryFile(Nazev, QStringLiteral(".da1")), &error)) {
        setMemoText(Popis, *description);
    } else {
        Popis->clear();
        failures << error;
    }
    if (const std::optional<QString> author =
            store::readText(DbPath::libraryFile(Nazev, QStringLiteral(".da3")), &error)) {
        setMemoText(Autor, *author);
    } else {
        Autor->clear();
        failures << error;
    }
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
    const std::optional<QByteArray> bytes = store::readExternal(choice.fileName, &error);
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

void TUprava::ApplyClick()
{
    using store::DbPath;
    QString error;
    if (!store::writeText(DbPath::libraryFile(Nazev, QStringLiteral(".da1")), memoText(Popis),
                          &error) ||
        !store::writeText(DbPath::libraryFile(Nazev, QStringLiteral(".da3")), memoText(Autor),
                          &error)) {
        // The window stays open with the text that could not be stored.
        platform::services().error(error);
        return;
    }
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
