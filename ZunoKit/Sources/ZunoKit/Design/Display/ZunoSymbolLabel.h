#pragma once

#include <QColor>
#include <QWidget>

// A symbol beside a one-line text, both in one colour, the symbol leading (mirrored right to left);
// the text ends in an ellipsis when squeezed.
class ZunoSymbolLabel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kSpacing = 6;

    ZunoSymbolLabel(const QString &symbol, const QString &text, const QFont &font, const QColor &color,
        QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    QString text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QString m_text;
    QColor m_color;
};
