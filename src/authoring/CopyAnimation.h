#pragma once

#include <QWidget>

class QTimer;

// The picture the wizard shows while it writes a new library: a sheet of
// paper flying from one folder into another, over and over. It draws one
// frame per tick and only while it plays.
class CopyAnimation : public QWidget
{
    Q_OBJECT
public:
    // Frames of one pass, the last one included.
    static constexpr int kFrames = 32;
    static constexpr int kFrameInterval = 60; // ms

    explicit CopyAnimation(QWidget *parent = nullptr);

    // Plays from the current frame on.
    void play();
    // Stops at the current frame.
    void stop();
    bool isPlaying() const;
    int frame() const { return m_frame; }

    QSize sizeHint() const override { return {272, 60}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void step();

    QTimer *m_timer;
    int m_frame = 0;
};
