#pragma once

#include "PresentationOverlayMode.h"

#include <QAbstractButton>
#include <QColor>

// One tool of the presentation overlay: its symbol over its name on a rounded tile, marked in the
// accent while it is the chosen tool.
class PresentationToolTile : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 12;
    static constexpr int kPadding = 16;
    static constexpr int kSpacing = 8;
    static constexpr qreal kSymbolSize = 24;

    PresentationToolTile(PresentationOverlayMode mode, const QColor &accent, QWidget *parent = nullptr);

    PresentationOverlayMode mode() const { return m_mode; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QColor symbolColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal symbolSide() const;

    PresentationOverlayMode m_mode;
    QColor m_accent;
    bool m_selected = false;
};
