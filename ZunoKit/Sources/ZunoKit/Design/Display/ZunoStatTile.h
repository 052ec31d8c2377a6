#pragma once

#include <QColor>
#include <QWidget>

// A statistic tile filling its cell: a muted label (9.5), the value in the tint (10.5 bold
// monospaced, one line, shrinking to 0.8 of its size before it is elided) and an optional detail line
// (9 monospaced, secondary, elided in the middle), padding 9 and 7, on a rounded rectangle of radius 8
// filled with the first glass surface.
class ZunoStatTile : public QWidget {
    Q_OBJECT
public:
    explicit ZunoStatTile(QWidget *parent = nullptr);

    // An empty detail shows no third line.
    void setContent(const QString &label, const QString &value, const QString &detail, const QColor &tint);
    QString label() const { return m_label; }
    QString value() const { return m_value; }
    QString detail() const { return m_detail; }
    QColor tint() const { return m_tint; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_label;
    QString m_value;
    QString m_detail;
    QColor m_tint;
};
