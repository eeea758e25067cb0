#include "authoring/Unit2.h"
#include "controls/picturebox.h"
#include "platform/fontdialog.h"
#include "programwindows.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

// What a screen reader announces as the control's name.
std::string spokenName(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(QAccessible::Name).trimmed().toStdString() : "<no interface>";
}

// A part Qt makes of one of its own composite controls: a scroll area's
// viewport and scroll bars, the edit line and the list of a spin box or a
// combo box, a tab widget's tab bar, a tool bar's extension button. The
// composite control is announced in its place. Qt names such parts "qt_…",
// except the edit lines and lists; the page stack of a tab widget is no such
// part, it holds the program's pages.
bool partOfQtControl(const QWidget *control)
{
    for (const QWidget *w = control; w; w = w->parentWidget()) {
        if (w->objectName().startsWith(u"qt_") && w->objectName() != u"qt_tabwidget_stackedwidget")
            return true;
        const QWidget *parent = w->parentWidget();
        if (qobject_cast<const QAbstractSpinBox *>(parent) ||
            qobject_cast<const QComboBox *>(parent))
            return true;
    }
    return false;
}

// A control the user can reach with the keyboard, or act on with the mouse.
// A picture counts when it tells the user something (a tool tip) or shows the
// pointing hand.
bool usable(const QWidget *control)
{
    if (control->focusPolicy() != Qt::NoFocus)
        return true;
    if (qobject_cast<const QAbstractButton *>(control) ||
        qobject_cast<const QAbstractSlider *>(control) ||
        qobject_cast<const QComboBox *>(control) || qobject_cast<const QLineEdit *>(control) ||
        qobject_cast<const QTextEdit *>(control) || qobject_cast<const QPlainTextEdit *>(control) ||
        qobject_cast<const QAbstractItemView *>(control) ||
        qobject_cast<const QAbstractSpinBox *>(control))
        return true;
    if (qobject_cast<const PictureBox *>(control))
        return !control->toolTip().isEmpty() ||
               (control->testAttribute(Qt::WA_SetCursor) &&
                control->cursor().shape() == Qt::PointingHandCursor);
    return false;
}

// The controls of every window that a screen reader could not name, and the
// picture-only buttons without a name or a tool tip of their own, a line
// each.
std::string unnamedControls(const QList<QWidget *> &windows)
{
    std::string out;
    for (QWidget *window : windows) {
        for (QWidget *control : ProgramWindows::controlsOf(window)) {
            // A control the program keeps hidden in this state is not there.
            if (control->isHidden() || partOfQtControl(control) || !usable(control))
                continue;
            if (spokenName(control).empty())
                out += ProgramWindows::where(control) + " has no name\n";
            // Qt on Linux announces a combo box by its text, and says what it
            // is by its label; other systems take the name.
            if (qobject_cast<const QComboBox *>(control) && control->accessibleName().isEmpty())
                out += ProgramWindows::where(control) + " has no name of its own\n";
            const auto *button = qobject_cast<const QAbstractButton *>(control);
            if (button && button->text().isEmpty() && !button->icon().isNull()) {
                if (button->accessibleName().isEmpty())
                    out += ProgramWindows::where(control) + " is a picture without a name\n";
                if (button->toolTip().isEmpty())
                    out += ProgramWindows::where(control) + " is a picture without a hint\n";
            }
        }
    }
    return out;
}

// A label's caption as the name of what it names: no mnemonic, no colon.
QString captionOf(const QLabel *label)
{
    QString caption = label->text();
    caption.remove(u'&');
    caption = caption.trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    return caption;
}

// The control the label with this caption names in the window.
QWidget *namedBy(QWidget *window, const QString &caption)
{
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (captionOf(label) == caption)
            return label->buddy();
    }
    return nullptr;
}

