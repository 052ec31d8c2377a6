#pragma once

#include <QColor>
#include <QWidget>

// A continuous rounded rectangle of one colour behind its layout's content, optionally edged inside
// by a 1-pixel line.
class ZunoRoundedFill : public QWidget {
    Q_OBJECT
public:
    ZunoRoundedFill(qreal radius, const QColor &fill, QWidget *parent = nullptr);

    QColor fill() const { return m_fill; }
    void setFill(const QColor &fill);
    // No border unless one is set.
    void setBorder(const QColor &border);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    QColor m_fill;
    QColor m_border;
};
