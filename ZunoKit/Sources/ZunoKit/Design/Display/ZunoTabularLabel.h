#pragma once

#include <QColor>
#include <QWidget>

// A one-line label whose digits are monospaced (`ZunoTabularFigures`), for amounts and timers. The text
// is vertically centred and aligned leading or trailing.
class ZunoTabularLabel : public QWidget {
    Q_OBJECT
public:
    ZunoTabularLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_color;
    Qt::Alignment m_alignment = Qt::AlignLeading;
};
