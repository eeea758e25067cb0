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

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>
#include <QStyleFactory>

THLAVNI *HLAVNI = nullptr;
TFormular *Formular = nullptr;
TAboutBox *AboutBox = nullptr;
TPlumoNasral *PlumoNasral = nullptr;
TPridat *Pridat = nullptr;
TUpravit *Upravit = nullptr;
TUprava *Uprava = nullptr;
TPridat2 *Pridat2 = nullptr;
TPresunOkno *PresunOkno = nullptr;
Tlook *look = nullptr;
TCelkemVtipu *CelkemVtipu = nullptr;
TCelkemDetaily *CelkemDetaily = nullptr;

void setupApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Chichotek v 5.1"));
    QApplication::setApplicationDisplayName(QString());
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
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
}

void createWindows(const QString &programFolder)
{
    HLAVNI = new THLAVNI(programFolder);
    Formular = new TFormular(HLAVNI);
    AboutBox = new TAboutBox(HLAVNI);
    PlumoNasral = new TPlumoNasral(HLAVNI);
    Pridat = new TPridat(HLAVNI);
    Upravit = new TUpravit(HLAVNI);
    Uprava = new TUprava(HLAVNI);
    Pridat2 = new TPridat2(HLAVNI);
    PresunOkno = new TPresunOkno(HLAVNI);
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
