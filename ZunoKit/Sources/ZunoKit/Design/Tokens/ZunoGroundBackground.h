#pragma once

#include "ZunoProductPalette.h"

#include <QWidget>

// The full-window background of a palette: its three ground stops from the top-leading to the
// bottom-trailing corner, under a soft white glow from the top-leading corner. Holds no other state.
class ZunoGroundBackground : public QWidget {
    Q_OBJECT
public:
    explicit ZunoGroundBackground(ZunoProductPalette palette, QWidget *parent = nullptr);

    ZunoProductPalette productPalette() const { return m_palette; }
    void setProductPalette(ZunoProductPalette palette);

    // Paints the background into rect (the corners follow the painter's layout direction).
    static void paint(QPainter &painter, const QRectF &rect, ZunoProductPalette palette,
        Qt::LayoutDirection direction = Qt::LeftToRight);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ZunoProductPalette m_palette;
};
