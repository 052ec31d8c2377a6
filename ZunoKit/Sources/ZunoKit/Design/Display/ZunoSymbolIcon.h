#pragma once

#include <QColor>
#include <QWidget>

// One symbol of `ZunoSymbolRegistry` on its own, sized to stand beside text of a font, in a colour.
class ZunoSymbolIcon : public QWidget {
    Q_OBJECT
public:
    ZunoSymbolIcon(const QString &symbol, const QFont &font, const QColor &color, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_color;
};
