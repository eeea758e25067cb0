#include "Program.h"

#include "Celkem.h"
#include "Details.h"
#include "Hledat.h"
#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "authoring/Unit2.h"
#include "authoring/Unit5.h"
#include "authoring/Unit6.h"
#include "authoring/Unit7.h"
#include "authoring/Unit8.h"
#include "authoring/Unit9.h"
#include "controls/Zpravy.h"
#include "platform/platform.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTranslator>

#include <optional>

THLAVNI *HLAVNI = nullptr;
TAboutBox *AboutBox = nullptr;
TPlumoNasral *PlumoNasral = nullptr;
Tlook *look = nullptr;
TCelkemVtipu *CelkemVtipu = nullptr;
TCelkemDetaily *CelkemDetaily = nullptr;

namespace {

// A picture of the style's, read from the style when it is first needed.
class LazyStandardIcon : public QIconEngine
{
public:
    LazyStandardIcon(QStyle *style, QStyle::StandardPixmap picture, const QStyleOption *option,
                     const QWidget *widget)
        : m_style(style), m_picture(picture), m_widget(const_cast<QWidget *>(widget))
    {
        if (option)
            m_option = *option;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    // `size` is in device pixels already; QIcon sets the pixel ratio.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QIconEngine *clone() const override { return new LazyStandardIcon(*this); }

private:
    const QIcon &icon()
    {
        if (!m_icon) {
            QStyle *style = m_style ? m_style.data() : QApplication::style();
            m_icon = style->standardIcon(m_picture, m_option ? &*m_option : nullptr, m_widget);
        }
        return *m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_picture;
    std::optional<QStyleOption> m_option;
    QPointer<QWidget> m_widget;
    std::optional<QIcon> m_icon;
};

// The Windows style with its standard pictures read only when they are
// drawn. The style reads them from PNG files, and Qt's first read of a PNG
// file loads every image plug-in (JPEG, TIFF, WebP, MNG...): about 5 ms, a
// sixth of the start-up, for pictures the main window does not show when it
// opens (the menu bar's overflow button, the hidden quick panel's buttons).
class ProgramStyle : public QProxyStyle
{
public:
    explicit ProgramStyle(QStyle *base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap picture, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        return QIcon(new LazyStandardIcon(baseStyle(), picture, option, widget));
    }
};

// The confirmation component asks through the platform's message box.
TZpravy::Button askThroughPlatform(const QString &title, const QString &text, TZpravy::Kind kind,
                                   TZpravy::Buttons buttons)
{
    using platform::Button;
    static const std::pair<TZpravy::Button, Button> pairs[] = {
        {TZpravy::Yes, platform::Yes},         {TZpravy::No, platform::No},
        {TZpravy::OK, platform::Ok},           {TZpravy::Cancel, platform::Cancel},
        {TZpravy::Abort, platform::Abort},     {TZpravy::Retry, platform::Retry},
        {TZpravy::Ignore, platform::Ignore},   {TZpravy::All, platform::All},
        {TZpravy::NoToAll, platform::NoToAll}, {TZpravy::YesToAll, platform::YesToAll},
        {TZpravy::Help, platform::Help},
    };
    static const platform::MessageKind kinds[] = {
        platform::MessageKind::Warning, platform::MessageKind::Error,
        platform::MessageKind::Information, platform::MessageKind::Question,
        platform::MessageKind::Custom};
    platform::Buttons shown = 0;
    for (const auto &[ours, theirs] : pairs) {
        if (buttons & ours)
            shown |= theirs;
    }
    const Button answer = platform::services().messageBox(title, text, kinds[int(kind)], shown);
    for (const auto &[ours, theirs] : pairs) {
        if (answer == theirs)
            return ours;
    }
    return TZpravy::Cancel;
}

} // namespace

void setupApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Chichotek v 5.1"));
    QApplication::setApplicationDisplayName(QString());
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(new ProgramStyle(style));
    // The fonts of the home platform that the windows and the joke files
    // name, mapped to installed fonts of the same metrics.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg 2"),
                               {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    app.setQuitOnLastWindowClosed(true);
    TZpravy::setShow(askThroughPlatform);
    // Qt's own dialogs and menus speak Czech too, whatever the system's
    // language.
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Czech, QLocale::Czechia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void createWindows(const QString &programFolder)
{
    HLAVNI = new THLAVNI(programFolder);
    Formular = new TFormular(HLAVNI, HLAVNI);
    AboutBox = new TAboutBox(HLAVNI);
    PlumoNasral = new TPlumoNasral(HLAVNI);
    Pridat = new TPridat(HLAVNI, HLAVNI);
    Upravit = new TUpravit(HLAVNI, HLAVNI);
    Uprava = new TUprava(HLAVNI, HLAVNI);
    Pridat2 = new TPridat2(HLAVNI, HLAVNI);
    PresunOkno = new TPresunOkno(HLAVNI, HLAVNI);
    look = new Tlook(HLAVNI);
    CelkemVtipu = new TCelkemVtipu(HLAVNI);
    CelkemDetaily = new TCelkemDetaily(HLAVNI);
}

void destroyWindows()
{
    delete HLAVNI; // owns the others
    HLAVNI = nullptr;
    Formular = nullptr;
    AboutBox = nullptr;
    PlumoNasral = nullptr;
    Pridat = nullptr;
    Upravit = nullptr;
    Uprava = nullptr;
    Pridat2 = nullptr;
    PresunOkno = nullptr;
    look = nullptr;
    CelkemVtipu = nullptr;
    CelkemDetaily = nullptr;
}

int runProgram(int argc, char **argv)
{
    QApplication app(argc, argv);
    setupApplication(app);
    createWindows();
    if (HLAVNI->quitAtOnce()) {
        destroyWindows();
        return 0;
    }
    // The main window opens centred on the screen.
    if (const QScreen *screen = HLAVNI->screen()) {
        QRect frame = HLAVNI->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        HLAVNI->move(frame.topLeft());
    }
    HLAVNI->show();
    const int result = QApplication::exec();
    destroyWindows();
    return result;
}
