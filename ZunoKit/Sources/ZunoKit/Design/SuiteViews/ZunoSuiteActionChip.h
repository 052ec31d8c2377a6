#pragma once

#include <QAbstractButton>
#include <QColor>

// One chip of the quick-actions strip: a symbol and a one-line title on a continuous capsule in its
// tint (fill 0.14, border 0.32 inside the edge; emphasised 0.3 and 0.65 with a white foreground), the
// compact look a size smaller. The tool tip says what it does.
class ZunoSuiteActionChip : public QAbstractButton {
    Q_OBJECT
public:
    ZunoSuiteActionChip(const QString &title, const QString &symbol, const QColor &tint, bool emphasized,
        bool compact, const QString &toolTip, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }
    bool isEmphasized() const { return m_emphasized; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont symbolFont() const;
    QFont titleFont() const;
    qreal paddingX() const { return m_compact ? 8 : 10; }
    qreal paddingY() const { return m_compact ? 4 : 5; }

    QString m_symbol;
    QColor m_tint;
    bool m_emphasized;
    bool m_compact;
};
