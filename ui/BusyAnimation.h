#pragma once

#include <QTimer>
#include <QWidget>

namespace cvt {

// A 16 x 16 busy indicator: a ring of dots whose bright spot turns while playing. Stopping keeps
// the last frame on screen.
class BusyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit BusyAnimation(QWidget* parent = nullptr);

    void play();
    void stop();
    bool isPlaying() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};

} // namespace cvt
