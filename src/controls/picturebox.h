#pragma once

#include <QImage>
#include <QWidget>

// A picture control: shows an image scaled to the control (stretch), or at
// its own size, centred or from the top left corner.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    void setImage(const QImage &image);
    bool stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool center() const { return m_center; }
    void setCenter(bool on);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    bool m_stretch = false;
    bool m_center = false;
};
