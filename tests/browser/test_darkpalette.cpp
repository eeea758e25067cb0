#include "authoring/Unit2.h"
#include "controls/Shapes.h"
#include "platform/fontdialog.h"
#include "programwindows.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include <cmath>

namespace {

// A dark colour scheme as desktops have them: light text on dark grounds.
QPalette darkPalette()
{
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x23, 0x23, 0x23);
    const QColor text(0xEE, 0xEE, 0xEE);
    const QColor grey(0x6E, 0x6E, 0x6E);
    QPalette p(text, window, QColor(0x50, 0x50, 0x50), QColor(0x20, 0x20, 0x20),
               QColor(0x2B, 0x2B, 0x2B), text, Qt::white, base, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, grey);
    p.setColor(QPalette::Link, QColor(0x6A, 0xB0, 0xFF));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        p.setColor(QPalette::Disabled, role, grey);
    return p;
}

// The relative luminance of a colour, and the contrast of two, as the web's
// accessibility guidelines reckon them: from 1 (none) to 21 (black on white).
double luminance(const QColor &colour)
{
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast normal text needs to be read.
constexpr double kReadable = 4.5;

// A colour a control paints with, and whether the program fixed it or it
// comes from the desktop's scheme.
struct Paint
{
    QColor colour;
    bool fixed = false;
};

Paint role(const QWidget *widget, QPalette::ColorGroup group, QPalette::ColorRole which)
{
    const QColor colour = widget->palette().color(group, which);
    return {colour, colour != QApplication::palette(widget).color(group, which)};
}

// What shows behind a control that does not fill its own ground: a shape or
// a filled control beneath it, or else the nearest filled parent. A picture
// beneath it is passed over.
Paint behind(const QWidget *control, QPalette::ColorGroup group)
{
    for (const QWidget *w = control; w; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow())
            return role(w, group, w->backgroundRole());
        const QWidget *parent = w->parentWidget();
        const QObjectList &siblings = parent->children();
        const QPoint centre = w->geometry().center();
        for (qsizetype i = siblings.indexOf(w) - 1; i >= 0; --i) {
            const auto *beneath = qobject_cast<const QWidget *>(siblings[i]);
            if (!beneath || beneath->isHidden() || !beneath->geometry().contains(centre))
                continue;
            if (const auto *shape = qobject_cast<const TCustomShape *>(beneath))
                return {shape->brush().color(), true};
            if (beneath->autoFillBackground())
                return role(beneath, group, beneath->backgroundRole());
        }
    }
    return {};
}

// The text of every control of the windows that is hard to read: drawn in a
// colour the program fixed on a ground from the scheme, or the other way
// round. (What the program fixes on both sides, and what the scheme gives on
// both sides, is the same under every scheme.) A line each.
std::string unreadable(const QList<QWidget *> &windows)
{
    std::string out;
    for (QWidget *window : windows) {
        QList<QWidget *> controls = ProgramWindows::controlsOf(window);
        controls << window;
        for (QWidget *control : std::as_const(controls)) {
            if (control->isHidden())
                continue;
            const bool editor =
                qobject_cast<QLineEdit *>(control) || qobject_cast<QTextEdit *>(control) ||
                qobject_cast<QPlainTextEdit *>(control) ||
                qobject_cast<QAbstractItemView *>(control) ||
                qobject_cast<QAbstractSpinBox *>(control) || qobject_cast<QComboBox *>(control);
            const auto *push = qobject_cast<QPushButton *>(control);
            const auto *tool = qobject_cast<QToolButton *>(control);
            const bool flat = (push && push->isFlat()) || (tool && tool->autoRaise());
            const bool caption =
                qobject_cast<QLabel *>(control) || qobject_cast<QCheckBox *>(control) ||
                qobject_cast<QRadioButton *>(control) || qobject_cast<QGroupBox *>(control) ||
                qobject_cast<QTabBar *>(control);
            const QList<QPalette::ColorGroup> groups =
                control->isEnabled() ? QList{QPalette::Active, QPalette::Inactive}
                                     : QList{QPalette::Disabled};
            for (const QPalette::ColorGroup group : groups) {
                QList<std::pair<Paint, Paint>> pairs;
                if (editor) {
                    pairs.append({role(control, group, QPalette::Text),
                                  role(control, group, QPalette::Base)});
                    pairs.append({role(control, group, QPalette::HighlightedText),
                                  role(control, group, QPalette::Highlight)});
                } else if (push || tool || qobject_cast<QMenuBar *>(control)) {
                    pairs.append(
                        {role(control, group, QPalette::ButtonText),
                         flat ? behind(control, group) : role(control, group, QPalette::Button)});
                } else if (caption) {
                    pairs.append(
                        {role(control, group, QPalette::WindowText), behind(control, group)});
                }
                if (auto *box = qobject_cast<QGroupBox *>(control)) {
                    // The title of a box takes the colour of text.
                    pairs.append({role(box, group, QPalette::Text), behind(box, group)});
                }
                for (const auto &[text, ground] : pairs) {
                    if (text.fixed == ground.fixed || !ground.colour.isValid())
                        continue;
                    const double ratio = contrast(text.colour, ground.colour);
                    if (ratio >= kReadable)
                        continue;
                    const std::string line =
                        ProgramWindows::where(control) + ": " + text.colour.name().toStdString() +
                        " on " + ground.colour.name().toStdString() + " (" +
                        std::to_string(std::lround(ratio * 10) / 10.0).substr(0, 3) + ")\n";
                    if (out.find(line) == std::string::npos)
                        out += line;
                }
            }
        }
    }
    return out;
}

