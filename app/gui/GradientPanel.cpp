// Paints the panel's gradient; children (labels, buttons) are drawn over it.
#include "app/gui/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace app {

GradientPanel::GradientPanel(QColor start, QColor middle, QColor end, QColor base, QWidget* parent)
    : QWidget(parent), m_start(start), m_middle(middle), m_end(end), m_base(base) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_base);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, m_start);
    gradient.setColorAt(0.5, m_middle);
    gradient.setColorAt(1.0, m_end);
    painter.fillRect(rect(), gradient);
}

}  // namespace app
