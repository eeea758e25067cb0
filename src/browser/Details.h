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
    // The line goes into `Detaily` when the window shows or `showLines()` is
    // called: a walk over many libraries adds one a step, and laying out the
    // memo each time would cost the walk more than the rest of its step.
    void addLine(const QString &line);
    // Puts the lines added since the last time into `Detaily`.
    void showLines();

    void TlacOKClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QStringList m_lines;
    qsizetype m_shown = 0; // lines in `Detaily`
};
