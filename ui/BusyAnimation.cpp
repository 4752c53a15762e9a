#include "ui/BusyAnimation.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace cvt {

namespace {
constexpr int kDots = 8;
}

BusyAnimation::BusyAnimation(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
    m_timer.setInterval(90);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % kDots;
        update();
    });
}

void BusyAnimation::play() {
    m_timer.start();
}

void BusyAnimation::stop() {
    m_timer.stop();
    update();
}

void BusyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor base = palette().color(QPalette::WindowText);
    for (int i = 0; i < kDots; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / kDots;
        const QPointF centre(8.0 + 5.5 * std::cos(angle), 8.0 + 5.5 * std::sin(angle));
        const int age = (m_frame - i + kDots) % kDots;
        QColor colour = base;
        colour.setAlphaF(1.0 - 0.11 * age);
        painter.setBrush(colour);
        painter.drawEllipse(centre, 1.6, 1.6);
    }
}

} // namespace cvt
