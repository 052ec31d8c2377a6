#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

// A one-line text on a continuous capsule: the badges and chips of the suite's views. Fixed to its
// ideal size; an optional border of 1 is drawn inside the capsule's edge.
class ZunoCapsuleLabel : public QWidget {
    Q_OBJECT
public:
    ZunoCapsuleLabel(const QFont &font, qreal paddingX, qreal paddingY, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setLabelFont(const QFont &font);
    void setText(const QString &text);
    // The capsule's fill, the text's colour and the border's (none: no border).
    void setColors(const QColor &fill, const QColor &text, const QColor &border = QColor());
    QColor fillColor() const { return m_fill; }
    QColor textColor() const { return m_textColor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont m_font;
    qreal m_paddingX;
    qreal m_paddingY;
    QString m_text;
    QColor m_fill;
    QColor m_textColor;
    QColor m_border;
};
