#include "ui/main/StatusLamp.h"

#include <QPainter>

StatusLamp::StatusLamp(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusLamp::setColors(const QColor& fill, const QColor& border) {
    if (fill == fill_ && border == border_)
        return;
    fill_ = fill;
    border_ = border;
    update();
}

QSize StatusLamp::sizeHint() const {
    const int side = fontMetrics().height();
    return QSize(side, side);
}

void StatusLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = qMax<qreal>(1.5, height() / 10.0);
    const QRectF area = QRectF(rect()).adjusted(pen, pen, -pen, -pen);
    // A soft highlight makes the lamp read as a light rather than a dot.
    QRadialGradient glow(area.center() - QPointF(area.width() / 5, area.height() / 5),
                         area.width() * 0.7);
    glow.setColorAt(0.0, fill_.lighter(150));
    glow.setColorAt(1.0, fill_);
    painter.setBrush(glow);
    painter.setPen(QPen(border_, pen));
    painter.drawEllipse(area);
}
