#include "Program.h"

#include "Celkem.h"
#include "Details.h"
#include "Hledat.h"
#include "SingleWindow.h"
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
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/files.h"
#include "store/programfolder.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QSet>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTimer>
#include <QTranslator>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <utility>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

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

// Why the program could not keep its files in `folder`; empty when it can.
QString folderProblem(const QString &folder, bool needsDatabase)
{
    const QString shown = QDir::toNativeSeparators(folder);
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("Složka programu „%1“ neexistuje.").arg(shown);
    if (!info.isDir())
        return QStringLiteral("„%1“ není složka.").arg(shown);
    const QString database = store::databaseIn(folder);
    if (database.isEmpty() && needsDatabase)
        return QStringLiteral("Složka „%1“ neobsahuje databázi vtipů (složku DataBase).")
            .arg(shown);
    for (const QString &place : {folder, database}) {
        if (place.isEmpty())
            continue;
        const QString why = store::folderWriteProblem(place);
        if (!why.isEmpty())
            return QStringLiteral("Do složky „%1“ nelze zapisovat. %2")
                .arg(QDir::toNativeSeparators(place), why);
    }
    return {};
}

// The write end of the pipe on which the signals that end the program reach
// its loop (a handler may do nothing more than write to it).
int g_signalWrite = -1;

void onSignal(int)
{
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalWrite, &c, 1);
    errno = saved;
}

// SIGTERM (a logout, a shutdown), SIGHUP (the terminal went away) and SIGINT
// (Ctrl+C) end the program as closing it does, without its questions.
void endOnSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_signalWrite = fds[1];
    auto *notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [read = fds[0]] {
        char c;
        while (::read(read, &c, 1) > 0) {
        }
        if (HLAVNI)
            HLAVNI->endWithoutQuestions();
        else
            QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

namespace {

// The folder made on this first start, told of once the window shows.
QString g_firstStart;
// A library file the program was started with, offered once the window shows.
QString g_fileToOpen;

// A style named on the command line (-style), which Qt has taken.
bool g_styleAsked = false;

// Creates the other windows right after the main window's first paint, or
// after a moment when no paint comes (a window started minimised).
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint() : QObject(HLAVNI)
    {
        QCoreApplication::instance()->installEventFilter(this);
        QTimer::singleShot(500, this, [this] { done(); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            (watched == HLAVNI || HLAVNI->isAncestorOf(static_cast<QWidget *>(watched)))) {
            QCoreApplication::instance()->removeEventFilter(this);
            // The rest of the window is painted in the same pass.
            QTimer::singleShot(0, this, [this] { done(); });
        }
        return false;
    }

private:
    void done()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        createOtherWindows();
        deleteLater();
        // What the start found for the user to decide on, once the window
        // shows.
        QTimer::singleShot(0, HLAVNI, [] {
            HLAVNI->checkAfterStart();
            if (!g_firstStart.isEmpty())
                tellFirstStart(std::exchange(g_firstStart, QString()));
            if (!g_fileToOpen.isEmpty())
                HLAVNI->offerImport(std::exchange(g_fileToOpen, QString()));
        });
    }
};

// Raises the main window for a program started again on its folder.
SingleWindow *g_singleWindow = nullptr;

void answerForFolder(const QString &folder)
{
    if (!g_singleWindow)
        g_singleWindow = new SingleWindow(QCoreApplication::instance());
    g_singleWindow->answerFor(folder, [](const QString &file) {
        if (!HLAVNI)
            return;
        HLAVNI->setWindowState(HLAVNI->windowState() & ~Qt::WindowMinimized);
        HLAVNI->show();
        HLAVNI->raise();
        HLAVNI->activateWindow();
        // Asked once the program that handed it over has its answer.
        if (!file.isEmpty())
            QTimer::singleShot(0, HLAVNI, [file] { HLAVNI->offerImport(file); });
    });
}

} // namespace

void tellFirstStart(const QString &folder)
{
    platform::services().message(
        QStringLiteral("Vítejte v programu Chichotek!\n\n"
                       "Vaše knihovny vtipů jsou ve složce „%1“; program ji právě vytvořil "
                       "a naplnil ukázkovými vtipy.\n\n"
                       "Jinou složku programu (třeba složku z Windows se složkou DataBase) "
                       "otevřete příkazem „Databáze → Nedávné složky → Otevřít jinou "
                       "složku...“ nebo spuštěním „chichotek --folder SLOŽKA“. Více řekne "
                       "příručka (F1).")
            .arg(QDir::toNativeSeparators(folder)));
}