// Under a dark scheme every window of the program, with the scheme set before
// the windows are made as it is when the program starts.
class DarkScheme : public ProgramWindows
{
protected:
    void SetUp() override
    {
        m_scheme = QApplication::palette();
        QApplication::setPalette(darkPalette());
        ProgramWindows::SetUp();
        // Pictures of the windows for a look at them, when asked for.
        m_shots = qEnvironmentVariable("CHICHOTEK_SHOTS");
        if (!m_shots.isEmpty()) {
            QDir().mkpath(m_shots);
            QFile::remove(folder.absolute(QStringLiteral("pozadi.bmp")));
            QFile::copy(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../sample/pozadi.bmp"),
                        folder.absolute(QStringLiteral("pozadi.bmp")));
            // A joke in colours, as the sample library's are.
            folder.write(
                QStringLiteral("DataBase/Zvířata/Slon.vti"),
                "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                "{\\colortbl ;\\red0\\green0\\blue128;\\red255\\green0\\blue0;}"
                "\\pard\\f0\\fs18 Slon\\par\\cf1 v lednici\\par\\cf2 Pro\\'e8?\\cf0\\par}");
        }
    }

    void TearDown() override
    {
        ProgramWindows::TearDown();
        QApplication::setPalette(m_scheme);
    }

    // Saves a picture of the window as "dark-<name>.png", when asked for.
    void shoot(QWidget *window, const QString &name) const
    {
        if (m_shots.isEmpty())
            return;
        const bool shown = window->isVisible();
        window->show();
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(m_shots + QStringLiteral("/dark-") + name +
                                        QStringLiteral(".png")));
        if (!shown)
            window->hide();
    }

private:
    QPalette m_scheme;
    QString m_shots;
};

} // namespace

// A joke keeps the colours its file gives its text; they were chosen on light
// paper, like these of the sample library.
TEST_F(DarkScheme, JokeColoursStayReadableInEveryJokeBox)
{
    startProgram();
    const QColor colours[] = {QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
                              QColor(0x80, 0x00, 0x80), QColor(0x00, 0x80, 0x00), Qt::red};
    for (QTextEdit *box : {HLAVNI->Vtip, Formular->Vtip, Uprava->Vtip}) {
        SCOPED_TRACE(where(box));
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor paper = box->palette().color(group, QPalette::Base);
            EXPECT_GE(contrast(box->palette().color(group, QPalette::Text), paper), kReadable);
            for (const QColor &colour : colours) {
                EXPECT_GE(contrast(colour, paper), 3.0)
                    << colour.name().toStdString() << " on " << paper.name().toStdString();
            }
        }
    }
}

TEST_F(DarkScheme, EveryTextOfEveryWindowStaysReadable)
{
    startProgram();
    platform::FontDialogWindow fonts(platform::FontDialog{}, HLAVNI);
    ASSERT_EQ(HLAVNI->palette().color(QPalette::Base), darkPalette().color(QPalette::Base));
    EXPECT_EQ(unreadable(windows()), "");
    shoot(HLAVNI, QStringLiteral("main-libraries"));
    for (int page = 0; page < Formular->PageControl1->count(); ++page) {
        Formular->show();
        Formular->PageControl1->setCurrentIndex(page);
        shoot(Formular, QStringLiteral("wizard-%1").arg(page + 1));
    }
    Formular->hide();
    Uprava->show();
    Uprava->Seznam->setItemIndex(0);
    Uprava->SeznamClick();
    for (int page = 0; page < Uprava->PageControl1->count(); ++page) {
        Uprava->show();
        Uprava->PageControl1->setCurrentIndex(page);
        shoot(Uprava, QStringLiteral("editor-%1").arg(page + 1));
    }
    Uprava->hide();
    for (QWidget *window : windows()) {
        if (qobject_cast<QDialog *>(window) && window != Formular && window != Uprava &&
            window != &fonts)
            shoot(window, window->objectName());
    }
    shoot(&fonts, QStringLiteral("fonts"));

    // The joke mode shows the joke view and the quick panel.
    showJoke();
    EXPECT_EQ(unreadable({HLAVNI}), "");
    shoot(HLAVNI, QStringLiteral("main-jokes"));

    // The arrows of the joke view's scroll bars, which a short joke leaves
    // disabled, stand out from their buttons: a good part of the middle of
    // each arrow button differs clearly from the button's own colour.
    for (QScrollBar *bar :
         {HLAVNI->Vtip->verticalScrollBar(), HLAVNI->Vtip->horizontalScrollBar()}) {
        ASSERT_EQ(bar->minimum(), bar->maximum());
        const QImage drawn = bar->grab().toImage();
        const int side = std::min(drawn.width(), drawn.height());
        const QColor button = bar->palette().color(QPalette::Button);
        int arrow = 0;
        for (int y = side / 4; y < side * 3 / 4; ++y) {
            for (int x = side / 4; x < side * 3 / 4; ++x)
                arrow += std::abs(qGray(drawn.pixel(x, y)) - qGray(button.rgb())) > 60;
        }
        EXPECT_GE(arrow, 6) << where(bar);
    }
}
