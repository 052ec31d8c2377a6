#pragma once

#include "ZunoAppVersion.h"

#include <QWidget>

// The small capsule that shows an application's version: "v1.0.0", or "v1.0.0 (100)" with the build,
// in 10-pixel semibold monospaced text of the secondary colour on the second glass surface, edged
// inside by the subtle border.
class ZunoVersionBadge : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kHorizontalPadding = 7;
    static constexpr qreal kVerticalPadding = 2.5;

    ZunoVersionBadge(const ZunoAppVersion &version, bool showBuild, QWidget *parent = nullptr);

    ZunoAppVersion version() const { return m_version; }
    bool showBuild() const { return m_showBuild; }
    // detailedDisplay with the build, else tag.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ZunoAppVersion m_version;
    bool m_showBuild;
};
