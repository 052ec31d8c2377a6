#pragma once

#include <QAbstractButton>
#include <QColor>

// A borderless button that is its symbol alone, as large as the symbol beside text of `size` pixels;
// drawn lighter while pressed. It takes focus by Tab only.
class ZunoSymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    ZunoSymbolButton(const QString &symbol, qreal size, const QColor &color, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_color;
    qreal m_side;
};
