#pragma once

#include <QDialog>
#include <QPointer>

class PictureBox;
class QCheckBox;
class TBLabel;
class TBubbleShape;

// The easter-egg dialog: an angry face asks whether you would like someone to
// bang on your program's icon.
class TPlumoNasral : public QDialog
{
    Q_OBJECT
public:
    explicit TPlumoNasral(QWidget *parent = nullptr);

    // The question as it starts, followed by the gap before it comes round.
    static QString question();

    // Controls, back to front.
    PictureBox *Image1;
    TBubbleShape *BubbleShape1;
    TBLabel *Text;
    TBubbleShape *BubbleShape2;
    QCheckBox *Odpoved;

    void FormShow();
    // Answers the answer; the dialog may always close.
    bool FormCloseQuery();
    // Puts the question back to its start and stops it.
    void FormClose();
    void Image1Click();
    void Image1DblClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The control the left mouse button went down on, for a click.
    QPointer<QObject> m_pressed;
};
