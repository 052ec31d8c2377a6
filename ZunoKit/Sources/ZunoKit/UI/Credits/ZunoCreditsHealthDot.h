#pragma once

#include <QColor>
#include <QWidget>

// The credits views' health dot: a filled circle of one colour.
class ZunoCreditsHealthDot : public QWidget {
    Q_OBJECT
public:
    explicit ZunoCreditsHealthDot(int side, QWidget *parent = nullptr);

    void setColor(const QColor &color);
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
