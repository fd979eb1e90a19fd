// The colour-gradient background panel of both windows (Draw3D1 .. Draw3D4): a vertical
// gradient from a start colour at the top through a middle colour to an end colour.
#pragma once

#include <QColor>
#include <QWidget>

namespace app {

class GradientPanel : public QWidget {
    Q_OBJECT
public:
    GradientPanel(QColor start, QColor middle, QColor end, QColor base, QWidget* parent);

    QColor start() const { return m_start; }
    QColor middle() const { return m_middle; }
    QColor end() const { return m_end; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_start, m_middle, m_end, m_base;
};

}  // namespace app
