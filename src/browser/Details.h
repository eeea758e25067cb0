#pragma once

#include <QDialog>
#include <QStringList>

class QFrame;
class QPlainTextEdit;
class QPushButton;

// The window with one line for every library counted by the last totals walk.
class TCelkemDetaily : public QDialog
{
    Q_OBJECT
public:
    explicit TCelkemDetaily(QWidget *parent = nullptr);

    QFrame *Panel1;
    QPlainTextEdit *Detaily;
    QPushButton *TlacOK;

    // The lines of `Detaily`, kept as a memo keeps them: adding an empty line
    // to an empty memo gives one empty line.
    const QStringList &lines() const { return m_lines; }
    void clearLines();
    void addLine(const QString &line);

    void TlacOKClick();

private:
    QStringList m_lines;
};