void openFolder(const QString &folder)
{
    if (HLAVNI) {
        HLAVNI->leaveFolder();
        destroyWindows();
    }
    createMainWindow(folder);
    if (HLAVNI->quitAtOnce()) {
        // The folder is open elsewhere and the user would rather not read it
        // here: the program ends as a start on it would.
        QCoreApplication::exit(0);
        return;
    }
    store::rememberFolder(folder);
    answerForFolder(folder);
    showMainWindow();
}

void openFolderLater(const QString &folder)
{
    // The menu command that asks for it belongs to the window that goes.
    QTimer::singleShot(0, QCoreApplication::instance(), [folder] { openFolder(folder); });
}

void showMainWindow()
{
    // The main window opens centred on the screen.
    if (const QScreen *screen = HLAVNI->screen()) {
        QRect frame = HLAVNI->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        HLAVNI->move(frame.topLeft());
    }
    new AfterFirstPaint;
    HLAVNI->show();
}

CommandLine readCommandLine(const QStringList &arguments)
{
    CommandLine line;
    const auto fail = [&line](const QString &why) {
        line.action = CommandLine::Fail;
        line.error = why;
        return line;
    };
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        QString folder;
        if (options && argument == QStringLiteral("--")) {
            options = false;
            continue;
        }
        if (options && (argument == QStringLiteral("-h") || argument == QStringLiteral("--help"))) {
            line.action = CommandLine::Help;
            return line;
        }
        if (options &&
            (argument == QStringLiteral("-v") || argument == QStringLiteral("--version"))) {
            line.action = CommandLine::Version;
            return line;
        }
        if (options &&
            (argument == QStringLiteral("--folder") || argument == QStringLiteral("-f"))) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("u volby „%1“ chybí složka").arg(argument));
            folder = arguments[++i];
        } else if (options && argument.startsWith(QStringLiteral("--folder="))) {
            folder = argument.mid(9);
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            return fail(QStringLiteral("neznámá volba „%1“").arg(argument));
        } else if (QFileInfo(argument).isFile()) {
            // A library file, as the file manager hands it over.
            if (!line.file.isEmpty())
                return fail(QStringLiteral("program lze spustit jen s jedním souborem"));
            line.file = QFileInfo(argument).absoluteFilePath();
            continue;
        } else {
            folder = argument;
        }
        if (folder.isEmpty())
            return fail(QStringLiteral("prázdný název složky"));
        if (!line.folder.isEmpty())
            return fail(QStringLiteral("program lze spustit jen na jedné složce"));
        line.folder = folder;
    }
    return line;
}

QStringList programArguments(int argc, const char *const *argv)
{
    // Qt's own options, which Qt takes out of the command line once it runs,
    // with one dash or two, the value after them or after "=".
    static const QSet<QString> withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("geometry"),        QStringLiteral("title"),
        QStringLiteral("qmljsdebugger"),   QStringLiteral("visual")};
    static const QSet<QString> alone = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                        QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                        QStringLiteral("sync"),    QStringLiteral("testability")};
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QFile::decodeName(argv[i]);
        if (argument == u"--") {
            for (; i < argc; ++i)
                arguments << QFile::decodeName(argv[i]);
            break;
        }
        QString option = argument.startsWith(u"--")  ? argument.mid(2)
                         : argument.startsWith(u'-') ? argument.mid(1)
                                                     : QString();
        const qsizetype equals = option.indexOf(u'=');
        const bool valueJoined = equals > 0;
        if (valueJoined)
            option.truncate(equals);
        if (withValue.contains(option)) {
            if (!valueJoined)
                ++i;
            continue;
        }
        if (alone.contains(option) && !valueJoined)
            continue;
        arguments << argument;
    }
    return arguments;
}

QString helpText()
{
    return QStringLiteral(
        "Použití: chichotek [--folder SLOŽKA | SLOŽKA] [SOUBOR.zip]\n"
        "Chichotek – sbírky vtipů: čtení, psaní a třídění vtipů v knihovnách.\n"
        "\n"
        "Je-li zadán soubor knihovny (.zip), program nabídne jeho import.\n"
        "\n"
        "  -f, --folder SLOŽKA  spustí program na složce programu SLOŽKA (ta obsahuje\n"
        "                       složku DataBase), například na složce z Windows\n"
        "                       na disku USB\n"
        "  -h, --help           vypíše tuto nápovědu a skončí\n"
        "  -v, --version        vypíše verzi programu a skončí\n"
        "\n"
        "Bez složky program pracuje ve složce, ve které je jeho spustitelný soubor,\n"
        "pokud obsahuje složku DataBase. Jinak pracuje ve složce\n"
        "$XDG_DATA_HOME/chichotek (obvykle ~/.local/share/chichotek), kterou při\n"
        "prvním spuštění vytvoří a naplní ukázkovými vtipy.\n");
}

