#pragma once

#include <QDialog>
#include <QPointer>

class PictureBox;
class QFrame;
class QLabel;
class QPushButton;
class TBubbleShape;

// The window with the number of jokes of all libraries, which the totals walk
// of the main window fills and shows.
class TCelkemVtipu : public QDialog
{
    Q_OBJECT
public:
    explicit TCelkemVtipu(QWidget *parent = nullptr);

    // Controls, back to front.
    PictureBox *Image1;
    TBubbleShape *BubbleShape1;
    QLabel *Label1;
    QLabel *PocetVtipu;
    QLabel *Label2;
    QLabel *Knihovnach;
    QLabel *Label3;
    PictureBox *Image2;
    PictureBox *Image3;
    QFrame *PanelTlacOK;
    QPushButton *TlacOK;

    void TlacOKClick();
    // Shows the details of the walk over this window and waits until they
    // are closed.
    void Image2Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The control the left mouse button went down on, for a click.
    QPointer<QObject> m_pressed;
};
