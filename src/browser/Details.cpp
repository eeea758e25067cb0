#include "Details.h"

#include "controls/colours.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

TCelkemDetaily::TCelkemDetaily(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("CelkemDetaily"));
    setWindowTitle(QStringLiteral("Celkem - Detaily..."));
    setFixedSize(360, 219);
    move(286, 181);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 360, 219);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    Detaily = new QPlainTextEdit(Panel1);
    Detaily->setObjectName(QStringLiteral("Detaily"));
    Detaily->setGeometry(8, 8, 345, 185);
    Detaily->setReadOnly(true);
    Detaily->setUndoRedoEnabled(false);
    Detaily->setLineWrapMode(QPlainTextEdit::NoWrap);
    Detaily->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Detaily->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Detaily->setAccessibleName(QStringLiteral("Detaily"));

    TlacOK = new QPushButton(QStringLiteral("OK"), Panel1);
    TlacOK->setObjectName(QStringLiteral("TlacOK"));
    TlacOK->setGeometry(176, 194, 23, 22);
    QFont bold = TlacOK->font();
    bold.setBold(true);
    TlacOK->setFont(bold);
    QPalette red = TlacOK->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    // The red reads on the face of the home platform's buttons.
    red.setColor(QPalette::Button, colours::face());
    TlacOK->setPalette(red);
    connect(TlacOK, &QPushButton::clicked, this, [this] { TlacOKClick(); });
}

void TCelkemDetaily::clearLines()
{
    m_lines.clear();
    m_shown = 0;
    Detaily->clear();
}

void TCelkemDetaily::addLine(const QString &line)
{
    m_lines << line;
}

void TCelkemDetaily::showLines()
{
    if (m_shown == m_lines.size())
        return;
    // The memo's first line goes into the empty first paragraph; every later
    // one starts a paragraph of its own, an empty one included.
    QString text = m_shown > 0 ? QStringLiteral("\n") : QString();
    text += m_lines.sliced(m_shown).join(u'\n');
    m_shown = m_lines.size();
    QTextCursor cursor(Detaily->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void TCelkemDetaily::showEvent(QShowEvent *event)
{
    showLines();
    QDialog::showEvent(event);
}

void TCelkemDetaily::TlacOKClick()
{
    close();
}