QString versionText()
{
    return QStringLiteral("Chichotek " CHICHOTEK_VERSION "\n"
                          "Licence GPL verze 3 nebo novější "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "Toto je svobodný software: můžete jej měnit a šířit.\n"
                          "Není poskytována ŽÁDNÁ ZÁRUKA v rozsahu povoleném zákonem.\n");
}

QString startingFolder(const QString &chosen, const QString &executableFolder, bool *firstStart)
{
    const store::ProgramFolder place = store::programFolderFor(executableFolder, chosen);
    QString folder = place.path;
    QString problem;
    if (firstStart)
        *firstStart = false;
    if (place.kind == store::FolderKind::PerUser &&
        !store::fillFromSample(folder, store::sampleFolderFor(executableFolder), &problem,
                               firstStart))
        problem = QStringLiteral("Složku programu „%1“ nelze připravit. %2")
                      .arg(QDir::toNativeSeparators(folder), problem);
    bool needsDatabase = place.kind == store::FolderKind::Chosen;
    for (;;) {
        if (problem.isEmpty())
            problem = folderProblem(folder, needsDatabase);
        if (problem.isEmpty())
            return folder;
        const platform::Button answer = platform::services().messageBox(
            platform::applicationTitle(),
            problem + QStringLiteral("\n\nChcete vybrat jinou složku programu? Jinak program "
                                     "poběží s touto složkou a změny do ní nebude možné uložit."),
            platform::MessageKind::Warning, platform::Yes | platform::No);
        if (answer != platform::Yes)
            return folder;
        const QString other = platform::services().chooseFolder(
            nullptr, QStringLiteral("Vyberte složku programu"), folder);
        if (other.isEmpty())
            return folder;
        folder = QDir::cleanPath(QDir(other).absolutePath());
        needsDatabase = true;
        problem.clear();
    }
}

void chooseStyle()
{
    // Qt's plain styles are what it takes when nobody asks for one; a theme
    // of the desktop (Breeze, Adwaita...) is the desktop's choice.
    const QString chosen = QApplication::style() ? QApplication::style()->name() : QString();
    const bool plain = chosen.compare(u"fusion", Qt::CaseInsensitive) == 0 ||
                       chosen.compare(u"windows", Qt::CaseInsensitive) == 0;
    if (g_styleAsked || !qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE") || !plain)
        return;
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(new ProgramStyle(style));
}

void setupApplication(QApplication &app)
{
    QApplication::setApplicationName(platform::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(CHICHOTEK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.chichotek.Chichotek"));
    QApplication::setApplicationDisplayName(QString());
    chooseStyle();
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
    createMainWindow(programFolder);
    createOtherWindows();
}

void createMainWindow(const QString &programFolder)
{
    HLAVNI = new THLAVNI(programFolder);
}

void createOtherWindows()
{
    if (!HLAVNI || Formular)
        return;
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
    // The command line is read before Qt looks for a screen: help, version
    // and a wrong option need none.
    const CommandLine line = readCommandLine(programArguments(argc, argv));
    switch (line.action) {
    case CommandLine::Help:
    case CommandLine::Version: {
        const QString text = line.action == CommandLine::Help ? helpText() : versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    case CommandLine::Fail:
        std::fputs(QStringLiteral("chichotek: %1\nNápovědu vypíše „chichotek --help“.\n")
                       .arg(line.error)
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return 2;
    case CommandLine::Run:
        break;
    }
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--")
            break;
        g_styleAsked = g_styleAsked || argument == "-style" || argument == "--style" ||
                       argument.startsWith("-style=") || argument.startsWith("--style=");
    }
    QApplication app(argc, argv);
    setupApplication(app);
    endOnSignals();
    bool firstStart = false;
    const QString folder =
        startingFolder(line.folder, QCoreApplication::applicationDirPath(), &firstStart);
    // A window of this folder is open already: it comes to the front (and
    // offers the file it was given).
    if (SingleWindow::handOver(folder, line.file))
        return 0;
    g_fileToOpen = line.file;
    createMainWindow(folder);
    if (HLAVNI->quitAtOnce()) {
        destroyWindows();
        return 0;
    }
    store::rememberFolder(folder);
    answerForFolder(folder);
    const bool checking = qEnvironmentVariableIsSet("CHICHOTEK_CHECK");
    if (firstStart && !checking)
        g_firstStart = folder;
    showMainWindow();
    // For checks of an installed program: what the main window shows goes to
    // the standard output, and the program ends.
    if (checking) {
        QTimer::singleShot(0, HLAVNI, [] {
            std::printf("%s\n%s\n", QDir::currentPath().toLocal8Bit().constData(),
                        HLAVNI->Seznam->items().join(u'\n').toLocal8Bit().constData());
            std::fflush(stdout);
            QCoreApplication::exit(0); // without the question on closing
        });
    }
    const int result = QApplication::exec();
    destroyWindows();
    return result;
}
