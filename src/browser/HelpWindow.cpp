#include "HelpWindow.h"

#include "platform/platform.h"

#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The guide, written into the program (it is installed as a file too).
const QString kGuide = QStringLiteral(":/help/prirucka.html");

class HelpWindow : public QWidget
{
public:
    explicit HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
    {
        setObjectName(QStringLiteral("Prirucka"));
        setWindowTitle(QStringLiteral("Chichotek – Příručka"));
        setAttribute(Qt::WA_DeleteOnClose);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_text = new QTextBrowser(this);
        m_text->setObjectName(QStringLiteral("Text"));
        m_text->setAccessibleName(QStringLiteral("Příručka"));
        // Links within the guide move in it; the others go to the desktop.
        m_text->setOpenLinks(false);
        connect(m_text, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
            if (url.isRelative() || url.scheme() == u"qrc")
                m_text->scrollToAnchor(url.fragment());
            else
                platform::services().openUrl(url.toString());
        });
        QFile file(kGuide);
        if (file.open(QIODevice::ReadOnly))
            m_text->setHtml(QString::fromUtf8(file.readAll()));
        layout->addWidget(m_text);
        auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(close, &QShortcut::activated, this, &QWidget::close);
        resize(720, 600);
    }

private:
    QTextBrowser *m_text;
};

QPointer<HelpWindow> g_window;

} // namespace

void showGuide(QWidget *parent)
{
    if (!g_window)
        g_window = new HelpWindow(parent);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}
