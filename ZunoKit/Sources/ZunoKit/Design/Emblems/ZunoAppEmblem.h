#pragma once

#include "ZunoAppIdentity.h"

#include <QWidget>

// Shows an application's emblem in a size x size frame, centred. The image comes from the
// renderer's cache at scale 2 and is scaled into the frame smoothly, whatever the screen's own
// scale. A template emblem shows only its alpha shape, in the widget's foreground colour.
class ZunoAppEmblem : public QWidget {
    Q_OBJECT

public:
    ZunoAppEmblem(ZunoAppIdentity app, qreal size, bool asTemplate, QWidget *parent = nullptr);

    ZunoAppIdentity app() const { return m_app; }
    // The side of the frame; named apart from QWidget::size(), which is the widget's own size.
    qreal emblemSize() const { return m_size; }
    bool asTemplate() const { return m_asTemplate; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ZunoAppIdentity m_app;
    qreal m_size;
    bool m_asTemplate;
};