// Whether a screen reader learns that the label labels the box.
bool labels(QLabel *label, QWidget *box)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
    if (!face)
        return false;
    const auto relations = face->relations(QAccessible::Label);
    return std::any_of(relations.begin(), relations.end(),
                       [label](const auto &relation) { return relation.first->object() == label; });
}

using Accessibility = ProgramWindows;

} // namespace

TEST_F(Accessibility, EveryControlOfEveryWindowHasAName)
{
    startProgram();
    platform::FontDialogWindow fonts(platform::FontDialog{}, HLAVNI);
    showOnce(&fonts);
    EXPECT_EQ(unnamedControls(windows()), "");
    // The joke mode shows the joke view and the quick panel.
    showJoke();
    EXPECT_EQ(unnamedControls({HLAVNI}), "");
}

TEST_F(Accessibility, BoxesAreNamedByTheirLabels)
{
    startProgram();
    platform::FontDialogWindow fonts(platform::FontDialog{}, HLAVNI);
    // Every label that names a box gives it its caption.
    int named = 0;
    for (QWidget *window : windows()) {
        for (QWidget *control : controlsOf(window)) {
            auto *label = qobject_cast<QLabel *>(control);
            if (QWidget *box = label ? label->buddy() : nullptr) {
                ++named;
                SCOPED_TRACE(where(box));
                const std::string caption = captionOf(label).toStdString();
                EXPECT_EQ(box->accessibleName().toStdString(), caption);
                // Qt tells the labels of boxes, not of lists.
                if (!qobject_cast<QAbstractItemView *>(box)) {
                    EXPECT_TRUE(labels(label, box));
                }
                // Qt on Linux announces a combo box by its text.
                if (!qobject_cast<QComboBox *>(box)) {
                    EXPECT_EQ(spokenName(box), caption);
                }
            }
        }
    }
    EXPECT_GE(named, 20);

    struct Box
    {
        QWidget *window;
        QString caption;
        QWidget *box;
    };
    for (const Box &expected : {
             Box{HLAVNI, u"Počet podložek"_qs, HLAVNI->PocPod},
             Box{HLAVNI, u"Autor"_qs, HLAVNI->Autor},
             Box{Formular, u"Popis"_qs, Formular->Popis},
             Box{Formular, u"Počet podložek"_qs, Formular->PocPod},
             Box{Formular, u"Jméno autora"_qs, Formular->Autor},
             Box{Uprava, u"Popis"_qs, Uprava->Popis},
             Box{Uprava, u"Počet podložek"_qs, Uprava->PocPod},
             Box{Uprava, u"Jméno autora"_qs, Uprava->Autor},
         }) {
        SCOPED_TRACE(where(expected.box));
        QWidget *box = namedBy(expected.window, expected.caption);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box, expected.box);
        EXPECT_EQ(spokenName(box), expected.caption.toStdString());
    }
    // The description panel's box is named by the panel's title.
    EXPECT_EQ(HLAVNI->Popis->title(), QStringLiteral("Popis"));
    EXPECT_EQ(spokenName(HLAVNI->PopisText), "Popis");
}

TEST_F(Accessibility, TheMainListAndNameBoxSayWhatTheyHoldInEachMode)
{
    startProgram();
    EXPECT_EQ(spokenName(HLAVNI->Seznam), "Seznam knihoven");
    EXPECT_EQ(spokenName(HLAVNI->Edit), "Vybraná knihovna");
    showJoke();
    EXPECT_EQ(spokenName(HLAVNI->Seznam), "Seznam vtipů");
    EXPECT_EQ(spokenName(HLAVNI->Edit), "Vybraný vtip");
    EXPECT_EQ(spokenName(HLAVNI->Vtip), "Text vtipu");
    HLAVNI->Tlac->click();
    EXPECT_EQ(spokenName(HLAVNI->Seznam), "Seznam knihoven");
    EXPECT_EQ(spokenName(HLAVNI->Edit), "Vybraná knihovna");
}
